#pragma once

#include <QWidget>

#include <functional>

class QToolButton;

// A stand-alone up-down control: two arrows that step a whole-number position by one within its
// bounds, without wrapping. Before it takes a new position, whether from an arrow or from the
// program, it asks its changing handler, which may refuse; setting the position it already has
// asks nothing.
class TUpDown final : public QWidget
{
    Q_OBJECT

public:
    enum class Direction { None, Up, Down };
    // Returns whether the up-down may take `newPosition`.
    using ChangingHandler = std::function<bool(int newPosition, Direction direction)>;

    explicit TUpDown(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TUpDown)

    int Position() const { return m_position; }
    int Min() const { return m_min; }
    int Max() const { return m_max; }

    // Both bounds at once (swapped when given the wrong way round); the position is clamped
    // into them without asking the handler.
    void setRange(int min, int max);
    // Asks the handler, then takes the position clamped into the bounds.
    void setPosition(int position);
    // What one click on an arrow does: one step up or down, nothing at a bound.
    void stepUp();
    void stepDown();

    void setChangingHandler(ChangingHandler handler) { m_changing = std::move(handler); }

    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void change(int position, Direction direction);

    QToolButton *m_up = nullptr;
    QToolButton *m_down = nullptr;
    int m_position = 0;
    int m_min = 0;
    int m_max = 100;
    ChangingHandler m_changing;
};
