// The floor of opening a chapter: the very documents that the program shows, loaded straight into
// a QWebEngineView (the same engine with its defaults, from file: URLs beside the lab work's
// files) one after another, in a window of the program's size with the view where the program's
// HTML page has it. Writes to KELVO_BENCH_TRACE what the program's benchmark build writes when it
// drives itself (kelvo_bench_app, BenchTrace.h), measured the same way: "open <i>" as document i
// is asked for, "page painted <i>" at the first paint after it finished loading, "cycle <k>" after
// each round, "done".
//
// Usage: kelvo_bench_page_floor CYCLES PAUSE_MS FILE...

#include "BenchSupport.h"

#include <QApplication>
#include <QFrame>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <cstdio>

#include <unistd.h>

namespace {

// The heights of the bars above and below the program's document view.
constexpr int TitleBarHeight = 49;
constexpr int HintBarHeight = 51;

class PageFloor final : public QObject
{
public:
    PageFloor(const QStringList &files, int cycles, int pauseMs)
        : m_files(files)
        , m_cycles(cycles)
        , m_pauseMs(pauseMs)
    {
        auto *layout = new QVBoxLayout(&m_window);
        layout->setContentsMargins(0, TitleBarHeight, 0, HintBarHeight);
        m_frame = new QFrame;
        m_frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        layout->addWidget(m_frame);
        auto *frameLayout = new QVBoxLayout(m_frame);
        frameLayout->setContentsMargins(0, 0, 0, 0);
        m_view = new QWebEngineView;
        frameLayout->addWidget(m_view);
        m_view->settings()->setDefaultTextEncoding(QStringLiteral("windows-1251"));
        connect(m_view, &QWebEngineView::loadFinished, this, [this] {
            if (!m_measuring) {
                // The engine has started: the same state as the program's after its warm-up.
                QTimer::singleShot(m_pauseMs, this, [this] { loadNext(); });
                return;
            }
            m_loaded = true;
            m_frame->update();
        });
        qApp->installEventFilter(this);

        if (const QScreen *screen = QGuiApplication::primaryScreen())
            m_window.setGeometry(screen->availableGeometry());
        m_window.setWindowState(Qt::WindowMaximized);
        m_window.show();
        m_view->setUrl(QUrl(QStringLiteral("about:blank")));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::Paint && m_loaded && !m_posted && widget
            && (widget == m_frame || m_frame->isAncestorOf(widget))) {
            m_posted = true;
            QCoreApplication::postEvent(this, new QEvent(QEvent::User), Qt::HighEventPriority);
        }
        return false;
    }

    void customEvent(QEvent *) override
    {
        m_posted = false;
        m_loaded = false;
        m_trace.write("page painted " + QByteArray::number(m_file));
        if (++m_file < m_files.size()) {
            QTimer::singleShot(0, this, [this] { loadNext(); });
            return;
        }
        m_file = 0;
        m_trace.write("cycle " + QByteArray::number(++m_cycle));
        if (m_cycle < m_cycles) {
            QTimer::singleShot(m_pauseMs, this, [this] { loadNext(); });
            return;
        }
        m_trace.write("done");
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }

private:
    void loadNext()
    {
        m_measuring = true;
        m_trace.write("open " + QByteArray::number(m_file));
        m_view->load(QUrl::fromLocalFile(m_files.at(m_file)));
    }

    const QStringList m_files;
    const int m_cycles;
    const int m_pauseMs;
    QWidget m_window;
    QFrame *m_frame = nullptr;
    QWebEngineView *m_view = nullptr;
    bench::TraceFile m_trace;
    bool m_measuring = false;
    bool m_loaded = false;
    bool m_posted = false;
    int m_file = 0;
    int m_cycle = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    // The engine as the program starts it.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: kelvo_bench_page_floor CYCLES PAUSE_MS FILE...\n");
        return 2;
    }
    PageFloor floor(arguments.mid(3), qMax(1, arguments.at(1).toInt()), qMax(0, arguments.at(2).toInt()));
    return QApplication::exec();
}
