#include "AccessibleTold.h"
#include "BitButton.h"
#include "DescriptionStrip.h"
#include "DeviceControls.h"
#include "DeviceDlg.h"
#include "ExperimentChapter.h"
#include "FontFamily.h"
#include "LabPage.h"
#include "LabWork.h"
#include "Localization.h"
#include "PictureCache.h"
#include "PictureErrors.h"
#include "RuntimeErrors.h"
#include "SchemaImage.h"
#include "TestSupport.h"
#include "VariantButton.h"

#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using kelvo::test::DefaultLocale;

namespace {

// The devices of most tests, placed on a picture of 200 × 100.
const QString Devices = QStringLiteral(
    "[Supply]\nClass=Passive\nTitle=Supply voltage\nLeft=40\nTop=20\nUnit=V\nAjustable=1\nIdentifier=U\n"
    "Value=12\nMin=0\nMax=24\n"
    "[V1]\nClass=Measurement\nTitle=Voltmeter\nLeft=120\nTop=30\nWidth=90\nUnit=V\n"
    "[Lamp]\nClass=Area\nLeft=10\nTop=50\nWidth=60\nHeight=40\nHint=Lamp|Filament lamp\n"
    "[Switch]\nClass=Area\nLeft=100\nTop=60\nWidth=50\nHeight=30\nHint=Switch\n"
    "[Note]\nClass=Label\n"
    "[Fixed]\nClass=Passive\nTitle=Resistor\nLeft=150\nTop=5\nValue=2,5\n"
    "[Plain]\nClass=Area\nLeft=250\nTop=0\n");

// Two variants with pictures of different sizes; the first is active.
const QString TwoVariants
    = QStringLiteral("[SchemaHeader]\nImageFile=header.png\nTitle=Lamp circuit\nStartFrom=__open\n"
                     "[__open]\nTitle=Open\nImageFile=open.png\nV1=U/2\n"
                     "[__closed]\nTitle=Closed\nImageFile=closed.bmp\nV1=5\n");

// A lab folder with an information chapter (identifier 1) and the experiment "bench"
// (identifier 2) whose schema file is given; the current directory while it lives.
class Lab final
{
public:
    explicit Lab(const QString &schema, const QString &linkedChapter = u"1"_s)
        : m_cwd(m_dir.path())
    {
        write(u"bench.ini"_s, schema);
        write(u"intro.htm"_s, u"<p>Instructions</p>"_s);
        write(u"labwork.lbw"_s,
            u"[Header]\nTitle=Lab\n"
            "[intro]\nType=Information\nTitle=Instructions\nIdentifier=1\nDocument=intro.htm\n"
            "[bench]\nType=Experiment\nTitle=Bench\nIdentifier=2\nSchemaFile=bench.ini\nLinkedChapter="_s
                + linkedChapter + u"\n"_s);
        picture(u"header.png"_s, QSize(200, 100));
        picture(u"open.png"_s, QSize(200, 100));
        picture(u"closed.bmp"_s, QSize(300, 150));
        picture(u"third.png"_s, QSize(120, 80));
        work = std::make_unique<TLabWork>(m_dir.filePath(u"labwork.lbw"_s));
        work->SelectChapter(BenchIndex);
    }

    void write(const QString &name, const QString &text)
    {
        kelvo::test::writeFile(QDir(m_dir.path()), name, "\xEF\xBB\xBF" + text.toUtf8());
    }

    // A picture in the format its extension names, with a black frame so that a grab shows it.
    void picture(const QString &name, QSize size)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(200, 220, 240));
        for (int x = 0; x < size.width(); ++x) {
            image.setPixelColor(x, 0, Qt::black);
            image.setPixelColor(x, size.height() - 1, Qt::black);
        }
        QVERIFY(image.save(m_dir.filePath(name)));
    }

    TExperimentChapter &bench() const
    {
        return *dynamic_cast<TExperimentChapter *>(work->Chapters().Items(BenchIndex));
    }

    static constexpr int IntroIndex = 0;
    static constexpr int BenchIndex = 1;
    std::unique_ptr<TLabWork> work;

private:
    QTemporaryDir m_dir;
    kelvo::test::CurrentDirectory m_cwd;
};

// The page shown for the lab's experiment.
std::unique_ptr<TLabPage> openPage(Lab &lab, TDeviceDlg *dialog = nullptr)
{
    auto page = std::make_unique<TLabPage>();
    page->setLabWork(lab.work.get());
    page->setDeviceDialog(dialog);
    page->show();
    if (!QTest::qWaitForWindowExposed(page.get()))
        return nullptr;
    page->tsLabShow();
    return page;
}

template <typename Control> Control *control(const TLabPage &page, int index)
{
    return dynamic_cast<Control *>(page.DeviceControls.at(size_t(index)));
}

int deviceIndex(const TExperimentChapter &chapter, const QString &name)
{
    for (int i = 0; i < chapter.Devices.Count(); ++i) {
        if (chapter.Devices.Device(i)->SectionName == name)
            return i;
    }
    return -1;
}

template <typename Control> Control *control(const TLabPage &page, const Lab &lab, const QString &device)
{
    return control<Control>(page, deviceIndex(lab.bench(), device));
}

// Runs `action` once the dialog is shown modally; `shown` tells whether it was.
void whenShownModally(TDeviceDlg &dialog, bool &shown, std::function<void()> action)
{
    shown = false;
    auto *timer = new QTimer(&dialog);
    QObject::connect(timer, &QTimer::timeout, &dialog, [&dialog, &shown, timer, action] {
        if (QApplication::activeModalWidget() != &dialog)
            return;
        timer->deleteLater();
        timer->stop();
        shown = true;
        action();
    });
    timer->start(5);
}

// Notes where the last pointer movement that reached the program was, whichever widget got it.
class PointerWatch final : public QObject
{
public:
    PointerWatch() { qApp->installEventFilter(this); }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseMove)
            last = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        return false;
    }

    QPoint last;
};

// Moves the pointer to a point of a widget and waits until the program has seen it (on a real
// display the movement arrives later). A pointer left at that very place of the screen by an
// earlier test is nudged aside first: a move to where it already is reports nothing.
void pointAt(QWidget *widget, QPoint point)
{
    static PointerWatch *const watch = new PointerWatch;
    const auto moveTo = [widget](QPoint at) {
        const QPoint global = widget->mapToGlobal(at);
        QTest::mouseMove(widget, at);
        if (!QTest::qWaitFor([global] { return watch->last == global; }, 1000))
            qWarning("the pointer's movement to (%d, %d) was not seen", global.x(), global.y());
    };
    if (QCursor::pos() == widget->mapToGlobal(point))
        moveTo(point + QPoint(1, 0));
    moveTo(point);
}

// The page shown and active, so that it has the keyboard.
std::unique_ptr<TLabPage> openActivePage(Lab &lab, TDeviceDlg *dialog = nullptr)
{
    auto page = openPage(lab, dialog);
    if (!page)
        return nullptr;
    page->activateWindow();
    if (!QTest::qWaitForWindowActive(page.get()))
        return nullptr;
    return page;
}

// The widgets that the Tab key reaches from the one that has the focus, one press at a time,
// until it comes back there (or after `limit` presses).
QList<QWidget *> tabCycle(int limit = 20)
{
    QList<QWidget *> reached;
    QWidget *start = QApplication::focusWidget();
    for (int i = 0; i < limit && start; ++i) {
        QWidget *focused = QApplication::focusWidget();
        if (!focused)
            break;
        QTest::keyClick(focused, Qt::Key_Tab);
        QWidget *now = QApplication::focusWidget();
        reached.append(now);
        if (now == start)
            break;
    }
    return reached;
}

