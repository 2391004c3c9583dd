#include "gui/sheet/frmAllegaCartella.h"

#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/archive/CompanionFiles.h"
#include "core/archive/Scheda.h"
#include "core/formats/CodePage.h"
#include "core/formats/Text.h"
#include "core/system/TMisc.h"
#include "gui/widgets/Banner.h"
#include "gui/widgets/DropTarget.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/PictureButton.h"

namespace {

constexpr QSize kClient(634, 534);
constexpr QSize kPanel(609, 503);
constexpr int kSlotStep = 120;
// Longer extensions are not worth keeping at the cost of the name.
constexpr int kLongestKeptExtension = 16;

// What the record gives back after storing `text` in an attachment name.
QString throughRecord(const QString& text)
{
    TScheda record;
    record.ScriviCampo(Campo::File01, text);
    return Text::trimmed(record.LeggiCampo(Campo::File01));
}

QLabel* caption(QWidget* parent, const QString& name, const QString& text, QPoint at)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(Look::verdana(8, true));
    label->setStyleSheet(QStringLiteral("color: #1F3A5F;"));
    label->move(at);
    label->adjustSize();
    return label;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text, QRect place)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setFont(Look::verdana(9));
    b->setGeometry(place);
    b->setAutoDefault(false);
    return b;
}

} // namespace

QString TfrmAllegaCartella::storedName(const QString& name)
{
    // The code page's look-alikes include slashes (a fraction slash becomes
    // "/"): a name must never lead out of the attachments folder.
    QString converted = CodePage::decode(CodePage::encode(Text::trimmed(name)));
    converted.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    QString kept = throughRecord(converted);
    if (kept == Text::trimmed(converted))
        return kept;
    // Too long for the record: shorten the part before the extension, so
    // that the copy still opens with the right program. The converted text
    // holds one byte per character.
    const qsizetype dot = converted.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || converted.size() - dot > kLongestKeptExtension)
        return kept;
    const QString extension = converted.mid(dot);
    const QString base = converted.left(descrizione(Campo::File01).capacita - extension.size());
    return throughRecord(base + extension);
}

QString TfrmAllegaCartella::unspellableNameMessage()
{
    return QStringLiteral("Attenzione: il nome del file contiene caratteri che il sistema non è in grado di "
                          "leggere.\r\n\r\nIl file non è stato allegato: rinominare il file e riprovare.");
}

bool TfrmAllegaCartella::isUnspellableName(const QString& path)
{
    // A name whose bytes are not valid in the system's file-name encoding
    // comes back from the file dialog with U+FFFD in their place, and then
    // names no file at all.
    if (QFileInfo::exists(path))
        return false;
    return path.contains(QChar::ReplacementCharacter) || QFile::decodeName(QFile::encodeName(path)) != path;
}

QString TfrmAllegaCartella::copyFailedMessage()
{
    return QStringLiteral("Attenzione: non è stato possibile copiare il file nella cartella dei documenti "
                          "allegati.\r\n\r\nIl file non è stato allegato: verificare che sia leggibile e di "
                          "possedere i privilegi di scrittura nella cartella di installazione del programma.");
}

