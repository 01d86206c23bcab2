#pragma once

#include <QByteArrayView>
#include <QObject>

#include <csignal>

class QSocketNotifier;

namespace kelvo {

// Turns SIGINT, SIGTERM and SIGHUP (Ctrl+C, kill, a closed terminal) into a Qt signal delivered on
// the event loop, so that the program can quit its loop and run its normal shutdown, which deletes
// the unpacked files. The handler only writes the signal's number into a pipe (self-pipe).
// The first signal of each kind is caught; a second one of the same kind ends the program the
// default way, so that a hung shutdown can still be stopped.
// One object watches at a time; the handlers that were there before come back when it goes.
//
// Work that runs without an event loop (--dump, --check) asks caughtSignal() between its steps,
// cleans up and ends with endBySignal(); it writes its output with writeUnlessTerminated, so that
// a reader that stops reading cannot keep it from that.
class TerminationSignals final : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;
    Q_DISABLE_COPY_MOVE(TerminationSignals)

    // False when another object already watches, or the pipe could not be made.
    bool isWatching() const { return m_notifier != nullptr; }

    // The first signal caught since this object began to watch; 0 when none.
    static int caughtSignal();
    // Ends the process as the signal would have without a handler (its default action), for a
    // caller that has cleaned up after caughtSignal().
    [[noreturn]] static void endBySignal(int signalNumber);

signals:
    void terminationRequested(int signalNumber);

private:
    void deliverPendingSignals();

    QSocketNotifier *m_notifier = nullptr;
    struct sigaction m_previous[3] = {};
};

// Writes all of `bytes` to `descriptor` (standard output or error), waiting for room only as long
// as no termination signal has been caught. False when not all was written.
bool writeUnlessTerminated(int descriptor, QByteArrayView bytes);

} // namespace kelvo
