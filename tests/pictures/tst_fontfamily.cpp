// The installed family that draws a Windows face name: the one Qt would have fallen back to, found
// without its fallback list.

#include "FontFamily.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <future>
#include <memory>

using namespace Qt::StringLiterals;
using kelvo::pictures::fontFamilyFor;

namespace {

// QFontInfo names a family installed by more than one foundry with the foundry: "Nimbus Sans [urw]".
QString withoutFoundry(const QString &family)
{
    const qsizetype bracket = family.indexOf(u" ["_s);
    return bracket < 0 ? family : family.left(bracket);
}

// The families Qt knows by name, each once.
QStringList installedFamilies()
{
    QStringList families;
    for (const QString &family : QFontDatabase::families())
        families.append(withoutFoundry(family));
    families.removeDuplicates();
    return families;
}

// Every family name fontconfig lists, secondary names too ("DejaVu Sans Condensed" beside
// "DejaVu Sans"): its own fonts, without Qt's generic names ("Sans Serif").
QStringList fontconfigFamilies()
{
    const std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(FcPatternCreate(), FcPatternDestroy);
    const std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(
        FcObjectSetBuild(FC_FAMILY, nullptr), FcObjectSetDestroy);
    const std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> fonts(
        FcFontList(nullptr, pattern.get(), objects.get()), FcFontSetDestroy);
    QStringList families;
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcChar8 *family = nullptr;
        for (int k = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, k, &family) == FcResultMatch; ++k)
            families.append(QString::fromUtf8(reinterpret_cast<const char *>(family)));
    }
    families.removeDuplicates();
    families.sort();
    return families;
}

// The family Qt draws a font of that name in when it is asked for the name itself.
QString drawnFamily(const QString &name, bool bold, bool italic)
{
    QFont font(name);
    font.setPixelSize(13);
    font.setBold(bold);
    font.setItalic(italic);
    return withoutFoundry(QFontInfo(font).family());
}

const char NoFontsVariable[] = "KELVO_TEST_NO_FONTS";
const char AheadVariable[] = "KELVO_TEST_FONTS_AHEAD";

struct ChildRun
{
    bool passed = false;
    QByteArray output; // standard output and error as they came
};

// Runs one test function of this program again, in a process of its own with `environment`.
ChildRun runAgainInChild(const char *testFunction, const QProcessEnvironment &environment)
{
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), { QString::fromLatin1(testFunction) });
    const bool finished = child.waitForFinished(60000);
    ChildRun run;
    run.passed = finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
    run.output = child.readAll();
    return run;
}

// What the windows ask of the font configuration at start-up, one line per name.
QByteArray startupAnswers()
{
    QByteArray answers;
    for (const QString &name : { u"MS Sans Serif"_s, u"Arial"_s, u"Times New Roman Cyr"_s, u"Courier New"_s })
        answers += (name + u" -> "_s + fontFamilyFor(name) + u" / "_s + drawnFamily(name, true, false)).toUtf8() + '\n';
    return answers;
}

} // namespace

class TestFontFamily : public QObject
{
    Q_OBJECT

private slots:
    void installedFamilyIsItself_data();
    void installedFamilyIsItself();
    void windowsFaceIsTheFamilyQtDraws_data();
    void windowsFaceIsTheFamilyQtDraws();
    void emptyNameStaysEmpty_data();
    void emptyNameStaysEmpty();
    void nameStaysWhereNothingMatches();
    void configurationLoadedAheadGivesTheSameAnswers();
};

void TestFontFamily::installedFamilyIsItself_data()
{
    QTest::addColumn<QString>("family");
    const QStringList families = fontconfigFamilies();
    QVERIFY2(families.size() > 1, "the tests need the fonts the layouts are drawn with (scripts/install-deps.sh)");
    for (const QString &family : families)
        QTest::addRow("installed: %s", qPrintable(family)) << family;
    QTest::newRow("installed, other letter case") << families.first().toUpper();
}

void TestFontFamily::installedFamilyIsItself()
{
    QFETCH(QString, family);
    QCOMPARE(fontFamilyFor(family), family);
}

