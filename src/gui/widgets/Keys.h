#pragma once
#include <QKeySequence>
#include <QString>

#include <functional>

class QAbstractButton;
class QShortcut;
class QWidget;
class THints;

// The standard keys of a window: each one clicks a command of the window, so
// that the key does exactly what the command does. A key works only while its
// window is the active one, so that nothing happens under a modal window.
namespace Keys {

// Binds `key` (Qt's standard sequence for it) to `command` in `window`. Where
// an edit field of the window would take the key for itself (Ctrl+Home moves
// its cursor), the window's command wins.
QShortcut* bind(QWidget* window, QKeySequence::StandardKey key, QAbstractButton* command);
// The same, and the command's hint in `hints` gains the key.
QShortcut* bind(QWidget* window, QKeySequence::StandardKey key, QAbstractButton* command, THints* hints);

// The key as the user reads it, in the toolkit's language: "Ctrl+S", "F1".
QString text(QKeySequence::StandardKey key);
// A command's hint with its key after it: "Salva la scheda in archivio. (Ctrl+S)".
QString hintWithKey(const QString& hint, QKeySequence::StandardKey key);

// The guide key everywhere: F1 in a window with no guide command of its own
// opens the guide of the nearest window it was opened from that has one (the
// sheet's guide over the find window, say), or the `fallback` where none has.
// `open` shows the guide over the window it is given.
using GuideOpener = std::function<void(QWidget* owner)>;
void setGuide(QWidget* window, const GuideOpener& open);
// Installed once for the whole program; a later call only changes the fallback.
void installGuideKey(GuideOpener fallback);

} // namespace Keys
