#include "CodePages.h"
#include "IniFile.h"
#include "LabFolder.h"
#include "Localization.h"
#include "QuestionFiles.h"
#include "Random.h"
#include "RuntimeErrors.h"
#include "TaskChapter.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

using kelvo::test::messageOf;

namespace {

// A lab folder with one examination chapter and its question files.
class QuizFolder final
{
public:
    QuizFolder()
        : m_cwd(m_dir.path())
    {
    }

    // Files are given as name, content pairs; a name ending in "/" makes a folder. Contents are
    // written in Windows-1251 exactly as given (line ends included).
    void write(const QStringList &files)
    {
        for (qsizetype i = 0; i + 1 < files.size(); i += 2) {
            if (files[i].endsWith(u'/'))
                QDir(m_dir.path()).mkpath(files[i]);
            else
                kelvo::test::writeFile(QDir(m_dir.path()), files[i], kelvo::encodeWindows1251(files[i + 1]));
        }
    }

    void writeBytes(const QString &name, const QByteArray &bytes)
    {
        kelvo::test::writeFile(QDir(m_dir.path()), name, bytes);
    }

    TTaskChapter &chapter(const QString &keys)
    {
        // UTF-8 with a byte order mark, so that a heading may hold what Windows-1251 lacks.
        kelvo::test::writeFile(QDir(m_dir.path()), u"labwork.lbw"_s,
            "\xEF\xBB\xBF" + QString(u"[Quiz]\nType=Examination\n"_s + keys).toUtf8());
        m_chapter.reset();
        m_descriptor = std::make_unique<TIniFile>(m_dir.filePath(u"labwork.lbw"_s));
        m_chapter = std::make_unique<TTaskChapter>(u"Quiz"_s, m_descriptor.get());
        return *m_chapter;
    }

private:
    QTemporaryDir m_dir;
    kelvo::test::CurrentDirectory m_cwd;
    std::unique_ptr<TIniFile> m_descriptor;
    std::unique_ptr<TTaskChapter> m_chapter;
};

const QString Head1
    = QStringLiteral("<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=windows-1251\">"
                     "<link rel=\"StyleSheet\" type=\"text/css\" href=\"quest.css\"></head><body><h1>%1</h1>"
                     "Попытка номер: %2<br><form action=\":quest\" method=\"post\">");

const QString Footer = QStringLiteral(
    "<div align=\"center\">Будьте внимательны, необходимо указать все ответы, прежде, чем сдавать "
    "решение на проверку.<br><br><input type=\"submit\" id=\"submit_button\" value=\"   Проверить решение   \">"
    "</div></form><form action=\":return\" method=\"post\"><div class=\"return_button_div\" align=\"center\">"
    "<input id=\"return_button\" type=\"submit\" id=\"submit_button\" value=\"   Вернуться в меню    \">"
    "</div></form></body></html>");

// The questions of a page: what stands between the head and the footer.
QString bodyOf(const QByteArray &page)
{
    const QString text = kelvo::decodeWindows1251(page);
    const qsizetype start = text.indexOf(u"method=\"post\">"_s) + 14;
    const qsizetype end = text.lastIndexOf(Footer);
    if (start < 14 || end < start)
        return u"<no page frame>"_s;
    return text.mid(start, end - start);
}

} // namespace

class TestQuiz final : public QObject
{
    Q_OBJECT

private slots:
    void pageFrame();
    void questionFiles();
    void questions_data();
    void questions();
    void encodings();
    void errors_data();
    void errors();
    void variantChoice();
    void checkAnswers_data();
    void checkAnswers();
    void attemptCount();
};

void TestQuiz::pageFrame()
{
    QuizFolder folder;
    TTaskChapter &chapter = folder.chapter(u"Heading=100% <b>верно</b> %d\nQuestions=0\n"_s);
    const QByteArray page = chapter.GetHTML();
    QCOMPARE(kelvo::decodeWindows1251(page), Head1.arg(u"100% <b>верно</b> %d"_s, u"1"_s) + Footer);
    QVERIFY(chapter.Answers.isEmpty());

    // Keys that are missing take their defaults.
    TTaskChapter &bare = folder.chapter(QString());
    QCOMPARE(bare.Questions, 0);
    QCOMPARE(bare.Heading, Texts::ErrorReadingChapter);
    QCOMPARE(bare.Attempts, -1);
    QCOMPARE(bare.MessageStyle, 0);
    QCOMPARE(bodyOf(bare.GetHTML()), QString());
}

