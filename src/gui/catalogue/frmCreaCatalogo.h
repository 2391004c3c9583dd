#pragma once
#include "gui/widgets/GradientWindow.h"

class QLabel;
class QLineEdit;
class TPictureButton;
class TWindowSet;

// Create window: makes a new, empty archive file in the program folder.
class TfrmCreaCatalogo : public TGradientWindow {
    Q_OBJECT
public:
    explicit TfrmCreaCatalogo(TWindowSet& windows);

    QLabel* icoIstruzioni;
    QLineEdit* txtFile;
    TPictureButton* btnApplica;
    TPictureButton* btnAnnulla;
    TPictureButton* imgGuida;
    QLabel* lblFile;

    void btnApplicaClick();
    void imgGuidaClick();

protected:
    void FormShow() override;
    void FormClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TWindowSet& m_windows;
};
