#include "ExperimentChapter.h"
#include "IniFile.h"
#include "Localization.h"
#include "ModelMessages.h"
#include "NumberFormats.h"
#include "Random.h"
#include "TestSupport.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A lab folder ("lab" inside a temporary folder) with one experiment chapter.
class Bench final
{
public:
    Bench()
        : m_lab((QDir(m_dir.path()).mkpath(u"lab"_s), m_dir.filePath(u"lab"_s)))
        , m_cwd(m_lab.path())
    {
    }

    // Written as UTF-8 with a byte order mark; "\n" as line end.
    void write(const QString &name, const QString &text)
    {
        kelvo::test::writeFile(m_lab, name, "\xEF\xBB\xBF" + text.toUtf8());
    }
    QDir outside() const { return QDir(m_dir.path()); }

    TExperimentChapter &load(const QString &keys)
    {
        write(u"labwork.lbw"_s, u"[Bench]\nType=Experiment\nTitle=Bench\n"_s + keys);
        m_chapter.reset();
        m_descriptor = std::make_unique<TIniFile>(m_lab.filePath(u"labwork.lbw"_s));
        m_chapter = std::make_unique<TExperimentChapter>(u"Bench"_s, m_descriptor.get());
        return *m_chapter;
    }

    TExperimentChapter &load(const QString &keys, const QString &schema)
    {
        write(u"schema.ini"_s, schema);
        return load(u"SchemaFile=schema.ini\n"_s + keys);
    }

private:
    QTemporaryDir m_dir;
    QDir m_lab;
    kelvo::test::CurrentDirectory m_cwd;
    std::unique_ptr<TIniFile> m_descriptor;
    std::unique_ptr<TExperimentChapter> m_chapter;
};

const QString LampSchema = QStringLiteral(
    "[SchemaHeader]\nImageFile=lamp.bmp\nTitle=Lamp circuit\nStartFrom=__open\n"
    "[__open]\nTitle=Switch open\nImageFile=lamp_open.bmp\nV1=0\n"
    "[__closed]\nTitle=Switch closed\nImageFile=lamp_closed.bmp\nV1=RAND()\n"
    "[Supply]\nClass=Passive\nTitle=Supply voltage\nLeft=40\nTop=200\nUnit=V\nAjustable=1\nIdentifier=U\n"
    "Value=12\nMin=0\nMax=24\n"
    "[V1]\nClass=Measurement\nTitle=Voltmeter\nLeft=300\nTop=120\nWidth=90\nUnit=V\n"
    "[Lamp]\nClass=Area\nLeft=180\nTop=60\nWidth=60\nHeight=80\nHint=Lamp|Filament lamp for 12 V\n"
    "[Note]\nClass=Label\n");

QStringList sectionNames(const TDeviceList &devices)
{
    QStringList names;
    for (int i = 0; i < devices.Count(); ++i)
        names << devices.Device(i)->SectionName;
    return names;
}

template <typename Device> Device *device(const TExperimentChapter &chapter, const QString &name)
{
    auto *found = dynamic_cast<Device *>(chapter.Devices.FindDevice(name));
    if (!found)
        qFatal("no device %s of that kind", qPrintable(name));
    return found;
}

} // namespace

class TestExperiment final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void workedExample_data();
    void workedExample();
    void sectionKinds();
    void startVariant_data();
    void startVariant();
    void brokenSchema_data();
    void brokenSchema();
    void schemaFoundAsWindowsNamesIt();
    void linkedChapter_data();
    void linkedChapter();
    void activateVariant();
    void recalculate_data();
    void recalculate();
    void recalculateReportsOncePerText();

private:
    QStringList m_activationErrors;
    QList<kelvo::ValueTextError> m_valueTextErrors;
};

void TestExperiment::init()
{
    m_activationErrors.clear();
    m_valueTextErrors.clear();
    kelvo::setActivationErrorHandler([this](const QString &text) { m_activationErrors << text; });
    kelvo::setValueTextErrorHandler([this](const kelvo::ValueTextError &error) { m_valueTextErrors << error; });
}

void TestExperiment::cleanup()
{
    kelvo::setActivationErrorHandler({});
    kelvo::setValueTextErrorHandler({});
}

void TestExperiment::workedExample_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("Russian settings") << kelvo::test::russian();
    QTest::newRow("English settings") << kelvo::test::english();
}

