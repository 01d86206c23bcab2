#include "MainForm.h"

#include "AccessibleControls.h"
#include "ClickPanel.h"
#include "Globals.h"
#include "HtmlPage.h"
#include "HtmlViewer.h"
#include "LabFolder.h"
#include "LabPage.h"
#include "Localization.h"
#include "ModelMessages.h"
#include "MyBitBtn.h"
#include "Random.h"
#include "RuntimeErrors.h"
#include "StartupUnpacking.h"
#include "TextFormat.h"
#include "WidgetLook.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMessageBox>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QStackedLayout>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace kelvo;

TMainForm *MainForm = nullptr;

namespace {

// The menu page as laid out: the box of buttons keeps its place relative to the page's centre.
constexpr QSize DesignClient(793, 601);
constexpr QRect DesignBox(69, 51, 633, 473);

} // namespace

TMainForm::TMainForm(const QStringList &arguments, std::unique_ptr<kelvo::StartupUnpacking> unpacking)
{
    setWindowTitle(Texts::ApplicationTitle);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
        | Qt::WindowCloseButtonHint);
    setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11));
    resize(DesignClient);

    Pages = new QStackedWidget(this);
    // The pages lie over each other (see keepHtmlPageUnder). Set before they are added: switched
    // afterwards, the layout would show and lay out each page at once, well before the window.
    static_cast<QStackedLayout *>(Pages->layout())->setStackingMode(QStackedLayout::StackAll);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Pages);
    createMenuPage();
    createHtmlPage();
    createLabPage();
    keepHtmlPageUnder();
    setUpKeyboard();

    FormCreate(arguments, std::move(unpacking));
}

TMainForm::~TMainForm()
{
    FormDestroy();
}

void TMainForm::FormCreate(const QStringList &arguments, std::unique_ptr<kelvo::StartupUnpacking> unpacking)
{
    // Maximised: where no window manager does it, the window takes the screen's free area.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(Qt::WindowMaximized);

    SeedRandomFromClock();

    // Loading reports an experiment's missing start variant in a plain message box; the
    // headless forms keep printing it.
    const auto restore = qScopeGuard([previous = setActivationErrorHandler([this](const QString &text) {
        QMessageBox box(QMessageBox::NoIcon, Texts::ApplicationTitle, text, QMessageBox::Ok, this);
        box.exec();
    })] { setActivationErrorHandler(previous); });
    m_loaded = unpacking ? loadUnpacked(unpacking->path(), unpacking->take()) : loadLabWork(chooseStartPath(arguments));
    if (!m_loaded.labWork) {
        showStartupError(m_loaded.errorMessage);
        return;
    }
    Viewer->setLabFolder(kelvo::LabFolder::current());

    panCopyrights->setText(Texts::CopyrightPrefix + m_loaded.labWork->Author);
    BuildMenuButtons();
    orderMenuTabStops();
    Pages->setCurrentWidget(tsMenu);
}

void TMainForm::FormShow()
{
    setWindowTitle(Texts::ApplicationTitle);
}

void TMainForm::FormDestroy()
{
    releaseLabWork(m_loaded);
}

void TMainForm::showStartupError(const QString &message)
{
    m_startupFailed = true;
    QMessageBox box(QMessageBox::Critical, Texts::ErrorCaption, message, QMessageBox::Ok, this);
    box.exec();
}

void TMainForm::ShowErrorReport(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, Texts::ApplicationTitle, errorReportText(message), QMessageBox::Ok, this);
    box.exec();
}

void TMainForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    FormShow();
}

void TMainForm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The window stays maximised: a window manager may map it restored although the state was
    // asked for before, or restore it later.
    if (event->type() == QEvent::WindowStateChange && isVisible())
        QTimer::singleShot(0, this, &TMainForm::keepMaximised);
}

void TMainForm::keepMaximised()
{
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeMenuBox();
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == tsMenu && event->type() == QEvent::Show)
        tsMenuShow();
    if (watched == panBackground && event->type() == QEvent::Resize)
        placeMenuBox();
    return QWidget::eventFilter(watched, event);
}

