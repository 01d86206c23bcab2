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

// A run of a one-quiz lab work, its record, and an empty report folder.
struct Run
{
    QTemporaryDir lab;
    QTemporaryDir reports;
    QString descriptor
        = writeFile(QDir(lab.path()), QStringLiteral("labwork.lbw"), windowsText(QString::fromUtf8(Descriptor)));
    TLabWork labWork { descriptor };
    RunRecord record { labWork, descriptor, at(0), QStringLiteral("student") };
};

} // namespace

class TestReportWriter final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Checks come faster than a report is written: each report posted while another waits
    // replaces it, and the folder ends with the last state, never an earlier one after it.
    void latestStateWins()
    {
        Run run;
        QString error;
        std::optional<ReportFolder> folder = ReportFolder::open(run.reports.path(), &error);
        QVERIFY2(folder, qPrintable(error));
        ReportWriter writer(std::move(*folder));
        for (int check = 1; check <= 20; ++check) {
            run.record.checked(0, check % 4, 3, at(check));
            writer.post(run.record, at(check), check == 20);
        }
        QVERIFY(writer.waitUntilWritten(60s, &error));
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QJsonObject json = onlyJsonIn(run.reports.path());
        QCOMPARE(json.value(u"finished").toBool(), true);
        QCOMPARE(json.value(u"chapters").toArray().at(0).toObject().value(u"attempts").toInt(), 20);
        QCOMPARE(QDir(run.reports.path()).entryList({ QStringLiteral("*.pdf") }, QDir::Files).size(), 1);
    }

    // A write that fails is told once per failure, on the window's thread, and the wait says why.
    void failureIsTold()
    {
        Run run;
        QString error;
        std::optional<ReportFolder> folder = ReportFolder::open(run.reports.path(), &error);
        QVERIFY2(folder, qPrintable(error));
        // No file of this process may grow beyond 1 KiB (root too): the PDF cannot be written.
        const FileSizeLimit small(1024);
        ReportWriter writer(std::move(*folder));
        QStringList told;
        QObject receiver;
        connect(&writer, &ReportWriter::writeFailed, &receiver, [&](const QString &reason) {
            QCOMPARE(QThread::currentThread(), receiver.thread());
            told.append(reason);
        });
        writer.post(run.record, at(1), false);
        QVERIFY(writer.waitUntilWritten(60s, &error));
        QVERIFY(!error.isEmpty());
        QTRY_COMPARE(told, QStringList { error });
    }
};

QTEST_MAIN(TestReportWriter)
#include "tst_reportwriter.moc"
