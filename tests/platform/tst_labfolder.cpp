#include "LabFolder.h"
#include "RuntimeErrors.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvo;
using namespace kelvo::test;

class TestLabFolder final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_outer;
    QString m_root;

private Q_SLOTS:
    void initTestCase();
    void resolve_data();
    void resolve();
    void wildcardMatching_data();
    void wildcardMatching();
    void matchListsInStableOrder();
    void readLabFileReportsTheNameAsOpened();
    void rootReachedThroughALink();
    void resolverSeesChangesOfTheFolder();
    void splitLines_data();
    void splitLines();
};

void TestLabFolder::initTestCase()
{
    const QDir outer(m_outer.path());
    writeFile(outer, QStringLiteral("secret.txt"), "secret");
    m_root = outer.absoluteFilePath(QStringLiteral("lab"));
    const QDir root(m_root);
    writeFile(root, QStringLiteral("intro.htm"), "x");
    writeFile(root, QStringLiteral("Intro.HTM"), "y");
    writeFile(root, QStringLiteral("pictures/fig1.gif"), "g");
    writeFile(root, QStringLiteral("Документы/Схема.BMP"), "b");
    writeFile(outer, QStringLiteral("outside/passwd"), "root");
    // Links that lead out of the folder, and ones that stay inside it.
    QVERIFY(QFile::link(outer.absoluteFilePath(QStringLiteral("outside")), root.filePath(QStringLiteral("etc"))));
    QVERIFY(
        QFile::link(outer.absoluteFilePath(QStringLiteral("secret.txt")), root.filePath(QStringLiteral("key.txt"))));
    QVERIFY(QFile::link(QStringLiteral("../../outside"), root.filePath(QStringLiteral("pictures/up"))));
    QVERIFY(QFile::link(QStringLiteral("/"), root.filePath(QStringLiteral("system"))));
    QVERIFY(QFile::link(QStringLiteral("pictures"), root.filePath(QStringLiteral("figures"))));
    QVERIFY(QFile::link(QStringLiteral("intro.htm"), root.filePath(QStringLiteral("start.htm"))));
}

void TestLabFolder::resolve_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("found"); // relative to the root; empty: nothing found

    QTest::newRow("nominal: exact name wins over other case") << "Intro.HTM"
                                                              << "Intro.HTM";
    QTest::newRow("nominal: exact lower-case name") << "intro.htm"
                                                    << "intro.htm";
    QTest::newRow("nominal: other case, first in sorted order") << "INTRO.htm"
                                                                << "Intro.HTM";
    QTest::newRow("nominal: backslash and case") << "Pictures\\Fig1.GIF"
                                                 << "pictures/fig1.gif";
    QTest::newRow("nominal: dot-backslash prefix") << ".\\pictures\\fig1.gif"
                                                   << "pictures/fig1.gif";
    QTest::newRow("nominal: Cyrillic in other case")
        << QStringLiteral("документы/схема.bmp") << QStringLiteral("Документы/Схема.BMP");
    QTest::newRow("nominal: inner .. stays inside") << "pictures/../intro.htm"
                                                    << "intro.htm";
    QTest::newRow("nominal: empty name is the folder itself") << ""
                                                              << ".";
    QTest::newRow("robustness: missing file") << "absent.htm"
                                              << "";
    QTest::newRow("robustness: .. cannot climb out") << "..\\secret.txt"
                                                     << "";
    QTest::newRow("robustness: absolute path stays inside") << "/secret.txt"
                                                            << "";
    QTest::newRow("robustness: drive letter") << "C:\\intro.htm"
                                              << "";
    QTest::newRow("robustness: file used as folder") << "intro.htm/x"
                                                     << "";
    QTest::newRow("robustness: linked folder outside") << "etc/passwd"
                                                       << "";
    QTest::newRow("robustness: linked folder outside, other case") << "ETC\\PASSWD"
                                                                   << "";
    QTest::newRow("robustness: the link to a folder outside itself") << "etc"
                                                                     << "";
    QTest::newRow("robustness: linked file outside") << "key.txt"
                                                     << "";
    QTest::newRow("robustness: relative link climbing out") << "pictures/up/passwd"
                                                            << "";
    QTest::newRow("robustness: link to the root of the system") << "system/etc/passwd"
                                                                << "";
    QTest::newRow("nominal: linked folder inside") << "Figures/FIG1.GIF"
                                                   << "figures/fig1.gif";
    QTest::newRow("nominal: linked file inside") << "start.htm"
                                                 << "start.htm";
}

