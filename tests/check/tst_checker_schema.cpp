#include "tst_checker_fixture.h"

#include <QFile>

using namespace kelvo;
using namespace kelvo::test;

namespace {

// Pictures of the fixtures are text: "200x150" for a picture of that size, anything else for one
// that does not decode.
check::PictureProbeResult fakePictures(const QString &path, const QString &name)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return { std::nullopt, QStringLiteral("cannot read") };
    const QList<QByteArray> size = file.readAll().trimmed().split('x');
    if (size.size() == 2)
        return { QSize(size[0].toInt(), size[1].toInt()), {} };
    return { std::nullopt, QStringLiteral("PNG image is not valid: ./") + name };
}

// An experiment whose "SchemaFile" (line 6) is bench.ini.
LabFiles experiment(const QString &schema, const LabFiles &pictures)
{
    LabFiles all = pictures;
    all.insert(QStringLiteral("labwork.lbw"),
        QStringLiteral("[Header]\nTitle=T\n[bench]\nType=Experiment\nTitle=B\nSchemaFile=bench.ini\n"));
    all.insert(QStringLiteral("bench.ini"), schema);
    return all;
}

} // namespace

// Schema files: header, variants and their lines, devices and their values, pictures.
class TestCheckerSchema final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void schema_data();
    void schema();
};

