// The login and change-password windows over a scratch program folder.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include "FileSizeLimit.h"
#include "TestSupport.h"
#include "core/access/Crypt.h"
#include "core/access/PasswordStore.h"
#include "gui/app/WindowSet.h"
#include "gui/shell/frmAvvio.h"
#include "gui/shell/frmCambiaPassword.h"
#include "gui/shell/frmPassword.h"

namespace {

QString storePath()
{
    return PasswordStore::path();
}

QByteArray storeBytes()
{
    QFile file(storePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeStore(const QByteArray& contents)
{
    QFile file(storePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

void storePassword(const QString& stored)
{
    QVERIFY(PasswordStore::writeValue(storePath(), Crypt::Encrypt(stored)));
}

QString storedValue()
{
    return QSettings(storePath(), QSettings::IniFormat).value(QStringLiteral("Accesso/Valore")).toString();
}

} // namespace

class TestPassword : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void deliveredStoreOpensWithInitialPassword_data();
    void deliveredStoreOpensWithInitialPassword();
    void wrongPasswordEmptiesTheField_data();
    void wrongPasswordEmptiesTheField();
    void missingStoreRefusesEveryPassword_data();
    void missingStoreRefusesEveryPassword();
    void damagedStoreGivesReadingError_data();
    void damagedStoreGivesReadingError();
    void strayLineGivesTheSameAnswerEveryTime();
    void okFollowsTheField_data();
    void okFollowsTheField();
    void enterRunsTheCheckOnlyWhenNotBlank();
    void highlightFollowsTheFocus();
    void exitEndsTheProgram();

    void wrongOldPassword();
    void confirmationDifferingOnlyInCaseIsRefused();
    void successfulChangeNeedsTheNewPassword();
    void refusedNewPasswordsStoreNothing_data();
    void refusedNewPasswordsStoreNothing();
    void longestAndAccentedPasswordsWork_data();
    void longestAndAccentedPasswordsWork();
    void changeWithDamagedStoreGivesChangeError();
    void damagedStoreAnswersAlikeInBothWindows_data();
    void damagedStoreAnswersAlikeInBothWindows();
    void failedWriteKeepsTheOldPassword();
    void changeOkNeedsAllThreeFields_data();
    void changeOkNeedsAllThreeFields();
    void enterCyclesTheFieldsAndNeverChanges();
    void closingHandsBackToAnEmptyLogin();

private:
    void login(const QString& typed);
    void changePassword(const QString& old, const QString& fresh, const QString& confirm);

    std::unique_ptr<TestProgram> m_program;
    std::unique_ptr<TWindowSet> m_windows;
    int m_terminated = 0;
};

void TestPassword::init()
{
    m_program = std::make_unique<TestProgram>();
    m_windows = std::make_unique<TWindowSet>();
    m_terminated = 0;
    m_windows->onTerminate = [this] { ++m_terminated; };
    m_windows->start();
    QVERIFY(QTest::qWaitForWindowExposed(m_windows->frmPassword));
}

void TestPassword::cleanup()
{
    m_windows.reset();
    m_program.reset();
}

void TestPassword::login(const QString& typed)
{
    TfrmPassword* w = m_windows->frmPassword;
    named<QLineEdit>(w, "txtPassword")->setText(typed);
    QTest::mouseClick(named<QAbstractButton>(w, "cmdOK"), Qt::LeftButton);
}

void TestPassword::changePassword(const QString& old, const QString& fresh, const QString& confirm)
{
    TfrmCambiaPassword* w = m_windows->frmCambiaPassword;
    named<QLineEdit>(w, "txtPasswordOld")->setText(old);
    named<QLineEdit>(w, "txtPasswordNew")->setText(fresh);
    named<QLineEdit>(w, "txtConferma")->setText(confirm);
    QTest::mouseClick(named<QAbstractButton>(w, "cmdOK"), Qt::LeftButton);
}

// ---- login -----------------------------------------------------------------------

void TestPassword::deliveredStoreOpensWithInitialPassword_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("lower") << "vetrinamodelli";
    QTest::newRow("upper") << "VETRINAMODELLI";
    QTest::newRow("mixed") << "VetrinaModelli";
    QTest::newRow("blanks around") << "   vEtRiNaMoDeLlI  ";
}

void TestPassword::deliveredStoreOpensWithInitialPassword()
{
    QFETCH(QString, typed);
    // The very file the build delivers and installs.
    QVERIFY(QFile::copy(QStringLiteral(MINIARCA_DELIVERED_STORE), storePath()));
    TfrmPassword* w = m_windows->frmPassword;
    QVERIFY(!m_windows->frmAvvio->isVisible());
    QTest::keyClicks(named<QLineEdit>(w, "txtPassword"), typed);
    QVERIFY(named<QAbstractButton>(w, "cmdOK")->isEnabled());
    QTest::mouseClick(named<QAbstractButton>(w, "cmdOK"), Qt::LeftButton);
    QCOMPARE(shownTexts(), QStringList());
    QVERIFY(m_windows->frmAvvio->isVisible());
    QVERIFY(!w->isVisible());
    QCOMPARE(named<QLabel>(w, "lblMemory")->text(), QStringLiteral("VETRINAMODELLI"));
}

void TestPassword::wrongPasswordEmptiesTheField_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("typed");
    QTest::newRow("different word") << "VETRINAMODELLI"
                                    << "vetrina";
    QTest::newRow("inner blank") << "VETRINAMODELLI"
                                 << "vetrina modelli";
    // Only a to z are folded: an accented lower-case letter stays as typed.
    QTest::newRow("accented lower case") << QStringLiteral("CAFFÈ") << QStringLiteral("caffè");
    QTest::newRow("accented upper vs stored lower") << QStringLiteral("CAFFè") << QStringLiteral("CAFFÈ");
}

void TestPassword::wrongPasswordEmptiesTheField()
{
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    storePassword(stored);
    TfrmPassword* w = m_windows->frmPassword;
    login(typed);
    const QList<Dialogs::Shown> shown = Dialogs::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().text, QStringLiteral("Attenzione: password errata."));
    QCOMPARE(shown.first().kind, Dialogs::Kind::Plain);
    QCOMPARE(shown.first().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(w->isVisible());
    QVERIFY(!m_windows->frmAvvio->isVisible());
    QCOMPARE(named<QLineEdit>(w, "txtPassword")->text(), QString());
    QVERIFY(!named<QAbstractButton>(w, "cmdOK")->isEnabled());
    QCOMPARE(w->focusWidget(), named<QLineEdit>(w, "txtPassword"));

    // Any number of attempts; the right one still passes.
    login(stored);
    QCOMPARE(shownTexts(), QStringList());
    QVERIFY(m_windows->frmAvvio->isVisible());
}

void TestPassword::missingStoreRefusesEveryPassword_data()
{
    QTest::addColumn<QByteArray>("contents"); // empty: no store file at all
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("no key") << QByteArray("[Accesso]\nAltro=1B\n");
    QTest::newRow("empty value") << QByteArray("[Accesso]\nValore=\n");
}

void TestPassword::missingStoreRefusesEveryPassword()
{
    QFETCH(QByteArray, contents);
    if (!contents.isEmpty())
        writeStore(contents);
    for (const QString& typed : {QStringLiteral("vetrinamodelli"), QStringLiteral("x")}) {
        login(typed);
        QCOMPARE(shownTexts(), QStringList{QStringLiteral("Attenzione: password errata.")});
    }
    QVERIFY(!m_windows->frmAvvio->isVisible());
}

void TestPassword::damagedStoreGivesReadingError_data()
{
    QTest::addColumn<QByteArray>("contents"); // empty: the store is a folder
    QTest::newRow("not hexadecimal") << QByteArray("[Accesso]\nValore=0C73ZZ\n");
    QTest::newRow("blank inside") << QByteArray("[Accesso]\nValore=0C 739F\n");
    QTest::newRow("store is a folder") << QByteArray();
}

void TestPassword::damagedStoreGivesReadingError()
{
    QFETCH(QByteArray, contents);
    if (contents.isEmpty())
        QVERIFY(QDir().mkpath(storePath()));
    else
        writeStore(contents);
    TfrmPassword* w = m_windows->frmPassword;
    login(QStringLiteral("vetrinamodelli"));
    const QList<Dialogs::Shown> shown = Dialogs::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().text, QStringLiteral("Attenzione: si è verificato un errore durante la procedura di lettura "
                                                "della password. Si consiglia di reinstallare il software."));
    QCOMPARE(shown.first().kind, Dialogs::Kind::Plain);
    QVERIFY(w->isVisible());
    QVERIFY(!m_windows->frmAvvio->isVisible());
}

