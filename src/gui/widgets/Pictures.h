#pragma once
#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

class TPhoto;

// The program's drawn pictures are SVG resources; windows take them as
// bitmaps of the size they show them at.
namespace Pictures {

// The picture fitted into `size` keeping its proportions, centred, on
// `background`; `devicePixelRatio` gives a sharp result on dense screens.
QImage render(const QString& resource, QSize size, QColor background = Qt::transparent, qreal devicePixelRatio = 1.0);

inline QPixmap pixmap(const QString& resource, QSize size, qreal devicePixelRatio = 1.0)
{
    return QPixmap::fromImage(render(resource, size, Qt::transparent, devicePixelRatio));
}

// A drawn picture as a photo of `size` on white, rendered once per resource
// and size: every window that shows it shares it, and with it its one JPEG
// encoding. For the pictures shown where a photo will be (placeholders).
const TPhoto& photo(const QString& resource, QSize size);

} // namespace Pictures
