#include "core/archive/Archivio.h"
#include "core/history/BatchHistory.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

Q_LOGGING_CATEGORY(lcArchivio, "miniarca.archive")

constexpr qsizetype kMaxPercorso = 259;
constexpr off_t kDim = TScheda::Dimensione;
// How long opening waits for the exclusive lock to deal with a journal.
constexpr std::chrono::milliseconds kAttesaRipristino{200};

// The steps below know why they fail but not which operation of which
// archive they serve: the operation names those on the way out.
[[noreturn]] void fallisci(const char* perche)
{
    throw EArchivioError(QString(), QString::fromLatin1(perche));
}

// Fails with the system's error of the call that just failed, on `percorso`
// when that is not the archive itself.
[[noreturn]] void fallisciErrno(const QByteArray& percorso = {})
{
    const int errore = errno;
    throw EArchivioError(QFile::decodeName(percorso), systemError(errore));
}

std::atomic<qint64> g_attesaBlocco{TArchivio::AttesaBloccoPredefinita.count()};
std::mutex g_avvisoMutex;
TArchivio::AvvisoAttesa g_avviso;

// Tells the installed listener that a wait began, and that it ended however
// it ends.
class AttesaAnnunciata {
public:
    AttesaAnnunciata()
    {
        {
            const std::lock_guard<std::mutex> guardia(g_avvisoMutex);
            m_avviso = g_avviso;
        }
        if (m_avviso)
            m_avviso(true);
    }
    ~AttesaAnnunciata()
    {
        if (m_avviso)
            m_avviso(false);
    }
    AttesaAnnunciata(const AttesaAnnunciata&) = delete;
    AttesaAnnunciata& operator=(const AttesaAnnunciata&) = delete;

private:
    TArchivio::AvvisoAttesa m_avviso;
};

// Holds a whole-file advisory lock for one operation. Record locks belong to
// the process and any close of the same file drops them; that is safe here
// because a lock never outlives the call that takes it, and no descriptor of
// the archive but the open one is ever made.
//
// A lock held elsewhere is asked for again after short, growing pauses
// rather than waited for in the kernel, which has no bounded wait; past the
// bound the operation fails.
class Blocco {
public:
    // Waits at most AttesaBlocco(), announced, and fails past it.
    Blocco(int fd, short tipo) : m_fd(fd)
    {
        if (!prendiEntro(tipo, TArchivio::AttesaBlocco(), true))
            fallisci("locked elsewhere for longer than the wait allows");
        m_preso = true;
    }
    // Waits at most `attesa`, quietly; Preso() says whether it got the lock.
    Blocco(int fd, short tipo, std::chrono::milliseconds attesa) : m_fd(fd), m_preso(prendiEntro(tipo, attesa, false))
    {}
    ~Blocco()
    {
        if (!m_preso)
            return;
        struct flock fl {};
        fl.l_type = F_UNLCK;
        fl.l_whence = SEEK_SET;
        fcntl(m_fd, F_SETLK, &fl);
    }
    Blocco(const Blocco&) = delete;
    Blocco& operator=(const Blocco&) = delete;

    bool Preso() const { return m_preso; }

private:
    bool prendiEntro(short tipo, std::chrono::milliseconds attesa, bool annuncia)
    {
        using Orologio = std::chrono::steady_clock;
        constexpr auto kPausaMassima = std::chrono::milliseconds(20);
        if (prendi(tipo))
            return true;
        const Orologio::time_point scadenza = Orologio::now() + attesa;
        std::optional<AttesaAnnunciata> annuncio;
        if (annuncia)
            annuncio.emplace();
        std::chrono::microseconds pausa(500);
        for (;;) {
            const Orologio::time_point ora = Orologio::now();
            if (ora >= scadenza)
                return false;
            std::this_thread::sleep_for(std::min<Orologio::duration>(pausa, scadenza - ora));
            pausa = std::min<std::chrono::microseconds>(pausa * 2, kPausaMassima);
            if (prendi(tipo))
                return true;
        }
    }

    // False while another process holds a conflicting lock.
    bool prendi(short tipo)
    {
        struct flock fl {};
        fl.l_type = tipo;
        fl.l_whence = SEEK_SET;
        fl.l_start = 0;
        fl.l_len = 0; // to the end of the file, however far it grows
        for (;;) {
            if (fcntl(m_fd, F_SETLK, &fl) == 0)
                return true;
            if (errno == EACCES || errno == EAGAIN)
                return false;
            if (errno != EINTR)
                fallisciErrno();
        }
    }

    int m_fd;
    bool m_preso = false;
};

off_t dimensione(int fd)
{
    struct stat st {};
    if (fstat(fd, &st) == -1)
        fallisciErrno();
    return st.st_size;
}

qint32 conta(int fd)
{
    const off_t n = dimensione(fd) / kDim;
    return n > INT32_MAX ? INT32_MAX : qint32(n);
}

void leggi(int fd, char* dove, size_t quanti, off_t posizione)
{
    while (quanti > 0) {
        const ssize_t r = pread(fd, dove, quanti, posizione);
        if (r == -1 && errno == EINTR)
            continue;
        if (r == 0)
            fallisci("the file ended before the record");
        if (r < 0)
            fallisciErrno();
        dove += r;
        quanti -= size_t(r);
        posizione += r;
    }
}

// Normally one positioned write: a record is written whole or not at all as
// far as another workstation, which waits for the lock, can see.
void scriviTutto(int fd, const char* da, size_t quanti, off_t posizione)
{
    while (quanti > 0) {
        const ssize_t r = pwrite(fd, da, quanti, posizione);
        if (r == -1 && errno == EINTR)
            continue;
        if (r == 0)
            fallisci("nothing could be written");
        if (r < 0)
            fallisciErrno();
        da += r;
        quanti -= size_t(r);
        posizione += r;
    }
}

void svuota(int fd)
{
    int s;
    do
        s = fdatasync(fd);
    while (s == -1 && errno == EINTR);
    if (s == -1)
        fallisciErrno();
}