// How many pixels of row `y` differ between two pictures of one widget.
int changedInRow(const QImage &a, const QImage &b, int y)
{
    int changed = 0;
    for (int x = 0; x < qMin(a.width(), b.width()); ++x)
        changed += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return changed;
}

struct VariantLook
{
    QString glyph;
    bool bold;
};

VariantLook look(const TVariantButton *button)
{
    return { button->glyph(), button->font().bold() };
}

} // namespace

class TestLabPage final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fixedLayout();
    void buildGeometry_data();
    void buildGeometry();
    void extremeCoordinates();
    void variantButtons_data();
    void variantButtons();
    void variantSwitchKeepsPlaces();
    void firstVariantClickWhenNoneIsCurrent();
    void hoverBetweenFramesLabelsAndBareField();
    void hintText_data();
    void hintText();
    void deviceTexts_data();
    void deviceTexts();
    void screenReaderHearsTheBench_data();
    void screenReaderHearsTheBench();
    void screenReaderFollowsValuesAndVariants();
    void screenReaderPressesAnAdjustableDevice();
    void failedMeasurementSaysWhy_data();
    void failedMeasurementSaysWhy();
    void deviceClick_data();
    void deviceClick();
    void fixedDeviceOnlyBeeps();
    void tabReachesVariantsSettableDevicesAndActions();
    void keysOpenTheValueDialog_data();
    void keysOpenTheValueDialog();
    void focusShowsWhatThePointerShows();
    void focusFrameIsDrawn_data();
    void focusFrameIsDrawn();
    void instructionsRoundTrip();
    void linkedChapterMissingOrNone_data();
    void linkedChapterMissingOrNone();
    void menuButton();
    void pictureErrorsWhenShown_data();
    void pictureErrorsWhenShown();
    void pictureErrorOnVariantSwitch();
    void notAnExperiment();
    void resizing();
    void looksRight();
    void pictureCache_data();
    void pictureCache();
};

void TestLabPage::fixedLayout()
{
    Lab lab(TwoVariants + Devices);
    const auto page = openPage(lab);
    QVERIFY(page);
    QCOMPARE(page->size(), QSize(793, 601));
    QCOMPARE(page->panLabTop->geometry(), QRect(0, 0, 793, 49));
    QCOMPARE(page->lbLabTitle->pos(), QPoint(8, 8));
    QCOMPARE(page->panLabBackground->geometry(), QRect(0, 46, 793, 551));
    QCOMPARE(page->panSchema->geometry(), QRect(6, 9, 761, 394));
    QCOMPARE(page->lbSchemaCaption->text(), u"Исследуемая схема"_s);
    QCOMPARE(page->panWorkfieldFrame->geometry(), QRect(8, 32, 745, 354));
    QCOMPARE(page->panWorkfield->size(), QSize(741, 350));
    QCOMPARE(page->panDescription->geometry(), QRect(6, 290, 655, 51));
    QVERIFY(page->panDescription->isHidden());
    QCOMPARE(page->panInstruction->geometry(), QRect(6, 409, 523, 129));
    QCOMPARE(page->lbInstrCaption->text(), u"Описание работы"_s);
    QCOMPARE(page->panLaunchpad->geometry(), QRect(536, 409, 230, 129));
    QCOMPARE(page->lbLabCaption->text(), u"Действия"_s);
    QCOMPARE(page->btInfo->geometry(), QRect(16, 32, 97, 89));
    QCOMPARE(page->btInfo->text(), u"Указания..."_s);
    QCOMPARE(page->btInfo->glyph(), u"LIFEBUOY"_s);
    QCOMPARE(page->btStop->geometry(), QRect(120, 32, 97, 89));
    QCOMPARE(page->btStop->text(), u"Меню"_s);
    QCOMPARE(page->btStop->glyph(), u"STOP"_s);

    QCOMPARE(page->mHint->toPlainText(), Texts::LabPageHint);
    QVERIFY(page->mHint->isReadOnly());
    QVERIFY(!(page->mHint->focusPolicy() & Qt::TabFocus));
    QCOMPARE(page->mHint->geometry(), QRect(16, 40, 491, 80));
}

void TestLabPage::buildGeometry_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QPoint>("offset");

    // Centred on the work field's outer size 745 × 354; the division truncates toward zero.
    QTest::newRow("nominal: a small picture") << QSize(200, 100) << QPoint(272, 127);
    QTest::newRow("nominal: odd differences round toward zero") << QSize(201, 101) << QPoint(272, 126);
    QTest::newRow("edge: exactly the outer size") << QSize(745, 354) << QPoint(0, 0);
    QTest::newRow("edge: larger than the field, negative offsets toward zero")
        << QSize(1000, 601) << QPoint(-127, -123);
}

void TestLabPage::buildGeometry()
{
    QFETCH(QSize, picture);
    QFETCH(QPoint, offset);

    Lab lab(u"[SchemaHeader]\nImageFile=sized.png\nTitle=T\n"_s + Devices);
    lab.picture(u"sized.png"_s, picture);
    const auto page = openPage(lab);
    QVERIFY(page);

    QCOMPARE(page->imgSchema->geometry(), QRect(offset, picture));
    const TExperimentChapter &bench = lab.bench();
    QCOMPARE(int(page->DeviceControls.size()), bench.Devices.Count());
    for (int i = 0; i < bench.Devices.Count(); ++i) {
        const TSchemaDevice *device = bench.Devices.Device(i);
        const QWidget *widget = page->DeviceControls.at(size_t(i));
        QVERIFY(widget);
        QCOMPARE(widget->parentWidget(), page->panWorkfield);
        QVERIFY(widget->isVisible());
        QCOMPARE(widget->pos(), QPoint(device->Left, device->Top) + offset);
    }

    auto *supply = control<TDevLabel>(*page, lab, u"Supply"_s);
    QVERIFY(supply);
    QCOMPARE(supply->Tag, deviceIndex(bench, u"Supply"_s));
    QCOMPARE(supply->size(), supply->sizeHint());
    auto *meter = control<TDevEdit>(*page, lab, u"V1"_s);
    QVERIFY(meter);
    QCOMPARE(meter->Tag, deviceIndex(bench, u"V1"_s));
    QCOMPARE(meter->size(), QSize(90, meter->sizeHint().height()));
    auto *lamp = control<TDevShape>(*page, lab, u"Lamp"_s);
    QVERIFY(lamp);
    QCOMPARE(lamp->size(), QSize(60, 40));
    QCOMPARE(lamp->Hint, u"Lamp|Filament lamp"_s);
    QVERIFY(!lamp->outlineShown());
    QCOMPARE(control<TDevShape>(*page, lab, u"Plain"_s)->size(), QSize(100, 100));

    // Stacking: the picture lowest, labels and frames over it, edits and the strip above them.
    const QObjectList order = page->panWorkfield->children();
    const auto at = [&](const QObject *object) { return order.indexOf(object); };
    QVERIFY(at(page->imgSchema) < at(supply));
    QVERIFY(at(supply) < at(lamp));
    QVERIFY(at(lamp) < at(page->panDescription));
    QVERIFY(at(page->panDescription) < at(meter));
    QCOMPARE(page->btStop->hasFocus() || page->focusWidget() == page->btStop, true);
}

void TestLabPage::extremeCoordinates()
{
    Lab lab(u"[SchemaHeader]\nImageFile=header.png\nTitle=T\n"
            "[Far]\nClass=Area\nLeft=2147483647\nTop=-2147483648\nWidth=2147483647\nHeight=-5\nHint=x\n"
            "[Wide]\nClass=Measurement\nLeft=$7FFFFFFF\nTop=0\nWidth=-100\n"_s);
    const auto page = openPage(lab);
    QVERIFY(page);
    const auto *far = control<TDevShape>(*page, 0);
    QVERIFY(far);
    QCOMPARE(far->x(), QWIDGETSIZE_MAX);
    QCOMPARE(far->y(), -QWIDGETSIZE_MAX);
    QCOMPARE(far->height(), 0);
    const auto *wide = control<TDevEdit>(*page, 1);
    QVERIFY(wide);
    QCOMPARE(wide->width(), 0);
    page->grab(); // paints without trouble
}

