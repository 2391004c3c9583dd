#include "gui/shell/frmSplash.h"

#include <QFrame>
#include <QPushButton>

#include "core/system/TMisc.h"
#include "gui/shell/Maker.h"
#include "gui/widgets/Banner.h"
#include "gui/widgets/LinkLabel.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/PictureButton.h"

TfrmSplash::TfrmSplash(QWidget* owner)
    : TFixedDialog(owner, QStringLiteral("frmSplash"), QStringLiteral(" Miniarca Pro - ") + Maker::creditLine(),
                   QSize(661, 467), Qt::white, QColor(0x35, 0x25, 0x25))
{
    FixedWindow::centreOnOwner(this);

    imgLogo = new TBanner(QStringLiteral("imgLogo"), QStringLiteral(":/pictures/credits.svg"),
                          {QStringLiteral("Miniarca Pro"), Maker::creditLine()}, this);
    imgLogo->setGeometry(18, 14, 625, 380);

    // The link sits on a light plate: dark blue would not read on the dark
    // lower end of the background.
    shpWeb = new QFrame(this);
    shpWeb->setObjectName(QStringLiteral("shpWeb"));
    shpWeb->setStyleSheet(QStringLiteral("QFrame#shpWeb { background: rgba(255,255,255,225); border-radius: 10px; }"));
    shpWeb->setGeometry(18, 408, 400, 48);
    imgWeb = new TPictureButton(QStringLiteral("imgWeb"), QStringLiteral(":/icons/globe.svg"), {},
                                TPictureButton::Style::Picture, this);
    imgWeb->setGeometry(26, 412, 40, 40);
    lnkWeb = new TLinkLabel(QStringLiteral("lnkWeb"), Maker::websiteShown(), this);
    lnkWeb->setGeometry(74, 416, 330, 32);
    lnkWeb->pairWith(imgWeb);

    btnChiudi = new QPushButton(QStringLiteral("Chiudi"), this);
    btnChiudi->setObjectName(QStringLiteral("btnChiudi"));
    btnChiudi->setFont(Look::verdana(12));
    btnChiudi->setGeometry(523, 413, 120, 38);
    btnChiudi->setAutoDefault(false);

    connect(lnkWeb, &TLinkLabel::clicked, this, &TfrmSplash::lnkWebClick);
    connect(imgWeb, &QAbstractButton::clicked, this, &TfrmSplash::lnkWebClick);
    imgWeb->setAccessibleName(QStringLiteral("Visita il sito web"));
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::accept);
}

void TfrmSplash::lnkWebClick()
{
    lnkWeb->setColour(Look::darkBlue);
    TMisc::Open(Maker::website());
}
