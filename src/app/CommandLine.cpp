#include "CommandLine.h"

#include "Application.h"
#include "CheckCommand.h"
#include "LabWorkJson.h"
#include "LocalFileNames.h"
#include "Localization.h"
#include "Process.h"
#include "Random.h"
#include "ReportFolder.h"
#include "StartupLoader.h"
#include "StartupNoise.h"
#include "StudentIdentity.h"
#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

#include <cstdio>

namespace kelvo {

namespace {

const char *const Usage = "Usage: kelvo [--report DIR] [--student NAME] [--group GROUP] [PATH]\n"
                          "       kelvo --dump PATH\n"
                          "       kelvo --check PATH [--json]\n"
                          "       kelvo --help | --version\n"
                          "\n"
                          "Plays an educational lab work. PATH is a lab work package (a ZIP archive, usually *.lwz)\n"
                          "or, when it ends in \".lbw\", a descriptor read in place. Without PATH, data.lwz in the\n"
                          "current folder is opened.\n"
                          "\n"
                          "  --dump PATH   load PATH as the program does at start-up, print the lab work as JSON\n"
                          "                on standard output and exit (1 and the start-up message on failure)\n"
                          "  --check PATH  load PATH as the program does at start-up and report, one line each\n"
                          "                (file:line: level: message), what the program would silently do with\n"
                          "                it, then a summary; exit 1 when there are errors, 0 otherwise\n"
                          "  --json        with --check: print the findings as one JSON object\n"
                          "  --report DIR  play PATH and write the run's report (PDF and JSON) into DIR after\n"
                          "                every check and at the end; the environment variable KELVO_REPORT_DIR\n"
                          "                does the same\n"
                          "  --student NAME\n"
                          "                the name of the student the report gives (else the environment\n"
                          "                variable KELVO_STUDENT); with a report folder and no name given, the\n"
                          "                student is asked for name and group before the menu shows\n"
                          "  --group GROUP the student's group or class (else KELVO_GROUP)\n"
                          "  --help        show this text\n"
                          "  --version     show the program's version\n";

void printLine(FILE *stream, const QString &text)
{
    std::fflush(stream);
    // A reader that stops reading must not keep the run from cleaning up when it is stopped.
    writeUnlessTerminated(fileno(stream), QByteArray(text.toUtf8() + '\n'));
}

int dump(const QString &path)
{
    SeedRandomFromClock();
    // Stopped by a signal, the run still deletes what it unpacked.
    const TerminationSignals termination;
    LoadedLabWork loaded = loadLabWork(path);
    int status = 0;
    if (TerminationSignals::caughtSignal() != 0) {
        // Nothing more to do.
    } else if (!loaded.labWork) {
        printLine(stderr, loaded.errorMessage);
        status = 1;
    } else {
        QJsonObject json = labWorkToJson(*loaded.labWork);
        if (loaded.extractedFiles)
            json.insert(QStringLiteral("ExtractedFiles"), QJsonArray::fromStringList(*loaded.extractedFiles));
        printLine(stdout, QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Indented)).trimmed());
    }
    releaseLabWork(loaded);
    if (const int caught = TerminationSignals::caughtSignal())
        TerminationSignals::endBySignal(caught);
    return status;
}

} // namespace

int runKelvo(int argc, char *argv[], const MainWindowHook &hook)
{
    ignoreFileSizeLimitSignal();
    quietStartupNoise();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(decodeLocalFileName(argv[i])); // a package's name need not be UTF-8

    if (!arguments.isEmpty() && arguments.first() == u"--help") {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (!arguments.isEmpty() && arguments.first() == u"--version") {
        printLine(stdout, Texts::ApplicationTitle + QStringLiteral(" (") + QStringLiteral(KELVO_VERSION) + u')');
        return 0;
    }
    if (!arguments.isEmpty() && arguments.first() == u"--dump") {
        if (arguments.size() < 2) {
            std::fputs(Usage, stderr);
            return 2;
        }
        QCoreApplication application(argc, argv);
        return dump(arguments.at(1));
    }
    if (!arguments.isEmpty() && arguments.first() == u"--check") {
        QStringList rest = arguments.mid(1);
        const bool json = rest.removeAll(QStringLiteral("--json")) > 0;
        if (rest.size() != 1) {
            std::fputs(Usage, stderr);
            return 2;
        }
        // Made first, as a window run's: without a runtime folder of the session, the toolkit's
        // runtime files go into it.
        std::unique_ptr<RunFolder> runFolder = makeRunFolder(rest.first());
        keepRuntimeFilesIn(*runFolder);
        // Pictures are decoded as the experiment page does, which needs the GUI module, not a screen.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication application(argc, argv);
        return runCheck(rest.first(), json, std::move(runFolder));
    }
    QString reportFolder = qEnvironmentVariable(ReportFolderVariable);
    QString student;
    QString group;
    // The window's options, each with its value, in any order before or after the path.
    QStringList paths;
    bool optionGiven = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        QString *value = argument == u"--report" ? &reportFolder
            : argument == u"--student"           ? &student
            : argument == u"--group"             ? &group
                                                 : nullptr;
        if (!value) {
            paths.append(argument);
            continue;
        }
        if (i + 1 == arguments.size()) {
            std::fputs(Usage, stderr);
            return 2;
        }
        *value = arguments.at(++i);
        optionGiven = true;
    }
    if (optionGiven && paths.size() > 1) {
        std::fputs(Usage, stderr);
        return 2;
    }
    return runWindow(argc, argv, paths, reportFolder, givenStudent(student, group), hook);
}

} // namespace kelvo
