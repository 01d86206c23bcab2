#pragma once

// A small lab work written into a temporary folder and checked as `kelvo --check` checks a
// descriptor read in place. Shared by the checker's test suites.

#include "LabWork.h"
#include "LabWorkChecker.h"
#include "ModelMessages.h"
#include "TestSupport.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

namespace kelvo::test {

// File name -> content; text is written in Windows-1251 with CR LF, as Windows editors save it.
// "<folder>" makes a folder, "<link>target" a symbolic link to target, "<utf8>text" a file of the
// text in UTF-8.
using LabFiles = QMap<QString, QString>;

// "file:line: level: code" for each finding, in report order.
inline QStringList describe(const check::CheckReport &report)
{
    QStringList lines;
    for (const check::Finding &finding : report.findings()) {
        const QString level
            = finding.level == check::Level::Error ? QStringLiteral("error") : QStringLiteral("warning");
        lines.append(finding.file + u':' + QString::number(finding.line) + u": " + level + u": " + finding.code);
    }
    return lines;
}

inline QString messagesOf(const check::CheckReport &report)
{
    QStringList messages;
    for (const check::Finding &finding : report.findings())
        messages.append(finding.message);
    return messages.join(u'\n');
}

class CheckerFixture final
{
public:
    // Writes the files (a "labwork.lbw" among them) into a fresh folder and checks the lab work.
    check::CheckReport check(
        const LabFiles &files, const check::PictureProbe &probe = {}, const QLocale &locale = russian())
    {
        m_dir = std::make_unique<QTemporaryDir>();
        const QDir folder(m_dir->path());
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            if (it.value() == u"<folder>")
                folder.mkpath(it.key());
            else if (it.value().startsWith(u"<link>"))
                QFile::link(it.value().sliced(6), folder.filePath(it.key()));
            else if (it.value().startsWith(u"<utf8>"))
                writeFile(folder, it.key(), it.value().sliced(6).toUtf8());
            else
                writeFile(folder, it.key(), windowsText(it.value()));
        }
        const DefaultLocale defaultLocale(locale);
        const CurrentDirectory current(folder.path());
        const auto activation = setActivationErrorHandler([](const QString &) {});
        const auto valueText = setValueTextErrorHandler([](const ValueTextError &) {});
        check::CheckSetup setup;
        setup.labFolder = folder.path();
        setup.descriptorPath = folder.filePath(QStringLiteral("labwork.lbw"));
        setup.pictureProbe = probe;
        setup.locale = locale;
        const TLabWork labWork(setup.descriptorPath);
        check::CheckReport report = check::checkLabWork(labWork, setup);
        setActivationErrorHandler(activation);
        setValueTextErrorHandler(valueText);
        return report;
    }

    QString path() const { return m_dir ? m_dir->path() : QString(); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

// Compares the report with the expected "file:line: level: code" lines, and checks that every
// text of `mentions` stands in some message.
#define KELVO_COMPARE_REPORT(report, expected, mentions)                                                               \
    do {                                                                                                               \
        const check::CheckReport &checked_ = (report);                                                                 \
        QCOMPARE(describe(checked_), (expected));                                                                      \
        const QString messages_ = messagesOf(checked_);                                                                \
        for (const QString &mention_ : (mentions)) {                                                                   \
            if (!messages_.contains(mention_))                                                                         \
                QFAIL(qPrintable(QStringLiteral("no message mentions \"%1\" in:\n%2").arg(mention_, messages_)));      \
        }                                                                                                              \
    } while (false)

} // namespace kelvo::test
