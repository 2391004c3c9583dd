// The photo slots of the record sheet over real files: loading, clearing,
// saving to disk, the record's photo files on save and on show, the zoom
// window.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "PhotoFixtures.h"
#include "TestSupport.h"
#include "core/photos/Photo.h"
#include "gui/sheet/FrameSource.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/sheet/frmWebCam.h"
#include "gui/sheet/frmZoom.h"
#include "gui/shell/WindowSet.h"
#include "gui/shell/frmAvvio.h"
#include "core/archive/Archivio.h"
#include "core/archive/CompanionFiles.h"
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

    void save()
    {
        QTest::mouseClick(sheet->cmdSalva, Qt::LeftButton);
    }

    QString photoFile(Photo which, int record) const
    {
        return cardPhotoPath(which, kArchive, record);
    }

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
        return sheet->imgFoto->photo().sharesWith(sheet->imgBianco->photo())
               && sheet->imgFoto02->photo().sharesWith(sheet->imgBianco02->photo());
    }

    // The slot as the user sees it: its white frame with the image drawn in.
    QImage frameOf(TImageView* slot)
    {
        QFrame* frame = slot == sheet->imgFoto ? sheet->shpFoto : sheet->shpFoto02;
        QImage shot(frame->size(), QImage::Format_RGB32);
        shot.fill(Qt::white);
        frame->render(&shot);
        slot->render(&shot, slot->geometry().topLeft() - frame->geometry().topLeft(), QRegion(),
                     QWidget::DrawChildren);
        return shot;
    }

