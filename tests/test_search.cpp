// The find window and the for-sale listing over a real archive: criteria
// entry, the search and its failures, find in the list, and bringing a
// chosen record with its photos onto the record sheet.
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "PdfFixtures.h"
#include "PhotoFixtures.h"
#include "TestSupport.h"
#include "core/archive/CompanionFiles.h"
#include "core/photos/Photo.h"
#include "core/search/RigaRiepilogo.h"
#include "gui/search/SummaryList.h"
#include "gui/search/frmInVendita.h"
#include "gui/search/frmTrovaCartoline.h"
#include "gui/widgets/ImageView.h"
#include "gui/widgets/PictureButton.h"

namespace {

enum class Vendita { Si, No, Nessuno };

struct Card {
    QString nome;
    QString codice = {};
    Vendita vendita = Vendita::No;
    QString note = {};
};

void writeCards(const QString& path, const QList<Card>& cards)
{
    QFile::remove(path);
    TArchivio archive;
    archive.ApriArchivio(path);
    for (int i = 0; i < cards.size(); ++i) {
        const Card& c = cards[i];
        TScheda s;
        s.ScriviCampo(Campo::Nome, c.nome);
        s.ScriviCampo(Campo::Tipologia, QStringLiteral("Auto"));
        s.ScriviCampo(Campo::Produttore, QStringLiteral("Bburago"));
        s.ScriviCampo(Campo::Codice, c.codice);
        s.ScriviCampo(Campo::Anno, QStringLiteral("19%1").arg(60 + i));
        s.ScriviCampo(Campo::Valore, QStringLiteral("%1,50").arg(10 + i));
        s.ScriviCampo(Campo::Scala, QStringLiteral("1:43"));
        s.ScriviCampo(Campo::Note, c.note);
        s.ScriviCampo(Campo::Descrizione, QStringLiteral("Descrizione %1").arg(i + 1));
        s.ScriviCampo(Campo::File01, QStringLiteral("ricevuta%1.pdf").arg(i + 1));
        s.ScriviCampo(Campo::Desc03, QStringLiteral("Scontrino %1").arg(i + 1));
        if (c.vendita != Vendita::Nessuno)
            s.ImpostaInVendita(c.vendita == Vendita::Si);
        archive.AccodaScheda(s);
    }
    archive.ChiudiArchivio();
}

QList<Card> names(const QStringList& list)
{
    QList<Card> cards;
    for (const QString& n : list)
        cards.append({n});
    return cards;
}

QString nameOf(const QString& line)
{
    return line.left(30).trimmed();
}

} // namespace

class TestSearch : public QObject, public SheetProgramTest {
    Q_OBJECT

    QString archivePath;

    void openSheet(const QList<Card>& cards)
    {
        archivePath = program->file(QStringLiteral("Navi.dbm"));
        writeCards(archivePath, cards);
        QVERIFY(openRecordSheet(*windows, archivePath, QStringLiteral("Navi")));
    }

    // A chosen record goes to the sheet, as when the sheet opens the window.
    void deliverToSheet(TfrmRiepilogo* listing)
    {
        connect(listing, &TfrmRiepilogo::recordChosen, sheet, &TfrmCartoline::subRichiamaScheda);
    }

    // A find window as the sheet's command opens it, shown without its own
    // event loop so that the test can drive it.
    TfrmTrovaCartoline* showFind(bool listened = true)
    {
        auto* find = new TfrmTrovaCartoline(sheet, sheet->state().archivePath);
        if (listened)
            deliverToSheet(find);
        find->setAttribute(Qt::WA_DeleteOnClose, false);
        find->show();
        find->activateWindow();
        if (!QTest::qWaitForWindowActive(find))
            qWarning("find window not active");
        return find;
    }

    // Runs the search with the criteria given by field name.
    void search(TfrmTrovaCartoline* find, const QHash<QString, QString>& criteria = {})
    {
        for (auto it = criteria.begin(); it != criteria.end(); ++it)
            named<QLineEdit>(find, it.key().toLatin1().constData())->setText(it.value());
        QTest::mouseClick(named<QPushButton>(find, "btnCerca"), Qt::LeftButton);
    }

