#pragma once
#include "gui/widgets/GradientWindow.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class TBanner;
class TWindowSet;

// Change-password window, reached from the login window and always handing
// back to it.
class TfrmCambiaPassword : public TGradientPanel {
    Q_OBJECT
public:
    explicit TfrmCambiaPassword(TWindowSet& windows);

    TBanner* imgLogo;
    QLabel* lblRigo05;
    QLabel* lblRigo06;
    QLabel* lblRigo07;
    QFrame* effPasswordOld;
    QFrame* effPasswordNew;
    QFrame* effConferma;
    QLineEdit* txtPasswordOld;
    QLineEdit* txtPasswordNew;
    QLineEdit* txtConferma;
    QPushButton* cmdOK;
    QPushButton* cmdEsci;
    QLabel* lblMemory;

    void cmdOKClick();

    static QString wrongOldMessage();
    static QString notConfirmedMessage();
    static QString doneMessage();
    static QString changeErrorMessage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Back to the login window, whatever closed this one.
    void FormClose();

private:
    void updateOK();
    QFrame* highlightOf(QObject* field) const;
    TWindowSet& m_windows;
};
