#include "ReportFileName.h"

#include "RunRecord.h"

#include <QFileInfo>

namespace kelvo {

namespace {

// Letters, digits and a few safe signs; anything else (separators, quotes, control characters)
// becomes "_", so that a title cannot name another folder or a hidden file.
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

} // namespace

QString reportFileStem(const RunRecord &record)
{
    const QString title = record.labTitle().trimmed().isEmpty() ? QFileInfo(record.packagePath()).completeBaseName()
                                                                : record.labTitle();
    return fileNamePart(title, 60) + u'_' + record.started().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")) + u'_'
        + fileNamePart(record.userName(), 32);
}

} // namespace kelvo
