#pragma once

#include <QLocale>
#include <QString>

#include <initializer_list>
#include <variant>

namespace kelvo {

using FormatArgument = std::variant<QString, qint64, double>;

// The runtime's Format for the patterns of the text table: %s, %d, %f, each with an optional
// "-", width and ".precision" (%3.3d pads with zeros to 3 digits, %0.2f gives two decimals,
// %f two by default), and %% for a percent sign. Numbers use the locale's decimal separator.
// A directive without a fitting argument is copied as written.
QString format(
    const QString &pattern, std::initializer_list<FormatArgument> arguments, const QLocale &locale = QLocale());

} // namespace kelvo
