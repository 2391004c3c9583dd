// The archive code page, both ways.
//
// Input: a selector byte, then either bytes to decode or UTF-16 text to encode.
#include "FuzzSupport.h"

#include "core/formats/CodePage.h"

#include <clocale>

namespace {

// Byte strings: every one decodes to one character per byte and encodes back
// to itself.
void bytesRoundTrip(const QByteArray& bytes)
{
    const QString text = CodePage::decode(bytes);
    FUZZ_CHECK(text.size() == bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        FUZZ_CHECK(text[i].unicode() == CodePage::unicodeOf(std::uint8_t(bytes[i])));
        FUZZ_CHECK(CodePage::byteOf(text[i].unicode()) == std::uint8_t(bytes[i]));
    }
    FUZZ_CHECK(CodePage::encode(text) == bytes);
}

// Texts: the code page's own characters become their bytes, others a
// look-alike or "?"; the result does not depend on the process locale and a
// cut before a plain ASCII character cuts the bytes there too.
void textToBytes(const QString& text, int cut)
{
    const QByteArray bytes = CodePage::encode(text);

    qsizetype characters = 0;
    bool plain = true;
    CodePage::forEachCharacter(text, [&](char32_t c) {
        ++characters;
        plain = plain && CodePage::byteOf(c) >= 0;
    });
    // The transliteration writes at most a few bytes for one character.
    FUZZ_CHECK(bytes.size() <= characters * 32);
    if (plain) {
        FUZZ_CHECK(bytes.size() == characters);
        FUZZ_CHECK(CodePage::decode(bytes) == text.normalized(QString::NormalizationForm_C));
    }

    // Another process locale changes nothing.
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const QByteArray saved = previous ? QByteArray(previous) : QByteArray("C");
    std::setlocale(LC_ALL, cut % 2 ? "C" : "C.UTF-8");
    FUZZ_CHECK(CodePage::encode(text) == bytes);
    std::setlocale(LC_ALL, saved.constData());

    // Nothing composes across an ASCII character, so the text cut just
    // before one encodes as its two halves do.
    if (!text.isEmpty()) {
        const qsizetype at = cut % (text.size() + 1);
        if (at < text.size() && text[at].unicode() < 0x80) {
            const QByteArray halves = CodePage::encode(QStringView(text).left(at))
                                      + CodePage::encode(QStringView(text).mid(at));
            FUZZ_CHECK(halves == bytes);
        }
    }

    // Each character alone: a half surrogate pair is a "?", a character of
    // the code page its byte.
    CodePage::forEachCharacter(text, [&](char32_t c) {
        const int byte = CodePage::byteOf(c);
        if (byte >= 0) {
            FUZZ_CHECK(CodePage::unicodeOf(std::uint8_t(byte)) == c);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            const char16_t unit = char16_t(c);
            FUZZ_CHECK(CodePage::encode(QStringView(&unit, 1)) == "?");
        }
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::uint8_t selector = input.byte();
    if (selector & 1)
        bytesRoundTrip(input.rest());
    else
        textToBytes(input.text(input.left() / 2), selector >> 1);
    return 0;
}
