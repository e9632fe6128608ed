// SPDX-License-Identifier: MIT
#pragma once
// A folder of its own for one test, removed with everything in it when the
// test ends. Owns only that folder.

#include <filesystem>
#include <string>

namespace orbelle {

class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder &) = delete;
    TemporaryFolder &operator=(const TemporaryFolder &) = delete;

    const std::filesystem::path &path() const { return path_; }
    std::filesystem::path file(const std::string &name) const { return path_ / name; }
    // Names of the entries in the folder, sorted.
    std::string listing() const;

private:
    std::filesystem::path path_;
};

} // namespace orbelle
