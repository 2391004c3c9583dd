#pragma once
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class TWindowSet;

// Login window: the main window and the only one shown at start.
class TfrmPassword : public QWidget {
    Q_OBJECT
public:
    explicit TfrmPassword(TWindowSet& windows);

    QLineEdit* txtPassword;
    QPushButton* cmdOK;
    QPushButton* cmdEsci;
    QPushButton* btnCambiaPassword;
    QLabel* lblMemory;

    void cmdOKClick();

private:
    TWindowSet& m_windows;
};
