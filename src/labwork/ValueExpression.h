#pragma once

#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>

// The arithmetic of measurement devices' value texts:
//   numbers        in the locale's format; "." and "," both serve as decimal separator unless
//                  the one that is not the locale's is its digit grouping mark and exactly three
//                  digits follow it (then the number is ambiguous and does not evaluate);
//                  an exponent "E-5" may follow; there is no digit grouping
//   operators      + - * / ^ (power, right-associative, binds tighter than a sign: -2^2 = -4),
//                  parentheses, signs
//   functions      sqrt exp ln log10 sin cos tan abs round (to the nearest, ties to even)
//                  and min max (two or more arguments), arguments separated by ";"
//   names          the constant pi and the caller's variables
// Names and functions match without regard to case; a variable hides the constant of its name.
namespace kelvo {

class ExpressionVariables final
{
public:
    // The first value set for a name stays.
    void insert(const QString &name, double value);
    std::optional<double> find(QStringView name) const;
    bool isEmpty() const { return m_values.isEmpty(); }

private:
    QHash<QString, double> m_values; // case-folded name -> value
};

struct ExpressionResult
{
    bool ok() const { return error.isEmpty(); }

    double value = 0;
    QString error; // empty when the text evaluated to a finite number
};

// Evaluates `text`. Syntax errors, unknown names, division by zero and results that are not
// finite give an error text instead of a value.
ExpressionResult evaluateExpression(
    QStringView text, const ExpressionVariables &variables, const QLocale &locale = QLocale());

} // namespace kelvo
