#include "gui/shell/OpenFromOutside.h"

#include <QDir>
#include <QFileInfo>

#include "core/archive/Archivio.h"
#include "core/archive/Catalogue.h"
#include "core/archive/ExternalArchive.h"
#include "core/archive/Scheda.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FailureMessages.h"

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

namespace OpenFromOutside {

QString missingMessage(const QString& path)
{
    return QStringLiteral("Attenzione: il file \"%1\" non esiste oppure non è leggibile.").arg(shown(path));
}

QString partialRecordMessage(const QString& path, qint64 size)
{
    return QStringLiteral("Attenzione: il file \"%1\" non è un archivio di modellini.\r\n\r\nLa sua lunghezza (%2 "
                          "byte) non è un multiplo della dimensione di una scheda (%3 byte).")
        .arg(shown(path))
        .arg(size)
        .arg(TScheda::Dimensione);
}

QString malformedRecordMessage(const QString& path)
{
    return QStringLiteral("Attenzione: il file \"%1\" non è un archivio di modellini.\r\n\r\nLa sua prima scheda "
                          "non è scritta nel formato degli archivi di Miniarca Pro.")
        .arg(shown(path));
}

QString copyQuestion(const QString& path, const QString& name, int photos, int attachments)
{
    QString along;
    if (photos > 0 || attachments > 0)
        along =
            QStringLiteral(", insieme alle sue %1 foto e ai suoi %2 documenti allegati,").arg(photos).arg(attachments);
    return QStringLiteral("L'archivio di modellini \"%1\" non si trova nella cartella del programma, dove Miniarca "
                          "Pro conserva i suoi archivi.\r\n\r\nSi desidera copiarlo%2 nella cartella del programma "
                          "con il nome \"%3\" e aprirlo? Il file originale resterà dove si trova, senza modifiche.")
        .arg(shown(path), along, name);
}

std::optional<Archive> prepare(QWidget* parent, const QString& path)
{
    switch (ExternalArchive::check(path)) {
    case ExternalArchive::Check::Archive: break;
    case ExternalArchive::Check::Missing:
    case ExternalArchive::Check::Unreadable: Dialogs::warning(parent, missingMessage(path)); return std::nullopt;
    case ExternalArchive::Check::PartialRecord:
        Dialogs::warning(parent, partialRecordMessage(path, QFileInfo(path).size()));
        return std::nullopt;
    case ExternalArchive::Check::MalformedRecord:
        Dialogs::warning(parent, malformedRecordMessage(path));
        return std::nullopt;
    }

    const QFileInfo info(path);
    // As the open window lists them: a ".dbm" file of the program folder.
    if (ExternalArchive::isInProgramFolder(path) && info.suffix() == QLatin1String("dbm"))
        return Archive{Catalogue::archivePath(info.completeBaseName()), Catalogue::nameOfEntry(info.fileName())};

    const QString name = ExternalArchive::freeName(path);
    const ExternalArchive::Companions companions = ExternalArchive::companionsOf(path);
    if (!Dialogs::confirm(parent,
                          copyQuestion(path, name, int(companions.photos.size()), int(companions.attachments.size()))))
        return std::nullopt;
    TFailure failure;
    const auto result = ExternalArchive::copyIntoProgramFolder(
        path, name, companions,
        [parent](const QString&) { return Dialogs::confirm(parent, FailureMessages::attachmentOverwriteQuestion()); },
        &failure);
    if (result != ExternalArchive::CopyResult::Copied) {
        FailureMessages::show(parent, failure);
        return std::nullopt;
    }
    return Archive{Catalogue::archivePath(name), name};
}

} // namespace OpenFromOutside