void TestQuiz::questionFiles()
{
    QuizFolder folder;
    for (const QString &name : { u"c003.q001.vA.q"_s, u"C003.Q001.VB.Q"_s, u"c003.q001.v.q"_s, u"c003.q001.v.a.q"_s,
             u"c003.q001.vA.qq"_s, u"c003.q001.vA.q.txt"_s, u"c003.q001.range.q"_s, u"c003.q001.range.q.bak"_s,
             u"c003.q0011.vA.q"_s, u"c003.q011.vA.q"_s, u"c004.q001.vA.q"_s, u"xc003.q001.vA.q"_s,
             u"c003.q002.range.q"_s, u"C003.Q002.RANGE.Q"_s, u"C003.Q003.Range.q"_s, u"c003.q1000.vA.q"_s })
        folder.write({ name, QString() });
    const kelvo::LabFolder lab;
    const QuestionFiles files(lab, 3);

    QCOMPARE(files.variantPattern(1), u"c003.q001.v*.q"_s);
    QCOMPARE(files.rangeName(1000), u"c003.q1000.range.q"_s);
    // Sorted by name; the wildcard matches without regard to case and may stand for nothing or for dots.
    QCOMPARE(files.variantCandidates(1),
        (QStringList { u"C003.Q001.VB.Q"_s, u"c003.q001.v.a.q"_s, u"c003.q001.v.q"_s, u"c003.q001.vA.q"_s }));
    QCOMPARE(files.variantCandidates(11), QStringList { u"c003.q011.vA.q"_s });
    QCOMPARE(files.variantCandidates(1000), QStringList { u"c003.q1000.vA.q"_s });
    QCOMPARE(files.variantCandidates(2), QStringList());
    QCOMPARE(files.rangeFile(1), u"c003.q001.range.q"_s);
    QCOMPARE(files.rangeFile(2), u"c003.q002.range.q"_s); // the exact name before another case
    QCOMPARE(files.rangeFile(3), u"C003.Q003.Range.q"_s);
    QCOMPARE(files.rangeFile(4), std::nullopt);
}

