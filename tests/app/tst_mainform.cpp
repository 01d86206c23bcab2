#include "AboutDlg.h"
#include "AccessibleTold.h"
#include "BitButton.h"
#include "ClickPanel.h"
#include "Globals.h"
#include "HtmlPage.h"
#include "HtmlViewer.h"
#include "LabPage.h"
#include "LabWork.h"
#include "MainForm.h"
#include "ModelMessages.h"
#include "MyBitBtn.h"
#include "ResultsDlg.h"
#include "TestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace kelvo::test;
using namespace Qt::StringLiterals;

namespace {

struct ModalSeen
{
    QString caption;
    QString text;
    QString informativeText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool seen = false;
};

// Answers the next modal message box with OK and remembers what it said.
std::shared_ptr<ModalSeen> answerNextMessageBox()
{
    auto seen = std::make_shared<ModalSeen>();
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [seen, timer] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            seen->caption = box->windowTitle();
            seen->text = box->text();
            seen->informativeText = box->informativeText();
            seen->icon = box->icon();
            seen->buttons = box->standardButtons();
            seen->seen = true;
            box->accept();
            timer->deleteLater();
        }
    });
    timer->start(20);
    return seen;
}

QByteArray chapters(int count, const QByteArray &extra = {})
{
    QByteArray text = "[Header]\nTitle=Lab\nAuthor=A. Author\n";
    for (int i = 0; i < count; ++i)
        text += "[c" + QByteArray::number(i) + "]\nType=Information\nTitle=Chapter " + QByteArray::number(i)
            + "\nIdentifier=" + QByteArray::number(i + 1) + "\nDocument=doc.htm\n";
    return text + extra;
}

} // namespace

class TestMainForm final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_startDirectory = QDir::currentPath();

    std::unique_ptr<TMainForm> openDescriptor(const QByteArray &content, const QString &folder = QStringLiteral("lab"))
    {
        const QString path = writeFile(QDir(m_dir.filePath(folder)), QStringLiteral("labwork.lbw"), content);
        auto form = std::make_unique<TMainForm>(QStringList { path });
        MainForm = form.get();
        return form;
    }

private Q_SLOTS:
    void cleanup();
    void menuButtonsGeometry_data();
    void menuButtonsGeometry();
    void manyChaptersScrollWithReadableButtons();
    void menuCaptionsShowTheTitleAsWritten();
    void glyphsFollowTheAccessRule();
    void lockedChapterAnswersWithTheMessage_data();
    void lockedChapterAnswersWithTheMessage();
    void menuTellsScreenReadersEachChaptersState();
    void bottomPanelAndAboutDialog();
    void dialogsAreMadeWhenFirstShown();
    void fontsAreFamiliesQtHas();
    void aboutBoxAndPageBarTellScreenReaders_data();
    void aboutBoxAndPageBarTellScreenReaders();
    void startupMessages_data();
    void startupMessages();
    void packageIsUnpackedAndCleanedUp();
    void goingToTheMenuForgetsTheReturn();
    void activationErrorIsShown();
    void longTitlesNeverWidenTheWindow();
    void tabGoesRoundTheMenu();
    void keysOnTheMenu_data();
    void keysOnTheMenu();
    void keysLeaveADocumentUnread_data();
    void keysLeaveADocumentUnread();
};

void TestMainForm::cleanup()
{
    MainForm = nullptr;
    QDir::setCurrent(m_startDirectory);
}

void TestMainForm::menuButtonsGeometry_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("height");

    QTest::newRow("no chapters: the exit button alone") << 0 << 57;
    QTest::newRow("three chapters keep the largest height") << 3 << 57;
    QTest::newRow("five chapters") << 5 << 45;
    QTest::newRow("nine chapters") << 9 << 24;
    QTest::newRow("ten chapters: the formula's height still holds the captions") << 10 << 21;
}

void TestMainForm::menuButtonsGeometry()
{
    QFETCH(int, count);
    QFETCH(int, height);
    const auto form = openDescriptor(chapters(count));
    QVERIFY(!form->StartupFailed());
    QCOMPARE(form->MenuButtons.size(), size_t(count + 1));
    QCOMPARE(form->MenuScroll, nullptr);
    for (int i = 0; i <= count; ++i) {
        const TMyBitBtn *button = form->MenuButtons[size_t(i)];
        QCOMPARE(button->parentWidget(), form->panBox);
        QCOMPARE(button->geometry(), QRect(32, 106 + (height + 8) * i, 569, height));
        QCOMPARE(button->Tag, i < count ? i : -1);
        QCOMPARE(
            button->text(), i < count ? QStringLiteral("Chapter %1").arg(i) : QStringLiteral("Выход из программы"));
    }
    QCOMPARE(form->MenuButtons.back()->glyph(), QStringLiteral("EXIT"));
    // The glyph stays inside the button's frame, scaled down where the button is lower than it.
    const TMyBitBtn *exit = form->MenuButtons.back();
    QVERIFY(exit->rect().adjusted(2, 2, -2, -2).contains(exit->glyphRect()));
    QCOMPARE(exit->glyphRect().height(), qMin(28, height - 4));
}

