// The gallery on a collection of 100 000 cards, the first 2 000 of them with
// a 12-megapixel photo (3-4 MB of JPEG, as phones take them), in a
// 1366x768 window.
//
// Goals, each against a baseline measured in the same run: opening the
// gallery with its thumbnails already made, up to the first screen of tiles
// drawn, at most 1.5 x a block scan of the archive; one screen of scrolling
// at most 0.02 x a full decode of one photo on the user-interface thread;
// making one thumbnail at most 0.2 x that full decode. The growth of
// resident memory while the whole collection goes by at the largest tile
// size is printed as a counter (goal: under 150 MB).
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QListView>
#include <QScrollBar>
#include <QSlider>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include <unistd.h>

#include "ArchivioDiProva.h"
#include "BenchSupport.h"
#include "PhotoBench.h"
#include "SheetBench.h"
#include "core/archive/CompanionFiles.h"
#include "core/gallery/GalleryModel.h"
#include "core/gallery/ThumbnailCache.h"
#include "core/gallery/ThumbnailLoader.h"
#include "gui/output/frmGalleria.h"

namespace {

using ArchivioDiProva::BM_ScanInBlocks;
using CompanionFiles::Photo;

const QString kArchive = QStringLiteral("Collezione");
// Cards 1 .. kWithPhotos have a photo A; a few distinct pictures, each file
// a hard link to one of them, so that 2 000 photos do not take 7 GB. Making
// their thumbnails takes minutes on a small machine: GALLERY_PHOTOS gives
// fewer for a quick look.
const int kWithPhotos = qEnvironmentVariableIsSet("GALLERY_PHOTOS") ? qEnvironmentVariableIntValue("GALLERY_PHOTOS")
                                                                    : 2000;
constexpr int kDistinct = 4;
const QSize kScreen(1366, 768);

SheetBench* g = nullptr;

QString photoOf(int card)
{
    return CompanionFiles::photoPath(Photo::A, kArchive, card);
}

void makePhotos()
{
    CompanionFiles::ensurePhotoFolder();
    qint64 bytes = 0;
    for (int i = 1; i <= kDistinct; ++i)
        bytes += PhotoBench::writePhoto(photoOf(i), PhotoBench::photographic(QSize(4000, 3000), unsigned(i)));
    for (int card = kDistinct + 1; card <= kWithPhotos; ++card) {
        const QByteArray from = QFile::encodeName(photoOf(1 + (card - 1) % kDistinct));
        if (::link(from.constData(), QFile::encodeName(photoOf(card)).constData()) != 0)
            qFatal("cannot link the photo of card %d", card);
    }
    std::printf("%d cards, %d with a 4000x3000 photo (%d distinct, %.1f MB on average)\n", ArchivioDiProva::kSchede,
                kWithPhotos, kDistinct, double(bytes) / kDistinct / 1048576.0);
}

// The gallery as the sheet's command opens it, in a 1366x768 window, shown
// without an event loop of its own.
std::unique_ptr<TfrmGalleria> openGallery()
{
    auto gallery = std::make_unique<TfrmGalleria>(g->sheet, g->archive, kArchive);
    gallery->setWindowState(Qt::WindowNoState);
    gallery->setGeometry(QRect(QPoint(0, 0), kScreen));
    gallery->show();
    return gallery;
}

// Until every tile on screen has its picture, and the screen is drawn.
bool firstScreenDrawn(TfrmGalleria* gallery)
{
    for (int turns = 0; turns < 100000; ++turns) {
        QApplication::processEvents(QEventLoop::AllEvents);
        if (gallery->lastVisibleRow() >= 0 && gallery->model()->waiting() == 0) {
            gallery->repaint();
            return true;
        }
    }
    return false;
}

QListView* listOf(TfrmGalleria* gallery)
{
    return named<QListView>(gallery, "lstGalleria");
}

// Every thumbnail is made once before the timed runs: the cache is warm.
void warmCache()
{
    const QSize box = TThumbnailLoader(kArchive, 1.0).thumbnailBox();
    const int made = ThumbnailCache::counters().made;
    for (int card = 1; card <= kWithPhotos; ++card)
        readTile(kArchive, card, box, box);
    std::printf("thumbnails made: %d\n", ThumbnailCache::counters().made - made);
}

void BM_GalleryFirstScreen(benchmark::State& state)
{
    int tiles = 0;
    for (auto _ : state) {
        std::unique_ptr<TfrmGalleria> gallery = openGallery();
        if (!firstScreenDrawn(gallery.get())) {
            state.SkipWithError("the first screen was not drawn");
            break;
        }
        tiles = gallery->lastVisibleRow() - gallery->firstVisibleRow() + 1;
        state.PauseTiming();
        gallery.reset();
        TThumbnailLoader::waitUntilIdle();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["tiles_on_screen"] = tiles;
}

// The user-interface thread's work for one screen of scrolling: the scroll,
// telling the model what is on screen and drawing the grid. The pictures
// come in between frames, as they would.
void BM_GalleryScrollScreen(benchmark::State& state)
{
    std::unique_ptr<TfrmGalleria> gallery = openGallery();
    firstScreenDrawn(gallery.get());
    QListView* list = listOf(gallery.get());
    QScrollBar* bar = list->verticalScrollBar();
    // Through the cards with photos, round again from the top.
    const int photoEnd = list->visualRect(gallery->model()->index(kWithPhotos - 1)).bottom() + bar->value();
    for (auto _ : state) {
        const int next = bar->value() + list->viewport()->height();
        bar->setValue(next > photoEnd ? 0 : next);
        gallery->noteVisibleRows();
        list->viewport()->repaint();
        state.PauseTiming();
        firstScreenDrawn(gallery.get());
        state.ResumeTiming();
    }
    state.counters["kept_pictures"] = gallery->model()->keptPictures();
}

void BM_FullDecodeOne(benchmark::State& state)
{
    for (auto _ : state) {
        QImage full = QImageReader(photoOf(1)).read();
        benchmark::DoNotOptimize(full.constBits());
    }
}

// From the photo file to the thumbnail file: read, scaled decode, encode, write.
void BM_MakeThumbnail(benchmark::State& state)
{
    const QSize box = TThumbnailLoader(kArchive, 1.0).thumbnailBox();
    const QString thumbnail = ProgramFolder::path() + QStringLiteral("prova_miniatura.jpg");
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(thumbnail);
        state.ResumeTiming();
        const ThumbnailCache::Result made = ThumbnailCache::picture(photoOf(1), thumbnail, box, box);
        if (made.origin != ThumbnailCache::Origin::Made) {
            state.SkipWithError("no thumbnail made");
            break;
        }
    }
}

// The whole collection goes by at the largest tile size, a screen at a
// time through the cards with photos and in long strides after them; the
// rise of resident memory over the program without the gallery.
void BM_GalleryPeakMemory(benchmark::State& state)
{
    double rise = 0;
    double kept = 0;
    for (auto _ : state) {
        TThumbnailLoader::waitUntilIdle();
        QApplication::processEvents();
        BenchSupport::settledHeapMB();
        const double before = BenchSupport::residentMB();
        BenchSupport::resetPeakMemory();
        {
            std::unique_ptr<TfrmGalleria> gallery = openGallery();
            named<QSlider>(gallery.get(), "sldDimensione")->setValue(TfrmGalleria::kLargest);
            firstScreenDrawn(gallery.get());
            QListView* list = listOf(gallery.get());
            QScrollBar* bar = list->verticalScrollBar();
            const int photoEnd = list->visualRect(gallery->model()->index(kWithPhotos - 1)).bottom() + bar->value();
            const int stride = qMax(list->viewport()->height(), (bar->maximum() - photoEnd) / 400);
            while (bar->value() < bar->maximum()) {
                bar->setValue(bar->value() + (bar->value() < photoEnd ? list->viewport()->height() : stride));
                firstScreenDrawn(gallery.get());
            }
            kept = gallery->model()->keptPictures();
        }
        rise = BenchSupport::peakResidentMB() - before;
    }
    state.counters["peak_rise_MB"] = rise;
    state.counters["kept_pictures_at_end"] = kept;
}

BENCHMARK(BM_ScanInBlocks)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GalleryFirstScreen)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GalleryScrollScreen)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FullDecodeOne)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MakeThumbnail)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GalleryPeakMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    BenchSupport::useOffscreenUnlessSet();
    QApplication app(argc, argv);
    if (!BenchSupport::initialise(argc, argv))
        return 1;

    SheetBench bench(kArchive);
    if (!ArchivioDiProva::creaArchivio(bench.archive))
        return 1;
    g = &bench;
    makePhotos();
    warmCache();

    BenchSupport::RatioReporter reporter("BM_ScanInBlocks/1000", "block scan of the same archive",
                                         "first screen <= 1.5 x", {"BM_GalleryFirstScreen"});
    reporter.addGroup("BM_FullDecodeOne", "full decode of one 12-MP photo",
                      "scroll one screen <= 0.02 x, make one thumbnail <= 0.2 x",
                      {"BM_GalleryScrollScreen", "BM_MakeThumbnail"});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    TThumbnailLoader::waitUntilIdle();
    g = nullptr;
    return 0;
}
