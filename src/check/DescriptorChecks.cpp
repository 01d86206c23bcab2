#include "DescriptorChecks.h"

#include "CheckContext.h"
#include "CheckTexts.h"
#include "DocumentChecks.h"
#include "ExperimentChapter.h"
#include "InfoChapter.h"
#include "IniChecks.h"
#include "IniFile.h"
#include "LabWork.h"
#include "NearestName.h"
#include "NumberFormats.h"
#include "QuestionChecks.h"
#include "SchemaChecks.h"
#include "TaskChapter.h"
#include "TextFormat.h"

namespace kelvo::check {

namespace {

const QString HeaderSection = QStringLiteral("Header");
const QString TypeKey = QStringLiteral("Type");
const QString TitleKey = QStringLiteral("Title");

struct ChapterKind
{
    QString type;
    QStringList keys; // besides the keys every chapter has
};

const QList<ChapterKind> &chapterKinds()
{
    static const QList<ChapterKind> kinds = {
        { QStringLiteral("Information"), { QStringLiteral("Document") } },
        { QStringLiteral("Examination"),
            { QStringLiteral("Questions"), QStringLiteral("Heading"), QStringLiteral("Attempts"),
                QStringLiteral("MessageStyle"), QStringLiteral("Review") } },
        { QStringLiteral("Experiment"), { QStringLiteral("SchemaFile"), QStringLiteral("LinkedChapter") } },
    };
    return kinds;
}

KeySet chapterKeys(const QString &type)
{
    KeySet keys;
    keys.known = { TypeKey, TitleKey, QStringLiteral("Identifier"), QStringLiteral("RequiredChapters") };
    keys.elsewherePattern = CheckTexts::ReadOnlyByKinds;
    for (const ChapterKind &kind : chapterKinds()) {
        for (const QString &key : kind.keys) {
            if (kind.type == type)
                keys.known.append(key);
            else
                keys.elsewhere.append({ key, kind.type });
        }
    }
    return keys;
}

const TChapter *chapterOf(const TLabWork &labWork, const QString &section)
{
    for (int i = 0; i < labWork.Chapters().Count(); ++i) {
        if (labWork.Chapters().Items(i)->SectionName == section)
            return labWork.Chapters().Items(i);
    }
    return nullptr;
}

class DescriptorCheck final
{
public:
    DescriptorCheck(CheckContext &context, const TLabWork &labWork, const QString &shown)
        : m_context(context)
        , m_report(context.report())
        , m_labWork(labWork)
        , m_ini(labWork.IniFile())
        , m_shown(shown)
    {
    }

    void run()
    {
        checkIniStructure(m_context, m_ini, m_shown);
        const TIniFile::Section *header = nullptr;
        for (const TIniFile::Section *section : readableSections(m_ini)) {
            if (!header && section->name.compare(HeaderSection, Qt::CaseInsensitive) == 0) {
                header = section;
                checkHeader(*section);
            } else {
                checkChapterSection(*section);
            }
        }
        if (!header) {
            m_report.error(m_shown, 0, QStringLiteral("missing-section"),
                format(CheckTexts::MissingSection, { HeaderSection, CheckTexts::MarkerShown }));
        }
    }

private:
    void checkHeader(const TIniFile::Section &section)
    {
        KeySet keys;
        keys.known = { TitleKey, QStringLiteral("Author"), QStringLiteral("Description") };
        checkKeys(m_context, m_shown, section, keys);
        checkPresent(m_context, m_ini, m_shown, section.name, TitleKey, true, QStringLiteral("missing-value"),
            CheckTexts::MarkerShown);
    }

    void checkChapterSection(const TIniFile::Section &section)
    {
        const QString &name = section.name;
        if (!m_ini.ValueExists(name, TypeKey)) {
            m_report.error(
                m_shown, section.line, QStringLiteral("missing-type"), format(CheckTexts::MissingType, { name }));
            return;
        }
        const QString type = m_ini.ReadString(name, TypeKey, {});
        QStringList types;
        for (const ChapterKind &kind : chapterKinds())
            types.append(kind.type);
        if (!types.contains(type)) {
            const std::optional<QString> near = nearestName(type, types);
            m_report.error(m_shown, m_ini.KeyLine(name, TypeKey), QStringLiteral("unknown-type"),
                format(
                    CheckTexts::UnknownType, { type, near ? format(CheckTexts::Suggestion, { *near }) : QString() }));
            return;
        }

        checkKeys(m_context, m_shown, section, chapterKeys(type));
        checkPresent(
            m_context, m_ini, m_shown, name, TitleKey, true, QStringLiteral("missing-value"), CheckTexts::MarkerShown);
        checkByte(m_context, m_ini, m_shown, name, QStringLiteral("Identifier"));
        checkRequiredChapters(name);

        const TChapter *chapter = chapterOf(m_labWork, name);
        if (const auto *info = dynamic_cast<const TInfoChapter *>(chapter))
            checkInformation(*info);
        else if (const auto *task = dynamic_cast<const TTaskChapter *>(chapter))
            checkExaminationKeys(*task);
        else if (const auto *experiment = dynamic_cast<const TExperimentChapter *>(chapter))
            checkExperimentKeys(*experiment);
    }