void TestLabPage::variantButtons_data()
{
    QTest::addColumn<QString>("variants");
    QTest::addColumn<QString>("startFrom");
    QTest::addColumn<QList<int>>("tops");
    QTest::addColumn<int>("current");

    const QString two = u"[__a]\nTitle=A\nImageFile=open.png\n[__b]\nTitle=B\nImageFile=closed.bmp\n"_s;
    const QString three = two + u"[__c]\nTitle=C\nImageFile=third.png\n"_s;
    QTest::newRow("edge: no variants, no buttons") << QString() << QString() << QList<int> {} << -1;
    QTest::newRow("edge: one variant, no button")
        << u"[__a]\nTitle=A\nImageFile=open.png\n"_s << u"__a"_s << QList<int> {} << -1;
    QTest::newRow("nominal: two variants, the first current") << two << u"__a"_s << QList<int> { 223, 284 } << 0;
    QTest::newRow("nominal: three variants, the last current")
        << three << u"__c"_s << QList<int> { 162, 223, 284 } << 2;
    QTest::newRow("edge: no current variant, all unlit") << two << QString() << QList<int> { 223, 284 } << -1;
    QTest::newRow("edge: long captions, the current one in bold")
        << u"[__a]\nTitle=Вариант А\nImageFile=open.png\n[__b]\nTitle=Вариант Б\nImageFile=closed.bmp\n"_s << u"__a"_s
        << QList<int> { 223, 284 } << 0;
}

void TestLabPage::variantButtons()
{
    QFETCH(QString, variants);
    QFETCH(QString, startFrom);
    QFETCH(QList<int>, tops);
    QFETCH(int, current);

    Lab lab(u"[SchemaHeader]\nImageFile=header.png\nTitle=T\nStartFrom="_s + startFrom + u"\n"_s + variants + Devices);
    const auto page = openPage(lab);
    QVERIFY(page);

    QCOMPARE(int(page->VariantButtons.size()), int(tops.size()));
    for (int i = 0; i < int(tops.size()); ++i) {
        const TVariantButton *button = page->VariantButtons.at(size_t(i));
        QCOMPARE(button->geometry(), QRect(665, tops.at(i), 70, 60));
        QCOMPARE(button->parentWidget(), page->panWorkfield);
        QCOMPARE(button->SectionName, lab.bench().Variants.Variant(i)->SectionName);
        QCOMPARE(button->text(), lab.bench().Variants.Variant(i)->Title);
        QCOMPARE(button->font().family(), kelvo::pictures::fontFamilyFor(u"Tahoma"));
        const VariantLook shown = look(button);
        // Tahoma 10 points, or smaller where the font drawn for it makes the caption too wide.
        QFont designed(u"Tahoma"_s, 10);
        designed.setBold(shown.bold);
        if (QFontMetrics(designed).horizontalAdvance(button->text()) <= 62)
            QCOMPARE(button->font().pointSize(), 10);
        QVERIFY(button->font().pointSizeF() <= 10);
        QVERIFY2(QFontMetrics(button->font()).horizontalAdvance(button->text()) <= 62, qPrintable(button->text()));
        QVERIFY(!button->isDefault());
        QCOMPARE(shown.glyph, i == current ? u"GREEN_ON"_s : u"GREEN_OFF"_s);
        QCOMPARE(shown.bold, i == current);
    }
    QCOMPARE(page->CurrentVariantButton, current < 0 ? nullptr : page->VariantButtons.at(size_t(current)));
    QCOMPARE(page->focusWidget(), static_cast<QWidget *>(page->btStop));
}

void TestLabPage::variantSwitchKeepsPlaces()
{
    const DefaultLocale settings(kelvo::test::russian());
    Lab lab(TwoVariants + Devices);
    const auto page = openPage(lab);
    QVERIFY(page);
    QCOMPARE(page->imgSchema->geometry(), QRect(272, 127, 200, 100));
    auto *meter = control<TDevEdit>(*page, lab, u"V1"_s);
    QCOMPARE(meter->text(), u"6,00 V"_s); // U/2 with U = 12
    std::vector<QPoint> places;
    for (const QWidget *widget : page->DeviceControls)
        places.push_back(widget->pos());

    TVariantButton *open = page->VariantButtons.at(0);
    TVariantButton *closed = page->VariantButtons.at(1);
    QSignalSpy errors(page.get(), &TLabPage::errorRaised);
    QTest::mouseClick(closed, Qt::LeftButton);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(lab.bench().CurrentVariant, u"__closed"_s);
    // The new picture keeps the top-left corner of the last; nothing moves.
    QCOMPARE(page->imgSchema->geometry(), QRect(272, 127, 300, 150));
    for (size_t i = 0; i < places.size(); ++i)
        QCOMPARE(page->DeviceControls.at(i)->pos(), places.at(i));
    QCOMPARE(look(open).glyph, u"GREEN_OFF"_s);
    QVERIFY(!look(open).bold);
    QCOMPARE(look(closed).glyph, u"GREEN_ON"_s);
    QVERIFY(look(closed).bold);
    QCOMPARE(page->CurrentVariantButton, closed);
    QCOMPARE(meter->text(), u"5,00 V"_s);

    // The active button again: the picture is loaded anew (it changed on disk), the button stays lit.
    lab.picture(u"closed.bmp"_s, QSize(90, 40));
    QTest::mouseClick(closed, Qt::LeftButton);
    QCOMPARE(page->imgSchema->geometry(), QRect(272, 127, 90, 40));
    QCOMPARE(look(closed).glyph, u"GREEN_ON"_s);
    QCOMPARE(look(open).glyph, u"GREEN_OFF"_s);

    // And back to the first.
    QTest::mouseClick(open, Qt::LeftButton);
    QCOMPARE(page->imgSchema->geometry(), QRect(272, 127, 200, 100));
    QCOMPARE(meter->text(), u"6,00 V"_s);
    QCOMPARE(look(open).glyph, u"GREEN_ON"_s);
    QCOMPARE(look(closed).glyph, u"GREEN_OFF"_s);
}

void TestLabPage::firstVariantClickWhenNoneIsCurrent()
{
    Lab lab(u"[SchemaHeader]\nImageFile=header.png\nTitle=T\n"
            "[__a]\nTitle=A\nImageFile=open.png\n[__b]\nTitle=B\nImageFile=closed.bmp\n"
            "[__c]\nTitle=C\nImageFile=third.png\n"_s);
    const auto page = openPage(lab);
    QVERIFY(page);
    QVERIFY(!page->CurrentVariantButton);
    QTest::mouseClick(page->VariantButtons.at(1), Qt::LeftButton);
    QCOMPARE(look(page->VariantButtons.at(0)).glyph, u"GREEN_OFF"_s);
    QCOMPARE(look(page->VariantButtons.at(1)).glyph, u"GREEN_ON"_s);
    QCOMPARE(look(page->VariantButtons.at(2)).glyph, u"GREEN_OFF"_s);
    QCOMPARE(page->CurrentVariantButton, page->VariantButtons.at(1));
}

