#pragma once

#include "Chapter.h"

// A chapter that shows one HTML document with a read-confirmation button at its end.
class TInfoChapter final : public TChapter
{
public:
    TInfoChapter(const QString &sectionName, const TIniFile *iniFile);

    // The document, read anew from the lab folder, lines ended with CR LF, the read-confirmation
    // form inserted before the first "</body>" (or at the very beginning when there is none).
    // Throws EFOpenError when the document cannot be opened.
    QByteArray GetHTML() override;
    int CheckAnswers(const QStringList &results) override;
    QString ClassName() const override { return QStringLiteral("TInfoChapter"); }

    QString Document;
};
