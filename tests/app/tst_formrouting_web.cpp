// Where a form submitted on the HTML page leads: by the kind of the current chapter and the
// form's action, whether the chapter passes, whether the results dialog shows (and with what
// score), and which page comes next. The forms are the ones the program writes into its pages
// (and one of the document's own), submitted in the web engine as a student's click does.

#include "../ui/ViewerTestSupport.h"
#include "../ui/WebEngineTestMain.h"
#include "BitButton.h"
#include "Globals.h"
#include "HtmlPage.h"
#include "LabPage.h"
#include "LabWork.h"
#include "MainForm.h"
#include "ResultsDlg.h"
#include "TaskChapter.h"
#include "TestSupport.h"

#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>

using namespace kelvo::test;
using namespace Qt::StringLiterals;

namespace {

// The chapters of the fixture, in menu order. The instructions of the bench are locked until
// the quiz is passed. The reviewed quiz comes back marked after a check; its first question leaves
// a form of its own open.
enum Chapter { Intro, Quiz, Bench, Instructions, ReviewedQuiz };
enum Next { Menu, Html, Lab };

const QByteArray Descriptor = "[Header]\nTitle=Lab\n"
                              "[intro]\nType=Information\nTitle=Intro\nIdentifier=1\nDocument=intro.htm\n"
                              "[quiz]\nType=Examination\nTitle=Quiz\nIdentifier=3\nQuestions=2\n"
                              "[bench]\nType=Experiment\nTitle=Bench\nIdentifier=4\nSchemaFile=bench.ini\n"
                              "LinkedChapter=5\nRequiredChapters=1\n"
                              "[howto]\nType=Information\nTitle=How to\nIdentifier=5\nDocument=howto.htm\n"
                              "RequiredChapters=3\n"
                              "[reviewed]\nType=Examination\nTitle=Reviewed\nIdentifier=6\nQuestions=2\nReview=1\n";

// What the results dialog showed, when it showed.
struct ResultsSeen
{
    bool shown = false;
    QString total;
    QString right;
};

} // namespace

class TestFormRouting final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_descriptor;
    QString m_startDirectory = QDir::currentPath();
    std::unique_ptr<TMainForm> m_form;
    std::unique_ptr<TResultsDlg> m_results;

    bool openChapter(int index);
    bool openFromBench();
    bool documentShown();
    bool reviewShown();
    bool checkReviewedQuiz();
    bool submit(const QString &formSelector, const QStringList &checked);
    std::shared_ptr<ResultsSeen> closeResultsWhenShown();
    int nextPage() const;

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void routing_data();
    void routing();
    void instructionsOpenALockedChapter();
    void submissionWhileAnExperimentIsCurrent();
    void reviewReturnButtonLeadsToTheMenu();
    void submissionWhileTheReviewIsShown_data();
    void submissionWhileTheReviewIsShown();
};

void TestFormRouting::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QDir lab(m_dir.path());
    m_descriptor = writeFile(lab, u"labwork.lbw"_s, Descriptor);
    writeFile(lab, u"intro.htm"_s,
        "<html><body><p>Intro</p><form action=\"notes.htm\"><input type=\"submit\" id=\"own\" value=\"Own\"></form>"
        "</body></html>");
    writeFile(lab, u"howto.htm"_s, "<html><body><p>How to</p></body></html>");
    // Two questions, one radio group each; "b" is right in both.
    for (const QByteArray &q : { QByteArray("1"), QByteArray("2") })
        writeFile(lab, u"c003.q00%1.vA.q"_s.arg(QString::fromLatin1(q)),
            "<p>Q" + q + "</p><input type=radio name=q" + q + " value=a><input type=radio name=q" + q
                + " value=b>\n<!--END-->\nq" + q + "=b\n");
    writeFile(lab, u"c006.q001.vA.q"_s,
        "<p>R1</p><form action=\":quest\"><input type=radio name=r1 value=a><input type=radio name=r1 value=b>\n"
        "<!--END-->\nr1=b\n");
    writeFile(lab, u"c006.q002.vA.q"_s,
        "<p>R2</p><input type=radio name=r2 value=a><input type=radio name=r2 value=b>\n<!--END-->\nr2=b\n");
    QImage picture(200, 100, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QVERIFY(picture.save(lab.filePath(u"bench.png"_s)));
    writeFile(lab, u"bench.ini"_s, "[SchemaHeader]\nImageFile=bench.png\nTitle=Bench schema\n");
}

