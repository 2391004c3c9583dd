#include "gui/shell/frmInfo.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include "core/system/TMisc.h"
#include "gui/shell/Maker.h"
#include "gui/widgets/Banner.h"
#include "gui/widgets/LinkLabel.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/PictureButton.h"

TfrmInfo::TfrmInfo(QWidget* owner)
    : TFixedDialog(owner, QStringLiteral("frmInfo"), QStringLiteral(" Informazioni su Miniarca Pro"), QSize(473, 579),
                   Look::steelBlue, Qt::white)
{
    imgLogo = new TBanner(QStringLiteral("imgLogo"), QStringLiteral(":/pictures/info_banner.svg"),
                          {QStringLiteral("Informazioni sul programma")}, this);
    imgLogo->setGeometry(0, 0, 473, 70);

    lblDescrizione = new QLabel(this);
    lblDescrizione->setObjectName(QStringLiteral("lblDescrizione"));
    lblDescrizione->setTextFormat(Qt::RichText);
    lblDescrizione->setWordWrap(true);
    lblDescrizione->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lblDescrizione->setStyleSheet(QStringLiteral("QLabel#lblDescrizione { background: white; border-radius: 12px;"
                                                 " padding: 14px 18px; color: #1F3A5F; }"));
    const QString face = QStringLiteral("font-family:Verdana,'DejaVu Sans',sans-serif;");
    lblDescrizione->setText(
        QStringLiteral("<p style=\"%1 font-size:22pt; font-weight:bold; color:#B22222; margin:0;\">MINIARCA PRO</p>"
                       "<p style=\"%1 font-size:10pt; margin-top:4px;\">Versione %2</p>"
                       "<p style=\"%1 font-size:11pt; margin-top:14px;\">Il programma per schedare le collezioni di "
                       "modellini di auto, moto, navi, aerei, elicotteri, treni e figurini, con le foto e i dati "
                       "di ogni pezzo.</p>"
                       "<p style=\"%1 font-size:11pt; margin-top:10px;\">Archivi illimitati, ricerche su più campi, "
                       "stampa delle schede, esportazione in Excel e slide show delle foto.</p>"
                       "<p style=\"%1 font-size:10pt; margin-top:14px;\">&copy; %3</p>"
                       "<p style=\"%1 font-size:11pt; font-weight:bold; margin-top:14px;\">Per assistenza e "
                       "segnalazioni scrivere a:</p>")
            .arg(face,
                 QCoreApplication::applicationVersion().isEmpty() ? QStringLiteral("1.0")
                                                                  : QCoreApplication::applicationVersion(),
                 Maker::creditLine().toHtmlEscaped()));
    lblDescrizione->setGeometry(24, 88, 425, 360);

    imgEmail = new TPictureButton(QStringLiteral("imgEmail"), QStringLiteral(":/icons/envelope.svg"), {},
                                  TPictureButton::Style::Picture, this);
    imgEmail->setGeometry(44, 376, 44, 44);
    lnkWeb = new TLinkLabel(QStringLiteral("lnkWeb"), Maker::supportEmail(), this);
    lnkWeb->setGeometry(96, 382, 340, 32);
    lnkWeb->pairWith(imgEmail);

    btnChiudi = new QPushButton(QStringLiteral("Chiudi"), this);
    btnChiudi->setObjectName(QStringLiteral("btnChiudi"));
    btnChiudi->setFont(Look::verdana(12));
    btnChiudi->setGeometry(176, 496, 120, 38);
    btnChiudi->setAutoDefault(false);

    connect(lnkWeb, &TLinkLabel::clicked, this, &TfrmInfo::lnkWebClick);
    connect(imgEmail, &QAbstractButton::clicked, this, &TfrmInfo::lnkWebClick);
    imgEmail->setAccessibleName(QStringLiteral("Scrivi all'assistenza"));
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::accept);
}

void TfrmInfo::lnkWebClick()
{
    lnkWeb->setColour(Look::darkBlue);
    TMisc::Open(QStringLiteral("\"mailto:") + Maker::supportEmail() + QLatin1Char('"'));
}
