// The picture loader: formats by extension, sizes, errors, and the transparency of bitmaps.

#include "MetafileWriter.h"
#include "PictureErrors.h"
#include "SchemaPicture.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using kelvo::SchemaPicture;
using namespace kelvo::test;

namespace {

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        qFatal("cannot encode the fixture image");
    return bytes;
}

QImage filled(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QByteArray pngOf(QSize size)
{
    return encoded(filled(size, Qt::darkCyan), "PNG");
}

QByteArray icoOf(QSize size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::green);
    return encoded(image, "ICO");
}

QByteArray wmfOf(QSize pixels)
{
    // Twips: 15 to a pixel at 96 DPI.
    return WmfWriter().finishPlaceable(QRect(0, 0, pixels.width() * 15, pixels.height() * 15), 1440);
}

QByteArray emfOf(QSize pixels)
{
    // Hundredths of a millimetre: 2540 to 96 pixels.
    return EmfWriter().finish(QRect(0, 0, pixels.width() * 2540 / 96, pixels.height() * 2540 / 96));
}

} // namespace

class TestSchemaPicture final : public QObject
{
    Q_OBJECT

private slots:
    void loadsEachFormatAtItsSize_data();
    void loadsEachFormatAtItsSize();
    void rejectsWhatItCannotShow_data();
    void rejectsWhatItCannotShow();
    void bitmapLeavesOutItsBottomLeftColour();
    void iconShowsTheImageNearestTheStandardSize();
    void imageFollowsTheDevicePixelRatio();
};

void TestSchemaPicture::loadsEachFormatAtItsSize_data()
{
    QTest::addColumn<QString>("fileOnDisk");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("nameGiven");
    QTest::addColumn<QSize>("size");

    QTest::newRow("nominal: png") << "schema.png" << pngOf({ 40, 30 }) << "schema.png" << QSize(40, 30);
    QTest::newRow("nominal: upper-case extension")
        << "SCHEMA.PNG" << pngOf({ 41, 31 }) << "SCHEMA.PNG" << QSize(41, 31);
    QTest::newRow("nominal: jpg") << "photo.jpg" << encoded(filled({ 33, 22 }, Qt::gray), "JPEG") << "photo.jpg"
                                  << QSize(33, 22);
    QTest::newRow("nominal: jpeg") << "photo.JPEG" << encoded(filled({ 12, 34 }, Qt::gray), "JPEG") << "photo.JPEG"
                                   << QSize(12, 34);
    QTest::newRow("nominal: bmp") << "plan.Bmp" << encoded(filled({ 17, 9 }, Qt::yellow), "BMP") << "plan.Bmp"
                                  << QSize(17, 9);
    QTest::newRow("nominal: ico") << "lamp.ico" << icoOf({ 32, 32 }) << "lamp.ico" << QSize(32, 32);
    QTest::newRow("nominal: wmf") << "drawing.wmf" << wmfOf({ 120, 80 }) << "drawing.wmf" << QSize(120, 80);
    QTest::newRow("nominal: emf") << "drawing.EMF" << emfOf({ 96, 192 }) << "drawing.EMF" << QSize(96, 192);
    // Without the placeable header a WMF states no size: its window, one unit a pixel, reduced to
    // fit the caps; without a window, what it draws.
    QTest::newRow("wmf without placeable header: its window")
        << "plain.wmf" << WmfWriter().record(0x020B, { -10, -20 }).record(0x020C, { 200, 300 }).finish() << "plain.wmf"
        << QSize(300, 200);
    QTest::newRow("wmf without placeable header: a huge window, reduced")
        << "huge.wmf" << WmfWriter().record(0x020C, { 15000, 30000 }).finish() << "huge.wmf" << QSize(5792, 2896);
    QTest::newRow("wmf without placeable header: the bounds of its drawing")
        << "drawn.wmf" << WmfWriter().polygon({ { 10, 20 }, { 110, 20 }, { 60, 70 } }).finish() << "drawn.wmf"
        << QSize(102, 52);
    QTest::newRow("windows name: other case, backslash")
        << "pictures/schema.png" << pngOf({ 25, 26 }) << "Pictures\\Schema.PNG" << QSize(25, 26);
    QTest::newRow("content decides between wmf and emf")
        << "really-emf.wmf" << emfOf({ 48, 48 }) << "really-emf.wmf" << QSize(48, 48);
}

