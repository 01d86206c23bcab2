// The review of a checked quiz as the review writer builds it: each question's text with the
// student's answers put into its controls, read-only, and its mark; the question's own form tags
// left out, so that the page's return button stays in the page's own form.

#include "CodePages.h"
#include "IniFile.h"
#include "QuizReview.h"
#include "TaskChapter.h"
#include "TestSupport.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A question as the page showed it: its text and its answer lines.
using Questions = QList<QuizQuestion>;

// What the review shows of each question: its mark ("R" or "W") and its text as rewritten, with
// the expected answers when they are shown.
using Shown = QStringList;

} // namespace

class TestQuizReviewWriter final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void formTagsDropped_data();
    void formTagsDropped();
    void answersPutIntoControls_data();
    void answersPutIntoControls();

private:
    Shown review(const Questions &questions, const QStringList &results, bool showExpected);

    QTemporaryDir m_dir;
    std::unique_ptr<TIniFile> m_descriptor;
};

void TestQuizReviewWriter::initTestCase()
{
    QVERIFY(m_dir.isValid());
    kelvo::test::writeFile(QDir(m_dir.path()), u"labwork.lbw"_s, "[Quiz]\nType=Examination\nHeading=H\nReview=1\n");
    m_descriptor = std::make_unique<TIniFile>(m_dir.filePath(u"labwork.lbw"_s));
}

// The review page of the questions, cut into its questions.
Shown TestQuizReviewWriter::review(const Questions &questions, const QStringList &results, bool showExpected)
{
    TTaskChapter chapter(u"Quiz"_s, m_descriptor.get());
    chapter.PageQuestions = questions;
    const QString page = kelvo::decodeWindows1251(kelvo::quizReviewPage(chapter, results, showExpected));
    static const QRegularExpression question(
        u"font-weight: bold\">(Верно|Неверно)</p>(.*?)</div><hr>"_s, QRegularExpression::DotMatchesEverythingOption);
    Shown shown;
    for (const QRegularExpressionMatch &match : question.globalMatch(page))
        shown.append((match.captured(1) == u"Верно" ? u"R "_s : u"W "_s) + match.captured(2));
    // The page's own return button in a form of its own, the last of the page.
    if (!page.endsWith(u"<form action=\":return\" method=\"post\"><div class=\"return_button_div\" align=\"center\">"
                       "<input id=\"return_button\" type=\"submit\" value=\"   Вернуться в меню    \"></div></form>"
                       "</body></html>"_s))
        shown.append(u"no return form at the end"_s);
    return shown;
}

void TestQuizReviewWriter::formTagsDropped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    QTest::newRow("a form left open") << u"<p>Q</p><form action=\":quest\"><input name=a>"_s
                                      << u"<p>Q</p><input name=\"a\" value=\"1\" disabled>"_s;
    QTest::newRow("a complete form with its own submit button")
        << u"<form action=\"x.htm\" method=post><input name=a> <input type=submit value=Go></form><p>after</p>"_s
        << u"<input name=\"a\" value=\"1\" disabled> <input type=\"submit\" value=\"Go\" disabled><p>after</p>"_s;
    QTest::newRow("capitals, blanks and a tag over two lines")
        << u"<FORM\nACTION=\":quest\" >x<input name=a></Form >y"_s << u"x<input name=\"a\" value=\"1\" disabled>y"_s;
    QTest::newRow("an end tag alone, and two forms")
        << u"</form><form><input name=a></form><form></form>"_s << u"<input name=\"a\" value=\"1\" disabled>"_s;
    QTest::newRow("kept: a form as text, in a comment, in a script, a tag that only begins with form")
        << u"&lt;form&gt;<!-- <form> --><script>w('<form>')</script><formula>a</formula><input name=a>"_s
        << u"&lt;form&gt;<!-- <form> --><script>w('<form>')</script><formula>a</formula>"
           "<input name=\"a\" value=\"1\" disabled>"_s;
}

void TestQuizReviewWriter::formTagsDropped()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(review({ { text, { u"a=1"_s } } }, { u"a=1"_s }, false), Shown { u"R "_s + shown });
}

