#pragma once
#include "gui/widgets/FixedWindow.h"

class QFrame;
class QPushButton;
class TBanner;
class TLinkLabel;
class TPictureButton;

// Credits window: the maker's picture and website link. Per-use, opened from
// the start window; never shown at start-up.
class TfrmSplash : public TFixedDialog {
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget* owner);

    void lnkWebClick();

private:
    TBanner* imgLogo;
    QFrame* shpWeb;
    TPictureButton* imgWeb;
    TLinkLabel* lnkWeb;
    QPushButton* btnChiudi;
};