void TestSchemaPicture::loadsEachFormatAtItsSize()
{
    QFETCH(QString, fileOnDisk);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, nameGiven);
    QFETCH(QSize, size);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(QDir(dir.path()), fileOnDisk, bytes);
    CurrentDirectory current(dir.path());

    const SchemaPicture picture = SchemaPicture::load(nameGiven);
    QCOMPARE(picture.size(), size);
    const QImage image = picture.image();
    QCOMPARE(image.size(), size);
}

void TestSchemaPicture::rejectsWhatItCannotShow_data()
{
    QTest::addColumn<QString>("fileOnDisk");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("nameGiven");
    QTest::addColumn<QString>("message");

    const QByteArray png = pngOf({ 10, 10 });
    QTest::newRow("error: extension not in the list") << "schema.gif" << png << "schema.gif"
                                                      << "Unknown picture file extension (.gif)";
    QTest::newRow("error: no extension") << "schema" << png << "schema"
                                         << "Unknown picture file extension (.)";
    QTest::newRow("error: missing file") << "other.png" << png << "pics\\missing.png"
                                         << "Cannot open file ./pics/missing.png";
    QTest::newRow("error: a folder, not a file") << "folder.png/inner.png" << png << "folder.png"
                                                 << "Cannot open file ./folder.png";
    QTest::newRow("error: png cut short") << "cut.png" << png.left(60) << "cut.png"
                                          << "PNG image is not valid: ./cut.png";
    QTest::newRow("error: text named jpg") << "text.jpg" << QByteArray("not a picture at all") << "text.jpg"
                                           << "JPEG image is not valid: ./text.jpg";
    QTest::newRow("error: png named bmp") << "wrong.bmp" << png << "wrong.bmp"
                                          << "Bitmap image is not valid: ./wrong.bmp";
    QTest::newRow("error: empty ico") << "empty.ico" << QByteArray() << "empty.ico"
                                      << "Icon image is not valid: ./empty.ico";
    QTest::newRow("error: garbage wmf") << "junk.wmf" << QByteArray(300, 'x') << "junk.wmf"
                                        << "Metafile is not valid: ./junk.wmf";
    QTest::newRow("error: bitmap named emf")
        << "bitmap.emf" << encoded(filled({ 8, 8 }, Qt::red), "BMP") << "bitmap.emf"
        << "Metafile is not valid: ./bitmap.emf";

    // A header may claim any size: the picture is capped instead of allocated.
    QImage wide(20000, 1, QImage::Format_Mono);
    wide.fill(0);
    QTest::newRow("robustness: bitmap beyond the size cap") << "wide.png" << encoded(wide, "PNG") << "wide.png"
                                                            << "Picture is too large: ./wide.png";
    QTest::newRow("robustness: metafile beyond the size cap")
        << "huge.emf" << EmfWriter().finish(QRect(0, 0, 2000000, 2000000)) << "huge.emf"
        << "Picture is too large: ./huge.emf";
}

void TestSchemaPicture::rejectsWhatItCannotShow()
{
    QFETCH(QString, fileOnDisk);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, nameGiven);
    QFETCH(QString, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(QDir(dir.path()), fileOnDisk, bytes);
    CurrentDirectory current(dir.path());

    try {
        SchemaPicture::load(nameGiven);
        QFAIL("loaded");
    } catch (const ERuntimeError &error) {
        QCOMPARE(error.message(), message);
    }
}

