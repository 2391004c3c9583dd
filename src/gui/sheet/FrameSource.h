#pragma once
#include <QImage>
#include <QObject>

#include <functional>
#include <memory>

// A camera as the webcam window sees it: switched on and off from the
// user-interface thread, it produces whole frames on a thread of its own and
// hands them over through its inlet. The window receives them as
// frameArrived() on the thread the source lives in, one at a time.
//
// No thread ever waits for another here: a frame that comes while the
// previous one has not been taken yet replaces it, so a busy user-interface
// thread sees the newest frame, never a queue of old ones, and switching off
// never waits on a capture thread that is itself waiting.
class TFrameSource : public QObject {
    Q_OBJECT
public:
    // The way in for frames. Copies share one mailbox; any thread may deliver,
    // also after the source is gone (the frame is then dropped).
    class Inlet {
    public:
        // Takes `frame` whole: it must own its pixels (QVideoFrame::toImage()
        // does). Dropped while the source is off.
        void deliver(const QImage& frame) const;

    private:
        friend class TFrameSource;
        struct Mailbox;
        std::shared_ptr<Mailbox> m_box;
    };

    explicit TFrameSource(QObject* parent = nullptr);
    ~TFrameSource() override;

    // Switches the device on. Without a device nothing changes and the
    // answer is false. On when already on changes nothing.
    bool start();
    // Switches it off; a frame still on its way is dropped. Off when already
    // off changes nothing.
    void stop();
    bool isActive() const { return m_active; }

    Inlet inlet() const { return m_inlet; }

signals:
    void frameArrived(const QImage& frame);

protected:
    // The device itself. switchOn() answers false when there is none.
    virtual bool switchOn() = 0;
    virtual void switchOff() = 0;

private:
    void takeFrame();

    Inlet m_inlet;
    bool m_active = false;
};

namespace FrameSources {
using Factory = std::function<std::unique_ptr<TFrameSource>()>;
// The source a new webcam window uses: the system's default camera, or
// whatever a test has put in its place.
std::unique_ptr<TFrameSource> create();
// An empty factory goes back to the camera.
void setFactory(Factory factory);
} // namespace FrameSources