void TestLabPage::hoverBetweenFramesLabelsAndBareField()
{
    Lab lab(TwoVariants + Devices);
    const auto page = openPage(lab);
    QVERIFY(page);
    QWidget *field = page->panWorkfield;
    auto *lamp = control<TDevShape>(*page, lab, u"Lamp"_s);
    auto *switcher = control<TDevShape>(*page, lab, u"Switch"_s);
    const auto *supply = control<TDevLabel>(*page, lab, u"Supply"_s);
    const auto *meter = control<TDevEdit>(*page, lab, u"V1"_s);
    const QPoint pictureSpot = page->imgSchema->geometry().topLeft() + QPoint(190, 95);
    const QPoint bareSpot(20, 20);

    const auto expectShown = [&](TDevShape *shape, const QString &caption, const QString &line1, const QString &line2) {
        QVERIFY(page->panDescription->isVisible());
        QCOMPARE(page->panDescription->text(), caption);
        QCOMPARE(page->lbDescr1->text(), line1);
        QCOMPARE(page->lbDescr2->text(), line2);
        QCOMPARE(page->CurrentShape, shape);
        QCOMPARE(lamp->outlineShown(), shape == lamp);
        QCOMPARE(switcher->outlineShown(), shape == switcher);
    };

    pointAt(field, lamp->geometry().center());
    expectShown(lamp, QString(), u"Lamp"_s, u"Filament lamp"_s);
    pointAt(field, lamp->geometry().center() + QPoint(3, 1));
    expectShown(lamp, QString(), u"Lamp"_s, u"Filament lamp"_s);

    // Straight from one frame to the other.
    pointAt(field, switcher->geometry().center());
    expectShown(switcher, u"Switch"_s, QString(), QString());

    // Labels, edits, variant buttons and the strip change nothing.
    for (const QPoint spot : { supply->geometry().center(), meter->geometry().center(),
             page->VariantButtons.at(0)->geometry().center(), page->panDescription->geometry().center() }) {
        pointAt(field, spot);
        expectShown(switcher, u"Switch"_s, QString(), QString());
    }

    // The picture hides the strip and the outline; the frame stays the last one highlighted.
    pointAt(field, pictureSpot);
    QVERIFY(page->panDescription->isHidden());
    QVERIFY(!switcher->outlineShown());
    QCOMPARE(page->CurrentShape, switcher);

    // So does bare work field.
    pointAt(field, lamp->geometry().center());
    expectShown(lamp, QString(), u"Lamp"_s, u"Filament lamp"_s);
    pointAt(field, bareSpot);
    QVERIFY(page->panDescription->isHidden());
    QVERIFY(!lamp->outlineShown());
}

void TestLabPage::hintText_data()
{
    QTest::addColumn<QString>("hint");
    QTest::addColumn<bool>("fromAnotherFrame");
    QTest::addColumn<bool>("outlined");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("line1");
    QTest::addColumn<QString>("line2");

    QTest::newRow("nominal: two texts") << u"Upper|Lower"_s << false << true << QString() << u"Upper"_s << u"Lower"_s;
    QTest::newRow("nominal: one text is the strip's own caption")
        << u"Whole"_s << false << true << u"Whole"_s << QString() << QString();
    QTest::newRow("edge: a leading bar leaves the upper line empty")
        << u"|Lower only"_s << false << true << QString() << QString() << u"Lower only"_s;
    QTest::newRow("edge: a trailing bar gives one text")
        << u"Upper|"_s << false << true << u"Upper"_s << QString() << QString();
    QTest::newRow("edge: further bars stay in the lower line")
        << u"A|B|C"_s << false << true << QString() << u"A"_s << u"B|C"_s;
    QTest::newRow("edge: empty hint shows nothing")
        << QString() << false << false << QString() << QString() << QString();
    QTest::newRow("edge: a lone bar shows nothing") << u"|"_s << false << false << QString() << QString() << QString();
    QTest::newRow("edge: empty hint straight from another frame keeps its text")
        << QString() << true << false << QString() << u"Other"_s << u"frame"_s;
}

void TestLabPage::hintText()
{
    QFETCH(QString, hint);
    QFETCH(bool, fromAnotherFrame);
    QFETCH(bool, outlined);
    QFETCH(QString, caption);
    QFETCH(QString, line1);
    QFETCH(QString, line2);

    Lab lab(u"[SchemaHeader]\nImageFile=header.png\nTitle=T\n"
            "[Tested]\nClass=Area\nLeft=10\nTop=10\nWidth=40\nHeight=40\nHint="_s
        + hint + u"\n[Other]\nClass=Area\nLeft=100\nTop=10\nWidth=40\nHeight=40\nHint=Other|frame\n"_s);
    const auto page = openPage(lab);
    QVERIFY(page);
    auto *tested = control<TDevShape>(*page, 0);
    auto *other = control<TDevShape>(*page, 1);
    QCOMPARE(tested->Hint, hint);

    if (fromAnotherFrame)
        pointAt(page->panWorkfield, other->geometry().center());
    pointAt(page->panWorkfield, tested->geometry().center());

    QCOMPARE(tested->outlineShown(), outlined);
    QVERIFY(!other->outlineShown());
    const bool stripShown = outlined || fromAnotherFrame;
    QCOMPARE(page->panDescription->isVisible(), stripShown);
    QCOMPARE(page->CurrentShape, outlined ? tested : fromAnotherFrame ? other : nullptr);
    if (stripShown) {
        QCOMPARE(page->panDescription->text(), caption);
        QCOMPARE(page->lbDescr1->text(), line1);
        QCOMPARE(page->lbDescr2->text(), line2);
    }
}

void TestLabPage::deviceTexts_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("supply");
    QTest::addColumn<QString>("fixed");
    QTest::addColumn<QString>("meter");

    QTest::newRow("nominal: Russian settings") << kelvo::test::russian() << u"12,00 V"_s << u"2,50 "_s << u"6,00 V"_s;
    QTest::newRow("nominal: English settings") << kelvo::test::english() << u"12.00 V"_s << u"0.00 "_s << u"6.00 V"_s;
}

void TestLabPage::deviceTexts()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, supply);
    QFETCH(QString, fixed);
    QFETCH(QString, meter);

    // The schema's numbers are read with the same settings ("2,5" does not read under English ones).
    const DefaultLocale settings(locale);
    Lab lab(TwoVariants + Devices);
    const auto page = openPage(lab);
    QVERIFY(page);
    QCOMPARE(control<TDevLabel>(*page, lab, u"Supply"_s)->text(), supply);
    QCOMPARE(control<TDevLabel>(*page, lab, u"Fixed"_s)->text(), fixed); // an empty unit leaves the space
    QCOMPARE(control<TDevEdit>(*page, lab, u"V1"_s)->text(), meter);
    QCOMPARE(control<TDevShape>(*page, lab, u"Lamp"_s)->findChildren<QWidget *>().size(), 0);
}

void TestLabPage::screenReaderHearsTheBench_data()
{
    QTest::addColumn<QString>("control"); // a device's section, "picture" or "variant N"
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("states"); // readOnly when it must be set; checkable and checked exactly

    QTest::newRow("nominal: the picture by the experiment's title")
        << u"picture"_s << int(QAccessible::Graphic) << u"Lamp circuit"_s << QString() << QString();
    QTest::newRow("nominal: an adjustable device, title and value")
        << u"Supply"_s << int(QAccessible::Button) << u"Supply voltage: 12,00 V"_s << QString() << QString();
    QTest::newRow("nominal: a fixed device, title and value")
        << u"Fixed"_s << int(QAccessible::StaticText) << u"Resistor: 2,50 "_s << QString() << u"readOnly"_s;
    QTest::newRow("nominal: a meter, read-only, its value as its text")
        << u"V1"_s << int(QAccessible::EditableText) << u"Voltmeter"_s << QString() << u"readOnly"_s;
    QTest::newRow("nominal: an area by its hint, headline and line")
        << u"Lamp"_s << int(QAccessible::Client) << u"Lamp"_s << u"Filament lamp"_s << QString();
    QTest::newRow("nominal: an area by its one-line hint")
        << u"Switch"_s << int(QAccessible::Client) << u"Switch"_s << QString() << QString();
    QTest::newRow("robustness: an untitled area without hint by its section")
        << u"Plain"_s << int(QAccessible::Client) << u"Plain"_s << QString() << QString();
    QTest::newRow("nominal: the current variant, on")
        << u"variant 0"_s << int(QAccessible::Button) << u"Open"_s << QString() << u"checkable checked"_s;
    QTest::newRow("nominal: another variant, off")
        << u"variant 1"_s << int(QAccessible::Button) << u"Closed"_s << QString() << u"checkable"_s;
}

