// SPDX-License-Identifier: MIT
#pragma once
// Text of freedesktop desktop entries, such as the one that starts the clock
// at login: a key's value and a command line written so that a desktop reads
// back exactly the strings given. Owns nothing.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orbelle {

// A value of a string key: backslash, line breaks, tab and a leading space
// escaped.
std::string escapeDesktopValue(std::string_view value);

// One argument of an Exec key: quoted when it holds a character the desktop
// treats specially, with '%' doubled so it is no field code.
std::string quoteExecArgument(std::string_view argument);

// A whole entry: "[Desktop Entry]" and the keys in the order given, each
// value escaped; `execArguments` become the Exec key after Type.
std::string desktopEntry(const std::vector<std::string> &execArguments,
                         const std::vector<std::pair<std::string, std::string>> &keys);

} // namespace orbelle
