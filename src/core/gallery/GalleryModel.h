#pragma once
#include <QAbstractListModel>
#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QString>

#include <vector>

#include "core/gallery/ThumbnailLoader.h"

// Every card of one archive as a tile: one row per card, in file order
// (narrowed by the filter), with its number, its "Nome modellino" and the
// picture of its tile.
//
// The names come from one block scan of the archive; the model keeps only
// the bytes of the three fields the filter looks in. Pictures are kept for
// the rows the view shows and a margin around them, and read through a
// TThumbnailLoader: a row without one yet is waiting, and the view shows the
// placeholder there. Nothing here reads a photo or a thumbnail file.
class TGalleryModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        NumberRole = Qt::UserRole + 1, // qint32
        PictureRole,                   // QImage, null while waiting or without a photo
        StateRole,                     // TGalleryModel::State
    };
    enum class State { Waiting, Photo, NoPhoto, Unreadable };
    Q_ENUM(State)

    // Over the archive at `archivePath`, whose photos are named after
    // `archiveName`; pictures sharp at `devicePixelRatio`.
    TGalleryModel(const QString& archivePath, const QString& archiveName, qreal devicePixelRatio,
                  QObject* parent = nullptr);
    ~TGalleryModel() override;

    // Reads the cards. False when the archive could not be read to its end:
    // the cards read until then are shown all the same.
    bool load();

    int total() const { return int(m_cards.size()); }
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    qint32 numberAt(int row) const;
    // The row showing card `number`; -1 when none does.
    int rowOf(qint32 number) const;

    // Keeps the cards whose name, maker or type holds `text` by the find
    // window's rule for one field; a blank text keeps every card.
    void setFilter(const QString& text);

    // The tile side in logical pixels, ThumbnailCache::pictureBox gives its picture.
    void setTileSide(int side);
    int tileSide() const { return m_side; }

    // The rows on screen: their pictures are read first, then those of
    // `margin` rows on either side; pictures of rows further away are dropped.
    void setVisibleRows(int first, int last, int margin);

    // Rows on screen whose picture is still being read.
    int waiting() const { return m_waiting; }
    // Pictures kept in memory.
    int keptPictures() const { return int(m_pictures.size()); }

signals:
    void waitingChanged(int waiting);

private:
    struct Card {
        qint32 number = 0;
        quint32 offset = 0; // of its bytes in m_bytes: name, type, maker
        quint8 name = 0;
        quint8 type = 0;
        quint8 maker = 0;
    };
    struct Picture {
        QImage image;
        State state = State::Waiting;
        QSize shown; // the size it was read for
    };

    QByteArrayView bytes(const Card& card, int field) const;
    const Card& cardAt(int row) const { return m_cards[size_t(m_rows[size_t(row)])]; }
    QSize shownSize() const;
    void takeTile(qint32 record, const TGalleryTile& tile, QSize shown);
    void requestPictures();
    void countWaiting();

    QString m_archivePath;
    QString m_archiveName;
    qreal m_ratio;
    std::vector<Card> m_cards;
    QByteArray m_bytes;
    std::vector<int> m_rows; // indexes into m_cards, ascending
    QHash<qint32, Picture> m_pictures;
    TThumbnailLoader m_loader;
    int m_side = 160;
    int m_first = 0;
    int m_last = -1;
    int m_margin = 0;
    int m_waiting = 0;
};
