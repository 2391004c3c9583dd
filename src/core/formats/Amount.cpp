#include "core/formats/Amount.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "core/formats/Text.h"

namespace {

const QString kZero = QStringLiteral("0,00");

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The run of ASCII digits starting at `pos`, which is moved past it.
std::string digitRun(const QString& text, qsizetype& pos)
{
    std::string run;
    while (pos < text.size() && isDigit(text.at(pos)))
        run += static_cast<char>(text.at(pos++).unicode());
    return run;
}

// A non-negative finite value written with at most 15 significant digits,
// trailing zeros of the fraction dropped, "," before the fraction. Always
// positional: an exponent form ("1e+20") would not read back as an amount
// once ",00" is appended, so values of 10^15 and more are written out in full.
QString generalForm(double value)
{
    // d.dddddddddddddde±x: exactly 15 significant digits, locale-free.
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    if (written.ec != std::errc())
        return {};
    const std::string scientific(buffer, written.ptr);
    const std::size_t e = scientific.find('e');
    std::string digits = scientific.substr(0, 1) + scientific.substr(2, e - 2);
    const int exponent = std::stoi(scientific.substr(e + 1));

    std::string whole;
    std::string fraction;
    if (exponent >= 0) {
        const std::size_t wholeDigits = static_cast<std::size_t>(exponent) + 1;
        if (wholeDigits >= digits.size()) {
            whole = digits + std::string(wholeDigits - digits.size(), '0');
        } else {
            whole = digits.substr(0, wholeDigits);
            fraction = digits.substr(wholeDigits);
        }
    } else {
        whole = "0";
        fraction = std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    QString text = QString::fromLatin1(whole.data(), static_cast<qsizetype>(whole.size()));
    if (!fraction.empty())
        text += QLatin1Char(',') + QString::fromLatin1(fraction.data(), static_cast<qsizetype>(fraction.size()));
    return text;
}

} // namespace

double Arrotonda(double value, int decimals)
{
    long double factor = 1;
    if (decimals == 1) {
        factor = 10;
    } else if (decimals > 1) {
        for (int i = 0; i < decimals; ++i)
            factor *= 10;
    }
    // Product and sum stay in extended precision; only the quotient becomes a double.
    const long double shifted = static_cast<long double>(value) * factor + 0.5L;
    return static_cast<double>(std::trunc(shifted) / factor);
}

std::optional<double> LeggiImporto(const QString& text)
{
    const QString t = Text::trimmed(text);
    qsizetype pos = 0;
    bool negative = false;
    if (pos < t.size() && (t.at(pos) == QLatin1Char('+') || t.at(pos) == QLatin1Char('-')))
        negative = t.at(pos++) == QLatin1Char('-');
    const std::string whole = digitRun(t, pos);
    std::string fraction;
    if (pos < t.size() && t.at(pos) == QLatin1Char(','))
        fraction = digitRun(t, ++pos);
    if (whole.empty() && fraction.empty())
        return std::nullopt;
    std::string exponent;
    if (pos < t.size() && (t.at(pos) == QLatin1Char('e') || t.at(pos) == QLatin1Char('E'))) {
        ++pos;
        exponent = "e";
        if (pos < t.size() && (t.at(pos) == QLatin1Char('+') || t.at(pos) == QLatin1Char('-')))
            exponent += static_cast<char>(t.at(pos++).unicode());
        const std::string digits = digitRun(t, pos);
        if (digits.empty())
            return std::nullopt;
        exponent += digits;
    }
    if (pos != t.size())
        return std::nullopt;

    // from_chars is correctly rounded and ignores the C locale, whatever the
    // desktop's regional settings say.
    const std::string plain = (whole.empty() ? std::string("0") : whole) + '.'
                              + (fraction.empty() ? std::string("0") : fraction) + exponent;
    double value = 0;
    const auto parsed = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (parsed.ec != std::errc() || parsed.ptr != plain.data() + plain.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

QString NormalizzaImporto(const QString& text)
{
    if (Text::trimmed(text).isEmpty())
        return kZero;
    const std::optional<double> value = LeggiImporto(text);
    if (!value)
        return kZero;

    // Half up applies to the size of the amount: a negative amount, which only
    // pasting can bring in, rounds away from zero like its positive twin
    // (Int of -249,5 would otherwise turn -2,5 into -2,49).
    const double magnitude = Arrotonda(std::fabs(*value), 2);
    if (!std::isfinite(magnitude))
        return kZero;
    QString result = generalForm(magnitude);
    if (result.isEmpty())
        return kZero;
    if (*value < 0 && magnitude != 0)
        result.prepend(QLatin1Char('-'));

    if (!result.contains(QLatin1Char(',')))
        result += QStringLiteral(",00");
    if (result.size() >= 2 && result.at(result.size() - 2) == QLatin1Char(','))
        result = Text::trimmed(result) + QLatin1Char('0');
    return result;
}
