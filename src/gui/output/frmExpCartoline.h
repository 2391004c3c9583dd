#pragma once
#include <QStringList>
#include <QTableView>

#include "core/export/Export.h"
#include "gui/widgets/FixedWindow.h"

class QFrame;
class QLabel;
class TBanner;
class THints;
class TPictureButton;
class TfrmCartoline;
class TModelloSchede;

// The export grid: a view over the card table whose first column (the card
// number) stays in place while the other columns scroll sideways. Finishing
// an edit in progress is public so that the export takes what is being typed.
class TGrigliaSchede : public QTableView {
    Q_OBJECT
public:
    explicit TGrigliaSchede(QWidget* parent);
    void setModel(QAbstractItemModel* model) override;
    void confermaModifica();
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

    // The view drawn over the first column.
    QTableView* colonnaFissa() const { return m_fissa; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void updateGeometries() override;

private:
    void soloPrimaColonna();
    void posizionaColonnaFissa();
    QTableView* m_fissa;
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

protected:
    void showEvent(QShowEvent* event) override;
    void FormShow();

private:
    void buildHints(QWidget* panel, QFrame* toolbar, QFrame* statusBar);

    TfrmCartoline* m_frmCartoline;
    TModelloSchede* m_modello;
    THints* m_hints = nullptr;
};
