#include "AccessibleTold.h"
#include "BitButton.h"
#include "ResultsDlg.h"
#include "TestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <climits>

using kelvo::test::DefaultLocale;

class TestResultsDlg final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void figures_data();
    void figures();
    void screenReaderHearsEachNumberWithItsCaption_data();
    void screenReaderHearsEachNumberWithItsCaption();
    void closesWithOk_data();
    void closesWithOk();
    void looksRight();
};

void TestResultsDlg::figures_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("total");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QColor>("colour");

    const QLocale ru = kelvo::test::russian();
    QTest::newRow("nominal: all right") << ru << 3 << 3 << QStringList { "3", "3", "0", "100,00%" }
                                        << QColor(0, 128, 0);
    QTest::newRow("nominal: nothing right")
        << ru << 0 << 3 << QStringList { "3", "0", "3", "0,00%" } << QColor(128, 0, 0);
    QTest::newRow("nominal: 2 of 3") << ru << 2 << 3 << QStringList { "3", "2", "1", "66,67%" } << QColor(43, 85, 0);
    QTest::newRow("nominal: half") << ru << 1 << 2 << QStringList { "2", "1", "1", "50,00%" } << QColor(64, 64, 0);
    QTest::newRow("nominal: 1 of 32, second decimal rounded half up")
        << ru << 1 << 32 << QStringList { "32", "1", "31", "3,13%" } << QColor(124, 4, 0);
    QTest::newRow("nominal: colour halves go to the even neighbour (0.5)")
        << ru << 1 << 256 << QStringList { "256", "1", "255", "0,39%" } << QColor(128, 0, 0);
    QTest::newRow("nominal: colour halves go to the even neighbour (1.5)")
        << ru << 3 << 256 << QStringList { "256", "3", "253", "1,17%" } << QColor(126, 2, 0);
    QTest::newRow("nominal: English settings")
        << kelvo::test::english() << 2 << 3 << QStringList { "3", "2", "1", "66.67%" } << QColor(43, 85, 0);
    QTest::newRow("robustness: more matches than questions (150 %)")
        << ru << 3 << 2 << QStringList { "2", "3", "-1", "150,00%" } << QColor(192, 192, 0);
    QTest::newRow("robustness: no questions")
        << ru << 0 << 0 << QStringList { "0", "0", "0", "0,00%" } << QColor(128, 0, 0);
    QTest::newRow("robustness: negative total")
        << ru << 1 << -2 << QStringList { "-2", "1", "-3", "0,00%" } << QColor(128, 0, 0);
    QTest::newRow("robustness: counts at the ends of 32 bits")
        << ru << INT_MIN << INT_MAX << QStringList { "2147483647", "-2147483648", "4294967295", "-100,00%" }
        << QColor(0, 128, 0);
    QTest::newRow("robustness: huge percentage, colour channels modulo 256")
        << ru << INT_MAX << 1 << QStringList { "1", "2147483647", "-2147483646", "214748364700,00%" }
        << QColor(0, 128, 0);
}

void TestResultsDlg::figures()
{
    QFETCH(QLocale, locale);
    QFETCH(int, right);
    QFETCH(int, total);
    QFETCH(QStringList, shown);
    QFETCH(QColor, colour);

    const DefaultLocale settings(locale);
    TResultsDlg dialog;
    dialog.FillResults(right, total);
    QCOMPARE(QStringList(
                 { dialog.lbTotal->text(), dialog.lbRight->text(), dialog.lbWrong->text(), dialog.lbProcent->text() }),
        shown);
    QCOMPARE(dialog.lbProcent->palette().color(dialog.lbProcent->foregroundRole()), colour);
}

void TestResultsDlg::screenReaderHearsEachNumberWithItsCaption_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption"); // the label that names it, if any

    QTest::newRow("nominal: the dialog after the test")
        << QStringLiteral("dialog") << int(QAccessible::Dialog) << QStringLiteral("Результаты: Контроль") << QString();
    QTest::newRow("nominal: total") << QStringLiteral("lbTotal") << int(QAccessible::StaticText)
                                    << QStringLiteral("Всего заданий: 3") << QStringLiteral("Label1");
    QTest::newRow("nominal: right") << QStringLiteral("lbRight") << int(QAccessible::StaticText)
                                    << QStringLiteral("Верно выполненных: 2") << QStringLiteral("Label2");
    QTest::newRow("nominal: wrong") << QStringLiteral("lbWrong") << int(QAccessible::StaticText)
                                    << QStringLiteral("Неверно выполненных: 1") << QStringLiteral("Label3");
    QTest::newRow("nominal: percentage") << QStringLiteral("lbProcent") << int(QAccessible::StaticText)
                                         << QStringLiteral("Задание выполнено на: 66,67%") << QStringLiteral("Label4");
    QTest::newRow("nominal: the close button")
        << QStringLiteral("bbClose") << int(QAccessible::Button) << QStringLiteral("Закрыть") << QString();
}

