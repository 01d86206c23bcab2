// The metafile player, fed with files built here record by record: what it draws where, how it
// decodes text, and how it answers files that lie.

#include "MetafileText.h"
#include "MetafileWriter.h"
#include "PictureErrors.h"
#include "SchemaPicture.h"

#include <QElapsedTimer>
#include <QTest>

using kelvo::SchemaPicture;
using namespace kelvo::test;

namespace {

// WMF functions
enum : quint16 {
    SetBkColor = 0x0201,
    SetBkMode = 0x0102,
    SetMapMode = 0x0103,
    SetPolyFillMode = 0x0106,
    SetWindowOrg = 0x020B,
    SetWindowExt = 0x020C,
    LineTo = 0x0213,
    MoveTo = 0x0214,
    ExcludeClipRect = 0x0415,
    IntersectClipRect = 0x0416,
    Ellipse = 0x0418,
    Rectangle = 0x041B,
    Pie = 0x081A,
    SaveDC = 0x001E,
    RestoreDC = 0x0127,
    ExtTextOut = 0x0A32,
    PolyPolygon = 0x0538,
    Polygon = 0x0324,
};

// EMF record types
enum : quint32 {
    EmrPolygon16 = 86,
    EmrRectangle = 43,
    EmrSetWorldTransform = 35,
    EmrBeginPath = 59,
    EmrEndPath = 60,
    EmrCloseFigure = 61,
    EmrFillPath = 62,
    EmrMoveToEx = 27,
    EmrLineTo = 54,
    EmrStretchDibits = 81,
    EmrExtSelectClipRgn = 75,
    EmrPolyPolygon = 8,
    EmrExtTextOutW = 84,
};

constexpr quint32 Red = 0x0000FF;
constexpr quint32 Green = 0x00FF00;
constexpr quint32 Blue = 0xFF0000;
constexpr quint32 NullBrushStock = 0x80000005;
constexpr quint32 NullPenStock = 0x80000008;

// A 96 × 96 picture whose logical units are its pixels.
QByteArray wmf(const WmfWriter &w)
{
    return w.finishPlaceable(QRect(0, 0, 96, 96), 96);
}

QByteArray emf(const EmfWriter &w)
{
    return w.finish(QRect(0, 0, 2540, 2540));
}

QImage render(const QByteArray &bytes)
{
    const bool isEmf = bytes.startsWith(QByteArray("\x01\x00\x00\x00", 4));
    return SchemaPicture::fromData(
        bytes, isEmf ? SchemaPicture::Format::Emf : SchemaPicture::Format::Wmf, QStringLiteral("./test"))
        .image();
}

// A solid brush and no outline: fills then show exactly the shape.
WmfWriter &fillWith(WmfWriter &w, quint32 color)
{
    return w.pen(5, 0, 0).select(0).brush(0, color).select(1);
}

// Whether each point shows its colour (a transparent one: any fully transparent pixel); says
// where it does not.
bool showsColours(const QImage &image, const QList<QPoint> &points, const QList<QColor> &colors)
{
    bool all = true;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const QColor actual = image.pixelColor(points[i]);
        const QColor &expected = colors[i];
        if (expected.alpha() == 0 ? actual.alpha() != 0 : actual != expected) {
            qWarning() << "at" << points[i] << "expected" << expected << "got" << actual;
            all = false;
        }
    }
    return all;
}

