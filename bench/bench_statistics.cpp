// The statistics of the 100 000-card archive, beside the block scan of the
// same file in the same run: computing every figure, drawing the window's
// charts, and one printed statistics page.
//
// Goals: the statistics at most 1.5 x the block scan; the window's charts at
// most 0.1 x; one printed page at most 0.2 x. The ratios are printed at the end.
#include "ArchivioDiProva.h"
#include "BenchSupport.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "core/report/Chart.h"
#include "core/report/StatisticsLayout.h"
#include "core/statistics/Statistics.h"

namespace {

using namespace ArchivioDiProva;

QString g_photos;
const TCollectionStatistics* g_statistics = nullptr;

TCollectionStatistics::PhotoNames photoNames()
{
    return {g_photos, QStringLiteral("Banco_Foto_A_"), QStringLiteral("Banco_Foto_B_")};
}

void BM_Statistics(benchmark::State& state)
{
    qint64 cards = 0;
    for (auto _ : state) {
        const TCollectionStatistics statistics = TCollectionStatistics::compute(g_file, photoNames());
        cards += statistics.totals().cards;
        benchmark::DoNotOptimize(statistics.totals().value);
    }
    state.SetItemsProcessed(cards);
}

// Every chart the window can show, each drawn once at the window's size
// (632 x 466 pixels at 96 dpi), as its paint event draws it.
void BM_DrawStatistics(benchmark::State& state)
{
    constexpr double kPerMm = 96 / 25.4;
    QImage image(632, 466, QImage::Format_ARGB32_Premultiplied);
    TReportChart chart(QStringLiteral("chtGrafico"), QRectF(0, 0, 616 / kPerMm, 450 / kPerMm));
    for (auto _ : state) {
        for (Breakdown b : kAllBreakdowns) {
            TStatisticsLayout::showBreakdown(chart, b, g_statistics->groups(b));
            image.fill(Qt::white);
            QPainter painter(&image);
            bool failed = false;
            chart.paint({painter, QPointF(8, 8), kPerMm, kPerMm, QRectF(QPointF(0, 0), chart.rect().size()), &failed});
        }
    }
    state.SetItemsProcessed(state.iterations() * kBreakdowns);
}

// The page filled, laid out and written as PDF at the printer's resolution.
void BM_PrintStatisticsPage(benchmark::State& state)
{
    TStatisticsLayout layout;
    qint64 bytes = 0;
    for (auto _ : state) {
        layout.fill(QStringLiteral("Banco"), *g_statistics, Breakdown::Acquisition, QDateTime::currentDateTime());
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(1200);
        if (!layout.print(writer))
            state.SkipWithError("page not drawn");
        bytes = buffer.size();
    }
    state.counters["pdf_kB"] = double(bytes) / 1024.0;
}

BENCHMARK(BM_ScanInBlocks)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Statistics)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawStatistics)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PrintStatisticsPage)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    BenchSupport::useOffscreenUnlessSet();
    QGuiApplication app(argc, argv);
    if (!BenchSupport::initialise(argc, argv))
        return 1;

    QTemporaryDir folder;
    if (!creaArchivio(folder.filePath(QStringLiteral("Banco.dbm"))))
        return 1;
    // Photos beside half the cards (photo B beside a quarter): the folder is
    // listed once per run of the statistics.
    g_photos = folder.filePath(QStringLiteral("Foto_Modellini"));
    QDir().mkpath(g_photos);
    for (int i = 2; i <= kSchede; i += 2) {
        for (const char* kind : {"A", "B"}) {
            if (*kind == 'B' && i % 4 != 0)
                continue;
            QFile photo(QStringLiteral("%1/Banco_Foto_%2_%3.jpg").arg(g_photos, QLatin1String(kind)).arg(i));
            if (!photo.open(QIODevice::WriteOnly))
                return 1;
        }
    }
    const TCollectionStatistics statistics = TCollectionStatistics::compute(g_file, photoNames());
    g_statistics = &statistics;

    BenchSupport::RatioReporter reporter("BM_ScanInBlocks/1000", "block scan of the same archive",
                                         "statistics <= 1.5 x, charts <= 0.1 x, printed page <= 0.2 x",
                                         {"BM_Statistics", "BM_DrawStatistics", "BM_PrintStatisticsPage"});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
