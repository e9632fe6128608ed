#include <gtest/gtest.h>

#include <fstream>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "AtomicFile.h"
#include "TemporaryFolder.h"

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
