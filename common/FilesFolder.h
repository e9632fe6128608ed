// SPDX-License-Identifier: MIT
#pragma once
// Where the two programs keep their files, and where a design's picture is
// found. A *portable* folder is the program's own folder, used as it always
// was: a folder that belongs to the user alone (owned by the user, and no
// other user may make files in it) and that already holds the clock's files,
// or is the user's to write and not one of the system's folders. Otherwise
// the programs share a folder of the user's own (the caller names it: the
// binding asks the desktop where per-user settings go). A folder others may
// write, such as /tmp, is never portable: another user could put files (or
// links) in the programs' way. Owns no files; only looks at the file system.

#include <filesystem>
#include <string>
#include <vector>

namespace orbelle {

// What the rule needs to know of a program folder.
struct FolderFacts {
    bool holdsClockFiles = false;  // tokei-set.ini or Pt.ini is there
    bool writable = false;         // the user may create files in it
    bool systemFolder = false;     // inside one of the system's own folders
    bool usersAlone = true;        // owned by the user, not writable by group or others
};

bool isPortable(const FolderFacts &facts);

// Looks at the folder. `systemFolders` are the roots that count as the
// system's own (see defaultSystemFolders).
FolderFacts examineFolder(const std::filesystem::path &folder,
                          const std::vector<std::filesystem::path> &systemFolders);

// The system's folders on this system: /usr, /opt, /bin and their kind on
// Linux; the program and Windows folders on Windows.
std::vector<std::filesystem::path> defaultSystemFolders();

// True when `folder` is `root` or lies below it, comparing whole names
// ("/usr2" is not inside "/usr").
bool isInside(const std::filesystem::path &folder, const std::filesystem::path &root);

// True when the folder (after links) is owned by the user and no one else
// may make files in it: neither others nor its group, unless that group is
// the user's own private group (named as the user, with no other members),
// as many systems give every user. Always true on Windows, whose folders
// carry no such bits.
bool belongsToUserAlone(const std::filesystem::path &folder);

// The folder to keep the files in: the program's own when it is portable,
// otherwise `userFolder`.
std::filesystem::path chooseFilesFolder(const std::filesystem::path &programFolder,
                                        const std::filesystem::path &userFolder,
                                        const std::vector<std::filesystem::path> &systemFolders);

// The picture a design names, as a UTF-8 path to open. A relative path is
// taken from the current folder as always; when nothing is there but the
// design's own folder holds it, the one beside the design is meant, so a
// face folder still works after it was moved or from another current folder.
std::string locatePicture(const std::string &picturePath, const std::filesystem::path &designFolder);

} // namespace orbelle
