#include "core/formats/CodePage.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <locale.h>
#include <optional>

namespace {

constexpr const char* kCharset = "WINDOWS-1252";

// iconv_open answers (iconv_t)-1 when it cannot convert: compared as an
// integer, so that no integer becomes a pointer.
bool opened(iconv_t cd)
{
    return reinterpret_cast<std::intptr_t>(cd) != -1;
}

struct Tables {
    std::array<char16_t, 256> toUnicode{};
    // Byte for each BMP character, -1 where the code page has none.
    std::array<std::int16_t, 65536> toByte{};

    Tables()
    {
        toByte.fill(-1);
        iconv_t cd = iconv_open("WCHAR_T", kCharset);
        for (int b = 0; b < 256; ++b) {
            char16_t unicode = char16_t(b); // refused bytes: the C1 control of the same value
            if (opened(cd)) {
                char in = char(b);
                wchar_t out = 0;
                char* inPtr = &in;
                size_t inLeft = 1;
                char* outPtr = reinterpret_cast<char*>(&out);
                size_t outLeft = sizeof out;
                if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1) && outLeft == 0 && out >= 0
                    && out <= 0xFFFF)
                    unicode = char16_t(out);
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
            }
            toUnicode[b] = unicode;
        }
        if (opened(cd))
            iconv_close(cd);
        // Filled backwards so that, should two bytes ever decode alike, the
        // lower byte wins.
        for (int b = 255; b >= 0; --b)
            toByte[toUnicode[b]] = std::int16_t(b);
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

// Transliteration tables come from the LC_CTYPE locale in force when iconv
// runs: the "C" locale has almost none, so a fixed UTF-8 locale is put in
// place for the conversion whatever the process uses. Null when the system
// lacks one; then every missing character becomes "?".
locale_t transliterationLocale()
{
    static const locale_t loc = [] {
        for (const char* name : {"C.UTF-8", "C.utf8"}) {
            if (locale_t l = newlocale(LC_CTYPE_MASK, name, locale_t(nullptr)))
                return l;
        }
        return locale_t(nullptr);
    }();
    return loc;
}

// Converts characters one at a time through the system's transliteration.
class Transliterator {
public:
    Transliterator() : m_locale(transliterationLocale())
    {
        if (!m_locale)
            return;
        m_previous = uselocale(m_locale);
        if (iconv_t cd = iconv_open((QByteArray(kCharset) + "//TRANSLIT").constData(), "WCHAR_T"); opened(cd))
            m_cd = cd;
    }
    ~Transliterator()
    {
        if (m_cd)
            iconv_close(m_cd);
        if (m_locale)
            uselocale(m_previous);
    }
    Transliterator(const Transliterator&) = delete;
    Transliterator& operator=(const Transliterator&) = delete;

    void append(char32_t ch, QByteArray& out)
    {
        if (!m_cd) {
            out += '?';
            return;
        }
        wchar_t in = wchar_t(ch);
        char buffer[32];
        char* inPtr = reinterpret_cast<char*>(&in);
        size_t inLeft = sizeof in;
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft);
        // Flush any shift state and reset for the next character.
        iconv(m_cd, nullptr, nullptr, &outPtr, &outLeft);
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        // An empty result is the table's own answer for invisible characters
        // (zero-width space, byte order mark): they are dropped.
        if (result == size_t(-1) || inLeft != 0)
            out += '?';
        else
            out.append(buffer, outPtr - buffer);
    }

private:
    locale_t m_locale = nullptr;
    locale_t m_previous = nullptr;
    iconv_t m_cd = nullptr; // null when no converter is open
};

} // namespace

namespace CodePage {

char16_t unicodeOf(unsigned char byte)
{
    return tables().toUnicode[byte];
}

int byteOf(char32_t character)
{
    return character <= 0xFFFF ? tables().toByte[character] : -1;
}

char16_t* decodeTo(QByteArrayView bytes, char16_t* out)
{
    const auto& table = tables().toUnicode;
    for (const char b : bytes)
        *out++ = table[static_cast<unsigned char>(b)];
    return out;
}

QString decode(const char* bytes, qsizetype size)
{
    if (size <= 0)
        return QString();
    QString text(size, Qt::Uninitialized);
    decodeTo(QByteArrayView(bytes, size), reinterpret_cast<char16_t*>(text.data()));
    return text;
}

QString decode(QByteArrayView bytes)
{
    return decode(bytes.data(), bytes.size());
}

QByteArray encode(QStringView text)
{
    // Plain ASCII, the usual case by far, is its own encoding.
    const qsizetype n = text.size();
    const char16_t* units = text.utf16();
    if (std::all_of(units, units + n, [](char16_t u) { return u < 0x80; })) {
        QByteArray ascii(n, Qt::Uninitialized);
        std::transform(units, units + n, ascii.data(), [](char16_t u) { return char(u); });
        return ascii;
    }
    const auto& toByte = tables().toByte;
    // Below U+0300 nothing combines, so a text the code page holds whole
    // maps a character to a byte.
    if (std::all_of(units, units + n, [](char16_t u) { return u < 0x300; })) {
        QByteArray direct(n, Qt::Uninitialized);
        char* byte = direct.data();
        qsizetype i = 0;
        for (; i < n && toByte[units[i]] >= 0; ++i)
            byte[i] = char(toByte[units[i]]);
        if (i == n)
            return direct;
    }
    QByteArray out;
    out.reserve(text.size());
    std::optional<Transliterator> transliterator; // opened on the first character that needs it
    // A letter typed or pasted as base + combining accent ("e" + U+0301)
    // is the same letter as the precomposed one the code page has.
    forEachCharacter(text, [&](char32_t ch) {
        if (ch < 0x80) {
            out += char(ch);
        } else if (QChar::isSurrogate(ch)) {
            out += '?'; // half a pair stands for no character at all
        } else if (ch <= 0xFFFF && toByte[ch] >= 0) {
            out += char(toByte[ch]);
        } else {
            if (!transliterator)
                transliterator.emplace();
            transliterator->append(ch, out);
        }
    });
    return out;
}

} // namespace CodePage
