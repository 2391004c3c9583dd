#include "gui/widgets/Banner.h"

#include <QPainter>

#include "gui/widgets/Pictures.h"

TBanner::TBanner(const QString& objectName, const QString& picturePath, const QStringList& texts, QWidget* parent)
    : QWidget(parent), m_picture(picturePath)
{
    setObjectName(objectName);
    setAccessibleName(texts.join(QLatin1Char('\n')));
}

void TBanner::paintEvent(QPaintEvent*)
{
    const qreal ratio = devicePixelRatioF();
    if (m_drawn.deviceIndependentSize().toSize() != size() || m_drawn.devicePixelRatio() != ratio)
        m_drawn = Pictures::pixmap(m_picture, size(), ratio);
    QPainter(this).drawPixmap(0, 0, m_drawn);
}