TfrmAllegaCartella::TfrmAllegaCartella(QWidget* owner, const TAttachments& attachments)
    : TFixedDialog(owner, QStringLiteral("frmAllegaCartella"), QStringLiteral(" Allega file"), kClient, Look::steelBlue,
                   Qt::white)
{
    panContainer = new QFrame(this);
    panContainer->setObjectName(QStringLiteral("panContainer"));
    panContainer->setGeometry(
        QRect(QPoint((kClient.width() - kPanel.width()) / 2, (kClient.height() - kPanel.height()) / 2), kPanel));
    panContainer->setStyleSheet(
        QStringLiteral("QFrame#panContainer { background: rgba(255,255,255,120); border-radius: 10px; }"));

    imgLogo = new TBanner(QStringLiteral("imgLogo"), QStringLiteral(":/pictures/attach_banner.svg"),
                          {QStringLiteral("Con Sfoglia... scegliere i file da allegare alla scheda corrente (al "
                                          "massimo tre)."),
                           QStringLiteral("Poi fare clic su Applica e chiudi e, nella scheda, su Salva"),
                           QStringLiteral("per conservare le modifiche."),
                           QStringLiteral("Apri mostra il file allegato con il programma associato.")},
                          panContainer);
    imgLogo->setGeometry((kPanel.width() - 543) / 2, 16, 543, 49);

    lblMemory = new QLabel(panContainer);
    lblMemory->setObjectName(QStringLiteral("lblMemory"));
    lblMemory->hide();
    // Opened from the record sheet, always.
    lblMemory->setText(QStringLiteral("cartoline"));

    dlgFile.mode = Dialogs::FileRequest::Open;
    dlgFile.title = QStringLiteral("Selezionare il file da allegare:");
    dlgFile.filter = QStringLiteral("Tutti i file (*.*)|*");

    for (int i = 0; i < 3; ++i)
        buildSlot(i);

    btnAnnulla = button(panContainer, QStringLiteral("btnAnnulla"), QStringLiteral("Annulla"), {312, 456, 126, 32});
    btnApplica = button(panContainer, QStringLiteral("btnApplica"), QStringLiteral("Applica e chiudi"),
                        {447, 456, 154, 32});
    btnApplica->setFont(Look::verdana(9, true));
    connect(btnAnnulla, &QPushButton::clicked, this, &TfrmAllegaCartella::btnAnnullaClick);
    connect(btnApplica, &QPushButton::clicked, this, &TfrmAllegaCartella::btnApplicaClick);

    QWidget* previous = nullptr;
    for (const Slot& s : m_slots) {
        for (QWidget* w : {static_cast<QWidget*>(s.name), static_cast<QWidget*>(s.browse),
                           static_cast<QWidget*>(s.open), static_cast<QWidget*>(s.description)}) {
            if (previous)
                QWidget::setTabOrder(previous, w);
            previous = w;
        }
    }
    QWidget::setTabOrder(previous, btnApplica);
    QWidget::setTabOrder(btnApplica, btnAnnulla);

    subCopiaDallaScheda(attachments);
}

void TfrmAllegaCartella::buildSlot(int index)
{
    const int dy = kSlotStep * index;
    const QString n = QStringLiteral("0%1").arg(index + 1);
    const QString ordinal = QStringLiteral("%1°").arg(index + 1);

    auto* box = new QFrame(panContainer);
    box->setObjectName(QStringLiteral("shpFile") + n);
    box->setGeometry(16, 80 + dy, 577, 113);
    box->setStyleSheet(QStringLiteral("QFrame { background: rgba(255,255,255,170); border: 1px solid #7FA7CF;"
                                      " border-radius: 8px; }"));

    QLabel* nameCaption = caption(panContainer, QStringLiteral("lblCampo0%1").arg(2 * index + 1),
                                  QStringLiteral("Nome %1 file allegato:").arg(ordinal), {28, 90 + dy});
    QLabel* descCaption = caption(panContainer, QStringLiteral("lblCampo0%1").arg(2 * index + 2),
                                  QStringLiteral("Descrizione %1 file allegato:").arg(ordinal), {28, 140 + dy});

    auto* name = new QLineEdit(panContainer);
    name->setObjectName(QStringLiteral("txtFile") + n);
    name->setReadOnly(true);
    name->setFont(Look::verdana(9, true));
    name->setStyleSheet(Look::normalFieldStyle() + QStringLiteral("QLineEdit { color: #808080; }"));
    name->setGeometry(28, 108 + dy, 338, 22);

    auto* eraser = new TPictureButton(QStringLiteral("imgCancella") + n, QStringLiteral(":/icons/eraser.svg"), {},
                                      TPictureButton::Style::Picture, panContainer);
    eraser->setGeometry(370, 108 + dy, 22, 22);
    eraser->setFocusPolicy(Qt::NoFocus);
    eraser->setToolTip(QStringLiteral("Cancella il nome del file allegato"));

    QPushButton* browse = button(panContainer, QStringLiteral("btnSfoglia") + n, QStringLiteral("Sfoglia..."),
                                 {400, 104 + dy, 86, 28});
    QPushButton* open = button(panContainer, QStringLiteral("btnApri") + n, QStringLiteral("Apri"),
                               {494, 104 + dy, 86, 28});
    open->setEnabled(false);

    auto* description = new QLineEdit(panContainer);
    description->setObjectName(QStringLiteral("txtDesc") + n);
    description->setFont(Look::verdana(9));
    description->setStyleSheet(Look::editFieldStyle());
    description->setGeometry(28, 158 + dy, 552, 22);

    // "Apri" follows the name, also when the window fills it on opening.
    connect(name, &QLineEdit::textChanged, open,
            [open](const QString& text) { open->setEnabled(!Text::trimmed(text).isEmpty()); });

    switch (index) {
    case 0:
        shpFile01 = box;
        lblCampo01 = nameCaption;
        lblCampo02 = descCaption;
        txtFile01 = name;
        imgCancella01 = eraser;
        btnSfoglia01 = browse;
        btnApri01 = open;
        txtDesc01 = description;
        connect(browse, &QPushButton::clicked, this, &TfrmAllegaCartella::btnSfoglia01Click);
        connect(open, &QPushButton::clicked, this, &TfrmAllegaCartella::btnApri01Click);
        connect(eraser, &QAbstractButton::clicked, this, &TfrmAllegaCartella::imgCancella01Click);
        break;
    case 1:
        shpFile02 = box;
        lblCampo03 = nameCaption;
        lblCampo04 = descCaption;
        txtFile02 = name;
        imgCancella02 = eraser;
        btnSfoglia02 = browse;
        btnApri02 = open;
        txtDesc02 = description;
        connect(browse, &QPushButton::clicked, this, &TfrmAllegaCartella::btnSfoglia02Click);
        connect(open, &QPushButton::clicked, this, &TfrmAllegaCartella::btnApri02Click);
        connect(eraser, &QAbstractButton::clicked, this, &TfrmAllegaCartella::imgCancella02Click);
        break;
    default:
        shpFile03 = box;
        lblCampo05 = nameCaption;
        lblCampo06 = descCaption;
        txtFile03 = name;
        imgCancella03 = eraser;
        btnSfoglia03 = browse;
        btnApri03 = open;
        txtDesc03 = description;
        connect(browse, &QPushButton::clicked, this, &TfrmAllegaCartella::btnSfoglia03Click);
        connect(open, &QPushButton::clicked, this, &TfrmAllegaCartella::btnApri03Click);
        connect(eraser, &QAbstractButton::clicked, this, &TfrmAllegaCartella::imgCancella03Click);
        break;
    }
    m_slots[index] = {name, description, browse, open};

    // A file dropped anywhere on the slot's box is attached as one picked with "Sfoglia...".
    auto* drops = new TDropTarget([](const QString&) { return true; },
                                  [this, index](const QString& file) { attachFile(index, file); }, this);
    for (QWidget* w : {static_cast<QWidget*>(box), static_cast<QWidget*>(nameCaption),
                       static_cast<QWidget*>(descCaption), static_cast<QWidget*>(name), static_cast<QWidget*>(eraser),
                       static_cast<QWidget*>(browse), static_cast<QWidget*>(open), static_cast<QWidget*>(description)})
        drops->addWidget(w);
}

