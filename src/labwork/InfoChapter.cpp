#include "InfoChapter.h"

#include "CodePages.h"
#include "HtmlCharset.h"
#include "IniFile.h"
#include "LabFolder.h"
#include "LabWorkKeys.h"
#include "LineCursor.h"
#include "Localization.h"

TInfoChapter::TInfoChapter(const QString &sectionName, const TIniFile *iniFile)
    : TChapter(sectionName, iniFile)
{
    Document = kelvo::readKey(*IniFile, SectionName, kelvo::keys::information::Document);
}

QByteArray TInfoChapter::GetHTML()
{
    const QByteArray source = kelvo::withoutUtf16(kelvo::readLabFile(Document));
    QByteArray page;
    page.reserve(source.size() + source.size() / 16 + 256);
    // Line by line without a list of them: a document of millions of empty lines stays small.
    for (kelvo::LineCursor<QByteArrayView> lines(source); !lines.atEnd();)
        page.append(lines.next()).append("\r\n");

    const QByteArray form = kelvo::encodeForHtml(Texts::ReadConfirmationForm, kelvo::htmlCharset(source));
    const qsizetype body = page.indexOf("</body>");
    // "The very beginning" of a document that starts with a byte order mark is after the mark.
    const qsizetype start = kelvo::hasUtf8ByteOrderMark(page) ? 3 : 0;
    page.insert(body < 0 ? start : body, form);
    return page;
}

int TInfoChapter::CheckAnswers(const QStringList &)
{
    return 0;
}
