// Scanning a large archive (what find, for-sale listing and export do)
// against reading the same file raw, to show what the record layer costs;
// and saving or appending one card to it, each a whole action as the record
// sheet runs it, with its journal against the write as it was before the
// journal (one write and one flush under the lock) in the same run.
#include "ArchivioDiProva.h"
#include "BenchSupport.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace ArchivioDiProva;

// One LeggiScheda per record, as a window reading card by card does.
void BM_ScanRecordByRecord(benchmark::State& state)
{
    qint64 schede = 0;
    for (auto _ : state) {
        TArchivio a;
        a.ApriArchivio(g_file);
        const qint32 n = a.ContaSchede();
        qsizetype caratteri = 0;
        for (qint32 i = 1; i <= n; ++i)
            caratteri += caricaCampi(a.LeggiScheda(i));
        a.ChiudiArchivio();
        benchmark::DoNotOptimize(caratteri);
        schede += n;
    }
    state.SetItemsProcessed(schede);
}

// The same file read raw in 1 MiB chunks: the floor for any scan.
void BM_RawRead(benchmark::State& state)
{
    std::vector<char> buffer(1 << 20);
    const QByteArray nome = QFile::encodeName(g_file);
    qint64 schede = 0;
    for (auto _ : state) {
        const int fd = ::open(nome.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            state.SkipWithError("open failed");
            return;
        }
        qint64 letti = 0;
        ssize_t r;
        while ((r = ::read(fd, buffer.data(), buffer.size())) > 0)
            letti += r;
        ::close(fd);
        benchmark::DoNotOptimize(letti);
        schede += letti / TScheda::Dimensione;
    }
    state.SetItemsProcessed(schede);
}

// The write as the archive did it before the journal: open, exclusive lock,
// one positioned write, one flush, close. Record n, or appended when none.
bool scriviSenzaDiario(const QByteArray& nome, const TScheda& scheda, std::optional<qint32> n)
{
    const int fd = ::open(nome.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    struct stat st {};
    bool ok = fcntl(fd, F_SETLK, &fl) == 0 && fstat(fd, &st) == 0;
    const off_t posizione = n ? off_t(*n - 1) * TScheda::Dimensione
                              : st.st_size / TScheda::Dimensione * TScheda::Dimensione;
    ok = ok && pwrite(fd, scheda.dati(), TScheda::Dimensione, posizione) == TScheda::Dimensione && fdatasync(fd) == 0;
    fl.l_type = F_UNLCK;
    fcntl(fd, F_SETLK, &fl);
    return ::close(fd) == 0 && ok;
}

// The card saved is one of the archive's own, moved around the file so that
// no two saves in a row hit the same page.
qint32 numeroDaSalvare(qint64 i)
{
    return qint32(1 + (i * 7919) % kSchede);
}

// Saving a changed card over its record: what the collector waits for after
// "Salva", photos aside.
void BM_SaveWithJournal(benchmark::State& state)
{
    qint64 i = 0;
    for (auto _ : state) {
        const qint32 n = numeroDaSalvare(i++);
        TArchivio a;
        a.ApriArchivio(g_file);
        a.ScriviScheda(n, schedaRealistica(n));
        a.ChiudiArchivio();
    }
    state.SetItemsProcessed(i);
}

void BM_SaveWithoutJournal(benchmark::State& state)
{
    const QByteArray nome = QFile::encodeName(g_file);
    qint64 i = 0;
    for (auto _ : state) {
        const qint32 n = numeroDaSalvare(i++);
        if (!scriviSenzaDiario(nome, schedaRealistica(n), n)) {
            state.SkipWithError("write failed");
            return;
        }
    }
    state.SetItemsProcessed(i);
}

// Saving a new card: appended at the end.
void BM_AppendWithJournal(benchmark::State& state)
{
    qint64 i = 0;
    for (auto _ : state) {
        TArchivio a;
        a.ApriArchivio(g_file);
        a.AccodaScheda(schedaRealistica(int(++i)));
        a.ChiudiArchivio();
    }
    state.SetItemsProcessed(i);
}

void BM_AppendWithoutJournal(benchmark::State& state)
{
    const QByteArray nome = QFile::encodeName(g_file);
    qint64 i = 0;
    for (auto _ : state) {
        if (!scriviSenzaDiario(nome, schedaRealistica(int(++i)), std::nullopt)) {
            state.SkipWithError("write failed");
            return;
        }
    }
    state.SetItemsProcessed(i);
}

BENCHMARK(BM_ScanRecordByRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanInBlocks)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);
// The flushes wait for the disk, not the processor: real time counts.
BENCHMARK(BM_SaveWithoutJournal)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveWithJournal)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AppendWithoutJournal)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AppendWithJournal)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    if (!BenchSupport::initialise(argc, argv))
        return 1;
    QTemporaryDir folder; // removes the archive at the end
    if (!folder.isValid() || !creaArchivio(folder.filePath(QStringLiteral("Banco di prova.dbm"))))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
