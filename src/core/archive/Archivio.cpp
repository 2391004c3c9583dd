#include "core/archive/Archivio.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr qsizetype kMaxPercorso = 259;
constexpr off_t kDim = TScheda::Dimensione;

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
// because a lock never outlives the call that takes it.
//
// A lock held elsewhere is asked for again after short, growing pauses
// rather than waited for in the kernel, which has no bounded wait; past the
// bound the operation fails.
class Blocco {
public:
    Blocco(int fd, short tipo)
        : m_fd(fd)
    {
        using Orologio = std::chrono::steady_clock;
        constexpr auto kPausaMassima = std::chrono::milliseconds(20);
        if (prendi(tipo))
            return;
        const Orologio::time_point scadenza = Orologio::now() + TArchivio::AttesaBlocco();
        AttesaAnnunciata attesa;
        std::chrono::microseconds pausa(500);
        for (;;) {
            const Orologio::time_point ora = Orologio::now();
            if (ora >= scadenza)
                fallisci();
            std::this_thread::sleep_for(std::min<Orologio::duration>(pausa, scadenza - ora));
            pausa = std::min<std::chrono::microseconds>(pausa * 2, kPausaMassima);
            if (prendi(tipo))
                return;
        }
    }
    ~Blocco()
    {
        struct flock fl {};
        fl.l_type = F_UNLCK;
        fl.l_whence = SEEK_SET;
        fcntl(m_fd, F_SETLK, &fl);
    }
    Blocco(const Blocco&) = delete;
    Blocco& operator=(const Blocco&) = delete;

private:
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
};

qint32 conta(int fd)
{
    struct stat st {};
    if (fstat(fd, &st) == -1)
        fallisci();
    const off_t n = st.st_size / kDim;
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

// One positioned write of the whole record, then flushed to the disk, so a
// record is never split across writes that another workstation could see
// half done, and success means it is stored.
void scrivi(int fd, const TScheda& scheda, qint32 n)
{
    const off_t posizione = off_t(n - 1) * kDim;
    ssize_t r;
    do
        r = pwrite(fd, scheda.dati(), size_t(kDim), posizione);
    while (r == -1 && errno == EINTR);
    if (r != kDim)
        fallisci();
    int s;
    do
        s = fdatasync(fd);
    while (s == -1 && errno == EINTR);
    if (s == -1)
        fallisci();
}

} // namespace

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
    return QStringLiteral("Attenzione: il sistema non permette di accedere all'archivio.")
        + QStringLiteral("\n\r\n\r")
        + QStringLiteral("Accertarsi di possedere i privilegi di scrittura nella cartella di installazione del programma.");
}

EArchivioError::EArchivioError()
    : m_what(ArchiveAccessMessage().toStdString())
{
}

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
    scrivi(m_fd, scheda, n);
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
    scrivi(m_fd, scheda, n + 1);
    return n + 1;
}