void TestPassword::strayLineGivesTheSameAnswerEveryTime()
{
    // A line without "=" after the value cannot belong to it: the value is
    // read as intact, on the first attempt as on every later one.
    writeStore("[Accesso]\nValore=" + Crypt::Encrypt(QStringLiteral("VETRINAMODELLI")).toLatin1() + "\nrotto\n");
    for (int attempt = 1; attempt <= 3; ++attempt) {
        login(QStringLiteral("sbagliata"));
        QCOMPARE(shownTexts(), QStringList{QStringLiteral("Attenzione: password errata.")});
    }
    login(QStringLiteral("vetrinamodelli"));
    QCOMPARE(shownTexts(), QStringList());
    QVERIFY(m_windows->frmAvvio->isVisible());
}

void TestPassword::okFollowsTheField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blanks") << "     " << false;
    QTest::newRow("control chars") << "\t \x01 " << false;
    QTest::newRow("one letter") << "a" << true;
    QTest::newRow("letter among blanks") << "  a  " << true;
}

void TestPassword::okFollowsTheField()
{
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    TfrmPassword* w = m_windows->frmPassword;
    QVERIFY(!named<QAbstractButton>(w, "cmdOK")->isEnabled()); // disabled at start
    named<QLineEdit>(w, "txtPassword")->setText(QStringLiteral("x"));
    QVERIFY(named<QAbstractButton>(w, "cmdOK")->isEnabled());
    named<QLineEdit>(w, "txtPassword")->setText(text);
    QCOMPARE(named<QAbstractButton>(w, "cmdOK")->isEnabled(), enabled);
    // Typed key by key (a typed tab would leave the field), and emptied
    // again with the keyboard.
    if (text.contains(QLatin1Char('\t')))
        return;
    named<QLineEdit>(w, "txtPassword")->clear();
    named<QLineEdit>(w, "txtPassword")->setFocus();
    QTest::keyClicks(named<QLineEdit>(w, "txtPassword"), text);
    QCOMPARE(named<QAbstractButton>(w, "cmdOK")->isEnabled(), enabled);
    QTest::keyClick(named<QLineEdit>(w, "txtPassword"), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(named<QLineEdit>(w, "txtPassword"), Qt::Key_Backspace);
    QVERIFY(!named<QAbstractButton>(w, "cmdOK")->isEnabled());
}

void TestPassword::enterRunsTheCheckOnlyWhenNotBlank()
{
    storePassword(QStringLiteral("VETRINAMODELLI"));
    TfrmPassword* w = m_windows->frmPassword;
    named<QLineEdit>(w, "txtPassword")->setFocus();
    QTest::keyClicks(named<QLineEdit>(w, "txtPassword"), QStringLiteral("   "));
    QTest::keyClick(named<QLineEdit>(w, "txtPassword"), Qt::Key_Return);
    QCOMPARE(shownTexts(), QStringList());
    QCOMPARE(named<QLineEdit>(w, "txtPassword")->text(), QStringLiteral("   "));

    named<QLineEdit>(w, "txtPassword")->clear();
    QTest::keyClicks(named<QLineEdit>(w, "txtPassword"), QStringLiteral("sbagliata"));
    QTest::keyClick(named<QLineEdit>(w, "txtPassword"), Qt::Key_Enter);
    QCOMPARE(shownTexts(), QStringList{QStringLiteral("Attenzione: password errata.")});

    QTest::keyClicks(named<QLineEdit>(w, "txtPassword"), QStringLiteral("vetrinamodelli"));
    QTest::keyClick(named<QLineEdit>(w, "txtPassword"), Qt::Key_Return);
    QCOMPARE(shownTexts(), QStringList());
    QVERIFY(m_windows->frmAvvio->isVisible());
}

void TestPassword::highlightFollowsTheFocus()
{
    TfrmPassword* w = m_windows->frmPassword;
    QCOMPARE(named<QLineEdit>(w, "txtPassword")->echoMode(), QLineEdit::Password);
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTRY_VERIFY(named<QLineEdit>(w, "txtPassword")->hasFocus()); // the focus goes to the field on show
    QVERIFY(named<QFrame>(w, "effPassword")->isVisible());
    // The rectangle lies behind the field and around it.
    QVERIFY(named<QFrame>(w, "effPassword")->geometry().contains(named<QLineEdit>(w, "txtPassword")->geometry()));
    named<QAbstractButton>(w, "cmdEsci")->setFocus();
    QVERIFY(!named<QFrame>(w, "effPassword")->isVisible());
    named<QLineEdit>(w, "txtPassword")->setFocus();
    QVERIFY(named<QFrame>(w, "effPassword")->isVisible());
}

void TestPassword::exitEndsTheProgram()
{
    TfrmPassword* w = m_windows->frmPassword;
    QTest::mouseClick(named<QAbstractButton>(w, "cmdEsci"), Qt::LeftButton);
    QCOMPARE(m_terminated, 1);
    QVERIFY(!w->isVisible());
}

// ---- change password -------------------------------------------------------------

void TestPassword::wrongOldPassword()
{
    storePassword(QStringLiteral("VETRINAMODELLI"));
    const QByteArray before = storeBytes();
    QTest::mouseClick(named<QAbstractButton>(m_windows->frmPassword, "btnCambiaPassword"), Qt::LeftButton);
    TfrmCambiaPassword* w = m_windows->frmCambiaPassword;
    QVERIFY(w->isVisible());
    QVERIFY(!m_windows->frmPassword->isVisible());

    changePassword(QStringLiteral("vetrina"), QStringLiteral("nuova"), QStringLiteral("nuova"));
    const QList<Dialogs::Shown> shown = Dialogs::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().text, QStringLiteral("Attenzione: vecchia password errata."));
    QCOMPARE(shown.first().kind, Dialogs::Kind::Plain);
    QCOMPARE(named<QLineEdit>(w, "txtPasswordOld")->text(), QString());
    QCOMPARE(named<QLineEdit>(w, "txtPasswordNew")->text(), QStringLiteral("nuova"));
    QCOMPARE(w->focusWidget(), named<QLineEdit>(w, "txtPasswordOld"));
    QVERIFY(w->isVisible());
    QCOMPARE(storeBytes(), before);
}

