// Collections and files that come from outside the program: named on the
// command line, dropped on a window.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLocalServer>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QUrl>

#include "PhotoFixtures.h"
#include "TestSupport.h"
#include "core/system/SingleInstance.h"
#include "gui/sheet/frmAllegaCartella.h"
#include "gui/shell/OpenFromOutside.h"
#include "gui/shell/frmPassword.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/ImageView.h"

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace PhotoFixtures;

namespace {

QMimeData* filesData(const QStringList& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    data->setUrls(urls);
    data->setText(paths.join(QLatin1Char('\n')));
    return data;
}

// Drags `data` over the middle of `target` and drops it there; true when
// the drag was accepted (the pointer showed the copy, not the refusal).
bool dragAndDrop(QWidget* target, const QMimeData* data)
{
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    if (!move.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

bool dropFiles(QWidget* target, const QStringList& paths)
{
    const std::unique_ptr<QMimeData> data(filesData(paths));
    return dragAndDrop(target, data.get());
}

// The program as built, and the name a start of it listens on.
const QString kProgram = QStringLiteral(MINIARCA_PROGRAM);

QString programServerName()
{
    return SingleInstance::serverName(QFileInfo(kProgram).absolutePath());
}

// A socket file no program listens on, as a crashed program leaves it.
bool leaveStaleSocket(const QString& name)
{
    const QByteArray path = QFile::encodeName(QDir::tempPath() + QLatin1Char('/') + name);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound && QFileInfo::exists(QFile::decodeName(path));
}

// A start of the program, ended when the test ends.
struct Started {
    QProcess process;
    ~Started()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
};

} // namespace

class TestOutside : public QObject, private SheetProgramTest {
    Q_OBJECT

    QTemporaryDir elsewhere;

    QString outside(const QString& name) const { return elsewhere.filePath(name); }
    QString position() const { return named<QLabel>(sheet, "lblPosizione")->text(); }
    QString sheetName() const { return named<QLabel>(sheet, "lblNome")->text(); }

    void logIn()
    {
        windows->start();
        emit windows->frmPassword->accessGranted();
        QVERIFY(windows->frmAvvio->isVisible());
    }

    // A collection of two cards elsewhere, with a photo of card 2 and an
    // attachment of card 1 beside it, as another program folder keeps them.
    void writeOutsideCollection(const QString& name)
    {
        TScheda first;
        first.ScriviCampo(Campo::Nome, QStringLiteral("Vespa"));
        first.ScriviCampo(Campo::File01, QStringLiteral("ricevuta.pdf"));
        TScheda second;
        second.ScriviCampo(Campo::Nome, QStringLiteral("Lambretta"));
        writeRecords(outside(name + QStringLiteral(".dbm")), {first, second});
        QVERIFY(QDir(elsewhere.path()).mkpath(QStringLiteral("Foto_Modellini")));
        QVERIFY(QDir(elsewhere.path()).mkpath(QStringLiteral("Documenti_Allegati")));
        QVERIFY(writeFile(outside(QStringLiteral("Foto_Modellini/%1_Foto_B_2.jpg").arg(name)),
                          encoded(halves(QSize(64, 48)), "JPG")));
        QVERIFY(writeFile(outside(QStringLiteral("Foto_Modellini/Altro_Foto_A_1.jpg")), "not ours"));
        QVERIFY(writeFile(outside(QStringLiteral("Documenti_Allegati/ricevuta.pdf")), "%PDF-1.4"));
        QVERIFY(writeFile(outside(QStringLiteral("Documenti_Allegati/altro.pdf")), "%PDF-1.4"));
    }

private slots:
    void init() { startSheetProgram(); }
    void cleanup() { endSheetProgram(); }

    void inTheProgramFolderOpensDirectly()
    {
        writeArchive(program->file(QStringLiteral("Navi.dbm")), 3);
        logIn();
        windows->openFile(program->file(QStringLiteral("Navi.dbm")));
        QVERIFY(sheet->isVisible());
        QVERIFY(!windows->frmAvvio->isVisible());
        QCOMPARE(sheetName(), QStringLiteral("Navi"));
        QCOMPARE(sheet->state().archivePath, program->file(QStringLiteral("Navi.dbm")));
        QCOMPARE(position(), QString()); // a new card, as after the open window
        QCOMPARE(shownTexts(), QStringList());

        // With the sheet already up on another card, the new archive replaces it.
        writeArchive(program->file(QStringLiteral("Aerei.dbm")), 1);
        QVERIFY(sheet->subMostraScheda(2));
        windows->openFile(program->file(QStringLiteral("Aerei.dbm")));
        QCOMPARE(sheetName(), QStringLiteral("Aerei"));
        QCOMPARE(position(), QString());
        QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QString());
    }

    // A file named while the login is open waits for it: nothing is shown
    // before the password, then the sheet comes instead of the start window.
    void waitsForTheLogin()
    {
        writeArchive(program->file(QStringLiteral("Navi.dbm")), 1);
        windows->start();
        windows->openFile(program->file(QStringLiteral("Navi.dbm")));
        QVERIFY(windows->frmPassword->isVisible());
        QVERIFY(!sheet->isVisible());
        QCOMPARE(shownTexts(), QStringList());
        emit windows->frmPassword->accessGranted();
        QTRY_VERIFY(sheet->isVisible());
        QVERIFY(!windows->frmAvvio->isVisible());
        QCOMPARE(sheetName(), QStringLiteral("Navi"));
    }

    void outsideIsCopiedWhenConfirmed()
    {
        writeOutsideCollection(QStringLiteral("Moto"));
        writeArchive(program->file(QStringLiteral("Moto.dbm")), 1); // the name is taken here
        const QByteArray original = readFile(outside(QStringLiteral("Moto.dbm")));
        logIn();
        Dialogs::setNextAnswer(QMessageBox::Yes);
        windows->openFile(outside(QStringLiteral("Moto.dbm")));
        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].kind, Dialogs::Kind::Confirmation);
        QCOMPARE(shown[0].text,
                 OpenFromOutside::copyQuestion(outside(QStringLiteral("Moto.dbm")), QStringLiteral("Moto (2)"), 1, 1));
        QVERIFY(sheet->isVisible());
        QCOMPARE(sheetName(), QStringLiteral("Moto (2)"));
        QCOMPARE(readFile(program->file(QStringLiteral("Moto (2).dbm"))), original);
        QCOMPARE(readFile(outside(QStringLiteral("Moto.dbm"))), original); // left where it was
        QVERIFY(QFileInfo::exists(outside(QStringLiteral("Foto_Modellini/Moto_Foto_B_2.jpg"))));
        // What belongs to it came along, renamed after the copy; nothing else.
        QVERIFY(QFileInfo::exists(cardPhotoPath(CompanionFiles::Photo::B, QStringLiteral("Moto (2)"), 2)));
        QVERIFY(!QFileInfo::exists(CompanionFiles::photoFolder() + QStringLiteral("/Altro_Foto_A_1.jpg")));
        QCOMPARE(readFile(CompanionFiles::attachmentPath(QStringLiteral("ricevuta.pdf"))), QByteArray("%PDF-1.4"));
        QVERIFY(!QFileInfo::exists(CompanionFiles::attachmentPath(QStringLiteral("altro.pdf"))));

