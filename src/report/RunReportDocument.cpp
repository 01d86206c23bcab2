#include "RunReportDocument.h"

#include "FolderHandle.h"
#include "Localization.h"
#include "RunRecord.h"
#include "TextFormat.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFont>
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

QString kindOf(const RunRecord::Chapter &chapter)
{
    if (chapter.kind == u"information")
        return Texts::ReportKindInformation;
    if (chapter.kind == u"examination")
        return Texts::ReportKindExamination;
    return Texts::ReportKindExperiment;
}

// Every check of a quiz in order, with its time.
QString checksOf(const RunRecord::Chapter &chapter)
{
    QStringList lines;
    for (const RunRecord::Check &check : chapter.checks) {
        lines.append(format(Texts::ReportCheck,
            { qint64(check.right), qint64(check.total), check.percent,
                QLocale().toString(check.time, QStringLiteral("HH:mm:ss")) })
                         .toHtmlEscaped());
    }
    return lines.join(QStringLiteral("<br>"));
}

// A check passes a quiz whatever its score: the last and the best score beside the state show a
// teacher at a glance a quiz passed with nothing right.
QString scoresOf(const RunRecord::Chapter &chapter)
{
    if (chapter.checks.isEmpty())
        return Texts::ReportNoChecks;
    double best = 0;
    for (const RunRecord::Check &check : chapter.checks)
        best = qMax(best, check.percent);
    const double last = chapter.checks.last().percent;
    if (chapter.checks.size() == 1)
        return QStringLiteral("<b>") + format(Texts::ReportScoreValue, { last }).toHtmlEscaped()
            + QStringLiteral("</b><br>") + checksOf(chapter);
    return QStringLiteral("<b>") + format(Texts::ReportLastScore, { last }).toHtmlEscaped() + QStringLiteral("</b><br>")
        + format(Texts::ReportBestScore, { best }).toHtmlEscaped() + QStringLiteral("<br>") + checksOf(chapter);
}

// Titles may be long (a descriptor's value runs to 2047 characters): the table shows their start.
QString tableTitle(const QString &title)
{
    constexpr qsizetype MaxTitle = 200;
    return title.size() <= MaxTitle ? title : title.left(MaxTitle - 1) + QChar(0x2026);
}

QString headerRow(const QString &caption, const QString &value)
{
    return QStringLiteral("<tr><td><b>") + caption.toHtmlEscaped() + QStringLiteral("</b></td><td>")
        + value.toHtmlEscaped() + QStringLiteral("</td></tr>");
}

// In a fixed-width face without ligatures, so that it reads (and copies) digit by digit.
QString digestRow(const QString &digest)
{
    return QStringLiteral("<tr><td><b>") + Texts::ReportDigest.toHtmlEscaped()
        + QStringLiteral("</b></td><td><span style=\"font-family: monospace; font-size: 8pt\">")
        + digest.toHtmlEscaped() + QStringLiteral("</span></td></tr>");
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
        + (record.labWorkDigest().isEmpty() ? QString() : digestRow(record.labWorkDigest()))
        + QStringLiteral("</table><p></p><table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\" "
                         "style=\"font-size: 8pt\"><tr>");
    // Each narrow column is as wide as its longest figure needs at this size ("не открывался",
    // "3 из 3 (100,00%), 10:09:30"); the title has the rest of the page's width.
    const std::pair<QString, int> columns[] = {
        { QStringLiteral("№"), 4 },
        { Texts::ReportChapter, 35 },
        { Texts::ReportKind, 12 },
        { Texts::ReportState, 14 },
        { Texts::ReportScore, 27 },
        { Texts::ReportOpened, 8 },
    };
    for (const auto &[caption, width] : columns) {
        html += QStringLiteral("<th width=\"%1%\">").arg(width) + caption.toHtmlEscaped() + QStringLiteral("</th>");
    }
    html += QStringLiteral("</tr>");
    for (qsizetype i = 0; i < record.chapters().size(); ++i) {
        const RunRecord::Chapter &chapter = record.chapters().at(i);
        html += QStringLiteral("<tr>") + cell(QString::number(i + 1)) + cell(tableTitle(chapter.title).toHtmlEscaped())
            + cell(kindOf(chapter).toHtmlEscaped()) + cell(stateOf(chapter).toHtmlEscaped()) + cell(scoresOf(chapter))
            + cell(QString::number(chapter.opened)) + QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table></body></html>");
}

void paintRunReport(const RunRecord &record, const QDateTime &written, QPagedPaintDevice &device)
{
    QTextDocument document;
    // Laid out for the device itself: its resolution, and the page's width within its margins,
    // so that the table takes the whole width and nothing is added to the margins.
    document.documentLayout()->setPaintDevice(&device);
    document.setPageSize(device.pageLayout().paintRectPixels(device.logicalDpiX()).size());
    QFont font = document.defaultFont();
    font.setPointSizeF(9);
    document.setDefaultFont(font);
    document.setHtml(runReportHtml(record, written));
    document.print(&device);
}

QByteArray runReportPdf(const RunRecord &record, const QDateTime &written)
{
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
    return buffer.data();
}

bool writeRunReportPdf(const RunRecord &record, const QDateTime &written, const QString &path, QString *error)
{
    // Drawn into memory first, so that a failure leaves no half-written file behind.
    const QByteArray pdf = runReportPdf(record, written);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit()) {
        if (error)
            *error = FolderHandle::lastErrorWasNoRoom() ? Texts::ReportDiskFull : file.errorString();
        return false;
    }
    return true;
}

} // namespace kelvo
