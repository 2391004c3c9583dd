// The record sheet over a real archive file: navigation in every state,
// saving as append and as overwrite, required fields, access failures.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

#include "PhotoFixtures.h"
#include "TestSupport.h"
#include "core/archive/Archivio.h"
#include "gui/app/WindowSet.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/shell/frmAvvio.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/PictureButton.h"

namespace {

const QString kEmpty = QStringLiteral("L'archivio non contiene nessuna scheda.");

// Cards with an attachment and alternating for-sale marks, to see that
// showing a card brings all of it.
void writeFullArchive(const QString& path, int count)
{
    QFile::remove(path);
    TArchivio archive;
    archive.ApriArchivio(path);
    for (int i = 1; i <= count; ++i) {
        TScheda record;
        record.ScriviCampo(Campo::Nome, QStringLiteral("Modello %1").arg(i));
        record.ScriviCampo(Campo::Valore, QStringLiteral("%1,50").arg(i));
        record.ScriviCampo(Campo::File01, QStringLiteral("ricevuta%1.pdf").arg(i));
        record.ImpostaInVendita(i % 2 == 1);
        archive.AccodaScheda(record);
    }
    archive.ChiudiArchivio();
}

} // namespace

class TestCartoline : public QObject, public SheetProgramTest {
    Q_OBJECT

    QString archivePath;

    void openSheet(int records)
    {
        archivePath = program->file(QStringLiteral("Navi.dbm"));
        writeFullArchive(archivePath, records);
        QVERIFY(openRecordSheet(*windows, archivePath, QStringLiteral("Navi")));
        sheet->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(sheet));
    }

