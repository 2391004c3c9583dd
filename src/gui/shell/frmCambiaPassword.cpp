#include "gui/shell/frmCambiaPassword.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/access/Crypt.h"
#include "core/access/PasswordStore.h"
#include "core/formats/Text.h"
#include "gui/widgets/Banner.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/FixedWindow.h"
#include "gui/widgets/Look.h"

TfrmCambiaPassword::TfrmCambiaPassword(QWidget* parent) : TGradientPanel(Look::steelBlue, Qt::white, parent)
{
    setObjectName(QStringLiteral("frmCambiaPassword"));
    FixedWindow::setup(this, QStringLiteral(" Cambia password"), QSize(400, 420));
    FixedWindow::centreOnScreen(this);

    imgLogo = new TBanner(QStringLiteral("imgLogo"), QStringLiteral(":/pictures/change_password.svg"),
                          {QStringLiteral("Cambia password"),
                           QStringLiteral("Per cambiare la password immetti i dati nei campi sottostanti e premi OK.")},
                          this);
    imgLogo->setGeometry(20, 16, 360, 120);

    auto caption = [this](const char* name, const QString& text, int y) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QLatin1String(name));
        label->setFont(Look::verdana(10, true));
        label->setStyleSheet(QStringLiteral("color: #1F3A5F;"));
        label->setGeometry(20, y, 360, 20);
        return label;
    };
    auto highlight = [this](const char* name, int y) {
        auto* frame = new QFrame(this);
        frame->setObjectName(QLatin1String(name));
        frame->setStyleSheet(
            QStringLiteral("QFrame#%1 { background: #FFFF00; border-radius: 4px; }").arg(QLatin1String(name)));
        frame->setGeometry(15, y - 5, 370, 46);
        frame->hide();
        return frame;
    };
    auto field = [this](const char* name, int y) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setEchoMode(QLineEdit::Password);
        edit->setFont(Look::verdana(14, true));
        edit->setGeometry(20, y, 360, 36);
        edit->installEventFilter(this);
        return edit;
    };
    lblRigo05 = caption("lblRigo05", QStringLiteral("Vecchia password:"), 146);
    effPasswordOld = highlight("effPasswordOld", 168);
    txtPasswordOld = field("txtPasswordOld", 168);
    lblRigo06 = caption("lblRigo06", QStringLiteral("Nuova password:"), 214);
    effPasswordNew = highlight("effPasswordNew", 236);
    txtPasswordNew = field("txtPasswordNew", 236);
    lblRigo07 = caption("lblRigo07", QStringLiteral("Conferma nuova password:"), 282);
    effConferma = highlight("effConferma", 304);
    txtConferma = field("txtConferma", 304);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(20, 366, 110, 34);
    cmdOK->setEnabled(false);
    cmdEsci = new QPushButton(QStringLiteral("Chiudi"), this);
    cmdEsci->setObjectName(QStringLiteral("cmdEsci"));
    cmdEsci->setGeometry(270, 366, 110, 34);
    for (QPushButton* button : {cmdOK, cmdEsci})
        button->setFont(Look::verdana(10));

    lblMemory = new QLabel(this);
    lblMemory->setObjectName(QStringLiteral("lblMemory"));
    lblMemory->hide();

    setTabOrder(txtPasswordOld, txtPasswordNew);
    setTabOrder(txtPasswordNew, txtConferma);
    setTabOrder(txtConferma, cmdOK);
    setTabOrder(cmdOK, cmdEsci);

    for (QLineEdit* edit : {txtPasswordOld, txtPasswordNew, txtConferma})
        connect(edit, &QLineEdit::textChanged, this, &TfrmCambiaPassword::updateOK);
    // Enter walks the three fields in a cycle; only OK changes the password.
    connect(txtPasswordOld, &QLineEdit::returnPressed, txtPasswordNew, [this] { txtPasswordNew->setFocus(); });
    connect(txtPasswordNew, &QLineEdit::returnPressed, txtConferma, [this] { txtConferma->setFocus(); });
    connect(txtConferma, &QLineEdit::returnPressed, txtPasswordOld, [this] { txtPasswordOld->setFocus(); });
    connect(cmdOK, &QPushButton::clicked, this, &TfrmCambiaPassword::cmdOKClick);
    connect(cmdEsci, &QPushButton::clicked, this, &QWidget::close);
}

