// The photo slots of the record sheet over real files: loading, clearing,
// saving to disk, the record's photo files on save and on show, the zoom
// window.
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <functional>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>

#include "PhotoFixtures.h"
#include "TestSupport.h"
#include "core/archive/Archivio.h"
#include "core/archive/CompanionFiles.h"
#include "core/photos/DecodeCost.h"
#include "core/photos/Photo.h"
#include "core/photos/PhotoPreparer.h"
#include "gui/app/WindowSet.h"
#include "gui/photos/frmZoom.h"
#include "gui/sheet/FrameSource.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/sheet/frmWebCam.h"
#include "gui/shell/frmAvvio.h"
#include "gui/widgets/ImageView.h"
#include "gui/widgets/PictureButton.h"

using namespace PhotoFixtures;
using CompanionFiles::Photo;

namespace {

const QString kArchive = QStringLiteral("Navi");

int recordsIn(const QString& path)
{
    TArchivio archive;
    archive.ApriArchivio(path);
    const int count = archive.ContaSchede();
    archive.ChiudiArchivio();
    return count;
}

// Average difference per channel: a JPEG of a picture stays within a few
// levels of it, a different picture does not.
double difference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 255;
    qint64 total = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            total += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    }
    return double(total) / (3.0 * a.width() * a.height());
}

// A webcam window's source where no camera is: frames are put into the
// window's target by hand.
class TNoCamera : public TFrameSource {
protected:
    bool switchOn() override { return false; }
    void switchOff() override {}
};

} // namespace

class TestPhotos : public QObject, public SheetProgramTest {
    Q_OBJECT

    QString archivePath;

    void openSheet(int records)
    {
        archivePath = program->file(kArchive + QStringLiteral(".dbm"));
        writeArchive(archivePath, records);
        QVERIFY(openRecordSheet(*windows, archivePath, kArchive));
    }

