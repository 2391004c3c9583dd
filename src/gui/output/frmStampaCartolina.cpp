#include "gui/output/frmStampaCartolina.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include <exception>

#include "core/formats/Text.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/ImageView.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/Pictures.h"
#include "gui/widgets/ReportOutput.h"

namespace {

constexpr QSize kFallbackSize(297, 184);

// The built-in picture, rendered once and shared by every window.
const TPhoto& fallbackPicture()
{
    return Pictures::photo(QStringLiteral(":/pictures/euro_sign.svg"), kFallbackSize);
}

// An information picture: the info icon beside an optional bold title and
// its sentences.
QWidget* informationPicture(QWidget* panel, const QString& name, const QString& title, const QStringList& sentences,
                            const QRect& geometry)
{
    auto* picture = new QWidget(panel);
    picture->setObjectName(name);
    picture->setGeometry(geometry);
    auto* icon = new QLabel(picture);
    icon->setPixmap(Pictures::pixmap(QStringLiteral(":/icons/info.svg"), QSize(36, 36), panel->devicePixelRatioF()));
    icon->setGeometry(0, 2, 36, 36);
    int top = 0;
    const int left = 48;
    const int width = geometry.width() - left;
    if (!title.isEmpty()) {
        auto* heading = new QLabel(title, picture);
        heading->setFont(Look::verdana(10, true));
        heading->setStyleSheet(QStringLiteral("color: #1F3A5F;"));
        heading->setGeometry(left, top, width, 20);
        top += 24;
    }
    for (const QString& sentence : sentences) {
        auto* text = new QLabel(sentence, picture);
        text->setFont(Look::verdana(8));
        text->setWordWrap(true);
        text->setStyleSheet(QStringLiteral("color: #333333;"));
        const int height = text->heightForWidth(width);
        text->setGeometry(left, top, width, height);
        top += height + 6;
    }
    return picture;
}

} // namespace

TCardOutputWindow::TCardOutputWindow(QWidget* owner, const TShownCard& card, Output output)
    : TFixedDialog(
        owner,
        output == Output::Preview ? QStringLiteral("frmAnteprimaCartolina") : QStringLiteral("frmStampaCartolina"),
        output == Output::Preview ? QStringLiteral(" Anteprima di stampa") : QStringLiteral(" Stampa documento"),
        QSize(364, 287), Look::steelBlue, Qt::white),
      m_card(card), m_output(output)
{
    FixedWindow::centreOnOwner(this);

    panInfo = new QWidget(this);
    panInfo->setObjectName(QStringLiteral("panInfo"));
    panInfo->setAttribute(Qt::WA_StyledBackground);
    panInfo->setStyleSheet(QStringLiteral("QWidget#panInfo { background: white; border-radius: 10px; }"));
    panInfo->setGeometry(12, 12, 340, 208);

    if (output == Output::Preview) {
        icoInf01 = informationPicture(
            panInfo, QStringLiteral("icoInf01"), QStringLiteral("Anteprima di stampa"),
            {QStringLiteral("Questa operazione consente di visualizzare in anteprima i dati che appariranno in "
                            "stampa.")},
            QRect(14, 14, 314, 90));
        icoInf02 = informationPicture(
            panInfo, QStringLiteral("icoInf02"), {},
            {QStringLiteral("Fare clic su Mostra anteprima per visualizzare il documento sullo schermo prima di "
                            "eseguire la stampa su carta.")},
            QRect(14, 116, 314, 80));
    } else {
        icoInf01 = informationPicture(
            panInfo, QStringLiteral("icoInf01"), QStringLiteral("Stampa documento"),
            {QStringLiteral("Questa operazione provvederà a stampare su carta il documento con i dati immessi nei "
                            "campi di testo."),
             QStringLiteral("Premere il pulsante Stampa per dare avvio alla stampa su carta oppure premere Annulla "
                            "per annullare l'operazione.")},
            QRect(14, 14, 314, 180));
        icoInf02 = nullptr;
    }

    btnAnnulla = new QPushButton(QStringLiteral("Annulla"), this);
    btnAnnulla->setObjectName(QStringLiteral("btnAnnulla"));
    btnAnnulla->setGeometry(12, 236, 120, 38);
    btnStampa = new QPushButton(
        output == Output::Preview ? QStringLiteral("Mostra anteprima") : QStringLiteral("Stampa"), this);
    btnStampa->setObjectName(QStringLiteral("btnStampa"));
    btnStampa->setGeometry(364 - 12 - 160, 236, 160, 38);
    for (QPushButton* button : {btnAnnulla, btnStampa}) {
        button->setFont(Look::verdana(10));
        button->setAutoDefault(false);
    }

    imgTemp = new TImageView(QStringLiteral("imgTemp"), this);
    imgTemp->setGeometry(QRect(QPoint(0, 0), kFallbackSize));
    imgTemp->setPhoto(fallbackPicture());
    imgTemp->hide();
    imgLogo = new TImageView(QStringLiteral("imgLogo"), this);
    imgLogo->setGeometry(QRect(QPoint(0, 0), kFallbackSize));
    imgLogo->setPhoto(fallbackPicture());
    imgLogo->hide();

    connect(btnStampa, &QPushButton::clicked, this, &TCardOutputWindow::btnStampaClick);
    connect(btnAnnulla, &QPushButton::clicked, this, &TCardOutputWindow::btnAnnullaClick);
}

