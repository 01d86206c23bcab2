#include "BenchTrace.h"

#include "BenchSupport.h"
#include "HtmlViewer.h"
#include "MainForm.h"
#include "MyBitBtn.h"

#include <QApplication>
#include <QFile>
#include <QStackedWidget>
#include <QTimer>

#include <ctime>

namespace kelvo {

namespace {

constexpr int WatchdogMs = 30'000;

class BenchTrace final : public QObject
{
public:
    BenchTrace(TMainForm &form, const QString &path, int cycles, int pauseMs)
        : QObject(&form)
        , m_form(form)
        , m_file(path)
        , m_cycles(cycles)
        , m_pauseMs(pauseMs)
    {
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append))
            qWarning("KELVO_BENCH_TRACE: cannot write %s", qPrintable(path));
        qApp->installEventFilter(this);
        connect(form.Viewer, &THtmlViewer::loadFinished, this, [this] {
            if (m_waiting != Waiting::Page)
                return;
            m_documentLoaded = true;
            // Whatever the engine has drawn by now reaches the screen with this paint.
            m_form.Viewer->update();
        });
        // Nothing more is awaited once the program is ending and its pages go.
        connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { m_waiting = Waiting::Nothing; });
        m_watchdog.setSingleShot(true);
        m_watchdog.setInterval(WatchdogMs);
        connect(&m_watchdog, &QTimer::timeout, this, [this] {
            write("timeout " + QByteArray::number(m_chapter));
            QCoreApplication::exit(2);
        });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_paintPosted && isAwaitedPaint(watched)) {
            // Handled once the window has been flushed to the screen, and before anything queued
            // meanwhile (the web engine's warm-up among them): a posted event of high priority.
            m_paintPosted = true;
            QCoreApplication::postEvent(this, new QEvent(paintedEventType()), Qt::HighEventPriority);
        }
        return false;
    }

    void customEvent(QEvent *event) override
    {
        if (event->type() != paintedEventType())
            return;
        m_paintPosted = false;
        if (m_waiting == Waiting::Menu)
            menuPainted();
        else if (m_waiting == Waiting::Page)
            pagePainted();
    }

private:
    enum class Waiting { Nothing, Menu, Page };

    static QEvent::Type paintedEventType()
    {
        static const auto type = QEvent::Type(QEvent::registerEventType());
        return type;
    }

    static bool within(const QWidget *outer, QObject *watched)
    {
        const auto *widget = qobject_cast<QWidget *>(watched);
        return widget && (widget == outer || outer->isAncestorOf(widget));
    }

    bool isAwaitedPaint(QObject *watched) const
    {
        if (m_waiting == Waiting::Menu)
            return within(m_form.tsMenu, watched);
        if (m_waiting != Waiting::Page)
            return false;
        if (m_form.Pages->currentWidget() == m_form.tsLab)
            return within(m_form.tsLab, watched);
        return m_documentLoaded && within(m_form.Viewer, watched);
    }

    void write(const QByteArray &event)
    {
        m_file.write(QByteArray::number(bench::nowMicroseconds()) + ' ' + event + '\n');
        m_file.flush();
    }

    void menuPainted()
    {
        write("menu painted");
        if (!m_menuPaintedBefore) {
            m_menuPaintedBefore = true;
            // The processor time of start-up, which a busy machine does not stretch as it does the wall time.
            write("cpu " + QByteArray::number(qint64(double(std::clock()) * 1e6 / CLOCKS_PER_SEC)));
        }
        if (m_cycles < 0) {
            m_waiting = Waiting::Nothing;
            return;
        }
        if (!m_driving) {
            m_driving = true;
            if (m_cycles == 0) {
                finish();
                return;
            }
            for (int i = 0; i < m_form.LabWork()->Chapters().Count(); ++i)
                m_form.LabWork()->Chapters().Items(i)->Passed = true;
            openChapter();
            return;
        }
        ++m_chapter;
        if (m_chapter < m_form.LabWork()->Chapters().Count()) {
            openChapter();
            return;
        }
        write("cycle " + QByteArray::number(m_cycle + 1));
        if (++m_cycle == m_cycles) {
            finish();
            return;
        }
        m_chapter = 0;
        m_waiting = Waiting::Nothing;
        QTimer::singleShot(m_pauseMs, this, [this] { openChapter(); });
    }

    void openChapter()
    {
        if (m_chapter >= m_form.LabWork()->Chapters().Count()) {
            // No chapters: a cycle is the menu alone.
            m_waiting = Waiting::Menu;
            m_form.ShowMenu();
            m_form.tsMenu->update();
            return;
        }
        m_waiting = Waiting::Page;
        m_documentLoaded = false;
        m_watchdog.start();
        write("open " + QByteArray::number(m_chapter));
        m_form.MenuButtons.at(size_t(m_chapter))->click();
    }

    void pagePainted()
    {
        m_watchdog.stop();
        write("page painted " + QByteArray::number(m_chapter));
        m_waiting = Waiting::Menu;
        m_form.btStopClick();
    }

    void finish()
    {
        m_waiting = Waiting::Nothing;
        write("done");
        if (m_cycles == 0)
            m_form.close();
        else
            QTimer::singleShot(m_pauseMs, &m_form, [this] { m_form.close(); });
    }

    TMainForm &m_form;
    QFile m_file;
    const int m_cycles; // -1: only trace, never drive or close
    const int m_pauseMs;
    Waiting m_waiting = Waiting::Menu;
    bool m_paintPosted = false;
    bool m_driving = false;
    bool m_menuPaintedBefore = false;
    bool m_documentLoaded = false;
    int m_cycle = 0;
    int m_chapter = 0;
    QTimer m_watchdog;
};

} // namespace

void installBenchTrace(TMainForm &form)
{
    const QString path = qEnvironmentVariable("KELVO_BENCH_TRACE");
    if (path.isEmpty())
        return;
    bool ok = false;
    const int cycles = qEnvironmentVariableIntValue("KELVO_BENCH_CYCLES", &ok);
    const int pause = qEnvironmentVariableIsSet("KELVO_BENCH_PAUSE_MS")
        ? qEnvironmentVariableIntValue("KELVO_BENCH_PAUSE_MS")
        : 300;
    new BenchTrace(form, path, ok ? qMax(cycles, 0) : -1, qMax(pause, 0));
}

} // namespace kelvo
