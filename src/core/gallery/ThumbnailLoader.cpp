#include "core/gallery/ThumbnailLoader.h"

#include <QCoreApplication>
#include <QMutex>
#include <QRunnable>
#include <QSet>
#include <QThread>
#include <QThreadPool>

#include <cmath>
#include <deque>

#include "core/archive/CompanionFiles.h"
#include "core/gallery/ThumbnailCache.h"

TGalleryTile readTile(const QString& archiveName, qint32 record, QSize box, QSize shown)
{
    using CompanionFiles::Photo;
    for (const Photo which : {Photo::A, Photo::B}) {
        const ThumbnailCache::Result r = ThumbnailCache::picture(
            CompanionFiles::photoPath(which, archiveName, record),
            CompanionFiles::thumbnailPath(which, archiveName, record), box, shown);
        switch (r.origin) {
        case ThumbnailCache::Origin::Missing: continue; // photo B stands in for a missing photo A
        case ThumbnailCache::Origin::Unreadable: return {QImage(), TGalleryTile::Kind::Unreadable};
        case ThumbnailCache::Origin::Read:
        case ThumbnailCache::Origin::Made: return {r.picture, TGalleryTile::Kind::Photo};
        }
    }
    return {QImage(), TGalleryTile::Kind::NoPhoto};
}

struct TThumbnailLoader::Shared {
    QMutex mutex;
    TThumbnailLoader* receiver = nullptr; // null once the loader is gone
    QString archiveName;
    QSize box;
    QSize shown;
    std::deque<qint32> queue;
    QSet<qint32> running; // for `shown`
    int workers = 0;
};

namespace {

QThreadPool& loaderPool()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(qMax(1, QThread::idealThreadCount()));
        qAddPostRoutine([] {
            pool->clear();
            pool->waitForDone();
        });
        return p;
    }();
    return *pool;
}

class LoadTask : public QRunnable {
public:
    explicit LoadTask(std::shared_ptr<TThumbnailLoader::Shared> shared) : m_shared(std::move(shared)) {}

    void run() override
    {
        TThumbnailLoader::Shared& s = *m_shared;
        for (;;) {
            qint32 record = 0;
            QSize box;
            QSize shown;
            QString archiveName;
            {
                QMutexLocker lock(&s.mutex);
                if (!s.receiver || s.queue.empty()) {
                    --s.workers;
                    return;
                }
                record = s.queue.front();
                s.queue.pop_front();
                s.running.insert(record);
                box = s.box;
                shown = s.shown;
                archiveName = s.archiveName;
            }
            const TGalleryTile tile = readTile(archiveName, record, box, shown);
            QMutexLocker lock(&s.mutex);
            if (shown == s.shown)
                s.running.remove(record);
            // Posted while the receiver cannot go away; if it goes before the
            // call is delivered, the call goes with it.
            if (TThumbnailLoader* receiver = s.receiver) {
                QMetaObject::invokeMethod(
                    receiver, [receiver, record, tile, shown] { emit receiver->tileReady(record, tile, shown); },
                    Qt::QueuedConnection);
            }
        }
    }

private:
    std::shared_ptr<TThumbnailLoader::Shared> m_shared;
};

} // namespace

TThumbnailLoader::TThumbnailLoader(const QString& archiveName, qreal devicePixelRatio, QObject* parent)
    : QObject(parent), m_shared(std::make_shared<Shared>())
{
    qRegisterMetaType<TGalleryTile>();
    m_shared->receiver = this;
    m_shared->archiveName = archiveName;
    const QSize largest = ThumbnailCache::pictureBox(ThumbnailCache::kLargestTile);
    const qreal ratio = qMax<qreal>(1.0, devicePixelRatio);
    m_shared->box = QSize(int(std::ceil(largest.width() * ratio)), int(std::ceil(largest.height() * ratio)));
}

TThumbnailLoader::~TThumbnailLoader()
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->receiver = nullptr;
    m_shared->queue.clear();
}

QSize TThumbnailLoader::thumbnailBox() const
{
    return m_shared->box;
}

void TThumbnailLoader::request(const QList<qint32>& records, QSize shown)
{
    int start = 0;
    {
        QMutexLocker lock(&m_shared->mutex);
        if (shown != m_shared->shown)
            m_shared->running.clear();
        m_shared->shown = shown;
        m_shared->queue.clear();
        for (const qint32 record : records) {
            if (!m_shared->running.contains(record))
                m_shared->queue.push_back(record);
        }
        const int wanted = int(qMin<size_t>(m_shared->queue.size(), size_t(loaderPool().maxThreadCount())));
        start = qMax(0, wanted - m_shared->workers);
        m_shared->workers += start;
    }
    for (int i = 0; i < start; ++i)
        loaderPool().start(new LoadTask(m_shared));
}

void TThumbnailLoader::waitUntilIdle()
{
    loaderPool().waitForDone();
}
