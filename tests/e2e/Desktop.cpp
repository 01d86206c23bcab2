#include "Desktop.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QThread>

namespace kelvo::e2e {

std::optional<QString> xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForFinished(15000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

void moveMouse(QPoint screenPoint)
{
    xdotool({ QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(screenPoint.x()),
        QString::number(screenPoint.y()) });
}

void click(QPoint screenPoint, int times)
{
    moveMouse(screenPoint);
    xdotool({ QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(times), QStringLiteral("--delay"),
        QStringLiteral("80"), QStringLiteral("1") });
}

void drag(QPoint from, QPoint to)
{
    moveMouse(from);
    xdotool({ QStringLiteral("mousedown"), QStringLiteral("1") });
    moveMouse((from + to) / 2);
    moveMouse(to);
    xdotool({ QStringLiteral("mouseup"), QStringLiteral("1") });
}

void pressKeys(const QString &keys)
{
    QStringList arguments { QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60") };
    arguments += keys.split(u' ', Qt::SkipEmptyParts);
    xdotool(arguments);
}

void typeText(const QString &text)
{
    xdotool({ QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text });
}

QList<Window> windowsTitled(const QString &titlePattern)
{
    QList<Window> windows;
    const std::optional<QString> ids = xdotool(
        { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), titlePattern });
    if (!ids)
        return windows;
    for (const QString &id : ids->split(u'\n', Qt::SkipEmptyParts)) {
        const std::optional<QString> shell
            = xdotool({ QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id });
        if (!shell)
            continue;
        QRect geometry;
        for (const QString &line : shell->split(u'\n', Qt::SkipEmptyParts)) {
            const QString key = line.section(u'=', 0, 0);
            const int value = line.section(u'=', 1).toInt();
            if (key == u"X")
                geometry.moveLeft(value);
            else if (key == u"Y")
                geometry.moveTop(value);
            else if (key == u"WIDTH")
                geometry.setWidth(value);
            else if (key == u"HEIGHT")
                geometry.setHeight(value);
        }
        windows.append({ id, geometry });
    }
    return windows;
}

void focusWindow(const Window &window)
{
    moveMouse(window.geometry.center());
    xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), window.id });
}

std::optional<Window> waitForWindow(const QString &titlePattern, int timeoutMs)
{
    std::optional<Window> found;
    waitFor(
        [&] {
            const QList<Window> windows = windowsTitled(titlePattern);
            if (!windows.isEmpty())
                found = windows.first();
            return found.has_value();
        },
        timeoutMs);
    return found;
}

QImage grabScreen()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32) : QImage();
}

QString primarySelection()
{
    QCoreApplication::processEvents();
    return QGuiApplication::clipboard()->text(QClipboard::Selection);
}

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(100);
    }
}

int countPixels(const QImage &image, const QRect &area, const std::function<bool(QRgb)> &predicate)
{
    const QRect inside = area.intersected(image.rect());
    int count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += predicate(image.pixel(x, y)) ? 1 : 0;
    }
    return count;
}

int countColour(const QImage &image, const QRect &area, const QColor &colour)
{
    const QRgb wanted = colour.rgb() & RGB_MASK;
    return countPixels(image, area, [wanted](QRgb pixel) { return (pixel & RGB_MASK) == wanted; });
}

QImage inkMask(const QImage &image, const QRect &area)
{
    QImage mask(area.size(), QImage::Format_Grayscale8);
    mask.fill(0);
    const QRgb background = image.pixel(area.topLeft());
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
            const QRgb pixel = image.pixel(area.left() + x, area.top() + y);
            const int distance = qAbs(qRed(pixel) - qRed(background)) + qAbs(qGreen(pixel) - qGreen(background))
                + qAbs(qBlue(pixel) - qBlue(background));
            if (distance > 150)
                mask.setPixel(x, y, 255);
        }
    }
    return mask;
}

} // namespace kelvo::e2e
