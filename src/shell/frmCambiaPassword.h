#pragma once
#include <QWidget>

class QPushButton;
class TWindowSet;

// Change-password window.
class TfrmCambiaPassword : public QWidget {
    Q_OBJECT
public:
    explicit TfrmCambiaPassword(TWindowSet& windows);

    QPushButton* cmdEsci;

private:
    TWindowSet& m_windows;
};
