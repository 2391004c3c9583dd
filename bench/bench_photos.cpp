// Photos as phones take them (12 megapixels, 3-4 MB of JPEG) on the real
// record sheet: showing a card, saving it unchanged, browsing many cards,
// beside Qt's own full-size decode of the same two files.
//
// Goals: showing a card costs at most half of the full decode, stepping to
// a card read ahead at most a twentieth, and so does the command that steps to
// a card not read ahead (its photos come later); saving an
// unchanged card decodes and encodes nothing; browsing keeps the memory of a
// few cards, not of the collection. The ratios of the medians are printed at
// the end.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>

#include "BenchSupport.h"
#include "PhotoBench.h"
#include "SheetBench.h"
#include "core/archive/CompanionFiles.h"
#include "core/photos/Photo.h"
#include "core/photos/PhotoPreparer.h"
#include "gui/sheet/PhotoSlot.h"
#include "gui/shell/frmAvvio.h"
#include "gui/widgets/ImageView.h"

namespace {

constexpr int kCards = 40;
const QString kArchive = QStringLiteral("Collezione");

struct Bench {
    SheetBench program{kArchive};
    TfrmCartoline* sheet = program.sheet;
    QString photoA;
    QString photoB;
};
Bench* g = nullptr;

void setUp()
{
    g = new Bench;
    PhotoBench::writeArchive(g->program.archive, kCards);
    CompanionFiles::ensurePhotoFolder();
    g->photoA = CompanionFiles::photoPath(CompanionFiles::Photo::A, kArchive, 1);
    g->photoB = CompanionFiles::photoPath(CompanionFiles::Photo::B, kArchive, 1);
    const qint64 sizeA = PhotoBench::writePhoto(g->photoA, PhotoBench::photographic(QSize(4000, 3000), 1));
    const qint64 sizeB = PhotoBench::writePhoto(g->photoB, PhotoBench::photographic(QSize(3000, 4000), 2));
    std::printf("photo A 4000x3000: %.2f MB, photo B 3000x4000: %.2f MB (JPEG quality 92)\n", double(sizeA) / 1048576.0,
                double(sizeB) / 1048576.0);
    // The other cards show the same two pictures, each through its own file name.
    for (int i = 2; i <= kCards; ++i) {
        QFile::link(g->photoA, CompanionFiles::photoPath(CompanionFiles::Photo::A, kArchive, i));
        QFile::link(g->photoB, CompanionFiles::photoPath(CompanionFiles::Photo::B, kArchive, i));
    }

    TWindowSet::handOver(g->program.windows->frmAvvio, g->sheet);
    QApplication::processEvents();
    g->sheet->subMostraScheda(1);
    QApplication::processEvents();
    std::printf("cores: %d\n", QThread::idealThreadCount());
}

// Until the photos of the card on the sheet are in their slots: a card's
// photos not read ahead arrive from another thread.
void waitForPhotos()
{
    auto* a = named<TImageView>(g->sheet, "imgFoto");
    auto* b = named<TImageView>(g->sheet, "imgFoto02");
    while (a->isLoading() || b->isLoading())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Showing a card nobody read ahead, the archive read included: both photos
// decoded now.
void BM_ShowCard(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        g->sheet->cmdNuovoClick(); // forgets what was read ahead
        TPhotoPreparer::waitUntilIdle();
        state.ResumeTiming();
        g->sheet->subMostraScheda(1);
        waitForPhotos();
        named<TImageView>(g->sheet, "imgFoto")->repaint();
        named<TImageView>(g->sheet, "imgFoto02")->repaint();
    }
    if (named<TImageView>(g->sheet, "imgFoto")->photo().size() != QSize(4000, 3000))
        state.SkipWithError("photo A did not load");
}
BENCHMARK(BM_ShowCard)->Unit(benchmark::kMillisecond)->UseRealTime();

// "Avanti" to a card nobody read ahead (its photo files changed since), two
// 12-megapixel photos: the user-interface thread's time until the command
// returns. Waiting here is what freezes the window on a slow photo folder.
void BM_ShowColdCardCommand(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        g->sheet->subMostraScheda(1);
        waitForPhotos();
        TPhotoPreparer::waitUntilIdle();
        // A new time on the shared files makes what was read ahead stale.
        ::utimensat(AT_FDCWD, QFile::encodeName(g->photoA).constData(), nullptr, 0);
        ::utimensat(AT_FDCWD, QFile::encodeName(g->photoB).constData(), nullptr, 0);
        state.ResumeTiming();
        g->sheet->cmdAvantiClick();
    }
    waitForPhotos();
    TPhotoPreparer::waitUntilIdle();
    if (named<QLabel>(g->sheet, "lblPosizione")->text() != QStringLiteral("2"))
        state.SkipWithError("the step did not reach card 2");
}
BENCHMARK(BM_ShowColdCardCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

// "Avanti" to the card after the one on screen, read ahead while that one
// was shown: the whole command on the user-interface thread (the archive
// read included) until both pictures are drawn.
void BM_ShowPreparedNeighbour(benchmark::State& state)
{
    const int ready = TPhotoPreparer::counters().ready;
    for (auto _ : state) {
        state.PauseTiming();
        if (named<QLabel>(g->sheet, "lblPosizione")->text() == QString::number(kCards))
            g->sheet->subMostraScheda(1);
        TPhotoPreparer::waitUntilIdle();
        state.ResumeTiming();
        g->sheet->cmdAvantiClick();
        waitForPhotos();
        named<TImageView>(g->sheet, "imgFoto")->repaint();
        named<TImageView>(g->sheet, "imgFoto02")->repaint();
    }
    state.counters["prepared_photos"] = TPhotoPreparer::counters().ready - ready;
    if (named<TImageView>(g->sheet, "imgFoto")->photo().size() != QSize(4000, 3000))
        state.SkipWithError("photo A did not show");
}
BENCHMARK(BM_ShowPreparedNeighbour)->Unit(benchmark::kMillisecond)->UseRealTime();

// Leafing forward through the collection at a steady pace, one step every
// 150 ms: how many steps find their card read ahead, and the memory it takes.
void BM_LeafAtSteadyPace(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    constexpr auto kPace = std::chrono::milliseconds(150);
    auto& counters = TPhotoPreparer::counters();
    double before = 0;
    double peak = 0;
    int ready = 0;
    int waited = 0;
    int unprepared = 0;
    for (auto _ : state) {
        g->sheet->subMostraScheda(1);
        QApplication::processEvents();
        TPhotoPreparer::waitUntilIdle();
        before = BenchSupport::residentMB();
        BenchSupport::resetPeakMemory();
        ready = counters.ready;
        waited = counters.waited;
        unprepared = counters.unprepared + counters.stale;
        for (int i = 2; i <= kCards; ++i) {
            const auto next = Clock::now() + kPace;
            g->sheet->cmdAvantiClick();
            QApplication::processEvents();
            while (Clock::now() < next) {
                QApplication::processEvents();
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
        peak = BenchSupport::peakResidentMB();
        ready = counters.ready - ready;
        waited = counters.waited - waited;
        unprepared = counters.unprepared + counters.stale - unprepared;
    }
    const double steps = 2.0 * (kCards - 1); // photos asked for
    state.counters["steps"] = kCards - 1;
    state.counters["found_ready_pct"] = 100.0 * ready / steps;
    state.counters["waited_pct"] = 100.0 * waited / steps;
    state.counters["unprepared_pct"] = 100.0 * unprepared / steps;
    state.counters["rss_before_MB"] = before;
    state.counters["peak_rss_MB"] = peak;
    state.counters["peak_growth_MB"] = peak - before;
    if (named<QLabel>(g->sheet, "lblPosizione")->text() != QString::number(kCards))
        state.SkipWithError("leafing stopped early");
}
BENCHMARK(BM_LeafAtSteadyPace)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(2);

void BM_SaveUnchangedCard(benchmark::State& state)
{
    g->sheet->subMostraScheda(1);
    const int decodes = TPhoto::counters().decodes;
    const int encodes = TPhoto::counters().encodes;
    for (auto _ : state) {
        if (!g->sheet->subSalvaFotoScheda())
            state.SkipWithError("photo store failed");
    }
    state.counters["decodes"] = TPhoto::counters().decodes - decodes;
    state.counters["encodes"] = TPhoto::counters().encodes - encodes;
}
BENCHMARK(BM_SaveUnchangedCard)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FullDecodeBaseline(benchmark::State& state)
{
    for (auto _ : state) {
        QImage a = QImageReader(g->photoA).read();
        QImage b = QImageReader(g->photoB).read();
        benchmark::DoNotOptimize(a.constBits());
        benchmark::DoNotOptimize(b.constBits());
    }
}
BENCHMARK(BM_FullDecodeBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

// The zoom window on a 1920x1080 screen decodes at 1320x990, not 4000x3000.
void BM_ZoomDecode(benchmark::State& state)
{
    const TPhoto photo = named<TImageView>(g->sheet, "imgFoto")->photo();
    const QSize target = displayDecodeSize(photo.size(), QSize(1860, 990));
    for (auto _ : state) {
        QImage shown = photo.decode(target);
        benchmark::DoNotOptimize(shown.constBits());
    }
}
BENCHMARK(BM_ZoomDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

// Browsing the whole collection card by card; the peak of resident memory
// grows by a few cards' worth at most, whatever the number of cards.
void BM_BrowseCollection(benchmark::State& state)
{
    double growth = 0;
    double before = 0;
    double peak = 0;
    for (auto _ : state) {
        g->sheet->subMostraScheda(1);
        QApplication::processEvents();
        before = BenchSupport::residentMB();
        BenchSupport::resetPeakMemory();
        for (int i = 2; i <= kCards; ++i) {
            g->sheet->cmdAvantiClick();
            QApplication::processEvents();
        }
        peak = BenchSupport::peakResidentMB();
        growth = std::max(growth, peak - before);
    }
    state.counters["rss_before_MB"] = before;
    state.counters["peak_rss_MB"] = peak;
    const double fileMB = double(QFileInfo(g->photoA).size() + QFileInfo(g->photoB).size()) / 1048576.0;
    state.counters["cards"] = kCards;
    state.counters["peak_growth_MB"] = growth;
    state.counters["card_files_MB"] = fileMB;
    state.counters["collection_files_MB"] = fileMB * kCards;
    if (named<QLabel>(g->sheet, "lblPosizione")->text() != QString::number(kCards))
        state.SkipWithError("browsing stopped early");
}
BENCHMARK(BM_BrowseCollection)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);

} // namespace

int main(int argc, char** argv)
{
    BenchSupport::useOffscreenUnlessSet();
    QApplication app(argc, argv);
    if (!BenchSupport::initialise(argc, argv, 7))
        return 1;

    setUp();
    BenchSupport::RatioReporter reporter(
        "BM_FullDecodeBaseline", "full decode of both photos",
        "show <= 0.50 x, prepared neighbour <= 0.05 x, cold card command <= 0.05 x",
        {"BM_ShowCard", "BM_ShowColdCardCommand", "BM_ShowPreparedNeighbour", "BM_SaveUnchangedCard", "BM_ZoomDecode"});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    delete g;
    return 0;
}