void TestFormRouting::init()
{
    m_form = std::make_unique<TMainForm>(QStringList { m_descriptor });
    QVERIFY(!m_form->StartupFailed());
    MainForm = m_form.get();
    m_results = std::make_unique<TResultsDlg>(m_form.get());
    m_form->setResultsDialog(m_results.get());
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestFormRouting::cleanup()
{
    m_results.reset();
    MainForm = nullptr;
    m_form.reset();
    QDir::setCurrent(m_startDirectory);
}

// Opens a chapter as its menu button does and waits until its document has loaded.
bool TestFormRouting::openChapter(int index)
{
    QSignalSpy loaded(m_form->Viewer, &THtmlViewer::loadFinished);
    m_form->LabWork()->SelectChapter(index);
    m_form->OpenCurrentChapter();
    return m_form->Pages->currentWidget() == m_form->tsHTML && (!loaded.isEmpty() || loaded.wait(20000))
        && documentShown();
}

// Opens the bench and, from it, its instructions with "Указания...".
bool TestFormRouting::openFromBench()
{
    m_form->LabWork()->SelectChapter(Bench);
    m_form->OpenCurrentChapter();
    if (m_form->Pages->currentWidget() != m_form->tsLab || !m_form->labPage()->btInfo->isEnabled())
        return false;
    QSignalSpy loaded(m_form->Viewer, &THtmlViewer::loadFinished);
    QTest::mouseClick(m_form->labPage()->btInfo, Qt::LeftButton);
    return m_form->Pages->currentWidget() == m_form->tsHTML && (!loaded.isEmpty() || loaded.wait(20000))
        && documentShown();
}

// Whether the chapter's document (every one here has a form) is the page shown. The end of the
// empty page that the engine starts with can be the load that the spies above saw first, when the
// engine's warm-up was still under way as the chapter opened.
bool TestFormRouting::documentShown()
{
    return QTest::qWaitFor(
        [this] {
            return evaluateScript(m_form->Viewer, u"document.readyState === 'complete' && document.forms.length > 0"_s)
                .toBool();
        },
        20000);
}

// Whether the review of a checked quiz is the page shown: its questions marked, no check button.
bool TestFormRouting::reviewShown()
{
    return QTest::qWaitFor(
        [this] {
            return evaluateScript(m_form->Viewer,
                u"document.readyState === 'complete' && !!document.querySelector('div.review_right, div.review_wrong')"
                " && !document.getElementById('submit_button')"_s)
                .toBool();
        },
        20000);
}

// Opens the reviewed quiz, checks it with both answers right and waits for its review.
bool TestFormRouting::checkReviewedQuiz()
{
    if (!openChapter(ReviewedQuiz))
        return false;
    const std::shared_ptr<ResultsSeen> results = closeResultsWhenShown();
    return submit(u"form[action=\":quest\"]"_s, { u"r1=b"_s, u"r2=b"_s })
        && QTest::qWaitFor([&] { return results->shown; }) && results->right == u"2"_s && reviewShown();
}

// Checks the named radio buttons ("q1=b") and submits the form with its submit button, in the
// page; true once the program has received the submission. The script's own result is not waited
// for: a submission that leads to the menu sets the hidden page aside, and its answer with it.
bool TestFormRouting::submit(const QString &formSelector, const QStringList &checked)
{
    QSignalSpy submitted(m_form->Viewer, &THtmlViewer::formSubmitted);
    m_form->Viewer->page()->runJavaScript(uR"((function (selector, checked) {
        for (const line of checked) {
            const [name, value] = line.split('=');
            document.querySelector(`input[name="${name}"][value="${value}"]`).checked = true;
        }
        const form = document.querySelector(selector);
        form.requestSubmit(form.querySelector('input[type=submit]'));
    })('%1', [%2]))"_s.arg(formSelector, checked.isEmpty() ? QString() : u"'"_s + checked.join(u"','"_s) + u"'"_s),
        QWebEngineScript::ApplicationWorld);
    return !submitted.isEmpty() || submitted.wait(10000);
}

// Closes the results dialog once it shows and remembers what it said.
std::shared_ptr<ResultsSeen> TestFormRouting::closeResultsWhenShown()
{
    auto seen = std::make_shared<ResultsSeen>();
    auto *timer = new QTimer(m_form.get());
    connect(timer, &QTimer::timeout, timer, [this, seen, timer] {
        if (QApplication::activeModalWidget() != m_results.get())
            return;
        seen->shown = true;
        seen->total = m_results->lbTotal->text();
        seen->right = m_results->lbRight->text();
        m_results->accept();
        timer->deleteLater();
    });
    timer->start(20);
    return seen;
}

int TestFormRouting::nextPage() const
{
    QWidget *page = m_form->Pages->currentWidget();
    return page == m_form->tsMenu ? Menu : page == m_form->tsLab ? Lab : Html;
}

