#include "AccessibleTold.h"
#include "BitButton.h"
#include "DeviceDlg.h"
#include "IniFile.h"
#include "Localization.h"
#include "SchemaDevice.h"
#include "TestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <limits>
#include <memory>

using namespace Qt::StringLiterals;
using kelvo::test::DefaultLocale;

namespace {

// A passive device as a schema file gives it.
class Device final
{
public:
    Device(double min, double max, double value, bool adjustable = true)
    {
        kelvo::test::writeFile(
            QDir(m_dir.path()), u"schema.ini"_s, "[Supply]\nClass=Passive\nTitle=Supply voltage\nAjustable=1\n");
        m_schema = std::make_unique<TIniFile>(m_dir.filePath(u"schema.ini"_s));
        device = std::make_unique<TPassiveDevice>(*m_schema, u"Supply"_s);
        device->Min = min;
        device->Max = max;
        device->Value = value;
        device->Ajustable = adjustable;
    }

    std::unique_ptr<TPassiveDevice> device;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TIniFile> m_schema;
};

// Closes every message box that opens while it lives, noting what it said.
class MessageBoxes final : public QObject
{
public:
    MessageBoxes()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            texts << box->text();
            captions << box->windowTitle();
            icons << box->icon();
            box->done(QMessageBox::Ok);
        });
        m_timer.start(5);
    }

    QStringList texts;
    QStringList captions;
    QList<QMessageBox::Icon> icons;

private:
    QTimer m_timer;
};

enum class Outcome { Open, Accepted, InputError, Cancelled };

} // namespace

Q_DECLARE_METATYPE(Outcome)

class TestDeviceDlg final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void layout();
    void behaviour_data();
    void behaviour();
    void reopensWithTheDeviceValue();
    void screenReaderHearsTheDeviceAndItsRange_data();
    void screenReaderHearsTheDeviceAndItsRange();
    void placement_data();
    void placement();
    void executeReturnsTheResult_data();
    void executeReturnsTheResult();
    void looksRight();

private:
    // Runs the steps of a behaviour row on the shown dialog.
    void run(const QStringList &steps);

    std::unique_ptr<TDeviceDlg> m_dialog;
};

void TestDeviceDlg::init()
{
    m_dialog = std::make_unique<TDeviceDlg>();
}

void TestDeviceDlg::cleanup()
{
    m_dialog.reset();
}

void TestDeviceDlg::layout()
{
    TDeviceDlg &dialog = *m_dialog;
    QCOMPARE(dialog.size(), QSize(128, 272));
    QCOMPARE(dialog.edValue->geometry(), QRect(8, 40, 97, 24));
    QCOMPARE(dialog.UpDown->geometry(), QRect(105, 40, 17, 24));
    QCOMPARE(dialog.tbTrack->geometry(), QRect(16, 72, 25, 193));
    QCOMPARE(dialog.BitBtn1->text(), u"OK"_s);
    QCOMPARE(dialog.BitBtn2->text(), u"Нет"_s);
    QCOMPARE(dialog.BitBtn1->glyph(), u"TICK"_s);
    QCOMPARE(dialog.BitBtn2->glyph(), u"CROSS"_s);
    QVERIFY(!dialog.BitBtn1->isDefault() && !dialog.BitBtn1->autoDefault());
    QCOMPARE(dialog.tbTrack->orientation(), Qt::Vertical);
    QVERIFY(dialog.tbTrack->invertedAppearance()); // the position grows downward

    // The tab order: edit, up-down, slider, OK, cancel.
    QWidget *expected[] = { dialog.UpDown, dialog.tbTrack, dialog.BitBtn1, dialog.BitBtn2, dialog.edValue };
    QWidget *at = dialog.edValue;
    for (QWidget *next : expected) {
        at = at->nextInFocusChain();
        while (!(at->focusPolicy() & Qt::TabFocus))
            at = at->nextInFocusChain();
        QCOMPARE(at, next);
    }

    dialog.SetInstructions(u"Supply voltage:"_s);
    QCOMPARE(dialog.lbInstructions->text(), u"Supply voltage:"_s);
    QVERIFY(dialog.lbInstructions->wordWrap());
}

