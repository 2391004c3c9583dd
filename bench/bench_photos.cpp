// Photos as phones take them (12 megapixels, 3-4 MB of JPEG) on the real
// record sheet: showing a card, saving it unchanged, browsing many cards,
// beside Qt's own full-size decode of the same two files.
//
// Goals: showing a card costs at most half of the full decode; saving an
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
#include <cstdio>
#include <memory>

#include "BenchSupport.h"
#include "PhotoBench.h"
#include "SheetBench.h"
#include "core/photos/Photo.h"
#include "gui/shell/frmAvvio.h"
#include "core/archive/CompanionFiles.h"
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
    g->photoA = CompanionFiles::photoPath(CompanionFiles::Photo::A, kArchive, QStringLiteral("1"));
    g->photoB = CompanionFiles::photoPath(CompanionFiles::Photo::B, kArchive, QStringLiteral("1"));
    const qint64 sizeA = PhotoBench::writePhoto(g->photoA, PhotoBench::photographic(QSize(4000, 3000), 1));
    const qint64 sizeB = PhotoBench::writePhoto(g->photoB, PhotoBench::photographic(QSize(3000, 4000), 2));
    std::printf("photo A 4000x3000: %.2f MB, photo B 3000x4000: %.2f MB (JPEG quality 92)\n", double(sizeA) / 1048576.0,
                double(sizeB) / 1048576.0);
    // The other cards show the same two pictures, each through its own file name.
    for (int i = 2; i <= kCards; ++i) {
        QFile::link(g->photoA, CompanionFiles::photoPath(CompanionFiles::Photo::A, kArchive, QString::number(i)));
        QFile::link(g->photoB, CompanionFiles::photoPath(CompanionFiles::Photo::B, kArchive, QString::number(i)));
    }

    TWindowSet::handOver(g->program.windows->frmAvvio, g->sheet);
    QApplication::processEvents();
    g->sheet->subMostraScheda(1);
    QApplication::processEvents();
    std::printf("cores: %d\n", QThread::idealThreadCount());
}

void BM_ShowCard(benchmark::State& state)
{
    for (auto _ : state) {
        g->sheet->subApriFotoScheda();
        g->sheet->imgFoto->repaint();
        g->sheet->imgFoto02->repaint();
    }
    if (g->sheet->imgFoto->photo().size() != QSize(4000, 3000))
        state.SkipWithError("photo A did not load");
}
BENCHMARK(BM_ShowCard)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveUnchangedCard(benchmark::State& state)
{
    g->sheet->lblPosizione->setText(QStringLiteral("1"));
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
    const TPhoto photo = g->sheet->imgFoto->photo();
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
    if (g->sheet->lblPosizione->text() != QString::number(kCards))
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
    BenchSupport::RatioReporter reporter("BM_FullDecodeBaseline", "full decode of both photos", "show <= 0.50 x",
                                         {"BM_ShowCard", "BM_SaveUnchangedCard", "BM_ZoomDecode"});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    delete g;
    return 0;
}