void TestFormRouting::routing_data()
{
    QTest::addColumn<int>("chapter");
    QTest::addColumn<bool>("fromBench"); // opened with "Указания..." on the bench
    QTest::addColumn<QString>("form");
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<bool>("passed");
    QTest::addColumn<QString>("right"); // the results dialog's right count; empty: no dialog
    QTest::addColumn<int>("attempts");
    QTest::addColumn<int>("next");
    QTest::addColumn<int>("current");

    const QString readButton = u"form[action=\"?system\"]"_s;
    const QString check = u"form[action=\":quest\"]"_s;
    const QString back = u"form[action=\":return\"]"_s;

    QTest::newRow("information, read-confirmation button: passed, menu")
        << int(Intro) << false << readButton << QStringList() << true << QString() << 0 << int(Menu) << int(Intro);
    QTest::newRow("information, a form of the document's own: passed, menu")
        << int(Intro) << false << u"form[action=\"notes.htm\"]"_s << QStringList() << true << QString() << 0
        << int(Menu) << int(Intro);
    QTest::newRow("information opened from the bench: passed, back to the bench")
        << int(Instructions) << true << readButton << QStringList() << true << QString() << 0 << int(Lab) << int(Bench);
    QTest::newRow("quiz checked, all right: results, passed, menu")
        << int(Quiz) << false << check << QStringList { u"q1=b"_s, u"q2=b"_s } << true << u"2"_s << 1 << int(Menu)
        << int(Quiz);
    QTest::newRow("quiz checked, one right") << int(Quiz) << false << check << QStringList { u"q1=b"_s, u"q2=a"_s }
                                             << true << u"1"_s << 1 << int(Menu) << int(Quiz);
    QTest::newRow("quiz checked with nothing chosen: still passed")
        << int(Quiz) << false << check << QStringList() << true << u"0"_s << 1 << int(Menu) << int(Quiz);
    QTest::newRow("quiz, return button with right answers chosen: not passed, nothing counted, menu")
        << int(Quiz) << false << back << QStringList { u"q1=b"_s, u"q2=b"_s } << false << QString() << 0 << int(Menu)
        << int(Quiz);
}

void TestFormRouting::routing()
{
    QFETCH(int, chapter);
    QFETCH(bool, fromBench);
    QFETCH(QString, form);
    QFETCH(QStringList, checked);
    QFETCH(bool, passed);
    QFETCH(QString, right);
    QFETCH(int, attempts);
    QFETCH(int, next);
    QFETCH(int, current);

    if (fromBench) {
        m_form->LabWork()->Chapters().Items(Intro)->Passed = true;
        m_form->LabWork()->Chapters().Items(Quiz)->Passed = true;
        QVERIFY(openFromBench());
    } else {
        QVERIFY(openChapter(chapter));
    }
    QCOMPARE(m_form->LabWork()->CurrentIndex, chapter);
    const std::shared_ptr<ResultsSeen> results = closeResultsWhenShown();
    QVERIFY(submit(form, checked));
    QTRY_VERIFY(nextPage() != Html);

    QCOMPARE(m_form->LabWork()->Chapters().Items(chapter)->Passed, passed);
    QCOMPARE(results->shown, !right.isEmpty());
    if (results->shown) {
        QCOMPARE(results->total, u"2"_s);
        QCOMPARE(results->right, right);
    }
    if (auto *task = dynamic_cast<TTaskChapter *>(m_form->LabWork()->Chapters().Items(chapter)))
        QCOMPARE(task->AttemptCount, attempts);
    QCOMPARE(nextPage(), next);
    QCOMPARE(m_form->LabWork()->CurrentIndex, current);
    QCOMPARE(m_form->LabWork()->ReturnIndex, -1);
}

// The bench's instructions require the quiz, which is not passed here; the bench itself is open
// (its own requirement is met). "Указания..." opens them all the same: the access rule guards the
// menu, and the instructions belong to the experiment the student already works on; locking them
// would leave the bench without its instructions. Read to the end, they count as passed and lead
// back to the bench, and the menu then shows them open.
void TestFormRouting::instructionsOpenALockedChapter()
{
    TLabWork *labWork = m_form->LabWork();
    labWork->Chapters().Items(Intro)->Passed = true;
    QVERIFY(labWork->CanOpen(Bench));
    QVERIFY(!labWork->CanOpen(Instructions));

    QVERIFY(openFromBench());
    QCOMPARE(labWork->CurrentIndex, int(Instructions));
    QCOMPARE(labWork->ReturnIndex, int(Bench));
    QCOMPARE(m_form->tsHTML->lbInfoTitle->text(), u"How to"_s);

    QVERIFY(submit(u"form[action=\"?system\"]"_s, {}));
    QTRY_COMPARE(nextPage(), Lab);
    QCOMPARE(labWork->CurrentIndex, int(Bench));
    QCOMPARE(labWork->ReturnIndex, -1);
    QVERIFY(labWork->Chapters().Items(Instructions)->Passed);
    QVERIFY(!labWork->Chapters().Items(Quiz)->Passed);
}