// Closes on every way out.
class Descrittore {
public:
    explicit Descrittore(int fd) : m_fd(fd) {}
    ~Descrittore()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descrittore(const Descrittore&) = delete;
    Descrittore& operator=(const Descrittore&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

QByteArray cartellaDi(const QByteArray& percorso)
{
    const qsizetype barra = percorso.lastIndexOf('/');
    if (barra < 0)
        return QByteArrayLiteral(".");
    return barra == 0 ? QByteArrayLiteral("/") : percorso.left(barra);
}

// A new file's name reaches the disk with its folder, not with the file.
// Some file systems cannot flush a folder at all; there the flush of the
// file is all there is to have.
void svuotaCartella(const QByteArray& percorso)
{
    const int fd = ::open(cartellaDi(percorso).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd == -1)
        return;
    const Descrittore cartella(fd);
    int s;
    do
        s = fsync(fd);
    while (s == -1 && errno == EINTR);
    if (s == -1 && errno != EINVAL && errno != EROFS)
        fallisciErrno();
}

// Asked with this process's own rights as they stand (not those of the user
// who started it), as opening and removing files will be judged.
bool cartellaScrivibile(const QByteArray& percorso)
{
    return faccessat(AT_FDCWD, cartellaDi(percorso).constData(), W_OK | X_OK, AT_EACCESS) == 0;
}

// CRC-32 as zip and PNG compute it.
constexpr std::array<quint32, 256> kTabellaCrc = [] {
    std::array<quint32, 256> t{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[i] = c;
    }
    return t;
}();

quint32 crc32(const char* dati, qsizetype quanti)
{
    quint32 c = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < quanti; ++i)
        c = kTabellaCrc[(c ^ quint8(dati[i])) & 0xFFu] ^ (c >> 8);
    return ~c;
}

// The journal of one write, little-endian. Every version after the first
// starts with the same 16 bytes and ends with the same checksum, so that any
// of them can tell a whole journal of another version from one cut while it
// was being written:
//    0  8  mark "MINIJRNL"
//    8  4  format version
//   12  4  J, the journal's whole length
//  J-4  4  CRC-32 of everything before
// Version 2 holds between them:
//   16  2  N, the length of the archive's file name in UTF-8
//   18  N  the archive's file name: a journal put beside another archive is
//          not that archive's
//       8  archive size before the write
//       4  record number written, or 0 for a batch append
//       4  L, the count of old bytes that follow
//       L  the archive's bytes from the record's start to the end of the
//          record or of the file, whichever comes first: the whole old
//          record for an overwrite, a partial record at the end (usually
//          nothing) for an append or a batch
//    3446  the new record; a batch has none, its cards being too many to
//          keep twice
// Version 1 had no version field: the mark, the size, the number, L, the
// new record's CRC, the old bytes and the closing checksum.
constexpr char kMarca[8] = {'M', 'I', 'N', 'I', 'J', 'R', 'N', 'L'};
constexpr quint32 kVersione = 2;
constexpr qsizetype kTestata = 16;
constexpr qsizetype kCoda = 4;
// Room for any file name a file system allows, and to spare.
constexpr qsizetype kNomeMassimo = 1024;
constexpr qsizetype kDiarioMassimo = kTestata + 2 + kNomeMassimo + 16 + 2 * kDim + kCoda;

// One write as its journal tells it. The card's bytes before and after the
// write are both here, whole for an overwrite. A batch appends any number of
// cards from the first after the last whole record; only what it wrote over
// is kept.
struct Diario {
    QByteArray nome;   // the archive's file name, UTF-8
    off_t prima = 0;   // the archive's size before the write
    qint32 numero = 0; // of a batch, its first card's
    QByteArray vecchi;
    QByteArray nuovi; // the new record, kDim bytes; empty for a batch
    bool lotto = false;

