#include "gui/widgets/PictureButton.h"

#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

#include "gui/widgets/Look.h"

TPictureButton::TPictureButton(const QString& objectName, const QString& iconPath, const QString& caption, Style style,
                               QWidget* parent)
    : QAbstractButton(parent), m_style(style)
{
    setObjectName(objectName);
    setText(caption);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setFont(Look::verdana(11, true));
    setIconPath(iconPath);
}

void TPictureButton::setIconPath(const QString& path)
{
    delete m_renderer;
    m_renderer = path.isEmpty() ? nullptr : new QSvgRenderer(path, this);
    update();
}

void TPictureButton::setBodyColor(QColor color)
{
    m_body = color;
    update();
}

QSize TPictureButton::sizeHint() const
{
    return m_style == Style::Captioned ? QSize(220, 44) : QSize(40, 40);
}

void TPictureButton::enterEvent(QEnterEvent* event)
{
    m_hover = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TPictureButton::leaveEvent(QEvent* event)
{
    m_hover = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void TPictureButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    const bool down = isDown();

    if (m_style == Style::Captioned) {
        QColor base = m_body;
        if (m_hover)
            base = base.lighter(120);
        if (down)
            base = base.darker(125);
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, base.lighter(150));
        g.setColorAt(0.5, base);
        g.setColorAt(1, base.darker(130));
        p.setPen(QPen(base.darker(160), 1));
        p.setBrush(g);
        p.drawRoundedRect(r, 8, 8);
        // A gloss on the upper half gives the button its picture look.
        QRectF gloss = r.adjusted(3, 2, -3, -r.height() / 2);
        QLinearGradient gg(gloss.topLeft(), gloss.bottomLeft());
        gg.setColorAt(0, QColor(255, 255, 255, 110));
        gg.setColorAt(1, QColor(255, 255, 255, 10));
        p.setPen(Qt::NoPen);
        p.setBrush(gg);
        p.drawRoundedRect(gloss, 6, 6);

        QRectF textRect = r.adjusted(10, 0, -10, 0);
        if (m_renderer) {
            const qreal side = r.height() - 12;
            QRectF iconRect(r.left() + 10, r.top() + 6, side, side);
            m_renderer->render(&p, iconRect);
            textRect.setLeft(iconRect.right() + 6);
        }
        p.setPen(Qt::white);
        p.setFont(font());
        p.drawText(textRect.translated(0, down ? 1 : 0), Qt::AlignCenter | Qt::TextWordWrap, text());
        return;
    }

    QRectF pictureRect = r;
    if (m_style == Style::Flat && !text().isEmpty()) {
        const int textHeight = fontMetrics().height() + 2;
        pictureRect.setBottom(r.bottom() - textHeight);
        p.setFont(font());
        p.setPen(QColor(0x1F, 0x3A, 0x5F));
        p.drawText(QRectF(r.left(), pictureRect.bottom(), r.width(), textHeight), Qt::AlignCenter, text());
    }
    if (m_hover && isEnabled()) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, down ? 150 : 90));
        if (m_circular)
            p.drawEllipse(r);
        else
            p.drawRoundedRect(r, 6, 6);
    }
    if (m_renderer) {
        QSizeF size = m_renderer->defaultSize();
        size.scale(pictureRect.size() - QSizeF(4, 4), Qt::KeepAspectRatio);
        QRectF target(QPointF(0, 0), size);
        target.moveCenter(pictureRect.center() + (down ? QPointF(1, 1) : QPointF(0, 0)));
        m_renderer->render(&p, target);
    }
}
