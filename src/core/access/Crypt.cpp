#include "core/access/Crypt.h"

#include <QList>

namespace {

std::uint16_t nextKey(std::uint16_t key, std::uint8_t enciphered)
{
    return static_cast<std::uint16_t>((std::uint32_t(enciphered) + key) * Crypt::M + Crypt::A);
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

} // namespace

namespace Crypt {

QString Encrypt(const QString& plain)
{
    static const char digits[] = "0123456789ABCDEF";
    QString out;
    out.reserve(plain.size() * 2);
    std::uint16_t key = K;
    for (QChar c : plain) {
        const auto b = static_cast<std::uint8_t>((c.unicode() & 0xFF) ^ (key >> 8));
        out += QLatin1Char(digits[b >> 4]);
        out += QLatin1Char(digits[b & 0x0F]);
        key = nextKey(key, b);
    }
    return out;
}

std::optional<QString> Decrypt(const QString& cipher)
{
    const qsizetype n = cipher.size() / 2;
    // Every pair is checked before anything is deciphered.
    QList<std::uint8_t> bytes;
    bytes.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const int high = hexValue(cipher.at(2 * i));
        const int low = hexValue(cipher.at(2 * i + 1));
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.append(static_cast<std::uint8_t>(high * 16 + low));
    }
    QString out;
    out.reserve(n);
    std::uint16_t key = K;
    for (std::uint8_t b : bytes) {
        out += QChar(char16_t(b ^ (key >> 8)));
        key = nextKey(key, b);
    }
    return out;
}

} // namespace Crypt
