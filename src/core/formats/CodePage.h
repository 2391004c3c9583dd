#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <algorithm>

// The single-byte code page of archive files: Windows-1252.
//
// Decoding accepts every byte: the five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control with the same value,
// so any file loads and those bytes survive a load/store round trip.
//
// Encoding maps each character to its byte; a character the code page lacks
// becomes a close look-alike (one or more bytes, e.g. "ł" -> "l",
// "→" -> "->"; nothing for invisible ones such as a zero-width space) or "?"
// when none exists. A letter written with a combining accent is composed
// first. A character beyond U+FFFF counts as one character. The result does
// not depend on the process locale.
namespace CodePage {

QString decode(QByteArrayView bytes);
QString decode(const char* bytes, qsizetype size);

// Decodes `bytes` into the room at `out` (one character per byte) and
// returns the end of what was written.
char16_t* decodeTo(QByteArrayView bytes, char16_t* out);

// The character a single byte stands for.
char16_t unicodeOf(unsigned char byte);

QByteArray encode(QStringView text);

// Calls `visit` with each character of `text` (a char32_t), a letter written
// with a combining accent composed first, as encode() sees them. Half a
// surrogate pair comes as itself: it stands for no character.
template <typename Visit> void forEachCharacter(QStringView text, Visit&& visit)
{
    QString composed;
    const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (!ascii) {
        composed = text.toString().normalized(QString::NormalizationForm_C);
        text = composed;
    }
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            visit(QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
            ++i;
        } else {
            visit(char32_t(unit));
        }
    }
}

// The byte that stands for a character, or -1 where the code page has none
// (no look-alike is chosen here).
int byteOf(char32_t character);

} // namespace CodePage
