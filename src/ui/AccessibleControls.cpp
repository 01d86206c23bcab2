#include "AccessibleControls.h"

#include "DeviceControls.h"
#include "HtmlPage.h"
#include "LabWorkKeys.h"
#include "SchemaDevice.h"
#include "SchemaImage.h"
#include "VariantButton.h"

#include <QAccessibleWidget>
#include <QSet>

namespace kelvo {

namespace {

class VariantButtonAccessible final : public QAccessibleWidget
{
public:
    explicit VariantButtonAccessible(TVariantButton *button)
        : QAccessibleWidget(button, QAccessible::Button)
    {
        addControllingSignal(QStringLiteral("clicked(bool)"));
    }

    QString text(QAccessible::Text kind) const override
    {
        const QString own = QAccessibleWidget::text(kind);
        if (kind != QAccessible::Name || !own.isEmpty())
            return own;
        return button()->text().replace(QStringLiteral("&&"), QStringLiteral("&"));
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = button()->Current;
        return state;
    }

    QStringList actionNames() const override { return { pressAction() }; }

    void doAction(const QString &action) override
    {
        // Later, as Qt's own buttons do: the press may open a modal dialog, and the screen reader
        // waits for this call's answer.
        if (action == pressAction() && button()->isEnabled())
            button()->animateClick();
    }

private:
    TVariantButton *button() const { return static_cast<TVariantButton *>(widget()); }
};

// A device's value on the bench: a button when a click sets it, text otherwise.
class DevLabelAccessible final : public QAccessibleWidget
{
public:
    explicit DevLabelAccessible(TDevLabel *label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    {
    }

    QAccessible::Role role() const override
    {
        return label()->Adjustable ? QAccessible::Button : QAccessible::StaticText;
    }

    QString text(QAccessible::Text kind) const override
    {
        const QString own = QAccessibleWidget::text(kind);
        return kind == QAccessible::Name && own.isEmpty() ? label()->text() : own;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = !label()->Adjustable;
        return state;
    }

    QStringList actionNames() const override
    {
        return label()->Adjustable ? QStringList { pressAction() } : QStringList();
    }

    void doAction(const QString &action) override
    {
        // Queued, for the value dialog is modal and the screen reader waits for this call's answer.
        if (action == pressAction() && label()->Adjustable && label()->isEnabled())
            QMetaObject::invokeMethod(label(), &TDevLabel::clicked, Qt::QueuedConnection);
    }

private:
    TDevLabel *label() const { return static_cast<TDevLabel *>(widget()); }
};

// A panel that reports clicks: a button named by its text.
class ClickableAccessible final : public QAccessibleWidget
{
public:
    explicit ClickableAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        const QString own = QAccessibleWidget::text(kind);
        return kind == QAccessible::Name && own.isEmpty() ? widget()->property("text").toString() : own;
    }

    QStringList actionNames() const override { return { pressAction() }; }

    void doAction(const QString &action) override
    {
        // Queued: what the click opens may be modal, and the screen reader waits for this call's answer.
        if (action == pressAction() && widget()->isEnabled())
            QMetaObject::invokeMethod(widget(), "clicked", Qt::QueuedConnection);
    }
};

// The HTML page covered by another page is on screen for the web engine's sake only: for a screen
// reader it is hidden, with nothing inside.
class HtmlPageAccessible final : public QAccessibleWidget
{
public:
    explicit HtmlPageAccessible(THtmlPage *page)
        : QAccessibleWidget(page)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        if (page()->isCovered())
            state.invisible = true;
        return state;
    }

    int childCount() const override { return page()->isCovered() ? 0 : QAccessibleWidget::childCount(); }

    QAccessibleInterface *child(int index) const override
    {
        return page()->isCovered() ? nullptr : QAccessibleWidget::child(index);
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        return page()->isCovered() ? nullptr : QAccessibleWidget::childAt(x, y);
    }

    QAccessibleInterface *focusChild() const override
    {
        return page()->isCovered() ? nullptr : QAccessibleWidget::focusChild();
    }

private:
    THtmlPage *page() const { return static_cast<THtmlPage *>(widget()); }
};

QSet<QString> &buttonClasses()
{
    static QSet<QString> classes;
    return classes;
}

QAccessibleInterface *controlFactory(const QString &className, QObject *object)
{
    if (buttonClasses().contains(className) && object->isWidgetType())
        return new ClickableAccessible(static_cast<QWidget *>(object));
    if (className == QLatin1String(TVariantButton::staticMetaObject.className()))
        return new VariantButtonAccessible(static_cast<TVariantButton *>(object));
    if (className == QLatin1String(TDevLabel::staticMetaObject.className()))
        return new DevLabelAccessible(static_cast<TDevLabel *>(object));
    if (className == QLatin1String(THtmlPage::staticMetaObject.className()))
        return new HtmlPageAccessible(static_cast<THtmlPage *>(object));
    if (className == QLatin1String(TSchemaImage::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Graphic);
    return nullptr;
}

} // namespace

void installAccessibleControls()
{
    static const bool installed = [] {
        QAccessible::installFactory(controlFactory);
        return true;
    }();
    Q_UNUSED(installed)
}

QString spokenTitle(const TSchemaDevice &device)
{
    // A missing key reads as the stand-in text, which names nothing.
    const QString title = device.Title.trimmed();
    return title.isEmpty() || title == keys::device::Title.fallback ? device.SectionName : title;
}

void tellAsButton(const QMetaObject &widgetClass)
{
    installAccessibleControls();
    buttonClasses().insert(QString::fromLatin1(widgetClass.className()));
}

} // namespace kelvo
