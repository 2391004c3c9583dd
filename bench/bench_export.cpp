// The spreadsheet export over the 100 000-card archive, beside the block scan
// of the same file in the same run: filling the card table, writing the file,
// both together, and the real window filling its grid and exporting.
//
// Goal: filling plus writing at most 3 x the block scan. The ratios and the
// memory the window holds for its cards are printed at the end.
#include "ArchivioDiProva.h"
#include "BenchSupport.h"
#include "SheetBench.h"

#include <QApplication>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <memory>

#include "core/export/Export.h"
#include "core/system/TMisc.h"
#include "gui/output/ExportGrid.h"
#include "gui/output/frmExpCartoline.h"
#include "gui/widgets/Dialogs.h"

namespace {

using namespace ArchivioDiProva;

SheetBench* g = nullptr;

void BM_FillTable(benchmark::State& state)
{
    qint64 schede = 0;
    for (auto _ : state) {
        TTabellaSchede tabella;
        tabella.Reimposta(10);
        Esportazione::RiempiDaArchivio(tabella, g->archive);
        schede += tabella.RigheRiempite();
        state.counters["table_MB"] = double(tabella.MemoriaOccupata()) / (1024.0 * 1024.0);
    }
    state.SetItemsProcessed(schede);
}

void BM_WriteFile(benchmark::State& state)
{
    TTabellaSchede tabella;
    Esportazione::RiempiDaArchivio(tabella, g->archive);
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
        Esportazione::RiempiDaArchivio(tabella, g->archive);
        if (!Esportazione::ScriviFile(Esportazione::Percorso(), tabella))
            state.SkipWithError("export failed");
    }
    state.SetItemsProcessed(state.iterations() * kSchede);
}

// The window as the record sheet opens it: shown (the grid fills), then the
// export button with both questions answered yes.
void BM_WindowShowAndExport(benchmark::State& state)
{
    double memoria = 0;
    for (auto _ : state) {
        const double prima = BenchSupport::heapMB();
        auto window = std::make_unique<TfrmExpCartoline>(g->sheet, g->sheet->state().archivePath);
        window->show();
        QApplication::processEvents();
        state.PauseTiming();
        memoria = BenchSupport::heapMB() - prima;
        state.ResumeTiming();
        window->cmdEsportaClick();
        if (named<TExportGrid>(window, "grdRecords")->model()->rowCount() != kSchede)
            state.SkipWithError("the grid was not filled");
    }
    state.counters["window_heap_MB"] = memoria;
    state.SetItemsProcessed(state.iterations() * kSchede);
}

BENCHMARK(BM_ScanInBlocks)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FillTable)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FillAndWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WindowShowAndExport)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    BenchSupport::useOffscreenUnlessSet();
    QApplication app(argc, argv);
    if (!BenchSupport::initialise(argc, argv))
        return 1;

    SheetBench bench(QStringLiteral("Banco di prova"));
    if (!creaArchivio(bench.archive))
        return 1;
    g = &bench;
    Dialogs::setScripted(true); // both questions answered yes
    TMisc::setHandler([](const QString&, const QUrl&) {});

    BenchSupport::RatioReporter reporter("BM_ScanInBlocks/1000", "block scan of the same archive",
                                         "fill + write <= 3 x",
                                         {"BM_FillTable", "BM_WriteFile", "BM_FillAndWrite", "BM_WindowShowAndExport"});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    TMisc::setHandler({});
    return 0;
}
