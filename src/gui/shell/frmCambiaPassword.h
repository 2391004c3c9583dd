#pragma once
#include "gui/widgets/GradientWindow.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class TBanner;

// Change-password window, reached from the login window and always handing
// back to it.
class TfrmCambiaPassword : public TGradientPanel {
    Q_OBJECT
public:
    explicit TfrmCambiaPassword(QWidget* parent = nullptr);

    void cmdOKClick();

    static QString wrongOldMessage();
    static QString notConfirmedMessage();
    static QString doneMessage();
    static QString changeErrorMessage();

signals:
    // The window was closed, by any means.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Reports the close, whatever caused it.
    void FormClose();

private:
    void updateOK();
    QFrame* highlightOf(QObject* field) const;

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
};
