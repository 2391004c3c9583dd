// The attachments window over a real program folder: opening from the record
// sheet, picking and copying into the attachments folder with its overwrite
// question, opening a copy, clearing, applying and cancelling, and names the
// record cannot hold as they are.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

#include "PhotoFixtures.h"
#include "TestSupport.h"
#include "core/archive/Archivio.h"
#include "core/archive/CompanionFiles.h"
#include "core/formats/CodePage.h"
#include "core/system/TMisc.h"
#include "gui/sheet/frmAllegaCartella.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/widgets/Banner.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/PictureButton.h"

namespace {

const QString kArchive = QStringLiteral("Treni");

void writeContent(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!PhotoFixtures::writeFile(path, bytes))
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

class TestAttachments : public QObject, public SheetProgramTest {
    Q_OBJECT

    QString archivePath;
    OpenedRecorder opened; // what "Apri" handed to the desktop

    void openSheet(int records)
    {
        archivePath = program->file(kArchive + QStringLiteral(".dbm"));
        writeArchive(archivePath, records);
        QVERIFY(openRecordSheet(*windows, archivePath, kArchive));
    }

    QLabel* sheetLabel(int i) const
    {
        QLabel* labels[] = {named<QLabel>(sheet, "lblFile01"), named<QLabel>(sheet, "lblFile02"),
                            named<QLabel>(sheet, "lblFile03"), named<QLabel>(sheet, "lblDesc01"),
                            named<QLabel>(sheet, "lblDesc02"), named<QLabel>(sheet, "lblDesc03")};
        return labels[i];
    }

    // A file the user might attach, outside the program folder's own folders.
    QString userFile(const QString& name, const QByteArray& content)
    {
        const QString path = program->file(QStringLiteral("Documenti utente/") + name);
        writeContent(path, content);
        return path;
    }

    // The window as the sheet's "Allegati" opens it.
    bool withWindow(const std::function<void(TfrmAllegaCartella*)>& work)
    {
        return whileModal<TfrmAllegaCartella>(sheet, named<TPictureButton>(sheet, "cmdFile"), work);
    }

    // A window over the current card without its modal loop.
    std::unique_ptr<TfrmAllegaCartella> freshWindow(const TAttachments& attachments = {})
    {
        return std::make_unique<TfrmAllegaCartella>(sheet, attachments);
    }

private slots:
    void init()
    {
        startSheetProgram();
        opened.commands.clear();
    }

    void cleanup() { endSheetProgram(); }

    // ---- opening -------------------------------------------------------------

    void openingShowsTheCardsAttachments_data()
    {
        QTest::addColumn<QStringList>("labels"); // File01..03, Desc01..03 on the sheet
        QTest::addColumn<QList<bool>>("openable");
        QTest::newRow("no attachments") << QStringList{QString(), QString(), QString(), QString(), QString(), QString()}
                                        << QList<bool>{false, false, false};
        QTest::newRow("first attachment") << QStringList{QStringLiteral("ricevuta.pdf"), QString(), QString(),
                                                         QStringLiteral("Scontrino"),    QString(), QString()}
                                          << QList<bool>{true, false, false};
        QTest::newRow("third only, padded") << QStringList{QString(), QString(), QStringLiteral("  foto vera.jpg "),
                                                           QString(), QString(), QStringLiteral(" Dal vivo  ")}
                                            << QList<bool>{false, false, true};
        QTest::newRow("a name of blanks") << QStringList{QStringLiteral("   "),
                                                         QStringLiteral("a.txt"),
                                                         QStringLiteral("b.doc"),
                                                         QString(),
                                                         QString(),
                                                         QString()}
                                          << QList<bool>{false, true, true};
    }

