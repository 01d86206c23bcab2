#include "QuizKey.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace kelvo::e2e {

namespace {

const QString Separator = QStringLiteral("<!--END-->");

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text.split(u'\n');
}

QuestionFile readQuestionFile(const QString &path, bool range)
{
    const QStringList lines = readLines(path);
    qsizetype first = lines.indexOf(Separator);
    qsizetype begin = 0;
    qsizetype end = first;
    if (range) {
        begin = first + 1;
        end = lines.indexOf(Separator, begin);
    }
    QuestionFile file;
    file.name = QFileInfo(path).fileName();
    if (first < 0 || end < 0)
        return file; // no answers: the test reports the file as one it cannot answer
    file.visibleText = visibleText(lines.mid(begin, end - begin).join(u'\n'));
    for (const QString &line : lines.mid(end + 1)) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0)
            file.answers.append({ line.left(equals), line.mid(equals + 1) });
    }
    return file;
}

} // namespace

QString visibleText(const QString &html)
{
    static const QRegularExpression selects(QStringLiteral("<select\\b.*?</select\\s*>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    static const QRegularExpression numeric(QStringLiteral("&#(\\d+);"));
    static const QList<QPair<QString, QString>> entities = {
        { QStringLiteral("&nbsp;"), QStringLiteral(" ") },
        { QStringLiteral("&laquo;"), QStringLiteral("«") },
        { QStringLiteral("&raquo;"), QStringLiteral("»") },
        { QStringLiteral("&minus;"), QStringLiteral("−") },
        { QStringLiteral("&middot;"), QStringLiteral("·") },
        { QStringLiteral("&deg;"), QStringLiteral("°") },
        { QStringLiteral("&lt;"), QStringLiteral("<") },
        { QStringLiteral("&gt;"), QStringLiteral(">") },
        { QStringLiteral("&quot;"), QStringLiteral("\"") },
        { QStringLiteral("&amp;"), QStringLiteral("&") },
    };
    QString text = html;
    text.remove(selects).remove(tags);
    for (const auto &[entity, character] : entities)
        text.replace(entity, character);
    QRegularExpressionMatch match;
    while ((match = numeric.match(text)).hasMatch())
        text.replace(match.capturedStart(), match.capturedLength(), QChar(match.captured(1).toUShort()));
    QString compact;
    for (const QChar c : std::as_const(text)) {
        if (!c.isSpace())
            compact.append(c);
    }
    return compact;
}

QMap<int, QList<QuestionFile>> readQuestionFiles(const QString &folder, int identifier, int questions)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    QMap<int, QList<QuestionFile>> files;
    for (int q = 1; q <= questions; ++q) {
        const QString stem
            = QStringLiteral("c%1.q%2.").arg(identifier, 3, 10, QLatin1Char('0')).arg(q, 3, 10, QLatin1Char('0'));
        const QString range = stem + QStringLiteral("range.q");
        QList<QuestionFile> candidates;
        for (const QString &name : names) {
            if (name.compare(range, Qt::CaseInsensitive) == 0)
                candidates = { readQuestionFile(dir.filePath(name), true) };
        }
        if (candidates.isEmpty()) {
            for (const QString &name : names) {
                if (name.startsWith(stem + u'v', Qt::CaseInsensitive)
                    && name.endsWith(QLatin1String(".q"), Qt::CaseInsensitive))
                    candidates.append(readQuestionFile(dir.filePath(name), false));
            }
        }
        files.insert(q, candidates);
    }
    return files;
}

const QuestionFile *shownFile(const QList<QuestionFile> &candidates, const QString &pageText)
{
    const QuestionFile *shown = nullptr;
    for (const QuestionFile &file : candidates) {
        if (file.visibleText.isEmpty() || !pageText.contains(file.visibleText))
            continue;
        if (shown)
            return nullptr;
        shown = &file;
    }
    return shown;
}

} // namespace kelvo::e2e
