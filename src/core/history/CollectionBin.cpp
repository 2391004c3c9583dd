#include "core/history/CollectionBin.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSet>

#include "core/archive/Archivio.h"
#include "core/archive/CompanionFiles.h"
#include "core/archive/ProgramFolder.h"
#include "core/formats/Text.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

Q_LOGGING_CATEGORY(lcBin, "miniarca.bin")

std::atomic<bool> g_renameRefused{false};

const QString kPhotos = QStringLiteral("Foto_Modellini");
const QString kAttachments = QStringLiteral("Documenti_Allegati");
const QString kStampFormat = QStringLiteral("yyyy-MM-dd hh.mm.ss");

QString programFolder()
{
    return ProgramFolder::path();
}

// Whether a file of the program folder belongs to the collection `name`:
// its archive, or a file beside it named after it (journal, history).
bool besideArchive(const QString& file, const QString& name)
{
    const QString archive = name + QStringLiteral(".dbm");
    return file == archive || file.startsWith(archive + QLatin1Char('-'));
}

QRegularExpression photoName(const QString& name)
{
    return QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(name)
                              + QStringLiteral("_Foto_[AB]_[0-9]+\\.jpg$"));
}

// A copy that is read back and compared before anyone relies on it.
bool copyChecked(const QString& from, const QString& to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QString temporary = to + QStringLiteral(".part");
    {
        QFile target(temporary);
        if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        while (!source.atEnd()) {
            const QByteArray piece = source.read(1 << 20);
            if (piece.isEmpty() || target.write(piece) != piece.size()) {
                target.remove();
                return false;
            }
        }
        if (!target.flush() || ::fdatasync(target.handle()) != 0) {
            target.remove();
            return false;
        }
    }
    QFile::remove(to);
    if (!QFile::rename(temporary, to)) {
        QFile::remove(temporary);
        return false;
    }
    QFile copy(to);
    if (!source.seek(0) || !copy.open(QIODevice::ReadOnly) || copy.size() != source.size())
        return false;
    while (!source.atEnd())
        if (source.read(1 << 20) != copy.read(1 << 20))
            return false;
    return true;
}