void TestMainForm::manyChaptersScrollWithReadableButtons()
{
    const auto form = openDescriptor(chapters(40));
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QVERIFY(form->MenuScroll);
    QCOMPARE(form->MenuButtons.size(), size_t(41));
    for (const TMyBitBtn *button : form->MenuButtons) {
        QCOMPARE(button->height(), 30);
        QCOMPARE(button->parentWidget(), form->MenuScroll->widget());
        QVERIFY(form->MenuScroll->widget()->rect().contains(button->geometry()));
    }
    QCOMPARE(form->MenuButtons.back()->Tag, -1);
    // The scrolled buttons stand where the unscrolled ones would start: below the title panel.
    QCOMPARE(form->MenuButtons.front()->mapTo(form->panBox, QPoint(0, 0)), QPoint(32, 106));
}

void TestMainForm::menuCaptionsShowTheTitleAsWritten()
{
    const auto form = openDescriptor("[Header]\nTitle=Lab\n[a]\nType=Information\nTitle=Ток & напряжение\n");
    const TMyBitBtn *button = form->MenuButtons.front();
    // What the button shows (and tells a screen reader): the title with its "&", no shortcut key.
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(const_cast<TMyBitBtn *>(button));
    QVERIFY(accessible);
    QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Ток & напряжение"));
    QCOMPARE(button->shortcut(), QKeySequence());
}

void TestMainForm::glyphsFollowTheAccessRule()
{
    // 0 needs nothing; 1 requires 0; 2 requires 1.
    const auto form = openDescriptor("[Header]\nTitle=Lab\n[a]\nType=Information\nIdentifier=1\n"
                                     "[b]\nType=Information\nIdentifier=2\nRequiredChapters=1\n"
                                     "[c]\nType=Information\nIdentifier=3\nRequiredChapters=2\n");
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    auto glyphs = [&] {
        QStringList names;
        for (size_t i = 0; i + 1 < form->MenuButtons.size(); ++i)
            names.append(form->MenuButtons[i]->glyph());
        return names;
    };
    QCOMPARE(form->panTitle->text(), QStringLiteral("Lab"));
    QCOMPARE(glyphs(), (QStringList { "BUBBLE_RED", "BUBBLE_GRY", "BUBBLE_GRY" }));

    form->LabWork()->Chapters().Items(0)->Passed = true;
    form->Pages->setCurrentWidget(form->tsLab);
    QCOMPARE(glyphs(), (QStringList { "BUBBLE_RED", "BUBBLE_GRY", "BUBBLE_GRY" })); // only showing the menu refreshes
    form->ShowMenu();
    // A passed chapter is marked as such, not only shown open.
    QCOMPARE(glyphs(), (QStringList { "BUBBLE_PASSED", "BUBBLE_RED", "BUBBLE_GRY" }));

    // A passed chapter stays open whatever the rule says.
    form->LabWork()->Chapters().Items(2)->Passed = true;
    form->Pages->setCurrentWidget(form->tsLab);
    form->ShowMenu();
    QCOMPARE(glyphs(), (QStringList { "BUBBLE_PASSED", "BUBBLE_RED", "BUBBLE_PASSED" }));
}

