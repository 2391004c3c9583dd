#include "core/photos/PhotoPreparer.h"

#include <QCoreApplication>
#include <QFile>
#include <QRunnable>
#include <QThread>
#include <QThreadPool>
#include <QWaitCondition>
#include <QtConcurrent/QtConcurrentRun>

#include <sys/stat.h>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

TFileStamp TFileStamp::of(const QString& path)
{
    TFileStamp stamp;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    auto ns = [](const timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; };
    stamp.exists = true;
    stamp.size = info.st_size;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.modifiedNs = ns(info.st_mtim);
    stamp.changedNs = ns(info.st_ctim);
    return stamp;
}

struct TPhotoPreparer::Job {
    enum class State { Queued, Running, Done, Cancelled };

    Job(const QString& p, QSize a, qreal r) : path(p), area(a), ratio(r) {}

    const QString path;
    const QSize area;
    const qreal ratio;

    QMutex mutex;
    QWaitCondition finished;
    State state = State::Queued;
    // The result, once Done: empty when the file could not be read, or
    // changed while it was read.
    TFileStamp stamp;
    QSize photoSize;
    QImage shown;

    // Reads the photo unless someone else has started (or cancelled) it.
    void run()
    {
        {
            QMutexLocker lock(&mutex);
            if (state != State::Queued)
                return;
            state = State::Running;
        }
        const TFileStamp before = TFileStamp::of(path);
        const TShownPhoto read = readForDisplay(path, area, ratio);
        const bool steady = TFileStamp::of(path) == before;
        QMutexLocker lock(&mutex);
        if (steady && !read.shown.isNull()) {
            stamp = before;
            photoSize = read.photo.size();
            shown = read.shown;
        }
        state = State::Done;
        finished.wakeAll();
    }

    // Waits for the result, reading it here when no thread has taken it yet.
    // False when the job was cancelled before anyone read it.
    bool await()
    {
        run();
        QMutexLocker lock(&mutex);
        while (state == State::Running)
            finished.wait(&mutex);
        return state == State::Done;
    }

    void cancel()
    {
        QMutexLocker lock(&mutex);
        if (state == State::Queued)
            state = State::Cancelled;
    }
};

namespace {

// A pool of its own, so that lowering its threads' priority touches no
// other work. Waits for a reading under way when the application ends.
QThreadPool& preparationPool()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(qMax(1, QThread::idealThreadCount()));
        p->setThreadPriority(QThread::LowPriority);
        qAddPostRoutine([] {
            pool->clear();
            pool->waitForDone();
        });
        return p;
    }();
    return *pool;
}

// The readings a window waits to show, beside the readings ahead: at normal
// priority, two at once at least, so that a card's two photos are read side
// by side.
QThreadPool& showingPool()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(qMax(2, QThread::idealThreadCount()));
        qAddPostRoutine([] {
            pool->clear();
            pool->waitForDone();
        });
        return p;
    }();
    return *pool;
}

// Qt's thread priorities change nothing for ordinary threads on Linux; a
// higher nice value of the pool's own thread does.
void lowerThisThread()
{
#ifdef Q_OS_LINUX
    thread_local bool lowered = false;
    if (!lowered) {
        const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
        ::setpriority(PRIO_PROCESS, tid, qMin(19, ::getpriority(PRIO_PROCESS, tid) + 10));
        lowered = true;
    }
#endif
}

class PrepareTask : public QRunnable {
public:
    explicit PrepareTask(std::shared_ptr<TPhotoPreparer::Job> job) : m_job(std::move(job)) {}
    void run() override
    {
        lowerThisThread();
        m_job->run();
    }

private:
    std::shared_ptr<TPhotoPreparer::Job> m_job;
};

} // namespace

TPhotoPreparer::Counters& TPhotoPreparer::counters()
{
    static Counters c;
    return c;
}

void TPhotoPreparer::waitUntilIdle()
{
    showingPool().waitForDone();
    preparationPool().waitForDone();
}

TPhotoPreparer::TPhotoPreparer(int capacity) : m_capacity(qMax(1, capacity)) {}

TPhotoPreparer::~TPhotoPreparer()
{
    clear();
}

std::shared_ptr<TPhotoPreparer::Job> TPhotoPreparer::find(const QString& path, QSize area, qreal ratio) const
{
    QMutexLocker lock(&m_mutex);
    for (const auto& job : m_jobs) {
        if (job->path == path && job->area == area && job->ratio == ratio)
            return job;
    }
    return {};
}

