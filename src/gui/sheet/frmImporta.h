#pragma once
#include <memory>

#include "core/import/Importazione.h"
#include "gui/widgets/FixedWindow.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QTableWidget;
class THints;
class TPictureButton;

// Import window: shows how the cards of a spreadsheet or CSV file will be
// stored in the record sheet's archive, column by column and with every
// problem marked, then writes them all at once and can take them back.
// Per-use: created by the record sheet, shown modally, destroyed.
class TfrmImporta : public TFixedDialog {
    Q_OBJECT
public:
    TfrmImporta(QWidget* owner, const QString& filePath, const QString& archivePath, const QString& archiveName);

    // Reads the file; false, after its message, when there is nothing to show.
    bool load();

    void cmbFoglioChange();
    void chkIntestazioniClick();
    void cmdConfermaClick();
    void cmdAnnullaClick();
    void cmdAnnullaImportazioneClick();
    void cmdChiudiClick();

signals:
    // Cards first..last were added; the sheet shows the first.
    void imported(qint32 first, qint32 last);
    // The import was taken back.
    void undone();

private:
    void fillPreview();
    // Starts the summary's count over; it goes on a slice at a time.
    void refreshSummary();
    void countSlice(int run);
    void showSummary();
    void destinationChosen(int column, int destination);
    void showImported();

    QLabel* lblFile;
    QLabel* lblFoglio;
    QComboBox* cmbFoglio;
    QCheckBox* chkIntestazioni;
    QTableWidget* grdAnteprima;
    QLabel* lblRiepilogo;
    TPictureButton* cmdConferma;
    TPictureButton* cmdAnnulla;
    TPictureButton* cmdAnnullaImportazione;
    TPictureButton* cmdChiudi;
    QLabel* panInfo;

    QString m_filePath;
    QString m_archivePath;
    QString m_archiveName;
    Importazione::TImportazione m_import;
    std::unique_ptr<Importazione::TConteggio> m_count;
    int m_countRun = 0; // tells a slice of an abandoned count from the running one's
    std::unique_ptr<Importazione::Esito> m_done;
    THints* m_hints = nullptr;
};
