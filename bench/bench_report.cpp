// Printed output: the card's page with a 12-megapixel photo drawn at 300 dpi,
// beside a full decode of that photo; the summary of a long list written to
// PDF, with its size and the memory the printing itself takes.
//
// Goals: the card's page costs at most one full decode of its photo (the
// photo is decoded once, at the size it prints); printing a list needs the
// same memory for 10 000 lines as for 100 000, apart from the lines
// themselves.
#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "PhotoBench.h"
#include "core/report/CardLayout.h"
#include "core/report/SummaryLayout.h"
#include "core/photos/Photo.h"

namespace {

QByteArray g_photoBytes; // a 4000 x 3000 JPEG, as a phone takes it
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
    BenchSupport::RatioReporter reporter("BM_FullDecodeBaseline", "full decode of the photo", "card page <= 1.00 x",
                                         {"BM_CardPage300dpi", "BM_CardPdf300dpi", "BM_DecodeAtPrintedSize"});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