void TestMainForm::lockedChapterAnswersWithTheMessage_data()
{
    QTest::addColumn<QByteArray>("descriptor");
    QTest::addColumn<int>("clicked");
    QTest::addColumn<QString>("missing");

    const QByteArray header = "[Header]\nTitle=Lab\n[a]\nType=Information\nTitle=Введение\nIdentifier=1\n";
    QTest::newRow("nominal: one chapter to pass")
        << header + "[b]\nType=Information\nTitle=Опыт\nIdentifier=2\nRequiredChapters=1\n"
        << 1 << QStringLiteral("Сначала пройдите «Введение».");
    QTest::newRow("nominal: every chapter that carries a required identifier, in menu order")
        << header
            + "[b]\nType=Information\nTitle=Опыт\nIdentifier=3\nRequiredChapters=2,1\n"
              "[c]\nType=Information\nTitle=Теория\nIdentifier=2\n"
        << 1 << QStringLiteral("Сначала пройдите «Введение», «Теория».");
    QTest::newRow("robustness: an identifier no chapter carries names nothing")
        << header + "[b]\nType=Information\nTitle=Опыт\nIdentifier=2\nRequiredChapters=9,1\n"
        << 1 << QStringLiteral("Сначала пройдите «Введение».");
    QTest::newRow("robustness: a chapter without a title by its place")
        << QByteArray("[Header]\nTitle=Lab\n[a]\nType=Information\nTitle=\nIdentifier=1\n"
                      "[b]\nType=Information\nTitle=Опыт\nIdentifier=2\nRequiredChapters=1\n")
        << 1 << QStringLiteral("Сначала пройдите «раздел 1».");
}

void TestMainForm::lockedChapterAnswersWithTheMessage()
{
    QFETCH(QByteArray, descriptor);
    QFETCH(int, clicked);
    QFETCH(QString, missing);

    const auto form = openDescriptor(descriptor);
    form->show();
    const auto seen = answerNextMessageBox();
    QTest::mouseClick(form->MenuButtons[size_t(clicked)], Qt::LeftButton);
    QTRY_VERIFY(seen->seen);
    QCOMPARE(seen->caption, QStringLiteral("Внимание"));
    QCOMPARE(seen->text,
        QStringLiteral("К разделам, помеченным серым цветом, нельзя перейти без прохождения "
                       "предыдущих разделов."));
    QCOMPARE(seen->informativeText, missing);
    QCOMPARE(seen->icon, QMessageBox::Information);
    QCOMPARE(form->LabWork()->CurrentIndex, -1);
    QCOMPARE(form->Pages->currentWidget(), form->tsMenu);
    // The locked button's tooltip says the same before any click.
    QCOMPARE(form->MenuButtons[size_t(clicked)]->toolTip(), missing);
}

void TestMainForm::menuTellsScreenReadersEachChaptersState()
{
    // 0 needs nothing; 1 requires 0 and 2; 2 needs nothing and gets passed.
    const auto form = openDescriptor("[Header]\nTitle=Lab\n[a]\nType=Information\nTitle=Введение\nIdentifier=1\n"
                                     "[b]\nType=Information\nTitle=Опыт & расчёт\nIdentifier=2\n"
                                     "RequiredChapters=1,3\n[c]\nType=Information\nTitle=Теория\nIdentifier=3\n");
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    form->LabWork()->Chapters().Items(2)->Passed = true;
    form->Pages->setCurrentWidget(form->tsLab);
    form->ShowMenu();

    struct Expected
    {
        QString name;
        QString description;
        QString toolTip;
    };
    const Expected expected[] = {
        { QStringLiteral("Введение"), QStringLiteral("открыта"), QString() },
        { QStringLiteral("Опыт & расчёт"), QStringLiteral("закрыта: сначала пройдите «Введение»"),
            QStringLiteral("Сначала пройдите «Введение».") },
        { QStringLiteral("Теория"), QStringLiteral("пройдена"), QString() },
        { QStringLiteral("Выход из программы"), QString(), QString() },
    };
    QCOMPARE(form->MenuButtons.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        QCOMPARE(toldOf(form->MenuButtons[i]),
            (Told { int(QAccessible::Button), expected[i].name, expected[i].description }));
        QCOMPARE(form->MenuButtons[i]->toolTip(), expected[i].toolTip);
        QVERIFY(!QAccessible::queryAccessibleInterface(form->MenuButtons[i])->state().disabled);
    }

    // Passing what was missing is told at the next showing of the menu.
    form->LabWork()->Chapters().Items(0)->Passed = true;
    form->Pages->setCurrentWidget(form->tsLab);
    form->ShowMenu();
    QCOMPARE(toldOf(form->MenuButtons[1]).description, QStringLiteral("открыта"));
    QCOMPARE(form->MenuButtons[1]->toolTip(), QString());

    QCOMPARE(toldOf(form->panCopyrights),
        (Told { int(QAccessible::Button), QStringLiteral("Copyright "),
            QStringLiteral("Об авторах лабораторной работы и о программе") }));

    // The bottom panel is pressed as a button: the about box opens, after the press has returned.
    TAboutDlg about(form.get());
    form->setAboutDialog(&about);
    bool shown = false;
    QTimer closer;
    connect(&closer, &QTimer::timeout, &about, [&] {
        if (QApplication::activeModalWidget() != &about)
            return;
        shown = true;
        closer.stop();
        about.accept();
    });
    closer.start(10);
    QAccessibleActionInterface *panel = QAccessible::queryAccessibleInterface(form->panCopyrights)->actionInterface();
    QVERIFY(panel);
    panel->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY2(!shown, "the press returns before the modal box opens");
    QTRY_VERIFY(shown);
}

