// The photo loader on any bytes, damaged JPEGs and bitmaps above all: what
// it accepts, what a decode reserves, and how long a decode takes.
//
// Input: the file's bytes, whole.
#include "FuzzSupport.h"

#include "core/photos/DecodeCost.h"
#include "core/photos/Photo.h"

#include <QImage>
#include <QImageReader>

#include <csetjmp>
#include <cstdio>
#include <ctime>
#include <optional>

#include <jpeglib.h>

namespace {

// A JPEG side is 16-bit. A bitmap may claim any size, and a file of a few
// bytes a huge one: the reader's allocation limit is what bounds its pixels.
constexpr int kMaxJpegSide = 65535;
// What the JPEG encoder writes at most.
constexpr int kMaxWrittenSide = 65500;

bool sane(const TPhoto& photo)
{
    const QSize size = photo.size();
    if (size.width() <= 0 || size.height() <= 0)
        return false;
    if (photo.isJpeg())
        return size.width() <= kMaxJpegSide && size.height() <= kMaxJpegSide;
    return qint64(size.width()) * size.height() * 4 <= qint64(QImageReader::allocationLimit()) * 1024 * 1024;
}

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

// What libjpeg itself sets aside for the whole picture's coefficients when
// decoding `bytes`, from the fields its own header reading fills in:
// nothing when it reads no header.
std::optional<qint64> libjpegWholeImageBytes(const QByteArray& bytes)
{
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = [](j_common_ptr common) {
        std::longjmp(reinterpret_cast<JpegErrors*>(common->err)->jump, 1);
    };
    errors.manager.output_message = [](j_common_ptr) {};
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    qint64 total = 0;
    if (info.progressive_mode || info.comps_in_scan < info.num_components) {
        for (int c = 0; c < info.num_components; ++c) {
            const jpeg_component_info& component = info.comp_info[c];
            const qint64 wide = (qint64(component.width_in_blocks) + component.h_samp_factor - 1)
                                / component.h_samp_factor * component.h_samp_factor;
            const qint64 high = (qint64(component.height_in_blocks) + component.v_samp_factor - 1)
                                / component.v_samp_factor * component.v_samp_factor;
            total += wide * high * qint64(sizeof(JBLOCK));
        }
    }
    jpeg_destroy_decompress(&info);
    return total;
}

// The scans libjpeg itself reads from `bytes` before their end (or its
// first error), in buffered-image mode, which only takes the scans in:
// nothing when it reads no header, or when holding the picture's
// coefficients would take more than `most` bytes.
std::optional<int> libjpegScans(const QByteArray& bytes, qint64 most)
{
    const std::optional<DecodeCost::JpegLayout> layout = DecodeCost::readJpegLayout(bytes);
    if (!layout)
        return std::nullopt;
    DecodeCost::JpegLayout buffered = *layout;
    buffered.wholeImageBuffers = true;
    if (DecodeCost::wholeImageBytes(buffered) > most)
        return std::nullopt;
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = [](j_common_ptr common) {
        std::longjmp(reinterpret_cast<JpegErrors*>(common->err)->jump, 1);
    };
    errors.manager.output_message = [](j_common_ptr) {};
    bool started = false;
    if (setjmp(errors.jump)) {
        const int scans = info.input_scan_number;
        jpeg_destroy_decompress(&info);
        return started ? std::optional<int>(scans) : std::nullopt;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    info.buffered_image = TRUE;
    jpeg_start_decompress(&info);
    started = true;
    int status = JPEG_SUSPENDED;
    do
        status = jpeg_consume_input(&info);
    while (status != JPEG_REACHED_EOI && status != JPEG_SUSPENDED);
    const int scans = info.input_scan_number;
    jpeg_destroy_decompress(&info);
    return scans;
}

// Only the raster formats a photo may be: their first bytes.
bool startsAsAPhotoFormat(const QByteArray& bytes)
{
    return bytes.startsWith("\xFF\xD8") || bytes.startsWith("\x89PNG") || bytes.startsWith("BM")
           || bytes.startsWith("GIF8") || (bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP")
           || bytes.startsWith(QByteArray("II*\0", 4)) || bytes.startsWith(QByteArray("MM\0*", 4));
}

double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The processor time a decode may take: a fixed part, and a part for each
// byte the decode costs, as its work grows with the picture it holds. A
// JPEG in thousands of scans needs many times that.
constexpr double kDecodeSeconds = 2.0;
constexpr double kDecodeSecondsPerGiB = 20.0;

QImage decodeInTime(const TPhoto& photo, QSize target)
{
    const double allowed = kDecodeSeconds + kDecodeSecondsPerGiB * double(photo.decodeCost(target)) / double(1 << 30);
    const double start = threadSeconds();
    QImage decoded = photo.decode(target);
    const double taken = threadSeconds() - start;
    if (taken > allowed)
        std::fprintf(stderr, "decode to %dx%d took %.2f s, allowed %.2f s\n", target.width(), target.height(), taken,
                     allowed);
    FUZZ_CHECK(taken <= allowed);
    return decoded;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The codec's complaints about damaged files would drown the fuzzer's output.
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString&) {});
    (void)previous;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const TPhoto photo = TPhoto::fromBytes(bytes);

    // No input makes the decode reserve more than the bound: whatever header
    // libjpeg reads, the photo taken from it sets aside at most the bound,
    // and the estimate judged it as libjpeg counts it.
    if (const std::optional<qint64> reserved = libjpegWholeImageBytes(bytes)) {
        if (!photo.isNull()) {
            FUZZ_CHECK(*reserved <= DecodeCost::kBound);
            const std::optional<DecodeCost::JpegLayout> layout = DecodeCost::readJpegLayout(bytes);
            FUZZ_CHECK(layout && DecodeCost::wholeImageBytes(*layout) == *reserved);
        }
    }
    if (photo.isNull()) {
        FUZZ_CHECK(photo.size().isEmpty() && photo.image().isNull() && photo.jpegBytes().isEmpty());
        return 0;
    }
    // Read only as a raster picture, and a JPEG only in as many scans as an
    // encoder writes, as libjpeg counts them.
    FUZZ_CHECK(startsAsAPhotoFormat(bytes));
    if (photo.isJpeg()) {
        if (const std::optional<int> scans = libjpegScans(bytes, 64 << 20))
            FUZZ_CHECK(*scans <= DecodeCost::kMaxScans);
    }

    const QSize full = photo.size();
    FUZZ_CHECK(sane(photo));

    // A JPEG is kept as the very bytes it came as.
    if (bytes.startsWith("\xFF\xD8"))
        FUZZ_CHECK(photo.isJpeg());
    if (photo.isJpeg())
        FUZZ_CHECK(photo.jpegBytes() == bytes);

    // Whatever decodes is upright at the photo's size, and a reduced decode
    // never exceeds the size asked nor the photo's own.
    const qint64 area = qint64(full.width()) * full.height();
    if (area <= (1 << 22)) {
        const QImage whole = decodeInTime(photo, full);
        if (!whole.isNull())
            FUZZ_CHECK(whole.size() == full);
    }
    // Reduced as the program asks: the size drawn in a photo slot, on a
    // screen, on a dense screen. (Qt's smooth scaling itself crashes on some
    // targets over a million pixels wide, which no view asks for.)
    const struct {
        QSize area;
        qreal ratio;
    } views[] = {{QSize(320, 240), 1.0}, {QSize(1366, 768), 1.0}, {QSize(1920, 1080), 2.0}};
    for (const auto& view : views) {
        const QSize target = displayDecodeSize(full, view.area, view.ratio);
        FUZZ_CHECK(!target.isEmpty() && target.width() <= full.width() && target.height() <= full.height());
        const QImage reduced = decodeInTime(photo, target);
        if (!reduced.isNull())
            FUZZ_CHECK(reduced.size() == target);
    }
    FUZZ_CHECK(photo.decode(QSize()).isNull());

    // A picture kept as pixels becomes a JPEG, once: of the same size, or
    // reduced to fit where a side is beyond what JPEG holds.
    if (!photo.isJpeg() && area <= 512 * 512) {
        const QByteArray jpeg = photo.jpegBytes();
        FUZZ_CHECK(!jpeg.isEmpty());
        FUZZ_CHECK(photo.jpegBytes() == jpeg);
        const TPhoto back = TPhoto::fromBytes(jpeg);
        FUZZ_CHECK(back.isJpeg());
        if (full.width() <= kMaxWrittenSide && full.height() <= kMaxWrittenSide)
            FUZZ_CHECK(back.size() == full);
        else
            FUZZ_CHECK(back.size().width() <= kMaxWrittenSide && back.size().height() <= kMaxWrittenSide
                       && (back.size().width() == kMaxWrittenSide || back.size().height() == kMaxWrittenSide));
    }
    return 0;
}
