#include "core/archive/Catalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/archive/Archivio.h"
#include "core/archive/CompanionFiles.h"
#include "core/archive/ProgramFolder.h"

namespace {

const QString kExtension = QStringLiteral(".dbm");
constexpr qsizetype kLongestFileName = 255; // bytes

} // namespace

namespace Catalogue {

bool isRefusedCharacter(QChar c)
{
    static const QString refused = QStringLiteral("\"*/:<>?\\°ÇÑçñ");
    return refused.contains(c);
}

NameCheck checkName(const QString& name)
{
    if (name.isEmpty())
        return NameCheck::Empty;
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QChar(0)))
        return NameCheck::HasSeparator;
    // An accented letter takes two of the 255 bytes.
    if (QFile::encodeName(name + kExtension).size() > kLongestFileName)
        return NameCheck::TooLong;
    return NameCheck::Fine;
}

QString archivePath(const QString& name)
{
    return ProgramFolder::path() + name + kExtension;
}

QString nameOfEntry(const QString& entry)
{
    return entry.left(std::max<qsizetype>(0, entry.size() - 4));
}

CreateResult create(const QString& path, TFailure* failure)
{
    if (QFileInfo::exists(path))
        return CreateResult::AlreadyExists;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (failure)
            *failure = TFailure{TFailure::Operation::CreateArchive, path, deviceError(file)};
        return CreateResult::Failed;
    }
    file.close();
    return CreateResult::Created;
}

QStringList list()
{
    return QDir(ProgramFolder::path())
        .entryList({QLatin1Char('*') + kExtension}, QDir::Files | QDir::Hidden | QDir::System);
}

bool remove(const QString& path)
{
    if (!QFile::remove(path))
        return false;
    const QString journal = TArchivio::JournalPath(path);
    if (QFileInfo::exists(journal))
        QFile::remove(journal);
    // The gallery's thumbnails are ours, not the collector's photos: they go.
    CompanionFiles::removeThumbnails(nameOfEntry(QFileInfo(path).fileName()));
    return true;
}

} // namespace Catalogue
