#include "TextFormat.h"

#include "NumberFormats.h"

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

} // namespace

QString format(const QString &pattern, std::initializer_list<FormatArgument> arguments, const QLocale &locale)
{
    QString result;
    result.reserve(pattern.size() + 32);
    auto next = arguments.begin();
    qsizetype i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern[i];
        if (c != QLatin1Char('%')) {
            result += c;
            ++i;
            continue;
        }
        const qsizetype start = i++;
        if (i < pattern.size() && pattern[i] == QLatin1Char('%')) {
            result += QLatin1Char('%');
            ++i;
            continue;
        }
        const bool leftAlign = i < pattern.size() && pattern[i] == QLatin1Char('-');
        if (leftAlign)
            ++i;
        const int width = readNumber(pattern, i);
        int precision = -1;
        if (i < pattern.size() && pattern[i] == QLatin1Char('.')) {
            ++i;
            precision = readNumber(pattern, i);
        }
        if (i >= pattern.size()) {
            result += pattern.mid(start);
            break;
        }
        const QChar type = pattern[i++].toLower();
        const QString directive = pattern.mid(start, i - start);
        if (next == arguments.end()) {
            result += directive;
            continue;
        }
        const FormatArgument &argument = *next;
        QString text;
        if (type == QLatin1Char('s') && std::holds_alternative<QString>(argument)) {
            text = std::get<QString>(argument);
            if (precision >= 0)
                text.truncate(precision);
        } else if (type == QLatin1Char('d') && std::holds_alternative<qint64>(argument)) {
            const qint64 value = std::get<qint64>(argument);
            QString digits = QString::number(value < 0 ? -(quint64(value)) : quint64(value));
            if (precision > digits.size())
                digits.prepend(QString(precision - digits.size(), QLatin1Char('0')));
            text = value < 0 ? QLatin1Char('-') + digits : digits;
        } else if (type == QLatin1Char('f')
            && (std::holds_alternative<double>(argument) || std::holds_alternative<qint64>(argument))) {
            const double value = std::holds_alternative<double>(argument) ? std::get<double>(argument)
                                                                          : double(std::get<qint64>(argument));
            text = formatFixed(value, precision < 0 ? 2 : precision, locale);
        } else {
            result += directive;
            continue;
        }
        ++next;
        result += pad(text, width, leftAlign);
    }
    return result;
}

} // namespace kelvo
