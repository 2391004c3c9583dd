#include "gui/sheet/frmCartoline.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>

#include "core/archive/Scheda.h"
#include "core/formats/Text.h"
#include "gui/help/GuideTexts.h"
#include "gui/help/frmGuida.h"
#include "gui/output/frmExpCartoline.h"
#include "gui/output/frmGalleria.h"
#include "gui/output/frmSlideshow_Euro_01.h"
#include "gui/output/frmStampaCartolina.h"
#include "gui/output/frmStatistiche.h"
#include "gui/search/frmInVendita.h"
#include "gui/search/frmTrovaCartoline.h"
#include "gui/sheet/CardPhotoReader.h"
#include "gui/sheet/FieldEntry.h"
#include "gui/sheet/PhotoSlot.h"
#include "gui/sheet/frmAllegaCartella.h"
#include "gui/sheet/frmVersioni.h"
#include "gui/widgets/Accessibility.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/Hints.h"
#include "gui/widgets/ImageView.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/PictureButton.h"

namespace {

const QString kEmptyArchive = QStringLiteral("L'archivio non contiene nessuna scheda.");

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

QLabel* hiddenLabel(QWidget* parent, const QString& name, const QString& designText = {})
{
    auto* label = new QLabel(designText, parent);
    label->setObjectName(name);
    label->hide();
    return label;
}

} // namespace

TfrmCartoline::TfrmCartoline(QWidget* parent) : TGradientWindow(Look::steelBlue, Qt::white, QSize(995, 692), parent)
{
    // FormCreate
    setObjectName(QStringLiteral("frmCartoline"));
    setWindowTitle(QStringLiteral(" Miniarca Pro - Archivio Modellini"));
    setProperty("maximised", true);
    QWidget* p = panel();

    // Until an archive is opened and a card shown, the state holds what the
    // labels show at design time.
    m_collection = TOpenCollection(QString(), QStringLiteral("NOME ARCHIVIO MODELLINI"));
    m_attachments = {TAttachment{QStringLiteral("File01"), QStringLiteral("Desc01")},
                     TAttachment{QStringLiteral("File02"), QStringLiteral("Desc02")},
                     TAttachment{QStringLiteral("File03"), QStringLiteral("Desc03")}};

    lblFile = hiddenLabel(p, QStringLiteral("lblFile"));
    lblFile01 = hiddenLabel(p, QStringLiteral("lblFile01"));
    lblFile02 = hiddenLabel(p, QStringLiteral("lblFile02"));
    lblFile03 = hiddenLabel(p, QStringLiteral("lblFile03"));
    lblDesc01 = hiddenLabel(p, QStringLiteral("lblDesc01"));
    lblDesc02 = hiddenLabel(p, QStringLiteral("lblDesc02"));
    lblDesc03 = hiddenLabel(p, QStringLiteral("lblDesc03"));

    // The status line runs along the bottom of the window.
    panInfo = new TStatusLine(QStringLiteral("Pronto per archiviare una nuova scheda..."), this);
    panInfo->setObjectName(QStringLiteral("panInfo"));
    panInfo->setFont(Look::arial(12));
    panInfo->setStyleSheet(QStringLiteral("QLabel#panInfo { background: #1F5C99; color: white; padding-left: 10px; }"));
    setBottomBar(panInfo, 28);

    buildCommandBar(p);
    buildPhotoSlots(p);
    buildFields(p);
    QList<QLineEdit*> cycle;
    for (const Field& f : m_fields)
        cycle.append(f.edit);
    m_fieldEntry = new TFieldEntry(cycle, txtValore, this);

    // Saving moves the focus here so that the field being edited finishes its
    // exit processing before anything is read. A hidden widget cannot take the
    // focus, so the target is a visible button without size; it takes the
    // focus only when the program gives it, never by Tab or a click.
    btnFocus = new QPushButton(p);
    btnFocus->setObjectName(QStringLiteral("btnFocus"));
    btnFocus->setGeometry(0, 0, 0, 0);
    btnFocus->setFocusPolicy(Qt::NoFocus);

    buildHints();
    bindKeys();
    buildSecondCommandBar(p);
    mirrorState();
}

