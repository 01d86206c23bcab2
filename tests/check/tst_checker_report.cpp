#include "CheckReport.h"
#include "NearestName.h"

#include <QJsonArray>
#include <QTest>

using namespace kelvo::check;

// The report's form (order, lines, summary, JSON) and the suggestions of nearest names.
class TestCheckerReport final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linesInOrderOfFileAndLine();
    void json();
    void manyOfOneKindAreCounted();
    void nearestName_data();
    void nearestName();
};

void TestCheckerReport::linesInOrderOfFileAndLine()
{
    CheckReport report;
    report.setDescriptorName(QStringLiteral("labwork.lbw"));
    report.warning(QStringLiteral("b.htm"), 3, QStringLiteral("script"), QStringLiteral("третье"));
    report.error(QStringLiteral("a.htm"), 0, QStringLiteral("no-body-end"), QStringLiteral("второе"));
    report.error(QStringLiteral("labwork.lbw"), 9, QStringLiteral("unknown-type"), QStringLiteral("первое"));
    report.warning(QStringLiteral("b.htm"), 3, QStringLiteral("script"), QStringLiteral("третье")); // repeated
    report.warning(QStringLiteral("b.htm"), 1, QStringLiteral("script"), QStringLiteral("ещё"));

    QStringList lines;
    for (const Finding &finding : report.findings())
        lines.append(formatFinding(finding));
    QCOMPARE(lines,
        (QStringList { "labwork.lbw:9: error: первое", "a.htm: error: второе", "b.htm:1: warning: ещё",
            "b.htm:3: warning: третье" }));
    QCOMPARE(report.errorCount(), 2);
    QCOMPARE(report.warningCount(), 2);
    QCOMPARE(formatSummary(report), QStringLiteral("Ошибок: 2, предупреждений: 2"));
}

void TestCheckerReport::json()
{
    CheckReport report;
    report.warning(QStringLiteral("a.htm"), 0, QStringLiteral("no-body-end"), QStringLiteral("нет"));
    report.error(QStringLiteral("a.htm"), 4, QStringLiteral("missing-file"), QStringLiteral("файл"));
    const QJsonObject json = reportToJson(report);
    QCOMPARE(json.value(QStringLiteral("errors")).toInt(), 1);
    QCOMPARE(json.value(QStringLiteral("warnings")).toInt(), 1);
    const QJsonArray findings = json.value(QStringLiteral("findings")).toArray();
    QCOMPARE(findings.size(), 2);
    const QJsonObject whole = findings[0].toObject();
    QVERIFY(!whole.contains(QStringLiteral("line")));
    QCOMPARE(whole.value(QStringLiteral("level")).toString(), QStringLiteral("warning"));
    const QJsonObject placed = findings[1].toObject();
    QCOMPARE(placed.value(QStringLiteral("line")).toInt(), 4);
    QCOMPARE(placed.value(QStringLiteral("code")).toString(), QStringLiteral("missing-file"));
    QCOMPARE(placed.value(QStringLiteral("level")).toString(), QStringLiteral("error"));
    QCOMPARE(placed.value(QStringLiteral("message")).toString(), QStringLiteral("файл"));
}

void TestCheckerReport::manyOfOneKindAreCounted()
{
    CheckReport report;
    const QString missing = QStringLiteral("missing-file");
    for (int i = 1; i <= 1000; ++i)
        report.error(QStringLiteral("a.htm"), i, missing, QStringLiteral("нет файла %1").arg(i));
    // Another kind, and another file, are shown apart; a repetition is not counted.
    report.warning(QStringLiteral("a.htm"), 2, QStringLiteral("script"), QStringLiteral("сценарий"));
    report.error(QStringLiteral("b.htm"), 1, missing, QStringLiteral("нет файла"));
    report.error(QStringLiteral("a.htm"), 1000, missing, QStringLiteral("нет файла 1000"));
    QVERIFY(!report.shows(QStringLiteral("a.htm"), missing));
    QVERIFY(report.shows(QStringLiteral("b.htm"), missing));
    report.addUnshown(QStringLiteral("a.htm"), missing, Level::Error, 5000);

    const QList<Finding> findings = report.findings();
    const qsizetype shown = CheckReport::MostShownOfKind;
    QCOMPARE(findings.size(), shown + 3);
    const Finding &more = findings[shown + 1];
    QCOMPARE(more.file, QStringLiteral("a.htm"));
    QCOMPARE(more.line, int(shown));
    QCOMPARE(more.code, missing);
    QCOMPARE(more.level, Level::Error);
    QVERIFY2(more.message.contains(QString::number(1000 - shown + 5000)), qPrintable(more.message));
    QCOMPARE(findings.last().file, QStringLiteral("b.htm"));
    QCOMPARE(report.errorCount(), 1000 + 5000 + 1);
    QCOMPARE(report.warningCount(), 1);
}

void TestCheckerReport::nearestName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<QString>("expected"); // empty: no suggestion

    const QStringList types { "Information", "Examination", "Experiment" };
    QTest::newRow("letter case only") << "information" << types << "Information";
    QTest::newRow("a letter left out") << "Experimnt" << types << "Experiment";
    QTest::newRow("two letters swapped") << "Exmaination" << types << "Examination";
    QTest::newRow("an extra letter") << "Adjustable" << QStringList { "Ajustable", "Identifier" } << "Ajustable";
    QTest::newRow("too far") << "Info" << types << "";
    QTest::newRow("exact is no suggestion") << "Experiment" << types << "";
    QTest::newRow("short names allow one edit") << "Mx" << QStringList { "Max", "Min" } << "Max";
    QTest::newRow("Cyrillic letter case") << "вольтметр" << QStringList { "Вольтметр" } << "Вольтметр";
    QTest::newRow("robustness: a very long name") << QString(5000, u'a') << QStringList { QString(4999, u'a') } << "";
}

void TestCheckerReport::nearestName()
{
    QFETCH(QString, name);
    QFETCH(QStringList, candidates);
    QFETCH(QString, expected);
    QCOMPARE(kelvo::check::nearestName(name, candidates).value_or(QString()), expected);
}

QTEST_GUILESS_MAIN(TestCheckerReport)
#include "tst_checker_report.moc"