void TestPassword::confirmationDifferingOnlyInCaseIsRefused()
{
    storePassword(QStringLiteral("VETRINAMODELLI"));
    const QByteArray before = storeBytes();
    QTest::mouseClick(named<QAbstractButton>(m_windows->frmPassword, "btnCambiaPassword"), Qt::LeftButton);
    TfrmCambiaPassword* w = m_windows->frmCambiaPassword;
    changePassword(QStringLiteral("vetrinamodelli"), QStringLiteral("Collezione"), QStringLiteral("collezione"));
    QCOMPARE(shownTexts(), QStringList{QStringLiteral("Attenzione: la nuova password non è stata confermata "
                                                      "correttamente. E' necessario reinserire entrambi i valori.")});
    QCOMPARE(named<QLineEdit>(w, "txtPasswordNew")->text(), QString());
    QCOMPARE(named<QLineEdit>(w, "txtConferma")->text(), QString());
    QCOMPARE(named<QLineEdit>(w, "txtPasswordOld")->text(), QStringLiteral("vetrinamodelli"));
    QCOMPARE(w->focusWidget(), named<QLineEdit>(w, "txtPasswordNew"));
    QCOMPARE(storeBytes(), before);

    // Blanks around either one do not count: they are compared trimmed.
    changePassword(QStringLiteral("vetrinamodelli"), QStringLiteral(" Collezione"), QStringLiteral("Collezione  "));
    QCOMPARE(shownTexts(), QStringList{QStringLiteral("Modifica della password completata con successo.")});
}

