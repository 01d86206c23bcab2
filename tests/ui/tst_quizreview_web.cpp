#include "CodePages.h"
#include "HtmlPage.h"
#include "IniFile.h"
#include "QuizReview.h"
#include "TaskChapter.h"
#include "TestSupport.h"
#include "ViewerTestSupport.h"
#include "WebEngineTestMain.h"

#include <QStackedWidget>
#include <QTemporaryDir>
#include <QWebEngineView>

using namespace kelvo::test;

namespace {

// One question of each control kind; the last one is a range question.
const QList<QPair<QString, QString>> QuestionFixtures = {
    { QStringLiteral("c007.q001.vA.q"),
        QStringLiteral("<p>R?</p><input type=\"text\" name=\"q1\" id=\"q1\">\r\n"
                       "<!--END-->\r\nq1=30\r\nq1=30 Ом\r\n") },
    { QStringLiteral("c007.q002.vA.q"),
        QStringLiteral("<input type=\"radio\" name=\"q2\" value=\"a\" id=\"q2a\" checked>A "
                       "<input type=\"radio\" name=\"q2\" value=\"b\" id=\"q2b\">B\r\n<!--END-->\r\nq2=b\r\n") },
    { QStringLiteral("c007.q003.vA.q"),
        QStringLiteral(
            "<input type=\"checkbox\" name=\"q3a\" value=\"1\" id=\"q3a\">"
            "<input type=\"checkbox\" name=\"q3b\" value=\"1\" id=\"q3b\">"
            "<input type=\"checkbox\" name=\"q3c\" value=\"1\" id=\"q3c\">\r\n<!--END-->\r\nq3a=1\r\nq3c=1\r\n") },
    { QStringLiteral("c007.q004.vA.q"),
        QStringLiteral(
            "<select name=\"q4\" id=\"q4\"><option value=\"\">выберите</option><option value=\"x\">X</option>"
            "<option value=\"y\">Y</option></select>\r\n<!--END-->\r\nq4=y\r\n") },
    { QStringLiteral("c007.q005.range.q"),
        QStringLiteral("a=RAND()\r\n<!--END-->\r\n<textarea name=\"q5\" id=\"q5\">"
                       "</textarea>\r\n<!--END-->\r\nq5=Да\r\n") },
};

// What the student's answers look like on the review page, read from its controls.
const QString ReviewState = QStringLiteral(
    "(() => { const marks = Array.from(document.querySelectorAll('div.review_right, div.review_wrong'))"
    ".map(d => d.className === 'review_right' ? 'R' : 'W').join('');"
    "const radio = document.querySelector('input[name=q2]:checked');"
    "const boxes = Array.from(document.querySelectorAll('input[type=checkbox]:checked')).map(b => b.id).join(',');"
    "const all = Array.from(document.querySelectorAll('input[id^=q], select, textarea'));"
    "return [marks, document.getElementById('q1').value, radio ? radio.value : '', boxes,"
    "document.getElementById('q4').value, document.getElementById('q5').value,"
    "all.every(c => c.disabled) && all.length === 8 ? 'read-only' : 'editable',"
    "Array.from(document.querySelectorAll('[style*=outline]')).map(e => e.id).join(','),"
    "Array.from(document.querySelectorAll('p.review_expected')).map(p => p.textContent).join('|'),"
    "document.querySelectorAll('#return_button').length]; })()");

} // namespace

class TestQuizReview final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void reviewShowsAnswersAndMarks_data();
    void reviewShowsAnswersAndMarks();

private:
    QVariant evaluate(const QString &script) { return evaluateScript(m_viewer, script); }

    QTemporaryDir m_dir;
    std::unique_ptr<CurrentDirectory> m_cwd;
    std::unique_ptr<QStackedWidget> m_pages;
    THtmlViewer *m_viewer = nullptr;
};

void TestQuizReview::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const auto &[name, text] : QuestionFixtures)
        writeFile(QDir(m_dir.path()), name, kelvo::encodeWindows1251(text));
    m_cwd = std::make_unique<CurrentDirectory>(m_dir.path());
    m_pages = std::make_unique<QStackedWidget>();
    auto *page = new THtmlPage(m_pages.get());
    m_pages->addWidget(page);
    m_viewer = page->Viewer;
    m_viewer->setLabFolder(m_dir.path());
    m_pages->resize(900, 1400);
    m_pages->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pages.get()));
}

void TestQuizReview::cleanupTestCase()
{
    m_pages.reset();
    m_cwd.reset();
}

