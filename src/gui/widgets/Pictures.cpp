#include "gui/widgets/Pictures.h"

#include <QPainter>
#include <QSvgRenderer>

#include <map>
#include <tuple>

#include "core/photos/Photo.h"

namespace Pictures {

QImage render(const QString& resource, QSize size, QColor background, qreal devicePixelRatio)
{
    QImage image(size * devicePixelRatio,
                 background.alpha() == 255 ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(background);
    QSvgRenderer renderer(resource);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QSizeF drawn = renderer.defaultSize();
    drawn.scale(QSizeF(size), Qt::KeepAspectRatio);
    QRectF target(QPointF(0, 0), drawn);
    target.moveCenter(QRectF(QPointF(0, 0), QSizeF(size)).center());
    renderer.render(&painter, target);
    return image;
}

const TPhoto& photo(const QString& resource, QSize size)
{
    // Only the user-interface thread draws these. A map's entries stay where
    // they are, so the references handed out stay good.
    static std::map<std::tuple<QString, int, int>, TPhoto> drawn;
    TPhoto& photo = drawn[{resource, size.width(), size.height()}];
    if (photo.isNull())
        photo = TPhoto::fromImage(render(resource, size, Qt::white));
    return photo;
}

} // namespace Pictures
