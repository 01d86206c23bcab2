// The program's window on a real X server (as a student runs it, with the GPU path of the
// toolkit): the run writes nothing outside its own run folder, which it removes at exit; no
// compiled shaders are kept in the home folder's cache. A session without a runtime folder (as
// under cron or ssh) is no different: the toolkit's runtime files go into the run folder too.

#include "TestSupport.h"
#include "tst_hostile_fixture.h"

#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>

#include <csignal>

using namespace kelvo::test;

class TestWindowRunWritesNothing final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nothingOutsideTheRunFolder_data();
    void nothingOutsideTheRunFolder();
};

void TestWindowRunWritesNothing::nothingOutsideTheRunFolder_data()
{
    QTest::addColumn<bool>("runtimeFolder");
    // The small package fits into the session's runtime folder; without one it goes into the
    // temporary folder.
    QTest::newRow("the session's runtime folder") << true;
    QTest::newRow("no runtime folder") << false;
}

void TestWindowRunWritesNothing::nothingOutsideTheRunFolder()
{
    QFETCH(bool, runtimeFolder);
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    if (xvfbRun.isEmpty())
        QSKIP("xvfb-run is missing (scripts/install-deps.sh installs it)");

    const Sandbox box(assembleZip({ stored("labwork.lbw",
                                        "[Header]\r\nTitle=Window\r\n[intro]\r\nType=Information\r\nTitle=Intro\r\n"
                                        "Document=intro.htm\r\n"),
        stored("intro.htm", "<html><body><p>Intro</p></body></html>") }));
    const QStringList before = box.state();
    QProcess process;
    QProcessEnvironment environment = box.environment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    if (!runtimeFolder)
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(box.work);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(xvfbRun,
        { QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1024x768x24 -nolisten tcp -noreset"),
            qEnvironmentVariable("KELVO_BINARY_DIR") + QStringLiteral("/bin/kelvo"), box.package });
    QVERIFY(process.waitForStarted());
    // The program (not xvfb-run, which then removes its own files) ends as a session's end ends
    // it, also when a check below fails.
    int programs = 0;
    bool ended = false;
    const auto endProgram = [&] {
        if (ended)
            return;
        ended = true;
        QProcess find;
        find.start(QStringLiteral("pgrep"),
            { QStringLiteral("-x"), QStringLiteral("kelvo"), QStringLiteral("-P"),
                QString::number(process.processId()) });
        find.waitForFinished();
        for (const QByteArray &line : find.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty() && ::kill(pid_t(line.toInt()), SIGTERM) == 0)
                ++programs;
        }
        if (!process.waitForFinished(30'000))
            process.kill();
    };
    const auto guard = qScopeGuard(endProgram);

    // The window is up and the web engine has drawn its first (empty) page once the run folder
    // exists for a few seconds.
    const QString place = runtimeFolder ? box.runtime : box.tmp;
    QVERIFY(QTest::qWaitFor(
        [&] { return !QDir(place).entryList({ QStringLiteral("vemratmp-*") }, QDir::Dirs).isEmpty(); }, 60'000));
    QTest::qWait(8000);
    QCOMPARE(process.state(), QProcess::Running);
    const QStringList home = QDir(box.home).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QCOMPARE(home, QStringList { QStringLiteral("notes.txt") });
    // Nothing in the temporary folder but the run folder (and xvfb-run's own folder, which it
    // removes itself).
    QStringList temporary = QDir(box.tmp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    temporary.removeIf([](const QString &entry) { return entry.startsWith(QLatin1String("xvfb-run.")); });
    QVERIFY2(temporary.size() == (runtimeFolder ? 0 : 1), qPrintable(temporary.join(u' ')));
    for (const QString &entry : temporary)
        QVERIFY2(entry.startsWith(QLatin1String("vemratmp-")), qPrintable(temporary.join(u' ')));

    endProgram();
    QCOMPARE(programs, 1);
    QCOMPARE(box.state(), before);
}

QTEST_GUILESS_MAIN(TestWindowRunWritesNothing)

#include "tst_window_run_writes_nothing_web.moc"