    void openingShowsTheCardsAttachments()
    {
        QFETCH(QStringList, labels);
        QFETCH(QList<bool>, openable);
        openSheet(0);
        TScheda card;
        const Campo stored[] = {Campo::File01, Campo::File02, Campo::File03,
                                Campo::Desc01, Campo::Desc02, Campo::Desc03};
        for (int i = 0; i < 6; ++i)
            card.ScriviCampo(stored[i], labels[i]);
        appendRecord(archivePath, card);
        QVERIFY(sheet->subMostraScheda(1));
        QVERIFY(withWindow([&](TfrmAllegaCartella* window) {
            QCOMPARE(QApplication::activeModalWidget(), window);
            QCOMPARE(window->windowTitle(), QStringLiteral(" Allega file"));
            QCOMPARE(window->size(), QSize(634, 534));
            QCOMPARE(named<QLabel>(window, "lblMemory")->text(), QStringLiteral("cartoline"));
            QLineEdit* fields[] = {named<QLineEdit>(window, "txtFile01"), named<QLineEdit>(window, "txtFile02"),
                                   named<QLineEdit>(window, "txtFile03"), named<QLineEdit>(window, "txtDesc01"),
                                   named<QLineEdit>(window, "txtDesc02"), named<QLineEdit>(window, "txtDesc03")};
            for (int i = 0; i < 6; ++i)
                QCOMPARE(fields[i]->text(), labels[i].trimmed());
            QPushButton* open[] = {named<QPushButton>(window, "btnApri01"), named<QPushButton>(window, "btnApri02"),
                                   named<QPushButton>(window, "btnApri03")};
            for (int i = 0; i < 3; ++i)
                QCOMPARE(open[i]->isEnabled(), openable[i]);
            QVERIFY(named<QLineEdit>(window, "txtFile01")->isReadOnly());
            QVERIFY(!named<QLineEdit>(window, "txtDesc01")->isReadOnly());
        }));
    }

    // Each slot group at its place, 120 units below the one above; captions
    // as the collector reads them.
    void slotsAndButtonsInPlace()
    {
        openSheet(0);
        auto window = freshWindow();
        QCOMPARE(named<QWidget>(window, "panContainer")->size(), QSize(609, 503));
        QCOMPARE(named<QWidget>(window, "panContainer")->geometry().center(), window->rect().center());
        QCOMPARE(named<TBanner>(window, "imgLogo")->size(), QSize(543, 49));
        struct Place {
            const char* name;
            QRect place;      // slot 1
            const char* text; // slot 1's caption, %1 the ordinal
        };
        const Place places[] = {
            {"shpFile0%1", {16, 80, 577, 113}, nullptr},     {"txtFile0%1", {28, 108, 338, 22}, nullptr},
            {"imgCancella0%1", {370, 108, 22, 22}, nullptr}, {"btnSfoglia0%1", {400, 104, 86, 28}, "Sfoglia..."},
            {"btnApri0%1", {494, 104, 86, 28}, "Apri"},      {"txtDesc0%1", {28, 158, 552, 22}, nullptr},
        };
        for (int slot = 0; slot < 3; ++slot) {
            const QString n = QString::number(slot + 1);
            for (const Place& p : places) {
                const QString name = QString::fromLatin1(p.name).arg(n);
                QWidget* w = named<QWidget>(window.get(), qPrintable(name));
                QCOMPARE(w->parentWidget(), named<QWidget>(window, "panContainer"));
                QCOMPARE(w->geometry(), p.place.translated(0, 120 * slot));
                if (p.text)
                    QCOMPARE(qobject_cast<QPushButton*>(w)->text(), QString::fromLatin1(p.text));
            }
            auto* nameCaption = named<QLabel>(window.get(),
                                              qPrintable(QStringLiteral("lblCampo0%1").arg(2 * slot + 1)));
            auto* descCaption = named<QLabel>(window.get(),
                                              qPrintable(QStringLiteral("lblCampo0%1").arg(2 * slot + 2)));
            QCOMPARE(nameCaption->pos(), QPoint(28, 90 + 120 * slot));
            QCOMPARE(descCaption->pos(), QPoint(28, 140 + 120 * slot));
            QCOMPARE(nameCaption->text(), QStringLiteral("Nome %1° file allegato:").arg(n));
            QCOMPARE(descCaption->text(), QStringLiteral("Descrizione %1° file allegato:").arg(n));
        }
        QCOMPARE(named<QPushButton>(window, "btnAnnulla")->geometry(), QRect(312, 456, 126, 32));
        QCOMPARE(named<QPushButton>(window, "btnAnnulla")->text(), QStringLiteral("Annulla"));
        QCOMPARE(named<QPushButton>(window, "btnApplica")->geometry(), QRect(447, 456, 154, 32));
        QCOMPARE(named<QPushButton>(window, "btnApplica")->text(), QStringLiteral("Applica e chiudi"));
    }

