// The bin of deleted collections: deleting moves a collection whole, and
// restoring puts every file back byte for byte; the bin window over it.
#include <QDirIterator>
#include <QLabel>
#include <QListWidget>
#include <QStorageInfo>

#include "TestSupport.h"
#include "core/history/CardHistory.h"
#include "core/history/CollectionBin.h"
#include "gui/catalogue/frmApriCatalogo.h"
#include "gui/catalogue/frmCestino.h"
#include "gui/widgets/PictureButton.h"

#include <sys/stat.h>

namespace {

TScheda card(const QString& name, const QString& attachment = {})
{
    TScheda s;
    s.ScriviCampo(Campo::Nome, name);
    s.ScriviCampo(Campo::Tipologia, QStringLiteral("Nave"));
    s.ScriviCampo(Campo::File01, attachment);
    return s;
}

void put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Every file under `folder` but the bin, by its path there, with its bytes.
QMap<QString, QByteArray> filesOf(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(folder).relativeFilePath(path);
        if (relative.startsWith(QLatin1String("Cestino/")))
            continue;
        QFile f(path);
        files[relative] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("unreadable");
    }
    return files;
}

// Navi: two cards, photos, a history with a kept photo, one attachment of its
// own and one it shares with Navi2, whose files must all stay.
void makeCollections(const QString& folder)
{
    const QString navi = folder + QStringLiteral("Navi.dbm");
    {
        TArchivio a;
        a.ApriArchivio(navi);
        a.RegistraStoria(CardHistory::Kind::Saved);
        a.AccodaScheda(card(QStringLiteral("Vespucci"), QStringLiteral("manuale.pdf")));
        a.AccodaScheda(card(QStringLiteral("Bounty"), QStringLiteral("comune.pdf")));
        put(folder + QStringLiteral("Foto_Modellini/Navi_Foto_A_1.jpg"), QByteArray(5000, 'a'));
        put(folder + QStringLiteral("Foto_Modellini/Navi_Foto_B_2.jpg"), QByteArray(3000, 'b'));
        a.ScriviScheda(1, card(QStringLiteral("Vespucci 2"), QStringLiteral("manuale.pdf")));
        a.ChiudiArchivio();
    }
    writeRecords(folder + QStringLiteral("Navi2.dbm"), {card(QStringLiteral("Altro"), QStringLiteral("comune.pdf"))});
    put(folder + QStringLiteral("Foto_Modellini/Navi2_Foto_A_1.jpg"), QByteArray(100, 'c'));
    put(folder + QStringLiteral("Documenti_Allegati/manuale.pdf"), QByteArray(700, 'm'));
    put(folder + QStringLiteral("Documenti_Allegati/comune.pdf"), QByteArray(800, 'k'));
}

} // namespace

class TestBin : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgram> program;
    std::unique_ptr<TWindowSet> windows;

    TfrmApriCatalogo* showOpen()
    {
        TWindowSet::handOver(windows->frmAvvio, windows->frmApriCatalogo);
        return windows->frmApriCatalogo;
    }

