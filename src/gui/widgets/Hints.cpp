#include "gui/widgets/Hints.h"

#include "gui/widgets/Accessibility.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QWidget>

THints::THints(QLabel* statusLine, QObject* parent) : QObject(parent), m_status(statusLine)
{
    Accessibility::installStatusLines();
}

void THints::addCommand(QWidget* command, const QString& hint)
{
    m_hints.insert(command, hint);
    // A screen reader reads the command by its caption and the hint as its
    // description; a picture without a caption by its hint.
    auto* button = qobject_cast<QAbstractButton*>(command);
    if (button && button->text().isEmpty())
        command->setAccessibleName(hint);
    else
        command->setAccessibleDescription(hint);
    command->setMouseTracking(true);
    command->installEventFilter(this);
}

void THints::addBackground(QWidget* background)
{
    m_background.insert(background, true);
    background->setMouseTracking(true);
    background->installEventFilter(this);
}

void THints::addQuiet(QWidget* widget)
{
    m_quiet.insert(widget, true);
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
}

bool THints::eventFilter(QObject* watched, QEvent* event)
{
    const bool move = event->type() == QEvent::MouseMove;
    if (!move && event->type() != QEvent::Enter)
        return QObject::eventFilter(watched, event);

    auto hint = m_hints.constFind(watched);
    const QString before = m_status->text();
    if (hint != m_hints.constEnd())
        m_status->setText(*hint);
    else if (move && m_background.contains(watched))
        m_status->clear();
    if (m_status->text() != before) {
        QAccessibleEvent changed(m_status, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }

    // A plain move over a command or an edit field stops here: otherwise it
    // would travel on to the background behind and empty the line again.
    if (move && static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton
        && (hint != m_hints.constEnd() || m_quiet.contains(watched))) {
        event->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
