#include "gui/sheet/CardPhotoReader.h"

#include <QFutureWatcher>

#include "core/photos/PhotoPreparer.h"

TCardPhotoReader::TCardPhotoReader(QObject* parent)
    : QObject(parent), m_preparer(std::make_shared<TPhotoPreparer>(6)), // three cards of two photos
      m_latest(std::make_shared<std::atomic<quint64>>(0))
{}

TCardPhotoReader::~TCardPhotoReader()
{
    stop();
}

void TCardPhotoReader::read(const std::array<QString, 2>& paths, QSize area, qreal ratio)
{
    stop();
    // A card prepared while the previous one was on screen comes ready.
    m_results[0] = m_preparer->readIfReady(paths[0], area, ratio);
    m_results[1] = m_results[0] ? m_preparer->readIfReady(paths[1], area, ratio) : std::nullopt;
    if (m_results[0] && m_results[1]) {
        handOver();
        return;
    }
    // Otherwise off this thread, side by side: on a slow shared folder a
    // reading can take seconds.
    const quint64 ticket = ++*m_latest;
    m_ticket = ticket;
    auto wanted = [latest = m_latest, ticket] { return latest->load() == ticket; };
    for (int slot = 0; slot < 2; ++slot) {
        if (m_results[slot])
            continue;
        m_futures[slot] = TPhotoPreparer::readLater(m_preparer, paths[slot], area, ratio, wanted);
        auto* watcher = new QFutureWatcher<TShownPhoto>(this);
        connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, ticket, slot] {
            watcher->deleteLater();
            arrived(ticket, slot, watcher->result());
        });
        watcher->setFuture(m_futures[slot]);
    }
}

void TCardPhotoReader::arrived(quint64 ticket, int slot, const TShownPhoto& read)
{
    if (ticket != m_ticket)
        return; // a card left since
    m_results[slot] = read;
    if (m_results[0] && m_results[1])
        handOver();
}

void TCardPhotoReader::settle()
{
    if (m_ticket == 0)
        return;
    for (int slot = 0; slot < 2; ++slot) {
        if (!m_results[slot])
            m_results[slot] = m_futures[slot].result();
    }
    handOver();
}

void TCardPhotoReader::handOver()
{
    const TShownPhoto a = *m_results[0];
    const TShownPhoto b = *m_results[1];
    m_ticket = 0;
    m_futures = {};
    m_results = {};
    emit photosRead(a, b);
}

void TCardPhotoReader::stop()
{
    if (m_ticket == 0)
        return;
    ++*m_latest;
    m_ticket = 0;
    m_futures = {};
    m_results = {};
}

void TCardPhotoReader::keepOnly(const QList<QString>& paths)
{
    m_preparer->keepOnly(paths);
}

void TCardPhotoReader::prepare(const QString& path, QSize area, qreal ratio)
{
    m_preparer->prepare(path, area, ratio);
}

void TCardPhotoReader::drop(const QList<QString>& paths)
{
    m_preparer->drop(paths);
}

void TCardPhotoReader::clear()
{
    m_preparer->clear();
}
