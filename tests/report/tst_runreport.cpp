#include "FileDigest.h"
#include "LabWork.h"
#include "LocalFileNames.h"
#include "Localization.h"
#include "ReportFileName.h"
#include "ReportFolder.h"
#include "RunRecord.h"
#include "RunReportDocument.h"
#include "RunReportJson.h"
#include "TestSupport.h"
#include "TextFormat.h"

#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <memory>
#include <optional>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

QByteArray pathBytes(const QString &path)
{
    return QFile::encodeName(path);
}

// The name under which a run of the fixed stem writes first, and the one it takes next.
const QString Stem = QStringLiteral("Lab_2026-12-10_10-00-00_student");

// A shared report folder with the pupil's home beside it: notes, a folder, and no .profile yet.
struct Classroom
{
    QTemporaryDir dir;
    QString reports;
    QString home;

    Classroom()
    {
        reports = dir.filePath(QStringLiteral("reports"));
        home = dir.filePath(QStringLiteral("home"));
        QDir().mkpath(reports);
        writeFile(QDir(home), QStringLiteral("notes.txt"), "the pupil's notes");
        writeFile(QDir(home), QStringLiteral("docs/essay.txt"), "the pupil's essay");
    }

    QString report(const QString &name) const { return QDir(reports).filePath(name); }

    // Every entry under home with its content (a folder's is empty), links not followed.
    QMap<QString, QByteArray> homeContents() const
    {
        QMap<QString, QByteArray> contents;
        QDirIterator it(
            home, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            contents.insert(
                QDir(home).relativeFilePath(info.filePath()), info.isDir() ? QByteArray() : contentOf(info.filePath()));
        }
        return contents;
    }

    QStringList reportEntries() const
    {
        QStringList names
            = QDir(reports).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        names.sort();
        return names;
    }
};

// What is planted at one of the run's names, and what the planted entry is afterwards.
enum class Plant { LinkToHomeFile, DanglingLinkToHome, LinkToHomeFolder, OthersFile };

void plant(const Classroom &room, Plant what, const QString &path)
{
    switch (what) {
    case Plant::LinkToHomeFile:
        QVERIFY(QFile::link(QDir(room.home).filePath(QStringLiteral("notes.txt")), path));
        break;
    case Plant::DanglingLinkToHome:
        QVERIFY(QFile::link(QDir(room.home).filePath(QStringLiteral(".profile")), path));
        break;
    case Plant::LinkToHomeFolder:
        QVERIFY(QFile::link(QDir(room.home).filePath(QStringLiteral("docs")), path));
        break;
    case Plant::OthersFile:
        writeFile(QDir(), path, "another pupil's file");
        // As root the file really is another user's.
        if (::geteuid() == 0)
            QCOMPARE(::chown(pathBytes(path).constData(), 65534, 65534), 0);
        break;
    }
}

// The planted entry is still there as it was planted.
bool plantedIntact(const Classroom &room, Plant what, const QString &path)
{
    const QFileInfo info(path);
    switch (what) {
    case Plant::LinkToHomeFile:
        return info.isSymLink() && info.symLinkTarget() == QDir(room.home).filePath(QStringLiteral("notes.txt"));
    case Plant::DanglingLinkToHome:
        return info.isSymLink() && info.symLinkTarget() == QDir(room.home).filePath(QStringLiteral(".profile"));
    case Plant::LinkToHomeFolder:
        return info.isSymLink() && info.symLinkTarget() == QDir(room.home).filePath(QStringLiteral("docs"));
    case Plant::OthersFile:
        return !info.isSymLink() && contentOf(path) == "another pupil's file";
    }
    return false;
}

struct StatusOf
{
    unsigned mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
};

std::optional<StatusOf> statusOf(const QString &path)
{
    struct stat info
    {
    };
    if (::lstat(pathBytes(path).constData(), &info) != 0)
        return std::nullopt;
    return StatusOf { unsigned(info.st_mode) & 07777u, info.st_uid, info.st_gid };
}

// Runs `action` in a child process as another user (no supplementary groups); its exit status.
int runAsUser(uid_t user, gid_t group, const std::function<bool()> &action)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const bool changed = ::setgroups(0, nullptr) == 0 && ::setresgid(group, group, group) == 0
            && ::setresuid(user, user, user) == 0;
        ::_exit(changed && action() ? 0 : 1);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Runs a command as another user through setpriv; true when it succeeds. Its output is put in
