// SPDX-License-Identifier: MIT
#pragma once
// The program's connection to the X server, where it has one.

namespace orbelle::formqt {

// Lets the connection hold a whole repaint of a large face (a few hundred
// kilobytes of pixels) so that sending it does not wait for the server to
// read. Does nothing without an X connection; the system may grant less.
void widenDisplaySendBuffer();

} // namespace orbelle::formqt
