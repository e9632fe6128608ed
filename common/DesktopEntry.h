// SPDX-License-Identifier: MIT
#pragma once
// Text of freedesktop desktop entries, such as the one that starts the clock
// at login: a key's value and a command line written so that a desktop reads
// back exactly the strings given. Owns nothing.

#include <optional>
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

// Why a program at `path` (its bytes as the system names it) cannot be
// started from a desktop entry, or nothing when it can: the entry's text
// must be UTF-8, and launchers refuse a '%' in a quoted command and treat
// control characters as the end of the key. An entry that would start
// something else, or nothing, is not written.
std::optional<std::string> programPathProblem(std::string_view path);

// A whole entry: "[Desktop Entry]" and the keys in the order given, each
// value escaped; `execArguments` become the Exec key after Type.
std::string desktopEntry(const std::vector<std::string> &execArguments,
                         const std::vector<std::pair<std::string, std::string>> &keys);

} // namespace orbelle
