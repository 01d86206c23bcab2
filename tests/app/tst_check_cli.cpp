#include "TestSupport.h"

#include <QBuffer>
#include <QDirIterator>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace kelvo::test;

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the program with its own temporary folder, so that what a run leaves behind shows (the GUI
// module's runtime folder goes elsewhere); `adjust` changes the environment further.
Run runKelvo(const QStringList &arguments, const QString &tempFolder,
    const std::function<void(QProcessEnvironment &)> &adjust = {})
{
    static const QTemporaryDir runtime;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("TMPDIR"), tempFolder);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    if (adjust)
        adjust(environment);
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("KELVO_BINARY_DIR") + QStringLiteral("/bin/kelvo"), arguments);
    if (!process.waitForFinished(60000))
        qFatal("kelvo did not finish");
    Run run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QByteArray png(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

QStringList entriesUnder(const QString &folder)
{
    QStringList entries;
    QDirIterator it(
        folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        entries.append(it.next());
    return entries;
}

// "file:line: level: code" for each finding of a JSON report.
QStringList describe(const QJsonObject &report)
{
    QStringList lines;
    for (const QJsonValue &value : report.value(QStringLiteral("findings")).toArray()) {
        const QJsonObject finding = value.toObject();
        lines.append(finding.value(QStringLiteral("file")).toString() + u':'
            + QString::number(finding.value(QStringLiteral("line")).toInt()) + u": "
            + finding.value(QStringLiteral("level")).toString() + u": "
            + finding.value(QStringLiteral("code")).toString());
    }
    return lines;
}

} // namespace

// The command line of the checker: packages and descriptors, text and JSON, exit status, clean-up.
class TestCheckCli final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_temp; // the runs' temporary folder

private Q_SLOTS:
    void packageReportsByEntryName();
    void cleanDescriptor();
    void exitStatus_data();
    void exitStatus();
    void loadFailures_data();
    void loadFailures();
    void usage();
    void nothingLeftWithoutRuntimeFolder_data();
    void nothingLeftWithoutRuntimeFolder();
};

void TestCheckCli::packageReportsByEntryName()
{
    const QString package = m_dir.filePath(QStringLiteral("broken.lwz"));
    writeZip(package,
        {
            { "labwork.lbw",
                windowsText(QStringLiteral("[Header]\nTitle=Лаборатория\n"
                                           "[intro]\nType=Information\nTitle=Введение\nDocument=docs\\intro.htm\n"
                                           "[read]\nType=Information\nTitle=Чтение\nDocument=Intro.htm\n"
                                           "[bench]\nType=Experiment\nTitle=Стенд\nSchemaFile=schema.ini\n")) },
            { "Docs/Intro.htm",
                windowsText(QStringLiteral("<html><body>\n<img src=\"pics/fig.png\"></body></html>\n")) },
            { "pics/fig.png", png(40, 30) },
            { "a/note.txt", "first" },
            { "b/note.txt", "second" },
            { "schema.ini",
                windowsText(QStringLiteral("[SchemaHeader]\nTitle=Схема\nImageFile=fig.png\nStartFrom=__a\n"
                                           "[__a]\nTitle=А\nImageFile=fig.png\n[__b]\nTitle=Б\nImageFile=broken.png\n"
                                           "[Lamp]\nClass=Area\nLeft=100\nTop=5\nWidth=10\nHeight=10\nHint=Лампа\n")) },
            { "broken.png", "\x89PNG\r\n\x1a\n but no picture" },
        });

    const Run json = runKelvo({ QStringLiteral("--check"), package, QStringLiteral("--json") }, m_temp.path());
    QCOMPARE(json.exitCode, 1);
    QJsonParseError error;
    const QJsonObject report = QJsonDocument::fromJson(json.out.toUtf8(), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(describe(report),
        (QStringList { "labwork.lbw:6: error: subfolder", "Docs/Intro.htm:2: error: subfolder",
            "b/note.txt:0: warning: duplicate-entry", "schema.ini:10: error: bad-picture",
            "schema.ini:13: warning: device-off-picture" }));
    QCOMPARE(report.value(QStringLiteral("errors")).toInt(), 3);
    QCOMPARE(report.value(QStringLiteral("warnings")).toInt(), 2);
    const QString messages = QString::fromUtf8(QJsonDocument(report).toJson());
    QVERIFY(messages.contains(QStringLiteral("PNG image is not valid: ./broken.png")));
    QVERIFY(messages.contains(QStringLiteral("40×30")));

    const Run text = runKelvo({ QStringLiteral("--check"), package }, m_temp.path());
    QCOMPARE(text.exitCode, 1);
    const QStringList lines = text.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 6);
    const QRegularExpression finding(QStringLiteral("^[^:]+(:\\d+)?: (error|warning): \\S.*$"));
    for (qsizetype i = 0; i < 5; ++i)
        QVERIFY2(finding.match(lines[i]).hasMatch(), qPrintable(lines[i]));
    QVERIFY(lines[0].startsWith(QStringLiteral("labwork.lbw:6: error: ")));
    QVERIFY(lines[2].startsWith(QStringLiteral("b/note.txt: warning: ")));
    QCOMPARE(lines.last(), QStringLiteral("Ошибок: 3, предупреждений: 2"));

    // Nothing unpacked stays behind.
    QCOMPARE(entriesUnder(m_temp.path()), QStringList());
}

