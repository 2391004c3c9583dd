#pragma once
#include <QByteArray>
#include <QMutex>
#include <QSize>
#include <QWaitCondition>

#include <optional>
#include <vector>

// What decoding a photo file costs in memory, judged from its header before
// a single pixel is decoded, and the budget every decode draws from.
//
// A file of a few hundred bytes may declare a picture of 45 000 x 45 000
// pixels. Decoded reduced, a baseline JPEG costs little whatever it declares,
// but for a progressive one (or one whose colours come in separate scans)
// libjpeg first sets aside the coefficients of the whole picture: 2 bytes
// for each of 64 per 8 x 8 block of every component, 3 bytes a pixel in the
// common 4:2:0 layout, 6 in 4:4:4, 8 for CMYK. That, the picture libjpeg
// writes and the one we keep is what a decode costs.
namespace DecodeCost {

// The most one decode may take: 1 GiB. A 100-megapixel progressive photo
// fits in any layout (4:4:4 600 MB, CMYK 800 MB), a baseline one of any size
// JPEG allows costs its reduced picture only; the 558-byte files that
// declare 30 000² (5.4 GB) or 45 000² pixels (6.1 GB) do not.
constexpr qint64 kBound = qint64(1) << 30;

// The most scans a photo's JPEG may come in. Encoders write one to a dozen;
// libjpeg works through the whole picture once for each, so a file of a
// thousand scans costs seconds at any size it is shown.
constexpr int kMaxScans = 100;

// The longest photo file read: 256 MiB, beyond any camera's photo. Longer
// ones are not read at all.
constexpr qint64 kMaxFileBytes = qint64(256) << 20;

// The most the text and colour profile of a PNG may unpack to, together:
// Qt unpacks them all while reading the header.
constexpr qint64 kMaxPngTextBytes = qint64(8) << 20;

// The layout a JPEG header declares, as far as the cost depends on it.
struct JpegLayout {
    QSize stored; // as stored, before any orientation turn
    struct Component {
        int h = 1;
        int v = 1;
    };
    std::vector<Component> components;
    // libjpeg keeps every coefficient of the picture: a progressive file, or
    // one whose first scan holds only some of the components.
    bool wholeImageBuffers = false;
};

// The layout of `jpeg`'s first frame, read from its markers as libjpeg
// reads them; nothing when no frame header is found.
std::optional<JpegLayout> readJpegLayout(const QByteArray& jpeg);

// Bytes libjpeg sets aside for the whole picture's coefficients (0 when it
// decodes in one pass).
qint64 wholeImageBytes(const JpegLayout& layout);

// The scans of `jpeg` up to its end, as libjpeg reads them; counting stops
// once past `most`.
int jpegScanCount(const QByteArray& jpeg, int most);

// A 32-bit picture of `size`.
qint64 pictureBytes(QSize size);

// Bytes a decode of any other raster format to a picture of `size` costs:
// the picture the reader writes, at `bytesPerPixel` (its format's, 16 for
// 32-bit float RGBA), once more when it is turned upright, and the 32-bit
// picture kept.
qint64 rasterDecodeBytes(QSize size, int bytesPerPixel, bool turned);

// The picture a GIF decodes to: its screen, or its first picture where that
// reaches further. Nothing when no picture is found.
std::optional<QSize> gifCanvas(const QByteArray& gif);

// What the text and colour profile chunks of `png` unpack to, in bytes;
// counting stops once past `most`. Nothing when a chunk other than the
// picture's data declares more bytes than the file holds: libpng sets aside
// what a chunk declares (up to 2 GB) before reading it.
std::optional<qint64> pngTextBytes(const QByteArray& png, qint64 most);

// Bytes a decode of the stored picture to `target` (stored orientation;
// the full size when equal to it) costs: the whole-picture coefficients,
// libjpeg's working rows, the picture it writes at the nearest of its 1/8
// steps at or above `target`, and the picture kept, once more when it is
// turned upright.
qint64 jpegDecodeBytes(const JpegLayout& layout, QSize target, bool turned);

// The least any decode of that file costs: at libjpeg's smallest step.
qint64 leastJpegDecodeBytes(const JpegLayout& layout);

// Memory shared by every decode of the program: a decode takes its cost
// before it starts and gives it back when done, waiting while others hold
// too much, so that decodes side by side (the sheet's two photos) never
// add up to more than the capacity together.
class Budget {
public:
    explicit Budget(qint64 capacity) : m_capacity(capacity) {}
    qint64 capacity() const { return m_capacity; }

    // False at once, taking nothing, when `bytes` exceeds the capacity.
    bool take(qint64 bytes);
    void give(qint64 bytes);

    qint64 inUse() const;
    // The most ever held at once since the last reset.
    qint64 peak() const;
    void resetPeak();

    // Holds `bytes` of `budget` for its lifetime.
    class Hold {
    public:
        Hold(Budget& budget, qint64 bytes) : m_budget(budget), m_bytes(budget.take(bytes) ? bytes : -1) {}
        ~Hold()
        {
            if (m_bytes >= 0)
                m_budget.give(m_bytes);
        }
        bool held() const { return m_bytes >= 0; }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        Budget& m_budget;
        qint64 m_bytes;
    };

private:
    const qint64 m_capacity;
    mutable QMutex m_mutex;
    QWaitCondition m_freed;
    qint64 m_inUse = 0;
    qint64 m_peak = 0;
};

// The program's budget: kBound.
Budget& photoBudget();

} // namespace DecodeCost
