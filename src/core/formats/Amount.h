#pragma once
#include <QString>

#include <optional>

// Amounts in euro as the record sheet keeps them: text with a decimal comma
// and two decimals ("12,50"), no thousands separator, no currency sign.

// `value` rounded half up to `decimals` places: Int(value × factor + 0.5) / factor,
// with the product and the sum held in 80-bit extended precision and Int
// dropping the fraction of that extended value. Keeping the extended product
// is what sends 2,675 (just below in binary) down to 2,67.
double Arrotonda(double value, int decimals);

// Reads an amount as typed: blanks around it, an optional sign, digits, an
// optional "," with more digits, an optional exponent; either digit run may be
// empty (",5", "5,") but not both; no thousands separator. The value is the
// double nearest to the decimal text; nothing when the text has another form
// or lies beyond the range of a double.
std::optional<double> LeggiImporto(const QString& text);

// The text the value field shows after the user leaves it: the amount rounded
// to two decimals and written with a decimal comma and two decimals, or "0,00"
// for an empty text or anything that is not a number.
QString NormalizzaImporto(const QString& text);
