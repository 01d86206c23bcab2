#include "TestSupport.h"
#include "ValueExpression.h"

#include <QTest>

#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;
using kelvo::evaluateExpression;
using kelvo::ExpressionVariables;

namespace {

ExpressionVariables benchVariables()
{
    ExpressionVariables variables;
    variables.insert(QStringLiteral("U"), 12);
    variables.insert(QStringLiteral("Iн"), 0.5);
    variables.insert(QStringLiteral("R_2"), 4);
    variables.insert(QStringLiteral("u"), 99); // a second name of another case: the first stays
    return variables;
}

} // namespace

class TestExpression final : public QObject
{
    Q_OBJECT

private slots:
    void evaluates_data();
    void evaluates();
    void rejects_data();
    void rejects();
    void variableHidesConstant();
};

void TestExpression::evaluates_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    const QLocale ru = kelvo::test::russian();
    const QLocale en = kelvo::test::english();
    QTest::newRow("nominal: plain number, regional comma") << ru << u"2,5"_s << 2.5;
    QTest::newRow("nominal: plain number, regional point") << en << u"2.5"_s << 2.5;
    QTest::newRow("nominal: point under Russian settings") << ru << u"2.5"_s << 2.5;
    QTest::newRow("nominal: comma under English settings, not a grouping") << en << u"2,5"_s << 2.5;
    QTest::newRow("nominal: comma under Russian settings, three decimals") << ru << u"1,234"_s << 1.234;
    QTest::newRow("nominal: random number text in scientific form") << ru << u"5,2E-5"_s << 5.2e-5;
    QTest::newRow("nominal: exponent with sign") << en << u"1.5e+3"_s << 1500.0;
    QTest::newRow("nominal: leading separator") << ru << u",5"_s << 0.5;
    QTest::newRow("nominal: blanks around") << ru << u"  7 "_s << 7.0;
    QTest::newRow("nominal: Ohm's law with a passive device") << ru << u"U / R_2"_s << 3.0;
    QTest::newRow("nominal: Cyrillic identifier in other case") << ru << u"IН * 2"_s << 1.0;
    QTest::newRow("nominal: identifier matched without regard to case") << en << u"u"_s << 12.0;
    QTest::newRow("precedence: product before sum") << en << u"1 + 2 * 3"_s << 7.0;
    QTest::newRow("precedence: left to right") << en << u"8 - 3 - 2"_s << 3.0;
    QTest::newRow("precedence: division left to right") << en << u"8 / 4 / 2"_s << 1.0;
    QTest::newRow("precedence: parentheses") << en << u"(1 + 2) * 3"_s << 9.0;
    QTest::newRow("precedence: power is right-associative") << en << u"2^3^2"_s << 512.0;
    QTest::newRow("precedence: power before sign") << en << u"-2^2"_s << -4.0;
    QTest::newRow("precedence: signed exponent") << en << u"2^-1"_s << 0.5;
    QTest::newRow("sign: double minus") << en << u"2--3"_s << 5.0;
    QTest::newRow("sign: unary plus") << en << u"+4"_s << 4.0;
    QTest::newRow("function: sqrt") << ru << u"sqrt(16)"_s << 4.0;
    QTest::newRow("function: exp and ln") << ru << u"ln(exp(2))"_s << 2.0;
    QTest::newRow("function: log10") << ru << u"log10(1000)"_s << 3.0;
    QTest::newRow("function: sin of pi/2") << ru << u"sin(pi / 2)"_s << 1.0;
    QTest::newRow("function: cos of 0") << ru << u"cos(0)"_s << 1.0;
    QTest::newRow("function: tan of 0") << ru << u"tan(0)"_s << 0.0;
    QTest::newRow("function: abs") << ru << u"abs(-3,5)"_s << 3.5;
    QTest::newRow("function: round ties to even") << ru << u"round(2,5)"_s << 2.0;
    QTest::newRow("function: round") << ru << u"round(2,51)"_s << 3.0;
    QTest::newRow("function: min of three, semicolons") << ru << u"min(3; 1,5; 2)"_s << 1.5;
    QTest::newRow("function: max") << en << u"max(1;2)"_s << 2.0;
    QTest::newRow("function: name in capitals") << en << u"SQRT(4)"_s << 2.0;
    QTest::newRow("constant: pi") << en << u"PI"_s << std::numbers::pi;
}

