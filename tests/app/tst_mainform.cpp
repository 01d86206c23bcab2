#include "AboutDlg.h"
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
#include "TestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
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
    void lockedChapterAnswersWithTheMessage();
    void bottomPanelAndAboutDialog();
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
    QCOMPARE(glyphs(), (QStringList { "BUBBLE_RED", "BUBBLE_RED", "BUBBLE_GRY" }));

    // A passed chapter stays open whatever the rule says.
    form->LabWork()->Chapters().Items(2)->Passed = true;
    form->Pages->setCurrentWidget(form->tsLab);
    form->ShowMenu();
    QCOMPARE(glyphs(), (QStringList { "BUBBLE_RED", "BUBBLE_RED", "BUBBLE_RED" }));
}

void TestMainForm::lockedChapterAnswersWithTheMessage()
{
    const auto form = openDescriptor("[Header]\nTitle=Lab\n[a]\nType=Information\nIdentifier=1\n"
                                     "[b]\nType=Information\nIdentifier=2\nRequiredChapters=1\n");
    form->show();
    const auto seen = answerNextMessageBox();
    QTest::mouseClick(form->MenuButtons[1], Qt::LeftButton);
    QTRY_VERIFY(seen->seen);
    QCOMPARE(seen->caption, QStringLiteral("Внимание"));
    QCOMPARE(seen->text,
        QStringLiteral("К разделам, помеченным серым цветом, нельзя перейти без прохождения "
                       "предыдущих разделов."));
    QCOMPARE(seen->icon, QMessageBox::Information);
    QCOMPARE(form->LabWork()->CurrentIndex, -1);
    QCOMPARE(form->Pages->currentWidget(), form->tsMenu);
}

void TestMainForm::bottomPanelAndAboutDialog()
{
    const auto form = openDescriptor("[Header]\nTitle=Очень длинное название лабораторной работы по физике\n"
                                     "Author=И. Иванов\nDescription=Первая строка описания.\n");
    QCOMPARE(form->panCopyrights->text(), QStringLiteral("Copyright И. Иванов"));
    TAboutDlg about(form.get());
    AboutDlg = &about;
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
    AboutDlg = nullptr;

    const auto anonymous = openDescriptor("[Header]\nTitle=T\n");
    QCOMPARE(anonymous->panCopyrights->text(), QStringLiteral("Copyright "));
    about.PageControl1->setCurrentIndex(2);
    about.Fill(QStringLiteral("T"), QString(), QString());
    QCOMPARE(about.Label2->text(), QString());
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
    form->LabWork()->SelectChapter(1);
    form->OpenCurrentChapter();
    QCOMPARE(form->Pages->currentWidget(), form->tsLab);

    const auto report = answerNextMessageBox();
    QTest::mouseClick(form->LabPage->btInfo, Qt::LeftButton);
    QTRY_VERIFY(report->seen);
    QVERIFY(report->text.contains(QLatin1String("missing.htm")));
    QCOMPARE(form->LabWork()->ReturnIndex, 1); // set for the way back, which never came

    QTest::mouseClick(form->LabPage->btStop, Qt::LeftButton);
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
    form->lbLabTitle->setText(title);
    form->lbLabTitle->adjustSize();
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
    AboutDlg = &about;
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
    AboutDlg = nullptr;
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
