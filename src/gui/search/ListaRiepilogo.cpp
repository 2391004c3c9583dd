#include "gui/search/ListaRiepilogo.h"

#include <QBrush>
#include <QFontMetrics>
#include <QMouseEvent>

#include "gui/widgets/Look.h"

TModelloRiepilogo::TModelloRiepilogo(QObject* parent)
    : QAbstractListModel(parent), m_font(Look::courierNew(12))
{
    // Where no Courier New is installed, any fixed-pitch face keeps the
    // columns aligned.
    m_font.setFixedPitch(true);
    m_dimensione = QSize(1600, QFontMetrics(m_font).height() + 2);
}

int TModelloRiepilogo::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_righe.size());
}

QVariant TModelloRiepilogo::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_righe.size()))
        return {};
    switch (role) {
    case Qt::DisplayRole: return m_righe[size_t(index.row())].testo;
    case NumeroRole: return m_righe[size_t(index.row())].numero;
    case Qt::FontRole: return m_font;
    case Qt::ForegroundRole: return QBrush(Qt::black);
    case Qt::SizeHintRole: return m_dimensione;
    default: return {};
    }
}

void TModelloRiepilogo::imposta(std::vector<RigaElenco> righe)
{
    beginResetModel();
    m_righe = std::move(righe);
    endResetModel();
}

TListaRiepilogo::TListaRiepilogo(const QString& objectName, QWidget* parent)
    : QListView(parent), m_model(new TModelloRiepilogo(this))
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

void TListaRiepilogo::imposta(std::vector<RigaElenco> righe)
{
    m_model->imposta(std::move(righe));
}

void TListaRiepilogo::clear()
{
    m_model->imposta({});
}

int TListaRiepilogo::count() const
{
    return m_model->rowCount();
}

QString TListaRiepilogo::testo(int i) const
{
    return m_model->riga(i).testo;
}

qint32 TListaRiepilogo::numero(int i) const
{
    return m_model->riga(i).numero;
}

QStringList TListaRiepilogo::righe() const
{
    QStringList testi;
    testi.reserve(count());
    for (int i = 0; i < count(); ++i)
        testi.append(testo(i));
    return testi;
}

int TListaRiepilogo::currentRow() const
{
    const QModelIndexList scelte = selectionModel()->selectedRows();
    return scelte.isEmpty() ? -1 : scelte.first().row();
}

void TListaRiepilogo::setCurrentRow(int i)
{
    if (i < 0 || i >= count())
        return;
    const QModelIndex indice = m_model->index(i);
    selectionModel()->setCurrentIndex(indice, QItemSelectionModel::ClearAndSelect);
    scrollTo(indice);
}

void TListaRiepilogo::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit doppioClic();
}
