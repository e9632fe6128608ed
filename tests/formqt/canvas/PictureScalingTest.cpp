// SPDX-License-Identifier: MIT
// The one picture loader of both programs turning photos upright, and the
// scaled copies: their size, area averaging on a large reduction, formats,
// the original left alone and nothing left behind by a failed write.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTest>

#include "Form1.h"
#include "Form2.h"
#include "OrientedJpeg.h"
#include "QtBinding.h"
#include "TestSupport.h"
#include "canvas/PictureScaling.h"
#include "canvas/QtPicture.h"

namespace orbelle::formqt::testing {
namespace {

using orbelle::testing::sidewaysJpeg;

QByteArray readAll(const std::filesystem::path &path)
{
    QFile f(QString::fromStdString(path.string()));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(UprightPictures, TheSharedLoaderTurnsATaggedPhotoAndLeavesOthersAsStored)
{
    const struct {
        bool tagged;
        QSize size;
        QPoint red; // a point of the red half
    } rows[] = {{true, QSize(40, 80), QPoint(20, 10)}, {false, QSize(80, 40), QPoint(10, 20)}};
    for (const auto &r : rows) {
        const QImage image = decodePicture(sidewaysJpeg(80, 40, r.tagged));
        EXPECT_EQ(image.size(), r.size) << r.tagged;
        EXPECT_GT(image.pixelColor(r.red).red(), 200) << r.tagged;
        EXPECT_LT(image.pixelColor(r.red).blue(), 60) << r.tagged;
    }
}

// The clock's picture box through the same loader: a portrait face.
class FolderBinding : public QtBinding {
public:
    explicit FolderBinding(std::filesystem::path folder) : folder_(std::move(folder)) {}
    std::filesystem::path programFolder() override { return folder_; }

private:
    std::filesystem::path folder_;
};

TEST(UprightPictures, TheClockShowsATaggedPhotoUpright)
{
    TempFolder folder;
    const QByteArray jpeg = sidewaysJpeg(80, 40);
    folder.write("portrait.jpg", jpeg.toStdString());
    const std::string picture = folder.file("portrait.jpg").string();
    folder.write("tokei-set.ini", "660,1260\r\n\"" + picture +
                                      "\"\r\n0,0\r\n#TRUE#,#FALSE#,#FALSE#\r\n300,600,600,1200\r\n1,1,1,1\r\n"
                                      "16777215,255,65280,16711935\r\n\"100\",\"90\",\"70\"\r\n0\r\n0,0\r\n0,0\r\n");
    FolderBinding binding(folder.path());
    struct Clock {
        explicit Clock(form::Services &s) : form1(s, form2), form2(form1) {}
        clock::Form1 form1;
        clock::Form2 form2;
    } clock(binding);
    binding.addForm(clock.form1);
    binding.addForm(clock.form2);
    binding.load(clock.form1);
    ASSERT_NE(clock.form1.Picture1.CurrentPicture, nullptr);
    EXPECT_EQ(clock.form1.Picture1.CurrentPicture->widthPixels(), 40);
    EXPECT_EQ(clock.form1.Picture1.CurrentPicture->heightPixels(), 80);
    binding.releaseWindows();
}

TEST(ScaledCopies, SizeFollowsTheAspectRatio)
{
    const struct {
        int w, h, side;
        QSize size;
    } rows[] = {
        {3000, 2000, 600, QSize(600, 400)}, {2000, 3000, 600, QSize(400, 600)}, {4032, 3024, 600, QSize(600, 450)},
        {6000, 4000, 600, QSize(600, 400)}, {1000, 3, 100, QSize(100, 1)},      {500, 500, 173, QSize(173, 173)},
        {0, 10, 600, QSize(0, 0)},
    };
    for (const auto &r : rows)
        EXPECT_EQ(scaledSize(r.w, r.h, r.side), r.size) << r.w << "x" << r.h << " to " << r.side;
}

TEST(ScaledCopies, ALargeReductionAveragesInsteadOfAliasing)
{
    // One-pixel black and white stripes, seven to a new pixel: every new
    // pixel is the grey of their average, not black or white.
    QImage stripes(700, 700, QImage::Format_RGB32);
    for (int y = 0; y < stripes.height(); ++y)
        for (int x = 0; x < stripes.width(); ++x)
            stripes.setPixel(x, y, x % 2 ? 0xFFFFFFFFu : 0xFF000000u);
    const QImage small = scaledByArea(stripes, QSize(100, 100));
    ASSERT_EQ(small.size(), QSize(100, 100));
    for (int y = 0; y < 100; y += 7)
        for (int x = 1; x < 99; x += 3) {
            const int grey = qGray(small.pixel(x, y));
            EXPECT_NEAR(grey, 128, 24) << x << "," << y;
        }
}

TEST(ScaledCopies, WritesA600x400CopyAndLeavesTheOriginal)
{
    TempFolder folder;
    QImage big(3000, 2000, QImage::Format_RGB32);
    big.fill(QColor(30, 120, 200));
    const std::string original = savePng(folder, "IMG_0001.png", big);
    const QByteArray before = readAll(original);
    const std::string copy = folder.file("IMG_0001-600px.png").string();
    ASSERT_TRUE(writeScaledPicture(original, copy, QSize(600, 400)));
    const QImage written(QString::fromStdString(copy));
    EXPECT_EQ(written.size(), QSize(600, 400));
    EXPECT_EQ(written.pixelColor(300, 200), QColor(30, 120, 200));
    EXPECT_EQ(readAll(original), before);

    // A tagged photo is written upright, as a JPEG where the name says so.
    folder.write("portrait.jpg", sidewaysJpeg(80, 40).toStdString());
    const std::string jpeg = folder.file("portrait-40px.jpg").string();
    ASSERT_TRUE(writeScaledPicture(folder.file("portrait.jpg").string(), jpeg, QSize(20, 40)));
    EXPECT_EQ(readAll(jpeg).left(2), QByteArray("\xFF\xD8", 2));
    EXPECT_EQ(QImage(QString::fromStdString(jpeg)).size(), QSize(20, 40));
}

TEST(ScaledCopies, AFailedWriteLeavesNothing)
{
    TempFolder folder;
    const std::string original = savePng(folder, "a.png", whiteThenBlack(60, 40, 30));
    // A folder that does not exist, and a source that is no picture.
    EXPECT_FALSE(writeScaledPicture(original, folder.file("none/a-30px.png").string(), QSize(30, 20)));
    folder.write("notes.txt", "no picture");
    EXPECT_FALSE(writeScaledPicture(folder.file("notes.txt").string(), folder.file("b.png").string(), QSize(30, 20)));
    EXPECT_FALSE(std::filesystem::exists(folder.file("b.png")));
}

} // namespace
} // namespace orbelle::formqt::testing
