// The record sheet's controls: the two command bars, the fields of the card
// and the hints of the status line. What they do is in frmCartoline.cpp.
#include "gui/sheet/frmCartoline.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>

#include "core/archive/Scheda.h"
#include "gui/widgets/Accessibility.h"
#include "gui/widgets/Hints.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/PictureButton.h"

namespace {

// Placement of one edit field on the panel, row by row as the card reads.
struct FieldPlacement {
    const char* name;
    const char* caption;
    Campo recordField;
    int maxLength;
    Qt::Alignment alignment;
    int row;
    int x; // from the left of the field area
    int width;
};

constexpr int kAreaX = 462;
constexpr int kAreaWidth = 525;
constexpr int kFirstRowY = 112;
constexpr int kRowHeight = 48;

const FieldPlacement kFields[] = {
    {"txtNome", "Nome modellino:", Campo::Nome, 120, Qt::AlignLeft, 0, 0, 320},
    {"txtTipologia", "Tipologia:", Campo::Tipologia, 50, Qt::AlignLeft, 0, 330, 195},
    {"txtProduttore", "Produttore:", Campo::Produttore, 50, Qt::AlignLeft, 1, 0, 320},
    {"txtCodice", "Codice prodotto:", Campo::Codice, 50, Qt::AlignLeft, 1, 330, 195},
    {"txtDescrizione", "Descrizione:", Campo::Descrizione, 250, Qt::AlignLeft, 2, 0, 525},
    {"txtAnno", "Anno produzione:", Campo::Anno, 4, Qt::AlignCenter, 3, 0, 130},
    {"txtValore", "Valore stimato: €", Campo::Valore, 12, Qt::AlignRight, 3, 140, 150},
    {"txtProprietario", "Proprietario:", Campo::Proprietario, 120, Qt::AlignLeft, 3, 300, 225},
    {"txtMateriali", "Materiali:", Campo::Materiali, 120, Qt::AlignLeft, 4, 0, 320},
    {"txtColori", "Colori:", Campo::Colori, 50, Qt::AlignLeft, 4, 330, 195},
    {"txtConfezione", "Confezione:", Campo::Confezione, 120, Qt::AlignLeft, 5, 0, 260},
    {"txtDifetti", "Difetti:", Campo::Difetti, 120, Qt::AlignLeft, 5, 270, 255},
    {"txtData", "Data acquisto:", Campo::Data, 10, Qt::AlignCenter, 6, 0, 150},
    {"txtProvenienza", "Provenienza:", Campo::Provenienza, 120, Qt::AlignLeft, 6, 160, 365},
    {"txtMontaggio", "Montaggio:", Campo::Montaggio, 250, Qt::AlignLeft, 7, 0, 525},
    {"txtScala", "Scala:", Campo::Scala, 20, Qt::AlignCenter, 8, 0, 110},
    {"txtDimensioni", "Dimensioni:", Campo::Dimensioni, 50, Qt::AlignLeft, 8, 120, 200},
    {"txtRarita", "Rarità:", Campo::Rarita, 50, Qt::AlignLeft, 8, 330, 195},
    {"txtStato", "Stato conservazione:", Campo::Stato, 50, Qt::AlignLeft, 9, 0, 260},
    {"txtLuogo", "Luogo conservazione:", Campo::Luogo, 50, Qt::AlignLeft, 9, 270, 255},
    {"txtNote", "Note:", Campo::Note, 250, Qt::AlignLeft, 10, 50, 340},
};

} // namespace