// Steps: "type TEXT" replaces the edit's text by typing it key by key, "paste TEXT" in one go;
// "clear" deletes it; "up"/"down" click an
// arrow of the up-down; "top"/"bottom" drag the thumb to an end; "ok" clicks "OK"; "enter in X"
// and "escape" press keys in a control (edit, slider, cancel).
void TestDeviceDlg::run(const QStringList &steps)
{
    TDeviceDlg &dialog = *m_dialog;
    for (const QString &step : steps) {
        if (step.startsWith(u"type ")) {
            dialog.edValue->setFocus();
            dialog.edValue->selectAll();
            QTest::keyClicks(dialog.edValue, step.mid(5));
        } else if (step.startsWith(u"paste ")) {
            dialog.edValue->setFocus();
            dialog.edValue->selectAll();
            dialog.edValue->insert(step.mid(6));
        } else if (step == u"clear") {
            dialog.edValue->selectAll();
            QTest::keyClick(dialog.edValue, Qt::Key_Delete);
        } else if (step == u"up") {
            QTest::mouseClick(dialog.UpDown->upButton(), Qt::LeftButton);
        } else if (step == u"down") {
            QTest::mouseClick(dialog.UpDown->downButton(), Qt::LeftButton);
        } else if (step == u"top") {
            dialog.tbTrack->triggerAction(QAbstractSlider::SliderToMinimum);
        } else if (step == u"bottom") {
            dialog.tbTrack->triggerAction(QAbstractSlider::SliderToMaximum);
        } else if (step == u"ok") {
            QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
        } else if (step.startsWith(u"enter in ") || step == u"escape") {
            const QString where = step.mid(9);
            QWidget *target = where == u"slider" ? static_cast<QWidget *>(dialog.tbTrack)
                : where == u"cancel"             ? static_cast<QWidget *>(dialog.BitBtn2)
                                                 : static_cast<QWidget *>(dialog.edValue);
            target->setFocus();
            QTest::keyClick(target, step == u"escape" ? Qt::Key_Escape : Qt::Key_Return);
        } else {
            QFAIL(qPrintable(u"unknown step "_s + step));
        }
    }
}