void TestPassword::successfulChangeNeedsTheNewPassword()
{
    storePassword(QStringLiteral("VETRINAMODELLI"));
    QTest::mouseClick(named<QAbstractButton>(m_windows->frmPassword, "btnCambiaPassword"), Qt::LeftButton);
    TfrmCambiaPassword* w = m_windows->frmCambiaPassword;
    changePassword(QStringLiteral(" VetrinaModelli "), QStringLiteral("  Auto d'Epoca  "),
                   QStringLiteral("  Auto d'Epoca  "));
    const QList<Dialogs::Shown> shown = Dialogs::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().text, QStringLiteral("Modifica della password completata con successo."));
    QCOMPARE(shown.first().kind, Dialogs::Kind::Plain);

    // Back in an empty login window.
    QVERIFY(!w->isVisible());
    TfrmPassword* login = m_windows->frmPassword;
    QVERIFY(login->isVisible());
    QCOMPARE(named<QLineEdit>(login, "txtPassword")->text(), QString());
    QCOMPARE(named<QLabel>(login, "lblMemory")->text(), QString());
    QCOMPARE(login->focusWidget(), named<QLineEdit>(login, "txtPassword"));

    // Stored upper-cased and trimmed, two digits per character.
    const QString value = storedValue();
    QCOMPARE(value.size(), 2 * QStringLiteral("AUTO D'EPOCA").size());
    QCOMPARE(Crypt::Decrypt(value), std::optional<QString>(QStringLiteral("AUTO D'EPOCA")));

    named<QLineEdit>(login, "txtPassword")->setText(QStringLiteral("vetrinamodelli"));
    QTest::mouseClick(named<QAbstractButton>(login, "cmdOK"), Qt::LeftButton);
    QCOMPARE(shownTexts(), QStringList{QStringLiteral("Attenzione: password errata.")});
    named<QLineEdit>(login, "txtPassword")->setText(QStringLiteral("auto d'epoca"));
    QTest::mouseClick(named<QAbstractButton>(login, "cmdOK"), Qt::LeftButton);
    QCOMPARE(shownTexts(), QStringList());
    QVERIFY(m_windows->frmAvvio->isVisible());
}

