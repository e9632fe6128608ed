// SPDX-License-Identifier: MIT
// Where the beep looks for a way to play a sound before it opens the sound
// library: a machine without one gets the bell and no library complaints.

#include <gtest/gtest.h>
#include <QByteArray>
#include <QDir>
#include <filesystem>
#include <fstream>

#include "desktop/SystemBeep.h"
#include "TestSupport.h"

namespace orbelle::formqt::testing {
namespace {

// Sets an environment variable for the life of the object (unset: null).
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QByteArray &value) : name_(name), had_(qEnvironmentVariableIsSet(name))
    {
        old_ = qgetenv(name);
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char *name_;
    bool had_;
    QByteArray old_;
};

#ifdef Q_OS_LINUX
TEST(SystemBeepTest, LooksForASoundServerOrAPlaybackDevice)
{
    if (!QDir(QStringLiteral("/dev/snd")).entryList({QStringLiteral("pcmC*D*p")}, QDir::System).isEmpty())
        GTEST_SKIP() << "this machine has a playback device";
    TempFolder runtime;
    const QByteArray runtimePath = QByteArray::fromStdString(runtime.path().string());
    ScopedEnv noServer("PULSE_SERVER", QByteArray());
    ScopedEnv runtimeDir("XDG_RUNTIME_DIR", runtimePath);
    EXPECT_FALSE(SystemBeep::soundOutputPresent()) << "no server, no device";

    std::filesystem::create_directory(runtime.path() / "pulse");
    std::ofstream(runtime.path() / "pulse" / "native") << "";
    EXPECT_TRUE(SystemBeep::soundOutputPresent()) << "the sound server's socket";

    {
        ScopedEnv elsewhere("XDG_RUNTIME_DIR", QByteArray());
        EXPECT_FALSE(SystemBeep::soundOutputPresent()) << "no runtime folder";
        ScopedEnv named("PULSE_SERVER", "tcp:sound.example:4713");
        EXPECT_TRUE(SystemBeep::soundOutputPresent()) << "a server named by the user";
    }
}
#endif

} // namespace
} // namespace orbelle::formqt::testing
