#include "TextFormat.h"

#include "NumberFormats.h"

#include <optional>

namespace kelvo {

namespace {

int readNumber(const QString &pattern, qsizetype &i)
{
    int value = 0;
    while (i < pattern.size() && pattern[i].isDigit() && pattern[i].unicode() < 128) {
        value = qMin(value * 10 + (pattern[i].unicode() - '0'), 1000);
        ++i;
    }
    return value;
}

QString pad(QString text, int width, bool leftAlign)
{
    if (text.size() >= width)
        return text;
    const QString fill(width - text.size(), QLatin1Char(' '));
    return leftAlign ? text + fill : fill + text;
}

// One directive: "%", an optional "-", a width, an optional "." and precision, a type letter.
struct Directive
{
    bool leftAlign = false;
    int width = 0;
    int precision = -1;
    QChar type; // lower case
};

// Reads the directive after the "%" at `i`; nothing when the pattern ends inside it.
std::optional<Directive> readDirective(const QString &pattern, qsizetype &i)
{
    Directive directive;
    directive.leftAlign = i < pattern.size() && pattern[i] == QLatin1Char('-');
    if (directive.leftAlign)
        ++i;
    directive.width = readNumber(pattern, i);
    if (i < pattern.size() && pattern[i] == QLatin1Char('.')) {
        ++i;
        directive.precision = readNumber(pattern, i);
    }
    if (i >= pattern.size())
        return std::nullopt;
    directive.type = pattern[i++].toLower();
    return directive;
}

QString integerText(qint64 value, int precision)
{
    QString digits = QString::number(value < 0 ? -(quint64(value)) : quint64(value));
    if (precision > digits.size())
        digits.prepend(QString(precision - digits.size(), QLatin1Char('0')));
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

// The argument as the directive writes it, before padding; nothing when the two do not fit.
std::optional<QString> argumentText(const Directive &directive, const FormatArgument &argument, const QLocale &locale)
{
    const QChar type = directive.type;
    if (type == QLatin1Char('s') && std::holds_alternative<QString>(argument)) {
        QString text = std::get<QString>(argument);
        if (directive.precision >= 0)
            text.truncate(directive.precision);
        return text;
    }
    if (type == QLatin1Char('d') && std::holds_alternative<qint64>(argument))
        return integerText(std::get<qint64>(argument), directive.precision);
    if (type == QLatin1Char('f') && std::holds_alternative<double>(argument))
        return formatFixed(std::get<double>(argument), directive.precision < 0 ? 2 : directive.precision, locale);
    if (type == QLatin1Char('f') && std::holds_alternative<qint64>(argument))
        return formatFixed(
            double(std::get<qint64>(argument)), directive.precision < 0 ? 2 : directive.precision, locale);
    return std::nullopt;
}

} // namespace

QString format(const QString &pattern, std::initializer_list<FormatArgument> arguments, const QLocale &locale)
{
    QString result;
    result.reserve(pattern.size() + 32);
    auto next = arguments.begin();
    qsizetype i = 0;
    while (i < pattern.size()) {
        const qsizetype percent = pattern.indexOf(QLatin1Char('%'), i);
        if (percent != i) {
            // The text up to the next directive, at once.
            const qsizetype end = percent < 0 ? pattern.size() : percent;
            result += QStringView(pattern).sliced(i, end - i);
            i = end;
            continue;
        }
        const qsizetype start = i++;
        if (i < pattern.size() && pattern[i] == QLatin1Char('%')) {
            result += QLatin1Char('%');
            ++i;
            continue;
        }
        const std::optional<Directive> directive = readDirective(pattern, i);
        if (!directive) {
            result += pattern.mid(start);
            break;
        }
        const std::optional<QString> text
            = next == arguments.end() ? std::nullopt : argumentText(*directive, *next, locale);
        if (!text) {
            result += pattern.mid(start, i - start);
            continue;
        }
        ++next;
        result += pad(*text, directive->width, directive->leftAlign);
    }
    return result;
}

} // namespace kelvo