QByteArray dibOf(const QList<QList<QRgb>> &rows)
{
    QImage image(int(rows.first().size()), int(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < rows.size(); ++y) {
        for (int x = 0; x < rows[y].size(); ++x)
            image.setPixel(x, y, rows[y][x]);
    }
    return packedDib24(image);
}

QByteArray regionData(const QList<QRect> &rects)
{
    Bytes b;
    b.u32(32).u32(1).u32(quint32(rects.size())).u32(quint32(16 * rects.size())).longs({ 0, 0, 0, 0 });
    for (const QRect &r : rects)
        b.longs({ r.left(), r.top(), r.left() + r.width(), r.top() + r.height() });
    return b.data();
}

QByteArray stretchDibits(QRect destination, QRect source, const QByteArray &packedDib)
{
    // Info header of 40 bytes with no colour table (24 bits), then the rows.
    Bytes b;
    const quint32 offInfo = 80;
    const quint32 infoSize = 40;
    b.longs(
        { 0, 0, -1, -1, destination.x(), destination.y(), source.x(), source.y(), source.width(), source.height() });
    b.u32(offInfo)
        .u32(infoSize)
        .u32(offInfo + infoSize)
        .u32(quint32(packedDib.size() - infoSize))
        .u32(0)
        .u32(0x00CC0020)
        .i32(destination.width())
        .i32(destination.height());
    b.bytes(packedDib);
    return b.data();
}

} // namespace

class TestMetafilePlayer final : public QObject
{
    Q_OBJECT

private slots:
    void drawsRecords_data();
    void drawsRecords();
    void decodesTextByCharset_data();
    void decodesTextByCharset();
    void drawsCyrillicTextAlike();
    void rejectsFilesThatLie_data();
    void rejectsFilesThatLie();
    void playsOddButHarmlessFiles_data();
    void playsOddButHarmlessFiles();
};

