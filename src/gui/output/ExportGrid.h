#pragma once
#include <QTableView>

// The export grid: a view over the card table whose first column (the card
// number) stays in place while the other columns scroll sideways. Finishing
// an edit in progress is public so that the export takes what is being typed.
class TExportGrid : public QTableView {
    Q_OBJECT
public:
    explicit TExportGrid(QWidget* parent);
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
