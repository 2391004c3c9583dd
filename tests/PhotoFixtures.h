#pragma once
// Pictures for the photo tests: JPEG and bitmap files of a known look, and a
// JPEG carrying an orientation mark as phones write it.
#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include "core/archive/CompanionFiles.h"

namespace PhotoFixtures {

// Left half red, right half blue: which way up it shows is plain to see.
inline QImage halves(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0, 0, 255));
    QPainter(&image).fillRect(QRect(0, 0, size.width() / 2, size.height()), QColor(255, 0, 0));
    return image;
}

inline QByteArray encoded(const QImage& image, const char* format, int quality = 90)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return buffer.data();
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Where the photo folder keeps photo `which` of card `record` of `archive`.
inline QString cardPhotoPath(CompanionFiles::Photo which, const QString& archive, int record)
{
    return CompanionFiles::photoPath(which, archive, record);
}

// Puts `bytes` in the photo folder as that photo; the folder must exist.
inline bool writeCardPhoto(CompanionFiles::Photo which, const QString& archive, int record, const QByteArray& bytes)
{
    return writeFile(cardPhotoPath(which, archive, record), bytes);
}

// An Exif APP1 segment holding only the orientation mark (TIFF tag 0x0112),
// big-endian, in IFD0.
inline QByteArray exifOrientation(quint16 orientation)
{
    QByteArray tiff("MM\0\x2A\0\0\0\x08", 8);          // header, IFD0 at offset 8
    tiff += QByteArray("\0\x01", 2);                   // one entry
    tiff += QByteArray("\x01\x12\0\x03\0\0\0\x01", 8); // Orientation, SHORT, count 1
    tiff += char(orientation >> 8);
    tiff += char(orientation & 0xFF);
    tiff += QByteArray(2, '\0'); // value padding
    tiff += QByteArray(4, '\0'); // no next IFD
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(payload.size()) + 2;
    QByteArray segment("\xFF\xE1", 2);
    segment += char(length >> 8);
    segment += char(length & 0xFF);
    return segment + payload;
}

// A JPEG of `stored` pixels with an orientation mark right after its start
// marker, as a camera writes a photo it took turned.
inline QByteArray turnedJpeg(const QImage& stored, quint16 orientation)
{
    const QByteArray jpeg = encoded(stored, "jpg", 95);
    return jpeg.left(2) + exifOrientation(orientation) + jpeg.mid(2);
}

// ---- JPEG files made by hand ---------------------------------------------------
//
// Photos of tens or hundreds of megapixels, and headers declaring more, in
// a fraction of a second: every 8 x 8 block is flat (its DC coefficient
// only, quantised by 1), coded with two tiny Huffman tables, so the coded
// data is a few bits a block and the picture is two flat halves.
struct HandMadeJpeg {
    QSize size;
    int components = 3;         // 1 grey, 3 YCbCr, 4 CMYK (Adobe, inverted as Photoshop writes it)
    bool subsampled = true;     // 3 components: 4:2:0, otherwise 4:4:4
    bool progressive = false;   // a DC scan, then one scan of the other coefficients (all 0) per component
    bool separateScans = false; // sequential, but its first scan holds one component
    bool headerOnly = false;    // the headers and an empty first scan: the few hundred bytes of a bomb
    // The component samples of the left and of the right half.
    std::array<int, 4> left{76, 85, 255, 255};   // red in YCbCr
    std::array<int, 4> right{29, 255, 107, 255}; // blue in YCbCr
};

class JpegBits {
public:
    void put(quint32 bits, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            m_byte = (m_byte << 1) | ((bits >> i) & 1);
            if (++m_filled == 8)
                flush();
        }
    }
    // `count` zero bits, whole bytes at once.
    void zeros(qint64 count)
    {
        while (count > 0 && m_filled != 0) {
            put(0, 1);
            --count;
        }
        m_out.append(qsizetype(count / 8), '\0');
        put(0, int(count % 8));
    }
    QByteArray finish()
    {
        while (m_filled != 0)
            put(1, 1);
        return m_out;
    }

private:
    void flush()
    {
        m_out.append(char(m_byte));
        if (m_byte == 0xFF)
            m_out.append('\0');
        m_byte = 0;
        m_filled = 0;
    }
    QByteArray m_out;
    quint32 m_byte = 0;
    int m_filled = 0;
};

inline QByteArray jpegSegment(quint8 marker, const QByteArray& body)
{
    QByteArray segment("\xFF", 1);
    segment += char(marker);
    const int length = int(body.size()) + 2;
    segment += char(length >> 8);
    segment += char(length & 0xFF);
    return segment + body;
}

