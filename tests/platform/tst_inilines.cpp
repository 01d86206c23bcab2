#include "IniFile.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kelvo::test;

// Where the INI reader found what it answers, for reports to the lab work's author.
class TestIniLines final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void linesUnderEveryLineEnd_data();
    void linesUnderEveryLineEnd();
    void repeatedNamesKeepTheirOwnLines();
    void ignoredLines();
};

void TestIniLines::linesUnderEveryLineEnd_data()
{
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::newRow("nominal: CR LF") << QByteArray("\r\n");
    QTest::newRow("nominal: LF") << QByteArray("\n");
    QTest::newRow("nominal: CR") << QByteArray("\r");
}

void TestIniLines::linesUnderEveryLineEnd()
{
    QFETCH(QByteArray, lineEnd);
    QByteArray content = "; comment\n[Header]\n\nTitle=x\n  [Intro]  \nType = Information\n";
    content.replace("\n", lineEnd);
    const TIniFile ini(writeFile(QDir(m_dir.path()), QStringLiteral("lines.ini"), content));
    QCOMPARE(ini.SectionLine(QStringLiteral("header")), 2);
    QCOMPARE(ini.KeyLine(QStringLiteral("Header"), QStringLiteral("TITLE")), 4);
    QCOMPARE(ini.SectionLine(QStringLiteral("Intro")), 5);
    QCOMPARE(ini.KeyLine(QStringLiteral("Intro"), QStringLiteral("Type")), 6);
    QCOMPARE(ini.KeyLine(QStringLiteral("Intro"), QStringLiteral("Title")), 0);
    QCOMPARE(ini.SectionLine(QStringLiteral("none")), 0);
}

void TestIniLines::repeatedNamesKeepTheirOwnLines()
{
    const TIniFile ini(writeFile(QDir(m_dir.path()), QStringLiteral("repeated.ini"), "[A]\nK=1\nk=2\n[a]\nK=3\n"));
    // The readers answer from the first of a name; the full list keeps the others.
    QCOMPARE(ini.KeyLine(QStringLiteral("a"), QStringLiteral("k")), 2);
    QCOMPARE(ini.ReadString(QStringLiteral("a"), QStringLiteral("k"), {}), QStringLiteral("1"));
    const std::vector<TIniFile::Section> &sections = ini.AllSections();
    QCOMPARE(sections.size(), size_t(2));
    QCOMPARE(sections[0].entries.size(), size_t(2));
    QCOMPARE(sections[0].entries[1].line, 3);
    QCOMPARE(sections[1].line, 4);
    QCOMPARE(sections[1].entries[0].line, 5);
    QCOMPARE(sections[1].entries[0].value, QStringLiteral("3"));
}

void TestIniLines::ignoredLines()
{
    const TIniFile ini(writeFile(QDir(m_dir.path()), QStringLiteral("ignored.ini"),
        "Orphan=1\n[S]\nType Information\n=no key\n; fine\n\n[]\nK=2\n[T]\nK=3\n"));
    QCOMPARE(ini.IgnoredLines(), (QList<int> { 1, 3, 4, 7, 8 }));
    QCOMPARE(ini.ReadSections(), (QStringList { "S", "T" }));
}

QTEST_GUILESS_MAIN(TestIniLines)
#include "tst_inilines.moc"
