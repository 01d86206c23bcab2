#pragma once

#include "ReportFolder.h"
#include "RunRecord.h"

#include <QDateTime>
#include <QObject>

#include <chrono>
#include <memory>

namespace kelvo {

// Writes a run's reports into its folder on a thread of its own, so that the window never waits
// for a report to be laid out or for the disk. A report posted while another waits replaces it:
// the latest state wins, and no state is written after a later one.
class ReportWriter final : public QObject
{
    Q_OBJECT

public:
    explicit ReportWriter(ReportFolder folder, QObject *parent = nullptr);
    // Waits for a write under way unless waitUntilWritten has run out of time before; a report
    // still waiting is dropped.
    ~ReportWriter() override;
    Q_DISABLE_COPY_MOVE(ReportWriter)

    const QString &folderPath() const { return m_folderPath; }

    void post(const RunRecord &record, const QDateTime &written, bool finished);
    // Waits until every report posted has been written or has failed, at most `timeout`; false
    // when the time ran out first. `error` tells why the last write done failed (empty: it did not).
    bool waitUntilWritten(std::chrono::milliseconds timeout, QString *error = nullptr);

Q_SIGNALS:
    // A write failed, with the reason; sent from the writer's thread.
    void writeFailed(const QString &reason);

private:
    struct Shared;

    QString m_folderPath;
    std::shared_ptr<Shared> m_shared;
    bool m_givenUp = false; // waitUntilWritten ran out of time
};

} // namespace kelvo
