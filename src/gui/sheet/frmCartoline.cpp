#include "gui/sheet/frmCartoline.h"

#include <QCheckBox>
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
