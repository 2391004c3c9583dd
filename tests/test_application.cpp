// The application object: a failure that no window catches reaches the user
// in an error box, in Italian whatever the failure's own text.
#include <QAbstractButton>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTest>

#include <new>
#include <stdexcept>

#include "DesktopEntry.h"
#include "TestSupport.h"
#include "core/archive/Archivio.h"
#include "gui/app/WindowSet.h"
#include "gui/shell/Application.h"
#include "gui/widgets/FailureMessages.h"

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
            << "memory"
            << "Attenzione: la memoria disponibile non è sufficiente per completare l'operazione.";
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

    // Every window shows the program's icon, set once for the application,
    // and the task bar gets the same picture the menu entry installs; the
    // entry names the class the windows report and the id docks ask for.
    void iconAndMenuEntryMatchTheWindows()
    {
        const QIcon icon = QApplication::windowIcon();
        QVERIFY(!icon.isNull());
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("org.miniarca.MiniarcaPro"));
        for (const int size : {16, 32, 48, 64, 128, 256}) {
            const QImage drawn = icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(drawn.size(), QSize(size, size));
            const QString png = QStringLiteral(MINIARCA_DESKTOP_DIR "/icons/hicolor/%1x%1/apps/%2.png")
                                    .arg(size)
                                    .arg(QGuiApplication::desktopFileName());
            const QImage installed(png);
            QVERIFY2(!installed.isNull(), qPrintable(png));
            QVERIFY2(drawn == installed.convertToFormat(QImage::Format_ARGB32), qPrintable(png));
        }
        {
            TestProgram program;
            TWindowSet windows;
            const QWidgetList all = QApplication::topLevelWidgets();
            QVERIFY(all.size() >= 6);
            for (const QWidget* window : all)
                QVERIFY2(window->windowIcon().cacheKey() == icon.cacheKey(), qPrintable(window->objectName()));
        }

        const auto entry = entryKeys(
            QStringLiteral(MINIARCA_DESKTOP_DIR "/%1.desktop.in").arg(QGuiApplication::desktopFileName()));
        QCOMPARE(entry.value(QStringLiteral("StartupWMClass")), QCoreApplication::applicationName());
        QCOMPARE(entry.value(QStringLiteral("Icon")), QGuiApplication::desktopFileName());
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
                throw EArchivioError(TFailure{TFailure::Operation::WriteCard, QStringLiteral("/x/Navi.dbm"),
                                              QStringLiteral("Permission denied")});
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
