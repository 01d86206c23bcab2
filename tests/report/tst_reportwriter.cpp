#include "LabWork.h"
#include "ReportFolder.h"
#include "ReportWriter.h"
#include "RunRecord.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <QScopeGuard>

#include <csignal>

#include <sys/resource.h>

using namespace kelvo;
using namespace kelvo::test;
using namespace std::chrono_literals;

namespace {

const QByteArray Descriptor = "[Header]\nTitle=Закон Ома\nAuthor=И. И. Иванов\n"
                              "[Test]\nType=Examination\nTitle=Допуск\nIdentifier=2\nQuestions=3\n";

QDateTime at(int minute)
{
    return QDateTime(QDate(2026, 12, 10), QTime(10, minute), Qt::OffsetFromUTC, 3 * 3600);
}

QJsonObject onlyJsonIn(const QString &folder)
{
    const QStringList names = QDir(folder).entryList({ QStringLiteral("*.json") }, QDir::Files);
    if (names.size() != 1)
        return {};
    QFile file(QDir(folder).filePath(names.first()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

} // namespace

class TestReportWriter final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Checks come faster than a report is written: each report posted while another waits
    // replaces it, and the folder ends with the last state, never an earlier one after it.
    void latestStateWins()
    {
        QTemporaryDir lab;
        QTemporaryDir reports;
        const QString descriptor
            = writeFile(QDir(lab.path()), QStringLiteral("labwork.lbw"), windowsText(QString::fromUtf8(Descriptor)));
        TLabWork labWork(descriptor);
        RunRecord record(labWork, descriptor, at(0), QStringLiteral("student"));
        QString error;
        std::optional<ReportFolder> folder = ReportFolder::open(reports.path(), &error);
        QVERIFY2(folder, qPrintable(error));
        ReportWriter writer(std::move(*folder));
        for (int check = 1; check <= 20; ++check) {
            record.checked(0, check % 4, 3, at(check));
            writer.post(record, at(check), check == 20);
        }
        QVERIFY(writer.waitUntilWritten(60s, &error));
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QJsonObject json = onlyJsonIn(reports.path());
        QCOMPARE(json.value(u"finished").toBool(), true);
        QCOMPARE(json.value(u"chapters").toArray().at(0).toObject().value(u"attempts").toInt(), 20);
        QCOMPARE(QDir(reports.path()).entryList({ QStringLiteral("*.pdf") }, QDir::Files).size(), 1);
    }

    // A write that fails is told once per failure, on the window's thread, and the wait says why.
    void failureIsTold()
    {
        QTemporaryDir lab;
        QTemporaryDir reports;
        const QString descriptor
            = writeFile(QDir(lab.path()), QStringLiteral("labwork.lbw"), windowsText(QString::fromUtf8(Descriptor)));
        TLabWork labWork(descriptor);
        RunRecord record(labWork, descriptor, at(0), QStringLiteral("student"));
        QString error;
        std::optional<ReportFolder> folder = ReportFolder::open(reports.path(), &error);
        QVERIFY2(folder, qPrintable(error));
        // No file of this process may grow beyond 1 KiB (root too): the PDF cannot be written.
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit saved {};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        rlimit small = saved;
        small.rlim_cur = 1024;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        const auto restore = qScopeGuard([&] { ::setrlimit(RLIMIT_FSIZE, &saved); });
        ReportWriter writer(std::move(*folder));
        QStringList told;
        QObject receiver;
        connect(&writer, &ReportWriter::writeFailed, &receiver, [&](const QString &reason) {
            QCOMPARE(QThread::currentThread(), receiver.thread());
            told.append(reason);
        });
        writer.post(record, at(1), false);
        QVERIFY(writer.waitUntilWritten(60s, &error));
        QVERIFY(!error.isEmpty());
        QTRY_COMPARE(told, QStringList { error });
    }
};

QTEST_MAIN(TestReportWriter)
#include "tst_reportwriter.moc"
