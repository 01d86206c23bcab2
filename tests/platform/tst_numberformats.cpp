#include "NumberFormats.h"
#include "RuntimeErrors.h"
#include "TestSupport.h"
#include "TextFormat.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace kelvo;
using namespace kelvo::test;

Q_DECLARE_METATYPE(std::optional<qint32>)
Q_DECLARE_METATYPE(std::optional<double>)

class TestNumberFormats final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void integerConversion_data();
    void integerConversion();
    void decimalConversion_data();
    void decimalConversion();
    void typedDecimalConversion_data();
    void typedDecimalConversion();
    void generalFormat_data();
    void generalFormat();
    void fixedFormat_data();
    void fixedFormat();
    void tenthsRoundExactProduct_data();
    void tenthsRoundExactProduct();
    void roundHalfEven();
    void formatPatterns();
    void errorReportAppendsFullStop_data();
    void errorReportAppendsFullStop();
};

void TestNumberFormats::integerConversion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<qint32>>("expected");
    const std::optional<qint32> none;

    QTest::newRow("nominal: decimal") << "300" << std::optional<qint32>(300);
    QTest::newRow("nominal: leading blanks and sign") << "  -12" << std::optional<qint32>(-12);
    QTest::newRow("nominal: plus sign") << "+7" << std::optional<qint32>(7);
    QTest::newRow("nominal: hex after $") << "$10" << std::optional<qint32>(16);
    QTest::newRow("nominal: hex after 0x") << "0x10" << std::optional<qint32>(16);
    QTest::newRow("nominal: hex after 0X, lower digits") << "0Xff" << std::optional<qint32>(255);
    QTest::newRow("nominal: negative hex") << "-$10" << std::optional<qint32>(-16);
    QTest::newRow("nominal: hex wraps into the signed range") << "$FFFFFFFF" << std::optional<qint32>(-1);
    QTest::newRow("nominal: extremes") << "-2147483648" << std::optional<qint32>(std::numeric_limits<qint32>::min());
    QTest::newRow("robustness: trailing blank") << "1 " << none;
    QTest::newRow("robustness: empty") << "" << none;
    QTest::newRow("robustness: sign only") << "-" << none;
    QTest::newRow("robustness: prefix only") << "$" << none;
    QTest::newRow("robustness: letters") << "abc" << none;
    QTest::newRow("robustness: decimal fraction") << "1.5" << none;
    QTest::newRow("robustness: overflow") << "2147483648" << none;
    QTest::newRow("robustness: hex overflow") << "$100000000" << none;
    QTest::newRow("robustness: many digits") << QString(5000, QLatin1Char('9')) << none;
    QTest::newRow("robustness: Arabic-Indic digits") << QStringLiteral("١٢") << none;
}

void TestNumberFormats::integerConversion()
{
    QFETCH(QString, text);
    QFETCH(std::optional<qint32>, expected);
    QCOMPARE(parseInteger(text), expected);
}

void TestNumberFormats::decimalConversion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<double>>("russian");
    QTest::addColumn<std::optional<double>>("english");
    const std::optional<double> none;
    auto v = [](double d) { return std::optional<double>(d); };

    QTest::newRow("nominal: integer") << "12" << v(12) << v(12);
    QTest::newRow("nominal: regional separator only") << "2,53" << v(2.53) << none;
    QTest::newRow("nominal: point") << "2.53" << none << v(2.53);
    QTest::newRow("nominal: blanks, sign, exponent") << "  -1,5e-3 " << v(-0.0015) << none;
    QTest::newRow("nominal: separator without leading digit") << ",5" << v(0.5) << none;
    QTest::newRow("nominal: separator without trailing digit") << "5," << v(5) << none;
    QTest::newRow("nominal: capital exponent with sign") << "1E+2" << v(100) << v(100);
    QTest::newRow("nominal: underflow gives zero") << "1e-400" << v(0) << v(0);
    QTest::newRow("robustness: empty") << "" << none << none;
    QTest::newRow("robustness: lone minus") << "-" << none << none;
    QTest::newRow("robustness: lone separator") << "," << none << none;
    QTest::newRow("robustness: two separators") << "1,2,3" << none << none;
    QTest::newRow("robustness: thousands separator") << "1 000" << none << none;
    QTest::newRow("robustness: exponent without digits") << "1e" << none << none;
    QTest::newRow("robustness: overflow") << "1e400" << none << none;
    QTest::newRow("robustness: infinity word") << "INF" << none << none;
    QTest::newRow("robustness: trailing letter") << "2x" << none << none;
    QTest::newRow("robustness: tab is no blank") << "\t2" << none << none;
}

