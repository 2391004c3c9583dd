#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTest>

#include "FilePermissions.h"
#include "PhotoFixtures.h"
#include "TestSupport.h"
#include "core/archive/CompanionFiles.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/PictureButton.h"

#include <cerrno>

namespace {

// The warnings written while it lives, with their logging category.
class WarningLog {
public:
    struct Line {
        QString category;
        QString text;
    };

    WarningLog() : m_previous(qInstallMessageHandler(&WarningLog::handle)) { s_current = this; }
    ~WarningLog()
    {
        s_current = nullptr;
        qInstallMessageHandler(m_previous);
    }
    WarningLog(const WarningLog&) = delete;
    WarningLog& operator=(const WarningLog&) = delete;

    QList<Line> lines;

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (type == QtWarningMsg && s_current)
            s_current->lines.append({QString::fromLatin1(context.category), text});
    }

    static inline WarningLog* s_current = nullptr;
    QtMessageHandler m_previous;
};

const QString kAccess = QString::fromUtf8(
    "Attenzione: il sistema non permette di accedere all'archivio.\n\r\n\r"
    "Accertarsi di possedere i privilegi di scrittura nella cartella di installazione del programma.");
const QString kPhotos = QString::fromUtf8(
    "Attenzione: non è stato possibile salvare le foto della scheda nella cartella Foto_Modellini. Le foto sono "
    "ancora visualizzate: salvare di nuovo la scheda per riprovare.");
const QString kPasswords = QString::fromUtf8(
    "Attenzione: si è verificato un errore durante la procedura di modifica della password. Si consiglia di "
    "reinstallare il software.");
const QString kPasswordsRead = QString::fromUtf8(
    "Attenzione: si è verificato un errore durante la procedura di lettura della password. Si consiglia di "
    "reinstallare il software.");
const QString kExport = QString::fromUtf8("Attenzione: il sistema non permette di esportare i dati.\n\r\n\r"
                                          "Accertarsi che il file di Excel non sia già aperto.");

} // namespace

class TestFailures : public QObject, public SheetProgramTest {
    Q_OBJECT

    QString archivePath;

    void openSheetOnFirstCard()
    {
        archivePath = program->file(QStringLiteral("Navi.dbm"));
        writeArchive(archivePath, 2);
        QVERIFY(openRecordSheet(*windows, archivePath, QStringLiteral("Navi")));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        fillRequiredFields(sheet);
        Dialogs::takeShown();
    }

private slots:
    void init() { startSheetProgram(); }
    void cleanup() { endSheetProgram(); }

    // Every kind of failure: the words shown, and the one log line under its
    // subject's category that names the operation, the file and the cause.
    void eachFailureItsMessageAndLogLine_data()
    {
        QTest::addColumn<TFailure::Operation>("operation");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("category");

        using Op = TFailure::Operation;
        const std::pair<Op, const char*> archive[] = {
            {Op::OpenArchive, "open-archive"},     {Op::CloseArchive, "close-archive"},
            {Op::CountCards, "count-cards"},       {Op::ReadCards, "read-cards"},
            {Op::WriteCard, "write-card"},         {Op::AppendCards, "append-cards"},
            {Op::UndoAppend, "undo-append"},       {Op::LockArchive, "lock-archive"},
            {Op::CreateArchive, "create-archive"},
        };
        for (const auto& [op, name] : archive)
            QTest::newRow(name) << op << kAccess << QStringLiteral("miniarca.archive");
        QTest::newRow("history") << Op::History << kAccess << QStringLiteral("miniarca.history");
        QTest::newRow("bin") << Op::Bin << kAccess << QStringLiteral("miniarca.bin");
        QTest::newRow("photo-folder") << Op::PhotoFolder << kPhotos << QStringLiteral("miniarca.photos");
        QTest::newRow("write-photo") << Op::WritePhoto << kPhotos << QStringLiteral("miniarca.photos");
        QTest::newRow("read-passwords") << Op::ReadPasswords << kPasswordsRead << QStringLiteral("miniarca.access");
        QTest::newRow("write-passwords") << Op::WritePasswords << kPasswords << QStringLiteral("miniarca.access");
        QTest::newRow("export") << Op::Export << kExport << QStringLiteral("miniarca.export");
    }

