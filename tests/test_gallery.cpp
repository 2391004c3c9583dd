// The gallery window over a real archive, opened from the record sheet:
// its controls, the filter and the count, choosing a card by double-click
// or keyboard, and closing it while its thumbnails are being made.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QSlider>

#include "PhotoFixtures.h"
#include "TestSupport.h"
#include "core/archive/CompanionFiles.h"
#include "core/gallery/GalleryModel.h"
#include "core/gallery/ThumbnailCache.h"
#include "core/gallery/ThumbnailLoader.h"
#include "gui/output/frmGalleria.h"
#include "gui/widgets/ImageView.h"
#include "gui/widgets/PictureButton.h"

using namespace PhotoFixtures;
using CompanionFiles::Photo;

namespace {

const QString kArchive = QStringLiteral("Navi");

} // namespace

class TestGallery : public QObject, public SheetProgramTest {
    Q_OBJECT

    QString archivePath;

    void openSheet(const QStringList& names)
    {
        archivePath = program->file(QStringLiteral("Navi.dbm"));
        QList<TScheda> cards(names.size());
        for (qsizetype i = 0; i < names.size(); ++i)
            cards[i].ScriviCampo(Campo::Nome, names[i]);
        writeRecords(archivePath, cards);
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        QVERIFY(openRecordSheet(*windows, archivePath, kArchive));
    }

    bool withGallery(const std::function<void(TfrmGalleria*)>& work)
    {
        return whileModal<TfrmGalleria>(sheet, named<TPictureButton>(sheet, "cmdGalleria"), work);
    }

private slots:
    void init() { startSheetProgram(); }
    void cleanup()
    {
        endSheetProgram();
        TThumbnailLoader::waitUntilIdle();
        QCoreApplication::processEvents();
    }

    void theSheetOpensItWithEveryCard()
    {
        openSheet({QStringLiteral("Vespucci"), QStringLiteral("Cutty Sark"), QStringLiteral("Titanic")});
        QVERIFY(writeCardPhoto(Photo::A, kArchive, 1, encoded(halves(QSize(800, 600)), "jpg")));
        auto* command = named<TPictureButton>(sheet, "cmdGalleria");
        QVERIFY(command->isVisible());
        QCOMPARE(command->text(), QStringLiteral("Galleria"));
        QCOMPARE(command->parentWidget()->objectName(), QStringLiteral("shpComandi2"));
        QVERIFY(withGallery([&](TfrmGalleria* gallery) {
            auto* list = named<QListView>(gallery, "lstGalleria");
            QCOMPARE(list->viewMode(), QListView::IconMode);
            QCOMPARE(list->model()->rowCount(), 3);
            QCOMPARE(list->model()->index(1, 0).data().toString(), QStringLiteral("Cutty Sark"));
            auto* slider = named<QSlider>(gallery, "sldDimensione");
            QCOMPARE(slider->minimum(), 96);
            QCOMPARE(slider->maximum(), 384);
            // The pictures arrive, and the count stops speaking of them.
            QTRY_COMPARE(gallery->lastVisibleRow(), 2);
            QTRY_COMPARE(gallery->model()->waiting(), 0);
            QCOMPARE(named<QLabel>(gallery, "lblConteggio")->text(), QStringLiteral("Schede mostrate: 3 su 3"));
            QCOMPARE(list->model()->index(0, 0).data(TGalleryModel::StateRole).value<TGalleryModel::State>(),
                     TGalleryModel::State::Photo);
            QVERIFY(QFileInfo::exists(CompanionFiles::thumbnailPath(Photo::A, kArchive, 1)));

            const QSize before = list->gridSize();
            slider->setValue(384);
            QVERIFY(list->gridSize().width() > before.width() * 2);
            QCOMPARE(gallery->model()->tileSide(), 384);
        }));
    }

