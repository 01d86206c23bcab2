#include "LabPage.h"

#include "AccessibleControls.h"
#include "DeviceControls.h"
#include "ExperimentChapter.h"
#include "Localization.h"
#include "SchemaDevice.h"
#include "SchemaImage.h"
#include "TextFormat.h"
#include "VariantButton.h"

#include <QAccessible>

namespace {

// Only what changed, so that a screen reader hears only the changes.
void tell(QWidget *widget, const QString &name, const QString &description)
{
    if (widget->accessibleName() != name)
        widget->setAccessibleName(name);
    if (widget->accessibleDescription() != description)
        widget->setAccessibleDescription(description);
}

} // namespace

// What a screen reader is told of the bench: the picture by the experiment's title, each device
// by its title with the value it shows, each area by its hint. Run whenever values change, so
// that the names follow them.
void TLabPage::describeControls()
{
    if (!m_chapter)
        return;
    tell(imgSchema, m_chapter->SchemaTitle, QString());
    const int count = qMin(m_chapter->Devices.Count(), int(DeviceControls.size()));
    for (int i = 0; i < count; ++i) {
        QWidget *control = DeviceControls[size_t(i)];
        if (!control)
            continue;
        const TSchemaDevice *device = m_chapter->Devices.Device(i);
        const QString title = kelvo::spokenTitle(*device);
        if (auto *label = qobject_cast<TDevLabel *>(control)) {
            const auto *passive = dynamic_cast<const TPassiveDevice *>(device);
            label->Adjustable = passive && passive->Ajustable;
            tell(label, kelvo::format(Texts::DeviceAccessibleName, { title, label->text() }), QString());
        } else if (auto *edit = qobject_cast<TDevEdit *>(control)) {
            // The value is the edit's text, which a screen reader reads after the name.
            tell(edit, title, edit->Failure);
        } else if (auto *shape = qobject_cast<TDevShape *>(control)) {
            // An area is known by its hint, as the description strip shows it: headline and line.
            const qsizetype bar = shape->Hint.indexOf(u'|');
            const QString headline = (bar < 0 ? shape->Hint : shape->Hint.left(bar)).trimmed();
            tell(
                shape, headline.isEmpty() ? title : headline, bar < 0 ? QString() : shape->Hint.mid(bar + 1).trimmed());
        }
    }
}

void TLabPage::markCurrentVariant(TVariantButton *button, bool current)
{
    if (button->Current == current)
        return;
    button->Current = current;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(button, changed);
    QAccessible::updateAccessibility(&event);
}
