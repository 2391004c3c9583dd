// The password store and its cipher.
//
// Input: a byte giving the size limit for the failed write, a password of up
// to 255 units, then the store file's bytes.
#include "../FileSizeLimit.h"
#include "../PhotoFixtures.h"
#include "FuzzSupport.h"

#include "core/access/Crypt.h"
#include "core/access/PasswordStore.h"
#include "core/formats/Text.h"

namespace {

bool isUpperHex(const QString& text)
{
    for (QChar c : text)
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')))
            return false;
    return true;
}

// The cipher: every password the store accepts comes back as it went in;
// every text of hexadecimal pairs is a cipher of exactly one text.
void cipher(const QString& password, const QString& anyText)
{
    FUZZ_CHECK(PasswordStore::refusal(password) == PasswordStore::Refusal::None);
    const QString enciphered = Crypt::Encrypt(password);
    FUZZ_CHECK(enciphered.size() == 2 * password.size() && isUpperHex(enciphered));
    FUZZ_CHECK(Crypt::Decrypt(enciphered) == std::optional<QString>(password));
    FUZZ_CHECK(Crypt::Decrypt(enciphered.toLower()) == std::optional<QString>(password));
    FUZZ_CHECK(Crypt::Decrypt(enciphered + QLatin1Char('7')) == std::optional<QString>(password));

    const std::optional<QString> plain = Crypt::Decrypt(anyText);
    if (plain) {
        FUZZ_CHECK(plain->size() == anyText.size() / 2);
        FUZZ_CHECK(Crypt::Encrypt(*plain) == anyText.left(plain->size() * 2).toUpper());
    }
}

// A write that cannot finish (the file size limit stops it, as a full disk
// would) reports failure and leaves the store as it was; one that reports
// success reads back as written.
void limitedWrite(const QString& store, const QString& value, rlim_t limit)
{
    const QByteArray before = PhotoFixtures::readFile(store);
    bool written = true;
    {
        FileSizeLimit small(limit);
        written = PasswordStore::writeValue(store, value);
    }
    if (written)
        FUZZ_CHECK(PasswordStore::readValue(store) == std::optional<QString>(value));
    else
        FUZZ_CHECK(PhotoFixtures::readFile(store) == before);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const rlim_t limit = input.byte();
    QString password = input.text(input.number(0, 255));
    for (QChar& c : password)
        c = QChar(char16_t(c.unicode() % 255 + 1)); // codes 1 to 255, as the store accepts
    const QByteArray storeBytes = input.rest();

    cipher(password, QString::fromLatin1(storeBytes));

    // The reader gives a value or "unreadable", and the same answer on
    // every read, from the text and from the file alike.
    const std::optional<QString> parsed = PasswordStore::parseValue(storeBytes);
    FUZZ_CHECK(PasswordStore::parseValue(storeBytes) == parsed);
    const QString store = QString::fromStdString(fuzzScratchFolder() + "/unins000.dll");
    FUZZ_CHECK(PhotoFixtures::writeFile(store, storeBytes));
    FUZZ_CHECK(PasswordStore::readValue(store) == parsed);
    FUZZ_CHECK(PasswordStore::readValue(store) == parsed);
    const std::optional<QString> storedPassword = PasswordStore::readPassword(store);
    FUZZ_CHECK(PasswordStore::readPassword(store) == storedPassword);

    // A change of password: refused, with the file untouched, exactly where
    // the store cannot be read; otherwise it reads back as the new password.
    const QString enciphered = Crypt::Encrypt(password);
    limitedWrite(store, enciphered, limit);
    FUZZ_CHECK(PhotoFixtures::writeFile(store, storeBytes));
    const bool changed = PasswordStore::writeValue(store, enciphered);
    FUZZ_CHECK(changed == parsed.has_value());
    if (changed)
        FUZZ_CHECK(PasswordStore::readPassword(store) == std::optional<QString>(Text::trimmed(password)));
    else
        FUZZ_CHECK(PhotoFixtures::readFile(store) == storeBytes);
    return 0;
}
