#pragma once
#include "gui/widgets/GradientWindow.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class TBanner;
class TWindowSet;

// Login window: the main window and the only one shown at start. Only the
// right password leads on to the start window.
class TfrmPassword : public TGradientPanel {
    Q_OBJECT
public:
    explicit TfrmPassword(TWindowSet& windows);

    TBanner* imgLogo;
    QLabel* lblRigo05;
    QFrame* effPassword;
    QLineEdit* txtPassword;
    QPushButton* cmdOK;
    QPushButton* cmdEsci;
    QPushButton* btnCambiaPassword;
    QLabel* lblMemory;

    void cmdOKClick();
    void cmdEsciClick();
    void btnCambiaPasswordClick();

    static QString wrongPasswordMessage();
    static QString readErrorMessage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // However the window is closed, the program ends with it.
    void closeEvent(QCloseEvent* event) override;

private:
    void updateOK();
    TWindowSet& m_windows;
};
