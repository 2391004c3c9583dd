#pragma once
#include "gui/widgets/GradientWindow.h"

class QLabel;
class QListWidget;
class TPictureButton;
class TWindowSet;

// Open window: lists the archives of the program folder, opens one in the
// record sheet or deletes it.
class TfrmApriCatalogo : public TGradientWindow {
    Q_OBJECT
public:
    explicit TfrmApriCatalogo(TWindowSet& windows);

    QLabel* icoIstruzioni;
    QListWidget* lstFiles;
    QLabel* lblCreati;
    TPictureButton* btnApri;
    TPictureButton* btnElimina;
    TPictureButton* btnAnnulla;
    TPictureButton* imgGuida;
    QLabel* lblFile;
    QLabel* lblMemory;

    void btnApriClick();
    void btnEliminaClick();
    void imgGuidaClick();

    static QString countLine(int count);

protected:
    void FormShow() override;
    void FormClose() override;

private:
    void fillList();
    TWindowSet& m_windows;
};
