#include "gui/shell/frmPassword.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/access/PasswordStore.h"
#include "core/formats/Text.h"
#include "gui/widgets/Banner.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/FixedWindow.h"
#include "gui/widgets/Look.h"

TfrmPassword::TfrmPassword(QWidget* parent) : TGradientPanel(Look::steelBlue, Qt::white, parent)
{
    setObjectName(QStringLiteral("frmPassword"));
    FixedWindow::setup(this, QStringLiteral(" Miniarca Pro - Accesso"), QSize(400, 296));
    FixedWindow::centreOnScreen(this);

    imgLogo = new TBanner(QStringLiteral("imgLogo"), QStringLiteral(":/pictures/login.svg"),
                          {QStringLiteral("Password"),
                           QStringLiteral("Proteggi l'accesso all'app con una password di tua scelta."),
                           QStringLiteral("Al primo accesso usare la password: vetrinamodelli")},
                          this);
    imgLogo->setGeometry(20, 16, 360, 120);

    lblRigo05 = new QLabel(QStringLiteral("Immetti la password e premi OK."), this);
    lblRigo05->setObjectName(QStringLiteral("lblRigo05"));
    lblRigo05->setFont(Look::verdana(10, true));
    lblRigo05->setStyleSheet(QStringLiteral("color: #1F3A5F;"));
    lblRigo05->setGeometry(20, 146, 360, 22);

    effPassword = new QFrame(this);
    effPassword->setObjectName(QStringLiteral("effPassword"));
    effPassword->setStyleSheet(QStringLiteral("QFrame#effPassword { background: #FFFF00; border-radius: 4px; }"));
    effPassword->setGeometry(15, 171, 370, 46);
    effPassword->hide();

    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setFont(Look::verdana(14, true));
    txtPassword->setGeometry(20, 176, 360, 36);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(20, 240, 100, 34);
    cmdOK->setEnabled(false);
    cmdEsci = new QPushButton(QStringLiteral("Esci"), this);
    cmdEsci->setObjectName(QStringLiteral("cmdEsci"));
    cmdEsci->setGeometry(130, 240, 100, 34);
    btnCambiaPassword = new QPushButton(QStringLiteral("Cambia password"), this);
    btnCambiaPassword->setObjectName(QStringLiteral("btnCambiaPassword"));
    btnCambiaPassword->setGeometry(240, 240, 140, 34);
    for (QPushButton* button : {cmdOK, cmdEsci, btnCambiaPassword})
        button->setFont(Look::verdana(10));

    lblMemory = new QLabel(this);
    lblMemory->setObjectName(QStringLiteral("lblMemory"));
    lblMemory->hide();

    setTabOrder(txtPassword, cmdOK);
    setTabOrder(cmdOK, cmdEsci);
    setTabOrder(cmdEsci, btnCambiaPassword);
    txtPassword->installEventFilter(this);

    connect(txtPassword, &QLineEdit::textChanged, this, &TfrmPassword::updateOK);
    connect(txtPassword, &QLineEdit::returnPressed, this, [this] {
        if (!Text::trimmed(txtPassword->text()).isEmpty())
            cmdOKClick();
    });
    connect(cmdOK, &QPushButton::clicked, this, &TfrmPassword::cmdOKClick);
    connect(cmdEsci, &QPushButton::clicked, this, &TfrmPassword::cmdEsciClick);
    connect(btnCambiaPassword, &QPushButton::clicked, this, &TfrmPassword::btnCambiaPasswordClick);
}

QString TfrmPassword::wrongPasswordMessage()
{
    return QStringLiteral("Attenzione: password errata.");
}

QString TfrmPassword::readErrorMessage()
{
    return FailureMessages::text(TFailure{TFailure::Operation::ReadPasswords, {}, {}});
}

void TfrmPassword::updateOK()
{
    cmdOK->setEnabled(!Text::trimmed(txtPassword->text()).isEmpty());
}

bool TfrmPassword::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtPassword) {
        switch (event->type()) {
        case QEvent::FocusIn: effPassword->show(); break;
        case QEvent::FocusOut: effPassword->hide(); break;
        case QEvent::KeyRelease: updateOK(); break;
        default: break;
        }
    }
    return TGradientPanel::eventFilter(watched, event);
}

void TfrmPassword::showEvent(QShowEvent* event)
{
    TGradientPanel::showEvent(event);
    txtPassword->setFocus();
}

void TfrmPassword::cmdOKClick()
{
    TFailure failure;
    const std::optional<QString> stored = PasswordStore::readPassword(PasswordStore::path(), &failure);
    if (!stored) {
        FailureMessages::show(this, failure, Dialogs::Kind::Plain);
        return;
    }
    lblMemory->setText(*stored);
    const QString typed = PasswordStore::normalised(txtPassword->text());
    if (!typed.isEmpty() && typed == *stored) {
        emit accessGranted();
        return;
    }
    Dialogs::plain(this, wrongPasswordMessage());
    txtPassword->clear();
    txtPassword->setFocus();
}

void TfrmPassword::cmdEsciClick()
{
    close();
}

void TfrmPassword::btnCambiaPasswordClick()
{
    emit changePasswordRequested();
}

void TfrmPassword::clearEntry()
{
    txtPassword->clear();
    lblMemory->clear();
}

void TfrmPassword::closeEvent(QCloseEvent* event)
{
    event->accept();
    hide();
    emit exitRequested();
}
