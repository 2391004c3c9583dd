// Amounts as typed and as the value field shows them.
//
// Input: UTF-16 text; its bytes also give a double and a number of decimals
// for the rounding alone.
#include "FuzzSupport.h"

#include "core/formats/Amount.h"

#include <QRegularExpression>

#include <cmath>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);

    // Any double, any small count of decimals: no crash, no hang, and a
    // finite value rounds to a finite value or to the nearest infinity past
    // the range (never to a NaN).
    double value = 0;
    const QByteArray raw = input.bytes(sizeof value);
    std::memcpy(&value, raw.constData(), std::size_t(raw.size()));
    const int decimals = input.number(-2, 6);
    const double rounded = Arrotonda(value, decimals);
    if (std::isfinite(value))
        FUZZ_CHECK(!std::isnan(rounded));

    // The text in both forms a user could bring: as typed (UTF-16 units) and
    // as the same bytes read as Latin-1, which reaches the digits far more often.
    const QByteArray rest = input.rest();
    FuzzInput again(reinterpret_cast<const std::uint8_t*>(rest.constData()), std::size_t(rest.size()));
    for (const QString& text : {again.text(std::size_t(rest.size()) / 2), QString::fromLatin1(rest)}) {
        const std::optional<double> read = LeggiImporto(text);
        if (read)
            FUZZ_CHECK(std::isfinite(*read));

        // The shown form is always -?d+,dd, a fixed point of itself, and reads
        // back as an amount.
        static const QRegularExpression form(QStringLiteral("\\A-?[0-9]+,[0-9]{2}\\z"));
        const QString shown = NormalizzaImporto(text);
        FUZZ_CHECK(form.match(shown).hasMatch());
        FUZZ_CHECK(NormalizzaImporto(shown) == shown);
        FUZZ_CHECK(LeggiImporto(shown).has_value());
        // Not a number, or empty: zero.
        if (!read)
            FUZZ_CHECK(shown == QLatin1String("0,00"));
        // A plain amount of reasonable size keeps its value to the cent.
        if (read && std::fabs(*read) < 1e12)
            FUZZ_CHECK(std::fabs(*LeggiImporto(shown) - *read) <= 0.005 + 1e-9 * std::fabs(*read));
    }
    return 0;
}
