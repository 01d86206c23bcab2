// The floor of start-up for any Qt Widgets program: a window that shows one label, sized as the
// program's main window is (the screen's free area). Writes "menu painted" to KELVO_BENCH_TRACE
// once the label has been painted and put on screen, by the same means as the program, then
// "cpu <microseconds>", the processor time spent until then, and exits.

#include "BenchSupport.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>

#include <ctime>

namespace {

class FirstPaint final : public QObject
{
public:
    explicit FirstPaint(QLabel &label)
        : m_label(label)
    {
        label.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_posted) {
            // Handled after the window has been flushed to the screen.
            m_posted = true;
            QCoreApplication::postEvent(this, new QEvent(QEvent::User), Qt::HighEventPriority);
        }
        return false;
    }
    void customEvent(QEvent *) override
    {
        bench::TraceFile trace;
        trace.write("menu painted");
        trace.write("cpu " + QByteArray::number(qint64(double(std::clock()) * 1e6 / CLOCKS_PER_SEC)));
        m_label.close();
    }

private:
    QLabel &m_label;
    bool m_posted = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QLabel label(QStringLiteral("Kelvo"));
    label.setAlignment(Qt::AlignCenter);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        label.setGeometry(screen->availableGeometry());
    label.setWindowState(Qt::WindowMaximized);
    FirstPaint firstPaint(label);
    label.show();
    return QApplication::exec();
}
