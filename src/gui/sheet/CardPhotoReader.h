#pragma once
#include <QFuture>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>

#include <array>
#include <atomic>
#include <memory>
#include <optional>

#include "core/photos/Photo.h"

class TPhotoPreparer;

// How the record sheet gets a card's two photos without waiting for them:
// photos read ahead come at once, the others are read off the user-interface
// thread and handed over by photosRead(). It also reads ahead the photos of
// the cards a next step would show.
//
// A reading belongs to the card it was started for: starting another, or
// stop(), makes its results go nowhere, and a reading nobody waits for any
// more ends without decoding. The readings share the preparer, so the
// reader (and the sheet) may go while one is under way.
class TCardPhotoReader : public QObject {
    Q_OBJECT
public:
    explicit TCardPhotoReader(QObject* parent);
    ~TCardPhotoReader() override;

    // Photo A and photo B at `paths`, drawn in `area` at `devicePixelRatio`.
    // When both were read ahead photosRead() comes before this returns.
    void read(const std::array<QString, 2>& paths, QSize area, qreal devicePixelRatio);
    bool isReading() const { return m_ticket != 0; }
    // Waits for the photos on their way, then photosRead(): for output and
    // zoom, which need the pixels themselves.
    void settle();
    void stop();

    // Reading ahead: keeps the photos of `paths` only, cancelling the rest.
    void keepOnly(const QList<QString>& paths);
    void prepare(const QString& path, QSize area, qreal devicePixelRatio);
    // The files of `paths` are about to change, or have changed.
    void drop(const QList<QString>& paths);
    void clear();

signals:
    // Both photos of the card, as read (an empty picture: not readable).
    void photosRead(const TShownPhoto& a, const TShownPhoto& b);

private:
    void arrived(quint64 ticket, int slot, const TShownPhoto& read);
    void handOver();

    std::shared_ptr<TPhotoPreparer> m_preparer;
    std::shared_ptr<std::atomic<quint64>> m_latest; // read by the readings themselves
    quint64 m_ticket = 0;                           // 0: nothing on its way
    std::array<QFuture<TShownPhoto>, 2> m_futures;
    std::array<std::optional<TShownPhoto>, 2> m_results;
};
