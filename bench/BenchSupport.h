#pragma once
// What every benchmark program shares: its start, the memory readings and the
// printing of times as multiples of a baseline measured in the same run.
#include <QByteArray>
#include <QFile>
#include <QtGlobal>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <QObject>

// The named child of a window (widgets are found by objectName, as in the tests).
template <typename T, typename P> T* named(const P& parent, const char* name)
{
    T* child = (&*parent)->template findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no child named %s", name);
    return child;
}

namespace BenchSupport {

// Windows and fonts need a platform, also on a machine without a screen.
// Call before the application object is made.
inline void useOffscreenUnlessSet()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Reads the benchmark options. With `repetitions` above one, every benchmark
// runs that many times and is reported by its aggregates (median...), unless
// the command line gives a number of repetitions itself. False when an
// argument is not understood.
inline bool initialise(int argc, char** argv, int repetitions = 1)
{
    static std::vector<std::string> defaults;
    static std::vector<char*> args;
    args.assign(argv, argv + argc);
    bool repetitionsGiven = false;
    for (int i = 1; i < argc; ++i)
        repetitionsGiven = repetitionsGiven || std::string(argv[i]).rfind("--benchmark_repetitions", 0) == 0;
    if (repetitions > 1 && !repetitionsGiven) {
        defaults = {"--benchmark_repetitions=" + std::to_string(repetitions),
                    "--benchmark_report_aggregates_only=true"};
        for (std::string& option : defaults)
            args.push_back(option.data());
    }
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    return !benchmark::ReportUnrecognizedArguments(count, args.data());
}

// Heap the allocator has handed out and not had back, large (mapped) blocks
// included, in MB.
inline double heapMB()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

// The same, after free memory has gone back to the system: for differences
// between two moments that are not timed.
inline double settledHeapMB()
{
    malloc_trim(0);
    return heapMB();
}

// A "VmRSS:"-like line of /proc/self/status, in MB; -1 where unknown.
inline double procStatusMB(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

inline double residentMB()
{
    return procStatusMB("VmRSS:");
}

// The peak of resident memory since the last resetPeakMemory().
inline double peakResidentMB()
{
    return procStatusMB("VmHWM:");
}

inline void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Prints the usual table, then the time of each benchmark in `names` as a
// multiple of the `baseline`'s: the medians where runs were repeated, else the
// fastest run. Both the real and the processor time, since on a shared machine
// the processor time is the steadier. Names are the function's, followed by
// "/argument" where the benchmark has one ("BM_ScanInBlocks/1000").
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter(std::string baseline, std::string baselineText, std::string goal, std::vector<std::string> names)
    {
        addGroup(std::move(baseline), std::move(baselineText), std::move(goal), std::move(names));
    }
    // Another baseline with the runs measured against it.
    void addGroup(std::string baseline, std::string baselineText, std::string goal, std::vector<std::string> names)
    {
        m_groups.push_back({std::move(baseline), std::move(baselineText), std::move(goal), std::move(names)});
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!median && run.run_type != Run::RT_Iteration)
                continue;
            const double toMs = 1000.0 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const Times times{run.GetAdjustedRealTime() * toMs, run.GetAdjustedCPUTime() * toMs, median};
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            Times& kept = m_times[name];
            if (median || (!kept.median && (kept.real <= 0 || times.real < kept.real)))
                kept = times;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const Group& group : m_groups) {
            const Times base = m_times[group.baseline];
            if (base.real <= 0 || base.cpu <= 0)
                continue;
            std::printf("\nAgainst the %s, %s (%.1f ms real, %.1f ms processor; goal: %s):\n",
                        group.baselineText.c_str(), base.median ? "medians" : "fastest runs", base.real, base.cpu,
                        group.goal.c_str());
            for (const std::string& name : group.names) {
                const Times t = m_times[name];
                if (t.real > 0)
                    std::printf("  %-28s %8.1f ms real %6.3f x, %8.1f ms processor %6.3f x\n", name.c_str(), t.real,
                                t.real / base.real, t.cpu, t.cpu / base.cpu);
            }
        }
    }

private:
    struct Times {
        double real = 0; // ms
        double cpu = 0;  // ms
        bool median = false;
    };
    struct Group {
        std::string baseline;
        std::string baselineText;
        std::string goal;
        std::vector<std::string> names;
    };
    std::vector<Group> m_groups;
    std::map<std::string, Times> m_times;
};

} // namespace BenchSupport
