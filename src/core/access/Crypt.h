#pragma once
#include <QString>
#include <cstdint>
#include <optional>

// The small stream cipher that keeps the password store unreadable at a
// glance. Each character enters as its low 8 bits and comes out as two
// upper-case hexadecimal digits; the key advances with every enciphered byte,
// so deciphering needs only the stored text and the three constants below.
namespace Crypt {

// Fixed once for the program's life: a store written with other constants
// cannot be read back.
inline constexpr std::uint16_t K = 0x5A3C; // start key
inline constexpr std::uint16_t M = 0xB4E1; // multiplier
inline constexpr std::uint16_t A = 0x3D29; // increment

QString Encrypt(const QString& plain);

// The plain text, or nothing when a digit pair is not hexadecimal (either
// case). A last unpaired digit is ignored.
std::optional<QString> Decrypt(const QString& cipher);

} // namespace Crypt
