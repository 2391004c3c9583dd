#pragma once
#include <QStringList>
#include <QTableView>

#include "output/Export.h"
#include "ui/FixedWindow.h"

class QFrame;
class QLabel;
class TBanner;
class THints;
class TPictureButton;
class TfrmCartoline;
class TModelloSchede;

// The export grid: a view over the card table. Finishing an edit in progress
// is public so that the export takes what is being typed.
class TGrigliaSchede : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;
    void confermaModifica();
};

// Export window: lists every card of the record sheet's archive in a grid
// whose cells the user may retouch, and writes them to the spreadsheet file
// "Archivio_Modellini.xls" in the program folder. Per-use: created by the
// record sheet, shown modally, destroyed.
class TfrmExpCartoline : public TFixedDialog {
    Q_OBJECT
public:
    explicit TfrmExpCartoline(TfrmCartoline* frmCartoline);

    TBanner* imgLogo;
    QLabel* icoHand;
    TPictureButton* cmdEsporta;
    TPictureButton* cmdGuida;
    TPictureButton* cmdEsci;
    TGrigliaSchede* grdRecords;
    QLabel* panInfo;

    void cmdEsportaClick();
    void cmdGuidaClick();
    void cmdEsciClick();

    // What the grid holds, as the export reads it.
    const TTabellaSchede& tabella() const;

    static QString guideTitle();
    static QStringList guideParagraphs();

protected:
    void showEvent(QShowEvent* event) override;
    void FormShow();

private:
    void buildHints(QWidget* panel, QFrame* toolbar, QFrame* statusBar);

    TfrmCartoline* m_frmCartoline;
    TModelloSchede* m_modello;
    THints* m_hints = nullptr;
};