void TfrmCartoline::mirrorState()
{
    lblFile->setText(m_collection.path());
    lblNome->setText(m_collection.name());
    lblPosizione->setText(m_collection.isNewCard() ? QString() : QString::number(m_collection.current()));
    const std::array<QLabel*, 3> names = {lblFile01, lblFile02, lblFile03};
    const std::array<QLabel*, 3> descriptions = {lblDesc01, lblDesc02, lblDesc03};
    for (size_t i = 0; i < m_attachments.size(); ++i) {
        names[i]->setText(m_attachments[i].name);
        descriptions[i]->setText(m_attachments[i].description);
    }
}

void TfrmCartoline::openArchive(const QString& path, const QString& name)
{
    // The card number stays until the sheet clears itself on showing, as
    // the labels always did.
    m_collection = TOpenCollection(path, name, m_collection.current());
    mirrorState();
}

void TfrmCartoline::showCard(const TCard& card)
{
    for (const Field& f : m_fields)
        f.edit->setText(card.text(f.recordField));
    // A marker of no known kind leaves the box as it was.
    if (card.forSale)
        chkInVendita->setChecked(*card.forSale);
    m_attachments = card.attachments;
    mirrorState();
}

TCard TfrmCartoline::cardOnScreen() const
{
    TCard card;
    for (const Field& f : m_fields)
        card.setText(f.recordField, f.edit->text());
    card.forSale = chkInVendita->isChecked();
    card.attachments = m_attachments;
    return card;
}

TShownCard TfrmCartoline::shownCard()
{
    settlePhotos();
    TShownCard card;
    card.archiveName = m_collection.name();
    for (const Field& f : m_fields)
        card.texts.insert(f.recordField, f.edit->text());
    card.photoA = m_photoA->photo();
    return card;
}

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

void TfrmCartoline::FormShow()
{
    subNuovaScheda();
}

void TfrmCartoline::FormClose()
{
    stopPhotoReading();
    forgetPreparedPhotos();
    emit closed();
}

void TfrmCartoline::cmdEsciClick()
{
    close();
}

void TfrmCartoline::subNuovaScheda()
{
    for (const Field& f : m_fields)
        f.edit->clear();
    txtValore->setText(QStringLiteral("0,00"));
    chkInVendita->setChecked(false);
    m_attachments = {};
    m_collection.startNewCard();
    mirrorState();
    subMostraSegnaposto();
    txtNome->setFocus();
    forgetPreparedPhotos();
}

void TfrmCartoline::cmdNuovoClick()
{
    subNuovaScheda();
}

bool TfrmCartoline::subMostraScheda(int n)
{
    if (!subRichiamaScheda(n)) {
        Dialogs::error(this, ArchiveAccessMessage());
        return false;
    }
    return true;
}

bool TfrmCartoline::subRichiamaScheda(int n)
{
    const auto loaded = m_collection.load(n);
    if (!loaded) {
        FailureMessages::log(loaded.failure());
        return false;
    }
    showCard(loaded.value());
    subApriFotoScheda();
    prepareNeighbours(n);
    return true;
}

// Moves through the archive from the card on screen, as its command says.
void TfrmCartoline::navigate(TOpenCollection::Move move)
{
    const int current = m_collection.current();
    const auto step = m_collection.step(move);
    if (!step) {
        FailureMessages::show(this, step.failure());
        return;
    }
    m_knownCount = m_collection.knownCount();
    if (step.value().empty) {
        mirrorState();
        Dialogs::information(this, kEmptyArchive);
    }
    const int target = step.value().target;
    if (target > 0 && current > 0 && target != current)
        m_lastStep = target > current ? 1 : -1;
    if (target > 0)
        subMostraScheda(target);
}

void TfrmCartoline::cmdPrimoClick()
{
    navigate(TOpenCollection::Move::First);
}

void TfrmCartoline::cmdUltimoClick()
{
    navigate(TOpenCollection::Move::Last);
}

void TfrmCartoline::cmdAvantiClick()
{
    navigate(TOpenCollection::Move::Next);
}

void TfrmCartoline::cmdIndietroClick()
{
    navigate(TOpenCollection::Move::Previous);
}

