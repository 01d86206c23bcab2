#include "tst_checker_fixture.h"

using namespace kelvo;
using namespace kelvo::test;

namespace {

// An examination with identifier 3; "Questions" stands on line 8.
LabFiles examination(int questions, const LabFiles &files)
{
    LabFiles all = files;
    all.insert(QStringLiteral("labwork.lbw"),
        QStringLiteral("[Header]\nTitle=T\n[exam]\nType=Examination\n"
                       "Title=E\nHeading=H\nIdentifier=3\nQuestions=%1\n")
            .arg(questions));
    all.insert(QStringLiteral("quest.css"), QStringLiteral("h1 { color: navy }\n"));
    return all;
}

} // namespace

// Question files: one for every question, separator lines, answer lines that can match a control
// of the question's form, and files that no quiz ever uses.
class TestCheckerQuestions final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void questions_data();
    void questions();
};

void TestCheckerQuestions::questions_data()
{
    QTest::addColumn<LabFiles>("files");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("mentions");

    QTest::newRow("nominal: a range question, variants, every kind of control") << examination(3,
        { { "c003.q001.range.q",
              "x=RAND()\n<!--END-->\n<p>Сколько?</p><input type=\"text\" name=\"q1\">\n"
              "<!--END-->\nq1=12\n" },
            { "c003.q002.vA.q",
                "<p>Q</p><input type=radio name=q2 value=a> A\n"
                "<input type=radio name=q2 value=b> B\n<!--END-->\nq2=B\n" },
            { "c003.q002.vB.q",
                "<p>Q</p><input type=checkbox name=q2a> <input type=checkbox name=q2b "
                "value=\"да &amp; нет\">\n<!--END-->\nQ2A=on\nq2b=Да & нет\n\n" },
            { "c003.q003.vX.q",
                "<select name=q3><option value=1>Один</option><option>Два\n  три</option>"
                "</select>\n<textarea name=q3t></textarea>\n<!--END-->\nq3=Два три\n"
                "q3t=что угодно\n" } }) << QStringList {} << QStringList {};

    QTest::newRow("counts: Questions past the files, a gap, unused and misnumbered files, a file of no quiz")
        << examination(4,
               { { "c003.q001.vA.q", "<input name=a>\n<!--END-->\na=1\n" },
                   { "c003.q003.vA.q", "<input name=a>\n<!--END-->\na=1\n" }, { "c003.q005.vA.q", "x" },
                   { "c003.q01.vA.q", "x" }, { "c009.q001.vA.q", "x" } })
        << QStringList { "labwork.lbw:8: error: questions-exceed", "labwork.lbw:8: error: missing-question",
               "c003.q005.vA.q:0: warning: unused-question-file", "c003.q01.vA.q:0: warning: unused-question-file",
               "c009.q001.vA.q:0: warning: orphan-question-file" }
        << QStringList { "1–3", "вопроса 2", "«c003.q001.range.q»", "Questions=4" };

    QTest::newRow("counts: no file at all")
        << examination(2, {}) << QStringList { "labwork.lbw:8: error: questions-exceed" }
        << QStringList { "«c003.q*.q»" };

    QTest::newRow("separators: missing, one of two, look-alikes")
        << examination(3,
               { { "c003.q001.vA.q", "<p>Q</p>\n<!--end-->\nq1=a\n" },
                   { "c003.q002.range.q", "h=1\n<!--END-->\n<p>Q</p><input name=q2>\n" },
                   { "c003.q003.vA.q", "<p>Q</p><input name=q3>\n<!--END--> \n<!--END-->\nq3=x\n" } })
        << QStringList { "c003.q001.vA.q:0: error: no-separator", "c003.q001.vA.q:2: warning: separator-typo",
               "c003.q002.range.q:2: error: no-separator", "c003.q003.vA.q:2: warning: separator-typo" }
        << QStringList { "List index out of bounds (3)" };

    QTest::newRow("answers: none, without equals sign, unknown control or value, blanks")
        << examination(2,
               { { "c003.q001.vA.q",
                     "<input type=radio name=q1 value=a><input type=radio name=q1 value=b>\n"
                     "<!--END-->\n\n" },
                   { "c003.q002.vA.q",
                       "<input type=radio name=q2 value=a>\n<input type=text name=t2>\n"
                       "<!--END-->\nq2\nq2 =a\nq2=c\nt2= 5\nx2=a\n" } })
        << QStringList { "c003.q001.vA.q:2: error: no-answers", "c003.q002.vA.q:4: error: bad-answer-line",
               "c003.q002.vA.q:5: error: answer-unknown-control", "c003.q002.vA.q:6: error: answer-unknown-value",
               "c003.q002.vA.q:7: warning: answer-blanks", "c003.q002.vA.q:8: error: answer-unknown-control" }
        << QStringList { "(пробелы учитываются)", "(есть: a)", "«q2»" };

    QTest::newRow("variants: shadowed by a range file, a folder, radio names shared, a picture missing")
        << examination(2,
               { { "c003.q001.range.q",
                     "h=1\n<!--END-->\n<img src=\"fig.png\"><input type=radio name=q1 value=a>\n"
                     "<!--END-->\nq1=a\n" },
                   { "c003.q001.vB.q", "never read" },
                   { "c003.q002.vA.q", "<input type=radio name=Q1 value=b>\n<!--END-->\nq1=b\n" },
                   { "c003.q002.vB.q", "<folder>" } })
        << QStringList { "c003.q001.range.q:3: error: missing-file", "c003.q001.vB.q:0: warning: shadowed-variants",
               "c003.q002.vA.q:1: warning: shared-radio-name", "c003.q002.vB.q:0: error: not-a-file" }
        << QStringList { "«Q1» есть и в вопросе 1" };

    // The lines count in the file, the range file's header included; any letter case.
    QTest::newRow("forms: a question's own form tags, start and end, each where it stands")
        << examination(2,
               { { "c003.q001.range.q",
                     "h=1\n<!--END-->\n<p>Q</p>\n<FORM action=\":quest\"><input name=q1>\n<!--END-->\nq1=1\n" },
                   { "c003.q002.vA.q",
                       "<form action=\"x.htm\">\n<input name=q2><input type=submit></form>\n<!--END-->\nq2=1\n" } })
        << QStringList { "c003.q001.range.q:4: warning: question-form-tag",
               "c003.q002.vA.q:1: warning: question-form-tag", "c003.q002.vA.q:2: warning: question-form-tag" }
        << QStringList { "Тег «<form>» в тексте вопроса", "Тег «</form>» в тексте вопроса" };
}

void TestCheckerQuestions::questions()
{
    QFETCH(LabFiles, files);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, mentions);
    CheckerFixture fixture;
    KELVO_COMPARE_REPORT(fixture.check(files), expected, mentions);
}

QTEST_GUILESS_MAIN(TestCheckerQuestions)
#include "tst_checker_questions.moc"
