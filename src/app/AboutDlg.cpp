#include "AboutDlg.h"

#include "PackageExtractor.h"

#include "BitButton.h"
#include "Glyphs.h"
#include "KeyPreview.h"
#include "Localization.h"
#include "WidgetLook.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QtWebEngineCore/qtwebenginecoreversion.h>
#include <QUrl>
#include <QVBoxLayout>

#include <zlib.h>

using namespace kelvo;

namespace {

const QString Tahoma = QStringLiteral("Tahoma");

QLabel *pictureLabel(QWidget *parent, const QString &glyph, const QRect &geometry)
{
    auto *label = new QLabel(parent);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    label->setPixmap(glyphPixmap(glyph, parent->devicePixelRatioF()));
    return label;
}

QPlainTextEdit *readOnlyMemo(QWidget *parent, const QRect &geometry)
{
    auto *memo = new QPlainTextEdit(parent);
    memo->setGeometry(geometry);
    memo->setReadOnly(true);
    memo->setFrameStyle(QFrame::NoFrame);
    memo->setFocusPolicy(Qt::NoFocus);
    memo->viewport()->setCursor(Qt::ArrowCursor);
    QPalette colours = memo->palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Button));
    memo->setPalette(colours);
    return memo;
}

struct Component
{
    QString name;
    QString authors;
};

QList<Component> components()
{
    return {
        { QStringLiteral("Qt ") + QString::fromLatin1(qVersion()),
            QStringLiteral("The Qt Company Ltd. и участники проекта Qt; LGPL 3") },
        { QStringLiteral("Qt WebEngine ") + QStringLiteral(QTWEBENGINECORE_VERSION_STR) + QStringLiteral(", Chromium"),
            QStringLiteral("The Qt Company Ltd., The Chromium Authors; LGPL 3, BSD") },
        { QStringLiteral("libzip ") + kelvo::archiveLibraryVersion(),
            QStringLiteral("Dieter Baron, Thomas Klausner; BSD") },
        { QStringLiteral("zlib ") + QStringLiteral(ZLIB_VERSION),
            QStringLiteral("Jean-loup Gailly, Mark Adler; лицензия zlib") },
    };
}

} // namespace

TAboutDlg::TAboutDlg(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(Texts::AboutCaption);
    setFont(pixelFont(Tahoma, 13));
    setFixedSize(360, 267);

    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(0, 0, 360, 233);
    PageControl1->setTabPosition(QTabWidget::East);
    PageControl1->tabBar()->setFont(pixelFont(Tahoma, 8));
    // All three tabs stand beside the pages at once: no scroll buttons hide one of them.
    PageControl1->setUsesScrollButtons(false);
    PageControl1->addTab(createLabWorkPage(), Texts::AboutLabWorkTab);
    PageControl1->addTab(createProgramPage(), Texts::AboutProgramTab);
    PageControl1->addTab(createComponentsPage(), Texts::AboutComponentsTab);

    auto *okButton = new TBitButton(Texts::OkButton, TBitButton::Layout::GlyphLeft, this);
    okButton->setGlyph(QStringLiteral("TICK"));
    okButton->setSpacing(6);
    BitBtn1 = okButton;
    BitBtn1->setGeometry(258, 233, 97, 30);
    BitBtn1->setFont(pixelFont(Tahoma, 19, true));
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    installKeyPreview(this, this);
    nameForScreenReaders();
}

void TAboutDlg::nameForScreenReaders()
{
    // The pictures and the memos have no text of their own that says what they are.
    Image1->setAccessibleName(Texts::AboutLabWorkPicture);
    Image2->setAccessibleName(Texts::ProductName);
    Memo1->setAccessibleName(Texts::AboutDescriptionName);
    mLicenseNote->setAccessibleName(Texts::AboutLicenseNoteName);
}

QWidget *TAboutDlg::createLabWorkPage()
{
    auto *page = new QWidget;
    Image1 = pictureLabel(page, QStringLiteral("ABOUT_LABWORK"), QRect(8, 8, 90, 90));

    Label1 = new QLabel(page);
    Label1->setGeometry(104, 8, 225, 89);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setFont(pixelFont(Tahoma, 19, true));

    Bevel1 = new QFrame(page);
    Bevel1->setGeometry(8, 96, 318, 2);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    Label2 = new QLabel(page);
    Label2->setGeometry(16, 104, 310, 16);
    Label2->setTextFormat(Qt::PlainText);
    Label2->setFont(pixelFont(Tahoma, 13, true));

    Memo1 = readOnlyMemo(page, QRect(13, 120, 314, 73));
    return page;
}

QWidget *TAboutDlg::createProgramPage()
{
    auto *page = new QWidget;
    Image2 = pictureLabel(page, QStringLiteral("KELVO"), QRect(2, 1, 100, 100));

    Label3 = new QLabel(Texts::ProductName, page);
    Label3->setFont(pixelFont(Tahoma, 64, true, true));
    Label3->move(110, 0);
    Label3->adjustSize();

    auto *version = new QLabel(page);
    version->setText(QStringLiteral("Версия %1\nРазработчики Kelvo, 2026").arg(QStringLiteral(KELVO_VERSION)));
    version->setGeometry(112, 66, 215, 34);

    mLicenseNote = readOnlyMemo(page, QRect(2, 102, 325, 97));
    mLicenseNote->setPlainText(QStringLiteral(
        "Kelvo распространяется на условиях лицензии MIT: её можно свободно использовать, копировать "
        "и изменять при сохранении уведомления об авторских правах. Программа предоставляется «как есть», "
        "без каких-либо гарантий. Полный текст лицензии и лицензии использованных компонентов находятся "
        "в файле LICENSE.TXT рядом с программой."));

    Button1 = new QPushButton(Texts::AboutLicenseButton, page);
    Button1->setGeometry(149, 201, 182, 23);
    // The dialog's font, smaller where the one drawn for it would cut the caption.
    Button1->setFont(fittingFont(font(), Button1->text(), Button1->width() - 6));
    connect(Button1, &QPushButton::clicked, this, &TAboutDlg::Button1Click);
    return page;
}

QWidget *TAboutDlg::createComponentsPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(2);
    auto *heading = new QLabel(Texts::AboutComponentsHeading, page);
    heading->setWordWrap(true);
    heading->setFont(pixelFont(Tahoma, 13, true, false, true));
    layout->addWidget(heading);
    layout->addSpacing(4);
    for (const Component &component : components()) {
        auto *name = new QLabel(component.name, page);
        name->setFont(pixelFont(Tahoma, 13, true));
        auto *authors = new QLabel(component.authors, page);
        authors->setWordWrap(true);
        layout->addWidget(name);
        layout->addWidget(authors);
        layout->addSpacing(3);
    }
    layout->addStretch();
    return page;
}

void TAboutDlg::Fill(const QString &title, const QString &author, const QString &description)
{
    Label1->setText(title);
    Label2->setText(author.isEmpty() ? QString() : Texts::AboutAuthorPrefix + author);
    Memo1->setPlainText(description);
}

void TAboutDlg::ShowAbout()
{
    PageControl1->setCurrentIndex(0);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    BitBtn1->setFocus();
    exec();
}

void TAboutDlg::Button1Click()
{
    // Whatever the desktop answers is ignored, as the shell's "open" verb is.
    const QString license = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("license.txt"));
    QDesktopServices::openUrl(QUrl::fromLocalFile(license));
}

bool TAboutDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
