#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

class QPagedPaintDevice;

namespace kelvo {

class RunRecord;

// The run report as the student hands it in: the lab work, its author, the date and time, the
// computer's user name and a table of the chapters with their state and scores.
QString runReportHtml(const RunRecord &record, const QDateTime &written);

// Lays the report out on `device`'s pages (a PDF writer or a printer).
void paintRunReport(const RunRecord &record, const QDateTime &written, QPagedPaintDevice &device);

// The report as the bytes of a PDF file.
QByteArray runReportPdf(const RunRecord &record, const QDateTime &written);

// Writes the report as a PDF file at a path the user chose; false with `error` set when the file cannot be written.
bool writeRunReportPdf(const RunRecord &record, const QDateTime &written, const QString &path, QString *error);

} // namespace kelvo
