#include "gui/output/frmExpCartoline.h"

#include <QAbstractTableModel>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QScrollBar>
#include <QShowEvent>

#include "gui/sheet/frmCartoline.h"
#include "gui/widgets/Banner.h"
#include "core/system/TMisc.h"
#include "gui/shell/GuideTexts.h"
#include "gui/shell/frmGuida.h"
#include "core/archive/Archivio.h"
#include "core/archive/ProgramFolder.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/Hints.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/PictureButton.h"
#include "gui/widgets/Pictures.h"

namespace {

constexpr int kRigheIniziali = 10;
constexpr int kAltezzaRiga = 21;
constexpr int kLarghezzaNumero = 60;

const QColor kSlateBlue(0x6A, 0x5A, 0xCD);

// Shows the wait cursor while the window is busy with a long task.
class CursoreAttesa {
public:
    CursoreAttesa() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CursoreAttesa() { QGuiApplication::restoreOverrideCursor(); }
    CursoreAttesa(const CursoreAttesa&) = delete;
    CursoreAttesa& operator=(const CursoreAttesa&) = delete;
};

} // namespace

// Grid column 0 is the card number; columns 1 to 22 are the exported ones.
class TModelloSchede : public QAbstractTableModel {
public:
    explicit TModelloSchede(QObject* parent) : QAbstractTableModel(parent)
    {
        m_tabella.Reimposta(kRigheIniziali);
    }

    const TTabellaSchede& tabella() const { return m_tabella; }

    // Refills from the archive; a failure stops silently with the rows read so far.
    void riempi(const QString& percorso)
    {
        beginResetModel();
        try {
            Esportazione::RiempiDaArchivio(m_tabella, percorso);
        } catch (const EArchivioError&) {
        }
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : m_tabella.Righe();
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : Esportazione::NumeroColonne + 1;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        const int riga = index.row();
        const int colonna = index.column();
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            if (colonna == 0)
                return riga < m_tabella.RigheRiempite() ? QString::number(riga + 1) : QString();
            return m_tabella.Testo(riga, colonna - 1);
        case Qt::TextAlignmentRole:
            return colonna == 0 ? QVariant(Qt::AlignCenter) : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::BackgroundRole:
            // The number column looks like the header: it is not data.
            return colonna == 0 ? QVariant(QGuiApplication::palette().button()) : QVariant();
        default:
            return {};
        }
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
            return false;
        m_tabella.ImpostaTesto(index.row(), index.column() - 1, value.toString());
        emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.column() > 0 && Esportazione::Colonne[size_t(index.column() - 1)].modificabile)
            f |= Qt::ItemIsEditable;
        return f;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
            || section > Esportazione::NumeroColonne)
            return QAbstractTableModel::headerData(section, orientation, role);
        if (section == 0)
            return QStringLiteral("N.");
        return QString::fromUtf8(Esportazione::Colonne[size_t(section - 1)].intestazione);
    }

private:
    TTabellaSchede m_tabella;
};

TGrigliaSchede::TGrigliaSchede(QWidget* parent) : QTableView(parent), m_fissa(new QTableView(this))
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

void TGrigliaSchede::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
    m_fissa->setModel(model);
    m_fissa->setSelectionModel(selectionModel());
    soloPrimaColonna();
}

void TGrigliaSchede::soloPrimaColonna()
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

void TGrigliaSchede::posizionaColonnaFissa()
{
    m_fissa->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), columnWidth(0),
                         viewport()->height() + horizontalHeader()->height());
}

void TGrigliaSchede::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    posizionaColonnaFissa();
}

void TGrigliaSchede::updateGeometries()
{
    QTableView::updateGeometries();
    posizionaColonnaFissa();
}

QModelIndex TGrigliaSchede::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
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

void TGrigliaSchede::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (index.column() > 0)
        QTableView::scrollTo(index, hint);
}

void TGrigliaSchede::confermaModifica()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

