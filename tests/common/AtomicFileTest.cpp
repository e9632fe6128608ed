#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "AtomicFile.h"
#include "TemporaryFolder.h"
#include "TextEncoding.h"

using namespace orbelle;

namespace {

void putFile(const std::filesystem::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace

TEST(AtomicFileTest, WritesAndReplacesWholeFilesLeavingNothingBehind)
{
    TemporaryFolder folder;
    const auto path = folder.file("tokei-set.ini");
    const std::string bytes("a\r\nb\0c\xFF\n", 9);
    ASSERT_TRUE(writeFileAtomically(path, bytes));
    EXPECT_EQ(readWholeFile(path), bytes);

    ASSERT_TRUE(writeFileAtomically(path, "short"));
    EXPECT_EQ(readWholeFile(path), "short");
    ASSERT_TRUE(writeFileAtomically(path, ""));
    EXPECT_EQ(readWholeFile(path), "");
    EXPECT_EQ(folder.listing(), "tokei-set.ini;");
}

#ifndef _WIN32
// Windows has no such permission bits; its read-only flag is tested below.
TEST(AtomicFileTest, KeepsThePermissionsOfTheFileItReplaces)
{
    TemporaryFolder folder;
    const auto path = folder.file("Pt.ini");
    putFile(path, "old");
    const auto mode = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write
        | std::filesystem::perms::group_read;
    std::filesystem::permissions(path, mode);
    ASSERT_TRUE(writeFileAtomically(path, "new"));
    EXPECT_EQ(std::filesystem::status(path).permissions(), mode);
}
#endif

TEST(AtomicFileTest, FailedWritesLeaveTheOldStateWhole)
{
    TemporaryFolder folder;
    const auto plainFile = folder.file("plain");
    putFile(plainFile, "old contents");

    // Under a regular file, or in a folder that does not exist.
    EXPECT_FALSE(writeFileAtomically(plainFile / "Pt.ini", "x"));
    EXPECT_FALSE(writeFileAtomically(folder.file("missing") / "Pt.ini", "x"));
    EXPECT_FALSE(writeFileAtomically("", "x"));

    // A folder in the file's place is not replaced, nor written into.
    const auto occupied = folder.file("occupied");
    std::filesystem::create_directory(occupied);
    putFile(occupied / "inside", "kept");
    EXPECT_FALSE(writeFileAtomically(occupied, "x"));

    EXPECT_EQ(folder.listing(), "occupied;plain;");
    EXPECT_EQ(readWholeFile(plainFile), "old contents");
    EXPECT_EQ(readWholeFile(occupied / "inside"), "kept");
}

TEST(AtomicFileTest, ReadsNothingFromMissingFilesOrFolders)
{
    TemporaryFolder folder;
    EXPECT_EQ(readWholeFile(folder.file("missing")), std::nullopt);
    EXPECT_EQ(readWholeFile(folder.path()), std::nullopt);
}

TEST(AtomicFileTest, WritesInFoldersWithJapaneseNames)
{
    // 0x5C, the path separator, is a trail byte in the code page 932 forms
    // of the second and third names.
    for (const char *name : {"時計の顔", "表示", "ソフト", "ﾄｹｲ", "été"}) {
        SCOPED_TRACE(name);
        TemporaryFolder folder;
        const auto inside = folder.path() / pathFromUtf8(name);
        ASSERT_TRUE(std::filesystem::create_directory(inside));
        const auto path = inside / pathFromUtf8(std::string(name) + ".ini");
        ASSERT_TRUE(writeFileAtomically(path, "first"));
        ASSERT_TRUE(writeFileAtomically(path, "second\r\n"));
        EXPECT_EQ(readWholeFile(path), "second\r\n");
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(inside)) {
            const std::u8string utf8 = entry.path().filename().u8string();
            names.emplace_back(utf8.begin(), utf8.end());
        }
        EXPECT_EQ(names, std::vector<std::string>{std::string(name) + ".ini"});
    }
}

#ifdef _WIN32

namespace {

// Keeps a file open the way another program may: sharing reading and
// writing but not its deletion or renaming.
struct OpenElsewhere {
    HANDLE handle;
    explicit OpenElsewhere(const std::filesystem::path &path)
        : handle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~OpenElsewhere()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};

} // namespace

// A rename onto an existing file fails on Windows, so replacing goes its
// own way there; what it may not replace stays whole.
TEST(AtomicFileTest, WindowsReplacesOnlyWhatMayBeReplaced)
{
    const struct {
        const char *name;
        DWORD attributes;
        bool heldOpen;
        bool written;
    } cases[] = {
        {"plain", FILE_ATTRIBUTE_NORMAL, false, true},
        {"archive", FILE_ATTRIBUTE_ARCHIVE, false, true},
        {"read-only", FILE_ATTRIBUTE_READONLY, false, false},
        {"held open by another program", FILE_ATTRIBUTE_NORMAL, true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TemporaryFolder folder;
        const auto path = folder.file("tokei-set.ini");
        putFile(path, "old contents\r\n");
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), c.attributes));
        bool written = false;
        {
            std::optional<OpenElsewhere> other;
            if (c.heldOpen) {
                other.emplace(path);
                ASSERT_NE(other->handle, INVALID_HANDLE_VALUE);
            }
            written = writeFileAtomically(path, "new");
        }
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(readWholeFile(path), c.written ? "new" : "old contents\r\n");
        EXPECT_EQ(folder.listing(), "tokei-set.ini;");
        if (c.attributes & FILE_ATTRIBUTE_READONLY) {
            EXPECT_TRUE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY);
        }
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

#endif

#ifndef _WIN32

namespace {

// What a user without special rights meets: a file made read-only, and a
// folder that takes no new file. Gives a bit for each expectation missed.
int permissionFailures()
{
    char pattern[] = "/tmp/orbelle-perm-XXXXXX";
    if (!::mkdtemp(pattern))
        return 1;
    const std::filesystem::path folder(pattern);
    int failures = 0;

    // A read-only file is left as it is, although the folder is writable.
    const auto readOnly = folder / "tokei-set.ini";
    putFile(readOnly, "old");
    ::chmod(readOnly.c_str(), 0444);
    if (writeFileAtomically(readOnly, "new"))
        failures |= 2;
    if (readWholeFile(readOnly) != "old")
        failures |= 4;

    // In a read-only folder a writable file is still saved, in place.
    const auto inside = folder / "locked";
    std::filesystem::create_directory(inside);
    putFile(inside / "Pt.ini", "old");
    ::chmod(inside.c_str(), 0555);
    if (!writeFileAtomically(inside / "Pt.ini", "new state"))
        failures |= 8;
    if (readWholeFile(inside / "Pt.ini") != "new state")
        failures |= 16;
    // A new file cannot be made there.
    if (writeFileAtomically(inside / "new.ini", "x"))
        failures |= 32;

    ::chmod(inside.c_str(), 0755);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return failures;
}

} // namespace

TEST(AtomicFileTest, RespectsReadOnlyFilesAndSavesInReadOnlyFolders)
{
    if (::geteuid() != 0) {
        EXPECT_EQ(permissionFailures(), 0);
        return;
    }
    // The superuser may write anything: try it as an ordinary user.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(100);
        ::_exit(permissionFailures());
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 100)
        GTEST_SKIP() << "this system lets the superuser become no ordinary user";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "bits of the expectations missed";
}

#endif
