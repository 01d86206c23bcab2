#pragma once

class TMainForm;
class TDeviceDlg;
class TAboutDlg;
class TResultsDlg;

// The program's windows, created at start in this order and living until it ends.
extern TMainForm *MainForm;
extern TDeviceDlg *DeviceDlg;
extern TAboutDlg *AboutDlg;
extern TResultsDlg *ResultsDlg;
