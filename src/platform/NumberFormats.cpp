#include "NumberFormats.h"

#include <QByteArray>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace kelvo {

namespace {

// value = 0.d1 d2 d3 ... x 10^exponent; no trailing zeros; no digits means zero.
struct DecimalDigits
{
    bool negative = false;
    QByteArray digits;
    int exponent = 0;
};

// The number of significant decimal digits that the exact expansion of |value| can need: its
// integer digits plus one decimal digit per binary digit after the point.
int exactDigitCount(double value)
{
    int exponent = 0;
    const double mantissa = std::frexp(value, &exponent); // value = mantissa * 2^exponent
    const auto bits = quint64(std::ldexp(mantissa, 53));
    const int trailingZeros = bits == 0 ? 0 : std::countr_zero(bits);
    const int fractionBits = qMax(0, 53 - exponent - trailingZeros);
    const int integerDigits = exponent > 0 ? int(exponent * 0.30103) + 2 : 1;
    return integerDigits + fractionBits + 1;
}

DecimalDigits exactDigits(double value)
{
    DecimalDigits result;
    result.negative = std::signbit(value);
    if (value == 0)
        return result;
    // glibc prints the exact binary value when asked for enough digits; a double needs at most 767.
    const int precision = qMin(exactDigitCount(std::fabs(value)), 780);
    char buffer[900];
    const int length = std::snprintf(buffer, sizeof buffer, "%.*e", precision, std::fabs(value));
    if (length <= 0 || length >= int(sizeof buffer))
        return result;
    const char *e = std::strchr(buffer, 'e');
    if (!e)
        return result;
    QByteArray digits;
    digits.reserve(precision + 2);
    for (const char *p = buffer; p < e; ++p) {
        if (*p >= '0' && *p <= '9')
            digits.append(*p);
    }
    while (digits.endsWith('0'))
        digits.chop(1);
    result.digits = digits;
    result.exponent = std::atoi(e + 1) + 1;
    return result;
}

// Keep at most `keep` leading digits, rounding half up on the digit that follows.
DecimalDigits roundDigits(DecimalDigits number, int keep)
{
    if (number.digits.size() <= keep)
        return number;
    if (keep < 0) {
        number.digits.clear();
        return number;
    }
    const bool up = number.digits.at(keep) >= '5';
    number.digits.truncate(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && number.digits.at(i) == '9') {
            number.digits[i] = '0';
            --i;
        }
        if (i >= 0) {
            number.digits[i] = char(number.digits.at(i) + 1);
        } else {
            number.digits.prepend('1');
            number.digits.truncate(qMax(keep, 1));
            ++number.exponent;
        }
    }
    while (number.digits.endsWith('0'))
        number.digits.chop(1);
    return number;
}

constexpr int GeneralPrecision = 15;

QString specialValue(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int digit = -1;
    if (u >= u'0' && u <= u'9')
        digit = u - u'0';
    else if (u >= u'a' && u <= u'f')
        digit = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        digit = u - u'A' + 10;
    return digit < base ? digit : -1;
}

QString latin(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

} // namespace

QString decimalSeparator(const QLocale &locale)
{
    return locale.decimalPoint();
}

