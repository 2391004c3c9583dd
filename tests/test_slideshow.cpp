// The slideshow over a real archive and photo folder: the walk over the
// cards tick by tick, the rewind, the empty archive, missing and broken
// photos, access failures, and closing on a click. Ticks are driven
// directly; nothing waits for the six-second timer.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <functional>

#include "PhotoFixtures.h"
#include "TestSupport.h"
#include "core/archive/CompanionFiles.h"
#include "core/photos/Photo.h"
#include "gui/output/frmSlideshow_Euro_01.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/ImageView.h"
#include "gui/widgets/PictureButton.h"

using namespace PhotoFixtures;
using CompanionFiles::Photo;

namespace {

const QString kArchive = QStringLiteral("Aerei");
// What a tick may leave on screen: the banner, or the photo of record n,
// told apart by their sizes.
constexpr int kBanner = 0;
QSize photoSizeOf(int record)
{
    return QSize(40 + 10 * record, 30);
}

} // namespace

class TestSlideshow : public QObject, public SheetProgramTest {
    Q_OBJECT

    QString archivePath;

    // An archive of `records` cards, each with photo A (and B) files.
    void openSheet(int records)
    {
        archivePath = program->file(kArchive + QStringLiteral(".dbm"));
        writeArchive(archivePath, records);
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        for (int n = 1; n <= records; ++n) {
            QVERIFY(writeCardPhoto(Photo::A, kArchive, n, encoded(halves(photoSizeOf(n)), "jpg")));
            QVERIFY(writeCardPhoto(Photo::B, kArchive, n, encoded(halves(QSize(7, 7)), "jpg")));
        }
        QVERIFY(openRecordSheet(*windows, archivePath, kArchive));
    }

    // The slideshow as the sheet's "Slide show" opens it.
    bool withSlideshow(const std::function<void(TfrmSlideshow_Euro_01*)>& work)
    {
        return whileModal<TfrmSlideshow_Euro_01>(sheet, named<TPictureButton>(sheet, "cmdSlideShow"), work);
    }

    // The picture of the tick, once a photo on its way has arrived.
    static int onScreen(TfrmSlideshow_Euro_01* show)
    {
        auto* image = named<TImageView>(show, "imgFoto");
        if (!QTest::qWaitFor([image] { return !image->isLoading(); }))
            return -2;
        const TPhoto& photo = image->photo();
        if (photo.sharesWith(named<TImageView>(show, "imgBianco")->photo()))
            return kBanner;
        for (int n = 1; n < 10; ++n) {
            if (photo.size() == photoSizeOf(n))
                return n;
        }
        return -1;
    }

private slots:
    void init() { startSheetProgram(); }

    void cleanup() { endSheetProgram(); }

    // ---- the walk ------------------------------------------------------------

