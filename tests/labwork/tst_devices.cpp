#include "DeviceList.h"
#include "IniFile.h"
#include "Localization.h"
#include "NumberFormats.h"
#include "Random.h"
#include "RuntimeErrors.h"
#include "TestSupport.h"
#include "VariantList.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

using kelvo::test::messageOf;

namespace {

// A schema file written (as UTF-8 with a byte order mark) into a temporary folder and read.
class Schema final
{
public:
    explicit Schema(const QString &text)
    {
        const QString path
            = kelvo::test::writeFile(QDir(m_dir.path()), u"schema.ini"_s, "\xEF\xBB\xBF" + text.toUtf8());
        m_ini = std::make_unique<TIniFile>(path);
    }
    const TIniFile &ini() const { return *m_ini; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TIniFile> m_ini;
};

std::unique_ptr<TSchemaDevice> createDevice(const QString &kind, const TIniFile &schema, const QString &section)
{
    if (kind == u"Measurement")
        return std::make_unique<TMeasurementDevice>(schema, section);
    if (kind == u"Passive")
        return std::make_unique<TPassiveDevice>(schema, section);
    return std::make_unique<TAreaDevice>(schema, section);
}

QString number(double value)
{
    return QString::number(value, 'g', 17);
}

// The fields of a device in one line, in declared order.
QString describe(const TSchemaDevice &device)
{
    QStringList fields { device.ClassName(), device.SectionName, device.Title, device.Unit, number(device.Value),
        QString::number(device.Left), QString::number(device.Top), QString::number(device.Width),
        QString::number(device.Height) };
    if (const auto *measurement = dynamic_cast<const TMeasurementDevice *>(&device))
        fields << u"ValueText="_s + measurement->ValueText;
    if (const auto *passive = dynamic_cast<const TPassiveDevice *>(&device))
        fields << passive->Identifier << number(passive->Min) << number(passive->Max)
               << (passive->Ajustable ? u"adjustable"_s : u"fixed"_s);
    if (const auto *area = dynamic_cast<const TAreaDevice *>(&device))
        fields << area->Hint;
    return fields.join(u'|');
}

} // namespace

class TestDevices final : public QObject
{
    Q_OBJECT

private slots:
    void device_data();
    void device();
    void variant();
    void variantRandomNumbersAreDrawnOnce();
    void deviceList();
    void variantList();
};

void TestDevices::device_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("expected");

    const QString error = Texts::ErrorReadingChapter;
    for (const QLocale &locale : { kelvo::test::russian(), kelvo::test::english() }) {
        const QString tag = u" ("_s + locale.name() + u')';
        const QString sep = kelvo::decimalSeparator(locale);
        const QString other = sep == u"," ? u"."_s : u","_s;
        auto row = [&](const char *name) -> QTestData & {
            return QTest::newRow(qPrintable(QLatin1String(name) + tag)) << locale;
        };

        row("nominal: adjustable passive device")
            << u"Passive"_s
            << u"Title=Supply voltage\nLeft=40\nTop=200\nUnit=V\nAjustable=1\nIdentifier=U\nValue=12"_s + sep
                + u"5\nMin=0\nMax=24"_s
            << u"TPassiveDevice|S|Supply voltage|V|12.5|40|200|100|100|U|0|24|adjustable"_s;
        row("passive: not adjustable, Min and Max stay 0")
            << u"Passive"_s << u"Ajustable=0\nIdentifier=R\nValue=3\nMin=1\nMax=9"_s
            << u"TPassiveDevice|S|"_s + error + u"||3|0|0|100|100|R|0|0|fixed"_s;
        row("passive: Ajustable written as a word reads false")
            << u"Passive"_s << u"Ajustable=true\nIdentifier=R\nMin=1\nMax=9"_s
            << u"TPassiveDevice|S|"_s + error + u"||0|0|0|100|100|R|0|0|fixed"_s;
        row("passive: Value with the other separator reads 0")
            << u"Passive"_s << u"Identifier=R\nValue=2"_s + other + u"5"_s
            << u"TPassiveDevice|S|"_s + error + u"||0|0|0|100|100|R|0|0|fixed"_s;
        row("passive: every key missing")
            << u"Passive"_s << QString()
            << u"TPassiveDevice|S|"_s + error + u"||0|0|0|100|100|"_s + error + u"|0|0|fixed"_s;
        row("measurement: starts at 0 whatever the file says")
            << u"Measurement"_s << u"Title=Voltmeter\nLeft=300\nTop=120\nWidth=90\nUnit=V\nValue=5"_s
            << u"TMeasurementDevice|S|Voltmeter|V|0|300|120|90|100|ValueText="_s;
        row("area: hint with a bar") << u"Area"_s
                                     << u"Left=180\nTop=60\nWidth=60\nHeight=80\nHint=Lamp|Filament lamp for 12 V"_s
                                     << u"TAreaDevice|S|"_s + error + u"||0|180|60|60|80|Lamp|Filament lamp for 12 V"_s;
        row("integers: hexadecimal after a dollar sign and after 0x")
            << u"Area"_s << u"Left=$1F\nTop=0x10\nWidth=0X0a\nHeight=-$10"_s
            << u"TAreaDevice|S|"_s + error + u"||0|31|16|10|-16|"_s;
        row("integers: unreadable values give the defaults")
            << u"Area"_s << u"Left=12px\nTop=\nWidth=1e2\nHeight=99999999999"_s
            << u"TAreaDevice|S|"_s + error + u"||0|0|0|100|100|"_s;
    }
}

