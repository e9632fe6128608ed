#pragma once
// Reading and writing a whole small file. A write goes to a temporary file in
// the same folder that is then renamed over the old one, so a failed write
// leaves the old file whole. A file that cannot be opened for writing is
// not replaced; in a folder that takes no new file, a file that may be
// written is rewritten where it stands, and a failure there puts the old
// bytes back as far as the disk allows.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orbelle {

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> readWholeFile(const std::filesystem::path &path);
// True when the new contents are in place; false leaves the old file as it
// was (on the in-place way above: as far as the disk allows).
bool writeFileAtomically(const std::filesystem::path &path, std::string_view bytes);

} // namespace orbelle
