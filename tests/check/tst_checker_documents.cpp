#include "tst_checker_fixture.h"

#include <QElapsedTimer>

using namespace kelvo;
using namespace kelvo::test;

namespace {

QString descriptor(const QString &document)
{
    return QStringLiteral("[Header]\nTitle=T\n[intro]\nType=Information\nTitle=I\nDocument=") + document + u'\n';
}

} // namespace

// Documents and the files they refer to, as the viewer shows them from the lab folder: missing
// or misnamed files, files in sub-folders, links that cannot open, scripts that do not run.
class TestCheckerDocuments final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void documents_data();
    void documents();
    void hostileDocumentStaysQuick();
};

void TestCheckerDocuments::documents_data()
{
    QTest::addColumn<LabFiles>("files");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("mentions");

    QTest::newRow("nominal: pictures, a style sheet and its pictures, outside links")
        << LabFiles { { "labwork.lbw", descriptor("intro.htm") },
               { "intro.htm",
                   "<html><head><link rel=\"stylesheet\" href=\"style.css\"></head>\n"
                   "<body background=\"bg.png\"><img src='pic.png' alt=\"Схема\">\n"
                   "<a href=\"http://example.org/a b\">x</a> <a href=\"#top\">t</a> "
                   "<a href=mailto:a@b.ru>m</a> <a href=\"pic.png?x#y\">p</a>\n"
                   "<!-- <img src=\"commented.png\"> --></body></html>\n" },
               { "style.css",
                   "/* url(comment.png) */\nbody { background: url(\"bg.png\") }\n"
                   "@import 'more.css';\n" },
               { "more.css", "h1 { background: url( pic.png ) }\n" }, { "bg.png", "png" }, { "pic.png", "png" } }
        << QStringList {} << QStringList {};

    QTest::newRow("references: missing, in letter case only, in a style attribute and a style sheet")
        << LabFiles { { "labwork.lbw", descriptor("intro.htm") },
               { "intro.htm",
                   "<html><head>\n<link rel=\"stylesheet\" href=\"Style.css\">\n</head><body>\n"
                   "<img src=\"missing.png\">\n<p style=\"background: url('nope.png')\">x</p>\n"
                   "</body></html>\n" },
               { "style.css", "body {\n  background: url(gone.gif);\n}\n" } }
        << QStringList { "intro.htm:2: warning: file-case", "intro.htm:4: error: missing-file",
               "intro.htm:5: error: missing-file", "style.css:2: error: missing-file" }
        << QStringList { "«style.css»" };

    QTest::newRow("sub-folders: found only while the descriptor is read in place; pictures beside the document")
        << LabFiles { { "labwork.lbw", descriptor("docs\\intro.htm") },
               { "docs/intro.htm", "<html><body><img src=\"img/a.png\">\n<img src=\"beside.png\"></body></html>\n" },
               { "docs/beside.png", "png" }, { "img/a.png", "png" } }
        << QStringList { "labwork.lbw:6: warning: subfolder", "docs/intro.htm:1: warning: subfolder",
               "docs/intro.htm:2: error: missing-file" }
        << QStringList { "«intro.htm»", "«a.png»" };

    QTest::newRow("scripts and links that cannot open; the closing body tag in capitals")
        << LabFiles { { "labwork.lbw", descriptor("intro.htm") },
               { "intro.htm",
                   "<html><BODY onload=\"init()\">\n<script src=\"app.js\"></script>\n"
                   "<a href=\"javascript:go()\">go</a>\n<a href=\"file:///C:/lab/x.htm\">x</a>\n"
                   "<img src=\"C:\\pics\\a.png\">\n</BODY></html>\n" } }
        << QStringList { "intro.htm:1: warning: script", "intro.htm:2: warning: script", "intro.htm:3: warning: script",
               "intro.htm:4: error: unsupported-link", "intro.htm:5: error: unsupported-link",
               "intro.htm:6: warning: no-body-end" }
        << QStringList { "onload", "file:///C:/lab/x.htm" };

    QTest::newRow("documents: misspelt, a folder, absent")
        << LabFiles { { "labwork.lbw",
                          "[Header]\nTitle=T\n"
                          "[a]\nType=Information\nTitle=A\nDocument=intrro.htm\n"
                          "[b]\nType=Information\nTitle=B\nDocument=pics\n"
                          "[c]\nType=Information\nTitle=C\nDocument=..\\outside.htm\n" },
               { "intro.htm", "<html><body></body></html>" }, { "pics", "<folder>" } }
        << QStringList { "labwork.lbw:6: error: missing-file", "labwork.lbw:10: error: not-a-file",
               "labwork.lbw:14: error: missing-file" }
        << QStringList { "(возможно, имелось в виду «intro.htm»)" };

    QTest::newRow("charset: declares windows-1251, written in UTF-8")
        << LabFiles { { "labwork.lbw", descriptor("intro.htm") },
               { "intro.htm", "<utf8><html><head><meta charset=windows-1251></head><body>Опыт</body></html>" } }
        << QStringList { "intro.htm:0: warning: charset-mismatch" } << QStringList { "windows-1251", "в UTF-8" };
    QTest::newRow("charset: declares UTF-8, written in Windows-1251")
        << LabFiles { { "labwork.lbw", descriptor("intro.htm") },
               { "intro.htm",
                   "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"></head>"
                   "<body>Опыт</body></html>" } }
        << QStringList { "intro.htm:0: warning: charset-mismatch" } << QStringList { "utf-8", "не в UTF-8" };
    QTest::newRow("charset: UTF-8 as declared") << LabFiles { { "labwork.lbw", descriptor("intro.htm") },
        { "intro.htm", "<utf8><html><head><meta charset=utf-8></head><body>Опыт</body></html>" } }
                                                << QStringList {} << QStringList {};

    // The player opens "A.htm": the exactly named entry is a link that leads nowhere.
    QTest::newRow("names: a dangling link of the exact name beside a file of another case")
        << LabFiles { { "labwork.lbw", descriptor("a.htm") }, { "A.htm", "<html><body></body></html>" },
               { "a.htm", "<link>nowhere.htm" } }
        << QStringList { "labwork.lbw:6: warning: file-case", "a.htm:0: warning: case-collision" }
        << QStringList { "«A.htm»" };

    QTest::newRow("names: two files that Windows takes for one") << LabFiles {
        { "labwork.lbw", descriptor("intro.htm") }, { "intro.htm", "<html><body><img src=\"pic.png\"></body></html>" },
        { "Pic.png", "png" }, { "pic.png", "png" }
    } << QStringList { "pic.png:0: warning: case-collision" } << QStringList { "«Pic.png» и «pic.png»" };
}