void TestMainForm::bottomPanelAndAboutDialog()
{
    const auto form = openDescriptor("[Header]\nTitle=Очень длинное название лабораторной работы по физике\n"
                                     "Author=И. Иванов\nDescription=Первая строка описания.\n");
    QCOMPARE(form->panCopyrights->text(), QStringLiteral("Copyright И. Иванов"));
    TAboutDlg about(form.get());
    form->setAboutDialog(&about);
    // The checks run while the dialog is open; a dialog that never shows leaves `shown` false.
    bool shown = false;
    QTimer::singleShot(0, &about, [&] {
        shown = about.isVisible() && QApplication::activeModalWidget() == &about;
        QCOMPARE(about.PageControl1->currentIndex(), 0);
        QCOMPARE(about.Label1->text(), QStringLiteral("Очень длинное название лабораторной работы по физике"));
        QCOMPARE(about.Label2->text(), QStringLiteral("Авторство: И. Иванов"));
        QCOMPARE(about.Memo1->toPlainText(), QStringLiteral("Первая строка описания."));
        QTest::keyClick(about.Memo1, Qt::Key_Escape);
    });
    Q_EMIT form->panCopyrights->clicked();
    QVERIFY2(shown, "a click on the bottom panel shows the about dialog, modal");
    QVERIFY(!about.isVisible());
    // The licence button writes in the dialog's font, made smaller only as far as the font drawn
    // for it needs to fit the caption.
    const QFont licence = about.Button1->font();
    const int room = about.Button1->width() - 6;
    QCOMPARE(licence.family(), about.font().family());
    QVERIFY(licence.pixelSize() <= about.font().pixelSize());
    QVERIFY(QFontMetrics(licence).horizontalAdvance(about.Button1->text()) <= room);
    QFont larger = licence;
    larger.setPixelSize(licence.pixelSize() + 1);
    QVERIFY(licence.pixelSize() == about.font().pixelSize()
        || QFontMetrics(larger).horizontalAdvance(about.Button1->text()) > room);
    QVERIFY(about.Button1->fontMetrics().horizontalAdvance(about.Button1->text()) <= about.Button1->width() - 6);

    const auto anonymous = openDescriptor("[Header]\nTitle=T\n");
    QCOMPARE(anonymous->panCopyrights->text(), QStringLiteral("Copyright "));
    about.PageControl1->setCurrentIndex(2);
    about.Fill(QStringLiteral("T"), QString(), QString());
    QCOMPARE(about.Label2->text(), QString());
}

void TestMainForm::dialogsAreMadeWhenFirstShown()
{
    const auto form = openDescriptor(chapters(1));
    QVERIFY(!form->StartupFailed());
    form->show();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    // The menu is up with none of the dialogs built.
    QVERIFY(form->findChildren<QDialog *>().isEmpty());

    // F1 makes the about box, the window's own; the second time shows the same box again.
    for (int round = 0; round < 2; ++round) {
        QPointer<QWidget> shown;
        QTimer watch;
        connect(&watch, &QTimer::timeout, form.get(), [&] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                shown = modal;
                QTest::keyClick(modal, Qt::Key_Escape);
            }
        });
        watch.start(10);
        form->activateWindow();
        QTRY_VERIFY(QApplication::focusWidget() && QApplication::focusWidget()->window() == form.get());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        QTRY_VERIFY(shown);
        watch.stop();
        QVERIFY(qobject_cast<TAboutDlg *>(shown));
        QCOMPARE(shown->parentWidget(), form.get());
        QCOMPARE(form->findChildren<QDialog *>(), QList<QDialog *> { static_cast<QDialog *>(shown.data()) });
    }
    QCOMPARE(form->aboutDialog(), form->findChild<TAboutDlg *>());

    // The results of a check and a device's value dialog, as they are first asked for.
    TResultsDlg *results = form->resultsDialog();
    QCOMPARE(results->parentWidget(), form.get());
    QCOMPARE(form->resultsDialog(), results);
}