void TestExperiment::workedExample()
{
    QFETCH(QLocale, locale);
    const kelvo::test::DefaultLocale scope(locale);
    Bench bench;
    SeedRandom(5);
    TExperimentChapter &chapter = bench.load(u"LinkedChapter=3\n"_s, LampSchema);

    QCOMPARE(chapter.SchemaTitle, u"Lamp circuit"_s);
    QCOMPARE(chapter.LinkedChapter, quint8(3));
    QCOMPARE(chapter.StartFrom, u"__open"_s);
    QCOMPARE(chapter.GetHTML(), QByteArray());
    QCOMPARE(chapter.CheckAnswers({ u"q1=a"_s }), -1);
    QVERIFY(!chapter.Passed);

    // Note has a class that is none of the three and gives no device.
    QCOMPARE(sectionNames(chapter.Devices), (QStringList { u"Supply"_s, u"V1"_s, u"Lamp"_s }));
    QVERIFY(dynamic_cast<TPassiveDevice *>(chapter.Devices.Device(0)));
    QVERIFY(dynamic_cast<TMeasurementDevice *>(chapter.Devices.Device(1)));
    QVERIFY(dynamic_cast<TAreaDevice *>(chapter.Devices.Device(2)));

    QCOMPARE(chapter.Variants.Count(), 2);
    QCOMPARE(chapter.Variants.Variant(0)->Values, QStringList { u"V1=0"_s });
    const QString closedLine = chapter.Variants.Variant(1)->Values.value(0);
    const QString separator = QRegularExpression::escape(kelvo::decimalSeparator(locale));
    QVERIFY2(
        QRegularExpression(u"^V1=0"_s + separator + uR"(\d+$)"_s).match(closedLine).hasMatch(), qPrintable(closedLine));

    // The start variant is active after loading.
    auto *supply = device<TPassiveDevice>(chapter, u"Supply"_s);
    auto *voltmeter = device<TMeasurementDevice>(chapter, u"V1"_s);
    QCOMPARE(chapter.ImageFile, u"lamp_open.bmp"_s);
    QCOMPARE(chapter.CurrentVariant, u"__open"_s);
    QCOMPARE(voltmeter->ValueText, u"0"_s);
    QCOMPARE(voltmeter->Value, 0.0);
    QCOMPARE(supply->Value, 12.0);
    QCOMPARE(supply->Min, 0.0);
    QCOMPARE(supply->Max, 24.0);

    // The student sets the supply to 20; the voltmeter's text names no device, so it keeps 0.
    supply->Value = 20;
    chapter.Recalculate();
    QCOMPARE(voltmeter->Value, 0.0);

    // Switch closed: the random number drawn at loading shows.
    QVERIFY(chapter.ActivateVariant(u"__closed"_s));
    chapter.Recalculate();
    QCOMPARE(chapter.ImageFile, u"lamp_closed.bmp"_s);
    QCOMPARE(chapter.CurrentVariant, u"__closed"_s);
    QCOMPARE(voltmeter->ValueText, closedLine.mid(3));
    QCOMPARE(voltmeter->Value, kelvo::parseDecimal(closedLine.mid(3)).value_or(-1));
    QCOMPARE(supply->Value, 20.0);

    QVERIFY(m_activationErrors.isEmpty());
    QVERIFY(m_valueTextErrors.isEmpty());
}

void TestExperiment::sectionKinds()
{
    Bench bench;
    TExperimentChapter &chapter = bench.load(QString(),
        u"[schemaheader]\nTitle=Small letters\nStartFrom=\n"
        "[_one]\nClass=Area\n"
        "[__]\nTitle=Nameless\n"
        "[Low]\nClass=measurement\n"
        "[None]\nTitle=No class\n"
        "[Between]\nClass=Passive\n"
        "[__x]\nTitle=Second\n"
        "[Last]\nClass=Measurement\n"_s);
    QCOMPARE(chapter.SchemaTitle, u"Small letters"_s);
    QCOMPARE(sectionNames(chapter.Devices), (QStringList { u"_one"_s, u"Between"_s, u"Last"_s }));
    QCOMPARE(chapter.Variants.Count(), 2);
    QCOMPARE(chapter.Variants.Variant(0)->SectionName, u"__"_s);
    QCOMPARE(chapter.Variants.Variant(1)->SectionName, u"__x"_s);
}

