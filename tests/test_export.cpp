// The export window over a real archive: the grid and its columns, editing
// in place, the export's questions and failure, hints, help, and its opening
// from the record sheet.
#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>

#include <cstring>

#include "PhotoFixtures.h"
#include "TestSupport.h"
#include "core/archive/Archivio.h"
#include "core/export/Export.h"
#include "gui/app/WindowSet.h"
#include "gui/help/GuideTexts.h"
#include "gui/help/frmGuida.h"
#include "gui/output/ExportGrid.h"
#include "gui/output/frmExpCartoline.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/widgets/Banner.h"
#include "gui/widgets/PictureButton.h"

namespace {

const QString kFirstQuestion = QStringLiteral(
    "L'esportazione dei dati in Excel può richiedere diversi minuti a seconda del numero di schede presenti in "
    "archivio.\r\n\r\nSi vuole esportare i dati adesso?");
const QString kSecondQuestion = QStringLiteral(
    "Le schede in archivio sono state esportate con successo.\r\n\r\nSi vuole aprire il file di Excel?");
const QString kFailure = QStringLiteral(
    "Attenzione: il sistema non permette di esportare i dati.\n\r\n\rAccertarsi che il file di Excel non sia già "
    "aperto.");

// Three cards; the first one's name was stored with blanks around it by some
// other writer, which the grid must not show.
void writeCards(const QString& path)
{
    QFile::remove(path);
    TArchivio archive;
    archive.ApriArchivio(path);
    const char* names[] = {"Fiat 500", "Vespa 125", "Amerigo Vespucci"};
    for (int i = 0; i < 3; ++i) {
        TScheda record;
        record.ScriviCampo(Campo::Nome, QString::fromUtf8(names[i]));
        record.ScriviCampo(Campo::Tipologia, QStringLiteral("Tipo %1").arg(i + 1));
        record.ScriviCampo(Campo::Valore, i == 0 ? QStringLiteral("0,00") : QStringLiteral("%1,50").arg(i));
        record.ScriviCampo(Campo::Note, QStringLiteral("nota %1").arg(i + 1));
        record.ScriviCampo(Campo::File01, QStringLiteral("ricevuta.pdf"));
        record.ImpostaInVendita(i == 1);
        if (i == 0) {
            const DescrizioneCampo& d = descrizione(Campo::Nome);
            const QByteArray padded = "   Fiat 500  ";
            record.dati()[d.offset] = char(padded.size());
            std::memcpy(record.dati() + d.offset + 1, padded.constData(), size_t(padded.size()));
        }
        archive.AccodaScheda(record);
    }
    archive.ChiudiArchivio();
}

} // namespace

class TestExport : public QObject, public SheetProgramTest {
    Q_OBJECT

    OpenedRecorder opened; // what was handed to the desktop

    // A fresh export window over the archive the record sheet holds.
    TfrmExpCartoline* showWindow(const QString& archivePath)
    {
        sheet->openArchive(QStringLiteral("  ") + archivePath + QStringLiteral(" "), QStringLiteral("Navi"));
        auto* window = new TfrmExpCartoline(sheet, sheet->state().archivePath);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
        if (!QTest::qWaitForWindowExposed(window))
            qWarning("export window not exposed");
        return window;
    }

    QString cell(TfrmExpCartoline* window, int row, int column)
    {
        QAbstractItemModel* model = named<TExportGrid>(window, "grdRecords")->model();
        return model->data(model->index(row, column)).toString();
    }

private slots:
    void init()
    {
        startSheetProgram();
        opened.commands.clear();
    }

    void cleanup()
    {
        const QList<QWidget*> tops = QApplication::topLevelWidgets();
        for (QWidget* w : tops) {
            if (qobject_cast<TfrmExpCartoline*>(w))
                delete w;
        }
        endSheetProgram();
    }