void TfrmCartoline::buildCommandBar(QWidget* p)
{
    auto* bar = new QFrame(p);
    bar->setObjectName(QStringLiteral("shpComandi"));
    bar->setGeometry(0, 0, 995, 66);
    bar->setStyleSheet(QStringLiteral("QFrame#shpComandi { background: rgba(255,255,255,215); border-radius: 10px; }"));
    m_commandBar = bar;

    struct Command {
        TPictureButton** member;
        const char* name;
        const char* icon;
        const char* caption;
        int width;
    };
    const Command commands[] = {
        {&cmdNuovo, "cmdNuovo", "new", "Nuovo", 58},
        {&cmdSalva, "cmdSalva", "save", "Salva", 58},
        {&cmdTrova, "cmdTrova", "find", "Trova", 58},
        {&cmdCercaDisponibili, "cmdCercaDisponibili", "forsale", "In vendita", 66},
        {&cmdFile, "cmdFile", "attach", "Allegati", 74},
        {&cmdAnteprima, "cmdAnteprima", "preview", "Anteprima", 66},
        {&cmdStampa, "cmdStampa", "print", "Stampa", 74},
        {&cmdPrimo, "cmdPrimo", "first", "Prima", 52},
        {&cmdIndietro, "cmdIndietro", "prev", "Indietro", 58},
        {nullptr, nullptr, nullptr, nullptr, 64}, // lblPosizione
        {&cmdAvanti, "cmdAvanti", "next", "Avanti", 58},
        {&cmdUltimo, "cmdUltimo", "last", "Ultima", 52},
        {&cmdEsporta, "cmdEsporta", "export", "Esporta", 62},
        {&cmdSlideShow, "cmdSlideShow", "slideshow", "Slide show", 70},
        {&cmdGuida, "cmdGuida", "help", "Guida", 52},
        {&cmdEsci, "cmdEsci", "exit", "Esci", 52},
    };
    int x = 8;
    for (const Command& c : commands) {
        if (!c.member) {
            lblPosizione = new QLabel(bar);
            lblPosizione->setObjectName(QStringLiteral("lblPosizione"));
            lblPosizione->setAlignment(Qt::AlignCenter);
            lblPosizione->setFont(Look::verdana(14, true));
            lblPosizione->setStyleSheet(QStringLiteral("color: #1F3A5F;"));
            lblPosizione->setGeometry(x, 8, c.width, 50);
        } else {
            auto* button = new TPictureButton(QString::fromLatin1(c.name),
                                              QStringLiteral(":/icons/%1.svg").arg(QLatin1String(c.icon)),
                                              QString::fromUtf8(c.caption), TPictureButton::Style::Flat, bar);
            button->setFont(Look::verdana(7));
            button->setGeometry(x, 4, c.width - 2, 58);
            *c.member = button;
        }
        x += c.width;
    }

    connect(cmdNuovo, &QAbstractButton::clicked, this, &TfrmCartoline::cmdNuovoClick);
    connect(cmdSalva, &QAbstractButton::clicked, this, &TfrmCartoline::cmdSalvaClick);
    connect(cmdTrova, &QAbstractButton::clicked, this, &TfrmCartoline::cmdTrovaClick);
    connect(cmdCercaDisponibili, &QAbstractButton::clicked, this, &TfrmCartoline::cmdCercaDisponibiliClick);
    connect(cmdFile, &QAbstractButton::clicked, this, &TfrmCartoline::cmdFileClick);
    connect(cmdAnteprima, &QAbstractButton::clicked, this, &TfrmCartoline::cmdAnteprimaClick);
    connect(cmdStampa, &QAbstractButton::clicked, this, &TfrmCartoline::cmdStampaClick);
    connect(cmdPrimo, &QAbstractButton::clicked, this, &TfrmCartoline::cmdPrimoClick);
    connect(cmdIndietro, &QAbstractButton::clicked, this, &TfrmCartoline::cmdIndietroClick);
    connect(cmdAvanti, &QAbstractButton::clicked, this, &TfrmCartoline::cmdAvantiClick);
    connect(cmdUltimo, &QAbstractButton::clicked, this, &TfrmCartoline::cmdUltimoClick);
    connect(cmdEsporta, &QAbstractButton::clicked, this, &TfrmCartoline::cmdEsportaClick);
    connect(cmdSlideShow, &QAbstractButton::clicked, this, &TfrmCartoline::cmdSlideShowClick);
    connect(cmdGuida, &QAbstractButton::clicked, this, &TfrmCartoline::cmdGuidaClick);
    connect(cmdEsci, &QAbstractButton::clicked, this, &TfrmCartoline::cmdEsciClick);
}