void TestDeviceDlg::behaviour_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("deviceValue");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("upDown");
    QTest::addColumn<int>("slider");
    QTest::addColumn<double>("value");
    QTest::addColumn<Outcome>("outcome");

    const QLocale ru = kelvo::test::russian();
    const QLocale en = kelvo::test::english();
    const QStringList none;
    const QStringList ok { u"ok"_s };

    // Opening: the device's value rounded to tenths, or the nearer bound.
    QTest::newRow("nominal: 2.53 opens as 2,5, a quarter up; OK at once stores 2.5")
        << ru << 0.0 << 10.0 << 2.53 << ok << u"2,5"_s << 25 << 75 << 2.5 << Outcome::Accepted;
    QTest::newRow("nominal: above Max opens at Max, thumb at the top")
        << ru << 0.0 << 10.0 << 15.0 << none << u"10"_s << 100 << 0 << 10.0 << Outcome::Open;
    QTest::newRow("nominal: below Min opens at Min, thumb at the bottom")
        << ru << 0.0 << 10.0 << -3.0 << none << u"0"_s << 0 << 100 << 0.0 << Outcome::Open;
    QTest::newRow("nominal: range 10..20, thumb in the middle")
        << ru << 10.0 << 20.0 << 15.0 << none << u"15"_s << 150 << 150 << 15.0 << Outcome::Open;
    QTest::newRow("nominal: English settings")
        << en << 0.0 << 10.0 << 2.53 << none << u"2.5"_s << 25 << 75 << 2.5 << Outcome::Open;
    // Tenths of the exact product, ties to even.
    QTest::newRow("tenths: 0.25 gives 2")
        << ru << 0.0 << 1.0 << 0.25 << none << u"0,2"_s << 2 << 8 << 0.2 << Outcome::Open;
    QTest::newRow("tenths: 0.75 gives 8")
        << ru << 0.0 << 1.0 << 0.75 << none << u"0,8"_s << 8 << 2 << 0.8 << Outcome::Open;
    QTest::newRow("tenths: 0.35 (just below) gives 3")
        << ru << 0.0 << 1.0 << 0.35 << none << u"0,3"_s << 3 << 7 << 0.3 << Outcome::Open;
    QTest::newRow("tenths: 0.45 (just above) gives 5")
        << ru << 0.0 << 1.0 << 0.45 << none << u"0,5"_s << 5 << 5 << 0.5 << Outcome::Open;
    QTest::newRow("tenths: -0.25 gives -2")
        << ru << -1.0 << 0.0 << -0.25 << none << u"-0,2"_s << -2 << -8 << -0.2 << Outcome::Open;

    // The position controls.
    QTest::newRow("nominal: upper arrow from 2,5 gives 2,6, thumb one up")
        << ru << 0.0 << 10.0 << 2.5 << QStringList { u"up"_s } << u"2,6"_s << 26 << 74 << 2.6 << Outcome::Open;
    QTest::newRow("nominal: lower arrow from 2,5 gives 2,4")
        << ru << 0.0 << 10.0 << 2.5 << QStringList { u"down"_s } << u"2,4"_s << 24 << 76 << 2.4 << Outcome::Open;
    QTest::newRow("nominal: the upper arrow stops at Max")
        << ru << 0.0 << 10.0 << 10.0 << QStringList { u"up"_s, u"up"_s } << u"10"_s << 100 << 0 << 10.0
        << Outcome::Open;
    QTest::newRow("nominal: thumb to the top shows Max")
        << ru << 0.0 << 10.0 << 2.5 << QStringList { u"top"_s } << u"10"_s << 100 << 0 << 10.0 << Outcome::Open;
    QTest::newRow("nominal: thumb to the bottom shows Min")
        << ru << 0.0 << 10.0 << 2.5 << QStringList { u"bottom"_s } << u"0"_s << 0 << 100 << 0.0 << Outcome::Open;
    QTest::newRow("edge: thumb at the top shows Max rounded to tenths, which OK refuses")
        << ru << 0.0 << 9.96 << 2.5 << QStringList { u"top"_s, u"ok"_s } << u"10"_s << 100 << 0 << 10.0
        << Outcome::InputError;

    // Typing.
    QTest::newRow("typing: 2,53 stays as typed, OK stores 2.53")
        << ru << 0.0 << 10.0 << 2.5 << QStringList { u"type 2,53"_s, u"ok"_s } << u"2,53"_s << 25 << 75 << 2.53
        << Outcome::Accepted;
    QTest::newRow("typing: 2,56 moves the thumb and stays as typed, OK stores 2.56")
        << ru << 0.0 << 10.0 << 2.5 << QStringList { u"type 2,56"_s, u"ok"_s } << u"2,56"_s << 26 << 74 << 2.56
        << Outcome::Accepted;
    QTest::newRow("typing: Russian settings read a point too")
        << ru << 0.0 << 10.0 << 7.0 << QStringList { u"type 2.5"_s, u"ok"_s } << u"2.5"_s << 25 << 75 << 2.5
        << Outcome::Accepted;
    QTest::newRow("typing: Russian settings, digits after the separator one by one")
        << ru << 0.0 << 10.0 << 7.0 << QStringList { u"type 0,05"_s, u"ok"_s } << u"0,05"_s << 1 << 99 << 0.05
        << Outcome::Accepted;
    QTest::newRow("typing: above Max with the thumb lower moves it to the top, the text stays; OK refuses")
        << ru << 0.0 << 10.0 << 2.5 << QStringList { u"type 15"_s, u"ok"_s } << u"15"_s << 100 << 0 << 15.0
        << Outcome::InputError;
    QTest::newRow("typing: below Min moves the thumb to the bottom, the text stays; OK refuses")
        << ru << 0.0 << 10.0 << 2.5 << QStringList { u"type -3"_s, u"ok"_s } << u"-3"_s << 0 << 100 << -3.0
        << Outcome::InputError;
    QTest::newRow("typing: above Max with the thumb at the top stays, OK refuses")
        << ru << 0.0 << 10.0 << 10.0 << QStringList { u"paste 15"_s, u"ok"_s } << u"15"_s << 100 << 0 << 15.0
        << Outcome::InputError;
    QTest::newRow("typing: letters stay as typed and move nothing; OK refuses")
        << ru << 0.0 << 10.0 << 2.5 << QStringList { u"type abc"_s, u"ok"_s } << u"abc"_s << 25 << 75 << 2.5
        << Outcome::InputError;
    QTest::newRow("typing: a point and a comma together are no number; OK refuses")
        << ru << 0.0 << 10.0 << 2.5 << QStringList { u"type 1,2.3"_s, u"ok"_s } << u"1,2.3"_s << 12 << 88 << 1.2
        << Outcome::InputError;
    QTest::newRow("typing: emptied text leaves the thumb where it was; OK refuses")
        << ru << 10.0 << 20.0 << 15.0 << QStringList { u"clear"_s, u"ok"_s } << QString() << 150 << 150 << 15.0
        << Outcome::InputError;
    QTest::newRow("typing: moving the thumb after typing rewrites the text")
        << ru << 0.0 << 10.0 << 2.5 << QStringList { u"type 15"_s, u"bottom"_s } << u"0"_s << 0 << 100 << 0.0
        << Outcome::Open;
    QTest::newRow("typing: a lone minus with the thumb already at 0 stays; OK refuses")
        << ru << 0.0 << 10.0 << 0.0 << QStringList { u"type -"_s, u"ok"_s } << u"-"_s << 0 << 100 << 0.0
        << Outcome::InputError;
    QTest::newRow("typing: letters after the number do not convert")
        << ru << 0.0 << 10.0 << 0.0 << QStringList { u"type 0x"_s, u"ok"_s } << u"0x"_s << 0 << 100 << 0.0
        << Outcome::InputError;
    QTest::newRow("typing: spaces, a sign and an exponent convert; the text stays while the thumb stays")
        << ru << 0.0 << 100.0 << 25.0 << QStringList { u"paste  +2,5e1 "_s, u"ok"_s } << u" +2,5e1 "_s << 250 << 750
        << 25.0 << Outcome::Accepted;
    QTest::newRow("typing: English settings read the point")
        << en << 0.0 << 10.0 << 2.5 << QStringList { u"type 2.53"_s, u"ok"_s } << u"2.53"_s << 25 << 75 << 2.53
        << Outcome::Accepted;
    QTest::newRow("typing: English settings read a comma too")
        << en << 0.0 << 10.0 << 7.0 << QStringList { u"type 2,5"_s, u"ok"_s } << u"2,5"_s << 25 << 75 << 2.5
        << Outcome::Accepted;
    QTest::newRow("typing: English settings, above Max stays as typed; OK refuses")
        << en << 0.0 << 10.0 << 2.5 << QStringList { u"type 15"_s, u"ok"_s } << u"15"_s << 100 << 0 << 15.0
        << Outcome::InputError;

    // The range check of OK: both ends inclusive, on the device's doubles.
    QTest::newRow("range: exactly Max passes") << ru << 0.0 << 10.0 << 2.5 << QStringList { u"type 10"_s, u"ok"_s }
                                               << u"10"_s << 100 << 0 << 10.0 << Outcome::Accepted;
    QTest::newRow("range: exactly Min passes") << ru << 0.05 << 0.15 << 0.1 << QStringList { u"type 0,05"_s, u"ok"_s }
                                               << u"0,05"_s << 1 << 1 << 0.05 << Outcome::Accepted;
    QTest::newRow("range: just below Min is refused although its tenths are in range")
        << ru << 0.05 << 0.15 << 0.1 << QStringList { u"type 0,049"_s, u"ok"_s } << u"0,049"_s << 1 << 1 << 0.049
        << Outcome::InputError;

    // Keys.
    QTest::newRow("keys: Enter in the edit is OK")
        << ru << 0.0 << 10.0 << 2.5 << QStringList { u"type 3"_s, u"enter in edit"_s } << u"3"_s << 30 << 70 << 3.0
        << Outcome::Accepted;
    QTest::newRow("keys: Enter on the slider is OK") << ru << 0.0 << 10.0 << 2.5 << QStringList { u"enter in slider"_s }
                                                     << u"2,5"_s << 25 << 75 << 2.5 << Outcome::Accepted;
    QTest::newRow("keys: Enter on the cancel button is OK too")
        << ru << 0.0 << 10.0 << 2.5 << QStringList { u"enter in cancel"_s } << u"2,5"_s << 25 << 75 << 2.5
        << Outcome::Accepted;
    QTest::newRow("keys: Enter with bad text reports and stays open")
        << ru << 0.0 << 10.0 << 0.0 << QStringList { u"type x"_s, u"enter in edit"_s } << u"x"_s << 0 << 100 << 0.0
        << Outcome::InputError;
    QTest::newRow("keys: Escape cancels") << ru << 0.0 << 10.0 << 2.5 << QStringList { u"type 3"_s, u"escape"_s }
                                          << u"3"_s << 30 << 70 << 3.0 << Outcome::Cancelled;

    // Ranges the controls cannot show as given.
    QTest::newRow("wide: beyond 16 bits the controls keep working")
        << ru << -5000.0 << 5000.0 << 4000.0 << ok << u"4000"_s << 40000 << -40000 << 4000.0 << Outcome::Accepted;
    QTest::newRow("wide: beyond 32 bits the thumb stands at the end, typed numbers keep their value")
        << ru << -1e300 << 1e300 << 1e20 << QStringList { u"paste 1e20"_s, u"ok"_s } << u"1e20"_s << 2147483647
        << -2147483647 << 1e20 << Outcome::Accepted;
    QTest::newRow("wide: beyond 32 bits opens at the end of the controls")
        << ru << -1e300 << 1e300 << 1e20 << none << u"214748364,7"_s << 2147483647 << -2147483647 << 214748364.7
        << Outcome::Open;
    QTest::newRow("reversed: Max below Min shows the range the right way round")
        << ru << 10.0 << 0.0 << 2.5 << none << u"2,5"_s << 25 << 75 << 2.5 << Outcome::Open;
    QTest::newRow("reversed: Max below Min lets no value pass")
        << ru << 10.0 << 0.0 << 2.5 << ok << u"2,5"_s << 25 << 75 << 2.5 << Outcome::InputError;
    QTest::newRow("robustness: a device value that is not a number opens at 0")
        << ru << -1.0 << 1.0 << std::numeric_limits<double>::quiet_NaN() << none << u"0"_s << 0 << 0 << 0.0
        << Outcome::Open;
}

