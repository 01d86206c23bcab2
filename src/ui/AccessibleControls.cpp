#include "AccessibleControls.h"

#include "SchemaImage.h"
#include "VariantButton.h"

#include <QAccessibleWidget>

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
        if (action == pressAction() && button()->isEnabled())
            button()->click();
    }

private:
    TVariantButton *button() const { return static_cast<TVariantButton *>(widget()); }
};

QAccessibleInterface *controlFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String(TVariantButton::staticMetaObject.className()))
        return new VariantButtonAccessible(static_cast<TVariantButton *>(object));
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

} // namespace kelvo
