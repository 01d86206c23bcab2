// The real program under a real window manager (openbox) on an X server of its own: what only a
// managed window shows. The window manager keeps the window state, adds frames around windows and
// shows their captions; the mouse and the keyboard go through xdotool, properties through xprop.

#include "Desktop.h"
#include "WindowLayout.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace kelvo::e2e;

namespace {

const QString MainWindowTitle = QStringLiteral("^Kelvo 1\\.0$");
constexpr int StartTimeoutMs = 30000;
constexpr int StepTimeoutMs = 10000;

// A picture of the bench and where its adjustable device stands on it: low, so that a dialog
// opened at the device must be pulled up to fit on the screen.
constexpr QSize BenchPicture(500, 300);
constexpr QPoint SupplyOnPicture(20, 280);

// Runs xprop; its standard output, or nothing when it fails.
QString xprop(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xprop"), arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A window's client area on the screen. Under a window manager that reparents windows into frames,
// xwininfo tells the absolute place; xdotool's geometry counts the frame's offset twice.
QRect clientArea(const QString &window)
{
    QProcess process;
    process.start(QStringLiteral("xwininfo"), { QStringLiteral("-id"), window });
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return {};
    QRect area;
    for (const QString &line : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n')) {
        const QString key = line.section(u':', 0, 0).trimmed();
        const int value = line.section(u':', 1).trimmed().toInt();
        if (key == u"Absolute upper-left X")
            area.moveLeft(value);
        else if (key == u"Absolute upper-left Y")
            area.moveTop(value);
        else if (key == u"Width")
            area.setWidth(value);
        else if (key == u"Height")
            area.setHeight(value);
    }
    return area;
}

// The window manager's frame around a window: left, right, top and bottom widths.
QMargins frameExtents(const QString &window)
{
    const QString text = xprop({ QStringLiteral("-id"), window, QStringLiteral("_NET_FRAME_EXTENTS") });
    static const QRegularExpression numbers(QStringLiteral("=\\s*(\\d+),\\s*(\\d+),\\s*(\\d+),\\s*(\\d+)"));
    const QRegularExpressionMatch match = numbers.match(text);
    if (!match.hasMatch())
        return {};
    return QMargins(
        match.captured(1).toInt(), match.captured(3).toInt(), match.captured(2).toInt(), match.captured(4).toInt());
}

bool isMaximised(const QString &window)
{
    const QString state = xprop({ QStringLiteral("-id"), window, QStringLiteral("_NET_WM_STATE") });
    return state.contains(QLatin1String("_NET_WM_STATE_MAXIMIZED_VERT"))
        && state.contains(QLatin1String("_NET_WM_STATE_MAXIMIZED_HORZ"));
}

} // namespace

class TestWindowManager final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void captionsAreTheTextsExactly();
    void mainWindowIsMaximisedAndStaysSo();
    void valueDialogKeepsItsFrameOnTheScreen();

private:
    void startKelvo(const QString &path);
    std::optional<Window> waitForMainWindow();
    QString report(const QString &what);

    QTemporaryDir m_tmp;
    QTemporaryDir m_runtime;
    QTemporaryDir m_lab;
    QProcess m_windowManager;
    QProcess m_kelvo;
};

