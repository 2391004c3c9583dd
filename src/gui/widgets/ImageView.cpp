#include "gui/widgets/ImageView.h"

#include <QMouseEvent>
#include <QPainter>

TImageView::TImageView(const QString& objectName, QWidget* parent) : QWidget(parent)
{
    setObjectName(objectName);
}

void TImageView::setPhoto(const TPhoto& photo, const QImage& prepared)
{
    m_photo = photo;
    m_shown = prepared.size() == decodeSizeFor(photo) ? prepared : QImage();
    m_loading = false;
    update();
    emit photoChanged();
}

void TImageView::setLoading(bool loading)
{
    if (m_loading == loading)
        return;
    m_loading = loading;
    update();
}

QSize TImageView::decodeSizeFor(const TPhoto& photo) const
{
    return displayDecodeSize(photo.size(), size(), devicePixelRatioF());
}

void TImageView::paintEvent(QPaintEvent*)
{
    if (m_photo.isNull())
        return;
    const QSize wanted = decodeSizeFor(m_photo);
    if (m_shown.size() != wanted)
        m_shown = m_photo.decode(wanted);
    if (m_shown.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_loading)
        painter.setOpacity(0.35);
    painter.drawImage(drawnRect(), m_shown);
}

void TImageView::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