        // Card 2 shows its photo from the copy.
        QTest::mouseClick(named<QAbstractButton>(sheet, "cmdUltimo"), Qt::LeftButton);
        QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QStringLiteral("Lambretta"));
    }

    void outsideDeclinedCopiesNothing()
    {
        writeOutsideCollection(QStringLiteral("Moto"));
        logIn();
        Dialogs::setNextAnswer(QMessageBox::No);
        windows->openFile(outside(QStringLiteral("Moto.dbm")));
        QCOMPARE(Dialogs::takeShown().size(), 1);
        QVERIFY(windows->frmAvvio->isVisible());
        QVERIFY(!sheet->isVisible());
        QCOMPARE(QDir(program->folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    void notAnArchive_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("partial");
        QTest::newRow("text file") << QByteArray("Elenco dei modellini\n") << true;
        QTest::newRow("one byte more than a card") << QByteArray(TScheda::Dimensione + 1, '\0') << true;
        QByteArray bad(2 * TScheda::Dimensione, '\0');
        bad[descrizione(Campo::Anno).offset] = char(200); // the year's room holds 4 bytes
        QTest::newRow("first card not well formed") << bad << false;
    }

    void notAnArchive()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, partial);
        const QString inFolder = program->file(QStringLiteral("Strano.dbm"));
        QVERIFY(writeFile(inFolder, bytes));
        logIn();
        windows->openFile(inFolder);
        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].kind, Dialogs::Kind::Warning);
        QCOMPARE(shown[0].text, partial ? OpenFromOutside::partialRecordMessage(inFolder, bytes.size())
                                        : OpenFromOutside::malformedRecordMessage(inFolder));
        QVERIFY(windows->frmAvvio->isVisible());
        QVERIFY(!sheet->isVisible());
        QCOMPARE(readFile(inFolder), bytes);
    }

    void missingFile()
    {
        logIn();
        windows->openFile(outside(QStringLiteral("Sparito.dbm")));
        QCOMPARE(shownTexts(), QStringList{OpenFromOutside::missingMessage(outside(QStringLiteral("Sparito.dbm")))});
        QVERIFY(windows->frmAvvio->isVisible());
        QVERIFY(!QFileInfo::exists(outside(QStringLiteral("Sparito.dbm"))));
    }

    // The program itself: --help and --version answer on the terminal, no
    // window and no display needed.
    void commandLine_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("--help") << "--help"
                                << "[FILE]" << 0;
        QTest::newRow("--version") << "--version"
                                   << "Miniarca Pro " MINIARCA_VERSION << 0;
        QTest::newRow("unknown option") << "--nessuna"
                                        << "--help" << 2;
    }

    void commandLine()
    {
        QFETCH(QString, option);
        QFETCH(QString, expected);
        QFETCH(int, exitCode);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(MINIARCA_PROGRAM), {option});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), exitCode);
        const QString output = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
        QVERIFY2(output.contains(expected), qPrintable(output));
    }

    // ---- one running program ------------------------------------------

    // A second start gives its file (made absolute) to the first program,
    // or just brings it forward, and ends at once.
    void secondStartHandsOver_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("handed");
        QTest::newRow("with a file") << QStringList{QStringLiteral("Navi.dbm")}
                                     << QDir::current().absoluteFilePath(QStringLiteral("Navi.dbm"));
        QTest::newRow("without") << QStringList{} << QString();
    }

    void secondStartHandsOver()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, handed);
        QLocalServer::removeServer(programServerName());
        TInstanceServer first(programServerName());
        QVERIFY(first.listen());
        QSignalSpy spy(&first, &TInstanceServer::handedOver);
        Started second;
        second.process.start(kProgram, arguments);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), handed);
        QTRY_COMPARE(second.process.state(), QProcess::NotRunning);
        QCOMPARE(second.process.exitCode(), 0);
    }

    // A socket left by a crashed program, or a first program that no longer
    // answers: the second start waits a little, then runs as the first one.
    void secondStartRunsWhenTheFirstIsGone_data()
    {
        QTest::addColumn<bool>("hung");
        QTest::newRow("stale socket") << false;
        QTest::newRow("first program hangs") << true;
    }

    void secondStartRunsWhenTheFirstIsGone()
    {
        QFETCH(bool, hung);
        const QString name = programServerName();
        QLocalServer::removeServer(name);
        QLocalServer silent; // takes connections, answers nothing
        if (hung)
            QVERIFY(silent.listen(name));
        else
            QVERIFY(leaveStaleSocket(name));
        Started second;
        second.process.start(kProgram, {});
        QVERIFY(second.process.waitForStarted());
        // It now answers on the name itself: a third start would reach it.
        QTRY_VERIFY_WITH_TIMEOUT(SingleInstance::handOver(name, {}, std::chrono::milliseconds(500)), 15000);
        QCOMPARE(second.process.state(), QProcess::Running);
    }

    // ---- drops ----------------------------------------------------------

    void dropOnPhotoSlot_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("JPEG on A") << "imgFoto"
                                   << "foto.jpg" << true;
        QTest::newRow("bitmap on B") << "imgFoto02"
                                     << "foto.bmp" << true;
        QTest::newRow("capital JPEG on B's button") << "btnCaricaFoto02"
                                                    << "FOTO.JPEG" << true;
        QTest::newRow("PNG") << "imgFoto"
                             << "foto.png" << false;
        QTest::newRow("document") << "imgFoto"
                                  << "ricevuta.pdf" << false;
        QTest::newRow("two files") << "imgFoto"
                                   << "" << false;
        QTest::newRow("a folder") << "imgFoto"
                                  << "cartella" << false;
    }

    void dropOnPhotoSlot()
    {
        QFETCH(QString, slot);
        QFETCH(QString, file);
        QFETCH(bool, accepted);
        writeArchive(program->file(QStringLiteral("Navi.dbm")), 1);
        QVERIFY(openRecordSheet(*windows, program->file(QStringLiteral("Navi.dbm")), QStringLiteral("Navi")));
        const QImage picture = halves(QSize(120, 90));
        for (const char* name : {"foto.jpg", "FOTO.JPEG", "foto.png", "ricevuta.pdf"})
            QVERIFY(writeFile(outside(QString::fromLatin1(name)), encoded(picture, "JPG")));
        QVERIFY(picture.save(outside(QStringLiteral("foto.bmp"))));
        QVERIFY(QDir(elsewhere.path()).mkpath(QStringLiteral("cartella")));
        const QStringList files = file.isEmpty() ? QStringList{outside(QStringLiteral("foto.jpg")),
                                                               outside(QStringLiteral("foto.bmp"))}
                                                 : QStringList{outside(file)};
        auto* image = named<TImageView>(sheet, slot.endsWith(QLatin1String("02")) ? "imgFoto02" : "imgFoto");
        const QSize before = image->photo().size();
        QCOMPARE(dropFiles(named<QWidget>(sheet, slot.toLatin1().constData()), files), accepted);
        QCOMPARE(image->photo().size(), accepted ? QSize(120, 90) : before);
        QCOMPARE(shownTexts(), QStringList());
    }

    // A picture file that cannot be read: what "Sfoglia" shows then, the placeholder.
    void droppedUnreadablePicture()
    {
        writeArchive(program->file(QStringLiteral("Navi.dbm")), 1);
        QVERIFY(openRecordSheet(*windows, program->file(QStringLiteral("Navi.dbm")), QStringLiteral("Navi")));
        QVERIFY(writeFile(outside(QStringLiteral("rotta.jpg")), "not a JPEG"));
        QVERIFY(writeFile(outside(QStringLiteral("buona.jpg")), encoded(halves(QSize(120, 90)), "JPG")));
        auto* image = named<TImageView>(sheet, "imgFoto");
        QVERIFY(dropFiles(image, {outside(QStringLiteral("buona.jpg"))}));
        QVERIFY(dropFiles(image, {outside(QStringLiteral("rotta.jpg"))}));
        QCOMPARE(image->photo().size(), named<TImageView>(sheet, "imgBianco")->photo().size());
        QCOMPARE(shownTexts(), QStringList());
    }

    void dropOnAttachmentRow_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("row");
        QTest::newRow("row 1, its box") << "shpFile01" << 0;
        QTest::newRow("row 2, the name") << "txtFile02" << 1;
        QTest::newRow("row 3, the description") << "txtDesc03" << 2;
        QTest::newRow("row 1, Sfoglia") << "btnSfoglia01" << 0;
    }

    void dropOnAttachmentRow()
    {
        QFETCH(QString, target);
        QFETCH(int, row);
        QVERIFY(writeFile(outside(QStringLiteral("scontrino.pdf")), "%PDF-1.4 scontrino"));
        TfrmAllegaCartella window(nullptr, TAttachments{});
        QVERIFY(dropFiles(named<QWidget>(&window, target.toLatin1().constData()),
                          {outside(QStringLiteral("scontrino.pdf"))}));
        for (int i = 0; i < 3; ++i) {
            const QString field = QStringLiteral("txtFile0%1").arg(i + 1);
            QCOMPARE(named<QLineEdit>(&window, field.toLatin1().constData())->text(),
                     i == row ? QStringLiteral("scontrino.pdf") : QString());
        }
        QCOMPARE(readFile(CompanionFiles::attachmentPath(QStringLiteral("scontrino.pdf"))),
                 QByteArray("%PDF-1.4 scontrino"));
        QCOMPARE(shownTexts(), QStringList());

        // Dropped again: the same overwrite question as "Sfoglia..." asks.
        Dialogs::setNextAnswer(QMessageBox::No);
        QVERIFY(dropFiles(named<QWidget>(&window, target.toLatin1().constData()),
                          {outside(QStringLiteral("scontrino.pdf"))}));
        QCOMPARE(shownTexts(), QStringList{FailureMessages::attachmentOverwriteQuestion()});
    }

    void refusedOnAttachments()
    {
        TfrmAllegaCartella window(nullptr, TAttachments{});
        QVERIFY(writeFile(outside(QStringLiteral("a.pdf")), "a"));
        QVERIFY(writeFile(outside(QStringLiteral("b.pdf")), "b"));
        QVERIFY(QDir(elsewhere.path()).mkpath(QStringLiteral("cartella")));
        // Between the boxes, two files at once, a folder, a web address.
        QVERIFY(!dropFiles(named<QWidget>(&window, "panContainer"), {outside(QStringLiteral("a.pdf"))}));
        QVERIFY(!dropFiles(named<QWidget>(&window, "shpFile01"),
                           {outside(QStringLiteral("a.pdf")), outside(QStringLiteral("b.pdf"))}));
        QVERIFY(!dropFiles(named<QWidget>(&window, "shpFile01"), {outside(QStringLiteral("cartella"))}));
        QMimeData web;
        web.setUrls({QUrl(QStringLiteral("https://example.org/a.pdf"))});
        QVERIFY(!dragAndDrop(named<QWidget>(&window, "shpFile01"), &web));
        QCOMPARE(named<QLineEdit>(&window, "txtFile01")->text(), QString());
        QVERIFY(!QFileInfo::exists(CompanionFiles::attachmentsFolder()));
    }

    void dropOnStartWindow()
    {
        writeArchive(program->file(QStringLiteral("Navi.dbm")), 2);
        QVERIFY(writeFile(program->file(QStringLiteral("note.txt")), "testo"));
        logIn();
        QVERIFY(!dropFiles(windows->frmAvvio, {program->file(QStringLiteral("note.txt"))}));
        QVERIFY(windows->frmAvvio->isVisible());
        QVERIFY(dropFiles(windows->frmAvvio, {program->file(QStringLiteral("Navi.dbm"))}));
        QVERIFY(sheet->isVisible());
        QCOMPARE(sheetName(), QStringLiteral("Navi"));
    }
};

QTEST_MAIN(TestOutside)
#include "test_outside.moc"
