// Hostile and broken packages, checked: `kelvo --check` is run on packages nobody trusts, so it
// holds the same bounds as the player. Each package is built here (byte by byte where no archiver
// would write it) and checked by the real program with a private temporary folder, home and
// working folder, under the player's memory limit: it ends with a report (or the start-up
// message), says what is wrong in a bounded number of findings, and leaves nothing behind.

#include "TestSupport.h"
#include "tst_hostile_fixture.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace kelvo::test;

namespace {

const QByteArray Descriptor = "[Header]\r\nTitle=Hostile\r\n[intro]\r\nType=Information\r\nTitle=Intro\r\n"
                              "Document=intro.htm\r\n";

RawEntry descriptorEntry(const QByteArray &text = Descriptor)
{
    return stored("labwork.lbw", text);
}

// A descriptor of one examination (identifier 1) with `questions` questions.
RawEntry quizDescriptor(const QByteArray &questions)
{
    return descriptorEntry("[Header]\r\nTitle=Quiz\r\n[quiz]\r\nType=Examination\r\nTitle=Q\r\nIdentifier=1\r\n"
                           "Heading=H\r\nQuestions="
        + questions + "\r\n");
}

// A descriptor of `count` experiments that all name schema.ini.
RawEntry experimentsDescriptor(int count)
{
    QByteArray text = "[Header]\r\nTitle=Bench\r\n";
    for (int i = 0; i < count; ++i)
        text += "[bench" + QByteArray::number(i) + "]\r\nType=Experiment\r\nTitle=B\r\nSchemaFile=schema.ini\r\n";
    return descriptorEntry(text);
}

// A report that says everything about a package of a few mistakes in a screenful, and about
// millions of one mistake in not many more.
constexpr qsizetype MostFindings = 300;

struct Run
{
    bool finished = false;
    int exitCode = -1;
    QJsonObject report;
    QString err;
};

Run runCheck(const Sandbox &box)
{
    const bounded::Run run
        = bounded::runProgram(box, { QStringLiteral("--check"), box.package, QStringLiteral("--json") });
    return { run.finished, run.exitCode, QJsonDocument::fromJson(run.out).object(), run.err };
}

QStringList codesOf(const QJsonObject &report)
{
    QStringList codes;
    for (const QJsonValue &finding : report.value(QStringLiteral("findings")).toArray())
        codes.append(finding.toObject().value(QStringLiteral("code")).toString());
    return codes;
}

} // namespace

class TestHostileCheck final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void packages_data();
    void packages();
};

void TestHostileCheck::initTestCase()
{
    QVERIFY(QFileInfo(qEnvironmentVariable("KELVO_BINARY_DIR") + QStringLiteral("/bin/kelvo")).isExecutable());
}

