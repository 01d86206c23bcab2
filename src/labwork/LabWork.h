#pragma once

#include "ChapterList.h"

#include <QList>
#include <QString>

#include <memory>

class TIniFile;

// The one lab work of a run: header texts, chapters, the chapter shown and the access rule.
class TLabWork final
{
public:
    // Loads the descriptor at `fileName`. Throws EFOpenError when no file is there, EReadError
    // when it is no descriptor (without any section) or too large; errors raised while a chapter
    // is read pass through.
    explicit TLabWork(const QString &fileName);
    ~TLabWork();
    Q_DISABLE_COPY_MOVE(TLabWork)

    TChapterList &Chapters() { return m_chapters; }
    const TChapterList &Chapters() const { return m_chapters; }
    const TIniFile &IniFile() const { return *m_iniFile; }

    // The access rule: every other chapter that carries a required identifier is passed.
    bool CanOpen(int index) const;
    // What keeps the chapter at `index` closed: the other chapters, in list order, that carry one
    // of its required identifiers and are not passed yet. Empty for an open chapter; an index
    // outside the list is closed with nothing to name.
    QList<int> MissingChapters(int index) const;
    TChapter *CurrentChapter() const;
    bool SelectChapter(int index);
    // The last chapter in list order that carries the identifier becomes current.
    bool SelectByIdentifier(quint8 identifier);

    QString Title;
    QString Author;
    QString Description;
    int CurrentIndex = -1;
    int ReturnIndex = -1;

private:
    TChapterList m_chapters;
    std::unique_ptr<TIniFile> m_iniFile;
};
