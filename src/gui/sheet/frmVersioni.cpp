#include "gui/sheet/frmVersioni.h"

#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTableWidget>

#include "core/archive/Archivio.h"
#include "core/photos/Photo.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/Hints.h"
#include "gui/widgets/ImageView.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/Panels.h"
#include "gui/widgets/PictureButton.h"

namespace {

const QColor kSlateBlue(0x6A, 0x5A, 0xCD);
const QColor kChanged(0xFF, 0xF3, 0x8A);

// The fields as the sheet and the attachments window call them.
QString caption(Campo field)
{
    switch (field) {
    case Campo::Nome: return QStringLiteral("Nome modellino");
    case Campo::Tipologia: return QStringLiteral("Tipologia");
    case Campo::Produttore: return QStringLiteral("Produttore");
    case Campo::Codice: return QStringLiteral("Codice prodotto");
    case Campo::Descrizione: return QStringLiteral("Descrizione");
    case Campo::Anno: return QStringLiteral("Anno produzione");
    case Campo::Valore: return QStringLiteral("Valore stimato");
    case Campo::Proprietario: return QStringLiteral("Proprietario");
    case Campo::Materiali: return QStringLiteral("Materiali");
    case Campo::Colori: return QStringLiteral("Colori");
    case Campo::Confezione: return QStringLiteral("Confezione");
    case Campo::Difetti: return QStringLiteral("Difetti");
    case Campo::Data: return QStringLiteral("Data acquisto");
    case Campo::Provenienza: return QStringLiteral("Provenienza");
    case Campo::Montaggio: return QStringLiteral("Montaggio");
    case Campo::Scala: return QStringLiteral("Scala");
    case Campo::Dimensioni: return QStringLiteral("Dimensioni");
    case Campo::Rarita: return QStringLiteral("Rarità");
    case Campo::Stato: return QStringLiteral("Stato conservazione");
    case Campo::Luogo: return QStringLiteral("Luogo conservazione");
    case Campo::Note: return QStringLiteral("Note");
    case Campo::InVendita: return QStringLiteral("In vendita");
    case Campo::File01: return QStringLiteral("Allegato 1");
    case Campo::File02: return QStringLiteral("Allegato 2");
    case Campo::File03: return QStringLiteral("Allegato 3");
    case Campo::Desc01: return QStringLiteral("Descrizione allegato 1");
    case Campo::Desc02: return QStringLiteral("Descrizione allegato 2");
    case Campo::Desc03: return QStringLiteral("Descrizione allegato 3");
    }
    return {};
}

QString kindText(CardHistory::Kind kind)
{
    switch (kind) {
    case CardHistory::Kind::Saved: return QStringLiteral("prima del salvataggio");
    case CardHistory::Kind::Added: return QStringLiteral("scheda inserita (prima non esisteva)");
    case CardHistory::Kind::Restored: return QStringLiteral("prima del ripristino");
    case CardHistory::Kind::Undone: return QStringLiteral("prima dell'annullamento");
    }
    return {};
}

} // namespace

QStringList TfrmVersioni::differingFields(const TScheda& version, const TScheda& current)
{
    QStringList fields;
    for (const DescrizioneCampo& field : Campi) {
        if (version.LeggiCampo(field.campo).trimmed() != current.LeggiCampo(field.campo).trimmed())
            fields << caption(field.campo);
    }
    return fields;
}