bool copyTreeChecked(const QString& from, const QString& to)
{
    const QFileInfo info(from);
    if (!info.isDir() || info.isSymLink())
        return copyChecked(from, to);
    if (!QDir().mkpath(to))
        return false;
    for (const QString& entry :
         QDir(from).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        if (!copyTreeChecked(from + QLatin1Char('/') + entry, to + QLatin1Char('/') + entry))
            return false;
    return true;
}

bool removeTree(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

// Moves one file or folder: renamed where the file system allows it,
// otherwise copied, checked, and only then removed.
bool move(const QString& from, const QString& to)
{
    if (!QDir().mkpath(QFileInfo(to).absolutePath()))
        return false;
    const QByteArray a = QFile::encodeName(from);
    const QByteArray b = QFile::encodeName(to);
    if (!g_renameRefused && ::rename(a.constData(), b.constData()) == 0)
        return true;
    if (!g_renameRefused && errno != EXDEV)
        return false;
    if (QFileInfo(to).isDir())
        QDir(to).removeRecursively();
    if (!copyTreeChecked(from, to)) {
        removeTree(to);
        return false;
    }
    if (!removeTree(from)) {
        qCWarning(lcBin).noquote() << from << "was copied to" << to << "but could not be removed";
        return false;
    }
    return true;
}

bool failed(TFailure* failure, const QString& path, const QString& cause)
{
    if (failure)
        *failure = TFailure{TFailure::Operation::Bin, path, cause};
    return false;
}

// Moves every pair in order; on a failure the ones moved go back, newest
// first, and `failure` names the one that would not move.
bool moveAll(const QList<std::pair<QString, QString>>& moves, TFailure* failure)
{
    for (qsizetype i = 0; i < moves.size(); ++i) {
        if (move(moves[i].first, moves[i].second))
            continue;
        const int error = errno;
        for (qsizetype j = i - 1; j >= 0; --j)
            move(moves[j].second, moves[j].first);
        return failed(failure, moves[i].first,
                      QStringLiteral("cannot move to ") + moves[i].second + QStringLiteral(": ") + systemError(error));
    }
    return true;
}

// The attachment names the cards of the archive at `path` hold.
QSet<QString> attachmentsOf(const QString& path)
{
    QSet<QString> names;
    try {
        TArchivio archive;
        archive.ApriArchivio(path);
        archive.ScorriSchede([&](const TScheda& card, qint32) {
            for (Campo field : {Campo::File01, Campo::File02, Campo::File03}) {
                const QString name = Text::trimmed(card.LeggiCampo(field));
                if (!name.isEmpty())
                    names.insert(name);
            }
        });
        archive.ChiudiArchivio();
    } catch (const EArchivioError&) {}
    return names;
}

} // namespace

namespace CollectionBin {

QString folder()
{
    return programFolder() + QStringLiteral("Cestino");
}

bool setRenameRefused(bool refused)
{
    return g_renameRefused.exchange(refused);
}

bool moveToBin(const QString& name, TFailure* failure)
{
    const QString program = programFolder();
    const QString archive = program + name + QStringLiteral(".dbm");
    if (!QFileInfo(archive).isFile())
        return failed(failure, archive, QStringLiteral("no such archive"));

    // Attachments go with the collection unless another one names them too.
    QSet<QString> attachments = attachmentsOf(archive);
    for (const QString& other : QDir(program).entryList({QStringLiteral("*.dbm")}, QDir::Files)) {
        if (other != name + QStringLiteral(".dbm"))
            attachments.subtract(attachmentsOf(program + other));
    }

    const QDateTime now = QDateTime::currentDateTime();
    QString target = folder() + QLatin1Char('/') + name + QLatin1Char('-') + now.toString(kStampFormat);
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = folder() + QLatin1Char('/') + name + QLatin1Char('-') + now.toString(kStampFormat)
                 + QStringLiteral(" (%1)").arg(n);

    QList<std::pair<QString, QString>> moves;
    const QRegularExpression photo = photoName(name);
    for (const QString& f : QDir(program + kPhotos).entryList(QDir::Files))
        if (photo.match(f).hasMatch())
            moves.append(
                {program + kPhotos + QLatin1Char('/') + f, target + QLatin1Char('/') + kPhotos + QLatin1Char('/') + f});
    for (const QString& a : attachments) {
        const QString from = program + kAttachments + QLatin1Char('/') + a;
        if (QFileInfo(from).isFile())
            moves.append({from, target + QLatin1Char('/') + kAttachments + QLatin1Char('/') + a});
    }
    for (const QString& f :
         QDir(program).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (besideArchive(f, name) && f != name + QStringLiteral(".dbm"))
            moves.append({program + f, target + QLatin1Char('/') + f});
    }
    // The archive last: the collection leaves the list only once all of it
    // is in the bin.
    moves.append({archive, target + QLatin1Char('/') + name + QStringLiteral(".dbm")});

    bool moved = false;
    try {
        TArchivio lock;
        lock.ApriArchivio(archive);
        lock.ConBloccoEsclusivo([&] { moved = moveAll(moves, failure); });
        lock.ChiudiArchivio();
    } catch (const EArchivioError& e) {
        if (failure)
            *failure = e.failure();
        return false;
    }
    if (!moved) {
        QDir(target).removeRecursively();
        return false;
    }
    // The gallery's thumbnails are a cache, not the collector's: they do not
    // go into the bin, and a restored collection has them made again.
    CompanionFiles::removeThumbnails(name);
    return true;
}

std::vector<TDeleted> list()
{
    static const QRegularExpression stamp(
        QStringLiteral("^(.+)-([0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}\\.[0-9]{2}\\.[0-9]{2})( \\([0-9]+\\))?$"));
    std::vector<TDeleted> result;
    for (const QString& entry : QDir(folder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QRegularExpressionMatch m = stamp.match(entry);
        if (!m.hasMatch())
            continue;
        TDeleted d;
        d.path = folder() + QLatin1Char('/') + entry;
        d.name = m.captured(1);
        d.deleted = QDateTime::fromString(m.captured(2), kStampFormat);
        const QFileInfo archive(d.path + QLatin1Char('/') + d.name + QStringLiteral(".dbm"));
        if (!archive.isFile())
            continue;
        d.cards = qint32(archive.size() / TScheda::Dimensione);
        result.push_back(d);
    }
    std::stable_sort(result.begin(), result.end(), [](const TDeleted& a, const TDeleted& b) {
        return a.deleted != b.deleted ? a.deleted > b.deleted : a.path > b.path;
    });
    return result;
}

RestoreResult restore(const TDeleted& deleted, const QString& asName, TFailure* failure)
{
    const QString program = programFolder();
    const QString archive = program + asName + QStringLiteral(".dbm");
    if (QFileInfo::exists(archive))
        return RestoreResult::NameTaken;
    const QString binned = deleted.path + QLatin1Char('/') + deleted.name + QStringLiteral(".dbm");

    QList<std::pair<QString, QString>> moves;
    const QRegularExpression photo = photoName(deleted.name);
    for (const QString& f : QDir(deleted.path + QLatin1Char('/') + kPhotos).entryList(QDir::Files))
        if (photo.match(f).hasMatch())
            moves.append({deleted.path + QLatin1Char('/') + kPhotos + QLatin1Char('/') + f,
                          program + kPhotos + QLatin1Char('/') + asName + f.mid(deleted.name.size())});
    // An attachment of that name added since stays; the collection's cards
    // name it all the same.
    for (const QString& f : QDir(deleted.path + QLatin1Char('/') + kAttachments).entryList(QDir::Files)) {
        const QString to = program + kAttachments + QLatin1Char('/') + f;
        if (!QFileInfo::exists(to))
            moves.append({deleted.path + QLatin1Char('/') + kAttachments + QLatin1Char('/') + f, to});
    }
    for (const QString& f :
         QDir(deleted.path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (besideArchive(f, deleted.name) && f != deleted.name + QStringLiteral(".dbm"))
            moves.append({deleted.path + QLatin1Char('/') + f, program + asName + f.mid(deleted.name.size())});
    }
    moves.append({binned, archive});

    bool moved = false;
    try {
        TArchivio lock;
        lock.ApriArchivio(binned);
        lock.ConBloccoEsclusivo([&] { moved = moveAll(moves, failure); });
        lock.ChiudiArchivio();
    } catch (const EArchivioError& e) {
        if (failure)
            *failure = e.failure();
        return RestoreResult::Failed;
    }
    if (!moved)
        return RestoreResult::Failed;
    QDir(deleted.path).removeRecursively();
    return RestoreResult::Restored;
}

bool empty(TFailure* failure)
{
    QDir bin(folder());
    return !bin.exists() || bin.removeRecursively()
           || failed(failure, folder(), QStringLiteral("cannot remove everything in it"));
}

} // namespace CollectionBin