void TestCheckerDocuments::documents()
{
    QFETCH(LabFiles, files);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, mentions);
    CheckerFixture fixture;
    KELVO_COMPARE_REPORT(fixture.check(files), expected, mentions);
}

void TestCheckerDocuments::hostileDocumentStaysQuick()
{
    // Many files, a document with countless distinct broken references, a huge attribute full of
    // "&" and tags that never close: every finding is reported, in bounded time.
    LabFiles files { { "labwork.lbw", descriptor("intro.htm") } };
    for (int i = 0; i < 2000; ++i)
        files.insert(QStringLiteral("file%1.png").arg(i), QStringLiteral("png"));
    QString html = QStringLiteral("<html><body>\n");
    for (int i = 0; i < 20000; ++i)
        html += QStringLiteral("<img src=\"missing%1.png\">\n").arg(i);
    html += QStringLiteral("<p title=\"") + QString(1 << 20, u'&') + QStringLiteral("\">");
    html += QString(100000, u'<') + QStringLiteral("</body></html>");
    files.insert(QStringLiteral("intro.htm"), html);

    QElapsedTimer timer;
    timer.start();
    CheckerFixture fixture;
    const check::CheckReport report = fixture.check(files);
    QCOMPARE(report.errorCount(), 20000);
    QVERIFY2(timer.elapsed() < 60000, qPrintable(QString::number(timer.elapsed())));
}

QTEST_GUILESS_MAIN(TestCheckerDocuments)
#include "tst_checker_documents.moc"
