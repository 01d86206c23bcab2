// Device-independent bitmaps as metafiles embed them: every depth, compression and header kind
// the player reads, decoded pixel by pixel.

#include "DibDecoder.h"
#include "MetafileWriter.h"
#include "PictureErrors.h"

#include <QTest>

using namespace kelvo::pictures;
using namespace kelvo::test;

namespace {

// BITMAPINFOHEADER; height negative for top-down rows.
Bytes infoHeader(int width, int height, int bits, quint32 compression = 0, quint32 colors = 0)
{
    Bytes b;
    b.u32(40).i32(width).i32(height).u16(1).u16(quint16(bits)).u32(compression).u32(0).u32(0).u32(0).u32(colors).u32(0);
    return b;
}

Bytes &quads(Bytes &b, std::initializer_list<QRgb> colors)
{
    for (QRgb c : colors)
        b.u8(quint8(qBlue(c))).u8(quint8(qGreen(c))).u8(quint8(qRed(c))).u8(0);
    return b;
}

constexpr QRgb R = 0xFFFF0000;
constexpr QRgb G = 0xFF00FF00;
constexpr QRgb B = 0xFF0000FF;
constexpr QRgb W = 0xFFFFFFFF;
constexpr QRgb K = 0xFF000000;
constexpr QRgb None = 0x00000000;

} // namespace

class TestDibDecoder final : public QObject
{
    Q_OBJECT

private slots:
    void decodes_data();
    void decodes();
};

void TestDibDecoder::decodes_data()
{
    QTest::addColumn<QByteArray>("dib");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<QRgb>>("pixels"); // top row first

    {
        // Rows are stored bottom row first, each padded to four bytes.
        Bytes b = infoHeader(3, 2, 1);
        quads(b, { K, W }).u8(0b10100000).u8(0).u16(0).u8(0b01000000).u8(0).u16(0);
        QTest::newRow("1 bit, colour table") << b.data() << QSize(3, 2) << QList<QRgb> { K, W, K, W, K, W };
    }
    {
        Bytes b = infoHeader(3, 1, 4, 0, 3);
        quads(b, { R, G, B }).u8(0x01).u8(0x20).u16(0);
        QTest::newRow("4 bits, three colours used") << b.data() << QSize(3, 1) << QList<QRgb> { R, G, B };
    }
    {
        Bytes b = infoHeader(2, -2, 8, 0, 2);
        quads(b, { R, B }).u8(0).u8(1).u16(0).u8(1).u8(1).u16(0);
        QTest::newRow("8 bits, top-down rows") << b.data() << QSize(2, 2) << QList<QRgb> { R, B, B, B };
    }
    {
        Bytes b = infoHeader(2, 1, 16);
        b.u16(0x7C00).u16(0x001F);
        QTest::newRow("16 bits, 5-5-5") << b.data() << QSize(2, 1) << QList<QRgb> { R, B };
    }
    {
        Bytes b = infoHeader(2, 1, 16, 3);
        b.u32(0xF800).u32(0x07E0).u32(0x001F).u16(0x07E0).u16(0xF800);
        QTest::newRow("16 bits, 5-6-5 bit fields") << b.data() << QSize(2, 1) << QList<QRgb> { G, R };
    }
    {
        Bytes b = infoHeader(2, 1, 32);
        b.u32(0x00FF0000).u32(0x120000FF); // the fourth byte is padding
        QTest::newRow("32 bits, fourth byte ignored") << b.data() << QSize(2, 1) << QList<QRgb> { R, B };
    }
    {
        Bytes b = infoHeader(1, 1, 32, 3);
        b.u32(0x000000FF).u32(0x0000FF00).u32(0x00FF0000).u32(0x000000FF);
        QTest::newRow("32 bits, bit fields in another order") << b.data() << QSize(1, 1) << QList<QRgb> { R };
    }
    {
        // The old core header: 16-bit sizes and three-byte colour entries.
        Bytes b;
        b.u32(12).u16(2).u16(1).u16(1).u16(8).u8(0).u8(0).u8(255).u8(255).u8(0).u8(0);
        b.bytes(QByteArray(254 * 3, '\0')).u8(1).u8(0).u16(0);
        QTest::newRow("core header") << b.data() << QSize(2, 1) << QList<QRgb> { B, R };
    }
    {
        // RLE4: a run of 3 alternating nibbles, end of line, a delta over one pixel, an absolute
        // run of three, end of bitmap.
        Bytes b = infoHeader(4, 2, 4, 2, 3);
        quads(b, { R, G, B });
        b.u8(3).u8(0x01).u8(0).u8(0).u8(0).u8(2).u8(1).u8(0).u8(0).u8(3).u8(0x21).u8(0x00).u8(0).u8(1);
        QTest::newRow("RLE4 with a delta and an absolute run")
            << b.data() << QSize(4, 2) << QList<QRgb> { None, B, G, R, R, G, R, None };
    }
    {
        Bytes b = infoHeader(3, 1, 8, 1, 2);
        quads(b, { R, B }).u8(2).u8(1).u8(0).u8(3).u8(0).u8(0).u8(0).u8(0).u8(0).u8(1);
        QTest::newRow("RLE8 with an absolute run wider than the row")
            << b.data() << QSize(3, 1) << QList<QRgb> { B, B, R };
    }
}

void TestDibDecoder::decodes()
{
    QFETCH(QByteArray, dib);
    QFETCH(QSize, size);
    QFETCH(QList<QRgb>, pixels);

    const QImage image = decodePackedDib(ByteReader(dib));
    QCOMPARE(image.size(), size);
    QList<QRgb> actual;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            actual.append(image.pixel(x, y));
    }
    QCOMPARE(actual, pixels);
}

QTEST_GUILESS_MAIN(TestDibDecoder)
#include "tst_dibdecoder.moc"
