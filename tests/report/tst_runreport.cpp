#include "FileDigest.h"
#include "LabWork.h"
#include "LocalFileNames.h"
#include "ReportFolder.h"
#include "RunRecord.h"
#include "RunReportDocument.h"
#include "RunReportJson.h"
#include "TestSupport.h"

#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <unistd.h>

using namespace kelvo;
using namespace kelvo::test;

namespace {

const QByteArray Descriptor = "[Header]\nTitle=Закон Ома\nAuthor=И. И. Иванов\n"
                              "[Theory]\nType=Information\nTitle=Теория\nIdentifier=1\nDocument=t.htm\n"
                              "[Test]\nType=Examination\nTitle=Допуск\nIdentifier=2\nQuestions=3\n"
                              "[Report]\nType=Information\nTitle=Отчёт\nIdentifier=3\nDocument=r.htm\n";

QDateTime at(int hour, int minute, int second)
{
    return QDateTime(QDate(2026, 12, 10), QTime(hour, minute, second), Qt::OffsetFromUTC, 3 * 3600);
}

// The run a student played: the theory read, the test checked twice (2 of 3, then 3 of 3), the
// report never opened.
struct PlayedRun
{
    QTemporaryDir dir;
    std::unique_ptr<TLabWork> labWork;
    std::unique_ptr<RunRecord> record;

    PlayedRun()
    {
        const QString path
            = writeFile(QDir(dir.path()), QStringLiteral("labwork.lbw"), windowsText(QString::fromUtf8(Descriptor)));
        labWork = std::make_unique<TLabWork>(path);
        record = std::make_unique<RunRecord>(
            *labWork, QStringLiteral("/media/usb/ohm.lwz"), at(10, 0, 0), QStringLiteral("student"));
        record->chapterOpened(0);
        labWork->Chapters().Items(0)->Passed = true;
        record->updatePassed(*labWork);
        record->chapterOpened(1);
        record->checked(1, 2, 3, at(10, 5, 7));
        record->chapterOpened(1);
        record->checked(1, 3, 3, at(10, 9, 30));
    }
};

QString pdfText(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), path, QStringLiteral("-") });
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("pdftotext failed: ") + QString::fromLocal8Bit(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput());
}

QJsonObject readJson(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

} // namespace

class TestRunReport final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void jsonOfAPlayedRun();
    void pdfOfAPlayedRun();
    void quizScoresBesideTheState_data();
    void quizScoresBesideTheState();
    void digestInBothFiles();
    void jsonIsUtf8WhateverTheNames_data();
    void jsonIsUtf8WhateverTheNames();
    void unusableFolders_data();
    void unusableFolders();
    void folderNeverReplacesAnotherRun();
    void folderRewritesItsOwnRun();
};

