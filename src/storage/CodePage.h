#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

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

// The character a single byte stands for.
char16_t unicodeOf(unsigned char byte);

QByteArray encode(QStringView text);

// The byte that stands for a character, or -1 where the code page has none
// (no look-alike is chosen here).
int byteOf(char32_t character);

} // namespace CodePage