void TfrmAllegaCartella::pickAndCopy(int index)
{
    const QString source = Dialogs::fileName(this, dlgFile);
    if (source.isEmpty())
        return;
    attachFile(index, source);
}

void TfrmAllegaCartella::attachFile(int index, const QString& source)
{
    if (isUnspellableName(source)) {
        Dialogs::warning(this, unspellableNameMessage());
        return;
    }
    // Copied under the name the record will give back, so that "Apri" on
    // the saved card finds the copy.
    const QString name = storedName(QFileInfo(source).fileName());
    const CompanionFiles::CopyResult result = CompanionFiles::copyIntoAttachments(source, name, [this](const QString&) {
        return Dialogs::confirm(this, FailureMessages::attachmentOverwriteQuestion());
    });
    if (result == CompanionFiles::CopyResult::Failed) {
        // The slot keeps what it had: naming a file that is not there would
        // only fail later, when the collector tries to open it.
        Dialogs::warning(this, copyFailedMessage());
        return;
    }
    // Copied, kept (the user said No: the name now means the file already
    // there), or picked from the attachments folder itself.
    m_slots[index].name->setText(name);
}

void TfrmAllegaCartella::openAttachment(int index)
{
    TMisc::Open(QLatin1Char('"') + CompanionFiles::attachmentPath(m_slots[index].name->text()) + QLatin1Char('"'));
}

void TfrmAllegaCartella::clearName(int index)
{
    m_slots[index].name->clear();
}

void TfrmAllegaCartella::subCopiaDallaScheda(const TAttachments& attachments)
{
    for (int i = 0; i < 3; ++i) {
        m_slots[i].name->setText(Text::trimmed(attachments[size_t(i)].name));
        m_slots[i].description->setText(Text::trimmed(attachments[size_t(i)].description));
    }
}

void TfrmAllegaCartella::btnApplicaClick()
{
    TAttachments result;
    for (int i = 0; i < 3; ++i)
        result[size_t(i)] = {Text::trimmed(m_slots[i].name->text()), Text::trimmed(m_slots[i].description->text())};
    emit applied(result);
    accept();
}

void TfrmAllegaCartella::btnAnnullaClick()
{
    reject();
}
