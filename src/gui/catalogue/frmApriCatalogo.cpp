#include "gui/catalogue/frmApriCatalogo.h"

#include <QLabel>
#include <QListWidget>

#include "core/archive/Catalogue.h"
#include "core/archive/ProgramFolder.h"
#include "core/formats/Text.h"
#include "core/history/CollectionBin.h"
#include "gui/catalogue/Instructions.h"
#include "gui/catalogue/frmCestino.h"
#include "gui/help/GuideTexts.h"
#include "gui/help/frmGuida.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/Keys.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/PictureButton.h"

TfrmApriCatalogo::TfrmApriCatalogo(QWidget* parent)
    : TGradientWindow(Look::catalogueBlue, Qt::white, QSize(995, 692), parent)
{
    setObjectName(QStringLiteral("frmApriCatalogo"));
    setWindowTitle(QStringLiteral(" Miniarca Pro - Apertura archivio modellini"));
    setProperty("maximised", true);
    QWidget* p = panel();

    icoIstruzioni = makeInstructions(
        p, QStringLiteral("APERTURA ARCHIVIO MODELLINI"),
        {QStringLiteral("Selezionare l'archivio di interesse nell'elenco sottostante e premere il pulsante Apri "
                        "archivio."),
         QStringLiteral("Fare clic sull'icona del cestino per eliminare l'archivio di modellini selezionato."),
         QStringLiteral("Premere Annulla per uscire da questa schermata senza aprire un archivio di modellini.")});
    icoIstruzioni->setGeometry(40, 20, 915, 220);

    imgGuida = new TPictureButton(QStringLiteral("imgGuida"), QStringLiteral(":/icons/help.svg"), {},
                                  TPictureButton::Style::Picture, p);
    imgGuida->setGeometry(897, 32, 44, 44);

    lstFiles = new QListWidget(p);
    lstFiles->setObjectName(QStringLiteral("lstFiles"));
    lstFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    lstFiles->setSortingEnabled(true);
    lstFiles->setGeometry(120, 258, 755, 290);
    lstFiles->setStyleSheet(QStringLiteral("QListWidget { background: white; border: 1px solid #87CEEB; }"
                                           "QListWidget::item { color: black; }"));

    lblCreati = new QLabel(QStringLiteral("Sono stati creati 0 archivi di modellini."), p);
    lblCreati->setObjectName(QStringLiteral("lblCreati"));
    lblCreati->setFont(Look::verdana(12));
    lblCreati->setStyleSheet(QStringLiteral("color: green;"));
    lblCreati->setGeometry(120, 556, 755, 28);

    btnApri = new TPictureButton(QStringLiteral("btnApri"), QStringLiteral(":/icons/folder.svg"),
                                 QStringLiteral("APRI ARCHIVIO"), TPictureButton::Style::Captioned, p);
    btnApri->setGeometry(160, 606, 260, 56);
    btnElimina = new TPictureButton(QStringLiteral("btnElimina"), QStringLiteral(":/icons/trash.svg"), {},
                                    TPictureButton::Style::Picture, p);
    btnElimina->setGeometry(462, 600, 68, 68);
    // Deleted collections wait in the bin until it is emptied.
    cmdCestino = new TPictureButton(QStringLiteral("cmdCestino"), QStringLiteral(":/icons/bin.svg"),
                                    QStringLiteral("Cestino"), TPictureButton::Style::Flat, p);
    cmdCestino->setFont(Look::verdana(8));
    cmdCestino->setGeometry(885, 470, 80, 78);
    btnAnnulla = new TPictureButton(QStringLiteral("btnAnnulla"), QStringLiteral(":/icons/close_red.svg"),
                                    QStringLiteral("ANNULLA"), TPictureButton::Style::Captioned, p);
    btnAnnulla->setBodyColor(QColor(0x6B, 0x6B, 0x6B));
    btnAnnulla->setGeometry(572, 606, 260, 56);

    lblFile = new QLabel(p);
    lblFile->setObjectName(QStringLiteral("lblFile"));
    lblFile->hide();
    lblMemory = new QLabel(p);
    lblMemory->setObjectName(QStringLiteral("lblMemory"));
    lblMemory->hide();

    connect(btnApri, &QAbstractButton::clicked, this, &TfrmApriCatalogo::btnApriClick);
    connect(btnElimina, &QAbstractButton::clicked, this, &TfrmApriCatalogo::btnEliminaClick);
    connect(cmdCestino, &QAbstractButton::clicked, this, &TfrmApriCatalogo::cmdCestinoClick);
    connect(btnAnnulla, &QAbstractButton::clicked, this, &QWidget::close);
    connect(imgGuida, &QAbstractButton::clicked, this, &TfrmApriCatalogo::imgGuidaClick);
    Keys::bind(this, QKeySequence::HelpContents, imgGuida);
    imgGuida->setAccessibleName(QStringLiteral("Guida"));
    btnElimina->setAccessibleName(QStringLiteral("Elimina l'archivio selezionato"));
    lstFiles->setAccessibleName(QStringLiteral("Archivi di modellini"));
}

