#include "gui/output/ExportGrid.h"

#include <QHeaderView>
#include <QScrollBar>

TExportGrid::TExportGrid(QWidget* parent) : QTableView(parent), m_frozen(new QTableView(this))
{
    m_frozen->setObjectName(QStringLiteral("grdNumeri"));
    m_frozen->setFocusPolicy(Qt::NoFocus);
    // Drawn inside the grid's own frame, so that its rows line up with the grid's
    // (a style sheet giving the grid a border must leave this one without).
    m_frozen->setFrameShape(QFrame::NoFrame);
    m_frozen->verticalHeader()->hide();
    m_frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_frozen->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    viewport()->stackUnder(m_frozen);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (section == 0) {
            m_frozen->setColumnWidth(0, size);
            placeFrozenColumn();
        }
    });
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_frozen->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(m_frozen->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
}

void TExportGrid::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
    m_frozen->setModel(model);
    m_frozen->setSelectionModel(selectionModel());
    showFirstColumnOnly();
}

void TExportGrid::showFirstColumnOnly()
{
    if (!model())
        return;
    for (int c = 1; c < model()->columnCount(); ++c)
        m_frozen->setColumnHidden(c, true);
    m_frozen->setColumnWidth(0, columnWidth(0));
    QHeaderView* rows = m_frozen->verticalHeader();
    rows->setMinimumSectionSize(verticalHeader()->minimumSectionSize());
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    m_frozen->setAlternatingRowColors(alternatingRowColors());
    m_frozen->horizontalHeader()->setDefaultAlignment(horizontalHeader()->defaultAlignment());
    m_frozen->horizontalHeader()->setHighlightSections(horizontalHeader()->highlightSections());
    placeFrozenColumn();
}

void TExportGrid::placeFrozenColumn()
{
    m_frozen->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), columnWidth(0),
                          viewport()->height() + horizontalHeader()->height());
}

void TExportGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    placeFrozenColumn();
}

void TExportGrid::updateGeometries()
{
    QTableView::updateGeometries();
    placeFrozenColumn();
}

QModelIndex TExportGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = QTableView::moveCursor(cursorAction, modifiers);
    // Moving left must not leave the current cell hidden under the fixed column.
    if (cursorAction == MoveLeft && current.column() > 0
        && visualRect(current).topLeft().x() < m_frozen->columnWidth(0)) {
        const int hidden = visualRect(current).topLeft().x() - m_frozen->columnWidth(0);
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + hidden);
    }
    return current;
}

void TExportGrid::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (index.column() > 0)
        QTableView::scrollTo(index, hint);
}

void TExportGrid::commitEdit()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}
