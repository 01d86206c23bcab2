#include "LabWork.h"
#include "LabWorkJson.h"
#include "ModelMessages.h"
#include "NumberFormats.h"
#include "Random.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The model as the command line's --dump prints it, for a lab work with all three chapter kinds.
class TestExperimentDump final : public QObject
{
    Q_OBJECT

private slots:
    void fullModel_data();
    void fullModel();
};

void TestExperimentDump::fullModel_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("Russian settings") << kelvo::test::russian();
    QTest::newRow("English settings") << kelvo::test::english();
}

void TestExperimentDump::fullModel()
{
    QFETCH(QLocale, locale);
    const kelvo::test::DefaultLocale scope(locale);
    const QString sep = kelvo::decimalSeparator(locale);
    QTemporaryDir dir;
    const QDir lab(dir.path());
    kelvo::test::writeFile(lab, u"labwork.lbw"_s,
        kelvo::test::windowsText(
            u"[Header]\nTitle=Лампа\n"
            "[intro]\nType=Information\nTitle=Указания\nIdentifier=1\nDocument=intro.htm\n"
            "[exam]\nType=Examination\nTitle=Контроль\nIdentifier=2\nQuestions=3\nHeading=Проверка\n"
            "[bench]\nType=Experiment\nTitle=Стенд\nIdentifier=3\nSchemaFile=lamp.ini\nLinkedChapter=1\n"_s));
    kelvo::test::writeFile(lab, u"lamp.ini"_s,
        kelvo::test::windowsText(u"[SchemaHeader]\nImageFile=lamp.bmp\nTitle=Схема лампы\nStartFrom=__open\n"
                                 "[__open]\nTitle=Ключ разомкнут\nImageFile=open.bmp\nV1=Uн / 2\nA1=RAND()\n"
                                 "[__closed]\nTitle=Ключ замкнут\nImageFile=closed.bmp\nV1=0"_s
            + sep
            + u"5\n"
              "[Supply]\nClass=Passive\nTitle=Напряжение\nLeft=40\nTop=200\nUnit=В\nAjustable=1\nIdentifier=Uн\n"
              "Value=12"_s
            + sep
            + u"5\nMin=0\nMax=24\n"
              "[V1]\nClass=Measurement\nTitle=Вольтметр\nLeft=300\nTop=120\nWidth=90\nUnit=В\n"
              "[A1]\nClass=Measurement\nUnit=А\n"
              "[Lamp]\nClass=Area\nLeft=180\nTop=60\nWidth=60\nHeight=80\nHint=Лампа|Лампа накаливания\n"_s));
    const kelvo::test::CurrentDirectory cwd(dir.path());
    QStringList reports;
    kelvo::setValueTextErrorHandler([&](const kelvo::ValueTextError &error) { reports << error.text; });
    kelvo::setActivationErrorHandler([&](const QString &text) { reports << text; });

    SeedRandom(3);
    const TLabWork labWork(dir.filePath(u"labwork.lbw"_s));
    const QJsonObject json = kelvo::labWorkToJson(labWork);
    kelvo::setValueTextErrorHandler({});
    kelvo::setActivationErrorHandler({});
    QVERIFY(reports.isEmpty());

    const QJsonArray chapters = json.value(u"Chapters"_s).toArray();
    QCOMPARE(chapters.size(), 3);
    QCOMPARE(chapters[0].toObject().value(u"Class"_s).toString(), u"TInfoChapter"_s);

    const QJsonObject exam = chapters[1].toObject();
    QCOMPARE(exam.value(u"Class"_s).toString(), u"TTaskChapter"_s);
    QCOMPARE(exam.value(u"Questions"_s).toInt(), 3);
    QCOMPARE(exam.value(u"Heading"_s).toString(), u"Проверка"_s);
    QCOMPARE(exam.value(u"Answers"_s).toArray(), QJsonArray());
    QCOMPARE(exam.value(u"AttemptCount"_s).toInt(), 0);
    QCOMPARE(exam.value(u"RightCount"_s).toInt(), 0);

    const QJsonObject bench = chapters[2].toObject();
    QCOMPARE(bench.value(u"Class"_s).toString(), u"TExperimentChapter"_s);
    QCOMPARE(bench.value(u"SchemaTitle"_s).toString(), u"Схема лампы"_s);
    QCOMPARE(bench.value(u"ImageFile"_s).toString(), u"open.bmp"_s);
    QCOMPARE(bench.value(u"LinkedChapter"_s).toInt(), 1);
    QCOMPARE(bench.value(u"StartFrom"_s).toString(), u"__open"_s);
    QCOMPARE(bench.value(u"CurrentVariant"_s).toString(), u"__open"_s);

    const QJsonArray devices = bench.value(u"Devices"_s).toArray();
    QCOMPARE(devices.size(), 4);
    const QJsonObject supply = devices[0].toObject();
    QCOMPARE(supply,
        (QJsonObject { { u"Class"_s, u"TPassiveDevice"_s }, { u"SectionName"_s, u"Supply"_s },
            { u"Title"_s, u"Напряжение"_s }, { u"Unit"_s, u"В"_s }, { u"Value"_s, 12.5 }, { u"Left"_s, 40 },
            { u"Top"_s, 200 }, { u"Width"_s, 100 }, { u"Height"_s, 100 }, { u"Identifier"_s, u"Uн"_s }, { u"Min"_s, 0 },
            { u"Max"_s, 24 }, { u"Ajustable"_s, true } }));
    const QJsonObject voltmeter = devices[1].toObject();
    QCOMPARE(voltmeter.value(u"Class"_s).toString(), u"TMeasurementDevice"_s);
    QCOMPARE(voltmeter.value(u"ValueText"_s).toString(), u"Uн / 2"_s);
    QCOMPARE(voltmeter.value(u"Value"_s).toDouble(), 6.25);
    QCOMPARE(voltmeter.value(u"Width"_s).toInt(), 90);
    // "RAND()" was replaced at loading, and the number shows as the measured value.
    const QJsonObject ammeter = devices[2].toObject();
    const QString randomText = ammeter.value(u"ValueText"_s).toString();
    QVERIFY2(randomText.startsWith(u"0"_s + sep), qPrintable(randomText));
    QCOMPARE(ammeter.value(u"Value"_s).toDouble(), kelvo::parseDecimal(randomText).value_or(-1));
    const QJsonObject lamp = devices[3].toObject();
    QCOMPARE(lamp.value(u"Class"_s).toString(), u"TAreaDevice"_s);
    QCOMPARE(lamp.value(u"Hint"_s).toString(), u"Лампа|Лампа накаливания"_s);
    QCOMPARE(lamp.value(u"Height"_s).toInt(), 80);

    const QJsonArray variants = bench.value(u"Variants"_s).toArray();
    QCOMPARE(variants.size(), 2);
    QCOMPARE(variants[0].toObject(),
        (QJsonObject { { u"SectionName"_s, u"__open"_s }, { u"Title"_s, u"Ключ разомкнут"_s },
            { u"ImageFile"_s, u"open.bmp"_s },
            { u"Values"_s, QJsonArray { u"V1=Uн / 2"_s, QString(u"A1="_s + randomText) } } }));
    QCOMPARE(variants[1].toObject().value(u"Values"_s).toArray(), QJsonArray { QString(u"V1=0"_s + sep + u"5"_s) });
}

QTEST_GUILESS_MAIN(TestExperimentDump)
#include "tst_experiment_dump.moc"