void TestQuizReviewWriter::answersPutIntoControls_data()
{
    QTest::addColumn<Questions>("questions");
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<bool>("showExpected");
    QTest::addColumn<Shown>("shown");

    // Typed fields of one name take its submitted lines in document order; a field past the lines
    // shows nothing (and the question, with fewer answers than fields, is wrong). A text area's
    // content is replaced.
    QTest::newRow("typed fields of one name, in order, more fields than lines")
        << Questions { { u"<input name=t><input type=TEXT name=t value=old><textarea name=t>typed</textarea>"
                         "<input type=number name=t><input name=T>"_s,
               { u"t=1"_s, u"t=2"_s, u"t=3"_s } } }
        << QStringList { u"t=1"_s, u"u=9"_s, u"t=2"_s, u"t=3"_s } << false
        << Shown { u"W <input name=\"t\" value=\"1\" disabled><input type=\"TEXT\" name=\"t\" value=\"2\" disabled>"
                   "<textarea name=\"t\" disabled>3</textarea><input type=\"number\" name=\"t\" value=\"\" disabled>"
                   "<input name=\"T\" value=\"\" disabled>"_s };

    // Every question starts a name's typed fields at its first submitted line; boxes and options
    // are shown by their line, wherever it was submitted; marks count every line of the
    // question's names.
    QTest::newRow("names repeated across questions")
        << Questions { { u"<input name=x><input type=checkbox name=c value=1>"_s, { u"x=first"_s, u"c=1"_s } },
               { u"<input name=x><input type=checkbox name=c value=2>"_s, { u"x=second"_s, u"c=2"_s } },
               { u"<select name=s><option>A</option><option value=b>B</option></select>"_s, { u"s=b"_s } },
               { u"<select name=s><option value=b>B</option><option>A</option></select>"_s, { u"s=A"_s } } }
        << QStringList { u"x=first"_s, u"c=2"_s, u"s=A"_s, u"x=second"_s } << false
        << Shown { u"W <input name=\"x\" value=\"first\" disabled><input type=\"checkbox\" name=\"c\" value=\"1\" "
                   "disabled>"_s,
               u"W <input name=\"x\" value=\"first\" disabled><input type=\"checkbox\" name=\"c\" value=\"2\" "
               "checked disabled>"_s,
               u"W <select name=\"s\" disabled><option selected>A</option><option value=\"b\">B</option></select>"_s,
               u"R <select name=\"s\" disabled><option value=\"b\">B</option><option selected>A</option></select>"_s };

    // The page's own state goes: "checked", "selected", "disabled" and a typed "value" are the
    // student's. A box without a value submits "on"; an option without one its text.
    QTest::newRow("boxes and options, the page's own state replaced")
        << Questions { { u"<input type=radio name=r value=a checked><input type=radio name=r value=b>"
                         "<input type=checkbox name=k disabled><input type=checkbox name=k2 checked>"
                         "<select name=s><option value=x selected>X</option><option disabled>Y &amp; z\n </option>"
                         "</select><input type=hidden name=h value=v><button name=go>Go</button>"_s,
               { u"r=b"_s, u"k=on"_s, u"s=Y & z"_s } } }
        << QStringList { u"r=b"_s, u"k=on"_s, u"s=Y & z"_s, u"h=v"_s } << false
        << Shown { u"W <input type=\"radio\" name=\"r\" value=\"a\" disabled><input type=\"radio\" name=\"r\" "
                   "value=\"b\" checked disabled><input type=\"checkbox\" name=\"k\" checked disabled>"
                   "<input type=\"checkbox\" name=\"k2\" disabled><select name=\"s\" disabled><option value=\"x\">X"
                   "</option><option selected>Y &amp; z\n </option></select><input type=\"hidden\" name=\"h\" "
                   "value=\"v\" disabled><button name=\"go\" disabled>Go</button>"_s };

    // Wrong questions show the right choices outlined and the first answer line of each typed
    // field and selection list, escaped; right ones show neither.
    QTest::newRow("expected answers beside the wrong questions, escaped")
        << Questions { { u"<input name=t><input type=radio name=r value=a><input type=radio name=r value=b>"
                         "<select name=s><option>1</option><option>2</option></select>"_s,
                           { u"T=<b>&\"1\""_s, u"t=2"_s, u"r=B"_s, u"s=2"_s } },
               { u"<input name=u>"_s, { u"u=ok"_s } } }
        << QStringList { u"t=<i>"_s, u"r=a"_s, u"s=1"_s, u"u=OK"_s } << true
        << Shown { u"W <input name=\"t\" value=\"&lt;i&gt;\" disabled><input type=\"radio\" name=\"r\" value=\"a\" "
                   "checked disabled><input type=\"radio\" name=\"r\" value=\"b\" style=\"outline: 3px solid #008000\" "
                   "disabled><select name=\"s\" disabled><option selected>1</option><option>2</option></select>"
                   "<p class=\"review_expected\">Правильный ответ: &lt;b&gt;&amp;&quot;1&quot;; 2</p>"_s,
               u"R <input name=\"u\" value=\"OK\" disabled>"_s };
}

void TestQuizReviewWriter::answersPutIntoControls()
{
    QFETCH(Questions, questions);
    QFETCH(QStringList, results);
    QFETCH(bool, showExpected);
    QFETCH(Shown, shown);
    QCOMPARE(review(questions, results, showExpected), shown);
}

QTEST_GUILESS_MAIN(TestQuizReviewWriter)
#include "tst_quizreview.moc"
