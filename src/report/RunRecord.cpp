#include "RunRecord.h"

#include "ExperimentChapter.h"
#include "InfoChapter.h"
#include "LabWork.h"
#include "QuizScore.h"
#include "TaskChapter.h"

#include <pwd.h>
#include <unistd.h>

namespace kelvo {

namespace {

QString kindOf(const TChapter *chapter)
{
    if (dynamic_cast<const TInfoChapter *>(chapter))
        return QStringLiteral("information");
    if (dynamic_cast<const TTaskChapter *>(chapter))
        return QStringLiteral("examination");
    return QStringLiteral("experiment");
}

} // namespace

RunRecord::RunRecord(
    const TLabWork &labWork, const QString &packagePath, const QDateTime &started, const QString &userName)
    : m_labTitle(labWork.Title)
    , m_author(labWork.Author)
    , m_packagePath(packagePath)
    , m_started(started)
    , m_userName(userName)
{
    const TChapterList &list = labWork.Chapters();
    for (int i = 0; i < list.Count(); ++i) {
        const TChapter *chapter = list.Items(i);
        m_chapters.append(Chapter { chapter->Title, kindOf(chapter), 0, chapter->Passed, {} });
    }
}

void RunRecord::chapterOpened(int index)
{
    if (index >= 0 && index < m_chapters.size())
        ++m_chapters[index].opened;
}

void RunRecord::updatePassed(const TLabWork &labWork)
{
    const TChapterList &list = labWork.Chapters();
    for (int i = 0; i < list.Count() && i < m_chapters.size(); ++i)
        m_chapters[i].passed = list.Items(i)->Passed;
}

void RunRecord::checked(int index, int right, int total, const QDateTime &time)
{
    if (index < 0 || index >= m_chapters.size())
        return;
    m_chapters[index].checks.append(Check { right, total, quizPercent(right, total), time });
    // A check passes a quiz whatever its score.
    m_chapters[index].passed = true;
}

QString currentUserName()
{
    if (const passwd *entry = getpwuid(getuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    const QString fromEnvironment = qEnvironmentVariable("USER");
    return fromEnvironment.isEmpty() ? QString::number(getuid()) : fromEnvironment;
}

} // namespace kelvo
