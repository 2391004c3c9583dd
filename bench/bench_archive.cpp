// Scanning a large archive (what find, for-sale listing and export do)
// against reading the same file raw, to show what the record layer costs.
#include "BancoArchivio.h"
#include "storage/Archivio.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

using namespace BancoArchivio;

QTemporaryDir* g_dir = nullptr;
QString g_file;

bool creaArchivio()
{
    g_dir = new QTemporaryDir;
    if (!g_dir->isValid())
        return false;
    g_file = g_dir->filePath(QStringLiteral("Banco di prova.dbm"));
    return scriviArchivio(g_file);
}

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

// LeggiSchede in blocks: one lock and one read per block.
void BM_ScanInBlocks(benchmark::State& state)
{
    const qint32 bloccoSchede = qint32(state.range(0));
    qint64 schede = 0;
    for (auto _ : state) {
        qsizetype caratteri = 0;
        schede += scansioneABlocchi(g_file, bloccoSchede, caratteri);
        benchmark::DoNotOptimize(caratteri);
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
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!creaArchivio()) {
        std::fprintf(stderr, "cannot create the test archive\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete g_dir; // removes the archive
    return 0;
}
