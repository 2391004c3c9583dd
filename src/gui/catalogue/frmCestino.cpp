#include "gui/catalogue/frmCestino.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>

#include "core/archive/Archivio.h"
#include "core/archive/Catalogue.h"
#include "core/formats/Text.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/Hints.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/Panels.h"
#include "gui/widgets/PictureButton.h"

namespace {

const QColor kSlateBlue(0x6A, 0x5A, 0xCD);

// A name the create window would accept: none of the characters it
// swallows, and a file name the folder can hold.
bool acceptableName(const QString& name)
{
    for (const QChar c : name)
        if (Catalogue::isRefusedCharacter(c))
            return false;
    return Catalogue::checkName(name) == Catalogue::NameCheck::Fine;
}

} // namespace

TfrmCestino::TfrmCestino(QWidget* owner)
    : TFixedDialog(owner, QStringLiteral("frmCestino"), QStringLiteral(" Cestino degli archivi eliminati"),
                   QSize(760, 520), Look::catalogueBlue, Qt::white)
{
    QFrame* panel = Panels::background(this, QRect(12, 13, 736, 494));

    QFrame* toolbar = Panels::strip(panel, QStringLiteral("shpComandi"), QRect(8, 8, 720, 65));

    lblTitolo = new QLabel(QStringLiteral("CESTINO DEGLI ARCHIVI ELIMINATI"), panel);
    lblTitolo->setObjectName(QStringLiteral("lblTitolo"));
    lblTitolo->setFont(Look::verdana(13, true));
    lblTitolo->setStyleSheet(QStringLiteral("color: #12336e;"));
    lblTitolo->setGeometry(24, 14, 420, 52);

    cmdChiudi = new TPictureButton(QStringLiteral("cmdChiudi"), QStringLiteral(":/icons/exit.svg"), {},
                                   TPictureButton::Style::Picture, panel);
    cmdChiudi->setGeometry(682, 15, 40, 50);

    lstCestino = new QListWidget(panel);
    lstCestino->setObjectName(QStringLiteral("lstCestino"));
    lstCestino->setGeometry(8, 80, 720, 310);
    lstCestino->setSelectionMode(QAbstractItemView::SingleSelection);
    lstCestino->setStyleSheet(QStringLiteral("QListWidget { background: white; border: 1px solid #87CEEB; }"
                                             "QListWidget::item { color: black; padding: 3px; }"
                                             "QListWidget::item:selected { background: #2a78d6; color: white; }"));

    cmdRipristina = new TPictureButton(QStringLiteral("cmdRipristina"), QStringLiteral(":/icons/restore.svg"),
                                       QStringLiteral("RIPRISTINA"), TPictureButton::Style::Captioned, panel);
    cmdRipristina->setGeometry(110, 400, 240, 50);
    cmdSvuota = new TPictureButton(QStringLiteral("cmdSvuota"), QStringLiteral(":/icons/trash.svg"),
                                   QStringLiteral("SVUOTA CESTINO"), TPictureButton::Style::Captioned, panel);
    cmdSvuota->setBodyColor(QColor(0x6B, 0x6B, 0x6B));
    cmdSvuota->setGeometry(386, 400, 240, 50);

    auto* statusBar = new QFrame(panel);
    statusBar->setObjectName(QStringLiteral("shpInfo"));
    statusBar->setGeometry(8, 456, 720, 30);
    statusBar->setStyleSheet(
        QStringLiteral("QFrame#shpInfo { background: %1; border-radius: 4px; }").arg(kSlateBlue.name()));
    panInfo = new QLabel(QStringLiteral("Gli archivi eliminati restano nel cestino finché non lo si svuota."), panel);
    panInfo->setObjectName(QStringLiteral("panInfo"));
    panInfo->setFont(Look::tahoma(11));
    panInfo->setStyleSheet(QStringLiteral("QLabel#panInfo { color: white; background: transparent; }"));
    panInfo->setGeometry(14, 461, 708, 20);

    m_hints = new THints(panInfo, this);
    m_hints->addBackground(panel);
    m_hints->addBackground(toolbar);
    m_hints->addBackground(statusBar);
    m_hints->addCommand(cmdRipristina, QStringLiteral("Riporta l'archivio scelto, con foto e allegati, tra gli "
                                                      "archivi di modellini."));
    m_hints->addCommand(cmdSvuota, QStringLiteral("Elimina per sempre tutti gli archivi del cestino."));
    m_hints->addCommand(cmdChiudi, QStringLiteral("Chiude il cestino."));

    connect(cmdRipristina, &QAbstractButton::clicked, this, &TfrmCestino::cmdRipristinaClick);
    connect(cmdSvuota, &QAbstractButton::clicked, this, &TfrmCestino::cmdSvuotaClick);
    connect(cmdChiudi, &QAbstractButton::clicked, this, &QDialog::reject);
    fillList();
}

