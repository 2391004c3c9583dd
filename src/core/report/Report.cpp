#include "core/report/Report.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kEpsilonMm = 1e-6;

// A font's own line spacing in millimetres, for texts that leave their pitch
// to the font; measured on `device`, or on paper when there is none yet.
double fontLineHeightMm(const QFont& font, QPaintDevice* device)
{
    static QImage paper = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(47244); // 1200 dpi
        image.setDotsPerMeterY(47244);
        return image;
    }();
    QPaintDevice* on = device ? device : &paper;
    return QFontMetricsF(font, on).lineSpacing() * 25.4 / on->logicalDpiY();
}

// The longest start of `line` whose characters begin inside `width`: what
// shows of a left-aligned text cut at its box. Characters past the edge are
// left out of the output altogether, so that a PDF holds only what is seen.
QString visiblePart(const QFontMetricsF& metrics, const QString& line, double width)
{
    // Most lines fit for sure, and a long list should not be measured twice.
    if (double(line.size()) * metrics.maxWidth() <= width || metrics.horizontalAdvance(line) <= width)
        return line;
    qsizetype low = 0;
    qsizetype high = line.size();
    while (low < high) { // the count of characters that start before the edge
        const qsizetype mid = (low + high + 1) / 2;
        if (metrics.horizontalAdvance(line.left(mid - 1)) < width)
            low = mid;
        else
            high = mid - 1;
    }
    return line.left(low);
}

// A box's fill and outline; invalid colours draw nothing. The outline lies
// inside the box, so neighbouring boxes never overlap.
void paintBox(const TReportObject::Canvas& canvas, const QRectF& mm, const QColor& fill, const QColor& outline,
              double outlineMm)
{
    QPainter& painter = canvas.painter;
    const QRectF box = canvas.toDevice(mm);
    if (fill.isValid())
        painter.fillRect(box, fill);
    if (outline.isValid()) {
        const double width = std::max(1.0, outlineMm * canvas.dotsPerMmX);
        painter.setPen(QPen(outline, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.adjusted(width / 2, width / 2, -width / 2, -width / 2));
    }
}

} // namespace

namespace Report {

QFont font(const QString& family, QFont::StyleHint hint, double points, bool bold)
{
    QFont result(family);
    result.setStyleHint(hint);
    result.setPointSizeF(points);
    result.setBold(bold);
    return result;
}

QFont fixedPitchFont(const QString& family, double points, bool bold)
{
    auto fixed = [](const QFont& candidate) { return QFontInfo(candidate).fixedPitch(); };
    const QFont named = font(family, QFont::TypeWriter, points, bold);
    if (fixed(named))
        return named;
    // Where the name resolves to a proportional face: the metric twins of
    // Courier New first, then the system's fixed font, then any fixed face.
    for (const char* twin : {"Liberation Mono", "Cousine", "Nimbus Mono PS", "DejaVu Sans Mono", "FreeMono"}) {
        const QFont candidate = font(QString::fromLatin1(twin), QFont::TypeWriter, points, bold);
        if (QFontInfo(candidate).family() == QLatin1String(twin) && fixed(candidate))
            return candidate;
    }
    QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    system.setPointSizeF(points);
    system.setBold(bold);
    if (fixed(system))
        return system;
    const QStringList families = QFontDatabase::families();
    for (const QString& any : families) {
        const QFont candidate = font(any, QFont::TypeWriter, points, bold);
        if (QFontDatabase::isFixedPitch(any) && fixed(candidate))
            return candidate;
    }
    return named;
}

} // namespace Report

// ---- objects -----------------------------------------------------------------

QRectF TReportObject::Canvas::toDevice(const QRectF& mm) const
{
    return QRectF(originDevice.x() + mm.x() * dotsPerMmX, originDevice.y() + mm.y() * dotsPerMmY,
                  mm.width() * dotsPerMmX, mm.height() * dotsPerMmY);
}

TReportObject::TReportObject(Kind kind, const QString& name, const QRectF& rectMm)
    : m_kind(kind), m_name(name), m_rect(rectMm)
{}

TReportObject::~TReportObject() = default;

TReportText::TReportText(const QString& name, const QRectF& rectMm, const QFont& font, const QString& text)
    : TReportObject(Kind::Text, name, rectMm), m_font(font)
{
    setText(text);
}

