// SPDX-License-Identifier: MIT
#pragma once
// Helpers the widget tests share: a temporary folder removed with its
// contents, test pictures written as PNG files, pixel reading in the forms'
// colour numbers, mouse presses sent to whichever widget lies topmost at a
// point of a window, and waiting on the event loop with a deadline.

#include <QColor>
#include <QImage>
#include <QPoint>
#include <filesystem>
#include <functional>
#include <string>

class QWidget;

namespace orbelle::formqt::testing {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::filesystem::path &path() const { return path_; }
    std::filesystem::path file(const std::string &name) const { return path_ / name; }
    // Writes the bytes as they stand.
    void write(const std::string &name, const std::string &bytes) const;

private:
    std::filesystem::path path_;
};

// A picture whose columns left of `splitX` are white and the rest black.
QImage whiteThenBlack(int width, int height, int splitX);
// Saves it as PNG into the folder and gives the path.
std::string savePng(const TempFolder &folder, const std::string &name, const QImage &image);

// What the widget shows, as its own paint code draws it.
QImage grabOf(QWidget *widget);
// The pixel as red + 256 green + 65536 blue.
int colourAt(const QImage &image, int x, int y);
int colourAt(const QImage &image, QPoint p);

// Processes events until the condition holds or the time is up.
bool waitFor(const std::function<bool()> &condition, int timeoutMs);
// Processes events for the given time.
void pump(int ms);

// The widget a real press at `windowPoint` would reach: the topmost visible
// child there, or the window itself.
QWidget *widgetAt(QWidget *window, QPoint windowPoint);
void pressAt(QWidget *window, QPoint windowPoint, Qt::MouseButton button,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void releaseAt(QWidget *window, QPoint windowPoint, Qt::MouseButton button);
void clickAt(QWidget *window, QPoint windowPoint, Qt::MouseButton button = Qt::LeftButton);

// True when `widget` is `ancestor` or lies inside it.
bool isWithin(const QWidget *widget, const QWidget *ancestor);

} // namespace orbelle::formqt::testing
