// The versions window from the record sheet: what it lists, what it shows,
// and putting a version back.
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QTableWidget>

#include <algorithm>

#include "TestSupport.h"
#include "core/history/CardHistory.h"
#include "gui/sheet/frmVersioni.h"
#include "gui/widgets/ImageView.h"
#include "gui/widgets/PictureButton.h"

namespace {

TScheda record(const QString& name, const QString& notes = {})
{
    TScheda s;
    s.ScriviCampo(Campo::Nome, name);
    s.ScriviCampo(Campo::Tipologia, QStringLiteral("Nave"));
    s.ScriviCampo(Campo::Produttore, QStringLiteral("Amati"));
    s.ScriviCampo(Campo::Valore, QStringLiteral("250,00"));
    s.ScriviCampo(Campo::Scala, QStringLiteral("1:100"));
    s.ScriviCampo(Campo::Note, notes);
    s.ImpostaInVendita(false);
    return s;
}

// Where a look at a window is wanted, MINIARCA_SHOTS names the folder.
void keepShot(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("MINIARCA_SHOTS");
    if (!folder.isEmpty())
        window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace

class TestVersions : public QObject, SheetProgramTest {
    Q_OBJECT

    QString archive;

private slots:
    void init()
    {
        startSheetProgram();
        archive = program->file(QStringLiteral("Velieri.dbm"));
        writeRecords(archive, {record(QStringLiteral("Amerigo Vespucci"), QStringLiteral("Prima versione")),
                               record(QStringLiteral("Bounty"))});
        QVERIFY(QDir().mkpath(program->file(QStringLiteral("Foto_Modellini"))));
        QImage photo(320, 240, QImage::Format_RGB32);
        photo.fill(QColor(0x2a, 0x78, 0xd6));
        QVERIFY(photo.save(program->file(QStringLiteral("Foto_Modellini/Velieri_Foto_A_1.jpg"))));
        QVERIFY(openRecordSheet(*windows, archive, QStringLiteral("Velieri")));
    }
    void cleanup() { endSheetProgram(); }

    void differingFields_data()
    {
        QTest::addColumn<QString>("notes");
        QTest::addColumn<bool>("forSale");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("same card") << QStringLiteral("Prima versione") << false << QStringList();
        QTest::newRow("notes changed") << QStringLiteral("Altro") << false << QStringList{QStringLiteral("Note")};
        QTest::newRow("spaces only") << QStringLiteral(" Prima versione ") << false << QStringList();
        QTest::newRow("notes and for-sale mark")
            << QString() << true << QStringList{QStringLiteral("Note"), QStringLiteral("In vendita")};
    }
    void differingFields()
    {
        QFETCH(QString, notes);
        QFETCH(bool, forSale);
        QFETCH(QStringList, expected);
        TScheda version = record(QStringLiteral("Amerigo Vespucci"), notes);
        version.ImpostaInVendita(forSale);
        QCOMPARE(TfrmVersioni::differingFields(
                     version, record(QStringLiteral("Amerigo Vespucci"), QStringLiteral("Prima versione"))),
                 expected);
    }

    // "Salva" over the wrong card, then the card's versions: the one before
    // the save is listed with its different fields highlighted and its photo,
    // and "Ripristina" brings it back onto the sheet as a new save.
    void saveOverThenRestore()
    {
        auto* command = named<TPictureButton>(sheet, "cmdVersioni");
        QCOMPARE(command->parentWidget()->objectName(), QStringLiteral("shpComandi2"));
        // The second bar's commands, left to right.
        QList<TPictureButton*> bar = command->parentWidget()->findChildren<TPictureButton*>();
        std::sort(bar.begin(), bar.end(), [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
        QStringList order;
        for (const TPictureButton* b : bar)
            order << b->objectName();
        QCOMPARE(order, (QStringList{QStringLiteral("cmdImporta"), QStringLiteral("cmdGalleria"),
                                     QStringLiteral("cmdStatistiche"), QStringLiteral("cmdVersioni"),
                                     QStringLiteral("cmdDuplica")}));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QStringLiteral("Amerigo Vespucci"));
        named<QLineEdit>(sheet, "txtNome")->setText(QStringLiteral("Cutty Sark"));
        named<QLineEdit>(sheet, "txtNote")->setText(QStringLiteral("Scritta sulla scheda sbagliata"));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        Dialogs::takeShown();
        QCOMPARE(recordAt(archive, 1).LeggiCampo(Campo::Nome), QStringLiteral("Cutty Sark"));

        QVERIFY(whileModal<TfrmVersioni>(sheet, command, [](TfrmVersioni* w) {
            auto* list = named<QListWidget>(w, "lstVersioni");
            QCOMPARE(list->count(), 1);
            QCOMPARE(list->currentRow(), 0);
            QVERIFY2(list->item(0)->text().contains(QStringLiteral("Diversi: Nome modellino, Note")),
                     qPrintable(list->item(0)->text()));
            auto* grid = named<QTableWidget>(w, "grdCampi");
            QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("Amerigo Vespucci"));
            QVERIFY(grid->item(0, 1)->background() != QBrush());          // Nome differs
            QCOMPARE(grid->item(1, 1)->background(), QBrush());           // Tipologia does not
            QVERIFY(!named<TImageView>(w, "imgFotoA")->photo().isNull()); // the photo kept with it
            QVERIFY(named<TImageView>(w, "imgFotoB")->photo().isNull());
            keepShot(w, QStringLiteral("frmVersioni"));
            QTest::mouseClick(named<TPictureButton>(w, "cmdRipristina"), Qt::LeftButton);
        }));
        QCOMPARE(Dialogs::takeShown().size(), 1);
        keepShot(sheet, QStringLiteral("frmCartoline"));
        QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QStringLiteral("Amerigo Vespucci"));
        QCOMPARE(named<QLineEdit>(sheet, "txtNote")->text(), QStringLiteral("Prima versione"));
        QCOMPARE(recordAt(archive, 1).Byte(),
                 record(QStringLiteral("Amerigo Vespucci"), QStringLiteral("Prima versione")).Byte());
        // The restore is a version too: the newest, the wrong card in it.
        const auto versions = CardHistory::versions(archive, 1);
        QCOMPARE(versions.size(), size_t(2));
        QCOMPARE(versions[0].kind, CardHistory::Kind::Restored);
        QVERIFY(!versions[0].photoA.isEmpty());
    }

    void newCardHasNoVersions()
    {
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdNuovo"), Qt::LeftButton);
        Dialogs::takeShown();
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdVersioni"), Qt::LeftButton);
        QCOMPARE(shownTexts(),
                 QStringList{QStringLiteral(
                     "Attenzione: le versioni precedenti si riferiscono a una scheda già salvata in archivio.")});
        QVERIFY(!sheet->findChild<TfrmVersioni*>());
    }
};

QTEST_MAIN(TestVersions)
#include "test_versions.moc"
