#pragma once

#include "StartupLoader.h"
#include "StartupUnpacking.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

class QFrame;
class QLabel;
class QScrollArea;
class QStackedWidget;
class TAboutDlg;
class TClickPanel;
class THtmlPage;
class THtmlViewer;
class TLabPage;
class TMyBitBtn;
class TResultsDlg;
class TChapter;

// The main window: three pages switched only by the program (the chapter menu, the HTML page and
// the laboratory page), start-up while it is created and the shutdown when it is destroyed.
class TMainForm final : public QWidget
{
    Q_OBJECT

public:
    // Runs the start-up. When it fails, the message has been shown and StartupFailed() is true:
    // the program ends without showing the window.
    // A package already being unpacked (the program's start, see StartupUnpacking) is taken
    // over; without it, the start-up loads the lab work the arguments name itself.
    explicit TMainForm(const QStringList &arguments, std::unique_ptr<kelvo::StartupUnpacking> unpacking = {});
    ~TMainForm() override;
    Q_DISABLE_COPY_MOVE(TMainForm)

    bool StartupFailed() const { return m_startupFailed; }
    TLabWork *LabWork() const { return m_loaded.labWork.get(); }
    const std::optional<QStringList> &ExtractedFiles() const { return m_loaded.extractedFiles; }
    // The run's own folder (deleted at exit), when there is one.
    const kelvo::RunFolder *runFolder() const { return m_loaded.runFolder.get(); }

    // Navigation
    void OpenCurrentChapter();
    void ShowMenu();
    void ButtonClick(TMyBitBtn *button);
    void btStopClick();
    void panCopyrightsClick();
    void ViewFormSubmit(const QString &action, const QString &target, const QString &encType, const QString &method,
        const QStringList &results);

    // The viewer's page process ended under the document: back to the menu, with a message that
    // names the document; everything the student has done stays.
    void ViewerDocumentFailed(const QString &linkedName);

    // Shows an error that reached the window: the default error report.
    void ShowErrorReport(const QString &message);

    // The about box and the results of a check: made when first shown, parented to the window,
    // unless another has been given (tests watch their own).
    TAboutDlg *aboutDialog();
    TResultsDlg *resultsDialog();
    void setAboutDialog(TAboutDlg *dialog);
    void setResultsDialog(TResultsDlg *dialog);

    QStackedWidget *Pages = nullptr;
    QWidget *tsMenu = nullptr;
    THtmlPage *tsHTML = nullptr;
    QWidget *tsLab = nullptr; // the laboratory page in a view that scrolls where the window is smaller
    THtmlViewer *Viewer = nullptr;

    // Menu page
    QFrame *panBackground = nullptr;
    QLabel *lblBackgroundTitle = nullptr;
    QFrame *panBox = nullptr;
    QLabel *panTitle = nullptr;
    TClickPanel *panCopyrights = nullptr;
    QScrollArea *MenuScroll = nullptr; // holds the buttons when they would be too low to read
    std::vector<TMyBitBtn *> MenuButtons;

    // The laboratory page inside tsLab, built when first asked for (the first experiment opened):
    // the menu comes up without it.
    TLabPage *labPage();

Q_SIGNALS:
    // What the run's report records: a chapter shown, answers checked (before the results are
    // shown), a document read to its end.
    void chapterOpened(int index);
    void answersChecked(int index, int right, int total);
    void chapterCompleted(int index);

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate(const QStringList &arguments, std::unique_ptr<kelvo::StartupUnpacking> unpacking);
    void FormShow();
    void FormDestroy();
    void createMenuPage();
    void createHtmlPage();
    void createLabPage();
    // The HTML page stays on screen under the page shown (see THtmlPage, covered); the others
    // are hidden.
    void keepHtmlPageUnder();
    void coverPages();
    void placeMenuBox();
    void BuildMenuButtons();
    void RefreshGlyphs();
    // The menu button's title, state and, when locked, what to pass first, for tooltip and screen reader.
    void DescribeMenuButton(int index);
    void tsMenuShow();
    void showStartupError(const QString &message);
    // Asks for the maximised state again unless the student minimised the window.
    void keepMaximised();
    // Runs an event handler; what it raises goes to the default error report.
    void guarded(const std::function<void()> &handler);

    // The keyboard: F1 for the about box from every page, and what the Tab key reaches on the
    // menu (the chapters in order, the exit, then the bottom panel).
    void setUpKeyboard();
    void orderMenuTabStops();
    // The current chapter's button (the first chapter's, before any) takes the keyboard.
    void focusChapterButton();

    kelvo::LoadedLabWork m_loaded;
    const TChapter *m_labPageChapter = nullptr; // the experiment the laboratory page was built for
    TLabPage *m_labPage = nullptr;
    QPointer<TAboutDlg> m_aboutDialog;
    QPointer<TResultsDlg> m_resultsDialog;
    bool m_startupFailed = false;
    // The HTML page shows a checked quiz's review, whose forms lead only to the menu.
    bool m_reviewShown = false;
    bool m_submissionInHand = false; // a form submission is being handled
};