void TestLabPage::screenReaderHearsTheBench()
{
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QString, states);

    const DefaultLocale settings(kelvo::test::russian());
    Lab lab(TwoVariants + Devices);
    const auto page = openPage(lab);
    QVERIFY(page);
    QWidget *widget = nullptr;
    if (control == u"picture")
        widget = page->imgSchema;
    else if (control.startsWith(u"variant "))
        widget = page->VariantButtons.at(size_t(control.mid(8).toInt()));
    else
        widget = page->DeviceControls.at(size_t(deviceIndex(lab.bench(), control)));
    QVERIFY(widget);

    QCOMPARE(kelvo::test::toldOf(widget), (kelvo::test::Told { role, name, description }));
    QAccessibleInterface *told = QAccessible::queryAccessibleInterface(widget);
    const QAccessible::State state = told->state();
    if (states.contains(u"readOnly"))
        QVERIFY(state.readOnly);
    QCOMPARE(bool(state.checkable), states.contains(u"checkable"));
    QCOMPARE(bool(state.checked), states.contains(u"checked"));
    if (control == u"V1")
        QCOMPARE(told->text(QAccessible::Value), u"6,00 V"_s);
}

void TestLabPage::screenReaderFollowsValuesAndVariants()
{
    const DefaultLocale settings(kelvo::test::russian());
    Lab lab(TwoVariants + Devices);
    const auto page = openPage(lab);
    QVERIFY(page);
    auto *supply = control<TDevLabel>(*page, lab, u"Supply"_s);
    auto *meter = control<TDevEdit>(*page, lab, u"V1"_s);

    // A new value is told by name at once.
    dynamic_cast<TPassiveDevice *>(lab.bench().Devices.FindDevice(u"Supply"_s))->Value = 20;
    lab.bench().Recalculate();
    page->UpdateDeviceTexts();
    QCOMPARE(QAccessible::queryAccessibleInterface(supply)->text(QAccessible::Name), u"Supply voltage: 20,00 V"_s);
    QCOMPARE(QAccessible::queryAccessibleInterface(meter)->text(QAccessible::Value), u"10,00 V"_s);

    // The other variant becomes the one that is on, and both buttons say so.
    TVariantButton *open = page->VariantButtons.at(0);
    TVariantButton *closed = page->VariantButtons.at(1);
    QTest::mouseClick(closed, Qt::LeftButton);
    QCOMPARE(page->CurrentVariantButton, closed);
    QVERIFY(QAccessible::queryAccessibleInterface(closed)->state().checked);
    QVERIFY(!QAccessible::queryAccessibleInterface(open)->state().checked);
    // Pressed through the screen reader's action, as a click.
    QAccessibleInterface *openTold = QAccessible::queryAccessibleInterface(open);
    QVERIFY(openTold->actionInterface());
    openTold->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(page->CurrentVariantButton, open);
    QVERIFY(QAccessible::queryAccessibleInterface(open)->state().checked);
}

void TestLabPage::screenReaderPressesAnAdjustableDevice()
{
    const DefaultLocale settings(kelvo::test::russian());
    Lab lab(TwoVariants + Devices);
    TDeviceDlg dialog;
    const auto page = openPage(lab, &dialog);
    QVERIFY(page);
    QAccessibleInterface *fixed = QAccessible::queryAccessibleInterface(control<TDevLabel>(*page, lab, u"Fixed"_s));
    QVERIFY(!fixed->actionInterface() || fixed->actionInterface()->actionNames().isEmpty());

    bool shown = false;
    QString named;
    whenShownModally(dialog, shown, [&] {
        named = QAccessible::queryAccessibleInterface(&dialog)->text(QAccessible::Name);
        dialog.edValue->selectAll();
        dialog.edValue->insert(u"20"_s);
        QTest::keyClick(dialog.edValue, Qt::Key_Return);
    });
    QAccessibleInterface *supply = QAccessible::queryAccessibleInterface(control<TDevLabel>(*page, lab, u"Supply"_s));
    QVERIFY(supply->actionInterface());
    supply->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY2(!shown, "the press returns before the modal dialog opens");
    QTRY_VERIFY(shown);
    QCOMPARE(named, u"Supply voltage"_s);
    QCOMPARE(supply->text(QAccessible::Name), u"Supply voltage: 20,00 V"_s);
}

void TestLabPage::failedMeasurementSaysWhy_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<double>("supply"); // set afterwards
    QTest::addColumn<QString>("then");

    QTest::newRow("runtime: division by zero, mended by another supply value")
        << u"12/(U-12)"_s << u"division by zero"_s << 6.0 << u"-2,00 V"_s;
    QTest::newRow("runtime: infinite result, mended by another supply value")
        << u"exp(U*100)"_s << u"the result is not a finite number"_s << 0.0 << u"1,00 V"_s;
    QTest::newRow("runtime: syntax error, whatever the supply") << u"12/"_s << u"syntax error"_s << 6.0 << u"—"_s;
}

void TestLabPage::failedMeasurementSaysWhy()
{
    QFETCH(QString, formula);
    QFETCH(QString, reason);
    QFETCH(double, supply);
    QFETCH(QString, then);

    const DefaultLocale settings(kelvo::test::russian());
    Lab lab(u"[SchemaHeader]\nImageFile=header.png\nTitle=T\nStartFrom=__v\n[__v]\nTitle=V\nImageFile=header.png\nV1="_s
        + formula + u"\n"_s + Devices);
    const auto page = openPage(lab);
    QVERIFY(page);
    auto *meter = control<TDevEdit>(*page, lab, u"V1"_s);
    QWidget *field = page->panWorkfield;
    const QPoint pictureSpot = page->imgSchema->geometry().topLeft() + QPoint(190, 95);

    // No number at all rather than one that does not follow from the schema.
    QCOMPARE(meter->text(), u"—"_s);

    // The strip says why while the pointer is over the meter, and goes over the bare picture.
    pointAt(field, pictureSpot);
    QVERIFY(!page->panDescription->isVisible());
    pointAt(field, meter->geometry().center());
    QVERIFY(page->panDescription->isVisible());
    QCOMPARE(page->panDescription->text(), QString());
    QCOMPARE(page->lbDescr1->text(), Texts::MeasurementFailedLine1);
    QVERIFY2(page->lbDescr2->text().startsWith(formula + u": "_s + reason), qPrintable(page->lbDescr2->text()));
    pointAt(field, pictureSpot);
    QVERIFY(!page->panDescription->isVisible());

    // A value that mends the formula shows its number again, and the strip's reason goes with it.
    pointAt(field, meter->geometry().center());
    QVERIFY(page->panDescription->isVisible());
    dynamic_cast<TPassiveDevice *>(lab.bench().Devices.FindDevice(u"Supply"_s))->Value = supply;
    lab.bench().Recalculate();
    page->UpdateDeviceTexts();
    QCOMPARE(meter->text(), then);
    QCOMPARE(page->panDescription->isVisible(), then == u"—"_s);
}

