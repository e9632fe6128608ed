// SPDX-License-Identifier: MIT
#pragma once
// Why a file the editor writes (a design, a scaled copy of a picture) could
// not be written, in the user's words, for the status bar.

#include <filesystem>
#include <string>

namespace orbelle::maker {

// Asked after the write to `file` (as the user named it) failed: the write
// itself leaves what was there whole. A link is followed to its target, and
// the reason judged there.
std::string writeFailureReason(const std::filesystem::path &file);

} // namespace orbelle::maker
