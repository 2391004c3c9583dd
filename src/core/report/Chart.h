#pragma once
#include <QString>

#include <optional>
#include <vector>

#include "core/report/Report.h"

// A horizontal bar chart drawn with QPainter in millimetres, like every
// report object: the same drawing fills a window, a preview page and a
// printed page. One row per bar: its name, the bar, its figures; rows share
// the height they are given, up to a comfortable pitch. A cumulative line
// may run down the rows (a collection's growth year by year).
class TReportChart : public TReportObject {
public:
    struct Bar {
        enum class Style { Entry, Others, Apart };
        QString label;
        QString figures;        // the text after the bar
        double length = 0;      // 0..1 of the room for bars
        double cumulative = -1; // 0..1 where the line passes this row; negative: no point
        Style style = Style::Entry;
    };

    TReportChart(const QString& name, const QRectF& rectMm);

    void setTitle(const QString& title) { m_title = title; }
    QString title() const { return m_title; }
    void setBars(std::vector<Bar> bars) { m_bars = std::move(bars); }
    const std::vector<Bar>& bars() const { return m_bars; }
    // The legend of the cumulative line; empty: no line.
    void setLineLegend(const QString& legend) { m_lineLegend = legend; }
    // Where the bars start and where their figures start, as shares of the
    // width: short names (years) leave more room for long figures.
    void setColumns(double barsFrom, double figuresFrom)
    {
        m_barsFrom = barsFrom;
        m_figuresFrom = figuresFrom;
    }
    // What a chart without bars says.
    void setEmptyText(const QString& text) { m_emptyText = text; }

    // The row of bar `index`, in the chart's own millimetres (from the
    // top-left of its rect): the part that a click leads from.
    QRectF rowRect(int index) const;
    // The bar whose row holds `mm` (chart millimetres), if any.
    std::optional<int> barAt(QPointF mm) const;

    void paint(const Canvas& canvas) const override;

private:
    struct Geometry {
        double titleHeight;
        double rowTop;
        double rowHeight;
        double labelWidth;
        double barLeft;
        double barWidth;
        double figuresLeft;
    };
    Geometry geometry() const;

    QString m_title;
    QString m_lineLegend;
    QString m_emptyText;
    std::vector<Bar> m_bars;
    double m_barsFrom = 0.27;
    double m_figuresFrom = 0.66;
};