void TestLabPage::deviceClick_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("supply");
    QTest::addColumn<QString>("meter");

    QTest::newRow("nominal: typed value")
        << QStringList { u"type 20"_s, u"enter"_s } << true << u"20,00 V"_s << u"10,00 V"_s;
    QTest::newRow("nominal: slider to the top")
        << QStringList { u"top"_s, u"ok"_s } << true << u"24,00 V"_s << u"12,00 V"_s;
    QTest::newRow("nominal: up-down arrow")
        << QStringList { u"up"_s, u"up"_s, u"ok"_s } << true << u"12,20 V"_s << u"6,10 V"_s;
    QTest::newRow("nominal: cancelled") << QStringList { u"type 20"_s, u"cancel"_s } << false << u"12,00 V"_s
                                        << u"6,00 V"_s;
}

void TestLabPage::deviceClick()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, accepted);
    QFETCH(QString, supply);
    QFETCH(QString, meter);

    const DefaultLocale settings(kelvo::test::russian());
    Lab lab(TwoVariants + Devices);
    TDeviceDlg dialog;
    const auto page = openPage(lab, &dialog);
    QVERIFY(page);
    auto *label = control<TDevLabel>(*page, lab, u"Supply"_s);

    bool shown = false;
    QString caption;
    QString instructions;
    whenShownModally(dialog, shown, [&] {
        caption = dialog.windowTitle();
        instructions = dialog.lbInstructions->text();
        for (const QString &step : steps) {
            if (step.startsWith(u"type ")) {
                dialog.edValue->selectAll();
                dialog.edValue->insert(step.mid(5));
            } else if (step == u"top") {
                dialog.tbTrack->triggerAction(QAbstractSlider::SliderToMinimum);
            } else if (step == u"up") {
                QTest::mouseClick(dialog.UpDown->upButton(), Qt::LeftButton);
            } else if (step == u"enter") {
                QTest::keyClick(dialog.edValue, Qt::Key_Return);
            } else if (step == u"ok") {
                QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
            } else {
                QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
            }
        }
    });
    QTest::mouseClick(label, Qt::LeftButton);

    QVERIFY(shown);
    QCOMPARE(caption, u"Значение"_s);
    QCOMPARE(instructions, u"Supply voltage:"_s);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(label->text(), supply);
    QCOMPARE(label->size(), label->sizeHint());
    QCOMPARE(control<TDevEdit>(*page, lab, u"V1"_s)->text(), meter);
    const auto *device = dynamic_cast<TPassiveDevice *>(lab.bench().Devices.FindDevice(u"Supply"_s));
    QCOMPARE(device->Value == 12.0, !accepted);
}

void TestLabPage::fixedDeviceOnlyBeeps()
{
    const DefaultLocale settings(kelvo::test::russian());
    Lab lab(TwoVariants + Devices);
    TDeviceDlg dialog;
    const auto page = openPage(lab, &dialog);
    QVERIFY(page);
    bool shown = false;
    whenShownModally(dialog, shown, [&] { dialog.reject(); });
    QTest::mouseClick(control<TDevLabel>(*page, lab, u"Fixed"_s), Qt::LeftButton);
    QTest::qWait(30);
    QVERIFY(!shown);
    QCOMPARE(control<TDevLabel>(*page, lab, u"Fixed"_s)->text(), u"2,50 "_s);
}

void TestLabPage::tabReachesVariantsSettableDevicesAndActions()
{
    Lab lab(TwoVariants + Devices);
    const auto page = openActivePage(lab);
    QVERIFY(page);
    QCOMPARE(QApplication::focusWidget(), page->btStop);
    // From "Меню" on round: the variants, the settable device and the described areas in the
    // schema's order, the actions. The fixed device, the meter and the area without a
    // description are passed by.
    const auto expected = [&] {
        return QList<QWidget *> { page->VariantButtons.at(0), page->VariantButtons.at(1),
            control<TDevLabel>(*page, lab, u"Supply"_s), control<TDevShape>(*page, lab, u"Lamp"_s),
            control<TDevShape>(*page, lab, u"Switch"_s), page->btInfo, page->btStop };
    };
    QCOMPARE(tabCycle(), expected());

    // A page built again orders its new controls the same way.
    page->tsLabShow();
    QCOMPARE(tabCycle(), expected());
}

void TestLabPage::keysOpenTheValueDialog_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("opens");

    QTest::newRow("nominal: Return") << int(Qt::Key_Return) << int(Qt::NoModifier) << true;
    QTest::newRow("nominal: Enter of the keypad") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
    QTest::newRow("nominal: Space") << int(Qt::Key_Space) << int(Qt::NoModifier) << true;
    QTest::newRow("robustness: Ctrl+Return") << int(Qt::Key_Return) << int(Qt::ControlModifier) << false;
    QTest::newRow("robustness: a letter") << int(Qt::Key_A) << int(Qt::NoModifier) << false;
}

void TestLabPage::keysOpenTheValueDialog()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, opens);

    const DefaultLocale settings(kelvo::test::russian());
    Lab lab(TwoVariants + Devices);
    TDeviceDlg dialog;
    const auto page = openActivePage(lab, &dialog);
    QVERIFY(page);
    auto *label = control<TDevLabel>(*page, lab, u"Supply"_s);
    label->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), label);

    bool shown = false;
    QPoint placed;
    whenShownModally(dialog, shown, [&] {
        placed = dialog.pos();
        dialog.edValue->selectAll();
        dialog.edValue->insert(u"20"_s);
        QTest::keyClick(dialog.edValue, Qt::Key_Return);
    });
    QTest::keyClick(label, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTest::qWait(30);
    QCOMPARE(shown, opens);
    QCOMPARE(label->text(), opens ? u"20,00 V"_s : u"12,00 V"_s);
    if (opens) {
        // By the label, not wherever the pointer was left.
        QCOMPARE(placed, label->mapToGlobal(QPoint(0, label->height())));
        QCOMPARE(page->focusWidget(), label);
    }
}

void TestLabPage::focusShowsWhatThePointerShows()
{
    Lab lab(TwoVariants + Devices);
    const auto page = openActivePage(lab);
    QVERIFY(page);
    auto *lamp = control<TDevShape>(*page, lab, u"Lamp"_s);
    auto *switcher = control<TDevShape>(*page, lab, u"Switch"_s);
    auto *supply = control<TDevLabel>(*page, lab, u"Supply"_s);

    supply->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), supply);
    QCOMPARE(supply->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(page->panDescription->isHidden());

    QTest::keyClick(supply, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), lamp);
    QCOMPARE(supply->palette().color(QPalette::WindowText), QColor(Qt::black));
    QVERIFY(page->panDescription->isVisible());
    QCOMPARE(page->lbDescr1->text(), u"Lamp"_s);
    QCOMPARE(page->lbDescr2->text(), u"Filament lamp"_s);
    QVERIFY(lamp->outlineShown());

    QTest::keyClick(lamp, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), switcher);
    QVERIFY(!lamp->outlineShown());
    QVERIFY(switcher->outlineShown());
    QCOMPARE(page->panDescription->text(), u"Switch"_s);
    QCOMPARE(page->CurrentShape, switcher);

    // Leaving the areas clears the strip as the pointer leaving for the picture does.
    QTest::keyClick(switcher, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), page->btInfo);
    QVERIFY(page->panDescription->isHidden());
    QVERIFY(!switcher->outlineShown());

    // Back with Shift+Tab.
    QTest::keyClick(page->btInfo, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), switcher);
    QVERIFY(page->panDescription->isVisible());
    QVERIFY(switcher->outlineShown());
}

void TestLabPage::focusFrameIsDrawn_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("row");

    QTest::newRow("nominal: a variant button") << u"variant"_s << 3;
    QTest::newRow("nominal: \"Меню\"") << u"stop"_s << 3;
    QTest::newRow("nominal: a device label") << u"Supply"_s << 0;
    QTest::newRow("nominal: a hint area") << u"Lamp"_s << 4;
}

