#pragma once
// Archives for the tests, without widgets: written whole from a list of
// cards, grown by one card, and read back card by card.
#include <QFile>
#include <QList>
#include <QString>

#include "core/archive/Archivio.h"

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <iostream>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

// A fresh archive at `path` holding `records`, in order.
inline void writeRecords(const QString& path, const QList<TScheda>& records)
{
    QFile::remove(path);
    TArchivio archive;
    archive.ApriArchivio(path);
    for (const TScheda& record : records)
        archive.AccodaScheda(record);
    archive.ChiudiArchivio();
}

// `record` added at the end of the archive at `path`.
inline void appendRecord(const QString& path, const TScheda& record)
{
    TArchivio archive;
    archive.ApriArchivio(path);
    archive.AccodaScheda(record);
    archive.ChiudiArchivio();
}

// Card `n` (from 1) of the archive at `path`, as stored.
inline TScheda recordAt(const QString& path, int n)
{
    TArchivio archive;
    archive.ApriArchivio(path);
    const TScheda record = archive.LeggiScheda(n);
    archive.ChiudiArchivio();
    return record;
}

// Another workstation holding the archive's lock: a child process takes the
// whole-file lock on `path`, exclusive as a writer holds it or shared as a
// reader does, and keeps it until release() or the end of this object. It
// lets go by itself after `safety` so that a test of unfixed code fails
// instead of hanging.
class OtherWorkstationLock {
public:
    explicit OtherWorkstationLock(const QString& path, bool exclusive = true,
                                  std::chrono::milliseconds safety = std::chrono::seconds(20))
    {
        const QByteArray name = QFile::encodeName(path);
        int ready[2];
        int release[2];
        if (pipe(ready) == -1)
            return;
        if (pipe(release) == -1) {
            ::close(ready[0]);
            ::close(ready[1]);
            return;
        }
        m_child = fork();
        if (m_child == 0) {
            // Only plain system calls here: the test may have threads.
            ::close(ready[0]);
            ::close(release[1]);
            const int fd = ::open(name.constData(), O_RDWR);
            struct flock fl {};
            fl.l_type = exclusive ? F_WRLCK : F_RDLCK;
            fl.l_whence = SEEK_SET;
            const char answer = fd >= 0 && fcntl(fd, F_SETLK, &fl) == 0 ? '1' : '0';
            if (write(ready[1], &answer, 1) != 1 || answer != '1')
                _exit(1);
            pollfd wait{release[0], POLLIN, 0};
            poll(&wait, 1, int(safety.count()));
            _exit(0); // the lock goes with the process
        }
        ::close(ready[1]);
        ::close(release[0]);
        m_release = release[1];
        char answer = '0';
        m_held = m_child > 0 && read(ready[0], &answer, 1) == 1 && answer == '1';
        ::close(ready[0]);
    }
    ~OtherWorkstationLock() { release(); }
    OtherWorkstationLock(const OtherWorkstationLock&) = delete;
    OtherWorkstationLock& operator=(const OtherWorkstationLock&) = delete;

    bool held() const { return m_held; }

    // Returns once the child has ended, so the lock is free.
    void release()
    {
        if (m_release >= 0)
            ::close(m_release);
        m_release = -1;
        if (m_child > 0)
            waitpid(m_child, nullptr, 0);
        m_child = -1;
        m_held = false;
    }

private:
    pid_t m_child = -1;
    int m_release = -1;
    bool m_held = false;
};

// Archive operations give up on a lock held elsewhere after `wait` while this
// lives, so that tests of that failure do not wait seconds.
class ShortLockWait {
public:
    explicit ShortLockWait(std::chrono::milliseconds wait = std::chrono::milliseconds(150))
        : m_previous(TArchivio::AttesaBlocco())
    {
        TArchivio::ImpostaAttesaBlocco(wait);
    }
    ~ShortLockWait() { TArchivio::ImpostaAttesaBlocco(m_previous); }
    ShortLockWait(const ShortLockWait&) = delete;
    ShortLockWait& operator=(const ShortLockWait&) = delete;

private:
    std::chrono::milliseconds m_previous;
};

// Hears the archive's lock waits while it lives, right after the listener
// installed before it (the windows' wait cursor, where there is one).
class LockWaitListener {
public:
    explicit LockWaitListener(std::function<void(bool waiting)> listener)
    {
        m_previous = TArchivio::ImpostaAvvisoAttesa([this, listener](bool waiting) {
            if (m_previous)
                m_previous(waiting);
            listener(waiting);
        });
    }
    ~LockWaitListener() { TArchivio::ImpostaAvvisoAttesa(m_previous); }
    LockWaitListener(const LockWaitListener&) = delete;
    LockWaitListener& operator=(const LockWaitListener&) = delete;

private:
    TArchivio::AvvisoAttesa m_previous;
};

// While it lives, every archive write in this process is asked at each step
// whether to stop there, as a power cut would stop it (see
// TArchivio::SetWriteInterruption); `stop` answers.
class WriteStops {
public:
    explicit WriteStops(TArchivio::WriteInterruption stop)
        : m_previous(TArchivio::SetWriteInterruption(std::move(stop)))
    {}
    // Stops at `step`, after `bytes` there when it writes.
    WriteStops(TArchivio::WriteStep step, qint64 bytes)
        : WriteStops([step, bytes](TArchivio::WriteStep at) -> std::optional<qint64> {
              if (at == step)
                  return bytes;
              return std::nullopt;
          })
    {}
    ~WriteStops() { TArchivio::SetWriteInterruption(m_previous); }
    WriteStops(const WriteStops&) = delete;
    WriteStops& operator=(const WriteStops&) = delete;

private:
    TArchivio::WriteInterruption m_previous;
};

// The frame of a child process in the concurrent archive tests: waits for
// "go" on stdin, so that all children start together, then does `work` and
// returns its exit code; 1 when an archive action failed.
inline int childProcess(const std::function<int()>& work)
{
    std::string go;
    std::getline(std::cin, go);
    int code = 0;
    try {
        code = work();
    } catch (const EArchivioError&) {
        code = 1;
    }
    std::cout.flush();
    return code;
}
