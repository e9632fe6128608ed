// SPDX-License-Identifier: MIT
#pragma once
// The folder both programs keep their files in, decided once per run: the
// program's own folder when it is portable, otherwise the user's own
// "orbelle" folder among the desktop's per-user settings folders (made when
// first needed). Also seeds that folder with the sample face the package
// installs, so a new user's clock shows a face. Owns no files after seeding.

#include <QString>
#include <filesystem>

namespace orbelle::formqt {

class FilesPlace {
public:
    // The folder for this run; the first call decides.
    static std::filesystem::path folder();
    // True when folder() is the user's own folder, not the program's.
    static bool usesUserFolder();
    // The user's own folder, where the desktop keeps per-user settings.
    static std::filesystem::path userFolder();

    // The installed sample face: a folder holding tokei-set.ini and its
    // picture, or empty when none is installed.
    static QString sampleFaceFolder();
    // Copies the sample face into `folder` when it holds no tokei-set.ini.
    // True when it copied.
    static bool seedSampleFace(const std::filesystem::path &folder, const QString &sampleFolder);

    static std::filesystem::path toPath(const QString &path);
    static QString fromPath(const std::filesystem::path &path);
};

} // namespace orbelle::formqt