void TfrmCartoline::buildSecondCommandBar(QWidget* p)
{
    // Under photo B, in the left column's free strip; the first bar's look,
    // a little lower so that it fits above the status line.
    auto* bar = new QFrame(p);
    bar->setObjectName(QStringLiteral("shpComandi2"));
    bar->setGeometry(22, 632, 422, 58);
    bar->setStyleSheet(
        QStringLiteral("QFrame#shpComandi2 { background: rgba(255,255,255,215); border-radius: 10px; }"));
    m_secondBar = bar;
    m_hints->addBackground(bar);
    // Each command of the sheet's own is added here, left to right.
    cmdImporta = addSheetCommand(QStringLiteral("cmdImporta"), QStringLiteral("import"), QStringLiteral("Importa"),
                                 QStringLiteral("Aggiunge all'archivio le schede di un foglio di calcolo o di un file "
                                                "CSV."),
                                 80);
    connect(cmdImporta, &QAbstractButton::clicked, this, &TfrmCartoline::cmdImportaClick);
    cmdGalleria = addSheetCommand(QStringLiteral("cmdGalleria"), QStringLiteral("gallery"), QStringLiteral("Galleria"),
                                  QStringLiteral("Mostra le foto di tutti i modellini dell'archivio."), 80);
    connect(cmdGalleria, &QAbstractButton::clicked, this, &TfrmCartoline::cmdGalleriaClick);
    cmdStatistiche = addSheetCommand(QStringLiteral("cmdStatistiche"), QStringLiteral("statistics"),
                                     QStringLiteral("Statistiche"),
                                     QStringLiteral("Valore e composizione della collezione, con i grafici."), 80);
    connect(cmdStatistiche, &QAbstractButton::clicked, this, &TfrmCartoline::cmdStatisticheClick);
    cmdVersioni = addSheetCommand(QStringLiteral("cmdVersioni"), QStringLiteral("versions"), QStringLiteral("Versioni"),
                                  QStringLiteral("Le versioni precedenti della scheda, da rivedere e ripristinare."),
                                  80);
    connect(cmdVersioni, &QAbstractButton::clicked, this, &TfrmCartoline::cmdVersioniClick);
    cmdDuplica = addSheetCommand(
        QStringLiteral("cmdDuplica"), QStringLiteral("duplicate"), QStringLiteral("Duplica"),
        QStringLiteral("Crea una nuova scheda uguale a quella corrente, da completare e salvare."), 80);
    connect(cmdDuplica, &QAbstractButton::clicked, this, &TfrmCartoline::cmdDuplicaClick);
    bar->setVisible(!bar->findChildren<TPictureButton*>().isEmpty());
}

TPictureButton* TfrmCartoline::addSheetCommand(const QString& name, const QString& icon, const QString& caption,
                                               const QString& hint, int width)
{
    auto* button = new TPictureButton(name, QStringLiteral(":/icons/%1.svg").arg(icon), caption,
                                      TPictureButton::Style::Flat, m_secondBar);
    button->setFont(Look::verdana(7));
    button->setGeometry(m_secondBarX, 2, width - 2, 54);
    m_secondBarX += width;
    m_hints->addCommand(button, hint);
    return button;
}

