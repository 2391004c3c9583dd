#include "core/photos/Photo.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageIOHandler>
#include <QImageReader>
#include <QImageWriter>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QSaveFile>

#include <algorithm>
#include <array>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/archive/SaveFile.h"
#include "core/photos/DecodeCost.h"

namespace {

// High enough that a picture encoded once keeps its detail; written only for
// pictures that were not JPEG to begin with.
constexpr int kJpegQuality = 95;

// The most pixels a JPEG side may hold (libjpeg's limit). A bigger picture is
// reduced to fit, keeping its proportions, rather than not written at all.
constexpr int kMaxJpegSide = 65500;

QImage fittingJpeg(const QImage& pixels)
{
    if (pixels.width() <= kMaxJpegSide && pixels.height() <= kMaxJpegSide)
        return pixels;
    const QSize fit = pixels.size().scaled(kMaxJpegSide, kMaxJpegSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    return pixels.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The raster formats a photo is read as, the only ones asked to recognise
// a file. A vector format's reader is never asked: Qt's SVG plugin claims
// any gzip file as a compressed SVG and unpacks and parses all of it just to
// tell a size.
constexpr std::array<const char*, 6> kPhotoFormats{"jpeg", "png", "bmp", "gif", "webp", "tiff"};

// The photo format of what `device` holds, as that format's reader
// recognises it from the first bytes; empty for anything else. Formats whose
// plugin is missing here are not asked.
QByteArray photoFormatOf(QIODevice* device)
{
    static const QList<QByteArray> present = QImageReader::supportedImageFormats();
    for (const char* format : kPhotoFormats) {
        if (!present.contains(format))
            continue;
        QImageReader reader(device, format);
        reader.setAutoDetectImageFormat(false);
        const bool recognised = reader.canRead();
        device->seek(0);
        if (recognised)
            return format;
    }
    return {};
}

// A reader of `device` as `format` and nothing else.
void readOnlyAs(QImageReader& reader, QIODevice* device, const QByteArray& format)
{
    reader.setDevice(device);
    reader.setFormat(format);
    reader.setAutoDetectImageFormat(false);
}

// Bytes a pixel of `format` takes; where the reader cannot tell before
// decoding, the most its formats take but for floating point.
int bytesPerPixel(QImage::Format format)
{
    return format == QImage::Format_Invalid ? 8 : std::max(1, QImage::toPixelFormat(format).bitsPerPixel() / 8);
}

bool isJpegSuffix(const QString& suffix)
{
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg") || suffix == QLatin1String("jpe");
}

} // namespace

QRect displayRect(QSize picture, QSize area)
{
    if (picture.isEmpty() || area.isEmpty())
        return {};
    QSize drawn = picture;
    if (picture.width() > area.width() || picture.height() > area.height()) {
        const double scale = std::min(double(area.width()) / picture.width(), double(area.height()) / picture.height());
        drawn = QSize(std::clamp(qRound(picture.width() * scale), 1, area.width()),
                      std::clamp(qRound(picture.height() * scale), 1, area.height()));
    }
    return {QPoint((area.width() - drawn.width()) / 2, (area.height() - drawn.height()) / 2), drawn};
}

QSize displayDecodeSize(QSize picture, QSize area, qreal devicePixelRatio)
{
    const QSize drawn = displayRect(picture, area).size();
    if (drawn.isEmpty() || devicePixelRatio <= 1.0)
        return drawn;
    // Each side on its own: a picture one pixel wide still shrinks in height.
    const QSize device(qRound(drawn.width() * devicePixelRatio), qRound(drawn.height() * devicePixelRatio));
    return device.boundedTo(picture);
}

struct TPhoto::Data {
    // A JPEG: its file bytes, its stored size and the turn its mark asks for.
    QByteArray jpeg;
    QSize storedSize;
    QImageIOHandler::Transformations turn = QImageIOHandler::TransformationNone;
    DecodeCost::JpegLayout layout;
    // Anything else: the upright pixels.
    QImage pixels;

    QSize size; // upright

    // The one encoding of a picture that was not a JPEG.
    mutable QMutex mutex;
    mutable QByteArray encoded;
};

TPhoto::Counters& TPhoto::counters()
{
    static Counters c;
    return c;
}

TPhoto TPhoto::fromFile(const QString& path)
{
    // Judged before it is read: only a plain file (opening a named pipe
    // would wait for a writer), no longer than a photo is, whose first
    // bytes are those of a photo format.
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0)
        return {};
    struct stat info {};
    QFile file;
    if (::fstat(handle, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > DecodeCost::kMaxFileBytes
        || !file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        return {};
    }
    if (photoFormatOf(&file).isEmpty())
        return {};
    const QByteArray bytes = file.readAll();
    if (bytes.size() > DecodeCost::kMaxFileBytes) // grown since
        return {};
    return fromBytes(bytes);
}

TPhoto TPhoto::fromBytes(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = photoFormatOf(&buffer);
    if (format.isEmpty())
        return {};
    QImageReader reader;
    readOnlyAs(reader, &buffer, format);
    if (format != "jpeg") {
        // Decoded whole right here: judged by what its header declares,
        // before the reader unpacks anything.
        if (format == "png") {
            const std::optional<qint64> text = DecodeCost::pngTextBytes(bytes, DecodeCost::kMaxPngTextBytes);
            if (!text || *text > DecodeCost::kMaxPngTextBytes)
                return {};
        }
        QSize declared = reader.size();
        if (format == "gif") {
            // The reader tells the first picture's size, but decodes onto the screen.
            const std::optional<QSize> canvas = DecodeCost::gifCanvas(bytes);
            if (!canvas)
                return {};
            declared = declared.expandedTo(*canvas);
        }
        if (declared.isEmpty())
            return {};
        reader.setAutoTransform(true);
        const qint64 cost = DecodeCost::rasterDecodeBytes(declared, bytesPerPixel(reader.imageFormat()),
                                                          reader.transformation()
                                                              != QImageIOHandler::TransformationNone);
        const DecodeCost::Budget::Hold hold(DecodeCost::photoBudget(), cost);
        if (!hold.held())
            return {};
        counters().decodes++;
        return fromImage(reader.read());
    }
    // A JPEG: only its header is read, for the size and the orientation
    // mark. The pixels are decoded when something is to be drawn, at the
    // size it is drawn.
    auto data = std::make_shared<Data>();
    data->storedSize = reader.size();
    if (data->storedSize.isEmpty())
        return {};
    // A file whose every decode would take more than the bound, in memory
    // or in passes over the picture, is one that cannot be read, however
    // few bytes it has.
    const std::optional<DecodeCost::JpegLayout> layout = DecodeCost::readJpegLayout(bytes);
    if (!layout || layout->stored != data->storedSize || DecodeCost::leastJpegDecodeBytes(*layout) > DecodeCost::kBound
        || DecodeCost::jpegScanCount(bytes, DecodeCost::kMaxScans) > DecodeCost::kMaxScans)
        return {};
    data->layout = *layout;
    data->turn = reader.transformation();
    data->size = data->turn & QImageIOHandler::TransformationRotate90 ? data->storedSize.transposed()
                                                                      : data->storedSize;
    data->jpeg = bytes;
    TPhoto photo;
    photo.d = std::move(data);
    return photo;
}

TPhoto TPhoto::fromImage(const QImage& image)
{
    if (image.isNull())
        return {};
    auto data = std::make_shared<Data>();
    if (image.hasAlphaChannel()) {
        QImage opaque(image.size(), QImage::Format_RGB32);
        opaque.setDevicePixelRatio(1.0);
        opaque.fill(Qt::white);
        QPainter painter(&opaque);
        painter.drawImage(QRect(QPoint(0, 0), image.size()), image);
        painter.end();
        data->pixels = opaque;
    } else {
        data->pixels = image;
        data->pixels.setDevicePixelRatio(1.0);
    }
    data->size = image.size();
    TPhoto photo;
    photo.d = std::move(data);
    return photo;
}

QSize TPhoto::size() const
{
    return d ? d->size : QSize();
}

bool TPhoto::isJpeg() const
{
    return d && !d->jpeg.isEmpty();
}

QImage TPhoto::image() const
{
    return decode(size());
}

QImage TPhoto::decode(QSize target) const
{
    if (!d || target.isEmpty())
        return {};
    target = target.boundedTo(d->size); // never enlarged, each side on its own
    if (!isJpeg())
        return target == d->size ? d->pixels
                                 : d->pixels.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    const DecodeCost::Budget::Hold hold(DecodeCost::photoBudget(), decodeCost(target));
    if (!hold.held())
        return {};
    QBuffer buffer;
    buffer.setData(d->jpeg);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader;
    readOnlyAs(reader, &buffer, "jpeg");
    reader.setAutoTransform(true);
    if (target != d->size) {
        // The reader scales the stored picture (libjpeg decodes straight at
        // 1/2, 1/4 or 1/8 scale, then smooths the rest) and turns it after.
        reader.setScaledSize(d->turn & QImageIOHandler::TransformationRotate90 ? target.transposed() : target);
    }
    counters().decodes++;
    return reader.read();
}

qint64 TPhoto::decodeCost(QSize target) const
{
    if (!d || target.isEmpty())
        return 0;
    target = target.boundedTo(d->size);
    if (!isJpeg())
        return target == d->size ? 0 : DecodeCost::pictureBytes(target);
    const bool turned = d->turn & QImageIOHandler::TransformationRotate90;
    return DecodeCost::jpegDecodeBytes(d->layout, turned ? target.transposed() : target,
                                       d->turn != QImageIOHandler::TransformationNone);
}

QByteArray TPhoto::jpegBytes() const
{
    if (!d)
        return {};
    if (isJpeg())
        return d->jpeg;
    QMutexLocker lock(&d->mutex);
    if (d->encoded.isEmpty()) {
        QBuffer buffer(&d->encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(kJpegQuality);
        writer.setOptimizedWrite(true);
        counters().encodes++;
        if (!writer.write(fittingJpeg(d->pixels)))
            d->encoded.clear();
    }
    return d->encoded;
}

namespace {

bool failed(TFailure* failure, const QString& path, const QString& cause)
{
    if (failure)
        *failure = TFailure{TFailure::Operation::WritePhoto, path, cause};
    return false;
}

} // namespace

bool TPhoto::writeJpeg(const QString& path, TFailure* failure) const
{
    const QByteArray bytes = jpegBytes();
    if (bytes.isEmpty())
        return failed(failure, path, QStringLiteral("the photo has no JPEG encoding"));
    QString cause;
    return SaveFile::writeWhole(path, bytes, &cause) || failed(failure, path, cause);
}

bool TPhoto::saveAs(const QString& path, TFailure* failure) const
{
    if (!d)
        return failed(failure, path, QStringLiteral("no photo"));
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (isJpegSuffix(suffix))
        return writeJpeg(path, failure);
    const QByteArray format = suffix.toLatin1();
    if (format.isEmpty() || !QImageWriter::supportedImageFormats().contains(format))
        return failed(failure, path, QStringLiteral("no image format has the extension \"%1\"").arg(suffix));
    const QImage picture = image();
    if (picture.isNull())
        return failed(failure, path, QStringLiteral("the photo does not decode"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(failure, path, deviceError(file));
    QImageWriter writer(&file, format);
    counters().encodes++;
    if (!writer.write(picture)) {
        file.cancelWriting();
        return failed(failure, path, writer.errorString());
    }
    QString cause;
    return SaveFile::commit(file, &cause) || failed(failure, path, cause);
}

TShownPhoto readForDisplay(const QString& path, QSize area, qreal devicePixelRatio)
{
    TShownPhoto read;
    read.photo = TPhoto::fromFile(path);
    if (!read.photo.isNull())
        read.shown = read.photo.decode(displayDecodeSize(read.photo.size(), area, devicePixelRatio));
    return read;
}
