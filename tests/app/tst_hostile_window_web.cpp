// The program's window, started as a student starts it, in a sandbox of its own: when the run
// ends (here by a termination signal, as when the session closes) nothing is left behind, not
// even the web engine's processes, whether the package loaded or not. Run as root, the web
// engine starts without its sandbox and the program says so on standard error; otherwise the
// sandbox stays and nothing is said. The engine's start-up parameters are not printed unless a
// logging rule asks for them.

#include "Localization.h"
#include "Process.h"
#include "TestSupport.h"
#include "tst_hostile_fixture.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <csignal>

using namespace kelvo::test;

namespace {

struct ChildProcess
{
    qint64 id = 0;
    QByteArray name;
};

// The processes whose parent is `parent`, as /proc tells them.
QList<ChildProcess> childrenOf(qint64 parent)
{
    QList<ChildProcess> children;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isProcess = false;
        const qint64 id = entry.toLongLong(&isProcess);
        QFile stat(proc.filePath(entry + QStringLiteral("/stat")));
        if (!isProcess || !stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks and brackets.
        const QByteArray line = stat.readAll();
        const qsizetype open = line.indexOf('(');
        const qsizetype close = line.lastIndexOf(')');
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (open > 0 && close > open && fields.size() > 1 && fields[1].toLongLong() == parent)
            children.append({ id, line.mid(open + 1, close - open - 1) });
    }
    return children;
}

QList<qint64> engineHelpersOf(qint64 parent)
{
    QList<qint64> helpers;
    for (const ChildProcess &child : childrenOf(parent)) {
        if (child.name == "QtWebEngineProc")
            helpers.append(child.id);
    }
    return helpers;
}

bool exists(qint64 pid)
{
    return QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
}

} // namespace

class TestHostileWindow final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void runEndsWithNothingLeft_data();
    void runEndsWithNothingLeft();
    void engineStartIsQuiet_data();
    void engineStartIsQuiet();

private:
    static QByteArray loadingPackage();
};

QByteArray TestHostileWindow::loadingPackage()
{
    return assembleZip({ stored("labwork.lbw",
                             "[Header]\r\nTitle=Window\r\n[intro]\r\nType=Information\r\nTitle=Intro\r\n"
                             "Document=intro.htm\r\n"),
        stored("docs/intro.htm", "<html><body><p>Intro</p></body></html>") });
}

void TestHostileWindow::initTestCase()
{
    QVERIFY(QFileInfo(qEnvironmentVariable("KELVO_BINARY_DIR") + QStringLiteral("/bin/kelvo")).isExecutable());
}

void TestHostileWindow::runEndsWithNothingLeft_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("loads");

    const RawEntry document = stored("docs/intro.htm", "<html><body><p>Intro</p></body></html>");
    QTest::newRow("a package that loads: the menu and the web engine") << loadingPackage() << true;
    // The message box waits for the student; the files unpacked so far must go all the same.
    QTest::newRow("a package without a descriptor: the start-up message")
        << assembleZip({ document, stored("../../escape.htm", "x") }) << false;
}

void TestHostileWindow::runEndsWithNothingLeft()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, loads);

    const Sandbox box(bytes);
    const QStringList before = box.state();
    QProcess process;
    QProcessEnvironment environment = box.environment();
    // The program must see to the sandbox itself.
    environment.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
    environment.remove(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(box.work);
    QByteArray err;
    connect(&process, &QProcess::readyReadStandardError, this, [&] { err += process.readAllStandardError(); });
    process.start(qEnvironmentVariable("KELVO_BINARY_DIR") + QStringLiteral("/bin/kelvo"), { box.package });
    QVERIFY(process.waitForStarted());
    const qint64 pid = process.processId();

    // The signal is handled once the run has its folder; with a package that loads, wait for the
    // web engine's helper processes as well.
    QList<qint64> helpers;
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     helpers = engineHelpersOf(pid);
                     const bool folderMade = !QDir(box.runtime).entryList({ QStringLiteral("vemratmp-*") }).isEmpty();
                     return folderMade && (!loads || !helpers.isEmpty());
                 },
                 60'000),
        err.constData());
    QTest::qWait(500);
    QCOMPARE(process.state(), QProcess::Running);
    helpers = engineHelpersOf(pid);

    ::kill(pid_t(pid), SIGTERM);
    QVERIFY(process.waitForFinished(30'000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);

    err += process.readAllStandardError();
    QCOMPARE(QString::fromUtf8(err).contains(Texts::NoSandboxWarning), kelvo::runningAsRoot());
    QVERIFY(QTest::qWaitFor([&] { return std::none_of(helpers.cbegin(), helpers.cend(), exists); }, 10'000));
    QCOMPARE(box.state(), before);
}

void TestHostileWindow::engineStartIsQuiet_data()
{
    QTest::addColumn<QString>("rules"); // QT_LOGGING_RULES
    QTest::addColumn<bool>("printed");
    QTest::addColumn<bool>("graphicsNote"); // the engine's note that it draws without OpenGL

    QTest::newRow("nominal: a quiet start") << QString() << false << false;
    QTest::newRow("nominal: a logging rule brings the parameters back")
        << QStringLiteral("qt.webenginecontext.info=true") << true << false;
    // Without a display, the engine finds no OpenGL on this platform whichever way it draws.
    QTest::newRow("nominal: a logging rule brings the graphics note back")
        << QStringLiteral("kelvo.startup.warning=true") << false << true;
}

void TestHostileWindow::engineStartIsQuiet()
{
    QFETCH(QString, rules);
    QFETCH(bool, printed);
    QFETCH(bool, graphicsNote);

    const Sandbox box(loadingPackage());
    QProcess process;
    QProcessEnvironment environment = box.environment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("DISPLAY"));
    if (rules.isEmpty())
        environment.remove(QStringLiteral("QT_LOGGING_RULES"));
    else
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), rules);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(box.work);
    QByteArray err;
    connect(&process, &QProcess::readyReadStandardError, this, [&] { err += process.readAllStandardError(); });
    process.start(qEnvironmentVariable("KELVO_BINARY_DIR") + QStringLiteral("/bin/kelvo"), { box.package });
    QVERIFY(process.waitForStarted());
    const qint64 pid = process.processId();

    // The engine has started once it has its helper processes; what it prints at its start is out.
    QVERIFY2(QTest::qWaitFor([&] { return !engineHelpersOf(pid).isEmpty(); }, 60'000), err.constData());
    // A start that prints them does so soon after; one that does not is given a second.
    const bool seen = QTest::qWaitFor([&] { return err.contains("Init Parameters"); }, printed ? 10'000 : 1'000);
    ::kill(pid_t(pid), SIGTERM);
    QVERIFY(process.waitForFinished(30'000));
    err += process.readAllStandardError();
    QCOMPARE(seen, printed);
    QCOMPARE(err.contains("Init Parameters"), printed);
    QCOMPARE(err.contains("No suitable graphics backend"), graphicsNote);
}

QTEST_GUILESS_MAIN(TestHostileWindow)

#include "tst_hostile_window_web.moc"