    QStringList listedNames(const TfrmRiepilogo* window) const
    {
        QStringList result;
        for (const QString& line : window->lines())
            result << nameOf(line);
        return result;
    }

private slots:
    void init()
    {
        startSheetProgram();
        TfrmTrovaCartoline::UltimaRicerca.clear();
        TfrmInVendita::UltimaRicerca.clear();
    }

    void cleanup() { endSheetProgram(); }

    void criteriaPanelEnterOrderAndHighlights()
    {
        openSheet({});
        std::unique_ptr<TfrmTrovaCartoline> find(showFind());
        QVERIFY(named<QWidget>(find, "panAvvio")->isVisible());
        QVERIFY(!named<QWidget>(find, "panContainer")->isVisible());
        QCOMPARE(find->windowTitle(), QStringLiteral(" Trova modellini in archivio"));
        QCOMPARE(find->size(), QSize(862, 560));

        const std::pair<const char*, const char*> order[] = {
            {"txtNome", "effCampo01"},         {"txtTipologia", "effCampo02"},   {"txtProduttore", "effCampo09"},
            {"txtCodice", "effCampo10"},       {"txtDescrizione", "effCampo05"}, {"txtAnno", "effCampo06"},
            {"txtProprietario", "effCampo07"}, {"txtProvenienza", "effCampo08"}, {"txtRarita", "effCampo03"},
            {"txtNote", "effCampo04"},         {"txtNome", "effCampo01"}};
        QTRY_COMPARE(QApplication::focusWidget(), named<QWidget>(find.get(), "txtNome"));
        for (size_t i = 0; i + 1 < std::size(order); ++i) {
            auto* field = named<QLineEdit>(find.get(), order[i].first);
            auto* highlight = named<QFrame>(find.get(), order[i].second);
            QVERIFY2(highlight->isVisible(), order[i].second);
            QCOMPARE(highlight->geometry(), field->geometry().adjusted(-4, -4, 4, 4));
            QTest::keyClicks(field, QStringLiteral("x"));
            QTest::keyClick(field, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), named<QWidget>(find.get(), order[i + 1].first));
            QVERIFY2(!highlight->isVisible() || QLatin1String(order[i + 1].second) == QLatin1String(order[i].second),
                     order[i].second);
        }
        // Enter only moved the focus: no search ran.
        QVERIFY(named<QWidget>(find, "panAvvio")->isVisible());
        QCOMPARE(named<QLabel>(find, "lblConta")->text(), QStringLiteral("0"));
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    // Tab walks the criteria in their Enter order, and the for-sale listing
    // in its own order, round and round.
    void tabOrders()
    {
        QList<Card> cards = names({QStringLiteral("Vespa")});
        cards[0].vendita = Vendita::Si;
        openSheet(cards);
        const auto walk = [](QWidget* window, const QStringList& order) {
            QTRY_COMPARE(QApplication::focusWidget(), named<QWidget>(window, order.first().toLatin1().constData()));
            for (int i = 1; i <= order.size(); ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget()->objectName(), order[i % order.size()]);
            }
        };
        std::unique_ptr<TfrmTrovaCartoline> find(showFind());
        walk(find.get(),
             {QStringLiteral("txtNome"), QStringLiteral("txtTipologia"), QStringLiteral("txtProduttore"),
              QStringLiteral("txtCodice"), QStringLiteral("txtDescrizione"), QStringLiteral("txtAnno"),
              QStringLiteral("txtProprietario"), QStringLiteral("txtProvenienza"), QStringLiteral("txtRarita"),
              QStringLiteral("txtNote"), QStringLiteral("btnCerca"), QStringLiteral("btnAnnulla")});
        find.reset();

