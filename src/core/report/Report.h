#pragma once
#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

#include "core/photos/Photo.h"

class QPainter;
class QPagedPaintDevice;

// A small banded report of our own: pages of A4 paper holding objects placed
// in millimetres, either directly on the page or in bands (a report title, a
// data band without a data set that may split across pages, its footer).
// Layouts are built in code; prepare() lays the bands out onto pages and the
// prepared pages are drawn through QPainter onto any paged device, so one
// code path prints, previews and writes PDF. Nothing here needs widgets.

namespace Report {
// Layouts of the program are designed in units of 1/96 inch.
constexpr double kUnitsPerMm = 96.0 / 25.4;
constexpr double unitsToMm(double units)
{
    return units / kUnitsPerMm;
}

// A font asked for by name, with a style hint so that a metric-compatible
// face stands in where the named one is not installed.
QFont font(const QString& family, QFont::StyleHint hint, double points, bool bold = false);
// A fixed-pitch font: `family` when what the font machinery resolves it to is
// really fixed-pitch, otherwise the system's fixed font at the same size.
QFont fixedPitchFont(const QString& family, double points, bool bold = false);
} // namespace Report

class TReportObject {
public:
    enum class Kind { Text, Shape, Picture, Chart };

    TReportObject(Kind kind, const QString& name, const QRectF& rectMm);
    virtual ~TReportObject();
    TReportObject(const TReportObject&) = delete;
    TReportObject& operator=(const TReportObject&) = delete;

    Kind kind() const { return m_kind; }
    const QString& name() const { return m_name; }
    // Millimetres from the top-left of the area inside the margins, or of the
    // band holding the object.
    QRectF rect() const { return m_rect; }
    void setRect(const QRectF& rectMm) { m_rect = rectMm; }
    void setHeight(double mm) { m_rect.setHeight(mm); }

    // Where a band may be cut without cutting this object in a bad place:
    // the largest cut at or above `cut` (band coordinates).
    virtual double safeCut(double cut) const { return cut; }

    // Draws the object; `toDevice` maps millimetres of the object's own
    // coordinates to the device, `visibleMm` is the part that will show.
    struct Canvas {
        QPainter& painter;
        QPointF originDevice; // where the object's coordinate origin lies on the device
        double dotsPerMmX;
        double dotsPerMmY;
        QRectF visibleMm;
        bool* failed; // set when something could not be drawn
        QRectF toDevice(const QRectF& mm) const;
    };
    virtual void paint(const Canvas& canvas) const = 0;

private:
    Kind m_kind;
    QString m_name;
    QRectF m_rect;
};

// Plain text: never evaluated, never wrapped, cut at its box. Several lines
// stand one under the other at a fixed pitch.
class TReportText : public TReportObject {
public:
    TReportText(const QString& name, const QRectF& rectMm, const QFont& font, const QString& text = {});

    QString text() const { return m_lines.join(QLatin1Char('\n')); }
    void setText(const QString& text);
    const QStringList& lines() const { return m_lines; }
    void setLines(const QStringList& lines) { m_lines = lines; }
    void clear() { m_lines.clear(); }
    void appendLine(const QString& line) { m_lines.append(line); }

    QFont font() const { return m_font; }
    void setFont(const QFont& font) { m_font = font; }
    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor& color) { m_textColor = color; }
    // An invalid colour means no fill / no outline.
    void setFillColor(const QColor& color) { m_fill = color; }
    QColor fillColor() const { return m_fill; }
    void setFrameColor(const QColor& color) { m_frame = color; }
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment) { m_alignment = alignment; }
    // Distance between the tops of two lines; 0 takes the font's own.
    double lineHeightMm() const { return m_lineHeight; }
    void setLineHeightMm(double mm) { m_lineHeight = mm; }

    double safeCut(double cut) const override;
    void paint(const Canvas& canvas) const override;

private:
    QFont m_font;
    QStringList m_lines;
    QColor m_textColor = Qt::black;
    QColor m_fill;
    QColor m_frame;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignTop;
    double m_lineHeight = 0;
};

// A rectangle, filled and/or outlined.
class TReportShape : public TReportObject {
public:
    TReportShape(const QString& name, const QRectF& rectMm, const QColor& fill, const QColor& outline,
                 double outlineMm = 0.2);
    void paint(const Canvas& canvas) const override;

private:
    QColor m_fill;
    QColor m_outline;
    double m_outlineWidth;
};

// A picture scaled to fit its frame with its proportions kept, centred, at
// least one device pixel wide and tall. The photo is decoded at the size the
// device draws it (never beyond its own size, nor beyond what the whole
// frame holds at kPrintDpi), once per device resolution.
class TReportPicture : public TReportObject {
public:
    TReportPicture(const QString& name, const QRectF& rectMm, const QColor& background = Qt::white);

    void setPicture(const TPhoto& photo);
    const TPhoto& picture() const { return m_photo; }
    // Where the picture lands inside a frame of `frame` (any unit).
    static QRectF fittedRect(QSizeF picture, const QRectF& frame);

