#pragma once
#include <QAbstractTableModel>

#include "core/export/Export.h"

// The export grid's data: column 0 is the card number, columns 1 to 22 the
// exported ones, as the card table holds them.
class TExportModel : public QAbstractTableModel {
public:
    explicit TExportModel(QObject* parent);

    const TTabellaSchede& table() const { return m_table; }

    // Refills from the archive; a failure stops silently with the rows read so far.
    void fill(const QString& path);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;

    QVariant data(const QModelIndex& index, int role) const override;

    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    TTabellaSchede m_table;
};
