#include "MainForm.h"

#include "AboutDlg.h"
#include "ChapterAccess.h"
#include "ExperimentChapter.h"
#include "HtmlPage.h"
#include "HtmlViewer.h"
#include "InfoChapter.h"
#include "LabPage.h"
#include "Localization.h"
#include "MyBitBtn.h"
#include "QuizReview.h"
#include "ResultsDlg.h"
#include "TaskChapter.h"
#include "TextFormat.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyle>

#include <algorithm>

namespace {

constexpr int BoxWidth = 633;
constexpr int BoxHeight = 473;
constexpr int MaxButtonHeight = 57;
// Where the formula's height no longer holds a caption (from eleven chapters on), the buttons
// take a comfortable height and scroll between the title and the bottom panel.
constexpr int ScrolledButtonHeight = 30;
constexpr int ButtonsTop = 106;
constexpr int ButtonGap = 8;

} // namespace

void TMainForm::BuildMenuButtons()
{
    const int count = LabWork()->Chapters().Count();
    int height = (BoxHeight - 153) / (count + 1) - ButtonGap;
    height = qMin(height, MaxButtonHeight);
    QStringList captions;
    for (int i = 0; i < count; ++i)
        captions.append(LabWork()->Chapters().Items(i)->Title);
    captions.append(Texts::ExitButton);
    const bool captionsFit = std::all_of(captions.cbegin(), captions.cend(),
        [height](const QString &caption) { return TMyBitBtn::holdsCaption(caption, height); });

    QWidget *parent = panBox;
    int left = 32;
    int top = ButtonsTop;
    int width = BoxWidth - 64;
    if (!captionsFit) {
        height = ScrolledButtonHeight;
        MenuScroll = new QScrollArea(panBox);
        MenuScroll->setObjectName(QStringLiteral("MenuScroll"));
        MenuScroll->setGeometry(8, ButtonsTop - ButtonGap, BoxWidth - 16, 432 - ButtonsTop);
        MenuScroll->setFrameStyle(QFrame::NoFrame);
        MenuScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        MenuScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        auto *content = new QWidget;
        const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        content->setFixedSize(MenuScroll->width() - scrollBar, ButtonGap + (count + 1) * (height + ButtonGap));
        MenuScroll->setWidget(content);
        MenuScroll->show();
        parent = content;
        left -= MenuScroll->x();
        top = ButtonGap;
    }

    MenuButtons.assign(size_t(count) + 1, nullptr);
    for (int i = 0; i <= count; ++i) {
        auto *button = new TMyBitBtn(parent);
        button->setObjectName(QStringLiteral("MenuButton%1").arg(i));
        button->Tag = i < count ? i : -1;
        if (i == count)
            button->setGlyph(QStringLiteral("EXIT"));
        button->ApplyProperties(captions.at(i), left, top + (height + ButtonGap) * i, width, height);
        connect(button, &QPushButton::clicked, this, [this, button] { guarded([&] { ButtonClick(button); }); });
        button->show();
        button->repaint();
        MenuButtons[size_t(i)] = button;
    }
}

void TMainForm::RefreshGlyphs()
{
    if (!LabWork())
        return;
    for (int i = 0; i < LabWork()->Chapters().Count() && size_t(i) < MenuButtons.size(); ++i) {
        MenuButtons[size_t(i)]->setGlyph(kelvo::chapterAccessGlyph(kelvo::chapterAccess(*LabWork(), i)));
        DescribeMenuButton(i);
    }
}

void TMainForm::DescribeMenuButton(int index)
{
    TMyBitBtn *button = MenuButtons[size_t(index)];
    button->setAccessibleName(LabWork()->Chapters().Items(index)->Title);
    button->setAccessibleDescription(kelvo::chapterAccessText(*LabWork(), index));
    const QString missing = kelvo::missingChapterTitles(*LabWork(), index);
    button->setToolTip(kelvo::chapterAccess(*LabWork(), index) == kelvo::ChapterAccess::Locked && !missing.isEmpty()
            ? kelvo::format(Texts::ChapterLockedBy, { missing })
            : QString());
}

void TMainForm::tsMenuShow()
{
    if (!LabWork())
        return;
    panTitle->setText(LabWork()->Title);
    RefreshGlyphs();
}

void TMainForm::ShowMenu()
{
    // A way back to an experiment ends at the menu: one never taken (the linked document failed to
    // open) must not lead the next completed chapter back to the experiment.
    if (LabWork())
        LabWork()->ReturnIndex = -1;
    m_reviewShown = false;
    Pages->setCurrentWidget(tsMenu);
    // The focus follows the pages only out of a page that held it. A document whose process
    // ended had lost it, and the keyboard would start over at the window's first tab stop.
    const QWidget *focus = QApplication::focusWidget();
    if (!focus || !tsMenu->isAncestorOf(focus))
        focusChapterButton();
}

