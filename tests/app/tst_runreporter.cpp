#include "Globals.h"
#include "HtmlPage.h"
#include "LabWork.h"
#include "MainForm.h"
#include "ResultsDlg.h"
#include "RunReporter.h"
#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace kelvo;
using namespace kelvo::test;

namespace {

const QByteArray Descriptor = "[Header]\nTitle=Lab\nAuthor=A. Author\n"
                              "[Doc]\nType=Information\nTitle=Theory\nIdentifier=1\nDocument=doc.htm\n"
                              "[Quiz]\nType=Examination\nTitle=Test\nIdentifier=2\nQuestions=4\n";

// Closes every modal dialog that comes up (the results dialog after a check) with OK.
void closeModalDialogs(QObject *owner)
{
    auto *timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, [] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            dialog->accept();
    });
    timer->start(20);
}

QJsonObject onlyJsonIn(const QString &folder)
{
    const QStringList names = QDir(folder).entryList({ QStringLiteral("*.json") }, QDir::Files);
    if (names.size() != 1)
        return {};
    QFile file(QDir(folder).filePath(names.first()));
    file.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(file.readAll()).object();
}

} // namespace

class TestRunReporter final : public QObject
{
    Q_OBJECT

private:
    QString m_startDirectory = QDir::currentPath();

private Q_SLOTS:
    void cleanup()
    {
        MainForm = nullptr;
        QDir::setCurrent(m_startDirectory);
    }

    // What was checked is in the folder as soon as it was checked: a program killed afterwards
    // loses nothing of it. The end of the run writes the files once more, marked finished.
    void reportFolderHoldsEveryCheckAtOnce()
    {
        QTemporaryDir lab;
        QTemporaryDir reports;
        const QString path = writeFile(QDir(lab.path()), QStringLiteral("labwork.lbw"), Descriptor);
        TMainForm form(QStringList { path });
        QVERIFY(!form.StartupFailed());
        MainForm = &form;
        TResultsDlg results(&form);
        form.setResultsDialog(&results);
        QString error;
        auto folder = ReportFolder::open(reports.path(), &error);
        QVERIFY(folder);
        auto *reporter = new TRunReporter(form, path, std::move(folder));
        closeModalDialogs(&form);

        QVERIFY(QDir(reports.path()).entryList(QDir::Files).isEmpty());
        form.LabWork()->SelectChapter(1);
        form.ViewFormSubmit(QStringLiteral(":quest"), {}, {}, {}, { QStringLiteral("q1=a") });
        QJsonObject json = onlyJsonIn(reports.path());
        QCOMPARE(json.value(u"finished").toBool(), false);
        const QJsonObject quiz = json.value(u"chapters").toArray().at(1).toObject();
        QCOMPARE(quiz.value(u"attempts").toInt(), 1);
        QCOMPARE(quiz.value(u"checks").toArray().at(0).toObject().value(u"total").toInt(), 4);
        QCOMPARE(quiz.value(u"passed").toBool(), true);
        QCOMPARE(QDir(reports.path()).entryList({ QStringLiteral("*.pdf") }, QDir::Files).size(), 1);

        // The quiz's return button counts nothing and writes nothing new.
        form.LabWork()->SelectChapter(1);
        form.ViewFormSubmit(QStringLiteral(":return"), {}, {}, {}, {});
        QCOMPARE(
            onlyJsonIn(reports.path()).value(u"chapters").toArray().at(1).toObject().value(u"attempts").toInt(), 1);

        form.LabWork()->SelectChapter(0);
        form.ViewFormSubmit(QStringLiteral("?system"), {}, {}, {}, {});
        QCOMPARE(
            onlyJsonIn(reports.path()).value(u"chapters").toArray().at(0).toObject().value(u"passed").toBool(), true);

        reporter->finish();
        json = onlyJsonIn(reports.path());
        QCOMPARE(json.value(u"finished").toBool(), true);
        QCOMPARE(QDir(reports.path()).entryList(QDir::Files).size(), 2);
    }

    // Ctrl+S on the menu page asks where to save the report; on another page the key does nothing.
    void saveKeyWorksOnTheMenuPageOnly_data()
    {
        QTest::addColumn<bool>("onMenu");
        QTest::newRow("nominal: the menu page") << true;
        QTest::newRow("nominal: the HTML page keeps its keys") << false;
    }

    void saveKeyWorksOnTheMenuPageOnly()
    {
        QFETCH(bool, onMenu);
        QTemporaryDir lab;
        const QString path = writeFile(QDir(lab.path()), QStringLiteral("labwork.lbw"), Descriptor);
        TMainForm form(QStringList { path });
        QVERIFY(!form.StartupFailed());
        new TRunReporter(form, path, std::nullopt);
        QCOMPARE(form.tsMenu->contextMenuPolicy(), Qt::ActionsContextMenu);
        QCOMPARE(form.tsMenu->actions().size(), 2);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        if (!onMenu)
            form.Pages->setCurrentWidget(form.tsHTML);

        bool asked = false;
        QTimer::singleShot(300, &form, [&asked] {
            if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                asked = true;
                dialog->reject();
            }
        });
        QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
        QTest::qWait(500);
        QCOMPARE(asked, onMenu);
    }
};

QTEST_MAIN(TestRunReporter)
#include "tst_runreporter.moc"
