// The end of a run with a report folder: the last report is written, or said not to be, and the
// program ends in any case. A run ended by a signal (a session's end, a teacher's kill) while the
// last report cannot be written has nobody to answer a message: it says so on standard error and
// ends, its run folder removed.

#include "TestSupport.h"
#include "tst_hostile_fixture.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <csignal>

#include <sys/resource.h>

using namespace kelvo::test;

class TestReportAtExit final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void endsWhenTheLastReportFails_data();
    void endsWhenTheLastReportFails();
};

void TestReportAtExit::endsWhenTheLastReportFails_data()
{
    QTest::addColumn<bool>("roomForTheReport");
    QTest::newRow("robustness: no file may grow past 4 KiB, the PDF cannot be written") << false;
    QTest::newRow("control: room for the report") << true;
}

void TestReportAtExit::endsWhenTheLastReportFails()
{
    QFETCH(bool, roomForTheReport);
    const Sandbox box(assembleZip({ stored("labwork.lbw",
                                        "[Header]\r\nTitle=Exit\r\n[intro]\r\nType=Information\r\nTitle=Intro\r\n"
                                        "Identifier=1\r\nDocument=intro.htm\r\n"),
        stored("intro.htm", "<html><body><p>Intro</p></body></html>") }));
    const QString reports = box.root.filePath(QStringLiteral("reports"));
    QVERIFY(QDir().mkpath(reports));

    QProcessEnvironment student;
    student.insert(QStringLiteral("KELVO_STUDENT"), QStringLiteral("Иванова Мария"));
    // The package's files are far smaller; a report's PDF is not.
    const auto smallFiles = [] {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit {};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
    WindowRun run(box, QStringLiteral("kelvo"), { QStringLiteral("--report"), reports, box.package }, student,
        roomForTheReport ? std::function<void()>() : smallFiles);
    QProcess &process = run.process;
    QVERIFY(process.waitForStarted());
    QVERIFY(QTest::qWaitFor([&] { return !run.runFolders().isEmpty(); }, 60'000));
    // The report folder's probe has been made and removed by the time the window is up.
    QTest::qWait(3000);
    QCOMPARE(process.state(), QProcess::Running);

    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY2(process.waitForFinished(30'000), "the program waited after the signal");
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    QVERIFY2(run.runFolders().isEmpty(), qPrintable(run.runFolders().join(u' ')));

    const QString said = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(said.contains(QStringLiteral("Не удалось записать отчёт в папку")), !roomForTheReport);
    if (roomForTheReport) {
        const QStringList names = QDir(reports).entryList({ QStringLiteral("*.json") }, QDir::Files);
        QCOMPARE(names.size(), 1);
        QFile file(QDir(reports).filePath(names.first()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QJsonDocument::fromJson(file.readAll()).object().value(u"finished").toBool(), true);
    }
}

QTEST_GUILESS_MAIN(TestReportAtExit)

#include "tst_report_at_exit_web.moc"