void TestPassword::refusedNewPasswordsStoreNothing_data()
{
    QTest::addColumn<QString>("fresh");
    QTest::newRow("256 chars") << QString(256, QLatin1Char('m'));
    QTest::newRow("euro sign") << QStringLiteral("Prezzo€");
    QTest::newRow("greek") << QStringLiteral("Ωmega");
    QTest::newRow("emoji") << QStringLiteral("auto🚗");
}

void TestPassword::refusedNewPasswordsStoreNothing()
{
    QFETCH(QString, fresh);
    storePassword(QStringLiteral("VETRINAMODELLI"));
    const QByteArray before = storeBytes();
    QTest::mouseClick(named<QAbstractButton>(m_windows->frmPassword, "btnCambiaPassword"), Qt::LeftButton);
    TfrmCambiaPassword* w = m_windows->frmCambiaPassword;
    changePassword(QStringLiteral("vetrinamodelli"), fresh, fresh);
    const QList<Dialogs::Shown> shown = Dialogs::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().kind, Dialogs::Kind::Plain);
    QVERIFY(shown.first().text.startsWith(QStringLiteral("Attenzione: la nuova password ")));
    QVERIFY(shown.first().text != TfrmCambiaPassword::notConfirmedMessage());
    QCOMPARE(storeBytes(), before);
    QVERIFY(w->isVisible());
    QCOMPARE(named<QLineEdit>(w, "txtPasswordNew")->text(), QString());
    QCOMPARE(named<QLineEdit>(w, "txtConferma")->text(), QString());
}

