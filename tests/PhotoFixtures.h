#pragma once
// Pictures for the photo tests: JPEG and bitmap files of a known look, and a
// JPEG carrying an orientation mark as phones write it.
#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>

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
    QByteArray tiff("MM\0\x2A\0\0\0\x08", 8);                 // header, IFD0 at offset 8
    tiff += QByteArray("\0\x01", 2);                          // one entry
    tiff += QByteArray("\x01\x12\0\x03\0\0\0\x01", 8);        // Orientation, SHORT, count 1
    tiff += char(orientation >> 8);
    tiff += char(orientation & 0xFF);
    tiff += QByteArray(2, '\0');                              // value padding
    tiff += QByteArray(4, '\0');                              // no next IFD
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
