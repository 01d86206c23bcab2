#include "HtmlPage.h"

#include "AccessibleControls.h"
#include "BitButton.h"
#include "HtmlViewer.h"
#include "Localization.h"
#include "WidgetLook.h"

#include <QAccessible>
#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

using kelvo::pixelFont;

namespace {

constexpr int InfoTopHeight = 49;
constexpr int HintHeight = 51;
constexpr int ButtonMargin = 9;

} // namespace

THtmlPage::THtmlPage(QWidget *parent)
    : QWidget(parent)
{
    kelvo::installAccessibleControls();
    panInfoTop = new QFrame(this);
    panInfoTop->setObjectName(QStringLiteral("panInfoTop"));
    panInfoTop->setFixedHeight(InfoTopHeight);
    panInfoTop->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panInfoTop->setLineWidth(1);
    kelvo::setColours(panInfoTop, QColor(0, 128, 192), Qt::white);

    lbInfoTitle = new QLabel(panInfoTop);
    lbInfoTitle->setObjectName(QStringLiteral("lbInfoTitle"));
    lbInfoTitle->setFont(pixelFont(QStringLiteral("Arial"), 27, true, true));
    lbInfoTitle->setTextFormat(Qt::PlainText);
    // A title longer than the panel is cut at its edge; it never asks the window for more room.
    lbInfoTitle->setMinimumWidth(1);
    // At (8, 8), sized to its text whenever the text changes.
    auto *titleLayout = new QHBoxLayout(panInfoTop);
    const int frame = panInfoTop->frameWidth();
    titleLayout->setContentsMargins(8 - frame, 8 - frame, 0, 0);
    titleLayout->addWidget(lbInfoTitle, 0, Qt::AlignLeft | Qt::AlignTop);
    titleLayout->addStretch(1);

    Viewer = new THtmlViewer(this);
    Viewer->setObjectName(QStringLiteral("Viewer"));

    btDocument = new TBitButton(Texts::BackToDocumentButton, TBitButton::Layout::GlyphLeft, panInfoTop);
    btDocument->setObjectName(QStringLiteral("btDocument"));
    btDocument->hide();
    btMenu = new TBitButton(Texts::MenuButton, TBitButton::Layout::GlyphLeft, panInfoTop);
    btMenu->setObjectName(QStringLiteral("btMenu"));
    for (QPushButton *button : { btDocument, btMenu }) {
        button->setFixedHeight(InfoTopHeight - 2 * ButtonMargin);
        titleLayout->addWidget(button, 0, Qt::AlignVCenter);
    }
    titleLayout->setContentsMargins(8 - frame, 8 - frame, ButtonMargin - frame, 0);
    connect(btDocument, &QPushButton::clicked, Viewer, &THtmlViewer::backToDocument);
    connect(btMenu, &QPushButton::clicked, this, &THtmlPage::menuRequested);
    connect(Viewer, &THtmlViewer::linkedPageChanged, btDocument, &QWidget::setVisible);
    connect(Viewer, &THtmlViewer::backFromDocument, this, &THtmlPage::menuRequested);
    connect(Viewer, &THtmlViewer::engineStarting, this, &THtmlPage::releaseBars);
    // A shortcut, not a key handler: the engine keeps Esc for itself inside the document.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &THtmlPage::escapePressed);

    panHint = new QFrame(this);
    panHint->setObjectName(QStringLiteral("panHint"));
    panHint->setFixedHeight(HintHeight);
    panHint->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panHint->setLineWidth(1);
    kelvo::setColours(panHint, QColor(128, 128, 128), Qt::white);

    lblHint = new QLabel(Texts::HtmlPageHint, panHint);
    lblHint->setObjectName(QStringLiteral("lblHint"));
    lblHint->setFont(pixelFont(QStringLiteral("Arial"), 13, true));
    lblHint->setTextFormat(Qt::PlainText);
    lblHint->setAlignment(Qt::AlignCenter);
    lblHint->setWordWrap(true);
    auto *hintLayout = new QVBoxLayout(panHint);
    hintLayout->setContentsMargins(8, 2, 8, 2);
    hintLayout->addWidget(lblHint);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panInfoTop);
    layout->addWidget(Viewer, 1);
    layout->addWidget(panHint);
}

void THtmlPage::setTitle(const QString &title)
{
    lbInfoTitle->setText(title);
}

void THtmlPage::setCovered(bool covered)
{
    if (m_covered == covered)
        return;
    m_covered = covered;
    if (covered && !m_barsHeld && !Viewer->engineStarted()) {
        m_barsHeld = true;
        panInfoTop->hide();
        panHint->hide();
    } else if (!covered) {
        releaseBars();
    }
    // Disabled, nothing of the page is a tab stop, takes the focus or answers a shortcut.
    setEnabled(!covered);
    Viewer->setCovered(covered);
    QAccessibleEvent event(this, covered ? QAccessible::ObjectHide : QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&event);
    if (!covered && isVisible())
        tsHTMLShow();
}

void THtmlPage::releaseBars()
{
    if (!m_barsHeld)
        return;
    m_barsHeld = false;
    // Shown on a page on screen, they are laid out at once: the engine makes its view at the
    // viewer's final size.
    panInfoTop->show();
    panHint->show();
}

void THtmlPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    tsHTMLShow();
}

void THtmlPage::tsHTMLShow()
{
    Viewer->setFocus(Qt::OtherFocusReason);
}

void THtmlPage::escapePressed()
{
    // A list the document opened (a drop-down's choices) is a window of its own that does not
    // take the keyboard focus, so the shortcut may see its Esc first: that Esc closes the list
    // and the student stays on the page, as in any browser.
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (QWidget *widget : widgets) {
        if (widget->isVisible() && widget->windowType() == Qt::Popup) {
            widget->close();
            return;
        }
    }
    Q_EMIT menuRequested();
}