void TestPassword::longestAndAccentedPasswordsWork_data()
{
    QTest::addColumn<QString>("fresh");
    QTest::addColumn<QString>("typedAtLogin");
    QTest::newRow("255 chars with blanks around")
        << QStringLiteral("  ") + QString(255, QLatin1Char('z')) + QStringLiteral(" ")
        << QString(255, QLatin1Char('Z'));
    QTest::newRow("accented") << QStringLiteral("Città più bella") << QStringLiteral("CITTà PIù BELLA");
}

void TestPassword::longestAndAccentedPasswordsWork()
{
    QFETCH(QString, fresh);
    QFETCH(QString, typedAtLogin);
    storePassword(QStringLiteral("VETRINAMODELLI"));
    QTest::mouseClick(named<QAbstractButton>(m_windows->frmPassword, "btnCambiaPassword"), Qt::LeftButton);
    changePassword(QStringLiteral("vetrinamodelli"), fresh, fresh);
    QCOMPARE(shownTexts(), QStringList{QStringLiteral("Modifica della password completata con successo.")});
    QCOMPARE(storedValue().size(), 2 * typedAtLogin.size());
    login(typedAtLogin);
    QCOMPARE(shownTexts(), QStringList());
    QVERIFY(m_windows->frmAvvio->isVisible());
}

void TestPassword::changeWithDamagedStoreGivesChangeError()
{
    writeStore("[Accesso]\nValore=0C73ZZ\n");
    QTest::mouseClick(named<QAbstractButton>(m_windows->frmPassword, "btnCambiaPassword"), Qt::LeftButton);
    TfrmCambiaPassword* w = m_windows->frmCambiaPassword;
    changePassword(QStringLiteral("vetrinamodelli"), QStringLiteral("nuova"), QStringLiteral("nuova"));
    QCOMPARE(shownTexts(), QStringList{QStringLiteral("Attenzione: si è verificato un errore durante la procedura di "
                                                      "modifica della password. Si consiglia di reinstallare il "
                                                      "software.")});
    QVERIFY(w->isVisible());
    QCOMPARE(storeBytes(), QByteArray("[Accesso]\nValore=0C73ZZ\n"));
}

void TestPassword::damagedStoreAnswersAlikeInBothWindows_data()
{
    const QByteArray value = Crypt::Encrypt(QStringLiteral("VETRINAMODELLI")).toLatin1();
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("readable");
    QTest::newRow("stray line after the value") << "[Accesso]\nValore=" + value + "\nrotto\n" << true;
    QTest::newRow("stray lines, CR LF, BOM") << "\xEF\xBB\xBFrotto\r\n[Accesso]\r\n???\r\nValore=" + value + "\r\n"
                                             << true;
    QTest::newRow("two different values") << "[Accesso]\nValore=" + value + "\nValore=1B\n" << false;
    QTest::newRow("stray line, no value") << QByteArray("[Accesso]\nrotto\n") << false;
    QTest::newRow("broken section header") << "[Accesso\nValore=" + value + "\n" << false;
}

