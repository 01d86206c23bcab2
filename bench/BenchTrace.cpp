#include "BenchTrace.h"

#include "BenchSupport.h"
#include "HtmlViewer.h"
#include "InfoChapter.h"
#include "MainForm.h"
#include "MyBitBtn.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QStackedWidget>
#include <QTimer>

#include <ctime>
#include <vector>

namespace kelvo {

namespace {

constexpr int WatchdogMs = 30'000;
// From a document's button to the menu: the report written on the way may take many seconds.
constexpr int ReadWatchdogMs = 180'000;

// The driver's key presses, as the keyboard sends them to the widget that has the focus.
void pressKey(QWidget *target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(target, &release);
}

class BenchTrace final : public QObject
{
public:
    BenchTrace(TMainForm &form, const QString &path, int cycles, int pauseMs, int reads)
        : QObject(&form)
        , m_form(form)
        , m_file(path)
        , m_cycles(cycles)
        , m_pauseMs(pauseMs)
        , m_reads(reads)
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
        // What the press of a document's button must lead to; the menu alone is not enough.
        connect(&form, &TMainForm::chapterCompleted, this, [this](int index) {
            if (m_reads == 0)
                return;
            m_completed = true;
            write("completed " + QByteArray::number(index));
        });
        // Nothing more is awaited once the program is ending and its pages go.
        connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { m_waiting = Waiting::Nothing; });
        m_watchdog.setSingleShot(true);
        m_watchdog.setInterval(WatchdogMs);
        connect(&m_watchdog, &QTimer::timeout, this, [this] {
            write("timeout " + QByteArray::number(currentChapter()));
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
            m_order = chaptersToOpen();
            openChapter();
            return;
        }
        if (m_reads > 0 && m_step < m_order.size() && !m_completed) {
            // Back at the menu, but not by the document's button.
            write("missed " + QByteArray::number(currentChapter()));
            QCoreApplication::exit(2);
            return;
        }
        ++m_step;
        if (m_step < m_order.size()) {
            openChapter();
            return;
        }
        write("cycle " + QByteArray::number(m_cycle + 1));
        if (++m_cycle == m_cycles) {
            finish();
            return;
        }
        m_step = 0;
        m_waiting = Waiting::Nothing;
        QTimer::singleShot(m_pauseMs, this, [this] { openChapter(); });
    }

    // Every chapter; when reading, the first m_reads documents (information chapters) only.
    std::vector<int> chaptersToOpen() const
    {
        std::vector<int> order;
        const TChapterList &chapters = m_form.LabWork()->Chapters();
        for (int i = 0; i < chapters.Count(); ++i) {
            if (m_reads == 0 || dynamic_cast<const TInfoChapter *>(chapters.Items(i)))
                order.push_back(i);
            if (m_reads > 0 && int(order.size()) == m_reads)
                break;
        }
        return order;
    }

    int currentChapter() const { return m_step < m_order.size() ? m_order[m_step] : -1; }

    void openChapter()
    {
        if (m_step >= m_order.size()) {
            // Nothing to open: a cycle is the menu alone.
            m_waiting = Waiting::Menu;
            m_form.ShowMenu();
            m_form.tsMenu->update();
            return;
        }
        m_waiting = Waiting::Page;
        m_documentLoaded = false;
        m_watchdog.start(WatchdogMs);
        write("open " + QByteArray::number(currentChapter()));
        m_form.MenuButtons.at(size_t(currentChapter()))->click();
    }

    void pagePainted()
    {
        m_watchdog.stop();
        write("page painted " + QByteArray::number(currentChapter()));
        m_waiting = Waiting::Menu;
        if (m_reads == 0) {
            m_form.btStopClick();
            return;
        }
        m_watchdog.start(ReadWatchdogMs);
        m_completed = false;
        write("read " + QByteArray::number(currentChapter()));
        pressDocumentButton();
    }

    // As a student without a mouse does: Shift+Tab from the document takes its last control, the
    // button the program puts at its end, and Enter presses it. The press then goes the way of a
    // click: the page's form is submitted, the form bridge reports it over the web channel, and
    // the window completes the chapter.
    void pressDocumentButton()
    {
        QWidget *target = m_form.Viewer;
        while (target->focusProxy())
            target = target->focusProxy();
        target->setFocus(Qt::OtherFocusReason);
        pressKey(target, Qt::Key_Backtab, Qt::ShiftModifier);
        pressKey(target, Qt::Key_Return);
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
    const int m_reads; // 0: open every chapter and leave by the menu button
    Waiting m_waiting = Waiting::Menu;
    bool m_paintPosted = false;
    bool m_driving = false;
    bool m_menuPaintedBefore = false;
    bool m_documentLoaded = false;
    bool m_completed = false; // since the last "read", the window has completed the chapter
    int m_cycle = 0;
    std::vector<int> m_order; // the chapters a cycle opens
    size_t m_step = 0;
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
    new BenchTrace(form, path, ok ? qMax(cycles, 0) : -1, qMax(pause, 0),
        qMax(qEnvironmentVariableIntValue("KELVO_BENCH_READ"), 0));
}

} // namespace kelvo
