#include "CheckCommand.h"

#include "CheckTexts.h"
#include "LabWorkChecker.h"
#include "ModelMessages.h"
#include "PackageExtractor.h"
#include "Random.h"
#include "SchemaPictureProbe.h"
#include "StartupLoader.h"
#include "TerminationSignals.h"
#include "TextFormat.h"

#include <QFileInfo>
#include <QJsonDocument>

#include <cstdio>

namespace kelvo {

namespace {

void printLine(FILE *stream, const QString &text)
{
    std::fflush(stream);
    // A reader that stops reading must not keep the run from cleaning up when it is stopped.
    writeUnlessTerminated(fileno(stream), QByteArray(text.toUtf8() + '\n'));
}

// The model tells a window about a missing start variant and value texts that do not evaluate;
// the checker reports those itself, with their places.
class QuietModelMessages final
{
public:
    QuietModelMessages()
        : m_activation(setActivationErrorHandler([](const QString &) {}))
        , m_valueText(setValueTextErrorHandler([](const ValueTextError &) {}))
    {
    }
    ~QuietModelMessages()
    {
        setActivationErrorHandler(std::move(m_activation));
        setValueTextErrorHandler(std::move(m_valueText));
    }
    Q_DISABLE_COPY_MOVE(QuietModelMessages)

private:
    ActivationErrorHandler m_activation;
    ValueTextErrorHandler m_valueText;
};

void printReport(const check::CheckReport &report, bool json)
{
    if (json) {
        printLine(stdout,
            QString::fromUtf8(QJsonDocument(check::reportToJson(report)).toJson(QJsonDocument::Indented)).trimmed());
    } else {
        for (const check::Finding &finding : report.findings())
            printLine(stdout, check::formatFinding(finding));
        printLine(stdout, check::formatSummary(report));
    }
}

} // namespace

int runCheck(const QString &path, bool json, std::unique_ptr<RunFolder> runFolder)
{
    SeedRandomFromClock();
    const QuietModelMessages quiet;
    // Stopped by a signal, the run still deletes what it unpacked.
    const TerminationSignals termination;
    const auto endIfSignalled = [](LoadedLabWork &loaded) {
        if (const int caught = TerminationSignals::caughtSignal()) {
            releaseLabWork(loaded);
            TerminationSignals::endBySignal(caught);
        }
    };
    LoadedLabWork loaded = loadLabWork(path, std::move(runFolder));
    endIfSignalled(loaded);
    if (!loaded.labWork) {
        printLine(stderr, loaded.errorMessage);
        // The player only says that the package is damaged; the author learns which entry and why.
        if (!loaded.packageProblem.isEmpty()) {
            check::CheckReport report;
            report.error(QFileInfo(path).fileName(), 0, QStringLiteral("damaged-package"),
                format(CheckTexts::PackageRefused, { loaded.packageProblem }));
            printReport(report, json);
        }
        releaseLabWork(loaded);
        return 1;
    }

    check::CheckSetup setup;
    setup.descriptorPath = loaded.readPath;
    setup.labFolder = QFileInfo(loaded.readPath).absolutePath();
    if (loaded.extractedFiles)
        setup.packageEntries = listPackageEntries(path).value_or(QList<check::PackageEntry>());
    setup.pictureProbe = probeSchemaPicture;
    setup.locale = QLocale();
    const check::CheckReport report = check::checkLabWork(*loaded.labWork, setup);
    endIfSignalled(loaded);
    releaseLabWork(loaded);
    printReport(report, json);
    endIfSignalled(loaded);
    return report.errorCount() > 0 ? 1 : 0;
}

} // namespace kelvo
