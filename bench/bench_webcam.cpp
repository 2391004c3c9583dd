// The live picture of the webcam window: what one camera frame costs the
// user-interface thread (taking it from the mailbox, making it the live
// photo, drawing it reduced in the window) and what its conversion costs the
// capture thread, at the common webcam sizes.
//
// Goal: the user-interface share stays well inside a frame's time at 30 frames
// a second (33 ms), so that the window stays responsive while the camera runs.
#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "PhotoBench.h"
#include "gui/sheet/FrameSource.h"
#include "gui/sheet/frmWebCam.h"
#include "gui/widgets/ImageView.h"

namespace {

class TBenchCamera : public TFrameSource {
protected:
    bool switchOn() override { return true; }
    void switchOff() override {}
};

// A frame with the detail of a real picture, in the format `format`.
QImage frame(QSize size, QImage::Format format)
{
    return PhotoBench::photographic(size, 7).convertToFormat(format);
}

QSize sizeOf(const benchmark::State& state)
{
    return QSize(int(state.range(0)), int(state.range(1)));
}

// The user-interface thread's part: frames arrive plain (the capture thread
// has converted them), are taken, become the live photo and are drawn.
void BM_FrameOnUserInterfaceThread(benchmark::State& state)
{
    TfrmWebCam webcam(nullptr, CompanionFiles::Photo::A, std::make_unique<TBenchCamera>());
    webcam.camCamera->start();
    const QImage plain = frame(sizeOf(state), QImage::Format_RGB32);
    QImage screen(named<TImageView>(&webcam, "imgCamera")->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        state.PauseTiming();
        webcam.camCamera->inlet().deliver(plain.copy()); // a new frame each time, as a camera gives
        state.ResumeTiming();
        QCoreApplication::sendPostedEvents(webcam.camCamera, QEvent::MetaCall);
        named<TImageView>(&webcam, "imgCamera")->render(&screen);
    }
    if (named<TImageView>(&webcam, "imgCamera")->photo().size() != sizeOf(state))
        state.SkipWithError("the frame did not reach the live picture");
}
BENCHMARK(BM_FrameOnUserInterfaceThread)
    ->Args({640, 480})
    ->Args({1280, 720})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The capture thread's part: a frame as Qt Multimedia converts it (with an
// alpha channel) made plain and put in the mailbox.
void BM_FrameOnCaptureThread(benchmark::State& state)
{
    TBenchCamera camera;
    camera.start();
    const QImage withAlpha = frame(sizeOf(state), QImage::Format_RGBA8888_Premultiplied);
    const TFrameSource::Inlet inlet = camera.inlet();
    for (auto _ : state)
        inlet.deliver(withAlpha);
    QCoreApplication::sendPostedEvents(&camera, QEvent::MetaCall);
}
BENCHMARK(BM_FrameOnCaptureThread)
    ->Args({640, 480})
    ->Args({1280, 720})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    BenchSupport::useOffscreenUnlessSet();
    QApplication app(argc, argv);
    if (!BenchSupport::initialise(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
