// SPDX-License-Identifier: MIT
// The editor beyond its first window size: the viewport laid out on resize,
// the scroll bars, the wheel and the middle button agreeing with the
// panning buttons, the sizes panel, scaled copies of the picture and files
// dropped on the window.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "FakeServices.h"
#include "Form1.h"

namespace orbelle::maker {
namespace {

using testing::FakeServices;
using testing::ScratchFolder;

// A fake that also answers the scale dialog and records the copies asked for.
struct ScalingServices : FakeServices {
    std::optional<int> scaleAnswer;
    std::vector<std::tuple<int, int, int>> scaleAsked; // width, height, proposed
    bool writeSucceeds = true;
    struct Written {
        std::string source, target;
        int width, height;
    };
    std::vector<Written> written;

    std::optional<int> askScaledSize(int width, int height, int proposed) override
    {
        scaleAsked.emplace_back(width, height, proposed);
        return scaleAnswer;
    }
    bool writeScaledPicture(const std::string &source, const std::string &target, int width, int height) override
    {
        written.push_back({source, target, width, height});
        if (!writeSucceeds)
            return false;
        // The copy exists as a file, so it loads like a chosen file.
        std::ofstream(pathFromUtf8(target)) << "scaled";
        registeredPictures[target] = {width, height};
        return true;
    }
};

struct Editor {
    ScratchFolder folder;
    ScalingServices fake;
    Form1 form{fake};
    Editor()
    {
        fake.folder = folder.path();
        form.Load();
    }
    // The window's client area resized to w x h pixels, as the binding reports it.
    void resizeTo(int w, int h)
    {
        form.ScaleWidth = float(w * 15);
        form.ScaleHeight = float(h * 15);
        form.Resize();
    }
    void choose(const std::string &path, int w, int h)
    {
        fake.registeredPictures[path] = {w, h};
        ASSERT_TRUE(form.applyPicture(path));
    }
};

// Every control's place and visibility, by name.
std::map<std::string, form::ControlState> places(const Form1 &f)
{
    std::map<std::string, form::ControlState> out;
    for (const form::Control *c : f.controls())
        out[c->displayName()] = *c;
    return out;
}

TEST(EditorView, ResizeAtTheFirstSizeChangesNoControl)
{
    Editor e;
    const auto before = places(e.form);
    e.resizeTo(565, 458);
    EXPECT_EQ(places(e.form), before);
    EXPECT_FALSE(e.form.HScroll1.Visible);
    EXPECT_FALSE(e.form.VScroll1.Visible);
}

TEST(EditorView, ALargerWindowWidensTheViewportAndKeepsTheStatusBarAtTheBottom)
{
    Editor e;
    e.choose("photo.jpg", 4032, 3024);
    e.resizeTo(1200, 800);
    const Form1 &f = e.form;
    EXPECT_EQ(f.StatusBar1.Left, 0);
    EXPECT_EQ(f.StatusBar1.Top, 12000 - 330);
    EXPECT_EQ(f.StatusBar1.Width, 18000);
    // The panel keeps its place and size.
    EXPECT_EQ(f.Frame1.Left, 60);
    EXPECT_EQ(f.Frame1.Width, 2700);
    EXPECT_EQ(f.Frame1.Height, 6210);
    ASSERT_TRUE(f.HScroll1.Visible);
    ASSERT_TRUE(f.VScroll1.Visible);
    EXPECT_EQ(f.VScroll1.Left, 18000 - 255);
    EXPECT_EQ(f.VScroll1.Height, 12000 - 330 - 255);
    EXPECT_EQ(f.HScroll1.Top, 12000 - 330 - 255);
    EXPECT_EQ(f.HScroll1.Left, 2760);
    EXPECT_EQ(f.HScroll1.Width, 18000 - 2760 - 255);
    // The ranges end where the canvas's far edge meets the viewport's.
    EXPECT_EQ(f.viewportWidth(), 18000 - 2850 - 255);
    EXPECT_EQ(f.HScroll1.Max, int((4032 + 4) * 15 - f.viewportWidth()));
    EXPECT_EQ(f.VScroll1.Max, int((3024 + 4) * 15 - f.viewportHeight()));
    EXPECT_EQ(f.HScroll1.Value, 0);
}

TEST(EditorView, ScrollBarsHideWhenThePictureFits)
{
    Editor e;
    e.choose("small.png", 200, 150);
    e.resizeTo(1200, 800);
    EXPECT_FALSE(e.form.HScroll1.Visible);
    EXPECT_FALSE(e.form.VScroll1.Visible);
    // Only the vertical bar where only the height overflows.
    e.choose("tall.png", 300, 2000);
    EXPECT_FALSE(e.form.HScroll1.Visible);
    EXPECT_TRUE(e.form.VScroll1.Visible);
}

struct WheelCase {
    const char *name;
    int shift, dx, dy;
    float left, top; // canvas place after the turn
};

class EditorWheel : public ::testing::TestWithParam<WheelCase> {};

TEST_P(EditorWheel, MovesTheCanvasAndTheScrollBars)
{
    const WheelCase &c = GetParam();
    Editor e;
    e.choose("photo.jpg", 4032, 3024);
    e.resizeTo(1200, 800);
    e.form.Picture1_MouseWheel(c.shift, c.dx, c.dy);
    EXPECT_EQ(e.form.Picture1.Left, c.left);
    EXPECT_EQ(e.form.Picture1.Top, c.top);
    EXPECT_EQ(e.form.HScroll1.Value, int(2850 - c.left));
    EXPECT_EQ(e.form.VScroll1.Value, int(45 - c.top));
}

INSTANTIATE_TEST_SUITE_P(Turns, EditorWheel,
                         ::testing::Values(WheelCase{"down", 0, 0, -120, 2850, 45 - 900},
                                           WheelCase{"two_notches_down", 0, 0, -240, 2850, 45 - 1800},
                                           WheelCase{"up_at_the_top_stays", 0, 0, 120, 2850, 45},
                                           WheelCase{"shift_down_goes_right", 1, 0, -120, 2850 - 900, 45},
                                           WheelCase{"tilt_right", 0, -120, 0, 2850 - 900, 45},
                                           WheelCase{"half_notch", 0, 0, -60, 2850, 45 - 450}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(EditorView, TheWheelStopsAtTheFarEdge)
{
    Editor e;
    e.choose("photo.jpg", 4032, 3024);
    e.resizeTo(1200, 800);
    for (int i = 0; i < 100; ++i)
        e.form.Picture1_MouseWheel(0, 0, -120);
    EXPECT_EQ(e.form.VScroll1.Value, e.form.VScroll1.Max);
    EXPECT_EQ(e.form.Picture1.Top + e.form.Picture1.Height, 45 + e.form.viewportHeight());
}

TEST(EditorView, TheWheelLeavesAFittingCanvasAlone)
{
    Editor e;
    e.form.Picture1_MouseWheel(0, 0, -120);
    e.form.Picture1_MouseWheel(1, 0, -120);
    EXPECT_EQ(e.form.Picture1.Left, 2850);
    EXPECT_EQ(e.form.Picture1.Top, 45);
}

TEST(EditorView, PanningButtonsContinueFromWhereTheWheelLeftTheCanvas)
{
    Editor e;
    e.choose("photo.jpg", 4032, 3024);
    e.resizeTo(1200, 800);
    e.form.Picture1_MouseWheel(0, 0, -120);
    e.form.Command10_Click(); // ▼ moves the canvas up 35
    EXPECT_EQ(e.form.Picture1.Top, 45 - 900 - 35);
    EXPECT_EQ(e.form.VScroll1.Value, 935);
    e.form.Command12_MouseDown(1, 0, 0, 0); // ＞ moves it left 25, then 40 a tick
    e.form.Timer1_Timer();
    e.form.Command12_MouseUp(1, 0, 0, 0);
    EXPECT_EQ(e.form.HScroll1.Value, 65);
    // Pushed beyond the range by the buttons, the bar's range follows.
    for (int i = 0; i < 10; ++i)
        e.form.Command9_Click(); // ▲ moves the canvas down 35
    EXPECT_EQ(e.form.VScroll1.Value, 935 - 350);
    for (int i = 0; i < 30; ++i)
        e.form.Command9_Click();
    EXPECT_EQ(e.form.VScroll1.Value, 935 - 1400);
    EXPECT_EQ(e.form.VScroll1.Min, 935 - 1400);
}

TEST(EditorView, AGrowingWindowPullsAPannedPictureBackToItsFarEdge)
{
    Editor e;
    e.choose("photo.jpg", 1000, 800);
    e.resizeTo(800, 600);
    for (int i = 0; i < 100; ++i)
        e.form.Picture1_MouseWheel(1, 0, -120);
    const int atEnd = e.form.HScroll1.Max;
    ASSERT_GT(atEnd, 3000);
    EXPECT_EQ(e.form.HScroll1.Value, atEnd);
    // 200 pixels wider: the picture's right edge stays at the view's.
    e.resizeTo(1000, 600);
    EXPECT_EQ(e.form.HScroll1.Value, atEnd - 3000);
    EXPECT_EQ(e.form.Picture1.Left + e.form.Picture1.Width, 2850 + e.form.viewportWidth());
    // Wide enough for all of it: back home, and no bar.
    e.resizeTo(1400, 1000);
    EXPECT_EQ(e.form.Picture1.Left, 2850);
    EXPECT_EQ(e.form.Picture1.Top, 45);
    EXPECT_FALSE(e.form.HScroll1.Visible);
}

TEST(EditorView, ScrollBarChangesMoveTheCanvas)
{
    Editor e;
    e.choose("photo.jpg", 4032, 3024);
    e.resizeTo(1200, 800);
    e.form.HScroll1.Value = 1500;
    e.form.HScroll1_Change();
    e.form.VScroll1.Value = 600;
    e.form.VScroll1_Change();
    EXPECT_EQ(e.form.Picture1.Left, 2850 - 1500);
    EXPECT_EQ(e.form.Picture1.Top, 45 - 600);
    e.form.Command11_Click(); // ＜ moves the canvas right 25
    EXPECT_EQ(e.form.HScroll1.Value, 1475);
}

TEST(EditorView, MiddleButtonDragPansAndOtherButtonsKeepTheDragProtocol)
{
    Editor e;
    e.choose("photo.jpg", 4032, 3024);
    e.resizeTo(1200, 800);
    Form1 &f = e.form;
    EXPECT_FALSE(f.Picture1_MouseDragDown(form::LeftButton, 0, 1500, 1500));
    EXPECT_FALSE(f.Picture1_MouseDragDown(form::RightButton, 0, 1500, 1500));
    ASSERT_TRUE(f.Picture1_MouseDragDown(form::MiddleButton, 0, 3000, 3000));
    // Positions come relative to the canvas where it lies at each move.
    f.Picture1_MouseDragMove(form::MiddleButton, 0, 3000 - 600, 3000 - 300);
    EXPECT_EQ(f.Picture1.Left, 2850 - 600);
    EXPECT_EQ(f.Picture1.Top, 45 - 300);
    // 150 twips further left in the window: relative to the moved canvas,
    // 600 - 150 to the right of the first press.
    f.Picture1_MouseDragMove(form::MiddleButton, 0, 3000 - 150, 3000);
    EXPECT_EQ(f.Picture1.Left, 2850 - 750);
    EXPECT_EQ(f.Picture1.Top, 45 - 300);
    f.Picture1_MouseDragUp(form::MiddleButton, 0, 3000, 3000);
    EXPECT_EQ(f.HScroll1.Value, 750);
    EXPECT_EQ(f.VScroll1.Value, 300);
    // Dragging towards the start stops at it.
    ASSERT_TRUE(f.Picture1_MouseDragDown(form::MiddleButton, 0, 3000, 3000));
    f.Picture1_MouseDragUp(form::MiddleButton, 0, 3000 + 5000, 3000 + 5000);
    EXPECT_EQ(f.Picture1.Left, 2850);
    EXPECT_EQ(f.Picture1.Top, 45);
    EXPECT_EQ(f.flag.toInt32(), 0);
}

TEST(EditorView, SizesPanelShowsPictureAndFrameInPixels)
{
    Editor e;
    EXPECT_TRUE(e.form.StatusBar1.MorePanels.empty());
    e.choose("photo.jpg", 4032, 3024);
    ASSERT_EQ(e.form.StatusBar1.MorePanels.size(), 1u);
    EXPECT_EQ(e.form.StatusBar1.MorePanels[0], "画像 4032 × 3024 ・ 枠 173 × 173 ピクセル");
    // A grip drag resizes the frame; the panel follows through the wiring.
    e.form.Image1.MouseDown(1, 0, 100, 100);
    e.form.Image1.MouseUp(1, 0, 100, 100);
    e.form.Label5.MouseDown(1, 0, 90, 90);
    e.form.Label5.MouseMove(1, 0, 90 + 1500, 90 + 300);
    e.form.Label5.MouseUp(1, 0, 90 + 1500, 90 + 300);
    EXPECT_EQ(e.form.StatusBar1.MorePanels[0], "画像 4032 × 3024 ・ 枠 273 × 193 ピクセル");
    // The first panel keeps the path, as before.
    EXPECT_EQ(e.form.StatusBar1.PanelText, "photo.jpg");
}

struct NameCase {
    const char *source;
    int side;
    const char *name;
};

class ScaledName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ScaledName, KeepsJpegAndPngAndMakesOthersPng)
{
    EXPECT_EQ(Form1::scaledName(GetParam().source, GetParam().side), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Names, ScaledName,
                         ::testing::Values(NameCase{"/photos/IMG_0001.jpg", 600, "IMG_0001-600px.jpg"},
                                           NameCase{"/photos/IMG_0002.JPG", 480, "IMG_0002-480px.JPG"},
                                           NameCase{"face.jpeg", 600, "face-600px.jpeg"},
                                           NameCase{"face.PNG", 300, "face-300px.PNG"},
                                           NameCase{"anim.gif", 600, "anim-600px.png"},
                                           NameCase{"/a/b/old.bmp", 250, "old-250px.png"},
                                           NameCase{"noext", 600, "noext-600px.png"}));

TEST(EditorScale, WritesACopyBesideTheDesignAndChoosesIt)
{
    Editor e;
    e.choose("/photos/IMG_0001.jpg", 3000, 2000);
    const auto frameBefore = places(e.form);
    e.fake.scaleAnswer = 600;
    e.form.ScalePicture_Click();
    // Proposed: the size at which the picture fits the first viewport.
    ASSERT_EQ(e.fake.scaleAsked.size(), 1u);
    EXPECT_EQ(e.fake.scaleAsked[0], std::make_tuple(3000, 2000, 371));
    ASSERT_EQ(e.fake.written.size(), 1u);
    const auto copy = e.folder / "IMG_0001-600px.jpg";
    const std::u8string copyText = copy.u8string();
    const std::string copyPath(copyText.begin(), copyText.end());
    EXPECT_EQ(e.fake.written[0].source, "/photos/IMG_0001.jpg");
    EXPECT_EQ(e.fake.written[0].target, copyPath);
    EXPECT_EQ(e.fake.written[0].width, 600);
    EXPECT_EQ(e.fake.written[0].height, 400);
    EXPECT_EQ(e.form.ImageFileName.toText(), copyPath);
    EXPECT_EQ(e.form.StatusBar1.PanelText, copyPath);
    EXPECT_EQ(e.form.Picture1.CurrentPicture->widthPixels(), 600);
    // The frame and the hands area keep their twips.
    EXPECT_EQ(places(e.form).at("Image1"), frameBefore.at("Image1"));
    EXPECT_EQ(places(e.form).at("Image2"), frameBefore.at("Image2"));

    // A save names the copy.
    const auto design = e.folder / "tokei-set.ini";
    const std::u8string designText = design.u8string();
    e.fake.saveAnswers.push_back(std::string(designText.begin(), designText.end()));
    e.form.Command2_Click();
    std::ifstream in(design, std::ios::binary);
    std::string line1, line2;
    std::getline(in, line1);
    std::getline(in, line2);
    EXPECT_EQ(line2, "\"" + copyPath + "\"\r");
}

TEST(EditorScale, ProposesAtMostTheLimitAndNeverEnlarges)
{
    Editor e;
    e.resizeTo(1600, 1000);
    e.choose("big.png", 6000, 4000);
    e.form.ScalePicture_Click();
    e.choose("tiny.png", 120, 80);
    e.form.ScalePicture_Click();
    ASSERT_EQ(e.fake.scaleAsked.size(), 2u);
    EXPECT_EQ(std::get<2>(e.fake.scaleAsked[0]), 600);
    EXPECT_EQ(std::get<2>(e.fake.scaleAsked[1]), 120);
    // Cancelled both times: nothing written, the picture as it was.
    EXPECT_TRUE(e.fake.written.empty());
    EXPECT_EQ(e.form.ImageFileName.toText(), "tiny.png");
}

TEST(EditorScale, AFailedWriteSaysSoAndChangesNothing)
{
    Editor e;
    e.choose("/photos/IMG_0001.jpg", 3000, 2000);
    e.fake.scaleAnswer = 600;
    e.fake.writeSucceeds = false;
    e.form.ScalePicture_Click();
    EXPECT_EQ(e.form.ImageFileName.toText(), "/photos/IMG_0001.jpg");
    EXPECT_EQ(e.form.Picture1.CurrentPicture->path(), "/photos/IMG_0001.jpg");
    EXPECT_EQ(e.form.StatusBar1.PanelText.rfind("縮小した画像を保存できませんでした（", 0), 0u)
        << e.form.StatusBar1.PanelText;
}

TEST(EditorScale, WithoutAPictureNothingIsAsked)
{
    Editor e;
    e.fake.scaleAnswer = 600;
    e.form.ScalePicture_Click();
    EXPECT_TRUE(e.fake.scaleAsked.empty());
}

TEST(EditorDrop, APictureIsChosenAndADesignLoaded)
{
    Editor e;
    e.fake.registeredPictures["/photos/dropped.png"] = {640, 480};
    e.form.OLEDragDrop({"/photos/dropped.png", "/photos/other.png"});
    EXPECT_EQ(e.form.ImageFileName.toText(), "/photos/dropped.png");
    EXPECT_EQ(e.form.StatusBar1.PanelText, "/photos/dropped.png");

    // A design saved elsewhere, dropped: loaded, and proposed by the next save.
    const auto design = e.folder / "Design.INI";
    e.form.Image1.Left = 300;
    const std::u8string designText = design.u8string();
    const std::string designPath(designText.begin(), designText.end());
    e.fake.saveAnswers.push_back(designPath);
    e.form.Command2_Click();
    Editor other;
    other.fake.registeredPictures["/photos/dropped.png"] = {640, 480};
    other.form.OLEDragDrop({designPath});
    EXPECT_EQ(other.form.anotherSetIni.toText(), designPath);
    EXPECT_EQ(other.form.Image1.Left, 300);
    EXPECT_EQ(other.form.ImageFileName.toText(), "/photos/dropped.png");
    other.form.Command2_Click();
    ASSERT_EQ(other.fake.saveRequests.size(), 1u);
    EXPECT_EQ(other.fake.saveRequests[0].fileName, designPath);
}

TEST(EditorDrop, AFileThatIsNoPictureChangesNothing)
{
    Editor e;
    e.form.OLEDragDrop({"/nowhere/notes.txt"});
    EXPECT_TRUE(e.form.ImageFileName.isEmpty());
    EXPECT_EQ(e.form.StatusBar1.PanelText, Form1::kStatusHint);
}

} // namespace
} // namespace orbelle::maker
