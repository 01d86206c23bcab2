#pragma once

class TMainForm;

// The program's main window, made at start and living until the program ends. Its dialogs are
// made when first shown (TMainForm::aboutDialog, TMainForm::resultsDialog, TLabPage::deviceDialog).
extern TMainForm *MainForm;
