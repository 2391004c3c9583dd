#include "shell/frmPassword.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "shell/WindowSet.h"
#include "shell/frmAvvio.h"
#include "shell/frmCambiaPassword.h"
#include "ui/FixedWindow.h"

TfrmPassword::TfrmPassword(TWindowSet& windows) : m_windows(windows)
{
    setObjectName(QStringLiteral("frmPassword"));
    FixedWindow::setup(this, QStringLiteral(" Miniarca Pro - Accesso"), QSize(400, 300));
    FixedWindow::centreOnScreen(this);

    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setGeometry(40, 150, 320, 32);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(40, 220, 100, 32);
    cmdEsci = new QPushButton(QStringLiteral("Esci"), this);
    cmdEsci->setObjectName(QStringLiteral("cmdEsci"));
    cmdEsci->setGeometry(150, 220, 100, 32);
    btnCambiaPassword = new QPushButton(QStringLiteral("Cambia password"), this);
    btnCambiaPassword->setObjectName(QStringLiteral("btnCambiaPassword"));
    btnCambiaPassword->setGeometry(260, 220, 120, 32);
    lblMemory = new QLabel(this);
    lblMemory->setObjectName(QStringLiteral("lblMemory"));
    lblMemory->hide();

    connect(cmdOK, &QPushButton::clicked, this, &TfrmPassword::cmdOKClick);
    connect(cmdEsci, &QPushButton::clicked, this, [this] {
        hide();
        m_windows.terminate();
    });
    connect(btnCambiaPassword, &QPushButton::clicked, this,
            [this] { TWindowSet::handOver(this, m_windows.frmCambiaPassword); });
}

void TfrmPassword::cmdOKClick()
{
    TWindowSet::handOver(this, m_windows.frmAvvio);
}
