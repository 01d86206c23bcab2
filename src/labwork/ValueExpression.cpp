#include "ValueExpression.h"

#include "Localization.h"
#include "NumberFormats.h"
#include "TextFormat.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace kelvo {

void ExpressionVariables::insert(const QString &name, double value)
{
    const QString key = name.toCaseFolded();
    if (!m_values.contains(key))
        m_values.insert(key, value);
}

std::optional<double> ExpressionVariables::find(QStringView name) const
{
    const auto it = m_values.constFind(name.toString().toCaseFolded());
    if (it == m_values.cend())
        return std::nullopt;
    return *it;
}

namespace {

// Deep enough for any formula a bench needs, shallow enough for the stack of every thread.
constexpr int MaxDepth = 200;

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

struct Function
{
    const char16_t *name;
    int minArguments;
    int maxArguments; // -1: any number from minArguments on
    double (*apply)(const std::vector<double> &arguments);
};

const Function Functions[] = {
    { u"sqrt", 1, 1, [](const std::vector<double> &a) { return std::sqrt(a[0]); } },
    { u"exp", 1, 1, [](const std::vector<double> &a) { return std::exp(a[0]); } },
    { u"ln", 1, 1, [](const std::vector<double> &a) { return std::log(a[0]); } },
    { u"log10", 1, 1, [](const std::vector<double> &a) { return std::log10(a[0]); } },
    { u"sin", 1, 1, [](const std::vector<double> &a) { return std::sin(a[0]); } },
    { u"cos", 1, 1, [](const std::vector<double> &a) { return std::cos(a[0]); } },
    { u"tan", 1, 1, [](const std::vector<double> &a) { return std::tan(a[0]); } },
    { u"abs", 1, 1, [](const std::vector<double> &a) { return std::fabs(a[0]); } },
    { u"round", 1, 1, [](const std::vector<double> &a) { return roundHalfEven(a[0]); } },
    { u"min", 2, -1,
        [](const std::vector<double> &a) {
            double result = a[0];
            for (const double v : a)
                result = std::min(result, v);
            return result;
        } },
    { u"max", 2, -1,
        [](const std::vector<double> &a) {
            double result = a[0];
            for (const double v : a)
                result = std::max(result, v);
            return result;
        } },
};

const Function *findFunction(QStringView name)
{
    for (const Function &function : Functions) {
        if (name.compare(QStringView(function.name), Qt::CaseInsensitive) == 0)
            return &function;
    }
    return nullptr;
}

class Parser final
{
public:
    Parser(QStringView text, const ExpressionVariables &variables, const QLocale &locale)
        : m_text(text)
        , m_variables(variables)
        , m_decimalPoint(locale.decimalPoint())
        , m_groupSeparator(locale.groupSeparator())
    {
    }

    ExpressionResult run()
    {
        ExpressionResult result;
        const std::optional<double> value = expression(0);
        if (value) {
            skipBlanks();
            if (m_pos < m_text.size())
                syntaxError();
        }
        if (!m_error.isEmpty() || !value)
            result.error = m_error;
        else
            result.value = *value;
        return result;
    }

private:
    // expression := term { ("+" | "-") term }
    std::optional<double> expression(int depth)
    {
        std::optional<double> left = term(depth);
        while (left) {
            skipBlanks();
            const bool plus = take(u'+');
            if (!plus && !take(u'-'))
                break;
            const std::optional<double> right = term(depth);
            if (!right)
                return std::nullopt;
            left = finite(plus ? *left + *right : *left - *right);
        }
        return left;
    }

    // term := signed { ("*" | "/") signed }
    std::optional<double> term(int depth)
    {
        std::optional<double> left = signedFactor(depth);
        while (left) {
            skipBlanks();
            const bool times = take(u'*');
            if (!times && !take(u'/'))
                break;
            const std::optional<double> right = signedFactor(depth);
            if (!right)
                return std::nullopt;
            if (!times && *right == 0)
                return fail(Texts::ExpressionDivisionByZero);
            left = finite(times ? *left * *right : *left / *right);
        }
        return left;
    }

    // signed := ("+" | "-") signed | power
    std::optional<double> signedFactor(int depth)
    {
        if (depth > MaxDepth)
            return fail(Texts::ExpressionTooDeep);
        skipBlanks();
        if (take(u'-')) {
            const std::optional<double> value = signedFactor(depth + 1);
            return value ? std::optional<double>(-*value) : std::nullopt;
        }
        if (take(u'+'))
            return signedFactor(depth + 1);
        return power(depth);
    }

    // power := primary [ "^" signed ]
    std::optional<double> power(int depth)
    {
        const std::optional<double> base = primary(depth);
        if (!base)
            return std::nullopt;
        skipBlanks();
        if (!take(u'^'))
            return base;
        const std::optional<double> exponent = signedFactor(depth + 1);
        if (!exponent)
            return std::nullopt;
        if (*base == 0 && *exponent < 0)
            return fail(Texts::ExpressionDivisionByZero);
        return finite(std::pow(*base, *exponent));
    }

    // primary := number | name | name "(" arguments ")" | "(" expression ")"
    std::optional<double> primary(int depth)
    {
        skipBlanks();
        if (m_pos >= m_text.size())
            return syntaxError();
        const QChar c = m_text[m_pos];
        if (c == u'(') {
            ++m_pos;
            const std::optional<double> value = expression(depth + 1);
            if (!value)
                return std::nullopt;
            skipBlanks();
            if (!take(u')'))
                return syntaxError();
            return value;
        }
        if (isAsciiDigit(c) || startsSeparator(m_pos))
            return number();
        if (c.isLetter() || c == u'_')
            return name(depth);
        return syntaxError();
    }

