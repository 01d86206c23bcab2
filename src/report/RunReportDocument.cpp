#include "RunReportDocument.h"

#include "Localization.h"
#include "RunRecord.h"
#include "TextFormat.h"

#include <QBuffer>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QSaveFile>
#include <QStringList>
#include <QTextDocument>

namespace kelvo {

namespace {

QString when(const QDateTime &time)
{
    return QLocale().toString(time, QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString stateOf(const RunRecord::Chapter &chapter)
{
    if (chapter.passed)
        return Texts::ReportPassed;
    return chapter.opened > 0 ? Texts::ReportStartedChapter : Texts::ReportNotOpened;
}

QString checksOf(const RunRecord::Chapter &chapter)
{
    if (chapter.checks.isEmpty())
        return Texts::ReportNoChecks;
    QStringList lines;
    for (const RunRecord::Check &check : chapter.checks) {
        lines.append(format(Texts::ReportCheck,
            { qint64(check.right), qint64(check.total), check.percent,
                QLocale().toString(check.time, QStringLiteral("HH:mm:ss")) }));
    }
    return lines.join(QStringLiteral("<br>"));
}

QString headerRow(const QString &caption, const QString &value)
{
    return QStringLiteral("<tr><td><b>") + caption.toHtmlEscaped() + QStringLiteral("</b></td><td>")
        + value.toHtmlEscaped() + QStringLiteral("</td></tr>");
}

// The student and the group, where they are known.
QString studentRows(const StudentIdentity &student)
{
    QString rows;
    if (student.isKnown())
        rows += headerRow(Texts::ReportStudent, student.name);
    if (student.isKnown() && !student.group.isEmpty())
        rows += headerRow(Texts::ReportGroup, student.group);
    return rows;
}

QString cell(const QString &html)
{
    return QStringLiteral("<td>") + html + QStringLiteral("</td>");
}

} // namespace

QString runReportHtml(const RunRecord &record, const QDateTime &written)
{
    QString html = QStringLiteral("<html><body><h2>") + Texts::ReportHeading.toHtmlEscaped()
        + QStringLiteral("</h2><table cellspacing=\"0\" cellpadding=\"3\">")
        + headerRow(Texts::ReportLabWork, record.labTitle()) + headerRow(Texts::ReportAuthor, record.author())
        + headerRow(Texts::ReportStarted, when(record.started())) + headerRow(Texts::ReportWritten, when(written))
        + studentRows(record.student()) + headerRow(Texts::ReportUser, record.userName())
        + QStringLiteral("</table><p></p><table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" width=\"100%\"><tr>");
    for (const QString &caption :
        { QStringLiteral("№"), Texts::ReportChapter, Texts::ReportState, Texts::ReportOpened, Texts::ReportScores })
        html += QStringLiteral("<th>") + caption.toHtmlEscaped() + QStringLiteral("</th>");
    html += QStringLiteral("</tr>");
    for (qsizetype i = 0; i < record.chapters().size(); ++i) {
        const RunRecord::Chapter &chapter = record.chapters().at(i);
        html += QStringLiteral("<tr>") + cell(QString::number(i + 1)) + cell(chapter.title.toHtmlEscaped())
            + cell(stateOf(chapter).toHtmlEscaped()) + cell(QString::number(chapter.opened)) + cell(checksOf(chapter))
            + QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table></body></html>");
}

void paintRunReport(const RunRecord &record, const QDateTime &written, QPagedPaintDevice &device)
{
    QTextDocument document;
    document.setHtml(runReportHtml(record, written));
    document.print(&device);
}

bool writeRunReportPdf(const RunRecord &record, const QDateTime &written, const QString &path, QString *error)
{
    // Drawn into memory first, so that a failure leaves no half-written file behind.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(Texts::ReportHeading + QStringLiteral(": ") + record.labTitle());
        writer.setCreator(Texts::ApplicationTitle);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        paintRunReport(record, written, writer);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(buffer.data()) != buffer.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace kelvo
