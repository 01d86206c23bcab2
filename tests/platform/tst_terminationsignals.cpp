#include "TerminationSignals.h"

#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

using namespace kelvo;

namespace {

std::atomic<int> testHandlerCalls { 0 };

extern "C" void countingHandler(int)
{
    ++testHandlerCalls;
}

// A handler of the test's own for the lifetime of the object, the previous one restored after.
class OwnHandler final
{
public:
    explicit OwnHandler(int signalNumber)
        : m_signal(signalNumber)
    {
        struct sigaction action = {};
        action.sa_handler = countingHandler;
        sigemptyset(&action.sa_mask);
        ::sigaction(m_signal, &action, &m_previous);
    }
    ~OwnHandler() { ::sigaction(m_signal, &m_previous, nullptr); }
    Q_DISABLE_COPY_MOVE(OwnHandler)

private:
    int m_signal;
    struct sigaction m_previous = {};
};

} // namespace

class TestTerminationSignals final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signalArrivesOnTheEventLoop_data();
    void signalArrivesOnTheEventLoop();
    void previousHandlerComesBack();
    void oneWatcherAtATime();
    void workWithoutAnEventLoopSeesTheSignal();
};

void TestTerminationSignals::signalArrivesOnTheEventLoop_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGINT (Ctrl+C)") << SIGINT;
    QTest::newRow("SIGTERM (kill)") << SIGTERM;
    QTest::newRow("SIGHUP (terminal closed)") << SIGHUP;
}

void TestTerminationSignals::signalArrivesOnTheEventLoop()
{
    QFETCH(int, signalNumber);
    // Should the watcher fail, the test's own handler keeps the default action from ending the run.
    const OwnHandler fallback(signalNumber);
    testHandlerCalls = 0;
    const TerminationSignals watcher;
    QVERIFY(watcher.isWatching());
    QSignalSpy spy(&watcher, &TerminationSignals::terminationRequested);

    QCOMPARE(::raise(signalNumber), 0);
    QCOMPARE(spy.count(), 0); // not from inside the handler
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), signalNumber);
    QCOMPARE(testHandlerCalls.load(), 0);

    // A second one of the kind takes the default action, so that a hung shutdown can still be ended.
    struct sigaction now = {};
    ::sigaction(signalNumber, nullptr, &now);
    QVERIFY(now.sa_handler == SIG_DFL);
}

void TestTerminationSignals::previousHandlerComesBack()
{
    const OwnHandler own(SIGTERM);
    testHandlerCalls = 0;
    {
        const TerminationSignals watcher;
        QVERIFY(watcher.isWatching());
    }
    QCOMPARE(::raise(SIGTERM), 0);
    QCOMPARE(testHandlerCalls.load(), 1);
}

void TestTerminationSignals::oneWatcherAtATime()
{
    const OwnHandler fallback(SIGINT);
    {
        const TerminationSignals first;
        const TerminationSignals second;
        QVERIFY(first.isWatching());
        QVERIFY(!second.isWatching());
    }
    // When both are gone, a new watcher works again.
    const TerminationSignals watcher;
    QVERIFY(watcher.isWatching());
    QSignalSpy spy(&watcher, &TerminationSignals::terminationRequested);
    QCOMPARE(::raise(SIGINT), 0);
    QVERIFY(spy.wait(5000));
}

void TestTerminationSignals::workWithoutAnEventLoopSeesTheSignal()
{
    const OwnHandler fallback(SIGTERM);
    int fds[2];
    QCOMPARE(::pipe2(fds, O_CLOEXEC), 0);
    const QByteArray page(4096, 'x');
    {
        const TerminationSignals watcher;
        QVERIFY(watcher.isWatching());
        QCOMPARE(TerminationSignals::caughtSignal(), 0);
        // With a reader, everything is written.
        std::thread reader([in = fds[0]] {
            char chunk[4096];
            qsizetype total = 0;
            while (total < 4 * 4096) {
                const ssize_t got = ::read(in, chunk, sizeof chunk);
                if (got <= 0)
                    break;
                total += got;
            }
        });
        QVERIFY(writeUnlessTerminated(fds[1], page.repeated(4)));
        reader.join();

        // Without one, the write waits for room until the signal comes, to whichever thread.
        std::thread signaller([] {
            ::usleep(200'000);
            ::kill(::getpid(), SIGTERM);
        });
        QVERIFY(!writeUnlessTerminated(fds[1], page.repeated(64)));
        signaller.join();
        QCOMPARE(TerminationSignals::caughtSignal(), SIGTERM);
    }
    ::close(fds[0]);
    ::close(fds[1]);
    const TerminationSignals watcher;
    QCOMPARE(TerminationSignals::caughtSignal(), 0);
}

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "tst_terminationsignals.moc"