void TestRunReport::jsonOfAPlayedRun()
{
    PlayedRun run;
    const QJsonObject json = runReportToJson(*run.record, at(10, 10, 0), true);
    QCOMPARE(json.value(u"format").toString(), QStringLiteral("kelvo-run-report"));
    QCOMPARE(json.value(u"version").toInt(), 1);
    QCOMPARE(json.value(u"labWork").toObject().value(u"title").toString(), QStringLiteral("Закон Ома"));
    QCOMPARE(json.value(u"labWork").toObject().value(u"author").toString(), QStringLiteral("И. И. Иванов"));
    QCOMPARE(json.value(u"labWork").toObject().value(u"package").toString(), QStringLiteral("/media/usb/ohm.lwz"));
    QCOMPARE(json.value(u"user").toString(), QStringLiteral("student"));
    QCOMPARE(json.value(u"started").toString(), QStringLiteral("2026-12-10T10:00:00+03:00"));
    QCOMPARE(json.value(u"written").toString(), QStringLiteral("2026-12-10T10:10:00+03:00"));
    QCOMPARE(json.value(u"finished").toBool(), true);

    const QJsonArray chapters = json.value(u"chapters").toArray();
    QCOMPARE(chapters.size(), 3);
    const QJsonObject theory = chapters.at(0).toObject();
    QCOMPARE(theory.value(u"kind").toString(), QStringLiteral("information"));
    QCOMPARE(theory.value(u"passed").toBool(), true);
    QCOMPARE(theory.value(u"opened").toInt(), 1);
    QCOMPARE(theory.value(u"attempts").toInt(), 0);

    const QJsonObject test = chapters.at(1).toObject();
    QCOMPARE(test.value(u"title").toString(), QStringLiteral("Допуск"));
    QCOMPARE(test.value(u"kind").toString(), QStringLiteral("examination"));
    QCOMPARE(test.value(u"opened").toInt(), 2);
    QCOMPARE(test.value(u"passed").toBool(), true); // a check passes a quiz, whatever the score
    QCOMPARE(test.value(u"attempts").toInt(), 2);
    const QJsonArray checks = test.value(u"checks").toArray();
    QCOMPARE(checks.size(), 2);
    QCOMPARE(checks.at(0).toObject().value(u"right").toInt(), 2);
    QCOMPARE(checks.at(0).toObject().value(u"total").toInt(), 3);
    QCOMPARE(checks.at(0).toObject().value(u"percent").toDouble(), 200.0 / 3.0);
    QCOMPARE(checks.at(0).toObject().value(u"time").toString(), QStringLiteral("2026-12-10T10:05:07+03:00"));
    QCOMPARE(checks.at(1).toObject().value(u"percent").toDouble(), 100.0);

    const QJsonObject report = chapters.at(2).toObject();
    QCOMPARE(report.value(u"opened").toInt(), 0);
    QCOMPARE(report.value(u"passed").toBool(), false);
}

void TestRunReport::pdfOfAPlayedRun()
{
    const DefaultLocale locale(russian());
    PlayedRun run;
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("report.pdf"));
    QString error;
    QVERIFY2(writeRunReportPdf(*run.record, at(10, 10, 0), path, &error), qPrintable(error));
    const QString text = pdfText(path);
    for (const QString &expected : {
             QStringLiteral("Отчёт о выполнении лабораторной работы"),
             QStringLiteral("Закон Ома"),
             QStringLiteral("И. И. Иванов"),
             QStringLiteral("10.12.2026 10:00:00"),
             QStringLiteral("student"),
             QStringLiteral("Теория"),
             QStringLiteral("Допуск"),
             QStringLiteral("2 из 3 (66,67%), 10:05:07"),
             QStringLiteral("3 из 3 (100,00%), 10:09:30"),
             QStringLiteral("не открывался"),
         })
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + text));
    QCOMPARE(text.count(QStringLiteral("пройден")), 2);
}

// A check passes a quiz whatever its score, so the state alone says "пройден" for 0 %: the score
// column shows the last check's figure and, after several, the best.
void TestRunReport::quizScoresBesideTheState_data()
{
    QTest::addColumn<QList<int>>("rights");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("absent");
    QTest::newRow("nominal: one check at nothing right")
        << QList<int> { 0 } << QStringList { QStringLiteral("0,00%") }
        << QStringList { QStringLiteral("последний"), QStringLiteral("лучший") };
    QTest::newRow("nominal: the last check worse than the best")
        << QList<int> { 2, 0 } << QStringList { QStringLiteral("последний: 0,00%"), QStringLiteral("лучший: 66,67%") }
        << QStringList {};
    QTest::newRow("nominal: the last check the best")
        << QList<int> { 1, 3 }
        << QStringList { QStringLiteral("последний: 100,00%"), QStringLiteral("лучший: 100,00%") } << QStringList {};
}