void TestResultsDlg::screenReaderHearsEachNumberWithItsCaption()
{
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);
    QFETCH(QString, caption);

    const DefaultLocale settings(kelvo::test::russian());
    TResultsDlg dialog;
    dialog.NameAfter(QStringLiteral("Контроль"));
    dialog.FillResults(2, 3);
    QWidget *widget = control == u"dialog" ? &dialog : dialog.findChild<QWidget *>(control);
    QVERIFY(widget);
    QCOMPARE(kelvo::test::toldOf(widget), (kelvo::test::Told { role, name, QString() }));
    QAccessibleInterface *told = QAccessible::queryAccessibleInterface(widget);
    if (!caption.isEmpty()) {
        // Tied by relation, too: the caption labels the number.
        QAccessibleInterface *label = QAccessible::queryAccessibleInterface(dialog.findChild<QWidget *>(caption));
        bool labelled = false;
        for (const auto &[other, relation] : told->relations(QAccessible::Label))
            labelled = labelled || other == label;
        QVERIFY(labelled);
    }
}

void TestResultsDlg::closesWithOk_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("nominal: Enter") << int(Qt::Key_Return);
    QTest::newRow("nominal: Enter on the keypad") << int(Qt::Key_Enter);
    QTest::newRow("nominal: Esc") << int(Qt::Key_Escape);
    QTest::newRow("nominal: click on the button") << 0;
}

void TestResultsDlg::closesWithOk()
{
    QFETCH(int, key);

    const DefaultLocale settings(kelvo::test::russian());
    TResultsDlg dialog;
    bool modalWhenShown = false;
    QString percentWhenShown;
    QPoint centreWhenShown;
    QTimer::singleShot(0, &dialog, [&] {
        modalWhenShown = QApplication::activeModalWidget() == &dialog;
        percentWhenShown = dialog.lbProcent->text();
        centreWhenShown = dialog.frameGeometry().center();
        if (key != 0)
            QTest::keyClick(&dialog, Qt::Key(key));
        else
            QTest::mouseClick(dialog.bbClose, Qt::LeftButton);
    });
    // Should the dialog stay open, end it with the other result instead of hanging.
    QTimer::singleShot(5000, &dialog, [&] { dialog.done(QDialog::Rejected); });

    dialog.ShowResults(2, 3);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(modalWhenShown);
    QCOMPARE(percentWhenShown, QStringLiteral("66,67%"));
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    // Within the width of a window frame, which is known only once the window is shown.
    QVERIFY2((centreWhenShown - screenCentre).manhattanLength() <= 10, "centred on the screen");
}

void TestResultsDlg::looksRight()
{
    const DefaultLocale settings(kelvo::test::russian());
    TResultsDlg dialog;
    QCOMPARE(dialog.size(), QSize(346, 308));
    dialog.FillResults(1, 32);
    const QImage shot = dialog.grab().toImage();
    if (const QString folder = qEnvironmentVariable("KELVO_SCREENSHOT_DIR"); !folder.isEmpty())
        shot.save(QDir(folder).absoluteFilePath(QStringLiteral("results-dialog.png")));

    QCOMPARE(shot.pixelColor(4, 12), QColor(0, 128, 192));
    QCOMPARE(dialog.lbRight->palette().color(dialog.lbRight->foregroundRole()), QColor(0, 128, 0));
    QCOMPARE(dialog.lbWrong->palette().color(dialog.lbWrong->foregroundRole()), QColor(128, 0, 0));
    // The percentage is drawn in its colour, the close button's picture is drawn at all.
    bool percentDrawn = false;
    const QRect percent = dialog.lbProcent->geometry();
    for (int y = percent.top(); y <= percent.bottom() && !percentDrawn; ++y)
        for (int x = percent.left(); x <= percent.right() && !percentDrawn; ++x)
            percentDrawn = shot.pixelColor(x, y) == QColor(124, 4, 0);
    QVERIFY(percentDrawn);
    const QRect button = dialog.bbClose->geometry();
    const QImage buttonShot = shot.copy(button);
    int pictureColours = 0;
    for (int y = 0; y < buttonShot.height(); ++y)
        for (int x = 0; x < buttonShot.width() / 3; ++x) {
            const QColor c = buttonShot.pixelColor(x + buttonShot.width() / 6, y);
            pictureColours += c.saturation() > 100 ? 1 : 0;
        }
    QVERIFY2(pictureColours > 50, "the close button's picture");
}

QTEST_MAIN(TestResultsDlg)

#include "tst_resultsdlg.moc"
