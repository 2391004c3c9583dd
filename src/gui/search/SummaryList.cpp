#include "gui/search/SummaryList.h"

#include <QBrush>
#include <QFontMetrics>
#include <QMouseEvent>

#include "gui/widgets/Look.h"

TSummaryModel::TSummaryModel(QObject* parent) : QAbstractListModel(parent), m_font(Look::courierNew(12))
{
    // Where no Courier New is installed, any fixed-pitch face keeps the
    // columns aligned.
    m_font.setFixedPitch(true);
    m_itemSize = QSize(1600, QFontMetrics(m_font).height() + 2);
}

int TSummaryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant TSummaryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_lines.size()))
        return {};
    switch (role) {
    case Qt::DisplayRole: return m_lines[size_t(index.row())].testo;
    case NumberRole: return m_lines[size_t(index.row())].numero;
    case Qt::FontRole: return m_font;
    case Qt::ForegroundRole: return QBrush(Qt::black);
    case Qt::SizeHintRole: return m_itemSize;
    default: return {};
    }
}

void TSummaryModel::setLines(std::vector<RigaElenco> lines)
{
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}

TSummaryList::TSummaryList(const QString& objectName, QWidget* parent)
    : QListView(parent), m_model(new TSummaryModel(this))
{
    setObjectName(objectName);
    setModel(m_model);
    // One height for every line: a hundred thousand lines lay out at once.
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void TSummaryList::setLines(std::vector<RigaElenco> lines)
{
    m_model->setLines(std::move(lines));
}

void TSummaryList::clear()
{
    m_model->setLines({});
}

int TSummaryList::count() const
{
    return m_model->rowCount();
}

QString TSummaryList::text(int i) const
{
    return m_model->line(i).testo;
}

qint32 TSummaryList::number(int i) const
{
    return m_model->line(i).numero;
}

QStringList TSummaryList::lines() const
{
    QStringList texts;
    texts.reserve(count());
    for (int i = 0; i < count(); ++i)
        texts.append(text(i));
    return texts;
}

int TSummaryList::currentRow() const
{
    const QModelIndexList scelte = selectionModel()->selectedRows();
    return scelte.isEmpty() ? -1 : scelte.first().row();
}

void TSummaryList::setCurrentRow(int i)
{
    if (i < 0 || i >= count())
        return;
    const QModelIndex indice = m_model->index(i);
    selectionModel()->setCurrentIndex(indice, QItemSelectionModel::ClearAndSelect);
    scrollTo(indice);
}

void TSummaryList::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit doubleClickedAnywhere();
}
