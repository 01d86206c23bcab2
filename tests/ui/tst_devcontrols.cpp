#include "DeviceControls.h"
#include "FontFamily.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QColor FieldColour(0, 160, 0);

// A shown window with a coloured background that notes the pointer's movement over bare places.
class Field final : public QWidget
{
public:
    Field()
    {
        resize(300, 200);
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, FieldColour);
        setPalette(palette);
        setAutoFillBackground(true);
        setMouseTracking(true);
    }

    int moves = 0;

protected:
    void mouseMoveEvent(QMouseEvent *) override { ++moves; }
};

int countPixels(const QImage &image, const QColor &colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == colour ? 1 : 0;
    return count;
}

} // namespace

class TestDevControls final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void labelLooks();
    void labelTurnsRedUnderThePointer_data();
    void labelTurnsRedUnderThePointer();
    void labelClick_data();
    void labelClick();
    void editIsFlatAndReadOnly();
    void shapeOutline_data();
    void shapeOutline();
    void shapeReceivesMovement_data();
    void shapeReceivesMovement();
};

void TestDevControls::labelLooks()
{
    Field field;
    auto *label = new TDevLabel(&field);
    label->ApplyProperties();
    QCOMPARE(label->font().family(), kelvo::pictures::fontFamilyFor(u"Tahoma"));
    QCOMPARE(label->font().pointSize(), 10);
    QVERIFY(label->font().bold());
    QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(!label->autoFillBackground());
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));

    // The size follows the caption.
    label->setCaption(u"2,50 V"_s);
    const QSize shortSize = label->size();
    QCOMPARE(shortSize, label->sizeHint());
    label->setCaption(u"12345,50 mA"_s);
    QVERIFY(label->width() > shortSize.width());
    QCOMPARE(label->size(), label->sizeHint());

    // Transparent: the field shows around the letters.
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    const QImage shot = field.grab(label->geometry()).toImage();
    QVERIFY(countPixels(shot, FieldColour) > shot.width() * shot.height() / 3);
}

void TestDevControls::labelTurnsRedUnderThePointer_data()
{
    QTest::addColumn<QString>("caption");
    QTest::newRow("nominal: a value") << u"12,00 V"_s;
    QTest::newRow("nominal: an empty unit leaves a trailing space") << u"0,00 "_s;
    QTest::newRow("edge: an ampersand is shown, not taken as a mnemonic") << u"1,00 R&D"_s;
}

void TestDevControls::labelTurnsRedUnderThePointer()
{
    QFETCH(QString, caption);
    Field field;
    auto *label = new TDevLabel(&field);
    label->ApplyProperties();
    label->move(40, 40);
    label->setCaption(caption);
    QCOMPARE(label->text(), caption);
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));

    const QColor red(255, 0, 0);
    for (int round = 0; round < 2; ++round) {
        QTest::mouseMove(&field, label->geometry().center());
        QTRY_COMPARE(label->palette().color(QPalette::WindowText), red);
        QVERIFY(countPixels(label->grab().toImage(), red) > 0);
        QTest::mouseMove(&field, QPoint(5, 5));
        QTRY_COMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
        QCOMPARE(countPixels(label->grab().toImage(), red), 0);
    }
}

void TestDevControls::labelClick_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("releaseInside");
    QTest::addColumn<int>("clicks");
    QTest::newRow("nominal: left press and release over the label") << Qt::LeftButton << true << 1;
    QTest::newRow("edge: released elsewhere") << Qt::LeftButton << false << 0;
    QTest::newRow("edge: right button") << Qt::RightButton << true << 0;
}

void TestDevControls::labelClick()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, releaseInside);
    QFETCH(int, clicks);
    Field field;
    auto *label = new TDevLabel(&field);
    label->ApplyProperties();
    label->setCaption(u"2,50 V"_s);
    label->move(40, 40);
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    QSignalSpy clicked(label, &TDevLabel::clicked);

    const QPoint inside = label->rect().center();
    QTest::mousePress(label, button, {}, inside);
    QTest::mouseRelease(label, button, {}, releaseInside ? inside : QPoint(label->width() + 20, inside.y()));
    QCOMPARE(clicked.count(), clicks);
}