TfrmExpCartoline::TfrmExpCartoline(TfrmCartoline* frmCartoline)
    : TFixedDialog(frmCartoline, QStringLiteral("frmExpCartoline"),
                   QStringLiteral(" Esporta archivio modellini in Excel"), QSize(862, 560), Look::steelBlue,
                   Qt::white),
      m_frmCartoline(frmCartoline), m_modello(new TModelloSchede(this))
{
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("panSfondo"));
    panel->setGeometry(12, 13, 837, 533);
    panel->setStyleSheet(QStringLiteral("QFrame#panSfondo { background: rgba(255,255,255,110); border-radius: 12px; }"));

    auto* toolbar = new QFrame(panel);
    toolbar->setObjectName(QStringLiteral("shpComandi"));
    toolbar->setGeometry(8, 8, 821, 65);
    toolbar->setStyleSheet(QStringLiteral("QFrame#shpComandi { background: white; border-radius: 10px; }"));

    imgLogo = new TBanner(QStringLiteral("imgLogo"), QStringLiteral(":/pictures/export_banner.svg"),
                          {QStringLiteral("ESPORTAZIONE IN EXCEL")}, panel);
    imgLogo->setGeometry(13, 13, 505, 55);

    icoHand = new QLabel(panel);
    icoHand->setObjectName(QStringLiteral("icoHand"));
    icoHand->setGeometry(528, 32, 31, 25);
    icoHand->setPixmap(Pictures::pixmap(QStringLiteral(":/icons/hand.svg"), icoHand->size(), devicePixelRatioF()));

    cmdEsporta = new TPictureButton(QStringLiteral("cmdEsporta"), QStringLiteral(":/icons/export.svg"), {},
                                    TPictureButton::Style::Picture, panel);
    cmdEsporta->setGeometry(566, 15, 49, 50);
    cmdGuida = new TPictureButton(QStringLiteral("cmdGuida"), QStringLiteral(":/icons/question.svg"), {},
                                  TPictureButton::Style::Picture, panel);
    cmdGuida->setGeometry(670, 13, 50, 55);
    cmdEsci = new TPictureButton(QStringLiteral("cmdEsci"), QStringLiteral(":/icons/exit.svg"), {},
                                 TPictureButton::Style::Picture, panel);
    cmdEsci->setGeometry(766, 15, 40, 50);

    grdRecords = new TGrigliaSchede(panel);
    grdRecords->setObjectName(QStringLiteral("grdRecords"));
    grdRecords->setGeometry(8, 80, 821, 409);
    grdRecords->setFont(Look::tahoma(9));
    grdRecords->setAlternatingRowColors(true);
    grdRecords->setSelectionMode(QAbstractItemView::SingleSelection);
    grdRecords->setSelectionBehavior(QAbstractItemView::SelectItems);
    grdRecords->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                                | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    grdRecords->setWordWrap(false);
    grdRecords->setStyleSheet(QStringLiteral("QTableView { background: white; alternate-background-color: #EEF4FB;"
                                             " gridline-color: #C8D3DF; border: 1px solid #87CEEB; }"
                                             "QTableView#grdNumeri { border: none; }"));
    QHeaderView* righe = grdRecords->verticalHeader();
    righe->hide(); // the card number is column 0
    righe->setMinimumSectionSize(1);
    righe->setSectionResizeMode(QHeaderView::Fixed);
    righe->setDefaultSectionSize(kAltezzaRiga);
    QHeaderView* colonne = grdRecords->horizontalHeader();
    colonne->setHighlightSections(false);
    colonne->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    colonne->setMinimumSectionSize(1);
    // The model comes once rows and header are set up: the fixed number column takes them over.
    grdRecords->setModel(m_modello);
    grdRecords->setColumnWidth(0, kLarghezzaNumero);
    for (int c = 0; c < Esportazione::NumeroColonne; ++c)
        grdRecords->setColumnWidth(c + 1, Esportazione::Colonne[size_t(c)].larghezzaGriglia);

    auto* statusBar = new QFrame(panel);
    statusBar->setObjectName(QStringLiteral("shpInfo"));
    statusBar->setGeometry(8, 493, 821, 32);
    statusBar->setStyleSheet(QStringLiteral("QFrame#shpInfo { background: %1; border-radius: 4px; }")
                                 .arg(kSlateBlue.name()));
    panInfo = new QLabel(QStringLiteral("Esportazione archivio in Microsoft Excel."), panel);
    panInfo->setObjectName(QStringLiteral("panInfo"));
    panInfo->setFont(Look::tahoma(12));
    panInfo->setStyleSheet(QStringLiteral("QLabel#panInfo { color: white; background: transparent; }"));
    panInfo->setGeometry(14, 499, 809, 20);

    connect(cmdEsporta, &QAbstractButton::clicked, this, &TfrmExpCartoline::cmdEsportaClick);
    connect(cmdGuida, &QAbstractButton::clicked, this, &TfrmExpCartoline::cmdGuidaClick);
    connect(cmdEsci, &QAbstractButton::clicked, this, &TfrmExpCartoline::cmdEsciClick);

    buildHints(panel, toolbar, statusBar);
}

