// The slideshow over 12-megapixel photos (as phones take them): what the
// user-interface thread spends when a tick changes the picture, beside a
// full decode of one such photo.
//
// Goal: a tick that changes the picture costs the user-interface thread at
// most 0.2 x the full decode; the next photo is prepared ahead on another
// thread, at the size it is shown. The ratio is printed at the end.
#include <QApplication>
#include <QFile>
#include <QImageReader>
#include <QScreen>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>

#include "BenchSupport.h"
#include "PhotoBench.h"
#include "SheetBench.h"
#include "core/archive/CompanionFiles.h"
#include "core/photos/Photo.h"
#include "gui/output/frmSlideshow_Euro_01.h"
#include "gui/widgets/ImageView.h"

namespace {

constexpr int kCards = 12;
const QString kArchive = QStringLiteral("Collezione");

struct Bench {
    SheetBench program{kArchive};
    TfrmSlideshow_Euro_01* show = nullptr;
    QString photo;
};
Bench* g = nullptr;

void setUp()
{
    g = new Bench;
    PhotoBench::writeArchive(g->program.archive, kCards);
    CompanionFiles::ensurePhotoFolder();
    // Two different pictures in turn, each card through its own file name.
    const QString first = CompanionFiles::photoPath(CompanionFiles::Photo::A, kArchive, 1);
    const QString second = CompanionFiles::photoPath(CompanionFiles::Photo::A, kArchive, 2);
    const qint64 size1 = PhotoBench::writePhoto(first, PhotoBench::photographic(QSize(4000, 3000), 1));
    const qint64 size2 = PhotoBench::writePhoto(second, PhotoBench::photographic(QSize(4000, 3000), 2));
    for (int i = 3; i <= kCards; ++i)
        QFile::link(i % 2 ? first : second, CompanionFiles::photoPath(CompanionFiles::Photo::A, kArchive, i));
    g->photo = first;

    g->show = new TfrmSlideshow_Euro_01(g->program.sheet, g->program.sheet->state().archivePath,
                                        g->program.sheet->state().archiveName);
    g->show->Timer->setInterval(24 * 3600 * 1000); // the benchmark makes the ticks
    g->show->show();
    QApplication::processEvents();
    std::printf("photos 4000x3000: %.2f MB and %.2f MB (JPEG quality 92); screen %dx%d, shown in %dx%d; cores: %d\n",
                double(size1) / 1048576.0, double(size2) / 1048576.0, g->show->screen()->size().width(),
                g->show->screen()->size().height(), named<TImageView>(g->show, "imgFoto")->width(),
                named<TImageView>(g->show, "imgFoto")->height(), QThread::idealThreadCount());
}

// One tick that changes the picture, and the drawing of it, on the
// user-interface thread. The preparation of the next photo runs outside the
// timing, as it does during the six seconds between ticks.
void BM_TickChangesPicture(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        if (named<QLabel>(g->show, "lblPosizione")->text() == QString::number(kCards))
            g->show->cmdAvantiClick(); // the rewind tick changes no picture
        g->show->waitForPrepared();
        state.ResumeTiming();
        g->show->cmdAvantiClick();
        while (named<TImageView>(g->show, "imgFoto")->isLoading())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        named<TImageView>(g->show, "imgFoto")->repaint();
    }
    if (named<TImageView>(g->show, "imgFoto")->photo().size() != QSize(4000, 3000))
        state.SkipWithError("the photo did not show");
}
BENCHMARK(BM_TickChangesPicture)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(24);

// What the other thread does for each card: read the file, decode at screen size.
void BM_PrepareOffThread(benchmark::State& state)
{
    const QSize area = named<TImageView>(g->show, "imgFoto")->size();
    for (auto _ : state) {
        const TPhoto photo = TPhoto::fromFile(g->photo);
        QImage shown = photo.decode(displayDecodeSize(photo.size(), area));
        benchmark::DoNotOptimize(shown.constBits());
    }
}
BENCHMARK(BM_PrepareOffThread)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FullDecodeBaseline(benchmark::State& state)
{
    for (auto _ : state) {
        QImage image = QImageReader(g->photo).read();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_FullDecodeBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    BenchSupport::useOffscreenUnlessSet();
    QApplication app(argc, argv);
    if (!BenchSupport::initialise(argc, argv, 7))
        return 1;

    setUp();
    BenchSupport::RatioReporter reporter("BM_FullDecodeBaseline", "full decode of one 12-megapixel photo",
                                         "tick <= 0.20 x", {"BM_TickChangesPicture", "BM_PrepareOffThread"});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    delete g->show;
    delete g;
    return 0;
}
