#pragma once
#include <QWidget>

#include "core/report/Chart.h"

// The statistics chart on screen: the report's own chart object drawn at the
// widget's size, so that what the window shows is what prints. A click on a
// row tells which bar it was.
class TStatisticsChart : public QWidget {
    Q_OBJECT
public:
    explicit TStatisticsChart(const QString& objectName, QWidget* parent);

    TReportChart& chart() { return m_chart; }
    const TReportChart& chart() const { return m_chart; }
    // Call after changing the chart.
    void chartChanged();

    // Where bar `index` lies on the widget, in pixels.
    QRect barRect(int index) const;

signals:
    void barClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    double dotsPerMm() const;
    QPointF toMm(QPointF pixels) const;
    void placeChart();

    TReportChart m_chart;
};