QString TfrmCambiaPassword::wrongOldMessage()
{
    return QStringLiteral("Attenzione: vecchia password errata.");
}

QString TfrmCambiaPassword::notConfirmedMessage()
{
    return QStringLiteral("Attenzione: la nuova password non è stata confermata correttamente. E' necessario "
                          "reinserire entrambi i valori.");
}

QString TfrmCambiaPassword::doneMessage()
{
    return QStringLiteral("Modifica della password completata con successo.");
}

QString TfrmCambiaPassword::changeErrorMessage()
{
    return FailureMessages::text(TFailure{TFailure::Operation::WritePasswords, {}, {}});
}

QFrame* TfrmCambiaPassword::highlightOf(QObject* field) const
{
    if (field == txtPasswordOld)
        return effPasswordOld;
    if (field == txtPasswordNew)
        return effPasswordNew;
    if (field == txtConferma)
        return effConferma;
    return nullptr;
}

void TfrmCambiaPassword::updateOK()
{
    cmdOK->setEnabled(!Text::trimmed(txtPasswordOld->text()).isEmpty()
                      && !Text::trimmed(txtPasswordNew->text()).isEmpty()
                      && !Text::trimmed(txtConferma->text()).isEmpty());
}

bool TfrmCambiaPassword::eventFilter(QObject* watched, QEvent* event)
{
    if (QFrame* eff = highlightOf(watched)) {
        switch (event->type()) {
        case QEvent::FocusIn: eff->show(); break;
        case QEvent::FocusOut: eff->hide(); break;
        case QEvent::KeyRelease: updateOK(); break;
        default: break;
        }
    }
    return TGradientPanel::eventFilter(watched, event);
}

void TfrmCambiaPassword::showEvent(QShowEvent* event)
{
    TGradientPanel::showEvent(event);
    if (event->spontaneous())
        return;
    txtPasswordOld->clear();
    txtPasswordNew->clear();
    txtConferma->clear();
    lblMemory->clear();
    txtPasswordOld->setFocus();
}

void TfrmCambiaPassword::cmdOKClick()
{
    const QString store = PasswordStore::path();
    TFailure failure;
    const std::optional<QString> value = PasswordStore::readValue(store, &failure);
    if (!value) {
        FailureMessages::log(failure);
        Dialogs::plain(this, changeErrorMessage());
        return;
    }
    lblMemory->setText(*value);
    const std::optional<QString> plain = Crypt::Decrypt(*value);
    if (!plain) {
        FailureMessages::log(
            TFailure{TFailure::Operation::ReadPasswords, store, QStringLiteral("the stored value is not hexadecimal")});
        Dialogs::plain(this, changeErrorMessage());
        return;
    }
    const QString current = Text::trimmed(*plain);
    lblMemory->setText(current);

    const QString old = PasswordStore::normalised(txtPasswordOld->text());
    if (old.isEmpty() || old != current) {
        Dialogs::plain(this, wrongOldMessage());
        txtPasswordOld->clear();
        txtPasswordOld->setFocus();
        return;
    }
    // Compared as typed: a confirmation differing only in letter case is
    // refused, although both would be stored alike.
    if (Text::trimmed(txtPasswordNew->text()) != Text::trimmed(txtConferma->text())) {
        Dialogs::plain(this, notConfirmedMessage());
        txtPasswordNew->clear();
        txtConferma->clear();
        txtPasswordNew->setFocus();
        return;
    }
    const QString fresh = PasswordStore::normalised(txtPasswordNew->text());
    // The cipher holds 255 characters of one byte each; anything else would be
    // stored maimed and never match again.
    const PasswordStore::Refusal refusal = PasswordStore::refusal(fresh);
    if (refusal != PasswordStore::Refusal::None) {
        Dialogs::plain(this, FailureMessages::passwordRefusal(refusal));
        txtPasswordNew->clear();
        txtConferma->clear();
        txtPasswordNew->setFocus();
        return;
    }
    const QString cipher = Crypt::Encrypt(fresh);
    lblMemory->setText(cipher);
    if (!PasswordStore::writeValue(store, cipher, &failure)) {
        FailureMessages::show(this, failure, Dialogs::Kind::Plain);
        return;
    }
    Dialogs::plain(this, doneMessage());
    close();
}

void TfrmCambiaPassword::closeEvent(QCloseEvent* event)
{
    event->accept();
    FormClose();
}

void TfrmCambiaPassword::FormClose()
{
    emit closed();
}
