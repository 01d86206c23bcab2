// The laboratory page from the keyboard: the Tab key reaches the variant buttons, then the
// devices a student can set and the hint areas in the schema's order, then the two action
// buttons; focus on a device shows what the pointer over it shows.
#include "LabPage.h"

#include "BitButton.h"
#include "DeviceControls.h"
#include "VariantButton.h"

void TLabPage::connectDeviceKeys(QWidget *control, bool settable)
{
    if (auto *label = qobject_cast<TDevLabel *>(control)) {
        // A fixed value only beeps when clicked: nothing there for the keyboard. A click leaves
        // the focus where it was, so the pointer finds the label as it always did.
        label->setFocusPolicy(settable ? Qt::TabFocus : Qt::NoFocus);
        connect(
            label, &TDevLabel::activated, this, [this, label] { guarded([this, label] { DeviceKeyPress(label); }); });
    } else if (auto *shape = qobject_cast<TDevShape *>(control)) {
        // An area without a description has nothing to show. Only the Tab key gives an area the
        // focus: the pointer passing over it leaves the focus where it was.
        shape->setFocusPolicy(settable ? Qt::TabFocus : Qt::NoFocus);
        connect(shape, &TDevShape::focusChanged, this,
            [this](TDevShape *sender, bool focused) { guarded([&] { shapeFocusChanged(sender, focused); }); });
    } else if (auto *edit = qobject_cast<TDevEdit *>(control)) {
        connect(edit, &TDevEdit::focusChanged, this,
            [this](TDevEdit *sender, bool focused) { guarded([&] { measurementFocusChanged(sender, focused); }); });
    }
}

void TLabPage::orderTabStops()
{
    std::vector<QWidget *> order(VariantButtons.cbegin(), VariantButtons.cend());
    for (QWidget *control : DeviceControls) {
        if (control && (control->focusPolicy() & Qt::TabFocus))
            order.push_back(control);
    }
    order.push_back(btInfo);
    order.push_back(btStop);
    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void TLabPage::DeviceKeyPress(TDevLabel *Sender)
{
    // The dialog opens by the label, where the student looks, not where the pointer was left.
    setDeviceValue(Sender, Sender->mapToGlobal(QPoint(0, Sender->height())));
}

void TLabPage::shapeFocusChanged(TDevShape *shape, bool focused)
{
    if (focused) {
        DeviceMove(shape, Qt::NoModifier, QPoint());
    } else if (CurrentShape == shape) {
        // As the pointer leaving for the bare picture does.
        imgSchemaMouseMove(Qt::NoModifier, QPoint());
    }
}

void TLabPage::measurementFocusChanged(TDevEdit *edit, bool focused)
{
    if (focused)
        MeasurementMove(edit);
    else if (CurrentFailure == edit)
        HideDescription();
}