void TestExperiment::startVariant_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("currentVariant");
    QTest::addColumn<QString>("imageFile");
    QTest::addColumn<int>("activationErrors");

    QTest::newRow("nominal: start variant activated") << u"StartFrom=__open"_s << u"__open"_s << u"open.bmp"_s << 0;
    QTest::newRow("none: StartFrom missing") << QString() << QString() << u"header.bmp"_s << 0;
    QTest::newRow("none: StartFrom empty") << u"StartFrom="_s << QString() << u"header.bmp"_s << 0;
    QTest::newRow("error: StartFrom names no variant") << u"StartFrom=__gone"_s << QString() << u"header.bmp"_s << 1;
    QTest::newRow("error: StartFrom in other letter case")
        << u"StartFrom=__OPEN"_s << QString() << u"header.bmp"_s << 1;
    QTest::newRow("error: StartFrom without the low lines") << u"StartFrom=open"_s << QString() << u"header.bmp"_s << 1;
}

void TestExperiment::startVariant()
{
    QFETCH(QString, header);
    QFETCH(QString, currentVariant);
    QFETCH(QString, imageFile);
    QFETCH(int, activationErrors);

    Bench bench;
    TExperimentChapter &chapter = bench.load(QString(),
        u"[SchemaHeader]\nImageFile=header.bmp\n"_s + header + u"\n[__open]\nTitle=Open\nImageFile=open.bmp\n"_s);
    QCOMPARE(chapter.CurrentVariant, currentVariant);
    QCOMPARE(chapter.ImageFile, imageFile);
    QCOMPARE(m_activationErrors, QStringList(activationErrors, u"Activation error!"_s));
    QCOMPARE(chapter.Variants.Count(), 1);
}

void TestExperiment::brokenSchema_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("schemaName");
    QTest::addColumn<QByteArray>("schemaBytes");
    QTest::addColumn<bool>("tooLarge");

    const QByteArray valid = "[SchemaHeader]\nTitle=T\nImageFile=i.bmp\nStartFrom=__a\n[__a]\n[D]\nClass=Area\n";
    QTest::newRow("missing: no SchemaFile key") << QString() << u"schema.ini"_s << valid << false;
    QTest::newRow("missing: schema file not there") << u"SchemaFile=other.ini\n"_s << u"schema.ini"_s << valid << false;
    QTest::newRow("robustness: name climbs out of the lab folder")
        << u"SchemaFile=..\\outside.ini\n"_s << u"../outside.ini"_s << valid << false;
    QTest::newRow("robustness: schema name is a folder") << u"SchemaFile=folder\n"_s << u"folder/x"_s << valid << false;
    QTest::newRow("robustness: empty schema file")
        << u"SchemaFile=schema.ini\n"_s << u"schema.ini"_s << QByteArray() << false;
    QTest::newRow("robustness: binary schema file")
        << u"SchemaFile=schema.ini\n"_s << u"schema.ini"_s << QByteArray("\x00\x01\xFF\xFE garbage\x00", 14) << false;
    // Unreadable like a missing file: the chapter stays, without devices and variants.
    QTest::newRow("robustness: schema file one byte over the size limit")
        << u"SchemaFile=schema.ini\n"_s << u"schema.ini"_s
        << valid + QByteArray(TIniFile::MaxFileBytes + 1 - valid.size(), ';') << true;
}

void TestExperiment::brokenSchema()
{
    QFETCH(QString, keys);
    QFETCH(QString, schemaName);
    QFETCH(QByteArray, schemaBytes);
    QFETCH(bool, tooLarge);

    Bench bench;
    if (schemaName.startsWith(u"../"_s))
        kelvo::test::writeFile(bench.outside(), schemaName.mid(3), schemaBytes);
    else
        kelvo::test::writeFile(QDir::current(), schemaName, schemaBytes);
    TExperimentChapter &chapter = bench.load(keys);

    QCOMPARE(chapter.Devices.Count(), 0);
    QCOMPARE(chapter.Variants.Count(), 0);
    QCOMPARE(chapter.ImageFile, Texts::ErrorReadingChapter);
    QCOMPARE(chapter.SchemaTitle, Texts::ErrorReadingChapter);
    QCOMPARE(chapter.StartFrom, Texts::ErrorReadingChapter);
    QCOMPARE(chapter.CurrentVariant, QString());
    QVERIFY(m_activationErrors.isEmpty());
    QCOMPARE(chapter.Schema->TooLarge(), tooLarge);
}