// A family Qt lacks costs a sorted list of every font for each style and script it is drawn in
// (the layouts name Windows families): every font the window and its dialogs set is one Qt has.
void TestMainForm::fontsAreFamiliesQtHas()
{
    QStringList installed;
    for (const QString &family : QFontDatabase::families())
        installed.append(family.section(u" ["_s, 0, 0));
    const auto form = openDescriptor(chapters(2));
    QVERIFY(!form->StartupFailed());
    form->aboutDialog();
    form->resultsDialog();
    QList<QWidget *> widgets = form->findChildren<QWidget *>();
    widgets.append(form.get());
    int set = 0;
    for (const QWidget *widget : std::as_const(widgets)) {
        if (!widget->testAttribute(Qt::WA_SetFont))
            continue;
        ++set;
        QVERIFY2(installed.contains(widget->font().family(), Qt::CaseInsensitive),
            qPrintable(widget->objectName() + u": "_s + widget->font().family()));
    }
    // The menu's buttons, its title and copyright, the about box and the results dialog.
    QVERIFY(set > 10);
}

void TestMainForm::aboutBoxAndPageBarTellScreenReaders_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");

    QTest::newRow("nominal: about box") << u"about"_s << int(QAccessible::Dialog) << u"Авторство"_s;
    QTest::newRow("nominal: about box, lab work's picture")
        << u"Image1"_s << int(QAccessible::Graphic) << u"Эмблема лабораторной работы"_s;
    QTest::newRow("nominal: about box, title") << u"Label1"_s << int(QAccessible::StaticText) << u"Закон Ома"_s;
    QTest::newRow("nominal: about box, author")
        << u"Label2"_s << int(QAccessible::StaticText) << u"Авторство: И. Иванов"_s;
    QTest::newRow("nominal: about box, description")
        << u"Memo1"_s << int(QAccessible::EditableText) << u"Описание лабораторной работы"_s;
    QTest::newRow("nominal: about box, program's picture") << u"Image2"_s << int(QAccessible::Graphic) << u"Kelvo"_s;
    QTest::newRow("nominal: about box, licence note")
        << u"mLicenseNote"_s << int(QAccessible::EditableText) << u"О лицензии"_s;
    QTest::newRow("nominal: about box, licence button")
        << u"Button1"_s << int(QAccessible::Button) << u"Текст лицензии (LICENSE.TXT)"_s;
    QTest::newRow("nominal: about box, OK") << u"BitBtn1"_s << int(QAccessible::Button) << u"OK"_s;
    QTest::newRow("nominal: menu, the lab work's title")
        << u"panTitle"_s << int(QAccessible::StaticText) << u"Закон Ома"_s;
    QTest::newRow("nominal: menu, exit") << u"exit"_s << int(QAccessible::Button) << u"Выход из программы"_s;
    QTest::newRow("nominal: page bar, the chapter's title")
        << u"lbInfoTitle"_s << int(QAccessible::StaticText) << u"Введение"_s;
    QTest::newRow("nominal: page bar, back to the document")
        << u"btDocument"_s << int(QAccessible::Button) << u"Назад к документу"_s;
    QTest::newRow("nominal: page bar, menu") << u"btMenu"_s << int(QAccessible::Button) << u"Меню"_s;
}

void TestMainForm::aboutBoxAndPageBarTellScreenReaders()
{
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);

    const auto form = openDescriptor("[Header]\nTitle=Закон Ома\nAuthor=И. Иванов\nDescription=Описание.\n"
                                     "[a]\nType=Information\nTitle=Введение\nDocument=doc.htm\n");
    TAboutDlg about(form.get());
    about.Fill(form->LabWork()->Title, form->LabWork()->Author, form->LabWork()->Description);
    form->tsHTML->setTitle(form->LabWork()->Chapters().Items(0)->Title);
    const QHash<QString, QWidget *> controls { { u"about"_s, &about }, { u"Image1"_s, about.Image1 },
        { u"Label1"_s, about.Label1 }, { u"Label2"_s, about.Label2 }, { u"Memo1"_s, about.Memo1 },
        { u"Image2"_s, about.Image2 }, { u"mLicenseNote"_s, about.mLicenseNote }, { u"Button1"_s, about.Button1 },
        { u"BitBtn1"_s, about.BitBtn1 }, { u"panTitle"_s, form->panTitle }, { u"exit"_s, form->MenuButtons.back() },
        { u"lbInfoTitle"_s, form->tsHTML->lbInfoTitle }, { u"btDocument"_s, form->tsHTML->btDocument },
        { u"btMenu"_s, form->tsHTML->btMenu } };
    QWidget *widget = controls.value(control);
    QVERIFY(widget);
    form->show();
    QCOMPARE(toldOf(widget), (Told { role, name, QString() }));
}

