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
    void commitEdit();
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

    // The view drawn over the first column.
    QTableView* frozenColumn() const { return m_frozen; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void updateGeometries() override;

private:
    void showFirstColumnOnly();
    void placeFrozenColumn();
    QTableView* m_frozen;
};