QString TfrmApriCatalogo::countLine(int count)
{
    return QStringLiteral("Sono stati creati %1 archivi di modellini.").arg(count);
}

void TfrmApriCatalogo::fillList()
{
    lstFiles->clear();
    const QStringList names = Catalogue::list();
    const QFont entryFont = Look::courierNew(14);
    for (const QString& name : names) {
        auto* item = new QListWidgetItem(name);
        item->setFont(entryFont);
        item->setForeground(Qt::black);
        lstFiles->addItem(item);
    }
}

void TfrmApriCatalogo::setNext(Next next)
{
    m_next = next;
    lblMemory->setText(next == Next::Avvio ? QStringLiteral("avvio") : QStringLiteral("cartoline"));
}

void TfrmApriCatalogo::FormShow()
{
    setNext(Next::Avvio);
    lblFile->setText(ProgramFolder::path());
    fillList();
    if (lstFiles->count() > 0)
        lblCreati->setText(countLine(lstFiles->count()));
}

void TfrmApriCatalogo::btnApriClick()
{
    if (lstFiles->count() == 0) {
        Dialogs::warning(this, QStringLiteral("Attenzione: l'elenco non contiene nessun archivio."));
        return;
    }
    if (!lstFiles->currentItem() || !lstFiles->currentItem()->isSelected()) {
        Dialogs::warning(this, QStringLiteral("Attenzione: selezionare l'archivio di modellini dall'elenco prima di "
                                              "premere il pulsante Apri archivio."));
        return;
    }
    lblFile->setText(ProgramFolder::path() + Text::trimmed(lstFiles->currentItem()->text()));
    setNext(Next::Cartoline);
    close();
}

void TfrmApriCatalogo::FormClose()
{
    if (m_next == Next::Avvio) {
        emit closed();
        return;
    }
    const QString entry = lstFiles->currentItem() ? lstFiles->currentItem()->text() : QString();
    const QString path = ProgramFolder::path() + Text::trimmed(entry);
    lblFile->setText(path);
    emit archiveChosen(Text::trimmed(path), Catalogue::nameOfEntry(entry));
}

void TfrmApriCatalogo::btnEliminaClick()
{
    if (lstFiles->count() == 0) {
        Dialogs::warning(this, QStringLiteral("Attenzione: l'elenco non contiene nessun archivio di modellini."));
        return;
    }
    if (!lstFiles->currentItem() || !lstFiles->currentItem()->isSelected()) {
        Dialogs::warning(this, QStringLiteral("Attenzione: selezionare dall'elenco l'archivio da eliminare prima di "
                                              "premere il pulsante del cestino."));
        return;
    }
    if (!Dialogs::confirm(this, QStringLiteral("Si sta per eliminare l'archivio di modellini selezionato. Si ricorda "
                                               "che il file eliminato non potrà essere recuperato.\r\n\r\nSi conferma "
                                               "l'eliminazione dell'archivio?")))
        return;
    lblFile->setText(ProgramFolder::path() + Text::trimmed(lstFiles->currentItem()->text()));
    // The collection goes whole into the bin, from where it can come back.
    TFailure failure;
    if (CollectionBin::moveToBin(Catalogue::nameOfEntry(Text::trimmed(lstFiles->currentItem()->text())), &failure))
        Dialogs::information(this, QStringLiteral("L'archivio di modellini è stato eliminato con successo."));
    else
        FailureMessages::log(failure);
    setNext(Next::Avvio);
    lblFile->clear();
    fillList();
    lblCreati->setText(countLine(lstFiles->count()));
}

void TfrmApriCatalogo::cmdCestinoClick()
{
    TfrmCestino frmCestino(this);
    connect(&frmCestino, &TfrmCestino::restored, this, [this] {
        fillList();
        lblCreati->setText(countLine(lstFiles->count()));
    });
    frmCestino.exec();
}

void TfrmApriCatalogo::imgGuidaClick()
{
    TfrmGuida::showGuide(this, GuideTexts::catalogue());
}