    // The real file dialog: its one entry reads as described, and a file
    // without an extension is offered too.
    void theFileDialogOffersEveryFile()
    {
        openSheet(0);
        userFile(QStringLiteral("LEGGIMI"), QByteArray("senza estensione"));
        const QString folder = QFileInfo(userFile(QStringLiteral("nota.txt"), QByteArray("nota"))).absolutePath();
        auto window = freshWindow();
        window->show();
        QString title;
        QString entry;
        int offered = -1;
        Dialogs::setScripted(false);
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            title = dialog->windowTitle();
            dialog->setDirectory(folder);
            if (auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
                entry = types->currentText();
            if (auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"))) {
                // The folder is listed in the background.
                QTRY_COMPARE_WITH_TIMEOUT(list->model()->rowCount(list->rootIndex()), 2, 5000);
                offered = list->model()->rowCount(list->rootIndex());
            }
            dialog->reject();
        });
        named<QPushButton>(window, "btnSfoglia01")->click();
        Dialogs::setScripted(true);
        QCOMPARE(title, QStringLiteral("Selezionare il file da allegare:"));
        QCOMPARE(entry, QStringLiteral("Tutti i file (*.*)"));
        QCOMPARE(offered, 2);
        QVERIFY(named<QLineEdit>(window, "txtFile01")->text().isEmpty());
    }

