#include "core/report/StatisticsLayout.h"

#include <algorithm>

#include "core/report/SummaryLayout.h"

namespace {
const QColor kSlateGrey(0x70, 0x80, 0x90);
} // namespace

TStatisticsLayout::TStatisticsLayout() : TReport(QStringLiteral("Statistiche"))
{
    TReportPage* page = addPage(QStringLiteral("Page"), QPageLayout::Landscape, 10);

    auto* txtTitolo = page->add(std::make_unique<TReportText>(
        QStringLiteral("txtTitolo"), QRectF(0, 0, 277, 8),
        Report::font(QStringLiteral("Verdana"), QFont::SansSerif, 11, true), QStringLiteral("Statistiche")));
    txtTitolo->setTextColor(Qt::white);
    txtTitolo->setFillColor(kSlateGrey);
    txtTitolo->setAlignment(Qt::AlignCenter);

    auto* txtTotali = page->add(
        std::make_unique<TReportText>(QStringLiteral("txtTotali"), QRectF(0, 14, 84, 160),
                                      Report::font(QStringLiteral("Verdana"), QFont::SansSerif, 8)));
    txtTotali->setLineHeightMm(6);

    page->add(std::make_unique<TReportChart>(QStringLiteral("chtGrafico"), QRectF(88, 12, 189, 166)));

    auto* txtPagina = page->add(
        std::make_unique<TReportText>(QStringLiteral("txtPagina"), QRectF(0, 183, 277, 6),
                                      Report::font(QStringLiteral("Verdana"), QFont::SansSerif, 8, true),
                                      QStringLiteral("Stampa eseguita in data [DATE]")));
    txtPagina->setTextColor(Qt::white);
    txtPagina->setFillColor(kSlateGrey);
    txtPagina->setAlignment(Qt::AlignCenter);
}

std::vector<TReportChart::Bar> TStatisticsLayout::barsOf(Breakdown breakdown,
                                                         const std::vector<StatisticsGroup>& groups)
{
    qint64 largest = 0;
    qint64 dated = 0;
    for (const StatisticsGroup& g : groups) {
        largest = std::max(largest, g.count);
        dated = std::max(dated, g.cumulativeCount);
    }
    std::vector<TReportChart::Bar> bars;
    bars.reserve(groups.size());
    for (const StatisticsGroup& g : groups) {
        TReportChart::Bar bar;
        bar.label = g.label;
        bar.figures = groupFigures(g);
        bar.length = largest > 0 ? double(g.count) / double(largest) : 0;
        bar.style = g.kind == StatisticsGroup::Kind::Entry    ? TReportChart::Bar::Style::Entry
                    : g.kind == StatisticsGroup::Kind::Others ? TReportChart::Bar::Style::Others
                                                              : TReportChart::Bar::Style::Apart;
        if (breakdown == Breakdown::Acquisition && g.kind == StatisticsGroup::Kind::Entry) {
            bar.cumulative = dated > 0 ? double(g.cumulativeCount) / double(dated) : 0;
            bar.figures += QStringLiteral(" (in tutto ") + formatCount(g.cumulativeCount) + QStringLiteral(" · ")
                           + Amounts::format(g.cumulativeValue) + QLatin1Char(')');
        }
        bars.push_back(std::move(bar));
    }
    return bars;
}

void TStatisticsLayout::showBreakdown(TReportChart& chart, Breakdown breakdown,
                                      const std::vector<StatisticsGroup>& groups)
{
    chart.setTitle(QStringLiteral("Per ") + breakdownCaption(breakdown).toLower());
    chart.setBars(barsOf(breakdown, groups));
    chart.setLineLegend(breakdown == Breakdown::Acquisition
                            ? QStringLiteral("crescita della collezione (schede in tutto)")
                            : QString());
    const bool overTime = breakdown == Breakdown::Decade || breakdown == Breakdown::Acquisition;
    chart.setColumns(overTime ? 0.16 : 0.27, breakdown == Breakdown::Acquisition ? 0.42 : 0.62);
    chart.setEmptyText(QStringLiteral("Nessuna scheda in archivio."));
}

void TStatisticsLayout::fill(const QString& archiveName, const TCollectionStatistics& statistics, Breakdown breakdown,
                             const QDateTime& when)
{
    find<TReportText>(QStringLiteral("txtTitolo"))
        ->setText(QStringLiteral("Statistiche della collezione ") + archiveName);
    QStringList lines;
    for (const TotalsLine& line : totalsLines(statistics.totals()))
        lines << line.text;
    find<TReportText>(QStringLiteral("txtTotali"))->setLines(lines);
    showBreakdown(*find<TReportChart>(QStringLiteral("chtGrafico")), breakdown, statistics.groups(breakdown));
    find<TReportText>(QStringLiteral("txtPagina"))->setText(TSummaryLayout::printLine(when));
    prepare();
}