void TestCheckCli::cleanDescriptor()
{
    const QDir lab(m_dir.filePath(QStringLiteral("clean")));
    writeFile(
        lab, QStringLiteral("intro.htm"), windowsText(QStringLiteral("<html><body><p>Текст</p></body></html>\n")));
    const QString descriptor = writeFile(lab, QStringLiteral("labwork.lbw"),
        windowsText(QStringLiteral(
            "[Header]\nTitle=Закон Ома\n[intro]\nType=Information\nTitle=Введение\nDocument=intro.htm\n")));
    const Run text = runKelvo({ QStringLiteral("--check"), descriptor }, m_temp.path());
    QCOMPARE(text.exitCode, 0);
    QCOMPARE(text.out, QStringLiteral("Ошибок: 0, предупреждений: 0\n"));
    const Run json2 = runKelvo({ QStringLiteral("--check"), QStringLiteral("--json"), descriptor }, m_temp.path());
    QCOMPARE(json2.exitCode, 0);
    const QJsonObject report = QJsonDocument::fromJson(json2.out.toUtf8()).object();
    QCOMPARE(report.value(QStringLiteral("findings")).toArray().size(), 0);
    QCOMPARE(report.value(QStringLiteral("errors")).toInt(), 0);
}

void TestCheckCli::exitStatus_data()
{
    QTest::addColumn<QString>("chapters"); // descriptor sections after the header
    QTest::addColumn<int>("errors");
    QTest::addColumn<int>("warnings");
    QTest::addColumn<int>("status");

    const QString read = QStringLiteral("[a]\nType=Information\nTitle=A\nDocument=read.htm\n");
    const QString noBodyEnd = QStringLiteral("[b]\nType=Information\nTitle=B\nDocument=nobodyend.htm\n");
    const QString missing = QStringLiteral("[c]\nType=Information\nTitle=C\nDocument=absent.htm\n");
    const QString missing2 = QStringLiteral("[d]\nType=Information\nTitle=D\nDocument=absent2.htm\n");
    QTest::newRow("no finding") << read << 0 << 0 << 0;
    QTest::newRow("warnings only") << read + noBodyEnd << 0 << 1 << 0;
    QTest::newRow("exactly one error") << read + missing << 1 << 0 << 1;
    QTest::newRow("errors and warnings") << noBodyEnd + missing + missing2 << 2 << 1 << 1;
}

// The status tells a script whether the package would play as its author meant: 1 as soon as
// there is one error, 0 when there are only warnings or nothing.
void TestCheckCli::exitStatus()
{
    QFETCH(QString, chapters);
    QFETCH(int, errors);
    QFETCH(int, warnings);
    QFETCH(int, status);
    const QDir lab(m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-')));
    writeFile(lab, QStringLiteral("read.htm"), "<html><body><p>Text</p></body></html>\n");
    writeFile(lab, QStringLiteral("nobodyend.htm"), "<html><p>Text</p></html>\n");
    const QString descriptor = writeFile(
        lab, QStringLiteral("labwork.lbw"), windowsText(QStringLiteral("[Header]\nTitle=Lab\n") + chapters));

    const Run json = runKelvo({ QStringLiteral("--check"), QStringLiteral("--json"), descriptor }, m_temp.path());
    const QJsonObject report = QJsonDocument::fromJson(json.out.toUtf8()).object();
    QCOMPARE(describe(report).size(), errors + warnings);
    QCOMPARE(report.value(QStringLiteral("errors")).toInt(), errors);
    QCOMPARE(report.value(QStringLiteral("warnings")).toInt(), warnings);
    QCOMPARE(json.exitCode, status);
    QCOMPARE(runKelvo({ QStringLiteral("--check"), descriptor }, m_temp.path()).exitCode, status);
}

void TestCheckCli::loadFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // "-": no file
    QTest::addColumn<bool>("descriptorMessage");
    QTest::newRow("missing descriptor") << "absent.lbw" << QByteArray("-") << true;
    QTest::newRow("binary descriptor without a section") << "binary.lbw" << QByteArray("\0\1\2x]\n", 7) << true;
    QTest::newRow("package that is no archive") << "notzip.lwz" << QByteArray("not a zip") << false;
}

