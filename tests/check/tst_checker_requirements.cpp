#include "tst_checker_fixture.h"

using namespace kelvo;
using namespace kelvo::test;

namespace {

const QString Document = QStringLiteral("<html><body><p>Текст</p></body></html>\n");
const QString Schema = QStringLiteral("[SchemaHeader]\nTitle=Стенд\nImageFile=bench.png\n");

// A descriptor of information chapters "[name]" with the given extra keys, one chapter per entry.
QString chapters(const QList<std::pair<QString, QString>> &list)
{
    QString text = QStringLiteral("[Header]\nTitle=T\n");
    for (const auto &[name, keys] : list) {
        text += u'[' + name + QStringLiteral("]\nType=Information\nTitle=") + name
            + QStringLiteral("\nDocument=doc.htm\n") + keys;
    }
    return text;
}

} // namespace

// How chapters refer to one another: requirements no chapter meets, chapters that never open,
// identifiers shared where it matters, links to nowhere.
class TestCheckerRequirements final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void requirements_data();
    void requirements();
};

void TestCheckerRequirements::requirements_data()
{
    QTest::addColumn<LabFiles>("files");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("mentions");

    // Lines: each chapter takes 4 lines plus its extra keys, after the two header lines.
    QTest::newRow("nominal: a chain of requirements")
        << LabFiles { { "labwork.lbw",
                          chapters({ { "a", "Identifier=1\n" }, { "b", "Identifier=2\nRequiredChapters=1\n" },
                              { "c", "Identifier=3\nRequiredChapters=1,2\n" } }) },
               { "doc.htm", Document } }
        << QStringList {} << QStringList {};

    QTest::newRow("unknown: a required identifier no chapter carries, and one only the chapter itself carries")
        << LabFiles { { "labwork.lbw",
                          chapters({ { "a", "Identifier=1\nRequiredChapters=7\n" },
                              { "b", "Identifier=2\nRequiredChapters=2\n" } }) },
               { "doc.htm", Document } }
        << QStringList { "labwork.lbw:8: warning: unknown-required", "labwork.lbw:14: warning: unknown-required" }
        << QStringList { "идентификатором 7", "свой же идентификатор 2" };

    QTest::newRow("never: a cycle of two, and a chapter behind it")
        << LabFiles { { "labwork.lbw",
                          chapters({ { "a", "Identifier=1\nRequiredChapters=2\n" },
                              { "b", "Identifier=2\nRequiredChapters=1\n" },
                              { "c", "Identifier=3\nRequiredChapters=2\n" } }) },
               { "doc.htm", Document } }
        << QStringList { "labwork.lbw:8: error: requirement-cycle", "labwork.lbw:14: error: requirement-cycle",
               "labwork.lbw:20: error: never-opens" }
        << QStringList { "[a] → [b] → [a]", "[b]" };

    QTest::newRow("never: requiring an experiment, which is never passed")
        << LabFiles { { "labwork.lbw",
                          chapters({ { "a", "Identifier=1\nRequiredChapters=5\n" } })
                              + "[bench]\nType=Experiment\nTitle=B\nIdentifier=5\nSchemaFile=bench.ini\n" },
               { "doc.htm", Document }, { "bench.ini", Schema }, { "bench.png", "png" } }
        << QStringList { "labwork.lbw:8: error: requires-experiment" } << QStringList { "[bench]" };

    QTest::newRow("nominal: instructions opened from the experiment unlock what requires them") << LabFiles {
        { "labwork.lbw",
            chapters({ { "help", "Identifier=4\nRequiredChapters=9\n" },
                { "after", "Identifier=6\nRequiredChapters=4\n" }, { "first", "Identifier=9\nRequiredChapters=5\n" } })
                + "[bench]\nType=Experiment\nTitle=B\nIdentifier=5\nSchemaFile=bench.ini\n"
                  "LinkedChapter=4\n" },
        { "doc.htm", Document }, { "bench.ini", Schema }, { "bench.png", "png" }
    } << QStringList { "labwork.lbw:20: error: requires-experiment" } << QStringList {};

    QTest::newRow("identifiers: shared by two examinations, by a required chapter; harmless elsewhere")
        << LabFiles { { "labwork.lbw",
                          chapters({ { "a", "Identifier=1\n" }, { "b", "Identifier=1\n" }, { "c", "Identifier=2\n" },
                              { "d", "Identifier=2\n" }, { "e", "Identifier=3\nRequiredChapters=1\n" } })
                              + "[q1]\nType=Examination\nTitle=Q\nHeading=H\nIdentifier=8\n"
                                "[q2]\nType=Examination\nTitle=Q\nHeading=H\nIdentifier=8\n" },
               { "doc.htm", Document }, { "quest.css", "h1 { color: navy }" } }
        << QStringList { "labwork.lbw:12: warning: duplicate-identifier", "labwork.lbw:29: warning: missing-key",
               "labwork.lbw:34: warning: missing-key", "labwork.lbw:38: warning: duplicate-identifier" }
        << QStringList { "c008.q*.q", "обеих" };

    QTest::newRow("links: to nowhere, and to a chapter that is not a document")
        << LabFiles { { "labwork.lbw",
                          "[Header]\nTitle=T\n"
                          "[bench]\nType=Experiment\nTitle=B\nIdentifier=5\nSchemaFile=bench.ini\nLinkedChapter=7\n"
                          "[other]\nType=Experiment\nTitle=B\nIdentifier=6\nSchemaFile=bench.ini\n"
                          "LinkedChapter=5\n" },
               { "bench.ini", Schema }, { "bench.png", "png" } }
        << QStringList { "labwork.lbw:8: error: missing-link", "labwork.lbw:14: warning: link-not-information" }
        << QStringList { "идентификатором 7", "[bench] типа Experiment" };
}

void TestCheckerRequirements::requirements()
{
    QFETCH(LabFiles, files);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, mentions);
    CheckerFixture fixture;
    KELVO_COMPARE_REPORT(fixture.check(files), expected, mentions);
}

QTEST_GUILESS_MAIN(TestCheckerRequirements)
#include "tst_checker_requirements.moc"
