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

#include <zlib.h>

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
    // Progressive: how many times the scans of the other coefficients come, each round one scan per
    // component. libjpeg takes a repeated scan without complaint, and works through every one.
    int acRounds = 1;
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

    // DC: category 0 is "0", categories 1..11 five bits each. AC: end of block "0", and runs of
    // 2..32767 ends of block (progressive only) five bits each.
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
    acCounts[4] = 14;
    ac += acCounts;
    for (int r = 0; r <= 14; ++r)
        ac += char(r << 4);
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
        for (int round = 0; round < shape.acRounds; ++round) {
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
                // Every block in runs of ends of block: a few bytes a scan, whatever the picture's size.
                JpegBits eob;
                for (qint64 left = qint64(across) * down; left > 0;) {
                    const qint64 run = std::min<qint64>(left, 32767);
                    int r = 0;
                    while ((qint64(2) << r) <= run)
                        ++r;
                    if (r == 0) {
                        eob.put(0, 1);
                    } else {
                        eob.put(quint32(0x10 + r - 1), 5);
                        eob.put(quint32(run - (qint64(1) << r)), r);
                    }
                    left -= run;
                }
                out += eob.finish();
            }
        }
    }
    return out + QByteArray("\xFF\xD9", 2);
}

// A progressive JPEG of `size` whose other coefficients come in `scans`
// scans in all (one DC scan, then rounds of one scan per colour), as an
// encoder asked for thousands of scans writes it: a photo that shows right,
// at the cost of a pass over the picture for each scan.
inline QByteArray manyScanJpeg(QSize size, int scans)
{
    HandMadeJpeg shape;
    shape.size = size;
    shape.progressive = true;
    shape.acRounds = (scans - 1) / 3;
    return handMadeJpeg(shape);
}

// `head`, `count` copies of `fill`, then `tail`, compressed with zlib in
// the given wrapper (15 + 16: gzip, 15: zlib, -15: raw), never held whole.
inline QByteArray deflated(const QByteArray& head, char fill, qint64 count, const QByteArray& tail, int windowBits)
{
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, windowBits, 9, Z_DEFAULT_STRATEGY);
    QByteArray out;
    QByteArray chunk(1 << 16, '\0');
    const QByteArray block(1 << 20, fill);
    auto feed = [&](const char* data, qint64 size, int flush) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        stream.avail_in = uInt(size);
        do {
            stream.next_out = reinterpret_cast<Bytef*>(chunk.data());
            stream.avail_out = uInt(chunk.size());
            deflate(&stream, flush);
            out.append(chunk.constData(), chunk.size() - qsizetype(stream.avail_out));
        } while (stream.avail_out == 0);
    };
    feed(head.constData(), head.size(), Z_NO_FLUSH);
    for (qint64 left = count; left > 0; left -= block.size())
        feed(block.constData(), std::min<qint64>(left, block.size()), Z_NO_FLUSH);
    feed(tail.constData(), tail.size(), Z_FINISH);
    deflateEnd(&stream);
    return out;
}

// A compressed SVG of 10 x 10 pixels whose comment unpacks to `commentBytes`.
inline QByteArray compressedSvg(qint64 commentBytes)
{
    return deflated("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"><!--", 'x', commentBytes,
                    "--><rect width=\"10\" height=\"10\" fill=\"red\"/></svg>", 15 + 16);
}

// ---- PNG, GIF and TIFF headers made by hand --------------------------------------

inline void appendBigEndian(QByteArray& out, quint32 value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += char((value >> shift) & 0xFF);
}

inline QByteArray pngChunk(const char* type, const QByteArray& data)
{
    QByteArray chunk;
    appendBigEndian(chunk, quint32(data.size()));
    const QByteArray typed = QByteArray(type, 4) + data;
    chunk += typed;
    appendBigEndian(chunk, quint32(crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size()))));
    return chunk;
}

struct HandMadePng {
    QSize size;
    int bitDepth = 8;
    int colourType = 2; // 0 grey, 2 RGB, 6 RGBA
    // zTXt chunks, each a comment unpacking to `textBytes`.
    int texts = 0;
    qint64 textBytes = 0;
    bool black = false; // a black picture, otherwise none at all (its data is empty)
};

// The chunks up to the picture's data, then the picture: what decides what
// the decode costs, in a few hundred bytes.
inline QByteArray handMadePng(const HandMadePng& shape)
{
    QByteArray header;
    appendBigEndian(header, quint32(shape.size.width()));
    appendBigEndian(header, quint32(shape.size.height()));
    header += char(shape.bitDepth);
    header += char(shape.colourType);
    header += QByteArray(3, '\0');
    QByteArray out("\x89PNG\r\n\x1A\n", 8);
    out += pngChunk("IHDR", header);
    const QByteArray text = deflated({}, 'x', shape.textBytes, {}, 15);
    for (int i = 0; i < shape.texts; ++i)
        out += pngChunk("zTXt", QByteArray("Comment\0\0", 9) + text);
    const int channels = shape.colourType == 6 ? 4 : shape.colourType == 2 ? 3 : 1;
    const qint64 rowBytes = 1 + qint64(shape.size.width()) * channels * shape.bitDepth / 8;
    out += pngChunk("IDAT", deflated({}, '\0', shape.black ? rowBytes * shape.size.height() : 0, {}, 15));
    return out + pngChunk("IEND", {});
}

// A GIF whose screen is `screen` and whose first picture is `picture`.
inline QByteArray handMadeGif(QSize screen, QSize picture)
{
    QByteArray out("GIF89a");
    auto le = [&out](int v) {
        out += char(v & 0xFF);
        out += char((v >> 8) & 0xFF);
    };
    le(screen.width());
    le(screen.height());
    out += QByteArray("\x80\0\0", 3);           // a global map of two colours
    out += QByteArray("\0\0\0\xFF\xFF\xFF", 6); // black, white
    out += char(0x2C);                          // the first picture
    le(0);
    le(0);
    le(picture.width());
    le(picture.height());
    out += char(0);
    out += QByteArray("\x02\x02\x44\x01\x00", 5); // its data: a clear code and an end
    return out + char(0x3B);
}

// `tiff` (little-endian, as written here) with the size in its first
// directory changed to `size`: the header of a picture that big.
inline QByteArray withTiffSize(QByteArray tiff, QSize size)
{
    auto u16 = [&tiff](qsizetype at) { return quint16(quint8(tiff[at]) | quint8(tiff[at + 1]) << 8); };
    const qsizetype directory = qsizetype(quint8(tiff[4]) | quint8(tiff[5]) << 8 | quint8(tiff[6]) << 16);
    for (int e = 0; e < u16(directory); ++e) {
        const qsizetype entry = directory + 2 + 12 * e;
        const int tag = u16(entry);
        if (tag != 256 && tag != 257)
            continue;
        const quint32 value = quint32(tag == 256 ? size.width() : size.height());
        for (int b = 0; b < 4; ++b)
            tiff[entry + 8 + b] = char((value >> (8 * b)) & 0xFF);
    }
    return tiff;
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
