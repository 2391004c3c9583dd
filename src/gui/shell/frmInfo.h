#pragma once
#include "gui/widgets/FixedWindow.h"

class QLabel;
class QPushButton;
class TBanner;
class TLinkLabel;
class TPictureButton;

// Information window: the program, its maker and the support e-mail link.
// Per-use, opened from the start window.
class TfrmInfo : public TFixedDialog {
    Q_OBJECT
public:
    explicit TfrmInfo(QWidget* owner);

    void lnkWebClick();

private:
    TBanner* imgLogo;
    QLabel* lblDescrizione;
    TLinkLabel* lnkWeb;
    TPictureButton* imgEmail;
    QPushButton* btnChiudi;
};
