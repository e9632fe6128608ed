// SPDX-License-Identifier: MIT
#pragma once
// The clock's own icon: a small dial with its hands, for the windows, the
// notification icon and the desktop's task list.

#include <QIcon>

namespace orbelle::clock {

QIcon clockIcon();

} // namespace orbelle::clock
