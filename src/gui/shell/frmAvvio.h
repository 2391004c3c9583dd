#pragma once
#include "gui/widgets/GradientWindow.h"

class QFrame;
class QLabel;
class TPictureButton;

// Start window: the hub leading to the create and open areas; closing it ends
// the program.
class TfrmAvvio : public TGradientWindow {
    Q_OBJECT
public:
    explicit TfrmAvvio(QWidget* parent = nullptr);

    void imgApp01Click();
    void imgApp02Click();
    void imgInfoClick();
    void imgGuidaClick();
    void imgMarchioClick();
    void imgSitoClick();
    void imgEsciClick();
    // A new archive made from a spreadsheet: asks for the file first.
    void cmdImportaArchivioClick();

signals:
    // The create area or the open area was chosen.
    void createRequested();
    void openRequested();
    // A new archive is to be made from the cards of `filePath`.
    void importRequested(const QString& filePath);
    // The exit picture or the close box: the program ends.
    void exitRequested();

protected:
    void FormClose() override;

private:
    TPictureButton* imgInfo;
    QLabel* icoIcona;
    QLabel* icoTitolo01;
    TPictureButton* imgGuida;
    QLabel* imgSottotitolo;
    QFrame* shpApp01;
    QFrame* shpApp02;
    TPictureButton* imgApp01;
    TPictureButton* btnApp01;
    TPictureButton* cmdImportaArchivio;
    TPictureButton* imgApp02;
    TPictureButton* btnApp02;
    TPictureButton* imgSito;
    TPictureButton* imgMarchio;
    TPictureButton* imgEsci;
};