void TestDeviceDlg::behaviour()
{
    QFETCH(QLocale, locale);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, deviceValue);
    QFETCH(QStringList, steps);
    QFETCH(QString, text);
    QFETCH(int, upDown);
    QFETCH(int, slider);
    QFETCH(double, value);
    QFETCH(Outcome, outcome);

    const DefaultLocale settings(locale);
    const Device device(min, max, deviceValue);
    TDeviceDlg &dialog = *m_dialog;
    MessageBoxes boxes;
    dialog.Prepare(100, 100, *device.device);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    run(steps);

    QCOMPARE(dialog.edValue->text(), text);
    QCOMPARE(dialog.UpDown->Position(), upDown);
    QCOMPARE(dialog.tbTrack->value(), slider);
    QCOMPARE(dialog.Value, value);
    // The two position controls always share their bounds.
    QCOMPARE(dialog.UpDown->Min(), dialog.tbTrack->minimum());
    QCOMPARE(dialog.UpDown->Max(), dialog.tbTrack->maximum());

    switch (outcome) {
    case Outcome::Open:
        QVERIFY(dialog.isVisible());
        QVERIFY(boxes.texts.isEmpty());
        break;
    case Outcome::Accepted:
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(boxes.texts.isEmpty());
        break;
    case Outcome::Cancelled:
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        break;
    case Outcome::InputError:
        QVERIFY(dialog.isVisible());
        QCOMPARE(boxes.texts, QStringList { Texts::NumberInputError });
        QCOMPARE(boxes.captions, QStringList { Texts::AttentionCaption });
        QCOMPARE(boxes.icons.value(0), QMessageBox::Critical);
        QCOMPARE(dialog.focusWidget(), static_cast<QWidget *>(dialog.edValue));
        QCOMPARE(dialog.result(), 0);
        break;
    }
    // The device is never changed by the dialog.
    QVERIFY(std::isnan(deviceValue) ? std::isnan(device.device->Value) : device.device->Value == deviceValue);
}

