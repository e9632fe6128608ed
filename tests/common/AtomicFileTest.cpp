#include <gtest/gtest.h>

#include <fstream>

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

    // A folder in the file's place: the temporary file is written, the
    // rename fails, and the temporary file must go again.
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
