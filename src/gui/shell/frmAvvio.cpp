#include "gui/shell/frmAvvio.h"

#include <QFrame>
#include <QLabel>

#include "core/system/TMisc.h"
#include "gui/help/GuideTexts.h"
#include "gui/help/frmGuida.h"
#include "gui/shell/Maker.h"
#include "gui/shell/frmInfo.h"
#include "gui/shell/frmSplash.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/Keys.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/PictureButton.h"
#include "gui/widgets/Pictures.h"

namespace {

QFrame* whiteBand(QWidget* parent, const QString& name, QRect geometry)
{
    auto* band = new QFrame(parent);
    band->setObjectName(name);
    band->setGeometry(geometry);
    band->setStyleSheet(QStringLiteral("QFrame#%1 { background: white; border-radius: 12px; }").arg(name));
    return band;
}

QLabel* svgLabel(QWidget* parent, const QString& name, const QString& svg, QRect geometry)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setPixmap(Pictures::pixmap(svg, geometry.size(), 2));
    return label;
}

} // namespace

TfrmAvvio::TfrmAvvio(QWidget* parent) : TGradientWindow(Look::steelBlue, Qt::white, QSize(995, 692), parent)
{
    setObjectName(QStringLiteral("frmAvvio"));
    setWindowTitle(QStringLiteral(" Miniarca Pro"));
    setProperty("maximised", true);
    QWidget* p = panel();

    // Top band: title, subtitle, information and guide.
    QFrame* top = whiteBand(p, QStringLiteral("shpTitolo"), QRect(0, 0, 995, 150));
    imgInfo = new TPictureButton(QStringLiteral("imgInfo"), QStringLiteral(":/icons/info.svg"), {},
                                 TPictureButton::Style::Picture, top);
    imgInfo->setGeometry(12, 12, 40, 40);
    icoIcona = svgLabel(top, QStringLiteral("icoIcona"), QStringLiteral(":/pictures/car_icon.svg"),
                        QRect(90, 18, 150, 90));
    icoTitolo01 = svgLabel(top, QStringLiteral("icoTitolo01"), QStringLiteral(":/pictures/title.svg"),
                           QRect(250, 14, 520, 90));
    imgGuida = new TPictureButton(QStringLiteral("imgGuida"), QStringLiteral(":/icons/help.svg"), {},
                                  TPictureButton::Style::Picture, top);
    imgGuida->setGeometry(943, 12, 40, 40);
    imgSottotitolo = new QLabel(
        QStringLiteral("Software rivolto al collezionista di modellini di auto, navi, aerei ecc. "
                       "per schedare le proprie collezioni con foto e dati dei singoli pezzi"),
        top);
    imgSottotitolo->setObjectName(QStringLiteral("imgSottotitolo"));
    imgSottotitolo->setGeometry(60, 106, 875, 38);
    imgSottotitolo->setAlignment(Qt::AlignCenter);
    imgSottotitolo->setWordWrap(true);
    imgSottotitolo->setFont(Look::verdana(10, true));
    imgSottotitolo->setStyleSheet(QStringLiteral("color: #1F3A5F;"));

    // Middle band: the two work areas.
    shpApp01 = whiteBand(p, QStringLiteral("shpApp01"), QRect(0, 162, 490, 400));
    shpApp02 = whiteBand(p, QStringLiteral("shpApp02"), QRect(505, 162, 490, 400));
    imgApp01 = new TPictureButton(QStringLiteral("imgApp01"), QStringLiteral(":/pictures/car_round1.svg"), {},
                                  TPictureButton::Style::Picture, shpApp01);
    imgApp01->setGeometry(95, 20, 300, 300);
    imgApp01->setCircular(true);
    btnApp01 = new TPictureButton(QStringLiteral("btnApp01"), QStringLiteral(":/icons/new.svg"),
                                  QStringLiteral("CREA NUOVO ARCHIVIO"), TPictureButton::Style::Captioned, shpApp01);
    btnApp01->setGeometry(95, 334, 300, 50);
    // Beside the create button, in the area's free corner: a new archive
    // from a spreadsheet.
    cmdImportaArchivio = new TPictureButton(QStringLiteral("cmdImportaArchivio"), QStringLiteral(":/icons/import.svg"),
                                            QStringLiteral("DA FOGLIO"), TPictureButton::Style::Flat, shpApp01);
    cmdImportaArchivio->setFont(Look::verdana(7, true));
    cmdImportaArchivio->setGeometry(8, 318, 80, 70);
    cmdImportaArchivio->setToolTip(QStringLiteral("Crea un nuovo archivio con le schede di un foglio di calcolo o "
                                                  "di un file CSV"));
    imgApp02 = new TPictureButton(QStringLiteral("imgApp02"), QStringLiteral(":/pictures/car_round2.svg"), {},
                                  TPictureButton::Style::Picture, shpApp02);
    imgApp02->setGeometry(95, 20, 300, 300);
    imgApp02->setCircular(true);
    btnApp02 = new TPictureButton(QStringLiteral("btnApp02"), QStringLiteral(":/icons/folder.svg"),
                                  QStringLiteral("APRI ARCHIVIO ESISTENTE"), TPictureButton::Style::Captioned,
                                  shpApp02);
    btnApp02->setGeometry(95, 334, 300, 50);

    // Bottom band: credits, website, exit.
    QFrame* bottom = whiteBand(p, QStringLiteral("shpPiede"), QRect(0, 576, 995, 116));
    imgMarchio = new TPictureButton(QStringLiteral("imgMarchio"), QStringLiteral(":/icons/copyright.svg"), {},
                                    TPictureButton::Style::Picture, bottom);
    imgMarchio->setGeometry(14, 62, 40, 40);
    imgSito = new TPictureButton(QStringLiteral("imgSito"), QStringLiteral(":/icons/globe.svg"),
                                 Maker::creditLine() + QStringLiteral("  -  ") + Maker::websiteShown(),
                                 TPictureButton::Style::Captioned, bottom);
    imgSito->setBodyColor(QColor(0x8B, 0x1A, 0x1A));
    imgSito->setGeometry(120, 30, 755, 56);
    imgEsci = new TPictureButton(QStringLiteral("imgEsci"), QStringLiteral(":/icons/close_red.svg"), {},
                                 TPictureButton::Style::Picture, bottom);
    imgEsci->setGeometry(941, 62, 40, 40);

    connect(imgApp01, &QAbstractButton::clicked, this, &TfrmAvvio::imgApp01Click);
    connect(btnApp01, &QAbstractButton::clicked, this, &TfrmAvvio::imgApp01Click);
    connect(imgApp02, &QAbstractButton::clicked, this, &TfrmAvvio::imgApp02Click);
    connect(btnApp02, &QAbstractButton::clicked, this, &TfrmAvvio::imgApp02Click);
    connect(imgInfo, &QAbstractButton::clicked, this, &TfrmAvvio::imgInfoClick);
    connect(imgGuida, &QAbstractButton::clicked, this, &TfrmAvvio::imgGuidaClick);
    Keys::bind(this, QKeySequence::HelpContents, imgGuida);
    // The pictures without a caption, as a screen reader reads them.
    imgInfo->setAccessibleName(QStringLiteral("Informazioni su Miniarca Pro"));
    imgGuida->setAccessibleName(QStringLiteral("Guida"));
    imgApp01->setAccessibleName(QStringLiteral("Crea nuovo archivio"));
    imgApp02->setAccessibleName(QStringLiteral("Apri archivio esistente"));
    imgMarchio->setAccessibleName(QStringLiteral("Riconoscimenti"));
    imgEsci->setAccessibleName(QStringLiteral("Esci dal programma"));
    connect(imgMarchio, &QAbstractButton::clicked, this, &TfrmAvvio::imgMarchioClick);
    connect(imgSito, &QAbstractButton::clicked, this, &TfrmAvvio::imgSitoClick);
    connect(imgEsci, &QAbstractButton::clicked, this, &TfrmAvvio::imgEsciClick);
    connect(cmdImportaArchivio, &QAbstractButton::clicked, this, &TfrmAvvio::cmdImportaArchivioClick);
}

void TfrmAvvio::imgApp01Click()
{
    emit createRequested();
}

void TfrmAvvio::cmdImportaArchivioClick()
{
    Dialogs::FileRequest request = Dialogs::importRequest(
        QStringLiteral("Scegliere il file da cui creare il nuovo archivio"));
    const QString file = Dialogs::fileName(this, request);
    if (!file.isEmpty())
        emit importRequested(file);
}

void TfrmAvvio::imgApp02Click()
{
    emit openRequested();
}

void TfrmAvvio::imgInfoClick()
{
    TfrmInfo frmInfo(this);
    frmInfo.exec();
}

void TfrmAvvio::imgGuidaClick()
{
    TfrmGuida::showGuide(this, GuideTexts::startWindow());
}

void TfrmAvvio::imgMarchioClick()
{
    TfrmSplash frmSplash(this);
    frmSplash.exec();
}

void TfrmAvvio::imgSitoClick()
{
    TMisc::Open(Maker::website());
}

void TfrmAvvio::imgEsciClick()
{
    emit exitRequested();
}

void TfrmAvvio::FormClose()
{
    emit exitRequested();
}
