#pragma once
#include "gui/widgets/GradientWindow.h"

class QLabel;
class QListWidget;
class TPictureButton;

// Open window: lists the archives of the program folder, hands one on to be
// opened or moves it to the bin, whose window it opens.
class TfrmApriCatalogo : public TGradientWindow {
    Q_OBJECT
public:
    explicit TfrmApriCatalogo(QWidget* parent = nullptr);

    void btnApriClick();
    void btnEliminaClick();
    void cmdCestinoClick();
    void imgGuidaClick();

    static QString countLine(int count);

signals:
    // Closed with the marker "avvio": back to where the window was reached from.
    void closed();
    // Closed with the marker "cartoline": the archive at `path`, named `name`,
    // is to be opened.
    void archiveChosen(const QString& path, const QString& name);

protected:
    void FormShow() override;
    void FormClose() override;

private:
    void fillList();

    QLabel* icoIstruzioni;
    QListWidget* lstFiles;
    QLabel* lblCreati;
    TPictureButton* btnApri;
    TPictureButton* btnElimina;
    TPictureButton* cmdCestino;
    TPictureButton* btnAnnulla;
    TPictureButton* imgGuida;
    QLabel* lblFile;
    QLabel* lblMemory;
};
