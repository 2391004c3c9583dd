#pragma once
#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include "core/archive/Failure.h"

#include <atomic>
#include <memory>

// The display rule of every photo: centred in `area`, reduced keeping its
// proportions until it fits, never enlarged, rounded to whole pixels. An
// empty picture or area draws nothing.
QRect displayRect(QSize picture, QSize area);

// The pixel size worth decoding to draw `picture` in `area` on a screen of
// `devicePixelRatio`: the drawn size in device pixels, at most the picture.
QSize displayDecodeSize(QSize picture, QSize area, qreal devicePixelRatio = 1.0);

// One photo as the program holds it: an immutable value, cheap to copy.
//
// A photo read from a JPEG file keeps that file's bytes and is written back
// as exactly those bytes, so saving a card never costs a photo any quality.
// Any other picture (a bitmap file, a camera frame, a placeholder) is kept
// as pixels and encoded as JPEG once, at high quality, the first time it is
// written; later writes reuse that encoding.
//
// Orientation: a JPEG whose orientation mark says "turn me" keeps the mark in
// its bytes, and every reading here applies it, so size(), image() and
// decode() are always upright. Read photo files only through TPhoto: Qt's
// plain QImage(path) ignores the mark and would show a phone photo lying on
// its side.
class TPhoto {
public:
    TPhoto() = default;

    // The file's bytes, recognised by content (not by extension). JPEG bytes
    // are kept undecoded, reading only the header; other formats are decoded
    // here. A null photo when the file is missing or not a readable image.
    static TPhoto fromFile(const QString& path);
    static TPhoto fromBytes(const QByteArray& bytes);
    // Pixels with no file behind them. Transparency is laid on white, as a
    // JPEG will show it.
    static TPhoto fromImage(const QImage& image);

    bool isNull() const { return !d; }
    // Full upright size in pixels.
    QSize size() const;
    // True when the photo is kept as the bytes of a JPEG file.
    bool isJpeg() const;

    // The whole picture, upright: a full decode of a JPEG. For a zoom,
    // a report, a bitmap written to disk. Null when the bytes do not decode.
    QImage image() const;
    // The picture reduced to `target` (upright, at most size()), decoded at
    // reduced scale where the format allows: what a view needs to draw it.
    // Null, with nothing decoded, when that decode would cost more than
    // DecodeCost::kBound; decodes side by side share that bound, one waiting
    // for another when together they would exceed it.
    QImage decode(QSize target) const;
    // The memory, in bytes, that decode(target) takes.
    qint64 decodeCost(QSize target) const;

    // The bytes of this photo as a JPEG file: the original ones, or the
    // encoding made once.
    QByteArray jpegBytes() const;
    // Writes jpegBytes() to `path`, replacing an existing file only once the
    // new one is complete. The photo files of the records are written so.
    // On failure `failure` (when given) says why.
    bool writeJpeg(const QString& path, TFailure* failure = nullptr) const;
    // Writes the photo in the format that the extension of `path` names:
    // ".jpg"/".jpeg" as jpegBytes(), others (".bmp") encoded from image().
    // False, with no file written, when the extension names no image format
    // or the file cannot be written; `failure` (when given) says which.
    bool saveAs(const QString& path, TFailure* failure = nullptr) const;

    // Two photos that are copies of one another share everything.
    bool sharesWith(const TPhoto& other) const { return d && d == other.d; }

    // How many times pixels were decoded from file bytes or encoded into
    // them, program-wide: benchmarks and tests watch them.
    struct Counters {
        std::atomic<int> decodes{0};
        std::atomic<int> encodes{0};
    };
    static Counters& counters();

private:
    struct Data;
    std::shared_ptr<const Data> d;
};

// A photo file read for drawing in an area: the photo, and its picture
// decoded at the size it is drawn (null when the file is missing or does not
// decode).
struct TShownPhoto {
    TPhoto photo;
    QImage shown;
};

// Reads `path` for an area of `area` on a screen of `devicePixelRatio`.
// Touches no widget: safe on any thread.
TShownPhoto readForDisplay(const QString& path, QSize area, qreal devicePixelRatio = 1.0);
