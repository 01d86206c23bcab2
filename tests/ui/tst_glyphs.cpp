#include "Glyphs.h"

#include <QImage>
#include <QTest>

// A passed chapter's glyph: the open one with a tick badge over its lower right, told apart by
// shape and not by colour alone, drawn at each resolution rather than scaled.
class TestGlyphs final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void passedMarkOverTheOpenGlyph_data();
    void passedMarkOverTheOpenGlyph();
};

namespace {

// Pixels of `rect` (in device-independent pixels) that differ between the two images.
int differing(const QImage &a, const QImage &b, const QRectF &rect, qreal ratio)
{
    const QRect pixels((rect.topLeft() * ratio).toPoint(), (rect.bottomRight() * ratio).toPoint() - QPoint(1, 1));
    int count = 0;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        for (int x = pixels.left(); x <= pixels.right(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    }
    return count;
}

// Pure white pixels inside `rect`: the tick and the badge's rim.
int whitePixels(const QImage &image, const QRectF &rect, qreal ratio)
{
    const QRect pixels((rect.topLeft() * ratio).toPoint(), (rect.bottomRight() * ratio).toPoint() - QPoint(1, 1));
    int count = 0;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        for (int x = pixels.left(); x <= pixels.right(); ++x)
            count += image.pixel(x, y) == 0xffffffffu ? 1 : 0;
    }
    return count;
}

} // namespace

void TestGlyphs::passedMarkOverTheOpenGlyph_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("nominal: the screen's own resolution") << 1.0;
    QTest::newRow("nominal: a high-resolution screen") << 2.0;
}

void TestGlyphs::passedMarkOverTheOpenGlyph()
{
    QFETCH(qreal, ratio);
    QCOMPARE(kelvo::glyphSize(QStringLiteral("BUBBLE_PASSED")), kelvo::glyphSize(QStringLiteral("BUBBLE_RED")));
    const QImage open = kelvo::glyphPixmap(QStringLiteral("BUBBLE_RED"), ratio).toImage();
    const QImage passed = kelvo::glyphPixmap(QStringLiteral("BUBBLE_PASSED"), ratio).toImage();
    QCOMPARE(passed.size(), open.size());
    QCOMPARE(passed.size(), QSize(28, 29) * ratio);

    // The upper left, where the ball's highlight is, stays as it was.
    QCOMPARE(differing(open, passed, QRectF(0, 0, 12, 12), ratio), 0);
    // The lower right carries the mark: much of it changed, with white strokes drawn sharp
    // (pure white pixels, not only blends) at every resolution.
    const QRectF corner(14, 14, 14, 14);
    QVERIFY(differing(open, passed, corner, ratio) > int(60 * ratio * ratio));
    QVERIFY(whitePixels(passed, corner, ratio) > int(8 * ratio * ratio));
    QCOMPARE(whitePixels(open, corner, ratio), 0);
}

QTEST_MAIN(TestGlyphs)
#include "tst_glyphs.moc"