    void walksTheCardsRoundAndRound_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<QList<int>>("shown");      // before the first tick, then after each tick
        QTest::addColumn<QStringList>("positions"); // after each tick
        QTest::newRow("three cards") << 3 << QList<int>{kBanner, 1, 2, 3, 3, 1, 2}
                                     << QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                                    QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")};
        QTest::newRow("one card alternates")
            << 1 << QList<int>{kBanner, 1, 1, 1, 1}
            << QStringList{QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("0")};
    }

    void walksTheCardsRoundAndRound()
    {
        QFETCH(int, records);
        QFETCH(QList<int>, shown);
        QFETCH(QStringList, positions);
        openSheet(records);
        QVERIFY(sheet->subMostraScheda(records)); // the sheet's own card plays no part
        QTRY_VERIFY(photosShown(sheet));
        const TPhoto sheetPhoto = named<TImageView>(sheet, "imgFoto")->photo();
        QVERIFY(withSlideshow([&](TfrmSlideshow_Euro_01* show) {
            QCOMPARE(onScreen(show), shown.first());
            QVERIFY(named<QLabel>(show, "lblPosizione")->text().isEmpty());
            for (int tick = 0; tick < positions.size(); ++tick) {
                show->cmdAvantiClick();
                QCOMPARE(named<QLabel>(show, "lblPosizione")->text(), positions[tick]);
                QCOMPARE(onScreen(show), shown[tick + 1]);
            }
            QVERIFY(show->Timer->isActive());
        }));
        QVERIFY(Dialogs::takeShown().isEmpty());
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QString::number(records));
        QVERIFY(named<TImageView>(sheet, "imgFoto")->photo().sharesWith(sheetPhoto));
    }

    void aPhotoThatCannotBeShownGivesTheBanner_data()
    {
        QTest::addColumn<QByteArray>("photo2"); // empty: no file at all
        const QByteArray jpeg = encoded(halves(photoSizeOf(2)), "jpg");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a picture") << QByteArray("Elenco dei modellini");
        QTest::newRow("JPEG cut after its header") << jpeg.left(jpeg.indexOf("\xFF\xDA", 2) + 2);
        QTest::newRow("progressive header declaring 30000²") << progressiveBomb(30000, false);
        QTest::newRow("progressive header declaring 45000²") << progressiveBomb(45000, true);
    }

    void aPhotoThatCannotBeShownGivesTheBanner()
    {
        QFETCH(QByteArray, photo2);
        openSheet(3);
        const QString path = cardPhotoPath(Photo::A, kArchive, 2);
        QFile::remove(path);
        if (!photo2.isEmpty())
            QVERIFY(writeFile(path, photo2));
        const PeakMemoryWatch memory;
        QVERIFY(withSlideshow([&](TfrmSlideshow_Euro_01* show) {
            const int expected[] = {1, kBanner, 3, 3, 1, kBanner};
            for (int record : expected) {
                show->cmdAvantiClick();
                QCOMPARE(onScreen(show), record);
            }
        }));
        QVERIFY2(memory.risenMb() < 300, qPrintable(QStringLiteral("%1 MB").arg(memory.risenMb())));
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    void aCardSavedWithoutPhotoShowsTheSheetsPlaceholder()
    {
        openSheet(0);
        named<QLineEdit>(sheet, "txtNome")->setText(QStringLiteral("Macchi C.202"));
        named<QLineEdit>(sheet, "txtTipologia")->setText(QStringLiteral("Aereo"));
        named<QLineEdit>(sheet, "txtProduttore")->setText(QStringLiteral("Italeri"));
        named<QLineEdit>(sheet, "txtScala")->setText(QStringLiteral("1:72"));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        Dialogs::clear();
        QVERIFY(withSlideshow([&](TfrmSlideshow_Euro_01* show) {
            show->cmdAvantiClick();
            QTRY_VERIFY(!named<TImageView>(show, "imgFoto")->isLoading());
            QCOMPARE(named<TImageView>(show, "imgFoto")->photo().size(), QSize(366, 260));
            QVERIFY(
                !named<TImageView>(show, "imgFoto")->photo().sharesWith(named<TImageView>(show, "imgBianco")->photo()));
        }));
    }

    void phonePhotosShowUprightAndTheTickDecodesNothing()
    {
        openSheet(2);
        // Stored lying down with a mark that says "turn me": shown upright.
        QVERIFY(writeCardPhoto(Photo::A, kArchive, 2, turnedJpeg(halves(QSize(1600, 1200)), 6)));
        QVERIFY(withSlideshow([&](TfrmSlideshow_Euro_01* show) {
            show->cmdAvantiClick();
            show->waitForPrepared();
            const int decodes = TPhoto::counters().decodes;
            show->cmdAvantiClick();
            QImage shot(named<TImageView>(show, "imgFoto")->size(), QImage::Format_RGB32);
            shot.fill(Qt::black);
            named<TImageView>(show, "imgFoto")->render(&shot);
            // The photo was decoded ahead, at the size it is drawn: the only
            // decode since, if any, is the next card's, on another thread
            // (none when the first card's reading is still kept).
            show->waitForPrepared();
            QVERIFY(TPhoto::counters().decodes.load() <= decodes + 1);
            QCOMPARE(named<TImageView>(show, "imgFoto")->photo().size(), QSize(1200, 1600));
            const QRect drawn = named<TImageView>(show, "imgFoto")->drawnRect();
            QVERIFY(drawn.height() <= named<TImageView>(show, "imgFoto")->height());
            // Turned a quarter clockwise, the red left half lies on top.
            QVERIFY(near(shot.pixel(drawn.center().x(), drawn.top() + drawn.height() / 4), Qt::red));
            QVERIFY(near(shot.pixel(drawn.center().x(), drawn.bottom() - drawn.height() / 4), Qt::blue));
        }));
    }

    // ---- the archive ---------------------------------------------------------

    void anEmptyArchiveShowsItsBoxOnceAndCloses_data()
    {
        QTest::addColumn<bool>("fileMissing");
        QTest::newRow("no cards") << false;
        QTest::newRow("archive file gone") << true;
    }

    void anEmptyArchiveShowsItsBoxOnceAndCloses()
    {
        QFETCH(bool, fileMissing);
        openSheet(0);
        if (fileMissing)
            QVERIFY(QFile::remove(archivePath));
        bool closed = false;
        QVERIFY(withSlideshow([&](TfrmSlideshow_Euro_01* show) {
            show->cmdAvantiClick();
            closed = !show->isVisible();
            QVERIFY(!show->Timer->isActive());
            QVERIFY(named<QLabel>(show, "lblPosizione")->text().isEmpty());
        }));
        QVERIFY(closed);
        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().kind, Dialogs::Kind::Information);
        QCOMPARE(shown.first().text, QStringLiteral("L'archivio non contiene nessuna scheda."));
        QCOMPARE(shown.first().parentName, QStringLiteral("frmSlideshow_Euro_01"));
    }

    void aLastingFailureShowsOneBoxAtATime()
    {
        openSheet(2);
        // A folder where the archive should be: every opening fails.
        QVERIFY(QFile::remove(archivePath));
        QVERIFY(QDir().mkpath(archivePath));
        QVERIFY(withSlideshow([&](TfrmSlideshow_Euro_01* show) {
            // The first box stays open, as a user leaves it, while more ticks come.
            Dialogs::setScripted(false);
            QPointer<QMessageBox> first;
            int mostBoxes = 0;
            // Should a tick open a box over the first one, it is counted and closed here.
            QTimer closer;
            closer.setInterval(0);
            connect(&closer, &QTimer::timeout, this, [&] {
                const QList<QMessageBox*> boxes = show->findChildren<QMessageBox*>();
                mostBoxes = std::max(mostBoxes, int(boxes.size()));
                for (QMessageBox* box : boxes) {
                    if (box != first && box->isVisible())
                        box->reject();
                }
            });
            QString text;
            QTimer::singleShot(0, this, [&] {
                first = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!first)
                    return;
                text = first->text();
                closer.start();
                show->cmdAvantiClick();
                show->cmdAvantiClick();
                QApplication::processEvents();
                first->reject();
            });
            show->cmdAvantiClick();
            closer.stop();
            Dialogs::setScripted(true);
            QCOMPARE(mostBoxes, 1);
            QCOMPARE(text, ArchiveAccessMessage());
            // The show goes on: the next tick tries again.
            QVERIFY(show->Timer->isActive());
            show->cmdAvantiClick();
            const QList<Dialogs::Shown> shown = Dialogs::takeShown();
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown.first().kind, Dialogs::Kind::Error);
            QCOMPARE(shown.first().text, ArchiveAccessMessage());
            QCOMPARE(onScreen(show), kBanner);
        }));
    }

    // ---- the window ----------------------------------------------------------

    void opensFullScreenOnTheBanner()
    {
        openSheet(1);
        QVERIFY(withSlideshow([&](TfrmSlideshow_Euro_01* show) {
            QCOMPARE(show->windowTitle(), QStringLiteral(" Slide Show Modellini"));
            QCOMPARE(QApplication::activeModalWidget(), show);
            QVERIFY(show->isMaximized());
            const QSize area = show->screen()->size() - QSize(60, 90);
            QCOMPARE(named<QWidget>(show, "panContainer")->size(), area);
            QCOMPARE(named<TImageView>(show, "imgFoto")->size(), area);
            QCOMPARE(onScreen(show), kBanner);
            QCOMPARE(named<TImageView>(show, "imgBianco")->photo().size(), QSize(677, 184));
            QVERIFY(!named<TImageView>(show, "imgBianco")->isVisible()
                    && !named<QLabel>(show, "lblPosizione")->isVisible()
                    && !named<TPictureButton>(show, "cmdAvanti")->isVisible());
            QVERIFY(show->Timer->isActive());
            QCOMPARE(show->Timer->interval(), 6000);
        }));
    }

    void aClickAnywhereCloses_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("ticks");
        QTest::newRow("photo, during the banner") << "imgFoto" << 0;
        QTest::newRow("panel, during the banner") << "panContainer" << 0;
        QTest::newRow("photo, on a card") << "imgFoto" << 1;
        QTest::newRow("free area around the panel") << "frmSlideshow_Euro_01" << 2;
    }

    void aClickAnywhereCloses()
    {
        QFETCH(QString, target);
        QFETCH(int, ticks);
        openSheet(1);
        QPointer<QTimer> timer;
        bool closedByClick = false;
        QVERIFY(withSlideshow([&](TfrmSlideshow_Euro_01* show) {
            for (int i = 0; i < ticks; ++i)
                show->cmdAvantiClick();
            timer = show->Timer;
            QWidget* widget = target == show->objectName() ? show : named<QWidget>(show, target.toLatin1().constData());
            // The free area lies between the window's edge and the panel.
            const QPoint at = widget == show ? QPoint(named<QWidget>(show, "panContainer")->x() / 2, show->height() - 5)
                                             : widget->rect().topLeft() + QPoint(3, 3);
            QTest::mouseClick(widget, Qt::LeftButton, {}, at);
            closedByClick = !show->isVisible();
            QVERIFY(!show->Timer->isActive());
        }));
        QVERIFY(closedByClick);
        QVERIFY(timer.isNull()); // the timer ends with the window
    }
};

QTEST_MAIN(TestSlideshow)
#include "test_slideshow.moc"
