#pragma once
// Shared by the benchmarks that work on photos as phones take them: the
// pictures, their files, and an archive of cards to show them on.
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QString>

#include "core/archive/Archivio.h"

#include <cmath>
#include <random>

namespace PhotoBench {

// Something a camera could have taken: smooth shapes and light, plus sensor
// noise, so that it compresses like a photo and not like a drawing.
inline QImage photographic(QSize size, unsigned seed)
{
    QImage image(size, QImage::Format_RGB32);
    std::mt19937 rng(seed);
    const double phase = seed * 0.7;
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int noise = int(rng() % 17) - 8;
            const double wave = std::sin(x / 150.0 + phase) * std::cos(y / 110.0);
            line[x] = qRgb(qBound(0, int(120 + 80 * wave) + noise, 255),
                           qBound(0, y * 255 / size.height() + noise, 255),
                           qBound(0, (x / 3 + y / 2) % 256 + noise, 255));
        }
    }
    return image;
}

// The picture as a camera stores it.
inline QByteArray cameraJpeg(const QImage& image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "jpg", 92))
        qFatal("cannot encode a photo");
    return buffer.data();
}

inline qint64 writePhoto(const QString& path, const QImage& image)
{
    const QByteArray bytes = cameraJpeg(image);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return bytes.size();
}

// A fresh archive of `cards` cards named "Modello 1", "Modello 2"...
inline void writeArchive(const QString& path, int cards)
{
    TArchivio archive;
    archive.ApriArchivio(path);
    for (int i = 1; i <= cards; ++i) {
        TScheda record;
        record.ScriviCampo(Campo::Nome, QStringLiteral("Modello %1").arg(i));
        archive.AccodaScheda(record);
    }
    archive.ChiudiArchivio();
}

} // namespace PhotoBench