void TReportText::setText(const QString& text)
{
    m_lines.clear();
    if (text.isEmpty())
        return;
    m_lines = text.split(QLatin1Char('\n'));
    for (QString& line : m_lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
}

double TReportText::safeCut(double cut) const
{
    const QRectF box = rect();
    if (cut <= box.top() || cut >= box.bottom())
        return cut;
    const double pitch = m_lineHeight > 0 ? m_lineHeight : fontLineHeightMm(m_font, nullptr);
    const double whole = std::floor((cut - box.top()) / pitch + kEpsilonMm);
    return box.top() + whole * pitch;
}

void TReportText::paint(const Canvas& canvas) const
{
    QPainter& painter = canvas.painter;
    paintBox(canvas, rect(), m_fill, m_frame, 0.2);
    if (m_lines.isEmpty())
        return;

    painter.setFont(m_font);
    painter.setPen(m_textColor);
    const double pitchMm = m_lineHeight > 0 ? m_lineHeight : fontLineHeightMm(m_font, painter.device());
    const double blockMm = pitchMm * double(m_lines.size());
    double topMm = rect().top();
    if (m_alignment & Qt::AlignVCenter)
        topMm += (rect().height() - blockMm) / 2;
    else if (m_alignment & Qt::AlignBottom)
        topMm += rect().height() - blockMm;

    // Only the lines that show are drawn: a long list prints page by page
    // without walking all of its lines each time.
    const QRectF shown = rect().intersected(canvas.visibleMm);
    if (shown.isEmpty())
        return;
    const qsizetype first = std::max<qsizetype>(0, qsizetype(std::floor((shown.top() - topMm) / pitchMm + kEpsilonMm)));
    const qsizetype last = std::min<qsizetype>(
        m_lines.size() - 1, qsizetype(std::ceil((shown.bottom() - topMm) / pitchMm - kEpsilonMm)) - 1);
    if (first > last)
        return;

    painter.save();
    painter.setClipRect(canvas.toDevice(shown), Qt::IntersectClip);
    const QFontMetricsF metrics(m_font, painter.device());
    const Qt::Alignment horizontal = m_alignment & Qt::AlignHorizontal_Mask;
    const int flags = int(horizontal) | Qt::AlignVCenter | Qt::TextSingleLine;
    for (qsizetype i = first; i <= last; ++i) {
        const QRectF lineBox = canvas.toDevice(
            QRectF(rect().left(), topMm + double(i) * pitchMm, rect().width(), pitchMm));
        const QString& line = m_lines.at(i);
        if (horizontal == Qt::AlignLeft || horizontal == 0)
            painter.drawText(lineBox, flags, visiblePart(metrics, line, lineBox.width()));
        else
            painter.drawText(lineBox, flags, line);
    }
    painter.restore();
}

TReportShape::TReportShape(const QString& name, const QRectF& rectMm, const QColor& fill, const QColor& outline,
                           double outlineMm)
    : TReportObject(Kind::Shape, name, rectMm), m_fill(fill), m_outline(outline), m_outlineWidth(outlineMm)
{}

void TReportShape::paint(const Canvas& canvas) const
{
    paintBox(canvas, rect(), m_fill, m_outline, m_outlineWidth);
}

TReportPicture::TReportPicture(const QString& name, const QRectF& rectMm, const QColor& background)
    : TReportObject(Kind::Picture, name, rectMm), m_background(background)
{}

void TReportPicture::setPicture(const TPhoto& photo)
{
    if (photo.sharesWith(m_photo))
        return;
    m_photo = photo;
    m_decoded = {};
    m_decodedFor = {};
}

QRectF TReportPicture::fittedRect(QSizeF picture, const QRectF& frame)
{
    if (picture.isEmpty() || frame.isEmpty())
        return {};
    picture.scale(frame.size(), Qt::KeepAspectRatio);
    QRectF fitted(QPointF(0, 0), picture);
    fitted.moveCenter(frame.center());
    return fitted;
}

QSize TReportPicture::printDecodeSize(QSize photo, QSizeF drawn, QSizeF frameMm)
{
    if (photo.isEmpty() || drawn.isEmpty())
        return {};
    // The drawn size in device pixels; a photo smaller than that on either
    // side is decoded whole and enlarged while drawing.
    QSizeF wanted = drawn;
    if (wanted.width() > photo.width() || wanted.height() > photo.height())
        wanted = QSizeF(photo);
    // No more pixels than the whole frame holds at the print resolution: a
    // 48-megapixel photo on a 1200 dpi printer would take 174 MB otherwise.
    const double most = frameMm.width() * frameMm.height() * std::pow(kPrintDpi / 25.4, 2);
    const double pixels = wanted.width() * wanted.height();
    if (pixels > most)
        wanted *= std::sqrt(most / pixels);
    return QSize(std::max(1, qRound(wanted.width())), std::max(1, qRound(wanted.height()))).boundedTo(photo);
}

void TReportPicture::paint(const Canvas& canvas) const
{
    QPainter& painter = canvas.painter;
    const QRectF frame = canvas.toDevice(rect());
    if (m_background.isValid())
        painter.fillRect(frame, m_background);
    if (m_photo.isNull())
        return;
    QRectF fitted = fittedRect(QSizeF(m_photo.size()), frame);
    if (fitted.isEmpty())
        return;
    // Never thinner than one device pixel, so that a strip still shows.
    if (fitted.width() < 1 || fitted.height() < 1) {
        const QPointF centre = fitted.center();
        fitted.setSize(fitted.size().expandedTo(QSizeF(1, 1)));
        fitted.moveCenter(centre);
    }
    const QSize target = printDecodeSize(m_photo.size(), fitted.size(), rect().size());
    if (m_decoded.isNull() || m_decodedFor != target) {
        m_decoded = m_photo.decode(target);
        m_decodedFor = target;
    }
    if (m_decoded.isNull()) {
        *canvas.failed = true;
        return;
    }
    painter.save();
    painter.setClipRect(canvas.toDevice(rect().intersected(canvas.visibleMm)), Qt::IntersectClip);
    if (m_decoded.size() == fitted.size().toSize()) {
        // Already at its printed size: laid on whole device pixels, unscaled.
        painter.drawImage(QPoint(qRound(fitted.x()), qRound(fitted.y())), m_decoded);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(fitted, m_decoded);
    }
    painter.restore();
}

// ---- bands and pages -----------------------------------------------------------

TReportBand::TReportBand(Kind kind, const QString& name, double heightMm)
    : m_kind(kind), m_name(name), m_height(heightMm)
{}

TReportPage::TReportPage(const QString& name, QPageLayout::Orientation orientation, double marginMm)
    : m_name(name), m_orientation(orientation), m_margin(marginMm)
{}

QPageLayout TReportPage::layout() const
{
    return QPageLayout(QPageSize(QPageSize::A4), m_orientation, QMarginsF(m_margin, m_margin, m_margin, m_margin),
                       QPageLayout::Millimeter);
}

QSizeF TReportPage::areaMm() const
{
    return layout().paintRect(QPageLayout::Millimeter).size();
}

TReportBand* TReportPage::addBand(TReportBand::Kind kind, const QString& name, double heightMm)
{
    m_bands.push_back(std::make_unique<TReportBand>(kind, name, heightMm));
    return m_bands.back().get();
}

// ---- the report -----------------------------------------------------------------

TReport::TReport(const QString& name) : m_name(name) {}

TReport::~TReport() = default;

TReportPage* TReport::addPage(const QString& name, QPageLayout::Orientation orientation, double marginMm)
{
    m_pages.push_back(std::make_unique<TReportPage>(name, orientation, marginMm));
    return m_pages.back().get();
}

TReportPage* TReport::findPage(const QString& name) const
{
    for (const auto& page : m_pages)
        if (page->name() == name)
            return page.get();
    return nullptr;
}

TReportBand* TReport::findBand(const QString& name) const
{
    for (const auto& page : m_pages)
        for (const auto& band : page->bands())
            if (band->name() == name)
                return band.get();
    return nullptr;
}

TReportObject* TReport::findObject(const QString& name) const
{
    for (const auto& page : m_pages) {
        for (const auto& object : page->objects())
            if (object->name() == name)
                return object.get();
        for (const auto& band : page->bands())
            for (const auto& object : band->objects())
                if (object->name() == name)
                    return object.get();
    }
    return nullptr;
}

void TReport::prepare()
{
    m_prepared.clear();
    for (const auto& page : m_pages) {
        const double areaHeight = page->areaMm().height();
        PreparedPage current{page.get(), {}};
        double y = 0;
        auto startNewPage = [&] {
            m_prepared.push_back(std::move(current));
            current = PreparedPage{page.get(), {}};
            y = 0;
        };

        for (const auto& bandHolder : page->bands()) {
            const TReportBand* band = bandHolder.get();
            const double height = std::max(0.0, band->height());
            if (y + height <= areaHeight + kEpsilonMm) {
                current.bands.push_back({band, 0, height, y});
                y += height;
                continue;
            }
            if (!band->allowSplit()) {
                if (!current.bands.empty())
                    startNewPage();
                current.bands.push_back({band, 0, height, y});
                y += height;
                continue;
            }
            double top = 0;
            while (top < height - kEpsilonMm) {
                const double room = areaHeight - y;
                const double rest = height - top;
                if (rest <= room + kEpsilonMm) {
                    current.bands.push_back({band, top, rest, y});
                    y += rest;
                    break;
                }
                double cut = top + room;
                for (const auto& object : band->objects())
                    cut = std::min(cut, object->safeCut(cut));
                if (cut <= top + kEpsilonMm) {
                    if (!current.bands.empty()) { // not even one line fits here: on to the next page
                        startNewPage();
                        continue;
                    }
                    cut = top + room; // a line taller than a page is cut where the page ends
                }
                current.bands.push_back({band, top, cut - top, y});
                y += cut - top;
                top = cut;
                const bool more = std::any_of(
                    band->objects().begin(), band->objects().end(),
                    [top](const auto& object) { return object->rect().bottom() > top + kEpsilonMm; });
                if (!more) // only empty band space is left: it need not open a page
                    break;
                startNewPage();
            }
        }
        m_prepared.push_back(std::move(current));
    }
}

QPageLayout TReport::preparedPageLayout(int index) const
{
    return m_prepared.at(size_t(index)).page->layout();
}

bool TReport::paintPage(QPainter& painter, int index, double dpiX, double dpiY, QPointF areaOrigin) const
{
    bool failed = false;
    const PreparedPage& prepared = m_prepared.at(size_t(index));
    const double perMmX = dpiX / 25.4;
    const double perMmY = dpiY / 25.4;
    const QSizeF area = prepared.page->areaMm();

    const TReportObject::Canvas pageCanvas{painter, areaOrigin, perMmX, perMmY, QRectF(QPointF(0, 0), area), &failed};
    for (const auto& object : prepared.page->objects())
        object->paint(pageCanvas);

    for (const Placement& placed : prepared.bands) {
        const QPointF origin(areaOrigin.x(), areaOrigin.y() + (placed.y - placed.sliceTop) * perMmY);
        const TReportObject::Canvas canvas{
            painter, origin, perMmX, perMmY, QRectF(0, placed.sliceTop, area.width(), placed.sliceHeight), &failed};
        for (const auto& object : placed.band->objects())
            object->paint(canvas);
    }
    return !failed;
}

bool TReport::print(QPagedPaintDevice& device) const
{
    if (m_prepared.empty())
        return false;
    device.setPageLayout(preparedPageLayout(0));
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    bool drawn = true;
    for (int i = 0; i < preparedPageCount(); ++i) {
        if (i > 0) {
            device.setPageLayout(preparedPageLayout(i));
            if (!device.newPage()) {
                painter.end();
                return false;
            }
        }
        drawn = paintPage(painter, i, device.logicalDpiX(), device.logicalDpiY(), QPointF(0, 0)) && drawn;
    }
    return painter.end() && drawn;
}

QImage TReport::renderPage(int index, double dpi) const
{
    const QPageLayout layout = preparedPageLayout(index);
    const QRect full = layout.fullRectPixels(int(dpi));
    QImage image(full.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    const int dotsPerMeter = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QPointF origin(layout.margins(QPageLayout::Millimeter).left() * dpi / 25.4,
                         layout.margins(QPageLayout::Millimeter).top() * dpi / 25.4);
    paintPage(painter, index, dpi, dpi, origin);
    return image;
}
