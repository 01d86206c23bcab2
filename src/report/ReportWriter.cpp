#include "ReportWriter.h"

#include "Process.h"
#include "ReportFileName.h"
#include "RunReportDocument.h"
#include "RunReportJson.h"

#include <QJsonDocument>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace kelvo {

struct ReportWriter::Shared
{
    struct Report
    {
        RunRecord record;
        QDateTime written;
        bool finished = false;
    };

    explicit Shared(ReportFolder folder)
        : folder(std::move(folder))
    {
    }

    ReportFolder folder; // used by the writer's thread alone
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<Report> waiting;
    bool writing = false;
    bool stopping = false;
    bool orphaned = false; // the writer object is gone: nothing more is told
    QString lastError; // of the last write done; empty when it succeeded
    std::thread thread;
};

ReportWriter::ReportWriter(ReportFolder folder, QObject *parent)
    : QObject(parent)
    , m_folderPath(folder.path())
    , m_shared(std::make_shared<Shared>(std::move(folder)))
{
    // The thread holds the shared state itself: a writer given up on at exit (a disk that does
    // not answer) finishes its write on its own without touching this object.
    m_shared->thread = std::thread([this, shared = m_shared] {
        yieldCurrentThreadToOthers();
        for (;;) {
            std::unique_lock lock(shared->mutex);
            shared->changed.wait(lock, [&] { return shared->stopping || shared->waiting; });
            if (!shared->waiting)
                return;
            Shared::Report report = std::move(*shared->waiting);
            shared->waiting.reset();
            shared->writing = true;
            const bool stopping = shared->stopping;
            lock.unlock();

            const QByteArray json
                = QJsonDocument(runReportToJson(report.record, report.written, report.finished)).toJson();
            const QByteArray pdf = runReportPdf(report.record, report.written);
            QString error;
            const bool written = shared->folder.write(reportFileStem(report.record), json, pdf, &error);

            lock.lock();
            shared->writing = false;
            shared->lastError = written ? QString() : error;
            // Told under the lock, so that the writer object cannot go meanwhile; the signal
            // only posts an event to the window's thread.
            if (!written && !stopping && !shared->orphaned)
                Q_EMIT writeFailed(error);
            lock.unlock();
            shared->changed.notify_all();
        }
    });
}

ReportWriter::~ReportWriter()
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->stopping = true;
    m_shared->waiting.reset();
    const bool leave = m_shared->writing && m_givenUp;
    m_shared->orphaned = leave;
    lock.unlock();
    m_shared->changed.notify_all();
    if (leave)
        m_shared->thread.detach();
    else
        m_shared->thread.join();
}

void ReportWriter::post(const RunRecord &record, const QDateTime &written, bool finished)
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->waiting = Shared::Report { record, written, finished };
    }
    m_shared->changed.notify_all();
}

bool ReportWriter::waitUntilWritten(std::chrono::milliseconds timeout, QString *error)
{
    std::unique_lock lock(m_shared->mutex);
    const bool done
        = m_shared->changed.wait_for(lock, timeout, [&] { return !m_shared->waiting && !m_shared->writing; });
    m_givenUp = !done;
    if (error)
        *error = m_shared->lastError;
    return done;
}

} // namespace kelvo
