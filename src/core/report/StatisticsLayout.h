#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

#include "core/report/Chart.h"
#include "core/report/Report.h"
#include "core/statistics/Statistics.h"

// The statistics of a collection on one landscape A4 page: a title bar, the
// totals on the left, the chosen breakdown as a bar chart on the right, and
// the print line at the bottom.
class TStatisticsLayout : public TReport {
public:
    TStatisticsLayout();

    // The bars of a breakdown as the chart draws them, in the window and on paper.
    static std::vector<TReportChart::Bar> barsOf(Breakdown breakdown, const std::vector<StatisticsGroup>& groups);
    // Sets `chart` to show a breakdown: its title, its bars, and for the
    // growth by year the cumulative line.
    static void showBreakdown(TReportChart& chart, Breakdown breakdown, const std::vector<StatisticsGroup>& groups);

    // Fills the page and prepares the report afresh.
    void fill(const QString& archiveName, const TCollectionStatistics& statistics, Breakdown breakdown,
              const QDateTime& when);
};