void TestLabFolder::resolve()
{
    QFETCH(QString, name);
    QFETCH(QString, found);
    const std::optional<QString> path = LabFolder(m_root).resolve(name);
    if (found.isEmpty()) {
        QVERIFY2(!path, qPrintable(path.value_or(QString())));
        return;
    }
    QVERIFY(path);
    QCOMPARE(QDir(*path).canonicalPath(), QDir(m_root + u'/' + found).canonicalPath());
    if (found != u".")
        QCOMPARE(*path, m_root + u'/' + found);
}

void TestLabFolder::wildcardMatching_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");

    QTest::newRow("star") << "c003.q001.v*.q"
                          << "c003.q001.vA.q" << true;
    QTest::newRow("star matches empty") << "c003.q001.v*.q"
                                        << "c003.q001.v.q" << true;
    QTest::newRow("case ignored") << "c003.q001.v*.q"
                                  << "C003.Q001.VB.Q" << true;
    QTest::newRow("other question") << "c003.q001.v*.q"
                                    << "c003.q011.vA.q" << false;
    QTest::newRow("longer suffix") << "c003.q001.v*.q"
                                   << "c003.q001.vA.q.bak" << false;
    QTest::newRow("star backtracks") << "*.q"
                                     << "a.q.q" << true;
    QTest::newRow("question mark") << "a?c"
                                   << "abc" << true;
    QTest::newRow("question mark needs a character") << "a?c"
                                                     << "ac" << false;
}

void TestLabFolder::wildcardMatching()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, matches);
    QCOMPARE(wildcardMatch(pattern, name), matches);
}

void TestLabFolder::matchListsInStableOrder()
{
    QTemporaryDir dir;
    for (const char *name : { "c001.q001.vB.q", "c001.q001.va.q", "C001.Q001.VC.Q", "c001.q002.vA.q", "other" })
        writeFile(QDir(dir.path()), QString::fromLatin1(name), "x");
    QDir(dir.path()).mkdir(QStringLiteral("c001.q001.vDir.q"));
    const LabFolder folder(dir.path());
    const QStringList expected { "C001.Q001.VC.Q", "c001.q001.vB.q", "c001.q001.vDir.q", "c001.q001.va.q" };
    QCOMPARE(folder.match(u"c001.q001.v*.q"), expected);
    // The listing is taken once: a file added later is not seen by the same object.
    writeFile(QDir(dir.path()), QStringLiteral("c001.q001.vZ.q"), "x");
    QCOMPARE(folder.match(u"c001.q001.v*.q"), expected);
    QCOMPARE(LabFolder(dir.path()).match(u"c001.q001.v*.q").size(), 5);
}

void TestLabFolder::readLabFileReportsTheNameAsOpened()
{
    const CurrentDirectory inLab(m_root);
    QCOMPARE(readLabFile(u"PICTURES\\FIG1.gif"), QByteArray("g"));
    try {
        readLabFile(u"docs\\absent.htm");
        QFAIL("no error raised");
    } catch (const EFOpenError &error) {
        QCOMPARE(error.message(), QStringLiteral("Cannot open file ./docs/absent.htm"));
    }
    QVERIFY_THROWS_EXCEPTION(EFOpenError, readLabFile(u"pictures")); // a folder
    QVERIFY_THROWS_EXCEPTION(EFOpenError, readLabFile(u""));
    QCOMPARE(messageOf([] { readLabFile(u"etc\\passwd"); }), QStringLiteral("Cannot open file ./etc/passwd"));
}

