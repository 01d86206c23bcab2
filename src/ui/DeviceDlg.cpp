#include "DeviceDlg.h"

#include "AccessibleControls.h"
#include "BitButton.h"
#include "KeyPreview.h"
#include "Localization.h"
#include "NumberFormats.h"
#include "SchemaDevice.h"
#include "TextFormat.h"
#include "WidgetLook.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>
#include <climits>
#include <utility>

namespace {

constexpr QSize ClientSize(128, 272);

// A value's position on the slider and the up-down: its tenths, held to the 32-bit range.
int positionOf(double value)
{
    return int(std::clamp(kelvo::tenths(value), qint64(-INT_MAX), qint64(INT_MAX)));
}

int clampToInt(qint64 value)
{
    return int(std::clamp(value, qint64(INT_MIN), qint64(INT_MAX)));
}

} // namespace

TDeviceDlg::TDeviceDlg(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("DeviceDlg"));
    setModal(true);
    setFixedSize(ClientSize);

    const QFont buttonFont = kelvo::pixelFont(QStringLiteral("Tahoma"), 11, true);

    lbInstructions = new QLabel(this);
    lbInstructions->setObjectName(QStringLiteral("lbInstructions"));
    lbInstructions->setGeometry(8, 8, 113, 25);
    lbInstructions->setWordWrap(true);
    lbInstructions->setTextFormat(Qt::PlainText);
    lbInstructions->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lbInstructions->setFont(kelvo::pixelFont(QStringLiteral("Tahoma"), 11));

    edValue = new QLineEdit(this);
    edValue->setObjectName(QStringLiteral("edValue"));
    edValue->setGeometry(8, 40, 97, 24);
    edValue->setFont(kelvo::pixelFont(QStringLiteral("Fixedsys"), 13));

    UpDown = new TUpDown(this);
    UpDown->setObjectName(QStringLiteral("UpDown"));
    UpDown->setGeometry(105, 40, 17, 24);
    UpDown->setChangingHandler(
        [this](int newPosition, TUpDown::Direction direction) { return UpDownChangingEx(newPosition, direction); });

    tbTrack = new QSlider(Qt::Vertical, this);
    tbTrack->setObjectName(QStringLiteral("tbTrack"));
    tbTrack->setGeometry(16, 72, 25, 193);
    tbTrack->setTickPosition(QSlider::NoTicks);
    // The position grows downward, and the keys move it as they move a Windows track bar.
    tbTrack->setInvertedAppearance(true);
    tbTrack->setInvertedControls(true);
    tbTrack->setSingleStep(1);
    tbTrack->setPageStep(2);

    BitBtn1 = new TBitButton(Texts::OkButton, TBitButton::Layout::GlyphLeft, this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(64, 80, 59, 25);
    BitBtn1->setFont(buttonFont);
    BitBtn1->setGlyph(QStringLiteral("TICK"));

    BitBtn2 = new TBitButton(Texts::NoButton, TBitButton::Layout::GlyphLeft, this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(64, 112, 59, 25);
    BitBtn2->setFont(buttonFont);
    BitBtn2->setGlyph(QStringLiteral("CROSS"));

    setTabOrder(edValue, UpDown);
    setTabOrder(UpDown, tbTrack);
    setTabOrder(tbTrack, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);

    connect(edValue, &QLineEdit::textChanged, this, &TDeviceDlg::edValueChange);
    connect(tbTrack, &QSlider::valueChanged, this, &TDeviceDlg::tbTrackChange);
    connect(BitBtn1, &QPushButton::clicked, this, &TDeviceDlg::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    kelvo::installKeyPreview(this, this);
}

void TDeviceDlg::SetInstructions(const QString &Text)
{
    lbInstructions->setText(Text);
}

bool TDeviceDlg::Execute(int X, int Y, const TPassiveDevice &Device)
{
    Prepare(X, Y, Device);
    return exec() == QDialog::Accepted;
}

void TDeviceDlg::Prepare(int X, int Y, const TPassiveDevice &Device)
{
    placeAt(X, Y);
    Min = Device.Min;
    Max = Device.Max;
    setRange(Min, Max);

    Value = Device.Value;
    UpDown->setPosition(positionOf(Value));
    tbTrack->setValue(clampToInt(boundsSum() - UpDown->Position()));
    // Once more whether or not the slider moved, so that the text, the up-down and Value show
    // the slider's value even when the text was left over from the last use.
    tbTrackChange();

    describeDevice(Device);
    edValue->setFocus(Qt::OtherFocusReason);
    edValue->selectAll();
}

void TDeviceDlg::describeDevice(const TPassiveDevice &device)
{
    const QString title = kelvo::spokenTitle(device);
    const QString range = kelvo::format(Texts::DeviceRange, { device.Min, device.Max, device.Unit }).trimmed();
    for (QWidget *widget : { static_cast<QWidget *>(this), static_cast<QWidget *>(edValue),
             static_cast<QWidget *>(tbTrack), static_cast<QWidget *>(UpDown) }) {
        widget->setAccessibleName(title);
        widget->setAccessibleDescription(range);
    }
}

void TDeviceDlg::placeAt(int X, int Y)
{
    m_requestedPlace = QPoint(X, Y);
    m_framePending = true;
    applyPlace();
}

bool TDeviceDlg::event(QEvent *event)
{
    const bool handled = QDialog::event(event);
    // Under a window manager the frame is known only once the dialog is shown for the first time:
    // the place is worked out again with it, so that the frame, too, stays on the screen.
    const QEvent::Type type = event->type();
    if (m_framePending && isVisible() && (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize)
        && frameGeometry().size() != size()) {
        m_framePending = false;
        applyPlace();
    }
    return handled;
}

void TDeviceDlg::applyPlace()
{
    const int X = m_requestedPlace.x();
    const int Y = m_requestedPlace.y();
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize outer = frameGeometry().size();
    int left = X;
    int top = Y;
    if (screen) {
        const QRect area = screen->geometry();
        if (qint64(area.x()) + area.width() < qint64(X) + outer.width())
            left = area.x() + area.width() - outer.width();
        if (qint64(area.y()) + area.height() < qint64(Y) + outer.height())
            top = area.y() + area.height() - outer.height();
    }
    move(left, top);
}

void TDeviceDlg::setRange(double min, double max)
{
    int low = positionOf(min);
    int high = positionOf(max);
    if (low > high)
        std::swap(low, high);
    // Both bounds take effect together, whatever range the last device left; the slider's own
    // clamping notifies nothing here, the value is set right after.
    const QSignalBlocker blocker(tbTrack);
    tbTrack->setRange(low, high);
    UpDown->setRange(low, high);
}

qint64 TDeviceDlg::boundsSum() const
{
    return qint64(tbTrack->minimum()) + tbTrack->maximum();
}

bool TDeviceDlg::UpDownChangingEx(int NewPosition, TUpDown::Direction)
{
    tbTrack->setValue(clampToInt(boundsSum() - NewPosition));
    return true;
}

void TDeviceDlg::tbTrackChange()
{
    // While the positions follow typed text, the text stays as the student typed it.
    if (m_followingText)
        return;
    Value = double(boundsSum() - tbTrack->value()) / 10;
    const QString text = kelvo::formatGeneral(Value);
    if (edValue->text() != text)
        edValue->setText(text);
    UpDown->setPosition(positionOf(Value));
}

void TDeviceDlg::edValueChange()
{
    // Text on its way to a number ("2,", "-", "1e") or no number at all leaves everything as it
    // was: "OK" answers for it.
    const std::optional<double> number = kelvo::parseTypedDecimal(edValue->text());
    if (!number)
        return;
    Value = *number;
    m_followingText = true;
    UpDown->setPosition(positionOf(Value));
    tbTrack->setValue(clampToInt(boundsSum() - UpDown->Position()));
    m_followingText = false;
}

void TDeviceDlg::BitBtn1Click()
{
    const std::optional<double> number = kelvo::parseTypedDecimal(edValue->text());
    if (!number) {
        showInputError();
        return;
    }
    Value = *number;
    // Written so that a value that is not a number counts as outside.
    if (!(Value >= Min && Value <= Max)) {
        showInputError();
        return;
    }
    accept();
}

void TDeviceDlg::showInputError()
{
    setResult(0);
    QMessageBox box(QMessageBox::Critical, Texts::AttentionCaption, Texts::NumberInputError, QMessageBox::Ok, this);
    box.exec();
    edValue->setFocus(Qt::OtherFocusReason);
}

void TDeviceDlg::FormKeyPress(QChar &Key)
{
    if (Key == QChar(13)) {
        Key = QChar(0);
        BitBtn1Click();
    }
}

bool TDeviceDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            QChar character(13);
            FormKeyPress(character);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            BitBtn2->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
