#pragma once
#include <QColor>
#include <QWidget>

// A surface painted with a vertical gradient, from `top` to `bottom`.
class TGradientPanel : public QWidget {
    Q_OBJECT
public:
    explicit TGradientPanel(QColor top, QColor bottom, QWidget* parent = nullptr);
    void setColors(QColor top, QColor bottom);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Names the controls for screen readers before the window appears.
    void showEvent(QShowEvent* event) override;

private:
    QColor m_top;
    QColor m_bottom;
};

// A long-lived or maximised window of the program: gradient background and a
// fixed-size content panel kept centred, whose children are placed in panel
// units. Closing it by any means (own command or close box) runs FormClose.
class TGradientWindow : public TGradientPanel {
    Q_OBJECT
public:
    explicit TGradientWindow(QColor top, QColor bottom, QSize panelSize, QWidget* parent = nullptr);

    QWidget* panel() const { return m_panel; }

protected:
    // Decides what is shown next; the default just lets the window close.
    virtual void FormClose() {}
    virtual void FormShow() {}

    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

    // A bar running along the whole bottom of the window (a status line).
    void setBottomBar(QWidget* bar, int height);

private:
    void placePanel();
    QWidget* m_panel;
    QWidget* m_bottomBar = nullptr;
    int m_bottomReserve = 0;
};
