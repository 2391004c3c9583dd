// The webcam window with a stand-in camera: switching on and off, frames
// arriving from a capture thread, capture, save to disk, import into the
// record sheet's slots; and the system camera where there is none.
#include <QApplication>
#include <QCameraDevice>
#include <QFrame>
#include <QLabel>
#include <QMediaDevices>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "PhotoFixtures.h"
#include "TestSupport.h"
#include "core/archive/CompanionFiles.h"
#include "core/photos/Photo.h"
#include "gui/app/WindowSet.h"
#include "gui/sheet/CameraFrameSource.h"
#include "gui/sheet/FrameSource.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/sheet/frmWebCam.h"
#include "gui/widgets/ImageView.h"
#include "gui/widgets/PictureButton.h"

using namespace PhotoFixtures;

namespace {

// How often a camera was switched on and off; kept by the test, since the
// window destroys its camera when it closes.
struct TSwitches {
    int switchedOn = 0;
    int switchedOff = 0;
};

// A camera that is there or not; frames come only through its inlet, as from
// a real capture thread.
class TFakeCamera : public TFrameSource {
public:
    TFakeCamera(bool present, std::shared_ptr<TSwitches> log) : m_present(present), m_log(std::move(log)) {}

protected:
    bool switchOn() override
    {
        if (m_present)
            ++m_log->switchedOn;
        return m_present;
    }
    void switchOff() override { ++m_log->switchedOff; }

private:
    bool m_present;
    std::shared_ptr<TSwitches> m_log;
};

QImage uniform(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The colour of frame i of a numbered run: every frame differs from the next.
QColor colourOf(int i)
{
    return QColor::fromRgb((i * 7) % 256, (i * 13 + 50) % 256, (i / 2) % 256);
}

// True when every pixel of `image` has one colour; `colour` gets it.
bool isUniform(const QImage& image, QRgb* colour)
{
    const QImage plain = image.convertToFormat(QImage::Format_RGB32);
    const QRgb first = plain.pixel(0, 0);
    for (int y = 0; y < plain.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(plain.constScanLine(y));
        for (int x = 0; x < plain.width(); ++x) {
            if (line[x] != first)
                return false;
        }
    }
    *colour = first;
    return true;
}

// Delivers on a thread of its own, as a camera does.
void deliverFromAnotherThread(const TFrameSource::Inlet& inlet, const QImage& frame)
{
    std::thread([inlet, frame] { inlet.deliver(frame); }).join();
}

} // namespace

class TestWebCam : public QObject, public SheetProgramTest {
    Q_OBJECT

    std::shared_ptr<TSwitches> camera; // of the camera the last window was given
    bool cameraPresent = true;

    void openSheet()
    {
        const QString path = program->file(QStringLiteral("Navi.dbm"));
        writeArchive(path, 0);
        QVERIFY(openRecordSheet(*windows, path, QStringLiteral("Navi")));
    }

    // Clicks a slot's webcam button and runs `work` inside the modal window;
    // the window is closed afterwards if `work` left it open.
    void withWebCamOf(TPictureButton* button, const std::function<void(TfrmWebCam*)>& work)
    {
        QVERIFY(whileModal<TfrmWebCam>(sheet, button, work)); // ran, and discarded once closed
    }

    // Feeds one frame from a capture thread and waits until the window shows it.
    static bool showFrame(TfrmWebCam* webcam, const QImage& frame)
    {
        deliverFromAnotherThread(webcam->camCamera->inlet(), frame);
        return QTest::qWaitFor([&] { return named<TImageView>(webcam, "imgCamera")->photo().image() == frame; });
    }

    static void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

private slots:
    void init()
    {
        cameraPresent = true;
        FrameSources::setFactory([this] {
            camera = std::make_shared<TSwitches>();
            return std::make_unique<TFakeCamera>(cameraPresent, camera);
        });
        startSheetProgram();
    }

    void cleanup()
    {
        endSheetProgram();
        FrameSources::setFactory({});
    }

    // ---- the window ---------------------------------------------------------

