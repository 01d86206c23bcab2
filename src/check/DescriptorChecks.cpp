#include "DescriptorChecks.h"

#include "CheckContext.h"
#include "CheckTexts.h"
#include "DocumentChecks.h"
#include "ExperimentChapter.h"
#include "InfoChapter.h"
#include "IniChecks.h"
#include "IniFile.h"
#include "LabWork.h"
#include "LabWorkKeys.h"
#include "NearestName.h"
#include "NumberFormats.h"
#include "QuestionChecks.h"
#include "SchemaChecks.h"
#include "TaskChapter.h"
#include "TextFormat.h"

namespace kelvo::check {

namespace {

const QString &HeaderSection = keys::header::Section;
const QString &TypeKey = keys::chapter::Type.name;
const QString &TitleKey = keys::chapter::Title.name;

struct ChapterKind
{
    QString type;
    QStringList keys; // besides the keys every chapter has
};

const QList<ChapterKind> &chapterKinds()
{
    static const QList<ChapterKind> kinds = {
        { keys::chapter::Information, { keys::information::Document.name } },
        { keys::chapter::Examination,
            { keys::examination::Questions.name, keys::examination::Heading.name, keys::examination::Attempts.name,
                keys::examination::MessageStyle.name, keys::examination::Review.name } },
        { keys::chapter::Experiment, { keys::experiment::SchemaFile.name, keys::experiment::LinkedChapter.name } },
    };
    return kinds;
}

KeySet chapterKeys(const QString &type)
{
    KeySet chapterSet;
    chapterSet.known = { TypeKey, TitleKey, keys::chapter::Identifier.name, keys::chapter::RequiredChapters.name };
    chapterSet.elsewherePattern = CheckTexts::ReadOnlyByKinds;
    for (const ChapterKind &kind : chapterKinds()) {
        for (const QString &key : kind.keys) {
            if (kind.type == type)
                chapterSet.known.append(key);
            else
                chapterSet.elsewhere.append({ key, kind.type });
        }
    }
    return chapterSet;
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
        KeySet headerSet;
        headerSet.known = { keys::header::Title.name, keys::header::Author.name, keys::header::Description.name };
        checkKeys(m_context, m_shown, section, headerSet);
        checkPresent(m_context, m_ini, m_shown, section.name, keys::header::Title.name, true,
            QStringLiteral("missing-value"), CheckTexts::MarkerShown);
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
        checkByte(m_context, m_ini, m_shown, name, keys::chapter::Identifier);
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
        const QString &key = keys::chapter::RequiredChapters.name;
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
        const QString &key = keys::information::Document.name;
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
        const QString &questions = keys::examination::Questions.name;
        if (checkPresent(m_context, m_ini, m_shown, name, questions, false, QStringLiteral("missing-key"),
                CheckTexts::EmptyQuiz)) {
            const std::optional<qint32> count
                = checkInteger(m_context, m_ini, m_shown, name, keys::examination::Questions);
            if (count && *count <= 0) {
                m_report.warning(m_shown, m_ini.KeyLine(name, questions), QStringLiteral("no-questions"),
                    format(CheckTexts::NoQuestions, { qint64(*count) }));
            }
        }
        checkPresent(m_context, m_ini, m_shown, name, keys::examination::Heading.name, true,
            QStringLiteral("missing-value"), CheckTexts::MarkerShown);
        checkInteger(m_context, m_ini, m_shown, name, keys::examination::Attempts);
        checkInteger(m_context, m_ini, m_shown, name, keys::examination::MessageStyle);
        const IntegerKey &review = keys::examination::Review;
        if (const std::optional<qint32> value = checkInteger(m_context, m_ini, m_shown, name, review);
            value && (*value < 0 || *value > 2)) {
            m_report.warning(m_shown, m_ini.KeyLine(name, review.name), QStringLiteral("review-value"),
                format(CheckTexts::UnknownReview, { qint64(*value), qint64(*value < 0 ? 0 : 2) }));
        }
        checkExamination(m_context, m_ini, m_shown, chapter);
    }

    void checkExperimentKeys(const TExperimentChapter &chapter)
    {
        checkPresent(m_context, m_ini, m_shown, chapter.SectionName, keys::experiment::SchemaFile.name, true,
            QStringLiteral("missing-value"), CheckTexts::NoSchema, true);
        checkByte(m_context, m_ini, m_shown, chapter.SectionName, keys::experiment::LinkedChapter);
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
