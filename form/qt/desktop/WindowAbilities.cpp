// SPDX-License-Identifier: MIT
#include "desktop/WindowAbilities.h"

#include <QGuiApplication>

namespace orbelle::formqt {

WindowAbilities WindowAbilities::ofPlatform()
{
    // Qt's Wayland platforms are "wayland", "wayland-egl", "wayland-brcm"
    // and the like.
    const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    WindowAbilities abilities;
    abilities.cutsWindows = !wayland;
    abilities.placesWindows = !wayland;
    return abilities;
}

} // namespace orbelle::formqt
