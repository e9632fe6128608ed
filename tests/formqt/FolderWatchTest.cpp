// SPDX-License-Identifier: MIT
// The binding's watch on a file and its folder, and a window's loss of
// activation reaching its form.

#include <gtest/gtest.h>
#include <QWidget>
#include <filesystem>
#include <fstream>

#include "FormWindow.h"
#include "QtBinding.h"
#include "TestSupport.h"

namespace orbelle::formqt::testing {
namespace {

class FolderWatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.write("tokei-set.ini", "old");
        binding.watchFile(folder.file("tokei-set.ini"), [this] { ++calls; });
    }
    // Waits for the call that one change gives, then for a quiet moment in
    // which no second call comes.
    void expectOneCall(const char *what)
    {
        const int before = calls;
        EXPECT_TRUE(waitFor([&] { return calls > before; }, 1000)) << what << ": no call within 1 s";
        pump(400);
        EXPECT_EQ(calls, before + 1) << what;
    }

    TempFolder folder;
    QtBinding binding;
    int calls = 0;
};

TEST_F(FolderWatchTest, EachKindOfSaveGivesOneCall)
{
    pump(300);
    EXPECT_EQ(calls, 0) << "called with nothing changed";

    // The editor's save: a new file written beside and renamed over.
    folder.write("tokei-set.ini.tmp", "new design");
    std::filesystem::rename(folder.file("tokei-set.ini.tmp"), folder.file("tokei-set.ini"));
    expectOneCall("renamed over");

    // The watch went on to the new file: a write in place is seen too.
    folder.write("tokei-set.ini", "written where it stands");
    expectOneCall("written in place");

    std::filesystem::remove(folder.file("tokei-set.ini"));
    expectOneCall("removed");
    folder.write("tokei-set.ini", "made again");
    expectOneCall("made again");
}

TEST_F(FolderWatchTest, AFolderRemovedAndMadeAgainIsWatchedAgain)
{
    TempFolder parent;
    const std::filesystem::path faces = parent.file("faces");
    std::filesystem::create_directory(faces);
    int faceCalls = 0;
    binding.watchFile(faces / "tokei-set.ini", [&] { ++faceCalls; });

    std::filesystem::remove_all(faces);
    EXPECT_TRUE(waitFor([&] { return faceCalls >= 1; }, 1000)) << "removing the folder gave no call";
    pump(300);
    const int gone = faceCalls;
    std::filesystem::create_directory(faces);
    EXPECT_TRUE(waitFor([&] { return faceCalls > gone; }, 1000)) << "making the folder again gave no call";
    pump(300);
    const int back = faceCalls;
    std::ofstream(faces / "tokei-set.ini") << "a design saved into the new folder";
    EXPECT_TRUE(waitFor([&] { return faceCalls > back; }, 1000)) << "the new folder is not watched";
}

TEST_F(FolderWatchTest, APictureElsewhereIsWatchedWithTheFile)
{
    TempFolder pictures;
    binding.watchAlso(pictures.file("face.png"));
    pictures.write("face.png", "arrived");
    expectOneCall("the picture arrived");
    pictures.write("face.png", "written again");
    expectOneCall("the picture was written again");

    // The next watch replaces it.
    binding.watchAlso({});
    pictures.write("face.png", "no longer watched");
    pump(400);
    EXPECT_EQ(calls, 2);
}

TEST_F(FolderWatchTest, WatchingAgainReplacesTheWatch)
{
    TempFolder other;
    int otherCalls = 0;
    binding.watchFile(other.file("tokei-set.ini"), [&] { ++otherCalls; });
    folder.write("tokei-set.ini", "changed in the old folder");
    other.write("tokei-set.ini", "made in the new one");
    EXPECT_TRUE(waitFor([&] { return otherCalls == 1; }, 1000));
    pump(300);
    EXPECT_EQ(calls, 0);
}

class TwoForms : public ::testing::Test {
protected:
    TwoForms()
    {
        for (form::Form *f : {&first, &second}) {
            f->Width = 3000;
            f->Height = 2000;
            f->Visible = true;
            binding.addForm(*f);
        }
        first.Deactivate = [this] { ++firstDeactivated; };
    }
    ~TwoForms() override { binding.releaseWindows(); }

    form::Form first{"First"};
    form::Form second{"Second"};
    QtBinding binding;
    int firstDeactivated = 0;
};

TEST_F(TwoForms, LeavingAWindowTellsItsForm)
{
    binding.syncAll();
    QWidget *a = binding.windowOf(first);
    QWidget *b = binding.windowOf(second);
    a->activateWindow();
    if (!waitFor([&] { return a->isActiveWindow(); }, 1000))
        GTEST_SKIP() << "this platform does not activate windows";
    pump(100);
    firstDeactivated = 0; // showing the second window took the first's activation once already
    b->activateWindow();
    ASSERT_TRUE(waitFor([&] { return b->isActiveWindow(); }, 1000));
    EXPECT_TRUE(waitFor([&] { return firstDeactivated == 1; }, 1000));
    pump(200);
    EXPECT_EQ(firstDeactivated, 1) << "told more than once";
    a->activateWindow();
    ASSERT_TRUE(waitFor([&] { return a->isActiveWindow(); }, 1000));
    pump(200);
    EXPECT_EQ(firstDeactivated, 1) << "told when it became active again";
}

} // namespace
} // namespace orbelle::formqt::testing
