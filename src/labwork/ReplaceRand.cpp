#include "ReplaceRand.h"

#include "NumberFormats.h"
#include "Random.h"

QString ReplaceRand(const QString &text)
{
    static const QString Marker = QStringLiteral("RAND()");
    qsizetype found = text.indexOf(Marker);
    if (found < 0)
        return text;
    // One pass is enough: a number text holds none of the letters R, A, N, D, so a
    // replacement never completes a new "RAND()" with its neighbours.
    QString result;
    qsizetype from = 0;
    while (found >= 0) {
        result += QStringView(text).mid(from, found - from);
        result += kelvo::formatGeneral(RandomReal());
        from = found + Marker.size();
        found = text.indexOf(Marker, from);
    }
    result += QStringView(text).mid(from);
    return result;
}
