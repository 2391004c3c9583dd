#pragma once
#include "gui/widgets/GradientWindow.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class TBanner;

// Login window: the main window and the only one shown at start. Only the
// right password leads on to the start window.
class TfrmPassword : public TGradientPanel {
    Q_OBJECT
public:
    explicit TfrmPassword(QWidget* parent = nullptr);

    void cmdOKClick();
    void cmdEsciClick();
    void btnCambiaPasswordClick();

    // Empties the password field and the scratch label, for a fresh start.
    void clearEntry();

    static QString wrongPasswordMessage();
    static QString readErrorMessage();

signals:
    // The right password was given.
    void accessGranted();
    void changePasswordRequested();
    // The window was closed: the program ends with it.
    void exitRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // However the window is closed, the program ends with it.
    void closeEvent(QCloseEvent* event) override;

private:
    void updateOK();

    TBanner* imgLogo;
    QLabel* lblRigo05;
    QFrame* effPassword;
    QLineEdit* txtPassword;
    QPushButton* cmdOK;
    QPushButton* cmdEsci;
    QPushButton* btnCambiaPassword;
    QLabel* lblMemory;
};