    void aDoubleClickBringsThatCard()
    {
        openSheet({QStringLiteral("Vespucci"), QStringLiteral("Cutty Sark"), QStringLiteral("Titanic")});
        QVERIFY(writeCardPhoto(Photo::A, kArchive, 2, encoded(halves(QSize(120, 80)), "jpg")));
        QVERIFY(writeCardPhoto(Photo::B, kArchive, 2, encoded(halves(QSize(60, 90)), "jpg")));
        QVERIFY(withGallery([&](TfrmGalleria* gallery) {
            auto* list = named<QListView>(gallery, "lstGalleria");
            const QRect tile = list->visualRect(list->model()->index(1, 0));
            QVERIFY(list->viewport()->rect().contains(tile));
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, tile.center());
            QVERIFY(!gallery->isVisible());
        }));
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("2"));
        QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QStringLiteral("Cutty Sark"));
        QTRY_VERIFY(photosShown(sheet));
        QCOMPARE(named<TImageView>(sheet, "imgFoto")->photo().size(), QSize(120, 80));
    }

    void theKeysMoveThroughTheGridAndEnterBringsTheCard_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("number");
        QTest::newRow("right") << QList<int>{Qt::Key_Right} << 2;
        QTest::newRow("end") << QList<int>{Qt::Key_End} << 30;
        QTest::newRow("end, then home") << QList<int>{Qt::Key_End, Qt::Key_Home} << 1;
        QTest::newRow("down one line") << QList<int>{Qt::Key_Right, Qt::Key_Down} << -1; // the next line's second
        QTest::newRow("page down") << QList<int>{Qt::Key_PageDown} << 0;                 // further than a line
    }

    void theKeysMoveThroughTheGridAndEnterBringsTheCard()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, number);
        QStringList names;
        for (int i = 1; i <= 30; ++i)
            names << QStringLiteral("Modello %1").arg(i);
        openSheet(names);
        int columns = 0;
        QVERIFY(withGallery([&](TfrmGalleria* gallery) {
            auto* list = named<QListView>(gallery, "lstGalleria");
            named<QSlider>(gallery, "sldDimensione")->setValue(384);
            columns = qMax(1, list->viewport()->width() / list->gridSize().width());
            QCOMPARE(list->currentIndex().row(), 0);
            for (const int key : keys)
                QTest::keyClick(list, Qt::Key(key));
            QTest::keyClick(list, Qt::Key_Return);
            QVERIFY(!gallery->isVisible());
        }));
        const int shown = named<QLabel>(sheet, "lblPosizione")->text().toInt();
        if (number == -1)
            QCOMPARE(shown, columns + 2);
        else if (number == 0)
            QVERIFY2(shown >= columns + 1, qPrintable(QString::number(shown)));
        else
            QCOMPARE(shown, number);
    }

    void theFilterNarrowsTheTilesAndTheCountSaysSo()
    {
        openSheet({QStringLiteral("Vespucci"), QStringLiteral("Cutty Sark"), QStringLiteral("Sark Minore")});
        QVERIFY(withGallery([&](TfrmGalleria* gallery) {
            auto* list = named<QListView>(gallery, "lstGalleria");
            auto* count = named<QLabel>(gallery, "lblConteggio");
            QTest::keyClicks(named<QLineEdit>(gallery, "txtFiltro"), QStringLiteral("SARK"));
            QCOMPARE(list->model()->rowCount(), 2);
            QTRY_COMPARE(count->text(), QStringLiteral("Schede mostrate: 2 su 3"));
            QTest::keyClicks(named<QLineEdit>(gallery, "txtFiltro"), QStringLiteral(" m"));
            QCOMPARE(list->model()->rowCount(), 1);
            // The card double-clicked in a narrowed grid is the card of that tile.
            const QRect tile = list->visualRect(list->model()->index(0, 0));
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, tile.center());
        }));
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("3"));
    }

    void closingWhileThumbnailsAreMade()
    {
        QStringList names;
        for (int i = 1; i <= 80; ++i)
            names << QStringLiteral("Modello %1").arg(i);
        openSheet(names);
        const QByteArray photo = encoded(halves(QSize(2400, 1800)), "jpg");
        for (int n = 1; n <= 80; ++n)
            QVERIFY(writeCardPhoto(Photo::A, kArchive, n, photo));
        const int made = ThumbnailCache::counters().made;
        QVERIFY(withGallery([&](TfrmGalleria* gallery) {
            named<QSlider>(gallery, "sldDimensione")->setValue(96);
            QTRY_VERIFY(ThumbnailCache::counters().made > made);
            QVERIFY(gallery->model()->waiting() > 0);
            QVERIFY(named<QLabel>(gallery, "lblConteggio")->text().contains(QStringLiteral("preparazione")));
            QTest::mouseClick(named<TPictureButton>(gallery, "cmdChiudi"), Qt::LeftButton);
        }));
        TThumbnailLoader::waitUntilIdle();
        QCoreApplication::processEvents();
        // The sheet is untouched and the next opening starts over cleanly.
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QString());
        QVERIFY(withGallery([&](TfrmGalleria* gallery) { QCOMPARE(gallery->model()->rowCount(), 80); }));
    }
};

QTEST_MAIN(TestGallery)
#include "test_gallery.moc"