void TestQuiz::questions_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("answers");

    const QString chapter3 = u"Identifier=3\nQuestions=1\n"_s;
    QTest::newRow("nominal: one variant file")
        << chapter3 << QStringList { u"c003.q001.vA.q"_s, u"<p>Q1</p>\n<input name=q1 value=b>\n<!--END-->\nq1=b\n"_s }
        << u"<p>Q1</p>\r\n<input name=q1 value=b>\r\n<hr>"_s << QStringList { u"q1=b"_s };
    QTest::newRow("nominal: range file, header skipped, two answer lines")
        << chapter3
        << QStringList { u"c003.q001.range.q"_s, u"x=RAND()\ny=2\n<!--END-->\nText\n<!--END-->\nq1=a\nq1=c"_s }
        << u"Text\r\n<hr>"_s << QStringList { u"q1=a"_s, u"q1=c"_s };
    QTest::newRow("nominal: range file takes precedence over a variant file")
        << chapter3
        << QStringList { u"c003.q001.vA.q"_s, u"Variant\n<!--END-->\nq1=v"_s, u"c003.q001.range.q"_s,
               u"<!--END-->\nRange\n<!--END-->\nq1=r"_s }
        << u"Range\r\n<hr>"_s << QStringList { u"q1=r"_s };
    QTest::newRow("nominal: a folder of the range name is no range file")
        << chapter3 << QStringList { u"c003.q001.range.q/"_s, QString(), u"c003.q001.vA.q"_s, u"V\n<!--END-->\na=1"_s }
        << u"V\r\n<hr>"_s << QStringList { u"a=1"_s };
    QTest::newRow("nominal: two questions in order")
        << u"Identifier=3\nQuestions=2\n"_s
        << QStringList { u"c003.q002.vA.q"_s, u"Second\n<!--END-->\nq2=x"_s, u"c003.q001.vA.q"_s,
               u"First\n<!--END-->\nq1=y"_s }
        << u"First\r\n<hr>Second\r\n<hr>"_s << QStringList { u"q1=y"_s, u"q2=x"_s };
    QTest::newRow("line ends: CR LF, CR alone, last line without one")
        << chapter3 << QStringList { u"c003.q001.vA.q"_s, u"a\r\nb\rc\n<!--END-->\r\nq1=b"_s }
        << u"a\r\nb\r\nc\r\n<hr>"_s << QStringList { u"q1=b"_s };
    QTest::newRow("line ends: question line without line end before the separator")
        << chapter3 << QStringList { u"c003.q001.range.q"_s, u"<!--END-->\nonly line\n<!--END-->"_s }
        << u"only line\r\n<hr>"_s << QStringList {};
    QTest::newRow("separator: with a trailing blank or in small letters it is text")
        << chapter3 << QStringList { u"c003.q001.vA.q"_s, u"A\n<!--END--> \n<!--end-->\n<!--END-->\nq1=b"_s }
        << u"A\r\n<!--END--> \r\n<!--end-->\r\n<hr>"_s << QStringList { u"q1=b"_s };
    QTest::newRow("separator: as the last line, no answer lines")
        << chapter3 << QStringList { u"c003.q001.vA.q"_s, u"Q\n<!--END-->\n"_s } << u"Q\r\n<hr>"_s << QStringList {};
    QTest::newRow("answers: kept as written, blanks and empty lines included")
        << chapter3 << QStringList { u"c003.q001.vA.q"_s, u"Q\n<!--END-->\nq1 = b\n\nQ1=B "_s } << u"Q\r\n<hr>"_s
        << QStringList { u"q1 = b"_s, QString(), u"Q1=B "_s };
    QTest::newRow("answers: a second separator among the answers is an answer line")
        << chapter3 << QStringList { u"c003.q001.vA.q"_s, u"Q\n<!--END-->\nq1=b\n<!--END-->"_s } << u"Q\r\n<hr>"_s
        << QStringList { u"q1=b"_s, u"<!--END-->"_s };
    QTest::newRow("names: a chapter without identifier uses c000")
        << u"Questions=1\n"_s << QStringList { u"c000.q001.vA.q"_s, u"Q\n<!--END-->\nq=0"_s } << u"Q\r\n<hr>"_s
        << QStringList { u"q=0"_s };
    QTest::newRow("names: identifier reduced to 8 bits, file names in capitals")
        << u"Identifier=259\nQuestions=1\n"_s
        << QStringList { u"C003.Q001.RANGE.Q"_s, u"<!--END-->\nR\n<!--END-->\nr=1"_s } << u"R\r\n<hr>"_s
        << QStringList { u"r=1"_s };
    QTest::newRow("names: empty free part of a variant name")
        << chapter3 << QStringList { u"c003.q001.v.q"_s, u"E\n<!--END-->\ne=1"_s } << u"E\r\n<hr>"_s
        << QStringList { u"e=1"_s };
    QTest::newRow("names: files of other chapters and questions are not candidates")
        << chapter3
        << QStringList { u"c003.q001.vA.q"_s, u"Mine\n<!--END-->\nm=1"_s, u"c004.q001.vA.q"_s, u"X\n<!--END-->"_s,
               u"c003.q0011.vA.q"_s, u"X\n<!--END-->"_s, u"c003.q001.vA.qq"_s, u"X\n<!--END-->"_s, u"c003.q011.vA.q"_s,
               u"X\n<!--END-->"_s }
        << u"Mine\r\n<hr>"_s << QStringList { u"m=1"_s };
    QTest::newRow("questions: a negative count gives an empty quiz")
        << u"Identifier=3\nQuestions=-4\n"_s << QStringList {} << QString() << QStringList {};
}

void TestQuiz::questions()
{
    QFETCH(QString, keys);
    QFETCH(QStringList, files);
    QFETCH(QString, body);
    QFETCH(QStringList, answers);

    QuizFolder folder;
    folder.write(files);
    TTaskChapter &chapter = folder.chapter(keys + u"Heading=H\n"_s);
    chapter.Answers = QStringList { u"left from an earlier page"_s };
    QCOMPARE(bodyOf(chapter.GetHTML()), body);
    QCOMPARE(chapter.Answers, answers);
}

