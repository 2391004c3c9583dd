#include "gui/search/frmTrovaCartoline.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include "core/archive/Archivio.h"
#include "core/archive/ProgramFolder.h"
#include "core/search/Ricerca.h"
#include "gui/search/SummaryList.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/Pictures.h"

QString TfrmTrovaCartoline::UltimaRicerca;

namespace {

// Field placement on the criteria panel; the highlight reaches 4 units
// beyond its field on every side (328 x 30 around 320 x 22).
constexpr int kColumnX[] = {128, 488};
constexpr int kFirstRowY = 118;
constexpr int kRowHeight = 62;
constexpr int kCaptionHeight = 20;

} // namespace

// One criteria field: its caption, its place (column, row) and the highlight
// shown behind it while it has the focus. Listed in Enter order.
struct TfrmTrovaCartoline::Criterio {
    QLineEdit* TfrmTrovaCartoline::*field;
    const char* name;
    const char* caption;
    int column;
    int row;
    QFrame* TfrmTrovaCartoline::*highlight;
    const char* highlightName;
};

const TfrmTrovaCartoline::Criterio TfrmTrovaCartoline::kCriteri[10] = {
    {&TfrmTrovaCartoline::txtNome, "txtNome", "Nome modellino:", 0, 0, &TfrmTrovaCartoline::effCampo01, "effCampo01"},
    {&TfrmTrovaCartoline::txtTipologia, "txtTipologia", "Tipologia:", 1, 0, &TfrmTrovaCartoline::effCampo02,
     "effCampo02"},
    {&TfrmTrovaCartoline::txtProduttore, "txtProduttore", "Produttore:", 0, 1, &TfrmTrovaCartoline::effCampo09,
     "effCampo09"},
    {&TfrmTrovaCartoline::txtCodice, "txtCodice", "Codice prodotto:", 1, 1, &TfrmTrovaCartoline::effCampo10,
     "effCampo10"},
    {&TfrmTrovaCartoline::txtDescrizione, "txtDescrizione", "Descrizione:", 0, 2, &TfrmTrovaCartoline::effCampo05,
     "effCampo05"},
    {&TfrmTrovaCartoline::txtAnno, "txtAnno", "Anno produzione:", 1, 2, &TfrmTrovaCartoline::effCampo06, "effCampo06"},
    {&TfrmTrovaCartoline::txtProprietario, "txtProprietario", "Proprietario:", 0, 3, &TfrmTrovaCartoline::effCampo07,
     "effCampo07"},
    {&TfrmTrovaCartoline::txtProvenienza, "txtProvenienza", "Provenienza:", 1, 3, &TfrmTrovaCartoline::effCampo08,
     "effCampo08"},
    {&TfrmTrovaCartoline::txtRarita, "txtRarita", "Rarità:", 0, 4, &TfrmTrovaCartoline::effCampo03, "effCampo03"},
    {&TfrmTrovaCartoline::txtNote, "txtNote", "Note:", 1, 4, &TfrmTrovaCartoline::effCampo04, "effCampo04"},
};

TfrmTrovaCartoline::TfrmTrovaCartoline(QWidget* owner, const QString& archivePath)
    : TfrmRiepilogo(owner, archivePath, QStringLiteral("frmTrovaCartoline"),
                    QStringLiteral(" Trova modellini in archivio"), QStringLiteral(":/pictures/search_banner.svg"),
                    QStringLiteral("RISULTATI DI RICERCA"), QStringLiteral("Riepilogo modellini in archivio"),
                    UltimaRicerca)
{
    lblTrovate = new QLabel(QStringLiteral("Il presente riepilogo contiene 0 schede"), panContainer);
    lblTrovate->setObjectName(QStringLiteral("lblTrovate"));
    lblTrovate->setAlignment(Qt::AlignCenter);
    lblTrovate->setFont(Look::verdana(10, true));
    lblTrovate->setStyleSheet(QStringLiteral("color: #008B8B;"));
    lblTrovate->setGeometry(140, 498, 553, 20);
    panContainer->hide();

    buildCriteria();
}

