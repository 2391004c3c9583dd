// The application object: a failure that no window catches reaches the user
// in an error box, in Italian whatever the failure's own text.
#include <QAbstractButton>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTest>

#include <new>
#include <stdexcept>

#include "TestSupport.h"
#include "gui/shell/Application.h"
#include "core/archive/Archivio.h"

namespace {

// An object whose handling of one event fails as it is told.
class Failing : public QObject {
public:
    explicit Failing(std::function<void()> failure) : m_failure(std::move(failure)) {}
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            m_failure();
        return QObject::event(event);
    }

private:
    std::function<void()> m_failure;
};

} // namespace

class TestApplication : public QObject {
    Q_OBJECT

private slots:
    void uncaughtFailuresAreShownInItalian_data()
    {
        const QString unexpected = QStringLiteral("Attenzione: si è verificato un errore imprevisto.\r\n\r\n"
                                                  "L'operazione non è stata completata.");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("message");
        QTest::newRow("system text") << "runtime" << unexpected;
        QTest::newRow("out of memory")
            << "memory" << "Attenzione: la memoria disponibile non è sufficiente per completare l'operazione.";
        QTest::newRow("not an exception class") << "other" << unexpected;
        // The program's own failures already speak Italian.
        QTest::newRow("archive access") << "archive" << ArchiveAccessMessage();
    }

    // The toolkit's own texts (the buttons of the message boxes, the file and
    // printer dialogs) are Italian too.
    void toolkitTextsAreItalian()
    {
        const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (!QFileInfo::exists(translations + QStringLiteral("/qtbase_it.qm")))
            QSKIP("Qt's Italian translations (Debian package qt6-translations-l10n) are not installed");
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Attenzione"), QStringLiteral("Testo"),
                        QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Annulla"));
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')), QStringLiteral("Sì"));
        QCOMPARE(box.button(QMessageBox::No)->text().remove(QLatin1Char('&')), QStringLiteral("No"));
        QCOMPARE(box.button(QMessageBox::Ok)->text().remove(QLatin1Char('&')), QStringLiteral("OK"));
    }

    void uncaughtFailuresAreShownInItalian()
    {
        QFETCH(QString, failure);
        QFETCH(QString, message);
        TestProgram program;
        Failing object([&] {
            if (failure == QLatin1String("runtime"))
                throw std::runtime_error("filesystem error: Permission denied");
            if (failure == QLatin1String("memory"))
                throw std::bad_alloc();
            if (failure == QLatin1String("archive"))
                throw EArchivioError();
            throw 42;
        });
        QEvent event(QEvent::User);
        QVERIFY(!QCoreApplication::sendEvent(&object, &event));
        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().kind, Dialogs::Kind::Error);
        QCOMPARE(shown.first().text, message);
    }
};

int main(int argc, char* argv[])
{
    TApplication app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_application.moc"
