#include "core/photos/DecodeCost.h"

#include <QMutexLocker>

#include <algorithm>
#include <cmath>
#include <cstring>

#include <zlib.h>

namespace DecodeCost {

namespace {

// One 8 x 8 block of coefficients as libjpeg keeps it: 64 shorts.
constexpr qint64 kBlockBytes = qint64{64} * 2;

qint64 ceilDiv(qint64 a, qint64 b)
{
    return (a + b - 1) / b;
}

int maxH(const JpegLayout& layout)
{
    int most = 1;
    for (const auto& c : layout.components)
        most = std::max(most, c.h);
    return most;
}

int maxV(const JpegLayout& layout)
{
    int most = 1;
    for (const auto& c : layout.components)
        most = std::max(most, c.v);
    return most;
}

// The numerator of the 1/8 step libjpeg is asked to decode at for
// `target`: the smallest step whose picture is at least `target`, as Qt's
// JPEG reader chooses it.
int scaleEighths(QSize stored, QSize target)
{
    if (target == stored || target.isEmpty())
        return 8;
    const double f = std::min(double(stored.width()) / target.width(), double(stored.height()) / target.height());
    return std::clamp(int(std::ceil(8.0 / f)), 1, 8);
}

// Moves `i` past the next marker of the JPEG `p` of `n` bytes and gives
// it, or -1 when the data ends first. Like libjpeg, anything up to the
// next 0xFF is skipped, and the 0xFF fill bytes before the marker too.
int nextMarker(const unsigned char* p, qsizetype n, qsizetype& i)
{
    const void* mark = i < n ? std::memchr(p + i, 0xFF, size_t(n - i)) : nullptr;
    if (!mark)
        return -1;
    i = static_cast<const unsigned char*>(mark) - p;
    while (i < n && p[i] == 0xFF)
        ++i;
    if (i >= n)
        return -1;
    return p[i++];
}

} // namespace

std::optional<JpegLayout> readJpegLayout(const QByteArray& jpeg)
{
    const auto* p = reinterpret_cast<const unsigned char*>(jpeg.constData());
    const qsizetype n = jpeg.size();
    if (n < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return std::nullopt;
    std::optional<JpegLayout> layout;
    bool progressive = false;
    qsizetype i = 2;
    while (i < n) {
        const int marker = nextMarker(p, n, i);
        if (marker < 0 || marker == 0xD9) // the data's or the image's end
            break;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x00)
            continue; // no length follows
        if (i + 2 > n)
            break;
        const int length = (p[i] << 8) | p[i + 1];
        if (length < 2)
            break;
        const qsizetype body = i + 2;
        const qsizetype next = i + length;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && !layout) {
            if (body + 6 > n)
                break;
            JpegLayout read;
            read.stored = QSize((p[body + 3] << 8) | p[body + 4], (p[body + 1] << 8) | p[body + 2]);
            const int count = p[body + 5];
            for (qsizetype c = 0; c < count && body + 6 + 3 * c + 1 < n; ++c) {
                const unsigned char factors = p[body + 6 + 3 * c + 1];
                // libjpeg refuses factors outside 1..4; kept in range here so
                // that the estimate never divides by zero.
                read.components.push_back({std::clamp(factors >> 4, 1, 4), std::clamp(factors & 0x0F, 1, 4)});
            }
            if (read.components.empty())
                read.components.push_back({});
            // Only the sequential frames decode in one pass.
            progressive = marker != 0xC0 && marker != 0xC1 && marker != 0xC9;
            read.wholeImageBuffers = true; // until a first scan says otherwise
            layout = read;
        } else if (marker == 0xDA) { // the first scan: the header ends here
            if (layout && body < n)
                layout->wholeImageBuffers = progressive || p[body] < int(layout->components.size());
            break;
        }
        i = next;
    }
    return layout;
}