void TestNumberFormats::decimalConversion()
{
    QFETCH(QString, text);
    QFETCH(std::optional<double>, russian);
    QFETCH(std::optional<double>, english);
    QCOMPARE(parseDecimal(text, kelvo::test::russian()), russian);
    QCOMPARE(parseDecimal(text, kelvo::test::english()), english);
}

void TestNumberFormats::typedDecimalConversion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<double>>("expected"); // under Russian and English settings alike
    const std::optional<double> none;
    auto v = [](double d) { return std::optional<double>(d); };

    QTest::newRow("nominal: comma") << "2,5" << v(2.5);
    QTest::newRow("nominal: point") << "2.5" << v(2.5);
    QTest::newRow("nominal: point with blanks, sign and exponent") << " -2.5e1 " << v(-25);
    QTest::newRow("nominal: trailing separator") << "12." << v(12);
    QTest::newRow("nominal: integer") << "15" << v(15);
    QTest::newRow("robustness: point and comma") << "1,2.3" << none;
    QTest::newRow("robustness: two points") << "1.2.3" << none;
    QTest::newRow("robustness: two commas") << "1,2,3" << none;
    QTest::newRow("robustness: thousands then decimals") << "1,000.5" << none;
    QTest::newRow("robustness: letters") << "abc" << none;
    QTest::newRow("robustness: lone point") << "." << none;
    QTest::newRow("robustness: empty") << "" << none;
}

void TestNumberFormats::typedDecimalConversion()
{
    QFETCH(QString, text);
    QFETCH(std::optional<double>, expected);
    QCOMPARE(parseTypedDecimal(text, kelvo::test::russian()), expected);
    QCOMPARE(parseTypedDecimal(text, kelvo::test::english()), expected);
}

void TestNumberFormats::generalFormat_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("russian");

    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("integer") << 3.0 << "3";
    QTest::newRow("fraction") << 2.5 << "2,5";
    QTest::newRow("0.1 shows short") << 0.1 << "0,1";
    QTest::newRow("negative") << -12.25 << "-12,25";
    QTest::newRow("15 significant digits") << 1.0 / 3 << "0,333333333333333";
    QTest::newRow("last digit rounded half up") << 0.52134567890123456 << "0,521345678901235";
    QTest::newRow("rounding carries") << 0.9999999999999999 << "1";
    QTest::newRow("0.0001 stays positional") << 0.0001 << "0,0001";
    QTest::newRow("smaller is scientific") << 0.00001 << "1E-5";
    QTest::newRow("scientific with digits") << 0.0000123 << "1,23E-5";
    QTest::newRow("a random real") << 1.0 / 4294967296.0 << "2,3283064365387E-10";
    QTest::newRow("15 integer digits positional") << 999999999999999.0 << "999999999999999";
    QTest::newRow("1E15 is scientific") << 1e15 << "1E15";
    QTest::newRow("huge") << 1.5e300 << "1,5E300";
    QTest::newRow("large power of two") << 1152921504606846976.0 << "1,15292150460685E18";
    QTest::newRow("smallest subnormal") << 4.9406564584124654e-324 << "4,94065645841247E-324";
    QTest::newRow("long exact expansion") << 0.1 + 0.2 << "0,3";
    QTest::newRow("not a number") << std::nan("") << "NAN";
    QTest::newRow("infinity") << -std::numeric_limits<double>::infinity() << "-INF";
}

void TestNumberFormats::generalFormat()
{
    QFETCH(double, value);
    QFETCH(QString, russian);
    QCOMPARE(formatGeneral(value, kelvo::test::russian()), russian);
    QString english = russian;
    english.replace(QLatin1Char(','), QLatin1Char('.'));
    QCOMPARE(formatGeneral(value, kelvo::test::english()), english);
}

void TestNumberFormats::fixedFormat_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("russian");

    QTest::newRow("two decimals") << 2.5 << 2 << "2,50";
    QTest::newRow("zero") << 0.0 << 2 << "0,00";
    QTest::newRow("negative") << -12.0 << 2 << "-12,00";
    QTest::newRow("a tiny negative shows no minus") << -0.001 << 2 << "0,00";
    QTest::newRow("exact tie rounds up") << 0.125 << 2 << "0,13";
    QTest::newRow("3.125 tie rounds up") << 3.125 << 2 << "3,13";
    QTest::newRow("2.675 lies below its tie") << 2.675 << 2 << "2,67";
    QTest::newRow("carry into integer part") << 9.999 << 2 << "10,00";
    QTest::newRow("small fraction") << 0.05 << 2 << "0,05";
    QTest::newRow("below half of the last place") << 0.004 << 2 << "0,00";
    QTest::newRow("no thousands separators") << 1234567.891 << 2 << "1234567,89";
    QTest::newRow("percentage of 1 in 32") << 100.0 / 32 << 2 << "3,13";
    QTest::newRow("percentage of 2 in 3") << 2.0 / 3 * 100 << 2 << "66,67";
    QTest::newRow("no decimals") << 2.5 << 0 << "3";
}