void TestDevices::device()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, kind);
    QFETCH(QString, section);
    QFETCH(QString, expected);
    const kelvo::test::DefaultLocale scope(locale);

    const Schema schema(u"[S]\nClass="_s + kind + u'\n' + section + u'\n');
    QCOMPARE(describe(*createDevice(kind, schema.ini(), u"S"_s)), expected);
}

void TestDevices::variant()
{
    const Schema schema(u"[__closed]\nTitle=Switch closed\nV1=2,5\nImageFile=closed.bmp\nA1= 7 \n"
                        u"TITLE=again\nimagefile=x.bmp\nv1=second\nEmpty=\n"
                        u"[__bare]\n"_s);
    const TSchemeVariant closed(schema.ini(), u"__closed"_s);
    QCOMPARE(closed.Title, u"Switch closed"_s);
    QCOMPARE(closed.ImageFile, u"closed.bmp"_s);
    QCOMPARE(closed.SectionName, u"__closed"_s);
    // Only "Title" and "ImageFile" in exactly that case leave the list; a value is read as the
    // reader gives it (first key of a name, trimmed).
    QCOMPARE(closed.Values,
        (QStringList {
            u"V1=2,5"_s, u"A1=7"_s, u"TITLE=Switch closed"_s, u"imagefile=closed.bmp"_s, u"v1=2,5"_s, u"Empty="_s }));
    QCOMPARE(closed.ValueFor(u"V1"_s), u"2,5"_s);
    QCOMPARE(closed.ValueFor(u"a1"_s), u"7"_s);
    QCOMPARE(closed.ValueFor(u"Empty"_s), QString());
    QCOMPARE(closed.ValueFor(u"Title"_s), u"Switch closed"_s);
    QCOMPARE(closed.ValueFor(u"V2"_s), std::nullopt);

    const TSchemeVariant bare(schema.ini(), u"__bare"_s);
    QCOMPARE(bare.Title, Texts::ErrorReadingChapter);
    QCOMPARE(bare.ImageFile, Texts::ErrorReadingChapter);
    QVERIFY(bare.Values.isEmpty());
}

void TestDevices::variantRandomNumbersAreDrawnOnce()
{
    const kelvo::test::DefaultLocale scope(kelvo::test::russian());
    const Schema schema(u"[__v]\nTitle=T\nImageFile=i.bmp\nA1=RAND()*2+RAND()\nV1=1\n"_s);
    SeedRandom(11);
    const TSchemeVariant variant(schema.ini(), u"__v"_s);
    QCOMPARE(RandomDrawCount(), quint64(2));
    QCOMPARE(variant.Values.size(), 2);
    const QRegularExpression shape(uR"(^A1=0,\d+\*2\+0,\d+$)"_s);
    QVERIFY2(shape.match(variant.Values[0]).hasMatch(), qPrintable(variant.Values[0]));
    // The numbers stay: reading the value again draws nothing.
    QCOMPARE(variant.ValueFor(u"A1"_s), variant.Values[0].mid(3));
    QCOMPARE(RandomDrawCount(), quint64(2));
}

void TestDevices::deviceList()
{
    const Schema schema(u"[V1]\nClass=Measurement\n[S]\nClass=Passive\n[v1]\nClass=Area\n"_s);
    TDeviceList list;
    list.Add(std::make_unique<TMeasurementDevice>(schema.ini(), u"V1"_s));
    list.Add(std::make_unique<TPassiveDevice>(schema.ini(), u"S"_s));
    list.Add(std::make_unique<TAreaDevice>(schema.ini(), u"v1"_s));
    list.Add(std::make_unique<TAreaDevice>(schema.ini(), u"V1"_s));
    list.Add(nullptr);

    QCOMPARE(list.Count(), 4);
    QCOMPARE(list.FindDevice(u"V1"_s), list.Device(0)); // the first of a name
    QCOMPARE(list.FindDevice(u"v1"_s), list.Device(2)); // letter case counts
    QCOMPARE(list.FindDevice(u"s"_s), nullptr);
    QCOMPARE(list.FindDevice(QString()), nullptr);
    QCOMPARE(messageOf([&] { list.Device(4); }), u"List index out of bounds (4)"_s);
    QCOMPARE(messageOf([&] { list.Device(-1); }), u"List index out of bounds (-1)"_s);

    list.Clear();
    QCOMPARE(list.Count(), 0);
    QCOMPARE(list.FindDevice(u"V1"_s), nullptr);
}

void TestDevices::variantList()
{
    const Schema schema(u"[SchemaHeader]\n[__open]\nTitle=Open\n[_device]\n[__]\nTitle=Bare\n[Supply]\n"
                        u"[__closed]\nTitle=Closed\n[__open]\nTitle=Again\n"_s);
    TVariantList list;
    list.LoadVariants(schema.ini());
    QCOMPARE(list.Count(), 4);
    QStringList names;
    for (int i = 0; i < list.Count(); ++i)
        names << list.Variant(i)->SectionName + u':' + list.Variant(i)->Title;
    // A repeated section is read through its first occurrence, as the reader answers.
    QCOMPARE(names, (QStringList { u"__open:Open"_s, u"__:Bare"_s, u"__closed:Closed"_s, u"__open:Open"_s }));
    QCOMPARE(list.FindVariant(u"__open"_s), list.Variant(0));
    QCOMPARE(list.FindVariant(u"__Closed"_s), nullptr);
    QCOMPARE(list.FindVariant(u"_device"_s), nullptr);
    QCOMPARE(messageOf([&] { list.Variant(4); }), u"List index out of bounds (4)"_s);
    list.Clear();
    QCOMPARE(list.Count(), 0);
}

QTEST_GUILESS_MAIN(TestDevices)
#include "tst_devices.moc"
