#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

// The earlier versions of a collection's cards, kept beside its archive in
// "<name>.dbm-history": each entry holds a card's number, when it was
// replaced, its bytes before that write and the photo files it had then.
// The photo files themselves lie in a folder of the history
// ("<name>.dbm-history-photos"), one file per distinct picture, so that
// nothing that lists the photo folder sees them and a photo kept by many
// versions costs its room once.
//
// Entries are only appended, under the archive's exclusive lock, once the
// card is flushed and before its journal is removed: the journal's old bytes
// are what the entry keeps. A cut after the card reached the disk leaves the
// journal, and whoever puts the archive right adds the entry from it unless
// it is there already; a cut before leaves neither. The history is bounded
// (the last MaxVersionsPerCard versions of each card, and a size per
// collection), oldest first.
//
// File layout, little-endian: a 16-byte header ("MINIHIST", format version,
// 4 bytes kept at 0), then entries, each framed as
//    4  mark "HENT"
//    4  P, the payload's length
//    P  payload (see CardHistory.cpp)
//    4  CRC-32 of mark, length and payload
//    4  P again, so that the last entry can be found from the end
namespace CardHistory {

constexpr int MaxVersionsPerCard = 20;
constexpr qint64 MinimumSizeLimit = 50LL * 1024 * 1024;

// Why a version was kept.
enum class Kind : quint8 {
    Saved = 0,    // a save over the card
    Added = 1,    // the card was appended: before it there was nothing
    Restored = 2, // the card was put back to an earlier version
    Undone = 3,   // a batch of cards was taken back
};

QString historyPath(const QString& archivePath);
QString photosFolder(const QString& archivePath);
// Where the n-th damaged history (from 1) is set aside.
QString setAsidePath(const QString& archivePath, int n);

// The photo files of card n of the archive: its folder's "Foto_Modellini".
QString cardPhotoPath(const QString& archivePath, bool photoB, qint32 n);

// Test and benchmark seam, process-wide: false writes archives as before
// the history. Returns the value it replaces.
bool setEnabled(bool enabled);
bool enabled();

// Test seam, process-wide: the least size bound, MinimumSizeLimit unless a
// test sets a smaller one. Returns the one it replaces.
qint64 setMinimumLimit(qint64 bytes);

// One change about to be written: the card's number, its bytes before (empty
// for an append), and the identity of the journal that protects it.
struct Change {
    qint32 number = 0;
    QByteArray before;
    quint32 journalId = 0;
};

// The history side of one protected write, made under the archive's
// exclusive lock. Opening it makes sure the history can be written (a damaged
// one is set aside and started afresh) and keeps the card's current photo
// files before the archive is touched; commit() appends the entries, flushed,
// and applies the bounds. A batch keeps all its cards and commits once.
// Every failure throws EArchivioError; what was kept of photos then is
// garbage that the next bounding removes.
class TRecorder {
public:
    explicit TRecorder(const QString& archivePath);
    ~TRecorder();
    TRecorder(const TRecorder&) = delete;
    TRecorder& operator=(const TRecorder&) = delete;

    void keep(const Change& change, Kind kind);
    // `cutAfter` is the archive's test seam: only that many bytes are
    // written, unflushed, as a power cut would leave them.
    void commit(std::optional<qint64> cutAfter = std::nullopt);

    // True when the history's last entry is the one of that journal: the
    // write it protected was recorded before a cut.
    bool endsWith(quint32 journalId);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// One kept version as the versions window shows it.
struct TVersion {
    qint64 id = 0; // the entry's place in the history
    Kind kind = Kind::Saved;
    QDateTime when;    // local time
    QByteArray record; // the card's bytes; empty for Kind::Added
    QString photoA;    // the kept photo files, empty when the card had none
    QString photoB;
};

// The kept versions of card n, newest first. Reads under the archive's
// shared lock; a missing or damaged history has none. Throws EArchivioError
// when the archive cannot be read.
std::vector<TVersion> versions(const QString& archivePath, qint32 n);

// Every entry of the history, oldest first: for tests and measurements.
std::vector<TVersion> allEntries(const QString& archivePath);

// The history's whole size on disk: its file and its photo files.
qint64 sizeOnDisk(const QString& archivePath);

// Puts card n back to `version`, photos included, as a new save (kept in the
// history as Kind::Restored). Throws EArchivioError when the archive or its
// history cannot be written; photo files that cannot be written afterwards
// make it return false, the card being restored already.
bool restore(const QString& archivePath, qint32 n, const TVersion& version);

} // namespace CardHistory
