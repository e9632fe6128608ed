// SPDX-License-Identifier: MIT
#include "canvas/DisplayConnection.h"

#include <QGuiApplication>

#if QT_CONFIG(xcb) && __has_include(<X11/Xlib.h>) && __has_include(<sys/socket.h>)
#define ORBELLE_X11_SOCKET 1
#include <X11/Xlib.h>
#include <sys/socket.h>
#endif

namespace orbelle::formqt {

void widenDisplaySendBuffer()
{
#ifdef ORBELLE_X11_SOCKET
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display())
        return;
    const int fd = ConnectionNumber(x11->display());
    // A repaint of a 1000-pixel face sends about 100 KB, twice that at a
    // screen scale of 2; with the usual 200 KB the clock would wait for the
    // server once or twice a second while the machine is busy.
    constexpr int kWanted = 1 << 20;
    int have = 0;
    socklen_t size = sizeof have;
    if (getsockopt(fd, SOL_SOCKET, SO_SNDBUF, &have, &size) == 0 && have < kWanted)
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kWanted, sizeof kWanted);
#endif
}

} // namespace orbelle::formqt