void TestDeviceDlg::reopensWithTheDeviceValue()
{
    const DefaultLocale settings(kelvo::test::russian());
    const Device device(0, 10, 2.5);
    TDeviceDlg &dialog = *m_dialog;
    dialog.Prepare(100, 100, *device.device);
    dialog.show();
    run({ u"type 2,54"_s, u"escape"_s });
    QCOMPARE(dialog.edValue->text(), u"2,54"_s);
    QCOMPARE(dialog.tbTrack->value(), 75);

    // The up-down and the slider do not move, yet the text shows the device's value again.
    dialog.Prepare(100, 100, *device.device);
    QCOMPARE(dialog.edValue->text(), u"2,5"_s);
    QCOMPARE(dialog.Value, 2.5);
    QCOMPARE(dialog.UpDown->Position(), 25);
    QCOMPARE(dialog.tbTrack->value(), 75);

    // Another device's range replaces the last one as a pair, even when the ranges do not overlap.
    const Device other(100, 200, 150);
    dialog.Prepare(100, 100, *other.device);
    QCOMPARE(dialog.tbTrack->minimum(), 1000);
    QCOMPARE(dialog.tbTrack->maximum(), 2000);
    QCOMPARE(dialog.edValue->text(), u"150"_s);
    QCOMPARE(dialog.tbTrack->value(), 1500);
    const Device back(-20, -10, -12);
    dialog.Prepare(100, 100, *back.device);
    QCOMPARE(dialog.tbTrack->minimum(), -200);
    QCOMPARE(dialog.tbTrack->maximum(), -100);
    QCOMPARE(dialog.edValue->text(), u"-12"_s);
    QCOMPARE(dialog.tbTrack->value(), -180);
}