void TfrmExpCartoline::buildHints(QWidget* panel, QFrame* toolbar, QFrame* statusBar)
{
    m_hints = new THints(panInfo, this);
    m_hints->addCommand(cmdEsporta, QStringLiteral("Esporta l'archivio in formato Microsoft Excel."));
    m_hints->addCommand(cmdGuida, QStringLiteral("Visualizza la pagina della guida sensibile al contesto."));
    m_hints->addCommand(cmdEsci, QStringLiteral("Esci da questo ambiente di lavoro."));
    for (QWidget* background : {static_cast<QWidget*>(this), panel, static_cast<QWidget*>(toolbar),
                                static_cast<QWidget*>(grdRecords), grdRecords->viewport(),
                                static_cast<QWidget*>(grdRecords->horizontalHeader()),
                                grdRecords->horizontalHeader()->viewport(),
                                static_cast<QWidget*>(grdRecords->colonnaFissa()),
                                grdRecords->colonnaFissa()->viewport(),
                                grdRecords->colonnaFissa()->horizontalHeader()->viewport(),
                                static_cast<QWidget*>(statusBar), static_cast<QWidget*>(panInfo)})
        m_hints->addBackground(background);
    // The pictures on the toolbar are not targets of their own: the pointer's
    // moves over them belong to the toolbar behind.
    imgLogo->setAttribute(Qt::WA_TransparentForMouseEvents);
    icoHand->setAttribute(Qt::WA_TransparentForMouseEvents);
}

const TTabellaSchede& TfrmExpCartoline::tabella() const
{
    return m_modello->tabella();
}

void TfrmExpCartoline::showEvent(QShowEvent* event)
{
    TFixedDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmExpCartoline::FormShow()
{
    CursoreAttesa attesa;
    m_modello->riempi(ProgramFolder::trimmed(m_frmCartoline->lblFile->text()));
}

void TfrmExpCartoline::cmdEsportaClick()
{
    grdRecords->confermaModifica(); // a cell being typed is part of what the grid holds
    if (!Dialogs::confirm(this, QStringLiteral("L'esportazione dei dati in Excel può richiedere diversi minuti a "
                                               "seconda del numero di schede presenti in archivio.\r\n\r\n"
                                               "Si vuole esportare i dati adesso?")))
        return;
    const QString percorso = Esportazione::Percorso();
    bool scritto = false;
    {
        CursoreAttesa attesa;
        scritto = Esportazione::ScriviFile(percorso, m_modello->tabella());
    }
    if (!scritto) {
        Dialogs::plain(this, QStringLiteral("Attenzione: il sistema non permette di esportare i dati.\n\r\n\r"
                                            "Accertarsi che il file di Excel non sia già aperto."));
        return;
    }
    if (Dialogs::confirm(this, QStringLiteral("Le schede in archivio sono state esportate con successo.\r\n\r\n"
                                              "Si vuole aprire il file di Excel?")))
        TMisc::Open(QLatin1Char('"') + percorso + QLatin1Char('"'));
}

void TfrmExpCartoline::cmdGuidaClick()
{
    TfrmGuida::showGuide(this, GuideTexts::exportWindow());
}

void TfrmExpCartoline::cmdEsciClick()
{
    close();
}