void TestExperiment::schemaFoundAsWindowsNamesIt()
{
    Bench bench;
    bench.write(u"Schemas/Lamp.ini"_s, LampSchema);
    TExperimentChapter &chapter = bench.load(u"SchemaFile=schemas\\LAMP.INI\n"_s);
    QCOMPARE(chapter.SchemaFile, u"schemas\\LAMP.INI"_s);
    QCOMPARE(chapter.SchemaTitle, u"Lamp circuit"_s);
    QCOMPARE(chapter.Devices.Count(), 3);
}

void TestExperiment::linkedChapter_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("linked");
    QTest::newRow("nominal") << u"3"_s << 3;
    QTest::newRow("low 8 bits: 256") << u"256"_s << 0;
    QTest::newRow("low 8 bits: 257") << u"257"_s << 1;
    QTest::newRow("low 8 bits: -1") << u"-1"_s << 255;
    QTest::newRow("hexadecimal") << u"$FF"_s << 255;
    QTest::newRow("unreadable") << u"three"_s << 0;
}

void TestExperiment::linkedChapter()
{
    QFETCH(QString, value);
    QFETCH(int, linked);
    Bench bench;
    QCOMPARE(int(bench.load(u"LinkedChapter="_s + value + u'\n').LinkedChapter), linked);
}

void TestExperiment::activateVariant()
{
    Bench bench;
    TExperimentChapter &chapter = bench.load(QString(),
        u"[SchemaHeader]\nImageFile=header.bmp\nStartFrom=\n"
        "[__a]\nTitle=A\nImageFile=a.bmp\nV1=1\nP=5\nLamp=x\nGhost=3\nTITLE=caps\n"
        "[__b]\nTitle=B\nV2=2\n"
        "[__c]\nTitle=C\nImageFile=c.bmp\nv1=first of the name\nV1=second\n"
        "[V1]\nClass=Measurement\n[V2]\nClass=Measurement\n[P]\nClass=Passive\nIdentifier=p\nValue=7\n"
        "[Lamp]\nClass=Area\nHint=h\n"_s);
    auto *v1 = device<TMeasurementDevice>(chapter, u"V1"_s);
    auto *v2 = device<TMeasurementDevice>(chapter, u"V2"_s);
    auto *passive = device<TPassiveDevice>(chapter, u"P"_s);

    QVERIFY(!chapter.ActivateVariant(u"__A"_s));
    QCOMPARE(chapter.CurrentVariant, QString());
    QCOMPARE(chapter.ImageFile, u"header.bmp"_s);
    QCOMPARE(v1->ValueText, QString());

    // Lines for a passive device, an area or no device change nothing.
    QVERIFY(chapter.ActivateVariant(u"__a"_s));
    QCOMPARE(chapter.CurrentVariant, u"__a"_s);
    QCOMPARE(chapter.ImageFile, u"a.bmp"_s);
    QCOMPARE(v1->ValueText, u"1"_s);
    QCOMPARE(passive->Value, 7.0);
    QCOMPARE(device<TAreaDevice>(chapter, u"Lamp"_s)->Hint, u"h"_s);

    // A device the variant does not list keeps its text; a variant without a picture shows the
    // missing-value text as its picture.
    QVERIFY(chapter.ActivateVariant(u"__b"_s));
    QCOMPARE(v2->ValueText, u"2"_s);
    QCOMPARE(v1->ValueText, u"1"_s);
    QCOMPARE(chapter.ImageFile, Texts::ErrorReadingChapter);

    QVERIFY(chapter.ActivateVariant(u"__a"_s));
    QVERIFY(chapter.ActivateVariant(u"__a"_s));
    QCOMPARE(chapter.CurrentVariant, u"__a"_s);
    QCOMPARE(v1->ValueText, u"1"_s);

    // The value for a device is that of the first line of its name in any letter case.
    QVERIFY(chapter.ActivateVariant(u"__c"_s));
    QCOMPARE(v1->ValueText, u"first of the name"_s);
    QCOMPARE(v1->Value, 0.0);
}

void TestExperiment::recalculate_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("Russian settings") << kelvo::test::russian();
    QTest::newRow("English settings") << kelvo::test::english();
}