void TestDeviceDlg::screenReaderHearsTheDeviceAndItsRange_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");

    const QString range = u"от -5,00 до 12,50 V"_s;
    QTest::newRow("nominal: the dialog") << u"dialog"_s << int(QAccessible::Dialog) << u"Supply voltage"_s << range;
    QTest::newRow("nominal: the value's text")
        << u"edValue"_s << int(QAccessible::EditableText) << u"Supply voltage"_s << range;
    QTest::newRow("nominal: the slider") << u"tbTrack"_s << int(QAccessible::Slider) << u"Supply voltage"_s << range;
    QTest::newRow("nominal: the up-down") << u"UpDown"_s << int(QAccessible::Client) << u"Supply voltage"_s << range;
    QTest::newRow("nominal: OK") << u"BitBtn1"_s << int(QAccessible::Button) << u"OK"_s << QString();
    QTest::newRow("nominal: cancel") << u"BitBtn2"_s << int(QAccessible::Button) << Texts::NoButton << QString();
}

void TestDeviceDlg::screenReaderHearsTheDeviceAndItsRange()
{
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);
    QFETCH(QString, description);

    const DefaultLocale settings(kelvo::test::russian());
    const Device device(-5, 12.5, 2);
    device.device->Unit = u"V"_s;
    TDeviceDlg &dialog = *m_dialog;
    dialog.Prepare(100, 100, *device.device);
    QWidget *widget = control == u"dialog" ? &dialog : dialog.findChild<QWidget *>(control);
    QVERIFY(widget);
    QCOMPARE(kelvo::test::toldOf(widget), (kelvo::test::Told { role, name, description }));

    // Another device renames it.
    const Device other(0, 1, 0);
    dialog.Prepare(100, 100, *other.device);
    if (!description.isEmpty())
        QCOMPARE(kelvo::test::toldOf(widget).description, u"от 0,00 до 1,00"_s);

    // A device without a title of its own (its key missing) by its section.
    other.device->Title = Texts::ErrorReadingChapter;
    dialog.Prepare(100, 100, *other.device);
    if (!description.isEmpty())
        QCOMPARE(kelvo::test::toldOf(widget).name, u"Supply"_s);
}

