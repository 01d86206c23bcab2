#include "QuestionFiles.h"

#include "Localization.h"
#include "TextFormat.h"

#include <QFileInfo>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The question number as a name writes it: the digits that follow "cNNN.q".
QStringView numberPart(QStringView name, qsizetype prefixLength)
{
    qsizetype end = prefixLength;
    while (end < name.size() && isAsciiDigit(name[end]))
        ++end;
    return name.mid(prefixLength, end - prefixLength);
}

} // namespace

QuestionFiles::QuestionFiles(const kelvo::LabFolder &folder, quint8 chapterIdentifier)
    : m_folder(folder)
    , m_chapter(chapterIdentifier)
{
    // Every name of a question file of this chapter starts with this prefix ("c003.q"). A name
    // matches a question's pattern only if the digits after the prefix are that question's
    // number as written, so grouping by those digits loses no candidate.
    const QString prefix = kelvo::format(QStringLiteral("c%3.3d.q"), { qint64(m_chapter) });
    const QStringList names = m_folder.match(QString(prefix + QLatin1Char('*')));
    for (const QString &name : names)
        m_byNumber[numberPart(name, prefix.size()).toString()].append(name);
}

QString QuestionFiles::rangeName(int question) const
{
    return kelvo::format(Texts::RangeQuestionFile, { qint64(m_chapter), qint64(question) });
}

QString QuestionFiles::variantPattern(int question) const
{
    return kelvo::format(Texts::VariantQuestionFile, { qint64(m_chapter), qint64(question), QStringLiteral("*") });
}

const QStringList &QuestionFiles::namesOf(int question) const
{
    static const QStringList none;
    const auto it = m_byNumber.constFind(kelvo::format(QStringLiteral("%3.3d"), { qint64(question) }));
    return it == m_byNumber.cend() ? none : *it;
}

std::optional<QString> QuestionFiles::rangeFile(int question) const
{
    const QString wanted = rangeName(question);
    std::optional<QString> found;
    for (const QString &name : namesOf(question)) {
        if (name == wanted) {
            found = name;
            break;
        }
        if (!found && name.compare(wanted, Qt::CaseInsensitive) == 0)
            found = name;
    }
    if (found && !QFileInfo(path(*found)).isFile())
        return std::nullopt;
    return found;
}

QStringList QuestionFiles::variantCandidates(int question) const
{
    const QString pattern = variantPattern(question);
    QStringList candidates;
    for (const QString &name : namesOf(question)) {
        if (kelvo::wildcardMatch(pattern, name))
            candidates.append(name);
    }
    return candidates;
}

QString QuestionFiles::path(const QString &name) const
{
    return m_folder.root() + QLatin1Char('/') + name;
}
