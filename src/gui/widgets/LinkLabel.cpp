#include "gui/widgets/LinkLabel.h"

#include <QAbstractButton>
#include <QMouseEvent>

#include "gui/widgets/Look.h"

TLinkLabel::TLinkLabel(const QString& objectName, const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setObjectName(objectName);
    QFont font = Look::tahoma(14);
    font.setUnderline(true);
    setFont(font);
    setCursor(Qt::PointingHandCursor);
    setColour(Look::darkBlue);
}

void TLinkLabel::setColour(QColor colour)
{
    m_colour = colour;
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, colour);
    setPalette(palette);
}

void TLinkLabel::pairWith(QAbstractButton* picture)
{
    connect(picture, &QAbstractButton::pressed, this, [this] { setColour(Look::orange); });
    connect(picture, &QAbstractButton::released, this, [this] { setColour(Look::darkBlue); });
}

void TLinkLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        setColour(Look::orange);
    }
    QLabel::mousePressEvent(event);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_pressed) {
        m_pressed = false;
        setColour(Look::darkBlue);
        if (rect().contains(event->position().toPoint()))
            emit clicked();
    }
    QLabel::mouseReleaseEvent(event);
}
