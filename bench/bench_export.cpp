// The spreadsheet export over the 100 000-card archive, beside the block scan
// of the same file in the same run: filling the card table, writing the file,
// both together, and the real window filling its grid and exporting.
//
// Goal: filling plus writing at most 3 x the block scan. The ratios and the
// memory the window holds for its cards are printed at the end.
#include "ArchivioDiProva.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "output/Export.h"
#include "output/frmExpCartoline.h"
#include "sheet/frmCartoline.h"
#include "shell/TMisc.h"
#include "shell/WindowSet.h"
#include "storage/ProgramFolder.h"
#include "ui/Dialogs.h"

namespace {

using namespace ArchivioDiProva;

struct Banco {
    QTemporaryDir cartella;
    QString archivio;
    std::unique_ptr<TWindowSet> finestre;
};
Banco* g = nullptr;

// Bytes the allocator has handed out, large blocks included.
double heapMB()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

void BM_ScanInBlocks(benchmark::State& state)
{
    qint64 schede = 0;
    for (auto _ : state) {
        qsizetype caratteri = 0;
        schede += scansioneABlocchi(g->archivio, 1000, caratteri);
        benchmark::DoNotOptimize(caratteri);
    }
    state.SetItemsProcessed(schede);
}

void BM_FillTable(benchmark::State& state)
{
    qint64 schede = 0;
    for (auto _ : state) {
        TTabellaSchede tabella;
        tabella.Reimposta(10);
        Esportazione::RiempiDaArchivio(tabella, g->archivio);
        schede += tabella.RigheRiempite();
        state.counters["table_MB"] = double(tabella.MemoriaOccupata()) / (1024.0 * 1024.0);
    }
    state.SetItemsProcessed(schede);
}

void BM_WriteFile(benchmark::State& state)
{
    TTabellaSchede tabella;
    Esportazione::RiempiDaArchivio(tabella, g->archivio);
    for (auto _ : state) {
        if (!Esportazione::ScriviFile(Esportazione::Percorso(), tabella))
            state.SkipWithError("export failed");
    }
    state.counters["file_MB"] = double(QFileInfo(Esportazione::Percorso()).size()) / (1024.0 * 1024.0);
    state.SetItemsProcessed(state.iterations() * tabella.Righe());
}

void BM_FillAndWrite(benchmark::State& state)
{
    for (auto _ : state) {
        TTabellaSchede tabella;
        tabella.Reimposta(10);
        Esportazione::RiempiDaArchivio(tabella, g->archivio);
        if (!Esportazione::ScriviFile(Esportazione::Percorso(), tabella))
            state.SkipWithError("export failed");
    }
    state.SetItemsProcessed(state.iterations() * kSchede);
}

// The window as the record sheet opens it: shown (the grid fills), then the
// export button with both questions answered yes.
void BM_WindowShowAndExport(benchmark::State& state)
{
    TfrmCartoline* sheet = g->finestre->frmCartoline;
    sheet->lblFile->setText(g->archivio);
    double memoria = 0;
    for (auto _ : state) {
        const double prima = heapMB();
        auto window = std::make_unique<TfrmExpCartoline>(sheet);
        window->show();
        QApplication::processEvents();
        state.PauseTiming();
        memoria = heapMB() - prima;
        state.ResumeTiming();
        window->cmdEsportaClick();
        if (window->grdRecords->model()->rowCount() != kSchede)
            state.SkipWithError("the grid was not filled");
    }
    state.counters["window_heap_MB"] = memoria;
    state.SetItemsProcessed(state.iterations() * kSchede);
}

BENCHMARK(BM_ScanInBlocks)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FillTable)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FillAndWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WindowShowAndExport)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints each benchmark's time against the scan's: the medians where runs
// were repeated, else the fastest run.
class AgainstScan : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const double t = run.GetAdjustedRealTime();
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                m_median[run.run_name.function_name] = t;
            } else if (run.run_type == Run::RT_Iteration) {
                double& best = m_fastest[run.run_name.function_name];
                best = best > 0 ? std::min(best, t) : t;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const bool medians = !m_median.empty();
        auto& times = medians ? m_median : m_fastest;
        const double scan = times["BM_ScanInBlocks"];
        if (scan <= 0)
            return;
        std::printf("\n%s times against the block scan of the same archive (goal: fill + write <= 3):\n",
                    medians ? "Median" : "Fastest");
        for (const char* name : {"BM_FillTable", "BM_WriteFile", "BM_FillAndWrite", "BM_WindowShowAndExport"}) {
            if (times[name] > 0)
                std::printf("  %-24s %.2f\n", name, times[name] / scan);
        }
    }

private:
    std::map<std::string, double> m_median;
    std::map<std::string, double> m_fastest;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    g = new Banco;
    ProgramFolder::setOverride(g->cartella.path());
    g->archivio = ProgramFolder::path() + QStringLiteral("Banco di prova.dbm");
    if (!scriviArchivio(g->archivio)) {
        std::fprintf(stderr, "cannot create the test archive\n");
        return 1;
    }
    g->finestre = std::make_unique<TWindowSet>();
    g->finestre->onTerminate = [] {};
    Dialogs::setScripted(true); // both questions answered yes
    TMisc::setHandler([](const QString&, const QUrl&) {});

    AgainstScan reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    TMisc::setHandler({});
    g->finestre.reset();
    ProgramFolder::setOverride({});
    delete g;
    return 0;
}