void TPhotoPreparer::keep(const std::shared_ptr<Job>& job)
{
    QMutexLocker lock(&m_mutex);
    for (qsizetype i = 0; i < m_jobs.size(); ++i) {
        const auto& kept = m_jobs[i];
        if (kept->path == job->path && kept->area == job->area && kept->ratio == job->ratio) {
            kept->cancel();
            m_jobs.removeAt(i);
            break;
        }
    }
    m_jobs.append(job);
    while (m_jobs.size() > m_capacity)
        m_jobs.takeFirst()->cancel();
}

void TPhotoPreparer::prepare(const QString& path, QSize area, qreal ratio)
{
    if (find(path, area, ratio))
        return;
    auto job = std::make_shared<Job>(path, area, ratio);
    keep(job);
    preparationPool().start(new PrepareTask(job));
}

std::optional<TShownPhoto> TPhotoPreparer::resultOf(Job& job, const QString& path)
{
    TFileStamp stamp;
    QSize photoSize;
    QImage shown;
    {
        QMutexLocker lock(&job.mutex);
        stamp = job.stamp;
        photoSize = job.photoSize;
        shown = job.shown;
    }
    // The picture was decoded from the file as it was then: it is shown
    // only with the bytes of that same file.
    if (shown.isNull() || TFileStamp::of(path) != stamp)
        return std::nullopt;
    const TPhoto photo = TPhoto::fromFile(path);
    if (photo.isNull() || photo.size() != photoSize || TFileStamp::of(path) != stamp)
        return std::nullopt;
    return TShownPhoto{photo, shown};
}

std::optional<TShownPhoto> TPhotoPreparer::readIfReady(const QString& path, QSize area, qreal ratio)
{
    const std::shared_ptr<Job> job = find(path, area, ratio);
    if (!job)
        return std::nullopt;
    {
        QMutexLocker lock(&job->mutex);
        if (job->state != Job::State::Done || job->shown.isNull())
            return std::nullopt;
    }
    std::optional<TShownPhoto> ready = resultOf(*job, path);
    if (ready)
        ++counters().ready;
    return ready;
}

QFuture<TShownPhoto> TPhotoPreparer::readLater(std::shared_ptr<TPhotoPreparer> preparer, const QString& path,
                                               QSize area, qreal ratio, std::function<bool()> wanted)
{
    return QtConcurrent::run(&showingPool(),
                             [preparer = std::move(preparer), path, area, ratio, wanted = std::move(wanted)] {
                                 if (wanted && !wanted())
                                     return TShownPhoto{};
                                 return preparer->read(path, area, ratio);
                             });
}

TShownPhoto TPhotoPreparer::read(const QString& path, QSize area, qreal ratio)
{
    if (const std::shared_ptr<Job> job = find(path, area, ratio)) {
        bool waited = false;
        {
            QMutexLocker lock(&job->mutex);
            waited = job->state != Job::State::Done;
        }
        if (job->await()) {
            if (std::optional<TShownPhoto> ready = resultOf(*job, path)) {
                ++(waited ? counters().waited : counters().ready);
                return *ready;
            }
            QMutexLocker lock(&job->mutex);
            if (!job->shown.isNull())
                ++counters().stale;
            else
                ++counters().unprepared;
        } else {
            ++counters().unprepared;
        }
    } else {
        ++counters().unprepared;
    }

    // Read as without preparation, and keep what was read for a step back.
    const TFileStamp before = TFileStamp::of(path);
    TShownPhoto read = readForDisplay(path, area, ratio);
    if (!read.shown.isNull() && TFileStamp::of(path) == before) {
        auto job = std::make_shared<Job>(path, area, ratio);
        job->state = Job::State::Done;
        job->stamp = before;
        job->photoSize = read.photo.size();
        job->shown = read.shown; // shared with the view that draws it
        keep(job);
    } else {
        drop({path});
    }
    return read;
}

void TPhotoPreparer::waitFor(const QString& path, QSize area, qreal ratio) const
{
    if (const std::shared_ptr<Job> job = find(path, area, ratio))
        job->await();
}

void TPhotoPreparer::keepOnly(const QList<QString>& paths)
{
    QMutexLocker lock(&m_mutex);
    for (qsizetype i = m_jobs.size() - 1; i >= 0; --i) {
        if (!paths.contains(m_jobs[i]->path))
            m_jobs.takeAt(i)->cancel();
    }
}

void TPhotoPreparer::drop(const QList<QString>& paths)
{
    QMutexLocker lock(&m_mutex);
    for (qsizetype i = m_jobs.size() - 1; i >= 0; --i) {
        if (paths.contains(m_jobs[i]->path))
            m_jobs.takeAt(i)->cancel();
    }
}

void TPhotoPreparer::clear()
{
    QMutexLocker lock(&m_mutex);
    for (const auto& job : m_jobs)
        job->cancel();
    m_jobs.clear();
}
