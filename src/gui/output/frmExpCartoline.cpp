#include "gui/output/frmExpCartoline.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QScrollBar>
#include <QShowEvent>

#include "core/archive/Archivio.h"
#include "core/formats/Text.h"
#include "core/system/TMisc.h"
#include "gui/help/GuideTexts.h"
#include "gui/help/frmGuida.h"
#include "gui/output/ExportGrid.h"
#include "gui/output/ExportModel.h"
#include "gui/widgets/Accessibility.h"
#include "gui/widgets/Banner.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/Hints.h"
#include "gui/widgets/Keys.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/Panels.h"
#include "gui/widgets/PictureButton.h"
#include "gui/widgets/Pictures.h"

namespace {

constexpr int kRowHeight = 21;
constexpr int kNumberWidth = 60;

const QColor kSlateBlue(0x6A, 0x5A, 0xCD);

// Shows the wait cursor while the window is busy with a long task.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

TfrmExpCartoline::TfrmExpCartoline(QWidget* owner, const QString& archivePath)
    : TFixedDialog(owner, QStringLiteral("frmExpCartoline"), QStringLiteral(" Esporta archivio modellini in Excel"),
                   QSize(862, 560), Look::steelBlue, Qt::white),
      m_archivePath(Text::trimmed(archivePath)), m_model(new TExportModel(this))
{
    QFrame* panel = Panels::background(this, QRect(12, 13, 837, 533));

    QFrame* toolbar = Panels::strip(panel, QStringLiteral("shpComandi"), QRect(8, 8, 821, 65));

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

    grdRecords = new TExportGrid(panel);
    grdRecords->setObjectName(QStringLiteral("grdRecords"));
    grdRecords->setAccessibleName(QStringLiteral("Schede dell'archivio"));
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
    QHeaderView* rows = grdRecords->verticalHeader();
    rows->hide(); // the card number is column 0
    rows->setMinimumSectionSize(1);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(kRowHeight);
    QHeaderView* columns = grdRecords->horizontalHeader();
    columns->setHighlightSections(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setMinimumSectionSize(1);
    // The model comes once rows and header are set up: the fixed number column takes them over.
    grdRecords->setModel(m_model);
    grdRecords->setColumnWidth(0, kNumberWidth);
    for (int c = 0; c < Esportazione::NumeroColonne; ++c)
        grdRecords->setColumnWidth(c + 1, Esportazione::Colonne[size_t(c)].larghezzaGriglia);

    auto* statusBar = new QFrame(panel);
    statusBar->setObjectName(QStringLiteral("shpInfo"));
    statusBar->setGeometry(8, 493, 821, 32);
    statusBar->setStyleSheet(
        QStringLiteral("QFrame#shpInfo { background: %1; border-radius: 4px; }").arg(kSlateBlue.name()));
    panInfo = new TStatusLine(QStringLiteral("Esportazione archivio in Microsoft Excel."), panel);
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
    Keys::bind(this, QKeySequence::HelpContents, cmdGuida, m_hints);
    m_hints->addCommand(cmdEsci, QStringLiteral("Esci da questo ambiente di lavoro."));
    for (QWidget* background :
         {static_cast<QWidget*>(this), panel, static_cast<QWidget*>(toolbar), static_cast<QWidget*>(grdRecords),
          grdRecords->viewport(), static_cast<QWidget*>(grdRecords->horizontalHeader()),
          grdRecords->horizontalHeader()->viewport(), static_cast<QWidget*>(grdRecords->frozenColumn()),
          grdRecords->frozenColumn()->viewport(), grdRecords->frozenColumn()->horizontalHeader()->viewport(),
          static_cast<QWidget*>(statusBar), static_cast<QWidget*>(panInfo)})
        m_hints->addBackground(background);
    // The pictures on the toolbar are not targets of their own: the pointer's
    // moves over them belong to the toolbar behind.
    imgLogo->setAttribute(Qt::WA_TransparentForMouseEvents);
    icoHand->setAttribute(Qt::WA_TransparentForMouseEvents);
}

const TTabellaSchede& TfrmExpCartoline::table() const
{
    return m_model->table();
}

void TfrmExpCartoline::showEvent(QShowEvent* event)
{
    TFixedDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmExpCartoline::FormShow()
{
    WaitCursor waiting;
    m_model->fill(m_archivePath);
}

void TfrmExpCartoline::cmdEsportaClick()
{
    grdRecords->commitEdit(); // a cell being typed is part of what the grid holds
    if (!Dialogs::confirm(this, QStringLiteral("L'esportazione dei dati in Excel può richiedere diversi minuti a "
                                               "seconda del numero di schede presenti in archivio.\r\n\r\n"
                                               "Si vuole esportare i dati adesso?")))
        return;
    const QString path = Esportazione::Percorso();
    bool written = false;
    TFailure failure;
    {
        WaitCursor waiting;
        written = Esportazione::ScriviFile(path, m_model->table(), &failure);
    }
    if (!written) {
        FailureMessages::show(this, failure, Dialogs::Kind::Plain);
        return;
    }
    if (Dialogs::confirm(this, QStringLiteral("Le schede in archivio sono state esportate con successo.\r\n\r\n"
                                              "Si vuole aprire il file di Excel?")))
        TMisc::Open(QLatin1Char('"') + path + QLatin1Char('"'));
}

void TfrmExpCartoline::cmdGuidaClick()
{
    TfrmGuida::showGuide(this, GuideTexts::exportWindow());
}

void TfrmExpCartoline::cmdEsciClick()
{
    close();
}