    void eachFailureItsMessageAndLogLine()
    {
        QFETCH(TFailure::Operation, operation);
        QFETCH(QString, message);
        QFETCH(QString, category);
        const TFailure failure{operation, QStringLiteral("/collezioni/Navi.dbm"),
                               QStringLiteral("Disk quota exceeded")};

        WarningLog log;
        FailureMessages::show(nullptr, failure, Dialogs::Kind::Plain);
        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().kind, Dialogs::Kind::Plain);
        QCOMPARE(shown.first().text, message);
        QCOMPARE(log.lines.size(), 1);
        QCOMPARE(log.lines.first().category, category);
        QCOMPARE(log.lines.first().text, QString::fromLatin1(QTest::currentDataTag())
                                             + QStringLiteral(" failed on /collezioni/Navi.dbm - Disk quota exceeded"));
    }

    // The texts that the core used to hold, word for word as shown.
    void theCoreReportsTheWindowWords()
    {
        using Importazione::ErroreLettura;
        using PasswordStore::Refusal;
        const std::pair<QString, const char*> texts[] = {
            {FailureMessages::importReadError(ErroreLettura::NonLeggibile),
             "Attenzione: non è possibile leggere il file scelto.\r\n\r\n"
             "Verificare che il file esista e di avere i permessi per aprirlo."},
            {FailureMessages::importReadError(ErroreLettura::NonFoglio),
             "Attenzione: il file scelto non è un foglio di calcolo né un file di testo con colonne separate "
             "(CSV).\r\n\r\nSi possono importare file .csv, .txt, .xls, .xlsx, .ods e .fods."},
            {FailureMessages::importReadError(ErroreLettura::Danneggiato),
             "Attenzione: il file scelto è danneggiato e non può essere letto."},
            {FailureMessages::importReadError(ErroreLettura::VirgoletteAperte),
             "Attenzione: nel file scelto un testo tra virgolette non viene mai chiuso.\r\n\r\n"
             "Correggere il file e ripetere l'importazione."},
            {FailureMessages::importReadError(ErroreLettura::TroppoGrande),
             "Attenzione: il file scelto è troppo grande o contiene troppe celle per essere importato."},
            {FailureMessages::importReadError(ErroreLettura::FoglioVuoto),
             "Attenzione: il foglio scelto non contiene dati da importare."},
            {FailureMessages::importReadError(ErroreLettura::Nessuno), ""},
            {FailureMessages::passwordRefusal(PasswordStore::refusal(QString(256, QLatin1Char('A')))),
             "Attenzione: la nuova password non può superare i 255 caratteri. Scegliere una password più corta."},
            {FailureMessages::passwordRefusal(PasswordStore::refusal(QStringLiteral("CAFFÈ€"))),
             "Attenzione: la nuova password contiene caratteri non ammessi. Utilizzare soltanto lettere, cifre e "
             "simboli dell'alfabeto latino."},
            {FailureMessages::passwordRefusal(PasswordStore::refusal(QStringLiteral("VETRINA"))), ""},
            {FailureMessages::attachmentOverwriteQuestion(),
             "Attenzione: nella cartella dei documenti allegati è presente un file con lo stesso nome.\r\n\r\n"
             "Si vuole sovrascrivere il file esistente?"},
        };
        for (const auto& [shown, expected] : texts)
            QCOMPARE(shown, QString::fromUtf8(expected));
    }

    // The usual message, word for word; the log line says why: the file in
    // the read-only folder that could not be made, and the system's words.
    void aSaveIntoAReadOnlyFolderLogsItsCause()
    {
        openSheetOnFirstCard();
        const QByteArray before = PhotoFixtures::readFile(archivePath);
        QVERIFY(QFile::setPermissions(program->folder(), QFile::ReadOwner | QFile::ExeOwner));
        WarningLog log;
        {
            ObeyFilePermissions obey;
            QVERIFY(obey.holds());
            QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        }
        QVERIFY(QFile::setPermissions(program->folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().kind, Dialogs::Kind::Error);
        QCOMPARE(shown.first().text, kAccess);
        QCOMPARE(PhotoFixtures::readFile(archivePath), before);
        QCOMPARE(log.lines.size(), 1);
        QCOMPARE(log.lines.first().category, QStringLiteral("miniarca.archive"));
        const QString line = log.lines.first().text;
        QVERIFY2(line.startsWith(QStringLiteral("write-card failed on ") + archivePath), qPrintable(line));
        QVERIFY2(line.endsWith(qt_error_string(EACCES)), qPrintable(line));
    }

    // The card is saved, its photos are not: the sheet's warning is as
    // before, and the log names the photo file and why.
    void aPhotoThatCannotBeWrittenLogsItsFile()
    {
        openSheetOnFirstCard();
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        QVERIFY(QFile::setPermissions(CompanionFiles::photoFolder(), QFile::ReadOwner | QFile::ExeOwner));
        WarningLog log;
        {
            ObeyFilePermissions obey;
            QVERIFY(obey.holds());
            QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        }
        QVERIFY(QFile::setPermissions(CompanionFiles::photoFolder(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().kind, Dialogs::Kind::Warning);
        QCOMPARE(shown.first().text, QString::fromUtf8("Le modifiche apportate alla scheda corrente sono state "
                                                       "salvate in archivio.\r\n\r\n")
                                         + kPhotos);
        QCOMPARE(log.lines.size(), 1);
        QCOMPARE(log.lines.first().category, QStringLiteral("miniarca.photos"));
        const QString line = log.lines.first().text;
        const QString photoA = CompanionFiles::photoPath(CompanionFiles::Photo::A, QStringLiteral("Navi"), 1);
        QVERIFY2(line.startsWith(QStringLiteral("write-photo failed on ") + photoA + QStringLiteral(" - ")),
                 qPrintable(line));
        QVERIFY2(line.contains(qt_error_string(EACCES)), qPrintable(line));
    }
};

QTEST_MAIN(TestFailures)
#include "test_failures.moc"