std::optional<qint32> parseInteger(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    bool hex = false;
    if (i < n && text[i] == QLatin1Char('$')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == QLatin1Char('0')
        && (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
        hex = true;
        i += 2;
    }
    if (i == n)
        return std::nullopt;
    const quint64 limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
    quint64 value = 0;
    for (; i < n; ++i) {
        const int digit = digitValue(text[i], hex ? 16 : 10);
        if (digit < 0)
            return std::nullopt;
        value = value * (hex ? 16 : 10) + quint64(digit);
        if (value > limit)
            return std::nullopt;
    }
    if (hex) {
        const qint32 wrapped = qint32(quint32(value));
        return negative ? qint32(0u - quint32(wrapped)) : wrapped;
    }
    return negative ? qint32(-qint64(value)) : qint32(value);
}

namespace {

// The parts of a decimal number as parseDecimal reads them, copied into ASCII for from_chars.
class DecimalScanner final
{
public:
    explicit DecimalScanner(QStringView text)
        : m_text(text)
        , m_end(text.size())
    {
        while (m_at < m_end && m_text[m_at] == QLatin1Char(' '))
            ++m_at;
        while (m_end > m_at && m_text[m_end - 1] == QLatin1Char(' '))
            --m_end;
        m_ascii.reserve(m_end - m_at + 8);
    }

    // The sign, the digits before and after the separator; false when there is no digit.
    bool readMantissa(const QString &separator)
    {
        if (atSign()) {
            if (m_text[m_at] == QLatin1Char('-'))
                m_ascii.append('-');
            ++m_at;
        }
        int integerDigits = 0;
        while (atDigit()) {
            if (m_text[m_at] != QLatin1Char('0'))
                m_seenNonZero = true;
            if (m_seenNonZero)
                ++integerDigits;
            takeDigit();
        }
        m_magnitude = integerDigits;
        if (m_at < m_end && m_text.sliced(m_at, m_end - m_at).startsWith(separator)) {
            m_at += separator.size();
            m_ascii.append('.');
            readFraction();
        }
        return m_mantissaDigits > 0;
    }

    // An exponent, when one follows; false when it has no digits.
    bool readExponent()
    {
        if (m_at >= m_end || (m_text[m_at] != QLatin1Char('e') && m_text[m_at] != QLatin1Char('E')))
            return true;
        ++m_at;
        QByteArray exponent;
        if (atSign())
            exponent.append(char(m_text[m_at++].unicode()));
        if (!atDigit())
            return false;
        long long exponentValue = 0;
        while (atDigit()) {
            exponent.append(char(m_text[m_at].unicode()));
            exponentValue = qMin(exponentValue * 10 + (m_text[m_at].unicode() - '0'), 100000000LL);
            ++m_at;
        }
        if (exponent.startsWith('-'))
            exponentValue = -exponentValue;
        m_magnitude = int(qBound(-200000000LL, m_magnitude + exponentValue, 200000000LL));
        m_ascii.append('e');
        m_ascii.append(exponent);
        return true;
    }

    bool atEnd() const { return m_at == m_end; }

    // The value; a number too small for a double is zero, one too large is none.
    std::optional<double> convert() const
    {
        double value = 0;
        const auto [end, error] = std::from_chars(m_ascii.constData(), m_ascii.constData() + m_ascii.size(), value);
        if (error == std::errc::result_out_of_range) {
            if (!m_seenNonZero || m_magnitude <= 0)
                return m_ascii.startsWith('-') ? -0.0 : 0.0;
            return std::nullopt;
        }
        if (error != std::errc() || end != m_ascii.constData() + m_ascii.size() || !std::isfinite(value))
            return std::nullopt;
        return value;
    }

private:
    bool atSign() const
    {
        return m_at < m_end && (m_text[m_at] == QLatin1Char('+') || m_text[m_at] == QLatin1Char('-'));
    }
    bool atDigit() const
    {
        return m_at < m_end && m_text[m_at] >= QLatin1Char('0') && m_text[m_at] <= QLatin1Char('9');
    }
    void takeDigit()
    {
        m_ascii.append(char(m_text[m_at].unicode()));
        ++m_mantissaDigits;
        ++m_at;
    }
    void readFraction()
    {
        int leadingZeros = 0;
        while (atDigit()) {
            if (!m_seenNonZero && m_text[m_at] == QLatin1Char('0')) {
                ++leadingZeros;
            } else if (!m_seenNonZero) {
                m_seenNonZero = true;
                m_magnitude = -leadingZeros;
            }
            takeDigit();
        }
    }

    QStringView m_text;
    qsizetype m_at = 0;
    qsizetype m_end;
    QByteArray m_ascii;
    int m_mantissaDigits = 0;
    int m_magnitude = 0; // decimal position of the first non-zero digit, to tell underflow from overflow
    bool m_seenNonZero = false;
};

} // namespace

std::optional<double> parseDecimal(QStringView text, const QLocale &locale)
{
    DecimalScanner scanner(text);
    if (!scanner.readMantissa(decimalSeparator(locale)) || !scanner.readExponent() || !scanner.atEnd())
        return std::nullopt;
    return scanner.convert();
}

std::optional<double> parseTypedDecimal(QStringView text, const QLocale &locale)
{
    if (const std::optional<double> number = parseDecimal(text, locale))
        return number;
    const QString separator = decimalSeparator(locale);
    if (text.contains(separator))
        return std::nullopt;
    for (const QChar other : { QLatin1Char('.'), QLatin1Char(',') }) {
        if (separator != other && text.count(other) == 1) {
            QString regional = text.toString();
            regional.replace(other, separator);
            return parseDecimal(regional, locale);
        }
    }
    return std::nullopt;
}

QString formatGeneral(double value, const QLocale &locale)
{
    if (!std::isfinite(value))
        return specialValue(value);
    const DecimalDigits number = roundDigits(exactDigits(value), GeneralPrecision);
    if (number.digits.isEmpty())
        return QStringLiteral("0");
    const QString separator = decimalSeparator(locale);
    QString text;
    if (number.negative)
        text += QLatin1Char('-');
    const int exponent = number.exponent;
    if (exponent > GeneralPrecision || exponent < -3) {
        text += QLatin1Char(number.digits.at(0));
        if (number.digits.size() > 1)
            text += separator + latin(number.digits.mid(1));
        text += QLatin1Char('E');
        const int shown = exponent - 1;
        if (shown < 0)
            text += QLatin1Char('-');
        text += QString::number(std::abs(shown));
        return text;
    }
    if (exponent <= 0) {
        text += QLatin1Char('0') + separator + QString(-exponent, QLatin1Char('0')) + latin(number.digits);
        return text;
    }
    const QByteArray integer = number.digits.left(exponent);
    text += latin(integer) + QString(exponent - integer.size(), QLatin1Char('0'));
    if (number.digits.size() > exponent)
        text += separator + latin(number.digits.mid(exponent));
    return text;
}

QString formatFixed(double value, int decimals, const QLocale &locale)
{
    if (!std::isfinite(value))
        return specialValue(value);
    const DecimalDigits exact = exactDigits(value);
    if (exact.exponent > GeneralPrecision)
        return formatGeneral(value, locale);
    const DecimalDigits number = roundDigits(exact, qMin(GeneralPrecision, exact.exponent + decimals));
    QString text;
    if (number.negative && !number.digits.isEmpty())
        text += QLatin1Char('-');
    // Digit k of the expansion stands at position k - exponent from the decimal point.
    auto digitAt = [&](int k) {
        return k >= 0 && k < number.digits.size() ? QLatin1Char(number.digits.at(k)) : QLatin1Char('0');
    };
    if (number.digits.isEmpty() || number.exponent <= 0)
        text += QLatin1Char('0');
    else
        for (int k = 0; k < number.exponent; ++k)
            text += digitAt(k);
    if (decimals > 0) {
        text += decimalSeparator(locale);
        for (int k = 0; k < decimals; ++k)
            text += number.digits.isEmpty() ? QLatin1Char('0') : digitAt(number.exponent + k);
    }
    return text;
}

double roundHalfEven(double value)
{
    return std::nearbyint(value);
}

qint64 tenths(double value)
{
    if (!std::isfinite(value))
        return 0;
    constexpr double limit = 9.0e17;
    if (std::fabs(value) > limit / 10)
        return value < 0 ? qint64(-limit) : qint64(limit);
    const double product = value * 10;
    // The rounding error of the product, exactly: decides the ties that rounding created.
    const double error = std::fma(value, 10.0, -product);
    double rounded = std::nearbyint(product);
    if (std::fabs(product - rounded) == 0.5) {
        if (error > 0)
            rounded = std::floor(product) + 1;
        else if (error < 0)
            rounded = std::floor(product);
    }
    return qint64(rounded);
}

} // namespace kelvo
