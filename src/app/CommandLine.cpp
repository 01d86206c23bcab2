#include "CommandLine.h"

#include "Application.h"
#include "CheckCommand.h"
#include "LabWorkJson.h"
#include "Localization.h"
#include "Random.h"
#include "StartupLoader.h"
#include "StartupNoise.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

#include <cstdio>

namespace kelvo {

namespace {

const char *const Usage = "Usage: kelvo [PATH]\n"
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
                          "  --help        show this text\n"
                          "  --version     show the program's version\n";

void printLine(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

int dump(const QString &path)
{
    SeedRandomFromClock();
    LoadedLabWork loaded = loadLabWork(path);
    int status = 0;
    if (!loaded.labWork) {
        printLine(stderr, loaded.errorMessage);
        status = 1;
    } else {
        QJsonObject json = labWorkToJson(*loaded.labWork);
        if (loaded.extractedFiles)
            json.insert(QStringLiteral("ExtractedFiles"), QJsonArray::fromStringList(*loaded.extractedFiles));
        printLine(stdout, QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Indented)).trimmed());
    }
    releaseLabWork(loaded);
    return status;
}

} // namespace

int runKelvo(int argc, char *argv[])
{
    quietStartupNoise();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

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
        // Pictures are decoded as the experiment page does, which needs the GUI module, not a screen.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication application(argc, argv);
        return runCheck(rest.first(), json);
    }
    return runWindow(argc, argv, arguments);
}

} // namespace kelvo
