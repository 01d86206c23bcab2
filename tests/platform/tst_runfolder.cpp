#include "RunFolder.h"
#include "TestSupport.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kelvo;
using namespace kelvo::test;

namespace {

unsigned modeOf(const QString &path)
{
    struct stat info
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return ~0u;
    return unsigned(info.st_mode) & 07777u;
}

// Every entry below `root` (folders too, links not followed), relative to it, sorted.
QStringList treeOf(const QString &root)
{
    QStringList found;
    QDirIterator it(
        root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(QDir(root).relativeFilePath(it.next()));
    found.sort();
    return found;
}

// A stale run folder: what a killed run leaves behind (nobody holds its lock), with the run's
// marker.
QString makeStaleFolder(const QDir &parent, const QString &name, const QStringList &files)
{
    const QString path = parent.absoluteFilePath(name);
    QDir().mkpath(path);
    writeFile(QDir(path), RunFolder::MarkerName, RunFolder::markerText());
    for (const QString &file : files)
        writeFile(QDir(path), file, "left behind");
    return path;
}

// Another run of the program: a process that makes its run folder under `parent`, unpacks a file
// into it and lives until it is killed, which leaves the folder and the file behind.
class OtherRun final
{
public:
    explicit OtherRun(const QString &parent)
    {
        int channel[2];
        if (::pipe(channel) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(channel[0]);
            const RunFolder folder(parent);
            writeFile(QDir(folder.path()), QStringLiteral("intro.htm"), "unpacked");
            const QByteArray path = QFile::encodeName(folder.path()) + '\n';
            if (::write(channel[1], path.constData(), size_t(path.size())) != path.size())
                ::_exit(1);
            for (;;)
                ::pause();
        }
        ::close(channel[1]);
        char buffer[4096];
        QByteArray path;
        for (ssize_t got = 0; !path.endsWith('\n') && (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
            path.append(buffer, got);
        ::close(channel[0]);
        m_path = QFile::decodeName(path.trimmed());
    }
    ~OtherRun() { kill(); }
    Q_DISABLE_COPY_MOVE(OtherRun)

    const QString &path() const { return m_path; }

    void kill()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = 0;
    }

private:
    pid_t m_pid = 0;
    QString m_path;
};

// A folder of a run folder's name that a user made, with the user's files.
QString makeUsersFolder(const QDir &parent, const QString &name, const QStringList &files)
{
    const QString path = parent.absoluteFilePath(name);
    for (const QString &file : files)
        writeFile(QDir(path), file, "the user's own");
    return path;
}

} // namespace

class TestRunFolder final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createsPrivateUniqueFolders();
    void modeIsOwnerOnlyWhateverTheUmask_data();
    void modeIsOwnerOnlyWhateverTheUmask();
    void defaultParentHonoursTmpdir();
    void unusableParentIsReported();
    void unusableTemporaryFolderMakesNothingElsewhere_data();
    void unusableTemporaryFolderMakesNothingElsewhere();
    void removeIfEmpty();
    void runtimeSubfolderGoesWithTheRun_data();
    void runtimeSubfolderGoesWithTheRun();
    void sweepRemovesOnlyStaleFoldersAndTheirFiles();
    void sweepAtStartup_data();
    void sweepAtStartup();
    void sweepKeepsFolderLockedByAnotherProcess();
    void sweepKeepsFoldersOfOtherUsers();
};

void TestRunFolder::createsPrivateUniqueFolders()
{
    const QTemporaryDir parent;
    const RunFolder first(parent.path());
    const RunFolder second(parent.path());
    QVERIFY2(first.isValid(), qPrintable(first.errorString()));
    QVERIFY2(second.isValid(), qPrintable(second.errorString()));
    QVERIFY(first.path() != second.path());

    static const QRegularExpression name(QStringLiteral("^vemratmp-[A-Za-z0-9]{6}$"));
    for (const RunFolder *folder : { &first, &second }) {
        const QFileInfo info(folder->path());
        QVERIFY2(name.match(info.fileName()).hasMatch(), qPrintable(info.fileName()));
        QCOMPARE(info.absolutePath(), QDir(parent.path()).absolutePath());
        QVERIFY(info.isDir() && !info.isSymLink());
        QCOMPARE(modeOf(folder->path()), 0700u);
        QCOMPARE(treeOf(folder->path()), QStringList { RunFolder::MarkerName });
    }
}

void TestRunFolder::modeIsOwnerOnlyWhateverTheUmask_data()
{
    QTest::addColumn<uint>("umask");
    QTest::newRow("nominal: 022") << 0022u;
    QTest::newRow("nominal: 077") << 0077u;
    QTest::newRow("robustness: 0 (would leave the folder open to all without care)") << 0u;
    QTest::newRow("robustness: 0700 (would lock the owner out)") << 0700u;
}

void TestRunFolder::modeIsOwnerOnlyWhateverTheUmask()
{
    QFETCH(uint, umask);
    const QTemporaryDir parent;
    const Umask mask(umask);
    const RunFolder folder(parent.path());
    QVERIFY2(folder.isValid(), qPrintable(folder.errorString()));
    QCOMPARE(modeOf(folder.path()), 0700u);
}

void TestRunFolder::defaultParentHonoursTmpdir()
{
    const QTemporaryDir parent;
    const QByteArray previous = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(parent.path()));
    const RunFolder folder;
    qputenv("TMPDIR", previous);
    QVERIFY2(folder.isValid(), qPrintable(folder.errorString()));
    QCOMPARE(QFileInfo(folder.path()).absolutePath(), QDir(parent.path()).absolutePath());
}