void TfrmCartoline::buildFields(QWidget* p)
{
    auto* area = new QFrame(p);
    area->setObjectName(QStringLiteral("shpCampi"));
    area->setGeometry(kAreaX - 8, 74, kAreaWidth + 16, kFirstRowY + 11 * kRowHeight - 74 + 4);
    area->setStyleSheet(QStringLiteral("QFrame#shpCampi { background: rgba(255,255,255,150); border-radius: 10px; }"));
    area->lower();
    m_fieldArea = area;

    lblNome = new QLabel(p);
    lblNome->setObjectName(QStringLiteral("lblNome"));
    lblNome->setAlignment(Qt::AlignCenter);
    lblNome->setFont(Look::verdana(15, true));
    lblNome->setStyleSheet(
        QStringLiteral("QLabel#lblNome { color: #FFFF00; background: #1F5C99; border-radius: 6px; }"));
    lblNome->setGeometry(kAreaX, 80, kAreaWidth, 28);

    const QFont captionFont = Look::verdana(8, true);
    const QFont fieldFont = Look::verdana(12, true);
    QWidget* previous = nullptr;
    for (const FieldPlacement& placement : kFields) {
        const QString name = QString::fromLatin1(placement.name);
        auto* edit = new QLineEdit(p);
        edit->setObjectName(name);
        edit->setMaxLength(placement.maxLength);
        edit->setAlignment(placement.alignment | Qt::AlignVCenter);
        edit->setFont(fieldFont);
        const int y = kFirstRowY + placement.row * kRowHeight;
        auto* caption = new QLabel(QString::fromUtf8(placement.caption), p);
        caption->setObjectName(QStringLiteral("lblCap") + name.mid(3));
        caption->setFont(captionFont);
        caption->setStyleSheet(QStringLiteral("color: #1F3A5F;"));
        if (placement.recordField == Campo::Note) {
            caption->setGeometry(kAreaX, y + 16, 48, 26);
            caption->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
        } else {
            caption->setGeometry(kAreaX + placement.x, y, placement.width, 16);
        }
        edit->setGeometry(kAreaX + placement.x, y + 16, placement.width, 27);
        if (previous)
            QWidget::setTabOrder(previous, edit);
        previous = edit;
        m_fields.append({edit, placement.recordField});
    }
    QLineEdit** members[] = {&txtNome,   &txtTipologia,    &txtProduttore, &txtCodice, &txtDescrizione, &txtAnno,
                             &txtValore, &txtProprietario, &txtMateriali,  &txtColori, &txtConfezione,  &txtDifetti,
                             &txtData,   &txtProvenienza,  &txtMontaggio,  &txtScala,  &txtDimensioni,  &txtRarita,
                             &txtStato,  &txtLuogo,        &txtNote};
    for (int i = 0; i < m_fields.size(); ++i)
        *members[i] = m_fields[i].edit;
    txtValore->setText(QStringLiteral("0,00"));

    chkInVendita = new QCheckBox(QStringLiteral("In vendita"), p);
    chkInVendita->setObjectName(QStringLiteral("chkInVendita"));
    chkInVendita->setFont(Look::verdana(11, true));
    chkInVendita->setStyleSheet(QStringLiteral("color: #8B0000;"));
    chkInVendita->setGeometry(kAreaX + 400, kFirstRowY + 10 * kRowHeight + 16, 125, 27);
    QWidget::setTabOrder(txtNote, chkInVendita);
}

void TfrmCartoline::buildHints()
{
    m_hints = new THints(panInfo, this);
    const std::pair<QWidget*, const char*> hints[] = {
        {cmdNuovo, "Prepara la schermata per l'inserimento di una nuova scheda."},
        {cmdSalva, "Salva la scheda in archivio."},
        {cmdTrova, "Trova schede in archivio."},
        {cmdCercaDisponibili, "Visualizza il riepilogo dei modellini in vendita."},
        {cmdFile, "Allega file alla scheda corrente."},
        {cmdAnteprima, "Visualizza l'anteprima di stampa della scheda corrente."},
        {cmdStampa, "Stampa la scheda corrente."},
        {cmdPrimo, "Visualizza la prima scheda in archivio."},
        {cmdIndietro, "Visualizza la scheda precedente in archivio."},
        {cmdAvanti, "Visualizza la scheda successiva in archivio."},
        {cmdUltimo, "Visualizza l'ultima scheda in archivio."},
        {cmdEsporta, "Esporta l'archivio in un file di Excel."},
        {cmdSlideShow, "Esegui lo slide show dei modellini in archivio."},
        {cmdGuida, "Visualizza la pagina della guida sensibile al contesto."},
        {cmdEsci, "Esci da questa schermata."},
        {chkInVendita, "Spunta questa casella per annotare che il modellino è in vendita."},
    };
    for (const auto& [widget, hint] : hints)
        m_hints->addCommand(widget, QString::fromUtf8(hint));
    for (QWidget* background : {static_cast<QWidget*>(this), panel(), m_commandBar, m_fieldArea,
                                static_cast<QWidget*>(panInfo), static_cast<QWidget*>(lblNome)})
        m_hints->addBackground(background);
    for (const Field& f : m_fields)
        m_hints->addQuiet(f.edit);
    // The field captions and the card number are no targets of their own: a
    // label would swallow the pointer's moves, which belong to the background
    // behind it.
    const QList<QLabel*> labels = panel()->findChildren<QLabel*>();
    for (QLabel* label : labels) {
        if (label->objectName().startsWith(QStringLiteral("lblCap")))
            label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    lblPosizione->setAttribute(Qt::WA_TransparentForMouseEvents);
    addPhotoHints();
}