void TestRunReport::quizScoresBesideTheState()
{
    QFETCH(QList<int>, rights);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, absent);
    const DefaultLocale locale(russian());
    QTemporaryDir dir;
    const QString path
        = writeFile(QDir(dir.path()), QStringLiteral("labwork.lbw"), windowsText(QString::fromUtf8(Descriptor)));
    TLabWork labWork(path);
    RunRecord record(labWork, path, at(10, 0, 0), QStringLiteral("student"));
    for (const int right : rights)
        record.checked(1, right, 3, at(10, 5, 0));
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    QString error;
    QVERIFY2(writeRunReportPdf(record, at(10, 10, 0), pdf, &error), qPrintable(error));
    const QString text = pdfText(pdf);
    for (const QString &kind : { QStringLiteral("документ"), QStringLiteral("тест") })
        QVERIFY2(text.contains(kind), qPrintable(kind + QStringLiteral(" not in:\n") + text));
    for (const QString &shown : expected)
        QVERIFY2(text.contains(shown), qPrintable(shown + QStringLiteral(" not in:\n") + text));
    for (const QString &notShown : absent)
        QVERIFY2(!text.contains(notShown), qPrintable(notShown + QStringLiteral(" in:\n") + text));
}

// The digest ties the report to the package played: the same bytes give the same digest on any
// computer, one changed byte another.
void TestRunReport::digestInBothFiles()
{
    PlayedRun run;
    const QString package = writeFile(QDir(run.dir.path()), QStringLiteral("ohm.lwz"), QByteArray("abc"));
    const std::optional<QString> digest = fileSha256(package);
    QVERIFY(digest);
    QCOMPARE(*digest, QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    QCOMPARE(
        runReportToJson(*run.record, at(10, 10, 0), true).value(u"labWork").toObject().value(u"sha256"), QJsonValue());
    run.record->setLabWorkDigest(*digest);
    QCOMPARE(runReportToJson(*run.record, at(10, 10, 0), true).value(u"labWork").toObject().value(u"sha256").toString(),
        *digest);
    const QString pdf = run.dir.filePath(QStringLiteral("report.pdf"));
    QString error;
    QVERIFY2(writeRunReportPdf(*run.record, at(10, 10, 0), pdf, &error), qPrintable(error));
    QVERIFY2(pdfText(pdf).contains(*digest), qPrintable(pdfText(pdf)));
}

// File names are bytes: a package named in another code page reaches the record with each byte
// that is not UTF-8 kept as a lone surrogate. The JSON must stay UTF-8 that a strict parser reads,
// and still name the file exactly.
void TestRunReport::jsonIsUtf8WhateverTheNames_data()
{
    QTest::addColumn<QByteArray>("packageBytes");
    QTest::addColumn<QString>("readable");
    QTest::addColumn<QString>("url");
    QTest::newRow("nominal: a UTF-8 name")
        << QByteArray("/home/s/Закон Ома.lwz") << QStringLiteral("/home/s/Закон Ома.lwz")
        << QStringLiteral("file:///home/s/%D0%97%D0%B0%D0%BA%D0%BE%D0%BD%20%D0%9E%D0%BC%D0%B0.lwz");
    QTest::newRow("robustness: a Windows-1251 name") << QByteArray("/home/s/\xC7\xE0\xEA\xEE\xED.lwz")
                                                     << QStringLiteral("/home/s/\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD.lwz")
                                                     << QStringLiteral("file:///home/s/%C7%E0%EA%EE%ED.lwz");
    QTest::newRow("robustness: a lone byte in a folder's name")
        << QByteArray("/mnt/\xFF/a.lwz") << QStringLiteral("/mnt/\uFFFD/a.lwz")
        << QStringLiteral("file:///mnt/%FF/a.lwz");
}

void TestRunReport::jsonIsUtf8WhateverTheNames()
{
    QFETCH(QByteArray, packageBytes);
    QFETCH(QString, readable);
    QFETCH(QString, url);
    QTemporaryDir dir;
    const QString path
        = writeFile(QDir(dir.path()), QStringLiteral("labwork.lbw"), windowsText(QString::fromUtf8(Descriptor)));
    TLabWork labWork(path);
    const QString package = decodeLocalFileName(packageBytes);
    RunRecord record(labWork, package, at(10, 0, 0), decodeLocalFileName("\xE8\xE2\xE0\xED"));
    const QByteArray bytes = QJsonDocument(runReportToJson(record, at(10, 10, 0), true)).toJson();
    QStringDecoder strict(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = strict.decode(bytes);
    QVERIFY2(!strict.hasError(), bytes.constData());
    QVERIFY(!decoded.contains(QChar(0xDCFF)));
    const QJsonObject json = QJsonDocument::fromJson(bytes).object();
    QCOMPARE(json.value(u"labWork").toObject().value(u"package").toString(), readable);
    QCOMPARE(json.value(u"labWork").toObject().value(u"packageUrl").toString(), url);
    QCOMPARE(QByteArray::fromPercentEncoding(url.toLatin1().mid(7)), packageBytes);
    QCOMPARE(json.value(u"user").toString(), QString(4, QChar::ReplacementCharacter));
}

void TestRunReport::unusableFolders_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTemporaryDir dir;
    QTest::newRow("robustness: no such folder")
        << QStringLiteral("/nonexistent/reports") << QStringLiteral("такой папки нет");
    QTest::newRow("robustness: a file") << QStringLiteral("/etc/hostname") << QStringLiteral("это не папка");
    // Root may write wherever the permissions say no; no one creates files in /proc.
    QTest::newRow("robustness: a folder no one may write in") << QStringLiteral("/proc") << QString();
}

void TestRunReport::unusableFolders()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    QString error;
    QVERIFY(!ReportFolder::open(path, &error));
    QVERIFY(!error.isEmpty());
    if (!reason.isEmpty())
        QCOMPARE(error, reason);
}