        TfrmInVendita forSale(sheet, sheet->state().archivePath);
        deliverToSheet(&forSale);
        forSale.show();
        forSale.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&forSale));
        walk(&forSale, {QStringLiteral("txtTrova"), QStringLiteral("lstRecords"), QStringLiteral("btnStampa"),
                        QStringLiteral("btnTrova"), QStringLiteral("btnChiudi")});
    }

    void searchListsSortedLinesWithCount()
    {
        openSheet(names({QStringLiteral("Rosso Corsa"), QStringLiteral("Vespa"), QStringLiteral("ROSSA Fiammante"),
                         QStringLiteral("Gianrossi"), QStringLiteral("alfa rossa")}));
        std::unique_ptr<TfrmTrovaCartoline> find(showFind());
        named<QLineEdit>(find, "txtNome")->setText(QStringLiteral("ross"));

        // The wait line shows as the button goes down, before the search.
        QTest::mousePress(named<QPushButton>(find, "btnCerca"), Qt::LeftButton);
        QVERIFY(named<QLabel>(find, "lblAttendere")->isVisible());
        QVERIFY(named<QWidget>(find, "panAvvio")->isVisible());
        QTest::mouseRelease(named<QPushButton>(find, "btnCerca"), Qt::LeftButton);

        QVERIFY(named<QWidget>(find, "panContainer")->isVisible());
        QVERIFY(!named<QWidget>(find, "panAvvio")->isVisible());
        QCOMPARE(named<QLabel>(find, "lblConta")->text(), QStringLiteral("1"));
        QCOMPARE(listedNames(find.get()),
                 (QStringList{QStringLiteral("alfa rossa"), QStringLiteral("Gianrossi"),
                              QStringLiteral("ROSSA Fiammante"), QStringLiteral("Rosso Corsa")}));
        QCOMPARE(named<QLabel>(find, "lblTrovate")->text(), QStringLiteral("Il presente riepilogo contiene 4 schede."));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(named<QLineEdit>(find, "txtTrova")));
        QCOMPARE(named<TSummaryList>(find, "lstRecords")->currentRow(), -1);

        // Lines in a fixed-pitch face, wider than the list, which scrolls sideways.
        const QModelIndex first = named<TSummaryList>(find, "lstRecords")->model()->index(0, 0);
        QVERIFY(QFontInfo(first.data(Qt::FontRole).value<QFont>()).fixedPitch());
        QCOMPARE(first.data(Qt::SizeHintRole).toSize().width(), 1600);
        QCOMPARE(first.data(Qt::DisplayRole).toString().size(), 152);
        QTRY_VERIFY(named<TSummaryList>(find, "lstRecords")->horizontalScrollBar()->maximum() > 0);
    }

    void searchWithEveryCriterionBlankAndMissingArchive()
    {
        openSheet(names({QStringLiteral("Beta"), QStringLiteral("alfa")}));
        std::unique_ptr<TfrmTrovaCartoline> find(showFind());
        search(find.get());
        QCOMPARE(listedNames(find.get()), (QStringList{QStringLiteral("alfa"), QStringLiteral("Beta")}));
        QCOMPARE(named<QLabel>(find, "lblTrovate")->text(), QStringLiteral("Il presente riepilogo contiene 2 schede."));

        QFile::remove(archivePath);
        std::unique_ptr<TfrmTrovaCartoline> again(showFind());
        search(again.get(), {{QStringLiteral("txtNome"), QStringLiteral("alfa")}});
        QVERIFY(named<QWidget>(again, "panContainer")->isVisible());
        QCOMPARE(named<TSummaryList>(again, "lstRecords")->count(), 0);
        QCOMPARE(named<QLabel>(again, "lblTrovate")->text(),
                 QStringLiteral("Il presente riepilogo contiene 0 schede."));
        QCOMPARE(QFileInfo(archivePath).size(), 0);
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    void searchFailureKeepsTheCriteria()
    {
        openSheet({});
        sheet->openArchive(program->folder(), sheet->state().archiveName); // a folder is no archive
        std::unique_ptr<TfrmTrovaCartoline> find(showFind());
        search(find.get(), {{QStringLiteral("txtNome"), QStringLiteral("x")}});

        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().kind, Dialogs::Kind::Plain);
        QCOMPARE(shown.first().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(shown.first().text,
                 QStringLiteral("Attenzione: il sistema non permette di accedere all'archivio.\n\r\n\r"
                                "Accertarsi di possedere i privilegi di scrittura nella cartella di installazione "
                                "del programma."));
        QVERIFY(named<QWidget>(find, "panAvvio")->isVisible());
        QVERIFY(!named<QWidget>(find, "panContainer")->isVisible());
        QVERIFY(!named<QLabel>(find, "lblAttendere")->isVisible());
        QCOMPARE(named<QLineEdit>(find, "txtNome")->text(), QStringLiteral("x"));
    }

    void findInList_data()
    {
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<QList<int>>("selected");
        // The list, sorted: 0 Alfa Romeo, 1 Bugatti rossa, 2 Ferrari rossa, 3 Lancia Città, 4 Rossa Maserati.
        QTest::newRow("repeated presses walk and wrap") << QStringList{QStringLiteral("rossa"), QStringLiteral("rossa"),
                                                                       QStringLiteral("rossa"), QStringLiteral("rossa")}
                                                        << QList<int>{1, 2, 4, 1};
        QTest::newRow("upper-case text alike")
            << QStringList{QStringLiteral("ROSSA"), QStringLiteral("rossa")} << QList<int>{1, 2};
        QTest::newRow("only line holding it is found again")
            << QStringList{QStringLiteral("lancia"), QStringLiteral("lancia")} << QList<int>{3, 3};
        QTest::newRow("a new text starts from the first line")
            << QStringList{QStringLiteral("rossa"), QStringLiteral("rossa"), QStringLiteral("a"), QStringLiteral("a")}
            << QList<int>{1, 2, 0, 1};
        QTest::newRow("empty text only selects the first") << QStringList{QString(), QString()} << QList<int>{0, 0};
        QTest::newRow("text not found keeps the selection")
            << QStringList{QStringLiteral("ferrari"), QStringLiteral("zzz"), QStringLiteral("zzz")}
            << QList<int>{2, 2, 2};
        QTest::newRow("a leading blank is part of the text")
            << QStringList{QStringLiteral(" rossa"), QStringLiteral(" rossa")} << QList<int>{1, 2};
        QTest::newRow("accented capital is not lowered")
            << QStringList{QStringLiteral("ROMEO"), QStringLiteral("CITTÀ"), QStringLiteral("città")}
            << QList<int>{0, 0, 3};
    }

    void findInList()
    {
        QFETCH(QStringList, presses);
        QFETCH(QList<int>, selected);
        openSheet(names({QStringLiteral("Lancia Città"), QStringLiteral("Rossa Maserati"), QStringLiteral("Alfa Romeo"),
                         QStringLiteral("Ferrari rossa"), QStringLiteral("Bugatti rossa")}));
        std::unique_ptr<TfrmTrovaCartoline> find(showFind());
        search(find.get());
        for (int i = 0; i < presses.size(); ++i) {
            named<QLineEdit>(find, "txtTrova")->setText(presses[i]);
            QTest::mouseClick(named<QPushButton>(find, "btnTrova"), Qt::LeftButton);
            QCOMPARE(named<TSummaryList>(find, "lstRecords")->currentRow(), selected[i]);
        }
        QCOMPARE(TfrmTrovaCartoline::UltimaRicerca, Abbassa(presses.last()));
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    void findInListScrollsToTheLineAndKeepsItsOwnText()
    {
        QStringList many;
        for (int i = 0; i < 300; ++i)
            many << QStringLiteral("Modello %1").arg(i, 3, 10, QLatin1Char('0'));
        many << QStringLiteral("Zeppelin");
        openSheet(names(many));
        std::unique_ptr<TfrmTrovaCartoline> find(showFind());
        search(find.get());
        named<QLineEdit>(find, "txtTrova")->setText(QStringLiteral("zeppelin"));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(named<QLineEdit>(find, "txtTrova")));
        QTest::keyClick(named<QLineEdit>(find, "txtTrova"),
                        Qt::Key_Return); // Enter moves to "Trova" and does not search
        QCOMPARE(named<TSummaryList>(find, "lstRecords")->currentRow(), -1);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(named<QPushButton>(find, "btnTrova")));
        QTest::keyClick(named<QPushButton>(find, "btnTrova"), Qt::Key_Return);
        QCOMPARE(named<TSummaryList>(find, "lstRecords")->currentRow(), 300);
        const QRect line = named<TSummaryList>(find, "lstRecords")
                               ->visualRect(named<TSummaryList>(find, "lstRecords")->model()->index(300, 0));
        QVERIFY(named<TSummaryList>(find, "lstRecords")->viewport()->rect().contains(line.topLeft()));

        // The for-sale listing keeps its own last text; a new window starts afresh.
        QCOMPARE(TfrmTrovaCartoline::UltimaRicerca, QStringLiteral("zeppelin"));
        QCOMPARE(TfrmInVendita::UltimaRicerca, QString());
        std::unique_ptr<TfrmTrovaCartoline> next(showFind());
        QCOMPARE(TfrmTrovaCartoline::UltimaRicerca, QString());
    }

    void findInEmptyListShowsTheNotice()
    {
        openSheet({});
        std::unique_ptr<TfrmTrovaCartoline> find(showFind());
        search(find.get());
        named<QLineEdit>(find, "txtTrova")->setText(QStringLiteral("x"));
        QTest::mouseClick(named<QPushButton>(find, "btnTrova"), Qt::LeftButton);
        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().kind, Dialogs::Kind::Plain);
        QCOMPARE(shown.first().text, QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce."));
        QCOMPARE(TfrmTrovaCartoline::UltimaRicerca, QString());
    }

    void doubleClickBringsTheRecordWithItsPhotos()
    {
        QList<Card> cards = names({QStringLiteral("Vespa"), QStringLiteral("Ape Car"), QStringLiteral("Lambretta")});
        cards[1].vendita = Vendita::Si;
        cards[1].codice = QStringLiteral("AC-2");
        openSheet(cards);
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        const QSize sizeA(120, 80), sizeB(60, 90);
        QVERIFY(PhotoFixtures::writeCardPhoto(CompanionFiles::Photo::A, QStringLiteral("Navi"), 2,
                                              PhotoFixtures::encoded(PhotoFixtures::halves(sizeA), "JPG")));
        QVERIFY(PhotoFixtures::writeCardPhoto(CompanionFiles::Photo::B, QStringLiteral("Navi"), 2,
                                              PhotoFixtures::encoded(PhotoFixtures::halves(sizeB), "JPG")));
        named<QCheckBox>(sheet, "chkInVendita")->setChecked(false);

        std::unique_ptr<TfrmTrovaCartoline> find(showFind());
        search(find.get());
        QCOMPARE(nameOf(named<TSummaryList>(find, "lstRecords")->text(0)), QStringLiteral("Ape Car"));
        const QRect line = named<TSummaryList>(find, "lstRecords")
                               ->visualRect(named<TSummaryList>(find, "lstRecords")->model()->index(0, 0));
        QTest::mouseDClick(named<TSummaryList>(find, "lstRecords")->viewport(), Qt::LeftButton, {}, line.center());

        QVERIFY(!find->isVisible());
        QCOMPARE(find->result(), int(QDialog::Accepted));
        QCOMPARE(named<TSummaryList>(find, "lstRecords")->count(), 0);
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("2"));
        QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QStringLiteral("Ape Car"));
        QCOMPARE(named<QLineEdit>(sheet, "txtCodice")->text(), QStringLiteral("AC-2"));
        QCOMPARE(named<QLineEdit>(sheet, "txtDescrizione")->text(), QStringLiteral("Descrizione 2"));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("11,50"));
        QVERIFY(named<QCheckBox>(sheet, "chkInVendita")->isChecked());
        QCOMPARE(named<QLabel>(sheet, "lblFile01")->text(), QStringLiteral("ricevuta2.pdf"));
        QCOMPARE(named<QLabel>(sheet, "lblDesc03")->text(), QStringLiteral("Scontrino 2"));
        QTRY_VERIFY(photosShown(sheet));
        QCOMPARE(named<TImageView>(sheet, "imgFoto")->photo().size(), sizeA);
        QCOMPARE(named<TImageView>(sheet, "imgFoto02")->photo().size(), sizeB);

        // A record without photo files shows the placeholders.
        std::unique_ptr<TfrmTrovaCartoline> other(showFind());
        search(other.get(), {{QStringLiteral("txtNome"), QStringLiteral("vespa")}});
        named<TSummaryList>(other, "lstRecords")->setCurrentRow(0);
        other->lstRecordsDblClick();
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("1"));
        QTRY_VERIFY(photosShown(sheet));
        QVERIFY(
            named<TImageView>(sheet, "imgFoto")->photo().sharesWith(named<TImageView>(sheet, "imgBianco")->photo()));
        QVERIFY(named<TImageView>(sheet, "imgFoto02")
                    ->photo()
                    .sharesWith(named<TImageView>(sheet, "imgBianco02")->photo()));
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    void equalLinesEachBringTheirOwnRecord()
    {
        // Equal in their first 30 characters: the two lines read the same.
        QList<Card> cards = names({QStringLiteral("Ferrari 250 GTO Le Mans 1962 - prima serie"), QStringLiteral("Alfa"),
                                   QStringLiteral("Ferrari 250 GTO Le Mans 1962 - seconda serie")});
        cards[0].codice = QStringLiteral("PRIMA");
        cards[2].codice = QStringLiteral("SECONDA");
        openSheet(cards);
        // Same year and value too, so that the lines are equal.
        TArchivio archive;
        archive.ApriArchivio(archivePath);
        TScheda third = archive.LeggiScheda(3);
        const TScheda first = archive.LeggiScheda(1);
        third.ScriviCampo(Campo::Anno, first.LeggiCampo(Campo::Anno));
        third.ScriviCampo(Campo::Valore, first.LeggiCampo(Campo::Valore));
        archive.ScriviScheda(3, third);
        archive.ChiudiArchivio();

        for (const auto& [row, codice, numero] : {std::tuple{1, "PRIMA", "1"}, std::tuple{2, "SECONDA", "3"}}) {
            std::unique_ptr<TfrmTrovaCartoline> find(showFind());
            search(find.get());
            QCOMPARE(named<TSummaryList>(find, "lstRecords")->text(1),
                     named<TSummaryList>(find, "lstRecords")->text(2));
            named<TSummaryList>(find, "lstRecords")->setCurrentRow(row);
            find->lstRecordsDblClick();
            QCOMPARE(named<QLineEdit>(sheet, "txtCodice")->text(), QString::fromLatin1(codice));
            QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QString::fromLatin1(numero));
        }
    }

    void doubleClickWithoutSelectionLeavesTheSheet_data()
    {
        QTest::addColumn<bool>("select");
        QTest::addColumn<bool>("listened");
        QTest::newRow("no line selected") << false << true;
        QTest::newRow("not opened by the sheet") << true << false;
    }

    void doubleClickWithoutSelectionLeavesTheSheet()
    {
        QFETCH(bool, select);
        QFETCH(bool, listened);
        openSheet(names({QStringLiteral("Vespa")}));
        sheet->subNuovaScheda();
        named<QLineEdit>(sheet, "txtNome")->setText(QStringLiteral("In corso"));
        std::unique_ptr<TfrmTrovaCartoline> find(showFind(listened));
        search(find.get());
        if (select)
            named<TSummaryList>(find, "lstRecords")->setCurrentRow(0);
        // Below the only line: no line is under the pointer.
        QTest::mouseDClick(named<TSummaryList>(find, "lstRecords")->viewport(), Qt::LeftButton, {}, QPoint(20, 200));
        QVERIFY(!find->isVisible());
        QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QStringLiteral("In corso"));
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QString());
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    // The chosen record cannot be read any more: the window closes without a
    // message (the sheet's own access box included) and the sheet stays.
    void doubleClickFailureIsSilent_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("archive unreadable") << "folder";
        QTest::newRow("record no longer there") << "truncated";
        QTest::newRow("archive gone") << "removed";
    }

    void doubleClickFailureIsSilent()
    {
        QFETCH(QString, failure);
        const QList<Card> cards = {{QStringLiteral("Vespa"), {}, Vendita::Si},
                                   {QStringLiteral("Ape"), {}, Vendita::Si}};
        openSheet(cards);
        sheet->subNuovaScheda();
        named<QLineEdit>(sheet, "txtNome")->setText(QStringLiteral("In corso"));
        const std::function<TfrmRiepilogo*()> openers[] = {
            [this] {
                TfrmTrovaCartoline* find = showFind();
                search(find);
                return find;
            },
            [this] {
                auto* forSale = new TfrmInVendita(sheet, sheet->state().archivePath);
                deliverToSheet(forSale);
                forSale->show();
                return forSale;
            },
        };
        for (const auto& open : openers) {
            std::unique_ptr<TfrmRiepilogo> listing(open());
            QCOMPARE(named<TSummaryList>(listing, "lstRecords")->count(), 2);
            named<TSummaryList>(listing, "lstRecords")->setCurrentRow(1); // "Vespa", record 1
            const QString saved = sheet->state().archivePath;
            if (failure == QLatin1String("folder")) {
                sheet->openArchive(program->folder(), sheet->state().archiveName);
            } else {
                QFile file(archivePath);
                QVERIFY(failure == QLatin1String("removed") ? file.remove() : file.resize(0));
            }
            listing->lstRecordsDblClick();
            QVERIFY(!listing->isVisible());
            QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QStringLiteral("In corso"));
            QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QString());
            QVERIFY(Dialogs::takeShown().isEmpty());
            sheet->openArchive(saved, sheet->state().archiveName);
            writeCards(archivePath, cards);
        }
    }

    void forSaleListing()
    {
        QList<Card> cards = names({QStringLiteral("Sì"), QStringLiteral("No"), QStringLiteral("Vuoto"),
                                   QStringLiteral("no"), QStringLiteral("NO"), QStringLiteral("Anche sì")});
        cards[0].vendita = Vendita::Si;
        cards[1].vendita = Vendita::No;
        cards[2].vendita = Vendita::Nessuno;
        cards[5].vendita = Vendita::Si;
        openSheet(cards);
        // Markers no writer of this program makes.
        TArchivio archive;
        archive.ApriArchivio(archivePath);
        for (const auto& [n, marker] : {std::pair{4, "no"}, std::pair{5, "NO"}}) {
            TScheda s = archive.LeggiScheda(n);
            s.ScriviCampo(Campo::InVendita, QString::fromLatin1(marker));
            archive.ScriviScheda(n, s);
        }
        archive.ChiudiArchivio();

        TfrmInVendita forSale(sheet, sheet->state().archivePath);
        deliverToSheet(&forSale);
        forSale.show();
        QVERIFY(QTest::qWaitForWindowExposed(&forSale));
        QCOMPARE(forSale.windowTitle(), QStringLiteral(" Riepilogo modellini in vendita"));
        QCOMPARE(listedNames(&forSale),
                 (QStringList{QStringLiteral("Anche sì"), QStringLiteral("no"), QStringLiteral("NO"),
                              QStringLiteral("Sì"), QStringLiteral("Vuoto")}));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(named<QLineEdit>(&forSale, "txtTrova")));

        named<QLineEdit>(&forSale, "txtTrova")->setText(QStringLiteral("vuoto"));
        QTest::mouseClick(named<QPushButton>(&forSale, "btnTrova"), Qt::LeftButton);
        QCOMPARE(named<TSummaryList>(&forSale, "lstRecords")->currentRow(), 4);
        QCOMPARE(TfrmInVendita::UltimaRicerca, QStringLiteral("vuoto"));
        QCOMPARE(TfrmTrovaCartoline::UltimaRicerca, QString());

        named<QCheckBox>(sheet, "chkInVendita")->setChecked(true);
        forSale.lstRecordsDblClick();
        QVERIFY(!forSale.isVisible());
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("3"));
        QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QStringLiteral("Vuoto"));
        QVERIFY(named<QCheckBox>(sheet, "chkInVendita")->isChecked()); // no marker: the box stays as it was
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    // "Stampa" prints the window's own list, in the order it shows, under the
    // window's title; the count line is not printed.
    void printButtonsPrintTheirListInListOrder()
    {
        QList<Card> cards = names({QStringLiteral("Vespa"), QStringLiteral("alfa"), QStringLiteral("Beta")});
        cards[0].vendita = Vendita::Si;
        cards[1].vendita = Vendita::Si;
        openSheet(cards);
        const auto wordsOf = [](const QString& pdfPath) {
            const PdfFixtures::Pdf pdf(pdfPath);
            return pdf.isValid() && pdf.pages() == 1 ? pdf.text(0) : QString();
        };

        std::unique_ptr<TfrmTrovaCartoline> find(showFind());
        search(find.get());
        const QString allPdf = program->file(QStringLiteral("archivio.pdf"));
        Dialogs::setNextPrinterFile(allPdf);
        QTest::mouseClick(named<QPushButton>(find, "btnStampa"), Qt::LeftButton);
        QCOMPARE(Dialogs::takePrinterRequests(), 1);
        const QString all = wordsOf(allPdf);
        QVERIFY(all.contains(QStringLiteral("Riepilogo modellini in archivio")));
        QVERIFY(!all.contains(QStringLiteral("contiene")));
        QVERIFY(all.indexOf(QStringLiteral("alfa")) < all.indexOf(QStringLiteral("Beta")));
        QVERIFY(all.indexOf(QStringLiteral("Beta")) < all.indexOf(QStringLiteral("Vespa")));
        QCOMPARE(named<TSummaryList>(find, "lstRecords")->model()->rowCount(), 3); // nothing in the window changes

        TfrmInVendita forSale(sheet, sheet->state().archivePath);
        deliverToSheet(&forSale);
        forSale.show();
        QVERIFY(QTest::qWaitForWindowExposed(&forSale));
        const QString salePdf = program->file(QStringLiteral("vendita.pdf"));
        Dialogs::setNextPrinterFile(salePdf);
        QTest::mouseClick(named<QPushButton>(&forSale, "btnStampa"), Qt::LeftButton);
        const QString sale = wordsOf(salePdf);
        QVERIFY(sale.contains(QStringLiteral("Riepilogo modellini in vendita")));
        QVERIFY(sale.indexOf(QStringLiteral("alfa")) < sale.indexOf(QStringLiteral("Vespa")));
        QVERIFY(!sale.contains(QStringLiteral("Beta")));
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    void forSaleListingIsSilentOnMissingOrUnreadableArchive()
    {
        openSheet({});
        QFile::remove(archivePath);
        {
            TfrmInVendita forSale(sheet, sheet->state().archivePath);
            deliverToSheet(&forSale);
            forSale.show();
            QCOMPARE(named<TSummaryList>(&forSale, "lstRecords")->count(), 0);
            QCOMPARE(QFileInfo(archivePath).size(), 0);
            named<QLineEdit>(&forSale, "txtTrova")->setText(QStringLiteral("x"));
            QTest::mouseClick(named<QPushButton>(&forSale, "btnTrova"), Qt::LeftButton);
            QCOMPARE(shownTexts(),
                     QStringList{QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce.")});
        }
        sheet->openArchive(program->folder(), sheet->state().archiveName);
        TfrmInVendita forSale(sheet, sheet->state().archivePath);
        forSale.show();
        QCOMPARE(named<TSummaryList>(&forSale, "lstRecords")->count(), 0);
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    void sheetCommandsOpenFreshWindows()
    {
        openSheet(names({QStringLiteral("Vespa")}));
        int opened = 0;
        QStringList seen;
        auto inspectFind = [&](TfrmTrovaCartoline* find) {
            QCOMPARE(QApplication::activeModalWidget(), find);
            ++opened;
            seen << named<QLabel>(find, "lblMemory")->text() << named<QLineEdit>(find, "txtNome")->text();
            named<QLineEdit>(find, "txtNome")->setText(QStringLiteral("typed"));
            QVERIFY(named<QWidget>(find, "panAvvio")->isVisible());
            QTest::mouseClick(named<QPushButton>(find, "btnAnnulla"), Qt::LeftButton);
            QVERIFY(!find->isVisible()); // closed by its own button
        };
        QVERIFY(whileModal<TfrmTrovaCartoline>(sheet, named<TPictureButton>(sheet, "cmdTrova"), inspectFind));
        QVERIFY(whileModal<TfrmTrovaCartoline>(sheet, named<TPictureButton>(sheet, "cmdTrova"), inspectFind));
        QVERIFY(whileModal<TfrmInVendita>(
            sheet, named<TPictureButton>(sheet, "cmdCercaDisponibili"), [&](TfrmInVendita* forSale) {
                QCOMPARE(QApplication::activeModalWidget(), forSale);
                ++opened;
                seen << QString::number(named<TSummaryList>(forSale, "lstRecords")->count());
                QTest::mouseClick(named<QPushButton>(forSale, "btnChiudi"), Qt::LeftButton);
                QVERIFY(!forSale->isVisible());
            }));
        QCOMPARE(opened, 3);
        QCOMPARE(seen, (QStringList{QStringLiteral("cartoline"), QString(), QStringLiteral("cartoline"), QString(),
                                    QStringLiteral("0")}));
        QVERIFY(sheet->findChildren<TfrmRiepilogo*>().isEmpty());
    }
};

QTEST_MAIN(TestSearch)
#include "test_search.moc"