void TestLabPage::focusFrameIsDrawn()
{
    QFETCH(QString, control);
    QFETCH(int, row);

    Lab lab(TwoVariants + Devices);
    const auto page = openActivePage(lab);
    QVERIFY(page);
    QWidget *widget = control == u"variant" ? page->VariantButtons.at(1)
        : control == u"stop"                ? static_cast<QWidget *>(page->btStop)
                                            : page->DeviceControls.at(size_t(deviceIndex(lab.bench(), control)));
    QVERIFY(widget);
    // The area's description shows on focus; its frame is drawn whatever the outline does.
    if (auto *shape = qobject_cast<TDevShape *>(widget))
        shape->Hint.clear();
    page->mHint->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(!widget->hasFocus());
    const QImage without = widget->grab().toImage();
    // Given as the page gives it, not by the Tab key: the frame shows from the first moment.
    widget->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(widget->hasFocus());
    const QImage with = widget->grab().toImage();
    const int dpr = qRound(with.devicePixelRatio());
    QVERIFY2(changedInRow(without, with, row * dpr) > widget->width() * dpr / 4,
        qPrintable(QStringLiteral("%1 of %2 pixels changed")
                       .arg(changedInRow(without, with, row * dpr))
                       .arg(widget->width() * dpr)));
}

void TestLabPage::instructionsRoundTrip()
{
    const DefaultLocale settings(kelvo::test::russian());
    Lab lab(TwoVariants + Devices);
    TDeviceDlg dialog;
    const auto page = openPage(lab, &dialog);
    QVERIFY(page);
    QVERIFY(page->btInfo->isEnabled());

    // The student changes the bench before reading the instructions.
    QTest::mouseClick(page->VariantButtons.at(1), Qt::LeftButton);
    bool shown = false;
    whenShownModally(dialog, shown, [&] {
        dialog.edValue->selectAll();
        dialog.edValue->insert(u"20"_s);
        QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
    });
    QTest::mouseClick(control<TDevLabel>(*page, lab, u"Supply"_s), Qt::LeftButton);
    QVERIFY(shown);

    QSignalSpy open(page.get(), &TLabPage::openCurrentChapterRequested);
    QTest::mouseClick(page->btInfo, Qt::LeftButton);
    QCOMPARE(open.count(), 1);
    QCOMPARE(lab.work->ReturnIndex, Lab::BenchIndex);
    QCOMPARE(lab.work->CurrentIndex, Lab::IntroIndex);

    // The information chapter's completion brings the experiment back, and the page is shown again.
    lab.work->SelectChapter(lab.work->ReturnIndex);
    lab.work->ReturnIndex = -1;
    page->tsLabShow();
    QCOMPARE(int(page->VariantButtons.size()), 2);
    QCOMPARE(page->CurrentVariantButton, page->VariantButtons.at(1));
    QCOMPARE(look(page->VariantButtons.at(1)).glyph, u"GREEN_ON"_s);
    QCOMPARE(page->imgSchema->size(), QSize(300, 150));
    // Built anew: the closed variant's picture is centred this time.
    QCOMPARE(page->imgSchema->pos(), QPoint(222, 102));
    QCOMPARE(control<TDevLabel>(*page, lab, u"Supply"_s)->text(), u"20,00 V"_s);
    QCOMPARE(control<TDevEdit>(*page, lab, u"V1"_s)->text(), u"5,00 V"_s);
}

void TestLabPage::linkedChapterMissingOrNone_data()
{
    QTest::addColumn<QString>("linked");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("edge: no linked chapter disables the button") << u"0"_s << false;
    QTest::newRow("edge: 256 keeps only the low bits, none") << u"256"_s << false;
    QTest::newRow("edge: an identifier no chapter carries") << u"77"_s << true;
}

void TestLabPage::linkedChapterMissingOrNone()
{
    QFETCH(QString, linked);
    QFETCH(bool, enabled);
    Lab lab(TwoVariants + Devices, linked);
    const auto page = openPage(lab);
    QVERIFY(page);
    QCOMPARE(page->btInfo->isEnabled(), enabled);

    lab.work->ReturnIndex = 5;
    QSignalSpy open(page.get(), &TLabPage::openCurrentChapterRequested);
    page->btInfoClick();
    QCOMPARE(open.count(), 0);
    QCOMPARE(lab.work->CurrentIndex, Lab::BenchIndex);
    // A linked chapter that is not there resets the way back; none at all leaves it alone.
    QCOMPARE(lab.work->ReturnIndex, enabled ? -1 : 5);
}

void TestLabPage::menuButton()
{
    Lab lab(TwoVariants + Devices);
    const auto page = openPage(lab);
    QVERIFY(page);
    QSignalSpy menu(page.get(), &TLabPage::menuRequested);
    const size_t controls = page->DeviceControls.size();
    QTest::mouseClick(page->btStop, Qt::LeftButton);
    QCOMPARE(menu.count(), 1);
    QCOMPARE(page->DeviceControls.size(), controls);
    QCOMPARE(lab.bench().CurrentVariant, u"__open"_s);
    QVERIFY(!lab.bench().Passed);
}

void TestLabPage::pictureErrorsWhenShown_data()
{
    QTest::addColumn<QString>("imageFile");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");

    QTest::newRow("robustness: missing file")
        << u"missing.png"_s << QByteArray() << u"Cannot open file ./missing.png"_s;
    QTest::newRow("robustness: extension not in the list")
        << u"photo.gif"_s << QByteArray("GIF89a") << u"Unknown picture file extension (.gif)"_s;
    QTest::newRow("robustness: unreadable data")
        << u"broken.png"_s << QByteArray("\x89PNG\r\n\x1a\nbroken") << u"PNG image is not valid: ./broken.png"_s;
    QTest::newRow("robustness: missing picture key")
        << Texts::ErrorReadingChapter << QByteArray() << u"Unknown picture file extension (.)"_s;
}

void TestLabPage::pictureErrorsWhenShown()
{
    QFETCH(QString, imageFile);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);

    Lab lab(TwoVariants + Devices);
    if (!content.isEmpty())
        lab.write(imageFile, QString::fromLatin1(content));
    const auto page = openPage(lab);
    QVERIFY(page);
    const QRect picture = page->imgSchema->geometry();

    // The chapter now names a picture that cannot be shown; its measured value would change if
    // the recalculation ran.
    TExperimentChapter &bench = lab.bench();
    bench.ImageFile = imageFile;
    auto *meter = dynamic_cast<TMeasurementDevice *>(bench.Devices.FindDevice(u"V1"_s));
    meter->ValueText = u"99"_s;
    try {
        page->tsLabShow();
        QFAIL("the error reaches the caller");
    } catch (const ERuntimeError &error) {
        QCOMPARE(error.message(), message);
    }
    QVERIFY(page->DeviceControls.empty());
    QVERIFY(page->VariantButtons.empty());
    QVERIFY(page->findChildren<TDevLabel *>().isEmpty());
    QVERIFY(page->findChildren<TVariantButton *>().isEmpty());
    QCOMPARE(page->imgSchema->geometry(), picture);
    QCOMPARE(meter->Value, 6.0);
}

