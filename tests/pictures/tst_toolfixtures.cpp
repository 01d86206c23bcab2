// Pictures made by drawing programs and office suites: each opens at its stated size, and a
// metafile looks like the same drawing exported as PNG by the program that made it.

#include "SchemaPicture.h"
#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using kelvo::SchemaPicture;

namespace {

QImage onWhite(const QImage &image)
{
    QImage result(image.size(), QImage::Format_RGB32);
    result.fill(Qt::white);
    QPainter painter(&result);
    painter.drawImage(0, 0, image);
    return result;
}

// The share of pixels that differ clearly (by more than a third of the range in some channel).
double differingShare(const QImage &a, const QImage &b)
{
    const QImage x = onWhite(a);
    const QImage y = onWhite(b);
    qint64 differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row);
            const QRgb q = y.pixel(column, row);
            const int d = std::max(
                { std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q)) });
            if (d > 85)
                ++differing;
        }
    }
    return double(differing) / (qint64(x.width()) * x.height());
}

} // namespace

// The checked-in fixtures, found through the source folder that CTest names.
static QString fixture(const QString &name)
{
    return qEnvironmentVariable("KELVO_SOURCE_DIR") + QStringLiteral("/tests/pictures/fixtures/") + name;
}

class TestToolFixtures final : public QObject
{
    Q_OBJECT

private slots:
    void opensAtItsSizeAndLooksLikeTheExport_data();
    void opensAtItsSizeAndLooksLikeTheExport();
};

void TestToolFixtures::opensAtItsSizeAndLooksLikeTheExport_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<double>("tolerance");

    // LibreOffice draws its own PNG from the document, not from the metafile: outlines fall a pixel
    // apart here and there, and a few lines come out a pixel thinner.
    QTest::newRow("libreoffice: emf") << "libreoffice-schema.emf" << QSize(401, 251) << "libreoffice-schema.png"
                                      << 0.04;
    QTest::newRow("libreoffice: wmf") << "libreoffice-schema.wmf" << QSize(401, 251) << "libreoffice-schema.png"
                                      << 0.04;
    QTest::newRow("inkscape: emf") << "inkscape-schema.emf" << QSize(401, 253) << "inkscape-schema.png" << 0.02;
    // Solid where the PNG is dashed (see the fixtures' README), else alike.
    QTest::newRow("inkscape: wmf") << "inkscape-schema.wmf" << QSize(400, 250) << "inkscape-schema.png" << 0.03;
    QTest::newRow("imagemagick: bmp") << "imagemagick-schema.bmp" << QSize(100, 63) << QString() << 0.0;
    QTest::newRow("imagemagick: ico, the 32-pixel image")
        << "imagemagick-schema.ico" << QSize(32, 32) << QString() << 0.0;
}

void TestToolFixtures::opensAtItsSizeAndLooksLikeTheExport()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QFETCH(QString, reference);
    QFETCH(double, tolerance);

    const QString source = fixture(file);
    QVERIFY2(QFileInfo(source).isFile(), qPrintable(QStringLiteral("no fixture at ") + source));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QFile::copy(source, dir.filePath(file.toUpper())));
    kelvo::test::CurrentDirectory current(dir.path());

    const SchemaPicture picture = SchemaPicture::load(file);
    QCOMPARE(picture.size(), size);
    const QImage image = picture.image();
    QCOMPARE(image.size(), size);
    if (reference.isEmpty())
        return;

    QImage expected(fixture(reference));
    QVERIFY(!expected.isNull());
    // The exports round the size their own way; compare the part both cover.
    const QRect common = QRect(QPoint(), image.size()).intersected(expected.rect());
    const double share = differingShare(image.copy(common), expected.copy(common));
    qInfo("%s: %.2f%% of the pixels differ", qPrintable(file), share * 100);
    QVERIFY2(share <= tolerance, qPrintable(QStringLiteral("%1% differ").arg(share * 100)));
}

QTEST_MAIN(TestToolFixtures)
#include "tst_toolfixtures.moc"
