// SPDX-License-Identifier: MIT
// The file layer among other users of the machine, and against files that
// are not what they seem: which folder is portable, which links a save
// follows, how much a read may cost, what an interrupted save's journal may
// replay, and which left-overs the start-up clean-up removes.
#include <gtest/gtest.h>

#ifndef _WIN32

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "AsOrdinaryUser.h"
#include "AtomicFile.h"
#include "FilesFolder.h"
#include "TemporaryFolder.h"

using namespace orbelle;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kOtherUser = 65533; // any user but the one running the test

void putFile(const fs::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string contents(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(SharedMachineTest, AFolderIsPortableOnlyWhenItIsTheUsersAlone)
{
    TemporaryFolder root;
    struct Case {
        const char *name;
        mode_t mode;
        bool holdsFiles, usersAlone, portable;
    };
    const Case cases[] = {
        {"private", 0700, false, true, true},
        {"readable", 0755, true, true, true},
        {"shared-sticky", 01777, false, false, false},   // as /tmp
        {"shared-sticky-with-files", 01777, true, false, false},
        {"others-write", 0757, true, false, false},
    };
    for (const Case &c : cases) {
        const fs::path folder = root.file(c.name);
        fs::create_directory(folder);
        ::chmod(folder.c_str(), c.mode);
        if (c.holdsFiles)
            putFile(folder / "Pt.ini", "0,0\r\n");
        EXPECT_EQ(belongsToUserAlone(folder), c.usersAlone) << c.name;
        EXPECT_EQ(chooseFilesFolder(folder, root.file("user"), {}) == folder, c.portable) << c.name;
    }
    EXPECT_FALSE(isPortable(FolderFacts{true, true, false, false}));
    if (::geteuid() == 0) {
        // Another user's folder, however private, is not this user's.
        const fs::path theirs = root.file("theirs");
        fs::create_directory(theirs);
        ASSERT_EQ(::chown(theirs.c_str(), kOtherUser, kOtherUser), 0);
        EXPECT_FALSE(belongsToUserAlone(theirs));
    }
}

TEST(SharedMachineTest, ASaveFollowsOnlyLinksOfTheUserOrTheSuperuser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the superuser can make a link that belongs to another user";
    TemporaryFolder shared, home;
    ::chmod(shared.path().c_str(), 01777);
    putFile(home.file(".bashrc"), "the user's own");
    const fs::path planted = shared.file("Pt.ini");
    fs::create_symlink(home.file(".bashrc"), planted);
    const fs::path own = shared.file("own-link");
    fs::create_symlink(home.file("mine.ini"), own);

    ASSERT_EQ(::lchown(planted.c_str(), kOtherUser, kOtherUser), 0);
    EXPECT_TRUE(leadsThroughForeignLink(planted));
    EXPECT_FALSE(writeFileAtomically(planted, "the other user's memo"));
    EXPECT_EQ(contents(home.file(".bashrc")), "the user's own");
    EXPECT_TRUE(fs::is_symlink(planted));

    EXPECT_FALSE(leadsThroughForeignLink(own));
    EXPECT_TRUE(writeFileAtomically(own, "through my own link"));
    EXPECT_EQ(contents(home.file("mine.ini")), "through my own link");
}

TEST(SharedMachineTest, AnOversizedFileIsRefusedWithoutReadingIt)
{
    TemporaryFolder folder;
    const fs::path huge = folder.file("huge");
    const fs::path limit = folder.file("at-limit");
    for (const auto &[path, size] : {std::pair{huge, std::uintmax_t(1) << 30}, std::pair{limit, kLargestSettingsFile}}) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t(size)), 0); // sparse: costs no disk
        ::close(fd);
    }
    const fs::path link = folder.file("tokei-set.ini");
    fs::create_symlink(huge, link);

    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(readWholeFile(link).has_value());
    EXPECT_FALSE(readWholeFile(huge).has_value());
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_LT(took, std::chrono::milliseconds(100));
    EXPECT_EQ(readWholeFile(limit).value_or("").size(), kLargestSettingsFile);
    EXPECT_FALSE(readWholeFile(limit, kLargestSettingsFile - 1).has_value());
}

