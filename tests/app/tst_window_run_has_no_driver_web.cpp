// The program a student runs holds nothing that drives its window or marks chapters: with the
// benchmarks' variables set (KELVO_BENCH_TRACE, KELVO_BENCH_CYCLES) and a classroom's report
// folder, it writes no trace, does not click through the chapters nor close itself, and the report
// written at its end passes no chapter. The benchmarks' build of the program (kelvo_bench_app),
// run the same way, is the control: it traces, drives itself to the end, and its report passes
// every chapter, the quiz without a single check. A report forged that way needs that build.

#include "TestSupport.h"
#include "tst_hostile_fixture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <csignal>

using namespace kelvo::test;

class TestWindowRunHasNoDriver final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void benchVariablesDriveNothing_data();
    void benchVariablesDriveNothing();
};

void TestWindowRunHasNoDriver::benchVariablesDriveNothing_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("driven");

    QTest::newRow("the program a student runs") << QStringLiteral("kelvo") << false;
    QTest::newRow("control: the benchmarks' build drives itself") << QStringLiteral("kelvo_bench_app") << true;
}

void TestWindowRunHasNoDriver::benchVariablesDriveNothing()
{
    QFETCH(QString, program);
    QFETCH(bool, driven);

    const Sandbox box(assembleZip({ stored("labwork.lbw",
                                        "[Header]\r\nTitle=Driven\r\n[intro]\r\nType=Information\r\nTitle=Intro\r\n"
                                        "Identifier=1\r\nDocument=intro.htm\r\n[quiz]\r\nType=Examination\r\n"
                                        "Title=Quiz\r\nIdentifier=2\r\nQuestions=1\r\n"),
        stored("intro.htm", "<html><body><p>Intro</p></body></html>"),
        stored("c002.q001.range.q", "header\r\n<!--END-->\r\nQuestion <input name=\"a\">\r\n<!--END-->\r\na=1\r\n") }));
    const QString reports = box.root.filePath(QStringLiteral("reports"));
    QVERIFY(QDir().mkpath(reports));
    const QString trace = box.root.filePath(QStringLiteral("trace"));

    QProcessEnvironment variables;
    variables.insert(QStringLiteral("KELVO_BENCH_TRACE"), trace);
    variables.insert(QStringLiteral("KELVO_BENCH_CYCLES"), QStringLiteral("1"));
    variables.insert(QStringLiteral("KELVO_BENCH_PAUSE_MS"), QStringLiteral("100"));
    // Named by the launcher, so that no one is asked before the menu.
    variables.insert(QStringLiteral("KELVO_STUDENT"), QStringLiteral("Иванова Мария"));
    WindowRun run(box, program, { QStringLiteral("--report"), reports, box.package }, variables);
    QProcess &process = run.process;
    QVERIFY(process.waitForStarted());

    // The window is being made once the run has its folder. A driver marks the chapters at the
    // menu's first paint and is through both chapters within seconds; the control is given as
    // long as it needs, the program a student runs a grace in which nothing may happen.
    QVERIFY(QTest::qWaitFor([&] { return !run.runFolders().isEmpty(); }, 60'000));
    const bool endedByItself
        = QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, driven ? 120'000 : 8'000);
    QCOMPARE(endedByItself, driven);
    if (!endedByItself) {
        // Ended as a session's end ends it: the report is written all the same.
        ::kill(pid_t(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(30'000));
    }
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), driven ? 0 : 1);

    QCOMPARE(QFile::exists(trace), driven);
    if (driven) {
        QFile traced(trace);
        QVERIFY(traced.open(QIODevice::ReadOnly));
        const QByteArray lines = traced.readAll();
        QVERIFY2(lines.contains(" page painted 1\n") && lines.contains(" done\n"), lines.constData());
    }

    const QStringList names = QDir(reports).entryList({ QStringLiteral("*.json") }, QDir::Files);
    QCOMPARE(names.size(), 1);
    QFile file(QDir(reports).filePath(names.first()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject report = QJsonDocument::fromJson(file.readAll()).object();
    QCOMPARE(report.value(QStringLiteral("finished")).toBool(), true);
    const QJsonArray chapters = report.value(QStringLiteral("chapters")).toArray();
    QCOMPARE(chapters.size(), 2);
    for (const QJsonValue &chapter : chapters) {
        const QString title = chapter[QStringLiteral("title")].toString();
        QVERIFY2(chapter[QStringLiteral("passed")].toBool() == driven, qPrintable(title));
        QVERIFY2(chapter[QStringLiteral("attempts")].toInt() == 0, qPrintable(title));
    }
}

QTEST_GUILESS_MAIN(TestWindowRunHasNoDriver)

#include "tst_window_run_has_no_driver_web.moc"
