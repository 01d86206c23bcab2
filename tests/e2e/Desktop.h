#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The X display the program runs on, as a student meets it: the mouse and the keyboard through
// xdotool, the screen through grabs, the primary selection through the clipboard.
namespace kelvo::e2e {

// Runs xdotool; its standard output, or nothing when it fails.
std::optional<QString> xdotool(const QStringList &arguments);

void click(QPoint screenPoint, int times = 1);
void drag(QPoint from, QPoint to);
void moveMouse(QPoint screenPoint);
void pressKeys(const QString &keys); // "Return", "ctrl+a End"
void typeText(const QString &text);

// The visible top-level windows whose title matches `titlePattern` (a regular expression), with
// their geometry on the screen.
struct Window
{
    QString id;
    QRect geometry;
};
QList<Window> windowsTitled(const QString &titlePattern);

// Gives a window the keyboard, as a student's click on its title would: without a window
// manager, keys go to the window under the pointer or to the one that was given the focus.
void focusWindow(const Window &window);

// The first visible window titled so, once it is there.
std::optional<Window> waitForWindow(const QString &titlePattern, int timeoutMs);

QImage grabScreen();

// The text the program last selected (the X primary selection).
QString primarySelection();

// Polls `condition` until it holds or `timeoutMs` has passed; processes events meanwhile.
bool waitFor(const std::function<bool()> &condition, int timeoutMs);

// How many pixels of `area` have the colour `colour` exactly.
int countColour(const QImage &image, const QRect &area, const QColor &colour);

// How many pixels of `area` match `predicate`.
int countPixels(const QImage &image, const QRect &area, const std::function<bool(QRgb)> &predicate);

// The pixels of `area` that differ clearly from its background (the colour of its top-left
// pixel): the shape of the text written there, whatever its colour.
QImage inkMask(const QImage &image, const QRect &area);

} // namespace kelvo::e2e
