#include "RequirementChecks.h"

#include "CheckContext.h"
#include "CheckTexts.h"
#include "ExperimentChapter.h"
#include "InfoChapter.h"
#include "IniChecks.h"
#include "IniFile.h"
#include "LabWork.h"
#include "LabWorkKeys.h"
#include "TaskChapter.h"
#include "TextFormat.h"

#include <QSet>

#include <array>
#include <deque>
#include <vector>

namespace kelvo::check {

namespace {

QString typeOf(const TChapter *chapter)
{
    if (dynamic_cast<const TInfoChapter *>(chapter))
        return keys::chapter::Information;
    if (dynamic_cast<const TTaskChapter *>(chapter))
        return keys::chapter::Examination;
    return keys::chapter::Experiment;
}

bool isExperiment(const TChapter *chapter)
{
    return dynamic_cast<const TExperimentChapter *>(chapter) != nullptr;
}

// The distinct identifiers a chapter requires, in the order listed.
QList<quint8> requiredOf(const TChapter *chapter)
{
    QList<quint8> required;
    for (const char byte : chapter->RequiredChapters) {
        if (!required.contains(quint8(byte)))
            required.append(quint8(byte));
    }
    return required;
}

class RequirementCheck final
{
public:
    RequirementCheck(CheckContext &context, const TLabWork &labWork, const QString &shown)
        : m_report(context.report())
        , m_ini(labWork.IniFile())
        , m_shown(shown)
    {
        for (int i = 0; i < labWork.Chapters().Count(); ++i)
            m_chapters.push_back(labWork.Chapters().Items(i));
        for (size_t i = 0; i < m_chapters.size(); ++i) {
            m_carriers[m_chapters[i]->Identifier].push_back(int(i));
            m_required.push_back(requiredOf(m_chapters[i]));
        }
    }

    void run()
    {
        checkRequiredIdentifiers();
        findOpenableChapters();
        explainLockedChapters();
        checkSharedIdentifiers();
        checkLinks();
    }

private:
    int requiredLine(int chapter) const
    {
        return keyOrSectionLine(m_ini, m_chapters[size_t(chapter)]->SectionName, keys::chapter::RequiredChapters.name);
    }

    const QString &sectionOf(int chapter) const { return m_chapters[size_t(chapter)]->SectionName; }

    void checkRequiredIdentifiers()
    {
        for (size_t i = 0; i < m_chapters.size(); ++i) {
            for (const quint8 identifier : m_required[i]) {
                const std::vector<int> &carriers = m_carriers[identifier];
                if (carriers.empty()) {
                    m_report.warning(m_shown, requiredLine(int(i)), QStringLiteral("unknown-required"),
                        format(CheckTexts::UnknownRequired, { qint64(identifier) }));
                } else if (carriers.size() == 1 && carriers.front() == int(i)) {
                    m_report.warning(m_shown, requiredLine(int(i)), QStringLiteral("unknown-required"),
                        format(CheckTexts::RequiresItself, { qint64(identifier) }));
                }
            }
        }
    }

    // Which chapters a student can ever open: those whose required chapters can all be passed.
    // Information chapters and examinations are passed once opened; experiments never are. The
    // chapter an experiment's instructions button opens is opened without the access rule.
    void findOpenableChapters()
    {
        const size_t n = m_chapters.size();
        m_openable.assign(n, false);
        // For each chapter and required identifier: how many other carriers are not passed yet.
        std::vector<int> waitingFor(n * 256, 0);
        std::vector<int> unmet(n, 0);
        std::array<std::vector<int>, 256> requiredBy;
        for (size_t i = 0; i < n; ++i) {
            for (const quint8 identifier : m_required[i]) {
                int others = 0;
                for (const int carrier : m_carriers[identifier])
                    others += carrier != int(i) ? 1 : 0;
                waitingFor[i * 256 + identifier] = others;
                if (others > 0) {
                    ++unmet[i];
                    requiredBy[identifier].push_back(int(i));
                }
            }
        }
        std::deque<int> opened;
        auto open = [&](int chapter) {
            if (!m_openable[size_t(chapter)]) {
                m_openable[size_t(chapter)] = true;
                opened.push_back(chapter);
            }
        };
        for (size_t i = 0; i < n; ++i) {
            if (unmet[i] == 0)
                open(int(i));
        }
        while (!opened.empty()) {
            const int chapter = opened.front();
            opened.pop_front();
            const TChapter *current = m_chapters[size_t(chapter)];
            if (const auto *experiment = dynamic_cast<const TExperimentChapter *>(current)) {
                const std::vector<int> &linked = m_carriers[experiment->LinkedChapter];
                if (experiment->LinkedChapter != 0 && !linked.empty())
                    open(linked.back());
                continue; // opened, never passed
            }
            for (const int waiting : requiredBy[current->Identifier]) {
                if (waiting == chapter)
                    continue;
                int &count = waitingFor[size_t(waiting) * 256 + current->Identifier];
                if (--count == 0 && --unmet[size_t(waiting)] == 0)
                    open(waiting);
            }
        }
    }

    bool passable(int chapter) const
    {
        return m_openable[size_t(chapter)] && !isExperiment(m_chapters[size_t(chapter)]);
    }

    // The first required chapter that keeps `chapter` locked.
    int blockerOf(int chapter) const
    {
        for (const quint8 identifier : m_required[size_t(chapter)]) {
            for (const int carrier : m_carriers[identifier]) {
                if (carrier != chapter && !passable(carrier))
                    return carrier;
            }
        }
        return -1;
    }

