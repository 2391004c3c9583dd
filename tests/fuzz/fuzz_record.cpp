// A record decoded from any buffer and encoded again.
//
// Input: the record's bytes (shorter buffers are padded with zero bytes,
// longer ones cut), then a field number and a text to store in it.
#include "FuzzSupport.h"

#include "core/archive/Scheda.h"
#include "core/formats/CodePage.h"
#include "core/formats/Text.h"

#include <cstring>

namespace {

bool isTrimmedBytes(QByteArrayView bytes)
{
    return bytes.isEmpty() || (std::uint8_t(bytes.front()) > 32 && std::uint8_t(bytes.back()) > 32);
}

// As every writer of this program leaves a record: each length within its
// room, the text trimmed, the room after it zero.
bool isValid(const TScheda& scheda)
{
    for (const DescrizioneCampo& d : Campi) {
        const int length = scheda.Lunghezza(d.campo);
        if (length > d.capacita || !isTrimmedBytes(scheda.VistaCampo(d.campo)))
            return false;
        for (int i = d.offset + 1 + length; i < d.offset + 1 + d.capacita; ++i)
            if (scheda.dati()[i] != 0)
                return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const QByteArray raw = input.bytes(TScheda::Dimensione);
    QByteArray full = raw;
    full.resize(TScheda::Dimensione, '\0');

    // Only a whole record is taken; anything else leaves the record as it was.
    TScheda scheda;
    TScheda untouched = scheda;
    FUZZ_CHECK(scheda.ImpostaByte(raw) == (raw.size() == TScheda::Dimensione));
    if (raw.size() != TScheda::Dimensione)
        FUZZ_CHECK(scheda == untouched);
    FUZZ_CHECK(scheda.ImpostaByte(full));
    FUZZ_CHECK(scheda.Byte() == full);

    // Each field reads as the bytes the record holds, however damaged: the
    // length byte as stored, at most the room, and the text encodes back to
    // exactly those bytes.
    for (const DescrizioneCampo& d : Campi) {
        const int stored = std::uint8_t(full[d.offset]);
        FUZZ_CHECK(scheda.Lunghezza(d.campo) == stored);
        const QByteArray expected = full.mid(d.offset + 1, std::min(stored, d.capacita));
        FUZZ_CHECK(scheda.ByteCampo(d.campo) == expected);
        const QString text = scheda.LeggiCampo(d.campo);
        FUZZ_CHECK(text.size() == expected.size());
        FUZZ_CHECK(CodePage::encode(text) == expected);
        const QByteArrayView trimmed = scheda.VistaCampoRifilata(d.campo);
        FUZZ_CHECK(isTrimmedBytes(trimmed));
        FUZZ_CHECK(CodePage::encode(Text::trimmed(text)) == trimmed.toByteArray());
    }

    // Re-encoding every field's trimmed text gives a valid record that reads
    // back the same texts; a record that was valid already comes back byte
    // for byte.
    TScheda again;
    for (const DescrizioneCampo& d : Campi)
        again.ScriviCampo(d.campo, scheda.LeggiCampo(d.campo));
    FUZZ_CHECK(isValid(again));
    for (const DescrizioneCampo& d : Campi)
        FUZZ_CHECK(again.LeggiCampo(d.campo) == Text::trimmed(scheda.LeggiCampo(d.campo)));
    FUZZ_CHECK(again.LeggiInVendita() == scheda.LeggiInVendita() || !isValid(scheda));
    if (isValid(scheda))
        FUZZ_CHECK(again == scheda);

    // Storing a text touches its own field only: its length within the room,
    // the bytes a prefix of the encoded trimmed text, the rest of the room zero.
    const DescrizioneCampo& d = Campi[std::size_t(input.number(0, NumeroCampi - 1))];
    const QString text = input.text(400);
    TScheda written = scheda;
    written.ScriviCampo(d.campo, text);
    const QByteArray before = scheda.Byte();
    const QByteArray after = written.Byte();
    FUZZ_CHECK(before.left(d.offset) == after.left(d.offset));
    FUZZ_CHECK(before.mid(d.offset + 1 + d.capacita) == after.mid(d.offset + 1 + d.capacita));
    const int length = written.Lunghezza(d.campo);
    FUZZ_CHECK(length <= d.capacita);
    FUZZ_CHECK(after.mid(d.offset + 1 + length, d.capacita - length) == QByteArray(d.capacita - length, '\0'));
    // (Past 255 characters the text is cut before it is encoded, which may
    // split a letter from its accent, so only shorter texts are compared.)
    const QString trimmedText = Text::trimmed(text);
    const QByteArray encoded = CodePage::encode(trimmedText);
    if (trimmedText.size() <= 255)
        FUZZ_CHECK(encoded.startsWith(written.ByteCampo(d.campo)));
    // A text the code page holds whole, within the room, reads back as stored.
    bool plain = true;
    CodePage::forEachCharacter(trimmedText, [&](char32_t c) { plain = plain && CodePage::byteOf(c) >= 0; });
    if (plain && trimmedText.size() <= 255 && encoded.size() <= d.capacita)
        FUZZ_CHECK(written.LeggiCampo(d.campo) == trimmedText.normalized(QString::NormalizationForm_C));
    return 0;
}