TfrmVersioni::TfrmVersioni(QWidget* owner, const QString& archivePath, qint32 card)
    : TFixedDialog(owner, QStringLiteral("frmVersioni"), QStringLiteral(" Versioni della scheda"), QSize(980, 640),
                   Look::steelBlue, Qt::white),
      m_archivePath(archivePath), m_card(card)
{
    QFrame* panel = Panels::background(this, QRect(12, 13, 956, 614));

    QFrame* toolbar = Panels::strip(panel, QStringLiteral("shpComandi"), QRect(8, 8, 940, 65));

    lblTitolo = new QLabel(QStringLiteral("VERSIONI DELLA SCHEDA N. %1").arg(card), panel);
    lblTitolo->setObjectName(QStringLiteral("lblTitolo"));
    lblTitolo->setFont(Look::verdana(14, true));
    lblTitolo->setStyleSheet(QStringLiteral("color: #12336e;"));
    lblTitolo->setGeometry(24, 14, 560, 52);

    cmdRipristina = new TPictureButton(QStringLiteral("cmdRipristina"), QStringLiteral(":/icons/restore.svg"),
                                       QStringLiteral("RIPRISTINA"), TPictureButton::Style::Captioned, panel);
    cmdRipristina->setGeometry(640, 15, 220, 50);
    cmdChiudi = new TPictureButton(QStringLiteral("cmdChiudi"), QStringLiteral(":/icons/exit.svg"), {},
                                   TPictureButton::Style::Picture, panel);
    cmdChiudi->setGeometry(902, 15, 40, 50);

    lstVersioni = new QListWidget(panel);
    lstVersioni->setObjectName(QStringLiteral("lstVersioni"));
    lstVersioni->setGeometry(8, 80, 300, 486);
    lstVersioni->setFont(Look::verdana(9));
    lstVersioni->setWordWrap(true);
    lstVersioni->setStyleSheet(QStringLiteral("QListWidget { background: white; border: 1px solid #87CEEB; }"
                                              "QListWidget::item { padding: 4px; border-bottom: 1px solid #d5dde8; }"
                                              "QListWidget::item:selected { background: #2a78d6; color: white; }"));

    grdCampi = new QTableWidget(NumeroCampi, 2, panel);
    grdCampi->setObjectName(QStringLiteral("grdCampi"));
    grdCampi->setGeometry(316, 80, 400, 486);
    grdCampi->setFont(Look::verdana(8));
    grdCampi->setHorizontalHeaderLabels({QStringLiteral("Campo"), QStringLiteral("Versione scelta")});
    grdCampi->verticalHeader()->hide();
    grdCampi->horizontalHeader()->setStretchLastSection(true);
    grdCampi->setColumnWidth(0, 150);
    grdCampi->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdCampi->setSelectionMode(QAbstractItemView::NoSelection);
    grdCampi->verticalHeader()->setDefaultSectionSize(17);
    for (int row = 0; row < NumeroCampi; ++row) {
        auto* name = new QTableWidgetItem(caption(Campi[size_t(row)].campo));
        name->setFont(Look::verdana(8, true));
        grdCampi->setItem(row, 0, name);
        grdCampi->setItem(row, 1, new QTableWidgetItem);
    }

    auto photoLabel = [&](const QString& text, int y) {
        auto* l = new QLabel(text, panel);
        l->setFont(Look::verdana(8, true));
        l->setStyleSheet(QStringLiteral("color: #12336e;"));
        l->setGeometry(724, y, 224, 16);
    };
    photoLabel(QStringLiteral("Foto A della versione"), 80);
    imgFotoA = new TImageView(QStringLiteral("imgFotoA"), panel);
    imgFotoA->setGeometry(724, 98, 224, 212);
    photoLabel(QStringLiteral("Foto B della versione"), 336);
    imgFotoB = new TImageView(QStringLiteral("imgFotoB"), panel);
    imgFotoB->setGeometry(724, 354, 224, 212);

    auto* statusBar = new QFrame(panel);
    statusBar->setObjectName(QStringLiteral("shpInfo"));
    statusBar->setGeometry(8, 574, 940, 32);
    statusBar->setStyleSheet(
        QStringLiteral("QFrame#shpInfo { background: %1; border-radius: 4px; }").arg(kSlateBlue.name()));
    panInfo = new QLabel(QStringLiteral("I campi evidenziati differiscono dalla scheda salvata in archivio."), panel);
    panInfo->setObjectName(QStringLiteral("panInfo"));
    panInfo->setFont(Look::tahoma(12));
    panInfo->setStyleSheet(QStringLiteral("QLabel#panInfo { color: white; background: transparent; }"));
    panInfo->setGeometry(14, 580, 928, 20);

    m_hints = new THints(panInfo, this);
    m_hints->addBackground(panel);
    m_hints->addBackground(toolbar);
    m_hints->addBackground(statusBar);
    m_hints->addCommand(cmdRipristina, QStringLiteral("Riporta la scheda alla versione scelta, foto comprese: il "
                                                      "ripristino si può annullare a sua volta."));
    m_hints->addCommand(cmdChiudi, QStringLiteral("Chiude la finestra delle versioni."));
    m_hints->addCommand(lstVersioni, QStringLiteral("Le versioni conservate della scheda, dalla più recente."));

    connect(lstVersioni, &QListWidget::currentRowChanged, this, &TfrmVersioni::lstVersioniChange);
    connect(cmdRipristina, &QAbstractButton::clicked, this, &TfrmVersioni::cmdRipristinaClick);
    connect(cmdChiudi, &QAbstractButton::clicked, this, &QDialog::reject);
    load();
}

