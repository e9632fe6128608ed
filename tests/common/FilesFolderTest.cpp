// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <fstream>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "FilesFolder.h"
#include "TemporaryFolder.h"
#include "TextEncoding.h"

using namespace orbelle;
namespace fs = std::filesystem;

namespace {

void touch(const fs::path &path)
{
    std::ofstream(path, std::ios::binary) << "x";
}

// Runs in `folder` as the current folder until it goes out of scope.
class CurrentFolder {
public:
    explicit CurrentFolder(const fs::path &folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~CurrentFolder() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

std::string text(const fs::path &p)
{
    const std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
}

} // namespace

TEST(FilesFolderTest, PortableWhenItHoldsTheFilesOrIsTheUsersOutsideTheSystem)
{
    struct Case {
        bool holds, writable, system, portable;
    };
    const Case cases[] = {
        {false, false, false, false}, // read-only folder of someone else
        {false, true, false, true},   // an unpacked folder of the user's
        {false, false, true, false},  // installed under /usr
        {false, true, true, false},   // /usr/bin as root
        {true, false, false, true},   // files on a read-only medium
        {true, true, false, true},    // the folder laid out as always
        {true, false, true, true},    // files put beside an installed program
        {true, true, true, true},
    };
    for (const Case &c : cases) {
        const FolderFacts facts{c.holds, c.writable, c.system};
        EXPECT_EQ(isPortable(facts), c.portable)
            << "holds " << c.holds << ", writable " << c.writable << ", system " << c.system;
    }
}

TEST(FilesFolderTest, InsideComparesWholeNames)
{
    struct Case {
        const char *folder, *root;
        bool inside;
    };
    const Case cases[] = {
        {"/usr/bin", "/usr", true},        {"/usr", "/usr", true},
        {"/usr/", "/usr", true},           {"/usr/local/bin", "/usr/", true},
        {"/usr2/bin", "/usr", false},      {"/us", "/usr", false},
        {"/home/u/usr", "/usr", false},    {"/opt/orbelle", "/opt", true},
        {"/nix/store/x/bin", "/nix/store", true}, {"/nix/var", "/nix/store", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(isInside(c.folder, c.root), c.inside) << c.folder << " in " << c.root;
}

TEST(FilesFolderTest, ExaminesTheFolderItself)
{
    TemporaryFolder root;
    const fs::path system = root.file("system");
    const fs::path program = system / "bin";
    const fs::path own = root.file("home");
    fs::create_directories(program);
    fs::create_directories(own);
    const std::vector<fs::path> roots{system};

    EXPECT_FALSE(examineFolder(own, roots).holdsClockFiles);
    touch(own / "tokei-set.ini.bak");
    EXPECT_FALSE(examineFolder(own, roots).holdsClockFiles);
    for (const char *name : {"tokei-set.ini", "Pt.ini"}) {
        const fs::path folder = root.file(std::string("holds-") + name);
        fs::create_directory(folder);
        touch(folder / name);
        EXPECT_TRUE(examineFolder(folder, roots).holdsClockFiles) << name;
    }

    EXPECT_TRUE(examineFolder(program, roots).systemFolder);
    EXPECT_TRUE(examineFolder(system, roots).systemFolder);
    EXPECT_FALSE(examineFolder(own, roots).systemFolder);
    EXPECT_FALSE(examineFolder(program, {}).systemFolder);
    // Reached through a link, a system folder is still the system's.
    std::error_code linkError;
    fs::create_directory_symlink(program, root.file("link"), linkError);
    if (!linkError) {
        EXPECT_TRUE(examineFolder(root.file("link"), roots).systemFolder);
    }

    EXPECT_TRUE(examineFolder(own, roots).writable);
    EXPECT_FALSE(examineFolder(root.file("missing"), roots).writable);
#ifndef _WIN32
    if (geteuid() != 0) {  // root may write anywhere
        fs::permissions(own, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(examineFolder(own, roots).writable);
        fs::permissions(own, fs::perms::owner_all);
    }
#endif
}

TEST(FilesFolderTest, ChoosesTheProgramsFolderOnlyWhenPortable)
{
    TemporaryFolder root;
    const fs::path program = root.file("usr") / "bin";
    const fs::path user = root.file("config") / "orbelle";
    fs::create_directories(program);
    const std::vector<fs::path> roots{root.file("usr")};

    EXPECT_EQ(chooseFilesFolder(program, user, roots), user);
    EXPECT_EQ(chooseFilesFolder(root.path(), user, roots), root.path());
    touch(program / "Pt.ini");
    EXPECT_EQ(chooseFilesFolder(program, user, roots), program);
}

TEST(FilesFolderTest, FindsAPictureBesideTheDesignWhenTheCurrentFolderLacksIt)
{
    TemporaryFolder root;
    const fs::path design = root.file("face");
    const fs::path current = root.file("home");
    fs::create_directories(design / "pics");
    fs::create_directories(current);
    touch(design / "face.png");
    // Japanese names as the forms hold them, UTF-8 on every system.
    const fs::path japanese = pathFromUtf8("pics/顔.png");
    touch(design / japanese);
    touch(current / "here.png");
    touch(design / "here.png");
    const std::string absolute = text(design / "face.png");

    struct Case {
        std::string picture;
        fs::path designFolder;
        std::string expected;
    };
    const Case cases[] = {
        {"face.png", design, text(design / "face.png")},
        {"pics/顔.png", design, text(design / japanese)},
        {"here.png", design, "here.png"},       // the current folder comes first
        {"none.png", design, "none.png"},       // nowhere: left for the reader to fail
        {absolute, current, absolute},
        {"face.png", fs::path(), "face.png"},   // a design named without a folder
        {"", design, ""},
    };
    CurrentFolder in(current);
    for (const Case &c : cases)
        EXPECT_EQ(locatePicture(c.picture, c.designFolder), c.expected) << c.picture;
}
