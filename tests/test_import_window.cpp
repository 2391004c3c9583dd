// The import window over the record sheet: the preview and its choosers, the
// summary, importing and taking it back, its messages, and the way in from
// the start window through the create window.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>

#include "TestSupport.h"
#include "core/archive/Archivio.h"
#include "core/import/LettoreTabella.h"
#include "gui/app/WindowSet.h"
#include "gui/catalogue/frmCreaCatalogo.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/sheet/frmImporta.h"
#include "gui/shell/frmAvvio.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/PictureButton.h"

namespace {

const QByteArray kCsv = "Modello;Marca;Scala;Prezzo;Data acquisto;Colonna libera\n"
                        "Fiat 500;Bburago;01:18:00;12.5;43905;a\n"
                        "Vespa 125;Polistil;1:43;circa dieci;ieri;b\n";

QString writeFile(const QString& folder, const QString& name, const QByteArray& bytes)
{
    const QString path = QDir(folder).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return {};
    return path;
}

qint32 countOf(const QString& path)
{
    TArchivio a;
    a.ApriArchivio(path);
    return a.ContaSchede();
}

// Where the screenshots for a look at the windows go, when asked for.
void shoot(QWidget* window, const char* name)
{
    const QString folder = qEnvironmentVariable("MINIARCA_SHOTS");
    if (folder.isEmpty())
        return;
    window->grab().save(QDir(folder).filePath(QString::fromLatin1(name) + QStringLiteral(".png")));
    // And the whole screen, to see it in place over its owner.
    if (QScreen* screen = window->screen())
        screen->grabWindow(0).save(QDir(folder).filePath(QString::fromLatin1(name) + QStringLiteral("_screen.png")));
}

// Runs `work` on the import window once it is up over `owner`, whatever
// opens it (a timer that looks for it from inside its modal loop); closes it
// afterwards so a failing test never hangs.
void onImportWindow(QObject* owner, bool& ran, const std::function<void(TfrmImporta*)>& work)
{
    auto* poll = new QTimer(owner);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, owner, [&ran, owner, work, poll] {
        QPointer<TfrmImporta> window = owner->findChild<TfrmImporta*>();
        if (!window || !window->isVisible())
            return;
        poll->deleteLater();
        poll->stop();
        ran = true;
        work(window);
        if (window && window->isVisible())
            window->close();
    });
    poll->start();
}

} // namespace

class TestImportWindow : public QObject, private SheetProgramTest {
    Q_OBJECT

private slots:
    void init()
    {
        startSheetProgram();
        Dialogs::takeShown();
    }
    void cleanup() { endSheetProgram(); }

    void previewImportAndUndo();
    void choosersAndHeaders();
    void largeFileCountedWhileShown();
    void badFileLeavesArchive();
    void undoRefusedAfterAnotherSave();
    void newArchiveFromStartWindow();
};

void TestImportWindow::previewImportAndUndo()
{
    const QString archive = program->file(QStringLiteral("Treni.dbm"));
    writeArchive(archive, 3);
    QVERIFY(openRecordSheet(*windows, archive, QStringLiteral("Treni")));
    const QString csv = writeFile(program->folder(), QStringLiteral("lista.csv"), kCsv);
    auto* cmdImporta = named<TPictureButton>(sheet, "cmdImporta");
    QCOMPARE(cmdImporta->parentWidget()->objectName(), QStringLiteral("shpComandi2"));
    Dialogs::setNextFileName(csv);
    QVERIFY(whileModal<TfrmImporta>(sheet, cmdImporta, [&](TfrmImporta* w) {
        auto* grid = named<QTableWidget>(w, "grdAnteprima");
        QCOMPARE(grid->columnCount(), 6);
        QCOMPARE(grid->rowCount(), 3); // the choosers, then two cards
        auto* chooser = qobject_cast<QComboBox*>(grid->cellWidget(0, 1));
        QVERIFY(chooser);
        QCOMPARE(chooser->currentText(), QStringLiteral("Produttore"));
        QCOMPARE(qobject_cast<QComboBox*>(grid->cellWidget(0, 5))->currentText(), QStringLiteral("(non importare)"));
        QCOMPARE(grid->item(1, 2)->text(), QStringLiteral("1:18"));
        QCOMPARE(grid->item(1, 3)->text(), QStringLiteral("12,50"));
        QCOMPARE(grid->item(1, 4)->text(), QStringLiteral("15/03/2020"));
        QVERIFY(!grid->item(2, 3)->toolTip().isEmpty()); // not an amount
        auto* summary = named<QLabel>(w, "lblRiepilogo");
        QVERIFY2(summary->text().contains(QStringLiteral("Verranno aggiunte 2 schede")), qPrintable(summary->text()));
        QVERIFY(summary->text().contains(QStringLiteral("1 valori che non sono importi")));
        QVERIFY(summary->text().contains(QStringLiteral("1 date non valide")));
        shoot(w, "frmImporta_anteprima");

        QTest::mouseClick(named<TPictureButton>(w, "cmdConferma"), Qt::LeftButton);
        QCOMPARE(countOf(archive), 5);
        QVERIFY2(summary->text().contains(QStringLiteral("dalla n. 4 alla n. 5")), qPrintable(summary->text()));
        QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QStringLiteral("Fiat 500"));
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("4"));
        QVERIFY(named<TPictureButton>(w, "cmdAnnullaImportazione")->isVisible());
        QVERIFY(named<TPictureButton>(w, "cmdChiudi")->isVisible());
        QVERIFY(!named<TPictureButton>(w, "cmdConferma")->isVisible());
        shoot(w, "frmImporta_dopo");

        QTest::mouseClick(named<TPictureButton>(w, "cmdAnnullaImportazione"), Qt::LeftButton);
        QCOMPARE(countOf(archive), 3);
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("3"));
        QTest::mouseClick(named<TPictureButton>(w, "cmdChiudi"), Qt::LeftButton);
    }));
    QVERIFY(Dialogs::takeShown().isEmpty());
}