void TestNumberFormats::fixedFormat()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, russian);
    QCOMPARE(formatFixed(value, decimals, kelvo::test::russian()), russian);
}

void TestNumberFormats::tenthsRoundExactProduct_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("0.25 ties to even") << 0.25 << qint64(2);
    QTest::newRow("0.75 ties to even") << 0.75 << qint64(8);
    QTest::newRow("0.35 lies below the tie") << 0.35 << qint64(3);
    QTest::newRow("0.45 lies above the tie") << 0.45 << qint64(5);
    QTest::newRow("2.53") << 2.53 << qint64(25);
    QTest::newRow("negative tie") << -0.25 << qint64(-2);
    QTest::newRow("integer") << 15.0 << qint64(150);
    QTest::newRow("not a number") << std::nan("") << qint64(0);
}

void TestNumberFormats::tenthsRoundExactProduct()
{
    QFETCH(double, value);
    QFETCH(qint64, expected);
    QCOMPARE(tenths(value), expected);
}

void TestNumberFormats::roundHalfEven()
{
    QCOMPARE(kelvo::roundHalfEven(84.5), 84.0);
    QCOMPARE(kelvo::roundHalfEven(85.5), 86.0);
    QCOMPARE(kelvo::roundHalfEven(-2.5), -2.0);
    QCOMPARE(kelvo::roundHalfEven(85.33), 85.0);
}

void TestNumberFormats::formatPatterns()
{
    const QLocale ru = kelvo::test::russian();
    QCOMPARE(kelvo::format(QStringLiteral("Cannot open file %s"), { QStringLiteral("./a.htm") }, ru),
        QStringLiteral("Cannot open file ./a.htm"));
    QCOMPARE(kelvo::format(QStringLiteral("c%3.3d.q%3.3d.v%s.q"), { qint64(3), qint64(1000), QStringLiteral("*") }, ru),
        QStringLiteral("c003.q1000.v*.q"));
    QCOMPARE(kelvo::format(QStringLiteral("%0.2f%%"), { 2.0 / 3 * 100 }, ru), QStringLiteral("66,67%"));
    QCOMPARE(kelvo::format(QStringLiteral("%f %s"), { 2.5, QString() }, ru), QStringLiteral("2,50 "));
    QCOMPARE(kelvo::format(QStringLiteral("%d"), { qint64(-5) }, ru), QStringLiteral("-5"));
    QCOMPARE(kelvo::format(QStringLiteral("<h1>%s</h1>"), { QStringLiteral("100% %d") }, ru),
        QStringLiteral("<h1>100% %d</h1>"));
    QCOMPARE(kelvo::format(QStringLiteral("%s and %s"), { QStringLiteral("x") }, ru), QStringLiteral("x and %s"));
    QCOMPARE(kelvo::format(QStringLiteral("%d of 100%"), { qint64(7) }, ru), QStringLiteral("7 of 100%"));
    QCOMPARE(kelvo::format(QStringLiteral("a %y b %d"), { qint64(7) }, ru), QStringLiteral("a %y b 7"));
    QCOMPARE(kelvo::format(QStringLiteral("%%%d%%"), { qint64(7) }, ru), QStringLiteral("%7%"));
}

void TestNumberFormats::errorReportAppendsFullStop_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");

    QTest::newRow("letter") << "Cannot open file ./a.htm"
                            << "Cannot open file ./a.htm.";
    QTest::newRow("closing bracket sorts before the stop") << "List index out of bounds (0)"
                                                           << "List index out of bounds (0)";
    QTest::newRow("full stop") << "Done."
                               << "Done.";
    QTest::newRow("Cyrillic letter") << QStringLiteral("Ошибка") << QStringLiteral("Ошибка.");
    QTest::newRow("empty") << ""
                           << "";
}

void TestNumberFormats::errorReportAppendsFullStop()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(kelvo::errorReportText(message), shown);
}

QTEST_GUILESS_MAIN(TestNumberFormats)
#include "tst_numberformats.moc"
