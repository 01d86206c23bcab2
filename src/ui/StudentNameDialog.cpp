#include "StudentNameDialog.h"

#include "Localization.h"
#include "WidgetLook.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvo {

namespace {

// Long enough for any name or group, short enough for a file name part and a report's row.
constexpr int MaxLength = 100;

QLineEdit *field(QWidget *parent, const QString &objectName, const QString &accessibleName, const QString &description)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setMaxLength(MaxLength);
    edit->setAccessibleName(accessibleName);
    edit->setAccessibleDescription(description);
    edit->setToolTip(description);
    return edit;
}

} // namespace

StudentNameDialog::StudentNameDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("StudentNameDialog"));
    setWindowTitle(Texts::StudentDialogCaption);
    setModal(true);
    setFont(pixelFont(QStringLiteral("Tahoma"), 13));
    setAccessibleName(Texts::StudentDialogCaption);
    setAccessibleDescription(Texts::StudentDialogIntro);

    m_introLabel = new QLabel(Texts::StudentDialogIntro, this);
    m_introLabel->setObjectName(QStringLiteral("introLabel"));
    m_introLabel->setTextFormat(Qt::PlainText);
    m_introLabel->setWordWrap(true);

    m_nameEdit
        = field(this, QStringLiteral("nameEdit"), Texts::StudentNameAccessibleName, Texts::StudentNameDescription);
    m_groupEdit
        = field(this, QStringLiteral("groupEdit"), Texts::StudentGroupAccessibleName, Texts::StudentGroupDescription);
    m_nameEdit->setMinimumWidth(280);
    auto *nameLabel = new QLabel(Texts::StudentNameLabel, this);
    nameLabel->setBuddy(m_nameEdit);
    auto *groupLabel = new QLabel(Texts::StudentGroupLabel, this);
    groupLabel->setBuddy(m_groupEdit);

    m_buttons = new QDialogButtonBox(this);
    m_okButton = m_buttons->addButton(Texts::OkButton, QDialogButtonBox::AcceptRole);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setDefault(true);
    m_cancelButton = m_buttons->addButton(Texts::CancelButton, QDialogButtonBox::RejectRole);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &StudentNameDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *fields = new QFormLayout;
    fields->addRow(nameLabel, m_nameEdit);
    fields->addRow(groupLabel, m_groupEdit);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_introLabel);
    layout->addLayout(fields);
    layout->addWidget(m_buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_nameEdit, m_groupEdit);
    setTabOrder(m_groupEdit, m_okButton);
    setTabOrder(m_okButton, m_cancelButton);

    m_nameEdit->setFocus(Qt::OtherFocusReason);
}

void StudentNameDialog::setName(const QString &name)
{
    m_nameEdit->setText(name.trimmed());
    // The first blank field takes the keyboard; a prefilled name is selected, to be typed over.
    m_nameEdit->selectAll();
    (m_nameEdit->text().isEmpty() ? m_nameEdit : m_groupEdit)->setFocus(Qt::OtherFocusReason);
}

void StudentNameDialog::setGroup(const QString &group)
{
    m_groupEdit->setText(group.trimmed());
}

QString StudentNameDialog::name() const
{
    return m_nameEdit->text().trimmed();
}

QString StudentNameDialog::group() const
{
    return m_groupEdit->text().trimmed();
}

bool StudentNameDialog::complete() const
{
    return !name().isEmpty() && !group().isEmpty();
}

void StudentNameDialog::accept()
{
    if (!complete()) {
        // The keyboard goes where something is missing, and a screen reader names that field.
        (name().isEmpty() ? m_nameEdit : m_groupEdit)->setFocus(Qt::OtherFocusReason);
        return;
    }
    QDialog::accept();
}

} // namespace kelvo
