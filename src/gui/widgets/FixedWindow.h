#pragma once
#include <QDialog>

#include "gui/widgets/GradientWindow.h"

// Fixed-size windows: single border, no title-bar buttons, so they close only
// through their own commands; centred on the screen or on their owner.
namespace FixedWindow {
void setup(QWidget* window, const QString& caption, QSize inner);
void centreOnScreen(QWidget* window);
void centreOnOwner(QWidget* window);
} // namespace FixedWindow

// A per-use window shown modally. It closes only through its own commands:
// Escape, which a dialog takes as its cancel command, does nothing.
class TModalWindow : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Names the controls for screen readers before the window appears.
    void showEvent(QShowEvent* event) override;
};

// A per-use fixed-size window with a gradient background, shown modally.
class TFixedDialog : public TModalWindow {
    Q_OBJECT
public:
    TFixedDialog(QWidget* owner, const QString& objectName, const QString& caption, QSize inner, QColor top,
                 QColor bottom);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_top;
    QColor m_bottom;
};