    void layout()
    {
        TfrmWebCam webcam(sheet, CompanionFiles::Photo::A);
        QCOMPARE(webcam.windowTitle(), QStringLiteral(" Cattura foto con webcam"));
        QCOMPARE(webcam.size(), QSize(807, 405));
        QVERIFY(!(webcam.windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint)));
        const std::tuple<const char*, QRect, QString> controls[] = {
            {"panCamera", QRect(16, 16, 382, 290), {}},
            {"imgCamera", QRect(8, 8, 366, 274), {}},
            {"panTarget", QRect(408, 16, 382, 290), {}},
            {"imgTarget", QRect(8, 8, 366, 274), {}},
            {"btnAccendi", QRect(16, 312, 382, 34), QStringLiteral("Accendi webcam")},
            {"btnSpegni", QRect(16, 352, 382, 34), QStringLiteral("Spegni webcam")},
            {"btnCattura", QRect(408, 312, 188, 34), QStringLiteral("Cattura foto")},
            {"btnSalvaFotogramma", QRect(603, 312, 188, 34), QStringLiteral("Salva foto su disco")},
            {"btnImportaFoto", QRect(408, 352, 188, 34), QStringLiteral("Importa foto in scheda")},
            {"btnClose", QRect(603, 352, 188, 34), QStringLiteral("Annulla")},
        };
        for (const auto& [name, geometry, caption] : controls) {
            QWidget* w = named<QWidget>(&webcam, name);
            QCOMPARE(w->geometry(), geometry);
            if (auto* button = qobject_cast<QPushButton*>(w))
                QCOMPARE(button->text(), caption);
        }
        QCOMPARE(named<TImageView>(&webcam, "imgCamera")->parentWidget(), named<QFrame>(&webcam, "panCamera"));
        QCOMPARE(named<TImageView>(&webcam, "imgTarget")->parentWidget(), named<QFrame>(&webcam, "panTarget"));
        QCOMPARE(named<QLabel>(&webcam, "lblMemory")->parentWidget(), named<QFrame>(&webcam, "panCamera"));
        QVERIFY(named<QLabel>(&webcam, "lblMemory")->isHidden());
        QVERIFY(named<TImageView>(&webcam, "imgBianco")->isHidden());
        QCOMPARE(named<TImageView>(&webcam, "imgBianco")->size(), QSize(366, 274));

        // The webcam drawing until the first frame, a different one until the
        // first capture; the camera is off.
        QCOMPARE(named<TImageView>(&webcam, "imgBianco")->photo().size(), QSize(366, 274));
        QVERIFY(named<TImageView>(&webcam, "imgCamera")
                    ->photo()
                    .sharesWith(named<TImageView>(&webcam, "imgBianco")->photo()));
        QCOMPARE(named<TImageView>(&webcam, "imgTarget")->photo().size(), QSize(366, 274));
        QVERIFY(named<TImageView>(&webcam, "imgTarget")->photo().image()
                != named<TImageView>(&webcam, "imgBianco")->photo().image());
        QVERIFY(!webcam.camCamera->isActive());
        QCOMPARE(camera->switchedOn, 0);

        QWidget* expected[] = {
            named<QPushButton>(&webcam, "btnAccendi"),         named<QPushButton>(&webcam, "btnCattura"),
            named<QPushButton>(&webcam, "btnSalvaFotogramma"), named<QPushButton>(&webcam, "btnSpegni"),
            named<QPushButton>(&webcam, "btnImportaFoto"),     named<QPushButton>(&webcam, "btnClose")};
        for (int i = 0; i + 1 < 6; ++i)
            QCOMPARE(expected[i]->nextInFocusChain(), expected[i + 1]);
        QCOMPARE(webcam.focusWidget(), named<QPushButton>(&webcam, "btnAccendi"));
    }

    void onAndOff()
    {
        TfrmWebCam webcam(sheet, CompanionFiles::Photo::A);
        std::shared_ptr<TSwitches> fake = camera;
        click(named<QPushButton>(&webcam, "btnSpegni")); // already off
        QCOMPARE(fake->switchedOff, 0);
        click(named<QPushButton>(&webcam, "btnAccendi"));
        click(named<QPushButton>(&webcam, "btnAccendi")); // already on
        QVERIFY(webcam.camCamera->isActive());
        QCOMPARE(fake->switchedOn, 1);
        click(named<QPushButton>(&webcam, "btnSpegni"));
        click(named<QPushButton>(&webcam, "btnSpegni"));
        QVERIFY(!webcam.camCamera->isActive());
        QCOMPARE(fake->switchedOff, 1);
        click(named<QPushButton>(&webcam, "btnAccendi"));
        QCOMPARE(fake->switchedOn, 2);
    }