void TestQuiz::encodings()
{
    QuizFolder folder;
    // Windows-1251 as authored; UTF-8 after a byte order mark, with a letter Windows-1251 lacks.
    folder.writeBytes(u"c001.q001.vA.q"_s, kelvo::encodeWindows1251(u"Сила тока?\r\n<!--END-->\r\nq1=Ампер"_s));
    folder.writeBytes(u"c001.q002.vA.q"_s, "\xEF\xBB\xBF" + u"Ω и Ом\n<!--END-->\nq2=Ом"_s.toUtf8());
    TTaskChapter &chapter = folder.chapter(u"Identifier=1\nQuestions=2\nHeading=Проверка Ω\n"_s);

    const QByteArray page = chapter.GetHTML();
    QVERIFY(page.contains(QByteArray(kelvo::encodeWindows1251(u"<h1>Проверка "_s) + "&#937;</h1>")));
    QVERIFY(page.contains(kelvo::encodeWindows1251(u"Сила тока?\r\n<hr>"_s)));
    QVERIFY(page.contains(QByteArray("&#937; " + kelvo::encodeWindows1251(u"и Ом\r\n<hr>"_s))));
    QCOMPARE(chapter.Answers, (QStringList { u"q1=Ампер"_s, u"q2=Ом"_s }));
}

void TestQuiz::errors_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("answersBefore");

    const QStringList first { u"c003.q001.vA.q"_s, u"Q1\n<!--END-->\nq1=a"_s };
    QTest::newRow("missing: no file for the second question")
        << first << u"List index out of bounds (0)"_s << QStringList { u"q1=a"_s };
    QTest::newRow("separator: variant file without one")
        << first + QStringList { u"c003.q002.vA.q"_s, u"a\nb\nc\n"_s } << u"List index out of bounds (3)"_s
        << QStringList { u"q1=a"_s };
    QTest::newRow("separator: empty variant file") << first + QStringList { u"c003.q002.vA.q"_s, QString() }
                                                   << u"List index out of bounds (0)"_s << QStringList { u"q1=a"_s };
    QTest::newRow("separator: range file with only the first")
        << first + QStringList { u"c003.q002.range.q"_s, u"h=1\n<!--END-->\ntext\nmore"_s }
        << u"List index out of bounds (4)"_s << QStringList { u"q1=a"_s };
    QTest::newRow("separator: range file with none")
        << first + QStringList { u"c003.q002.range.q"_s, u"<!--END--> \ntext"_s } << u"List index out of bounds (2)"_s
        << QStringList { u"q1=a"_s };
    QTest::newRow("open: the chosen candidate is a folder")
        << first + QStringList { u"c003.q002.vX.q/"_s, QString() } << u"Cannot open file ./c003.q002.vX.q"_s
        << QStringList { u"q1=a"_s };
}

void TestQuiz::errors()
{
    QFETCH(QStringList, files);
    QFETCH(QString, message);
    QFETCH(QStringList, answersBefore);

    QuizFolder folder;
    folder.write(files);
    TTaskChapter &chapter = folder.chapter(u"Identifier=3\nQuestions=2\n"_s);
    QCOMPARE(messageOf([&] { chapter.GetHTML(); }), message);
    QCOMPARE(chapter.Answers, answersBefore);
}

void TestQuiz::variantChoice()
{
    QuizFolder folder;
    const QStringList letters { u"A"_s, u"B"_s, u"C"_s, u"D"_s };
    for (const QString &letter : letters)
        folder.write({ u"c002.q001.v"_s + letter + u".q"_s, u"Q\n<!--END-->\nq1="_s + letter });
    folder.write({ u"c002.q002.vOnly.q"_s, u"Q\n<!--END-->\nq2=only"_s });
    folder.write({ u"c002.q003.range.q"_s, u"<!--END-->\nQ\n<!--END-->\nq3=range"_s });
    TTaskChapter &chapter = folder.chapter(u"Identifier=2\nQuestions=3\n"_s);

    SeedRandom(20240601);
    constexpr int Pages = 400;
    QHash<QString, int> drawn;
    QStringList firstPages;
    for (int page = 0; page < Pages; ++page) {
        const quint64 before = RandomDrawCount();
        chapter.GetHTML();
        // One draw for each question answered from variant files, also for a single candidate.
        QCOMPARE(RandomDrawCount() - before, quint64(2));
        QCOMPARE(chapter.Answers.size(), 3);
        QCOMPARE(chapter.Answers.mid(1), (QStringList { u"q2=only"_s, u"q3=range"_s }));
        ++drawn[chapter.Answers.first()];
        if (page < 20)
            firstPages.append(chapter.Answers.first());
    }
    for (const QString &letter : letters) {
        const int count = drawn.value(u"q1="_s + letter);
        // Every candidate is reachable, and none is favoured (expected 100 each; 4.6 sigma is 40).
        QVERIFY2(count > 60 && count < 140, qPrintable(letter + u": "_s + QString::number(count)));
    }

    // The same seed draws the same questions again.
    SeedRandom(20240601);
    QStringList again;
    for (int page = 0; page < 20; ++page) {
        chapter.GetHTML();
        again.append(chapter.Answers.first());
    }
    QCOMPARE(again, firstPages);
}