    void checkRequiredChapters(const QString &section)
    {
        const QString key = QStringLiteral("RequiredChapters");
        const QString value = m_ini.ReadString(section, key, {});
        const int line = m_ini.KeyLine(section, key);
        for (const QStringView entry : QStringView(value).split(u',')) {
            if (entry.isEmpty())
                continue;
            const std::optional<qint32> number = parseInteger(entry);
            if (!number) {
                const bool blank = parseInteger(entry.trimmed()).has_value();
                m_report.warning(m_shown, line, QStringLiteral("bad-required-entry"),
                    format(CheckTexts::BadRequiredEntry,
                        { entry.toString(), blank ? CheckTexts::BlankBeforeComma : QString() }));
            } else if (*number < 0 || *number > 255) {
                m_report.warning(m_shown, line, QStringLiteral("value-wraps"),
                    format(CheckTexts::RequiredWraps, { entry.trimmed().toString(), qint64(quint8(*number)) }));
            }
        }
    }

    void checkInformation(const TInfoChapter &chapter)
    {
        const QString key = QStringLiteral("Document");
        if (!checkPresent(m_context, m_ini, m_shown, chapter.SectionName, key, true, QStringLiteral("missing-value"),
                CheckTexts::DocumentWillNotOpen, true))
            return;
        if (const std::optional<QString> path = m_context.findFile(
                chapter.Document, m_shown, m_ini.KeyLine(chapter.SectionName, key), CheckTexts::WhatDocument))
            checkDocument(m_context, *path);
    }

    void checkExaminationKeys(const TTaskChapter &chapter)
    {
        const QString &name = chapter.SectionName;
        const QString questions = QStringLiteral("Questions");
        if (checkPresent(m_context, m_ini, m_shown, name, questions, false, QStringLiteral("missing-key"),
                CheckTexts::EmptyQuiz)) {
            const std::optional<qint32> count = checkInteger(m_context, m_ini, m_shown, name, questions, 0);
            if (count && *count <= 0) {
                m_report.warning(m_shown, m_ini.KeyLine(name, questions), QStringLiteral("no-questions"),
                    format(CheckTexts::NoQuestions, { qint64(*count) }));
            }
        }
        checkPresent(m_context, m_ini, m_shown, name, QStringLiteral("Heading"), true, QStringLiteral("missing-value"),
            CheckTexts::MarkerShown);
        checkInteger(m_context, m_ini, m_shown, name, QStringLiteral("Attempts"), -1);
        checkInteger(m_context, m_ini, m_shown, name, QStringLiteral("MessageStyle"), 0);
        const QString review = QStringLiteral("Review");
        if (const std::optional<qint32> value = checkInteger(m_context, m_ini, m_shown, name, review, 0);
            value && (*value < 0 || *value > 2)) {
            m_report.warning(m_shown, m_ini.KeyLine(name, review), QStringLiteral("review-value"),
                format(CheckTexts::UnknownReview, { qint64(*value), qint64(*value < 0 ? 0 : 2) }));
        }
        checkExamination(m_context, m_ini, m_shown, chapter);
    }

    void checkExperimentKeys(const TExperimentChapter &chapter)
    {
        checkPresent(m_context, m_ini, m_shown, chapter.SectionName, QStringLiteral("SchemaFile"), true,
            QStringLiteral("missing-value"), CheckTexts::NoSchema, true);
        checkByte(m_context, m_ini, m_shown, chapter.SectionName, QStringLiteral("LinkedChapter"));
        checkExperiment(m_context, m_ini, m_shown, chapter);
    }

    CheckContext &m_context;
    CheckReport &m_report;
    const TLabWork &m_labWork;
    const TIniFile &m_ini;
    const QString m_shown;
};

} // namespace

void checkDescriptor(CheckContext &context, const TLabWork &labWork, const QString &shown)
{
    DescriptorCheck(context, labWork, shown).run();
}

} // namespace kelvo::check
