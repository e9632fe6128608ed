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
#include <sys/wait.h>
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

} // namespace
} // namespace orbelle::formqt::testing
