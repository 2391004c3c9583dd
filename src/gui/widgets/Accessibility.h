#pragma once
#include <QLabel>

// What a screen reader finds in our windows. The controls that take the
// focus are named after the caption beside them; picture buttons after the
// caption drawn under them or, where they have none, their hint; the
// windows' status lines are status text.
namespace Accessibility {

// Names every control of `window` that has no name yet. Run when a window is
// shown, so that controls made late are named too; a name set by hand stays.
void nameControls(QWidget* window);

// Status lines (TStatusLine) are read as the window's status. Installed
// once, before a window is asked for.
void installStatusLines();

} // namespace Accessibility

// A window's status line, panInfo: a label that a screen reader reads as the
// window's status.
class TStatusLine : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
};