void TestMetafilePlayer::drawsRecords_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<QPoint>>("points");
    QTest::addColumn<QList<QColor>>("colors");
    const QColor none = Qt::transparent;

    {
        WmfWriter w;
        w.pen(0, 0, Red).select(0).record(MoveTo, { 48, 10 }).record(LineTo, { 48, 90 });
        QTest::newRow("wmf: one-pixel line")
            << wmf(w) << QList<QPoint> { { 50, 48 }, { 50, 47 }, { 50, 49 }, { 5, 48 } }
            << QList<QColor> { Qt::red, none, none, none };
    }
    {
        WmfWriter w;
        w.pen(0, 10, Blue).select(0).record(MoveTo, { 48, 10 }).record(LineTo, { 48, 90 });
        QTest::newRow("wmf: pen ten units wide")
            << wmf(w) << QList<QPoint> { { 50, 44 }, { 50, 52 }, { 50, 56 }, { 50, 40 } }
            << QList<QColor> { Qt::blue, Qt::blue, none, none };
    }
    {
        // A one-pixel dashed pen: 18 on, 6 off; the gaps take the background colour (opaque mode).
        WmfWriter w;
        w.pen(1, 0, Red)
            .select(0)
            .record(SetBkColor, { 0xFF00, 0x00 })
            .record(MoveTo, { 48, 10 })
            .record(LineTo, { 48, 90 });
        QTest::newRow("wmf: dashed pen, opaque background")
            << wmf(w) << QList<QPoint> { { 12, 48 }, { 26, 48 }, { 31, 48 }, { 36, 48 } }
            << QList<QColor> { Qt::red, Qt::red, Qt::green, Qt::red };
    }
    {
        WmfWriter w;
        w.pen(1, 0, Red).select(0).record(SetBkMode, { 1 }).record(MoveTo, { 48, 10 }).record(LineTo, { 48, 90 });
        QTest::newRow("wmf: dashed pen, transparent background")
            << wmf(w) << QList<QPoint> { { 12, 48 }, { 31, 48 } } << QList<QColor> { Qt::red, none };
    }
    {
        WmfWriter w;
        fillWith(w, Green).polygon({ { 10, 10 }, { 90, 10 }, { 50, 90 } });
        QTest::newRow("wmf: filled polygon") << wmf(w) << QList<QPoint> { { 50, 30 }, { 15, 80 }, { 85, 80 } }
                                             << QList<QColor> { Qt::green, none, none };
    }
    for (const int mode : { 1, 2 }) {
        // Two squares, one inside the other, both drawn the same way round.
        WmfWriter w;
        fillWith(w, Blue).record(SetPolyFillMode, { mode });
        w.record(PolyPolygon, { 2, 4, 4, 10, 10, 90, 10, 90, 90, 10, 90, 30, 30, 70, 30, 70, 70, 30, 70 });
        QTest::addRow("wmf: poly-polygon, fill mode %s", mode == 1 ? "alternate" : "winding") << wmf(
            w) << QList<QPoint> { { 20, 20 }, { 50, 50 } } << QList<QColor> { Qt::blue, mode == 1 ? none : Qt::blue };
    }
    {
        WmfWriter w;
        fillWith(w, Red).record(Ellipse, { 90, 90, 10, 10 });
        QTest::newRow("wmf: ellipse") << wmf(w) << QList<QPoint> { { 50, 50 }, { 12, 12 }, { 50, 12 } }
                                      << QList<QColor> { Qt::red, none, Qt::red };
    }
    {
        // From three o'clock to twelve, counter-clockwise: the top-right quarter.
        WmfWriter w;
        fillWith(w, Blue).record(Pie, { 0, 48, 48, 96, 96, 96, 0, 0 });
        QTest::newRow("wmf: pie") << wmf(w) << QList<QPoint> { { 70, 30 }, { 30, 30 }, { 70, 70 } }
                                  << QList<QColor> { Qt::blue, none, none };
    }
    {
        // Anisotropic mapping with y growing upwards: logical (100..300) lands at rows 66..86.
        WmfWriter w;
        fillWith(w, Green)
            .record(SetMapMode, { 8 })
            .record(SetWindowOrg, { 1000, 0 })
            .record(SetWindowExt, { -1000, 1000 });
        w.record(Rectangle, { 300, 300, 100, 100 });
        QTest::newRow("wmf: mapping mode, window origin and extent")
            << wmf(w) << QList<QPoint> { { 20, 80 }, { 20, 20 }, { 20, 60 } }
            << QList<QColor> { Qt::green, none, none };
    }
    {
        WmfWriter w;
        w.pen(0, 0, Red).pen(0, 0, Blue).select(0).record(SaveDC, {}).select(1).record(RestoreDC, { -1 });
        w.record(MoveTo, { 48, 10 }).record(LineTo, { 48, 90 });
        QTest::newRow("wmf: restoring the device context brings the pen back")
            << wmf(w) << QList<QPoint> { { 50, 48 } } << QList<QColor> { Qt::red };
    }
    {
        WmfWriter w;
        fillWith(w, Red).record(IntersectClipRect, { 96, 48, 0, 0 }).record(Rectangle, { 90, 90, 10, 10 });
        QTest::newRow("wmf: clipping rectangle")
            << wmf(w) << QList<QPoint> { { 30, 50 }, { 70, 50 } } << QList<QColor> { Qt::red, none };
    }
    {
        WmfWriter w;
        fillWith(w, Red).record(ExcludeClipRect, { 60, 60, 40, 40 }).record(Rectangle, { 90, 90, 10, 10 });
        QTest::newRow("wmf: excluded rectangle")
            << wmf(w) << QList<QPoint> { { 50, 50 }, { 20, 20 } } << QList<QColor> { none, Qt::red };
    }
    {
        // Slot 0 is freed and taken again by the next object, as Windows numbers them.
        WmfWriter w;
        w.pen(0, 0, Red).brush(0, Green).remove(0).pen(0, 0, Blue).select(0);
        w.record(MoveTo, { 48, 10 }).record(LineTo, { 48, 90 });
        QTest::newRow("wmf: objects take the lowest free slot")
            << wmf(w) << QList<QPoint> { { 50, 48 } } << QList<QColor> { Qt::blue };
    }
    {
        WmfWriter w;
        w.stretchDib(QRect(10, 10, 80, 80), QRect(0, 0, 2, 2),
            dibOf({ { qRgb(255, 0, 0), qRgb(0, 255, 0) }, { qRgb(0, 0, 255), qRgb(255, 255, 255) } }));
        QTest::newRow("wmf: stretched 24-bit bitmap")
            << wmf(w) << QList<QPoint> { { 30, 30 }, { 70, 30 }, { 30, 70 }, { 70, 70 }, { 5, 5 } }
            << QList<QColor> { Qt::red, Qt::green, Qt::blue, Qt::white, none };
    }
    {
        // RLE8, bottom row first: four red pixels; then the top row skips two pixels and has two blue.
        const QByteArray rle("\x04\x00\x00\x00\x00\x02\x02\x00\x02\x01\x00\x01", 12);
        WmfWriter w;
        w.stretchDib(QRect(0, 0, 80, 40), QRect(0, 0, 4, 2), packedDibRle8(4, 2, { Red, Blue }, rle));
        QTest::newRow("wmf: run-length encoded bitmap, skipped pixels transparent")
            << wmf(w) << QList<QPoint> { { 10, 10 }, { 70, 10 }, { 10, 30 }, { 70, 30 } }
            << QList<QColor> { none, Qt::blue, Qt::red, Qt::red };
    }
    {
        // ETO_OPAQUE fills its rectangle with the background colour, even for empty text.
        WmfWriter w;
        w.record(SetBkColor, { 0xFFFF, 0x00 }).record(ExtTextOut, { 20, 10, 0, 2, 10, 10, 90, 30 });
        QTest::newRow("wmf: opaque text rectangle")
            << wmf(w) << QList<QPoint> { { 80, 25 }, { 80, 35 } } << QList<QColor> { Qt::yellow, none };
    }
    {
        // The small text record: its opaque rectangle, then (here, no) characters.
        EmfWriter w;
        Bytes p;
        p.i32(20).i32(10).u32(0).u32(2).u32(1).f32(1).f32(1).longs({ 10, 10, 90, 30 });
        w.record(25, { 0x00FFFF }).record(108, p.data());
        QTest::newRow("emf: small text record with an opaque rectangle")
            << emf(w) << QList<QPoint> { { 80, 25 }, { 80, 35 } } << QList<QColor> { Qt::yellow, none };
    }
    {
        EmfWriter w;
        w.brush(1, 0, Green).select(1).select(NullPenStock);
        Bytes p;
        p.longs({ 0, 0, 0, 0 }).u32(3).i16(10).i16(10).i16(90).i16(10).i16(50).i16(90);
        w.record(EmrPolygon16, p.data());
        QTest::newRow("emf: 16-bit polygon")
            << emf(w) << QList<QPoint> { { 50, 30 }, { 15, 80 } } << QList<QColor> { Qt::green, none };
    }
    {
        EmfWriter w;
        w.brush(1, 0, Red).select(1).select(NullPenStock);
        Bytes t;
        t.f32(1).f32(0).f32(0).f32(1).f32(50).f32(0);
        w.record(EmrSetWorldTransform, t.data()).record(EmrRectangle, { 0, 0, 20, 20 });
        QTest::newRow("emf: world transform")
            << emf(w) << QList<QPoint> { { 60, 10 }, { 10, 10 } } << QList<QColor> { Qt::red, none };
    }
    {
        EmfWriter w;
        w.brush(1, 0, Blue).select(1).select(NullPenStock);
        w.record(EmrBeginPath, {})
            .record(EmrMoveToEx, { 10, 10 })
            .record(EmrLineTo, { 90, 10 })
            .record(EmrLineTo, { 50, 90 });
        w.record(EmrCloseFigure, {}).record(EmrEndPath, {}).record(EmrFillPath, { 0, 0, -1, -1 });
        QTest::newRow("emf: path bracket filled")
            << emf(w) << QList<QPoint> { { 50, 30 }, { 15, 80 } } << QList<QColor> { Qt::blue, none };
    }
    {
        // A bottom-up DIB: StretchDIBits counts the source rectangle from the bottom-left corner.
        EmfWriter w;
        w.record(EmrStretchDibits,
            stretchDibits(QRect(0, 0, 50, 50), QRect(0, 0, 1, 1), dibOf({ { qRgb(0, 0, 255) }, { qRgb(255, 0, 0) } })));
        QTest::newRow("emf: stretched DIB, source from the bottom")
            << emf(w) << QList<QPoint> { { 25, 25 }, { 75, 75 } } << QList<QColor> { Qt::red, none };
    }
    {
        EmfWriter w;
        w.brush(1, 0, Red).select(1).select(NullPenStock);
        Bytes p;
        const QByteArray region = regionData({ QRect(0, 0, 48, 96) });
        p.u32(quint32(region.size())).u32(5).bytes(region);
        w.record(EmrExtSelectClipRgn, p.data()).record(EmrRectangle, { 10, 10, 90, 90 });
        QTest::newRow("emf: clipping region")
            << emf(w) << QList<QPoint> { { 30, 50 }, { 70, 50 } } << QList<QColor> { Qt::red, none };
    }
}

