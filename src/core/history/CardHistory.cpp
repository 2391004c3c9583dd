#include "core/history/CardHistory.h"
#include "core/history/BatchHistory.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QtEndian>

#include "core/archive/Archivio.h"
#include "core/archive/SaveFile.h"
#include "core/archive/Scheda.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <zlib.h>

namespace {

Q_LOGGING_CATEGORY(lcHistory, "miniarca.history")

// The payload of an entry, little-endian:
//    1  kind
//    1  0
//    4  card number
//    8  when, milliseconds since 1970 UTC
//    4  the protecting journal's closing checksum
//   2x  photo A, photo B:
//        1  1 when the card had the photo, else 0
//       20  SHA-1 of the photo file: its name in the history's photo folder
//        8  its size
//    4  R, the card's byte count (0 for an append)
//    4  Z, the count of compressed bytes that follow
//    Z  the card's bytes, zlib-compressed
constexpr char kMark[] = "MINIHIST";
constexpr quint32 kVersion = 1;
constexpr qint64 kHeader = 16;
constexpr quint32 kEntryMark = 0x544E4548; // "HENT"
constexpr qint64 kFrame = 16;              // mark, length, checksum, length
constexpr qint64 kPhotoRef = 1 + 20 + 8;
constexpr qint64 kFixedPayload = 1 + 1 + 4 + 8 + 4 + 2 * kPhotoRef + 4 + 4;
constexpr qint64 kLargestPayload = kFixedPayload + 2 * qint64{TScheda::Dimensione} + 64;
// Past this much of versions beyond each card's last MaxVersionsPerCard
// the file is rewritten without them.
constexpr qint64 kSupersededSlack = qint64{1024} * 1024;

std::atomic<bool> g_enabled{true};
std::atomic<qint64> g_minimumLimit{CardHistory::MinimumSizeLimit};

// The window that catches it writes it to the log.
[[noreturn]] void fail(const char* what, const QString& path)
{
    const int error = errno;
    throw EArchivioError(TFailure{TFailure::Operation::History, path,
                                  QString::fromLatin1(what) + QStringLiteral(": ") + systemError(error)});
}

quint32 checksum(const char* data, qint64 size)
{
    return quint32(::crc32(0L, reinterpret_cast<const Bytef*>(data), uInt(size)));
}

void put32(QByteArray& b, quint32 v)
{
    char x[4];
    qToLittleEndian(v, x);
    b.append(x, 4);
}

void put64(QByteArray& b, quint64 v)
{
    char x[8];
    qToLittleEndian(v, x);
    b.append(x, 8);
}

quint32 get32(const char* p)
{
    return qFromLittleEndian<quint32>(p);
}

quint64 get64(const char* p)
{
    return qFromLittleEndian<quint64>(p);
}

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

bool readAt(int fd, char* to, qint64 count, qint64 at)
{
    while (count > 0) {
        const ssize_t r = ::pread(fd, to, size_t(count), off_t(at));
        if (r == -1 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        to += r;
        count -= r;
        at += r;
    }
    return true;
}

bool writeAt(int fd, const char* from, qint64 count, qint64 at)
{
    while (count > 0) {
        const ssize_t r = ::pwrite(fd, from, size_t(count), off_t(at));
        if (r == -1 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        from += r;
        count -= r;
        at += r;
    }
    return true;
}

bool flush(int fd)
{
    int s;
    do
        s = ::fdatasync(fd);
    while (s == -1 && errno == EINTR);
    return s == 0;
}

// A new name reaches the disk with its folder. Some file systems cannot
// flush a folder; there the file's own flush is all there is.
bool flushFolder(const QString& folder)
{
    const Fd fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0)
        return true;
    int s;
    do
        s = ::fsync(fd.get());
    while (s == -1 && errno == EINTR);
    return s == 0 || errno == EINVAL || errno == EROFS;
}

QByteArray header()
{
    QByteArray h(kMark, 8);
    put32(h, kVersion);
    put32(h, 0);
    return h;
}

struct PhotoRef {
    bool present = false;
    QByteArray hash; // 20 bytes
    qint64 size = 0;
};

// What the index keeps of one entry: all but the card's bytes.
struct EntryInfo {
    qint64 offset = 0;
    qint64 length = 0; // the whole frame
    qint32 number = 0;
    CardHistory::Kind kind = CardHistory::Kind::Saved;
    qint64 when = 0;
    quint32 journalId = 0;
    PhotoRef photos[2];
};

QByteArray frame(const QByteArray& payload)
{
    QByteArray f;
    f.reserve(payload.size() + kFrame);
    put32(f, kEntryMark);
    put32(f, quint32(payload.size()));
    f += payload;
    put32(f, checksum(f.constData(), f.size()));
    put32(f, quint32(payload.size()));
    return f;
}

// The index fields of a payload; false when it does not hold together.
bool parse(const char* p, qint64 size, EntryInfo& e, QByteArray* record)
{
    if (size < kFixedPayload)
        return false;
    const quint8 kind = quint8(p[0]);
    if (kind > quint8(CardHistory::Kind::Undone))
        return false;
    e.kind = CardHistory::Kind(kind);
    e.number = qint32(get32(p + 2));
    e.when = qint64(get64(p + 6));
    e.journalId = get32(p + 14);
    const char* q = p + 18;
    for (PhotoRef& ref : e.photos) {
        ref.present = q[0] != 0;
        ref.hash = ref.present ? QByteArray(q + 1, 20) : QByteArray();
        ref.size = qint64(get64(q + 21));
        q += kPhotoRef;
    }
    const quint32 raw = get32(q);
    const quint32 packed = get32(q + 4);
    if (raw > quint32(TScheda::Dimensione) || qint64(packed) != size - kFixedPayload)
        return false;
    if (record) {
        *record = raw == 0 ? QByteArray() : qUncompress(reinterpret_cast<const uchar*>(q + 8), qsizetype(packed));
        if (record->size() != qsizetype(raw))
            return false;
    }
    return true;
}

QString hashName(const QByteArray& hash)
{
    return QString::fromLatin1(hash.toHex()) + QStringLiteral(".jpg");
}

// One history file as this process last read it. Entries are only ever
// appended to the file, or the file replaced whole (a new inode) when it is
// bounded, so an index stays good for the bytes it has read.
struct Index {
    dev_t dev = 0;
    ino_t ino = 0;
    qint64 end = 0; // the valid bytes read so far
    std::vector<EntryInfo> entries;
    std::unordered_map<qint32, int> perCard;
    std::map<QByteArray, qint64> photoSizes; // every photo any entry keeps
    qint64 superseded = 0;                   // entries past a card's last MaxVersionsPerCard
    qint64 limit = 0;                        // the size bound last worked out, 0 when not yet
    int commitsSinceLimit = 0;

    void add(const EntryInfo& e)
    {
        entries.push_back(e);
        if (++perCard[e.number] > CardHistory::MaxVersionsPerCard)
            ++superseded;
        for (const PhotoRef& ref : e.photos)
            if (ref.present)
                photoSizes[ref.hash] = ref.size;
    }
    qint64 photoBytes() const
    {
        qint64 s = 0;
        for (const auto& [hash, size] : photoSizes)
            s += size;
        return s;
    }
};

std::mutex g_indexMutex;
std::map<QString, Index> g_indexes;

// What the photo files this process has hashed hold, by their identity on
// disk, so that a photo that did not change is not read again.
struct FileKey {
    dev_t dev;
    ino_t ino;
    qint64 size;
    qint64 mtime;
    // NOLINTNEXTLINE(modernize-use-nullptr): clang-tidy 14 takes the 0 a defaulted <=> compares with for a pointer
    auto operator<=>(const FileKey&) const = default;
};
std::mutex g_hashMutex;
std::map<FileKey, QByteArray> g_hashes;

enum class Scan { Whole, PartialTail, Damaged };

// Reads the entries from index.end on. A frame that ends past the file is
// what a cut leaves while an entry is appended; anything else that does
// not hold together is damage.
Scan scan(int fd, qint64 size, Index& index)
{
    if (index.end == 0) {
        if (size == 0)
            return Scan::Whole;
        if (size < kHeader)
            return Scan::PartialTail;
        char h[kHeader];
        if (!readAt(fd, h, kHeader, 0) || QByteArray(h, 12) != header().left(12))
            return Scan::Damaged;
        index.end = kHeader;
    }
    const qint64 chunk = qint64{4} * 1024 * 1024;
    QByteArray buffer;
    qint64 bufferStart = index.end;
    qint64 at = index.end;
    while (at < size) {
        if (size - at < 8)
            return Scan::PartialTail;
        // Read ahead in large pieces: a history is mostly read whole.
        auto bytes = [&](qint64 from, qint64 count) -> const char* {
            if (from < bufferStart || from + count > bufferStart + buffer.size()) {
                bufferStart = from;
                buffer.resize(qsizetype(std::min(std::max(count, chunk), size - from)));
                if (!readAt(fd, buffer.data(), buffer.size(), from))
                    return nullptr;
            }
            return buffer.constData() + (from - bufferStart);
        };
        const char* h = bytes(at, 8);
        if (!h)
            return Scan::Damaged;
        const quint32 mark = get32(h);
        const qint64 payload = get32(h + 4);
        if (mark != kEntryMark || payload > kLargestPayload)
            return Scan::Damaged;
        const qint64 length = payload + kFrame;
        if (at + length > size)
            return Scan::PartialTail;
        const char* f = bytes(at, length);
        if (!f)
            return Scan::Damaged;
        EntryInfo e;
        if (get32(f + 8 + payload) != checksum(f, 8 + payload) || qint64(get32(f + 12 + payload)) != payload
            || !parse(f + 8, payload, e, nullptr))
            return Scan::Damaged;
        e.offset = at;
        e.length = length;
        index.add(e);
        at += length;
        index.end = at;
    }
    return Scan::Whole;
}

// Sets the damaged history aside under a name of its own, for whoever looks
// into it; a new one is started.
bool setAside(const QString& archivePath)
{
    const QByteArray from = QFile::encodeName(CardHistory::historyPath(archivePath));
    for (int i = 1; i <= 999; ++i) {
        const QByteArray to = QFile::encodeName(CardHistory::setAsidePath(archivePath, i));
        struct stat st {};
        if (::lstat(to.constData(), &st) == 0)
            continue;
        if (errno != ENOENT || ::rename(from.constData(), to.constData()) == -1)
            break;
        qCWarning(lcHistory).noquote() << QFile::decodeName(from) << "is damaged - set aside as"
                                       << QFile::decodeName(to);
        return true;
    }
    return false;
}

// The index of the open history file, brought up to date. A partial tail
// is cut off when `repair` (the writer holds the exclusive lock); damage
// comes back as false.
bool refresh(int fd, const QString& path, Index& index, bool repair)
{
    struct stat st {};
    if (::fstat(fd, &st) == -1)
        return false;
    if (st.st_dev != index.dev || st.st_ino != index.ino || st.st_size < index.end) {
        index = Index{};
        index.dev = st.st_dev;
        index.ino = st.st_ino;
    }
    switch (scan(fd, st.st_size, index)) {
    case Scan::Whole: return true;
    case Scan::Damaged: return false;
    case Scan::PartialTail:
        if (repair) {
            qCWarning(lcHistory).noquote() << path << "ends in an entry cut while it was written: cut off";
            if (::ftruncate(fd, off_t(index.end)) == -1 || !flush(fd))
                fail("cannot cut the unfinished entry off", path);
        }
        return true;
    }
    return true;
}

QByteArray hashOf(const QString& path, const struct stat& st)
{
    const FileKey key{st.st_dev, st.st_ino, qint64(st.st_size),
                      qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    {
        const std::lock_guard<std::mutex> guard(g_hashMutex);
        const auto found = g_hashes.find(key);
        if (found != g_hashes.end())
            return found->second;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!hash.addData(&file))
        return {};
    QByteArray result = hash.result();
    const std::lock_guard<std::mutex> guard(g_hashMutex);
    g_hashes[key] = result;
    return result;
}

// Copies `from` to `to` whole and flushed, through a temporary name, so
// that `to` never holds part of a photo.
bool copyWhole(const QString& from, const QString& to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QString temporary = to + QStringLiteral(".part");
    Fd out(::open(QFile::encodeName(temporary).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (out.get() < 0)
        return false;
    bool ok = true;
    qint64 at = 0;
    while (ok && !source.atEnd()) {
        const QByteArray piece = source.read(1 << 20);
        ok = !piece.isEmpty() && writeAt(out.get(), piece.constData(), piece.size(), at);
        at += piece.size();
    }
    ok = ok && flush(out.get());
    out.reset();
    ok = ok && ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(to).constData()) == 0;
    if (!ok)
        ::unlink(QFile::encodeName(temporary).constData());
    return ok;
}

QByteArray makePayload(const CardHistory::Change& change, CardHistory::Kind kind, qint64 when,
                       const PhotoRef (&photos)[2])
{
    QByteArray p;
    p.reserve(qsizetype(kFixedPayload + change.before.size()));
    p.append(char(kind));
    p.append('\0');
    put32(p, quint32(change.number));
    put64(p, quint64(when));
    put32(p, change.journalId);
    for (const PhotoRef& ref : photos) {
        p.append(ref.present ? '\1' : '\0');
        p += ref.present ? ref.hash : QByteArray(20, '\0');
        put64(p, quint64(ref.size));
    }
    put32(p, quint32(change.before.size()));
    const QByteArray packed = change.before.isEmpty() ? QByteArray() : qCompress(change.before, 6);
    put32(p, quint32(packed.size()));
    p += packed;
    return p;
}

// Photos of the archive's cards: in its folder's "Foto_Modellini".
qint64 collectionPhotoBytes(const QString& archivePath)
{
    const QFileInfo archive(archivePath);
    const QString name = archive.completeBaseName().trimmed();
    qint64 bytes = archive.size();
    const QDir folder(archive.absolutePath() + QStringLiteral("/Foto_Modellini"));
    for (const QFileInfo& f : folder.entryInfoList(
             {name + QStringLiteral("_Foto_A_*.jpg"), name + QStringLiteral("_Foto_B_*.jpg")}, QDir::Files))
        bytes += f.size();
    return bytes;
}

} // namespace

namespace CardHistory {

QString historyPath(const QString& archivePath)
{
    return archivePath + QStringLiteral("-history");
}

QString photosFolder(const QString& archivePath)
{
    return archivePath + QStringLiteral("-history-photos");
}

QString setAsidePath(const QString& archivePath, int n)
{
    return historyPath(archivePath) + QStringLiteral(".%1").arg(n);
}

QString cardPhotoPath(const QString& archivePath, bool photoB, qint32 n)
{
    const QFileInfo archive(archivePath);
    return archive.absolutePath() + QStringLiteral("/Foto_Modellini/") + archive.completeBaseName().trimmed()
           + (photoB ? QStringLiteral("_Foto_B_") : QStringLiteral("_Foto_A_")) + QString::number(n)
           + QStringLiteral(".jpg");
}

bool setEnabled(bool enabled)
{
    return g_enabled.exchange(enabled);
}

bool enabled()
{
    return g_enabled.load();
}

qint64 setMinimumLimit(qint64 bytes)
{
    return g_minimumLimit.exchange(bytes);
}

struct TRecorder::Private {
    QString archive;
    QString path;
    QString photos;
    Fd fd;
    QByteArray pending;
    std::vector<EntryInfo> pendingInfo;
    bool newPhotos = false;
};

TRecorder::TRecorder(const QString& archivePath) : d(std::make_unique<Private>())
{
    d->archive = archivePath;
    d->path = historyPath(archivePath);
    d->photos = photosFolder(archivePath);
    const QByteArray name = QFile::encodeName(d->path);
    for (int attempt = 0; attempt < 2; ++attempt) {
        bool created = false;
        int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (fd == -1 && errno == ENOENT) {
            fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
            created = fd >= 0;
        }
        if (fd == -1)
            fail("cannot open the history", d->path);
        d->fd.reset(fd);
        struct stat st {};
        if (::fstat(fd, &st) == -1 || !S_ISREG(st.st_mode))
            fail("the history is not a regular file", d->path);
        if (st.st_size == 0) {
            const QByteArray h = header();
            if (!writeAt(fd, h.constData(), h.size(), 0) || !flush(fd))
                fail("cannot write the history", d->path);
            if (created && !flushFolder(QFileInfo(d->path).absolutePath()))
                fail("cannot flush the history's folder", d->path);
        }
        const std::lock_guard<std::mutex> guard(g_indexMutex);
        Index& index = g_indexes[d->path];
        if (refresh(fd, d->path, index, true)) {
            // A header cut short by a cut was cut off with it.
            if (index.end < kHeader) {
                const QByteArray h = header();
                if (::ftruncate(fd, 0) == -1 || !writeAt(fd, h.constData(), h.size(), 0) || !flush(fd))
                    fail("cannot write the history", d->path);
                index.end = kHeader;
            }
            return;
        }
        g_indexes.erase(d->path);
        d->fd.reset();
        // Damage never stops a save: the history starts afresh.
        if (!setAside(archivePath))
            fail("cannot set the damaged history aside", d->path);
    }
    fail("cannot start the history afresh", d->path);
}

TRecorder::~TRecorder() = default;

void TRecorder::keep(const Change& change, Kind kind)
{
    PhotoRef photos[2];
    // A card that is new had no photos before it: whatever lies under its
    // number is written after it, or left from elsewhere. Not looking saves
    // two file checks a card on a big import.
    for (int b = 0; b < (kind == Kind::Added ? 0 : 2); ++b) {
        const QString photo = cardPhotoPath(d->archive, b == 1, change.number);
        struct stat st {};
        if (::stat(QFile::encodeName(photo).constData(), &st) == -1 || !S_ISREG(st.st_mode))
            continue; // no photo: the version has none
        const QByteArray hash = hashOf(photo, st);
        if (hash.isEmpty())
            fail("cannot read the photo", photo);
        photos[b] = PhotoRef{true, hash, qint64(st.st_size)};
        const QString kept = d->photos + QLatin1Char('/') + hashName(hash);
        if (QFileInfo::exists(kept))
            continue;
        if (!QDir().mkpath(d->photos))
            fail("cannot create the history's photo folder", d->photos);
        // A photo file is never written in place (a new one replaces it), so
        // a second name for it keeps its bytes at no cost.
        if (::link(QFile::encodeName(photo).constData(), QFile::encodeName(kept).constData()) == -1 && errno != EEXIST
            && !copyWhole(photo, kept))
            fail("cannot keep the photo", photo);
        d->newPhotos = true;
    }
    EntryInfo info;
    info.number = change.number;
    info.kind = kind;
    info.when = QDateTime::currentMSecsSinceEpoch();
    info.journalId = change.journalId;
    info.photos[0] = photos[0];
    info.photos[1] = photos[1];
    const QByteArray f = frame(makePayload(change, kind, info.when, photos));
    info.length = f.size();
    d->pending += f;
    d->pendingInfo.push_back(info);
}

bool TRecorder::endsWith(quint32 journalId)
{
    const std::lock_guard<std::mutex> guard(g_indexMutex);
    const Index& index = g_indexes[d->path];
    return !index.entries.empty() && index.entries.back().journalId == journalId;
}

namespace {

// Rewrites the history with its newest entries only: each card's last
// MaxVersionsPerCard, and no more, oldest first, than fit `target` bytes
// with the photos they keep. Photo files no entry keeps go.
void bound(const QString& path, const QString& photos, Index& index, qint64 target)
{
    std::vector<bool> keepEntry(index.entries.size(), false);
    std::unordered_map<qint32, int> perCard;
    std::set<QByteArray> counted;
    qint64 total = kHeader;
    for (size_t i = index.entries.size(); i-- > 0;) {
        const EntryInfo& e = index.entries[i];
        if (++perCard[e.number] > MaxVersionsPerCard)
            continue;
        qint64 cost = e.length;
        for (const PhotoRef& ref : e.photos)
            if (ref.present && !counted.count(ref.hash))
                cost += ref.size;
        if (total + cost > target)
            break; // this one and every older one go
        total += cost;
        for (const PhotoRef& ref : e.photos)
            if (ref.present)
                counted.insert(ref.hash);
        keepEntry[i] = true;
    }

    const Fd in(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    const QString temporary = path + QStringLiteral(".new");
    Fd out(::open(QFile::encodeName(temporary).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (in.get() < 0 || out.get() < 0)
        fail("cannot bound the history", path);
    QByteArray kept = header();
    for (size_t i = 0; i < index.entries.size(); ++i) {
        if (!keepEntry[i])
            continue;
        const EntryInfo& e = index.entries[i];
        QByteArray f(qsizetype(e.length), '\0');
        if (!readAt(in.get(), f.data(), e.length, e.offset))
            fail("cannot read the history", path);
        kept += f;
    }
    if (!writeAt(out.get(), kept.constData(), kept.size(), 0) || !flush(out.get())) {
        ::unlink(QFile::encodeName(temporary).constData());
        fail("cannot bound the history", path);
    }
    out.reset();
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) == -1)
        fail("cannot bound the history", path);
    flushFolder(QFileInfo(path).absolutePath());

    const QDir folder(photos);
    for (const QString& name : folder.entryList(QDir::Files)) {
        if (!counted.count(QByteArray::fromHex(name.left(40).toLatin1())))
            QFile::remove(folder.filePath(name));
    }
    const qint64 limit = index.limit;
    index = Index{};
    index.limit = limit;
    const Fd again(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    if (again.get() < 0 || !refresh(again.get(), path, index, false))
        fail("cannot read the bounded history", path);
}

} // namespace

void TRecorder::commit(std::optional<qint64> cutAfter)
{
    if (d->pending.isEmpty())
        return;
    if (d->newPhotos && !flushFolder(d->photos))
        fail("cannot flush the history's photo folder", d->photos);
    const std::lock_guard<std::mutex> guard(g_indexMutex);
    Index& index = g_indexes[d->path];
    const qint64 end = index.end;
    if (cutAfter) {
        writeAt(d->fd.get(), d->pending.constData(), std::clamp<qint64>(*cutAfter, 0, d->pending.size()), end);
        index = Index{}; // read again from the file
        return;
    }
    if (!writeAt(d->fd.get(), d->pending.constData(), d->pending.size(), end) || !flush(d->fd.get())) {
        const int saved = errno;
        // The entry must not outlive the write it was for.
        if (::ftruncate(d->fd.get(), off_t(end)) == 0)
            flush(d->fd.get());
        index = Index{};
        errno = saved;
        fail("cannot write the history", d->path);
    }
    qint64 at = end;
    for (EntryInfo& e : d->pendingInfo) {
        e.offset = at;
        at += e.length;
        index.add(e);
    }
    index.end = at;
    d->pending.clear();
    d->pendingInfo.clear();

    // The size bound needs the photo folder listed: only worked out once
    // the history is past the least it may always hold, and again now and
    // then as the collection grows.
    const qint64 minimum = g_minimumLimit.load();
    const qint64 size = index.end + index.photoBytes();
    if (size > minimum && (index.limit == 0 || ++index.commitsSinceLimit > 256)) {
        index.limit = std::max(minimum, collectionPhotoBytes(d->archive) / 10);
        index.commitsSinceLimit = 0;
    }
    const qint64 limit = std::max(minimum, index.limit);
    const qint64 supersededBytes = index.superseded * (index.end / qint64(std::max<size_t>(1, index.entries.size())));
    if (size > limit)
        bound(d->path, d->photos, index, limit - limit / 10);
    else if (supersededBytes > std::max<qint64>(kSupersededSlack, index.end / 2))
        bound(d->path, d->photos, index, limit);
}

int dropTrailing(const QString& archivePath, quint32 journalId, Kind kind)
{
    // Opened as a write opens it: a half-written entry cut off, damage set aside.
    const TRecorder ready(archivePath);
    const QString path = historyPath(archivePath);
    const Fd fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    if (fd.get() < 0)
        fail("cannot open the history", path);
    const std::lock_guard<std::mutex> guard(g_indexMutex);
    Index& index = g_indexes[path];
    if (!refresh(fd.get(), path, index, true))
        fail("cannot read the history", path);
    size_t kept = index.entries.size();
    while (kept > 0 && index.entries[kept - 1].journalId == journalId && index.entries[kept - 1].kind == kind)
        --kept;
    const int dropped = int(index.entries.size() - kept);
    if (dropped == 0)
        return 0;
    // Photo files only those entries kept go at the next bounding.
    if (::ftruncate(fd.get(), off_t(index.entries[kept].offset)) == -1 || !flush(fd.get())) {
        index = Index{};
        fail("cannot take entries back from the history", path);
    }
    index = Index{}; // read again from the file
    return dropped;
}

namespace {

std::vector<TVersion> read(const QString& archivePath, const std::function<bool(const EntryInfo&)>& wanted,
                           bool newestFirst, int most)
{
    std::vector<TVersion> result;
    TArchivio archive;
    archive.ApriArchivio(archivePath);
    archive.ConBloccoCondiviso([&] {
        const QString path = historyPath(archivePath);
        const Fd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        if (fd.get() < 0)
            return;
        const std::lock_guard<std::mutex> guard(g_indexMutex);
        Index& index = g_indexes[path];
        if (!refresh(fd.get(), path, index, false)) {
            g_indexes.erase(path);
            return;
        }
        const QString photos = photosFolder(archivePath);
        auto visit = [&](const EntryInfo& e) {
            QByteArray f(qsizetype(e.length), '\0');
            if (!readAt(fd.get(), f.data(), e.length, e.offset))
                return;
            EntryInfo again;
            TVersion v;
            if (!parse(f.constData() + 8, e.length - kFrame, again, &v.record))
                return;
            v.id = e.offset;
            v.kind = e.kind;
            v.when = QDateTime::fromMSecsSinceEpoch(e.when).toLocalTime();
            if (e.photos[0].present)
                v.photoA = photos + QLatin1Char('/') + hashName(e.photos[0].hash);
            if (e.photos[1].present)
                v.photoB = photos + QLatin1Char('/') + hashName(e.photos[1].hash);
            result.push_back(std::move(v));
        };
        if (newestFirst) {
            for (auto it = index.entries.rbegin(); it != index.entries.rend() && int(result.size()) < most; ++it)
                if (wanted(*it))
                    visit(*it);
        } else {
            for (const EntryInfo& e : index.entries)
                if (wanted(e))
                    visit(e);
        }
    });
    archive.ChiudiArchivio();
    return result;
}

} // namespace

std::vector<TVersion> versions(const QString& archivePath, qint32 n)
{
    return read(
        archivePath, [n](const EntryInfo& e) { return e.number == n; }, true, MaxVersionsPerCard);
}

std::vector<TVersion> allEntries(const QString& archivePath)
{
    return read(
        archivePath, [](const EntryInfo&) { return true; }, false, INT_MAX);
}

qint64 sizeOnDisk(const QString& archivePath)
{
    qint64 size = QFileInfo(historyPath(archivePath)).size();
    const QDir folder(photosFolder(archivePath));
    for (const QFileInfo& f : folder.entryInfoList(QDir::Files))
        size += f.size();
    return size;
}

bool restore(const QString& archivePath, qint32 n, const TVersion& version)
{
    TScheda record;
    if (version.record.size() != TScheda::Dimensione)
        throw EArchivioError(
            TFailure{TFailure::Operation::History, archivePath, QStringLiteral("the version is damaged")});
    record.ImpostaByte(version.record);
    TArchivio archive;
    archive.ApriArchivio(archivePath);
    archive.RegistraStoria(Kind::Restored);
    archive.ScriviScheda(n, record);
    archive.ChiudiArchivio();
    // The card is back; its photos follow, each whole or not at all.
    bool ok = true;
    const QString kept[2] = {version.photoA, version.photoB};
    for (int b = 0; b < 2; ++b) {
        const QString target = cardPhotoPath(archivePath, b == 1, n);
        if (kept[b].isEmpty()) {
            ok = (!QFileInfo::exists(target) || QFile::remove(target)) && ok;
            continue;
        }
        QFile source(kept[b]);
        ok = source.open(QIODevice::ReadOnly) && QDir().mkpath(QFileInfo(target).absolutePath())
             && SaveFile::writeWhole(target, source.readAll()) && ok;
    }
    return ok;
}

} // namespace CardHistory