void TfrmVersioni::load()
{
    lstVersioni->clear();
    m_versions.clear();
    try {
        TArchivio archive;
        archive.ApriArchivio(m_archivePath);
        m_current = archive.LeggiScheda(m_card);
        archive.ChiudiArchivio();
        m_versions = CardHistory::versions(m_archivePath, m_card);
    } catch (const EArchivioError& e) {
        FailureMessages::show(this, e.failure());
    }
    for (const CardHistory::TVersion& v : m_versions) {
        QString text = v.when.toString(QStringLiteral("dd/MM/yyyy  hh:mm:ss")) + QLatin1Char('\n') + kindText(v.kind);
        if (v.kind != CardHistory::Kind::Added) {
            TScheda record;
            record.ImpostaByte(v.record);
            const QStringList fields = differingFields(record, m_current);
            text += QLatin1Char('\n')
                    + (fields.isEmpty() ? QStringLiteral("Campi uguali alla scheda attuale")
                                        : QStringLiteral("Diversi: ") + fields.join(QStringLiteral(", ")));
        }
        auto* item = new QListWidgetItem(text, lstVersioni);
        if (v.kind == CardHistory::Kind::Added)
            item->setForeground(QColor(0x6B, 0x6B, 0x6B));
    }
    if (m_versions.empty())
        panInfo->setText(QStringLiteral("Nessuna versione precedente conservata per questa scheda."));
    lstVersioni->setCurrentRow(m_versions.empty() ? -1 : 0);
    lstVersioniChange();
}

void TfrmVersioni::lstVersioniChange()
{
    const int row = lstVersioni->currentRow();
    const bool chosen = row >= 0 && size_t(row) < m_versions.size();
    const CardHistory::TVersion* v = chosen ? &m_versions[size_t(row)] : nullptr;
    TScheda record;
    if (v && v->record.size() == TScheda::Dimensione)
        record.ImpostaByte(v->record);
    for (int r = 0; r < NumeroCampi; ++r) {
        const Campo field = Campi[size_t(r)].campo;
        const bool differs = v && record.LeggiCampo(field).trimmed() != m_current.LeggiCampo(field).trimmed();
        for (int c = 0; c < 2; ++c)
            grdCampi->item(r, c)->setBackground(differs ? QBrush(kChanged) : QBrush());
        grdCampi->item(r, 1)->setText(v ? record.LeggiCampo(field).trimmed() : QString());
    }
    imgFotoA->setPhoto(v && !v->photoA.isEmpty() ? TPhoto::fromFile(v->photoA) : TPhoto());
    imgFotoB->setPhoto(v && !v->photoB.isEmpty() ? TPhoto::fromFile(v->photoB) : TPhoto());
    // Cards are never taken out of an archive: before its first save a card
    // had nothing to go back to.
    cmdRipristina->setEnabled(v && v->kind != CardHistory::Kind::Added);
}

void TfrmVersioni::cmdRipristinaClick()
{
    const int row = lstVersioni->currentRow();
    if (row < 0 || size_t(row) >= m_versions.size() || m_versions[size_t(row)].kind == CardHistory::Kind::Added)
        return;
    bool photos = false;
    try {
        photos = CardHistory::restore(m_archivePath, m_card, m_versions[size_t(row)]);
    } catch (const EArchivioError& e) {
        FailureMessages::show(this, e.failure());
        return;
    }
    emit restored(m_card);
    QString message = QStringLiteral("La versione scelta è stata ripristinata. Anche il ripristino è conservato tra "
                                     "le versioni della scheda e può essere annullato.");
    if (!photos) {
        message += QStringLiteral("\r\n\r\nAttenzione: non è stato possibile ripristinare le foto della scheda "
                                  "nella cartella Foto_Modellini.");
        Dialogs::warning(this, message);
    } else {
        Dialogs::information(this, message);
    }
    accept();
}
