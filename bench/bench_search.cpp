// The find window and the for-sale listing over the 100 000-record archive,
// against the block scan of the same file in the same run: the time from
// "Cerca" (or from showing the for-sale window) to the filled list, and the
// memory the window holds for 100 000 lines.
#include "ArchivioDiProva.h"
#include "BenchSupport.h"
#include "SheetBench.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

#include <memory>

#include "gui/search/SummaryList.h"
#include "gui/search/frmInVendita.h"
#include "gui/search/frmTrovaCartoline.h"

namespace {

using namespace ArchivioDiProva;

SheetBench* g_bench = nullptr;

TfrmCartoline* sheet()
{
    return g_bench->sheet;
}

// The criteria fields in Enter order.
const char* const kCriteriaFields[] = {"txtNome", "txtTipologia",    "txtProduttore",  "txtCodice", "txtDescrizione",
                                       "txtAnno", "txtProprietario", "txtProvenienza", "txtRarita", "txtNote"};

// Every criterion filled; about two records in three match all ten.
const char* const kTenCriteria[] = {"ferrari", "o",     "r",       "cat-",  "metallo",
                                    "19",      "rossi", "novegro", "media", "certificato"};

void runSearch(benchmark::State& state, bool tenCriteria)
{
    qint64 listed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto find = std::make_unique<TfrmTrovaCartoline>(sheet(), sheet()->state().archivePath);
        find->show();
        if (tenCriteria) {
            for (int i = 0; i < int(std::size(kCriteriaFields)); ++i)
                named<QLineEdit>(find, kCriteriaFields[i])->setText(QString::fromLatin1(kTenCriteria[i]));
        }
        QCoreApplication::processEvents();
        state.ResumeTiming();

        find->btnCercaClick();
        QCoreApplication::processEvents(); // the list painted

        state.PauseTiming();
        listed = named<TSummaryList>(find, "lstRecords")->count();
        find.reset();
        state.ResumeTiming();
    }
    state.counters["lines"] = double(listed);
}

void BM_FindTenCriteria(benchmark::State& state)
{
    runSearch(state, true);
}

void BM_FindEveryCriterionBlank(benchmark::State& state)
{
    runSearch(state, false);
}

void BM_ForSaleListing(benchmark::State& state)
{
    qint64 listed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto forSale = std::make_unique<TfrmInVendita>(sheet(), sheet()->state().archivePath);
        state.ResumeTiming();

        forSale->show(); // builds the list
        QCoreApplication::processEvents();

        state.PauseTiming();
        listed = named<TSummaryList>(forSale, "lstRecords")->count();
        forSale.reset();
        state.ResumeTiming();
    }
    state.counters["lines"] = double(listed);
}

// What a find window listing every record holds, beyond an empty one.
void BM_WindowMemoryEveryRecordListed(benchmark::State& state)
{
    double megabytes = 0;
    qint64 listed = 0;
    for (auto _ : state) {
        auto find = std::make_unique<TfrmTrovaCartoline>(sheet(), sheet()->state().archivePath);
        find->show();
        QCoreApplication::processEvents();
        const double before = BenchSupport::settledHeapMB();
        find->btnCercaClick();
        QCoreApplication::processEvents();
        megabytes = BenchSupport::settledHeapMB() - before;
        listed = named<TSummaryList>(find, "lstRecords")->count();
    }
    state.counters["lines"] = double(listed);
    state.counters["window_MB"] = megabytes;
}

BENCHMARK(BM_ScanInBlocks)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindTenCriteria)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindEveryCriterionBlank)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ForSaleListing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowMemoryEveryRecordListed)->Iterations(1)->Unit(benchmark::kMillisecond);

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
    g_bench = &bench;
    BenchSupport::RatioReporter reporter("BM_ScanInBlocks/1000", "block scan of the same archive",
                                         "ten criteria <= 1.5 x, every criterion blank <= 2.0 x, "
                                         "for-sale listing <= 2.0 x",
                                         {"BM_FindTenCriteria", "BM_FindEveryCriterionBlank", "BM_ForSaleListing"});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
