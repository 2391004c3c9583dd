#include "gui/output/ExportModel.h"

#include <QGuiApplication>
#include <QPalette>

#include "core/archive/Archivio.h"
#include "gui/widgets/FailureMessages.h"

namespace {

constexpr int kInitialRows = 10;

} // namespace

TExportModel::TExportModel(QObject* parent) : QAbstractTableModel(parent)
{
    m_table.Reimposta(kInitialRows);
}

void TExportModel::fill(const QString& path)
{
    beginResetModel();
    try {
        Esportazione::RiempiDaArchivio(m_table, path);
    } catch (const EArchivioError& e) {
        // The grid shows what was read; the export window says nothing more.
        FailureMessages::log(e.failure());
    }
    endResetModel();
}

int TExportModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table.Righe();
}

int TExportModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Esportazione::NumeroColonne + 1;
}

QVariant TExportModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (column == 0)
            return row < m_table.RigheRiempite() ? QString::number(row + 1) : QString();
        return m_table.Testo(row, column - 1);
    case Qt::TextAlignmentRole:
        return column == 0 ? QVariant(Qt::AlignCenter) : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        // The number column looks like the header: it is not data.
        return column == 0 ? QVariant(QGuiApplication::palette().button()) : QVariant();
    default: return {};
    }
}

bool TExportModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    m_table.ImpostaTesto(index.row(), index.column() - 1, value.toString());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags TExportModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() > 0 && Esportazione::Colonne[size_t(index.column() - 1)].modificabile)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant TExportModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section > Esportazione::NumeroColonne)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == 0)
        return QStringLiteral("N.");
    return QString::fromUtf8(Esportazione::Colonne[size_t(section - 1)].intestazione);
}