void TestMainForm::startupMessages_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // "-": no file
    QTest::addColumn<bool>("descriptorMessage");

    QTest::newRow("missing package") << "absent.lwz" << QByteArray("-") << false;
    QTest::newRow("no ZIP archive") << "text.lwz" << QByteArray("not an archive") << false;
    QTest::newRow("upper-case descriptor extension") << "LABWORK.LBW" << QByteArray("[Header]\n") << false;
    QTest::newRow("missing descriptor") << "absent.lbw" << QByteArray("-") << true;
}

void TestMainForm::startupMessages()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, descriptorMessage);
    const QString path = content == "-" ? m_dir.filePath(name) : writeFile(QDir(m_dir.path()), name, content);
    const auto seen = answerNextMessageBox();
    TMainForm form({ path });
    QVERIFY(form.StartupFailed());
    QVERIFY(seen->seen);
    QCOMPARE(seen->caption, QStringLiteral("Ошибка"));
    QCOMPARE(seen->icon, QMessageBox::Critical);
    const QString expected = descriptorMessage
        ? QStringLiteral("Ошибка чтения файла данных.\nФайл: \"%1\".\nЗавершение работы программы.").arg(path)
        : QStringLiteral("Ошибка загрузки: поврежден файл данных \"%1\".\nЗавершение работы программы.").arg(path);
    QCOMPARE(seen->text, expected);
}

void TestMainForm::packageIsUnpackedAndCleanedUp()
{
    const QString temp = m_dir.filePath(QStringLiteral("temp"));
    QDir().mkpath(temp);
    qputenv("TMPDIR", QFile::encodeName(temp));
    // A session without a runtime folder: the package goes into the temporary folder.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    const auto restoreRuntime = qScopeGuard([&] {
        if (!runtime.isNull())
            qputenv("XDG_RUNTIME_DIR", runtime);
    });

    // A package made on Windows: the descriptor in other letter case, files in sub-folders.
    const QString package = m_dir.filePath(QStringLiteral("lab.lwz"));
    writeZip(
        package, { { "LabWork.LBW", chapters(2) }, { "docs/doc.htm", "<p>x</p>" }, { "pics\\fig.gif", "GIF89a" } });
    QStringList extracted;
    {
        TMainForm form({ package });
        QVERIFY(!form.StartupFailed());
        QCOMPARE(form.MenuButtons.size(), size_t(3));
        QVERIFY(form.ExtractedFiles());
        extracted = *form.ExtractedFiles();
        QCOMPARE(extracted.size(), 3);
        const QString folder = QDir::currentPath();
        QVERIFY(folder.startsWith(QDir(temp).canonicalPath()) || folder.startsWith(temp));
        QVERIFY(QFileInfo(folder).fileName().startsWith(QLatin1String("vemratmp-")));
        for (const QString &file : std::as_const(extracted)) {
            QVERIFY2(QFileInfo::exists(file), qPrintable(file));
            QCOMPARE(QFileInfo(file).absolutePath(), folder);
        }
    }
    for (const QString &file : std::as_const(extracted))
        QVERIFY2(!QFileInfo::exists(file), qPrintable(file));
    QCOMPARE(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());

    // Without a descriptor: the descriptor message names the run's folder, and the files go.
    writeZip(package, { { "doc.htm", "<p>x</p>" } });
    const auto seen = answerNextMessageBox();
    {
        TMainForm form({ package });
        QVERIFY(form.StartupFailed());
        QVERIFY(seen->text.contains(QLatin1String("/labwork.lbw\".")));
        QVERIFY(seen->text.contains(QLatin1String("vemratmp-")));
    }
    QCOMPARE(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    qunsetenv("TMPDIR");
}