void TestHostileCheck::packages_data()
{
    // The package; the codes of findings the report must hold (each at least once); the least
    // number of errors it counts, shown or not (-1: no report, the start-up message); texts that
    // some message must hold.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<int>("errors");
    QTest::addColumn<QStringList>("mentions");

    const RawEntry lbw = descriptorEntry();
    const RawEntry intro = stored("intro.htm", "<html><body><p>text</p></body></html>");

    QTest::newRow("names: climbing, absolute, drive letters, links") << assembleZip(
        { lbw, intro, stored("../up.htm", "1"), stored("/tmp/abs.htm", "3"), stored("C:\\Windows\\drive.htm", "4") })
                                                                     << QStringList {} << 0 << QStringList {};
    QList<RawEntry> tiny { lbw, intro };
    for (int i = 0; i < 19'998; ++i)
        tiny.append(stored("f" + QByteArray::number(i), QByteArray()));
    // The player says only that the package is damaged; the check says which entry and why.
    const QStringList damaged { "damaged-package" };
    RawEntry badCrc = stored("intro.htm", "<p>text</p>");
    badCrc.crc ^= 1;
    QTest::newRow("format: CRC mismatch")
        << assembleZip({ lbw, badCrc }) << damaged << 1 << QStringList { "файл данных повреждён", "\"intro.htm\"" };
    RawEntry encrypted = stored("intro.htm", "secret");
    encrypted.flags = 1;
    QTest::newRow("format: encrypted entry")
        << assembleZip({ lbw, encrypted }) << damaged << 1 << QStringList { "\"intro.htm\" is encrypted" };
    RawEntry unknownMethod = stored("intro.htm", "x");
    unknownMethod.method = 77;
    QTest::newRow("format: unknown compression method")
        << assembleZip({ lbw, unknownMethod }) << damaged << 1 << QStringList { "compression method 77" };
    const QByteArray whole = assembleZip({ lbw, deflated("intro.htm", QByteArray(5000, 'x')) });
    QTest::newRow("format: truncated archive")
        << whole.first(whole.size() - 30) << damaged << 1 << QStringList { "not a plain ZIP archive" };
    RawEntry tenGigabytes = deflated("bomb.bin", QByteArray(1 << 20, '\0'));
    tenGigabytes.packed = QByteArray(1 << 20, '\x55');
    tenGigabytes.size = quint64(10) << 30;
    tenGigabytes.zip64 = true;
    QTest::newRow("bomb: 10 GB declared in 1 MB")
        << assembleZip({ lbw, tenGigabytes }) << damaged << 1 << QStringList { "\"bomb.bin\"" };
    RawEntry lying = deflated("bomb.bin", QByteArray(16 << 20, '\0'));
    lying.size = 1000;
    QTest::newRow("bomb: 1,000 bytes declared, 16 MB inside")
        << assembleZip({ lbw, lying }) << damaged << 1 << QStringList { "\"bomb.bin\"" };
    QList<RawEntry> tooMany { lbw };
    for (int i = 1; i < 100'000; ++i)
        tooMany.append(stored("f" + QByteArray::number(i), QByteArray()));
    QTest::newRow("entries: 100,000 tiny ones") << assembleZip(tooMany) << damaged << 1 << QStringList { "100000" };

    // No descriptor to check: the start-up message alone.
    QTest::newRow("format: empty archive, no descriptor") << assembleZip({}) << QStringList {} << -1 << QStringList {};
    QByteArray fiftyMegabytes = "[Header]\r\nTitle=Big\r\n[s]\r\n";
    fiftyMegabytes.reserve(50 << 20);
    while (fiftyMegabytes.size() < (50 << 20))
        fiftyMegabytes += "k=v\r\n";
    QTest::newRow("descriptor: 50 MB of keys")
        << assembleZip({ deflated("labwork.lbw", fiftyMegabytes) }) << QStringList {} << -1 << QStringList {};
    QByteArray manySections = "[Header]\r\nTitle=Sections\r\n";
    for (int i = 0; i < 10'000; ++i)
        manySections += "[c" + QByteArray::number(10'000 + i) + "]\r\nType=Information\r\n";
    QTest::newRow("descriptor: 10,000 sections") << assembleZip({ deflated("labwork.lbw", manySections) })
                                                 << QStringList { "beyond-name-list" } << 1 << QStringList {};
    const QByteArray megabyteLine(1 << 20, 'T');
    QTest::newRow("descriptor: lines of 1 MB") << assembleZip({ deflated("labwork.lbw",
        "[Header]\r\nTitle=" + megabyteLine + "\r\n[intro]\r\nType=Information\r\nTitle=T\r\nDocument=" + megabyteLine
            + "\r\n") }) << QStringList { "value-too-long" }
                                               << 1 << QStringList {};
    QTest::newRow("document: 60 MB of line breaks")
        << assembleZip({ lbw, deflated("intro.htm", QByteArray(60 << 20, '\n')) }) << QStringList {} << 0
        << QStringList {};

    QTest::newRow("entries: 20,000, as many as allowed") << assembleZip(tiny) << QStringList {} << 0 << QStringList {};

    QByteArray missingPictures = "<html><body>\n";
    for (int i = 0; i < 5000; ++i)
        missingPictures += "<img src=\"missing" + QByteArray::number(i) + ".png\">\n";
    QList<RawEntry> crowded { lbw, deflated("intro.htm", missingPictures + "</body></html>") };
    for (int i = 0; i < 15'000; ++i)
        crowded.append(stored("picture" + QByteArray::number(i) + ".png", QByteArray()));
    QTest::newRow("document: 5,000 missing pictures among 15,000 files")
        << assembleZip(crowded) << QStringList { "missing-file" } << 5000 << QStringList {};

    QByteArray images;
    images.reserve(48 << 20);
    images += "<html><body>\n";
    while (images.size() < (48 << 20))
        images += "<img src=x.png>";
    images += "</body></html>";
    QTest::newRow("document: 48 MB of picture tags")
        << assembleZip({ lbw, deflated("intro.htm", images) }) << QStringList { "missing-file", "check-limit" } << 1
        << QStringList {};

    QTest::newRow("questions: 999,999,999 with one question file")
        << assembleZip({ quizDescriptor("999999999"),
               stored("c001.q999999999.range.q", "x=RAND()\r\n<!--END-->\r\n<p>q</p>\r\n<!--END-->\r\nx=1\r\n") })
        << QStringList { "missing-question" } << 999'999'998 << QStringList {};

    QByteArray tinyLines;
    tinyLines.reserve(48 << 20);
    tinyLines += "<p>q</p>\n<!--END-->\n";
    while (tinyLines.size() < (48 << 20))
        tinyLines += "a\n";
    QTest::newRow("questions: 24 million one-letter answer lines")
        << assembleZip({ quizDescriptor("1"), deflated("c001.q001.vA.q", tinyLines) })
        << QStringList { "quiz-too-large" } << 1 << QStringList {};

    QByteArray controls = "<p>q</p>\r\n";
    QByteArray answers;
    for (int i = 0; i < 20'000; ++i) {
        controls += "<input type=checkbox name=c" + QByteArray::number(i) + " value=1>\r\n";
        answers += "d" + QByteArray::number(i) + "=1\r\n";
    }
    QTest::newRow("questions: 20,000 answer lines for 20,000 controls, none of them named")
        << assembleZip({ quizDescriptor("1"), deflated("c001.q001.vA.q", controls + "<!--END-->\r\n" + answers) })
        << QStringList { "answer-unknown-control" } << 20'000 << QStringList {};

    QByteArray schema
        = "[SchemaHeader]\r\nTitle=S\r\nImageFile=schema.png\r\n[__v1]\r\nTitle=V\r\nImageFile=schema.png\r\n";
    QByteArray devices;
    for (int i = 0; i < 2000; ++i) {
        schema += "x" + QByteArray::number(i) + "=1\r\n";
        devices += "[meter" + QByteArray::number(i) + "]\r\nClass=Measurement\r\nTitle=M\r\nWidht=5\r\n";
    }
    QTest::newRow("schema: misspelt keys and variant lines for 2,000 devices, shared by 50 experiments")
        << assembleZip({ experimentsDescriptor(50), deflated("schema.ini", schema + devices) })
        << QStringList { "unknown-key", "variant-unknown-device", "missing-file" } << 1 << QStringList {};
}

void TestHostileCheck::packages()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, codes);
    QFETCH(int, errors);
    QFETCH(QStringList, mentions);

    const Sandbox box(bytes);
    const QStringList before = box.state();
    const Run run = runCheck(box);
    QVERIFY2(run.finished, "the check did not finish");
    QVERIFY2(run.exitCode == 0 || run.exitCode == 1, qPrintable(QStringLiteral("the check crashed: ") + run.err));
    if (errors < 0) {
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.report.isEmpty());
        QVERIFY(!run.err.isEmpty());
    } else {
        QVERIFY2(run.report.contains(QStringLiteral("findings")), qPrintable(run.err));
    }

    const QStringList found = codesOf(run.report);
    for (const QString &code : std::as_const(codes))
        QVERIFY2(found.contains(code), qPrintable(code + QStringLiteral(" not in: ") + found.join(u' ')));
    QString messages;
    for (const QJsonValue &finding : run.report.value(QStringLiteral("findings")).toArray())
        messages += finding.toObject().value(QStringLiteral("message")).toString() + u'\n';
    for (const QString &mention : std::as_const(mentions))
        QVERIFY2(messages.contains(mention), qPrintable(mention + QStringLiteral(" not in: ") + messages));
    QVERIFY2(found.size() <= MostFindings, qPrintable(QString::number(found.size())));
    QVERIFY2(run.report.value(QStringLiteral("errors")).toInt() >= errors,
        qPrintable(QString::number(run.report.value(QStringLiteral("errors")).toInt())));
    QCOMPARE(run.exitCode, errors != 0 ? 1 : 0);

    QCOMPARE(box.state(), before);
    // The largest of the runs so far: the first row over the limit fails.
    const qint64 peak = bounded::peakResidentBytes(RUSAGE_CHILDREN);
    QVERIFY2(peak <= bounded::MaxResidentBytes, qPrintable(QStringLiteral("%1 MB").arg(peak >> 20)));
}

QTEST_GUILESS_MAIN(TestHostileCheck)

#include "tst_hostile_check.moc"
