#include "tst_checker_fixture.h"

using namespace kelvo;
using namespace kelvo::test;

namespace {

const QString Document = QStringLiteral("<html><body><p>Текст</p></body></html>\n");

} // namespace

// The descriptor's own problems: chapters left out of the menu, keys no one reads, values that
// fall back to defaults, the missing-value marker on screen, lines and sections the reader drops.
class TestCheckerDescriptor final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void descriptor_data();
    void descriptor();
};

void TestCheckerDescriptor::descriptor_data()
{
    QTest::addColumn<LabFiles>("files");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("mentions");

    QTest::newRow("nominal: nothing to report")
        << LabFiles { { "labwork.lbw",
                          "[Header]\nTitle=Закон Ома\nAuthor=И. И. Иванов\n"
                          "[intro]\nType=Information\nTitle=Введение\nIdentifier=1\nDocument=intro.htm\n" },
               { "intro.htm", Document } }
        << QStringList {} << QStringList {};

    QTest::newRow("types: misspelt, missing, unknown")
        << LabFiles { { "labwork.lbw",
               "[Header]\nTitle=T\n"
               "[a]\nType=information\nTitle=A\nDocument=intro.htm\n"
               "[b]\nTitle=B\n"
               "[c]\nType=Info\nTitle=C\n" } }
        << QStringList { "labwork.lbw:4: error: unknown-type", "labwork.lbw:7: error: missing-type",
               "labwork.lbw:10: error: unknown-type" }
        << QStringList { "«Information»" };

    QTest::newRow("keys: misspelt, or read only by another kind")
        << LabFiles { { "labwork.lbw",
                          "[Header]\nTitle=T\nAutor=X\n"
                          "[intro]\nType=Information\nTitle=I\nDocument=intro.htm\nDocumnet=x\nQuestions=3\n" },
               { "intro.htm", Document } }
        << QStringList { "labwork.lbw:3: warning: unknown-key", "labwork.lbw:8: warning: unknown-key",
               "labwork.lbw:9: warning: unknown-key" }
        << QStringList { "«Author»", "«Document»", "Examination" };

    QTest::newRow("values: numbers that fall back, identifiers that wrap, entries skipped")
        << LabFiles { { "labwork.lbw",
                          "[Header]\nTitle=T\n"
                          "[intro]\nType=Information\nTitle=I\nDocument=intro.htm\nIdentifier=abc\n"
                          "[next]\nType=Information\nTitle=N\nDocument=intro.htm\nIdentifier=300\n"
                          "RequiredChapters=0 ,x,,0\n" },
               { "intro.htm", Document } }
        << QStringList { "labwork.lbw:7: warning: bad-integer", "labwork.lbw:12: warning: value-wraps",
               "labwork.lbw:13: warning: bad-required-entry", "labwork.lbw:13: warning: bad-required-entry" }
        << QStringList { "пробел перед запятой", "то есть 44" };

    QTest::newRow("values: the review after a check is known, its values checked")
        << LabFiles { { "labwork.lbw",
                          "[Header]\nTitle=T\n"
                          "[a]\nType=Examination\nTitle=A\nIdentifier=1\nHeading=H\nQuestions=0\nReview=2\n"
                          "[b]\nType=Examination\nTitle=B\nIdentifier=2\nHeading=H\nQuestions=0\nReview=3\n"
                          "[c]\nType=Examination\nTitle=C\nIdentifier=3\nHeading=H\nQuestions=0\nReview=yes\n" },
               { "quest.css", "h1 { }" } }
        << QStringList { "labwork.lbw:8: warning: no-questions", "labwork.lbw:15: warning: no-questions",
               "labwork.lbw:16: warning: review-value", "labwork.lbw:22: warning: no-questions",
               "labwork.lbw:23: warning: bad-integer" }
        << QStringList { "действует как 2" };

    QTest::newRow("markers: missing titles, heading and document")
        << LabFiles { { "labwork.lbw",
                          "[Header]\nAuthor=X\n"
                          "[intro]\nType=Information\nDocument=intro.htm\n"
                          "[exam]\nType=Examination\nTitle=E\nQuestions=0\n"
                          "[empty]\nType=Information\nTitle=E\nDocument=\n" },
               { "intro.htm", Document } }
        << QStringList { "labwork.lbw:1: error: missing-value", "labwork.lbw:3: error: missing-value",
               "labwork.lbw:6: error: missing-value", "labwork.lbw:6: warning: missing-file",
               "labwork.lbw:9: warning: no-questions", "labwork.lbw:13: error: missing-value" }
        << QStringList { "* Error reading chapter *", "quest.css" };

    QTest::newRow("structure: lines passed over, repeated keys and sections")
        << LabFiles { { "labwork.lbw",
                          "Title=outside\n[Header]\nTitle=T\nTitle=again\nTitle T\n"
                          "[intro]\nType=Information\nTitle=I\nDocument=intro.htm\n"
                          "[Intro]\nType=Examination\n" },
               { "intro.htm", Document } }
        << QStringList { "labwork.lbw:1: warning: ignored-line", "labwork.lbw:4: warning: duplicate-key",
               "labwork.lbw:5: warning: ignored-line", "labwork.lbw:10: error: duplicate-section" }
        << QStringList { "строке 6" };

    QTest::newRow("structure: a value longer than the reader reads; a quoted one that fits")
        << LabFiles { { "labwork.lbw",
                          "[Header]\nTitle=T\nDescription=" + QString(2048, u'a') + "\nAuthor=\"" + QString(2047, u'b')
                              + "\"\n"
                                "[intro]\nType=Information\nTitle=I\nDocument=intro.htm\n" },
               { "intro.htm", Document } }
        << QStringList { "labwork.lbw:3: warning: value-too-long" } << QStringList { "2047" };

    // 163 chapter names of 99 characters after "Header" fill the 16384 bytes of the section list.
    QString many = QStringLiteral("[Header]\nTitle=T\n");
    for (int i = 0; i < 166; ++i)
        many += u'[' + QString::number(1000 + i) + QString(95, u'x')
            + QStringLiteral("]\nType=Information\nTitle=I\nDocument=intro.htm\n");
    QTest::newRow("structure: sections beyond the section list")
        << LabFiles { { "labwork.lbw", many }, { "intro.htm", Document } }
        << QStringList { "labwork.lbw:655: error: beyond-name-list", "labwork.lbw:659: error: beyond-name-list",
               "labwork.lbw:663: error: beyond-name-list" }
        << QStringList { "16384" };

    QTest::newRow("structure: no header section")
        << LabFiles { { "labwork.lbw", "[intro]\nType=Information\nTitle=I\nDocument=intro.htm\n" },
               { "intro.htm", Document } }
        << QStringList { "labwork.lbw:0: error: missing-section" } << QStringList { "[Header]" };
}

void TestCheckerDescriptor::descriptor()
{
    QFETCH(LabFiles, files);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, mentions);
    CheckerFixture fixture;
    KELVO_COMPARE_REPORT(fixture.check(files), expected, mentions);
}

QTEST_GUILESS_MAIN(TestCheckerDescriptor)
#include "tst_checker_descriptor.moc"
