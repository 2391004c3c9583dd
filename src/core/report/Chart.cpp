#include "core/report/Chart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTitleMm = 8;
constexpr double kMaxRowMm = 8;

const QColor kEntry(0x46, 0x82, 0xB4); // the program's steel blue
const QColor kOthers(0x8F, 0xA8, 0xC4);
const QColor kApart(0xB0, 0xB0, 0xB0);
const QColor kLine(0xE0, 0x7A, 0x10);
const QColor kText(0x1F, 0x2A, 0x3A);

// A font of `mm` height in device pixels: the chart scales with the room it
// is given, whatever resolution the device claims.
QFont fontOfHeight(double mm, double dotsPerMm, bool bold)
{
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, int(std::lround(mm * dotsPerMm))));
    font.setBold(bold);
    return font;
}

QString elided(const QFontMetricsF& metrics, const QString& text, double width)
{
    return metrics.elidedText(text, Qt::ElideRight, width);
}

} // namespace

TReportChart::TReportChart(const QString& name, const QRectF& rectMm) : TReportObject(Kind::Chart, name, rectMm) {}

TReportChart::Geometry TReportChart::geometry() const
{
    const QRectF r = rect();
    Geometry g{};
    g.titleHeight = std::min(kTitleMm, r.height() / 4);
    g.rowTop = g.titleHeight + (m_lineLegend.isEmpty() ? 0 : g.titleHeight * 0.6);
    const double room = std::max(0.0, r.height() - g.rowTop);
    g.rowHeight = m_bars.empty() ? 0 : std::min(kMaxRowMm, room / double(m_bars.size()));
    g.labelWidth = r.width() * m_barsFrom;
    g.figuresLeft = r.width() * m_figuresFrom;
    g.barLeft = g.labelWidth + 2;
    g.barWidth = std::max(0.0, g.figuresLeft - 2 - g.barLeft);
    return g;
}

QRectF TReportChart::rowRect(int index) const
{
    const Geometry g = geometry();
    return QRectF(0, g.rowTop + double(index) * g.rowHeight, rect().width(), g.rowHeight);
}

std::optional<int> TReportChart::barAt(QPointF mm) const
{
    for (int i = 0; i < int(m_bars.size()); ++i)
        if (rowRect(i).contains(mm))
            return i;
    return std::nullopt;
}

void TReportChart::paint(const Canvas& canvas) const
{
    QPainter& painter = canvas.painter;
    const Geometry g = geometry();
    const QPointF at = rect().topLeft();
    auto device = [&](double x, double y, double w, double h) {
        return canvas.toDevice(QRectF(at.x() + x, at.y() + y, w, h));
    };
    const double perMm = canvas.dotsPerMmY;

    painter.save();
    painter.setClipRect(canvas.toDevice(rect().intersected(canvas.visibleMm)), Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing);

    const QFont titleFont = fontOfHeight(g.titleHeight * 0.55, perMm, true);
    painter.setFont(titleFont);
    painter.setPen(kText);
    painter.drawText(device(0, 0, rect().width(), g.titleHeight), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     m_title);

    if (m_bars.empty()) {
        painter.setFont(fontOfHeight(std::min(4.0, g.titleHeight * 0.5), perMm, false));
        painter.drawText(device(0, g.titleHeight, rect().width(), rect().height() - g.titleHeight),
                         Qt::AlignCenter | Qt::TextSingleLine, m_emptyText);
        painter.restore();
        return;
    }

    const double textMm = std::min(3.4, g.rowHeight * 0.62);
    const QFont textFont = fontOfHeight(textMm, perMm, false);
    const QFontMetricsF metrics(textFont, painter.device());
    painter.setFont(textFont);

    if (!m_lineLegend.isEmpty()) {
        const double y = g.titleHeight + g.titleHeight * 0.3;
        painter.setPen(QPen(kLine, std::max(1.0, 0.6 * perMm)));
        painter.drawLine(device(g.barLeft, y, 0, 0).topLeft(), device(g.barLeft + 8, y, 0, 0).topLeft());
        painter.setPen(kText);
        painter.drawText(device(g.barLeft + 10, y - textMm, rect().width() - g.barLeft - 10, 2 * textMm),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_lineLegend);
    }

    // A faint axis where the bars start.
    painter.setPen(QPen(QColor(0xC8, 0xD3, 0xDF), std::max(1.0, 0.2 * perMm)));
    painter.drawLine(device(g.barLeft, g.rowTop, 0, 0).topLeft(),
                     device(g.barLeft, g.rowTop + g.rowHeight * double(m_bars.size()), 0, 0).topLeft());

    QPainterPath line;
    std::vector<QPointF> points;
    for (size_t i = 0; i < m_bars.size(); ++i) {
        const Bar& bar = m_bars[i];
        const double top = g.rowTop + double(i) * g.rowHeight;
        painter.setPen(kText);
        painter.drawText(device(0, top, g.labelWidth, g.rowHeight),
                         Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                         elided(metrics, bar.label, g.labelWidth * canvas.dotsPerMmX));
        const double length = std::clamp(bar.length, 0.0, 1.0) * g.barWidth;
        if (length > 0) {
            const QColor fill = bar.style == Bar::Style::Entry    ? kEntry
                                : bar.style == Bar::Style::Others ? kOthers
                                                                  : kApart;
            painter.fillRect(device(g.barLeft, top + g.rowHeight * 0.18, std::max(length, 0.3), g.rowHeight * 0.64),
                             fill);
        }
        painter.setPen(kText);
        painter.drawText(device(g.figuresLeft, top, rect().width() - g.figuresLeft, g.rowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         elided(metrics, bar.figures, (rect().width() - g.figuresLeft) * canvas.dotsPerMmX));
        if (bar.cumulative >= 0) {
            const QPointF p = device(g.barLeft + std::clamp(bar.cumulative, 0.0, 1.0) * g.barWidth,
                                     top + g.rowHeight / 2, 0, 0)
                                  .topLeft();
            if (points.empty())
                line.moveTo(p);
            else
                line.lineTo(p);
            points.push_back(p);
        }
    }
    if (!points.empty()) {
        painter.setPen(QPen(kLine, std::max(1.0, 0.6 * perMm), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(line);
        painter.setBrush(kLine);
        const double r = std::min(1.0, g.rowHeight * 0.2) * perMm;
        for (const QPointF& p : points)
            painter.drawEllipse(p, r, r);
    }
    painter.restore();
}
