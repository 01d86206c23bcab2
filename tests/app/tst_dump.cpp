#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvo::test;

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

Run runKelvo(const QStringList &arguments, const QString &localeName = QStringLiteral("C.UTF-8"))
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), localeName);
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("KELVO_BINARY_DIR") + QStringLiteral("/bin/kelvo"), arguments);
    if (!process.waitForFinished(60000))
        qFatal("kelvo did not finish");
    Run run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

class TestDump final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void descriptorUnderBothRegionalSettings_data();
    void descriptorUnderBothRegionalSettings();
    void badInputGivesTheStartupMessage_data();
    void badInputGivesTheStartupMessage();
    void helpAndVersion();
};

void TestDump::descriptorUnderBothRegionalSettings_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("separator"); // the decimal separator of those settings
    QTest::newRow("Russian") << "ru_RU.UTF-8"
                             << ",";
    QTest::newRow("English") << "C"
                             << ".";
}

void TestDump::descriptorUnderBothRegionalSettings()
{
    QFETCH(QString, localeName);
    QFETCH(QString, separator);
    const QDir lab(m_dir.filePath(QStringLiteral("Лабораторная")));
    // Numbers of the schema are written as the author's regional settings write them (# is the
    // decimal separator).
    writeFile(lab, QStringLiteral("bench.ini"),
        windowsText(QStringLiteral("[SchemaHeader]\nImageFile=bench.bmp\nTitle=Схема\nStartFrom=__a\n"
                                   "[__a]\nTitle=А\nImageFile=bench.bmp\nV1=0#25\n"
                                   "[Supply]\nClass=Passive\nTitle=Напряжение\nUnit=В\nValue=12#5\nMin=0\nMax=24\n"
                                   "[V1]\nClass=Measurement\nUnit=В\n")
                        .replace(u'#', separator)));
    const QString path = writeFile(lab, QStringLiteral("labwork.lbw"),
        windowsText(
            QStringLiteral("[Header]\nTitle=Закон Ома\nAuthor=Иванов И. И.\nDescription=Для 8 класса\n"
                           "[intro]\nType=Information\nTitle=Введение\nIdentifier=1\nDocument=intro.htm\n"
                           "[exam]\nType=Examination\nTitle=Контроль\nIdentifier=2\nRequiredChapters=1\nQuestions=3\n"
                           "Heading=Проверка\nAttempts=5\n"
                           "[bench]\nType=Experiment\nTitle=Стенд\nIdentifier=3\nSchemaFile=bench.ini\n")));
    const Run run = runKelvo({ QStringLiteral("--dump"), path }, localeName);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(run.out, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(json.value(QStringLiteral("Title")).toString(), QStringLiteral("Закон Ома"));
    QCOMPARE(json.value(QStringLiteral("Author")).toString(), QStringLiteral("Иванов И. И."));
    QCOMPARE(json.value(QStringLiteral("CurrentIndex")).toInt(), -1);
    QVERIFY(!json.contains(QStringLiteral("ExtractedFiles")));
    const QJsonArray chapters = json.value(QStringLiteral("Chapters")).toArray();
    QCOMPARE(chapters.size(), 3);
    const QJsonObject intro = chapters[0].toObject();
    QCOMPARE(intro.value(QStringLiteral("Class")).toString(), QStringLiteral("TInfoChapter"));
    QCOMPARE(intro.value(QStringLiteral("Document")).toString(), QStringLiteral("intro.htm"));
    QCOMPARE(intro.value(QStringLiteral("CanOpen")).toBool(), true);
    const QJsonObject exam = chapters[1].toObject();
    QCOMPARE(exam.value(QStringLiteral("Class")).toString(), QStringLiteral("TTaskChapter"));
    QCOMPARE(exam.value(QStringLiteral("RequiredChapters")).toArray(), QJsonArray { 1 });
    QCOMPARE(exam.value(QStringLiteral("CanOpen")).toBool(), false);
    QCOMPARE(exam.value(QStringLiteral("Questions")).toInt(), 3);
    QCOMPARE(exam.value(QStringLiteral("Attempts")).toInt(), 5);
    QCOMPARE(exam.value(QStringLiteral("Passed")).toBool(), false);
    // Read with the separator of the settings the program runs under.
    const QJsonArray devices = chapters[2].toObject().value(QStringLiteral("Devices")).toArray();
    QCOMPARE(devices.size(), 2);
    QCOMPARE(devices[0].toObject().value(QStringLiteral("Value")).toDouble(), 12.5);
    QCOMPARE(devices[1].toObject().value(QStringLiteral("Value")).toDouble(), 0.25);
}

void TestDump::badInputGivesTheStartupMessage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // "-" : no file at all
    QTest::addColumn<bool>("descriptorMessage");

    QByteArray garbage(64 * 1024, '\0');
    QRandomGenerator random(7);
    for (char &b : garbage)
        b = char(random.bounded(256));
    QTest::newRow("missing descriptor") << "absent.lbw" << QByteArray("-") << true;
    QTest::newRow("binary garbage descriptor") << "garbage.lbw" << garbage << true;
    QTest::newRow("huge lines without sections") << "huge.lbw" << QByteArray(8 * 1024 * 1024, 'a') << true;
    QTest::newRow("empty descriptor") << "empty.lbw" << QByteArray() << true;
    QTest::newRow("upper-case extension is a package") << "LABWORK.LBW" << QByteArray("[Header]\n") << false;
    QTest::newRow("missing package") << "absent.lwz" << QByteArray("-") << false;
    QTest::newRow("package that is no archive") << "notzip.lwz" << QByteArray("PK but not really") << false;
}

void TestDump::badInputGivesTheStartupMessage()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, descriptorMessage);
    const QString path = content == "-" ? m_dir.filePath(name) : writeFile(QDir(m_dir.path()), name, content);
    const Run run = runKelvo({ QStringLiteral("--dump"), path });
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QByteArray());
    const QString expected = descriptorMessage
        ? QStringLiteral("Ошибка чтения файла данных.\nФайл: \"%1\".\nЗавершение работы программы.\n").arg(path)
        : QStringLiteral("Ошибка загрузки: поврежден файл данных \"%1\".\nЗавершение работы программы.\n").arg(path);
    QCOMPARE(run.err, expected);
}

void TestDump::helpAndVersion()
{
    const Run help = runKelvo({ QStringLiteral("--help") });
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.contains("--dump PATH"));
    const Run version = runKelvo({ QStringLiteral("--version") });
    QCOMPARE(version.exitCode, 0);
    QVERIFY(version.out.startsWith("Kelvo 1.0"));
    QCOMPARE(runKelvo({ QStringLiteral("--dump") }).exitCode, 2);
}

QTEST_GUILESS_MAIN(TestDump)
#include "tst_dump.moc"