void TestImportWindow::choosersAndHeaders()
{
    const QString archive = program->file(QStringLiteral("Treni.dbm"));
    writeArchive(archive, 1);
    QVERIFY(openRecordSheet(*windows, archive, QStringLiteral("Treni")));
    const QString csv = writeFile(program->folder(), QStringLiteral("lista.csv"), kCsv);
    Dialogs::setNextFileName(csv);
    QVERIFY(whileModal<TfrmImporta>(sheet, named<TPictureButton>(sheet, "cmdImporta"), [&](TfrmImporta* w) {
        auto* grid = named<QTableWidget>(w, "grdAnteprima");
        auto* headers = named<QCheckBox>(w, "chkIntestazioni");
        QVERIFY(headers->isChecked());
        QVERIFY(!named<QComboBox>(w, "cmbFoglio")->isVisible()); // one sheet: nothing to choose
        // The name column given to the free column: the first gives it up.
        auto* chooser = qobject_cast<QComboBox*>(grid->cellWidget(0, 5));
        chooser->setCurrentIndex(chooser->findText(QStringLiteral("Nome modellino")));
        emit chooser->activated(chooser->currentIndex());
        QCOMPARE(qobject_cast<QComboBox*>(grid->cellWidget(0, 0))->currentText(), QStringLiteral("(non importare)"));
        QTest::mouseClick(headers, Qt::LeftButton);
        QCOMPARE(grid->rowCount(), 4); // the header row is now a card
        QVERIFY(named<QLabel>(w, "lblRiepilogo")->text().contains(QStringLiteral("3 schede")));
        QTest::mouseClick(named<TPictureButton>(w, "cmdAnnulla"), Qt::LeftButton);
    }));
    QCOMPARE(countOf(archive), 1);
}

// A file of many rows shows its preview at once; the summary comes once the
// rest is read, and "Importa" waits for it. A change of destination counts again.
void TestImportWindow::largeFileCountedWhileShown()
{
    const QString archive = program->file(QStringLiteral("Treni.dbm"));
    writeArchive(archive, 1);
    QVERIFY(openRecordSheet(*windows, archive, QStringLiteral("Treni")));
    QByteArray many("Modello;Prezzo\n");
    const int rows = 3 * Importazione::TConteggio::RighePerPasso + 10;
    for (int i = 0; i < rows; ++i)
        many += "Modello " + QByteArray::number(i) + (i % 2 ? ";12,50\n" : ";molto\n");
    Dialogs::setNextFileName(writeFile(program->folder(), QStringLiteral("molti.csv"), many));
    QVERIFY(whileModal<TfrmImporta>(sheet, named<TPictureButton>(sheet, "cmdImporta"), [&](TfrmImporta* w) {
        auto* summary = named<QLabel>(w, "lblRiepilogo");
        auto* confirm = named<TPictureButton>(w, "cmdConferma");
        QCOMPARE(named<QTableWidget>(w, "grdAnteprima")->rowCount(), Importazione::TImportazione::RighePreviste + 1);
        const QString counted = QStringLiteral("Verranno aggiunte %1 schede").arg(rows);
        if (!summary->text().contains(counted)) {
            QVERIFY2(summary->text().startsWith(QStringLiteral("Lettura del file in corso")),
                     qPrintable(summary->text()));
            QVERIFY(!confirm->isEnabled());
        }
        QTRY_VERIFY2(summary->text().contains(counted), qPrintable(summary->text()));
        QVERIFY(summary->text().contains(QStringLiteral("%1 valori che non sono importi").arg(rows / 2)));
        QVERIFY(confirm->isEnabled());
        // The value column left out: nothing is wrong any more.
        auto* chooser = qobject_cast<QComboBox*>(named<QTableWidget>(w, "grdAnteprima")->cellWidget(0, 1));
        chooser->setCurrentIndex(chooser->findData(int(Importazione::NonImportare)));
        emit chooser->activated(chooser->currentIndex());
        QTRY_VERIFY2(summary->text().contains(QStringLiteral("Nessun problema")), qPrintable(summary->text()));
        QTest::mouseClick(named<TPictureButton>(w, "cmdAnnulla"), Qt::LeftButton);
    }));
    QCOMPARE(countOf(archive), 1);
}