void TestMetafilePlayer::drawsRecords()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<QPoint>, points);
    QFETCH(QList<QColor>, colors);

    const QImage image = render(file);
    QCOMPARE(image.size(), QSize(96, 96));
    QVERIFY(showsColours(image, points, colors));
}

void TestMetafilePlayer::decodesTextByCharset_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("charSet");
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("text");

    const QByteArray privet("\xCF\xF0\xE8\xE2\xE5\xF2"); // "Привет" in Windows-1251
    QTest::newRow("russian charset") << privet << 204 << "Arial" << QStringLiteral("Привет");
    QTest::newRow("default charset is the Cyrillic code page") << privet << 1 << "Arial" << QStringLiteral("Привет");
    QTest::newRow("ansi charset, Cyrillic face") << privet << 0 << "Times New Roman Cyr" << QStringLiteral("Привет");
    QTest::newRow("ansi charset, Latin face") << privet << 0 << "Arial" << QStringLiteral("Ïðèâåò");
    QTest::newRow("ansi charset, Windows-1252 quotes")
        << QByteArray("\x93x\x94") << 0 << "Arial" << QStringLiteral("“x”");
    QTest::newRow("oem charset") << QByteArray("\x8F\xE0\xA8") << 255 << "Terminal" << QStringLiteral("При");
    QTest::newRow("symbol font") << QByteArray("abgW\xB0\xB1") << 2 << "Symbol" << QStringLiteral("αβγΩ°±");
    QTest::newRow("trailing zeros dropped") << QByteArray("ab\0\0", 4) << 1 << "Arial" << QStringLiteral("ab");
}

