// SPDX-License-Identifier: MIT
// The user's folder filled with the sample face on the clock's first start
// there, and pictures drawn at their natural size whatever their name says.

#include <gtest/gtest.h>
#include <QFile>

#include "desktop/FilesPlace.h"
#include "QtBinding.h"
#include "canvas/QtPicture.h"
#include "TestSupport.h"

namespace orbelle::formqt::testing {
namespace {

std::string contents(const std::filesystem::path &path)
{
    QFile f(FilesPlace::fromPath(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("<missing>");
}

TEST(FilesPlaceTest, SeedsTheSampleFaceOnlyIntoAFolderWithoutADesign)
{
    TempFolder sample;
    sample.write("tokei-set.ini", "sample design");
    sample.write("face.png", "sample picture");
    const QString sampleFolder = FilesPlace::fromPath(sample.path());

    struct Case {
        const char *what;
        std::vector<std::pair<std::string, std::string>> before;
        bool seeds;
        std::string design, picture;
    };
    const Case cases[] = {
        {"a new user's folder", {}, true, "sample design", "sample picture"},
        {"a folder with the user's design", {{"tokei-set.ini", "mine"}}, false, "mine", "<missing>"},
        {"a folder with the user's own face.png", {{"face.png", "my picture"}}, true, "sample design",
         "my picture"},
        {"state but no design", {{"Pt.ini", "state"}}, true, "sample design", "sample picture"},
    };
    for (const Case &c : cases) {
        TempFolder user;
        for (const auto &[name, bytes] : c.before)
            user.write(name, bytes);
        const auto folder = user.path() / "orbelle";
        std::filesystem::create_directory(folder);
        for (const auto &[name, bytes] : c.before)
            std::filesystem::rename(user.file(name), folder / name);
        EXPECT_EQ(FilesPlace::seedSampleFace(folder, sampleFolder), c.seeds) << c.what;
        EXPECT_EQ(contents(folder / "tokei-set.ini"), c.design) << c.what;
        EXPECT_EQ(contents(folder / "face.png"), c.picture) << c.what;
        EXPECT_FALSE(std::filesystem::exists(folder / "tokei-set.ini.part")) << c.what;
    }
}

TEST(FilesPlaceTest, SeedsNothingWithoutAnInstalledSample)
{
    TempFolder user;
    EXPECT_FALSE(FilesPlace::seedSampleFace(user.path() / "orbelle", QString()));
    EXPECT_FALSE(std::filesystem::exists(user.path() / "orbelle" / "tokei-set.ini"));
}

TEST(FilesPlaceTest, MakesAMissingUserFolderWhenSeeding)
{
    TempFolder sample, user;
    sample.write("tokei-set.ini", "d");
    sample.write("face.png", "p");
    const auto folder = user.path() / "config" / "orbelle";
    EXPECT_TRUE(FilesPlace::seedSampleFace(folder, FilesPlace::fromPath(sample.path())));
    EXPECT_EQ(contents(folder / "tokei-set.ini"), "d");
}

TEST(FilesPlaceTest, PicturesForDenserScreensAreDrawnPixelForPixel)
{
    TempFolder folder;
    QtBinding binding;
    for (const char *name : {"face.png", "face@2x.png", "face@3x.png"}) {
        const std::string path = savePng(folder, name, whiteThenBlack(40, 30, 20));
        const auto picture = std::dynamic_pointer_cast<const QtPicture>(binding.loadPicture(path));
        ASSERT_TRUE(picture) << name;
        EXPECT_EQ(picture->image().devicePixelRatio(), 1.0) << name;
        EXPECT_EQ(picture->image().deviceIndependentSize(), QSizeF(40, 30)) << name;
    }
}

} // namespace
} // namespace orbelle::formqt::testing
