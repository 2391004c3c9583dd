#include "core/archive/Archivio.h"

#include <QFile>

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

constexpr qsizetype kMaxPercorso = 259;
constexpr off_t kDim = TScheda::Dimensione;
// How long opening waits for the exclusive lock to deal with a journal.
constexpr std::chrono::milliseconds kAttesaRipristino{200};

[[noreturn]] void fallisci()
{
    throw EArchivioError();
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
            fallisci();
        m_preso = true;
    }
    // Waits at most `attesa`, quietly; Preso() says whether it got the lock.
    Blocco(int fd, short tipo, std::chrono::milliseconds attesa) : m_fd(fd)
    {
        m_preso = prendiEntro(tipo, attesa, false);
    }
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
                fallisci();
        }
    }

    int m_fd;
    bool m_preso = false;
};

off_t dimensione(int fd)
{
    struct stat st {};
    if (fstat(fd, &st) == -1)
        fallisci();
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
        if (r <= 0)
            fallisci();
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
        if (r <= 0)
            fallisci();
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
        fallisci();
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
        fallisci();
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

// The journal of one write, little-endian:
//   0  8  mark "MINIJRNL"
//   8  8  archive size before the write
//  16  4  record number written
//  20  4  L, the count of old bytes that follow
//  24  4  CRC-32 of the new record
//  28  L  the archive's bytes from the record's start to the end of the
//         record or of the file, whichever comes first: the whole old
//         record for an overwrite, a partial record at the end (usually
//         nothing) for an append
//  28+L 4 CRC-32 of everything before
constexpr char kMarca[8] = {'M', 'I', 'N', 'I', 'J', 'R', 'N', 'L'};
constexpr qsizetype kTestata = 28;
constexpr qsizetype kCoda = 4;

struct Diario {
    off_t prima = 0;
    qint32 numero = 0;
    QByteArray vecchi;
    quint32 crcNuova = 0;
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
    b.reserve(kTestata + d.vecchi.size() + kCoda);
    b.append(kMarca, sizeof kMarca);
    aggiungi(b, quint64(d.prima), 8);
    aggiungi(b, quint32(d.numero), 4);
    aggiungi(b, quint32(d.vecchi.size()), 4);
    aggiungi(b, d.crcNuova, 4);
    b += d.vecchi;
    aggiungi(b, crc32(b.constData(), b.size()), 4);
    return b;
}

// A journal whose writing was cut short, or any other file, reads as none.
std::optional<Diario> interpreta(const QByteArray& b)
{
    if (b.size() < kTestata + kCoda || !b.startsWith(QByteArrayView(kMarca, sizeof kMarca)))
        return std::nullopt;
    const char* p = b.constData();
    Diario d;
    const quint64 prima = estrai(p + 8, 8);
    const quint64 numero = estrai(p + 16, 4);
    const quint64 quanti = estrai(p + 20, 4);
    if (quanti != quint64(b.size() - kTestata - kCoda) || quanti > quint64(kDim)
        || estrai(p + kTestata + quanti, 4) != crc32(p, kTestata + qsizetype(quanti))
        || prima > quint64(std::numeric_limits<off_t>::max()) || numero < 1 || numero > quint64(INT32_MAX))
        return std::nullopt;
    d.prima = off_t(prima);
    d.numero = qint32(numero);
    d.vecchi = b.sliced(kTestata, qsizetype(quanti));
    d.crcNuova = quint32(estrai(p + 24, 4));
    return d;
}

// Whether the archive, now `ora` bytes long, can be what the write told by
// `d` left: an overwrite never changes the size; an append only adds, up to
// the end of its record. Anything else belongs to another archive or
// another time.
bool combacia(const Diario& d, off_t ora)
{
    const off_t inizio = off_t(d.numero - 1) * kDim;
    const off_t fine = inizio + kDim;
    if (inizio > d.prima || d.vecchi.size() != std::min(fine, d.prima) - inizio)
        return false;
    if (d.prima >= fine)
        return ora == d.prima;
    return ora >= d.prima && ora <= fine;
}

// The journal of a batch append, little-endian:
//   0  8  mark "MINIJRNB"
//   8  8  archive size before the batch
//  16  4  L, the count of old bytes that follow
//  20  L  a partial record at the end of the archive, which the batch
//         writes over from its start (usually nothing)
//  20+L 4 CRC-32 of everything before
// A batch is put back whole unless it got as far as removing its journal:
// until then nobody has been told it is stored.
constexpr char kMarcaLotto[8] = {'M', 'I', 'N', 'I', 'J', 'R', 'N', 'B'};
constexpr qsizetype kTestataLotto = 20;

struct DiarioLotto {
    off_t prima = 0;
    QByteArray vecchi;
};

off_t inizioLotto(off_t prima)
{
    return prima / kDim * kDim;
}

QByteArray componiLotto(const DiarioLotto& d)
{
    QByteArray b;
    b.append(kMarcaLotto, sizeof kMarcaLotto);
    aggiungi(b, quint64(d.prima), 8);
    aggiungi(b, quint32(d.vecchi.size()), 4);
    b += d.vecchi;
    aggiungi(b, crc32(b.constData(), b.size()), 4);
    return b;
}

std::optional<DiarioLotto> interpretaLotto(const QByteArray& b)
{
    if (b.size() < kTestataLotto + kCoda || !b.startsWith(QByteArrayView(kMarcaLotto, sizeof kMarcaLotto)))
        return std::nullopt;
    const char* p = b.constData();
    const quint64 prima = estrai(p + 8, 8);
    const quint64 quanti = estrai(p + 16, 4);
    if (quanti != quint64(b.size() - kTestataLotto - kCoda) || quanti >= quint64(kDim)
        || estrai(p + kTestataLotto + quanti, 4) != crc32(p, kTestataLotto + qsizetype(quanti))
        || prima > quint64(std::numeric_limits<off_t>::max()) || qint64(prima % kDim) != qint64(quanti))
        return std::nullopt;
    DiarioLotto d;
    d.prima = off_t(prima);
    d.vecchi = b.sliced(kTestataLotto, qsizetype(quanti));
    return d;
}

void tronca(int fd, off_t dimensioneVoluta)
{
    int t;
    do
        t = ftruncate(fd, dimensioneVoluta);
    while (t == -1 && errno == EINTR);
    if (t == -1)
        fallisci();
}

// The archive as it was before the batch: its old tail back and nothing after.
void rimettiLotto(int fd, const DiarioLotto& d)
{
    if (dimensione(fd) < inizioLotto(d.prima))
        return; // not what this batch left
    if (!d.vecchi.isEmpty())
        scriviTutto(fd, d.vecchi.constData(), size_t(d.vecchi.size()), inizioLotto(d.prima));
    tronca(fd, d.prima);
    svuota(fd);
}

// Under the exclusive lock: puts the archive back as it was before the
// write that left the journal at `percorsoDiario`, then removes the journal.
// A write found complete (the record is whole and is the new one, so only
// the journal's removal was lost) is kept. A journal that is not whole was
// cut while it was being written, before the archive was touched, and is
// only removed; so is one that does not fit this archive. In a folder that
// cannot be written, nothing is touched. Returns whether the journal is gone.
bool ripristina(int fd, const QByteArray& percorsoDiario)
{
    std::optional<Diario> diario;
    {
        int jfd;
        do
            jfd = ::open(percorsoDiario.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        while (jfd == -1 && errno == EINTR);
        if (jfd == -1)
            return errno == ENOENT;
        const Descrittore file(jfd);
        // What could not be removed afterwards is left alone from the start.
        if (!cartellaScrivibile(percorsoDiario))
            return false;
        struct stat st {};
        if (fstat(jfd, &st) == -1)
            fallisci();
        // Anything longer is not a journal of ours; its bytes are not needed.
        if (S_ISREG(st.st_mode) && st.st_size <= kTestata + kDim + kCoda) {
            QByteArray byte(qsizetype(st.st_size), '\0');
            if (!byte.isEmpty())
                leggi(jfd, byte.data(), size_t(byte.size()), 0);
            diario = interpreta(byte);
            if (!diario) {
                if (const std::optional<DiarioLotto> lotto = interpretaLotto(byte))
                    rimettiLotto(fd, *lotto);
            }
        }
    }
    if (diario && combacia(*diario, dimensione(fd))) {
        const off_t inizio = off_t(diario->numero - 1) * kDim;
        const off_t ora = dimensione(fd);
        bool completa = false;
        if (ora >= inizio + kDim && (diario->prima >= inizio + kDim || ora == inizio + kDim)) {
            TScheda scheda;
            leggi(fd, scheda.dati(), size_t(kDim), inizio);
            completa = crc32(scheda.dati(), kDim) == diario->crcNuova;
        }
        if (!completa) {
            if (!diario->vecchi.isEmpty())
                scriviTutto(fd, diario->vecchi.constData(), size_t(diario->vecchi.size()), inizio);
            if (ora != diario->prima) {
                int t;
                do
                    t = ftruncate(fd, diario->prima);
                while (t == -1 && errno == EINTR);
                if (t == -1)
                    fallisci();
            }
        }
        svuota(fd);
    }
    return ::unlink(percorsoDiario.constData()) == 0 || errno == ENOENT;
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

// Under the exclusive lock. The journal is created, never reused: one found
// in its place was left by a cut write, here or at another workstation, and
// the archive is put back first.
int creaDiario(int fd, const QByteArray& percorsoDiario)
{
    for (bool ripristinato = false;;) {
        const int jfd = ::open(percorsoDiario.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (jfd >= 0)
            return jfd;
        if (errno == EINTR)
            continue;
        if (errno != EEXIST || ripristinato || !ripristina(fd, percorsoDiario))
            fallisci();
        ripristinato = true;
    }
}

// Record n written under the exclusive lock with its journal: the journal
// whole on the disk before the archive is touched, removed once the record
// is there too. Success means the record is stored.
void scrivi(int fd, const QByteArray& percorsoDiario, const TScheda& scheda, qint32 n)
{
    using Passo = TArchivio::WriteStep;
    const off_t inizio = off_t(n - 1) * kDim;
    Diario d;
    d.prima = dimensione(fd);
    d.numero = n;
    d.vecchi = QByteArray(qsizetype(std::clamp<off_t>(d.prima - inizio, 0, kDim)), '\0');
    d.crcNuova = crc32(scheda.dati(), kDim);
    if (!d.vecchi.isEmpty())
        leggi(fd, d.vecchi.data(), size_t(d.vecchi.size()), inizio);
    const QByteArray diario = componi(d);

    {
        const Descrittore file(creaDiario(fd, percorsoDiario));
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

    try {
        if (const std::optional<qint64> taglio = fermata(Passo::RecordPartlyWritten)) {
            scriviTutto(fd, scheda.dati(), finoA(taglio, kDim), inizio);
            throw TArchivio::WriteInterrupted();
        }
        scriviTutto(fd, scheda.dati(), size_t(kDim), inizio);
        if (fermata(Passo::RecordWritten))
            throw TArchivio::WriteInterrupted();
        svuota(fd);
    } catch (const EArchivioError&) {
        // Put back now what can be; otherwise the journal waits for the
        // next opening.
        try {
            ripristina(fd, percorsoDiario);
        } catch (const EArchivioError&) {}
        throw;
    }
    if (fermata(Passo::JournalNotRemoved))
        throw TArchivio::WriteInterrupted();
    if (::unlink(percorsoDiario.constData()) == -1 && errno != ENOENT)
        fallisci();
}

} // namespace

QString TArchivio::JournalPath(const QString& archivePath)
{
    constexpr qsizetype kNomePiuLungo = 255; // bytes, as the file systems count
    const QString coda = QStringLiteral("-journal");
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

QString ArchiveAccessMessage()
{
    return QStringLiteral("Attenzione: il sistema non permette di accedere all'archivio.") + QStringLiteral("\n\r\n\r")
           + QStringLiteral(
               "Accertarsi di possedere i privilegi di scrittura nella cartella di installazione del programma.");
}

EArchivioError::EArchivioError() : m_what(ArchiveAccessMessage().toStdString()) {}

const char* EArchivioError::what() const noexcept
{
    return m_what.c_str();
}

QString EArchivioError::Messaggio() const
{
    return QString::fromStdString(m_what);
}

TArchivio::~TArchivio()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void TArchivio::ApriArchivio(const QString& percorso)
{
    ChiudiArchivio();
    // Counted in UTF-16 code units, as the Windows path limit is.
    if (percorso.isEmpty() || percorso.size() > kMaxPercorso)
        fallisci();
    const QByteArray nome = QFile::encodeName(percorso);
    if (nome.contains('\0'))
        fallisci();
    int fd = ::open(nome.constData(), O_RDWR | O_CLOEXEC);
    if (fd == -1)
        fd = ::open(nome.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd == -1)
        fallisci();
    struct stat st {};
    if (fstat(fd, &st) == -1 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fallisci();
    }
    m_fd = fd;
    m_journal = QFile::encodeName(JournalPath(percorso));

    // A journal is here while a write is in progress, at another workstation
    // that then holds the exclusive lock, or after a write was cut. It is
    // only read or removed under that lock, and asked for briefly: a lock
    // held elsewhere means its own write, which that workstation finishes.
    // A folder that cannot be written leaves the archive as it is.
    struct stat js {};
    if (::lstat(m_journal.constData(), &js) == -1 || !cartellaScrivibile(m_journal))
        return;
    try {
        const Blocco blocco(m_fd, F_WRLCK, std::min(AttesaBlocco(), kAttesaRipristino));
        if (blocco.Preso())
            ripristina(m_fd, m_journal);
    } catch (const EArchivioError&) {
        // Left for the next opening; the archive reads as it is.
    }
}

void TArchivio::ChiudiArchivio()
{
    if (m_fd < 0)
        return;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) == -1 && errno != EINTR)
        fallisci();
}

qint32 TArchivio::ContaSchede() const
{
    if (m_fd < 0)
        fallisci();
    Blocco blocco(m_fd, F_RDLCK);
    return conta(m_fd);
}

TScheda TArchivio::LeggiScheda(qint32 n) const
{
    if (m_fd < 0)
        fallisci();
    Blocco blocco(m_fd, F_RDLCK);
    if (n < 1 || n > conta(m_fd))
        fallisci();
    TScheda scheda;
    leggi(m_fd, scheda.dati(), size_t(kDim), off_t(n - 1) * kDim);
    return scheda;
}

std::vector<TScheda> TArchivio::LeggiSchede(qint32 primo, qint32 quante) const
{
    if (m_fd < 0)
        fallisci();
    Blocco blocco(m_fd, F_RDLCK);
    const qint32 totale = conta(m_fd);
    if (quante < 0 || primo < 1 || primo > totale + 1 || quante > totale - (primo - 1))
        fallisci();
    std::vector<TScheda> schede(static_cast<size_t>(quante));
    if (quante > 0)
        leggi(m_fd, reinterpret_cast<char*>(schede.data()), size_t(quante) * size_t(kDim), off_t(primo - 1) * kDim);
    return schede;
}

void TArchivio::ScorriSchede(const std::function<void(const TScheda&, qint32)>& visita) const
{
    // One lock and one read per block rather than per record, and a block
    // small enough to stay in the cache.
    constexpr qint32 kBlocco = 1000;
    const qint32 totale = ContaSchede();
    for (qint32 primo = 1; primo <= totale; primo += kBlocco) {
        const std::vector<TScheda> schede = LeggiSchede(primo, std::min(kBlocco, totale - primo + 1));
        for (size_t i = 0; i < schede.size(); ++i)
            visita(schede[i], primo + qint32(i));
    }
}

void TArchivio::ScriviScheda(qint32 n, const TScheda& scheda)
{
    if (m_fd < 0)
        fallisci();
    Blocco blocco(m_fd, F_WRLCK);
    if (n < 1 || n > conta(m_fd))
        fallisci();
    scrivi(m_fd, m_journal, scheda, n);
}

qint32 TArchivio::AccodaScheda(const TScheda& scheda)
{
    if (m_fd < 0)
        fallisci();
    // The count is taken under the exclusive lock, so two workstations
    // appending at once get different numbers.
    Blocco blocco(m_fd, F_WRLCK);
    const qint32 n = conta(m_fd);
    if (n == INT32_MAX)
        fallisci();
    scrivi(m_fd, m_journal, scheda, n + 1);
    return n + 1;
}

namespace {

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
            std::memcpy(&w, p + i + 8 * c, 8);
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
        fallisci();
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// The batch's journal, whole and flushed before the archive is touched.
void scriviDiarioLotto(int fd, const QByteArray& percorsoDiario, const DiarioLotto& d)
{
    using Passo = TArchivio::WriteStep;
    const QByteArray diario = componiLotto(d);
    const Descrittore file(creaDiario(fd, percorsoDiario));
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
    if (fermata(Passo::JournalWritten))
        throw TArchivio::WriteInterrupted();
}

} // namespace

TArchivio::Accodamento TArchivio::AccodaSchede(const std::function<bool(TScheda&)>& prossima)
{
    using Passo = WriteStep;
    if (m_fd < 0)
        fallisci();
    Blocco blocco(m_fd, F_WRLCK);
    DiarioLotto d;
    d.prima = dimensione(m_fd);
    const off_t inizio = inizioLotto(d.prima);
    d.vecchi = QByteArray(qsizetype(d.prima - inizio), '\0');
    if (!d.vecchi.isEmpty())
        leggi(m_fd, d.vecchi.data(), size_t(d.vecchi.size()), inizio);
    if (inizio / kDim >= INT32_MAX)
        fallisci();
    scriviDiarioLotto(m_fd, m_journal, d);

    Accodamento esito;
    esito.primo = qint32(inizio / kDim) + 1;
    esito.dimensionePrima = d.prima;
    esito.codaPrima = d.vecchi;
    try {
        // Written a block at a time; the journal covers all of them.
        constexpr qsizetype kBlocco = 256;
        QByteArray pronte;
        pronte.reserve(kBlocco * kDim);
        off_t posizione = inizio;
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
                fallisci();
            if (const std::optional<qint64> taglio = fermata(Passo::RecordPartlyWritten)) {
                pronte.append(scheda.dati(), qsizetype(finoA(taglio, kDim)));
                scarica();
                throw WriteInterrupted();
            }
            pronte.append(scheda.dati(), kDim);
            ++esito.quante;
            if (pronte.size() >= kBlocco * kDim)
                scarica();
        }
        scarica();
        if (fermata(Passo::RecordWritten))
            throw WriteInterrupted();
        svuota(m_fd);
        esito.impronta = impronta;
        esito.dimensioneDopo = posizione;
        esito.modificaNs = modificaNs(m_fd);
    } catch (const WriteInterrupted&) {
        throw; // as after a cut: the journal puts it back at the next opening
    } catch (...) {
        try {
            rimettiLotto(m_fd, d);
            ::unlink(m_journal.constData());
        } catch (const EArchivioError&) {
            // The journal stays and puts it back at the next opening.
        }
        throw;
    }
    if (fermata(Passo::JournalNotRemoved))
        throw WriteInterrupted();
    if (::unlink(m_journal.constData()) == -1 && errno != ENOENT)
        fallisci();
    return esito;
}

bool TArchivio::AnnullaAccodamento(const Accodamento& accodamento)
{
    if (m_fd < 0)
        fallisci();
    Blocco blocco(m_fd, F_WRLCK);
    const off_t inizio = inizioLotto(off_t(accodamento.dimensionePrima));
    if (accodamento.quante <= 0 || dimensione(m_fd) != off_t(accodamento.dimensioneDopo)
        || modificaNs(m_fd) != accodamento.modificaNs
        || accodamento.dimensioneDopo - inizio != qint64(accodamento.quante) * kDim)
        return false;
    // The appended bytes are read back a block at a time to be sure they are the same.
    quint64 impronta = 0;
    QByteArray letti;
    constexpr qint64 kBlocco = 256 * kDim;
    for (off_t p = inizio; p < off_t(accodamento.dimensioneDopo); p += off_t(kBlocco)) {
        letti.resize(qsizetype(std::min<qint64>(kBlocco, accodamento.dimensioneDopo - p)));
        leggi(m_fd, letti.data(), size_t(letti.size()), p);
        impronta = improntaSchede(letti.constData(), letti.size(), impronta);
    }
    if (impronta != accodamento.impronta)
        return false;
    DiarioLotto d;
    d.prima = off_t(accodamento.dimensionePrima);
    d.vecchi = accodamento.codaPrima;
    scriviDiarioLotto(m_fd, m_journal, d);
    rimettiLotto(m_fd, d);
    if (fermata(WriteStep::JournalNotRemoved))
        throw WriteInterrupted();
    if (::unlink(m_journal.constData()) == -1 && errno != ENOENT)
        fallisci();
    return true;
}