void TestMainForm::goingToTheMenuForgetsTheReturn()
{
    // The experiment's instructions name a chapter whose document is missing.
    const QDir lab(m_dir.filePath(QStringLiteral("return")));
    writeFile(lab, QStringLiteral("doc.htm"), "<p>x</p>");
    writeFile(lab, QStringLiteral("bench.ini"), "[SchemaHeader]\nImageFile=bench.png\nTitle=Bench\n");
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QVERIFY(picture.save(lab.filePath(QStringLiteral("bench.png"))));
    const auto form = openDescriptor("[Header]\nTitle=Lab\n"
                                     "[doc]\nType=Information\nTitle=Doc\nIdentifier=1\nDocument=doc.htm\n"
                                     "[bench]\nType=Experiment\nTitle=Bench\nIdentifier=2\nSchemaFile=bench.ini\n"
                                     "LinkedChapter=3\n"
                                     "[guide]\nType=Information\nTitle=Guide\nIdentifier=3\nDocument=missing.htm\n",
        QStringLiteral("return"));
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    // The bench is built when the first experiment opens, not with the menu.
    QVERIFY(form->findChildren<TLabPage *>().isEmpty());
    form->LabWork()->SelectChapter(1);
    form->OpenCurrentChapter();
    QCOMPARE(form->Pages->currentWidget(), form->tsLab);
    QCOMPARE(form->findChildren<TLabPage *>(), QList<TLabPage *> { form->labPage() });
    QVERIFY(form->labPage()->isVisible());
    QCOMPARE(form->labPage()->lbLabTitle->text(), QStringLiteral("Bench"));

    const auto report = answerNextMessageBox();
    QTest::mouseClick(form->labPage()->btInfo, Qt::LeftButton);
    QTRY_VERIFY(report->seen);
    QVERIFY(report->text.contains(QLatin1String("missing.htm")));
    QCOMPARE(form->LabWork()->ReturnIndex, 1); // set for the way back, which never came

    QTest::mouseClick(form->labPage()->btStop, Qt::LeftButton);
    QCOMPARE(form->Pages->currentWidget(), form->tsMenu);
    QCOMPARE(form->LabWork()->ReturnIndex, -1);

    // Completing another document from the menu leads back to the menu, not to the experiment.
    form->LabWork()->SelectChapter(0);
    form->ViewFormSubmit(QStringLiteral("?system"), QString(), QString(), QString(), QStringList());
    QCOMPARE(form->Pages->currentWidget(), form->tsMenu);
    QCOMPARE(form->LabWork()->CurrentIndex, 0);
}

void TestMainForm::activationErrorIsShown()
{
    // The schema's start variant does not exist.
    writeFile(QDir(m_dir.filePath(QStringLiteral("activation"))), QStringLiteral("bench.ini"),
        "[SchemaHeader]\nImageFile=bench.png\nTitle=Bench\nStartFrom=__missing\n[__other]\nTitle=Other\n");
    const auto seen = answerNextMessageBox();
    const auto form = openDescriptor("[Header]\nTitle=Lab\n"
                                     "[bench]\nType=Experiment\nTitle=Bench\nIdentifier=1\nSchemaFile=bench.ini\n",
        QStringLiteral("activation"));
    QVERIFY(!form->StartupFailed());
    QVERIFY(seen->seen);
    QCOMPARE(seen->text, QStringLiteral("Activation error!"));
    QCOMPARE(seen->caption, QStringLiteral("Kelvo 1.0"));
    QCOMPARE(seen->icon, QMessageBox::NoIcon);
    QCOMPARE(seen->buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(form->MenuButtons.size(), size_t(2)); // loading went on
    // Only loading shows it: afterwards the model's default (standard error) is back.
    QVERIFY(!kelvo::setActivationErrorHandler({}));
}

void TestMainForm::longTitlesNeverWidenTheWindow()
{
    const auto form = openDescriptor(chapters(1));
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    const QRect screen = form->screen()->availableGeometry();
    const QString title = QStringLiteral("Исследование зависимости силы тока от напряжения. ").repeated(4).left(171);

    form->tsHTML->setTitle(title);
    form->Pages->setCurrentWidget(form->tsHTML);
    form->labPage()->lbLabTitle->setText(title);
    form->labPage()->lbLabTitle->adjustSize();
    QTest::qWait(50);
    QVERIFY2(form->minimumSizeHint().width() <= 793, qPrintable(QString::number(form->minimumSizeHint().width())));
    QVERIFY2(form->frameGeometry().width() <= screen.width(), qPrintable(QString::number(form->width())));
    // The title shows from its start and is cut at the panel's edge.
    QLabel *label = form->tsHTML->lbInfoTitle;
    QCOMPARE(label->x(), 8);
    QVERIFY(label->geometry().right() < form->tsHTML->panInfoTop->width());
    // It takes the bar's width but for the bar's own buttons.
    QVERIFY(label->geometry().right() < form->tsHTML->btMenu->x());
    QVERIFY2(label->width() > form->tsHTML->btMenu->x() - 100, qPrintable(QString::number(label->width())));

    // The menu afterwards keeps the window as it was.
    form->ShowMenu();
    QTest::qWait(50);
    QVERIFY(form->frameGeometry().width() <= screen.width());
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"

void TestMainForm::tabGoesRoundTheMenu()
{
    const auto form = openDescriptor(chapters(3));
    form->show();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    QCOMPARE(QApplication::focusWidget(), form->MenuButtons.at(0));
    const QList<QWidget *> expected { form->MenuButtons.at(1), form->MenuButtons.at(2), form->MenuButtons.at(3),
        form->panCopyrights, form->MenuButtons.at(0) };
    QList<QWidget *> reached;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached.append(QApplication::focusWidget());
    }
    QCOMPARE(reached, expected);
}

void TestMainForm::keysOnTheMenu_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("effect");

    QTest::newRow("nominal: Return on a locked chapter") << u"locked"_s << int(Qt::Key_Return) << u"message"_s;
    QTest::newRow("nominal: Space on a locked chapter") << u"locked"_s << int(Qt::Key_Space) << u"message"_s;
    QTest::newRow("nominal: Return on the bottom panel") << u"panel"_s << int(Qt::Key_Return) << u"about"_s;
    QTest::newRow("nominal: Space on the bottom panel") << u"panel"_s << int(Qt::Key_Space) << u"about"_s;
    QTest::newRow("nominal: F1 on a chapter") << u"locked"_s << int(Qt::Key_F1) << u"about"_s;
    QTest::newRow("nominal: Return on the exit") << u"exit"_s << int(Qt::Key_Return) << u"closed"_s;
    QTest::newRow("robustness: a letter on the bottom panel") << u"panel"_s << int(Qt::Key_A) << u"nothing"_s;
}

