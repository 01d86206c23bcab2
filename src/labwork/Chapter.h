#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class TIniFile;

// The abstract chapter: the keys every chapter section has, and the passed flag.
class TChapter
{
public:
    // Reads the common keys of `sectionName` from the descriptor.
    TChapter(const QString &sectionName, const TIniFile *iniFile);
    virtual ~TChapter();
    Q_DISABLE_COPY_MOVE(TChapter)

    // The page to show on the HTML page, as bytes whose default encoding is Windows-1251.
    virtual QByteArray GetHTML() = 0;
    // Takes the submitted name=value lines; the number of right answers, 0 or -1 by kind.
    virtual int CheckAnswers(const QStringList &results) = 0;
    // The class name, as the program's own reports show it.
    virtual QString ClassName() const = 0;

    const QString SectionName;
    const TIniFile *const IniFile; // the lab work's descriptor reader, not owned
    QString Title;
    quint8 Identifier = 0;
    QByteArray RequiredChapters; // one byte per required identifier, in the order listed
    bool Passed = false;
};

// The entries of a "RequiredChapters" value: each text between commas that converts as an
// integer gives one byte, its value modulo 256; the others are skipped.
QByteArray parseRequiredChapters(const QString &value);
