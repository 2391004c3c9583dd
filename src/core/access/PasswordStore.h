#pragma once
#include <QByteArray>
#include <QString>

#include "core/archive/Failure.h"

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

// The value of [Accesso] Valore in the store's text, read the same way every
// time. Lines that cannot belong to it are passed over: blank lines,
// comments (";" or "#"), other sections, stray lines without "=", CR LF or
// lone CR line ends, a UTF-8 byte order mark. Names are compared exactly,
// blanks around names and value are dropped, and one pair of double quotes
// around the value too.
// - An intact store without the section or the key, or with an empty value,
//   reads as the empty text.
// - Nothing (unreadable) when two Valore lines of the section disagree, or
//   when the key is not found in a store that has damaged lines (stray text,
//   a broken section header): the value may be the very line that is broken.
// A value that is not hexadecimal is returned as it stands; the cipher
// refuses it.
std::optional<QString> parseValue(const QByteArray& text);

// The stored value of the file: a missing file reads as the empty text.
// Nothing when the file is there but cannot be read or parseValue() refuses
// it; `failure` (when given) then says why.
std::optional<QString> readValue(const QString& file, TFailure* failure = nullptr);

// Replaces the value in one step: the new file is written aside and moved
// over the old one, so a crash never leaves a half-written store. Only the
// value's own line changes: every other byte of the file is kept; a missing
// section or key is added. False, with the file left as it was, when it
// cannot be written, when readValue() refuses it, or when the value would not
// read back as given (line breaks, blanks around it); `failure` (when given)
// then says why.
bool writeValue(const QString& file, const QString& value, TFailure* failure = nullptr);

// The stored password: the value deciphered and trimmed. Nothing when the
// store cannot be read or holds a pair that is not hexadecimal; `failure`
// (when given) then says why.
std::optional<QString> readPassword(const QString& file, TFailure* failure = nullptr);

// A typed password as it is stored and compared: only a to z upper-cased,
// then trimmed.
QString normalised(const QString& typed);

// Why a new (normalised) password cannot be stored, or None when it can:
// the cipher holds at most 255 characters of codes 1 to 255.
enum class Refusal {
    None,
    TooLong,         // more than kMaxLength characters
    OutsideCodePage, // a character outside codes 1 to 255
};
Refusal refusal(const QString& password);

} // namespace PasswordStore
