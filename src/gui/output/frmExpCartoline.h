#pragma once
#include <QStringList>

#include "core/export/Export.h"
#include "gui/widgets/FixedWindow.h"

class QFrame;
class QLabel;
class TBanner;
class THints;
class TPictureButton;
class TExportGrid;
class TExportModel;

// Export window: lists every card of the record sheet's archive in a grid
// whose cells the user may retouch, and writes them to the spreadsheet file
// "Archivio_Modellini.xls" in the program folder. Per-use: created by the
// record sheet, shown modally, destroyed.
class TfrmExpCartoline : public TFixedDialog {
    Q_OBJECT
public:
    // Over the archive at `archivePath`.
    TfrmExpCartoline(QWidget* owner, const QString& archivePath);

    void cmdEsportaClick();
    void cmdGuidaClick();
    void cmdEsciClick();

    // What the grid holds, as the export reads it.
    const TTabellaSchede& table() const;

protected:
    void showEvent(QShowEvent* event) override;
    void FormShow();

private:
    void buildHints(QWidget* panel, QFrame* toolbar, QFrame* statusBar);

    TBanner* imgLogo;
    QLabel* icoHand;
    TPictureButton* cmdEsporta;
    TPictureButton* cmdGuida;
    TPictureButton* cmdEsci;
    TExportGrid* grdRecords;
    QLabel* panInfo;

    QString m_archivePath;
    TExportModel* m_model;
    THints* m_hints = nullptr;
};
