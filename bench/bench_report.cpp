// Printed output: the card's page with a 12-megapixel photo drawn at 300 dpi,
// beside a full decode of that photo; the summary of a long list written to
// PDF, with its size and the memory the printing itself takes.
//
// Goals: the card's page costs at most one full decode of its photo (the
// photo is decoded once, at the size it prints); printing a list needs the
// same memory for 10 000 lines as for 100 000, apart from the lines
// themselves.
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "output/CardLayout.h"
#include "search/SummaryLayout.h"
#include "sheet/Photo.h"

namespace {

QByteArray g_photoBytes; // a 4000 x 3000 JPEG, as a phone takes it
QTemporaryDir* g_folder = nullptr;

// Light and shade with grain, so that the JPEG is as heavy as a photo's.
QByteArray cameraJpeg(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0, QColor(40, 90, 170));
    sky.setColorAt(0.5, QColor(230, 200, 120));
    sky.setColorAt(1, QColor(30, 60, 30));
    painter.fillRect(image.rect(), sky);
    painter.setBrush(QColor(180, 30, 30));
    painter.drawEllipse(QRect(size.width() / 4, size.height() / 3, size.width() / 2, size.height() / 3));
    painter.end();
    QRandomGenerator grain(7);
    for (int y = 0; y < size.height(); ++y) {
        auto* pixel = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int d = int(grain.bounded(21)) - 10;
            pixel[x] = qRgb(qBound(0, qRed(pixel[x]) + d, 255), qBound(0, qGreen(pixel[x]) + d, 255),
                            qBound(0, qBlue(pixel[x]) + d, 255));
        }
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "jpg", 92);
    return buffer.data();
}

double statusMB(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

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
    state.counters["decodes_per_page"] = double(TPhoto::counters().decodes - before) / state.iterations();
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
    state.counters["pdf_MB"] = QFileInfo(path).size() / 1048576.0;
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
        {
            QFile clear(QStringLiteral("/proc/self/clear_refs"));
            if (clear.open(QIODevice::WriteOnly))
                clear.write("5"); // peak memory from here on
        }
        const double before = statusMB("VmRSS:");
        QPdfWriter writer(path);
        if (!summary.print(writer))
            state.SkipWithError("the PDF could not be written");
        printing = statusMB("VmHWM:") - before;
    }
    state.counters["pages"] = pages;
    state.counters["pdf_MB"] = QFileInfo(path).size() / 1048576.0;
    state.counters["printing_peak_MB"] = printing;
}
BENCHMARK(BM_SummaryPdf)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// Prints the card's page against the full decode once everything has run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration
                || (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median"))
            {
                m_time[run.run_name.function_name] = run.GetAdjustedRealTime();
                m_cpu[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const double baseline = m_time["BM_FullDecodeBaseline"];
        if (baseline <= 0)
            return;
        // On a shared machine the processor time says more than the wall clock.
        std::printf("\nRatios to one full decode of the photo (goal: card page <= 1.00), real / cpu:\n");
        for (const char* name : {"BM_CardPage300dpi", "BM_CardPdf300dpi", "BM_DecodeAtPrintedSize"})
            if (m_time[name] > 0)
                std::printf("  %-24s %.3f / %.3f\n", name, m_time[name] / baseline,
                            m_cpu[name] / m_cpu["BM_FullDecodeBaseline"]);
    }

private:
    std::map<std::string, double> m_time;
    std::map<std::string, double> m_cpu;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir folder;
    g_folder = &folder;
    g_photoBytes = cameraJpeg(QSize(4000, 3000));
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
