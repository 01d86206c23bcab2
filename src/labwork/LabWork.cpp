#include "LabWork.h"

#include "ExperimentChapter.h"
#include "InfoChapter.h"
#include "IniFile.h"
#include "LabWorkKeys.h"
#include "Localization.h"
#include "RuntimeErrors.h"
#include "SchemaFiles.h"
#include "TaskChapter.h"
#include "TextFormat.h"

#include <QFileInfo>

namespace {

std::unique_ptr<TChapter> createChapter(
    const QString &type, const QString &section, const TIniFile *iniFile, kelvo::SchemaFiles &schemaFiles)
{
    namespace types = kelvo::keys::chapter;
    if (type == types::Information)
        return std::make_unique<TInfoChapter>(section, iniFile);
    if (type == types::Examination)
        return std::make_unique<TTaskChapter>(section, iniFile);
    if (type == types::Experiment)
        return std::make_unique<TExperimentChapter>(section, iniFile, &schemaFiles);
    return nullptr;
}

} // namespace

TLabWork::TLabWork(const QString &fileName)
{
    if (!QFileInfo(fileName).isFile())
        throw EFOpenError(kelvo::format(Texts::LabWorkFileNotFound, { QStringLiteral(".\\") + fileName }));

    m_iniFile = std::make_unique<TIniFile>(fileName);
    // A file without a single section (a picture, an archive, any other file) is no descriptor:
    // say so rather than show an empty menu. A stray NUL byte, as editors leave them, is read as
    // any other byte.
    if (m_iniFile->ReadSections().isEmpty())
        throw EReadError(kelvo::format(Texts::NotADescriptor, { fileName }));
    namespace headerKeys = kelvo::keys::header;
    Title = kelvo::readKey(*m_iniFile, headerKeys::Section, headerKeys::Title);
    Author = kelvo::readKey(*m_iniFile, headerKeys::Section, headerKeys::Author);
    Description = kelvo::readKey(*m_iniFile, headerKeys::Section, headerKeys::Description);

    QStringList sections = m_iniFile->ReadSections();
    const auto header = std::find_if(sections.cbegin(), sections.cend(),
        [](const QString &name) { return name.compare(headerKeys::Section, Qt::CaseInsensitive) == 0; });
    if (header != sections.cend())
        sections.erase(header);

    // Experiments that name one schema file share it; all of them together are bounded.
    kelvo::SchemaFiles schemaFiles;
    for (const QString &section : std::as_const(sections)) {
        const QString type = kelvo::readKey(*m_iniFile, section, kelvo::keys::chapter::Type);
        if (auto chapter = createChapter(type, section, m_iniFile.get(), schemaFiles))
            m_chapters.Add(std::move(chapter));
    }
}

TLabWork::~TLabWork()
{
    // Chapters read from the descriptor reader while they live: free them first.
    m_chapters.Clear();
}

bool TLabWork::CanOpen(int index) const
{
    return index >= 0 && index < m_chapters.Count() && MissingChapters(index).isEmpty();
}

QList<int> TLabWork::MissingChapters(int index) const
{
    QList<int> missing;
    if (index < 0 || index >= m_chapters.Count())
        return missing;
    const QByteArray &required = m_chapters.Items(index)->RequiredChapters;
    for (int j = 0; j < m_chapters.Count(); ++j) {
        if (j == index)
            continue;
        const TChapter *other = m_chapters.Items(j);
        if (required.contains(char(other->Identifier)) && !other->Passed)
            missing.append(j);
    }
    return missing;
}

TChapter *TLabWork::CurrentChapter() const
{
    if (CurrentIndex < 0 || CurrentIndex >= m_chapters.Count())
        return nullptr;
    return m_chapters.Items(CurrentIndex);
}

bool TLabWork::SelectChapter(int index)
{
    if (index < 0 || index >= m_chapters.Count())
        return false;
    CurrentIndex = index;
    return true;
}

bool TLabWork::SelectByIdentifier(quint8 identifier)
{
    bool found = false;
    for (int i = 0; i < m_chapters.Count(); ++i) {
        if (m_chapters.Items(i)->Identifier == identifier) {
            CurrentIndex = i;
            found = true;
        }
    }
    return found;
}
