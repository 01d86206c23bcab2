#include "ReportFileName.h"

#include "RunRecord.h"

#include <QFileInfo>

namespace kelvo {

QString fileNamePart(const QString &text, qsizetype maxLength)
{
    QString part;
    for (const QChar c : text.left(maxLength)) {
        const bool safe = c.isLetterOrNumber() || c == u'-' || c == u'.';
        part += safe ? c : u'_';
    }
    while (part.startsWith(u'.'))
        part.remove(0, 1);
    return part.isEmpty() ? QStringLiteral("labwork") : part;
}

QString reportFileStem(const RunRecord &record)
{
    const QString title = record.labTitle().trimmed().isEmpty() ? QFileInfo(record.packagePath()).completeBaseName()
                                                                : record.labTitle();
    const QString who = record.student().isKnown() ? record.student().name : record.userName();
    return fileNamePart(title, 60) + u'_' + record.started().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")) + u'_'
        + fileNamePart(who, 32);
}

} // namespace kelvo
