#pragma once

#include <QDateTime>
#include <QJsonObject>

namespace kelvo {

class RunRecord;

// The run report as JSON, in the versioned format described in docs/run-report.md. `finished`
// tells a report written at the program's end from one written after a check.
QJsonObject runReportToJson(const RunRecord &record, const QDateTime &written, bool finished);

} // namespace kelvo