void TMainForm::ButtonClick(TMyBitBtn *button)
{
    if (button->Tag == -1) {
        close();
        return;
    }
    const int index = button->Tag;
    if (LabWork()->CanOpen(index) || LabWork()->Chapters().Items(index)->Passed) {
        LabWork()->SelectChapter(index);
        OpenCurrentChapter();
        return;
    }
    QMessageBox box(QMessageBox::Information, Texts::AttentionCaption, Texts::ChapterLocked, QMessageBox::Ok, this);
    if (const QString missing = kelvo::missingChapterTitles(*LabWork(), index); !missing.isEmpty())
        box.setInformativeText(kelvo::format(Texts::ChapterLockedBy, { missing }));
    box.exec();
}

void TMainForm::OpenCurrentChapter()
{
    m_reviewShown = false;
    TChapter *chapter = LabWork()->CurrentChapter();
    if (chapter)
        Q_EMIT chapterOpened(LabWork()->CurrentIndex);
    if (auto *experiment = dynamic_cast<TExperimentChapter *>(chapter)) {
        TLabPage *page = labPage();
        page->lbLabTitle->setText(experiment->SchemaTitle);
        page->lbLabTitle->adjustSize();
        // The page builds itself when it comes into view, and again for another experiment
        // (an experiment's instructions may link to one). What it raises reaches the report.
        const bool rebuild = Pages->currentWidget() != tsLab || m_labPageChapter != experiment;
        Pages->setCurrentWidget(tsLab);
        if (rebuild) {
            m_labPageChapter = experiment;
            page->tsLabShow();
        }
    } else if (dynamic_cast<TInfoChapter *>(chapter) || dynamic_cast<TTaskChapter *>(chapter)) {
        tsHTML->setTitle(chapter->Title);
        Viewer->LoadFromString(chapter->GetHTML());
        Pages->setCurrentWidget(tsHTML);
    }
}

void TMainForm::ViewerDocumentFailed(const QString &linkedName)
{
    // Shown elsewhere, the empty page strands no one: the next opening loads it anew.
    if (Pages->currentWidget() != tsHTML || !LabWork())
        return;
    QString name = linkedName;
    if (const TChapter *chapter = LabWork()->CurrentChapter(); name.isEmpty() && chapter) {
        const auto *info = dynamic_cast<const TInfoChapter *>(chapter);
        name = info && !info->Document.isEmpty() ? info->Document : chapter->Title;
    }
    btStopClick();
    ShowErrorReport(kelvo::format(Texts::DocumentFailed, { name }));
}

void TMainForm::btStopClick()
{
    ShowMenu();
}

void TMainForm::panCopyrightsClick()
{
    TAboutDlg *about = aboutDialog();
    about->Fill(LabWork()->Title, LabWork()->Author, LabWork()->Description);
    about->ShowAbout();
}

TAboutDlg *TMainForm::aboutDialog()
{
    if (!m_aboutDialog)
        m_aboutDialog = new TAboutDlg(this);
    return m_aboutDialog;
}

TResultsDlg *TMainForm::resultsDialog()
{
    if (!m_resultsDialog)
        m_resultsDialog = new TResultsDlg(this);
    return m_resultsDialog;
}

void TMainForm::setAboutDialog(TAboutDlg *dialog)
{
    m_aboutDialog = dialog;
}

void TMainForm::setResultsDialog(TResultsDlg *dialog)
{
    m_resultsDialog = dialog;
}

void TMainForm::ViewFormSubmit(
    const QString &action, const QString &, const QString &, const QString &, const QStringList &results)
{
    // A double click submits twice, and the second submission arrives while the first one's
    // results are shown (a modal dialog runs the event loop): it counts nothing.
    if (m_submissionInHand)
        return;
    const QScopedValueRollback inHand(m_submissionInHand, true);
    // A review's page is read-only, whatever forms its questions bring along (one left open takes
    // the return button in): none of its submissions checks the quiz again.
    if (m_reviewShown) {
        ShowMenu();
        return;
    }
    TChapter *chapter = LabWork()->CurrentChapter();
    if (dynamic_cast<TInfoChapter *>(chapter)) {
        // Completing a document: back to the experiment that opened it, or to the menu.
        chapter->Passed = true;
        Q_EMIT chapterCompleted(LabWork()->CurrentIndex);
        if (LabWork()->ReturnIndex >= 0) {
            LabWork()->SelectChapter(LabWork()->ReturnIndex);
            LabWork()->ReturnIndex = -1;
            OpenCurrentChapter();
        } else {
            ShowMenu();
        }
        return;
    }
    if (auto *task = dynamic_cast<TTaskChapter *>(chapter); task && action == u":quest") {
        const int right = task->CheckAnswers(results);
        Q_EMIT answersChecked(LabWork()->CurrentIndex, right, task->Questions);
        TResultsDlg *dialog = resultsDialog();
        dialog->NameAfter(task->Title);
        dialog->ShowResults(right, task->Questions);
        task->Passed = true;
        if (task->Review > 0) {
            // The checked page again, marked; its only button leads to the menu.
            Viewer->LoadFromString(kelvo::quizReviewPage(*task, results, task->Review >= 2));
            m_reviewShown = true;
            return;
        }
    }
    ShowMenu();
}