void TestCheckerSchema::schema_data()
{
    QTest::addColumn<LabFiles>("files");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("mentions");

    const QString bench = QStringLiteral(
        "[SchemaHeader]\nTitle=Стенд\nImageFile=off.png\nStartFrom=__open\n"
        "[__open]\nTitle=Разомкнут\nImageFile=open.png\nV1=0\n"
        "[__closed]\nTitle=Замкнут\nImageFile=Closed.EMF\nV1=U/R*1000+RAND()\n"
        "[Supply]\nClass=Passive\nTitle=Источник\nLeft=10\nTop=$14\nUnit=В\nAjustable=1\nIdentifier=U\nValue=%1\n"
        "Min=0\nMax=24\n"
        "[Resistor]\nClass=Passive\nTitle=R\nIdentifier=R\nValue=100\n"
        "[V1]\nClass=Measurement\nTitle=Вольтметр\nLeft=100\nTop=50\nWidth=80\n"
        "[Lamp]\nClass=Area\nLeft=150\nTop=60\nWidth=40\nHeight=40\nHint=Лампа|Накаливания\n");
    const LabFiles benchPictures { { "open.png", "200x150" }, { "Closed.EMF", "200x150" } };
    QTest::newRow("nominal: variants, devices of every class, an expression, Russian settings") << experiment(
        bench.arg(QStringLiteral("12,5")), benchPictures) << russian() << QStringList {} << QStringList {};
    QTest::newRow("nominal: English settings") << experiment(bench.arg(QStringLiteral("12.5")), benchPictures)
                                               << english() << QStringList {} << QStringList {};
    QTest::newRow("numbers: a decimal comma under English settings")
        << experiment(bench.arg(QStringLiteral("12,5")), benchPictures) << english()
        << QStringList { "bench.ini:21: warning: bad-number" } << QStringList { "«.»" };

    QTest::newRow("header: start variant missing, title missing, its picture missing, a misspelt key")
        << experiment("[SchemaHeader]\nImageFile=none.png\nStartFrom=__Open\nTitel=x\n"
                      "[__open]\nTitle=O\nImageFile=open.png\n",
               { { "open.png", "10x10" } })
        << russian()
        << QStringList { "bench.ini:1: error: missing-value", "bench.ini:2: error: missing-file",
               "bench.ini:3: error: unknown-start-variant", "bench.ini:4: warning: unknown-key" }
        << QStringList { "«__open»", "«Title»", "Activation error!" };

    QTest::newRow("devices: classes, keys, numbers, ranges, identifiers")
        << experiment("[SchemaHeader]\nTitle=S\nImageFile=s.png\n"
                      "[A]\nTitle=a\n"
                      "[B]\nClass=passive\n"
                      "[P]\nClass=Passive\nTitle=P\nIdentifier=U\nAjustable=yes\nValue=2.5\nMin=0\nMax=10\nHint=x\n"
                      "[Q]\nClass=Passive\nTitle=Q\nIdentifier=U\nAjustable=1\nValue=3\nMin=5\nMax=1\n"
                      "[S]\nClass=Passive\nIdentifier=W\nAjustable=1\nValue=50\nMin=0\nMax=10\n"
                      "[T]\nClass=Passive\nTitle=T\nLeft=1O\n",
               { { "s.png", "300x200" } })
        << russian()
        << QStringList { "bench.ini:4: error: missing-class", "bench.ini:7: error: unknown-class",
               "bench.ini:12: warning: bad-integer", "bench.ini:13: warning: bad-number",
               "bench.ini:14: warning: ignored-key", "bench.ini:15: warning: ignored-key",
               "bench.ini:16: warning: unknown-key", "bench.ini:20: warning: duplicate-device-identifier",
               "bench.ini:24: error: range-inverted", "bench.ini:25: error: missing-value",
               "bench.ini:29: warning: value-out-of-range", "bench.ini:32: warning: missing-key",
               "bench.ini:35: warning: bad-integer" }
        << QStringList { "«Passive»", "класса Area", "0..10" };

    QTest::newRow("variants: lines that change nothing, value texts that do not evaluate, a device never fed")
        << experiment("[SchemaHeader]\nTitle=S\nImageFile=s.png\nStartFrom=__a\n"
                      "[__a]\ntitle=A\nImageFile=s.png\nv2=1\nP=2\nV1=U*(2\n"
                      "[__b]\nTitle=B\nImageFile=s.png\nV1=U/Z\n"
                      "[__c]\nTitle=C\nImageFile=s.png\nV1=10/U\n"
                      "[P]\nClass=Passive\nTitle=P\nIdentifier=U\n"
                      "[V1]\nClass=Measurement\nTitle=V\n"
                      "[V2]\nClass=Measurement\nTitle=V\n",
               { { "s.png", "300x200" } })
        << russian()
        << QStringList { "bench.ini:6: warning: variant-key-case", "bench.ini:8: warning: variant-unknown-device",
               "bench.ini:9: warning: variant-not-measurement", "bench.ini:10: error: bad-value-text",
               "bench.ini:14: error: bad-value-text", "bench.ini:18: warning: bad-value-text",
               "bench.ini:26: warning: unfed-measurement" }
        << QStringList { "«V2»", "класса Passive", "\"Z\"", "division by zero" };

    QTest::newRow("pictures: undecodable, missing, unnamed; devices off the picture, invisible, without hint")
        << experiment("[SchemaHeader]\nTitle=S\nImageFile=small.png\n"
                      "[__a]\nTitle=A\nImageFile=broken.png\n"
                      "[__b]\nTitle=B\nImageFile=gone.png\n"
                      "[__c]\nTitle=C\nImageFile=\n"
                      "[Far]\nClass=Area\nLeft=500\nTop=10\nHint=|\n"
                      "[Flat]\nClass=Area\nWidth=0\nHint=Подсказка\n",
               { { "small.png", "100x80" }, { "broken.png", "bad" } })
        << russian()
        << QStringList { "bench.ini:6: error: bad-picture", "bench.ini:9: error: missing-file",
               "bench.ini:12: error: missing-value", "bench.ini:15: warning: device-off-picture",
               "bench.ini:17: warning: empty-hint", "bench.ini:18: warning: device-size" }
        << QStringList { "PNG image is not valid: ./broken.png", "100×80" };

    QTest::newRow("schema files: missing, without sections, not named")
        << LabFiles { { "labwork.lbw",
                          "[Header]\nTitle=T\n[bench]\nType=Experiment\nTitle=B\nSchemaFile=none.ini\n"
                          "[b2]\nType=Experiment\nTitle=B\nSchemaFile=empty.ini\n"
                          "[b3]\nType=Experiment\nTitle=B\n" },
               { "empty.ini", "; nothing\n" } }
        << russian()
        << QStringList { "labwork.lbw:6: error: missing-file", "labwork.lbw:10: error: missing-section",
               "labwork.lbw:11: error: missing-value" }
        << QStringList { "«empty.ini»" };
}

void TestCheckerSchema::schema()
{
    QFETCH(LabFiles, files);
    QFETCH(QLocale, locale);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, mentions);
    CheckerFixture fixture;
    KELVO_COMPARE_REPORT(fixture.check(files, fakePictures, locale), expected, mentions);
}

QTEST_GUILESS_MAIN(TestCheckerSchema)
#include "tst_checker_schema.moc"
