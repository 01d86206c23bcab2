#include "Application.h"

#include "FontFamily.h"
#include "Globals.h"
#include "HtmlViewer.h"
#include "Localization.h"
#include "MainForm.h"
#include "RunFolder.h"
#include "RunReporter.h"
#include "StartupIcon.h"
#include "StartupLoader.h"
#include "StartupUnpacking.h"
#include "TerminationSignals.h"
#include "TextFormat.h"
#include "ToolkitTranslation.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QMessageBox>
#include <QStringList>

namespace kelvo {

int runWindow(int &argc, char **argv, const QStringList &arguments, const QString &reportFolder,
    const StudentIdentity &student, const MainWindowHook &hook)
{
    const QString path = chooseStartPath(arguments);
    // Made first: without a runtime folder of the session, the toolkit's runtime files go into it.
    std::unique_ptr<RunFolder> runFolder = makeRunFolder(path);
    keepRuntimeFilesIn(*runFolder);
    // The web engine takes its flags only before the application object exists; the engine itself
    // is loaded once the menu has painted (THtmlViewer::warmUp). The environment changes here,
    // before the worker below starts: the C library's own readers of it (the time zone for the
    // archive's dates, ...) take no lock against a change made beside them.
    THtmlViewer::prepareEngine();
    // The package unpacks while the application and the window are made; the window loads the
    // lab work from it before anything is shown.
    auto unpacking = std::make_unique<StartupUnpacking>(path, std::move(runFolder));
    // Meanwhile the font configuration loads beside them, ready for the window's first font.
    std::future<void> fontConfiguration = pictures::loadFontConfigurationAhead();
    QApplication application(argc, argv);
    QApplication::setApplicationName(Texts::ProductName);
    // No display name: the platform would append it to every window caption ("Ошибка — Kelvo 1.0").
    installToolkitTranslation(QLocale::system());

    // The window icon comes once the menu has painted, or with a message shown before.
    auto *icon = new StartupIcon(&application);

    // A closed terminal or a kill ends the loop, so that the shutdown still deletes the files.
    TerminationSignals termination;
    QObject::connect(
        &termination, &TerminationSignals::terminationRequested, &application, [] { QCoreApplication::exit(1); });

    // A classroom's report folder that cannot be written is said before the student starts.
    std::optional<ReportFolder> folder;
    if (!reportFolder.isEmpty()) {
        QString error;
        folder = ReportFolder::open(reportFolder, &error);
        if (!folder) {
            QMessageBox box(QMessageBox::Critical, Texts::ErrorCaption,
                format(Texts::ReportFolderUnusable, { QDir::toNativeSeparators(reportFolder), error }),
                QMessageBox::Ok);
            box.exec();
            return 1;
        }
    }

    auto mainForm = std::make_unique<TMainForm>(arguments, std::move(unpacking));
    MainForm = mainForm.get();
    if (MainForm->StartupFailed()) {
        mainForm.reset();
        MainForm = nullptr;
        return 1;
    }
    // Reports collected for a class name the student, asked once before the menu shows; who
    // cancels ends the run as a failed start does.
    std::optional<StudentIdentity> identity = student;
    if (folder && !student.isKnown())
        identity = TRunReporter::askStudent(nullptr, student);
    if (!identity) {
        mainForm.reset();
        MainForm = nullptr;
        return 1;
    }
    auto *reporter = new TRunReporter(*MainForm, path, std::move(folder), *identity);
    icon->followMainWindow(*MainForm);
    if (hook)
        hook(*MainForm);
    MainForm->show();
    // The engine's start, after the first paint, changes the environment.
    fontConfiguration.wait();
    MainForm->Viewer->warmUp();
    const int status = QApplication::exec();
    reporter->finish();

    MainForm = nullptr;
    return status;
}

} // namespace kelvo