void TestQuizReview::reviewShowsAnswersAndMarks_data()
{
    QTest::addColumn<int>("review");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("right");
    QTest::addColumn<QStringList>("state");

    // Typed answers in other letter cases count as the check counts them.
    const QString allRight = QStringLiteral("q1.value = '30 ом'; q2b.checked = true; q3a.checked = true; "
                                            "q3c.checked = true; q4.value = 'y'; q5.value = 'ДА';");
    // An extra tick still counts the two right ones, but the question is not right.
    const QString allWrong = QStringLiteral("q1.value = '31'; q3a.checked = true; q3b.checked = true; "
                                            "q3c.checked = true; q4.value = 'x'; q5.value = 'нет';");
    QTest::newRow("nominal: every kind right, marks only")
        << 1 << allRight << 6
        << QStringList { QStringLiteral("RRRRR"), QStringLiteral("30 ом"), QStringLiteral("b"),
               QStringLiteral("q3a,q3c"), QStringLiteral("y"), QStringLiteral("ДА"), QStringLiteral("read-only"),
               QString(), QString(), QStringLiteral("1") };
    QTest::newRow("nominal: every kind wrong, marks only")
        << 1 << allWrong << 2
        << QStringList { QStringLiteral("WWWWW"), QStringLiteral("31"), QStringLiteral("a"),
               QStringLiteral("q3a,q3b,q3c"), QStringLiteral("x"), QStringLiteral("нет"), QStringLiteral("read-only"),
               QString(), QString(), QStringLiteral("1") };
    QTest::newRow("nominal: every kind wrong, with the expected answers")
        << 2 << allWrong << 2
        << QStringList { QStringLiteral("WWWWW"), QStringLiteral("31"), QStringLiteral("a"),
               QStringLiteral("q3a,q3b,q3c"), QStringLiteral("x"), QStringLiteral("нет"), QStringLiteral("read-only"),
               QStringLiteral("q2b,q3a,q3c"),
               QStringLiteral("Правильный ответ: 30|Правильный ответ: y|Правильный ответ: Да"), QStringLiteral("1") };
    QTest::newRow("nominal: right questions show no expected answers")
        << 2 << allRight << 6
        << QStringList { QStringLiteral("RRRRR"), QStringLiteral("30 ом"), QStringLiteral("b"),
               QStringLiteral("q3a,q3c"), QStringLiteral("y"), QStringLiteral("ДА"), QStringLiteral("read-only"),
               QString(), QString(), QStringLiteral("1") };
}

void TestQuizReview::reviewShowsAnswersAndMarks()
{
    QFETCH(int, review);
    QFETCH(QString, answer);
    QFETCH(int, right);
    QFETCH(QStringList, state);

    writeFile(QDir(m_dir.path()), QStringLiteral("labwork.lbw"),
        QStringLiteral("[Quiz]\nType=Examination\nIdentifier=7\nQuestions=5\nHeading=H\nReview=%1\n")
            .arg(review)
            .toUtf8());
    const TIniFile descriptor(m_dir.filePath(QStringLiteral("labwork.lbw")));
    TTaskChapter chapter(QStringLiteral("Quiz"), &descriptor);
    QVERIFY(loadDocument(m_viewer, chapter.GetHTML()));
    evaluate(answer + QStringLiteral(" true"));

    // The check button pressed as a student presses it.
    const QVariantList centre = evaluate(QStringLiteral("(() => { const b = document.getElementById('submit_button');"
                                                        "b.scrollIntoView(); const r = b.getBoundingClientRect();"
                                                        "return [r.left + r.width / 2, r.top + r.height / 2]; })()"))
                                    .toList();
    QCOMPARE(centre.size(), 2);
    QSignalSpy submitted(m_viewer, &THtmlViewer::formSubmitted);
    QTest::mouseClick(m_viewer->view()->focusProxy(), Qt::LeftButton, {},
        QPoint(qRound(centre[0].toDouble()), qRound(centre[1].toDouble())));
    QVERIFY(submitted.wait(10000));
    const QStringList results = submitted.constFirst().at(4).toStringList();
    QCOMPARE(chapter.CheckAnswers(results), right);

    QVERIFY(loadDocument(m_viewer, kelvo::quizReviewPage(chapter, results, review >= 2)));
    QStringList shown;
    for (const QVariant &value : evaluate(ReviewState).toList())
        shown.append(value.toString());
    QCOMPARE(shown, state);
}

KELVO_WEBENGINE_TEST_MAIN(TestQuizReview)
#include "tst_quizreview_web.moc"
