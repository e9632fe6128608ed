// SPDX-License-Identifier: MIT
#pragma once
// Turns the bytes of a settings file into the UTF-8 text the programs work
// in, and back. Files are in the system's code page (UTF-8 on Linux, where a
// plain ASCII "C" locale counts as UTF-8; the ANSI code page on Windows);
// bytes that are not valid there are read as code page 932 (Shift-JIS).
// Where the ANSI code page takes one byte a character (1252 and the like),
// every byte is valid in it: there a file that reads whole as code page 932
// and holds two-byte characters or two one-byte katakana side by side is
// taken as code page 932, and text the
// ANSI code page cannot hold is written as code page 932 when it reads back
// the same that way. Characters no target can hold become '?'.

#include <filesystem>
#include <string>
#include <string_view>

namespace orbelle {

// File bytes to UTF-8.
std::string decodeFileText(std::string_view bytes);
// UTF-8 to file bytes in the system's code page.
std::string encodeFileText(std::string_view utf8);

// Code page 932 both ways, for the fallback above and for tests.
// Characters that have no form in the target are replaced by '?'.
std::string cp932ToUtf8(std::string_view bytes);
std::string utf8ToCp932(std::string_view utf8);

bool isValidUtf8(std::string_view bytes);

// A path the programs hold as UTF-8 text (a chosen file, a picture path read
// from a design) as the file system names it; on Windows a plain string
// would be taken in the ANSI code page instead.
std::filesystem::path pathFromUtf8(std::string_view utf8);

#ifndef _WIN32
// The code set of the process's character locale (nl_langinfo), which the
// two functions at the top follow. Qt programs set that locale from the
// environment when they start; before that it is the plain ASCII "C" locale.
std::string systemCodeSet();
// decodeFileText and encodeFileText for a system whose code set is the one
// named (an iconv name such as "EUC-JP"), so other systems can be tried.
std::string decodeFileText(std::string_view bytes, const std::string &codeSet);
std::string encodeFileText(std::string_view utf8, const std::string &codeSet);
#endif

} // namespace orbelle
