#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>

// Every number the program reads or shows goes through here. Each function takes the locale
// whose decimal separator applies; the default is the default locale (the user's settings
// unless a test sets another).
namespace kelvo {

// The runtime's integer conversion: leading blanks, an optional sign, then decimal digits or
// hexadecimal digits after "$", "0x" or "0X"; nothing may follow. Hexadecimal values up to
// $FFFFFFFF wrap into the signed range; anything else outside 32 bits does not convert.
std::optional<qint32> parseInteger(QStringView text);

// The runtime's strict decimal conversion: optional leading and trailing spaces, an optional
// sign, digits with at most one decimal separator (only the locale's), an optional exponent;
// at least one digit. The result is the nearest double; an overflow does not convert.
std::optional<double> parseDecimal(QStringView text, const QLocale &locale = QLocale());

// A number a student types: as parseDecimal, but a point or a comma serves as the decimal
// separator whatever the settings say (the number pad gives one, the settings may want the other).
std::optional<double> parseTypedDecimal(QStringView text, const QLocale &locale = QLocale());

// The general format: at most 15 significant digits, the last rounded half up on the exact
// decimal expansion, trailing zeros dropped, scientific notation below 0.0001 and from 1E15.
QString formatGeneral(double value, const QLocale &locale = QLocale());

// Fixed notation with exactly `decimals` decimals, rounded half up on the exact expansion,
// no thousands separators ("%f" is formatFixed(value, 2)).
QString formatFixed(double value, int decimals, const QLocale &locale = QLocale());

// Nearest whole number, ties to the even neighbour.
double roundHalfEven(double value);

// The nearest integer to the exact product value * 10 (no intermediate rounding), ties to even.
qint64 tenths(double value);

QString decimalSeparator(const QLocale &locale = QLocale());

} // namespace kelvo