void TestMetafilePlayer::decodesTextByCharset()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, charSet);
    QFETCH(QString, face);
    QFETCH(QString, text);
    QCOMPARE(kelvo::pictures::decodeMetafileText(bytes, quint8(charSet), face), text);
}

void TestMetafilePlayer::drawsCyrillicTextAlike()
{
    // The same words as ANSI text in a Cyrillic font (WMF) and as wide text (EMF) draw the same
    // pixels, and the ink sits below the reference point (top alignment).
    WmfWriter w;
    w.font(-20, 400, 204, "Arial").select(0).textOut(10, 30, QByteArray("\xD1\xF5\xE5\xEC\xE0")); // "Схема"
    EmfWriter e;
    e.font(1, -20, 400, 204, QStringLiteral("Arial")).select(1).textOutW(QPoint(10, 30), QStringLiteral("Схема"));

    const QImage fromWmf = render(wmf(w));
    const QImage fromEmf = render(emf(e));
    QCOMPARE(fromWmf, fromEmf);

    int inked = 0;
    QRect ink;
    for (int y = 0; y < fromWmf.height(); ++y) {
        for (int x = 0; x < fromWmf.width(); ++x) {
            if (qAlpha(fromWmf.pixel(x, y)) > 128) {
                ++inked;
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    QVERIFY2(inked > 50, "the text left no ink");
    QVERIFY(ink.top() >= 30);
    QVERIFY(ink.bottom() <= 52);
    QVERIFY(ink.left() >= 10);
    // "Схема" in Latin-1 would be five wide accented letters of another shape; the glyphs must
    // be the Cyrillic ones: compare with the words drawn from Unicode directly.
    EmfWriter latin;
    latin.font(1, -20, 400, 0, QStringLiteral("Arial")).select(1).textOutW(QPoint(10, 30), QStringLiteral("Ñõåìà"));
    QVERIFY(render(emf(latin)) != fromWmf);
}

void TestMetafilePlayer::rejectsFilesThatLie_data()
{
    QTest::addColumn<QByteArray>("file");

    const QByteArray record0 = Bytes().u32(0).u16(LineTo).data();
    QTest::newRow("wmf: record of size zero") << wmf(WmfWriter().raw(record0));
    QTest::newRow("wmf: record longer than the file")
        << wmf(WmfWriter().raw(Bytes().u32(5000).u16(LineTo).i16(1).i16(1).data()));
    QTest::newRow("wmf: polygon count beyond its record") << wmf(WmfWriter().record(Polygon, { 1000, 10, 10, 20, 20 }));
    QTest::newRow("wmf: text count beyond its record") << wmf(WmfWriter().record(0x0521, { 200, 0x4141 }));
    QTest::newRow("wmf: poly-polygon counts beyond its record")
        << wmf(WmfWriter().record(PolyPolygon, { 2, 30000, 30000, 1, 1 }));
    QTest::newRow("wmf: header cut short") << QByteArray("\x01\x00\x09\x00\x00\x03", 6);
    QTest::newRow("wmf: placeable header with zero units per inch")
        << WmfWriter().finishPlaceable(QRect(0, 0, 100, 100), 0);
    {
        Bytes dib;
        dib.u32(40).i32(100000).i32(100000).u16(1).u16(24).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
        QTest::newRow("wmf: bitmap beyond the bitmap cap")
            << wmf(WmfWriter().stretchDib(QRect(0, 0, 10, 10), QRect(0, 0, 10, 10), dib.data()));
    }
    {
        Bytes dib;
        dib.u32(40).i32(64).i32(64).u16(1).u16(24).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0).bytes(
            QByteArray(192, 'x'));
        QTest::newRow("wmf: bitmap rows missing")
            << wmf(WmfWriter().stretchDib(QRect(0, 0, 10, 10), QRect(0, 0, 64, 64), dib.data()));
    }
    {
        Bytes dib;
        dib.u32(40).i32(64).i32(64).u16(1).u16(13).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0).bytes(
            QByteArray(900, 'x'));
        QTest::newRow("wmf: bitmap with 13 bits a pixel")
            << wmf(WmfWriter().stretchDib(QRect(0, 0, 10, 10), QRect(0, 0, 64, 64), dib.data()));
    }
    {
        // An absolute run of 200 pixels with 4 bytes behind it.
        const QByteArray rle("\x00\xC8\x01\x01\x01\x01", 6);
        QTest::newRow("wmf: RLE run past its data")
            << wmf(WmfWriter().stretchDib(QRect(0, 0, 10, 10), QRect(0, 0, 4, 2), packedDibRle8(4, 2, { Red }, rle)));
    }
    {
        Bytes dib;
        dib.u32(40).i32(4).i32(4).u16(1).u16(8).u32(0).u32(0).u32(0).u32(0).u32(70000).u32(0);
        QTest::newRow("wmf: colour table beyond its record")
            << wmf(WmfWriter().stretchDib(QRect(0, 0, 10, 10), QRect(0, 0, 4, 4), dib.data()));
    }

    QTest::newRow("emf: record size not a multiple of four")
        << emf(EmfWriter().raw(Bytes().u32(EmrLineTo).u32(18).i32(1).i32(1).u16(0).data()));
    QTest::newRow("emf: record size past the end")
        << emf(EmfWriter().raw(Bytes().u32(EmrLineTo).u32(0x7FFFFFF0).i32(1).i32(1).data()));
    QTest::newRow("emf: record size below its head") << emf(EmfWriter().raw(Bytes().u32(EmrLineTo).u32(4).data()));
    {
        Bytes p;
        p.longs({ 0, 0, 0, 0 }).u32(0x40000000).i16(1).i16(1);
        QTest::newRow("emf: point count beyond its record") << emf(EmfWriter().record(EmrPolygon16, p.data()));
    }
    {
        Bytes p;
        p.longs({ 0, 0, 0, 0 }).u32(2).u32(3).u32(2).u32(2).longs({ 0, 0, 1, 1, 2, 2, 3, 3 });
        QTest::newRow("emf: polygon counts above their total") << emf(EmfWriter().record(EmrPolyPolygon, p.data()));
    }
    {
        QByteArray record = stretchDibits(QRect(0, 0, 10, 10), QRect(0, 0, 1, 1), dibOf({ { qRgb(1, 2, 3) } }));
        Bytes lie;
        lie.u32(0x7FFFFFFF);
        record.replace(48 - 8, 4, lie.data()); // offBmiSrc (the record head is not in `record`)
        QTest::newRow("emf: bitmap offset outside its record") << emf(EmfWriter().record(EmrStretchDibits, record));
    }
    {
        Bytes p;
        p.longs({ 0, 0, -1, -1 })
            .u32(1)
            .f32(1)
            .f32(1)
            .i32(0)
            .i32(0)
            .u32(5)
            .u32(0x10000)
            .u32(0)
            .longs({ 0, 0, 0, 0 })
            .u32(0);
        QTest::newRow("emf: text offset outside its record") << emf(EmfWriter().record(EmrExtTextOutW, p.data()));
    }
    {
        QByteArray file = emf(EmfWriter());
        file.replace(4, 4, Bytes().u32(5000).data()); // header size beyond the file
        QTest::newRow("emf: header size beyond the file") << file;
    }
}

void TestMetafilePlayer::rejectsFilesThatLie()
{
    QFETCH(QByteArray, file);
    try {
        render(file);
        QFAIL("a lying file was accepted");
    } catch (const EInvalidGraphic &error) {
        QCOMPARE(error.message(), QStringLiteral("Metafile is not valid: ./test"));
    }
}

void TestMetafilePlayer::playsOddButHarmlessFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    // Where the drawing is defined, pixels it must show; empty where any result is fine.
    QTest::addColumn<QList<QPoint>>("points");
    QTest::addColumn<QList<QColor>>("colors");
    const QColor none = Qt::transparent;
    const QList<QPoint> nothingAt = { { 5, 5 }, { 48, 48 }, { 90, 90 } };
    const QList<QColor> nothing = { none, none, none };

    {
        WmfWriter w;
        for (int i = 0; i < 3000; ++i)
            w.record(SaveDC, {});
        for (int i = 0; i < 3100; ++i)
            w.record(RestoreDC, { -1 });
        w.record(RestoreDC, { 32000 }).record(RestoreDC, { -32000 });
        QTest::newRow("wmf: saves beyond the cap, restores beyond the saves") << wmf(w) << nothingAt << nothing;
    }
    {
        WmfWriter w;
        w.select(7).remove(9).pen(0, 0, Red).select(0).remove(0).select(0).record(LineTo, { 10, 10 });
        QTest::newRow("wmf: selecting missing and deleted objects") << wmf(w) << QList<QPoint>() << QList<QColor>();
    }
    {
        WmfWriter w;
        for (int i = 0; i < 40; ++i)
            w.brush(0, Red);
        QTest::newRow("wmf: more objects than the table holds") << wmf(w) << nothingAt << nothing;
    }
    {
        WmfWriter w;
        w.record(SetMapMode, { 8 }).record(SetWindowExt, { 0, 0 }).record(SetWindowExt, { 1, -32768 });
        w.pen(0, 32767, Red).select(0).record(Rectangle, { 32767, 32767, -32768, -32768 });
        w.record(Ellipse, { -32768, -32768, 32767, 32767 }).record(Pie, { 0, 0, 0, 0, 0, 0, 0, 0 });
        QTest::newRow("wmf: zero and extreme extents and coordinates") << wmf(w) << QList<QPoint>() << QList<QColor>();
    }
    {
        WmfWriter w;
        for (int i = 0; i < 3000; ++i)
            w.record(ExcludeClipRect, { i % 90 + 2, i % 90 + 2, i % 90, i % 90 });
        fillWith(w, Red).record(Rectangle, { 90, 90, 0, 0 });
        QTest::newRow("wmf: thousands of clipping rectangles")
            << wmf(w) << QList<QPoint> { { 70, 20 }, { 20, 70 }, { 50, 50 }, { 93, 93 } }
            << QList<QColor> { Qt::red, Qt::red, none, none };
    }
    {
        EmfWriter w;
        Bytes t;
        t.f32(std::numeric_limits<float>::quiet_NaN()).f32(0).f32(0).f32(1e38f).f32(1e38f).f32(0);
        w.record(EmrSetWorldTransform, t.data()).record(EmrRectangle, { 0, 0, 20, 20 });
        Bytes huge;
        huge.f32(1e30f).f32(0).f32(0).f32(1e30f).f32(0).f32(0);
        w.record(EmrSetWorldTransform, huge.data()).record(EmrRectangle, { 0, 0, 20, 20 });
        w.record(EmrLineTo, { 2000000000, -2000000000 });
        QTest::newRow("emf: not-a-number and huge world transforms") << emf(w) << QList<QPoint>() << QList<QColor>();
    }
    {
        EmfWriter w;
        w.pen(1, 0, 0, Red).select(1).select(NullBrushStock).select(0x80001234).select(99999);
        w.pen(99999, 0, 0, Red).record(40, { qint64(0x80000005) });
        QTest::newRow("emf: stock, unknown and out-of-table handles") << emf(w) << nothingAt << nothing;
    }
    {
        // Found by fuzzing: a geometric pen two billion units wide with mitred joins and dashes
        // took the stroker most of a minute.
        EmfWriter w;
        w.record(95, { 1, 0, 0, 0, 0, 0x12207, 1946157076, 0, 0xFF0000, 0, 2, 30, 10 }).select(1);
        w.record(44, { 10, 10, 90, 90, 20, 20 });
        QTest::newRow("emf: pen two billion units wide") << emf(w) << QList<QPoint>() << QList<QColor>();
    }
    {
        // Found by fuzzing: Qt's scan conversion lost memory on a region this far outside the picture.
        EmfWriter w;
        Bytes p;
        const QByteArray region = regionData({ QRect(0, 0, 60, 60), QRect(40, 40, 50331648, 33554432) });
        p.u32(quint32(region.size())).u32(5).bytes(region);
        w.record(EmrExtSelectClipRgn, p.data()).brush(1, 0, Red).select(1).record(EmrRectangle, { 0, 0, 90, 90 });
        QTest::newRow("emf: clipping region far beyond the picture")
            << emf(w) << QList<QPoint> { { 30, 30 }, { 50, 50 }, { 70, 20 }, { 20, 70 } }
            << QList<QColor> { Qt::red, Qt::red, none, none };
    }
    QTest::newRow("emf: only the header") << EmfWriter().finish(QRect(0, 0, 2540, 2540)) << nothingAt << nothing;
    QTest::newRow("wmf: no records, no end record") << wmf(WmfWriter()).chopped(6) << nothingAt << nothing;
    QTest::newRow("emf: unknown record types")
        << emf(EmfWriter().record(250, { 1, 2, 3 }).record(70, { 0 }).record(0xFFFFFFFF, {})) << nothingAt << nothing;
}

void TestMetafilePlayer::playsOddButHarmlessFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<QPoint>, points);
    QFETCH(QList<QColor>, colors);
    QElapsedTimer timer;
    timer.start();
    const QImage image = render(file);
    QCOMPARE(image.size(), QSize(96, 96));
    QVERIFY2(timer.elapsed() < 10000, "a small picture took seconds to draw");
    QVERIFY(showsColours(image, points, colors));
}

QTEST_MAIN(TestMetafilePlayer)
#include "tst_metafileplayer.moc"