void TestLabPage::pictureErrorOnVariantSwitch()
{
    const DefaultLocale settings(kelvo::test::russian());
    Lab lab(u"[SchemaHeader]\nImageFile=header.png\nTitle=T\nStartFrom=__open\n"
            "[__open]\nTitle=Open\nImageFile=open.png\nV1=1\n"
            "[__gone]\nTitle=Gone\nImageFile=gone.png\nV1=2\n"
            "[__closed]\nTitle=Closed\nImageFile=closed.bmp\nV1=3\n"_s
        + Devices);
    const auto page = openPage(lab);
    QVERIFY(page);
    auto *meter = control<TDevEdit>(*page, lab, u"V1"_s);
    QCOMPARE(meter->text(), u"1,00 V"_s);
    QSignalSpy errors(page.get(), &TLabPage::errorRaised);

    QTest::mouseClick(page->VariantButtons.at(1), Qt::LeftButton);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toString(), u"Cannot open file ./gone.png"_s);
    // The switch stopped after the buttons changed: the old picture, the old texts.
    QCOMPARE(lab.bench().CurrentVariant, u"__gone"_s);
    QCOMPARE(page->imgSchema->size(), QSize(200, 100));
    QCOMPARE(meter->text(), u"1,00 V"_s);
    QCOMPARE(look(page->VariantButtons.at(0)).glyph, u"GREEN_OFF"_s);
    QCOMPARE(look(page->VariantButtons.at(1)).glyph, u"GREEN_ON"_s);

    // The next switch leaves exactly one button lit.
    QTest::mouseClick(page->VariantButtons.at(2), Qt::LeftButton);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(look(page->VariantButtons.at(0)).glyph, u"GREEN_OFF"_s);
    QCOMPARE(look(page->VariantButtons.at(1)).glyph, u"GREEN_OFF"_s);
    QCOMPARE(look(page->VariantButtons.at(2)).glyph, u"GREEN_ON"_s);
    QCOMPARE(meter->text(), u"3,00 V"_s);
}

void TestLabPage::notAnExperiment()
{
    Lab lab(TwoVariants + Devices);
    const auto page = openPage(lab);
    QVERIFY(page);
    const size_t controls = page->DeviceControls.size();
    lab.work->SelectChapter(Lab::IntroIndex);
    page->tsLabShow();
    QVERIFY(!page->btInfo->isEnabled());
    QCOMPARE(page->DeviceControls.size(), controls);
    QSignalSpy open(page.get(), &TLabPage::openCurrentChapterRequested);
    page->btInfoClick();
    QCOMPARE(open.count(), 0);
}

void TestLabPage::resizing()
{
    Lab lab(TwoVariants + Devices);
    const auto page = openPage(lab);
    QVERIFY(page);
    const QRect picture = page->imgSchema->geometry();
    const QPoint supply = control<TDevLabel>(*page, lab, u"Supply"_s)->pos();

    page->resize(1000, 700);
    page->FormResize();
    QCOMPARE(page->panLabTop->width(), 1000);
    QCOMPARE(page->panLabBackground->geometry(), QRect(0, 46, 1000, 650));
    QCOMPARE(page->panSchema->geometry(), QRect(6, 9, 968, 493));
    QCOMPARE(page->panWorkfield->size(), QSize(948, 449));
    QCOMPARE(page->panLaunchpad->geometry(), QRect(743, 508, 230, 129));
    QCOMPARE(page->panInstruction->geometry(), QRect(6, 508, 730, 129));
    QCOMPARE(page->panDescription->geometry(), QRect(6, 389, 862, 51));
    // The variant buttons keep their distance to the right and bottom; nothing else moves.
    QCOMPARE(page->VariantButtons.at(0)->geometry(), QRect(872, 322, 70, 60));
    QCOMPARE(page->VariantButtons.at(1)->geometry(), QRect(872, 383, 70, 60));
    QCOMPARE(page->imgSchema->geometry(), picture);
    QCOMPARE(control<TDevLabel>(*page, lab, u"Supply"_s)->pos(), supply);
}

void TestLabPage::looksRight()
{
    const DefaultLocale settings(kelvo::test::russian());
    Lab lab(TwoVariants + Devices);
    const auto page = openPage(lab);
    QVERIFY(page);
    page->lbLabTitle->setText(lab.bench().SchemaTitle);
    page->lbLabTitle->adjustSize();
    pointAt(page->panWorkfield, control<TDevShape>(*page, lab, u"Lamp"_s)->geometry().center());
    const QImage shot = page->grab().toImage();
    if (const QString folder = qEnvironmentVariable("KELVO_SCREENSHOT_DIR"); !folder.isEmpty())
        shot.save(QDir(folder).absoluteFilePath(QStringLiteral("lab-page.png")));

    QCOMPARE(shot.pixelColor(400, 3), QColor(0, 128, 192)); // the title bar
    QCOMPARE(shot.pixelColor(2, 560), QColor(0, 0, 128)); // the navy background
    QCOMPARE(shot.pixelColor(30, 110), QColor(Qt::white)); // bare work field
    QCOMPARE(shot.pixelColor(20, 72), QColor(0, 128, 192)); // a caption bar
    // The picture with its frame line, the strip shown, the lamp's outline drawn.
    const QPoint field = page->panWorkfield->mapTo(page.get(), QPoint(0, 0));
    const QPoint picture = field + page->imgSchema->pos();
    QCOMPARE(shot.pixelColor(picture + QPoint(100, 50)), QColor(200, 220, 240));
    QCOMPARE(shot.pixelColor(picture + QPoint(100, 0)), QColor(Qt::black));
    QCOMPARE(
        shot.pixelColor(field + page->panDescription->geometry().center() + QPoint(-300, 0)), QColor(236, 249, 255));
    const QRect lamp = control<TDevShape>(*page, lab, u"Lamp"_s)->geometry().translated(field);
    QCOMPARE(shot.pixelColor(lamp.topLeft() + QPoint(1, 20)), QColor(Qt::black));
    // The lit lamp of the current variant is green.
    const QRect button = page->VariantButtons.at(0)->geometry().translated(field);
    int green = 0;
    for (int y = button.top(); y <= button.bottom(); ++y)
        for (int x = button.left(); x <= button.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            green += c.green() > 150 && c.red() < 120 && c.blue() < 120 ? 1 : 0;
        }
    QVERIFY2(green > 20, "the lit lamp");
}

void TestLabPage::pictureCache_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("decodedAgain");
    QTest::addColumn<int>("kept");

    QTest::newRow("nominal: the same file is not decoded again") << QString() << false << 3;
    QTest::newRow("nominal: a file written anew is") << u"rewrite"_s << true << 3;
    QTest::newRow("nominal: its name in other letter case finds the same file") << u"case"_s << false << 3;
    QTest::newRow("robustness: a file gone raises the loader's error") << u"delete"_s << true << 3;
    QTest::newRow("edge: beyond the budget the least recently used go") << u"fourth"_s << true << 1;
}

void TestLabPage::pictureCache()
{
    QFETCH(QString, change);
    QFETCH(bool, decodedAgain);
    QFETCH(int, kept);

    Lab lab(TwoVariants);
    // Room for three pictures of 200 × 100.
    PictureCache cache(3 * 200 * 100);
    const kelvo::SchemaPicture first = cache.load(u"open.png"_s);
    cache.load(u"header.png"_s);
    cache.load(u"third.png"_s); // 120 × 80
    QCOMPARE(cache.count(), 3);

    QString name = u"open.png"_s;
    if (change == u"rewrite") {
        lab.picture(name, QSize(201, 100));
    } else if (change == u"case") {
        name = u"OPEN.PNG"_s;
    } else if (change == u"delete") {
        QVERIFY(QFile::remove(name));
        QVERIFY_THROWS_EXCEPTION(EFOpenError, cache.load(name));
        QCOMPARE(cache.count(), kept);
        return;
    } else if (change == u"fourth") {
        cache.load(u"closed.bmp"_s); // 300 × 150 leaves room for only the smallest beside it
        QCOMPARE(cache.count(), 2);
    }
    const kelvo::SchemaPicture again = cache.load(name);
    QCOMPARE(again.image().constBits() != first.image().constBits(), decodedAgain);
    QCOMPARE(cache.count(), kept);
    QCOMPARE(again.size(), change == u"rewrite" ? QSize(201, 100) : QSize(200, 100));
}

QTEST_MAIN(TestLabPage)

#include "tst_labpage.moc"