void TCardOutputWindow::showEvent(QShowEvent* event)
{
    TFixedDialog::showEvent(event);
    if (!event->spontaneous()) {
        FixedWindow::centreOnOwner(this); // where the sheet stands now
        FormShow();
    }
}

void TCardOutputWindow::FormShow()
{
    // The slot's own photo, not the small picture drawn on screen: on paper
    // it is decoded at the size it prints.
    const TPhoto& shown = m_card.photoA;
    imgLogo->setPhoto(shown.isNull() ? imgTemp->photo() : shown);
}

QString TCardOutputWindow::failureMessage() const
{
    const QString first = m_output == Output::Preview
                              ? QStringLiteral("Attenzione: la visualizzazione dell'anteprima di stampa non è "
                                               "andata a buon fine.")
                              : QStringLiteral("Attenzione: la stampa non è andata a buon fine.");
    return first + QStringLiteral("\n\r\n\r") + QStringLiteral("Si consiglia di ridurre le dimensioni della foto.");
}

bool TCardOutputWindow::fillAndOutput()
{
    TReportPage* page = repDocumento.findPage(QStringLiteral("Page1"));
    auto* picture = repDocumento.find<TReportPicture>(QStringLiteral("imgLogo"));
    if (!page || !picture)
        return false;
    page->setOrientation(QPageLayout::Portrait);
    picture->setPicture(imgLogo->photo());

    const auto field = [this](Campo campo) { return m_card.texts.value(campo); };
    const std::pair<const char*, QString> sources[] = {
        {"txtModellino", field(Campo::Nome)},
        {"txtNome", m_card.archiveName},
        {"txtTipologia", field(Campo::Tipologia)},
        {"txtProduttore", field(Campo::Produttore)},
        {"txtCodice", field(Campo::Codice)},
        {"txtDescrizione", field(Campo::Descrizione)},
        {"txtAnno", field(Campo::Anno)},
        {"txtValore", field(Campo::Valore)},
        {"txtProprietario", field(Campo::Proprietario)},
        {"txtMateriali", field(Campo::Materiali)},
        {"txtColori", field(Campo::Colori)},
        {"txtConfezione", field(Campo::Confezione)},
        {"txtDifetti", field(Campo::Difetti)},
        {"txtData", field(Campo::Data)},
        {"txtProvenienza", field(Campo::Provenienza)},
        {"txtMontaggio", field(Campo::Montaggio)},
        {"txtScala", field(Campo::Scala)},
        {"txtDimensioni", field(Campo::Dimensioni)},
        {"txtRarita", field(Campo::Rarita)},
        {"txtStato", field(Campo::Stato)},
        {"txtLuogo", field(Campo::Luogo)},
        {"txtNote", field(Campo::Note)},
    };
    for (const auto& [name, source] : sources) {
        TReportText* text = repDocumento.find<TReportText>(QString::fromLatin1(name));
        if (!text)
            return false;
        text->setText(Text::trimmed(source));
    }
    repDocumento.prepare();

    if (m_output == Output::Preview)
        return ReportOutput::preview(this, repDocumento);
    return ReportOutput::print(this, repDocumento) != ReportOutput::Result::Failed;
}

void TCardOutputWindow::btnStampaClick()
{
    bool done = false;
    try {
        done = fillAndOutput();
    } catch (const std::exception&) { // a photo too large to hold in memory, above all
        done = false;
    }
    if (!done)
        Dialogs::warning(this, failureMessage());
    accept();
}

void TCardOutputWindow::btnAnnullaClick()
{
    reject();
}