qint64 wholeImageBytes(const JpegLayout& layout)
{
    if (!layout.wholeImageBuffers)
        return 0;
    const int hMax = maxH(layout);
    const int vMax = maxV(layout);
    qint64 blocks = 0;
    for (const auto& c : layout.components) {
        const qint64 wide = ceilDiv(ceilDiv(qint64(layout.stored.width()) * c.h, hMax), 8);
        const qint64 high = ceilDiv(ceilDiv(qint64(layout.stored.height()) * c.v, vMax), 8);
        blocks += ceilDiv(wide, c.h) * c.h * ceilDiv(high, c.v) * c.v;
    }
    return blocks * kBlockBytes;
}

int jpegScanCount(const QByteArray& jpeg, int most)
{
    const auto* p = reinterpret_cast<const unsigned char*>(jpeg.constData());
    const qsizetype n = jpeg.size();
    int scans = 0;
    qsizetype i = 2;
    while (i < n && scans <= most) {
        // The coded data between markers is skipped whole: 0xFF there is
        // followed by a zero or a restart marker, which have no length.
        const int marker = nextMarker(p, n, i);
        if (marker < 0 || marker == 0xD9) // the data's or the image's end
            break;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x00)
            continue;
        if (i + 2 > n)
            break;
        const int length = (p[i] << 8) | p[i + 1];
        if (length < 2)
            break;
        if (marker == 0xDA)
            ++scans;
        i += length;
    }
    return scans;
}

qint64 pictureBytes(QSize size)
{
    return size.isEmpty() ? 0 : qint64(size.width()) * size.height() * 4;
}

qint64 rasterDecodeBytes(QSize size, int bytesPerPixel, bool turned)
{
    if (size.isEmpty())
        return 0;
    const qint64 area = qint64(size.width()) * size.height();
    return area * bytesPerPixel * (turned ? 2 : 1) + area * 4;
}

std::optional<QSize> gifCanvas(const QByteArray& gif)
{
    const auto* p = reinterpret_cast<const unsigned char*>(gif.constData());
    const qsizetype n = gif.size();
    if (n < 13 || !gif.startsWith("GIF8"))
        return std::nullopt;
    auto word = [p](qsizetype at) { return p[at] | p[at + 1] << 8; };
    const QSize screen(word(6), word(8));
    qsizetype i = 13;
    if (p[10] & 0x80) // a global colour map
        i += qsizetype{3} * (2 << (p[10] & 0x07));
    while (i < n) {
        if (p[i] == 0x2C) { // the first picture
            if (i + 9 > n)
                return std::nullopt;
            return QSize(std::max(screen.width(), word(i + 1) + word(i + 5)),
                         std::max(screen.height(), word(i + 3) + word(i + 7)));
        }
        if (p[i] != 0x21) // not an extension: the end, or damage
            return std::nullopt;
        i += 2; // introducer and label, then blocks up to an empty one
        while (i < n && p[i] != 0)
            i += p[i] + 1;
        ++i;
    }
    return std::nullopt;
}

namespace {

// What a zlib stream unpacks to, counted up to just past `most` without
// keeping any of it. A broken stream counts what came before the damage.
qint64 unpackedBytes(const unsigned char* data, qsizetype size, qint64 most)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return 0;
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = uInt(size);
    unsigned char scratch[16384];
    qint64 total = 0;
    int result = Z_OK;
    while (result == Z_OK && total <= most) {
        stream.next_out = scratch;
        stream.avail_out = sizeof scratch;
        result = inflate(&stream, Z_NO_FLUSH);
        total += qint64(sizeof scratch - stream.avail_out);
        if (result == Z_BUF_ERROR || (result == Z_OK && stream.avail_out != 0 && stream.avail_in == 0))
            break;
    }
    inflateEnd(&stream);
    return total;
}

} // namespace