void TfrmTrovaCartoline::buildCriteria()
{
    panAvvio = new QWidget(this);
    panAvvio->setObjectName(QStringLiteral("panAvvio"));
    panAvvio->setGeometry(panContainer->geometry());

    imgSpiega = new QLabel(
        QStringLiteral("Immettere nei campi prescelti una o più parole consecutive presenti nelle "
                       "schede da trovare e premere il pulsante Cerca.\n"
                       "Lasciare in bianco tutti gli altri campi.\n"
                       "Per ogni ricerca è possibile utilizzare uno o più campi contemporaneamente."),
        panAvvio);
    imgSpiega->setObjectName(QStringLiteral("imgSpiega"));
    imgSpiega->setWordWrap(true);
    imgSpiega->setFont(Look::verdana(10, true));
    imgSpiega->setStyleSheet(QStringLiteral("QLabel#imgSpiega { color: #1F3A5F; background: rgba(255,255,255,190);"
                                            " border-radius: 8px; padding: 8px 12px; }"));
    imgSpiega->setGeometry(0, 0, 833, 96);

    icoTrova01 = new QLabel(panAvvio);
    icoTrova01->setObjectName(QStringLiteral("icoTrova01"));
    icoTrova01->setGeometry(16, kFirstRowY + 20, 96, 96);
    icoTrova01->setPixmap(Pictures::pixmap(QStringLiteral(":/icons/find.svg"), QSize(96, 96), devicePixelRatioF()));

    const QFont captionFont = Look::verdana(9, true);
    const QFont fieldFont = Look::verdana(12, true);
    for (const Criterio& c : kCriteri) {
        const QString name = QString::fromLatin1(c.name);
        const int x = kColumnX[c.column];
        const int y = kFirstRowY + c.row * kRowHeight;

        auto* caption = new QLabel(QString::fromUtf8(c.caption), panAvvio);
        caption->setObjectName(QStringLiteral("lblCap") + name.mid(3));
        caption->setFont(captionFont);
        caption->setStyleSheet(QStringLiteral("color: #1F3A5F;"));
        caption->setGeometry(x, y, 320, kCaptionHeight);

        auto* highlight = new QFrame(panAvvio);
        highlight->setObjectName(QString::fromLatin1(c.highlightName));
        highlight->setStyleSheet(QStringLiteral("QFrame#%1 { background: #FFFF00; border: 2px solid qlineargradient("
                                                "x1:0, y1:0, x2:0, y2:1, stop:0 #FFFF00, stop:1 #FFFFFF); }")
                                     .arg(highlight->objectName()));
        highlight->setGeometry(x - 4, y + kCaptionHeight + 2 - 4, 328, 30);
        highlight->hide();

        auto* edit = new QLineEdit(panAvvio);
        edit->setObjectName(name);
        edit->setFont(fieldFont);
        edit->setStyleSheet(Look::normalFieldStyle());
        edit->setGeometry(x, y + kCaptionHeight + 2, 320, 22);
        edit->installEventFilter(this);

        this->*c.field = edit;
        this->*c.highlight = highlight;
        m_highlights.insert(edit, highlight);
        m_criteri.append(edit);
    }
    for (int i = 0; i < m_criteri.size(); ++i) {
        enterMovesTo(m_criteri[i], m_criteri[(i + 1) % m_criteri.size()]);
        if (i > 0)
            setTabOrder(m_criteri[i - 1], m_criteri[i]);
    }

    lblAttendere = new QLabel(QStringLiteral("Ricerca schede in corso. Attendere..."), panAvvio);
    lblAttendere->setObjectName(QStringLiteral("lblAttendere"));
    lblAttendere->setAlignment(Qt::AlignCenter);
    lblAttendere->setFont(Look::verdana(12, true));
    lblAttendere->setStyleSheet(QStringLiteral("color: #008B8B;"));
    lblAttendere->setGeometry(140, 440, 553, 28);
    lblAttendere->hide();

    btnAnnulla = new QPushButton(QStringLiteral("Chiudi"), panAvvio);
    btnAnnulla->setObjectName(QStringLiteral("btnAnnulla"));
    btnAnnulla->setGeometry(0, 489, 130, 38);
    btnCerca = new QPushButton(QStringLiteral("Cerca"), panAvvio);
    btnCerca->setObjectName(QStringLiteral("btnCerca"));
    btnCerca->setGeometry(703, 489, 130, 38);
    for (QPushButton* button : {btnAnnulla, btnCerca}) {
        button->setFont(Look::verdana(11, true));
        enterPresses(button);
    }
    setTabOrder(m_criteri.last(), btnCerca);
    setTabOrder(btnCerca, btnAnnulla);

    lblConta = new QLabel(QStringLiteral("0"), panAvvio);
    lblConta->setObjectName(QStringLiteral("lblConta"));
    lblConta->hide();
    lblMemory = new QLabel(panAvvio);
    lblMemory->setObjectName(QStringLiteral("lblMemory"));
    lblMemory->hide();
    // Opened from the record sheet, always.
    lblMemory->setText(QStringLiteral("cartoline"));

    connect(btnCerca, &QPushButton::clicked, this, &TfrmTrovaCartoline::btnCercaClick);
    connect(btnAnnulla, &QPushButton::clicked, this, &TfrmTrovaCartoline::btnAnnullaClick);
}

bool TfrmTrovaCartoline::eventFilter(QObject* watched, QEvent* event)
{
    if (QFrame* highlight = m_highlights.value(watched)) {
        if (event->type() == QEvent::FocusIn)
            highlight->show();
        else if (event->type() == QEvent::FocusOut)
            highlight->hide();
    } else if (watched == btnCerca && event->type() == QEvent::MouseButtonPress
               && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        btnCercaMouseDown();
    }
    return TfrmRiepilogo::eventFilter(watched, event);
}

void TfrmTrovaCartoline::FormShow()
{
    TfrmRiepilogo::FormShow();
    txtNome->setFocus();
}

void TfrmTrovaCartoline::FormClose()
{
    TfrmRiepilogo::FormClose();
    lblAttendere->hide();
}

void TfrmTrovaCartoline::btnCercaMouseDown()
{
    // Painted now: the search that follows keeps the event loop busy.
    lblAttendere->show();
    lblAttendere->repaint();
}

void TfrmTrovaCartoline::btnCercaClick()
{
    if (!lblAttendere->isVisible())
        btnCercaMouseDown(); // pressed from the keyboard

    QStringList testi;
    for (QLineEdit* edit : m_criteri)
        testi.append(edit->text());
    const CriteriRicerca criteri(testi);
    lblConta->setText(QString::number(criteri.Richiesti()));

    std::vector<RigaElenco> lines;
    try {
        ScansionaArchivio(
            archivePath(), [&criteri](const TScheda& s) { return criteri.Corrisponde(s); }, lines);
    } catch (const EArchivioError& e) {
        lblAttendere->hide();
        FailureMessages::show(this, e.failure(), Dialogs::Kind::Plain);
        return;
    }
    showLines(std::move(lines));

    lblTrovate->setText(QStringLiteral("Il presente riepilogo contiene %1 schede.").arg(lstRecords->count()));
    panContainer->show();
    panAvvio->hide();
    txtTrova->clear();
    txtTrova->setFocus();
}

void TfrmTrovaCartoline::btnAnnullaClick()
{
    reject();
}