void TMainForm::createMenuPage()
{
    tsMenu = new QWidget;
    tsMenu->setObjectName(QStringLiteral("tsMenu"));
    tsMenu->installEventFilter(this);
    Pages->addWidget(tsMenu);

    panBackground = makePanel(tsMenu, QRect(QPoint(0, 0), DesignClient), Bevel::None, QColor(0, 0, 128));
    panBackground->setObjectName(QStringLiteral("panBackground"));
    panBackground->setFrameStyle(QFrame::Box | QFrame::Plain);
    panBackground->installEventFilter(this);
    auto *pageLayout = new QVBoxLayout(tsMenu);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(panBackground);

    lblBackgroundTitle = new QLabel(Texts::MenuTitle, panBackground);
    lblBackgroundTitle->setObjectName(QStringLiteral("lblBackgroundTitle"));
    lblBackgroundTitle->setFont(pixelFont(QStringLiteral("Arial"), 37, true, true));
    setColours(lblBackgroundTitle, QColor(), QColor(128, 0, 255));
    lblBackgroundTitle->move(8, 5);
    lblBackgroundTitle->adjustSize();

    panBox = makePanel(panBackground, DesignBox, Bevel::Raised);
    panBox->setObjectName(QStringLiteral("panBox"));

    panTitle = new QLabel(panBox);
    panTitle->setObjectName(QStringLiteral("panTitle"));
    panTitle->setGeometry(8, 8, 617, 73);
    panTitle->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panTitle->setAlignment(Qt::AlignCenter);
    panTitle->setWordWrap(true);
    panTitle->setTextFormat(Qt::PlainText);
    panTitle->setFont(pixelFont(QStringLiteral("Arial"), 24, true));
    setColours(panTitle, QColor(0, 128, 192), Qt::white);

    // Before the panel exists: its interface is made once, when a screen reader first asks.
    kelvo::tellAsButton(TClickPanel::staticMetaObject);
    panCopyrights = new TClickPanel(panBox);
    panCopyrights->setObjectName(QStringLiteral("panCopyrights"));
    panCopyrights->setGeometry(8, 432, 617, 33);
    panCopyrights->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panCopyrights->setAlignment(Qt::AlignCenter);
    panCopyrights->setTextFormat(Qt::PlainText);
    panCopyrights->setFont(pixelFont(QStringLiteral("Arial"), 12));
    panCopyrights->setCursor(Qt::PointingHandCursor);
    panCopyrights->setAccessibleDescription(Texts::CopyrightsPanelDescription);
    connect(panCopyrights, &TClickPanel::clicked, this, [this] { guarded([this] { panCopyrightsClick(); }); });
}

void TMainForm::placeMenuBox()
{
    const QSize design = DesignClient - QSize(2, 2); // inside the background's border
    const QSize now = panBackground->size();
    panBox->move(
        DesignBox.left() + (now.width() - design.width()) / 2, DesignBox.top() + (now.height() - design.height()) / 2);
}

void TMainForm::createHtmlPage()
{
    tsHTML = new THtmlPage;
    tsHTML->setObjectName(QStringLiteral("tsHTML"));
    Pages->addWidget(tsHTML);
    Viewer = tsHTML->Viewer;
    connect(Viewer, &THtmlViewer::formSubmitted, this,
        [this](const QString &action, const QString &target, const QString &encType, const QString &method,
            const QStringList &results) {
            guarded([&] { ViewFormSubmit(action, target, encType, method, results); });
        });
    connect(tsHTML, &THtmlPage::menuRequested, this, [this] { guarded([this] { btStopClick(); }); });
    connect(Viewer, &THtmlViewer::documentFailed, this, &TMainForm::ViewerDocumentFailed, Qt::QueuedConnection);
    connect(Viewer, &THtmlViewer::formUnreadable, this, [this](const QString &, const QString &message) {
        ShowErrorReport(format(Texts::FormUnreadable, { message }));
    });
}

void TMainForm::createLabPage()
{
    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("tsLabScroll"));
    scroll->setFrameStyle(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    tsLab = scroll;
    Pages->addWidget(tsLab);
}

TLabPage *TMainForm::labPage()
{
    if (m_labPage)
        return m_labPage;
    m_labPage = new TLabPage;
    m_labPage->setObjectName(QStringLiteral("tsLab"));
    // On a screen smaller than the bench was laid out for, the bench scrolls instead of being cut.
    m_labPage->setMinimumSize(DesignClient);
    m_labPage->setLabWork(LabWork());
    static_cast<QScrollArea *>(tsLab)->setWidget(m_labPage);
    m_labPage->show();
    connect(m_labPage, &TLabPage::menuRequested, this, [this] { guarded([this] { btStopClick(); }); });
    connect(
        m_labPage, &TLabPage::openCurrentChapterRequested, this, [this] { guarded([this] { OpenCurrentChapter(); }); });
    connect(m_labPage, &TLabPage::errorRaised, this, &TMainForm::ShowErrorReport);
    return m_labPage;
}

void TMainForm::keepHtmlPageUnder()
{
    // A web view that is hidden and shown again makes the engine draw it afresh; kept on screen
    // under the other pages (the stacked layout lays them over each other), it only loads the
    // next document.
    // Opaque, the page on top spares the one below its paints.
    tsMenu->setAutoFillBackground(true);
    tsLab->setAutoFillBackground(true);
    connect(Pages, &QStackedWidget::currentChanged, this, &TMainForm::coverPages);
    coverPages();
}

void TMainForm::coverPages()
{
    QWidget *current = Pages->currentWidget();
    for (int i = 0; i < Pages->count(); ++i) {
        QWidget *page = Pages->widget(i);
        if (page != current && page != tsHTML)
            page->hide();
    }
    tsHTML->setCovered(current != tsHTML);
}

void TMainForm::guarded(const std::function<void()> &handler)
{
    // The one default error report: what a handler raises is shown, and the program goes on.
    try {
        handler();
    } catch (const ERuntimeError &error) {
        ShowErrorReport(error.message());
    } catch (const std::exception &error) {
        ShowErrorReport(QString::fromUtf8(error.what()));
    }
}
