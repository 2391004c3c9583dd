#include "core/archive/CompanionFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "core/archive/ProgramFolder.h"
#include "core/archive/SaveFile.h"
#include "core/formats/Text.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// Whether two paths name one file, whatever links or spellings lead there.
bool sameFile(const QString& a, const QString& b)
{
#ifdef Q_OS_UNIX
    struct stat sa {};
    struct stat sb {};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#else
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca.compare(QFileInfo(b).canonicalFilePath(), Qt::CaseInsensitive) == 0;
#endif
}

bool copyContents(const QString& source, const QString& destination)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    // Written aside and renamed over the destination at the end.
    QSaveFile out(destination);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk;
    while (!in.atEnd()) {
        chunk = in.read(1 << 20);
        if ((chunk.isEmpty() && in.error() != QFileDevice::NoError) || out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            return false;
        }
    }
    return SaveFile::commit(out);
}

} // namespace

namespace CompanionFiles {

QString photoFolder()
{
    return ProgramFolder::path() + QStringLiteral("Foto_Modellini");
}

QString thumbnailFolder()
{
    return photoFolder() + QStringLiteral("/.miniature");
}

QString thumbnailFolder(const QString& archiveName)
{
    return thumbnailFolder() + QLatin1Char('/') + Text::trimmed(archiveName);
}

QString thumbnailPath(Photo which, const QString& archiveName, qint32 record)
{
    return thumbnailFolder(archiveName) + (which == Photo::A ? QStringLiteral("/A_") : QStringLiteral("/B_"))
           + QString::number(record) + QStringLiteral(".jpg");
}

void removeThumbnails(const QString& archiveName)
{
    // An empty name would be the folder of every archive.
    if (Text::trimmed(archiveName).isEmpty())
        return;
    QDir(thumbnailFolder(archiveName)).removeRecursively();
}

void removeThumbnails(const QString& archiveName, qint32 record)
{
    if (Text::trimmed(archiveName).isEmpty())
        return;
    QFile::remove(thumbnailPath(Photo::A, archiveName, record));
    QFile::remove(thumbnailPath(Photo::B, archiveName, record));
}

QString photoPath(Photo which, const QString& archiveName, qint32 record)
{
    return photoFolder() + QLatin1Char('/') + Text::trimmed(archiveName)
           + (which == Photo::A ? QStringLiteral("_Foto_A_") : QStringLiteral("_Foto_B_")) + QString::number(record)
           + QStringLiteral(".jpg");
}

bool ensurePhotoFolder()
{
    const QString folder = QFileInfo(photoFolder()).absoluteFilePath();
    QDir().mkpath(folder);
    return QFileInfo(folder).isDir();
}

QString attachmentsFolder()
{
    return ProgramFolder::path() + QStringLiteral("Documenti_Allegati/");
}

QString attachmentPath(const QString& name)
{
    return attachmentsFolder() + Text::trimmed(name);
}

CopyResult copyIntoAttachments(const QString& source, const QString& bareName, const OverwriteAsk& ask)
{
    const QString name = Text::trimmed(bareName);
    if (name.isEmpty())
        return CopyResult::Failed;
    const QString destination = attachmentPath(name);

    QDir().mkpath(attachmentsFolder());
    if (!QFileInfo(attachmentsFolder()).isDir())
        return CopyResult::Failed;

    if (QFileInfo::exists(destination) && !(ask && ask(destination)))
        return CopyResult::Declined;
    if (sameFile(source, destination))
        return CopyResult::SameFile;
    return copyContents(source, destination) ? CopyResult::Copied : CopyResult::Failed;
}

} // namespace CompanionFiles