    void windowAndControls()
    {
        TfrmExpCartoline* window = showWindow(program->file(QStringLiteral("Vuoto.dbm")));
        QCOMPARE(window->objectName(), QStringLiteral("frmExpCartoline"));
        QCOMPARE(window->windowTitle(), QStringLiteral(" Esporta archivio modellini in Excel"));
        QCOMPARE(window->size(), QSize(862, 560));
        QCOMPARE(window->parentWidget(), sheet);
        QCOMPARE(named<QLabel>(window, "panInfo")->text(), QStringLiteral("Esportazione archivio in Microsoft Excel."));

        // Places in units of the content panel, itself centred in the window.
        const std::pair<const char*, QRect> places[] = {
            {"imgLogo", {13, 13, 505, 55}},  {"icoHand", {528, 32, 31, 25}}, {"cmdEsporta", {566, 15, 49, 50}},
            {"cmdGuida", {670, 13, 50, 55}}, {"cmdEsci", {766, 15, 40, 50}}, {"grdRecords", {8, 80, 821, 409}},
            {"panInfo", {14, 499, 809, 20}},
        };
        QWidget* panel = named<TExportGrid>(window, "grdRecords")->parentWidget();
        QCOMPARE(panel->geometry().center(), window->rect().center());
        QCOMPARE(panel->size(), QSize(837, 533));
        for (const auto& [name, place] : places) {
            QWidget* control = named<QWidget>(window, name);
            QCOMPARE(control->parentWidget(), panel);
            QCOMPARE(control->geometry(), place);
        }
    }

