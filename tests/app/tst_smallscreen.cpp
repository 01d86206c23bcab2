// The main window on a screen smaller than the layouts were made for (700 × 500 pixels, the
// offscreen platform's screen set by a configuration file): the bench keeps its layout and scrolls
// instead of being cut.

#include "BitButton.h"
#include "Globals.h"
#include "LabPage.h"
#include "LabWork.h"
#include "MainForm.h"
#include "SchemaImage.h"
#include "TestSupport.h"

#include <QApplication>
#include <QImage>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvo::test;

class TestSmallScreen final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_startDirectory = QDir::currentPath();

private Q_SLOTS:
    void cleanup();
    void benchScrollsWhereTheScreenIsSmaller();
};

void TestSmallScreen::cleanup()
{
    MainForm = nullptr;
    QDir::setCurrent(m_startDirectory);
}

void TestSmallScreen::benchScrollsWhereTheScreenIsSmaller()
{
    // A schema picture that nearly fills the work field as laid out (741 × 350).
    const QDir lab(m_dir.path());
    writeFile(lab, QStringLiteral("bench.ini"), "[SchemaHeader]\nImageFile=bench.png\nTitle=Bench\n");
    QImage picture(720, 340, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QVERIFY(picture.save(lab.filePath(QStringLiteral("bench.png"))));
    const QString descriptor = writeFile(lab, QStringLiteral("labwork.lbw"),
        "[Header]\nTitle=Lab\n[bench]\nType=Experiment\nTitle=Bench\nIdentifier=1\nSchemaFile=bench.ini\n");
    TMainForm form({ descriptor });
    MainForm = &form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.LabWork()->SelectChapter(0);
    form.OpenCurrentChapter();
    QCoreApplication::processEvents();

    QVERIFY(form.Pages->width() <= 700 && form.Pages->height() <= 500);
    // The bench keeps its layout and scrolls: the picture stands whole in the work field.
    TLabPage *page = form.labPage();
    QVERIFY2(page->width() >= 793 && page->height() >= 601,
        qPrintable(QStringLiteral("%1x%2").arg(page->width()).arg(page->height())));
    auto *view = qobject_cast<QScrollArea *>(form.tsLab);
    QVERIFY(view);
    QVERIFY(view->horizontalScrollBar()->maximum() > 0 && view->verticalScrollBar()->maximum() > 0);
    QVERIFY(QRect(QPoint(0, 0), page->panWorkfield->size()).contains(page->imgSchema->geometry()));
    const QRect stop(page->btStop->mapTo(page, QPoint(0, 0)), page->btStop->size());
    QVERIFY(page->rect().contains(stop));
}

int main(int argc, char *argv[])
{
    QTemporaryDir folder;
    const QString configuration = writeFile(QDir(folder.path()), QStringLiteral("screen.json"),
        R"({ "screens": [ { "name": "small", "x": 0, "y": 0, "width": 700, "height": 500,
                            "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] })");
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(configuration));
    QApplication application(argc, argv);
    TestSmallScreen test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_smallscreen.moc"
