#include "gui/output/ExportGrid.h"

#include <QHeaderView>
#include <QScrollBar>

TExportGrid::TExportGrid(QWidget* parent) : QTableView(parent), m_fissa(new QTableView(this))
{
    m_fissa->setObjectName(QStringLiteral("grdNumeri"));
    m_fissa->setFocusPolicy(Qt::NoFocus);
    // Drawn inside the grid's own frame, so that its rows line up with the grid's
    // (a style sheet giving the grid a border must leave this one without).
    m_fissa->setFrameShape(QFrame::NoFrame);
    m_fissa->verticalHeader()->hide();
    m_fissa->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_fissa->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_fissa->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_fissa->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    viewport()->stackUnder(m_fissa);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (section == 0) {
            m_fissa->setColumnWidth(0, size);
            posizionaColonnaFissa();
        }
    });
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_fissa->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(m_fissa->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
}

void TExportGrid::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
    m_fissa->setModel(model);
    m_fissa->setSelectionModel(selectionModel());
    soloPrimaColonna();
}

void TExportGrid::soloPrimaColonna()
{
    if (!model())
        return;
    for (int c = 1; c < model()->columnCount(); ++c)
        m_fissa->setColumnHidden(c, true);
    m_fissa->setColumnWidth(0, columnWidth(0));
    QHeaderView* righe = m_fissa->verticalHeader();
    righe->setMinimumSectionSize(verticalHeader()->minimumSectionSize());
    righe->setSectionResizeMode(QHeaderView::Fixed);
    righe->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    m_fissa->setAlternatingRowColors(alternatingRowColors());
    m_fissa->horizontalHeader()->setDefaultAlignment(horizontalHeader()->defaultAlignment());
    m_fissa->horizontalHeader()->setHighlightSections(horizontalHeader()->highlightSections());
    posizionaColonnaFissa();
}

void TExportGrid::posizionaColonnaFissa()
{
    m_fissa->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), columnWidth(0),
                         viewport()->height() + horizontalHeader()->height());
}

void TExportGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    posizionaColonnaFissa();
}

void TExportGrid::updateGeometries()
{
    QTableView::updateGeometries();
    posizionaColonnaFissa();
}

QModelIndex TExportGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = QTableView::moveCursor(cursorAction, modifiers);
    // Moving left must not leave the current cell hidden under the fixed column.
    if (cursorAction == MoveLeft && current.column() > 0
        && visualRect(current).topLeft().x() < m_fissa->columnWidth(0)) {
        const int sotto = visualRect(current).topLeft().x() - m_fissa->columnWidth(0);
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + sotto);
    }
    return current;
}

void TExportGrid::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (index.column() > 0)
        QTableView::scrollTo(index, hint);
}

void TExportGrid::confermaModifica()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}
