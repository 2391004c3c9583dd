#pragma once
#include <memory>

#include "gui/sheet/FrameSource.h"

class QCamera;
class QMediaCaptureSession;
class QVideoSink;

// The system's default camera with its default settings, through Qt
// Multimedia. Frames come on the capture thread and are converted there.
class TCameraFrameSource : public TFrameSource {
    Q_OBJECT
public:
    explicit TCameraFrameSource(QObject* parent = nullptr);
    ~TCameraFrameSource() override;

protected:
    bool switchOn() override;
    void switchOff() override;

private:
    std::unique_ptr<QMediaCaptureSession> m_session;
    std::unique_ptr<QVideoSink> m_sink;
    std::unique_ptr<QCamera> m_camera;
};