    void withoutACameraNothingHappens()
    {
        cameraPresent = false;
        TfrmWebCam webcam(sheet, CompanionFiles::Photo::A);
        click(named<QPushButton>(&webcam, "btnAccendi"));
        QVERIFY(!webcam.camCamera->isActive());
        // Nothing reaches the live image either.
        deliverFromAnotherThread(webcam.camCamera->inlet(), uniform(QSize(64, 48), Qt::green));
        QCoreApplication::processEvents();
        QVERIFY(named<TImageView>(&webcam, "imgCamera")
                    ->photo()
                    .sharesWith(named<TImageView>(&webcam, "imgBianco")->photo()));

        click(named<QPushButton>(&webcam, "btnCattura"));
        QVERIFY(named<TImageView>(&webcam, "imgTarget")
                    ->photo()
                    .sharesWith(named<TImageView>(&webcam, "imgBianco")->photo()));
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    void switchingOffKeepsTheLastFrameAndDropsLateOnes()
    {
        TfrmWebCam webcam(sheet, CompanionFiles::Photo::A);
        click(named<QPushButton>(&webcam, "btnAccendi"));
        const QImage first = uniform(QSize(640, 480), Qt::red);
        QVERIFY(showFrame(&webcam, first));
        QCOMPARE(named<TImageView>(&webcam, "imgCamera")->photo().size(), QSize(640, 480));

        // A frame still on its way when the camera goes off.
        webcam.camCamera->inlet().deliver(uniform(QSize(640, 480), Qt::blue));
        click(named<QPushButton>(&webcam, "btnSpegni"));
        deliverFromAnotherThread(webcam.camCamera->inlet(), uniform(QSize(640, 480), Qt::yellow));
        QCoreApplication::processEvents();
        QCOMPARE(named<TImageView>(&webcam, "imgCamera")->photo().image(), first);

        click(named<QPushButton>(&webcam, "btnAccendi"));
        QVERIFY(showFrame(&webcam, uniform(QSize(320, 240), Qt::green)));
    }

    // Frames come fast from a capture thread that reuses its buffer, while
    // the user captures: every capture is one whole frame at its full size,
    // and the newest frame is the one left on screen.
    void framesFromAnotherThreadArriveWhole()
    {
        TfrmWebCam webcam(sheet, CompanionFiles::Photo::A);
        click(named<QPushButton>(&webcam, "btnAccendi"));
        const QSize size(640, 480);
        constexpr int kFrames = 400;
        std::atomic<bool> done{false};
        std::thread capture([inlet = webcam.camCamera->inlet(), size, &done] {
            // Two buffers, refilled in turn: one as cameras give frames (with
            // an alpha channel), one as plain pixels.
            QImage buffers[] = {QImage(size, QImage::Format_ARGB32), QImage(size, QImage::Format_RGB32)};
            for (int i = 0; i < kFrames; ++i) {
                QImage& buffer = buffers[i % 2];
                buffer.fill(colourOf(i));
                inlet.deliver(buffer);
            }
            done = true;
        });

        QThread* uiThread = QThread::currentThread();
        bool allOnUiThread = true;
        connect(webcam.camCamera, &TFrameSource::frameArrived, this,
                [&] { allOnUiThread &= QThread::currentThread() == uiThread; });

        int torn = 0;
        while (!done) {
            QCoreApplication::processEvents();
            click(named<QPushButton>(&webcam, "btnCattura"));
            const TPhoto captured = named<TImageView>(&webcam, "imgTarget")->photo();
            if (captured.sharesWith(named<TImageView>(&webcam, "imgBianco")->photo()))
                continue; // no frame yet
            QRgb colour;
            if (captured.size() != size || !isUniform(captured.image(), &colour))
                ++torn;
        }
        capture.join();
        QCOMPARE(torn, 0);
        QVERIFY(allOnUiThread);
        // The newest frame is the one left on screen, and capturing takes it whole.
        const QImage last = uniform(size, colourOf(kFrames - 1));
        QTRY_VERIFY(named<TImageView>(&webcam, "imgCamera")->photo().image() == last);
        click(named<QPushButton>(&webcam, "btnCattura"));
        QVERIFY(named<TImageView>(&webcam, "imgTarget")->photo().image() == last);
    }

    void closingWhileFramesStillComeIsSafe()
    {
        std::atomic<bool> stop{false};
        std::thread capture;
        {
            TfrmWebCam webcam(sheet, CompanionFiles::Photo::A);
            click(named<QPushButton>(&webcam, "btnAccendi"));
            capture = std::thread([inlet = webcam.camCamera->inlet(), &stop] {
                const QImage frame = uniform(QSize(320, 240), Qt::cyan);
                while (!stop)
                    inlet.deliver(frame);
            });
            QVERIFY(QTest::qWaitFor(
                [&] { return named<TImageView>(&webcam, "imgCamera")->photo().size() == QSize(320, 240); }));
        } // the window and its camera go while the thread still delivers
        QCoreApplication::processEvents();
        stop = true;
        capture.join();
        QCoreApplication::processEvents();
    }

    // ---- save to disk ---------------------------------------------------------

    void savingTheCapturedFrame_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written"); // empty: no file
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("jpeg") << "foto.jpg"
                              << "foto.jpg" << QByteArray("jpeg");
        QTest::newRow("bitmap") << "foto.bmp"
                                << "foto.bmp" << QByteArray("bmp");
        QTest::newRow("no extension") << "foto"
                                      << "foto.jpg" << QByteArray("jpeg");
    }

