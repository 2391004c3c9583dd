#include "core/archive/ExternalArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include "core/archive/Catalogue.h"
#include "core/archive/CompanionFiles.h"
#include "core/archive/ProgramFolder.h"
#include "core/archive/Scheda.h"
#include "core/formats/Text.h"

namespace {

const QString kPhotoFolder = QStringLiteral("Foto_Modellini");
const QString kAttachmentsFolder = QStringLiteral("Documenti_Allegati");

QString baseName(const QString& path)
{
    QString name = QFileInfo(path).fileName();
    if (name.endsWith(QLatin1String(".dbm"), Qt::CaseInsensitive))
        name.chop(4);
    return name;
}

// An archive or a photo under this name would mix two collections.
bool isTaken(const QString& name)
{
    if (QFileInfo::exists(Catalogue::archivePath(name)))
        return true;
    const QString prefix = Text::trimmed(name) + QStringLiteral("_Foto_");
    const QStringList photos = QDir(CompanionFiles::photoFolder()).entryList({prefix + QLatin1Char('*')}, QDir::Files);
    return !photos.isEmpty();
}

// On failure `cause` (when given) says which file failed and why.
bool copyWhole(const QString& from, const QString& to, QString* cause = nullptr)
{
    const auto failed = [cause](const QFileDevice& file) {
        if (cause)
            *cause = file.fileName() + QStringLiteral(": ") + deviceError(file);
        return false;
    };
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return failed(source);
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return failed(target);
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = source.read(buffer, sizeof buffer);
        if (n < 0)
            return failed(source);
        if (n == 0)
            break;
        if (target.write(buffer, n) != n)
            return failed(target);
    }
    return target.commit() || failed(target);
}

} // namespace

namespace ExternalArchive {

Check check(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Check::Missing;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return Check::Unreadable;
    if (file.size() % TScheda::Dimensione != 0)
        return Check::PartialRecord;
    if (file.size() == 0)
        return Check::Archive; // a new collection, no card yet
    const QByteArray first = file.read(TScheda::Dimensione);
    if (first.size() != TScheda::Dimensione)
        return Check::Unreadable;
    for (const DescrizioneCampo& field : Campi) {
        if (quint8(first.at(field.offset)) > field.capacita)
            return Check::MalformedRecord;
    }
    return Check::Archive;
}

bool isInProgramFolder(const QString& path)
{
    const QString folder = QFileInfo(ProgramFolder::path()).canonicalFilePath();
    const QString own = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    return !folder.isEmpty() && folder == own;
}

QString freeName(const QString& path)
{
    QString wanted;
    for (const QChar c : Text::trimmed(baseName(path))) {
        if (!Catalogue::isRefusedCharacter(c) && c != QLatin1Char('|'))
            wanted += c;
    }
    wanted = Text::trimmed(wanted);
    if (wanted.isEmpty())
        wanted = QStringLiteral("Archivio");
    if (!isTaken(wanted))
        return wanted;
    for (int n = 2;; ++n) {
        QString candidate = QStringLiteral("%1 (%2)").arg(wanted).arg(n);
        if (!isTaken(candidate))
            return candidate;
    }
}

Companions companionsOf(const QString& path)
{
    Companions companions;
    const QFileInfo info(path);
    const QDir beside = info.absoluteDir();
    const QString name = Text::trimmed(baseName(path));
    // Read as a plain file: opening it as an archive could leave a journal
    // or a new file beside a collection that is not ours to change.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return companions;
    const int count = int(file.size() / TScheda::Dimensione);
    QSet<QString> attached;
    const Campo names[] = {Campo::File01, Campo::File02, Campo::File03};
    for (int n = 1; n <= count; ++n) {
        TScheda record;
        if (!record.ImpostaByte(file.read(TScheda::Dimensione)))
            break;
        for (const Campo field : names) {
            const QString attachment = Text::trimmed(record.LeggiCampo(field));
            if (attachment.isEmpty() || attachment.contains(QLatin1Char('/')) || attachment.contains(QLatin1Char('\\'))
                || attached.contains(attachment))
                continue;
            attached.insert(attachment);
            const QString copy = beside.filePath(kAttachmentsFolder + QLatin1Char('/') + attachment);
            if (QFileInfo(copy).isFile())
                companions.attachments << copy;
        }
    }
    for (int n = 1; n <= count; ++n) {
        for (const char* which : {"_Foto_A_", "_Foto_B_"}) {
            const QString photo = beside.filePath(kPhotoFolder + QLatin1Char('/') + name + QLatin1String(which)
                                                  + QString::number(n) + QStringLiteral(".jpg"));
            if (QFileInfo(photo).isFile())
                companions.photos << photo;
        }
    }
    return companions;
}

CopyResult copyIntoProgramFolder(const QString& path, const QString& name, const Companions& companions,
                                 const CompanionFiles::OverwriteAsk& ask, TFailure* failure)
{
    const QString target = Catalogue::archivePath(name);
    QString cause = QStringLiteral("the name is taken");
    if (QFileInfo::exists(target) || !copyWhole(path, target, &cause)) {
        if (failure)
            *failure = TFailure{TFailure::Operation::CreateArchive, target, cause};
        return CopyResult::ArchiveFailed;
    }
    const QString oldPrefix = Text::trimmed(baseName(path)) + QStringLiteral("_Foto_");
    if (!companions.photos.isEmpty() && CompanionFiles::ensurePhotoFolder()) {
        for (const QString& photo : companions.photos) {
            const QString file = QFileInfo(photo).fileName();
            const QString renamed = Text::trimmed(name) + QStringLiteral("_Foto_") + file.mid(oldPrefix.size());
            copyWhole(photo, CompanionFiles::photoFolder() + QLatin1Char('/') + renamed);
        }
    }
    for (const QString& attachment : companions.attachments)
        CompanionFiles::copyIntoAttachments(attachment, QFileInfo(attachment).fileName(), ask);
    return CopyResult::Copied;
}

} // namespace ExternalArchive