inline QByteArray handMadeJpeg(const HandMadeJpeg& shape)
{
    const int n = shape.components;
    const bool halfChroma = n == 3 && shape.subsampled;
    QByteArray out("\xFF\xD8", 2);
    if (n == 4)
        out += jpegSegment(0xEE, QByteArray("Adobe\0\x64\0\0\0\0\0", 12)); // transform 0: plain CMYK
    out += jpegSegment(0xDB, QByteArray(1, '\0') + QByteArray(64, '\x01'));

    QByteArray frame;
    frame += char(8);
    frame += char(shape.size.height() >> 8);
    frame += char(shape.size.height() & 0xFF);
    frame += char(shape.size.width() >> 8);
    frame += char(shape.size.width() & 0xFF);
    frame += char(n);
    for (int c = 0; c < n; ++c) {
        frame += char(c + 1);
        frame += char(halfChroma && c == 0 ? 0x22 : 0x11);
        frame += char(0);
    }
    out += jpegSegment(shape.progressive ? 0xC2 : 0xC0, frame);

    // DC: category 0 is "0", categories 1..11 five bits each. AC: end of block only, "0".
    QByteArray dc(1, '\x00');
    QByteArray counts(16, '\0');
    counts[0] = 1;
    counts[4] = 11;
    dc += counts;
    for (int s = 0; s <= 11; ++s)
        dc += char(s);
    QByteArray ac(1, '\x10');
    QByteArray acCounts(16, '\0');
    acCounts[0] = 1;
    ac += acCounts + QByteArray(1, '\0');
    out += jpegSegment(0xC4, dc + ac);

    const int inScan = shape.separateScans ? 1 : n;
    QByteArray scan;
    scan += char(inScan);
    for (int c = 0; c < inScan; ++c) {
        scan += char(c + 1);
        scan += char(0x00);
    }
    scan += char(0);
    scan += char(shape.progressive ? 0 : 63);
    scan += char(0);
    out += jpegSegment(0xDA, scan);
    if (shape.headerOnly)
        return out + QByteArray("\xFF\xD9", 2);

    const int mcuSide = halfChroma ? 16 : 8;
    const int mcusWide = (shape.size.width() + mcuSide - 1) / mcuSide;
    const int mcusHigh = (shape.size.height() + mcuSide - 1) / mcuSide;
    // One component per scan: its own blocks, one each.
    const int perMcu = inScan == 1 ? 1 : (halfChroma ? 6 : n);
    const int wide = inScan == 1 ? (shape.size.width() + 7) / 8 : mcusWide;
    const int high = inScan == 1 ? (shape.size.height() + 7) / 8 : mcusHigh;
    const int bitsPerFlatBlock = shape.progressive ? 1 : 2;
    const int split = (wide + 1) / 2; // the first unit of the right half

    JpegBits bits;
    std::array<int, 4> previous{0, 0, 0, 0};
    auto block = [&](int component, int sample) {
        const int value = (sample - 128) * 8;
        const int diff = value - previous[component];
        previous[component] = value;
        if (diff == 0) {
            bits.zeros(bitsPerFlatBlock);
            return;
        }
        int category = 0;
        while ((std::abs(diff) >> category) != 0)
            ++category;
        bits.put(0x10 + category - 1, 5);
        bits.put(quint32(diff > 0 ? diff : diff + (1 << category) - 1), category);
        if (!shape.progressive)
            bits.put(0, 1);
    };
    auto unit = [&](const std::array<int, 4>& colour) {
        if (inScan == 1) {
            block(0, colour[0]);
            return;
        }
        for (int c = 0; c < n; ++c)
            for (int b = 0; b < (halfChroma && c == 0 ? 4 : 1); ++b)
                block(c, colour[c]);
    };
    for (int y = 0; y < high; ++y) {
        unit(shape.left);
        bits.zeros(qint64(bitsPerFlatBlock) * perMcu * (split - 1));
        if (split < wide) {
            unit(shape.right);
            bits.zeros(qint64(bitsPerFlatBlock) * perMcu * (wide - split - 1));
        }
    }
    out += bits.finish();
    if (shape.progressive) {
        // Then, for each component, the scan of its other 63 coefficients:
        // every block "0", an end of block. With every coefficient known,
        // libjpeg does not smooth the blocks, as with an encoder's files.
        for (int c = 0; c < n; ++c) {
            const int factor = halfChroma && c == 0 ? 2 : 1;
            const int across = (shape.size.width() * factor / (halfChroma ? 2 : 1) + 7) / 8;
            const int down = (shape.size.height() * factor / (halfChroma ? 2 : 1) + 7) / 8;
            QByteArray acScan;
            acScan += char(1);
            acScan += char(c + 1);
            acScan += char(0x00);
            acScan += char(1);
            acScan += char(63);
            acScan += char(0);
            out += jpegSegment(0xDA, acScan);
            JpegBits eob;
            eob.zeros(qint64(across) * down);
            out += eob.finish();
        }
    }
    return out + QByteArray("\xFF\xD9", 2);
}

// The peak of this process's resident memory (VmHWM), counted from the
// moment the watch starts: what a piece of work took at its worst.
class PeakMemoryWatch {
public:
    PeakMemoryWatch()
    {
        QFile reset(QStringLiteral("/proc/self/clear_refs"));
        if (reset.open(QIODevice::WriteOnly))
            reset.write("5"); // the peak starts again from what is resident now
        m_start = field("VmRSS:");
    }
    // Megabytes over what was resident at the start.
    qint64 risenMb() const { return std::max<qint64>(0, field("VmHWM:") - m_start) / 1024; }

private:
    static qint64 field(const char* name)
    {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith(name))
                return line.mid(qsizetype(strlen(name))).trimmed().split(' ').first().toLongLong(); // kB
        return 0;
    }
    qint64 m_start = 0;
};

// The 558-byte kind of file: a progressive header declaring `side` x `side`
// pixels, for which libjpeg would set aside gigabytes.
inline QByteArray progressiveBomb(int side, bool subsampled)
{
    HandMadeJpeg shape;
    shape.size = QSize(side, side);
    shape.subsampled = subsampled;
    shape.progressive = true;
    shape.headerOnly = true;
    return handMadeJpeg(shape);
}

inline QByteArray formatOf(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.format();
}

inline QSize sizeOf(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.size();
}

inline bool near(QRgb a, QColor b, int tolerance = 40)
{
    return qAbs(qRed(a) - b.red()) <= tolerance && qAbs(qGreen(a) - b.green()) <= tolerance
           && qAbs(qBlue(a) - b.blue()) <= tolerance;
}

} // namespace PhotoFixtures
