// The application object: a failure that no window catches reaches the user
// in an error box, in Italian whatever the failure's own text.
#include <QLabel>
#include <QTest>

#include <new>
#include <stdexcept>

#include "TestSupport.h"
#include "shell/Application.h"
#include "storage/Archivio.h"

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
