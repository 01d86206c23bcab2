#include "LabWorkChecker.h"

#include "CheckTexts.h"
#include "DescriptorChecks.h"
#include "QuestionChecks.h"
#include "RequirementChecks.h"
#include "TextFormat.h"

#include <QDir>
#include <QHash>

namespace kelvo::check {

namespace {

// Entries that the flat unpacking writes to one file: the last one wins, as the package format
// expects, which loses the others when they differ.
void checkPackageEntries(CheckContext &context)
{
    const QList<PackageEntry> &entries = *context.setup().packageEntries;
    QHash<QString, qsizetype> first;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const PackageEntry &entry = entries[i];
        const auto earlier = first.constFind(entry.flatName);
        if (earlier == first.cend()) {
            first.insert(entry.flatName, i);
            continue;
        }
        const PackageEntry &kept = entries[*earlier];
        if (kept.crc == entry.crc && kept.size == entry.size)
            continue;
        context.report().warning(entry.name, 0, QStringLiteral("duplicate-entry"),
            format(CheckTexts::DuplicateEntry, { kept.name, entry.name, entry.flatName }));
    }
}

// Names that Windows takes for one file.
void checkCaseCollisions(CheckContext &context)
{
    QHash<QString, QString> first;
    for (const QString &name : context.topLevelNames()) {
        const QString folded = name.toCaseFolded();
        const auto earlier = first.constFind(folded);
        if (earlier == first.cend()) {
            first.insert(folded, name);
            continue;
        }
        const QDir folder(context.setup().labFolder);
        context.report().warning(context.shownName(folder.filePath(name)), 0, QStringLiteral("case-collision"),
            format(CheckTexts::CaseCollision, { *earlier, name }));
    }
}

} // namespace

CheckReport checkLabWork(const TLabWork &labWork, const CheckSetup &setup)
{
    CheckContext context(setup);
    const QString descriptor = context.shownName(setup.descriptorPath);
    if (setup.packageEntries)
        checkPackageEntries(context);
    checkCaseCollisions(context);
    checkDescriptor(context, labWork, descriptor);
    checkRequirements(context, labWork, descriptor);
    checkQuizFiles(context, labWork, descriptor);
    return context.report();
}

} // namespace kelvo::check
