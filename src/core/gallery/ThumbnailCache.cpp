#include "core/gallery/ThumbnailCache.h"

#include <QBuffer>
#include <QCache>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QMutex>
#include <QSaveFile>

#include <optional>

#include "core/photos/Photo.h"
#include "core/photos/PhotoPreparer.h"

namespace ThumbnailCache {

namespace {

const QString kKey = QStringLiteral("MiniarcaMiniatura");
constexpr int kQuality = 85;
// A thumbnail bigger than this on either side is none of ours.
constexpr int kLargestSide = 4 * kLargestTile;

// Thumbnails that could not be written, as JPEG bytes, by thumbnail path.
struct Kept {
    QByteArray stamp;
    QByteArray jpeg;
};
constexpr qsizetype kMemoryBound = 48 << 20;

QMutex& memoryMutex()
{
    static QMutex m;
    return m;
}

QCache<QString, Kept>& memory()
{
    static QCache<QString, Kept> cache(kMemoryBound);
    return cache;
}

struct Stamp {
    qint64 size = -1;
    qint64 modified = 0;
    QSize box;
};

std::optional<Stamp> parse(const QString& text)
{
    // "1 <size> <modification time in ns> <width>x<height>"
    const QStringList parts = text.split(QLatin1Char(' '));
    if (parts.size() != 4 || parts[0] != QLatin1String("1"))
        return std::nullopt;
    const QStringList box = parts[3].split(QLatin1Char('x'));
    bool ok[4] = {};
    Stamp s;
    s.size = parts[1].toLongLong(&ok[0]);
    s.modified = parts[2].toLongLong(&ok[1]);
    if (box.size() != 2)
        return std::nullopt;
    s.box = QSize(box[0].toInt(&ok[2]), box[1].toInt(&ok[3]));
    if (!(ok[0] && ok[1] && ok[2] && ok[3]))
        return std::nullopt;
    return s;
}

// The thumbnail in `device`, when it is ours, of this photo file, made for
// at least `box`: decoded fitted into `shown`.
QImage readThumbnail(QIODevice* device, const TFileStamp& photo, QSize box, QSize shown)
{
    QImageReader reader(device, "jpeg");
    const std::optional<Stamp> stamp = parse(reader.text(kKey));
    if (!stamp || stamp->size != photo.size || stamp->modified != photo.modifiedNs || stamp->box.width() < box.width()
        || stamp->box.height() < box.height())
        return {};
    const QSize size = reader.size();
    if (size.isEmpty() || size.width() > kLargestSide || size.height() > kLargestSide)
        return {};
    const QSize fitted = displayDecodeSize(size, shown, 1.0);
    if (fitted != size)
        reader.setScaledSize(fitted);
    return reader.read();
}

QByteArray encode(const QImage& image, const QByteArray& stamp)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(kQuality);
    writer.setText(kKey, QString::fromLatin1(stamp));
    return writer.write(image) ? bytes : QByteArray();
}

bool store(const QString& path, const QByteArray& jpeg)
{
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(jpeg) != jpeg.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QImage fitted(const QImage& image, QSize shown)
{
    const QSize size = displayDecodeSize(image.size(), shown, 1.0);
    return size == image.size() ? image : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

QSize pictureBox(int tileSide)
{
    return QSize(tileSide, tileSide * 3 / 4);
}

QByteArray stampOf(qint64 size, qint64 modifiedNs, QSize box)
{
    return QByteArrayLiteral("1 ") + QByteArray::number(size) + ' ' + QByteArray::number(modifiedNs) + ' '
           + QByteArray::number(box.width()) + 'x' + QByteArray::number(box.height());
}

void clearMemory()
{
    QMutexLocker lock(&memoryMutex());
    memory().clear();
}

Counters& counters()
{
    static Counters c;
    return c;
}

Result picture(const QString& photoPath, const QString& thumbnailPath, QSize box, QSize shown)
{
    const TFileStamp photoStamp = TFileStamp::of(photoPath);
    if (!photoStamp.exists)
        return {};

    {
        QFile file(thumbnailPath);
        if (file.open(QIODevice::ReadOnly)) {
            const QImage image = readThumbnail(&file, photoStamp, box, shown);
            if (!image.isNull()) {
                ++counters().read;
                return {image, Origin::Read};
            }
        }
    }
    const QByteArray stamp = stampOf(photoStamp.size, photoStamp.modifiedNs, box);
    {
        QByteArray jpeg;
        {
            QMutexLocker lock(&memoryMutex());
            if (const Kept* kept = memory().object(thumbnailPath); kept && kept->stamp == stamp)
                jpeg = kept->jpeg;
        }
        if (!jpeg.isEmpty()) {
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::ReadOnly);
            const QImage image = readThumbnail(&buffer, photoStamp, box, shown);
            if (!image.isNull()) {
                ++counters().read;
                return {image, Origin::Read};
            }
        }
    }

    // Made from the photo: upright, decoded at reduced scale, within the
    // program's decode budget.
    const TPhoto photo = TPhoto::fromFile(photoPath);
    if (photo.isNull())
        return {QImage(), Origin::Unreadable};
    QImage image = photo.decode(displayDecodeSize(photo.size(), box, 1.0));
    if (image.isNull())
        return {QImage(), Origin::Unreadable};
    image = fitted(image, box).convertToFormat(QImage::Format_RGB32);
    ++counters().made;

    // A photo rewritten while it was read gets a thumbnail at its next showing.
    if (TFileStamp::of(photoPath) == photoStamp) {
        const QByteArray jpeg = encode(image, stamp);
        if (!jpeg.isEmpty() && !store(thumbnailPath, jpeg)) {
            ++counters().kept;
            QMutexLocker lock(&memoryMutex());
            memory().insert(thumbnailPath, new Kept{stamp, jpeg}, jpeg.size());
        }
    }
    return {fitted(image, shown), Origin::Made};
}

} // namespace ThumbnailCache