    // Header, width and in-place editing of each grid column.
    void gridColumns_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("header");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("editable");
        const std::tuple<const char*, int, bool> columns[] = {{"N.", 60, false},
                                                              {"Nome modellino", 250, false},
                                                              {"Tipologia", 200, true},
                                                              {"Produttore", 200, false},
                                                              {"Codice prodotto", 180, false},
                                                              {"Descrizione", 380, false},
                                                              {"Anno produzione", 180, false},
                                                              {"Valore stimato", 180, true},
                                                              {"Proprietario", 220, false},
                                                              {"Materiali", 280, false},
                                                              {"Colori", 250, false},
                                                              {"Confezione", 220, true},
                                                              {"Difetti", 280, true},
                                                              {"Data acquisto", 180, true},
                                                              {"Provenienza", 250, true},
                                                              {"Montaggio", 350, true},
                                                              {"Scala", 180, true},
                                                              {"Dimensioni", 200, false},
                                                              {"Rarità", 200, true},
                                                              {"Stato conservazione", 200, true},
                                                              {"Luogo conservazione", 250, true},
                                                              {"Note", 350, true},
                                                              {"In vendita", 120, true}};
        int c = 0;
        for (const auto& [header, width, editable] : columns) {
            QTest::addRow("%d %s", c, header) << c << QString::fromUtf8(header) << width << editable;
            ++c;
        }
    }

    void gridColumns()
    {
        QFETCH(int, column);
        QFETCH(QString, header);
        QFETCH(int, width);
        QFETCH(bool, editable);
        const QString archive = program->file(QStringLiteral("Navi.dbm"));
        writeCards(archive);
        TfrmExpCartoline* window = showWindow(archive);
        QAbstractItemModel* model = named<TExportGrid>(window, "grdRecords")->model();
        QCOMPARE(model->columnCount(), 23);
        QCOMPARE(model->headerData(column, Qt::Horizontal).toString(), header);
        QCOMPARE(named<TExportGrid>(window, "grdRecords")->columnWidth(column), width);
        QCOMPARE(bool(model->flags(model->index(0, column)) & Qt::ItemIsEditable), editable);
    }

    // A fresh window shows 10 empty rows; an empty archive leaves them, and
    // so does a missing one, which comes into being empty.
    void emptyArchiveShowsTenEmptyRows_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::newRow("empty archive") << true;
        QTest::newRow("missing archive") << false;
    }

    void emptyArchiveShowsTenEmptyRows()
    {
        QFETCH(bool, exists);
        const QString archive = program->file(QStringLiteral("Vuoto.dbm"));
        if (exists)
            writeArchive(archive, 0);
        TfrmExpCartoline* window = showWindow(archive);
        TExportGrid* grid = named<TExportGrid>(window, "grdRecords");
        QCOMPARE(grid->model()->rowCount(), 10);
        for (int r = 0; r < 10; ++r) {
            for (int c = 0; c < 23; ++c)
                QCOMPARE(cell(window, r, c), QString());
            QCOMPARE(grid->rowHeight(r), 21);
        }
        QVERIFY(grid->alternatingRowColors());
        QVERIFY(QFile::exists(archive));
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    // The grid lists every card in file order with its number, its fields
    // stripped of blanks; the record sheet is not touched.
    void gridListsEveryCard()
    {
        const QString archive = program->file(QStringLiteral("Navi.dbm"));
        writeCards(archive);
        sheet->openArchive(archive, QStringLiteral("Navi"));
        QVERIFY(sheet->subMostraScheda(2));
        TfrmExpCartoline* window = showWindow(archive);
        QCOMPARE(named<TExportGrid>(window, "grdRecords")->model()->rowCount(), 3);
        const QStringList names = {QStringLiteral("Fiat 500"), QStringLiteral("Vespa 125"),
                                   QStringLiteral("Amerigo Vespucci")};
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(cell(window, r, 0), QString::number(r + 1));
            QCOMPARE(cell(window, r, 1), names[r]);
            QCOMPARE(cell(window, r, 2), QStringLiteral("Tipo %1").arg(r + 1));
            QCOMPARE(cell(window, r, 21), QStringLiteral("nota %1").arg(r + 1));
            QCOMPARE(cell(window, r, 22), r == 1 ? QStringLiteral("Sì") : QStringLiteral("No"));
        }
        QCOMPARE(cell(window, 0, 7), QStringLiteral("0,00"));
        QCOMPARE(named<TExportGrid>(window, "grdRecords")->rowHeight(2), 21);
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("2"));
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    // Scrolled sideways and down, the card numbers stay at the left, row by
    // row beside their cards.
    void numberColumnStaysInPlace()
    {
        const QString archive = program->file(QStringLiteral("Quaranta.dbm"));
        writeArchive(archive, 40);
        TfrmExpCartoline* window = showWindow(archive);
        TExportGrid* grid = named<TExportGrid>(window, "grdRecords");
        QTableView* numbers = grid->frozenColumn();
        grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
        grid->verticalScrollBar()->setValue(10 * 21 + 7);
        QVERIFY(grid->horizontalScrollBar()->value() > 0);

        QVERIFY(numbers->isVisible());
        QCOMPARE(numbers->geometry(), QRect(grid->frameWidth(), grid->frameWidth(), 60,
                                            grid->viewport()->height() + grid->horizontalHeader()->height()));
        for (int c = 1; c < 23; ++c)
            QVERIFY(numbers->isColumnHidden(c));
        QCOMPARE(numbers->columnWidth(0), 60);
        QCOMPARE(numbers->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("N."));
        for (int row : {11, 15}) {
            QCOMPARE(numbers->rowViewportPosition(row), grid->rowViewportPosition(row));
            QCOMPARE(numbers->rowHeight(row), 21);
        }
        QCOMPARE(numbers->indexAt(QPoint(30, 2)).data().toString(), QStringLiteral("11"));

        // Rolling the wheel over the numbers moves the cards along with them.
        numbers->verticalScrollBar()->setValue(3 * 21);
        QCOMPARE(grid->verticalScrollBar()->value(), 3 * 21);
    }

    // Typing into an editable cell changes the grid and the export, never
    // the archive; a cell still being typed when the export starts counts.
    // Typing on a cell that cannot be edited changes nothing.
    void typedCellsAreExported_data()
    {
        QTest::addColumn<bool>("finishWithEnter");
        QTest::newRow("edit finished") << true;
        QTest::newRow("edit still open") << false;
    }

    void typedCellsAreExported()
    {
        QFETCH(bool, finishWithEnter);
        const QString archive = program->file(QStringLiteral("Navi.dbm"));
        writeCards(archive);
        const QByteArray archiveBefore = PhotoFixtures::readFile(archive);
        TfrmExpCartoline* window = showWindow(archive);
        TExportGrid* grid = named<TExportGrid>(window, "grdRecords");
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));

        grid->setCurrentIndex(grid->model()->index(0, 1)); // name: not editable
        QTest::keyClicks(grid, QStringLiteral("xyz"));
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(cell(window, 0, 1), QStringLiteral("Fiat 500"));

        grid->setCurrentIndex(grid->model()->index(1, 21)); // note
        QTest::keyClick(grid, Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor && editor != grid);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, QStringLiteral("scatola 1<43 & "));
        for (const QString& letter :
             {QStringLiteral("Ł"), QStringLiteral("ó"), QStringLiteral("d"), QStringLiteral("ź")})
            QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, letter, Qt::NoModifier);
        if (finishWithEnter) {
            QTest::keyClick(editor, Qt::Key_Return); // the view commits on its next turn
            QTRY_COMPARE(cell(window, 1, 21), QStringLiteral("scatola 1<43 & Łódź"));
        }

        QTest::mouseClick(named<TPictureButton>(window, "cmdEsporta"), Qt::LeftButton);
        const QByteArray file = PhotoFixtures::readFile(program->file(QStringLiteral("Archivio_Modellini.xls")));
        QVERIFY(file.contains("<td style=\"text-align: left;\" sdnum=\"1040;0;@\">scatola 1&lt;43 &amp; &#321;\xF3"
                              "d&#378;</td>"));
        QVERIFY(!file.contains("nota 2"));
        QVERIFY(file.contains("nota 3"));
        QVERIFY(!file.contains("xyz"));
        QCOMPARE(PhotoFixtures::readFile(archive), archiveBefore);
    }

    // Both questions, and what each answer does.
    void exportQuestions_data()
    {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<bool>("written");
        QTest::addColumn<bool>("openedFile");
        QTest::newRow("no to exporting") << QList<int>{QMessageBox::No} << false << false;
        QTest::newRow("yes, then no to opening") << QList<int>{QMessageBox::Yes, QMessageBox::No} << true << false;
        QTest::newRow("yes, then yes") << QList<int>{QMessageBox::Yes, QMessageBox::Yes} << true << true;
    }

    void exportQuestions()
    {
        QFETCH(QList<int>, answers);
        QFETCH(bool, written);
        QFETCH(bool, openedFile);
        const QString archive = program->file(QStringLiteral("Navi.dbm"));
        writeCards(archive);
        TfrmExpCartoline* window = showWindow(archive);
        for (int answer : answers)
            Dialogs::setNextAnswer(QMessageBox::StandardButton(answer));
        QTest::mouseClick(named<TPictureButton>(window, "cmdEsporta"), Qt::LeftButton);

        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), answers.size());
        const QStringList questions = {kFirstQuestion, kSecondQuestion};
        for (int i = 0; i < shown.size(); ++i) {
            QCOMPARE(shown[i].kind, Dialogs::Kind::Confirmation);
            QCOMPARE(shown[i].buttons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(shown[i].text, questions[i]);
            QCOMPARE(shown[i].parentName, QStringLiteral("frmExpCartoline"));
        }
        const QString path = program->file(QStringLiteral("Archivio_Modellini.xls"));
        QCOMPARE(QFile::exists(path), written);
        if (written)
            QCOMPARE(PhotoFixtures::readFile(path), Esportazione::Contenuto(window->table()));
        QCOMPARE(opened.commands,
                 openedFile ? QList<QString>{QLatin1Char('"') + path + QLatin1Char('"')} : QList<QString>{});
        QVERIFY(window->isVisible());
    }

    // A file a spreadsheet program holds open: the failure box, the file as
    // it was, no second question and nothing opened.
    void failedExportShowsTheMessage()
    {
        const QString archive = program->file(QStringLiteral("Navi.dbm"));
        writeCards(archive);
        const QString path = program->file(QStringLiteral("Archivio_Modellini.xls"));
        {
            QFile previous(path);
            QVERIFY(previous.open(QIODevice::WriteOnly));
            previous.write("export di ieri");
            QFile lock(program->file(QStringLiteral(".~lock.Archivio_Modellini.xls#")));
            QVERIFY(lock.open(QIODevice::WriteOnly));
        }
        TfrmExpCartoline* window = showWindow(archive);
        QTest::mouseClick(named<TPictureButton>(window, "cmdEsporta"), Qt::LeftButton);

        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].text, kFirstQuestion);
        QCOMPARE(shown[1].kind, Dialogs::Kind::Plain);
        QCOMPARE(shown[1].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(shown[1].text, kFailure);
        QCOMPARE(PhotoFixtures::readFile(path), QByteArray("export di ieri"));
        QVERIFY(opened.commands.isEmpty());
    }

    // The pointer over a command writes its hint; over the grid, the status
    // bar or the background it empties the line.
    void hints()
    {
        TfrmExpCartoline* window = showWindow(program->file(QStringLiteral("Vuoto.dbm")));
        QCursor::setPos(2000, 2000);
        const std::pair<QWidget*, QString> steps[] = {
            {named<TPictureButton>(window, "cmdEsporta"),
             QStringLiteral("Esporta l'archivio in formato Microsoft Excel.")},
            {named<TExportGrid>(window, "grdRecords")->viewport(), QString()},
            {named<TPictureButton>(window, "cmdGuida"),
             QStringLiteral("Visualizza la pagina della guida sensibile al contesto. (F1)")},
            {named<QLabel>(window, "panInfo"), QString()},
            {named<TPictureButton>(window, "cmdEsci"), QStringLiteral("Esci da questo ambiente di lavoro.")},
            {named<TBanner>(window, "imgLogo"), QString()},
            {named<TPictureButton>(window, "cmdEsporta"),
             QStringLiteral("Esporta l'archivio in formato Microsoft Excel.")},
            {named<TExportGrid>(window, "grdRecords")->horizontalHeader(), QString()},
            {named<TPictureButton>(window, "cmdGuida"),
             QStringLiteral("Visualizza la pagina della guida sensibile al contesto. (F1)")},
            {named<TExportGrid>(window, "grdRecords")->frozenColumn()->viewport(), QString()},
        };
        for (const auto& [widget, hint] : steps) {
            QTest::mouseMove(widget, widget->rect().center());
            QTRY_COMPARE(named<QLabel>(window, "panInfo")->text(), hint);
        }
    }

    void helpOpensTheGuide()
    {
        TfrmExpCartoline* window = showWindow(program->file(QStringLiteral("Vuoto.dbm")));
        QVERIFY(whileModal<TfrmGuida>(window, named<TPictureButton>(window, "cmdGuida"), [](TfrmGuida* guide) {
            QCOMPARE(QApplication::activeModalWidget(), guide);
            QCOMPARE(named<QLabel>(guide, "lblTitolo")->text(),
                     QStringLiteral("Esportazione archivio modellini in Excel"));
            const QStringList paragraphs = GuideTexts::exportWindow().paragraphs;
            QCOMPARE(paragraphs.size(), 3);
            QCOMPARE(named<QPlainTextEdit>(guide, "txtGuida")->toPlainText(),
                     paragraphs.join(QStringLiteral("\n\n"))); // CR LF CR LF as the text box shows it
            QVERIFY(paragraphs[0].contains(QStringLiteral("Libre Office")));
        }));
        QVERIFY(window->findChildren<TfrmGuida*>().isEmpty());
    }

    void exitClosesTheWindow()
    {
        QPointer<TfrmExpCartoline> window = showWindow(program->file(QStringLiteral("Vuoto.dbm")));
        QTest::mouseClick(named<TPictureButton>(window, "cmdEsci"), Qt::LeftButton);
        QTRY_VERIFY(window.isNull());
        QVERIFY(!QFile::exists(program->file(QStringLiteral("Archivio_Modellini.xls"))));
    }

    // "Esporta" on the record sheet opens a fresh modal window over the
    // sheet's archive and discards it when it closes.
    void recordSheetOpensTheWindow()
    {
        const QString archive = program->file(QStringLiteral("Navi.dbm"));
        writeCards(archive);
        QVERIFY(openRecordSheet(*windows, archive, QStringLiteral("Navi")));
        int rows = -1;
        bool modal = false;
        QVERIFY(whileModal<TfrmExpCartoline>(
            sheet, named<TPictureButton>(sheet, "cmdEsporta"), [&](TfrmExpCartoline* window) {
                modal = window->isModal() && QApplication::activeModalWidget() == window;
                rows = named<TExportGrid>(window, "grdRecords")->model()->rowCount();
                named<TPictureButton>(window, "cmdEsci")->click();
                QVERIFY(!window->isVisible()); // closed by its own button
            }));
        QVERIFY(modal);
        QCOMPARE(rows, 3);
        QVERIFY(sheet->findChildren<TfrmExpCartoline*>().isEmpty());
        QVERIFY(sheet->isVisible());
    }
};

QTEST_MAIN(TestExport)
#include "test_export.moc"