    off_t inizio() const { return off_t(numero - 1) * kDim; }
    off_t fine() const { return inizio() + kDim; }
    bool accoda() const { return prima < fine(); }
};

void aggiungi(QByteArray& b, quint64 v, int byte)
{
    for (int i = 0; i < byte; ++i)
        b += char(quint8(v >> (8 * i)));
}

quint64 estrai(const char* p, int byte)
{
    quint64 v = 0;
    for (int i = byte - 1; i >= 0; --i)
        v = v << 8 | quint8(p[i]);
    return v;
}

QByteArray componi(const Diario& d)
{
    QByteArray b;
    b.reserve(kTestata + 2 + d.nome.size() + 16 + d.vecchi.size() + d.nuovi.size() + kCoda);
    b.append(kMarca, sizeof kMarca);
    aggiungi(b, kVersione, 4);
    aggiungi(b, 0, 4); // the length, once known
    aggiungi(b, quint64(d.nome.size()), 2);
    b += d.nome;
    aggiungi(b, quint64(d.prima), 8);
    aggiungi(b, d.lotto ? 0 : quint32(d.numero), 4);
    aggiungi(b, quint32(d.vecchi.size()), 4);
    b += d.vecchi;
    b += d.nuovi;
    const quint32 lunghezza = quint32(b.size() + kCoda);
    for (int i = 0; i < 4; ++i)
        b[12 + i] = char(quint8(lunghezza >> (8 * i)));
    aggiungi(b, crc32(b.constData(), b.size()), 4);
    return b;
}

// What a regular file at the journal's path holds.
enum class Contenuto {
    Incompleto, // cut while it was being written, before the archive was touched
    Estraneo,   // whole, but of another version, or not a write this program makes
    Valido,     // a whole journal of this version
};

Contenuto interpreta(const QByteArray& b, Diario& d)
{
    const char* p = b.constData();
    if (b.size() < kTestata + kCoda || !b.startsWith(QByteArrayView(kMarca, sizeof kMarca))
        || estrai(p + b.size() - kCoda, 4) != crc32(p, b.size() - kCoda))
        return Contenuto::Incompleto;
    if (estrai(p + 8, 4) != kVersione || estrai(p + 12, 4) != quint64(b.size()))
        return Contenuto::Estraneo;
    const qsizetype corpo = b.size() - kCoda;
    qsizetype q = kTestata;
    if (q + 2 > corpo)
        return Contenuto::Estraneo;
    const qsizetype n = qsizetype(estrai(p + q, 2));
    q += 2;
    if (n > kNomeMassimo || q + n + 16 > corpo)
        return Contenuto::Estraneo;
    d.nome = b.sliced(q, n);
    q += n;
    const quint64 prima = estrai(p + q, 8);
    const quint64 numero = estrai(p + q + 8, 4);
    const quint64 quanti = estrai(p + q + 12, 4);
    q += 16;
    if (numero == 0) {
        // A batch: the partial record it wrote over from its start.
        if (quanti >= quint64(kDim) || q + qsizetype(quanti) != corpo
            || prima > quint64(std::numeric_limits<off_t>::max() - kDim) || prima % quint64(kDim) != quanti
            || prima / quint64(kDim) >= quint64(INT32_MAX))
            return Contenuto::Estraneo;
        d.lotto = true;
        d.prima = off_t(prima);
        d.numero = qint32(prima / quint64(kDim)) + 1;
        d.vecchi = b.sliced(q, qsizetype(quanti));
        return Contenuto::Valido;
    }
    if (quanti > quint64(kDim) || q + qsizetype(quanti) + kDim != corpo
        || prima > quint64(std::numeric_limits<off_t>::max() - kDim) || numero < 1 || numero > quint64(INT32_MAX))
        return Contenuto::Estraneo;
    d.prima = off_t(prima);
    d.numero = qint32(numero);
    d.vecchi = b.sliced(q, qsizetype(quanti));
    d.nuovi = b.sliced(q + qsizetype(quanti), kDim);
    // What a write of ours would have kept: the record's bytes up to its end
    // or the file's, and an append always right after the last whole record.
    if (d.inizio() > d.prima || off_t(quanti) != std::min(d.fine(), d.prima) - d.inizio()
        || (d.accoda() && d.inizio() != d.prima / kDim * kDim))
        return Contenuto::Estraneo;
    return Contenuto::Valido;
}

// Whether `t`, the archive's bytes from the record's start to the end of the
// file, is what a cut of the write can have left: the new record's first k
// bytes (any k) over the old bytes, then zeros where a file system grew the
// file before the bytes arrived. That takes in wholly old and wholly new.
bool lasciatoDaUnTaglio(QByteArrayView t, QByteArrayView vecchi, QByteArrayView nuovi)
{
    const qsizetype l = vecchi.size();
    if (t.size() < l || t.size() > nuovi.size())
        return false;
    qsizetype comeNuovi = 0; // t starts with this much of the new record
    while (comeNuovi < t.size() && t[comeNuovi] == nuovi[comeNuovi])
        ++comeNuovi;
    qsizetype comeVecchi = l; // t's old part ends with the old bytes from here
    while (comeVecchi > 0 && t[comeVecchi - 1] == vecchi[comeVecchi - 1])
        --comeVecchi;
    qsizetype zeri = t.size(); // t ends with zeros from here
    while (zeri > 0 && t[zeri - 1] == '\0')
        --zeri;
    // The cut inside the old bytes, or past them.
    return (zeri <= l && comeVecchi <= std::min(comeNuovi, l)) || (comeNuovi > l && comeNuovi >= zeri);
}

enum class Esito {
    Completa,   // the new record is whole where it goes; only the journal's removal was lost
    Interrotta, // what a cut of the write leaves: the old bytes go back
    Estranea,   // written over by someone else since, or another archive's
};

// What the archive holds of the write `d` tells. Only the bytes that write
// touched are judged: from the record's start to its end for an overwrite,
// to the end of the file for an append. A batch's cards are not in its
// journal, so all that tells what a cut of it left is a file no shorter than
// before; and since nobody was told it was stored before its journal went, a
// batch is never found complete.
Esito giudica(int fd, const Diario& d, const QByteArray& nome)
{
    if (d.nome != nome)
        return Esito::Estranea;
    const off_t ora = dimensione(fd);
    if (d.lotto)
        return ora >= d.prima ? Esito::Interrotta : Esito::Estranea;
    off_t fine = d.fine();
    if (d.accoda()) {
        // An append only grows the file, up to its record's end.
        if (ora < d.prima || ora > d.fine())
            return Esito::Estranea;
        fine = ora;
    } else if (ora < d.fine()) {
        return Esito::Estranea;
    }
    QByteArray byte(qsizetype(fine - d.inizio()), '\0');
    if (!byte.isEmpty())
        leggi(fd, byte.data(), size_t(byte.size()), d.inizio());
    if (byte == d.nuovi)
        return Esito::Completa;
    return lasciatoDaUnTaglio(byte, d.vecchi, d.nuovi) ? Esito::Interrotta : Esito::Estranea;
}

QByteArray nomeNelDiario(const QString& archivio)
{
    return archivio.mid(archivio.lastIndexOf(QLatin1Char('/')) + 1).toUtf8();
}

// Where one archive's journal is, and what the archive is called in it.
struct Luoghi {
    QString archivio;
    QByteArray diario; // encoded for the file system
    QByteArray nome;
};

// What is at the journal's path.
struct Trovato {
    enum Tipo {
        Nessuno,   // nothing
        NonUnFile, // a FIFO, a folder, a link, a device: not a journal of ours
        Illeggibile,
        Incompleto,
        Estraneo,
        Valido,
    } tipo = Nessuno;
    Diario diario;
};

// Looks without side effects: nothing but a regular file is opened, and it
// is opened so that even a FIFO put there in the meantime cannot block.
Trovato trova(const QByteArray& percorsoDiario)
{
    Trovato t;
    struct stat st {};
    if (::lstat(percorsoDiario.constData(), &st) == -1) {
        t.tipo = errno == ENOENT ? Trovato::Nessuno : Trovato::Illeggibile;
        return t;
    }
    if (!S_ISREG(st.st_mode)) {
        t.tipo = Trovato::NonUnFile;
        return t;
    }
    int jfd;
    do
        jfd = ::open(percorsoDiario.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    while (jfd == -1 && errno == EINTR);
    if (jfd == -1) {
        t.tipo = errno == ENOENT ? Trovato::Nessuno : errno == ELOOP ? Trovato::NonUnFile : Trovato::Illeggibile;
        return t;
    }
    const Descrittore file(jfd);
    if (fstat(jfd, &st) == -1) {
        t.tipo = Trovato::Illeggibile;
        return t;
    }
    if (!S_ISREG(st.st_mode)) {
        t.tipo = Trovato::NonUnFile;
        return t;
    }
    // Longer than any journal: not read at all.
    if (st.st_size > kDiarioMassimo) {
        t.tipo = Trovato::Estraneo;
        return t;
    }
    QByteArray byte(qsizetype(st.st_size), '\0');
    try {
        if (!byte.isEmpty())
            leggi(jfd, byte.data(), size_t(byte.size()), 0);
    } catch (const EArchivioError&) {
        t.tipo = Trovato::Illeggibile;
        return t;
    }
    switch (interpreta(byte, t.diario)) {
    case Contenuto::Incompleto: t.tipo = Trovato::Incompleto; break;
    case Contenuto::Estraneo: t.tipo = Trovato::Estraneo; break;
    case Contenuto::Valido: t.tipo = Trovato::Valido; break;
    }
    return t;
}

std::mutex g_svuotaturaMutex;
TArchivio::FlushFailure g_svuotaturaFallita;

// The archive's own flushes, which a test may make fail.
void svuotaArchivio(int fd)
{
    TArchivio::FlushFailure fallita;
    {
        const std::lock_guard<std::mutex> guardia(g_svuotaturaMutex);
        fallita = g_svuotaturaFallita;
    }
    if (fallita && fallita()) {
        errno = EIO; // as a failing disk reports it
        fallisciErrno();
    }
    svuota(fd);
}

// The archive's bytes as they were before the write `d` tells: the old
// bytes back in place, and an append's record taken off again.
void rimettiVecchi(int fd, const Diario& d)
{
    if (!d.vecchi.isEmpty())
        scriviTutto(fd, d.vecchi.constData(), size_t(d.vecchi.size()), d.inizio());
    if (d.accoda() && dimensione(fd) != d.prima) {
        int r;
        do
            r = ftruncate(fd, d.prima);
        while (r == -1 && errno == EINTR);
        if (r == -1)
            fallisciErrno();
    }
}

// A whole journal that does not tell this archive's cut write is kept, under
// a name of its own, for whoever looks into it; the archive is not touched.
bool metteDaParte(const Luoghi& luoghi, const char* perche)
{
    for (int i = 1; i <= 999; ++i) {
        const QString altro = TArchivio::SetAsideJournalPath(luoghi.archivio, i);
        const QByteArray nome = QFile::encodeName(altro);
        struct stat st {};
        if (::lstat(nome.constData(), &st) == 0)
            continue;
        if (errno != ENOENT || ::rename(luoghi.diario.constData(), nome.constData()) == -1)
            break;
        qCWarning(lcArchivio).noquote() << QFile::decodeName(luoghi.diario) << perche << "- set aside as" << altro;
        return true;
    }
    qCWarning(lcArchivio).noquote() << QFile::decodeName(luoghi.diario) << perche
                                    << "- could not be set aside:" << qt_error_string(errno);
    return false;
}

// The checksum that closes a journal: what its history entry is known by.
quint32 segnoDelDiario(const QByteArray& diario)
{
    return qFromLittleEndian<quint32>(diario.constData() + diario.size() - 4);
}

// A write found complete was cut after its card reached the disk, perhaps
// before its history entry did: the journal's old bytes are what that entry
// keeps, so it is added now unless it is there. Where the history cannot
// take it, the write is taken back instead: nothing stays in the archive
// that history could not protect.
void registraCompleta(int fd, const Luoghi& luoghi, const Diario& d)
{
    // A batch is never found complete; this is for single writes alone.
    if (d.lotto || !CardHistory::enabled() || !QFileInfo::exists(CardHistory::historyPath(luoghi.archivio)))
        return;
    try {
        CardHistory::TRecorder storia(luoghi.archivio);
        const quint32 segno = segnoDelDiario(componi(d));
        if (storia.endsWith(segno))
            return;
        storia.keep(CardHistory::Change{d.numero, d.accoda() ? QByteArray() : d.vecchi, segno},
                    d.accoda() ? CardHistory::Kind::Added : CardHistory::Kind::Saved);
        storia.commit();
    } catch (const EArchivioError&) {
        qCWarning(lcArchivio).noquote() << luoghi.archivio
                                        << "- the history could not keep a finished write: taken back";
        rimettiVecchi(fd, d);
        svuotaArchivio(fd);
    }
}

// A batch taken back, cut or failed before its journal went, takes its
// cards' entries out of the history with it; an undo of a batch that had
// recorded itself keeps its own. False when the history cannot let go of
// them: the journal then stays for a later try, and readers meanwhile see
// the archive as before the batch.
bool ritiraDallaStoria(const Luoghi& luoghi, const Diario& d)
{
    if (!d.lotto || !CardHistory::enabled() || !QFileInfo::exists(CardHistory::historyPath(luoghi.archivio)))
        return true;
    try {
        CardHistory::dropTrailing(luoghi.archivio, segnoDelDiario(componi(d)), CardHistory::Kind::Added);
        return true;
    } catch (const EArchivioError&) {
        qCWarning(lcArchivio).noquote() << luoghi.archivio
                                        << "- the history could not let go of a batch taken back: left for later";
        return false;
    }
}

// Under the exclusive lock, deals with what is at the journal's path so that
// a write may create its own. A cut write of this archive is put back and
// its journal removed; a write found complete (only the journal's removal
// was lost) is kept. A journal cut while it was being written, before the
// archive was touched, is removed. A whole journal that does not fit is set
// aside, the archive left as it is. Anything but a regular file is left
// alone, and so is everything in a folder that cannot be written. Returns
// whether the path is free.
bool ripristina(int fd, const Luoghi& luoghi)
{
    const Trovato t = trova(luoghi.diario);
    if (t.tipo == Trovato::Nessuno)
        return true;
    if (t.tipo == Trovato::NonUnFile) {
        qCWarning(lcArchivio).noquote() << QFile::decodeName(luoghi.diario)
                                        << "is not a regular file: left alone, and the archive is not written";
        return false;
    }
    if (t.tipo == Trovato::Illeggibile) {
        qCWarning(lcArchivio).noquote() << QFile::decodeName(luoghi.diario) << "could not be read";
        return false;
    }
    // What could not be removed afterwards is left alone from the start.
    if (!cartellaScrivibile(luoghi.diario))
        return false;
    if (t.tipo == Trovato::Estraneo)
        return metteDaParte(luoghi, "is not a journal this program can judge");
    if (t.tipo == Trovato::Valido) {
        const Diario& d = t.diario;
        switch (giudica(fd, d, luoghi.nome)) {
        case Esito::Estranea: return metteDaParte(luoghi, "does not fit the archive as it is");
        case Esito::Interrotta:
            if (!ritiraDallaStoria(luoghi, d))
                return false;
            rimettiVecchi(fd, d);
            svuotaArchivio(fd);
            break;
        case Esito::Completa:
            svuotaArchivio(fd);
            registraCompleta(fd, luoghi, d);
            break;
        }
    }
    return ::unlink(luoghi.diario.constData()) == 0 || errno == ENOENT;
}

// A journal that is still here under the shared lock was left by a cut write
// that no opening or write could deal with yet (another workstation held a
// lock, or the folder cannot be written). Readers see the archive as it was
// before that write. Anything else there is no concern of theirs.
std::optional<Diario> taglioInSospeso(int fd, const Luoghi& luoghi)
{
    try {
        Trovato t = trova(luoghi.diario);
        if (t.tipo == Trovato::Valido && giudica(fd, t.diario, luoghi.nome) == Esito::Interrotta)
            return std::move(t.diario);
    } catch (const EArchivioError&) {}
    return std::nullopt;
}

// The record count readers see.
qint32 contaVista(int fd, const std::optional<Diario>& taglio)
{
    return taglio && taglio->accoda() ? taglio->numero - 1 : conta(fd);
}

std::mutex g_interruzioneMutex;
TArchivio::WriteInterruption g_interruzione;

std::optional<qint64> fermata(TArchivio::WriteStep passo)
{
    TArchivio::WriteInterruption interruzione;
    {
        const std::lock_guard<std::mutex> guardia(g_interruzioneMutex);
        interruzione = g_interruzione;
    }
    return interruzione ? interruzione(passo) : std::nullopt;
}

size_t finoA(std::optional<qint64> taglio, qsizetype tutti)
{
    return size_t(std::clamp<qint64>(*taglio, 0, tutti));
}

// After the record's write or flush failed: the old bytes go back from the
// journal and are flushed, since what is in the cache is not known to be on
// the disk. Only once they are there does the journal go; otherwise it stays
// for the next opening or write, which puts them back.
void rimetti(int fd, const Diario& d, const QByteArray& percorsoDiario)
{
    try {
        rimettiVecchi(fd, d);
        svuotaArchivio(fd);
        ::unlink(percorsoDiario.constData());
    } catch (const EArchivioError&) {}
}

// The journal `diario`, created at its path and whole on the disk, before
// the archive is touched.
void scriviDiario(const QByteArray& percorsoDiario, const QByteArray& diario)
{
    using Passo = TArchivio::WriteStep;
    {
        int jfd;
        do
            jfd = ::open(percorsoDiario.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        while (jfd == -1 && errno == EINTR);
        if (jfd == -1)
            fallisciErrno(percorsoDiario);
        const Descrittore file(jfd);
        try {
            if (const std::optional<qint64> taglio = fermata(Passo::JournalPartlyWritten)) {
                scriviTutto(file.fd(), diario.constData(), finoA(taglio, diario.size()), 0);
                throw TArchivio::WriteInterrupted();
            }
            scriviTutto(file.fd(), diario.constData(), size_t(diario.size()), 0);
            svuota(file.fd());
            svuotaCartella(percorsoDiario);
        } catch (const EArchivioError&) {
            ::unlink(percorsoDiario.constData()); // the archive is as it was
            throw;
        }
    }
    if (fermata(Passo::JournalWritten))
        throw TArchivio::WriteInterrupted();
}

// The history's entries committed under the write's seams: a cut part-way
// leaves a partial entry, as a crash would. `whole` is set as soon as they are.
void scriviStoria(CardHistory::TRecorder& registro, bool* whole = nullptr)
{
    using Passo = TArchivio::WriteStep;
    if (const std::optional<qint64> taglio = fermata(Passo::HistoryPartlyWritten)) {
        registro.commit(taglio);
        throw TArchivio::WriteInterrupted();
    }
    registro.commit();
    if (whole)
        *whole = true;
    if (fermata(Passo::HistoryWritten))
        throw TArchivio::WriteInterrupted();
}

// Record n (0 for an append) written under the exclusive lock with its
// journal: the journal whole on the disk before the archive is touched,
// removed once the record is there too. Returns the record's number; success
// means the record is stored.
qint32 scrivi(int fd, const Luoghi& luoghi, const TScheda& scheda, qint32 n, std::optional<CardHistory::Kind> storia)
{
    using Passo = TArchivio::WriteStep;
    // A cut write is put back before anything is read for this one: that
    // may change the count and the bytes this journal keeps.
    if (!ripristina(fd, luoghi))
        fallisci("an unfinished write could not be put back");
    const qint32 totale = conta(fd);
    if (n == 0) {
        if (totale == INT32_MAX)
            fallisci("the archive holds as many cards as it can");
        n = totale + 1;
    } else if (n < 1 || n > totale) {
        fallisci("no such card");
    }

    // The card before and after this write, as the journal keeps them.
    Diario d;
    d.nome = luoghi.nome;
    d.prima = dimensione(fd);
    d.numero = n;
    d.vecchi = QByteArray(qsizetype(std::clamp<off_t>(d.prima - d.inizio(), 0, kDim)), '\0');
    if (!d.vecchi.isEmpty())
        leggi(fd, d.vecchi.data(), size_t(d.vecchi.size()), d.inizio());
    d.nuovi = scheda.Byte();

    const QByteArray diario = componi(d);

    // The history is made ready, and the card's photos kept, before anything
    // is written: a history that cannot be written leaves all as it was.
    std::optional<CardHistory::TRecorder> registro;
    if (storia && CardHistory::enabled()) {
        registro.emplace(luoghi.archivio);
        const bool accoda = d.accoda();
        registro->keep(CardHistory::Change{n, accoda ? QByteArray() : d.vecchi, segnoDelDiario(diario)},
                       accoda ? CardHistory::Kind::Added : *storia);
    }

    scriviDiario(luoghi.diario, diario);

    try {
        if (const std::optional<qint64> taglio = fermata(Passo::RecordPartlyWritten)) {
            scriviTutto(fd, d.nuovi.constData(), finoA(taglio, kDim), d.inizio());
            throw TArchivio::WriteInterrupted();
        }
        scriviTutto(fd, d.nuovi.constData(), size_t(kDim), d.inizio());
        if (fermata(Passo::RecordWritten))
            throw TArchivio::WriteInterrupted();
        svuotaArchivio(fd);
        // What the journal holds is what the history keeps, flushed before
        // the journal goes.
        if (registro)
            scriviStoria(*registro);
    } catch (const EArchivioError&) {
        rimetti(fd, d, luoghi.diario);
        throw;
    }
    if (fermata(Passo::JournalNotRemoved))
        throw TArchivio::WriteInterrupted();
    // The record is on the disk: the write is done. A journal that cannot be
    // removed is found whole by the next opening or write, which only
    // removes it.
    if (::unlink(luoghi.diario.constData()) == -1 && errno != ENOENT)
        qCWarning(lcArchivio).noquote() << QFile::decodeName(luoghi.diario)
                                        << "could not be removed after the write:" << qt_error_string(errno);
    return n;
}

// The journal of a batch appended to the archive as it is now: its size and
// the partial record at its end, which the batch writes over.
Diario diarioDiLotto(int fd, const QByteArray& nome)
{
    Diario d;
    d.lotto = true;
    d.nome = nome;
    d.prima = dimensione(fd);
    if (d.prima / kDim >= INT32_MAX)
        fallisci("the archive holds as many cards as it can");
    d.numero = qint32(d.prima / kDim) + 1;
    d.vecchi = QByteArray(qsizetype(d.prima - d.inizio()), '\0');
    if (!d.vecchi.isEmpty())
        leggi(fd, d.vecchi.data(), size_t(d.vecchi.size()), d.inizio());
    return d;
}

// A cheap fingerprint of whole records, four lanes at a time: enough to tell
// whether the bytes a batch appended are still the same.
quint64 improntaSchede(const char* p, qsizetype quanti, quint64 h)
{
    constexpr quint64 kMolt = 0x9E3779B97F4A7C15ull;
    quint64 corsie[4] = {h, h ^ 0x1234567u, h + kMolt, h * 3 + 1};
    qsizetype i = 0;
    for (; i + 32 <= quanti; i += 32) {
        for (int c = 0; c < 4; ++c) {
            quint64 w;
            std::memcpy(&w, p + i + qsizetype{8} * c, 8);
            corsie[c] = (corsie[c] ^ w) * kMolt;
            corsie[c] ^= corsie[c] >> 29;
        }
    }
    quint64 r = corsie[0] ^ (corsie[1] << 1) ^ (corsie[2] << 2) ^ (corsie[3] << 3);
    for (; i < quanti; ++i)
        r = (r ^ quint8(p[i])) * kMolt;
    return r ^ (r >> 31);
}

qint64 modificaNs(int fd)
{
    struct stat st {};
    if (fstat(fd, &st) == -1)
        fallisciErrno();
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// A file beside the archive named after it and `coda`. A name too long for
// that is cut, and told apart from others cut alike by a checksum of the
// whole name.
QString accanto(const QString& archivePath, const QString& coda)
{
    constexpr qsizetype kNomePiuLungo = 255; // bytes, as the file systems count
    const qsizetype barra = archivePath.lastIndexOf(QLatin1Char('/'));
    const QString nome = archivePath.mid(barra + 1);
    if (QFile::encodeName(nome).size() + coda.size() <= kNomePiuLungo)
        return archivePath + coda;
    const QByteArray utf8 = nome.toUtf8();
    const QString segno = QStringLiteral("~%1").arg(crc32(utf8.constData(), utf8.size()), 8, 16, QLatin1Char('0'));
    QString taglio = nome;
    while (!taglio.isEmpty() && QFile::encodeName(taglio).size() + segno.size() + coda.size() > kNomePiuLungo)
        taglio.chop(taglio.size() >= 2 && taglio.back().isLowSurrogate() ? 2 : 1);
    return archivePath.left(barra + 1) + taglio + segno + coda;
}

} // namespace

QString TArchivio::JournalPath(const QString& archivePath)
{
    return accanto(archivePath, QStringLiteral("-journal"));
}

QString TArchivio::SetAsideJournalPath(const QString& archivePath, int n)
{
    return accanto(archivePath, QStringLiteral("-journal.%1").arg(n));
}

TArchivio::FlushFailure TArchivio::SetFlushFailure(FlushFailure failure)
{
    const std::lock_guard<std::mutex> guardia(g_svuotaturaMutex);
    std::swap(g_svuotaturaFallita, failure);
    return failure;
}

TArchivio::WriteInterruption TArchivio::SetWriteInterruption(WriteInterruption interruption)
{
    const std::lock_guard<std::mutex> guardia(g_interruzioneMutex);
    std::swap(g_interruzione, interruption);
    return interruption;
}

void TArchivio::ImpostaAttesaBlocco(std::chrono::milliseconds attesa)
{
    g_attesaBlocco = attesa.count();
}

std::chrono::milliseconds TArchivio::AttesaBlocco()
{
    return std::chrono::milliseconds(g_attesaBlocco.load());
}

TArchivio::AvvisoAttesa TArchivio::ImpostaAvvisoAttesa(AvvisoAttesa avviso)
{
    const std::lock_guard<std::mutex> guardia(g_avvisoMutex);
    std::swap(g_avviso, avviso);
    return avviso;
}

EArchivioError::EArchivioError(TFailure failure)
    : m_failure(std::move(failure)), m_what(describe(m_failure).toStdString())
{}

EArchivioError::EArchivioError(const QString& path, const QString& cause)
    : m_failure{TFailure::Operation::OpenArchive, path, cause}, m_located(false),
      m_what(describe(m_failure).toStdString())
{}

const char* EArchivioError::what() const noexcept
{
    return m_what.c_str();
}

void EArchivioError::locate(TFailure::Operation operation, const QString& path)
{
    if (m_located)
        return;
    m_located = true;
    m_failure.operation = operation;
    if (m_failure.path.isEmpty())
        m_failure.path = path;
    m_what = describe(m_failure).toStdString();
}

TArchivio::~TArchivio()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void TArchivio::ApriArchivio(const QString& percorso)
try {
    ChiudiArchivio();
    // Counted in UTF-16 code units, as the Windows path limit is.
    if (percorso.isEmpty() || percorso.size() > kMaxPercorso)
        fallisci("the path is empty or longer than 259 characters");
    const QByteArray nome = QFile::encodeName(percorso);
    if (nome.contains('\0'))
        fallisci("the path holds a NUL character");
    int fd = ::open(nome.constData(), O_RDWR | O_CLOEXEC);
    if (fd == -1)
        fd = ::open(nome.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd == -1)
        fallisciErrno();
    struct stat st {};
    if (fstat(fd, &st) == -1) {
        const int errore = errno;
        ::close(fd);
        errno = errore;
        fallisciErrno();
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        fallisci("not a regular file");
    }
    m_fd = fd;
    m_percorso = percorso;
    m_journal = QFile::encodeName(JournalPath(percorso));
    m_nome = nomeNelDiario(percorso);

    // A journal is here while a write is in progress, at another workstation
    // that then holds the exclusive lock, or after a write was cut. It is
    // only read or removed under that lock, and asked for briefly: a lock
    // held elsewhere means its own write, which that workstation finishes,
    // or a reader's; the next write here deals with the journal then. A
    // folder that cannot be written leaves the archive as it is.
    struct stat js {};
    if (::lstat(m_journal.constData(), &js) == -1 || !cartellaScrivibile(m_journal))
        return;
    try {
        const Blocco blocco(m_fd, F_WRLCK, std::min(AttesaBlocco(), kAttesaRipristino));
        if (blocco.Preso())
            ripristina(m_fd, Luoghi{m_percorso, m_journal, m_nome});
    } catch (const EArchivioError&) {
        // Left for the next opening; the archive reads as it is.
    }
} catch (EArchivioError& e) {
    e.locate(TFailure::Operation::OpenArchive, percorso);
    throw;
}

void TArchivio::ChiudiArchivio()
try {
    if (m_fd < 0)
        return;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) == -1 && errno != EINTR)
        fallisciErrno();
} catch (EArchivioError& e) {
    e.locate(TFailure::Operation::CloseArchive, m_percorso);
    throw;
}

qint32 TArchivio::ContaSchede() const
try {
    if (m_fd < 0)
        fallisci("the archive is not open");
    Blocco blocco(m_fd, F_RDLCK);
    return contaVista(m_fd, taglioInSospeso(m_fd, Luoghi{m_percorso, m_journal, m_nome}));
} catch (EArchivioError& e) {
    e.locate(TFailure::Operation::CountCards, m_percorso);
    throw;
}

TScheda TArchivio::LeggiScheda(qint32 n) const
try {
    if (m_fd < 0)
        fallisci("the archive is not open");
    Blocco blocco(m_fd, F_RDLCK);
    const std::optional<Diario> taglio = taglioInSospeso(m_fd, Luoghi{m_percorso, m_journal, m_nome});
    if (n < 1 || n > contaVista(m_fd, taglio))
        fallisci("no such card");
    TScheda scheda;
    if (taglio && !taglio->accoda() && taglio->numero == n)
        scheda.ImpostaByte(taglio->vecchi);
    else
        leggi(m_fd, scheda.dati(), size_t(kDim), off_t(n - 1) * kDim);
    return scheda;
} catch (EArchivioError& e) {
    e.locate(TFailure::Operation::ReadCards, m_percorso);
    throw;
}

std::vector<TScheda> TArchivio::LeggiSchede(qint32 primo, qint32 quante) const
try {
    if (m_fd < 0)
        fallisci("the archive is not open");
    Blocco blocco(m_fd, F_RDLCK);
    const std::optional<Diario> taglio = taglioInSospeso(m_fd, Luoghi{m_percorso, m_journal, m_nome});
    const qint32 totale = contaVista(m_fd, taglio);
    if (quante < 0 || primo < 1 || primo > totale + 1 || quante > totale - (primo - 1))
        fallisci("no such cards");
    std::vector<TScheda> schede(static_cast<size_t>(quante));
    if (quante > 0)
        leggi(m_fd, reinterpret_cast<char*>(schede.data()), size_t(quante) * size_t(kDim), off_t(primo - 1) * kDim);
    if (taglio && !taglio->accoda() && taglio->numero >= primo && taglio->numero - primo < quante)
        schede[size_t(taglio->numero - primo)].ImpostaByte(taglio->vecchi);
    return schede;
} catch (EArchivioError& e) {
    e.locate(TFailure::Operation::ReadCards, m_percorso);
    throw;
}

void TArchivio::ScorriSchede(const std::function<void(const TScheda&, qint32)>& visita) const
try {
    // One lock and one read per block rather than per record, and a block
    // small enough to stay in the cache.
    constexpr qint32 kBlocco = 1000;
    const qint32 totale = ContaSchede();
    for (qint32 primo = 1; primo <= totale; primo += kBlocco) {
        const std::vector<TScheda> schede = LeggiSchede(primo, std::min(kBlocco, totale - primo + 1));
        for (size_t i = 0; i < schede.size(); ++i)
            visita(schede[i], primo + qint32(i));
    }
} catch (EArchivioError& e) {
    e.locate(TFailure::Operation::ReadCards, m_percorso);
    throw;
}

void TArchivio::ConBloccoCondiviso(const std::function<void()>& fai) const
try {
    if (m_fd < 0)
        fallisci("the archive is not open");
    Blocco blocco(m_fd, F_RDLCK);
    fai();
} catch (EArchivioError& e) {
    e.locate(TFailure::Operation::LockArchive, m_percorso);
    throw;
}

void TArchivio::ConBloccoEsclusivo(const std::function<void()>& fai)
try {
    if (m_fd < 0)
        fallisci("the archive is not open");
    Blocco blocco(m_fd, F_WRLCK);
    fai();
} catch (EArchivioError& e) {
    e.locate(TFailure::Operation::LockArchive, m_percorso);
    throw;
}

void TArchivio::ScriviScheda(qint32 n, const TScheda& scheda)
try {
    if (m_fd < 0)
        fallisci("the archive is not open");
    Blocco blocco(m_fd, F_WRLCK);
    if (n < 1)
        fallisci("no such card");
    scrivi(m_fd, Luoghi{m_percorso, m_journal, m_nome}, scheda, n, m_storia);
} catch (EArchivioError& e) {
    e.locate(TFailure::Operation::WriteCard, m_percorso);
    throw;
}

qint32 TArchivio::AccodaScheda(const TScheda& scheda)
try {
    if (m_fd < 0)
        fallisci("the archive is not open");
    // The count is taken under the exclusive lock, so two workstations
    // appending at once get different numbers.
    Blocco blocco(m_fd, F_WRLCK);
    return scrivi(m_fd, Luoghi{m_percorso, m_journal, m_nome}, scheda, 0, m_storia);
} catch (EArchivioError& e) {
    e.locate(TFailure::Operation::AppendCards, m_percorso);
    throw;
}

TArchivio::Accodamento TArchivio::AccodaSchede(const std::function<bool(TScheda&)>& prossima)
try {
    using Passo = WriteStep;
    if (m_fd < 0)
        fallisci("the archive is not open");
    Blocco blocco(m_fd, F_WRLCK);
    const Luoghi luoghi{m_percorso, m_journal, m_nome};
    if (!ripristina(m_fd, luoghi))
        fallisci("an unfinished write could not be put back");
    const Diario d = diarioDiLotto(m_fd, luoghi.nome);
    const QByteArray diario = componi(d);
    // Every card appended is a new card of the history, all in one commit
    // made ready before anything is written, as for a single append.
    std::optional<CardHistory::TRecorder> registro;
    if (m_storia && CardHistory::enabled())
        registro.emplace(luoghi.archivio);
    const quint32 segno = segnoDelDiario(diario);
    bool registrato = false;
    scriviDiario(luoghi.diario, diario);

    Accodamento esito;
    esito.primo = d.numero;
    esito.dimensionePrima = d.prima;
    esito.codaPrima = d.vecchi;
    try {
        // Written a block at a time; the journal covers all of them.
        constexpr qsizetype kBlocco = 256;
        QByteArray pronte;
        pronte.reserve(kBlocco * kDim);
        off_t posizione = d.inizio();
        quint64 impronta = 0;
        auto scarica = [&] {
            if (pronte.isEmpty())
                return;
            impronta = improntaSchede(pronte.constData(), pronte.size(), impronta);
            scriviTutto(m_fd, pronte.constData(), size_t(pronte.size()), posizione);
            posizione += off_t(pronte.size());
            pronte.resize(0);
        };
        TScheda scheda;
        for (;;) {
            scheda = TScheda();
            if (!prossima(scheda))
                break;
            if (esito.quante == INT32_MAX - esito.primo)
                fallisci("the archive holds as many cards as it can");
            if (const std::optional<qint64> taglio = fermata(Passo::RecordPartlyWritten)) {
                pronte.append(scheda.dati(), qsizetype(finoA(taglio, kDim)));
                scarica();
                throw WriteInterrupted();
            }
            pronte.append(scheda.dati(), kDim);
            if (registro)
                registro->keep(CardHistory::Change{esito.primo + esito.quante, QByteArray(), segno},
                               CardHistory::Kind::Added);
            ++esito.quante;
            if (pronte.size() >= kBlocco * kDim)
                scarica();
        }
        scarica();
        if (fermata(Passo::RecordWritten))
            throw WriteInterrupted();
        svuotaArchivio(m_fd);
        // What the journal covers is in the history before the journal goes.
        if (registro)
            scriviStoria(*registro, &registrato);
        esito.impronta = impronta;
        esito.dimensioneDopo = posizione;
        esito.modificaNs = modificaNs(m_fd);
    } catch (const WriteInterrupted&) {
        throw; // as after a cut: the journal puts it back at the next opening
    } catch (...) {
        if (!registrato || ritiraDallaStoria(luoghi, d))
            rimetti(m_fd, d, luoghi.diario);
        throw;
    }
    if (fermata(Passo::JournalNotRemoved))
        throw WriteInterrupted();
    // Whoever finds the journal puts the batch back, so it is stored only
    // once the journal is gone; until then it is taken back here.
    if (::unlink(luoghi.diario.constData()) == -1 && errno != ENOENT) {
        qCWarning(lcArchivio).noquote() << QFile::decodeName(luoghi.diario)
                                        << "could not be removed after a batch:" << qt_error_string(errno);
        if (!registrato || ritiraDallaStoria(luoghi, d))
            rimetti(m_fd, d, luoghi.diario);
        fallisci("the journal could not be removed after the batch");
    }
    return esito;
} catch (EArchivioError& e) {
    e.locate(TFailure::Operation::AppendCards, m_percorso);
    throw;
}

bool TArchivio::AnnullaAccodamento(const Accodamento& accodamento)
try {
    using Passo = WriteStep;
    if (m_fd < 0)
        fallisci("the archive is not open");
    Blocco blocco(m_fd, F_WRLCK);
    const Luoghi luoghi{m_percorso, m_journal, m_nome};
    if (!ripristina(m_fd, luoghi))
        fallisci("an unfinished write could not be put back");
    // Taken back as the cut of that very batch would be: the same journal.
    Diario d;
    d.lotto = true;
    d.nome = luoghi.nome;
    d.prima = off_t(accodamento.dimensionePrima);
    d.numero = accodamento.primo;
    d.vecchi = accodamento.codaPrima;
    if (accodamento.quante <= 0 || d.prima < 0 || d.inizio() != d.prima / kDim * kDim
        || d.vecchi.size() != d.prima - d.inizio() || dimensione(m_fd) != off_t(accodamento.dimensioneDopo)
        || modificaNs(m_fd) != accodamento.modificaNs
        || accodamento.dimensioneDopo - d.inizio() != qint64(accodamento.quante) * kDim)
        return false;
    const QByteArray diario = componi(d);
    // Each card taken back is kept in the history, bytes and photos, so that
    // the undo itself can be undone card by card.
    std::optional<CardHistory::TRecorder> registro;
    if (m_storia && CardHistory::enabled())
        registro.emplace(luoghi.archivio);
    const quint32 segno = segnoDelDiario(diario);
    // The appended bytes are read back a block at a time to be sure they are the same.
    quint64 impronta = 0;
    QByteArray letti;
    constexpr qint64 kBlocco = 256 * kDim;
    for (off_t p = d.inizio(); p < off_t(accodamento.dimensioneDopo); p += off_t(kBlocco)) {
        letti.resize(qsizetype(std::min<qint64>(kBlocco, accodamento.dimensioneDopo - p)));
        leggi(m_fd, letti.data(), size_t(letti.size()), p);
        impronta = improntaSchede(letti.constData(), letti.size(), impronta);
        if (registro)
            for (qsizetype i = 0; i + kDim <= letti.size(); i += kDim)
                registro->keep(
                    CardHistory::Change{qint32(d.numero + (p - d.inizio() + i) / kDim), letti.sliced(i, kDim), segno},
                    CardHistory::Kind::Undone);
    }
    if (impronta != accodamento.impronta)
        return false;

    scriviDiario(luoghi.diario, diario);
    // A failure from here on leaves the journal, which finishes the undo at
    // the next opening or write.
    rimettiVecchi(m_fd, d);
    if (fermata(Passo::RecordWritten))
        throw WriteInterrupted();
    svuotaArchivio(m_fd);
    // Cut before the entries are whole, the journal finishes the undo and
    // takes the batch's own entries out, as if it had never been.
    if (registro)
        scriviStoria(*registro);
    if (fermata(Passo::JournalNotRemoved))
        throw WriteInterrupted();
    // Found later, the journal only puts back what is already back.
    if (::unlink(luoghi.diario.constData()) == -1 && errno != ENOENT)
        qCWarning(lcArchivio).noquote() << QFile::decodeName(luoghi.diario)
                                        << "could not be removed after an undo:" << qt_error_string(errno);
    return true;
} catch (EArchivioError& e) {
    e.locate(TFailure::Operation::UndoAppend, m_percorso);
    throw;
}
