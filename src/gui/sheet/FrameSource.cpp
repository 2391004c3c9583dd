#include "gui/sheet/FrameSource.h"

#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>

#include "gui/sheet/CameraFrameSource.h"

struct TFrameSource::Inlet::Mailbox {
    QMutex mutex;
    TFrameSource* owner = nullptr; // null once the source is gone
    bool open = false;             // frames are taken only while switched on
    bool pending = false;          // a takeFrame() is on its way to the owner
    QImage frame;
};

void TFrameSource::Inlet::deliver(const QImage& frame) const
{
    if (!m_box || frame.isNull())
        return;
    // Camera frames come with an alpha channel that is always opaque; made
    // plain here, off the user-interface thread, they need no further work
    // to become a photo there.
    const QImage plain = frame.hasAlphaChannel() ? frame.convertToFormat(QImage::Format_RGB32) : frame;
    QMutexLocker lock(&m_box->mutex);
    if (!m_box->owner || !m_box->open)
        return;
    m_box->frame = plain;
    if (!m_box->pending) {
        m_box->pending = true;
        // Under the lock: the owner cannot be destroyed meanwhile, and a call
        // still queued when it is destroyed is dropped with it.
        QMetaObject::invokeMethod(m_box->owner, &TFrameSource::takeFrame, Qt::QueuedConnection);
    }
}

TFrameSource::TFrameSource(QObject* parent) : QObject(parent)
{
    m_inlet.m_box = std::make_shared<Inlet::Mailbox>();
    m_inlet.m_box->owner = this;
}

TFrameSource::~TFrameSource()
{
    QMutexLocker lock(&m_inlet.m_box->mutex);
    m_inlet.m_box->owner = nullptr;
    m_inlet.m_box->open = false;
    m_inlet.m_box->frame = QImage();
}

bool TFrameSource::start()
{
    if (m_active)
        return true;
    {
        QMutexLocker lock(&m_inlet.m_box->mutex);
        m_inlet.m_box->open = true;
    }
    m_active = switchOn();
    if (!m_active) {
        QMutexLocker lock(&m_inlet.m_box->mutex);
        m_inlet.m_box->open = false;
    }
    return m_active;
}

void TFrameSource::stop()
{
    if (!m_active)
        return;
    {
        QMutexLocker lock(&m_inlet.m_box->mutex);
        m_inlet.m_box->open = false;
        m_inlet.m_box->frame = QImage();
    }
    switchOff();
    m_active = false;
}

void TFrameSource::takeFrame()
{
    QImage frame;
    {
        QMutexLocker lock(&m_inlet.m_box->mutex);
        m_inlet.m_box->pending = false;
        frame = std::exchange(m_inlet.m_box->frame, QImage());
    }
    if (!frame.isNull())
        emit frameArrived(frame);
}

namespace FrameSources {

namespace {
Factory& factory()
{
    static Factory f;
    return f;
}
} // namespace

std::unique_ptr<TFrameSource> create()
{
    if (factory())
        return factory()();
    return std::make_unique<TCameraFrameSource>();
}

void setFactory(Factory f)
{
    factory() = std::move(f);
}

} // namespace FrameSources