private slots:
    void init()
    {
        startSheetProgram();
    }

    void cleanup()
    {
        endSheetProgram();
    }

    // ---- the slots -----------------------------------------------------------

    void slotLayout()
    {
        openSheet(0);
        const std::tuple<const char*, QRect, bool> widgets[] = {
            {"imgFoto", QRect(74, 90, 366, 260), true},      {"imgFoto02", QRect(74, 364, 366, 260), true},
            {"imgBianco", QRect(74, 90, 366, 260), false},   {"imgBianco02", QRect(74, 364, 366, 260), false},
            {"shpFoto", QRect(70, 86, 374, 268), true},      {"shpFoto02", QRect(70, 360, 374, 268), true},
            {"ico01", QRect(22, 86, 42, 28), true},          {"ico02", QRect(22, 360, 42, 28), true},
        };
        for (const auto& [name, geometry, visible] : widgets) {
            QWidget* w = named<QWidget>(sheet, name);
            QCOMPARE(w->geometry(), geometry);
            QCOMPARE(w->isVisible(), visible);
        }
        QCOMPARE(sheet->imgBianco->photo().size(), QSize(366, 260));
        QCOMPARE(sheet->imgBianco02->photo().size(), QSize(366, 260));
        // The two placeholders are two different pictures, and look like one.
        QVERIFY(difference(sheet->imgBianco->photo().image(), sheet->imgBianco02->photo().image()) > 5);
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
        QCOMPARE(button->geometry(), QRect(22, y, 42, 40));
        QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);

        auto move = [](QWidget* w) {
            QMouseEvent event(QEvent::MouseMove, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                              Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(w, &event);
        };
        move(button);
        QCOMPARE(sheet->panInfo->text(), hint);
        // Over the slot's image the line empties, as over the background.
        move(name.endsWith(QLatin1String("02")) ? sheet->imgFoto02 : sheet->imgFoto);
        QVERIFY(sheet->panInfo->text().isEmpty());
    }

    void dialogsAndCancelling()
    {
        openSheet(0);
        const QString wide = picture(QStringLiteral("larga.jpg"), encoded(halves(QSize(800, 600)), "jpg"));
        clickChoosingFile(sheet->btnCaricaFoto, wide);
        const TPhoto before = sheet->imgFoto->photo();
        Dialogs::takeFileRequests();

        // No name given: the dialogs are cancelled.
        QTest::mouseClick(sheet->btnCaricaFoto, Qt::LeftButton);
        sheet->dlgSalvaFile.initialName = QStringLiteral("Altro.jpg");
        QTest::mouseClick(sheet->btnSalvaFoto02, Qt::LeftButton);

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

        QVERIFY(sheet->imgFoto->photo().sharesWith(before));
        QVERIFY(sheet->imgFoto02->photo().sharesWith(sheet->imgBianco02->photo()));
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    // ---- drawing and storing -------------------------------------------------

    void bigPhotoIsDrawnReducedAndStoredWhole()
    {
        openSheet(0);
        const QString source = picture(QStringLiteral("reflex.jpg"), encoded(halves(QSize(4000, 3000)), "jpg", 85));
        clickChoosingFile(sheet->btnCaricaFoto, source);
        QCOMPARE(sheet->imgFoto->photo().size(), QSize(4000, 3000));
        QCOMPARE(sheet->imgFoto->drawnRect(), QRect(9, 0, 347, 260));

        // Drawn exactly there: white frame to the left and right, photo inside.
        const QImage shot = frameOf(sheet->imgFoto);
        const int y = 4 + 130;
        QVERIFY(near(shot.pixel(4 + 8, y), Qt::white, 2));
        QVERIFY(near(shot.pixel(4 + 9, y), Qt::red));
        QVERIFY(near(shot.pixel(4 + 355, y), Qt::blue));
        QVERIFY(near(shot.pixel(4 + 356, y), Qt::white, 2));

        fillRequiredFields(sheet);
        const int decodes = TPhoto::counters().decodes;
        save();
        QCOMPARE(TPhoto::counters().decodes, decodes);
        QCOMPARE(sheet->lblPosizione->text(), QStringLiteral("1"));
        QCOMPARE(sizeOf(photoFile(Photo::A, 1)), QSize(4000, 3000));
        QCOMPARE(readFile(photoFile(Photo::A, 1)), readFile(source));
        QCOMPARE(shownTexts(), QStringList{QStringLiteral("La scheda corrente è stata inserita in archivio.")});
    }

    void smallBitmapIsDrawnAtItsOwnSizeAndStoredAsJpeg()
    {
        openSheet(0);
        clickChoosingFile(sheet->btnCaricaFoto02, picture(QStringLiteral("piccola.bmp"), encoded(halves(QSize(200, 100)), "bmp")));
        QCOMPARE(sheet->imgFoto02->drawnRect(), QRect(83, 80, 200, 100));
        const QImage shot = frameOf(sheet->imgFoto02);
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
        QTest::mouseClick(sheet->cmdPrimo, Qt::LeftButton);
        QVERIFY(sheet->imgFoto->photo().isJpeg());

        fillRequiredFields(sheet);
        sheet->txtNote->setText(QStringLiteral("corretto un refuso"));
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
        clickChoosingFile(sheet->btnCaricaFoto, picture(QStringLiteral("telefono.jpg"), turnedJpeg(halves(QSize(400, 200)), 6)));
        QCOMPARE(sheet->imgFoto->photo().size(), QSize(200, 400));
        QCOMPARE(sheet->imgFoto->drawnRect(), QRect(118, 0, 130, 260));
        const QImage shot = frameOf(sheet->imgFoto);
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
        clickChoosingFile(sheet->btnCaricaFoto, picture(QStringLiteral("a.jpg"), encoded(halves(QSize(64, 64)), "jpg")));
        clickChoosingFile(sheet->btnCaricaFoto02, picture(QStringLiteral("b.jpg"), encoded(halves(QSize(64, 64)), "jpg")));

        QTest::mouseClick(sheet->cmdPrimo, Qt::LeftButton);
        QCOMPARE(sheet->lblPosizione->text(), QStringLiteral("1"));
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

        QTest::mouseClick(sheet->cmdNuovo, Qt::LeftButton);
        QTest::mouseClick(sheet->cmdPrimo, Qt::LeftButton);
        // Read from the files, and not to be told apart from the placeholders.
        QVERIFY(!showsPlaceholders());
        QVERIFY(difference(sheet->imgFoto->photo().image(), sheet->imgBianco->photo().image()) < 2.0);
        QVERIFY(difference(sheet->imgFoto02->photo().image(), sheet->imgBianco02->photo().image()) < 2.0);
        QVERIFY(difference(sheet->imgFoto->photo().image(), sheet->imgBianco02->photo().image()) > 5.0);
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
        QTest::mouseClick(sheet->cmdPrimo, Qt::LeftButton);
        QCOMPARE(sheet->imgFoto->photo().size(), QSize(320, 240));

        QTest::mouseClick(sheet->btnCancFoto, Qt::LeftButton);
        QVERIFY(sheet->imgFoto->photo().sharesWith(sheet->imgBianco->photo()));
        QCOMPARE(sheet->imgFoto02->photo().size(), QSize(240, 320));
        QTest::mouseClick(sheet->cmdAvanti, Qt::LeftButton);
        QCOMPARE(sheet->imgFoto->photo().size(), QSize(640, 240));
        QCOMPARE(readFile(photoFile(Photo::A, 1)), a1);

        QTest::mouseClick(sheet->cmdIndietro, Qt::LeftButton);
        QCOMPARE(sheet->imgFoto->photo().size(), QSize(320, 240));
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
        QTest::newRow("B emptied, a field fixed") << "intact" << "empty" << "" << "kept" << "kept";
        QTest::newRow("A emptied, a field fixed") << "empty" << "intact" << "" << "kept" << "kept";
        QTest::newRow("A missing: its placeholder is written") << "missing" << "intact" << "" << "placeholder"
                                                                << "kept";
        QTest::newRow("B emptied, a new photo loaded into B") << "intact" << "empty" << "load B" << "kept"
                                                               << "loaded";
        QTest::newRow("B emptied, A erased") << "intact" << "empty" << "erase A" << "placeholder" << "kept";
        QTest::newRow("B emptied, a capture imported into A") << "intact" << "empty" << "capture A" << "captured"
                                                               << "kept";
        QTest::newRow("B emptied, a file that is no picture loaded into A")
            << "intact" << "empty" << "bad load A" << "kept" << "kept";
        QTest::newRow("both intact, a file that is no picture loaded into A")
            << "intact" << "intact" << "bad load A" << "kept" << "kept";
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
        QTest::mouseClick(sheet->cmdPrimo, Qt::LeftButton);
        if (fileA == QLatin1String("intact") && fileB == QLatin1String("intact"))
            QVERIFY(!showsPlaceholders());
        else
            QVERIFY(showsPlaceholders()); // the display rule stays as it was

        const QString loaded = picture(QStringLiteral("nuova.jpg"), encoded(halves(QSize(300, 200)), "jpg", 85));
        const QImage captured = halves(QSize(320, 240));
        if (action == QLatin1String("load B")) {
            clickChoosingFile(sheet->btnCaricaFoto02, loaded);
        } else if (action == QLatin1String("bad load A")) {
            clickChoosingFile(sheet->btnCaricaFoto, picture(QStringLiteral("elenco.jpg"), "Elenco dei modellini"));
        } else if (action == QLatin1String("erase A")) {
            QTest::mouseClick(sheet->btnCancFoto, Qt::LeftButton);
        } else if (action == QLatin1String("capture A")) {
            TfrmWebCam webcam(sheet, std::make_unique<TNoCamera>());
            webcam.lblMemory->setText(QStringLiteral("foto01"));
            webcam.imgTarget->setPhoto(TPhoto::fromImage(captured));
            QTest::mouseClick(webcam.btnImportaFoto, Qt::LeftButton);
        }
        fillRequiredFields(sheet);
        sheet->txtNote->setText(QStringLiteral("corretto un refuso"));
        save();
        QCOMPARE(shownTexts(), QStringList{QStringLiteral(
                                   "Le modifiche apportate alla scheda corrente sono state salvate in archivio.")});
        QCOMPARE(recordAt(archivePath, 1).LeggiCampo(Campo::Note), QStringLiteral("corretto un refuso"));

        // A second save, as after fixing another typo, changes nothing more.
        save();
        shownTexts();

        const QString expect[2] = {expectA, expectB};
        const TImageView* placeholder[2] = {sheet->imgBianco, sheet->imgBianco02};
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
        QTest::mouseClick(sheet->cmdPrimo, Qt::LeftButton);
        QVERIFY(showsPlaceholders());

        QTest::mouseClick(sheet->cmdNuovo, Qt::LeftButton);
        fillRequiredFields(sheet);
        save();
        QCOMPARE(sheet->lblPosizione->text(), QStringLiteral("2"));
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
        clickChoosingFile(sheet->btnCaricaFoto, picture(QStringLiteral("nave.jpg"), encoded(halves(QSize(640, 480)), "jpg")));
        const TPhoto loaded = sheet->imgFoto->photo();
        fillRequiredFields(sheet);
        save();

        QCOMPARE(recordsIn(archivePath), 1);
        QCOMPARE(sheet->lblPosizione->text(), QStringLiteral("1"));
        QVERIFY(sheet->imgFoto->photo().sharesWith(loaded));
        QVERIFY(sheet->imgFoto02->photo().sharesWith(sheet->imgBianco02->photo()));
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
        clickChoosingFile(sheet->btnCaricaFoto02, picture(QStringLiteral("buona.jpg"), encoded(halves(QSize(64, 48)), "jpg")));
        const TPhoto kept = sheet->imgFoto02->photo();
        clickChoosingFile(sheet->btnCaricaFoto, picture(QStringLiteral("elenco.jpg"), "Elenco dei modellini"));
        QVERIFY(sheet->imgFoto->photo().sharesWith(sheet->imgBianco->photo()));
        QVERIFY(sheet->imgFoto02->photo().sharesWith(kept));
        clickChoosingFile(sheet->btnCaricaFoto, program->file(QStringLiteral("sparita.jpg")));
        QVERIFY(sheet->imgFoto->photo().sharesWith(sheet->imgBianco->photo()));
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    // ---- save to disk --------------------------------------------------------

    void saveToDisk_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");  // empty: nothing may be written
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("jpg: the same bytes") << "copia.jpg" << "copia.jpg" << QByteArray("jpeg");
        QTest::newRow("bmp writes a bitmap") << "copia.bmp" << "copia.bmp" << QByteArray("bmp");
        QTest::newRow("no extension gets .jpg") << "copia" << "copia.jpg" << QByteArray("jpeg");
        QTest::newRow("extension of no image format") << "copia.txt" << "" << QByteArray();
        QTest::newRow("folder that cannot be") << "ostacolo/copia.jpg" << "" << QByteArray();
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
        clickChoosingFile(sheet->btnCaricaFoto02, source);
        const TPhoto loaded = sheet->imgFoto02->photo();

        clickChoosingFile(sheet->btnSalvaFoto02, program->file(QStringLiteral("Esportate/") + typed));

        QVERIFY(sheet->imgFoto02->photo().sharesWith(loaded));
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
        QTest::newRow("placeholder keeps its size") << QSize(1920, 1080) << QSize(366, 260) << QRect(747, 365, 366, 260);
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
        clickChoosingFile(sheet->btnCaricaFoto02, picture(QStringLiteral("grande.jpg"), encoded(halves(QSize(4000, 3000)), "jpg", 60)));
        const TPhoto slotPhoto = sheet->imgFoto02->photo();

        bool closedByClick = false;
        // Discarded once closed.
        QVERIFY(whileModal<TfrmZoom>(sheet, sheet->btnZoomFoto02, [&](TfrmZoom* zoom) {
            QTRY_VERIFY(zoom->isVisible());
            QCOMPARE(QApplication::activeModalWidget(), zoom);
            QCOMPARE(zoom->windowTitle(), QStringLiteral(" Fai clic sulla foto per chiudere questa finestra"));
            QVERIFY(zoom->isMaximized());
            QVERIFY(zoom->imgFoto->photo().sharesWith(slotPhoto));
            const QSize area = TfrmZoom::areaFor(zoom->screen()->size());
            QCOMPARE(zoom->panContainer->size(), area);
            QCOMPARE(zoom->imgFoto->size(), area);
            QCOMPARE(zoom->imgFoto->drawnRect(), displayRect(QSize(4000, 3000), area));

            QWidget* target = named<QWidget>(zoom, clickOn.toLatin1().constData());
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(2, 2));
            closedByClick = !zoom->isVisible();
        }));
        QVERIFY(closedByClick);
        QVERIFY(sheet->imgFoto02->photo().sharesWith(slotPhoto));
    }

    void zoomingAPlaceholderShowsItAtItsOwnSize()
    {
        openSheet(0);
        QRect drawn;
        QVERIFY(whileModal<TfrmZoom>(sheet, sheet->btnZoomFoto,
                                     [&](TfrmZoom* zoom) { drawn = zoom->imgFoto->drawnRect(); }));
        QCOMPARE(drawn.size(), QSize(366, 260));
    }
};

QTEST_MAIN(TestPhotos)
#include "test_photos.moc"
