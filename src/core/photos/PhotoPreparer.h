#pragma once
#include <QFuture>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QSize>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "core/photos/Photo.h"

// What tells one state of a photo file from another: a file rewritten or
// replaced (here or by another workstation on a shared folder) has another
// size or modification time, or, when a copy keeps both (`cp -p`,
// `rsync -t`, an unzip), another inode or status-change time, which no
// tool can set.
struct TFileStamp {
    bool exists = false;
    qint64 size = -1;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    static TFileStamp of(const QString& path);
    bool operator==(const TFileStamp& other) const = default;
};

// Photo files read ahead for drawing, so that the window showing them finds
// the next picture ready: the record sheet prepares the cards a step would
// show, the slideshow the photo of its next tick.
//
// A photo is prepared on a thread of a pool of its own, at low priority,
// through the same reading as read(): TPhoto, upright, decoded at the size it
// is drawn. Only that small picture is kept, with the stamp of the file it
// came from, never the file's bytes. read() uses it only while the file is
// still the one that was read; otherwise, and for a photo nobody prepared,
// it reads the file as it would without preparation. A reading under way is
// waited for, not started a second time.
//
// At most `capacity` photos are kept. Dropping or leaving a photo never
// waits: a reading already running finishes on its thread and its result
// is thrown away.
class TPhotoPreparer {
public:
    explicit TPhotoPreparer(int capacity);
    ~TPhotoPreparer();
    TPhotoPreparer(const TPhotoPreparer&) = delete;
    TPhotoPreparer& operator=(const TPhotoPreparer&) = delete;

    // Starts reading `path` for an area of `area` at `devicePixelRatio`,
    // unless it is kept or on its way already. The photo made to wait
    // longest is forgotten when the capacity is full.
    void prepare(const QString& path, QSize area, qreal devicePixelRatio = 1.0);

    // The photo at `path` for drawing in `area`, as readForDisplay() gives
    // it: the prepared picture when the file is unchanged since, otherwise
    // read now. A successful reading made here is kept as well, so that a
    // step back to it finds it ready. Safe on any thread.
    TShownPhoto read(const QString& path, QSize area, qreal devicePixelRatio = 1.0);

    // The prepared picture when it is ready and its file unchanged, without
    // waiting and without reading the file otherwise: what a window can show
    // at once.
    std::optional<TShownPhoto> readIfReady(const QString& path, QSize area, qreal devicePixelRatio = 1.0);

    // read() on a thread of a pool of its own, at normal priority, for a
    // window that must not wait: the future's result is read()'s. `preparer`
    // lives until the reading ends, whoever lets go of it meanwhile. When
    // `wanted` says no as the reading starts, it ends at once with an empty
    // result: the window has moved on.
    static QFuture<TShownPhoto> readLater(std::shared_ptr<TPhotoPreparer> preparer, const QString& path, QSize area,
                                          qreal devicePixelRatio = 1.0, std::function<bool()> wanted = {});

    // Waits until the photo prepared for these arguments, if any, is read.
    void waitFor(const QString& path, QSize area, qreal devicePixelRatio = 1.0) const;

    // Forgets every photo but those of `paths`, cancelling their readings.
    void keepOnly(const QList<QString>& paths);
    // Forgets the photos of `paths` (their files are about to change, or
    // have changed).
    void drop(const QList<QString>& paths);
    void clear();

    // Waits until no photo is being prepared or read later anywhere:
    // benchmarks and tests.
    static void waitUntilIdle();

    // How read() found its photos, program-wide: benchmarks and tests
    // watch them.
    struct Counters {
        std::atomic<int> ready{0};  // prepared and finished
        std::atomic<int> waited{0}; // prepared, still being read: waited for
        std::atomic<int> stale{0};  // prepared, but the file changed since
        std::atomic<int> unprepared{0};
    };
    static Counters& counters();

    struct Job;

private:
    std::shared_ptr<Job> find(const QString& path, QSize area, qreal devicePixelRatio) const;
    // The finished job's picture when its file is still the one it was
    // read from.
    static std::optional<TShownPhoto> resultOf(Job& job, const QString& path);
    void keep(const std::shared_ptr<Job>& job);

    const int m_capacity;
    mutable QMutex m_mutex;
    QList<std::shared_ptr<Job>> m_jobs; // oldest first
};
