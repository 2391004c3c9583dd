// Printed output: the card's page with a 12-megapixel photo drawn at 300 dpi,
// beside a full decode of that photo; the same with a 48-megapixel photo, at
// 300, 600 and 1200 dpi, beside its full decode (which only a lifted image
// allocation limit allows); the summary of a long list written to PDF, with
// its size and the memory the printing itself takes; a card whose photo file
// declares 30 000 x 30 000 progressive pixels, and one whose photo comes in
// 2 113 scans, judged and refused.
//
// Goals: the card's page costs at most one full decode of its photo (the
// photo is decoded once, at the size it prints, and never beyond 600 dpi over
// the frame); printing a list needs the same memory for 10 000 lines as for
// 100 000, apart from the lines themselves; a card with a refused photo
// costs at most a tenth of that full decode.
#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPdfWriter>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>

#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "PhotoBench.h"
#include "PhotoFixtures.h"
#include "core/photos/Photo.h"
#include "core/report/CardLayout.h"
#include "core/report/SummaryLayout.h"

namespace {

QByteArray g_photoBytes;    // a 4000 x 3000 JPEG, as a phone takes it
QByteArray g_bigPhotoBytes; // 8000 x 6000, a current phone's main camera
QTemporaryDir* g_folder = nullptr;

void fillCard(TCardLayout& card)
{
    card.find<TReportText>(QStringLiteral("txtModellino"))->setText(QStringLiteral("Ferrari 250 GTO"));
    card.find<TReportText>(QStringLiteral("txtNome"))->setText(QStringLiteral("Auto da corsa"));
    for (const TCardLayout::FieldBox& box : TCardLayout::fieldBoxes())
        card.find<TReportText>(box.textObject)->setText(QStringLiteral("Testo di prova del campo ") + box.caption);
}

// A fresh photo each time, as a fresh preview window gets: nothing decoded yet.
void BM_CardPage300dpi(benchmark::State& state)
{
    TCardLayout card;
    fillCard(card);
    const int before = TPhoto::counters().decodes;
    for (auto _ : state) {
        card.find<TReportPicture>(QStringLiteral("imgLogo"))->setPicture(TPhoto::fromBytes(g_photoBytes));
        card.prepare();
        const QImage page = card.renderPage(0, 300);
        benchmark::DoNotOptimize(page.constBits());
    }
    state.counters["decodes_per_page"] = double(TPhoto::counters().decodes - before) / double(state.iterations());
}
BENCHMARK(BM_CardPage300dpi)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CardPdf300dpi(benchmark::State& state)
{
    TCardLayout card;
    fillCard(card);
    const QString path = g_folder->filePath(QStringLiteral("scheda.pdf"));
    for (auto _ : state) {
        card.find<TReportPicture>(QStringLiteral("imgLogo"))->setPicture(TPhoto::fromBytes(g_photoBytes));
        card.prepare();
        QPdfWriter writer(path);
        writer.setResolution(300);
        if (!card.print(writer))
            state.SkipWithError("the PDF could not be written");
    }
    state.counters["pdf_MB"] = double(QFileInfo(path).size()) / 1048576.0;
}
BENCHMARK(BM_CardPdf300dpi)->Unit(benchmark::kMillisecond)->UseRealTime();

// The photo alone, decoded at the size the page prints it.
void BM_DecodeAtPrintedSize(benchmark::State& state)
{
    const QSize printed(qRound(188 / 25.4 * 300), qRound(121 / 25.4 * 300));
    for (auto _ : state) {
        const TPhoto photo = TPhoto::fromBytes(g_photoBytes);
        const QImage image = photo.decode(photo.size().scaled(printed, Qt::KeepAspectRatio));
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_DecodeAtPrintedSize)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FullDecodeBaseline(benchmark::State& state)
{
    for (auto _ : state) {
        const QImage full = TPhoto::fromBytes(g_photoBytes).image();
        benchmark::DoNotOptimize(full.constBits());
    }
}
BENCHMARK(BM_FullDecodeBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

// The card with the 48-megapixel photo: as an image at 300 and 600 dpi, and
// as a PDF at 300, 600 and 1200 dpi (a 1200 dpi page image alone would be
// 557 MB). Memory: the peak over what was resident before the page.
void BM_Card48MP(benchmark::State& state)
{
    const int dpi = int(state.range(0));
    const bool pdf = state.range(1) != 0;
    TCardLayout card;
    fillCard(card);
    const QString path = g_folder->filePath(QStringLiteral("scheda48.pdf"));
    const int before = TPhoto::counters().decodes;
    double peak = 0;
    for (auto _ : state) {
        BenchSupport::resetPeakMemory();
        const double resident = BenchSupport::residentMB();
        card.find<TReportPicture>(QStringLiteral("imgLogo"))->setPicture(TPhoto::fromBytes(g_bigPhotoBytes));
        card.prepare();
        if (pdf) {
            QPdfWriter writer(path);
            writer.setResolution(dpi);
            if (!card.print(writer))
                state.SkipWithError("the photo was not printed");
        } else {
            const QImage page = card.renderPage(0, dpi);
            benchmark::DoNotOptimize(page.constBits());
        }
        peak = std::max(peak, BenchSupport::peakResidentMB() - resident);
    }
    state.counters["decodes_per_page"] = double(TPhoto::counters().decodes - before) / double(state.iterations());
    state.counters["peak_MB"] = peak;
}
BENCHMARK(BM_Card48MP)
    ->ArgNames({"dpi", "pdf"})
    ->Args({300, 0})
    ->Args({600, 0})
    ->Args({300, 1})
    ->Args({600, 1})
    ->Args({1200, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The baseline: the 48-megapixel photo decoded whole, which Qt's 128 MB
// image limit refuses (192 MB); lifted here, for this decode only.
void BM_FullDecode48MP(benchmark::State& state)
{
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(0);
    double peak = 0;
    for (auto _ : state) {
        BenchSupport::resetPeakMemory();
        const double resident = BenchSupport::residentMB();
        const QImage full = TPhoto::fromBytes(g_bigPhotoBytes).image();
        if (full.isNull())
            state.SkipWithError("the photo did not decode");
        benchmark::DoNotOptimize(full.constBits());
        peak = std::max(peak, BenchSupport::peakResidentMB() - resident);
    }
    QImageReader::setAllocationLimit(limit);
    state.counters["peak_MB"] = peak;
}
BENCHMARK(BM_FullDecode48MP)->Unit(benchmark::kMillisecond)->UseRealTime();

// The page of a card whose photo was refused, printed outside the time
// measured: it costs what any card's page costs (BM_CardPage300dpi), and
// the time that counts is what the photo file costs the card.
void printUntimed(benchmark::State& state, TCardLayout& card)
{
    state.PauseTiming();
    const QImage page = card.renderPage(0, 300);
    benchmark::DoNotOptimize(page.constBits());
    state.ResumeTiming();
}

// A 173-byte progressive header declaring 30 000² pixels (5.4 GB of
// coefficients for libjpeg): read as the card's photo and printed; the photo
// is refused from its header, the page prints without it.
void BM_CardWithBombPhoto(benchmark::State& state)
{
    TCardLayout card;
    fillCard(card);
    const QByteArray bomb = PhotoFixtures::progressiveBomb(30000, false);
    double peak = 0;
    for (auto _ : state) {
        BenchSupport::resetPeakMemory();
        const double resident = BenchSupport::residentMB();
        const TPhoto photo = TPhoto::fromBytes(bomb);
        if (!photo.isNull())
            state.SkipWithError("the bomb was taken for a photo");
        card.find<TReportPicture>(QStringLiteral("imgLogo"))->setPicture(photo);
        card.prepare();
        printUntimed(state, card);
        peak = std::max(peak, BenchSupport::peakResidentMB() - resident);
    }
    state.counters["peak_MB"] = peak;
}
BENCHMARK(BM_CardWithBombPhoto)->Unit(benchmark::kMillisecond)->UseRealTime();

// A 16-megapixel progressive JPEG of a few tens of kilobytes in 2 113 scans,
// each a pass over the whole picture for libjpeg: read as the card's photo
// and printed; the photo is refused from its markers, the page prints
// without it.
void BM_CardWithManyScanPhoto(benchmark::State& state)
{
    TCardLayout card;
    fillCard(card);
    const QByteArray scans = PhotoFixtures::manyScanJpeg(QSize(4608, 3456), 2113);
    const int before = TPhoto::counters().decodes;
    for (auto _ : state) {
        const TPhoto photo = TPhoto::fromBytes(scans);
        if (!photo.isNull())
            state.SkipWithError("the file of 2113 scans was taken for a photo");
        card.find<TReportPicture>(QStringLiteral("imgLogo"))->setPicture(photo);
        card.prepare();
        printUntimed(state, card);
    }
    state.counters["decodes_per_page"] = double(TPhoto::counters().decodes - before) / double(state.iterations());
    state.counters["file_KB"] = double(scans.size()) / 1024.0;
}
BENCHMARK(BM_CardWithManyScanPhoto)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SummaryPdf(benchmark::State& state)
{
    const int count = int(state.range(0));
    QStringList lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("Modello %1").arg(i, 6, 10, QLatin1Char('0')).leftJustified(30)
                     + QStringLiteral("  Tipo: Auto                        Anno: 1965  Prod. Officina Rossi"
                                      "                  Scala: 1:43          Valore: € %1,50")
                           .arg(i % 100000);
    const QString path = g_folder->filePath(QStringLiteral("riepilogo.pdf"));
    double printing = 0;
    int pages = 0;
    for (auto _ : state) {
        TSummaryLayout summary;
        summary.fill(QStringLiteral("Riepilogo modellini in archivio"), lines, QDateTime::currentDateTime());
        pages = summary.preparedPageCount();
        BenchSupport::resetPeakMemory(); // peak memory from here on
        const double before = BenchSupport::residentMB();
        QPdfWriter writer(path);
        if (!summary.print(writer))
            state.SkipWithError("the PDF could not be written");
        printing = BenchSupport::peakResidentMB() - before;
    }
    state.counters["pages"] = pages;
    state.counters["pdf_MB"] = double(QFileInfo(path).size()) / 1048576.0;
    state.counters["printing_peak_MB"] = printing;
}
BENCHMARK(BM_SummaryPdf)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    BenchSupport::useOffscreenUnlessSet();
    QGuiApplication app(argc, argv);
    if (!BenchSupport::initialise(argc, argv))
        return 1;
    QTemporaryDir folder;
    g_folder = &folder;
    g_photoBytes = PhotoBench::cameraJpeg(PhotoBench::photographic(QSize(4000, 3000), 7));
    g_bigPhotoBytes = PhotoBench::cameraJpeg(PhotoBench::photographic(QSize(8000, 6000), 11));
    BenchSupport::RatioReporter reporter("BM_FullDecodeBaseline", "full decode of the photo", "card page <= 1.00 x",
                                         {"BM_CardPage300dpi", "BM_CardPdf300dpi", "BM_DecodeAtPrintedSize"});
    reporter.addGroup("BM_FullDecodeBaseline", "full decode of the photo", "card with a refused photo <= 0.10 x",
                      {"BM_CardWithBombPhoto", "BM_CardWithManyScanPhoto"});
    reporter.addGroup("BM_FullDecode48MP", "full decode of the 48-megapixel photo", "card page at 300 dpi <= 1.00 x",
                      {"BM_Card48MP/dpi:300/pdf:0", "BM_Card48MP/dpi:600/pdf:0", "BM_Card48MP/dpi:300/pdf:1",
                       "BM_Card48MP/dpi:600/pdf:1", "BM_Card48MP/dpi:1200/pdf:1"});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
