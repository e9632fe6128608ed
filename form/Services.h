// SPDX-License-Identifier: MIT
#pragma once
// Everything a form's handlers need from the world outside the forms: the
// clock, the beep, pictures, the window's shape and place, the notification
// icon, the program's folder, dialogs and the end of the program. The
// binding provides the real ones; tests give a form a fake.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Picture.h"

namespace orbelle::form {

class Form;

// Local date and time as the handlers read it.
struct LocalTime {
    int year = 2000, month = 1, day = 1;      // month 1-12, day 1-31
    int hour = 0, minute = 0, second = 0;      // hour 0-23
};

struct PixelPoint {
    int x = 0, y = 0;
    friend bool operator==(const PixelPoint &, const PixelPoint &) = default;
};

// The shape a window is cut to, in pixels of the window.
struct WindowRegion {
    enum class Shape { Ellipse, Polygon };
    Shape shape = Shape::Ellipse;
    // Ellipse: the bounding box, right and bottom exclusive.
    int left = 0, top = 0, right = 0, bottom = 0;
    // Polygon: the vertices, filled alternately (odd-even).
    std::vector<PixelPoint> points;
    friend bool operator==(const WindowRegion &, const WindowRegion &) = default;
};

// The notification-area icon of a window.
struct NotifyIcon {
    int id = 1;
    int flags = 7;              // message, icon and tip are valid
    int callbackMessage = 519;  // icon events arrive as this window message
    std::string tip;
};

// Window messages the notification icon reports, as the number the window's
// middle-button press carries.
enum IconMessage : int {
    IconMouseMove = 512,
    IconLeftDown = 513,
    IconLeftUp = 514,
    IconLeftDoubleClick = 515,
    IconRightDown = 516,
    IconRightUp = 517,
};

// Which of the desktop's event sounds a beep plays.
enum class BeepSound {
    Bell,  // a short attention sound
    Alarm, // the sound of an alarm clock going off
};

// What a file dialog shows: the filter entries (description and pattern,
// several patterns separated by ';'), the entry selected first (1-based) and
// the proposed file name, which may carry a folder.
struct FileDialogRequest {
    std::vector<std::pair<std::string, std::string>> filters;
    int filterIndex = 1;
    std::string fileName;
};

class Services {
public:
    virtual ~Services() = default;

    virtual LocalTime now() = 0;
    // The system beep; never blocks.
    virtual void beep(BeepSound sound = BeepSound::Bell) = 0;
    // The picture in the file, or null when the file holds no readable picture.
    virtual std::shared_ptr<const Picture> loadPicture(const std::string &path) = 0;
    // Cuts the window to the region; nullopt gives it back its full rectangle.
    virtual void setWindowRegion(Form &form, const std::optional<WindowRegion> &region) = 0;
    // False when there is no notification area to put the icon into.
    virtual bool addNotifyIcon(Form &form, const NotifyIcon &icon) = 0;
    virtual void deleteNotifyIcon(Form &form, const NotifyIcon &icon) = 0;
    // Lets the user move the window with the mouse until the button is released.
    virtual void beginWindowDrag(Form &form) = 0;
    // The folder of the running program file.
    virtual std::filesystem::path programFolder() = 0;
    virtual int twipsPerPixelX() = 0;
    // Ends the program at once, without further events.
    virtual void endProgram() = 0;

    // Dialogs give nothing when the user cancels. A provider without
    // dialogs cancels them.
    virtual std::optional<std::string> showOpenDialog(const FileDialogRequest &) { return std::nullopt; }
    // Proposes no overwrite question and adds no extension.
    virtual std::optional<std::string> showSaveDialog(const FileDialogRequest &) { return std::nullopt; }
    // Opens on `initial` (red in the lowest byte).
    virtual std::optional<int> chooseColor(int /*initial*/) { return std::nullopt; }
    // The folder file dialogs open in and relative paths start from.
    virtual bool setCurrentDirectory(const std::filesystem::path &) { return false; }
    // Asks for the size of a scaled copy of a picture of width x height
    // pixels: its longer side in pixels, `proposed` at first, the other side
    // following the aspect ratio. Nothing when the user cancels.
    virtual std::optional<int> askScaledSize(int /*width*/, int /*height*/, int /*proposed*/) { return std::nullopt; }
    // Writes the picture of `source`, upright, scaled to width x height
    // pixels by averaging the pixels each new one covers, to `target` in
    // the format its suffix names. Written whole or not at all; false when
    // it could not be.
    virtual bool writeScaledPicture(const std::string & /*source*/, const std::string & /*target*/, int /*width*/,
                                    int /*height*/)
    {
        return false;
    }
    // A desktop notification that reaches the user wherever they are; the
    // form's notification icon shows it where there is no other way. A
    // provider without notifications drops it.
    virtual void showNotification(Form &, const std::string & /*title*/, const std::string & /*text*/) {}
    // A message box over the form with an OK button; returns once the user
    // has closed it. A provider without dialogs drops it.
    virtual void showMessage(Form &, const std::string & /*title*/, const std::string & /*text*/) {}
    // Calls `changed` (as an event of its own, shortly after; a burst of
    // changes as one call) whenever the file is made, replaced by a rename,
    // written or removed, or anything else in its folder changes, also when
    // the folder itself is removed and made again. Watching again replaces
    // the earlier watch; a provider that cannot watch never calls.
    virtual void watchFile(const std::filesystem::path &, std::function<void()> /*changed*/) {}
    // Adds a second file (a picture the watched file names) to that watch,
    // with the same call, whether or not it exists yet; the next call
    // replaces it, an empty path drops it.
    virtual void watchAlso(const std::filesystem::path &) {}
};

} // namespace orbelle::form
