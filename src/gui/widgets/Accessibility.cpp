#include "gui/widgets/Accessibility.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "gui/widgets/PictureButton.h"

namespace {

// A caption is the visible label just above the control, or just before it
// on the same line, in the same parent.
QString captionOf(const QWidget* control)
{
    const QWidget* parent = control->parentWidget();
    if (!parent)
        return {};
    const QRect c = control->geometry();
    QString best;
    int bestGap = 1 << 20;
    const QList<QLabel*> labels = parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    for (const QLabel* label : labels) {
        if (label->buddy() == control && !label->text().isEmpty())
            return label->text();
        if (label->isHidden() || label->text().trimmed().isEmpty() || !label->pixmap().isNull())
            continue;
        const QRect l = label->geometry();
        const bool overlapsAcross = l.left() < c.right() && l.right() > c.left();
        const bool overlapsDown = l.top() < c.bottom() && l.bottom() > c.top();
        int gap = -1;
        if (overlapsAcross && l.bottom() <= c.top() + 2 && c.top() - l.bottom() < 30)
            gap = c.top() - l.bottom();
        else if (overlapsDown && l.right() <= c.left() + 2 && c.left() - l.right() < 80)
            gap = c.left() - l.right();
        if (gap >= 0 && gap < bestGap) {
            bestGap = gap;
            best = label->text();
        }
    }
    return best.trimmed();
}

bool takesText(const QWidget* w)
{
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractItemView*>(w)
           || qobject_cast<const QPlainTextEdit*>(w);
}

// The status line: its text is the status a screen reader reads out.
class TStatusLineAccessible : public QAccessibleWidget {
public:
    explicit TStatusLineAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::StatusBar) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<QLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* statusLineFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("TStatusLine"))
        return new TStatusLineAccessible(static_cast<QLabel*>(object));
    return nullptr;
}

} // namespace

namespace Accessibility {

void nameControls(QWidget* window)
{
    const QList<QWidget*> widgets = window->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (!w->accessibleName().isEmpty())
            continue;
        QString name;
        if (auto* button = qobject_cast<TPictureButton*>(w)) {
            if (!button->text().isEmpty())
                continue; // read by its caption
            name = !button->hint().isEmpty() ? button->hint() : button->toolTip();
        } else if (takesText(w) && w->focusPolicy() != Qt::NoFocus) {
            name = captionOf(w);
            if (name.isEmpty())
                name = w->toolTip();
            if (name.isEmpty())
                if (auto* edit = qobject_cast<QLineEdit*>(w))
                    name = edit->placeholderText();
        }
        if (!name.isEmpty())
            w->setAccessibleName(name);
    }
}

void installStatusLines()
{
    static const bool installed = [] {
        QAccessible::installFactory(statusLineFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace Accessibility
