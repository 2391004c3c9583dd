#include "gui/widgets/Keys.h"

#include "gui/widgets/Hints.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>

namespace {

// Keeps the window's keys from the edit fields that would use them to move
// their cursor; every other key stays the field's.
class TWindowKeys : public QObject {
public:
    explicit TWindowKeys(QWidget* window) : QObject(window) { setObjectName(QStringLiteral("windowKeys")); }

    void add(const QList<QKeySequence>& sequences)
    {
        m_sequences += sequences;
        const QList<QLineEdit*> fields = static_cast<QWidget*>(parent())->findChildren<QLineEdit*>();
        for (QLineEdit* field : fields)
            field->installEventFilter(this); // installed once: Qt drops a repeated filter
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ShortcutOverride)
            return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QKeySequence& sequence : std::as_const(m_sequences)) {
            if (sequence.matches(pressed) == QKeySequence::ExactMatch) {
                // Left unaccepted, the key goes on to the window's shortcut.
                event->ignore();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QList<QKeySequence> m_sequences;
};

TWindowKeys* keysOf(QWidget* window)
{
    auto* keys = window->findChild<TWindowKeys*>(QStringLiteral("windowKeys"), Qt::FindDirectChildrenOnly);
    return keys ? keys : new TWindowKeys(window);
}

QHash<const QWidget*, Keys::GuideOpener>& guides()
{
    static QHash<const QWidget*, Keys::GuideOpener> all;
    return all;
}

// Sees F1 only where no shortcut of the window took it: a window's own guide
// command always comes first.
class TGuideKey : public QObject {
public:
    explicit TGuideKey(QObject* parent) : QObject(parent) {}
    Keys::GuideOpener fallback;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat()
            || !QKeySequence(key->keyCombination()).matches(QKeySequence(QKeySequence::HelpContents)))
            return false;
        QWidget* window = static_cast<QWidget*>(watched)->window();
        for (const QWidget* w = window; w; w = w->parentWidget()) {
            const auto found = guides().constFind(w);
            if (found != guides().constEnd()) {
                if (*found)
                    (*found)(window);
                return true;
            }
        }
        if (fallback)
            fallback(window);
        return true;
    }
};

} // namespace

namespace Keys {

void setGuide(QWidget* window, const GuideOpener& open)
{
    if (!guides().contains(window))
        QObject::connect(window, &QObject::destroyed, [window] { guides().remove(window); });
    guides().insert(window, open);
}

void installGuideKey(GuideOpener fallback)
{
    static TGuideKey* filter = nullptr;
    if (!filter) {
        filter = new TGuideKey(qApp);
        qApp->installEventFilter(filter);
        QObject::connect(filter, &QObject::destroyed, [] { filter = nullptr; });
    }
    filter->fallback = std::move(fallback);
}

QShortcut* bind(QWidget* window, QKeySequence::StandardKey key, QAbstractButton* command)
{
    auto* shortcut = new QShortcut(key, window);
    shortcut->setContext(Qt::WindowShortcut);
    // A key held down pages on through the cards, but never repeats a save or a print.
    shortcut->setAutoRepeat(key == QKeySequence::MoveToNextPage || key == QKeySequence::MoveToPreviousPage);
    QObject::connect(shortcut, &QShortcut::activated, command, [command] {
        if (command->isVisible() && command->isEnabled())
            command->click();
    });
    keysOf(window)->add(QKeySequence::keyBindings(key));
    return shortcut;
}

QShortcut* bind(QWidget* window, QKeySequence::StandardKey key, QAbstractButton* command, THints* hints)
{
    hints->addCommand(command, hintWithKey(hints->hintOf(command), key));
    return bind(window, key, command);
}

QString text(QKeySequence::StandardKey key)
{
    const QList<QKeySequence> bindings = QKeySequence::keyBindings(key);
    return bindings.isEmpty() ? QString() : bindings.first().toString(QKeySequence::NativeText);
}

QString hintWithKey(const QString& hint, QKeySequence::StandardKey key)
{
    const QString keyText = text(key);
    return keyText.isEmpty() ? hint : hint + QStringLiteral(" (") + keyText + QLatin1Char(')');
}

} // namespace Keys