void TestCheckCli::loadFailures()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, descriptorMessage);
    const QString path = content == "-" ? m_dir.filePath(name) : writeFile(QDir(m_dir.path()), name, content);
    const Run run = runKelvo({ QStringLiteral("--check"), path }, m_temp.path());
    QCOMPARE(run.exitCode, 1);
    // A refused package is a finding of the check as well, with the reason.
    if (descriptorMessage)
        QCOMPARE(run.out, QString());
    else
        QVERIFY2(
            run.out.startsWith(name + QStringLiteral(": error: ")) && run.out.contains(u"ZIP"), qPrintable(run.out));
    const QString expected = descriptorMessage
        ? QStringLiteral("Ошибка чтения файла данных.\nФайл: \"%1\".\nЗавершение работы программы.\n").arg(path)
        : QStringLiteral("Ошибка загрузки: поврежден файл данных \"%1\".\nЗавершение работы программы.\n").arg(path);
    QVERIFY2(run.err.endsWith(expected), qPrintable(run.err));
}

void TestCheckCli::usage()
{
    QCOMPARE(runKelvo({ QStringLiteral("--check") }, m_temp.path()).exitCode, 2);
    QCOMPARE(runKelvo({ QStringLiteral("--check"), QStringLiteral("a.lbw"), QStringLiteral("b.lbw") }, m_temp.path())
                 .exitCode,
        2);
    const Run help = runKelvo({ QStringLiteral("--help") }, m_temp.path());
    QVERIFY(help.out.contains(QStringLiteral("--check PATH [--json]")));
}

void TestCheckCli::nothingLeftWithoutRuntimeFolder_data()
{
    QTest::addColumn<bool>("package");
    QTest::addColumn<QString>("rules"); // QT_LOGGING_RULES

    QTest::newRow("nominal: a descriptor") << false << QString();
    QTest::newRow("nominal: a package") << true << QString();
    // The toolkit's note about a missing runtime folder is not merely kept off the terminal: it
    // has nothing to say, since its runtime files go into the run's folder.
    QTest::newRow("nominal: start-up notes shown") << false << QStringLiteral("kelvo.startup.warning=true");
}

void TestCheckCli::nothingLeftWithoutRuntimeFolder()
{
    QFETCH(bool, package);
    QFETCH(QString, rules);

    // A session without XDG_RUNTIME_DIR, as under cron or ssh. The toolkit would make a folder of
    // its own in the temporary folder; the check leaves that folder as it found it.
    const QTemporaryDir temp;
    const QByteArray descriptorText = "[Header]\nTitle=T\n";
    QString path;
    if (package) {
        path = m_dir.filePath(QStringLiteral("quiet.lwz"));
        writeZip(path, { { "labwork.lbw", descriptorText } });
    } else {
        path = writeFile(QDir(m_dir.filePath(QStringLiteral("quiet"))), QStringLiteral("labwork.lbw"), descriptorText);
    }
    const Run run = runKelvo({ QStringLiteral("--check"), path }, temp.path(), [&](QProcessEnvironment &environment) {
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        if (rules.isEmpty())
            environment.remove(QStringLiteral("QT_LOGGING_RULES"));
        else
            environment.insert(QStringLiteral("QT_LOGGING_RULES"), rules);
    });
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(!run.err.contains(QLatin1String("XDG_RUNTIME_DIR")), qPrintable(run.err));
    QCOMPARE(QDir(temp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

QTEST_MAIN(TestCheckCli)
#include "tst_check_cli.moc"