void TfrmCartoline::cmdSalvaClick()
{
    btnFocus->setFocus();
    // Where the window is not active the move sends no focus events: the
    // field being edited is finished here all the same.
    m_fieldEntry->finishEditing();

    const std::pair<QLineEdit*, const char*> required[] = {
        {txtNome, "Attenzione: per salvare la scheda è necessario indicare il nome del modellino."},
        {txtTipologia, "Attenzione: per salvare la scheda è necessario indicare la tipologia di modellino."},
        {txtProduttore, "Attenzione: per salvare la scheda è necessario indicare il produttore del modellino."},
        {txtValore, "Attenzione: per salvare la scheda è necessario indicare il valore stimato del modellino."},
        {txtScala, "Attenzione: per salvare la scheda è necessario indicare la riduzione in scala del modellino."},
    };
    for (const auto& [edit, warning] : required) {
        if (Text::trimmed(edit->text()).isEmpty()) {
            Dialogs::warning(this, QString::fromUtf8(warning));
            edit->setFocus();
            return;
        }
    }

    const bool appended = m_collection.isNewCard();
    const auto saved = m_collection.save(cardOnScreen());
    mirrorState();
    if (!saved) {
        FailureMessages::show(this, saved.failure());
        return;
    }

    TFailure photoFailure;
    const bool photosWritten = subSalvaFotoScheda(&photoFailure);
    if (appended)
        m_knownCount = qMax(m_knownCount, saved.value());
    prepareNeighbours(saved.value());
    QString message = appended ? QStringLiteral("La scheda corrente è stata inserita in archivio.")
                               : QStringLiteral(
                                   "Le modifiche apportate alla scheda corrente sono state salvate in archivio.");
    if (!photosWritten) {
        // The card is safe in the archive, but the user must know that its
        // photos are not: the slots keep them so that a new save can retry.
        FailureMessages::log(photoFailure);
        message += QStringLiteral("\r\n\r\n") + FailureMessages::text(photoFailure);
        Dialogs::warning(this, message);
        return;
    }
    Dialogs::information(this, message);
}

void TfrmCartoline::cmdFileClick()
{
    TfrmAllegaCartella attachments(this, m_attachments);
    connect(&attachments, &TfrmAllegaCartella::applied, this, [this](const TAttachments& applied) {
        m_attachments = applied;
        mirrorState();
    });
    attachments.exec();
}

void TfrmCartoline::cmdAnteprimaClick()
{
    TfrmAnteprimaCartolina window(this, shownCard());
    window.exec();
}

void TfrmCartoline::cmdStampaClick()
{
    TfrmStampaCartolina window(this, shownCard());
    window.exec();
}

void TfrmCartoline::cmdEsportaClick()
{
    TfrmExpCartoline frmExpCartoline(this, m_collection.path());
    frmExpCartoline.exec();
}

void TfrmCartoline::cmdSlideShowClick()
{
    TfrmSlideshow_Euro_01 slideshow(this, m_collection.path(), m_collection.name());
    slideshow.exec();
}

void TfrmCartoline::cmdGalleriaClick()
{
    TfrmGalleria frmGalleria(this, m_collection.path(), m_collection.name());
    connect(&frmGalleria, &TfrmGalleria::recordChosen, this, &TfrmCartoline::subRichiamaScheda);
    frmGalleria.exec();
}

void TfrmCartoline::cmdTrovaClick()
{
    TfrmTrovaCartoline frmTrovaCartoline(this, m_collection.path());
    connect(&frmTrovaCartoline, &TfrmRiepilogo::recordChosen, this, &TfrmCartoline::subRichiamaScheda);
    frmTrovaCartoline.exec();
}

void TfrmCartoline::cmdCercaDisponibiliClick()
{
    TfrmInVendita frmInVendita(this, m_collection.path());
    connect(&frmInVendita, &TfrmRiepilogo::recordChosen, this, &TfrmCartoline::subRichiamaScheda);
    frmInVendita.exec();
}

void TfrmCartoline::cmdStatisticheClick()
{
    TfrmStatistiche frmStatistiche(this, m_collection.path(), m_collection.name());
    connect(&frmStatistiche, &TfrmStatistiche::recordChosen, this, &TfrmCartoline::subRichiamaScheda);
    frmStatistiche.exec();
}

void TfrmCartoline::cmdVersioniClick()
{
    if (m_collection.isNewCard()) {
        Dialogs::warning(this, QStringLiteral("Attenzione: le versioni precedenti si riferiscono a una scheda già "
                                              "salvata in archivio."));
        return;
    }
    TfrmVersioni frmVersioni(this, m_collection.path(), m_collection.current());
    connect(&frmVersioni, &TfrmVersioni::restored, this, [this](qint32 n) {
        // Its photo files were just replaced: what was read ahead is stale.
        m_photos->drop(photoPathsOf(n));
        subMostraScheda(n);
    });
    frmVersioni.exec();
}

void TfrmCartoline::cmdGuidaClick()
{
    TfrmGuida::showGuide(this, GuideTexts::recordSheet());
}
