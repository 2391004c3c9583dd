#include "shell/frmCambiaPassword.h"

#include <QPushButton>

#include "shell/WindowSet.h"
#include "shell/frmPassword.h"
#include "ui/FixedWindow.h"

TfrmCambiaPassword::TfrmCambiaPassword(TWindowSet& windows) : m_windows(windows)
{
    setObjectName(QStringLiteral("frmCambiaPassword"));
    FixedWindow::setup(this, QStringLiteral(" Cambia password"), QSize(400, 360));
    FixedWindow::centreOnScreen(this);
    cmdEsci = new QPushButton(QStringLiteral("Chiudi"), this);
    cmdEsci->setObjectName(QStringLiteral("cmdEsci"));
    cmdEsci->setGeometry(150, 300, 100, 32);
    connect(cmdEsci, &QPushButton::clicked, this,
            [this] { TWindowSet::handOver(this, m_windows.frmPassword); });
}
