// SPDX-License-Identifier: MIT
#pragma once
// What the window system lets a program do with its own top-level windows.
// X11 and Windows cut a window to a region and let a program place its
// windows and learn where they stand; a Wayland compositor does neither:
// a mask there only limits where the window takes input, and the
// compositor alone decides, and keeps to itself, where a window lies.
// Holds two flags; asks the running platform once, when made from it.

namespace orbelle::formqt {

struct WindowAbilities {
    // A window region cuts the window's pixels, not only its input.
    bool cutsWindows = true;
    // The program places its windows, and their positions are real ones.
    bool placesWindows = true;

    // The abilities of the platform Qt runs on (a QGuiApplication must exist).
    static WindowAbilities ofPlatform();
};

} // namespace orbelle::formqt
