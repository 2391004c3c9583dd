#include "gui/output/StatisticsChart.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int kPaddingPx = 8;
} // namespace

TStatisticsChart::TStatisticsChart(const QString& objectName, QWidget* parent)
    : QWidget(parent), m_chart(QStringLiteral("chtGrafico"), {})
{
    setObjectName(objectName);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

double TStatisticsChart::dotsPerMm() const
{
    return logicalDpiX() / 25.4;
}

QPointF TStatisticsChart::toMm(QPointF pixels) const
{
    return (pixels - QPointF(kPaddingPx, kPaddingPx)) / dotsPerMm();
}

void TStatisticsChart::placeChart()
{
    const double perMm = dotsPerMm();
    m_chart.setRect(QRectF(0, 0, (width() - 2 * kPaddingPx) / perMm, (height() - 2 * kPaddingPx) / perMm));
}

void TStatisticsChart::chartChanged()
{
    placeChart();
    update();
}

QRect TStatisticsChart::barRect(int index) const
{
    const double perMm = dotsPerMm();
    const QRectF mm = m_chart.rowRect(index);
    return QRectF(kPaddingPx + mm.x() * perMm, kPaddingPx + mm.y() * perMm, mm.width() * perMm, mm.height() * perMm)
        .toRect();
}

void TStatisticsChart::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeChart();
}

void TStatisticsChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QColor(0x87, 0xCE, 0xEB));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    bool failed = false;
    const double perMm = dotsPerMm();
    const TReportObject::Canvas canvas{
        painter, QPointF(kPaddingPx, kPaddingPx), perMm, perMm, QRectF(QPointF(0, 0), m_chart.rect().size()), &failed};
    m_chart.paint(canvas);
}

void TStatisticsChart::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (const auto bar = m_chart.barAt(toMm(event->position())))
            emit barClicked(*bar);
    }
    QWidget::mouseReleaseEvent(event);
}

void TStatisticsChart::mouseMoveEvent(QMouseEvent* event)
{
    setCursor(m_chart.barAt(toMm(event->position())) ? Qt::PointingHandCursor : Qt::ArrowCursor);
    QWidget::mouseMoveEvent(event);
}