std::optional<qint64> pngTextBytes(const QByteArray& png, qint64 most)
{
    const auto* p = reinterpret_cast<const unsigned char*>(png.constData());
    const qsizetype n = png.size();
    qint64 total = 0;
    qsizetype i = 8; // the signature
    while (i + 8 <= n && total <= most) {
        const quint32 length = quint32(p[i]) << 24 | quint32(p[i + 1]) << 16 | quint32(p[i + 2]) << 8 | p[i + 3];
        const QByteArray type(reinterpret_cast<const char*>(p + i + 4), 4);
        const qsizetype body = i + 8;
        if (length > quint32(n - body)) {
            if (type == "IDAT") // read a little at a time: a cut picture is the reader's to judge
                break;
            return std::nullopt;
        }
        const unsigned char* data = p + body;
        const auto* keywordEnd = static_cast<const unsigned char*>(std::memchr(data, 0, length));
        const qsizetype afterKeyword = keywordEnd ? keywordEnd - data + 1 : qsizetype(length);
        if (type == "tEXt") {
            total += length;
        } else if ((type == "zTXt" || type == "iCCP") && afterKeyword + 1 <= qsizetype(length)) {
            // keyword or profile name, method, then the compressed data
            total += unpackedBytes(data + afterKeyword + 1, qsizetype(length) - afterKeyword - 1, most - total);
        } else if (type == "iTXt" && afterKeyword + 2 <= qsizetype(length)) {
            // keyword, compressed or not, method, language, translated keyword, text
            qsizetype at = afterKeyword + 2;
            for (int skip = 0; skip < 2 && at < qsizetype(length); ++skip) {
                const void* end = std::memchr(data + at, 0, size_t(qsizetype(length) - at));
                at = end ? static_cast<const unsigned char*>(end) - data + 1 : qsizetype(length);
            }
            const qsizetype text = qsizetype(length) - at;
            total += data[afterKeyword] != 0 ? unpackedBytes(data + at, text, most - total) : text;
        } else if (type == "IEND") {
            break;
        }
        i = body + qsizetype(length) + 4; // and the check sum
    }
    return total;
}

qint64 jpegDecodeBytes(const JpegLayout& layout, QSize target, bool turned)
{
    const QSize stored = layout.stored;
    const int eighths = scaleEighths(stored, target);
    const QSize written(int(ceilDiv(qint64(stored.width()) * eighths, 8)),
                        int(ceilDiv(qint64(stored.height()) * eighths, 8)));
    // Rows of every component around the one being turned into pixels, a
    // few times over for smoothing and colour conversion.
    const qint64 rows = qint64(stored.width()) * qint64(layout.components.size()) * maxV(layout) * 8 * 3;
    qint64 bytes = wholeImageBytes(layout) + rows + pictureBytes(written);
    if (written != target)
        bytes += pictureBytes(target);
    if (turned)
        bytes += pictureBytes(target);
    return bytes;
}

qint64 leastJpegDecodeBytes(const JpegLayout& layout)
{
    return jpegDecodeBytes(layout, QSize(1, 1), false);
}

bool Budget::take(qint64 bytes)
{
    if (bytes > m_capacity)
        return false;
    bytes = std::max<qint64>(bytes, 0);
    QMutexLocker lock(&m_mutex);
    while (m_inUse + bytes > m_capacity)
        m_freed.wait(&m_mutex);
    m_inUse += bytes;
    m_peak = std::max(m_peak, m_inUse);
    return true;
}

void Budget::give(qint64 bytes)
{
    QMutexLocker lock(&m_mutex);
    m_inUse -= std::max<qint64>(bytes, 0);
    m_freed.wakeAll();
}

qint64 Budget::inUse() const
{
    QMutexLocker lock(&m_mutex);
    return m_inUse;
}

qint64 Budget::peak() const
{
    QMutexLocker lock(&m_mutex);
    return m_peak;
}

void Budget::resetPeak()
{
    QMutexLocker lock(&m_mutex);
    m_peak = m_inUse;
}

Budget& photoBudget()
{
    static Budget budget(kBound);
    return budget;
}

} // namespace DecodeCost