void TestDeviceDlg::placement_data()
{
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<bool>("pullLeft");
    QTest::addColumn<bool>("pullUp");

    QTest::newRow("nominal: inside the screen") << QPoint(200, 150) << false << false;
    QTest::newRow("edge: bottom-right corner pulls back both ways") << QPoint(-1, -1) << true << true;
    QTest::newRow("edge: right edge only") << QPoint(-1, 10) << true << false;
    QTest::newRow("edge: bottom edge only") << QPoint(10, -1) << false << true;
    QTest::newRow("edge: top-left is not moved") << QPoint(-30, -40) << false << false;
}

void TestDeviceDlg::placement()
{
    QFETCH(QPoint, pointer);
    QFETCH(bool, pullLeft);
    QFETCH(bool, pullUp);

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // -1 stands for "at the far edge of the screen".
    if (pointer.x() == -1)
        pointer.setX(screen.right() - 5);
    if (pointer.y() == -1)
        pointer.setY(screen.bottom() - 5);

    const Device device(0, 10, 1);
    TDeviceDlg &dialog = *m_dialog;
    dialog.Prepare(pointer.x(), pointer.y(), *device.device);
    const QRect frame = dialog.frameGeometry();
    QCOMPARE(frame.x(), pullLeft ? screen.x() + screen.width() - frame.width() : pointer.x());
    QCOMPARE(frame.y(), pullUp ? screen.y() + screen.height() - frame.height() : pointer.y());
}

void TestDeviceDlg::executeReturnsTheResult_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("closeWith");
    QTest::addColumn<bool>("result");
    QTest::addColumn<double>("value");

    QTest::newRow("nominal: OK") << u"7,5"_s << int(Qt::Key_Return) << true << 7.5;
    QTest::newRow("nominal: Escape") << u"7,5"_s << int(Qt::Key_Escape) << false << 7.5;
    QTest::newRow("nominal: close box") << u"7,5"_s << 0 << false << 7.5;
}

void TestDeviceDlg::executeReturnsTheResult()
{
    QFETCH(QString, typed);
    QFETCH(int, closeWith);
    QFETCH(bool, result);
    QFETCH(double, value);

    const DefaultLocale settings(kelvo::test::russian());
    const Device device(0, 10, 1);
    TDeviceDlg &dialog = *m_dialog;
    bool modal = false;
    QTimer::singleShot(0, &dialog, [&] {
        modal = QApplication::activeModalWidget() == &dialog;
        dialog.edValue->selectAll();
        QTest::keyClicks(dialog.edValue, typed);
        if (closeWith)
            QTest::keyClick(dialog.edValue, Qt::Key(closeWith));
        else
            dialog.close();
    });
    QCOMPARE(dialog.Execute(10, 10, *device.device), result);
    QVERIFY(modal);
    QCOMPARE(dialog.Value, value);
    QCOMPARE(device.device->Value, 1.0);
}

void TestDeviceDlg::looksRight()
{
    const DefaultLocale settings(kelvo::test::russian());
    const Device device(0, 10, 2.5);
    TDeviceDlg &dialog = *m_dialog;
    dialog.setWindowTitle(Texts::DeviceDialogCaption);
    dialog.SetInstructions(u"Supply voltage:"_s);
    dialog.Prepare(100, 100, *device.device);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QImage shot = dialog.grab().toImage();
    if (const QString folder = qEnvironmentVariable("KELVO_SCREENSHOT_DIR"); !folder.isEmpty())
        shot.save(QDir(folder).absoluteFilePath(QStringLiteral("device-dialog.png")));

    // The tick is green and the cross red, left of their captions.
    const auto count = [&](const QRect &area, auto test) {
        int found = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.left() + area.width() / 2; ++x)
                found += test(shot.pixelColor(x, y)) ? 1 : 0;
        return found;
    };
    QVERIFY(count(dialog.BitBtn1->geometry(), [](const QColor &c) { return c.green() > 120 && c.red() < 100; }) > 10);
    QVERIFY(count(dialog.BitBtn2->geometry(), [](const QColor &c) { return c.red() > 150 && c.green() < 100; }) > 10);
}

QTEST_MAIN(TestDeviceDlg)

#include "tst_devicedlg.moc"