// No form of the program's is on the HTML page while an experiment is current; whatever
// reaches the dispatch then leads to the menu and changes nothing.
void TestFormRouting::submissionWhileAnExperimentIsCurrent()
{
    m_form->LabWork()->Chapters().Items(Intro)->Passed = true;
    m_form->LabWork()->SelectChapter(Bench);
    m_form->OpenCurrentChapter();
    QCOMPARE(nextPage(), Lab);
    const std::shared_ptr<ResultsSeen> results = closeResultsWhenShown();
    m_form->ViewFormSubmit(u":quest"_s, {}, {}, {}, { u"q1=b"_s });
    QCOMPARE(nextPage(), Menu);
    QVERIFY(!results->shown);
    QVERIFY(!m_form->LabWork()->Chapters().Items(Bench)->Passed);
    QCOMPARE(m_form->LabWork()->CurrentIndex, int(Bench));
}

// The first question's open form takes in the review's return button (the review has no form of
// its own around the questions): pressed, it leads to the menu and checks nothing again.
void TestFormRouting::reviewReturnButtonLeadsToTheMenu()
{
    QVERIFY(checkReviewedQuiz());
    auto *task = dynamic_cast<TTaskChapter *>(m_form->LabWork()->Chapters().Items(ReviewedQuiz));
    QCOMPARE(task->AttemptCount, 1);

    const std::shared_ptr<ResultsSeen> results = closeResultsWhenShown();
    QSignalSpy submitted(m_form->Viewer, &THtmlViewer::formSubmitted);
    evaluateScript(m_form->Viewer, u"document.getElementById('return_button').scrollIntoView()"_s);
    const QPoint centre = elementCentre(m_form->Viewer, u"return_button"_s);
    QVERIFY(!centre.isNull());
    QTest::mouseClick(m_form->Viewer->view()->focusProxy(), Qt::LeftButton, {}, centre);
    QVERIFY(submitted.wait(10000));
    QTRY_COMPARE(nextPage(), Menu);
    QVERIFY(!results->shown);
    QCOMPARE(task->AttemptCount, 1);
    QVERIFY(task->Passed);
    // The button's own form sent it: the question's form was left out of the review.
    QCOMPARE(submitted.constFirst().constFirst().toString(), u":return"_s);
}

// Whatever form of the review is submitted (a question's own, as one with its own submit button
// in a complete form sends) leads to the menu, never to a check. The control: the same
// submission once the quiz is open again is a check.
void TestFormRouting::submissionWhileTheReviewIsShown_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("reopened"); // the quiz opened again from the review's chapter
    QTest::addColumn<int>("attempts");
    QTest::addColumn<int>("next");

    QTest::newRow("review shown, a check's action: menu, no attempt") << u":quest"_s << false << 1 << int(Menu);
    QTest::newRow("review shown, the return action: menu") << u":return"_s << false << 1 << int(Menu);
    QTest::newRow("review shown, a document's own action: menu") << u"notes.htm"_s << false << 1 << int(Menu);
    QTest::newRow("control: the quiz open again, a check's action checks") << u":quest"_s << true << 2 << int(Html);
}

void TestFormRouting::submissionWhileTheReviewIsShown()
{
    QFETCH(QString, action);
    QFETCH(bool, reopened);
    QFETCH(int, attempts);
    QFETCH(int, next);

    QVERIFY(checkReviewedQuiz());
    if (reopened)
        QVERIFY(openChapter(ReviewedQuiz));
    const std::shared_ptr<ResultsSeen> results = closeResultsWhenShown();
    m_form->ViewFormSubmit(action, {}, {}, {}, { u"r1=b"_s });
    QCOMPARE(nextPage(), next);
    QCOMPARE(results->shown, reopened);
    QCOMPARE(dynamic_cast<TTaskChapter *>(m_form->LabWork()->Chapters().Items(ReviewedQuiz))->AttemptCount, attempts);
    QCOMPARE(m_form->LabWork()->CurrentIndex, int(ReviewedQuiz));
}

KELVO_WEBENGINE_TEST_MAIN(TestFormRouting)
#include "tst_formrouting_web.moc"
