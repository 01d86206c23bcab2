#pragma once

#include <QDialog>
#include <QString>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvo {

// Asks who does the lab work: a name and a group (class), both needed for the report. "OK" (or
// Enter) accepts only when neither is blank, else the keyboard goes to the blank field; "Отмена",
// Esc and the close box cancel. Each field
// has its label as buddy (Alt and the underlined letter), an accessible name and a description,
// and Tab goes name, group, OK, Cancel.
class StudentNameDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit StudentNameDialog(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(StudentNameDialog)

    // What the fields show at first (the account's full name, a group a launcher gave).
    void setName(const QString &name);
    void setGroup(const QString &group);
    // What the student typed, trimmed.
    QString name() const;
    QString group() const;

    // Refused while the name or the group is blank.
    void accept() override;

    QLineEdit *nameEdit() const { return m_nameEdit; }
    QLineEdit *groupEdit() const { return m_groupEdit; }
    QPushButton *okButton() const { return m_okButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }

private:
    bool complete() const;

    QLabel *m_introLabel = nullptr;
    QLineEdit *m_nameEdit = nullptr;
    QLineEdit *m_groupEdit = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
    QPushButton *m_okButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};

} // namespace kelvo
