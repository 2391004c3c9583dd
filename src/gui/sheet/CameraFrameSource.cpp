#include "gui/sheet/CameraFrameSource.h"

#include <QCamera>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoFrame>
#include <QVideoSink>

TCameraFrameSource::TCameraFrameSource(QObject* parent) : TFrameSource(parent) {}

TCameraFrameSource::~TCameraFrameSource()
{
    stop();
    // The session lets go of the sink before the sink goes.
    m_session.reset();
    m_sink.reset();
}

bool TCameraFrameSource::switchOn()
{
    const QCameraDevice device = QMediaDevices::defaultVideoInput();
    if (device.isNull())
        return false;
    if (!m_session) {
        m_session = std::make_unique<QMediaCaptureSession>();
        m_sink = std::make_unique<QVideoSink>();
        // Direct: the conversion runs on the thread that brings the frame,
        // not on the user-interface thread.
        connect(
            m_sink.get(), &QVideoSink::videoFrameChanged, m_sink.get(),
            [inlet = inlet()](const QVideoFrame& frame) { inlet.deliver(frame.toImage()); }, Qt::DirectConnection);
        m_session->setVideoSink(m_sink.get());
    }
    m_camera = std::make_unique<QCamera>(device);
    m_session->setCamera(m_camera.get());
    m_camera->start();
    return true;
}

void TCameraFrameSource::switchOff()
{
    if (!m_camera)
        return;
    m_camera->stop();
    m_session->setCamera(nullptr);
    m_camera.reset();
}