    void save() { QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton); }

    QString photoFile(Photo which, int record) const { return cardPhotoPath(which, kArchive, record); }

    // A picture file in the scratch folder, outside the photo folder.
    QString picture(const QString& name, const QByteArray& bytes)
    {
        const QString path = program->file(name);
        if (!writeFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    bool showsPlaceholders() const
    {
        return named<TImageView>(sheet, "imgFoto")->photo().sharesWith(named<TImageView>(sheet, "imgBianco")->photo())
               && named<TImageView>(sheet, "imgFoto02")
                      ->photo()
                      .sharesWith(named<TImageView>(sheet, "imgBianco02")->photo());
    }

    // Where a control of the sheet sits on its centred panel (the one that
    // holds the command bar), through whatever groups it.
    QRect onPanel(const QWidget* w) const
    {
        const QWidget* panel = named<QWidget>(sheet, "shpComandi")->parentWidget();
        return QRect(w->parentWidget()->mapTo(panel, w->pos()), w->size());
    }

    // The slot as the user sees it: its white frame with the image drawn in.
    QImage frameOf(TImageView* slot)
    {
        QFrame* frame = slot == named<TImageView>(sheet, "imgFoto") ? named<QFrame>(sheet, "shpFoto")
                                                                    : named<QFrame>(sheet, "shpFoto02");
        QImage shot(frame->size(), QImage::Format_RGB32);
        shot.fill(Qt::white);
        frame->render(&shot);
        slot->render(&shot, slot->geometry().topLeft() - frame->geometry().topLeft(), QRegion(), QWidget::DrawChildren);
        return shot;
    }

private slots:
    void init() { startSheetProgram(); }

    void cleanup() { endSheetProgram(); }

    // ---- the slots -----------------------------------------------------------

    void slotLayout()
    {
        openSheet(0);
        const std::tuple<const char*, QRect, bool> widgets[] = {
            {"imgFoto", QRect(74, 90, 366, 260), true},    {"imgFoto02", QRect(74, 364, 366, 260), true},
            {"imgBianco", QRect(74, 90, 366, 260), false}, {"imgBianco02", QRect(74, 364, 366, 260), false},
            {"shpFoto", QRect(70, 86, 374, 268), true},    {"shpFoto02", QRect(70, 360, 374, 268), true},
            {"ico01", QRect(22, 86, 42, 28), true},        {"ico02", QRect(22, 360, 42, 28), true},
        };
        for (const auto& [name, geometry, visible] : widgets) {
            QWidget* w = named<QWidget>(sheet, name);
            QCOMPARE(onPanel(w), geometry);
            QCOMPARE(w->isVisible(), visible);
        }
        QCOMPARE(named<TImageView>(sheet, "imgBianco")->photo().size(), QSize(366, 260));
        QCOMPARE(named<TImageView>(sheet, "imgBianco02")->photo().size(), QSize(366, 260));
        // The two placeholders are two different pictures, and look like one.
        QVERIFY(difference(named<TImageView>(sheet, "imgBianco")->photo().image(),
                           named<TImageView>(sheet, "imgBianco02")->photo().image())
                > 5);
        QVERIFY(showsPlaceholders());
    }

    void buttonsAndHints_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("y");
        QTest::addColumn<QString>("hint");
        const char* names[] = {"btnCaricaFoto", "btnAcquisisciFoto", "btnSalvaFoto", "btnCancFoto", "btnZoomFoto"};
        const char* hints[] = {"Carica una foto esistente.", "Acquisisci la foto da WebCam.", "Salva la foto su disco.",
                               "Cancella la foto.", "Visualizza la foto nelle sue dimensioni reali."};
        const int tops[] = {122, 396};
        for (int slot = 0; slot < 2; ++slot) {
            for (int i = 0; i < 5; ++i) {
                const QString name = QString::fromLatin1(names[i]) + (slot ? QStringLiteral("02") : QString());
                QTest::newRow(qPrintable(name)) << name << tops[slot] + 48 * i << QString::fromUtf8(hints[i]);
            }
        }
    }

    void buttonsAndHints()
    {
        QFETCH(QString, name);
        QFETCH(int, y);
        QFETCH(QString, hint);
        openSheet(0);
        auto* button = named<TPictureButton>(sheet, name.toLatin1().constData());
        QCOMPARE(onPanel(button), QRect(22, y, 42, 40));
        QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);

        auto move = [](QWidget* w) {
            QMouseEvent event(QEvent::MouseMove, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                              Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(w, &event);
        };
        move(button);
        QCOMPARE(named<QLabel>(sheet, "panInfo")->text(), hint);
        // Over the slot's image the line empties, as over the background.
        move(name.endsWith(QLatin1String("02")) ? named<TImageView>(sheet, "imgFoto02")
                                                : named<TImageView>(sheet, "imgFoto"));
        QVERIFY(named<QLabel>(sheet, "panInfo")->text().isEmpty());
    }

    void dialogsAndCancelling()
    {
        openSheet(0);
        const QString wide = picture(QStringLiteral("larga.jpg"), encoded(halves(QSize(800, 600)), "jpg"));
        clickChoosingFile(named<TPictureButton>(sheet, "btnCaricaFoto"), wide);
        const TPhoto before = named<TImageView>(sheet, "imgFoto")->photo();
        Dialogs::takeFileRequests();

        // No name given: the dialogs are cancelled.
        QTest::mouseClick(named<TPictureButton>(sheet, "btnCaricaFoto"), Qt::LeftButton);
        sheet->dlgSalvaFile.initialName = QStringLiteral("Altro.jpg");
        QTest::mouseClick(named<TPictureButton>(sheet, "btnSalvaFoto02"), Qt::LeftButton);

        const QList<Dialogs::FileRequest> requests = Dialogs::takeFileRequests();
        QCOMPARE(requests.size(), 2);
        const Dialogs::FileRequest& open = requests.at(0);
        QCOMPARE(open.mode, Dialogs::FileRequest::Open);
        QCOMPARE(open.title, QStringLiteral("Selezionare un file di immagine in formato Jpeg o Bitmap."));
        QCOMPARE(open.filter,
                 QStringLiteral("Immagine JPEG (*.jpg; *.jpeg)|*.jpg;*.jpeg|Immagine Bitmap (*.bmp)|*.bmp"));
        const Dialogs::FileRequest& saveRequest = requests.at(1);
        QCOMPARE(saveRequest.mode, Dialogs::FileRequest::Save);
        QCOMPARE(saveRequest.title, QStringLiteral("Selezionare la cartella in cui si desidera salvare il file Jpeg."));
        QCOMPARE(saveRequest.filter, QStringLiteral("File Jpeg (*.jpg)|*.jpg"));
        QCOMPARE(saveRequest.initialName, QStringLiteral("Foto.jpg")); // set again before every use
        QCOMPARE(saveRequest.defaultSuffix, QStringLiteral("jpg"));
        QVERIFY(saveRequest.confirmOverwrite);

        QVERIFY(named<TImageView>(sheet, "imgFoto")->photo().sharesWith(before));
        QVERIFY(named<TImageView>(sheet, "imgFoto02")
                    ->photo()
                    .sharesWith(named<TImageView>(sheet, "imgBianco02")->photo()));
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    // ---- drawing and storing -------------------------------------------------

    void bigPhotoIsDrawnReducedAndStoredWhole()
    {
        openSheet(0);
        const QString source = picture(QStringLiteral("reflex.jpg"), encoded(halves(QSize(4000, 3000)), "jpg", 85));
        clickChoosingFile(named<TPictureButton>(sheet, "btnCaricaFoto"), source);
        QCOMPARE(named<TImageView>(sheet, "imgFoto")->photo().size(), QSize(4000, 3000));
        QCOMPARE(named<TImageView>(sheet, "imgFoto")->drawnRect(), QRect(9, 0, 347, 260));

        // Drawn exactly there: white frame to the left and right, photo inside.
        const QImage shot = frameOf(named<TImageView>(sheet, "imgFoto"));
        const int y = 4 + 130;
        QVERIFY(near(shot.pixel(4 + 8, y), Qt::white, 2));
        QVERIFY(near(shot.pixel(4 + 9, y), Qt::red));
        QVERIFY(near(shot.pixel(4 + 355, y), Qt::blue));
        QVERIFY(near(shot.pixel(4 + 356, y), Qt::white, 2));

        fillRequiredFields(sheet);
        const int decodes = TPhoto::counters().decodes;
        save();
        QCOMPARE(TPhoto::counters().decodes, decodes);
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("1"));
        QCOMPARE(sizeOf(photoFile(Photo::A, 1)), QSize(4000, 3000));
        QCOMPARE(readFile(photoFile(Photo::A, 1)), readFile(source));
        QCOMPARE(shownTexts(), QStringList{QStringLiteral("La scheda corrente è stata inserita in archivio.")});
    }

    void smallBitmapIsDrawnAtItsOwnSizeAndStoredAsJpeg()
    {
        openSheet(0);
        clickChoosingFile(named<TPictureButton>(sheet, "btnCaricaFoto02"),
                          picture(QStringLiteral("piccola.bmp"), encoded(halves(QSize(200, 100)), "bmp")));
        QCOMPARE(named<TImageView>(sheet, "imgFoto02")->drawnRect(), QRect(83, 80, 200, 100));
        const QImage shot = frameOf(named<TImageView>(sheet, "imgFoto02"));
        QVERIFY(near(shot.pixel(4 + 82, 4 + 130), Qt::white, 2));
        QCOMPARE(shot.pixel(4 + 83, 4 + 130), qRgb(255, 0, 0));
        QCOMPARE(shot.pixel(4 + 282, 4 + 130), qRgb(0, 0, 255));

        fillRequiredFields(sheet);
        save();
        QCOMPARE(formatOf(photoFile(Photo::B, 1)), QByteArray("jpeg"));
        QCOMPARE(sizeOf(photoFile(Photo::B, 1)), QSize(200, 100));
    }

    void resavingAShownCardRewritesTheSameBytes()
    {
        openSheet(1);
        const QByteArray a = encoded(halves(QSize(1200, 900)), "jpg", 70);
        const QByteArray b = encoded(halves(QSize(900, 1200)), "jpg", 75);
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        QVERIFY(writeFile(photoFile(Photo::A, 1), a));
        QVERIFY(writeFile(photoFile(Photo::B, 1), b));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        QVERIFY(named<TImageView>(sheet, "imgFoto")->photo().isJpeg());

        fillRequiredFields(sheet);
        named<QLineEdit>(sheet, "txtNote")->setText(QStringLiteral("corretto un refuso"));
        const int decodes = TPhoto::counters().decodes;
        const int encodes = TPhoto::counters().encodes;
        save();
        save();
        QCOMPARE(TPhoto::counters().decodes, decodes);
        QCOMPARE(TPhoto::counters().encodes, encodes);
        QCOMPARE(readFile(photoFile(Photo::A, 1)), a);
        QCOMPARE(readFile(photoFile(Photo::B, 1)), b);
    }

    void aTurnedPhoneJpegShowsUpright()
    {
        openSheet(0);
        // Stored lying 400x200, red half on the left; the mark says turn right.
        clickChoosingFile(named<TPictureButton>(sheet, "btnCaricaFoto"),
                          picture(QStringLiteral("telefono.jpg"), turnedJpeg(halves(QSize(400, 200)), 6)));
        QCOMPARE(named<TImageView>(sheet, "imgFoto")->photo().size(), QSize(200, 400));
        QCOMPARE(named<TImageView>(sheet, "imgFoto")->drawnRect(), QRect(118, 0, 130, 260));
        const QImage shot = frameOf(named<TImageView>(sheet, "imgFoto"));
        QVERIFY(near(shot.pixel(4 + 183, 4 + 30), Qt::red));
        QVERIFY(near(shot.pixel(4 + 183, 4 + 230), Qt::blue));
    }

    // ---- the record's photo files --------------------------------------------

    void aMissingOrBrokenPhotoFileShowsBothPlaceholders_data()
    {
        QTest::addColumn<bool>("writeA");
        QTest::addColumn<QByteArray>("brokenA"); // content instead of a picture
        QTest::addColumn<bool>("writeB");
        QTest::newRow("photo A missing, B there") << false << QByteArray() << true;
        QTest::newRow("photo A not a picture") << true << QByteArray("niente") << true;
        QTest::newRow("photo B missing") << true << QByteArray() << false;
    }

    void aMissingOrBrokenPhotoFileShowsBothPlaceholders()
    {
        QFETCH(bool, writeA);
        QFETCH(QByteArray, brokenA);
        QFETCH(bool, writeB);
        openSheet(1);
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        if (writeA)
            QVERIFY(writeFile(photoFile(Photo::A, 1),
                              brokenA.isEmpty() ? encoded(halves(QSize(300, 200)), "jpg") : brokenA));
        if (writeB)
            QVERIFY(writeFile(photoFile(Photo::B, 1), encoded(halves(QSize(300, 200)), "jpg")));
        // Something else on screen first, so that the placeholders are news.
        clickChoosingFile(named<TPictureButton>(sheet, "btnCaricaFoto"),
                          picture(QStringLiteral("a.jpg"), encoded(halves(QSize(64, 64)), "jpg")));
        clickChoosingFile(named<TPictureButton>(sheet, "btnCaricaFoto02"),
                          picture(QStringLiteral("b.jpg"), encoded(halves(QSize(64, 64)), "jpg")));

        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("1"));
        QVERIFY(showsPlaceholders());
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    void placeholdersSavedComeBackAsPlaceholders()
    {
        openSheet(0);
        fillRequiredFields(sheet);
        save();
        QCOMPARE(sizeOf(photoFile(Photo::A, 1)), QSize(366, 260));
        QCOMPARE(formatOf(photoFile(Photo::B, 1)), QByteArray("jpeg"));

        QTest::mouseClick(named<TPictureButton>(sheet, "cmdNuovo"), Qt::LeftButton);
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        // Read from the files, and not to be told apart from the placeholders.
        QVERIFY(!showsPlaceholders());
        QVERIFY(difference(named<TImageView>(sheet, "imgFoto")->photo().image(),
                           named<TImageView>(sheet, "imgBianco")->photo().image())
                < 2.0);
        QVERIFY(difference(named<TImageView>(sheet, "imgFoto02")->photo().image(),
                           named<TImageView>(sheet, "imgBianco02")->photo().image())
                < 2.0);
        QVERIFY(difference(named<TImageView>(sheet, "imgFoto")->photo().image(),
                           named<TImageView>(sheet, "imgBianco02")->photo().image())
                > 5.0);
    }

    void clearingASlotAndMovingOnLeavesTheFiles()
    {
        openSheet(2);
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        for (int record : {1, 2}) {
            QVERIFY(writeFile(photoFile(Photo::A, record), encoded(halves(QSize(320 * record, 240)), "jpg")));
            QVERIFY(writeFile(photoFile(Photo::B, record), encoded(halves(QSize(240, 320)), "jpg")));
        }
        const QByteArray a1 = readFile(photoFile(Photo::A, 1));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        QCOMPARE(named<TImageView>(sheet, "imgFoto")->photo().size(), QSize(320, 240));

        QTest::mouseClick(named<TPictureButton>(sheet, "btnCancFoto"), Qt::LeftButton);
        QVERIFY(
            named<TImageView>(sheet, "imgFoto")->photo().sharesWith(named<TImageView>(sheet, "imgBianco")->photo()));
        QCOMPARE(named<TImageView>(sheet, "imgFoto02")->photo().size(), QSize(240, 320));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdAvanti"), Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        QCOMPARE(named<TImageView>(sheet, "imgFoto")->photo().size(), QSize(640, 240));
        QCOMPARE(readFile(photoFile(Photo::A, 1)), a1);

        QTest::mouseClick(named<TPictureButton>(sheet, "cmdIndietro"), Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        QCOMPARE(named<TImageView>(sheet, "imgFoto")->photo().size(), QSize(320, 240));
    }

    // A photo file that cannot be read puts the placeholders in both slots;
    // saving the card must not write them over the files that are there,
    // while whatever the user did to a slot afterwards is written.
    void anUnreadablePhotoFileSurvivesASave_data()
    {
        QTest::addColumn<QString>("fileA"); // intact, empty, missing
        QTest::addColumn<QString>("fileB");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("expectA"); // kept, placeholder, loaded, captured
        QTest::addColumn<QString>("expectB");
        QTest::newRow("B emptied, a field fixed") << "intact"
                                                  << "empty"
                                                  << ""
                                                  << "kept"
                                                  << "kept";
        QTest::newRow("A emptied, a field fixed") << "empty"
                                                  << "intact"
                                                  << ""
                                                  << "kept"
                                                  << "kept";
        QTest::newRow("A missing: its placeholder is written") << "missing"
                                                               << "intact"
                                                               << ""
                                                               << "placeholder"
                                                               << "kept";
        QTest::newRow("B emptied, a new photo loaded into B") << "intact"
                                                              << "empty"
                                                              << "load B"
                                                              << "kept"
                                                              << "loaded";
        QTest::newRow("B emptied, A erased") << "intact"
                                             << "empty"
                                             << "erase A"
                                             << "placeholder"
                                             << "kept";
        QTest::newRow("B emptied, a capture imported into A") << "intact"
                                                              << "empty"
                                                              << "capture A"
                                                              << "captured"
                                                              << "kept";
        QTest::newRow("B emptied, a file that is no picture loaded into A") << "intact"
                                                                            << "empty"
                                                                            << "bad load A"
                                                                            << "kept"
                                                                            << "kept";
        QTest::newRow("both intact, a file that is no picture loaded into A") << "intact"
                                                                              << "intact"
                                                                              << "bad load A"
                                                                              << "kept"
                                                                              << "kept";
    }

    void anUnreadablePhotoFileSurvivesASave()
    {
        QFETCH(QString, fileA);
        QFETCH(QString, fileB);
        QFETCH(QString, action);
        QFETCH(QString, expectA);
        QFETCH(QString, expectB);
        openSheet(1);
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        const QByteArray intact[2] = {encoded(halves(QSize(640, 480)), "jpg", 80),
                                      encoded(halves(QSize(480, 640)), "jpg", 80)};
        const QString state[2] = {fileA, fileB};
        const Photo which[2] = {Photo::A, Photo::B};
        for (int i = 0; i < 2; ++i) {
            if (state[i] != QLatin1String("missing"))
                QVERIFY(writeFile(photoFile(which[i], 1), state[i] == QLatin1String("intact") ? intact[i] : ""));
        }
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        if (fileA == QLatin1String("intact") && fileB == QLatin1String("intact"))
            QVERIFY(!showsPlaceholders());
        else
            QVERIFY(showsPlaceholders()); // the display rule stays as it was

        const QString loaded = picture(QStringLiteral("nuova.jpg"), encoded(halves(QSize(300, 200)), "jpg", 85));
        const QImage captured = halves(QSize(320, 240));
        if (action == QLatin1String("load B")) {
            clickChoosingFile(named<TPictureButton>(sheet, "btnCaricaFoto02"), loaded);
        } else if (action == QLatin1String("bad load A")) {
            clickChoosingFile(named<TPictureButton>(sheet, "btnCaricaFoto"),
                              picture(QStringLiteral("elenco.jpg"), "Elenco dei modellini"));
        } else if (action == QLatin1String("erase A")) {
            QTest::mouseClick(named<TPictureButton>(sheet, "btnCancFoto"), Qt::LeftButton);
        } else if (action == QLatin1String("capture A")) {
            TfrmWebCam webcam(sheet, CompanionFiles::Photo::A, std::make_unique<TNoCamera>());
            QObject::connect(&webcam, &TfrmWebCam::imported, named<TImageView>(sheet, "imgFoto"),
                             [this](const TPhoto& photo) { named<TImageView>(sheet, "imgFoto")->setPhoto(photo); });
            named<TImageView>(&webcam, "imgTarget")->setPhoto(TPhoto::fromImage(captured));
            QTest::mouseClick(named<QPushButton>(&webcam, "btnImportaFoto"), Qt::LeftButton);
        }
        fillRequiredFields(sheet);
        named<QLineEdit>(sheet, "txtNote")->setText(QStringLiteral("corretto un refuso"));
        save();
        QCOMPARE(shownTexts(), QStringList{QStringLiteral(
                                   "Le modifiche apportate alla scheda corrente sono state salvate in archivio.")});
        QCOMPARE(recordAt(archivePath, 1).LeggiCampo(Campo::Note), QStringLiteral("corretto un refuso"));

        // A second save, as after fixing another typo, changes nothing more.
        save();
        shownTexts();

        const QString expect[2] = {expectA, expectB};
        const TImageView* placeholder[2] = {named<TImageView>(sheet, "imgBianco"),
                                            named<TImageView>(sheet, "imgBianco02")};
        for (int i = 0; i < 2; ++i) {
            const QString path = photoFile(which[i], 1);
            const QByteArray bytes = readFile(path);
            if (expect[i] == QLatin1String("kept")) {
                QVERIFY2(QFileInfo::exists(path), qPrintable(path));
                QCOMPARE(bytes, state[i] == QLatin1String("intact") ? intact[i] : QByteArray());
            } else if (expect[i] == QLatin1String("placeholder")) {
                QCOMPARE(sizeOf(path), QSize(366, 260));
                QVERIFY(difference(TPhoto::fromFile(path).image(), placeholder[i]->photo().image()) < 2.0);
            } else if (expect[i] == QLatin1String("loaded")) {
                QCOMPARE(bytes, readFile(loaded));
            } else {
                QVERIFY(difference(TPhoto::fromFile(path).image(), captured) < 3.0);
            }
        }
    }

    // Leaving a card whose photos could not be read forgets that: a new card
    // writes both its placeholders, whatever files its number finds.
    void aNewCardAfterAnUnreadablePhotoWritesBothPlaceholders()
    {
        openSheet(1);
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        const QByteArray a = encoded(halves(QSize(640, 480)), "jpg", 80);
        QVERIFY(writeFile(photoFile(Photo::A, 1), a));
        QVERIFY(writeFile(photoFile(Photo::B, 1), ""));
        // Left over from an earlier archive of the same name.
        for (Photo which : {Photo::A, Photo::B})
            QVERIFY(writeFile(photoFile(which, 2), encoded(halves(QSize(100, 100)), "jpg")));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        QVERIFY(showsPlaceholders());

        QTest::mouseClick(named<TPictureButton>(sheet, "cmdNuovo"), Qt::LeftButton);
        fillRequiredFields(sheet);
        save();
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("2"));
        QCOMPARE(sizeOf(photoFile(Photo::A, 2)), QSize(366, 260));
        QCOMPARE(sizeOf(photoFile(Photo::B, 2)), QSize(366, 260));
        QCOMPARE(readFile(photoFile(Photo::A, 1)), a);
        QCOMPARE(readFile(photoFile(Photo::B, 1)), QByteArray());
    }

    void aFailedPhotoStoreKeepsTheCardAndThePictures()
    {
        openSheet(0);
        // A file where the photo folder should be: the folder cannot be made.
        QVERIFY(writeFile(CompanionFiles::photoFolder(), "in the way"));
        clickChoosingFile(named<TPictureButton>(sheet, "btnCaricaFoto"),
                          picture(QStringLiteral("nave.jpg"), encoded(halves(QSize(640, 480)), "jpg")));
        const TPhoto loaded = named<TImageView>(sheet, "imgFoto")->photo();
        fillRequiredFields(sheet);
        save();

        QCOMPARE(recordsIn(archivePath), 1);
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("1"));
        QVERIFY(named<TImageView>(sheet, "imgFoto")->photo().sharesWith(loaded));
        QVERIFY(named<TImageView>(sheet, "imgFoto02")
                    ->photo()
                    .sharesWith(named<TImageView>(sheet, "imgBianco02")->photo()));
        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().kind, Dialogs::Kind::Warning);
        QVERIFY(shown.first().text.startsWith(QStringLiteral("La scheda corrente è stata inserita in archivio.")));
        QVERIFY(shown.first().text.contains(QStringLiteral("non è stato possibile salvare le foto")));

        // Once the way is clear, saving again writes them.
        QVERIFY(QFile::remove(CompanionFiles::photoFolder()));
        save();
        QCOMPARE(shownTexts(), QStringList{QStringLiteral(
                                   "Le modifiche apportate alla scheda corrente sono state salvate in archivio.")});
        QCOMPARE(sizeOf(photoFile(Photo::A, 1)), QSize(640, 480));
        QCOMPARE(recordsIn(archivePath), 1);
    }

    void aFileThatIsNoPictureLeavesThePlaceholder()
    {
        openSheet(0);
        clickChoosingFile(named<TPictureButton>(sheet, "btnCaricaFoto02"),
                          picture(QStringLiteral("buona.jpg"), encoded(halves(QSize(64, 48)), "jpg")));
        const TPhoto kept = named<TImageView>(sheet, "imgFoto02")->photo();
        clickChoosingFile(named<TPictureButton>(sheet, "btnCaricaFoto"),
                          picture(QStringLiteral("elenco.jpg"), "Elenco dei modellini"));
        QVERIFY(
            named<TImageView>(sheet, "imgFoto")->photo().sharesWith(named<TImageView>(sheet, "imgBianco")->photo()));
        QVERIFY(named<TImageView>(sheet, "imgFoto02")->photo().sharesWith(kept));
        clickChoosingFile(named<TPictureButton>(sheet, "btnCaricaFoto"), program->file(QStringLiteral("sparita.jpg")));
        QVERIFY(
            named<TImageView>(sheet, "imgFoto")->photo().sharesWith(named<TImageView>(sheet, "imgBianco")->photo()));
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    // ---- what a photo file may cost ------------------------------------------

    // Judged from the header alone: big real photos pass, files whose decode
    // would need gigabytes are photos that cannot be read, and nothing is
    // decoded to find out.
    void aPhotoFileIsJudgedByItsHeader_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("components");
        QTest::addColumn<bool>("subsampled");
        QTest::addColumn<bool>("progressive");
        QTest::addColumn<bool>("separateScans");
        QTest::addColumn<bool>("readable");
        QTest::newRow("baseline 200 MP") << QSize(16330, 12250) << 3 << true << false << false << true;
        QTest::newRow("baseline, the largest Qt reads") << QSize(65500, 65500) << 3 << false << false << false << true;
        QTest::newRow("progressive 100 MP 4:4:4") << QSize(10000, 10000) << 3 << false << true << false << true;
        QTest::newRow("progressive 100 MP CMYK") << QSize(12000, 8333) << 4 << false << true << false << true;
        QTest::newRow("progressive 50 MP 4:2:0") << QSize(8660, 5774) << 3 << true << true << false << true;
        QTest::newRow("progressive 30000² 4:4:4 (5.4 GB)")
            << QSize(30000, 30000) << 3 << false << true << false << false;
        QTest::newRow("progressive 45000² 4:2:0 (6.1 GB)")
            << QSize(45000, 45000) << 3 << true << true << false << false;
        QTest::newRow("progressive 200 MP 4:4:4 (1.2 GB)")
            << QSize(16330, 12250) << 3 << false << true << false << false;
        QTest::newRow("baseline 30000², colours in separate scans")
            << QSize(30000, 30000) << 3 << false << false << true << false;
        QTest::newRow("greyscale progressive 45000²") << QSize(45000, 45000) << 1 << false << true << false << false;
    }

    void aPhotoFileIsJudgedByItsHeader()
    {
        QFETCH(QSize, size);
        QFETCH(int, components);
        QFETCH(bool, subsampled);
        QFETCH(bool, progressive);
        QFETCH(bool, separateScans);
        QFETCH(bool, readable);
        HandMadeJpeg shape;
        shape.size = size;
        shape.components = components;
        shape.subsampled = subsampled;
        shape.progressive = progressive;
        shape.separateScans = separateScans;
        shape.headerOnly = true;
        const QByteArray header = handMadeJpeg(shape);
        QVERIFY(header.size() < 600);
        const int decodes = TPhoto::counters().decodes;
        const TPhoto photo = TPhoto::fromBytes(header);
        QCOMPARE(!photo.isNull(), readable);
        QCOMPARE(TPhoto::counters().decodes, decodes);
        if (readable) {
            QCOMPARE(photo.size(), size);
            // A slot's decode, and the print's, stay within the bound.
            QVERIFY(photo.decodeCost(displayDecodeSize(size, QSize(366, 260))) <= DecodeCost::kBound);
        }
    }

    // The figures libjpeg's own arithmetic gives for the bombs of the report.
    void wholePictureCoefficientsAsLibjpegCountsThem()
    {
        const auto bomb30 = DecodeCost::readJpegLayout(progressiveBomb(30000, false));
        QVERIFY(bomb30);
        QCOMPARE(DecodeCost::wholeImageBytes(*bomb30), qint64(5400000000)); // 3 x 3750² blocks of 128 bytes
        const auto bomb45 = DecodeCost::readJpegLayout(progressiveBomb(45000, true));
        QVERIFY(bomb45);
        // Luma blocks rounded up to whole pairs: 5626² + 2 x 2813² blocks.
        QCOMPARE(DecodeCost::wholeImageBytes(*bomb45), qint64(6077160192));
        HandMadeJpeg baseline;
        baseline.size = QSize(20000, 20000);
        baseline.headerOnly = true;
        const auto sequential = DecodeCost::readJpegLayout(handMadeJpeg(baseline));
        QVERIFY(sequential);
        QCOMPARE(DecodeCost::wholeImageBytes(*sequential), qint64(0));
    }

    // Decodes side by side wait for one another rather than together take
    // more than the budget.
    void decodesSideBySideShareTheBudget()
    {
        DecodeCost::Budget budget(100);
        QVERIFY(!budget.take(101));
        QCOMPARE(budget.inUse(), qint64(0));
        QVERIFY(budget.take(70));
        std::atomic<bool> secondHolds = false;
        std::thread second([&] {
            const DecodeCost::Budget::Hold hold(budget, 60);
            secondHolds = hold.held();
        });
        QTest::qWait(50);
        QVERIFY(!secondHolds); // still waiting for the first
        budget.give(70);
        second.join();
        QVERIFY(secondHolds);
        QCOMPARE(budget.inUse(), qint64(0));
        QCOMPARE(budget.peak(), qint64(70));
    }

    // A bomb as a card's photo file: both placeholders at once, the zoom
    // shows the placeholder, the file survives the next save; picked with
    // the photo button it leaves the placeholder. No decode, little memory.
    void aPhotoFileDeclaringGigabytesIsAnUnreadablePhoto_data()
    {
        QTest::addColumn<QByteArray>("bomb");
        QTest::addColumn<qint64>("fileSize"); // the file made that long with zeros (sparse), or as it is
        QTest::addColumn<bool>("pickedWithTheButton");
        const QByteArray bomb30 = progressiveBomb(30000, false);
        const QByteArray bomb45 = progressiveBomb(45000, true);
        const QByteArray svgz = compressedSvg(qint64(1) << 30);
        const QByteArray scans = manyScanJpeg(QSize(4608, 3456), 2113);
        const QByteArray padded = encoded(halves(QSize(640, 480)), "jpg");
        const qint64 gigabytes = qint64(3) << 30;
        QTest::newRow("30000² progressive, card photo A") << bomb30 << qint64(0) << false;
        QTest::newRow("45000² progressive, card photo A") << bomb45 << qint64(0) << false;
        QTest::newRow("30000² progressive, photo button") << bomb30 << qint64(0) << true;
        QTest::newRow("45000² progressive, photo button") << bomb45 << qint64(0) << true;
        QTest::newRow("compressed SVG unpacking to 1 GB, card photo A") << svgz << qint64(0) << false;
        QTest::newRow("compressed SVG unpacking to 1 GB, photo button") << svgz << qint64(0) << true;
        QTest::newRow("16 MP progressive in 2113 scans, card photo A") << scans << qint64(0) << false;
        QTest::newRow("16 MP progressive in 2113 scans, photo button") << scans << qint64(0) << true;
        QTest::newRow("a JPEG followed by 3 GB of zeros, card photo A") << padded << gigabytes << false;
        QTest::newRow("a JPEG followed by 3 GB of zeros, photo button") << padded << gigabytes << true;
    }

    void aPhotoFileDeclaringGigabytesIsAnUnreadablePhoto()
    {
        QFETCH(QByteArray, bomb);
        QFETCH(qint64, fileSize);
        QFETCH(bool, pickedWithTheButton);
        QVERIFY(bomb.size() < 1024 * 1024); // small on disk, or sparse
        openSheet(1);
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        auto writeBomb = [&](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write(bomb) == bomb.size()
                   && (fileSize == 0 || file.resize(fileSize));
        };
        const QByteArray photoA = pickedWithTheButton ? encoded(halves(QSize(640, 480)), "jpg") : bomb;
        QVERIFY(pickedWithTheButton ? writeFile(photoFile(Photo::A, 1), photoA) : writeBomb(photoFile(Photo::A, 1)));
        QVERIFY(writeFile(photoFile(Photo::B, 1), encoded(halves(QSize(480, 640)), "jpg")));

        const PeakMemoryWatch memory;
        if (pickedWithTheButton) {
            QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
            QTRY_VERIFY(photosShown(sheet));
            QVERIFY(!showsPlaceholders());
            const QString picked = program->file(QStringLiteral("enorme.jpg"));
            QVERIFY(writeBomb(picked));
            clickChoosingFile(named<TPictureButton>(sheet, "btnCaricaFoto"), picked);
            QVERIFY(named<TImageView>(sheet, "imgFoto")
                        ->photo()
                        .sharesWith(named<TImageView>(sheet, "imgBianco")->photo()));
            QCOMPARE(named<TImageView>(sheet, "imgFoto02")->photo().size(), QSize(480, 640));
        } else {
            QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
            QTRY_VERIFY(photosShown(sheet));
            QVERIFY(showsPlaceholders());
        }
        QVERIFY(whileModal<TfrmZoom>(sheet, named<TPictureButton>(sheet, "btnZoomFoto"), [&](TfrmZoom* zoom) {
            QVERIFY(
                named<TImageView>(zoom, "imgFoto")->photo().sharesWith(named<TImageView>(sheet, "imgBianco")->photo()));
            QCOMPARE(named<TImageView>(zoom, "imgFoto")->drawnRect().size(), QSize(366, 260));
        }));
        QVERIFY2(memory.risenMb() < 300, qPrintable(QStringLiteral("%1 MB").arg(memory.risenMb())));
        QVERIFY(Dialogs::takeShown().isEmpty());

        fillRequiredFields(sheet);
        save();
        shownTexts();
        // The collector's file, untouched.
        QFile kept(photoFile(Photo::A, 1));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.size(), pickedWithTheButton || fileSize == 0 ? qint64(photoA.size()) : fileSize);
        QCOMPARE(kept.read(photoA.size()), photoA);
    }

    // Read only as the raster pictures a photo is (JPEG, PNG, BMP, GIF, WebP,
    // TIFF), each judged by its header before any pixel is decoded: the
    // memory its format decodes to, the scans of a JPEG, the text a PNG
    // unpacks. Nothing is decoded to refuse a file.
    void aPhotoIsReadOnlyAsARasterPictureWithinTheBounds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size"); // as read; empty when refused
        const QImage small = halves(QSize(300, 200));
        QTest::newRow("SVG") << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"/>")
                             << QSize();
        QTest::newRow("compressed SVG unpacking to 64 MB") << compressedSvg(64 << 20) << QSize();
        QTest::newRow("progressive JPEG in 100 scans") << manyScanJpeg(QSize(1600, 1200), 100) << QSize(1600, 1200);
        QTest::newRow("progressive JPEG in 103 scans") << manyScanJpeg(QSize(1600, 1200), 103) << QSize();
        QTest::newRow("16 MP progressive JPEG in 2113 scans") << manyScanJpeg(QSize(4608, 3456), 2113) << QSize();
        HandMadePng png;
        png.size = QSize(60000, 60000);
        QTest::newRow("PNG declaring 60000² (14 GB)") << handMadePng(png) << QSize();
        png.size = QSize(10000, 10000);
        png.bitDepth = 16;
        png.colourType = 6;
        QTest::newRow("PNG 10000² of 16-bit RGBA (800 MB decoded, 400 MB kept)") << handMadePng(png) << QSize();
        png.size = QSize(10, 10);
        png.bitDepth = 8;
        png.colourType = 2;
        png.texts = 20;
        png.textBytes = 2 << 20;
        QTest::newRow("PNG 10² whose comments unpack to 40 MB") << handMadePng(png) << QSize();
        png.texts = 1;
        png.textBytes = 100;
        QByteArray cut = handMadePng(png);
        cut.truncate(33); // the signature and the header, then a comment declaring 2 GB, and the end
        cut += QByteArray("\x79\0\0\x15zTXtComment", 15);
        QTest::newRow("PNG whose comment declares 2 GB") << cut << QSize();
        QTest::newRow("GIF: 1 pixel on a 60000² screen") << handMadeGif(QSize(60000, 60000), QSize(1, 1)) << QSize();
        QImage floats(QSize(8, 8), QImage::Format_RGBA32FPx4);
        floats.fill(Qt::red);
        QTest::newRow("TIFF 9000² of 32-bit float RGBA (1.3 GB)")
            << withTiffSize(encoded(floats, "tiff"), QSize(9000, 9000)) << QSize();

        // What a photo is, in every format, still reads.
        QTest::newRow("PNG") << encoded(small, "png") << small.size();
        QTest::newRow("16-bit PNG") << encoded(small.convertToFormat(QImage::Format_RGBA64), "png") << small.size();
        png.texts = 3;
        png.textBytes = 1000;
        png.black = true;
        QTest::newRow("PNG 10² with comments") << handMadePng(png) << QSize(10, 10);
        QTest::newRow("BMP") << encoded(small, "bmp") << small.size();
        QTest::newRow("GIF") << handMadeGif(QSize(40, 30), QSize(40, 30)) << QSize(40, 30);
        QTest::newRow("WebP") << encoded(small, "webp") << small.size();
        QTest::newRow("TIFF") << encoded(small, "tiff") << small.size();
        QTest::newRow("TIFF of 32-bit floats") << encoded(floats, "tiff") << floats.size();
    }

    void aPhotoIsReadOnlyAsARasterPictureWithinTheBounds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        const bool webp = QTest::currentDataTag() == QByteArray("WebP");
        if ((webp && !QImageReader::supportedImageFormats().contains("webp"))
            || (QByteArray(QTest::currentDataTag()).contains("TIFF")
                && !QImageReader::supportedImageFormats().contains("tiff")))
            QSKIP("no plugin for this format here");
        QVERIFY(bytes.size() < 1024 * 1024);
        const PeakMemoryWatch memory;
        const int decodes = TPhoto::counters().decodes;
        const TPhoto photo = TPhoto::fromBytes(bytes);
        QCOMPARE(photo.size(), size);
        if (size.isEmpty())
            QCOMPARE(TPhoto::counters().decodes, decodes);
        else
            QCOMPARE(photo.decode(displayDecodeSize(size, QSize(366, 260))).size(),
                     displayDecodeSize(size, QSize(366, 260)));
        QVERIFY2(memory.risenMb() < 100, qPrintable(QStringLiteral("%1 MB").arg(memory.risenMb())));
    }

    // A photo file is judged by what it is before a byte is read: only a
    // file (not a pipe, not a folder), and no longer than any photo is.
    void aPhotoFileIsJudgedBeforeItIsRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("readable");
        QTest::newRow("a JPEG") << "jpeg" << true;
        QTest::newRow("a JPEG followed by zeros to 256 MB") << "256 MB" << true;
        QTest::newRow("a JPEG followed by zeros past 256 MB") << "256 MB + 1" << false;
        QTest::newRow("a JPEG followed by 10 GB of zeros") << "10 GB" << false;
        QTest::newRow("a named pipe") << "pipe" << false;
        QTest::newRow("a folder") << "folder" << false;
    }

    void aPhotoFileIsJudgedBeforeItIsRead()
    {
        QFETCH(QString, kind);
        QFETCH(bool, readable);
        const QString path = program->file(QStringLiteral("foto.jpg"));
        const QByteArray jpeg = encoded(halves(QSize(640, 480)), "jpg");
        const QMap<QString, qint64> lengths{{QStringLiteral("jpeg"), 0},
                                            {QStringLiteral("256 MB"), qint64(256) << 20},
                                            {QStringLiteral("256 MB + 1"), (qint64(256) << 20) + 1},
                                            {QStringLiteral("10 GB"), qint64(10) << 30}};
        if (lengths.contains(kind)) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(jpeg), qint64(jpeg.size()));
            if (lengths[kind] > 0)
                QVERIFY(file.resize(lengths[kind])); // sparse: nothing written
        } else if (kind == QLatin1String("pipe")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0); // nobody writes to it
        } else {
            QVERIFY(QDir().mkpath(path));
        }
        const PeakMemoryWatch memory;
        const TPhoto photo = TPhoto::fromFile(path);
        QCOMPARE(photo.isNull(), !readable);
        if (readable)
            QCOMPARE(photo.size(), QSize(640, 480));
        if (kind != QLatin1String("256 MB"))
            QVERIFY2(memory.risenMb() < 100, qPrintable(QStringLiteral("%1 MB").arg(memory.risenMb())));
    }

    // Real photos of every kind the bound must let through show in their
    // slot, upright: red on the left, blue on the right.
    void bigAndUnusualPhotosStillShow_data()
    {
        QTest::addColumn<QByteArray>("jpeg");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("grey");
        HandMadeJpeg baseline;
        baseline.size = QSize(16330, 12250);
        QTest::newRow("baseline 200 MP") << handMadeJpeg(baseline) << baseline.size << false;
        HandMadeJpeg progressive;
        progressive.size = QSize(8660, 5774);
        progressive.progressive = true;
        QTest::newRow("progressive 50 MP") << handMadeJpeg(progressive) << progressive.size << false;
        HandMadeJpeg cmyk;
        cmyk.size = QSize(1600, 1200);
        cmyk.components = 4;
        cmyk.left = {255, 0, 0, 255}; // inverted CMYK: red
        cmyk.right = {0, 0, 255, 255};
        QTest::newRow("CMYK") << handMadeJpeg(cmyk) << cmyk.size << false;
        QTest::newRow("8-bit greyscale") << encoded(halves(QSize(1200, 900)).convertToFormat(QImage::Format_Grayscale8),
                                                    "jpg")
                                         << QSize(1200, 900) << true;
        QImage progressiveHalves = halves(QSize(1600, 1200));
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setProgressiveScanWrite(true);
        QVERIFY(writer.write(progressiveHalves));
        QTest::newRow("progressive, as an encoder writes it") << buffer.data() << QSize(1600, 1200) << false;
    }

    void bigAndUnusualPhotosStillShow()
    {
        QFETCH(QByteArray, jpeg);
        QFETCH(QSize, size);
        QFETCH(bool, grey);
        openSheet(1);
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        QVERIFY(writeFile(photoFile(Photo::A, 1), jpeg));
        QVERIFY(writeFile(photoFile(Photo::B, 1), encoded(halves(QSize(480, 640)), "jpg")));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        QVERIFY(!showsPlaceholders());
        QCOMPARE(named<TImageView>(sheet, "imgFoto")->photo().size(), size);
        const QRect drawn = named<TImageView>(sheet, "imgFoto")->drawnRect();
        const QImage shot = frameOf(named<TImageView>(sheet, "imgFoto"));
        const QPoint left = drawn.topLeft() + QPoint(4 + drawn.width() / 5, 4 + drawn.height() / 2);
        const QPoint right = drawn.topLeft() + QPoint(4 + drawn.width() * 4 / 5, 4 + drawn.height() / 2);
        if (grey) {
            QVERIFY(qGray(shot.pixel(left)) > qGray(shot.pixel(right)) + 20); // red is the lighter grey
        } else {
            QVERIFY2(near(shot.pixel(left), Qt::red), qPrintable(QColor(shot.pixel(left)).name()));
            QVERIFY2(near(shot.pixel(right), Qt::blue), qPrintable(QColor(shot.pixel(right)).name()));
        }
        QVERIFY(DecodeCost::photoBudget().peak() <= DecodeCost::kBound);
    }

    // ---- save to disk --------------------------------------------------------

    void saveToDisk_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written"); // empty: nothing may be written
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("jpg: the same bytes") << "copia.jpg"
                                             << "copia.jpg" << QByteArray("jpeg");
        QTest::newRow("bmp writes a bitmap") << "copia.bmp"
                                             << "copia.bmp" << QByteArray("bmp");
        QTest::newRow("no extension gets .jpg") << "copia"
                                                << "copia.jpg" << QByteArray("jpeg");
        QTest::newRow("extension of no image format") << "copia.txt"
                                                      << "" << QByteArray();
        QTest::newRow("folder that cannot be") << "ostacolo/copia.jpg"
                                               << "" << QByteArray();
    }

    void saveToDisk()
    {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QByteArray, format);
        openSheet(0);
        QVERIFY(writeFile(program->file(QStringLiteral("ostacolo")), "a file, not a folder"));
        QVERIFY(QDir().mkpath(program->file(QStringLiteral("Esportate"))));
        const QString source = picture(QStringLiteral("sorgente.jpg"), encoded(halves(QSize(1600, 1200)), "jpg", 80));
        clickChoosingFile(named<TPictureButton>(sheet, "btnCaricaFoto02"), source);
        const TPhoto loaded = named<TImageView>(sheet, "imgFoto02")->photo();

        clickChoosingFile(named<TPictureButton>(sheet, "btnSalvaFoto02"),
                          program->file(QStringLiteral("Esportate/") + typed));

        QVERIFY(named<TImageView>(sheet, "imgFoto02")->photo().sharesWith(loaded));
        const QStringList files = QDir(program->file(QStringLiteral("Esportate"))).entryList(QDir::Files);
        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        if (written.isEmpty()) {
            QVERIFY(files.isEmpty());
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown.first().kind, Dialogs::Kind::Warning);
            QVERIFY(shown.first().text.contains(QStringLiteral("non è stato possibile salvare la foto")));
            QVERIFY(shown.first().text.contains(QStringLiteral("Il file non è stato scritto")));
            return;
        }
        QVERIFY(shown.isEmpty());
        QCOMPARE(files, QStringList{written});
        const QString path = program->file(QStringLiteral("Esportate/") + written);
        QCOMPARE(formatOf(path), format);
        QCOMPARE(sizeOf(path), QSize(1600, 1200));
        if (format == "jpeg")
            QCOMPARE(readFile(path), readFile(source));
    }

    // ---- zoom ----------------------------------------------------------------

    void zoomGeometry_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("drawn");
        QTest::newRow("4000x3000 on 1920x1080") << QSize(1920, 1080) << QSize(4000, 3000) << QRect(270, 0, 1320, 990);
        QTest::newRow("4000x3000 on 1366x768") << QSize(1366, 768) << QSize(4000, 3000) << QRect(201, 0, 904, 678);
        QTest::newRow("placeholder keeps its size")
            << QSize(1920, 1080) << QSize(366, 260) << QRect(747, 365, 366, 260);
    }

    void zoomGeometry()
    {
        QFETCH(QSize, screen);
        QFETCH(QSize, picture);
        QFETCH(QRect, drawn);
        const QSize area = TfrmZoom::areaFor(screen);
        QCOMPARE(area, screen - QSize(60, 90));
        QCOMPARE(displayRect(picture, area), drawn);
    }

    void zoomShowsTheSlotsPhotoAndClosesOnAClick_data()
    {
        QTest::addColumn<QString>("clickOn");
        QTest::newRow("on the photo") << "imgFoto";
        QTest::newRow("on the panel") << "panContainer";
    }

    void zoomShowsTheSlotsPhotoAndClosesOnAClick()
    {
        QFETCH(QString, clickOn);
        openSheet(0);
        clickChoosingFile(named<TPictureButton>(sheet, "btnCaricaFoto02"),
                          picture(QStringLiteral("grande.jpg"), encoded(halves(QSize(4000, 3000)), "jpg", 60)));
        const TPhoto slotPhoto = named<TImageView>(sheet, "imgFoto02")->photo();

        bool closedByClick = false;
        // Discarded once closed.
        QVERIFY(whileModal<TfrmZoom>(sheet, named<TPictureButton>(sheet, "btnZoomFoto02"), [&](TfrmZoom* zoom) {
            QTRY_VERIFY(zoom->isVisible());
            QCOMPARE(QApplication::activeModalWidget(), zoom);
            QCOMPARE(zoom->windowTitle(), QStringLiteral(" Fai clic sulla foto per chiudere questa finestra"));
            QVERIFY(zoom->isMaximized());
            QVERIFY(named<TImageView>(zoom, "imgFoto")->photo().sharesWith(slotPhoto));
            const QSize area = TfrmZoom::areaFor(zoom->screen()->size());
            QCOMPARE(named<QWidget>(zoom, "panContainer")->size(), area);
            QCOMPARE(named<TImageView>(zoom, "imgFoto")->size(), area);
            QCOMPARE(named<TImageView>(zoom, "imgFoto")->drawnRect(), displayRect(QSize(4000, 3000), area));

            QWidget* target = named<QWidget>(zoom, clickOn.toLatin1().constData());
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(2, 2));
            closedByClick = !zoom->isVisible();
        }));
        QVERIFY(closedByClick);
        QVERIFY(named<TImageView>(sheet, "imgFoto02")->photo().sharesWith(slotPhoto));
    }

    void zoomingAPlaceholderShowsItAtItsOwnSize()
    {
        openSheet(0);
        QRect drawn;
        QVERIFY(whileModal<TfrmZoom>(sheet, named<TPictureButton>(sheet, "btnZoomFoto"),
                                     [&](TfrmZoom* zoom) { drawn = named<TImageView>(zoom, "imgFoto")->drawnRect(); }));
        QCOMPARE(drawn.size(), QSize(366, 260));
    }

    // ---- reading the neighbours ahead ----------------------------------------

    // Card n's photos tell their card by their size: A is (200 + n) x 100,
    // B 100 x (200 + n).
    static QSize sizeOfA(int n) { return QSize(200 + n, 100); }
    static QSize sizeOfB(int n) { return QSize(100, 200 + n); }

    void writeCards(int count)
    {
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        for (int n = 1; n <= count; ++n) {
            QVERIFY(writeFile(photoFile(Photo::A, n), encoded(halves(sizeOfA(n)), "jpg")));
            QVERIFY(writeFile(photoFile(Photo::B, n), encoded(halves(sizeOfB(n)), "jpg")));
        }
    }

    bool showsCard(int n) const
    {
        return named<QLabel>(sheet, "lblPosizione")->text() == QString::number(n)
               && named<TImageView>(sheet, "imgFoto")->photo().size() == sizeOfA(n)
               && named<TImageView>(sheet, "imgFoto02")->photo().size() == sizeOfB(n)
               && !named<TImageView>(sheet, "imgFoto")->drawnRect().isEmpty();
    }

    void everyRouteShowsItsOwnCard_data()
    {
        QTest::addColumn<bool>("patient"); // each step waits until the neighbours are read
        QTest::newRow("steps after the reading ahead") << true;
        QTest::newRow("steps faster than the reading ahead") << false;
    }

    void everyRouteShowsItsOwnCard()
    {
        QFETCH(bool, patient);
        openSheet(6);
        writeCards(6);
        auto& counters = TPhotoPreparer::counters();
        const std::pair<std::function<void()>, int> steps[] = {
            {[&] { QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton); }, 1},
            {[&] { QTest::mouseClick(named<TPictureButton>(sheet, "cmdAvanti"), Qt::LeftButton); }, 2},
            {[&] { QTest::mouseClick(named<TPictureButton>(sheet, "cmdAvanti"), Qt::LeftButton); }, 3},
            {[&] { QTest::mouseClick(named<TPictureButton>(sheet, "cmdIndietro"), Qt::LeftButton); }, 2},
            {[&] { QTest::mouseClick(named<TPictureButton>(sheet, "cmdIndietro"), Qt::LeftButton); }, 1},
            {[&] { QTest::mouseClick(named<TPictureButton>(sheet, "cmdUltimo"), Qt::LeftButton); }, 6},
            {[&] { QTest::mouseClick(named<TPictureButton>(sheet, "cmdIndietro"), Qt::LeftButton); }, 5},
            {[&] { QVERIFY(sheet->subRichiamaScheda(3)); }, 3}, // a listing's double-click
            {[&] { QTest::mouseClick(named<TPictureButton>(sheet, "cmdAvanti"), Qt::LeftButton); }, 4},
            {[&] { QTest::mouseClick(named<TPictureButton>(sheet, "cmdAvanti"), Qt::LeftButton); }, 5},
        };
        // Whatever the pace, a slot only ever takes a photo of the card on screen.
        int foreign = 0;
        for (const char* name : {"imgFoto", "imgFoto02"}) {
            auto* image = named<TImageView>(sheet, name);
            const bool b = QByteArray(name).endsWith("02");
            connect(image, &TImageView::photoChanged, this, [&, image, b] {
                const int n = named<QLabel>(sheet, "lblPosizione")->text().toInt();
                if (image->photo().size() != (b ? sizeOfB(n) : sizeOfA(n)))
                    ++foreign;
            });
        }
        int previous = 0;
        for (const auto& [step, card] : steps) {
            if (patient)
                TPhotoPreparer::waitUntilIdle();
            const int prepared = counters.ready + counters.waited;
            const int unprepared = counters.unprepared + counters.stale;
            step();
            QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QString::number(card));
            // Steps faster than the reading go on before the photos arrive.
            if (!patient)
                continue;
            QTRY_VERIFY(photosShown(sheet));
            QVERIFY2(showsCard(card), qPrintable(QStringLiteral("card %1").arg(card)));
            // A step to a neighbour of the card left finds it read already.
            if (previous > 0 && qAbs(card - previous) == 1) {
                QCOMPARE(counters.ready + counters.waited, prepared + 2);
                QCOMPARE(counters.unprepared + counters.stale, unprepared);
            }
            previous = card;
        }
        QTRY_VERIFY(photosShown(sheet));
        QVERIFY(showsCard(steps[std::size(steps) - 1].second));
        for (QObject* image : {named<QObject>(sheet, "imgFoto"), named<QObject>(sheet, "imgFoto02")})
            disconnect(image, nullptr, this, nullptr);
        QCOMPARE(foreign, 0);
        QVERIFY(shownTexts().isEmpty());
    }

    // The picture read ahead stands for its file only while the file is the
    // one that was read.
    // A card's photos not read ahead come after the command: meanwhile the
    // slots keep their pictures dimmed, and what the user does with the card
    // is neither lost to the photos arriving nor written from a slot that
    // has not received its photo.
    void photosOnTheirWayAreNeitherWrittenNorLost()
    {
        openSheet(2);
        writeCards(2);
        // Card 2's files rewritten after it was read ahead: it is not ready.
        const auto rewriteCard2 = [this](int quality) {
            TPhotoPreparer::waitUntilIdle();
            QVERIFY(writeFile(photoFile(Photo::A, 2), encoded(halves(sizeOfA(2)), "jpg", quality)));
            QVERIFY(writeFile(photoFile(Photo::B, 2), encoded(halves(sizeOfB(2)), "jpg", quality)));
        };
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        rewriteCard2(70);
        const QByteArray fileA = readFile(photoFile(Photo::A, 2));

        QTest::mouseClick(named<TPictureButton>(sheet, "cmdAvanti"), Qt::LeftButton);
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("2"));
        QVERIFY(!photosShown(sheet));
        QCOMPARE(named<TImageView>(sheet, "imgFoto")->photo().size(), sizeOfA(1)); // dimmed, no placeholder
        if (!qEnvironmentVariableIsEmpty("MINIARCA_SHOTS"))
            sheet->grab().save(qEnvironmentVariable("MINIARCA_SHOTS") + QStringLiteral("/frmCartoline_loading.png"));
        const QImage picked = halves(QSize(321, 123));
        clickChoosingFile(named<TPictureButton>(sheet, "btnCaricaFoto02"),
                          picture(QStringLiteral("b.jpg"), encoded(picked, "jpg")));
        fillRequiredFields(sheet);
        save();
        QCOMPARE(shownTexts(), QStringList{QStringLiteral(
                                   "Le modifiche apportate alla scheda corrente sono state salvate in archivio.")});
        QCOMPARE(readFile(photoFile(Photo::A, 2)), fileA); // not card 1's picture
        QCOMPARE(sizeOf(photoFile(Photo::B, 2)), picked.size());
        QTRY_VERIFY(photosShown(sheet));
        QCOMPARE(named<TImageView>(sheet, "imgFoto")->photo().size(), sizeOfA(2));
        QCOMPARE(named<TImageView>(sheet, "imgFoto02")->photo().size(), picked.size());

        // The zoom of a photo on its way shows that photo.
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdIndietro"), Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        rewriteCard2(60);
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdAvanti"), Qt::LeftButton);
        QVERIFY(!photosShown(sheet));
        QSize zoomed;
        QVERIFY(whileModal<TfrmZoom>(sheet, named<TPictureButton>(sheet, "btnZoomFoto"), [&](TfrmZoom* zoom) {
            zoomed = named<TImageView>(zoom, "imgFoto")->photo().size();
            zoom->close();
        }));
        QCOMPARE(zoomed, sizeOfA(2));
        QVERIFY(photosShown(sheet));
    }

    void aPhotoFileReplacedAfterItWasReadAheadShowsTheNewPicture_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("other bytes, other length") << "longer";
        QTest::newRow("other bytes, same length, newer time") << "newer";
        // As `cp -p` leaves it: the same file written again, its time put back.
        QTest::newRow("other bytes, same length, same time, written over") << "written over";
        // As `rsync -t` or an unzip leave it: another file put in its place.
        QTest::newRow("other bytes, same length, same time, put in its place") << "put in place";
    }

    void aPhotoFileReplacedAfterItWasReadAheadShowsTheNewPicture()
    {
        QFETCH(QString, how);
        const bool sameLength = how != QLatin1String("longer");
        openSheet(2);
        writeCards(2);
        // A bitmap of the same size has the same length, whatever it shows.
        QImage before(sizeOfA(2), QImage::Format_RGB32);
        before.fill(Qt::red);
        QImage after = before;
        after.fill(Qt::blue);
        if (sameLength)
            QVERIFY(writeFile(photoFile(Photo::A, 2), encoded(before, "bmp")));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        TPhotoPreparer::waitUntilIdle();

        const QString path = photoFile(Photo::A, 2);
        const QByteArray native = QFile::encodeName(path);
        struct stat was {};
        QCOMPARE(::stat(native.constData(), &was), 0);
        if (how == QLatin1String("newer")) {
            const QDateTime time = QFileInfo(path).lastModified();
            QVERIFY(writeFile(path, encoded(after, "bmp")));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(time.addSecs(2), QFileDevice::FileModificationTime));
        } else if (how == QLatin1String("longer")) {
            after = halves(QSize(320, 111));
            QVERIFY(writeFile(path, encoded(after, "jpg")));
        } else {
            const QString written = how == QLatin1String("put in place") ? path + QStringLiteral(".new") : path;
            const timespec times[2] = {was.st_atim, was.st_mtim};
            struct stat now {};
            // Until the system's clock has moved on from the first writing,
            // which it does within a few milliseconds.
            do {
                QVERIFY(writeFile(written, encoded(after, "bmp")));
                QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(written).constData(), times, 0), 0);
                QCOMPARE(::stat(QFile::encodeName(written).constData(), &now), 0);
            } while (now.st_ctim.tv_sec == was.st_ctim.tv_sec && now.st_ctim.tv_nsec == was.st_ctim.tv_nsec);
            if (written != path)
                QCOMPARE(::rename(QFile::encodeName(written).constData(), native.constData()), 0);
            QCOMPARE(::stat(native.constData(), &now), 0);
            QCOMPARE(now.st_size, was.st_size);
            QCOMPARE(now.st_mtim.tv_sec, was.st_mtim.tv_sec);
            QCOMPARE(now.st_mtim.tv_nsec, was.st_mtim.tv_nsec);
        }
        const int stale = TPhotoPreparer::counters().stale;
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdAvanti"), Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        QCOMPARE(TPhotoPreparer::counters().stale, stale + 1);
        auto* image = named<TImageView>(sheet, "imgFoto");
        QCOMPARE(image->photo().size(), after.size());
        QVERIFY(difference(image->photo().image(), after) < 5);
        if (sameLength) { // and drawn so: blue, not the red read ahead
            const QRgb drawn = frameOf(image).pixel(image->drawnRect().center() + QPoint(4, 4));
            QVERIFY2(near(drawn, Qt::blue), qPrintable(QColor(drawn).name()));
        }
        QCOMPARE(named<TImageView>(sheet, "imgFoto02")->photo().size(), sizeOfB(2));
    }

    // Read ahead, then made unreadable: the placeholders, as without reading
    // ahead, and a save leaves both files as they are.
    void aPhotoFileBrokenAfterItWasReadAheadShowsThePlaceholders()
    {
        openSheet(2);
        writeCards(2);
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        TPhotoPreparer::waitUntilIdle();
        const QByteArray broken = "Elenco dei modellini";
        QVERIFY(writeFile(photoFile(Photo::A, 2), broken));
        const QByteArray intactB = readFile(photoFile(Photo::B, 2));

        QTest::mouseClick(named<TPictureButton>(sheet, "cmdAvanti"), Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("2"));
        QVERIFY(showsPlaceholders());
        fillRequiredFields(sheet);
        save();
        QCOMPARE(shownTexts(), QStringList{QStringLiteral(
                                   "Le modifiche apportate alla scheda corrente sono state salvate in archivio.")});
        QCOMPARE(readFile(photoFile(Photo::B, 2)), intactB);
        QCOMPARE(readFile(photoFile(Photo::A, 2)), broken);
    }

    void aSavedNewPhotoShowsWhenTheCardComesBack_data()
    {
        QTest::addColumn<bool>("fromAhead"); // back to it from the card after it, or from the one before
        QTest::newRow("back from the card after") << true;
        QTest::newRow("forward from the card before") << false;
    }

    void aSavedNewPhotoShowsWhenTheCardComesBack()
    {
        QFETCH(bool, fromAhead);
        openSheet(3);
        writeCards(3);
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdAvanti"), Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        TPhotoPreparer::waitUntilIdle(); // cards 1 and 3 are read ahead, 2 is kept
        const QImage loaded = halves(QSize(333, 111));
        clickChoosingFile(named<TPictureButton>(sheet, "btnCaricaFoto"),
                          picture(QStringLiteral("nuova.jpg"), encoded(loaded, "jpg")));
        fillRequiredFields(sheet);
        save();
        shownTexts();
        TPhotoPreparer::waitUntilIdle();
        QTest::mouseClick(fromAhead ? named<TPictureButton>(sheet, "cmdAvanti")
                                    : named<TPictureButton>(sheet, "cmdIndietro"),
                          Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        TPhotoPreparer::waitUntilIdle();
        QTest::mouseClick(fromAhead ? named<TPictureButton>(sheet, "cmdIndietro")
                                    : named<TPictureButton>(sheet, "cmdAvanti"),
                          Qt::LeftButton);
        QTRY_VERIFY(photosShown(sheet));
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("2"));
        QCOMPARE(named<TImageView>(sheet, "imgFoto")->photo().size(), loaded.size());
        QCOMPARE(named<TImageView>(sheet, "imgFoto02")->photo().size(), sizeOfB(2));
    }

    // Leaving the sheet, and ending the program, while big photos are still
    // being read ahead: nothing is written, nothing breaks.
    void closingWhileReadingAheadWritesNothing()
    {
        openSheet(3);
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        for (int n = 1; n <= 3; ++n) {
            QVERIFY(writeFile(photoFile(Photo::A, n), encoded(halves(QSize(3000, 2000)), "jpg")));
            QVERIFY(writeFile(photoFile(Photo::B, n), encoded(halves(QSize(2000, 3000)), "jpg")));
        }
        QMap<QString, QByteArray> before;
        const QDir folder(CompanionFiles::photoFolder());
        for (const QString& name : folder.entryList(QDir::Files))
            before.insert(name, readFile(folder.filePath(name)));
        const QByteArray archive = readFile(archivePath);

        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdAvanti"), Qt::LeftButton); // 1 and 3 on their way
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdEsci"), Qt::LeftButton);
        QVERIFY(!sheet->isVisible());
        TPhotoPreparer::waitUntilIdle();

        QMap<QString, QByteArray> after;
        for (const QString& name : folder.entryList(QDir::Files))
            after.insert(name, readFile(folder.filePath(name)));
        QCOMPARE(after, before);
        QCOMPARE(readFile(archivePath), archive);
        // The windows go (in cleanup()) while these readings are under way.
        QVERIFY(sheet->subRichiamaScheda(2));
        QTRY_VERIFY(photosShown(sheet));
    }

    // One file prepared and asked for at once is decoded once.
    void aReadingUnderWayIsWaitedForNotRepeated()
    {
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        const QString path = picture(QStringLiteral("grande.jpg"), encoded(halves(QSize(1600, 1200)), "jpg"));
        TPhotoPreparer preparer(2);
        const int decodes = TPhoto::counters().decodes;
        preparer.prepare(path, QSize(366, 260));
        const TShownPhoto shown = preparer.read(path, QSize(366, 260));
        QCOMPARE(shown.photo.size(), QSize(1600, 1200));
        QCOMPARE(shown.shown.size(), displayDecodeSize(QSize(1600, 1200), QSize(366, 260)));
        TPhotoPreparer::waitUntilIdle();
        QCOMPARE(TPhoto::counters().decodes.load(), decodes + 1);
        // Kept: asked again, it is not decoded again.
        preparer.read(path, QSize(366, 260));
        QCOMPARE(TPhoto::counters().decodes.load(), decodes + 1);
    }
};

QTEST_MAIN(TestPhotos)
#include "test_photos.moc"
