// Scanning a large archive (what find, for-sale listing and export do)
// against reading the same file raw, to show what the record layer costs.
#include "ArchivioDiProva.h"
#include "BenchSupport.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <memory>
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

BENCHMARK(BM_ScanRecordByRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanInBlocks)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);

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
