#include "StartupIcon.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QTest>

// The program's icon is given to the application once the main window has painted its first
// picture, so that the menu does not wait for it, and at once when another window (a message at
// start-up) is shown before.
class TestStartupIcon final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void iconComesWhenFirstNeeded_data();
    void iconComesWhenFirstNeeded();
};

void TestStartupIcon::init()
{
    QApplication::setWindowIcon(QIcon());
}

void TestStartupIcon::iconComesWhenFirstNeeded_data()
{
    QTest::addColumn<bool>("mainWindowKnown");
    QTest::addColumn<QString>("shown"); // "main" (with its page) or "message"
    QTest::newRow("nominal: after the main window's first paint") << true << QStringLiteral("main");
    QTest::newRow("nominal: a message before the main window is shown") << true << QStringLiteral("message");
    QTest::newRow("nominal: a message before the main window is made") << false << QStringLiteral("message");
}

void TestStartupIcon::iconComesWhenFirstNeeded()
{
    QFETCH(bool, mainWindowKnown);
    QFETCH(QString, shown);
    QWidget mainWindow;
    mainWindow.resize(200, 100);
    auto *page = new QWidget(&mainWindow);
    page->resize(200, 100);
    page->setAutoFillBackground(true);
    kelvo::StartupIcon icon;
    if (mainWindowKnown)
        icon.followMainWindow(mainWindow);

    if (shown == u"message") {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), QStringLiteral("Damaged"), QMessageBox::Ok);
        box.show();
        // With the window, not after it: the window manager reads the icon as the window maps.
        QVERIFY(icon.applied());
        QVERIFY(!box.windowIcon().isNull());
    } else {
        mainWindow.show();
        // Not as the window and its page are shown, but after the first paint, which comes with
        // the window's first expose.
        QVERIFY(!icon.applied());
        QVERIFY(QApplication::windowIcon().isNull());
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        QTRY_VERIFY(icon.applied());
        QVERIFY(!mainWindow.windowIcon().isNull());
    }
    const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
    for (const int side : { 16, 24, 32, 48, 64, 128, 256 })
        QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
}

QTEST_MAIN(TestStartupIcon)
#include "tst_startupicon.moc"
