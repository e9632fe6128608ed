// SPDX-License-Identifier: MIT
// One running copy per key: a later copy is turned away and brings the first
// to the front, a socket file left by a copy that died is no hindrance, and
// a runtime folder too deep for a socket's path still works. The later or
// dead copies are forked children, as they would be separate programs.

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <filesystem>
#include <QSocketNotifier>
#include <algorithm>
#include <cstring>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <vector>
#include <unistd.h>

#include "desktop/SingleInstance.h"
#include "TestSupport.h"

namespace orbelle::formqt::testing {
namespace {

struct Case {
    const char *name;
    bool deepRuntimeFolder;  // deeper than a socket's path can reach
};
void PrintTo(const Case &c, std::ostream *out) { *out << c.name; }

class SingleInstanceTest : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        std::filesystem::path runtime = folder.path();
        if (GetParam().deepRuntimeFolder)
            runtime /= std::string(60, 'r') + "/" + std::string(60, 'u');
        std::filesystem::create_directories(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.string()));
        key = QString::fromStdString(folder.path().string());
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", savedRuntime); }

    // Runs `copy` in a child process that ends with its result and leaves
    // without tidying up, as a copy that is killed would.
    static pid_t startCopy(const std::function<bool()> &copy)
    {
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(copy() ? 0 : 1);
        return child;
    }
    // Serves this process's events until the child ends; its exit code, or
    // -1 when it has not ended within the time.
    static int waitForCopy(pid_t child, int timeoutMs)
    {
        int status = 0;
        if (waitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, timeoutMs))
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return -1;
    }
    QString socketFile(const SingleInstance &single) const
    {
        const QString name = single.serverName();
        return name.contains(QLatin1Char('/')) ? name : QDir(QDir::tempPath()).filePath(name);
    }

    TempFolder folder;
    QByteArray savedRuntime;
    QString key;
};

TEST_P(SingleInstanceTest, LaterCopyIsTurnedAwayAndBringsTheFirstToTheFront)
{
    SingleInstance first(key);
    ASSERT_TRUE(first.claim());
    QSignalSpy asked(&first, &SingleInstance::activationRequested);
    EXPECT_LT(QFile::encodeName(socketFile(first)).size(), 100) << socketFile(first).toStdString();

    // The later copy waits up to 20 s for the answer; it comes at once.
    const pid_t later = startCopy([this] { return !SingleInstance(key).claim(20000); });
    EXPECT_EQ(waitForCopy(later, 10000), 0) << "the later copy was not answered, or claimed the key";
    EXPECT_EQ(asked.count(), 1);

    // A second object in the same process is turned away as well.
    SingleInstance again(key);
    EXPECT_FALSE(again.claim(100));
    EXPECT_TRUE(waitFor([&] { return asked.count() == 2; }, 5000));
}

TEST_P(SingleInstanceTest, SocketLeftByADeadCopyDoesNotHinderTheNext)
{
    // Never destroyed: the child ends with its socket file in place.
    const pid_t dead = startCopy([this] { return (new SingleInstance(key))->claim(0); });
    ASSERT_EQ(waitForCopy(dead, 10000), 0);

    SingleInstance next(key);
    ASSERT_TRUE(QFileInfo::exists(socketFile(next))) << "the dead copy left no socket file";
    ASSERT_TRUE(next.claim());
    QSignalSpy asked(&next, &SingleInstance::activationRequested);
    const pid_t later = startCopy([this] { return !SingleInstance(key).claim(20000); });
    EXPECT_EQ(waitForCopy(later, 10000), 0);
    EXPECT_EQ(asked.count(), 1);
}

TEST_P(SingleInstanceTest, FirstCopyEndingFreesTheKey)
{
    QString socket;
    {
        SingleInstance first(key);
        ASSERT_TRUE(first.claim());
        socket = socketFile(first);
        EXPECT_TRUE(QFileInfo::exists(socket));
    }
    EXPECT_FALSE(QFileInfo::exists(socket));
    SingleInstance next(key);
    EXPECT_TRUE(next.claim(100));
}

INSTANTIATE_TEST_SUITE_P(Folders, SingleInstanceTest,
                         ::testing::Values(Case{"RuntimeFolder", false}, Case{"DeepRuntimeFolder", true}),
                         [](const ::testing::TestParamInfo<Case> &info) { return info.param.name; });


// Among other users: where the lock and socket may go, and what callers that
// never speak (or a process out of descriptors) do to the running copy.
class SingleInstanceAmongUsersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        savedTemp = qgetenv("TMPDIR");
        hadTemp = qEnvironmentVariableIsSet("TMPDIR");
        qputenv("TMPDIR", QByteArray::fromStdString(temp.path().string()));
        key = QString::fromStdString(temp.path().string());
    }
    void TearDown() override
    {
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
        if (hadTemp)
            qputenv("TMPDIR", savedTemp);
        else
            qunsetenv("TMPDIR");
    }
    std::filesystem::path ownFolder() const { return temp.path() / ("orbelle-" + std::to_string(::geteuid())); }

    static int connectTo(const QString &socketPath)
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(socketPath);
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
        return fd;
    }
    // Whether the other end has closed the connection.
    static bool closedByServer(int fd)
    {
        pollfd wait{fd, POLLIN, 0};
        char byte;
        return ::poll(&wait, 1, 0) == 1 && ::recv(fd, &byte, 1, MSG_DONTWAIT) <= 0;
    }

    TempFolder temp, runtime;
    QByteArray savedRuntime, savedTemp;
    bool hadTemp = false;
    QString key;
};