    void tabGoesThroughTheSlotsInOrder()
    {
        openSheet(0);
        // every "Apri" takes the focus once enabled
        auto window = freshWindow({TAttachment{QStringLiteral("a.pdf"), {}}, TAttachment{QStringLiteral("b.pdf"), {}},
                                   TAttachment{QStringLiteral("c.pdf"), {}}});
        QStringList order;
        QWidget* w = named<QLineEdit>(window, "txtFile01");
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && w->window() == window.get() && !order.contains(w->objectName()))
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != named<QLineEdit>(window, "txtFile01"));
        const QStringList expected{
            QStringLiteral("txtFile01"),    QStringLiteral("btnSfoglia01"), QStringLiteral("btnApri01"),
            QStringLiteral("txtDesc01"),    QStringLiteral("txtFile02"),    QStringLiteral("btnSfoglia02"),
            QStringLiteral("btnApri02"),    QStringLiteral("txtDesc02"),    QStringLiteral("txtFile03"),
            QStringLiteral("btnSfoglia03"), QStringLiteral("btnApri03"),    QStringLiteral("txtDesc03"),
            QStringLiteral("btnApplica"),   QStringLiteral("btnAnnulla")};
        QCOMPARE(order, expected);
    }

    // ---- pick and copy -------------------------------------------------------

    void pickCopiesAtOnce_data()
    {
        QTest::addColumn<QByteArray>("alreadyThere"); // empty: no file of that name yet
        QTest::addColumn<bool>("pickTheCopyItself");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("new name: copied, nothing asked") << QByteArray() << false << QMessageBox::Yes << true;
        QTest::newRow("same name, Yes replaces") << QByteArray("vecchia") << false << QMessageBox::Yes << true;
        QTest::newRow("same name, No keeps the old copy") << QByteArray("vecchia") << false << QMessageBox::No << false;
        QTest::newRow("the copy itself, Yes leaves it intact")
            << QByteArray("vecchia") << true << QMessageBox::Yes << false;
    }

    void pickCopiesAtOnce()
    {
        QFETCH(QByteArray, alreadyThere);
        QFETCH(bool, pickTheCopyItself);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, replaced);
        openSheet(0);
        const QString copy = CompanionFiles::attachmentPath(QStringLiteral("fattura.pdf"));
        if (!alreadyThere.isEmpty())
            writeContent(copy, alreadyThere);
        const QString source = pickTheCopyItself ? copy
                                                 : userFile(QStringLiteral("fattura.pdf"), QByteArray("nuova fattura"));
        auto window = freshWindow();
        named<QLineEdit>(window, "txtDesc02")->setText(QStringLiteral("Fattura d'acquisto"));

        Dialogs::setNextAnswer(answer);
        clickChoosingFile(named<QPushButton>(window, "btnSfoglia02"), source);

        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        if (alreadyThere.isEmpty()) {
            QVERIFY(shown.isEmpty());
        } else {
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown.first().kind, Dialogs::Kind::Confirmation);
            QCOMPARE(shown.first().text, FailureMessages::attachmentOverwriteQuestion());
        }
        QCOMPARE(PhotoFixtures::readFile(copy), replaced ? QByteArray("nuova fattura") : alreadyThere);
        // Whatever the answer, the slot names the file now in the folder.
        QCOMPARE(named<QLineEdit>(window, "txtFile02")->text(), QStringLiteral("fattura.pdf"));
        QVERIFY(named<QPushButton>(window, "btnApri02")->isEnabled());
        QCOMPARE(named<QLineEdit>(window, "txtDesc02")->text(), QStringLiteral("Fattura d'acquisto"));
        QVERIFY(named<QLineEdit>(window, "txtFile01")->text().isEmpty()
                && named<QLineEdit>(window, "txtFile03")->text().isEmpty());
        const QList<Dialogs::FileRequest> requests = Dialogs::takeFileRequests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().title, QStringLiteral("Selezionare il file da allegare:"));
        QVERIFY(requests.first().filter.startsWith(QStringLiteral("Tutti i file (*.*)|")));
    }

    void cancellingTheDialogChangesNothing()
    {
        openSheet(0);
        auto window = freshWindow({TAttachment{QStringLiteral("manuale.pdf"), {}}});
        clickChoosingFile(named<QPushButton>(window, "btnSfoglia01"), QString()); // cancelled
        QCOMPARE(named<QLineEdit>(window, "txtFile01")->text(), QStringLiteral("manuale.pdf"));
        QVERIFY(!QFileInfo::exists(CompanionFiles::attachmentsFolder()));
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    void aFailedCopyWarnsAndKeepsTheSlot_data()
    {
        QTest::addColumn<bool>("folderBlocked");
        QTest::newRow("attachments folder cannot be made") << true;
        QTest::newRow("picked file gone") << false;
    }

    void aFailedCopyWarnsAndKeepsTheSlot()
    {
        QFETCH(bool, folderBlocked);
        openSheet(0);
        QString source = userFile(QStringLiteral("garanzia.pdf"), QByteArray("garanzia"));
        if (folderBlocked)
            writeContent(program->file(QStringLiteral("Documenti_Allegati")), QByteArray("a file, not a folder"));
        else
            QVERIFY(QFile::remove(source));
        auto window = freshWindow({TAttachment{}, TAttachment{}, TAttachment{QStringLiteral("precedente.pdf"), {}}});

        clickChoosingFile(named<QPushButton>(window, "btnSfoglia03"), source);

        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().kind, Dialogs::Kind::Warning);
        QCOMPARE(shown.first().text, TfrmAllegaCartella::copyFailedMessage());
        QCOMPARE(named<QLineEdit>(window, "txtFile03")->text(), QStringLiteral("precedente.pdf"));
        QVERIFY(!QFileInfo::exists(CompanionFiles::attachmentPath(QStringLiteral("garanzia.pdf"))));
    }

    // A name in a byte the system's file-name encoding cannot spell (Latin-1
    // "é" from an old ZIP in a UTF-8 system) comes back from the dialog with
    // U+FFFD: the window says so, copies nothing and keeps the slot's name.
    void aNameTheSystemCannotSpellIsRefusedWithItsOwnMessage()
    {
        openSheet(0);
        const QString folder = program->file(QStringLiteral("Documenti utente"));
        QVERIFY(QDir().mkpath(folder));
        const QByteArray raw = QFile::encodeName(folder) + "/caf\xE9.pdf";
        FILE* file = std::fopen(raw.constData(), "wb");
        QVERIFY(file);
        std::fputs("fattura", file);
        std::fclose(file);
        // Qt cannot name it to remove it with the scratch folder.
        const std::unique_ptr<const char, void (*)(const char*)> removed(raw.constData(),
                                                                         [](const char* path) { std::remove(path); });
        const QString asTheDialogGivesIt = folder + QStringLiteral("/caf\uFFFD.pdf");
        auto window = freshWindow({TAttachment{}, TAttachment{QStringLiteral("precedente.pdf"), {}}, TAttachment{}});

        clickChoosingFile(named<QPushButton>(window, "btnSfoglia02"), asTheDialogGivesIt);

        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().kind, Dialogs::Kind::Warning);
        QCOMPARE(shown.first().text, TfrmAllegaCartella::unspellableNameMessage());
        QVERIFY(shown.first().text.contains(QStringLiteral("rinominare il file e riprovare")));
        QCOMPARE(named<QLineEdit>(window, "txtFile02")->text(), QStringLiteral("precedente.pdf"));
        QVERIFY(QDir(CompanionFiles::attachmentsFolder()).entryList(QDir::Files).isEmpty());
        // A file whose name only looks odd, but is there, is copied as ever.
        const QString odd = userFile(QStringLiteral("strano\uFFFD.pdf"), QByteArray("strano"));
        QVERIFY(!TfrmAllegaCartella::isUnspellableName(odd));
    }

    // ---- apply, cancel, clear, open ------------------------------------------

    void annullaLeavesTheSheetButTheCopyStays()
    {
        openSheet(0);
        const QString source = userFile(QStringLiteral("scontrino.png"), QByteArray("png"));
        QVERIFY(withWindow([&](TfrmAllegaCartella* window) {
            clickChoosingFile(named<QPushButton>(window, "btnSfoglia01"), source);
            named<QLineEdit>(window, "txtDesc01")->setText(QStringLiteral("Scontrino"));
            QTest::mouseClick(named<QPushButton>(window, "btnAnnulla"), Qt::LeftButton);
            QVERIFY(!window->isVisible());
        }));
        for (int i = 0; i < 6; ++i)
            QVERIFY(sheetLabel(i)->text().isEmpty());
        QCOMPARE(PhotoFixtures::readFile(CompanionFiles::attachmentPath(QStringLiteral("scontrino.png"))),
                 QByteArray("png"));
    }

    void eraserAndApplyReachTheArchiveOnSave()
    {
        openSheet(0);
        {
            TScheda record;
            record.ScriviCampo(Campo::Nome, QStringLiteral("Caimano"));
            record.ScriviCampo(Campo::Tipologia, QStringLiteral("Locomotiva"));
            record.ScriviCampo(Campo::Produttore, QStringLiteral("Rivarossi"));
            record.ScriviCampo(Campo::Valore, QStringLiteral("120,00"));
            record.ScriviCampo(Campo::Scala, QStringLiteral("H0"));
            record.ScriviCampo(Campo::File01, QStringLiteral("vecchio.pdf"));
            record.ScriviCampo(Campo::Desc01, QStringLiteral("Vecchio documento"));
            appendRecord(archivePath, record);
        }
        writeContent(CompanionFiles::attachmentPath(QStringLiteral("vecchio.pdf")), QByteArray("vecchio"));
        QVERIFY(sheet->subMostraScheda(1));
        const QString source = userFile(QStringLiteral("nuovo.txt"), QByteArray("nuovo"));
        QVERIFY(withWindow([&](TfrmAllegaCartella* window) {
            QVERIFY(named<QPushButton>(window, "btnApri01")->isEnabled());
            QTest::mouseClick(named<TPictureButton>(window, "imgCancella01"), Qt::LeftButton);
            QVERIFY(named<QLineEdit>(window, "txtFile01")->text().isEmpty());
            QVERIFY(!named<QPushButton>(window, "btnApri01")->isEnabled());
            QCOMPARE(named<QLineEdit>(window, "txtDesc01")->text(), QStringLiteral("Vecchio documento"));
            clickChoosingFile(named<QPushButton>(window, "btnSfoglia02"), source);
            named<QLineEdit>(window, "txtDesc02")->setText(QStringLiteral("  Note di montaggio  "));
            QTest::mouseClick(named<QPushButton>(window, "btnApplica"), Qt::LeftButton);
            QVERIFY(!window->isVisible());
        }));
        const QStringList expected{QString(),
                                   QStringLiteral("nuovo.txt"),
                                   QString(),
                                   QStringLiteral("Vecchio documento"),
                                   QStringLiteral("Note di montaggio"),
                                   QString()};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(sheetLabel(i)->text(), expected[i]);

        // Applied changes reach the archive only with a save of the card.
        QCOMPARE(recordAt(archivePath, 1).LeggiCampo(Campo::File01), QStringLiteral("vecchio.pdf"));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        QCOMPARE(shownTexts(), QStringList{QStringLiteral(
                                   "Le modifiche apportate alla scheda corrente sono state salvate in archivio.")});
        const TScheda saved = recordAt(archivePath, 1);
        const Campo fields[] = {Campo::File01, Campo::File02, Campo::File03,
                                Campo::Desc01, Campo::Desc02, Campo::Desc03};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(saved.LeggiCampo(fields[i]), expected[i]);
        QCOMPARE(PhotoFixtures::readFile(CompanionFiles::attachmentPath(QStringLiteral("vecchio.pdf"))),
                 QByteArray("vecchio"));
    }

    // The window hands the six values back, trimmed; only who listens takes them.
    void applyHandsTheValuesBack()
    {
        openSheet(0);
        auto window = freshWindow({TAttachment{QStringLiteral(" a.pdf "), QStringLiteral("prima ")}});
        QCOMPARE(named<QLabel>(window, "lblMemory")->text(), QStringLiteral("cartoline"));
        named<QLineEdit>(window, "txtDesc02")->setText(QStringLiteral(" Descrizione "));
        TAttachments applied;
        int signals_ = 0;
        connect(window.get(), &TfrmAllegaCartella::applied, this, [&](const TAttachments& a) {
            applied = a;
            ++signals_;
        });
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTest::mouseClick(named<QPushButton>(window, "btnApplica"), Qt::LeftButton);
        QVERIFY(!window->isVisible());
        QCOMPARE(signals_, 1);
        const TAttachments expected = {TAttachment{QStringLiteral("a.pdf"), QStringLiteral("prima")},
                                       TAttachment{QString(), QStringLiteral("Descrizione")}, TAttachment{}};
        QVERIFY(applied == expected);
        // This window was not opened by the sheet: the card keeps what it had.
        QVERIFY(named<QLabel>(sheet, "lblDesc02")->text().isEmpty());
    }

    void apriHandsTheCopyToTheDesktop()
    {
        openSheet(0);
        auto window = freshWindow({TAttachment{}, TAttachment{QStringLiteral(" catalogo 1965.pdf "), {}}});
        QTest::mouseClick(named<QPushButton>(window, "btnApri02"), Qt::LeftButton);
        QCOMPARE(opened.commands, QStringList{QStringLiteral("\"") + CompanionFiles::attachmentsFolder()
                                              + QStringLiteral("catalogo 1965.pdf\"")});
        // A missing copy is the desktop's business: nothing shows here.
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    // ---- names the record cannot hold as they are ----------------------------

    void storedName_data()
    {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QString>("stored");
        const QString longBase = QString(300, QLatin1Char('x'));
        QTest::newRow("plain") << "ricevuta.pdf"
                               << "ricevuta.pdf";
        QTest::newRow("code page letters kept")
            << QString::fromUtf8("perizia €, città.doc") << QString::fromUtf8("perizia €, città.doc");
        QTest::newRow("letters outside the code page")
            << QString::fromUtf8("Łódź kolej.pdf") << QString::fromUtf8("Lódz kolej.pdf");
        QTest::newRow("a fraction slash leads nowhere")
            << QString::fromUtf8("..\u2044..\u2044fuori.txt") << "..\u005F..\u005Ffuori.txt";
        QTest::newRow("too long keeps its extension")
            << longBase + QStringLiteral(".pdf") << QString(246, QLatin1Char('x')) + QStringLiteral(".pdf");
        QTest::newRow("too long, no extension") << longBase << QString(250, QLatin1Char('x'));
    }

    void storedName()
    {
        QFETCH(QString, picked);
        QFETCH(QString, stored);
        const QString name = TfrmAllegaCartella::storedName(picked);
        QCOMPARE(name, stored);
        // What the record gives back is that very name.
        TScheda record;
        record.ScriviCampo(Campo::File02, name);
        QCOMPARE(record.LeggiCampo(Campo::File02), name);
    }

    void aNameOutsideTheCodePageOpensAfterSaveAndReload_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::newRow("Polish letters and an arrow") << QString::fromUtf8("Przewodnik → Łódź.pdf");
        QTest::newRow("Greek and Cyrillic") << QString::fromUtf8("Οδηγός Руководство.txt");
        QTest::newRow("longer than the record holds") << QString(248, QLatin1Char('m')) + QStringLiteral(".odt");
    }

    void aNameOutsideTheCodePageOpensAfterSaveAndReload()
    {
        QFETCH(QString, fileName);
        openSheet(0);
        const QString source = userFile(fileName, QByteArray("il documento"));
        QVERIFY(withWindow([&](TfrmAllegaCartella* window) {
            clickChoosingFile(named<QPushButton>(window, "btnSfoglia01"), source);
            QTest::mouseClick(named<QPushButton>(window, "btnApplica"), Qt::LeftButton);
        }));
        QVERIFY(!named<QLabel>(sheet, "lblFile01")->text().isEmpty());
        named<QLineEdit>(sheet, "txtNome")->setText(QStringLiteral("Settebello"));
        named<QLineEdit>(sheet, "txtTipologia")->setText(QStringLiteral("Elettrotreno"));
        named<QLineEdit>(sheet, "txtProduttore")->setText(QStringLiteral("Lima"));
        named<QLineEdit>(sheet, "txtScala")->setText(QStringLiteral("H0"));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        sheet->subNuovaScheda();
        QVERIFY(sheet->subMostraScheda(1));

        QVERIFY(withWindow([&](TfrmAllegaCartella* window) {
            QVERIFY(named<QPushButton>(window, "btnApri01")->isEnabled());
            QTest::mouseClick(named<QPushButton>(window, "btnApri01"), Qt::LeftButton);
        }));
        QCOMPARE(opened.commands.size(), 1);
        const QString path = TMisc::urlFor(opened.commands.first()).toLocalFile();
        QVERIFY(path.startsWith(CompanionFiles::attachmentsFolder()));
        QCOMPARE(PhotoFixtures::readFile(path), QByteArray("il documento"));
    }
};

QTEST_MAIN(TestAttachments)
#include "test_attachments.moc"
