// SPDX-License-Identifier: MIT
#include "FilesFolder.h"

#include <cstdlib>
#include <system_error>

#ifdef _WIN32
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#else
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "TextEncoding.h"

namespace fs = std::filesystem;

namespace orbelle {

namespace {

bool present(const fs::path &p)
{
    std::error_code ec;
    return fs::exists(p, ec);
}

// The path with its links and dots resolved as far as it exists, so a link
// into a system folder counts as that folder.
fs::path resolved(const fs::path &p)
{
    std::error_code ec;
    fs::path r = fs::weakly_canonical(fs::absolute(p, ec), ec);
    if (ec)
        return p.lexically_normal();
    return r;
}

bool canCreateFilesIn(const fs::path &folder)
{
#ifdef _WIN32
    // Windows answers access checks on folders from their attributes alone;
    // only creating a file tells whether the user may.
    const fs::path probe = folder / (L".orbelle-probe-" + std::to_wstring(_getpid()));
    const int fd = _wopen(probe.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_TEMPORARY, 0600);
    if (fd < 0)
        return false;
    _close(fd);
    return true;
#else
    return faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
#endif
}

} // namespace

#ifndef _WIN32
// The user's own private group: named as the user, with no members listed.
static bool isUsersPrivateGroup(gid_t group)
{
    const passwd *user = ::getpwuid(::geteuid());
    if (!user || user->pw_gid != group)
        return false;
    const std::string userName = user->pw_name;
    const ::group *entry = ::getgrgid(group);
    return entry && userName == entry->gr_name && (!entry->gr_mem || !entry->gr_mem[0]);
}
#endif

bool isPortable(const FolderFacts &facts)
{
    return facts.usersAlone && (facts.holdsClockFiles || (facts.writable && !facts.systemFolder));
}

bool belongsToUserAlone(const fs::path &folder)
{
#ifdef _WIN32
    (void)folder;
    return true;
#else
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid())
        return false;
    if ((status.st_mode & S_IWOTH) != 0)
        return false;
    return (status.st_mode & S_IWGRP) == 0 || isUsersPrivateGroup(status.st_gid);
#endif
}

bool isInside(const fs::path &folder, const fs::path &root)
{
    auto f = folder.begin();
    for (auto r = root.begin(); r != root.end(); ++r) {
        if (r->empty())
            continue;  // a trailing separator
        if (f == folder.end() || *f != *r)
            return false;
        ++f;
    }
    return true;
}

FolderFacts examineFolder(const fs::path &folder, const std::vector<fs::path> &systemFolders)
{
    FolderFacts facts;
    facts.holdsClockFiles = present(folder / "tokei-set.ini") || present(folder / "Pt.ini");
    facts.writable = canCreateFilesIn(folder);
    facts.usersAlone = belongsToUserAlone(folder);
    const fs::path where = resolved(folder);
    for (const fs::path &root : systemFolders)
        if (isInside(where, resolved(root)) || isInside(folder.lexically_normal(), root))
            facts.systemFolder = true;
    return facts;
}

std::vector<fs::path> defaultSystemFolders()
{
#ifdef _WIN32
    std::vector<fs::path> roots;
    for (const wchar_t *name : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432", L"SystemRoot"})
        if (const wchar_t *value = _wgetenv(name); value && *value)
            roots.emplace_back(value);
    return roots;
#else
    return {"/usr", "/opt", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32", "/etc",
            "/var", "/boot", "/snap", "/app", "/nix/store", "/gnu/store"};
#endif
}

fs::path chooseFilesFolder(const fs::path &programFolder, const fs::path &userFolder,
                           const std::vector<fs::path> &systemFolders)
{
    return isPortable(examineFolder(programFolder, systemFolders)) ? programFolder : userFolder;
}

std::string locatePicture(const std::string &picturePath, const fs::path &designFolder)
{
    const fs::path picture = pathFromUtf8(picturePath);
    if (picturePath.empty() || picture.is_absolute() || present(picture) || designFolder.empty())
        return picturePath;
    const fs::path beside = designFolder / picture;
    if (!present(beside))
        return picturePath;
    const std::u8string text = beside.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace orbelle