private slots:
    void init() { startSheetProgram(); }

    void cleanup() { endSheetProgram(); }

    void navigation_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<QString>("position");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("emptyBox");

        QTest::newRow("empty, first") << 0 << ""
                                      << "cmdPrimo"
                                      << "" << true;
        QTest::newRow("empty, last") << 0 << ""
                                     << "cmdUltimo"
                                     << "" << true;
        QTest::newRow("empty, next empties position") << 0 << "2"
                                                      << "cmdAvanti"
                                                      << "" << true;
        QTest::newRow("empty, previous") << 0 << "2"
                                         << "cmdIndietro"
                                         << "2" << true;
        QTest::newRow("empty, previous from 1 is silent") << 0 << "1"
                                                          << "cmdIndietro"
                                                          << "1" << false;
        QTest::newRow("empty, first keeps position") << 0 << "2"
                                                     << "cmdPrimo"
                                                     << "2" << true;
        QTest::newRow("new card, first") << 3 << ""
                                         << "cmdPrimo"
                                         << "1" << false;
        QTest::newRow("new card, last") << 3 << ""
                                        << "cmdUltimo"
                                        << "3" << false;
        QTest::newRow("new card, next") << 3 << ""
                                        << "cmdAvanti"
                                        << "1" << false;
        QTest::newRow("new card, previous") << 3 << ""
                                            << "cmdIndietro"
                                            << "1" << false;
        QTest::newRow("middle, next") << 3 << "2"
                                      << "cmdAvanti"
                                      << "3" << false;
        QTest::newRow("middle, previous") << 3 << "2"
                                          << "cmdIndietro"
                                          << "1" << false;
        QTest::newRow("last, next does nothing") << 3 << "3"
                                                 << "cmdAvanti"
                                                 << "3" << false;
        QTest::newRow("first, previous does nothing") << 3 << "1"
                                                      << "cmdIndietro"
                                                      << "1" << false;
        QTest::newRow("last, first") << 3 << "3"
                                     << "cmdPrimo"
                                     << "1" << false;
        QTest::newRow("first, last") << 3 << "1"
                                     << "cmdUltimo"
                                     << "3" << false;
    }

    // The hidden labels mirror the sheet's state at every step: opening an
    // archive (the path trimmed, the name as given), moving, a new card, and
    // the number a saved new card receives.
    void labelsMirrorTheState()
    {
        openSheet(2);
        const auto mirrored = [this] {
            const TSheetState& state = sheet->state();
            QCOMPARE(named<QLabel>(sheet, "lblFile")->text(), state.archivePath);
            QCOMPARE(named<QLabel>(sheet, "lblNome")->text(), state.archiveName);
            QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(),
                     state.isNewCard() ? QString() : QString::number(state.number));
            for (int i = 0; i < 3; ++i) {
                const QByteArray n = "0" + QByteArray::number(i + 1);
                QCOMPARE(named<QLabel>(sheet, ("lblFile" + n).constData())->text(), state.attachments[size_t(i)].name);
                QCOMPARE(named<QLabel>(sheet, ("lblDesc" + n).constData())->text(),
                         state.attachments[size_t(i)].description);
            }
        };
        QCOMPARE(sheet->state().archivePath, archivePath);
        QCOMPARE(sheet->state().archiveName, QStringLiteral("Navi"));
        QVERIFY(sheet->state().isNewCard());
        mirrored();

        QTest::mouseClick(named<TPictureButton>(sheet, "cmdUltimo"), Qt::LeftButton);
        QCOMPARE(sheet->state().number, 2);
        QCOMPARE(sheet->state().attachments[0].name, QStringLiteral("ricevuta2.pdf"));
        mirrored();

        QTest::mouseClick(named<TPictureButton>(sheet, "cmdNuovo"), Qt::LeftButton);
        QVERIFY(sheet->state().isNewCard());
        QVERIFY(sheet->state().attachments[0].name.isEmpty());
        mirrored();

        fillRequiredFields(sheet);
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        shownTexts();
        QCOMPARE(sheet->state().number, 3);
        mirrored();

        sheet->openArchive(QStringLiteral("  ") + archivePath + QStringLiteral("\t"), QStringLiteral(" Navi "));
        QCOMPARE(sheet->state().archivePath, archivePath);
        QCOMPARE(sheet->state().archiveName, QStringLiteral(" Navi "));
        mirrored();
    }

    void navigation()
    {
        QFETCH(int, records);
        QFETCH(QString, position);
        QFETCH(QString, command);
        QFETCH(QString, expected);
        QFETCH(bool, emptyBox);

        openSheet(records);
        // The card on screen; where the archive has fewer cards, it lost
        // them after the card was shown.
        if (!position.isEmpty()) {
            writeFullArchive(archivePath, std::max(records, position.toInt()));
            QVERIFY(sheet->subMostraScheda(position.toInt()));
            writeFullArchive(archivePath, records);
        }
        Dialogs::takeShown();
        QTest::mouseClick(named<QWidget>(sheet, command.toLatin1().constData()), Qt::LeftButton);

        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), expected);
        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        if (emptyBox) {
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown.first().kind, Dialogs::Kind::Information);
            QCOMPARE(shown.first().text, kEmpty);
            QCOMPARE(shown.first().buttons, QMessageBox::Ok | QMessageBox::Cancel);
        } else {
            QVERIFY(shown.isEmpty());
        }
        if (!expected.isEmpty() && expected != position) {
            QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QStringLiteral("Modello %1").arg(expected));
            QCOMPARE(named<QLabel>(sheet, "lblFile01")->text(), QStringLiteral("ricevuta%1.pdf").arg(expected));
            QCOMPARE(named<QCheckBox>(sheet, "chkInVendita")->isChecked(), expected.toInt() % 2 == 1);
        }
    }

    void showingKeepsValueAsStoredAndLeavesUnknownMarker()
    {
        openSheet(0);
        TScheda record;
        record.ScriviCampo(Campo::Nome, QStringLiteral("  Vaporetto  "));
        record.ScriviCampo(Campo::Valore, QStringLiteral("12,5"));
        appendRecord(archivePath, record); // no for-sale marker at all

        named<QCheckBox>(sheet, "chkInVendita")->setChecked(true);
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QStringLiteral("Vaporetto"));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("12,5"));
        QVERIFY(named<QCheckBox>(sheet, "chkInVendita")->isChecked());
        named<QCheckBox>(sheet, "chkInVendita")->setChecked(false);
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdUltimo"), Qt::LeftButton);
        QVERIFY(!named<QCheckBox>(sheet, "chkInVendita")->isChecked());
    }

    void saveAppendsThenOverwrites()
    {
        openSheet(4);
        fillRequiredFields(sheet);
        named<QLineEdit>(sheet, "txtNote")->setText(QStringLiteral("  Regalo di Natale  "));
        named<QCheckBox>(sheet, "chkInVendita")->setChecked(true);
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("5"));
        QCOMPARE(shownTexts(), QStringList{QStringLiteral("La scheda corrente è stata inserita in archivio.")});
        QCOMPARE(QFileInfo(archivePath).size(), 5 * 3446);

        named<QLineEdit>(sheet, "txtNome")->setText(QStringLiteral("Fiat 500 L"));
        named<QCheckBox>(sheet, "chkInVendita")->setChecked(false);
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("5"));
        QCOMPARE(shownTexts(), QStringList{QStringLiteral(
                                   "Le modifiche apportate alla scheda corrente sono state salvate in archivio.")});
        QCOMPARE(QFileInfo(archivePath).size(), 5 * 3446);

        const TScheda saved = recordAt(archivePath, 5);
        QCOMPARE(saved.LeggiCampo(Campo::Nome), QStringLiteral("Fiat 500 L"));
        QCOMPARE(saved.LeggiCampo(Campo::Note), QStringLiteral("Regalo di Natale"));
        QCOMPARE(saved.LeggiInVendita(), StatoVendita::NonInVendita);
        QCOMPARE(saved.LeggiCampo(Campo::File01), QString());
        // The card stays on screen as it was.
        QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QStringLiteral("Fiat 500 L"));
    }

    void requiredFields_data()
    {
        QTest::addColumn<QString>("emptied");
        QTest::addColumn<QString>("focused");
        QTest::addColumn<QString>("warning");
        QTest::newRow("name of blanks")
            << "txtNome"
            << "txtNome"
            << "Attenzione: per salvare la scheda è necessario indicare il nome del modellino.";
        QTest::newRow("kind before scale")
            << "txtTipologia,txtScala"
            << "txtTipologia"
            << "Attenzione: per salvare la scheda è necessario indicare la tipologia di modellino.";
        QTest::newRow("maker")
            << "txtProduttore,txtScala"
            << "txtProduttore"
            << "Attenzione: per salvare la scheda è necessario indicare il produttore del modellino.";
        QTest::newRow("scale")
            << "txtScala"
            << "txtScala"
            << "Attenzione: per salvare la scheda è necessario indicare la riduzione in scala del modellino.";
    }

    void requiredFields()
    {
        QFETCH(QString, emptied);
        QFETCH(QString, focused);
        QFETCH(QString, warning);
        openSheet(2);
        fillRequiredFields(sheet);
        for (const QString& name : emptied.split(QLatin1Char(',')))
            named<QLineEdit>(sheet, name.toLatin1().constData())->setText(QStringLiteral("   "));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);

        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().kind, Dialogs::Kind::Warning);
        QCOMPARE(shown.first().text, warning);
        QCOMPARE(QApplication::focusWidget()->objectName(), focused);
        QCOMPARE(QFileInfo(archivePath).size(), 2 * 3446);
        QVERIFY(named<QLabel>(sheet, "lblPosizione")->text().isEmpty());
    }

    void newCardAfterClosingAndReopening()
    {
        openSheet(3);
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdUltimo"), Qt::LeftButton);
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("3"));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdEsci"), Qt::LeftButton);
        QVERIFY(!sheet->isVisible());
        QVERIFY(windows->frmAvvio->isVisible());

        TWindowSet::handOver(windows->frmAvvio, sheet);
        QVERIFY(named<QLabel>(sheet, "lblPosizione")->text().isEmpty());
        QVERIFY(named<QLineEdit>(sheet, "txtNome")->text().isEmpty());
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("0,00"));
        QVERIFY(!named<QCheckBox>(sheet, "chkInVendita")->isChecked());
        QVERIFY(named<QLabel>(sheet, "lblFile01")->text().isEmpty());
        QVERIFY(named<QLabel>(sheet, "lblDesc03")->text().isEmpty());
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(named<QLineEdit>(sheet, "txtNome")));
    }

    void accessFailureShowsTheMessageAndChangesNothing()
    {
        openSheet(1);
        // A folder where the archive should be: it can be neither opened nor created.
        const QString folder = program->file(QStringLiteral("Cartella.dbm"));
        QVERIFY(QDir().mkpath(folder));
        sheet->openArchive(folder, QStringLiteral("Navi"));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        fillRequiredFields(sheet);
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);

        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 2);
        for (const Dialogs::Shown& box : shown) {
            QCOMPARE(box.kind, Dialogs::Kind::Error);
            QCOMPARE(box.text, QStringLiteral("Attenzione: il sistema non permette di accedere all'archivio.\n\r\n\r"
                                              "Accertarsi di possedere i privilegi di scrittura nella cartella di "
                                              "installazione del programma."));
        }
        QVERIFY(named<QLabel>(sheet, "lblPosizione")->text().isEmpty());
    }

    // Another workstation holds the archive's lock: "Salva" waits a while
    // with the wait cursor, then shows the access message and writes
    // nothing; once the lock is free the same save goes through.
    void aLockHeldElsewhereEndsInTheAccessMessage()
    {
        openSheet(2);
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        fillRequiredFields(sheet);
        Dialogs::takeShown();
        const QByteArray before = PhotoFixtures::readFile(archivePath);
        QList<int> cursors; // the override cursor as each wait begins and ends
        const LockWaitListener listener([&](bool) {
            cursors << (QApplication::overrideCursor() ? int(QApplication::overrideCursor()->shape()) : -1);
        });
        const ShortLockWait shortWait;

        OtherWorkstationLock other(archivePath);
        QVERIFY(other.held());
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().kind, Dialogs::Kind::Error);
        QCOMPARE(shown.first().text, ArchiveAccessMessage());
        QCOMPARE(cursors, QList<int>({int(Qt::WaitCursor), -1}));
        QCOMPARE(PhotoFixtures::readFile(archivePath), before);
        QVERIFY(!QFileInfo::exists(CompanionFiles::photoPath(CompanionFiles::Photo::A, QStringLiteral("Navi"), 1)));

        other.release();
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        QCOMPARE(shownTexts(), QStringList{QStringLiteral(
                                   "Le modifiche apportate alla scheda corrente sono state salvate in archivio.")});
        QCOMPARE(recordAt(archivePath, 1).LeggiCampo(Campo::Tipologia), QStringLiteral("Nave"));
        QCOMPARE(cursors.size(), 2);
    }

    void deletedArchiveComesBackEmpty()
    {
        openSheet(2);
        QVERIFY(QFile::remove(archivePath));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        QCOMPARE(shownTexts(), QStringList{kEmpty});
        QVERIFY(QFileInfo::exists(archivePath));
        QCOMPARE(QFileInfo(archivePath).size(), 0);
    }
};

QTEST_MAIN(TestCartoline)
#include "test_cartoline.moc"
