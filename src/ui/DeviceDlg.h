#pragma once

#include "UpDown.h"

#include <QDialog>
#include <QPoint>
#include <QString>

class QLabel;
class QLineEdit;
class QSlider;
class TBitButton;
class TPassiveDevice;

// The value dialog of an adjustable passive device: the value as text, as the position of an
// up-down and as the position of a vertical slider, both positions in tenths of the device's unit.
// "OK" accepts a number within the device's Min .. Max; "Нет", Escape and the close box cancel.
//
// What the student types stays as typed: a point or a comma is the decimal separator, a number
// moves the up-down and the slider (held to their ends when it lies outside the range), anything
// else moves nothing, and "OK" refuses what is not a number within the range with the input-error
// message. Only moving the slider or the up-down rewrites the text.
//
// Positions are 32-bit: tenths beyond ±2147483647 (±214748364.7 units) stand at that end of the
// slider and the up-down, while the text and the range check keep the full number. A device whose
// Max is below its Min gets its bounds the right way round on the slider and the up-down; no value
// passes "OK" then, so the dialog can only be cancelled.
class TDeviceDlg final : public QDialog
{
    Q_OBJECT

public:
    explicit TDeviceDlg(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TDeviceDlg)

    void SetInstructions(const QString &Text);

    // Shows the dialog modally at the screen point (X, Y), pulled back from the right and bottom
    // edges of the primary screen so that it fits. True when it was closed with "OK"; Value then
    // holds the accepted number. The device is not changed.
    bool Execute(int X, int Y, const TPassiveDevice &Device);
    // What Execute does before the dialog shows: place, range, value and texts.
    void Prepare(int X, int Y, const TPassiveDevice &Device);

    // The handlers of the controls; each may run the others through the controls it changes.
    void edValueChange();
    bool UpDownChangingEx(int NewPosition, TUpDown::Direction Direction);
    void tbTrackChange();
    void BitBtn1Click();
    // Enter becomes "OK" and is swallowed (Key is set to 0); other keys pass unchanged.
    void FormKeyPress(QChar &Key);

    double Value = 0;
    double Min = 0;
    double Max = 0;

    QLabel *lbInstructions = nullptr;
    QLineEdit *edValue = nullptr;
    TUpDown *UpDown = nullptr;
    QSlider *tbTrack = nullptr;
    TBitButton *BitBtn1 = nullptr;
    TBitButton *BitBtn2 = nullptr;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeAt(int X, int Y);
    void applyPlace();
    void setRange(double min, double max);
    // The sum of the slider's bounds: position p stands for the value (bounds sum − p) / 10.
    qint64 boundsSum() const;
    void showInputError();
    // Names the dialog and its controls after the device, with the allowed range, for a screen reader.
    void describeDevice(const TPassiveDevice &device);

    bool m_followingText = false; // the positions are being moved to the typed number
    QPoint m_requestedPlace; // the screen point Execute was given
    bool m_framePending = false; // placed without knowing the window manager's frame
};
