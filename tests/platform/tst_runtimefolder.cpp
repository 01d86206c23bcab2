// Where a run makes its run folder: in the user's runtime folder when it is private and has room
// to spare for the package, otherwise in the temporary folder.

#include "RunFolder.h"
#include "RuntimeFolder.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <sys/stat.h>

using namespace kelvo;
using namespace kelvo::test;

namespace {

constexpr quint64 MiB = quint64(1) << 20;

} // namespace

class TestRuntimeFolder final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roomRule_data();
    void roomRule();
    void parentOfTheRunFolder_data();
    void parentOfTheRunFolder();
};

void TestRuntimeFolder::roomRule_data()
{
    QTest::addColumn<quint64>("unpacked");
    QTest::addColumn<quint64>("free");
    QTest::addColumn<bool>("room");
    QTest::newRow("nominal: a small package, a desktop's runtime folder") << 8 * MiB << 1600 * MiB << true;
    QTest::newRow("boundary: twice the size and the margin are half of what is free") << 100 * MiB << 528 * MiB << true;
    QTest::newRow("boundary: a byte less free") << 100 * MiB << 528 * MiB - 1 << false;
    QTest::newRow("boundary: an empty package needs the margin") << quint64(0) << 128 * MiB << true;
    QTest::newRow("boundary: less than the margin twice") << quint64(0) << 128 * MiB - 1 << false;
    QTest::newRow("robustness: nothing free") << quint64(0) << quint64(0) << false;
    QTest::newRow("robustness: a size no sum can hold") << ~quint64(0) << ~quint64(0) << false;
    QTest::newRow("robustness: half of the largest size") << ~quint64(0) / 2 << ~quint64(0) << false;
}

void TestRuntimeFolder::roomRule()
{
    QFETCH(quint64, unpacked);
    QFETCH(quint64, free);
    QFETCH(bool, room);
    QCOMPARE(runtimeFolderHasRoom(unpacked, free), room);
}

void TestRuntimeFolder::parentOfTheRunFolder_data()
{
    QTest::addColumn<QString>("runtime"); // "-": unset
    QTest::addColumn<unsigned>("mode");
    QTest::addColumn<std::optional<quint64>>("unpacked");
    QTest::addColumn<bool>("inRuntime");
    QTest::newRow("nominal: private, with room") << "runtime" << 0700u << std::optional<quint64>(MiB) << true;
    QTest::newRow("nominal: private, without room")
        << "runtime" << 0700u << std::optional<quint64>(quint64(1) << 60) << false;
    QTest::newRow("nominal: unset") << "-" << 0700u << std::optional<quint64>(MiB) << false;
    QTest::newRow("nominal: no package, as for a descriptor read in place")
        << "runtime" << 0700u << std::optional<quint64>() << false;
    QTest::newRow("robustness: open to the group") << "runtime" << 0750u << std::optional<quint64>(MiB) << false;
    QTest::newRow("robustness: open to all") << "runtime" << 0777u << std::optional<quint64>(MiB) << false;
    QTest::newRow("robustness: empty") << "" << 0700u << std::optional<quint64>(MiB) << false;
    QTest::newRow("robustness: missing") << "absent" << 0700u << std::optional<quint64>(MiB) << false;
    QTest::newRow("robustness: a plain file") << "plain" << 0700u << std::optional<quint64>(MiB) << false;
    QTest::newRow("robustness: a relative name") << "relative" << 0700u << std::optional<quint64>(MiB) << false;
}

void TestRuntimeFolder::parentOfTheRunFolder()
{
    QFETCH(QString, runtime);
    QFETCH(unsigned, mode);
    QFETCH(std::optional<quint64>, unpacked);
    QFETCH(bool, inRuntime);

    const QTemporaryDir root;
    const QString temporary = root.filePath(QStringLiteral("tmp"));
    QVERIFY(QDir().mkpath(temporary));
    const QString runtimePath = root.filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkpath(runtimePath));
    QVERIFY(::chmod(QFile::encodeName(runtimePath).constData(), mode) == 0);
    QFile plain(root.filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QVERIFY(::chmod(QFile::encodeName(plain.fileName()).constData(), 0700) == 0);

    QByteArray named;
    if (runtime == u"relative")
        named = "runtime"; // a private folder, but only relative to the current directory
    else if (runtime == u"-")
        named = QByteArray();
    else if (runtime.isEmpty())
        named = QByteArray("");
    else
        named = QFile::encodeName(root.filePath(runtime));
    const EnvironmentVariable tmpdir("TMPDIR", QFile::encodeName(temporary));
    const EnvironmentVariable xdg("XDG_RUNTIME_DIR", named);
    const test::CurrentDirectory here(root.path());

    bool sizeAsked = false;
    const QString parent = runFolderParent([&] {
        sizeAsked = true;
        return unpacked;
    });
    QCOMPARE(parent, inRuntime ? runtimePath : temporary);
    const bool usable = runtime == u"runtime" && mode == 0700u;
    QCOMPARE(usableRuntimeFolder().isEmpty(), !usable);
    // Reading a package's list of files is the start-up's cost; no runtime folder needs it.
    QCOMPARE(sizeAsked, usable);
}

QTEST_GUILESS_MAIN(TestRuntimeFolder)

#include "tst_runtimefolder.moc"
