#include "Application.h"

#include "AboutDlg.h"
#include "BenchTrace.h"
#include "DeviceDlg.h"
#include "Globals.h"
#include "Glyphs.h"
#include "HtmlViewer.h"
#include "LabPage.h"
#include "Localization.h"
#include "MainForm.h"
#include "ResultsDlg.h"
#include "TerminationSignals.h"

#include <QApplication>
#include <QStringList>

TDeviceDlg *DeviceDlg = nullptr;
TAboutDlg *AboutDlg = nullptr;
TResultsDlg *ResultsDlg = nullptr;

namespace kelvo {

int runWindow(int &argc, char **argv, const QStringList &arguments)
{
    // The web engine takes its scheme and flags only before the application object exists.
    THtmlViewer::prepareEngine();
    QApplication application(argc, argv);
    QApplication::setApplicationName(Texts::ProductName);
    QApplication::setApplicationDisplayName(Texts::ApplicationTitle);
    QApplication::setWindowIcon(programIcon());

    // A closed terminal or a kill ends the loop, so that the shutdown still deletes the files.
    TerminationSignals termination;
    QObject::connect(
        &termination, &TerminationSignals::terminationRequested, &application, [] { QCoreApplication::exit(1); });

    auto mainForm = std::make_unique<TMainForm>(arguments);
    MainForm = mainForm.get();
    if (MainForm->StartupFailed()) {
        mainForm.reset();
        MainForm = nullptr;
        return 1;
    }
    TDeviceDlg deviceDlg(MainForm);
    DeviceDlg = &deviceDlg;
    MainForm->LabPage->setDeviceDialog(DeviceDlg);
    TAboutDlg aboutDlg(MainForm);
    AboutDlg = &aboutDlg;
    TResultsDlg resultsDlg(MainForm);
    ResultsDlg = &resultsDlg;

    installBenchTrace(*MainForm);
    MainForm->show();
    MainForm->Viewer->warmUp();
    const int status = QApplication::exec();

    ResultsDlg = nullptr;
    AboutDlg = nullptr;
    DeviceDlg = nullptr;
    MainForm = nullptr;
    return status;
}

} // namespace kelvo
