#include "core/archive/Failure.h"

#include <QFileDevice>

QString operationName(TFailure::Operation operation)
{
    using Op = TFailure::Operation;
    switch (operation) {
    case Op::OpenArchive: return QStringLiteral("open-archive");
    case Op::CloseArchive: return QStringLiteral("close-archive");
    case Op::CountCards: return QStringLiteral("count-cards");
    case Op::ReadCards: return QStringLiteral("read-cards");
    case Op::WriteCard: return QStringLiteral("write-card");
    case Op::AppendCards: return QStringLiteral("append-cards");
    case Op::UndoAppend: return QStringLiteral("undo-append");
    case Op::LockArchive: return QStringLiteral("lock-archive");
    case Op::History: return QStringLiteral("history");
    case Op::CreateArchive: return QStringLiteral("create-archive");
    case Op::Bin: return QStringLiteral("bin");
    case Op::PhotoFolder: return QStringLiteral("photo-folder");
    case Op::WritePhoto: return QStringLiteral("write-photo");
    case Op::ReadPasswords: return QStringLiteral("read-passwords");
    case Op::WritePasswords: return QStringLiteral("write-passwords");
    case Op::Export: return QStringLiteral("export");
    }
    return QStringLiteral("unknown");
}

QString describe(const TFailure& failure)
{
    return operationName(failure.operation) + QLatin1Char(' ') + failure.path + QStringLiteral(": ") + failure.cause;
}

QString systemError(int error)
{
    return qt_error_string(error);
}

QString deviceError(const QFileDevice& file)
{
    return file.errorString() + QStringLiteral(" (QFileDevice::FileError ") + QString::number(int(file.error()))
           + QLatin1Char(')');
}