void TestRunFolder::unusableParentIsReported()
{
    const QTemporaryDir parent;
    const QString file = writeFile(QDir(parent.path()), QStringLiteral("not-a-folder"), "x");
    for (const QString &path : { parent.filePath(QStringLiteral("missing")), file }) {
        const RunFolder folder(path);
        QVERIFY(!folder.isValid());
        QVERIFY(folder.path().isEmpty());
        QVERIFY(!folder.errorString().isEmpty());
        QVERIFY2(
            QRegularExpression(QStringLiteral("^%1/vemratmp-[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(path)))
                .match(folder.intendedPath())
                .hasMatch(),
            qPrintable(folder.intendedPath()));
    }
    QCOMPARE(treeOf(parent.path()), QStringList { QStringLiteral("not-a-folder") });
}

void TestRunFolder::unusableTemporaryFolderMakesNothingElsewhere_data()
{
    QTest::addColumn<QString>("tmpdir"); // relative to a scratch folder; "-": unset
    QTest::addColumn<QString>("parent"); // the temporary folder that results; empty: /tmp
    QTest::addColumn<bool>("usable");

    QTest::newRow("nominal: unset is /tmp") << "-"
                                            << "" << true;
    QTest::newRow("nominal: empty is /tmp") << ""
                                            << "" << true;
    QTest::newRow("nominal: a folder") << "temp"
                                       << "temp" << true;
    QTest::newRow("robustness: a missing folder") << "absent"
                                                  << "absent" << false;
    QTest::newRow("robustness: a plain file") << "plain"
                                              << "plain" << false;
    QTest::newRow("robustness: below a plain file") << "plain/sub"
                                                    << "plain/sub" << false;
}

void TestRunFolder::unusableTemporaryFolderMakesNothingElsewhere()
{
    QFETCH(QString, tmpdir);
    QFETCH(QString, parent);
    QFETCH(bool, usable);

    const QTemporaryDir scratch;
    QDir(scratch.path()).mkdir(QStringLiteral("temp"));
    QDir(scratch.path()).mkdir(QStringLiteral("work"));
    writeFile(QDir(scratch.path()), QStringLiteral("plain"), "x");
    const CurrentDirectory inWork(scratch.filePath(QStringLiteral("work")));
    const QByteArray previous = qgetenv("TMPDIR");
    const bool wasSet = qEnvironmentVariableIsSet("TMPDIR");
    if (tmpdir == u"-")
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", QFile::encodeName(tmpdir.isEmpty() ? tmpdir : scratch.filePath(tmpdir)));
    const QString expectedParent = parent.isEmpty() ? QStringLiteral("/tmp") : scratch.filePath(parent);
    QCOMPARE(RunFolder::temporaryFolder(), expectedParent);
    {
        const RunFolder folder;
        QCOMPARE(folder.isValid(), usable);
        QCOMPARE(QFileInfo(folder.intendedPath()).absolutePath(), expectedParent);
        if (usable)
            QCOMPARE(folder.path(), folder.intendedPath());
    }
    if (wasSet)
        qputenv("TMPDIR", previous);
    else
        qunsetenv("TMPDIR");
    // Nothing made in the working folder, whatever the temporary folder was.
    QCOMPARE(treeOf(scratch.filePath(QStringLiteral("work"))), QStringList());
    QCOMPARE(treeOf(scratch.filePath(QStringLiteral("temp"))), QStringList());
}

void TestRunFolder::removeIfEmpty()
{
    const QTemporaryDir parent;
    {
        RunFolder folder(parent.path());
        QVERIFY(folder.removeIfEmpty());
        QVERIFY(!QFileInfo::exists(folder.path()));
    }
    {
        const RunFolder folder(parent.path()); // the destructor removes it too
    }
    QCOMPARE(treeOf(parent.path()), QStringList());

    // A file the shutdown could not delete keeps the folder, but the lock goes with the run,
    // so the next run's sweep clears it.
    RunFolder folder(parent.path());
    writeFile(QDir(folder.path()), QStringLiteral("leftover.htm"), "x");
    QVERIFY(!folder.removeIfEmpty());
    QVERIFY(QFileInfo::exists(folder.path()));
    QCOMPARE(RunFolder::sweepStaleRunFolders(parent.path()), 1);
    QCOMPARE(treeOf(parent.path()), QStringList());
}

// The toolkit's runtime files in the run's private sub-folder (nested folders, sockets, links)
// and the link to a lab folder read in place go with the run, at its shutdown or, after a killed
// run, in the next sweep; a link is removed, never followed.
void TestRunFolder::runtimeSubfolderGoesWithTheRun_data()
{
    QTest::addColumn<bool>("killed");
    QTest::newRow("at the shutdown") << false;
    QTest::newRow("by the sweep after a killed run") << true;
}

void TestRunFolder::runtimeSubfolderGoesWithTheRun()
{
    QFETCH(bool, killed);
    const QTemporaryDir parent;
    const QTemporaryDir outside;
    writeFile(QDir(outside.path()), QStringLiteral("precious.txt"), "the user's own");
    auto folder = std::make_unique<RunFolder>(parent.path());
    const QString runtime = folder->makeRuntimeSubfolder();
    QCOMPARE(runtime, folder->path() + u'/' + RunFolder::RuntimeSubfolderName);
    QCOMPARE(modeOf(runtime), 0700u);
    QCOMPARE(folder->makeLabLink(outside.path()), folder->path() + u'/' + RunFolder::LabLinkName);
    QCOMPARE(QFileInfo(folder->path() + u'/' + RunFolder::LabLinkName).symLinkTarget(), outside.path());
    writeFile(QDir(runtime), QStringLiteral("engine/deep/state"), "runtime file");
    QVERIFY(QFile::link(outside.path(), runtime + QStringLiteral("/engine/outside")));
    QVERIFY(QFile::link(outside.path() + QStringLiteral("/precious.txt"), runtime + QStringLiteral("/file-link")));
    QVERIFY(QProcess::execute(QStringLiteral("python3"),
                { QStringLiteral("-c"),
                    QStringLiteral("import socket,sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])"),
                    runtime + QStringLiteral("/engine/socket") })
        == 0);
    writeFile(QDir(folder->path()), QStringLiteral("intro.htm"), "unpacked");
    QVERIFY(QFile::remove(folder->path() + QStringLiteral("/intro.htm")));

    if (killed) {
        // What a killed run leaves: its folder, unlocked.
        OtherRun other(parent.path());
        const QString otherRuntime = other.path() + u'/' + RunFolder::RuntimeSubfolderName;
        QVERIFY(QDir().mkpath(otherRuntime + QStringLiteral("/engine")));
        writeFile(QDir(otherRuntime), QStringLiteral("engine/state"), "runtime file");
        QVERIFY(QFile::link(outside.path(), otherRuntime + QStringLiteral("/outside")));
        QVERIFY(QFile::link(outside.path(), other.path() + u'/' + RunFolder::LabLinkName));
        other.kill();
        QVERIFY(folder->removeIfEmpty());
        QCOMPARE(RunFolder::sweepStaleRunFolders(parent.path()), 1);
    } else {
        QVERIFY(folder->removeIfEmpty());
    }
    folder.reset();
    QCOMPARE(treeOf(parent.path()), QStringList());
    QCOMPARE(treeOf(outside.path()), QStringList { QStringLiteral("precious.txt") });
}

void TestRunFolder::sweepRemovesOnlyStaleFoldersAndTheirFiles()
{
    const QTemporaryDir parentDir;
    const QDir parent(parentDir.path());
    makeStaleFolder(
        parent, QStringLiteral("vemratmp-stale1"), { QStringLiteral("labwork.lbw"), QStringLiteral(".hidden") });
    makeStaleFolder(parent, QStringLiteral("vemratmp-empty"), {});

    const RunFolder live(parent.path());
    writeFile(QDir(live.path()), QStringLiteral("intro.htm"), "in use");

    // Links are never followed: neither the folder a link points to nor a link's target is touched.
    const QString victim = makeStaleFolder(parent, QStringLiteral("victim"), { QStringLiteral("precious.txt") });
    QVERIFY(QFile::link(victim, parent.filePath(QStringLiteral("vemratmp-link"))));
    const QString mixed = makeStaleFolder(
        parent, QStringLiteral("vemratmp-mixed"), { QStringLiteral("plain.htm"), QStringLiteral("sub/inner.txt") });
    QVERIFY(QFile::link(victim + QStringLiteral("/precious.txt"), mixed + QStringLiteral("/link.txt")));

    writeFile(parent, QStringLiteral("vemratmp-file"), "not a folder");
    makeStaleFolder(parent, QStringLiteral("other"), { QStringLiteral("a.txt") });
    makeStaleFolder(parent, QStringLiteral("vemratmp"), { QStringLiteral("shared.txt") });

    // Folders of the name that are not this program's: no marker, another user's marker, a
    // marker that is a link to a real one.
    makeUsersFolder(parent, QStringLiteral("vemratmp-mine"), { QStringLiteral("thesis.txt") });
    const QString forged = makeUsersFolder(parent, QStringLiteral("vemratmp-forged"), { QStringLiteral("data.txt") });
    writeFile(QDir(forged), RunFolder::MarkerName, "Kelvo run folder of user 4242\n");
    const QString linked = makeUsersFolder(parent, QStringLiteral("vemratmp-linked"), { QStringLiteral("data.txt") });
    QVERIFY(QFile::link(
        parent.filePath(QStringLiteral("vemratmp/") + RunFolder::MarkerName), linked + u'/' + RunFolder::MarkerName));

    QCOMPARE(RunFolder::sweepStaleRunFolders(parent.path()), 2);

    const QString liveName = QFileInfo(live.path()).fileName();
    const QString marker = u'/' + RunFolder::MarkerName;
    QStringList expected = { QStringLiteral("other"), QStringLiteral("other/a.txt"), QStringLiteral("other") + marker,
        QStringLiteral("vemratmp"), QStringLiteral("vemratmp/shared.txt"), QStringLiteral("vemratmp") + marker,
        QStringLiteral("vemratmp-file"), QStringLiteral("vemratmp-link"), QStringLiteral("vemratmp-mixed"),
        QStringLiteral("vemratmp-mixed/link.txt"), QStringLiteral("vemratmp-mixed/sub"),
        QStringLiteral("vemratmp-mixed") + marker, QStringLiteral("vemratmp-mixed/sub/inner.txt"),
        QStringLiteral("victim"), QStringLiteral("victim/precious.txt"), QStringLiteral("victim") + marker, liveName,
        liveName + QStringLiteral("/intro.htm"), liveName + marker, QStringLiteral("vemratmp-mine"),
        QStringLiteral("vemratmp-mine/thesis.txt"), QStringLiteral("vemratmp-forged"),
        QStringLiteral("vemratmp-forged/data.txt"), QStringLiteral("vemratmp-forged") + marker,
        QStringLiteral("vemratmp-linked"), QStringLiteral("vemratmp-linked/data.txt"),
        QStringLiteral("vemratmp-linked") + marker };
    expected.sort();
    QCOMPARE(treeOf(parent.path()), expected);
    QVERIFY(QFileInfo(parent.filePath(QStringLiteral("vemratmp-link"))).isSymLink());
}

// The sweep at start-up, with a run folder that another run of the program left: a run that
// was killed (it ended without its shutdown) leaves its folder to be swept; one that still runs
// keeps it.
void TestRunFolder::sweepAtStartup_data()
{
    QTest::addColumn<bool>("ended");
    QTest::addColumn<int>("swept");
    QTest::newRow("a run of ours that ended: swept") << true << 1;
    QTest::newRow("a run of ours that still runs: kept") << false << 0;
}

void TestRunFolder::sweepAtStartup()
{
    QFETCH(bool, ended);
    QFETCH(int, swept);
    const QTemporaryDir parent;
    OtherRun other(parent.path());
    QVERIFY(QFileInfo::exists(other.path() + QStringLiteral("/intro.htm")));
    if (ended)
        other.kill();

    const RunFolder next(parent.path());
    QVERIFY(next.isValid());
    QCOMPARE(RunFolder::sweepStaleRunFolders(parent.path()), swept);
    QCOMPARE(QFileInfo::exists(other.path()), !ended);
    QCOMPARE(QFileInfo::exists(other.path() + QStringLiteral("/intro.htm")), !ended);
    QVERIFY2(QFileInfo::exists(next.path()), "the sweeping run's own folder stays");
}

void TestRunFolder::sweepKeepsFolderLockedByAnotherProcess()
{
    const QString flock = QStandardPaths::findExecutable(QStringLiteral("flock"));
    if (flock.isEmpty())
        QSKIP("flock(1) is not available");
    const QTemporaryDir parent;
    const QString folder
        = makeStaleFolder(QDir(parent.path()), QStringLiteral("vemratmp-other"), { QStringLiteral("labwork.lbw") });

    // Another run holds the folder's lock for as long as it lives.
    QProcess otherRun;
    otherRun.start(flock,
        { QStringLiteral("--exclusive"), QStringLiteral("--no-fork"), folder, QStringLiteral("sh"),
            QStringLiteral("-c"), QStringLiteral("echo locked; exec sleep 30") });
    QVERIFY(otherRun.waitForReadyRead(5000));
    QCOMPARE(RunFolder::sweepStaleRunFolders(parent.path()), 0);
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/labwork.lbw")));

    // Killed, it leaves the folder behind unlocked.
    otherRun.kill();
    QVERIFY(otherRun.waitForFinished(5000));
    QCOMPARE(RunFolder::sweepStaleRunFolders(parent.path()), 1);
    QVERIFY(!QFileInfo::exists(folder));
}

void TestRunFolder::sweepKeepsFoldersOfOtherUsers()
{
    if (::geteuid() != 0)
        QSKIP("only root can give a folder to another user");
    const QTemporaryDir parent;
    const QString folder
        = makeStaleFolder(QDir(parent.path()), QStringLiteral("vemratmp-foreign"), { QStringLiteral("theirs.txt") });
    QVERIFY(::chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0);
    QCOMPARE(RunFolder::sweepStaleRunFolders(parent.path()), 0);
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/theirs.txt")));
}

QTEST_GUILESS_MAIN(TestRunFolder)
#include "tst_runfolder.moc"