TEST_F(SingleInstanceAmongUsersTest, UsesOnlyAFolderOfTheUsersAlone)
{
    const QString own = QString::fromStdString(ownFolder().string());
    struct Case {
        const char *name;
        const char *runtime;      // "" unset, "private" or "open"
        mode_t ownFolderMode;     // 0: not there before
        bool checked;             // the one-copy check runs
        bool inOwnFolder;
    };
    const Case cases[] = {
        {"private runtime folder", "private", 0, true, false},
        {"runtime folder open to others", "open", 0, true, true},
        {"no runtime folder", "", 0, true, true},
        {"own folder made open before", "", 0755, false, false},
    };
    for (const Case &c : cases) {
        std::filesystem::remove_all(ownFolder());
        if (c.ownFolderMode) {
            std::filesystem::create_directory(ownFolder());
            ::chmod(ownFolder().c_str(), c.ownFolderMode);
        }
        ::chmod(runtime.path().c_str(), std::string(c.runtime) == "open" ? 0755 : 0700);
        if (*c.runtime)
            qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path().string()));
        else
            qunsetenv("XDG_RUNTIME_DIR");
        SingleInstance first(key), second(key);
        EXPECT_TRUE(first.claim(100)) << c.name;
        EXPECT_EQ(second.claim(500), !c.checked) << c.name;
        EXPECT_EQ(first.serverName().startsWith(own + QLatin1Char('/')), c.inOwnFolder)
            << c.name << ": " << first.serverName().toStdString();
        if (c.checked && !c.inOwnFolder) {
            EXPECT_TRUE(first.serverName().startsWith(QString::fromStdString(runtime.path().string())))
                << c.name;
        }
    }
    if (::geteuid() == 0) {
        // Made first by another user, however private: refused.
        std::filesystem::remove_all(ownFolder());
        std::filesystem::create_directory(ownFolder());
        ::chmod(ownFolder().c_str(), 0700);
        ASSERT_EQ(::chown(ownFolder().c_str(), 65533, 65533), 0);
        qunsetenv("XDG_RUNTIME_DIR");
        SingleInstance first(key), second(key);
        EXPECT_TRUE(first.claim(100));
        EXPECT_TRUE(second.claim(100));
        EXPECT_TRUE(first.serverName().isEmpty());
    }
}

TEST_F(SingleInstanceAmongUsersTest, IdleCallersAreServedAFewAtATimeAndDropped)
{
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path().string()));
    SingleInstance first(key);
    ASSERT_TRUE(first.claim());
    QSignalSpy asked(&first, &SingleInstance::activationRequested);
    std::vector<int> idle;
    // As many as the socket's queue takes before the first is served.
    for (int i = 0; i < 8; ++i)
        idle.push_back(connectTo(first.serverName()));
    int most = 0;
    const auto allDropped = [&] {
        // The listener's notifier and one a caller being served.
        most = std::max<int>(most, int(first.findChildren<QSocketNotifier *>().size()) - 1);
        return std::all_of(idle.begin(), idle.end(), closedByServer);
    };
    EXPECT_TRUE(waitFor(allDropped, 10000)) << "idle callers are kept";
    EXPECT_LE(most, SingleInstance::kMostCallers);
    for (int fd : idle)
        ::close(fd);
    // And a copy that asks is still answered.
    SingleInstance later(key);
    EXPECT_FALSE(later.claim(100));
    EXPECT_TRUE(waitFor([&] { return asked.count() == 1; }, 5000));
}

TEST_F(SingleInstanceAmongUsersTest, OutOfDescriptorsTheListenerPausesInsteadOfSpinning)
{
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path().string()));
    SingleInstance first(key);
    ASSERT_TRUE(first.claim());
    const QList<QSocketNotifier *> notifiers = first.findChildren<QSocketNotifier *>();
    ASSERT_EQ(notifiers.size(), 1);
    QSignalSpy woken(notifiers.front(), &QSocketNotifier::activated);
    const int caller = connectTo(first.serverName());

    // No descriptor can be made: the lowest free one is the limit.
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    const int lowestFree = ::dup(0);
    ::close(lowestFree);
    rlimit none = saved;
    none.rlim_cur = rlim_t(lowestFree);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &none), 0);
    pump(1000);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_LE(woken.count(), 10) << "the failing accept was retried at once, again and again";

    // With descriptors again the queued caller is served.
    EXPECT_TRUE(waitFor([&] { return closedByServer(caller); }, 5000));
    ::close(caller);
}

} // namespace
} // namespace orbelle::formqt::testing