namespace {

pid_t finishedProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

bool journalIn(const fs::path &journals)
{
    std::error_code error;
    for (fs::directory_iterator it(journals, error); !error && it != fs::directory_iterator(); it.increment(error))
        if (it->path().filename().string().find(".tmp-") == std::string::npos)
            return true;
    return false;
}

// The state of a file of several megabytes and its mixes, told apart by
// their first and last bytes.
std::string wholeState(char fill, std::size_t size)
{
    std::string bytes(size, fill);
    bytes.front() = '<';
    bytes.back() = '>';
    return bytes;
}

// Makes `path` (in a folder that takes no new file) hold `old` and kills an
// in-place save of `next` into it (named as `through`) while its rewrite
// runs, so a journal is left. The writer runs at the lowest priority and
// this process wakes as the journal is renamed into place, so the kill
// lands in the rewrite of many megabytes. False when no attempt left one.
bool leaveJournal(const fs::path &path, const fs::path &through, const std::string &old,
                  const std::string &next, const fs::path &journals)
{
    fs::create_directories(journals);
    const int watch = ::inotify_init1(IN_CLOEXEC);
    if (watch < 0 || ::inotify_add_watch(watch, journals.c_str(), IN_MOVED_TO) < 0)
        return false;
    bool left = false;
    for (int attempt = 0; attempt < 20 && !left; ++attempt) {
        putFile(path, old);
        const pid_t writer = ::fork();
        if (writer == 0) {
            [[maybe_unused]] const int niceness = ::nice(19);
            ::_exit(writeFileAtomically(through, next) ? 0 : 1);
        }
        for (bool renamed = false; !renamed;) {
            pollfd wait{watch, POLLIN, 0};
            if (::poll(&wait, 1, 5000) <= 0)
                break;
            alignas(inotify_event) char events[4096];
            const ssize_t got = ::read(watch, events, sizeof events);
            for (ssize_t at = 0; at < got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(events + at);
                if (event->len > 0 && std::string(event->name).find(".tmp-") == std::string::npos)
                    renamed = true;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);
        left = journalIn(journals);
    }
    ::close(watch);
    return left;
}

// As an ordinary user, who cannot make files in a read-only folder, so
// saves there go in place. Gives the number of expectations missed.
int journalMisses()
{
    char pattern[] = "/tmp/orbelle-journal-XXXXXX";
    if (!::mkdtemp(pattern))
        return 100;
    const fs::path root(pattern);
    ::setenv("XDG_STATE_HOME", (root / "state").c_str(), 1);
    const fs::path journals = root / "state" / "orbelle";
    const fs::path real = root / "real", other = root / "other";
    fs::create_directories(real / "sub");
    fs::create_directories(other);
    fs::create_directory_symlink(real / "sub", other / "a");
    const fs::path path = real / "Pt.ini";
    const std::string old = wholeState('a', 24 << 20), next = wholeState('b', 20 << 20);
    putFile(other / "Pt.ini", "a bystander");
    putFile(path, "");
    ::chmod(real.c_str(), 0555);
    ::chmod(other.c_str(), 0555);
    int misses = 0;
    const auto expect = [&misses](bool ok) { misses += ok ? 0 : 1; };

    // Finished at the next start when nothing touched the file since.
    expect(leaveJournal(path, path, old, next, journals));
    recoverInterruptedWrites(path);
    expect(contents(path) == next && !journalIn(journals));

    // A later whole save is not rolled back.
    expect(leaveJournal(path, path, old, next, journals));
    ::chmod(real.c_str(), 0755);
    expect(writeFileAtomically(path, "a later save"));
    ::chmod(real.c_str(), 0555);
    recoverInterruptedWrites(path);
    expect(contents(path) == "a later save" && !journalIn(journals));

    // Nor is a file another program wrote since.
    expect(leaveJournal(path, path, old, next, journals));
    putFile(path, "edited elsewhere");
    recoverInterruptedWrites(path);
    expect(contents(path) == "edited elsewhere" && !journalIn(journals));

    // Through "other/a/..", which is "real", the journal names real/Pt.ini:
    // other/Pt.ini, its lexical twin, never receives it.
    const fs::path twisted = other / "a" / ".." / "Pt.ini";
    expect(leaveJournal(path, twisted, old, next, journals));
    recoverInterruptedWrites(other / "Pt.ini");
    expect(contents(other / "Pt.ini") == "a bystander");
    recoverInterruptedWrites(twisted);
    expect(contents(path) == next && !journalIn(journals));

    ::chmod(real.c_str(), 0755);
    ::chmod(other.c_str(), 0755);
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return misses;
}

} // namespace

TEST(SharedMachineTest, AJournalReplaysOnlyOverWhatItsSaveLeftAndOnlyIntoItsFile)
{
    const auto missed = orbelle::testing::missedAsOrdinaryUser(journalMisses);
    if (!missed)
        GTEST_SKIP() << "this system lets the superuser become no ordinary user";
    EXPECT_EQ(*missed, 0) << "expectations missed (100: the set-up failed)";
}

TEST(SharedMachineTest, TheCleanUpRemovesOnlyTheWritersOwnTemporaryFiles)
{
    TemporaryFolder folder;
    const std::string gone = std::to_string(finishedProcess());
    const std::string ours = "Pt.ini.tmp-" + gone + "-0123456789abcdef";
    struct Case {
        std::string name;
        bool kept;
    };
    const Case cases[] = {
        {ours, false},
        {"Pt.ini.tmp-2019-12-holiday-memo", true},       // the user's own file
        {"Pt.ini.tmp-" + gone + "-12-24", true},
        {"Pt.ini.tmp-" + gone + "-0123456789abcde", true}, // one digit short
        {"Pt.ini.tmp-" + gone + "-0123456789abcdef0", true},
        {"Pt.ini.tmp-" + gone + "-0123456789ABCDEF", true},
        {"Pt.ini.tmp-" + gone + "-0123456789abcdeg", true},
    };
    for (const Case &c : cases)
        putFile(folder.file(c.name), "x");
    // What merely bears our name: a link (and what it names) and a folder.
    const std::string link = "Pt.ini.tmp-" + gone + "-fedcba9876543210";
    const std::string subfolder = "Pt.ini.tmp-" + gone + "-aaaaaaaaaaaaaaaa";
    putFile(folder.file("target"), "x");
    fs::create_symlink(folder.file("target"), folder.file(link));
    fs::create_directory(folder.file(subfolder));
    std::string theirs;
    if (::geteuid() == 0) {
        theirs = "Pt.ini.tmp-" + gone + "-bbbbbbbbbbbbbbbb";
        putFile(folder.file(theirs), "another user's");
        ASSERT_EQ(::chown(folder.file(theirs).c_str(), kOtherUser, kOtherUser), 0);
    }

    recoverInterruptedWrites(folder.file("Pt.ini"));
    for (const Case &c : cases)
        EXPECT_EQ(fs::exists(folder.file(c.name)), c.kept) << c.name;
    for (const std::string &name : {link, subfolder, std::string("target"), theirs}) {
        if (!name.empty()) {
            EXPECT_TRUE(fs::exists(fs::symlink_status(folder.file(name)))) << name;
        }
    }
}

#endif
