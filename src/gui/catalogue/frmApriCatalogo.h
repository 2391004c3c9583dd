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

    // Where the window hands over when it closes; lblMemory mirrors it
    // ("avvio", "cartoline").
    enum class Next { Avvio, Cartoline };

signals:
    // Closed without a choice: back to where the window was reached from.
    void closed();
    // Closed by "Apri archivio": the archive at `path`, named `name`, is to be
    // opened.
    void archiveChosen(const QString& path, const QString& name);

protected:
    void FormShow() override;
    void FormClose() override;

private:
    void fillList();
    void setNext(Next next);

    Next m_next = Next::Avvio;

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