// `output`.
bool runAsUser(uid_t user, gid_t group, const QStringList &command, QByteArray *output = nullptr)
{
    QProcess process;
    process.start(QStringLiteral("setpriv"),
        QStringList { QStringLiteral("--reuid=%1").arg(user), QStringLiteral("--regid=%1").arg(group),
            QStringLiteral("--clear-groups"), QStringLiteral("--") }
            + command);
    if (!process.waitForFinished(30000))
        return false;
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
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
    void longTitlesAreCutInTheTable();
    void jsonIsUtf8WhateverTheNames_data();
    void jsonIsUtf8WhateverTheNames();
    void unusableFolders_data();
    void unusableFolders();
    void folderNeverReplacesAnotherRun();
    void folderRewritesItsOwnRun();
    void fileStems_data();
    void fileStems();
    void plantedEntries_data();
    void plantedEntries();
    void filePermissions_data();
    void filePermissions();
    void fullDiskIsSaid();
    void classroomWithOtherUsers();
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

// A descriptor's value runs to 2047 characters, and a package may hold 255 chapters: the table
// shows a title's start, so that one report stays a few pages; the JSON keeps the whole title.
void TestRunReport::longTitlesAreCutInTheTable()
{
    QTemporaryDir dir;
    const QString title = QString(2040, QChar(u'Ж'));
    const QString path = writeFile(QDir(dir.path()), QStringLiteral("labwork.lbw"),
        windowsText(QStringLiteral("[Header]\nTitle=Long\n[A]\nType=Information\nTitle=") + title
            + QStringLiteral("\nIdentifier=1\nDocument=a.htm\n")));
    TLabWork labWork(path);
    RunRecord record(labWork, path, at(10, 0, 0), QStringLiteral("student"));
    QCOMPARE(record.chapters().at(0).title, title);
    const QString html = runReportHtml(record, at(10, 10, 0));
    QVERIFY(!html.contains(title));
    QVERIFY(html.contains(title.left(199) + QChar(0x2026)));
    QCOMPARE(runReportToJson(record, at(10, 10, 0), true)
                 .value(u"chapters")
                 .toArray()
                 .at(0)
                 .toObject()
                 .value(u"title")
                 .toString(),
        title);
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
    QTest::newRow("nominal: a character beyond the basic plane stays whole")
        << QByteArray("/home/s/\xF0\x9F\x94\x8C.lwz") << QStringLiteral("/home/s/\U0001F50C.lwz")
        << QStringLiteral("file:///home/s/%F0%9F%94%8C.lwz");
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
    // Qt's writer would give a lone surrogate as the escape "\udcc7", which strict readers refuse
    // (a lone surrogate is no character); a pair is written as its UTF-8 bytes.
    static const QRegularExpression surrogateEscape(QStringLiteral("\\\\u[dD][89a-fA-F][0-9a-fA-F]{2}"));
    QVERIFY2(!surrogateEscape.match(decoded).hasMatch(), bytes.constData());
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
    const QString stem = reportFileStem(*run.record);
    QCOMPARE(stem, QStringLiteral("Закон_Ома_2026-12-10_10-00-00_student"));
    QVERIFY2(first->write(stem, "first json", "first pdf", &error), qPrintable(error));
    QVERIFY2(second->write(stem, "second json", "second pdf", &error), qPrintable(error));
    QCOMPARE(first->baseName(), QDir(out.path()).filePath(stem));
    QCOMPARE(second->baseName(), QDir(out.path()).filePath(stem + QStringLiteral("-2")));
    QCOMPARE(contentOf(first->baseName() + QStringLiteral(".json")), QByteArray("first json"));
    QCOMPARE(contentOf(first->baseName() + QStringLiteral(".pdf")), QByteArray("first pdf"));
    QCOMPARE(contentOf(second->baseName() + QStringLiteral(".json")), QByteArray("second json"));
    QCOMPARE(contentOf(second->baseName() + QStringLiteral(".pdf")), QByteArray("second pdf"));
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
    const QString stem = reportFileStem(*run.record);
    const QByteArray first = QJsonDocument(runReportToJson(*run.record, at(10, 10, 0), false)).toJson();
    QVERIFY2(folder->write(stem, first, runReportPdf(*run.record, at(10, 10, 0)), &error), qPrintable(error));
    const QString base = folder->baseName();
    run.record->checked(1, 1, 3, at(10, 12, 0));
    const QByteArray json = QJsonDocument(runReportToJson(*run.record, at(10, 12, 1), true)).toJson();
    QVERIFY2(folder->write(stem, json, runReportPdf(*run.record, at(10, 12, 1)), &error), qPrintable(error));
    QCOMPARE(folder->baseName(), base);
    const QJsonObject written = readJson(base + QStringLiteral(".json"));
    QCOMPARE(written.value(u"finished").toBool(), true);
    QCOMPARE(written.value(u"chapters").toArray().at(1).toObject().value(u"attempts").toInt(), 3);
    QVERIFY(pdfText(base + QStringLiteral(".pdf")).contains(QStringLiteral("1 из 3")));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestRunReport::fileStems_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("stem");
    QTest::newRow("nominal: letters of any script") << QStringLiteral("Закон Ома") << QStringLiteral("student")
                                                    << QStringLiteral("Закон_Ома_2026-12-10_10-00-00_student");
    QTest::newRow("attack: a title naming another folder") << QStringLiteral("../../home/x") << QStringLiteral("a/b")
                                                           << QStringLiteral("_.._home_x_2026-12-10_10-00-00_a_b");
    QTest::newRow("attack: a hidden file's name")
        << QStringLiteral("..profile") << QStringLiteral(".") << QStringLiteral("profile_2026-12-10_10-00-00_labwork");
    QTest::newRow("robustness: no title names the package")
        << QStringLiteral("  ") << QStringLiteral("student") << QStringLiteral("ohm_2026-12-10_10-00-00_student");
}

void TestRunReport::fileStems()
{
    QFETCH(QString, title);
    QFETCH(QString, user);
    QFETCH(QString, stem);
    QTemporaryDir dir;
    QString descriptor = QString::fromUtf8(Descriptor);
    descriptor.replace(QStringLiteral("Title=Закон Ома"), QStringLiteral("Title=") + title);
    const QString path = writeFile(QDir(dir.path()), QStringLiteral("labwork.lbw"), windowsText(descriptor));
    const TLabWork labWork(path);
    const RunRecord record(labWork, QStringLiteral("/media/usb/ohm.lwz"), at(10, 0, 0), user);
    QCOMPARE(reportFileStem(record), stem);
}

// Another pupil plants an entry at one of the run's names: before the first write, where the
// coming files will go, or after it, in place of the run's files. The run writes nothing through
// it and leaves it alone, nothing changes outside the folder, and the report is written in full
// under the next free name. The controls write through the name as a follower of links does.
void TestRunReport::plantedEntries_data()
{
    QTest::addColumn<Plant>("what");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("afterFirstWrite");
    QTest::addColumn<bool>("followingControl");
    const struct
    {
        const char *label;
        Plant what;
    } plants[] = {
        { "a link to a file at home", Plant::LinkToHomeFile },
        { "a dangling link to home", Plant::DanglingLinkToHome },
        { "a link to a folder at home", Plant::LinkToHomeFolder },
        { "another pupil's file", Plant::OthersFile },
    };
    for (const bool after : { false, true }) {
        for (const auto &plant : plants) {
            for (const QString &suffix : { QStringLiteral(".json"), QStringLiteral(".pdf") }) {
                const QString when
                    = after ? QStringLiteral("in place of the run's ") : QStringLiteral("at the coming ");
                QTest::newRow(
                    qPrintable(QStringLiteral("attack: ") + QString::fromLatin1(plant.label) + u' ' + when + suffix))
                    << plant.what << suffix << after << false;
            }
        }
    }
    QTest::newRow("control: a write following the link changes the home file")
        << Plant::LinkToHomeFile << QStringLiteral(".pdf") << true << true;
    QTest::newRow("control: a write following the dangling link creates a file at home")
        << Plant::DanglingLinkToHome << QStringLiteral(".json") << false << true;
}

void TestRunReport::plantedEntries()
{
    QFETCH(Plant, what);
    QFETCH(QString, suffix);
    QFETCH(bool, afterFirstWrite);
    QFETCH(bool, followingControl);
    const Classroom room;
    const QMap<QString, QByteArray> home = room.homeContents();
    QString error;
    auto folder = ReportFolder::open(room.reports, &error);
    QVERIFY2(folder, qPrintable(error));
    const QString planted = room.report(Stem + suffix);
    if (afterFirstWrite) {
        QVERIFY2(folder->write(Stem, "json 1", "pdf 1", &error), qPrintable(error));
        QCOMPARE(folder->baseName(), room.report(Stem));
        QVERIFY(QFile::remove(planted));
    }
    plant(room, what, planted);
    if (QTest::currentTestFailed())
        return;

    if (followingControl) {
        QSaveFile file(planted);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("through the link");
        QVERIFY(file.commit());
        QVERIFY(room.homeContents() != home);
        return;
    }

    QVERIFY2(folder->write(Stem, "json 2", "pdf 2", &error), qPrintable(error));
    QCOMPARE(room.homeContents(), home);
    QVERIFY(plantedIntact(room, what, planted));
    const QString next = Stem + QStringLiteral("-2");
    QCOMPARE(folder->baseName(), room.report(next));
    QCOMPARE(contentOf(room.report(next + QStringLiteral(".json"))), QByteArray("json 2"));
    QCOMPARE(contentOf(room.report(next + QStringLiteral(".pdf"))), QByteArray("pdf 2"));
    // The planted entry and the run's two files; nothing of the run is left under the first name.
    QStringList expected { next + QStringLiteral(".json"), next + QStringLiteral(".pdf"), Stem + suffix };
    expected.sort();
    QCOMPARE(room.reportEntries(), expected);

    // The next write goes on under the new name.
    QVERIFY2(folder->write(Stem, "json 3", "pdf 3", &error), qPrintable(error));
    QCOMPARE(folder->baseName(), room.report(next));
    QCOMPARE(contentOf(room.report(next + QStringLiteral(".json"))), QByteArray("json 3"));
    QCOMPARE(room.reportEntries(), expected);
    QCOMPARE(room.homeContents(), home);
}

// Only the owner reads a report, and in a set-group-ID folder the folder's group (the teacher's):
// the umask neither takes that away nor opens the file to others.
void TestRunReport::filePermissions_data()
{
    QTest::addColumn<bool>("setGroupId");
    QTest::addColumn<uint>("mask");
    QTest::addColumn<uint>("mode");
    QTest::newRow("nominal: usual umask") << false << 022u << 0600u;
    QTest::newRow("attack: an empty umask opens nothing") << false << 0u << 0600u;
    QTest::newRow("nominal: set-group-ID folder") << true << 022u << 0640u;
    QTest::newRow("attack: set-group-ID folder, empty umask") << true << 0u << 0640u;
    QTest::newRow("robustness: set-group-ID folder, umask 077 keeps the group's read") << true << 077u << 0640u;
}

void TestRunReport::filePermissions()
{
    QFETCH(bool, setGroupId);
    QFETCH(uint, mask);
    QFETCH(uint, mode);
    const Classroom room;
    if (setGroupId)
        QCOMPARE(::chmod(pathBytes(room.reports).constData(), 02777), 0);
    const Umask umask(mask);
    QString error;
    auto folder = ReportFolder::open(room.reports, &error);
    QVERIFY2(folder, qPrintable(error));
    for (const QByteArray &round : { QByteArray("1"), QByteArray("2") }) {
        QVERIFY2(folder->write(Stem, "json " + round, "pdf " + round, &error), qPrintable(error));
        for (const QString &suffix : { QStringLiteral(".json"), QStringLiteral(".pdf") }) {
            const auto status = statusOf(folder->baseName() + suffix);
            QVERIFY(status);
            QCOMPARE(status->mode, mode);
        }
    }
}

// A write that finds no room (here the limit on file sizes, which fails a write as a full disk
// does) says so, leaves no temporary file and keeps what was written before.
void TestRunReport::fullDiskIsSaid()
{
    const Classroom room;
    QString error;
    auto folder = ReportFolder::open(room.reports, &error);
    QVERIFY2(folder, qPrintable(error));
    QVERIFY2(folder->write(Stem, "json 1", "pdf 1", &error), qPrintable(error));
    const QStringList written = room.reportEntries();

    std::optional<FileSizeLimit> small(std::in_place, 1024);
    const bool fullJson = folder->write(Stem, QByteArray(4096, 'j'), "pdf 2", &error);
    const QString jsonError = error;
    const bool fullPdf = folder->write(Stem, "json 3", QByteArray(4096, 'p'), &error);
    const QString pdfError = error;
    // The same for a PDF saved where the student chose: the file saved before stays whole.
    const PlayedRun run;
    const QString saved = writeFile(QDir(room.home), QStringLiteral("saved.pdf"), "saved before");
    const bool fullSave = writeRunReportPdf(*run.record, at(10, 10, 0), saved, &error);
    const QString saveError = error;
    small.reset();

    QVERIFY(!fullJson);
    QCOMPARE(jsonError, Texts::ReportDiskFull);
    QVERIFY(!fullPdf);
    QCOMPARE(pdfError, Texts::ReportDiskFull);
    QCOMPARE(format(Texts::ReportWriteFailed, { room.reports, pdfError }),
        QStringLiteral("Не удалось записать отчёт в папку \"%1\": на диске не осталось места").arg(room.reports));
    QCOMPARE(room.reportEntries(), written);
    QCOMPARE(contentOf(folder->baseName() + QStringLiteral(".pdf")), QByteArray("pdf 1"));
    QVERIFY(!fullSave);
    QCOMPARE(saveError, Texts::ReportDiskFull);
    QCOMPARE(contentOf(saved), QByteArray("saved before"));
    QCOMPARE(QDir(room.home).entryList({ QStringLiteral("saved.pdf*") }, QDir::Files | QDir::Hidden).size(), 1);

    // With room again the same folder takes the report.
    QVERIFY2(folder->write(Stem, QByteArray(4096, 'j'), "pdf 4", &error), qPrintable(error));
    QCOMPARE(contentOf(folder->baseName() + QStringLiteral(".pdf")), QByteArray("pdf 4"));
    QCOMPARE(room.reportEntries(), written);
}

// The classroom set-up of docs/run-report.md, played with real users: a folder of the teacher's,
// mode 3733 (set-group-ID, sticky, others may write and search but not list). A pupil's run
// writes its report; another pupil can neither list the folder nor read nor remove the report;
// the teacher lists and reads it. Without the set-group-ID bit (1733) the teacher cannot read it.
void TestRunReport::classroomWithOtherUsers()
{
    if (::geteuid() != 0)
        QSKIP("only root can act as a teacher and two pupils; run as root to play the classroom");
    constexpr uid_t Teacher = 4242;
    constexpr uid_t Pupil = 4343;
    constexpr uid_t OtherPupil = 65534;
    const Classroom room;
    QCOMPARE(::chmod(pathBytes(room.dir.path()).constData(), 0711), 0);
    const QByteArray reports = pathBytes(room.reports);
    const QString report = room.report(Stem + QStringLiteral(".json"));

    for (const mode_t folderMode : { mode_t(03733), mode_t(01733) }) {
        QDir(room.reports).removeRecursively();
        QVERIFY(QDir().mkdir(room.reports));
        QCOMPARE(::chown(reports.constData(), Teacher, Teacher), 0);
        QCOMPARE(::chmod(reports.constData(), folderMode), 0);

        // The pupil's run, with a umask that would let everyone read.
        const int pupilRun = runAsUser(Pupil, Pupil, [&] {
            ::umask(0);
            QString error;
            auto folder = ReportFolder::open(room.reports, &error);
            return folder && folder->write(Stem, "pupil's json 1", "pupil's pdf 1", &error)
                && folder->write(Stem, "pupil's json 2", "pupil's pdf 2", &error);
        });
        QCOMPARE(pupilRun, 0);
        const auto status = statusOf(report);
        QVERIFY(status);
        QCOMPARE(status->owner, Pupil);
        QCOMPARE(contentOf(report), QByteArray("pupil's json 2"));

        // Another pupil: no listing, no reading, no removing.
        QVERIFY(!runAsUser(OtherPupil, OtherPupil, { QStringLiteral("ls"), room.reports }));
        QVERIFY(!runAsUser(OtherPupil, OtherPupil, { QStringLiteral("cat"), report }));
        QVERIFY(!runAsUser(OtherPupil, OtherPupil, { QStringLiteral("rm"), QStringLiteral("-f"), report }));
        QVERIFY(QFileInfo::exists(report));
        // Yet another pupil's drop works beside it.
        QVERIFY(runAsUser(OtherPupil, OtherPupil,
            { QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("echo mine > \"$0\""),
                room.report(QStringLiteral("other.json")) }));

        // The teacher lists the folder; reads the report only in the set-group-ID folder.
        QByteArray listing;
        QVERIFY(runAsUser(Teacher, Teacher, { QStringLiteral("ls"), room.reports }, &listing));
        QVERIFY(listing.contains(pathBytes(Stem + QStringLiteral(".pdf"))));
        QByteArray read;
        const bool teacherReads = runAsUser(Teacher, Teacher, { QStringLiteral("cat"), report }, &read);
        if (folderMode & S_ISGID) {
            QCOMPARE(status->group, Teacher);
            QCOMPARE(status->mode, 0640u);
            QVERIFY(teacherReads);
            QCOMPARE(read, QByteArray("pupil's json 2"));
        } else {
            // The file takes the pupil's group; mode 0600 leaves the teacher out.
            QCOMPARE(status->group, Pupil);
            QCOMPARE(status->mode, 0600u);
            QVERIFY(!teacherReads);
        }
    }
}

QTEST_MAIN(TestRunReport)
#include "tst_runreport.moc"
