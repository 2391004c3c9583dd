#include "shell/Banner.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

#include "ui/Look.h"

namespace {
const QColor kInk(0x1F, 0x3A, 0x5F);
}

TBanner::TBanner(const QString& objectName, const QString& picturePath, const QString& iconPath,
                 const QString& words, QWidget* parent, const QList<Line>& lines)
    : QWidget(parent), m_picture(picturePath), m_icon(iconPath), m_words(words), m_lines(lines)
{
    setObjectName(objectName);
    QStringList all{words};
    for (const Line& line : lines)
        all << line.text;
    setAccessibleName(all.join(QLatin1Char('\n')));
}

void TBanner::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    if (!m_picture.isEmpty() && QFile::exists(m_picture)) {
        QSvgRenderer picture(m_picture);
        picture.render(&p, QRectF(rect()));
        return;
    }
    const bool card = !m_lines.isEmpty() || height() > 150;
    if (card) {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
        p.fillPath(shape, Qt::white);
    } else {
        p.fillRect(rect(), Qt::white);
        p.setPen(QPen(QColor(0xBF, 0xD8, 0xEF), 2));
        p.drawLine(0, height() - 1, width(), height() - 1);
    }

    if (height() > 150) {
        // A large picture: the sign above, the words centred below it.
        const int side = height() / 2;
        const QRect iconRect((width() - side) / 2, height() / 8, side, side);
        if (QFile::exists(m_icon))
            QSvgRenderer(m_icon).render(&p, QRectF(iconRect));
        p.setPen(kInk);
        p.setFont(Look::verdana(18, true));
        p.drawText(QRect(10, iconRect.bottom() + 16, width() - 20, height() - iconRect.bottom() - 26),
                   Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, m_words);
        return;
    }

    const int side = m_lines.isEmpty() ? height() - 16 : 56;
    const QRect iconRect(12, m_lines.isEmpty() ? 8 : 12, side, side);
    if (QFile::exists(m_icon))
        QSvgRenderer(m_icon).render(&p, QRectF(iconRect));
    const int textLeft = iconRect.right() + 14;
    const int textWidth = width() - textLeft - 12;
    p.setPen(kInk);
    if (m_lines.isEmpty()) {
        p.setFont(Look::verdana(15, true));
        p.drawText(QRect(textLeft, 0, textWidth, height()), Qt::AlignVCenter | Qt::AlignLeft, m_words);
        return;
    }
    p.setFont(Look::verdana(16, true));
    QRect heading(textLeft, 8, textWidth, p.fontMetrics().height());
    p.drawText(heading, Qt::AlignLeft | Qt::AlignVCenter, m_words);
    int y = heading.bottom() + 6;
    p.setFont(Look::verdana(9, true));
    for (const Line& line : m_lines) {
        const QRect box(textLeft, y, textWidth, height() - y);
        const QRect used = p.fontMetrics().boundingRect(box, Qt::TextWordWrap | Qt::AlignLeft, line.text);
        p.setPen(line.colour.isValid() ? line.colour : kInk);
        p.drawText(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, line.text);
        y = used.bottom() + 5;
    }
}