void TestExperiment::recalculate()
{
    QFETCH(QLocale, locale);
    const kelvo::test::DefaultLocale scope(locale);
    const QString sep = kelvo::decimalSeparator(locale);
    Bench bench;
    TExperimentChapter &chapter = bench.load(QString(),
        u"[SchemaHeader]\nStartFrom=__on\n"
        "[__on]\nTitle=On\nImageFile=on.bmp\nA1=u / R\nV1=U\nI2=2"_s
            + sep
            + u"5 * sqrt(R)\nEmpty=\n"
              "[__off]\nTitle=Off\nImageFile=off.bmp\nA1=0\n"
              "[U]\nClass=Passive\nIdentifier=U\nValue=12\n"
              "[Shadow]\nClass=Passive\nIdentifier=u\nValue=1000\n"
              "[R]\nClass=Passive\nIdentifier=R\nValue=4\n"
              "[A1]\nClass=Measurement\n[V1]\nClass=Measurement\n[I2]\nClass=Measurement\n"
              "[Empty]\nClass=Measurement\n[Zone]\nClass=Area\n"_s);
    auto value = [&](const QString &name) { return chapter.Devices.FindDevice(name)->Value; };

    // Loading computed the start variant's values; the first passive device of an identifier wins.
    QCOMPARE(value(u"A1"_s), 3.0);
    QCOMPARE(value(u"V1"_s), 12.0);
    QCOMPARE(value(u"I2"_s), 5.0);
    QCOMPARE(value(u"Empty"_s), 0.0);
    QCOMPARE(value(u"Zone"_s), 0.0);

    // The value dialog stores a passive value; recalculation follows it.
    device<TPassiveDevice>(chapter, u"U"_s)->Value = 24;
    device<TMeasurementDevice>(chapter, u"Empty"_s)->Value = 9;
    chapter.Recalculate();
    QCOMPARE(value(u"A1"_s), 6.0);
    QCOMPARE(value(u"V1"_s), 24.0);
    QCOMPARE(value(u"Empty"_s), 9.0); // an empty text leaves the value as it is
    QCOMPARE(value(u"U"_s), 24.0);

    QVERIFY(chapter.ActivateVariant(u"__off"_s));
    chapter.Recalculate();
    QCOMPARE(value(u"A1"_s), 0.0);
    QCOMPARE(value(u"V1"_s), 24.0); // not listed: keeps its text, and so its value
    QVERIFY(m_valueTextErrors.isEmpty());
}

void TestExperiment::recalculateReportsOncePerText()
{
    Bench bench;
    TExperimentChapter &chapter = bench.load(QString(),
        u"[SchemaHeader]\nStartFrom=__a\n"
        "[__a]\nTitle=A\nA1=U / R\nA2=U / R\nV1=volts\n"
        "[U]\nClass=Passive\nIdentifier=U\nValue=12\n[R]\nClass=Passive\nIdentifier=R\nValue=0\n"
        "[A1]\nClass=Measurement\n[A2]\nClass=Measurement\n[V1]\nClass=Measurement\n"_s);
    auto *a1 = device<TMeasurementDevice>(chapter, u"A1"_s);
    QCOMPARE(a1->Value, 0.0);

    // One report per distinct text, at loading; later failures of the same texts stay quiet.
    QCOMPARE(m_valueTextErrors.size(), 2);
    QCOMPARE(m_valueTextErrors[0].chapter, u"Bench"_s);
    QCOMPARE(m_valueTextErrors[0].device, u"A1"_s);
    QCOMPARE(m_valueTextErrors[0].text, u"U / R"_s);
    QCOMPARE(m_valueTextErrors[0].reason, u"division by zero"_s);
    QCOMPARE(kelvo::describeValueTextError(m_valueTextErrors[1]),
        u"Bench, device V1: cannot evaluate \"volts\": unknown name \"volts\""_s);

    a1->Value = 5;
    chapter.Recalculate();
    QCOMPARE(a1->Value, 5.0); // a text that does not evaluate leaves the value as it is
    QCOMPARE(m_valueTextErrors.size(), 2);
    // ... and says why, every time, for the bench to show instead of the stale value.
    QCOMPARE(a1->ValueError, u"division by zero"_s);
    QCOMPARE(device<TMeasurementDevice>(chapter, u"V1"_s)->ValueError, u"unknown name \"volts\""_s);

    device<TPassiveDevice>(chapter, u"R"_s)->Value = 4;
    chapter.Recalculate();
    QCOMPARE(a1->Value, 3.0);
    QCOMPARE(a1->ValueError, QString());
    QCOMPARE(device<TMeasurementDevice>(chapter, u"A2"_s)->Value, 3.0);
    QVERIFY(!device<TMeasurementDevice>(chapter, u"V1"_s)->ValueError.isEmpty());
}

QTEST_GUILESS_MAIN(TestExperiment)
#include "tst_experiment.moc"
