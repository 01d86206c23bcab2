#include "BitButton.h"
#include "WidgetLook.h"

#include <QApplication>
#include <QFrame>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTest>

// The style keeps the button panels it has drawn by size, state and the palette's identity:
// buttons alike in size and colours share one drawn panel, so a menu of many buttons draws it
// once, while each button still draws in its own colours and state.
class TestBitButton final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void alikeButtonsShareOnePanel_data();
    void alikeButtonsShareOnePanel();
};

namespace {

struct Panel
{
    const QWidget *button = nullptr;
    qint64 paletteKey = 0;
    QPalette::ColorGroup group = QPalette::Active;
    QColor face;
};

// Notes the palette each button panel is drawn with; the drawing itself is the style's own.
class PanelWatch final : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(
        PrimitiveElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const override
    {
        if (element == PE_PanelButtonCommand) {
            panels.append({ widget, option->palette.cacheKey(), option->palette.currentColorGroup(),
                option->palette.color(QPalette::Button) });
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    mutable QList<Panel> panels;
};

PanelWatch *watch()
{
    return static_cast<PanelWatch *>(QApplication::style());
}

} // namespace

void TestBitButton::initTestCase()
{
    QApplication::setStyle(new PanelWatch(QStyleFactory::create(QStringLiteral("Fusion"))));
}

void TestBitButton::alikeButtonsShareOnePanel_data()
{
    QTest::addColumn<QColor>("secondFace"); // invalid: the colours the second button inherits
    QTest::addColumn<bool>("secondEnabled");
    QTest::addColumn<bool>("shared");
    QTest::newRow("nominal: alike buttons share the panel") << QColor() << true << true;
    QTest::newRow("nominal: a button of other colours keeps its own") << QColor(255, 255, 0) << true << false;
    QTest::newRow("nominal: a disabled button keeps its disabled colours") << QColor() << false << true;
}

void TestBitButton::alikeButtonsShareOnePanel()
{
    QFETCH(QColor, secondFace);
    QFETCH(bool, secondEnabled);
    QFETCH(bool, shared);
    // As on the menu: buttons on a panel of a colour of its own, each inheriting its colours.
    QFrame box;
    kelvo::setColours(&box, QColor(0, 0, 128), QColor(255, 255, 255));
    box.resize(300, 200);
    auto *first = new TBitButton(QStringLiteral("One"), TBitButton::Layout::GlyphLeft, &box);
    auto *second = new TBitButton(QStringLiteral("Two"), TBitButton::Layout::GlyphLeft, &box);
    for (TBitButton *button : { first, second })
        button->resize(200, 40);
    if (secondFace.isValid()) {
        QPalette colours = second->palette();
        colours.setColor(QPalette::Button, secondFace);
        second->setPalette(colours);
    }
    second->setEnabled(secondEnabled);

    watch()->panels.clear();
    first->grab();
    second->grab();
    const QList<Panel> panels = watch()->panels;
    QCOMPARE(panels.size(), 2);
    QCOMPARE(panels.at(0).button, first);
    QCOMPARE(panels.at(1).button, second);
    QCOMPARE(panels.at(0).paletteKey == panels.at(1).paletteKey, shared);
    // Each in its own colours and state, whatever is shared.
    for (const Panel &panel : panels) {
        const auto *button = static_cast<const TBitButton *>(panel.button);
        QCOMPARE(panel.group, button->isEnabled() ? QPalette::Active : QPalette::Disabled);
        QCOMPARE(panel.face, button->palette().color(panel.group, QPalette::Button));
    }
}

QTEST_MAIN(TestBitButton)
#include "tst_bitbutton.moc"