void TestExpression::evaluates()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(double, expected);
    const kelvo::test::DefaultLocale scope(locale);

    const kelvo::ExpressionResult result = evaluateExpression(text, benchVariables());
    QVERIFY2(result.ok(), qPrintable(result.error));
    QVERIFY2(std::fabs(result.value - expected) <= 1e-12 * std::max(1.0, std::fabs(expected)),
        qPrintable(QString::number(result.value, 'g', 17)));
}

void TestExpression::rejects_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");

    const QLocale ru = kelvo::test::russian();
    const QLocale en = kelvo::test::english();
    QTest::newRow("syntax: empty") << ru << QString() << u"syntax error at character 1"_s;
    QTest::newRow("syntax: dangling operator") << ru << u"2,5+"_s << u"syntax error at character 5"_s;
    QTest::newRow("syntax: trailing text") << ru << u"2 V"_s << u"syntax error at character 3"_s;
    QTest::newRow("syntax: unclosed parenthesis") << ru << u"(1 + 2"_s << u"syntax error at character 7"_s;
    QTest::newRow("syntax: comma as argument separator") << en << u"max(1, 2)"_s << u"syntax error at character 6"_s;
    QTest::newRow("syntax: two decimal separators") << ru << u"1,2,3"_s << u"syntax error at character 4"_s;
    QTest::newRow("syntax: separator without digits") << ru << u"1,"_s << u"syntax error at character 2"_s;
    QTest::newRow("syntax: unreplaced RAND( without bracket") << ru << u"RAND("_s << u"unknown function \"RAND\""_s;
    QTest::newRow("ambiguous: grouping-like comma under English settings")
        << en << u"1,234"_s << u"ambiguous number at character 2 (digit grouping or decimal separator?)"_s;
    QTest::newRow("range: number too large") << en << u"1e400"_s << u"number out of range at character 1"_s;
    QTest::newRow("name: unknown identifier") << ru << u"I * 2"_s << u"unknown name \"I\""_s;
    QTest::newRow("name: unknown function") << ru << u"cbrt(8)"_s << u"unknown function \"cbrt\""_s;
    QTest::newRow("arguments: sqrt of two") << ru << u"sqrt(1; 2)"_s << u"wrong number of arguments for sqrt"_s;
    QTest::newRow("arguments: max of one") << en << u"max(1,2)"_s << u"wrong number of arguments for max"_s;
    QTest::newRow("arguments: none") << en << u"abs()"_s << u"wrong number of arguments for abs"_s;
    QTest::newRow("arithmetic: division by zero") << ru << u"U / (R_2 - 4)"_s << u"division by zero"_s;
    QTest::newRow("arithmetic: zero to a negative power") << ru << u"0^-1"_s << u"division by zero"_s;
    QTest::newRow("arithmetic: square root of a negative number")
        << ru << u"sqrt(-1)"_s << u"the result is not a finite number"_s;
    QTest::newRow("arithmetic: NaN inside min does not vanish")
        << ru << u"min(1; sqrt(-1))"_s << u"the result is not a finite number"_s;
    QTest::newRow("arithmetic: logarithm of zero") << ru << u"ln(0)"_s << u"the result is not a finite number"_s;
    QTest::newRow("arithmetic: overflow") << en << u"1e300 * 1e300"_s << u"the result is not a finite number"_s;
    QTest::newRow("robustness: deep nesting")
        << en << QString(100000, u'(') + u'1' << u"the expression is nested too deeply"_s;
    QTest::newRow("robustness: long chain of signs")
        << en << QString(100000, u'-') + u'1' << u"the expression is nested too deeply"_s;
    QTest::newRow("robustness: control character") << en << u"1\u00012"_s << u"syntax error at character 2"_s;
}

void TestExpression::rejects()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(QString, error);
    const kelvo::test::DefaultLocale scope(locale);

    const kelvo::ExpressionResult result = evaluateExpression(text, benchVariables());
    QVERIFY(!result.ok());
    QCOMPARE(result.error, error);
}

void TestExpression::variableHidesConstant()
{
    ExpressionVariables variables;
    variables.insert(QStringLiteral("Pi"), 3);
    QCOMPARE(evaluateExpression(u"pi * 2", variables).value, 6.0);
}

QTEST_GUILESS_MAIN(TestExpression)
#include "tst_expression.moc"
