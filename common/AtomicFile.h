// SPDX-License-Identifier: MIT
#pragma once
// Reading and writing a whole small file. A write goes to a temporary file in
// the same folder that is then renamed over the old one, so a failed write
// leaves the old file whole. A file that cannot be opened for writing is
// not replaced; in a folder that takes no new file, a file that may be
// written is rewritten where it stands: the new bytes go to a journal in the
// user's state folder first, so a rewrite cut short is finished at the next
// start, and a failure puts the old bytes back as far as the disk allows.
// A symbolic link is written through: the file it names is replaced in
// that file's own folder and the link stays. Only links of the user's own
// or of the superuser are followed (as the kernel does in sticky folders):
// a save through a link that another user planted is refused.
//
// Only regular files are read or written: a FIFO, a device or a folder in a
// file's place counts as a file that cannot be read, and is found out
// without waiting on it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orbelle {

// The largest design or state file the programs read, in bytes: far beyond
// any real one, and small enough that a link to a huge file costs nothing.
inline constexpr std::uintmax_t kLargestSettingsFile = std::uintmax_t{64} << 20;

// The whole file, or nothing when it cannot be opened or read, is no
// regular file or holds more than `limit` bytes (told from its size before
// anything is read, and never more than limit + 1 bytes read).
std::optional<std::string> readWholeFile(const std::filesystem::path &path,
                                         std::uintmax_t limit = kLargestSettingsFile);
// True when the new contents are in place; false leaves the old file as it
// was (on the in-place way above: as far as the disk allows).
bool writeFileAtomically(const std::filesystem::path &path, std::string_view bytes);

// Whether the path (after links) names a regular file. Never blocks, even
// on a FIFO without a writer.
bool isRegularFile(const std::filesystem::path &path);

// True when a write to the path would follow a symbolic link that belongs
// to another user (neither the user nor the superuser); such a write is
// refused.
bool leadsThroughForeignLink(const std::filesystem::path &path);

// The file a write to the path ends in: the target of every symbolic link
// followed, as a write follows them; the path itself where a link is
// another user's or the links loop (such a write is refused anyway).
std::filesystem::path writeLandsAt(const std::filesystem::path &path);

// For a program starting up, before it reads a file it writes with
// writeFileAtomically: an in-place rewrite of it that was cut short is
// finished from its journal, and temporary files left beside it (or beside
// its journal) by a writer that is gone are removed.
void recoverInterruptedWrites(const std::filesystem::path &path);

} // namespace orbelle