void TestMainForm::keysOnTheMenu()
{
    QFETCH(QString, target);
    QFETCH(int, key);
    QFETCH(QString, effect);

    const auto form = openDescriptor("[Header]\nTitle=Lab\n[a]\nType=Information\nIdentifier=1\n"
                                     "[b]\nType=Information\nIdentifier=2\nRequiredChapters=1\n");
    TAboutDlg about(form.get());
    form->setAboutDialog(&about);
    form->show();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    QWidget *widget = target == u"locked" ? static_cast<QWidget *>(form->MenuButtons.at(1))
        : target == u"panel"              ? static_cast<QWidget *>(form->panCopyrights)
                                          : static_cast<QWidget *>(form->MenuButtons.back());
    widget->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(widget->hasFocus());

    const auto message = answerNextMessageBox();
    bool aboutShown = false;
    auto *watch = new QTimer(&about);
    connect(watch, &QTimer::timeout, &about, [&] {
        if (QApplication::activeModalWidget() != &about)
            return;
        watch->stop();
        aboutShown = true;
        QTest::keyClick(&about, Qt::Key_Escape);
    });
    watch->start(10);
    QTest::keyClick(widget, Qt::Key(key));
    QTest::qWait(100);
    watch->stop();

    QCOMPARE(message->seen, effect == u"message");
    QCOMPARE(aboutShown, effect == u"about");
    QVERIFY(!about.isVisible());
    QCOMPARE(form->isVisible(), effect != u"closed");
    if (effect != u"closed")
        QCOMPARE(form->Pages->currentWidget(), form->tsMenu);
}

void TestMainForm::keysLeaveADocumentUnread_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("leaves");

    QTest::newRow("nominal: Escape in the document") << u"viewer"_s << int(Qt::Key_Escape) << true;
    QTest::newRow("nominal: Escape on \"Меню\"") << u"menu"_s << int(Qt::Key_Escape) << true;
    QTest::newRow("nominal: Return on \"Меню\"") << u"menu"_s << int(Qt::Key_Return) << true;
    QTest::newRow("nominal: Space on \"Меню\"") << u"menu"_s << int(Qt::Key_Space) << true;
    QTest::newRow("robustness: Return in the document") << u"viewer"_s << int(Qt::Key_Return) << false;
}

void TestMainForm::keysLeaveADocumentUnread()
{
    QFETCH(QString, target);
    QFETCH(int, key);
    QFETCH(bool, leaves);

    const auto form = openDescriptor(chapters(1));
    form->show();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    // The page as a chapter shows it, without starting the engine: the keys that the document
    // leaves alone reach the viewer's frame.
    form->LabWork()->SelectChapter(0);
    form->Pages->setCurrentWidget(form->tsHTML);
    QWidget *widget = target == u"viewer" ? static_cast<QWidget *>(form->Viewer) : form->tsHTML->btMenu;
    QVERIFY(widget->focusPolicy() & Qt::TabFocus);
    widget->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(widget->hasFocus());

    QTest::keyClick(widget, Qt::Key(key));
    QCOMPARE(form->Pages->currentWidget(), leaves ? form->tsMenu : static_cast<QWidget *>(form->tsHTML));
    QVERIFY2(!form->LabWork()->Chapters().Items(0)->Passed, "only the read button completes a document");
}
