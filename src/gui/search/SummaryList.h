#pragma once
#include <QAbstractListModel>
#include <QFont>
#include <QListView>
#include <QStringList>

#include <vector>

#include "core/search/Ricerca.h"

// The lines of a listing, already sorted, each with the number of the record
// it was built from. Every line shows in the same fixed-pitch font in black;
// lines never wrap, and every item is 1600 pixels wide, room for the columns
// and the value, so that the horizontal scroll bar reaches the line ends.
class TSummaryModel : public QAbstractListModel {
    Q_OBJECT
public:
    // The record number of a line.
    static constexpr int NumberRole = Qt::UserRole + 1;

    explicit TSummaryModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Replaces every line at once: one reset, however many lines.
    void setLines(std::vector<RigaElenco> lines);
    const RigaElenco& line(int i) const { return m_lines[size_t(i)]; }

private:
    std::vector<RigaElenco> m_lines;
    QFont m_font;
    QSize m_itemSize; // of every item
};

// The result list of the find and for-sale windows: one line per listed
// record in sorted order, a single selected line, both scroll bars shown.
// Item indexes (selection, find in the list, printing) follow the shown order.
class TSummaryList : public QListView {
    Q_OBJECT
public:
    TSummaryList(const QString& objectName, QWidget* parent);

    void setLines(std::vector<RigaElenco> lines);
    void clear();

    int count() const;
    QString text(int i) const;
    qint32 number(int i) const;
    // The item texts from first to last, as the list shows them.
    QStringList lines() const;

    // The selected line, or -1.
    int currentRow() const;
    // Selects line i and scrolls it into view; an index out of range does nothing.
    void setCurrentRow(int i);

signals:
    // A double-click anywhere on the list, on a line or not.
    void doubleClickedAnywhere();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TSummaryModel* m_model;
};