void TestLabFolder::rootReachedThroughALink()
{
    // A descriptor read in place may sit in a folder that is itself a link: its files are inside.
    const QString linkedRoot = QDir(m_outer.path()).filePath(QStringLiteral("linked-lab"));
    QVERIFY(QFile::link(m_root, linkedRoot));
    const LabFolder folder(linkedRoot);
    QCOMPARE(folder.resolve(u"PICTURES/fig1.gif"), std::optional<QString>(linkedRoot + u"/pictures/fig1.gif"));
    QCOMPARE(folder.resolve(u"figures/fig1.gif"), std::optional<QString>(linkedRoot + u"/figures/fig1.gif"));
    QVERIFY(!folder.resolve(u"etc/passwd"));
}

void TestLabFolder::resolverSeesChangesOfTheFolder()
{
    // Listings are kept between lookups: a name added, renamed or removed must still be seen.
    QTemporaryDir dir;
    const QDir root(dir.path());
    writeFile(root, QStringLiteral("a.htm"), "a");
    const LabFolder folder(dir.path());
    QVERIFY(!folder.resolve(u"NEW.HTM"));
    QVERIFY(folder.resolve(u"A.HTM"));
    writeFile(root, QStringLiteral("New.htm"), "n");
    QCOMPARE(folder.resolve(u"NEW.HTM"), std::optional<QString>(root.filePath(QStringLiteral("New.htm"))));
    QVERIFY(QFile::rename(root.filePath(QStringLiteral("New.htm")), root.filePath(QStringLiteral("Renamed.htm"))));
    QVERIFY(!folder.resolve(u"NEW.HTM"));
    QCOMPARE(LabFolder(dir.path()).resolve(u"renamed.HTM"),
        std::optional<QString>(root.filePath(QStringLiteral("Renamed.htm"))));
    QVERIFY(QFile::remove(root.filePath(QStringLiteral("a.htm"))));
    QVERIFY(!folder.resolve(u"A.HTM"));
    // In a sub-folder as well.
    writeFile(root, QStringLiteral("Sub/b.gif"), "b");
    QVERIFY(folder.resolve(u"sub/B.GIF"));
    writeFile(root, QStringLiteral("Sub/C.gif"), "c");
    QVERIFY(folder.resolve(u"sub/c.GIF"));
}

void TestLabFolder::splitLines_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<QByteArray>>("lines");

    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QList<QByteArray> { "a", "b" };
    QTest::newRow("LF and CR mixed") << QByteArray("a\nb\rc") << QList<QByteArray> { "a", "b", "c" };
    QTest::newRow("empty lines kept") << QByteArray("a\r\n\r\nb") << QList<QByteArray> { "a", "", "b" };
    QTest::newRow("CR CR LF is two breaks") << QByteArray("a\r\r\nb") << QList<QByteArray> { "a", "", "b" };
    QTest::newRow("empty text") << QByteArray() << QList<QByteArray> {};
    QTest::newRow("only a break") << QByteArray("\n") << QList<QByteArray> { "" };
}

void TestLabFolder::splitLines()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<QByteArray>, lines);
    QList<QByteArray> got;
    for (const QByteArrayView line : kelvo::splitLines(QByteArrayView(text)))
        got.append(line.toByteArray());
    QCOMPARE(got, lines);
    QStringList expectedText;
    for (const QByteArray &line : lines)
        expectedText.append(QString::fromLatin1(line));
    QCOMPARE(kelvo::splitLines(QStringView(QString::fromLatin1(text))), expectedText);
}

QTEST_GUILESS_MAIN(TestLabFolder)
#include "tst_labfolder.moc"
