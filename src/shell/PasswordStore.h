#pragma once
#include <QString>
#include <optional>

// The password store: an INI text file in the program folder (named like a
// library so that it is left alone), section "Accesso", key "Valore", holding
// the enciphered password as hexadecimal text.
namespace PasswordStore {

inline constexpr char kFileName[] = "unins000.dll";
inline constexpr char kInitialPassword[] = "vetrinamodelli";
// Limits set by the cipher: characters counted in 8 bits, one byte each.
inline constexpr int kMaxLength = 255;

// Program folder + "unins000.dll".
QString path();

// The stored value; a missing file, section or key reads as the empty text.
// Nothing when the file is there but cannot be read as INI text.
std::optional<QString> readValue(const QString& file);

// Replaces the value in one step: the new file is written aside and moved
// over the old one, so a crash never leaves a half-written store. Other
// entries of the file are kept. False when the file cannot be written.
bool writeValue(const QString& file, const QString& value);

// The stored password: the value deciphered and trimmed. Nothing when the
// store cannot be read or holds a pair that is not hexadecimal.
std::optional<QString> readPassword(const QString& file);

// A typed password as it is stored and compared: only a to z upper-cased,
// then trimmed.
QString normalised(const QString& typed);

// Why a new (normalised) password cannot be stored, or an empty text when it
// can: the cipher holds at most 255 characters of codes 1 to 255.
QString refusal(const QString& password);

} // namespace PasswordStore