void TestSchemaPicture::bitmapLeavesOutItsBottomLeftColour()
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(0, 2, qRgb(255, 0, 255)); // bottom-left
    image.setPixel(3, 0, qRgb(255, 0, 255)); // the same colour elsewhere
    image.setPixel(1, 1, qRgb(254, 0, 255)); // a neighbour colour stays

    const QImage bmp = SchemaPicture::fromData(encoded(image, "BMP"), SchemaPicture::Format::Bmp, {}).image();
    QCOMPARE(qAlpha(bmp.pixel(0, 2)), 0);
    QCOMPARE(qAlpha(bmp.pixel(3, 0)), 0);
    QCOMPARE(bmp.pixel(1, 1), qRgb(254, 0, 255));
    QCOMPARE(bmp.pixel(2, 2), qRgb(255, 255, 255));

    // Only bitmaps are drawn so: a PNG keeps every pixel.
    const QImage png = SchemaPicture::fromData(encoded(image, "PNG"), SchemaPicture::Format::Png, {}).image();
    QCOMPARE(qAlpha(png.pixel(0, 2)), 255);
}

void TestSchemaPicture::iconShowsTheImageNearestTheStandardSize()
{
    // An icon file with a 16, a 32 and a 48 pixel image, the 32 one not first.
    QByteArray icon;
    const QList<int> sizes { 16, 48, 32 };
    QList<QByteArray> images;
    for (int size : sizes)
        images.append(encoded(filled({ size, size }, size == 32 ? Qt::blue : Qt::red), "PNG"));
    Bytes b;
    b.u16(0).u16(1).u16(quint16(sizes.size()));
    quint32 offset = 6 + 16 * quint32(sizes.size());
    for (int i = 0; i < sizes.size(); ++i) {
        b.u8(quint8(sizes[i]))
            .u8(quint8(sizes[i]))
            .u8(0)
            .u8(0)
            .u16(1)
            .u16(32)
            .u32(quint32(images[i].size()))
            .u32(offset);
        offset += quint32(images[i].size());
    }
    for (const QByteArray &image : images)
        b.bytes(image);

    const SchemaPicture picture = SchemaPicture::fromData(b.data(), SchemaPicture::Format::Ico, {});
    QCOMPARE(picture.size(), QSize(32, 32));
    QCOMPARE(picture.image().pixel(5, 5), qRgb(0, 0, 255));
}

void TestSchemaPicture::imageFollowsTheDevicePixelRatio()
{
    // A one-pixel line across a 50 × 50 metafile, drawn for a screen with two device pixels a pixel.
    WmfWriter wmf;
    wmf.pen(0, 1, rgb(255, 0, 0)).select(0).record(0x0214, { 25, 0 }).record(0x0213, { 25, 50 });
    const SchemaPicture picture
        = SchemaPicture::fromData(wmf.finishPlaceable(QRect(0, 0, 50, 50), 96), SchemaPicture::Format::Wmf, {});
    QCOMPARE(picture.size(), QSize(50, 50));

    const QImage sharp = picture.image(2);
    QCOMPARE(sharp.size(), QSize(100, 100));
    QCOMPARE(sharp.devicePixelRatio(), 2.0);
    // The line is two device pixels thick, not blurred over four.
    QCOMPARE(qRed(sharp.pixel(40, 50)), 255);
    QCOMPARE(qRed(sharp.pixel(40, 51)), 255);
    QCOMPARE(qAlpha(sharp.pixel(40, 48)), 0);
    QCOMPARE(qAlpha(sharp.pixel(40, 53)), 0);

    // A bitmap is enlarged with hard pixel edges.
    QImage checker(2, 1, QImage::Format_RGB32);
    checker.setPixel(0, 0, qRgb(0, 0, 0));
    checker.setPixel(1, 0, qRgb(255, 255, 255));
    const QImage doubled = SchemaPicture::fromData(encoded(checker, "PNG"), SchemaPicture::Format::Png, {}).image(2);
    QCOMPARE(doubled.size(), QSize(4, 2));
    QCOMPARE(doubled.pixel(1, 1), qRgb(0, 0, 0));
    QCOMPARE(doubled.pixel(2, 1), qRgb(255, 255, 255));
}

QTEST_MAIN(TestSchemaPicture)
#include "tst_schemapicture.moc"