void TestDevControls::editIsFlatAndReadOnly()
{
    Field field;
    auto *before = new QLineEdit(&field);
    before->setGeometry(10, 10, 80, 20);
    auto *edit = new TDevEdit(&field);
    edit->ApplyProperties();
    edit->move(10, 50);
    edit->resize(90, edit->height());
    edit->setText(u"12,50 V"_s);
    auto *after = new QLineEdit(&field);
    after->setGeometry(10, 100, 80, 20);
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    QApplication::setActiveWindow(&field);

    QCOMPARE(edit->font().family(), kelvo::pictures::fontFamilyFor(u"Fixedsys"));
    QCOMPARE(edit->font().pointSize(), 10);
    QVERIFY(!edit->hasFrame());
    QCOMPARE(edit->height(), edit->sizeHint().height());
    QCOMPARE(edit->width(), 90);

    // The Tab key passes it by.
    before->setFocus();
    QTRY_VERIFY(before->hasFocus());
    QTest::keyClick(before, Qt::Key_Tab);
    QTRY_VERIFY(after->hasFocus());

    // Typing changes nothing; the mouse still selects.
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(4, edit->height() / 2));
    QTest::keyClicks(edit, u"99"_s);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), u"12,50 V"_s);
    QTest::mouseDClick(edit, Qt::LeftButton, {}, QPoint(6, edit->height() / 2));
    QTest::mouseRelease(edit, Qt::LeftButton, {}, QPoint(6, edit->height() / 2));
    QVERIFY(edit->hasSelectedText());

    // A single-line border all round, the field's colour nowhere inside it.
    const QImage shot = edit->grab().toImage();
    const QColor line = edit->palette().color(QPalette::WindowText);
    QCOMPARE(shot.pixelColor(0, shot.height() / 2), line);
    QCOMPARE(shot.pixelColor(shot.width() - 1, shot.height() / 2), line);
    QCOMPARE(countPixels(shot, FieldColour), 0);
}

void TestDevControls::shapeOutline_data()
{
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("outlined");
    QTest::newRow("nominal: hidden after ApplyProperties") << QStringList {} << false;
    QTest::newRow("nominal: ShowIt draws the outline") << QStringList { u"show"_s } << true;
    QTest::newRow("nominal: HideIt after ShowIt") << QStringList { u"show"_s, u"hide"_s } << false;
    QTest::newRow("nominal: shown again") << QStringList { u"show"_s, u"hide"_s, u"show"_s } << true;
}

void TestDevControls::shapeOutline()
{
    QFETCH(QStringList, calls);
    QFETCH(bool, outlined);
    Field field;
    auto *shape = new TDevShape(&field);
    shape->ApplyProperties();
    shape->setGeometry(50, 40, 60, 30);
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    for (const QString &call : calls)
        call == u"show" ? shape->ShowIt() : shape->HideIt();

    QVERIFY(shape->isVisible());
    QCOMPARE(shape->geometry(), QRect(50, 40, 60, 30));
    QCOMPARE(shape->outlineShown(), outlined);

    const QImage shot = field.grab(shape->geometry()).toImage();
    const QColor edge = outlined ? QColor(Qt::black) : FieldColour;
    for (const QPoint at : { QPoint(0, 0), QPoint(2, 2), QPoint(59, 29), QPoint(57, 27), QPoint(30, 0), QPoint(0, 15),
             QPoint(30, 2), QPoint(57, 15) })
        QCOMPARE(shot.pixelColor(at), edge);
    // Three pixels wide, never filled: the field shows inside.
    for (const QPoint at : { QPoint(3, 3), QPoint(30, 15), QPoint(56, 26) })
        QCOMPARE(shot.pixelColor(at), FieldColour);
}

void TestDevControls::shapeReceivesMovement_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("outlined");
    QTest::addColumn<bool>("received");
    QTest::newRow("nominal: outline hidden, still receives the pointer") << QSize(60, 30) << false << true;
    QTest::newRow("nominal: outline shown") << QSize(60, 30) << true << true;
    QTest::newRow("edge: no width") << QSize(0, 30) << true << false;
    QTest::newRow("edge: no height") << QSize(60, 0) << true << false;
}

void TestDevControls::shapeReceivesMovement()
{
    QFETCH(QSize, size);
    QFETCH(bool, outlined);
    QFETCH(bool, received);
    Field field;
    auto *shape = new TDevShape(&field);
    shape->ApplyProperties();
    shape->setGeometry(QRect(QPoint(50, 40), size));
    if (outlined)
        shape->ShowIt();
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    QSignalSpy moved(shape, &TDevShape::mouseMoved);

    QTest::mouseMove(&field, QPoint(10, 10));
    QTRY_VERIFY(field.moves > 0);
    const int bareMoves = field.moves;
    QTest::mouseMove(&field, QPoint(50, 40));
    QTest::mouseMove(&field, QPoint(52, 42));
    QTest::mouseMove(&field, QPoint(55, 45));
    // Where the shape takes no movement, the field under it does: one of the two sees it.
    if (received)
        QTRY_VERIFY(moved.count() > 0);
    else
        QTRY_VERIFY(field.moves > bareMoves);
    QCOMPARE(moved.count() > 0, received);
    QCOMPARE(field.moves > bareMoves, !received);
    if (received)
        QCOMPARE(moved.last().at(0).value<TDevShape *>(), shape);

    // A shape without area draws nothing, even when shown.
    if (size.isEmpty())
        QCOMPARE(countPixels(field.grab().toImage(), Qt::black), 0);
}

QTEST_MAIN(TestDevControls)

#include "tst_devcontrols.moc"