void TestImportWindow::badFileLeavesArchive()
{
    const QString archive = program->file(QStringLiteral("Treni.dbm"));
    writeArchive(archive, 2);
    QVERIFY(openRecordSheet(*windows, archive, QStringLiteral("Treni")));
    const QString bad = writeFile(program->folder(), QStringLiteral("foto.xls"), QByteArray("\x01\x02\x00zz", 5));
    clickChoosingFile(named<TPictureButton>(sheet, "cmdImporta"), bad);
    const QList<Dialogs::Shown> shown = Dialogs::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, FailureMessages::importReadError(Importazione::ErroreLettura::NonFoglio));
    QVERIFY(!sheet->findChild<TfrmImporta*>());
    QCOMPARE(countOf(archive), 2);
}

void TestImportWindow::undoRefusedAfterAnotherSave()
{
    const QString archive = program->file(QStringLiteral("Treni.dbm"));
    writeArchive(archive, 1);
    QVERIFY(openRecordSheet(*windows, archive, QStringLiteral("Treni")));
    const QString csv = writeFile(program->folder(), QStringLiteral("lista.csv"), kCsv);
    Dialogs::setNextFileName(csv);
    QVERIFY(whileModal<TfrmImporta>(sheet, named<TPictureButton>(sheet, "cmdImporta"), [&](TfrmImporta* w) {
        QTest::mouseClick(named<TPictureButton>(w, "cmdConferma"), Qt::LeftButton);
        QCOMPARE(countOf(archive), 3);
        TScheda other;
        other.ScriviCampo(Campo::Nome, QStringLiteral("Aggiunta altrove"));
        appendRecord(archive, other);
        Dialogs::takeShown();
        QTest::mouseClick(named<TPictureButton>(w, "cmdAnnullaImportazione"), Qt::LeftButton);
        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].text.contains(QStringLiteral("non può più essere annullata")));
        QCOMPARE(countOf(archive), 4);
        QTest::mouseClick(named<TPictureButton>(w, "cmdChiudi"), Qt::LeftButton);
    }));
}

void TestImportWindow::newArchiveFromStartWindow()
{
    TfrmAvvio* start = windows->frmAvvio;
    start->show();
    QVERIFY(QTest::qWaitForWindowExposed(start));
    auto* command = named<TPictureButton>(start, "cmdImportaArchivio");
    shoot(start, "frmAvvio");
    const QString csv = writeFile(program->folder(), QStringLiteral("lista.csv"), kCsv);
    clickChoosingFile(command, csv);
    TfrmCreaCatalogo* create = windows->frmCreaCatalogo;
    QTRY_VERIFY(create->isVisible());
    named<QLineEdit>(create, "txtFile")->setText(QStringLiteral("Auto d'epoca"));
    bool ran = false;
    onImportWindow(sheet, ran, [&](TfrmImporta* w) {
        QVERIFY(sheet->isVisible());
        shoot(w, "frmImporta_nuovo_archivio");
        QTest::mouseClick(named<TPictureButton>(w, "cmdConferma"), Qt::LeftButton);
        QVERIFY(named<QLabel>(w, "lblRiepilogo")->text().contains(QStringLiteral("dalla n. 1 alla n. 2")));
        QTest::mouseClick(named<TPictureButton>(w, "cmdChiudi"), Qt::LeftButton);
    });
    QTest::mouseClick(named<TPictureButton>(create, "btnApplica"), Qt::LeftButton);
    QTRY_VERIFY(ran);
    const QString archive = program->file(QStringLiteral("Auto d'epoca.dbm"));
    QCOMPARE(countOf(archive), 2);
    QCOMPARE(named<QLabel>(sheet, "lblNome")->text(), QStringLiteral("Auto d'epoca"));
    QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QStringLiteral("Fiat 500"));
    QVERIFY(!create->isVisible());
    // The create window's own message came first.
    QVERIFY(Dialogs::takeShown().constFirst().text.contains(QStringLiteral("creato con successo")));
}

QTEST_MAIN(TestImportWindow)
#include "test_import_window.moc"