void TestQuiz::checkAnswers_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<int>("right");

    const QStringList three { u"q1=b"_s, u"q2=a"_s, u"q3=c"_s };
    QTest::newRow("nominal: all three right") << three << three << 3;
    QTest::newRow("nominal: nothing selected") << three << QStringList {} << 0;
    QTest::newRow("nominal: two of three, order plays no role")
        << three << QStringList { u"q3=c"_s, u"q2=b"_s, u"q1=b"_s } << 2;
    QTest::newRow("case: Latin capitals in the answer line")
        << QStringList { u"Q1=B"_s } << QStringList { u"q1=b"_s } << 1;
    QTest::newRow("case: Cyrillic capitals typed by the student")
        << QStringList { u"q1=сопротивление"_s } << QStringList { u"q1=СОПРОТИВЛЕНИЕ"_s } << 1;
    QTest::newRow("case: Cyrillic Ё and ё") << QStringList { u"q1=ёж"_s } << QStringList { u"q1=ЁЖ"_s } << 1;
    QTest::newRow("case: Е is not Ё") << QStringList { u"q1=ёж"_s } << QStringList { u"q1=еж"_s } << 0;
    QTest::newRow("blanks: around the equals sign count")
        << QStringList { u"q1 = b"_s } << QStringList { u"q1=b"_s } << 0;
    QTest::newRow("blanks: a trailing blank counts") << QStringList { u"q1=b "_s } << QStringList { u"q1=b"_s } << 0;
    QTest::newRow("count: the same entry twice counts twice")
        << QStringList { u"q1=b"_s } << QStringList { u"q1=b"_s, u"q1=b"_s } << 2;
    QTest::newRow("count: several check boxes of one question")
        << QStringList { u"c1=on"_s, u"c2=on"_s, u"c3=on"_s } << QStringList { u"c1=on"_s, u"c2=on"_s, u"c3=on"_s }
        << 3;
    QTest::newRow("count: the check button and unknown entries cost nothing")
        << three << QStringList { u"q1=b"_s, u"x=1"_s, u"submit_button=check"_s } << 1;
    QTest::newRow("robustness: empty answer lines never match")
        << QStringList { QString(), u"q1=b"_s } << QStringList { QString(), u"q1=b"_s } << 1;
    QTest::newRow("robustness: no answers at all") << QStringList {} << QStringList { u"q1=b"_s } << 0;
}

void TestQuiz::checkAnswers()
{
    QFETCH(QStringList, answers);
    QFETCH(QStringList, results);
    QFETCH(int, right);

    QuizFolder folder;
    TTaskChapter &chapter = folder.chapter(u"Questions=3\n"_s);
    chapter.Answers = answers;
    QCOMPARE(chapter.CheckAnswers(results), right);
    QCOMPARE(chapter.RightCount, right);
    QCOMPARE(chapter.AttemptCount, 1);
}

void TestQuiz::attemptCount()
{
    QuizFolder folder;
    folder.write({ u"c000.q001.vA.q"_s, u"Q\n<!--END-->\nq1=b"_s });
    TTaskChapter &chapter = folder.chapter(u"Questions=1\nHeading=H\n"_s);
    const QString first = Head1.arg(u"H"_s, u"1"_s);
    QVERIFY(kelvo::decodeWindows1251(chapter.GetHTML()).startsWith(first));
    // Leaving through the return button checks nothing: the next page is attempt 1 again.
    QVERIFY(kelvo::decodeWindows1251(chapter.GetHTML()).startsWith(first));

    QCOMPARE(chapter.CheckAnswers({ u"q1=b"_s }), 1);
    QCOMPARE(chapter.CheckAnswers({ u"q1=a"_s }), 0);
    QCOMPARE(chapter.RightCount, 0);
    QCOMPARE(chapter.AttemptCount, 2);
    QVERIFY(kelvo::decodeWindows1251(chapter.GetHTML()).startsWith(Head1.arg(u"H"_s, u"3"_s)));
}

QTEST_GUILESS_MAIN(TestQuiz)
#include "tst_quiz.moc"