    void savingTheCapturedFrame()
    {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QByteArray, format);
        TfrmWebCam webcam(sheet, CompanionFiles::Photo::A);
        click(named<QPushButton>(&webcam, "btnAccendi"));
        QVERIFY(showFrame(&webcam, halves(QSize(800, 600))));
        click(named<QPushButton>(&webcam, "btnCattura"));

        clickChoosingFile(named<QPushButton>(&webcam, "btnSalvaFotogramma"), program->file(typed));
        const QList<Dialogs::FileRequest> requests = Dialogs::takeFileRequests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().mode, Dialogs::FileRequest::Save);
        QCOMPARE(requests.first().title,
                 QStringLiteral("Selezionare la cartella in cui si desidera salvare il file Jpeg."));
        QCOMPARE(requests.first().filter, QStringLiteral("File Jpeg (*.jpg)|*.jpg"));
        QCOMPARE(requests.first().initialName, QStringLiteral("Foto.jpg"));
        QVERIFY(requests.first().confirmOverwrite);
        QCOMPARE(formatOf(program->file(written)), format);
        QCOMPARE(sizeOf(program->file(written)), QSize(800, 600));
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    void cancellingTheSaveWritesNothing()
    {
        TfrmWebCam webcam(sheet, CompanionFiles::Photo::A);
        click(named<QPushButton>(&webcam, "btnCattura"));
        const TPhoto before = named<TImageView>(&webcam, "imgTarget")->photo();
        click(named<QPushButton>(&webcam, "btnSalvaFotogramma")); // no name queued: cancelled
        QCOMPARE(Dialogs::takeFileRequests().size(), 1);
        QVERIFY(QDir(program->folder()).entryList({QStringLiteral("*.jpg"), QStringLiteral("*.bmp")}).isEmpty());
        QVERIFY(named<TImageView>(&webcam, "imgTarget")->photo().sharesWith(before));
        QVERIFY(Dialogs::takeShown().isEmpty());
    }

    void aFailedSaveKeepsTheFrameAndSaysSo_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("no such folder") << "manca/foto.jpg";
        QTest::newRow("not an image format") << "foto.txt";
    }

    void aFailedSaveKeepsTheFrameAndSaysSo()
    {
        QFETCH(QString, typed);
        openSheet();
        const QImage frame = halves(QSize(640, 480));
        withWebCamOf(named<TPictureButton>(sheet, "btnAcquisisciFoto"), [&](TfrmWebCam* webcam) {
            click(named<QPushButton>(webcam, "btnAccendi"));
            QVERIFY(showFrame(webcam, frame));
            click(named<QPushButton>(webcam, "btnCattura"));
            const TPhoto captured = named<TImageView>(webcam, "imgTarget")->photo();

            clickChoosingFile(named<QPushButton>(webcam, "btnSalvaFotogramma"), program->file(typed));
            QVERIFY(!QFileInfo::exists(program->file(typed)));
            const QList<Dialogs::Shown> shown = Dialogs::takeShown();
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown.first().kind, Dialogs::Kind::Warning);
            QCOMPARE(shown.first().parentName, QStringLiteral("frmWebCam"));
            QVERIFY(shown.first().text.contains(program->file(typed)));
            QVERIFY(named<TImageView>(webcam, "imgTarget")->photo().sharesWith(captured));
            click(named<QPushButton>(webcam, "btnImportaFoto"));
        });
        // What the import brought is the frame, not a drawing.
        QCOMPARE(named<TImageView>(sheet, "imgFoto")->photo().image(), frame);
    }

    // ---- import into the record sheet ---------------------------------------

    void importFillsOnlyTheMarkedSlot_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("capture");
        QTest::addColumn<bool>("intoA");
        QTest::newRow("photo A, captured") << "btnAcquisisciFoto" << true << true;
        QTest::newRow("photo B, captured") << "btnAcquisisciFoto02" << true << false;
        QTest::newRow("photo A, nothing captured") << "btnAcquisisciFoto" << false << true;
        QTest::newRow("photo B, nothing captured") << "btnAcquisisciFoto02" << false << false;
    }

    void importFillsOnlyTheMarkedSlot()
    {
        QFETCH(QString, button);
        QFETCH(bool, capture);
        QFETCH(bool, intoA);
        openSheet();
        const TPhoto a = named<TImageView>(sheet, "imgFoto")->photo();
        const TPhoto b = named<TImageView>(sheet, "imgFoto02")->photo();
        const QImage frame = halves(QSize(1280, 720));
        TPhoto offered;
        std::shared_ptr<TSwitches> fake;
        withWebCamOf(named<TPictureButton>(sheet, button.toLatin1().constData()), [&](TfrmWebCam* webcam) {
            fake = camera;
            QCOMPARE(named<QLabel>(webcam, "lblMemory")->text(), QLatin1String(intoA ? "foto01" : "foto02"));
            QVERIFY(QApplication::activeModalWidget() == webcam);
            click(named<QPushButton>(webcam, "btnAccendi"));
            QVERIFY(showFrame(webcam, frame));
            if (capture)
                click(named<QPushButton>(webcam, "btnCattura"));
            offered = named<TImageView>(webcam, "imgTarget")->photo();
            click(named<QPushButton>(webcam, "btnImportaFoto"));
            QVERIFY(!webcam->isVisible());
            QVERIFY(!webcam->camCamera->isActive());
        });
        QCOMPARE(fake->switchedOff, 1);
        TImageView* filled = intoA ? named<TImageView>(sheet, "imgFoto") : named<TImageView>(sheet, "imgFoto02");
        TImageView* untouched = intoA ? named<TImageView>(sheet, "imgFoto02") : named<TImageView>(sheet, "imgFoto");
        QVERIFY(filled->photo().sharesWith(offered));
        QVERIFY(untouched->photo().sharesWith(intoA ? b : a));
        if (capture) {
            QCOMPARE(filled->photo().size(), QSize(1280, 720));
            QCOMPARE(filled->photo().image(), frame);
        } else {
            // The photo-camera drawing.
            QCOMPARE(filled->photo().size(), QSize(366, 274));
            QVERIFY(!filled->photo().sharesWith(a) && !filled->photo().sharesWith(b));
        }
    }

    // The marker shows which slot asked; the import hands the captured frame
    // back to whoever listens, once.
    void importHandsTheCaptureBack()
    {
        openSheet();
        for (const CompanionFiles::Photo which : {CompanionFiles::Photo::A, CompanionFiles::Photo::B}) {
            TfrmWebCam webcam(sheet, which);
            QCOMPARE(named<QLabel>(&webcam, "lblMemory")->text(),
                     which == CompanionFiles::Photo::A ? QStringLiteral("foto01") : QStringLiteral("foto02"));
            QList<TPhoto> imported;
            QObject::connect(&webcam, &TfrmWebCam::imported, [&](const TPhoto& photo) { imported << photo; });
            click(named<QPushButton>(&webcam, "btnImportaFoto"));
            QCOMPARE(imported.size(), 1);
            QVERIFY(imported.first().sharesWith(named<TImageView>(&webcam, "imgTarget")->photo()));
        }
    }

    void closingWithoutImportChangesNoSlot_data()
    {
        QTest::addColumn<bool>("escape"); // Esc first, then "Annulla"
        QTest::newRow("Annulla") << false;
        QTest::newRow("Esc") << true;
    }

    void closingWithoutImportChangesNoSlot()
    {
        QFETCH(bool, escape);
        openSheet();
        const TPhoto a = named<TImageView>(sheet, "imgFoto")->photo();
        const TPhoto b = named<TImageView>(sheet, "imgFoto02")->photo();
        std::shared_ptr<TSwitches> fake;
        withWebCamOf(named<TPictureButton>(sheet, "btnAcquisisciFoto02"), [&](TfrmWebCam* webcam) {
            fake = camera;
            click(named<QPushButton>(webcam, "btnAccendi"));
            QVERIFY(showFrame(webcam, halves(QSize(640, 480))));
            click(named<QPushButton>(webcam, "btnCattura"));
            if (escape) {
                // The window closes only through its own commands.
                QTest::keyClick(webcam, Qt::Key_Escape);
                QVERIFY(webcam->isVisible());
                QCOMPARE(fake->switchedOff, 0);
            }
            click(named<QPushButton>(webcam, "btnClose"));
            QVERIFY(!webcam->isVisible());
        });
        QCOMPARE(fake->switchedOff, 1);
        QVERIFY(named<TImageView>(sheet, "imgFoto")->photo().sharesWith(a));
        QVERIFY(named<TImageView>(sheet, "imgFoto02")->photo().sharesWith(b));
    }

    // The frame is encoded once, by the first save of the card; saving again
    // writes the same bytes.
    void anImportedFrameIsEncodedOnceWhenTheCardIsSaved()
    {
        openSheet();
        const QImage frame = halves(QSize(1024, 768));
        const int encodesBefore = TPhoto::counters().encodes;
        withWebCamOf(named<TPictureButton>(sheet, "btnAcquisisciFoto"), [&](TfrmWebCam* webcam) {
            click(named<QPushButton>(webcam, "btnAccendi"));
            QVERIFY(showFrame(webcam, frame));
            click(named<QPushButton>(webcam, "btnCattura"));
            click(named<QPushButton>(webcam, "btnImportaFoto"));
        });
        QCOMPARE(TPhoto::counters().encodes, encodesBefore);

        fillRequiredFields(sheet);
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("1"));
        const QString fileA = cardPhotoPath(CompanionFiles::Photo::A, QStringLiteral("Navi"), 1);
        QCOMPARE(formatOf(fileA), QByteArray("jpeg"));
        QCOMPARE(sizeOf(fileA), QSize(1024, 768));
        const QImage written(fileA);
        QVERIFY(near(written.pixel(100, 384), Qt::red));
        QVERIFY(near(written.pixel(900, 384), Qt::blue));
        const QByteArray bytes = readFile(fileA);
        const int encodesAfterSave = TPhoto::counters().encodes;

        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        QCOMPARE(TPhoto::counters().encodes, encodesAfterSave);
        QCOMPARE(readFile(fileA), bytes);
    }

    // ---- the system camera ------------------------------------------------------

    void theSystemCameraWithoutADeviceStaysOff()
    {
        if (!QMediaDevices::videoInputs().isEmpty())
            QSKIP("this machine has a camera");
        TCameraFrameSource source;
        QVERIFY(!source.start());
        QVERIFY(!source.isActive());
        source.stop();
    }
};

QTEST_MAIN(TestWebCam)
#include "test_webcam.moc"