void TestFontFamily::windowsFaceIsTheFamilyQtDraws_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("base");
    for (const QString &face : { u"Arial"_s, u"MS Sans Serif"_s, u"Tahoma"_s, u"Verdana"_s, u"Times New Roman"_s,
             u"Courier New"_s, u"Fixedsys"_s, u"Symbol"_s, u"Helvetica"_s })
        QTest::addRow("nominal: %s", qPrintable(face)) << face << face;
    QTest::newRow("charset variant: Cyrillic") << u"Arial Cyr"_s << u"Arial"_s;
    QTest::newRow("charset variant: Central European") << u"Times New Roman CE"_s << u"Times New Roman"_s;
    QTest::newRow("charset variant, spaces around") << u"  Courier New Greek "_s << u"Courier New"_s;
    QTest::newRow("robustness: unknown face") << u"No Such Face Anywhere"_s << u"No Such Face Anywhere"_s;
}

void TestFontFamily::windowsFaceIsTheFamilyQtDraws()
{
    QFETCH(QString, face);
    QFETCH(QString, base);
    const QString family = fontFamilyFor(face);
    // Qt knows the family by that name, so it has no fallback list to build...
    QVERIFY2(installedFamilies().contains(family, Qt::CaseInsensitive), qPrintable(family));
    // ...and draws the same face as it did for the Windows name, in every style.
    for (const bool bold : { false, true }) {
        for (const bool italic : { false, true }) {
            QCOMPARE(drawnFamily(family, bold, italic), drawnFamily(base, bold, italic));
        }
    }
    // Asked again, the same answer.
    QCOMPARE(fontFamilyFor(face), family);
}

void TestFontFamily::emptyNameStaysEmpty_data()
{
    QTest::addColumn<QString>("face");
    QTest::newRow("empty") << QString();
    QTest::newRow("blank") << u"   "_s;
}

void TestFontFamily::emptyNameStaysEmpty()
{
    QFETCH(QString, face);
    QCOMPARE(fontFamilyFor(face), QString());
}

// Run again in a process whose fontconfig knows no font folder at all.
void TestFontFamily::nameStaysWhereNothingMatches()
{
    if (qEnvironmentVariableIsSet(NoFontsVariable)) {
        QVERIFY2(fontconfigFamilies().isEmpty(), "the configuration without fonts still finds some");
        QCOMPARE(fontFamilyFor(u"Arial"_s), u"Arial"_s);
        QCOMPARE(fontFamilyFor(u"Tahoma Cyr"_s), u"Tahoma"_s);
        return;
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile config(dir.filePath(u"fonts.conf"_s));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
                 "<fontconfig><cachedir>"
        + dir.filePath(u"cache"_s).toUtf8() + "</cachedir></fontconfig>\n");
    config.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(NoFontsVariable), u"1"_s);
    environment.insert(u"FONTCONFIG_FILE"_s, config.fileName());
    environment.remove(u"FONTCONFIG_PATH"_s);
    const ChildRun run = runAgainInChild("nameStaysWhereNothingMatches", environment);
    QVERIFY2(run.passed, run.output.constData());
}

// The start-up loads the configuration on a thread of its own while the windows may already ask
// for fonts: run in a process that has not loaded it yet, the answers are those of one that
// loaded it on first use.
void TestFontFamily::configurationLoadedAheadGivesTheSameAnswers()
{
    if (qEnvironmentVariableIsSet(AheadVariable)) {
        std::future<void> ahead = kelvo::pictures::loadFontConfigurationAhead();
        const QByteArray answers = startupAnswers();
        ahead.wait();
        std::fputs(answers.constData(), stdout);
        return;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(AheadVariable), u"1"_s);
    const ChildRun run = runAgainInChild("configurationLoadedAheadGivesTheSameAnswers", environment);
    QVERIFY2(run.passed, run.output.constData());
    const QByteArray expected = startupAnswers();
    QVERIFY2(run.output.contains(expected), QByteArray(run.output + "\nexpected:\n" + expected).constData());
}

QTEST_MAIN(TestFontFamily)
#include "tst_fontfamily.moc"
