#pragma once
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>

// The gallery's thumbnails, kept beside the photos (CompanionFiles::
// thumbnailPath) so that the program folder stays portable and a second
// opening of the gallery decodes no photo.
//
// A thumbnail is a small JPEG of the photo, upright, fitted into the box of
// the largest tile. Its comment records the photo file's size and
// modification time and the box it was made for; a thumbnail whose photo
// changed, that was made for a smaller box, that does not decode or that
// carries no such comment (damaged, foreign) is made again. When the folder
// cannot be written (read-only, full) the thumbnails made are kept in memory
// instead, within a bound, and the gallery works on without a word.
//
// Everything here reads or writes files: call it off the user-interface
// thread.
namespace ThumbnailCache {

// The side of the largest tile, in logical pixels; the picture of a tile is
// as wide as the tile and three quarters as high.
constexpr int kLargestTile = 384;
QSize pictureBox(int tileSide);

enum class Origin {
    Missing,    // no photo file
    Unreadable, // a photo file that does not decode
    Read,       // a thumbnail kept before
    Made        // decoded from the photo now
};

struct Result {
    QImage picture; // null unless Read or Made
    Origin origin = Origin::Missing;
};

// The picture of the photo at `photoPath`, fitted into `shown` (device
// pixels), through the thumbnail at `thumbnailPath` made for `box` (device
// pixels). A thumbnail is decoded at reduced size where `shown` is smaller.
Result picture(const QString& photoPath, const QString& thumbnailPath, QSize box, QSize shown);

// What a thumbnail's comment says for a photo file of that size and time.
QByteArray stampOf(qint64 size, qint64 modifiedNs, QSize box);

// Forgets the thumbnails kept in memory (tests).
void clearMemory();

// How pictures were found, program-wide: benchmarks and tests watch them.
struct Counters {
    std::atomic<int> made{0};
    std::atomic<int> read{0};
    std::atomic<int> kept{0}; // made, but could not be written: kept in memory
};
Counters& counters();

} // namespace ThumbnailCache
