// The main window with a document that takes the engine's page process down (a crash, or the
// process killed): the student gets a message that names the document and is back on the menu,
// with every chapter passed and every attempt counted as before, and can open the chapter again.

#include "../ui/ViewerTestSupport.h"
#include "../ui/WebEngineTestMain.h"
#include "Globals.h"
#include "HtmlPage.h"
#include "HtmlViewer.h"
#include "LabWork.h"
#include "Localization.h"
#include "MainForm.h"
#include "MainFormTestSupport.h"
#include "MyBitBtn.h"
#include "TaskChapter.h"
#include "TestSupport.h"
#include "TextFormat.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <csignal>
#include <memory>

using namespace kelvo::test;

namespace {

struct MessageSeen
{
    QString caption;
    QString text;
    bool seen = false;
};

// Answers the next modal message box with OK and remembers what it said.
std::shared_ptr<MessageSeen> answerNextMessageBox()
{
    auto seen = std::make_shared<MessageSeen>();
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [seen, timer] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            seen->caption = box->windowTitle();
            seen->text = box->text();
            seen->seen = true;
            box->accept();
            timer->deleteLater();
        }
    });
    timer->start(20);
    return seen;
}

} // namespace

class TestHostileDocumentsWindow final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void deadPageProcessLeadsBackToTheMenu_data();
    void deadPageProcessLeadsBackToTheMenu();
    void menuButtonLeavesAnyDocument();

private:
    bool openChapter(int index);

    QTemporaryDir m_dir;
    QString m_startDirectory = QDir::currentPath();
    std::unique_ptr<TMainForm> m_form;
};

void TestHostileDocumentsWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QDir lab(m_dir.path());
    writeFile(lab, QStringLiteral("intro.htm"),
        "<html><body><p id=\"intro\">Intro</p><a id=\"link\" href=\"more.htm\">more</a></body></html>");
    writeFile(lab, QStringLiteral("more.htm"), "<html><body><p id=\"more\">More</p></body></html>");
    writeFile(lab, QStringLiteral("c002.q001.range.q"),
        "header\r\n<!--END-->\r\nQuestion <input name=\"a\">\r\n"
        "<!--END-->\r\na=1\r\n");
    const QString descriptor = writeFile(lab, QStringLiteral("labwork.lbw"),
        "[Header]\r\nTitle=Lab\r\n[intro]\r\nType=Information\r\nTitle=Intro\r\nIdentifier=1\r\n"
        "Document=intro.htm\r\n[quiz]\r\nType=Examination\r\nTitle=Quiz\r\nIdentifier=2\r\nQuestions=1\r\n"
        "[other]\r\nType=Information\r\nTitle=Other\r\nIdentifier=3\r\nDocument=more.htm\r\n");
    QVERIFY(kelvo::test::showMainForm(m_form, descriptor));
}

void TestHostileDocumentsWindow::cleanupTestCase()
{
    kelvo::test::closeMainForm(m_form);
    QDir::setCurrent(m_startDirectory);
}

bool TestHostileDocumentsWindow::openChapter(int index)
{
    return kelvo::test::openChapterByButton(*m_form, index);
}

void TestHostileDocumentsWindow::deadPageProcessLeadsBackToTheMenu_data()
{
    QTest::addColumn<int>("chapter");
    QTest::addColumn<bool>("followLink");
    QTest::addColumn<QString>("named");
    QTest::addColumn<QString>("probe");

    QTest::newRow("robustness: an information chapter's document")
        << 0 << false << QStringLiteral("intro.htm") << QStringLiteral("intro");
    QTest::newRow("robustness: a page that a link led to")
        << 0 << true << QStringLiteral("more.htm") << QStringLiteral("intro");
    QTest::newRow("robustness: a quiz") << 1 << false << QStringLiteral("Quiz") << QStringLiteral("submit_button");
}

void TestHostileDocumentsWindow::deadPageProcessLeadsBackToTheMenu()
{
    QFETCH(int, chapter);
    QFETCH(bool, followLink);
    QFETCH(QString, named);
    QFETCH(QString, probe);

    TLabWork *lab = m_form->LabWork();
    lab->Chapters().Items(2)->Passed = true;
    auto *quiz = dynamic_cast<TTaskChapter *>(lab->Chapters().Items(1));
    QVERIFY(quiz);
    quiz->AttemptCount = 3;

    // The student opened the chapter from its button, with the keyboard.
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    TMyBitBtn *button = m_form->MenuButtons[size_t(chapter)];
    button->setFocus(Qt::TabFocusReason);
    QVERIFY(openChapter(chapter));
    THtmlViewer *viewer = m_form->Viewer;
    if (followLink) {
        QSignalSpy finished(viewer, &THtmlViewer::loadFinished);
        const QVariantList at = evaluateScript(viewer,
            QStringLiteral("(() => { const r = document.getElementById('link').getBoundingClientRect();"
                           " return [r.left + 2, r.top + 2]; })()"))
                                    .toList();
        QCOMPARE(at.size(), 2);
        QTest::mouseClick(viewer->view()->focusProxy(), Qt::LeftButton, {},
            QPoint(qRound(at[0].toDouble()), qRound(at[1].toDouble())));
        QVERIFY(finished.wait(10000));
    }
    const qint64 pid = viewer->page()->renderProcessPid();
    QVERIFY(pid > 0);

    const auto message = answerNextMessageBox();
    QVERIFY(::kill(pid_t(pid), SIGKILL) == 0);
    QTRY_VERIFY_WITH_TIMEOUT(message->seen, 20000);
    QCOMPARE(message->caption, Texts::ApplicationTitle);
    QVERIFY2(message->text.contains(QLatin1Char('"') + named + QLatin1Char('"')), qPrintable(message->text));
    QCOMPARE(m_form->Pages->currentWidget(), m_form->tsMenu);
    // The keyboard is back on the chapter's button, as after any way back to the menu: Return
    // opens the chapter again. (The window's focus, which comes back with the window once the
    // message has gone.)
    QCOMPARE(m_form->focusWidget(), button);
    // Nothing of the student's work is lost.
    QVERIFY(lab->Chapters().Items(2)->Passed);
    QVERIFY(!lab->Chapters().Items(chapter)->Passed);
    QCOMPARE(quiz->AttemptCount, 3);

    // The chapter opens again, in a new process.
    QVERIFY(openChapter(chapter));
    QTRY_VERIFY(evaluateScript(viewer, QStringLiteral("document.getElementById('%1') !== null").arg(probe)).toBool());
    QVERIFY(viewer->page()->renderProcessPid() > 0);
    QVERIFY(viewer->page()->renderProcessPid() != pid);
    m_form->ShowMenu();
}

void TestHostileDocumentsWindow::menuButtonLeavesAnyDocument()
{
    // A document whose read button is gone: the bar's menu button still leads out, and the
    // chapter stays unread.
    writeFile(QDir(m_dir.path()), QStringLiteral("intro.htm"),
        "<html><head><style>form { display: none }</style></head><body><p id=\"intro\">Intro</p></body></html>");
    QVERIFY(openChapter(0));
    QVERIFY(m_form->tsHTML->btMenu->isVisible());
    QTest::mouseClick(m_form->tsHTML->btMenu, Qt::LeftButton);
    QCOMPARE(m_form->Pages->currentWidget(), m_form->tsMenu);
    QVERIFY(!m_form->LabWork()->Chapters().Items(0)->Passed);
}

KELVO_WEBENGINE_TEST_MAIN(TestHostileDocumentsWindow)

#include "tst_hostile_documents_window_web.moc"
