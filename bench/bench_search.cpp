// The find window and the for-sale listing over the 100 000-record archive,
// against the block scan of the same file in the same run: the time from
// "Cerca" (or from showing the for-sale window) to the filled list, and the
// memory the window holds for 100 000 lines.
#include "ArchivioDiProva.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

#include <cstdio>
#include <malloc.h>
#include <map>
#include <memory>
#include <string>

#include "search/ListaRiepilogo.h"
#include "search/frmInVendita.h"
#include "search/frmTrovaCartoline.h"
#include "sheet/frmCartoline.h"
#include "shell/WindowSet.h"

namespace {

using namespace ArchivioDiProva;

TWindowSet* g_windows = nullptr;

TfrmCartoline* sheet()
{
    return g_windows->frmCartoline;
}

// Every criterion filled; about two records in three match all ten.
const char* const kTenCriteria[] = {"ferrari", "o", "r", "cat-", "metallo", "19", "rossi", "novegro", "media",
                                    "certificato"};

void runSearch(benchmark::State& state, bool tenCriteria)
{
    qint64 listed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto find = std::make_unique<TfrmTrovaCartoline>(sheet());
        find->show();
        if (tenCriteria) {
            for (int i = 0; i < find->criteri().size(); ++i)
                find->criteri()[i]->setText(QString::fromLatin1(kTenCriteria[i]));
        }
        QCoreApplication::processEvents();
        state.ResumeTiming();

        find->btnCercaClick();
        QCoreApplication::processEvents(); // the list painted

        state.PauseTiming();
        listed = find->lstRecords->count();
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
        auto forSale = std::make_unique<TfrmInVendita>(sheet());
        state.ResumeTiming();

        forSale->show(); // builds the list
        QCoreApplication::processEvents();

        state.PauseTiming();
        listed = forSale->lstRecords->count();
        forSale.reset();
        state.ResumeTiming();
    }
    state.counters["lines"] = double(listed);
}

// Heap in use, in bytes.
double heapInUse()
{
    return double(mallinfo2().uordblks);
}

// What a find window listing every record holds, beyond an empty one.
void BM_WindowMemoryEveryRecordListed(benchmark::State& state)
{
    double bytes = 0;
    qint64 listed = 0;
    for (auto _ : state) {
        auto find = std::make_unique<TfrmTrovaCartoline>(sheet());
        find->show();
        QCoreApplication::processEvents();
        malloc_trim(0);
        const double before = heapInUse();
        find->btnCercaClick();
        QCoreApplication::processEvents();
        malloc_trim(0);
        bytes = heapInUse() - before;
        listed = find->lstRecords->count();
    }
    state.counters["lines"] = double(listed);
    state.counters["window_MB"] = bytes / (1024.0 * 1024.0);
}

BENCHMARK(BM_ScanInBlocks)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindTenCriteria)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindEveryCriterionBlank)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ForSaleListing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowMemoryEveryRecordListed)->Iterations(1)->Unit(benchmark::kMillisecond);

// Prints the usual table, then each listing's time as a multiple of the
// block scan measured in the same run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_times[run.benchmark_name()] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto scan = m_times.find("BM_ScanInBlocks/1000");
        if (scan == m_times.end() || scan->second.real <= 0 || scan->second.cpu <= 0)
            return;
        // On a shared machine the processor time is the steadier of the two.
        std::printf("\nAgainst the block scan (%.1f ms real, %.1f ms processor):\n", scan->second.real,
                    scan->second.cpu);
        for (const auto& [name, limit] : {std::pair{"BM_FindTenCriteria", 1.5},
                                          std::pair{"BM_FindEveryCriterionBlank", 2.0},
                                          std::pair{"BM_ForSaleListing", 2.0}}) {
            const auto it = m_times.find(name);
            if (it != m_times.end())
                std::printf("  %-28s %8.1f ms real %.2f x, %8.1f ms processor %.2f x  (at most %.1f x)\n", name,
                            it->second.real, it->second.real / scan->second.real, it->second.cpu,
                            it->second.cpu / scan->second.cpu, limit);
        }
    }

private:
    struct Times {
        double real = 0;
        double cpu = 0;
    };
    std::map<std::string, Times> m_times;
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
    if (!creaArchivio()) {
        std::fprintf(stderr, "cannot create the test archive\n");
        return 1;
    }
    g_windows = new TWindowSet;
    sheet()->lblFile->setText(g_file);
    sheet()->lblNome->setText(QStringLiteral("Banco di prova"));
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    delete g_windows;
    delete g_dir; // removes the archive
    return 0;
}
