// SPDX-License-Identifier: MIT
#pragma once
// Why a file the editor writes (a design, a scaled copy of a picture) could
// not be written, in the user's words, for the status bar.

#include <filesystem>
#include <string>

namespace orbelle::maker {

// The file a write to `file` ends in: a link is followed to its target, as
// the write follows it, so that a failure is judged there.
std::filesystem::path linkTarget(std::filesystem::path file);

// Asked after the write to `file` (as the user named it) failed: the write
// itself leaves what was there whole. A link is followed to its target, and
// the reason judged there.
std::string writeFailureReason(const std::filesystem::path &file);

} // namespace orbelle::maker