    std::optional<double> name(int depth)
    {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && (m_text[m_pos].isLetterOrNumber() || m_text[m_pos] == u'_'))
            ++m_pos;
        const QStringView word = m_text.mid(start, m_pos - start);
        skipBlanks();
        if (take(u'('))
            return call(word, depth);
        if (const std::optional<double> value = m_variables.find(word))
            return value;
        if (word.compare(u"pi", Qt::CaseInsensitive) == 0)
            return std::numbers::pi;
        return fail(format(Texts::ExpressionUnknownName, { word.toString() }));
    }

    std::optional<double> call(QStringView word, int depth)
    {
        const Function *function = findFunction(word);
        if (!function)
            return fail(format(Texts::ExpressionUnknownFunction, { word.toString() }));
        std::vector<double> arguments;
        skipBlanks();
        if (!take(u')')) {
            do {
                const std::optional<double> argument = expression(depth + 1);
                if (!argument)
                    return std::nullopt;
                arguments.push_back(*argument);
                skipBlanks();
            } while (take(u';'));
            if (!take(u')'))
                return syntaxError();
        }
        const auto count = int(arguments.size());
        if (count < function->minArguments || (function->maxArguments >= 0 && count > function->maxArguments))
            return fail(format(Texts::ExpressionArgumentCount, { word.toString() }));
        return finite(function->apply(arguments));
    }

    // Digits with one decimal separator and an optional exponent; see the header for which
    // separators count.
    std::optional<double> number()
    {
        const qsizetype start = m_pos;
        QString normal;
        int digits = 0;
        auto takeDigits = [&] {
            while (m_pos < m_text.size() && isAsciiDigit(m_text[m_pos])) {
                normal += m_text[m_pos++];
                ++digits;
            }
        };
        takeDigits();
        const int integerDigits = digits;
        if (const qsizetype length = separatorLength(m_pos); length > 0) {
            if (integerDigits > 0 && looksGrouped(m_pos))
                return fail(format(Texts::ExpressionAmbiguousNumber, { qint64(m_pos + 1) }));
            m_pos += length;
            normal += QLatin1Char('.');
            takeDigits();
        }
        if (m_pos < m_text.size() && (m_text[m_pos] == u'e' || m_text[m_pos] == u'E')) {
            qsizetype at = m_pos + 1;
            if (at < m_text.size() && (m_text[at] == u'+' || m_text[at] == u'-'))
                ++at;
            if (at < m_text.size() && isAsciiDigit(m_text[at])) {
                normal += QLatin1Char('e') + m_text.mid(m_pos + 1, at - m_pos - 1);
                m_pos = at;
                while (m_pos < m_text.size() && isAsciiDigit(m_text[m_pos]))
                    normal += m_text[m_pos++];
            }
        }
        const std::optional<double> value = parseDecimal(normal, QLocale::c());
        if (!value)
            return fail(format(Texts::ExpressionBadNumber, { qint64(start + 1) }));
        return value;
    }

    // The length of a decimal separator at `at` that a digit follows, or 0.
    qsizetype separatorLength(qsizetype at) const
    {
        qsizetype length = 0;
        if (!m_decimalPoint.isEmpty() && m_text.mid(at).startsWith(m_decimalPoint))
            length = m_decimalPoint.size();
        else if (at < m_text.size() && (m_text[at] == u'.' || m_text[at] == u','))
            length = 1;
        if (length == 0 || at + length >= m_text.size() || !isAsciiDigit(m_text[at + length]))
            return 0;
        return length;
    }

    bool startsSeparator(qsizetype at) const { return separatorLength(at) > 0; }

    // The locale's grouping mark followed by exactly three digits: "1,234" under English settings.
    bool looksGrouped(qsizetype at) const
    {
        if (m_groupSeparator.isEmpty() || m_text.mid(at).startsWith(m_decimalPoint)
            || !m_text.mid(at).startsWith(m_groupSeparator)) {
            return false;
        }
        qsizetype end = at + m_groupSeparator.size();
        qsizetype digits = 0;
        while (end < m_text.size() && isAsciiDigit(m_text[end])) {
            ++end;
            ++digits;
        }
        return digits == 3;
    }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
    }

    bool take(char16_t c)
    {
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    std::optional<double> finite(double value)
    {
        if (!std::isfinite(value))
            return fail(Texts::ExpressionNotFinite);
        return value;
    }

    std::optional<double> syntaxError()
    {
        return fail(format(Texts::ExpressionSyntaxError, { qint64(qMin(m_pos, m_text.size()) + 1) }));
    }

    std::optional<double> fail(const QString &reason)
    {
        if (m_error.isEmpty())
            m_error = reason;
        return std::nullopt;
    }

    QStringView m_text;
    const ExpressionVariables &m_variables;
    const QString m_decimalPoint;
    const QString m_groupSeparator;
    qsizetype m_pos = 0;
    QString m_error;
};

} // namespace

ExpressionResult evaluateExpression(QStringView text, const ExpressionVariables &variables, const QLocale &locale)
{
    return Parser(text, variables, locale).run();
}

} // namespace kelvo