private slots:
    void init()
    {
        program = std::make_unique<TestProgram>();
        windows = std::make_unique<TWindowSet>();
        windows->onTerminate = [] {};
        makeCollections(program->folder());
    }
    void cleanup()
    {
        CollectionBin::setRenameRefused(false);
        windows.reset();
        program.reset();
    }

    void deleteThenRestore_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("renamed") << QStringLiteral("rename");
        QTest::newRow("rename refused: copied, checked, removed") << QStringLiteral("copy");
        QTest::newRow("bin on another file system") << QStringLiteral("elsewhere");
    }
    void deleteThenRestore()
    {
        QFETCH(QString, how);
        std::unique_ptr<QTemporaryDir> elsewhere;
        if (how == QLatin1String("copy"))
            CollectionBin::setRenameRefused(true);
        if (how == QLatin1String("elsewhere")) {
            elsewhere = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/miniarca-bin-XXXXXX"));
            struct stat a {};
            struct stat b {};
            if (!elsewhere->isValid() || stat("/dev/shm", &a) != 0
                || stat(QFile::encodeName(program->folder()).constData(), &b) != 0 || a.st_dev == b.st_dev)
                QSKIP("no second file system at /dev/shm");
            QVERIFY(QFile::link(elsewhere->path(), program->file(QStringLiteral("Cestino"))));
        }
        // The gallery's thumbnails are a cache: Navi's go, not into the bin,
        // and are made again once it is back.
        const QString naviThumbnail = QStringLiteral("Foto_Modellini/.miniature/Navi/A_1.jpg");
        const QString navi2Thumbnail = QStringLiteral("Foto_Modellini/.miniature/Navi2/A_1.jpg");
        put(program->file(naviThumbnail), QByteArray(50, 't'));
        put(program->file(navi2Thumbnail), QByteArray(60, 'u'));
        QMap<QString, QByteArray> before = filesOf(program->folder());
        QVERIFY(before.contains(QStringLiteral("Navi.dbm-history")));
        QVERIFY(before.remove(naviThumbnail) == 1);
        QVERIFY(CollectionBin::moveToBin(QStringLiteral("Navi")));

        // Gone: all of Navi. Left: Navi2's files and the attachment it names too.
        QStringList left = filesOf(program->folder()).keys();
        QCOMPARE(left, (QStringList{QStringLiteral("Documenti_Allegati/comune.pdf"), navi2Thumbnail,
                                    QStringLiteral("Foto_Modellini/Navi2_Foto_A_1.jpg"), QStringLiteral("Navi2.dbm")}));
        const std::vector<CollectionBin::TDeleted> binned = CollectionBin::list();
        QCOMPARE(binned.size(), size_t(1));
        QVERIFY(!QFileInfo::exists(binned[0].path + QStringLiteral("/Foto_Modellini/.miniature")));
        QCOMPARE(binned[0].name, QStringLiteral("Navi"));
        QCOMPARE(binned[0].cards, 2);
        QVERIFY(qAbs(binned[0].deleted.secsTo(QDateTime::currentDateTime())) < 60);

        QCOMPARE(CollectionBin::restore(binned[0], QStringLiteral("Navi")), CollectionBin::RestoreResult::Restored);
        QCOMPARE(filesOf(program->folder()), before);
        QVERIFY(CollectionBin::list().empty());
        // The history came back with it and still knows its photos.
        const auto versions = CardHistory::versions(program->file(QStringLiteral("Navi.dbm")), 1);
        QCOMPARE(versions.size(), size_t(2));
        QVERIFY(QFileInfo::exists(versions[0].photoA));
    }

    // A collection of the same name made since: the restore moves nothing,
    // then comes back under another name with every file renamed to it.
    void nameTakenOnRestore()
    {
        QVERIFY(CollectionBin::moveToBin(QStringLiteral("Navi")));
        writeRecords(program->file(QStringLiteral("Navi.dbm")), {card(QStringLiteral("Nuova"))});
        const QMap<QString, QByteArray> now = filesOf(program->folder());
        const CollectionBin::TDeleted binned = CollectionBin::list().at(0);
        QCOMPARE(CollectionBin::restore(binned, QStringLiteral("Navi")), CollectionBin::RestoreResult::NameTaken);
        QCOMPARE(filesOf(program->folder()), now);

        QCOMPARE(CollectionBin::restore(binned, QStringLiteral("Navi vecchie")),
                 CollectionBin::RestoreResult::Restored);
        const QString path = program->file(QStringLiteral("Navi vecchie.dbm"));
        QCOMPARE(recordAt(path, 1).LeggiCampo(Campo::Nome), QStringLiteral("Vespucci 2"));
        QVERIFY(QFileInfo::exists(program->file(QStringLiteral("Foto_Modellini/Navi vecchie_Foto_A_1.jpg"))));
        QVERIFY(QFileInfo::exists(program->file(QStringLiteral("Foto_Modellini/Navi vecchie_Foto_B_2.jpg"))));
        QVERIFY(QFileInfo::exists(program->file(QStringLiteral("Documenti_Allegati/manuale.pdf"))));
        QCOMPARE(CardHistory::versions(path, 1).size(), size_t(2));
        QCOMPARE(recordAt(program->file(QStringLiteral("Navi.dbm")), 1).LeggiCampo(Campo::Nome),
                 QStringLiteral("Nuova"));
    }

    // The window: a deletion lands in the bin list; Ripristina asks for
    // another name when the name is taken, and the open window lists the
    // collection at once; Svuota cestino empties it once confirmed.
    void binWindow()
    {
        TfrmApriCatalogo* open = showOpen();
        auto* files = named<QListWidget>(open, "lstFiles");
        QCOMPARE(files->count(), 2);
        files->setCurrentRow(0); // Navi.dbm
        QTest::mouseClick(named<QAbstractButton>(open, "btnElimina"), Qt::LeftButton);
        QCOMPARE(shownTexts().last(), QStringLiteral("L'archivio di modellini è stato eliminato con successo."));
        QCOMPARE(files->count(), 1);
        writeRecords(program->file(QStringLiteral("Navi.dbm")), {card(QStringLiteral("Nuova"))});

        auto* command = named<TPictureButton>(open, "cmdCestino");
        if (!qEnvironmentVariableIsEmpty("MINIARCA_SHOTS"))
            open->grab().save(qEnvironmentVariable("MINIARCA_SHOTS") + QStringLiteral("/frmApriCatalogo.png"));
        QVERIFY(whileModal<TfrmCestino>(open, command, [&](TfrmCestino* w) {
            auto* list = named<QListWidget>(w, "lstCestino");
            QCOMPARE(list->count(), 1);
            QVERIFY2(list->item(0)->text().startsWith(QLatin1String("Navi\n")), qPrintable(list->item(0)->text()));
            QVERIFY(list->item(0)->text().contains(QLatin1String("2 schede")));
            if (!qEnvironmentVariableIsEmpty("MINIARCA_SHOTS")) {
                list->setCurrentRow(0);
                w->grab().save(qEnvironmentVariable("MINIARCA_SHOTS") + QStringLiteral("/frmCestino.png"));
                list->setCurrentRow(-1);
            }
            QTest::mouseClick(named<TPictureButton>(w, "cmdRipristina"), Qt::LeftButton);
            QCOMPARE(shownTexts(),
                     QStringList{QStringLiteral("Attenzione: selezionare dall'elenco l'archivio da ripristinare.")});
            list->setCurrentRow(0);
            Dialogs::setNextText(QStringLiteral("Navi"));     // still taken
            Dialogs::setNextText(QStringLiteral("Navi: 2"));  // a refused character
            Dialogs::setNextText(QStringLiteral(" Navi 2 ")); // trimmed, free
            QTest::mouseClick(named<TPictureButton>(w, "cmdRipristina"), Qt::LeftButton);
            QCOMPARE(Dialogs::takeTextQuestions().size(), 3);
            QCOMPARE(
                shownTexts(),
                (QStringList{
                    QStringLiteral("Attenzione: il nome indicato non può essere usato per un archivio di modellini."),
                    QStringLiteral("L'archivio di modellini Navi 2 è stato ripristinato con successo.")}));
            QCOMPARE(list->count(), 0);
            // Listed at once behind the bin window.
            QCOMPARE(files->count(), 3);
            QCOMPARE(named<QLabel>(open, "lblCreati")->text(),
                     QStringLiteral("Sono stati creati 3 archivi di modellini."));
        }));
        QVERIFY(QFileInfo::exists(program->file(QStringLiteral("Navi 2.dbm"))));

        // Emptying: refused on No, done on Yes.
        files->setCurrentRow(files->count() - 1);
        QTest::mouseClick(named<QAbstractButton>(open, "btnElimina"), Qt::LeftButton);
        Dialogs::takeShown();
        QVERIFY(whileModal<TfrmCestino>(open, command, [&](TfrmCestino* w) {
            QCOMPARE(named<QListWidget>(w, "lstCestino")->count(), 1);
            Dialogs::setNextAnswer(QMessageBox::No);
            QTest::mouseClick(named<TPictureButton>(w, "cmdSvuota"), Qt::LeftButton);
            QCOMPARE(named<QListWidget>(w, "lstCestino")->count(), 1);
            Dialogs::setNextAnswer(QMessageBox::Yes);
            QTest::mouseClick(named<TPictureButton>(w, "cmdSvuota"), Qt::LeftButton);
            QCOMPARE(named<QListWidget>(w, "lstCestino")->count(), 0);
            QCOMPARE(shownTexts().last(), QStringLiteral("Il cestino è stato svuotato."));
        }));
        QVERIFY(CollectionBin::list().empty());
    }
};

QTEST_MAIN(TestBin)
#include "test_bin.moc"
