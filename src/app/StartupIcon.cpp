#include "StartupIcon.h"

#include "Glyphs.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace kelvo {

namespace {

QEvent::Type paintedEventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

} // namespace

StartupIcon::StartupIcon(QObject *parent)
    : QObject(parent)
{
    qApp->installEventFilter(this);
}

void StartupIcon::followMainWindow(QWidget &window)
{
    m_main = &window;
}

bool StartupIcon::eventFilter(QObject *watched, QEvent *event)
{
    if (m_applied || !watched->isWidgetType())
        return false;
    const auto *widget = static_cast<const QWidget *>(watched);
    if (event->type() == QEvent::Show && widget->isWindow() && widget != m_main) {
        apply();
    } else if (event->type() == QEvent::Paint && !m_paintSeen && m_main && m_main->isAncestorOf(widget)) {
        // Handled once the picture is on the screen, before the work queued for after it.
        m_paintSeen = true;
        QCoreApplication::postEvent(this, new QEvent(paintedEventType()), Qt::HighEventPriority);
    }
    return false;
}

void StartupIcon::customEvent(QEvent *event)
{
    if (event->type() == paintedEventType())
        apply();
}

void StartupIcon::apply()
{
    if (m_applied)
        return;
    m_applied = true;
    qApp->removeEventFilter(this);
    QApplication::setWindowIcon(programIcon());
}

} // namespace kelvo
