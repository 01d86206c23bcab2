#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QWidget>

// The controls that stand for an experiment's devices on the schema picture. The laboratory page
// creates them, stores the device's index in Tag, and sets place, size, texts and handlers.

// A passive device's value: transparent over the picture, clickable, red under the pointer. One
// that the student may set takes the keyboard too: red and framed while it has it, Enter and
// Space act as a click.
class TDevLabel final : public QLabel
{
    Q_OBJECT

public:
    explicit TDevLabel(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TDevLabel)

    // Tahoma 10 points bold, black, transparent, hand-point cursor.
    void ApplyProperties();
    // Sets the caption; the label's size follows it.
    void setCaption(const QString &caption);

    int Tag = 0;
    bool Adjustable = false; // a click opens the value dialog; told to a screen reader as a button

Q_SIGNALS:
    void clicked();
    // Enter or Space while the label has the keyboard.
    void activated();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void setTextColour(const QColor &colour);

    bool m_pressed = false;
};

// A measurement device's value: a flat, read-only edit that the Tab key passes by.
class TDevEdit final : public QLineEdit
{
    Q_OBJECT

public:
    explicit TDevEdit(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TDevEdit)

    // "Fixedsys" 10 points, read-only, not a tab stop, a single-line border, its natural height.
    void ApplyProperties();

    int Tag = 0;
    // Why the device shows no value, for the description strip; empty while it shows one.
    QString Failure;

Q_SIGNALS:
    void mouseMoved(TDevEdit *edit);
    // The edit took the keyboard (a click) or lost it.
    void focusChanged(TDevEdit *edit, bool focused);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

// An area device: an invisible rectangle that receives the pointer's movement over all of it and
// draws a 3-pixel black outline just inside its bounds while shown. The Tab key reaches it: its
// description then shows as under the pointer, and a dotted frame marks it.
class TDevShape final : public QWidget
{
    Q_OBJECT

public:
    explicit TDevShape(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TDevShape)

    // The outline starts hidden; the control is made visible.
    void ApplyProperties();
    void HideIt();
    void ShowIt();
    bool outlineShown() const { return m_outlineShown; }

    int Tag = 0;
    QString Hint; // the area's description ("upper|lower")

Q_SIGNALS:
    void mouseMoved(TDevShape *shape, Qt::KeyboardModifiers modifiers, QPoint position);
    // The area took the keyboard or lost it.
    void focusChanged(TDevShape *shape, bool focused);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool m_outlineShown = false;
};