    void explainLockedChapters()
    {
        std::vector<int> blockers(m_chapters.size(), -1);
        for (int i = 0; i < int(m_chapters.size()); ++i)
            blockers[size_t(i)] = m_openable[size_t(i)] ? -1 : blockerOf(i);
        for (int i = 0; i < int(m_chapters.size()); ++i) {
            const int blocker = blockers[size_t(i)];
            if (blocker < 0)
                continue;
            if (isExperiment(m_chapters[size_t(blocker)])) {
                m_report.error(m_shown, requiredLine(i), QStringLiteral("requires-experiment"),
                    format(CheckTexts::RequiresExperiment, { sectionOf(blocker) }));
                continue;
            }
            // Follow the chain of blockers: back to this chapter is a circle.
            std::vector<int> chain { i };
            QSet<int> seen { i };
            int next = blocker;
            while (next >= 0 && !seen.contains(next) && !isExperiment(m_chapters[size_t(next)])) {
                chain.push_back(next);
                seen.insert(next);
                next = blockers[size_t(next)];
            }
            if (next == i) {
                QStringList names;
                for (const int member : chain)
                    names.append(QLatin1Char('[') + sectionOf(member) + QLatin1Char(']'));
                names.append(QLatin1Char('[') + sectionOf(i) + QLatin1Char(']'));
                m_report.error(m_shown, requiredLine(i), QStringLiteral("requirement-cycle"),
                    format(CheckTexts::RequirementCycle, { names.join(QStringLiteral(" → ")) }));
            } else {
                m_report.error(m_shown, requiredLine(i), QStringLiteral("never-opens"),
                    format(CheckTexts::NeverOpens, { sectionOf(blocker) }));
            }
        }
    }

    void checkSharedIdentifiers()
    {
        QSet<int> required;
        for (const QList<quint8> &list : m_required) {
            for (const quint8 identifier : list)
                required.insert(identifier);
        }
        QSet<int> linked;
        for (const TChapter *chapter : m_chapters) {
            if (const auto *experiment = dynamic_cast<const TExperimentChapter *>(chapter)) {
                if (experiment->LinkedChapter != 0)
                    linked.insert(experiment->LinkedChapter);
            }
        }
        for (int identifier = 0; identifier < 256; ++identifier) {
            const std::vector<int> &carriers = m_carriers[size_t(identifier)];
            // Chapters of one section name are copies of one section, reported as such.
            std::vector<int> distinct;
            QSet<QString> sections;
            for (const int carrier : carriers) {
                const QString section = sectionOf(carrier).toCaseFolded();
                if (!sections.contains(section)) {
                    sections.insert(section);
                    distinct.push_back(carrier);
                }
            }
            if (distinct.size() < 2)
                continue;
            int examinations = 0;
            for (const int carrier : distinct)
                examinations += dynamic_cast<const TTaskChapter *>(m_chapters[size_t(carrier)]) ? 1 : 0;
            QStringList reasons;
            if (examinations >= 2)
                reasons.append(format(CheckTexts::SharedQuestionFiles, { qint64(identifier) }));
            if (required.contains(identifier))
                reasons.append(CheckTexts::SharedRequirement);
            if (linked.contains(identifier))
                reasons.append(CheckTexts::SharedLink);
            if (reasons.isEmpty())
                continue;
            for (size_t k = 1; k < distinct.size(); ++k) {
                const QString &section = sectionOf(distinct[k]);
                m_report.warning(m_shown, keyOrSectionLine(m_ini, section, keys::chapter::Identifier.name),
                    QStringLiteral("duplicate-identifier"),
                    format(CheckTexts::DuplicateIdentifier,
                        { qint64(identifier), sectionOf(distinct.front()),
                            reasons.join(CheckTexts::ReasonSeparator) }));
            }
        }
    }

    void checkLinks()
    {
        for (const TChapter *chapter : m_chapters) {
            const auto *experiment = dynamic_cast<const TExperimentChapter *>(chapter);
            if (!experiment || experiment->LinkedChapter == 0)
                continue;
            const int line = keyOrSectionLine(m_ini, experiment->SectionName, keys::experiment::LinkedChapter.name);
            const std::vector<int> &carriers = m_carriers[experiment->LinkedChapter];
            if (carriers.empty()) {
                m_report.error(m_shown, line, QStringLiteral("missing-link"),
                    format(CheckTexts::MissingLink, { qint64(experiment->LinkedChapter) }));
                continue;
            }
            const TChapter *target = m_chapters[size_t(carriers.back())];
            if (!dynamic_cast<const TInfoChapter *>(target)) {
                m_report.warning(m_shown, line, QStringLiteral("link-not-information"),
                    format(CheckTexts::LinkNotInformation, { target->SectionName, typeOf(target) }));
            }
        }
    }

    CheckReport &m_report;
    const TIniFile &m_ini;
    const QString m_shown;
    std::vector<const TChapter *> m_chapters;
    std::array<std::vector<int>, 256> m_carriers;
    std::vector<QList<quint8>> m_required;
    std::vector<bool> m_openable;
};

} // namespace

void checkRequirements(CheckContext &context, const TLabWork &labWork, const QString &shown)
{
    RequirementCheck(context, labWork, shown).run();
}

} // namespace kelvo::check
