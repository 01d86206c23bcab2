#include "TerminationSignals.h"

#include <QByteArray>
#include <QPointer>
#include <QSocketNotifier>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace kelvo {

namespace {

constexpr std::array<int, 3> WatchedSignals = { SIGINT, SIGTERM, SIGHUP };

// The pipe is made once and kept for the life of the process: a handler that is running while
// the watcher goes must never write into a descriptor that was closed and reused.
int signalPipe[2] = { -1, -1 };
std::atomic<bool> watcherExists { false };
std::atomic<int> firstCaught { 0 };
static_assert(std::atomic<int>::is_always_lock_free, "used in a signal handler");

extern "C" void onTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    int none = 0;
    firstCaught.compare_exchange_strong(none, signalNumber);
    const auto byte = static_cast<unsigned char>(signalNumber);
    // Non-blocking: when the pipe is full, signals are already waiting to be delivered.
    if (::write(signalPipe[1], &byte, 1) < 0) { }
    errno = savedErrno;
}

QByteArray readAvailable(int descriptor)
{
    QByteArray bytes;
    char chunk[64];
    ssize_t got;
    while ((got = ::read(descriptor, chunk, sizeof chunk)) > 0 || (got < 0 && errno == EINTR)) {
        if (got > 0)
            bytes.append(chunk, got);
    }
    return bytes;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (watcherExists.exchange(true))
        return;
    firstCaught = 0;
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        signalPipe[0] = signalPipe[1] = -1;
        watcherExists = false;
        return;
    }
    readAvailable(signalPipe[0]); // left from an earlier watcher

    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::deliverPendingSignals);

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (size_t i = 0; i < WatchedSignals.size(); ++i)
        ::sigaction(WatchedSignals[i], &action, &m_previous[i]);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    for (size_t i = 0; i < WatchedSignals.size(); ++i)
        ::sigaction(WatchedSignals[i], &m_previous[i], nullptr);
    watcherExists = false;
}

int TerminationSignals::caughtSignal()
{
    return firstCaught;
}

void TerminationSignals::endBySignal(int signalNumber)
{
    ::signal(signalNumber, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signalNumber);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signalNumber);
    // A signal whose default action is not to end the process (none of those watched).
    std::_Exit(128 + signalNumber);
}

bool writeUnlessTerminated(int descriptor, QByteArrayView bytes)
{
    // A pipe that polls writable takes a page without blocking; whichever thread the signal
    // reaches, the wait below ends within its timeout.
    constexpr qsizetype Chunk = 4096;
    constexpr int WaitMilliseconds = 100;
    qsizetype done = 0;
    while (done < bytes.size()) {
        if (firstCaught != 0)
            return false;
        pollfd room { descriptor, POLLOUT, 0 };
        const int ready = ::poll(&room, 1, WaitMilliseconds);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            continue;
        if (room.revents & (POLLERR | POLLNVAL))
            return false;
        const ssize_t written = ::write(descriptor, bytes.data() + done, size_t(qMin(Chunk, bytes.size() - done)));
        if (written < 0 && errno != EINTR && errno != EAGAIN)
            return false;
        if (written > 0)
            done += written;
    }
    return true;
}

void TerminationSignals::deliverPendingSignals()
{
    const QByteArray numbers = readAvailable(signalPipe[0]);
    const QPointer<TerminationSignals> alive(this); // a receiver may delete the watcher
    for (const char number : numbers) {
        if (!alive)
            return;
        emit terminationRequested(static_cast<unsigned char>(number));
    }
}

} // namespace kelvo