void TestPassword::damagedStoreAnswersAlikeInBothWindows()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, readable);
    writeStore(contents);
    const QString readError = QStringLiteral("Attenzione: si è verificato un errore durante la procedura di lettura "
                                             "della password. Si consiglia di reinstallare il software.");
    const QString changeError = QStringLiteral("Attenzione: si è verificato un errore durante la procedura di "
                                               "modifica della password. Si consiglia di reinstallare il software.");

    login(QStringLiteral("sbagliata"));
    QCOMPARE(shownTexts(), QStringList{readable ? QStringLiteral("Attenzione: password errata.") : readError});

    QTest::mouseClick(named<QAbstractButton>(m_windows->frmPassword, "btnCambiaPassword"), Qt::LeftButton);
    TfrmCambiaPassword* w = m_windows->frmCambiaPassword;
    changePassword(QStringLiteral("vetrinamodelli"), QStringLiteral("nuova"), QStringLiteral("nuova"));
    if (!readable) {
        QCOMPARE(shownTexts(), QStringList{changeError});
        QVERIFY(w->isVisible());
        QCOMPARE(storeBytes(), contents);
        return;
    }
    QCOMPARE(shownTexts(), QStringList{QStringLiteral("Modifica della password completata con successo.")});
    // Only the value changed: the lines around it stay as they were.
    const QByteArray after = storeBytes();
    QVERIFY(!after.contains(Crypt::Encrypt(QStringLiteral("VETRINAMODELLI")).toLatin1()));
    QCOMPARE(QByteArray(after).replace(Crypt::Encrypt(QStringLiteral("NUOVA")).toLatin1(), "*"),
             QByteArray(contents).replace(Crypt::Encrypt(QStringLiteral("VETRINAMODELLI")).toLatin1(), "*"));
    login(QStringLiteral("nuova"));
    QCOMPARE(shownTexts(), QStringList());
    QVERIFY(m_windows->frmAvvio->isVisible());
}

void TestPassword::failedWriteKeepsTheOldPassword()
{
    storePassword(QStringLiteral("VETRINAMODELLI"));
    const QByteArray before = storeBytes();
    QTest::mouseClick(named<QAbstractButton>(m_windows->frmPassword, "btnCambiaPassword"), Qt::LeftButton);
    TfrmCambiaPassword* w = m_windows->frmCambiaPassword;
    {
        // No file of the process may grow past a few bytes while the change
        // is written: the write fails whoever runs the test, root included.
        const FileSizeLimit limit(8);
        changePassword(QStringLiteral("vetrinamodelli"), QStringLiteral("nuova"), QStringLiteral("nuova"));
    }
    QCOMPARE(shownTexts(), QStringList{QStringLiteral("Attenzione: si è verificato un errore durante la procedura di "
                                                      "modifica della password. Si consiglia di reinstallare il "
                                                      "software.")});
    QVERIFY(w->isVisible());
    QCOMPARE(storeBytes(), before);
    QCOMPARE(QDir(m_program->folder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QLatin1String(PasswordStore::kFileName)});
}

void TestPassword::changeOkNeedsAllThreeFields_data()
{
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("fresh");
    QTest::addColumn<QString>("confirm");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("all filled") << "a"
                                << "b"
                                << "c" << true;
    QTest::newRow("old blank") << "  "
                               << "b"
                               << "c" << false;
    QTest::newRow("new empty") << "a"
                               << ""
                               << "c" << false;
    QTest::newRow("confirm blank") << "a"
                                   << "b"
                                   << " \t" << false;
    QTest::newRow("all empty") << ""
                               << ""
                               << "" << false;
}

void TestPassword::changeOkNeedsAllThreeFields()
{
    QFETCH(QString, old);
    QFETCH(QString, fresh);
    QFETCH(QString, confirm);
    QFETCH(bool, enabled);
    QTest::mouseClick(named<QAbstractButton>(m_windows->frmPassword, "btnCambiaPassword"), Qt::LeftButton);
    TfrmCambiaPassword* w = m_windows->frmCambiaPassword;
    QVERIFY(!named<QAbstractButton>(w, "cmdOK")->isEnabled());
    named<QLineEdit>(w, "txtPasswordOld")->setText(old);
    named<QLineEdit>(w, "txtPasswordNew")->setText(fresh);
    named<QLineEdit>(w, "txtConferma")->setText(confirm);
    QCOMPARE(named<QAbstractButton>(w, "cmdOK")->isEnabled(), enabled);
}