void TestRunReport::folderNeverReplacesAnotherRun()
{
    PlayedRun run;
    QTemporaryDir out;
    QString error;
    auto first = ReportFolder::open(out.path(), &error);
    auto second = ReportFolder::open(out.path(), &error);
    QVERIFY(first && second);
    // Two runs of the same user, started in the same second.
    QVERIFY2(first->write(*run.record, at(10, 10, 0), false, &error), qPrintable(error));
    QVERIFY2(second->write(*run.record, at(10, 11, 0), false, &error), qPrintable(error));
    QVERIFY(first->baseName() != second->baseName());
    QVERIFY(
        QFileInfo(first->baseName()).fileName().startsWith(QStringLiteral("Закон_Ома_2026-12-10_10-00-00_student")));
    QCOMPARE(readJson(first->baseName() + QStringLiteral(".json")).value(u"written").toString(),
        QStringLiteral("2026-12-10T10:10:00+03:00"));
    QCOMPARE(readJson(second->baseName() + QStringLiteral(".json")).value(u"written").toString(),
        QStringLiteral("2026-12-10T10:11:00+03:00"));
    QVERIFY(QFileInfo(first->baseName() + QStringLiteral(".pdf")).size() > 0);
    QVERIFY(QFileInfo(second->baseName() + QStringLiteral(".pdf")).size() > 0);
    // Nothing else is left in the folder (the probe of open() included).
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 4);
}

void TestRunReport::folderRewritesItsOwnRun()
{
    PlayedRun run;
    QTemporaryDir out;
    QString error;
    auto folder = ReportFolder::open(out.path(), &error);
    QVERIFY(folder);
    QVERIFY(folder->write(*run.record, at(10, 10, 0), false, &error));
    const QString base = folder->baseName();
    run.record->checked(1, 1, 3, at(10, 12, 0));
    QVERIFY(folder->write(*run.record, at(10, 12, 1), true, &error));
    QCOMPARE(folder->baseName(), base);
    const QJsonObject json = readJson(base + QStringLiteral(".json"));
    QCOMPARE(json.value(u"finished").toBool(), true);
    QCOMPARE(json.value(u"chapters").toArray().at(1).toObject().value(u"attempts").toInt(), 3);
}

QTEST_MAIN(TestRunReport)
#include "tst_runreport.moc"