void TestWindowManager::initTestCase()
{
    const QString program = qEnvironmentVariable("KELVO_BINARY");
    QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(QStringLiteral("no program at ") + program));
    if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty())
        QSKIP("openbox is missing (scripts/install-deps.sh installs it)");
    QVERIFY(m_tmp.isValid() && m_runtime.isValid() && m_lab.isValid());
    QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY2(windowsTitled(MainWindowTitle).isEmpty(), "another Kelvo runs on this display");

    m_windowManager.setProcessChannelMode(QProcess::MergedChannels);
    m_windowManager.start(QStringLiteral("openbox"), { QStringLiteral("--sm-disable") });
    QVERIFY2(m_windowManager.waitForStarted(), qPrintable(m_windowManager.errorString()));
    QVERIFY2(waitFor(
                 [] {
                     return xprop({ QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK") })
                         .contains(QLatin1String("window id"));
                 },
                 StepTimeoutMs),
        "the window manager did not start");

    // A lab work with one experiment whose adjustable supply stands low on its picture.
    const QDir lab(m_lab.path());
    QImage picture(BenchPicture, QImage::Format_RGB32);
    picture.fill(QColor(220, 230, 240));
    QVERIFY(picture.save(lab.filePath(QStringLiteral("bench.png"))));
    const auto write = [&](const QString &name, const QByteArray &text) {
        QFile file(lab.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    };
    QVERIFY(write(QStringLiteral("labwork.lbw"),
        "[Header]\nTitle=Lab\n"
        "[bench]\nType=Experiment\nTitle=Bench\nIdentifier=1\nSchemaFile=bench.ini\n"));
    QVERIFY(write(QStringLiteral("bench.ini"),
        "[SchemaHeader]\nImageFile=bench.png\nTitle=Bench\n"
        "[Supply]\nClass=Passive\nTitle=Supply\nIdentifier=U\nAjustable=1\nValue=4\nMin=0\nMax=12\nUnit=V\n"
        "Left="
            + QByteArray::number(SupplyOnPicture.x()) + "\nTop=" + QByteArray::number(SupplyOnPicture.y()) + "\n"));
}

void TestWindowManager::cleanup()
{
    if (QTest::currentTestFailed()) {
        const QString shot = QDir::current().absoluteFilePath(
            QStringLiteral("e2e-wm-%1.png").arg(QString::fromLatin1(QTest::currentTestFunction())));
        grabScreen().save(shot);
        qInfo("screen at the failure: %s", qPrintable(shot));
    }
    if (m_kelvo.state() != QProcess::NotRunning) {
        m_kelvo.kill();
        m_kelvo.waitForFinished(5000);
    }
}

void TestWindowManager::cleanupTestCase()
{
    if (m_windowManager.state() != QProcess::NotRunning) {
        m_windowManager.kill();
        m_windowManager.waitForFinished(5000);
    }
}

void TestWindowManager::startKelvo(const QString &path)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), m_tmp.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("ru_RU.UTF-8"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_kelvo.setProcessEnvironment(environment);
    m_kelvo.setProcessChannelMode(QProcess::MergedChannels);
    m_kelvo.start(qEnvironmentVariable("KELVO_BINARY"), { path });
    QVERIFY2(m_kelvo.waitForStarted(), qPrintable(m_kelvo.errorString()));
}

std::optional<Window> TestWindowManager::waitForMainWindow()
{
    std::optional<Window> window;
    waitFor(
        [&] {
            const QList<Window> windows = windowsTitled(MainWindowTitle);
            if (windows.isEmpty())
                return false;
            window = windows.first();
            window->geometry = clientArea(window->id);
            // Shown: the menu's navy background is on the screen.
            return countColour(grabScreen(), window->geometry, QColor(0, 0, 128)) > 10000;
        },
        StartTimeoutMs);
    if (window) {
        // The window manager may still be placing it, and the web engine makes its native window
        // anew when it starts: the window and its area once they stay put.
        waitFor(
            [&] {
                const Window last = *window;
                QTest::qWait(500);
                const QList<Window> windows = windowsTitled(MainWindowTitle);
                if (windows.size() != 1)
                    return false;
                *window = { windows.first().id, clientArea(windows.first().id) };
                return window->id == last.id && window->geometry == last.geometry;
            },
            StepTimeoutMs);
    }
    return window;
}

QString TestWindowManager::report(const QString &what)
{
    return what + QStringLiteral("\nprogram output:\n") + QString::fromLocal8Bit(m_kelvo.readAll());
}

void TestWindowManager::captionsAreTheTextsExactly()
{
    // The start-up message of a package that is not there.
    startKelvo(m_tmp.filePath(QStringLiteral("absent.lwz")));
    const std::optional<Window> message = waitForWindow(QStringLiteral("^Ошибка"), StartTimeoutMs);
    QVERIFY2(message, qPrintable(report(QStringLiteral("no message"))));
    const std::optional<QString> title = xdotool({ QStringLiteral("getwindowname"), message->id });
    QVERIFY(title);
    QCOMPARE(title->trimmed(), QStringLiteral("Ошибка"));

    focusWindow(*message);
    pressKeys(QStringLiteral("Return"));
    QVERIFY2(m_kelvo.waitForFinished(StepTimeoutMs), "the program ends after the message");
}

void TestWindowManager::mainWindowIsMaximisedAndStaysSo()
{
    startKelvo(QDir(m_lab.path()).filePath(QStringLiteral("labwork.lbw")));
    const std::optional<Window> window = waitForMainWindow();
    QVERIFY2(window, qPrintable(report(QStringLiteral("the menu did not show"))));
    const QRect screen = grabScreen().rect();

    QVERIFY2(waitFor([&] { return isMaximised(window->id); }, StepTimeoutMs),
        qPrintable(xprop({ QStringLiteral("-id"), window->id, QStringLiteral("_NET_WM_STATE") })));
    // With the window manager's frame it covers the screen, and no more.
    QRect client;
    QVERIFY2(waitFor(
                 [&] {
                     client = clientArea(window->id);
                     return client.marginsAdded(frameExtents(window->id)) == screen;
                 },
                 StepTimeoutMs),
        qPrintable(QStringLiteral("the window's area: %1,%2 %3x%4")
                       .arg(client.x())
                       .arg(client.y())
                       .arg(client.width())
                       .arg(client.height())));

    // Asked to shrink, it stays maximised and keeps the whole screen.
    xdotool({ QStringLiteral("windowsize"), window->id, QStringLiteral("700"), QStringLiteral("500") });
    QTest::qWait(1000);
    QCOMPARE(clientArea(window->id), client);
    QVERIFY(isMaximised(window->id));
}

void TestWindowManager::valueDialogKeepsItsFrameOnTheScreen()
{
    startKelvo(QDir(m_lab.path()).filePath(QStringLiteral("labwork.lbw")));
    const std::optional<Window> window = waitForMainWindow();
    QVERIFY2(window, qPrintable(report(QStringLiteral("the menu did not show"))));
    const QSize client = window->geometry.size();
    const QRect screen = grabScreen().rect();

    click(window->geometry.topLeft() + layout::menuButton(client, 0, 1).center());
    // The bench: the picture centred in the work field (inside its two-pixel border).
    const QRect field = layout::workField(client);
    const QPoint picture = field.topLeft()
        + QPoint((field.width() + 4 - BenchPicture.width()) / 2, (field.height() + 4 - BenchPicture.height()) / 2);
    const QPoint supply = window->geometry.topLeft() + picture + SupplyOnPicture + QPoint(8, 6);
    QVERIFY2(waitFor(
                 [&] {
                     return countColour(grabScreen(),
                                QRect(picture, BenchPicture).translated(window->geometry.topLeft()),
                                QColor(220, 230, 240))
                         > 10000;
                 },
                 StepTimeoutMs),
        "the bench did not show");

    // Opened twice: the first opening is the one made before the frame is known.
    for (int opening = 1; opening <= 2; ++opening) {
        click(supply);
        const std::optional<Window> dialog = waitForWindow(QStringLiteral("^Значение$"), StepTimeoutMs);
        QVERIFY2(dialog, qPrintable(report(QStringLiteral("no value dialog"))));
        QTest::qWait(500);
        Window placed = windowsTitled(QStringLiteral("^Значение$")).value(0, *dialog);
        placed.geometry = clientArea(placed.id);
        const QMargins frame = frameExtents(placed.id);
        QVERIFY(frame.top() > 0);
        const QRect outer = placed.geometry.marginsAdded(frame);
        QVERIFY2(screen.contains(outer),
            qPrintable(QStringLiteral("opening %1: the dialog's frame at %2,%3 %4x%5 leaves the screen")
                           .arg(opening)
                           .arg(outer.x())
                           .arg(outer.y())
                           .arg(outer.width())
                           .arg(outer.height())));
        // Pulled up just so far that its frame ends at the screen's bottom edge.
        QCOMPARE(outer.bottom(), screen.bottom());
        focusWindow(placed);
        pressKeys(QStringLiteral("Escape"));
        QVERIFY(waitFor([] { return windowsTitled(QStringLiteral("^Значение$")).isEmpty(); }, StepTimeoutMs));
    }
}

QTEST_MAIN(TestWindowManager)
#include "tst_windowmanager.moc"