void TestPassword::enterCyclesTheFieldsAndNeverChanges()
{
    storePassword(QStringLiteral("VETRINAMODELLI"));
    const QByteArray before = storeBytes();
    QTest::mouseClick(named<QAbstractButton>(m_windows->frmPassword, "btnCambiaPassword"), Qt::LeftButton);
    TfrmCambiaPassword* w = m_windows->frmCambiaPassword;
    named<QLineEdit>(w, "txtPasswordOld")->setText(QStringLiteral("vetrinamodelli"));
    named<QLineEdit>(w, "txtPasswordNew")->setText(QStringLiteral("nuova"));
    named<QLineEdit>(w, "txtConferma")->setText(QStringLiteral("nuova"));
    QCOMPARE(w->focusWidget(), named<QLineEdit>(w, "txtPasswordOld"));
    const QList<QLineEdit*> cycle{named<QLineEdit>(w, "txtPasswordNew"), named<QLineEdit>(w, "txtConferma"),
                                  named<QLineEdit>(w, "txtPasswordOld"), named<QLineEdit>(w, "txtPasswordNew")};
    for (QLineEdit* next : cycle) {
        QTest::keyClick(w->focusWidget(), Qt::Key_Return);
        QCOMPARE(w->focusWidget(), next);
    }
    QCOMPARE(shownTexts(), QStringList());
    QCOMPARE(storeBytes(), before);
    QVERIFY(w->isVisible());
}

void TestPassword::closingHandsBackToAnEmptyLogin()
{
    storePassword(QStringLiteral("VETRINAMODELLI"));
    TfrmPassword* login = m_windows->frmPassword;
    named<QLineEdit>(login, "txtPassword")->setText(QStringLiteral("sbagliata"));
    QTest::mouseClick(named<QAbstractButton>(login, "cmdOK"), Qt::LeftButton);
    QCOMPARE(named<QLabel>(login, "lblMemory")->text(), QStringLiteral("VETRINAMODELLI"));
    Dialogs::takeShown();
    named<QLineEdit>(login, "txtPassword")->setText(QStringLiteral("qualcosa"));

    QTest::mouseClick(named<QAbstractButton>(login, "btnCambiaPassword"), Qt::LeftButton);
    TfrmCambiaPassword* w = m_windows->frmCambiaPassword;
    // A wrong old password leaves the stored one in the window's memory, as
    // every check of it does; closing must forget it.
    QTest::keyClicks(named<QLineEdit>(w, "txtPasswordOld"), QStringLiteral("a"));
    QTest::keyClicks(named<QLineEdit>(w, "txtPasswordNew"), QStringLiteral("b"));
    QTest::keyClicks(named<QLineEdit>(w, "txtConferma"), QStringLiteral("b"));
    QTest::mouseClick(named<QAbstractButton>(w, "cmdOK"), Qt::LeftButton);
    QCOMPARE(shownTexts(), QStringList{TfrmCambiaPassword::wrongOldMessage()});
    QCOMPARE(named<QLabel>(w, "lblMemory")->text(), QStringLiteral("VETRINAMODELLI"));
    QTest::mouseClick(named<QAbstractButton>(w, "cmdEsci"), Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QVERIFY(login->isVisible());
    QCOMPARE(named<QLineEdit>(login, "txtPassword")->text(), QString());
    QCOMPARE(named<QLabel>(login, "lblMemory")->text(), QString());
    QCOMPARE(login->focusWidget(), named<QLineEdit>(login, "txtPassword"));
    QCOMPARE(m_terminated, 0);

    // Shown again, the change window starts empty.
    QTest::mouseClick(named<QAbstractButton>(login, "btnCambiaPassword"), Qt::LeftButton);
    QCOMPARE(named<QLineEdit>(w, "txtPasswordOld")->text(), QString());
    QCOMPARE(named<QLineEdit>(w, "txtPasswordNew")->text(), QString());
    QCOMPARE(named<QLabel>(w, "lblMemory")->text(), QString());
    QCOMPARE(w->focusWidget(), named<QLineEdit>(w, "txtPasswordOld"));
    QVERIFY(!named<QAbstractButton>(w, "cmdOK")->isEnabled());

    // Closed by the window system too, it goes back to the login window.
    w->close();
    QVERIFY(login->isVisible());
    QCOMPARE(m_terminated, 0);
}

QTEST_MAIN(TestPassword)
#include "test_password.moc"
