#include "gui/help/frmGuida.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/archive/ProgramFolder.h"
#include "core/system/TMisc.h"
#include "gui/help/GuideTexts.h"
#include "gui/widgets/Banner.h"
#include "gui/widgets/Keys.h"
#include "gui/widgets/LinkLabel.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/PictureButton.h"

TfrmGuida::TfrmGuida(QWidget* owner)
    : TFixedDialog(owner, QStringLiteral("frmGuida"), QStringLiteral(" Guida all'utilizzo del software"),
                   QSize(670, 572), Qt::white, QColor(0xBF, 0xD8, 0xEF))
{
    // The guide key opens no second guide over this one.
    Keys::setGuide(this, {});
    imgLogo = new TBanner(QStringLiteral("imgLogo"), QStringLiteral(":/pictures/guide_banner.svg"),
                          {QStringLiteral("Guida all'utilizzo del software")}, this);
    imgLogo->setGeometry(0, 0, 670, 70);

    lblTitolo = new QLabel(QStringLiteral("Argomento della guida."), this);
    lblTitolo->setObjectName(QStringLiteral("lblTitolo"));
    lblTitolo->setFont(Look::arial(16, true));
    lblTitolo->setStyleSheet(QStringLiteral("color: #DC143C;"));
    lblTitolo->setGeometry(24, 84, 622, 32);

    txtGuida = new QPlainTextEdit(this);
    txtGuida->setObjectName(QStringLiteral("txtGuida"));
    txtGuida->setReadOnly(true);
    txtGuida->setFont(Look::verdana(12, true));
    txtGuida->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtGuida->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    txtGuida->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    txtGuida->setStyleSheet(QStringLiteral("QPlainTextEdit { background: white; color: #1F3A5F;"
                                           " border: 1px solid #87CEEB; padding: 6px; }"));
    txtGuida->setGeometry(24, 124, 622, 356);

    imgPDF = new TPictureButton(QStringLiteral("imgPDF"), QStringLiteral(":/icons/pdf.svg"), {},
                                TPictureButton::Style::Picture, this);
    imgPDF->setGeometry(24, 496, 52, 52);
    lnkWeb = new TLinkLabel(QStringLiteral("lnkWeb"), QStringLiteral("Visualizza guida in formato PDF"), this);
    lnkWeb->setGeometry(86, 506, 360, 32);
    lnkWeb->pairWith(imgPDF);

    btnChiudi = new QPushButton(QStringLiteral("Chiudi"), this);
    btnChiudi->setObjectName(QStringLiteral("btnChiudi"));
    btnChiudi->setFont(Look::verdana(12));
    btnChiudi->setGeometry(526, 504, 120, 38);
    btnChiudi->setAutoDefault(false);

    connect(lnkWeb, &TLinkLabel::clicked, this, &TfrmGuida::lnkWebClick);
    connect(imgPDF, &QAbstractButton::clicked, this, &TfrmGuida::lnkWebClick);
    imgPDF->setAccessibleName(QStringLiteral("Apri la guida completa in PDF"));
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::accept);
}

void TfrmGuida::lnkWebClick()
{
    lnkWeb->setColour(Look::darkBlue);
    // Quoted, so that a program folder with spaces in its path still opens.
    TMisc::Open(QLatin1Char('"') + userGuidePath() + QLatin1Char('"'));
}

void TfrmGuida::showGuide(QWidget* owner, const GuideText& guide)
{
    TfrmGuida frmGuida(owner);
    frmGuida.lblTitolo->setText(guide.title);
    frmGuida.txtGuida->setPlainText(joinParagraphs(guide.paragraphs));
    frmGuida.exec();
}

QString TfrmGuida::joinParagraphs(const QStringList& paragraphs)
{
    return paragraphs.join(QStringLiteral("\r\n\r\n"));
}

QString TfrmGuida::userGuidePath()
{
    return ProgramFolder::path() + QStringLiteral("Guida.pdf");
}
