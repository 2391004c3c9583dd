#pragma once
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QSize>
#include <QString>

#include <memory>

// The picture of one card's tile: photo A, or photo B where A is missing.
struct TGalleryTile {
    enum class Kind {
        Photo,     // `picture` holds it
        NoPhoto,   // neither photo file exists: the placeholder
        Unreadable // a photo file that does not decode: the placeholder, marked
    };
    QImage picture;
    Kind kind = Kind::NoPhoto;
};
Q_DECLARE_METATYPE(TGalleryTile)

// Reads the tile picture of card `record` of the archive `archiveName`
// through the thumbnail cache: thumbnails made for `box`, pictures fitted
// into `shown` (both in device pixels). Reads files: not on the
// user-interface thread.
TGalleryTile readTile(const QString& archiveName, qint32 record, QSize box, QSize shown);

// Reads tile pictures on threads of a pool of its own, in the order they
// are asked for, and hands each one back by signal on the thread the loader
// lives in.
//
// Each request replaces the one before: cards no longer asked for are not
// read. Destroying the loader never waits: a reading under way finishes on
// its thread and its picture is thrown away.
class TThumbnailLoader : public QObject {
    Q_OBJECT
public:
    // Thumbnails are made for the largest tile at `devicePixelRatio`.
    TThumbnailLoader(const QString& archiveName, qreal devicePixelRatio, QObject* parent = nullptr);
    ~TThumbnailLoader() override;

    // Reads the pictures of `records`, in that order, fitted into `shown`
    // device pixels. A card whose reading is under way for the same size is
    // not read again.
    void request(const QList<qint32>& records, QSize shown);

    QSize thumbnailBox() const;

    // Waits until no picture is being read anywhere: benchmarks and tests.
    static void waitUntilIdle();

    struct Shared;

signals:
    void tileReady(qint32 record, const TGalleryTile& tile, QSize shown);

private:
    std::shared_ptr<Shared> m_shared;
};
