#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace kelvo {

// Gives the application the program's icon once the main window has painted its first picture:
// drawn at seven sizes and sent with the window, the icon would make the menu wait, and the
// window manager shows it a moment later all the same. A window shown before then (a message at
// start-up) gets the icon as it is shown.
class StartupIcon final : public QObject
{
    Q_OBJECT

public:
    explicit StartupIcon(QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(StartupIcon)

    // The window whose first paint brings the icon.
    void followMainWindow(QWidget &window);
    bool applied() const { return m_applied; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void customEvent(QEvent *event) override;

private:
    void apply();

    QPointer<QWidget> m_main;
    bool m_paintSeen = false;
    bool m_applied = false;
};

} // namespace kelvo
