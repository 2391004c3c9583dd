#pragma once
// Shared by the benchmarks that work on photos as phones take them: the
// pictures, and the printing of ratios to a baseline.
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <benchmark/benchmark.h>

#include "storage/Archivio.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace PhotoBench {

// Something a camera could have taken: smooth shapes and light, plus sensor
// noise, so that it compresses like a photo and not like a drawing.
inline QImage photographic(QSize size, unsigned seed)
{
    QImage image(size, QImage::Format_RGB32);
    std::mt19937 rng(seed);
    const double phase = seed * 0.7;
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int noise = int(rng() % 17) - 8;
            const double wave = std::sin(x / 150.0 + phase) * std::cos(y / 110.0);
            line[x] = qRgb(qBound(0, int(120 + 80 * wave) + noise, 255),
                           qBound(0, y * 255 / size.height() + noise, 255),
                           qBound(0, (x / 3 + y / 2) % 256 + noise, 255));
        }
    }
    return image;
}

inline qint64 writePhoto(const QString& path, const QImage& image)
{
    if (!image.save(path, "jpg", 92))
        qFatal("cannot write %s", qPrintable(path));
    return QFileInfo(path).size();
}

// A fresh archive of `cards` cards named "Modello 1", "Modello 2"...
inline void writeArchive(const QString& path, int cards)
{
    TArchivio archive;
    archive.ApriArchivio(path);
    for (int i = 1; i <= cards; ++i) {
        TScheda record;
        record.ScriviCampo(Campo::Nome, QStringLiteral("Modello %1").arg(i));
        archive.AccodaScheda(record);
    }
    archive.ChiudiArchivio();
}

// Several runs by default, reported by their median.
inline void initialise(int argc, char** argv)
{
    static std::vector<char*> args(argv, argv + argc);
    bool repetitionsGiven = false;
    for (int i = 1; i < argc; ++i)
        repetitionsGiven = repetitionsGiven || std::string(argv[i]).rfind("--benchmark_repetitions", 0) == 0;
    static std::string repetitions = "--benchmark_repetitions=7";
    static std::string aggregatesOnly = "--benchmark_report_aggregates_only=true";
    if (!repetitionsGiven) {
        args.push_back(repetitions.data());
        args.push_back(aggregatesOnly.data());
    }
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
}

// Prints the ratios of the medians to a baseline once everything has run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter(std::string baseline, std::string baselineText, std::string goal,
                  std::initializer_list<const char*> names)
        : m_baseline(std::move(baseline)), m_baselineText(std::move(baselineText)), m_goal(std::move(goal)),
          m_names(names)
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                m_median[run.run_name.function_name] = run.GetAdjustedRealTime();
            else if (run.run_type == Run::RT_Iteration)
                m_last[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        auto value = [&](const std::string& name) {
            auto it = m_median.find(name);
            if (it != m_median.end())
                return it->second;
            auto last = m_last.find(name);
            return last != m_last.end() ? last->second : 0.0;
        };
        const double baseline = value(m_baseline);
        if (baseline <= 0)
            return;
        std::printf("\nRatios to the %s (goal: %s):\n", m_baselineText.c_str(), m_goal.c_str());
        for (const char* name : m_names) {
            if (value(name) > 0)
                std::printf("  %-22s %.3f\n", name, value(name) / baseline);
        }
    }

private:
    std::string m_baseline;
    std::string m_baselineText;
    std::string m_goal;
    std::vector<const char*> m_names;
    std::map<std::string, double> m_median;
    std::map<std::string, double> m_last;
};

} // namespace PhotoBench