    // What a photo print needs, and more: twice the 300 dpi of a photo lab's
    // print. Over the card's 188 x 121 mm frame that is 12.7 megapixels
    // (51 MB decoded, well within Qt's 128 MB per picture), so a 12-megapixel
    // phone photo still prints from all its pixels, and a bigger one is
    // decoded reduced instead of not at all.
    static constexpr double kPrintDpi = 600;
    // The pixel size to decode a `photo` drawn at `drawn` device pixels in a
    // frame of `frameMm`: at least 1 x 1, at most the photo and the frame's
    // pixels at kPrintDpi, keeping the proportions.
    static QSize printDecodeSize(QSize photo, QSizeF drawn, QSizeF frameMm);

    void paint(const Canvas& canvas) const override;

private:
    TPhoto m_photo;
    QColor m_background;
    mutable QImage m_decoded;
    mutable QSize m_decodedFor;
};

class TReportBand {
public:
    enum class Kind { ReportTitle, MasterData, Footer };

    TReportBand(Kind kind, const QString& name, double heightMm);

    Kind kind() const { return m_kind; }
    const QString& name() const { return m_name; }
    double height() const { return m_height; }
    void setHeight(double mm) { m_height = mm; }
    bool allowSplit() const { return m_allowSplit; }
    void setAllowSplit(bool allow) { m_allowSplit = allow; }

    template <typename T> T* add(std::unique_ptr<T> object)
    {
        T* raw = object.get();
        m_objects.push_back(std::move(object));
        return raw;
    }
    const std::vector<std::unique_ptr<TReportObject>>& objects() const { return m_objects; }

private:
    Kind m_kind;
    QString m_name;
    double m_height;
    bool m_allowSplit = false;
    std::vector<std::unique_ptr<TReportObject>> m_objects;
};

class TReportPage {
public:
    TReportPage(const QString& name, QPageLayout::Orientation orientation, double marginMm);

    const QString& name() const { return m_name; }
    QPageLayout::Orientation orientation() const { return m_orientation; }
    void setOrientation(QPageLayout::Orientation orientation) { m_orientation = orientation; }
    // A4 with the page's orientation and margins.
    QPageLayout layout() const;
    // The area inside the margins, in millimetres.
    QSizeF areaMm() const;
    double marginMm() const { return m_margin; }

    // Objects directly on the page, drawn on every page it prints.
    template <typename T> T* add(std::unique_ptr<T> object)
    {
        T* raw = object.get();
        m_objects.push_back(std::move(object));
        return raw;
    }
    TReportBand* addBand(TReportBand::Kind kind, const QString& name, double heightMm);

    const std::vector<std::unique_ptr<TReportObject>>& objects() const { return m_objects; }
    const std::vector<std::unique_ptr<TReportBand>>& bands() const { return m_bands; }

private:
    QString m_name;
    QPageLayout::Orientation m_orientation;
    double m_margin;
    std::vector<std::unique_ptr<TReportObject>> m_objects;
    std::vector<std::unique_ptr<TReportBand>> m_bands;
};

class TReport {
public:
    explicit TReport(const QString& name);
    virtual ~TReport();
    TReport(const TReport&) = delete;
    TReport& operator=(const TReport&) = delete;

    const QString& name() const { return m_name; }
    TReportPage* addPage(const QString& name, QPageLayout::Orientation orientation, double marginMm);

    TReportPage* findPage(const QString& name) const;
    TReportBand* findBand(const QString& name) const;
    TReportObject* findObject(const QString& name) const;
    // The object of that name and kind, or null.
    template <typename T> T* find(const QString& name) const { return dynamic_cast<T*>(findObject(name)); }

    // Lays the layout out onto pages afresh; the pages of an earlier run are
    // discarded. Bands are placed one under the other; a data band that does
    // not fit is cut between two lines of its texts and goes on at the top of
    // the next page; the title band stands on the first page only.
    void prepare();
    int preparedPageCount() const { return int(m_prepared.size()); }
    QPageLayout preparedPageLayout(int index) const;

    // Draws prepared page `index`: the painter's device has the given
    // resolution, and `areaOrigin` is where the area inside the margins
    // starts on it. False when something could not be drawn (a photo too
    // large to decode).
    bool paintPage(QPainter& painter, int index, double dpiX, double dpiY, QPointF areaOrigin) const;
    // Every prepared page onto a paged device (printer, PDF writer), one
    // device page each. False when the device could not be drawn on.
    bool print(QPagedPaintDevice& device) const;
    // One prepared page as a white image at `dpi`, through the same drawing.
    QImage renderPage(int index, double dpi) const;

private:
    struct Placement {
        const TReportBand* band;
        double sliceTop; // the part of the band shown, in band coordinates
        double sliceHeight;
        double y; // where that part starts, from the top of the area
    };
    struct PreparedPage {
        const TReportPage* page;
        std::vector<Placement> bands;
    };

    QString m_name;
    std::vector<std::unique_ptr<TReportPage>> m_pages;
    std::vector<PreparedPage> m_prepared;
};