void TfrmCestino::fillList()
{
    lstCestino->clear();
    m_deleted = CollectionBin::list();
    const QFont font = Look::courierNew(12);
    for (const CollectionBin::TDeleted& d : m_deleted) {
        auto* item = new QListWidgetItem(QStringLiteral("%1\n   eliminato il %2 alle %3 - %4 %5")
                                             .arg(d.name, d.deleted.toString(QStringLiteral("dd/MM/yyyy")),
                                                  d.deleted.toString(QStringLiteral("hh:mm")))
                                             .arg(d.cards)
                                             .arg(d.cards == 1 ? QStringLiteral("scheda") : QStringLiteral("schede")),
                                         lstCestino);
        item->setFont(font);
    }
}

void TfrmCestino::cmdRipristinaClick()
{
    const int row = lstCestino->currentRow();
    if (row < 0 || size_t(row) >= m_deleted.size() || !lstCestino->currentItem()->isSelected()) {
        Dialogs::warning(this, QStringLiteral("Attenzione: selezionare dall'elenco l'archivio da ripristinare."));
        return;
    }
    const CollectionBin::TDeleted deleted = m_deleted[size_t(row)];
    QString name = deleted.name;
    for (;;) {
        TFailure failure;
        const CollectionBin::RestoreResult result = CollectionBin::restore(deleted, name, &failure);
        if (result == CollectionBin::RestoreResult::Restored)
            break;
        if (result == CollectionBin::RestoreResult::Failed) {
            FailureMessages::show(this, failure);
            fillList();
            return;
        }
        // The name is taken: another is asked for, by the create window's rules.
        for (;;) {
            const QString asked = Dialogs::text(
                this, QStringLiteral("Ripristino archivio"),
                QStringLiteral("Esiste già un archivio di modellini chiamato %1. Indicare un altro nome per "
                               "l'archivio da ripristinare:")
                    .arg(name),
                name);
            if (asked.isNull())
                return;
            const QString typed = Text::trimmed(asked);
            if (typed.isEmpty()) {
                Dialogs::warning(this, QStringLiteral("Attenzione: per ripristinare l'archivio di modellini è "
                                                      "necessario indicarne il nome."));
                continue;
            }
            if (!acceptableName(typed)) {
                Dialogs::warning(this, QStringLiteral("Attenzione: il nome indicato non può essere usato per un "
                                                      "archivio di modellini."));
                continue;
            }
            name = typed;
            break;
        }
    }
    Dialogs::information(this,
                         QStringLiteral("L'archivio di modellini %1 è stato ripristinato con successo.").arg(name));
    fillList();
    emit restored();
}

void TfrmCestino::cmdSvuotaClick()
{
    if (m_deleted.empty()) {
        Dialogs::warning(this, QStringLiteral("Attenzione: il cestino è vuoto."));
        return;
    }
    if (!Dialogs::confirm(this, QStringLiteral("Si sta per svuotare il cestino. Gli archivi di modellini che "
                                               "contiene non potranno più essere recuperati.\r\n\r\nSi conferma lo "
                                               "svuotamento del cestino?")))
        return;
    TFailure failure;
    if (CollectionBin::empty(&failure))
        Dialogs::information(this, QStringLiteral("Il cestino è stato svuotato."));
    else
        FailureMessages::show(this, failure);
    fillList();
}
