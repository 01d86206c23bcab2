#include "Glyphs.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

// The window icon at the sizes window managers and task bars ask for; at 16 and 24 pixels the
// upright of the K stays a sharp white bar, which the full drawing scaled down blurs.
class TestProgramIcon final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sizes_data();
    void sizes();
    void sharpWhenSmall_data();
    void sharpWhenSmall();
};

namespace {

// Pixels of the upright that are pure, opaque white, out of all it covers.
int whiteUprightPixels(const QImage &image, const QRect &upright)
{
    int white = 0;
    for (int y = upright.top(); y <= upright.bottom(); ++y) {
        for (int x = upright.left(); x <= upright.right(); ++x)
            white += image.pixel(x, y) == 0xffffffffu ? 1 : 0;
    }
    return white;
}

QImage renderedFullDrawing(int side)
{
    QSvgRenderer renderer(QStringLiteral(":/glyphs/KELVO.svg"));
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, side, side));
    return image;
}

} // namespace

void TestProgramIcon::sizes_data()
{
    QTest::addColumn<int>("side");
    for (const int side : { 16, 24, 32, 48, 64, 128, 256 })
        QTest::addRow("nominal: %d px", side) << side;
}

void TestProgramIcon::sizes()
{
    QFETCH(int, side);
    const QIcon icon = kelvo::programIcon();
    QVERIFY(icon.availableSizes().contains(QSize(side, side)));
    const QImage image = icon.pixmap(side, side).toImage();
    QCOMPARE(image.size(), QSize(side, side));
    // Drawn, not empty: the plate's blue in the middle of the left edge's inside.
    const QColor plate = image.pixelColor(side / 8, side / 2);
    QCOMPARE(plate.alpha(), 255);
    QVERIFY2(plate.blue() > plate.red(), qPrintable(plate.name()));
}

void TestProgramIcon::sharpWhenSmall_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<QRect>("upright");
    QTest::newRow("nominal: 16 px") << 16 << QRect(4, 3, 2, 10);
    QTest::newRow("nominal: 24 px") << 24 << QRect(6, 5, 3, 14);
}

void TestProgramIcon::sharpWhenSmall()
{
    QFETCH(int, side);
    QFETCH(QRect, upright);
    const QImage icon = kelvo::programIcon().pixmap(side, side).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(whiteUprightPixels(icon, upright), upright.width() * upright.height());
    // The probe tells sharp from blurred: the full drawing at this size fails it.
    QVERIFY(whiteUprightPixels(renderedFullDrawing(side), upright) < upright.width() * upright.height());
}

QTEST_MAIN(TestProgramIcon)
#include "tst_programicon.moc"
