// SPDX-License-Identifier: MIT
// Clock start-up: what the window, its shape, its lines and the dialog take
// from tokei-set.ini and Pt.ini, and how missing or odd fields fall back.

#include <algorithm>
#include <fstream>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "ClockFixture.h"
#include "ClockStateFile.h"
#include "TextEncoding.h"

namespace orbelle::testing {
namespace {

using form::DrawMode;
using form::LineState;
using form::PenStyle;
using form::PixelPoint;
using form::WindowRegion;

constexpr int kShadowColour = 4210752;

WindowRegion ellipse(int left, int top, int right, int bottom)
{
    return WindowRegion{WindowRegion::Shape::Ellipse, left, top, right, bottom, {}};
}

WindowRegion polygon(std::vector<PixelPoint> points)
{
    return WindowRegion{WindowRegion::Shape::Polygon, 0, 0, 0, 0, std::move(points)};
}

// ---------------------------------------------------------------- region

TEST_F(ClockTest, WindowIsCutToTheBaseShape)
{
    const struct {
        const char *what, *size, *shape, *count;
        std::vector<std::string> vertices; // template entry first
        std::optional<WindowRegion> expected;
    } cases[] = {
        {"ellipse", "2460,2460", "#TRUE#,#FALSE#,#FALSE#", "0", {"0,0"}, ellipse(2, 2, 164, 164)},
        {"rectangle", "2460,2460", "#FALSE#,#TRUE#,#FALSE#", "0", {"0,0"},
         polygon({{2, 2}, {2, 162}, {162, 162}, {162, 2}})},
        // The size is rounded to a whole twip before it is divided: 2467.5
        // becomes 2468 (164.53 pixels, so 165), not 164.5 pixels (164).
        {"ellipse, size rounded first", "2467.5,2437", "#TRUE#,#FALSE#,#FALSE#", "0", {"0,0"},
         ellipse(2, 2, 165, 162)},
        {"rectangle, size rounded first", "2467.5,2437", "#FALSE#,#TRUE#,#FALSE#", "0", {"0,0"},
         polygon({{2, 2}, {2, 160}, {163, 160}, {163, 2}})},
        {"no shape", "2460,2460", "#FALSE#,#FALSE#,#FALSE#", "0", {"0,0"}, std::nullopt},
        // Without the polygon flag nothing after line 8 is read.
        {"no shape, vertex list ignored", "2460,2460", "#FALSE#,#FALSE#,#FALSE#", "3",
         {"0,0", "10,10", "100,10", "50,90"}, std::nullopt},
        // The first vertex-list line is the template, no vertex; halves round to even.
        {"polygon", "2460,2460", "#FALSE#,#FALSE#,#TRUE#", "4", {"999,999", "10,20", "93.5,5", "92.5,60", "3,70"},
         polygon({{10, 20}, {94, 5}, {92, 60}, {3, 70}})},
        {"polygon without vertices", "2460,2460", "#FALSE#,#FALSE#,#TRUE#", "0", {"0,0"}, std::nullopt},
        // A width beyond a 16-bit integer cannot be converted: no ellipse.
        {"oversized width", "40000,2460", "#TRUE#,#FALSE#,#FALSE#", "0", {"0,0"}, std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        DesignLines design;
        design.size = c.size;
        design.shape = c.shape;
        design.count = c.count;
        design.vertices = c.vertices;
        design.handles.assign(c.vertices.size(), "0,0");
        writeDesign(design);
        writeState();
        auto fresh = startFresh();
        ASSERT_EQ(fresh->services.regions.size(), 1u);
        EXPECT_EQ(fresh->services.regions[0], c.expected);
    }
}

// ---------------------------------------------------------- window place

TEST_F(ClockTest, WindowSizePositionAndPictureOffsetComeFromTheFiles)
{
    DesignLines design;
    design.size = "2460,2535";
    design.offset = "-150,-300.5";
    writeDesign(design);
    writeState("7155,1320\r\n\"\"\r\n\"7\",\"15\"\r\n\"0\",\"0\"\r\n");

    start();

    EXPECT_EQ(clock.form1.Width, 2460);
    EXPECT_EQ(clock.form1.Height, 2535);
    EXPECT_EQ(clock.form1.Left, 7155);
    EXPECT_EQ(clock.form1.Top, 1320);
    EXPECT_EQ(clock.form1.Picture1.Left, -150);
    EXPECT_EQ(clock.form1.Picture1.Top, -300); // half to even
}

TEST_F(ClockTest, FileEndingAfterLineThreeGivesSizeAndPictureButNoShape)
{
    writeFile("tokei-set.ini", "2460,2460\r\n\"\"\r\n-30,-45\r\n");
    writeState();

    start();

    EXPECT_EQ(clock.form1.Width, 2460);
    EXPECT_EQ(clock.form1.Height, 2460);
    EXPECT_EQ(clock.form1.Picture1.Left, -30);
    EXPECT_EQ(clock.form1.Picture1.Top, -45);
    ASSERT_EQ(clock.services.regions.size(), 1u);
    EXPECT_EQ(clock.services.regions[0], std::nullopt);
}

// ------------------------------------------------------------- picture

TEST_F(ClockTest, PictureIsLoadedFromTheNamedFile)
{
    const auto path = (folder / "face.jpg").string();
    writeFile("face.jpg", "not decoded by the fake");
    DesignLines design;
    design.picture = "\"" + path + "\"";
    writeDesign(design);
    writeState();

    start();

    ASSERT_NE(clock.form1.Picture1.CurrentPicture, nullptr);
    EXPECT_EQ(clock.form1.Picture1.CurrentPicture->path(), path);
    // The box covers the whole picture, whatever part of it the window shows.
    EXPECT_GE(clock.form1.Picture1.Width, 170 * 15);
    EXPECT_GE(clock.form1.Picture1.Height, 120 * 15);
}

// A program folder with a Japanese name, and a design from a code page 932
// system whose picture path leads into it: the picture found is the one
// named, and the state is saved back into the same folder.
TEST_F(ClockTest, JapaneseFolderAndPicturePathNameTheRightFiles)
{
    // 0x5C, the path separator, is a trail byte in the code page 932 forms
    // of the second and third names.
    for (const char *name : {"時計の顔", "表示", "ソフト", "ﾄｹｲ"}) {
        SCOPED_TRACE(name);
        const auto programFolder = folder / pathFromUtf8(name);
        ASSERT_TRUE(std::filesystem::create_directory(programFolder));
        const auto picture = programFolder / pathFromUtf8(std::string(name) + ".jpg");
        std::ofstream(picture, std::ios::binary) << "picture";
        const std::u8string pictureText = picture.u8string();
        const std::string picturePath(pictureText.begin(), pictureText.end());
        DesignLines design;
        design.picture = "\"" + utf8ToCp932(picturePath) + "\"";
        std::ofstream(programFolder / "tokei-set.ini", std::ios::binary) << design.bytes();
        std::ofstream(programFolder / "Pt.ini", std::ios::binary)
            << utf8ToCp932("0,0\r\n\"" + std::string(name) + "\"\r\n\"7\",\"15\"\r\n\"0\",\"0\"\r\n");

        Clock c;
        c.services.folder = programFolder;
        c.form1.Form_Load();
        ASSERT_NE(c.form1.Picture1.CurrentPicture, nullptr);
        EXPECT_EQ(c.form1.Picture1.CurrentPicture->path(), picturePath);
        EXPECT_EQ(c.form2.Text3.Text, name);

        c.form2.Text3.Text = std::string(name) + "のメモ";
        c.form1.Form_MouseDown(form::MiddleButton, 0, form::IconRightDown * 15, 0);
        ClockState saved;
        EXPECT_EQ(readClockStateFile(programFolder / "Pt.ini", saved), 7);
        EXPECT_EQ(saved.memo, std::string(name) + "のメモ");
    }
}

TEST_F(ClockTest, UnreadablePictureLeavesTheFaceBlankAndStartUpGoesOn)
{
    DesignLines design;
    design.picture = "\"" + (folder / "missing.jpg").string() + "\"";
    design.offset = "-30,-45";
    writeDesign(design);
    writeState();

    start();

    EXPECT_EQ(clock.form1.Picture1.CurrentPicture, nullptr);
    EXPECT_EQ(clock.form1.Picture1.Left, -30);
    EXPECT_EQ(clock.form1.Timer1.Interval, 100);
}

// ------------------------------------------------- visibility and colour

TEST_F(ClockTest, FlagsHideWhatIsSwitchedOff)
{
    const struct {
        const char *shown;
        bool ticks, second, minute, hour;
    } cases[] = {{"1,1,1,1", true, true, true, true},   {"0,1,1,1", false, true, true, true},
                 {"1,0,1,1", true, false, true, true},  {"1,1,0,1", true, true, false, true},
                 {"1,1,1,0", true, true, true, false},  {",,,", false, false, false, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.shown);
        DesignLines design;
        design.shown = c.shown;
        writeDesign(design);
        writeState();
        auto fresh = startFresh();
        Form1 &f = fresh->form1;
        for (int i = 0; i < 12; ++i)
            EXPECT_EQ(f.Line4[i].Visible, c.ticks) << i;
        for (int i : {0, 1}) {
            EXPECT_EQ(f.Line1[i].Visible, c.second) << i;
            EXPECT_EQ(f.Line2[i].Visible, c.minute) << i;
            EXPECT_EQ(f.Line3[i].Visible, c.hour) << i;
        }
    }
}

TEST_F(ClockTest, ColoursGoToTicksAndHandsButNotShadows)
{
    DesignLines design;
    design.colours = "1,2,3,4";
    writeDesign(design);
    writeState();

    start();

    Form1 &f = clock.form1;
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(f.Line4[i].BorderColor, 1) << i;
    EXPECT_EQ(f.Line1[1].BorderColor, 2);
    EXPECT_EQ(f.Line2[1].BorderColor, 3);
    EXPECT_EQ(f.Line3[1].BorderColor, 4);
    for (auto *hand : {&f.Line1, &f.Line2, &f.Line3})
        EXPECT_EQ((*hand)[0].BorderColor, kShadowColour);
}

TEST_F(ClockTest, LinesAreDrawnAsDesignedWithShadowsBeneathTheHands)
{
    Form1 &f = clock.form1;
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(f.Line4[i].BorderWidth, 3);
        EXPECT_EQ(f.Line4[i].BorderColor, 0xFFFFFF);
    }
    const auto &controls = f.controls();
    auto z = [&](const form::Control &c) { return std::find(controls.begin(), controls.end(), &c) - controls.begin(); };
    const struct {
        form::ControlArray<form::Line> *lines;
        int width, colour;
    } hands[] = {{&f.Line1, 2, 255}, {&f.Line2, 3, 65280}, {&f.Line3, 3, 16711935}};
    for (const auto &h : hands) {
        const form::Line &hand = (*h.lines)[1];
        const form::Line &shadow = (*h.lines)[0];
        EXPECT_EQ(LineState(hand), (LineState{0, 0, 0, 0, h.colour, h.width, PenStyle::Solid, DrawMode::CopyPen}))
            << hand.displayName();
        EXPECT_EQ(LineState(shadow), (LineState{0, 0, 0, 0, kShadowColour, h.width, PenStyle::Solid, DrawMode::MaskNotPen}))
            << shadow.displayName();
        EXPECT_EQ(hand.container(), &f.Picture1);
        for (const auto &other : hands)
            EXPECT_LT(z(shadow), z((*other.lines)[1])) << shadow.displayName();
    }
}

// --------------------------------------------------------------- lengths

TEST_F(ClockTest, LengthThatIsZeroEmptyOrNoNumberGetsItsDefault)
{
    const struct {
        const char *lengths;
        double second, minute, hour;
    } cases[] = {{"\"100\",\"90\",\"70\"", 100, 90, 70},
                 {"\"0\",\"\",\"abc\"", 100, 90, 70},
                 {"\"75\",\"75\",\"75\"", 75, 75, 75},
                 {"0,,\"150\"", 100, 90, 150}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.lengths);
        DesignLines design;
        design.lengths = c.lengths;
        writeDesign(design);
        writeState();
        auto fresh = startFresh();
        EXPECT_DOUBLE_EQ(fresh->form1.HariSlength.toDouble(), c.second);
        EXPECT_DOUBLE_EQ(fresh->form1.HariMlength.toDouble(), c.minute);
        EXPECT_DOUBLE_EQ(fresh->form1.HariHlength.toDouble(), c.hour);
    }
}

// ------------------------------------------------------- missing files

TEST_F(ClockTest, MissingDesignFileLeavesAnEmptyHiddenFaceWithDefaults)
{
    writeState();

    start();

    Form1 &f = clock.form1;
    EXPECT_EQ(f.Width, 0);
    EXPECT_EQ(f.Height, 0);
    EXPECT_DOUBLE_EQ(f.HariSlength.toDouble(), 100);
    EXPECT_DOUBLE_EQ(f.HariMlength.toDouble(), 90);
    EXPECT_DOUBLE_EQ(f.HariHlength.toDouble(), 70);
    ASSERT_EQ(clock.services.regions.size(), 1u);
    EXPECT_EQ(clock.services.regions[0], std::nullopt);
    for (int i = 0; i < 12; ++i)
        EXPECT_FALSE(f.Line4[i].Visible) << i;
    for (auto *hand : {&f.Line1, &f.Line2, &f.Line3})
        for (int i : {0, 1})
            EXPECT_FALSE((*hand)[i].Visible) << (*hand)[i].displayName();
    EXPECT_EQ(f.Picture1.CurrentPicture, nullptr);
    // The rest of start-up still ran.
    EXPECT_EQ(clock.services.addedIcons.size(), 1u);
    EXPECT_EQ(f.Timer1.Interval, 100);
    EXPECT_EQ(clock.form2.Text1.Text, "7");
}

TEST_F(ClockTest, MissingStateFileOpensAtTheOriginWithEmptyBoxes)
{
    writeDesign();
    clock.form1.Left = 500;
    clock.form1.Top = 600;

    start();

    EXPECT_EQ(clock.form1.Left, 0);
    EXPECT_EQ(clock.form1.Top, 0);
    for (form::TextBox *box : {&clock.form2.Text1, &clock.form2.Text2, &clock.form2.Text3,
                               &clock.form2.Text4, &clock.form2.Text5})
        EXPECT_EQ(box->Text, "") << box->displayName();
    EXPECT_TRUE(clock.form1.AlarmH.equals(0));
    EXPECT_TRUE(clock.form1.AlarmM.equals(0));
    EXPECT_EQ(clock.form1.Width, 2460);
}

#ifndef _WIN32
TEST_F(ClockTest, StartUpClearsTheLeftOversOfSavesWhoseWriterIsGone)
{
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string leftOvers[] = {"Pt.ini.tmp-" + std::to_string(gone) + "-3-987-0",
                                     "tokei-set.ini.tmp-" + std::to_string(gone) + "-0-654-0"};
    writeDesign();
    writeState();
    for (const std::string &name : leftOvers)
        writeFile(name, std::string(1000, 'x'));

    start();

    for (const std::string &name : leftOvers)
        EXPECT_FALSE(readFile(name)) << name;
    EXPECT_EQ(clock.form2.Text3.Text, "memo");
    EXPECT_EQ(clock.form1.Width, 2460);
}
#endif

// -------------------------------------------------------- Pt.ini fields

TEST_F(ClockTest, StateFileFillsTheDialogAndTheAlarm)
{
    const struct {
        const char *bytes;
        float left, top;
        const char *memo, *hour, *minute, *month, *day;
        double alarmH, alarmM;
    } cases[] = {
        {"7155,1320\r\n\"ここに\r\nメモ, です\r\n\"\r\n\"07\",\"30\"\r\n\"12\",\"24\"\r\n", 7155, 1320,
         "ここに\r\nメモ, です\r\n", "07", "30", "12", "24", 7, 30},
        {"0,0\r\n\"\"\r\n\"\",\"\"\r\n\"\",\"\"\r\n", 0, 0, "", "", "", "", "", 0, 0},
        {"-45.5,-30\r\n\"m\"\r\n7.5,30\r\n12,24\r\n", -45.5f, -30, "m", "7.5", "30", "12", "24", 8, 30},
        {"100,200\r\n\"m\"\r\n", 100, 200, "m", "", "", "", "", 0, 0}, // short file
        // A memo from an older system in code page 932.
        {"0,0\r\n\"\x82\xb1\x82\xb1\x82\xc9\"\r\n\"7\",\"15\"\r\n\"0\",\"0\"\r\n", 0, 0, "ここに", "7", "15",
         "0", "0", 7, 15},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes);
        writeDesign();
        // Text goes into the file in the system's code page; bytes that are
        // no UTF-8 text go in as they are.
        writeState(isValidUtf8(c.bytes) ? encodeFileText(c.bytes) : std::string(c.bytes));
        auto fresh = startFresh();
        EXPECT_EQ(fresh->form1.Left, c.left);
        EXPECT_EQ(fresh->form1.Top, c.top);
        EXPECT_EQ(fresh->form2.Text3.Text, c.memo);
        EXPECT_EQ(fresh->form2.Text1.Text, c.hour);
        EXPECT_EQ(fresh->form2.Text2.Text, c.minute);
        EXPECT_EQ(fresh->form2.Text4.Text, c.month);
        EXPECT_EQ(fresh->form2.Text5.Text, c.day);
        EXPECT_TRUE(fresh->form1.AlarmH.equals(c.alarmH)) << fresh->form1.AlarmH.toText();
        EXPECT_TRUE(fresh->form1.AlarmM.equals(c.alarmM)) << fresh->form1.AlarmM.toText();
        EXPECT_FALSE(fresh->form2.Visible); // filled, not shown
    }
}

// --------------------------------------------------- icon and tick state

TEST_F(ClockTest, StartUpAddsTheIconAndStartsTheTick)
{
    writeDesign();
    writeState();

    start();

    ASSERT_EQ(clock.services.addedIcons.size(), 1u);
    const form::NotifyIcon &icon = clock.services.addedIcons[0];
    EXPECT_EQ(icon.tip, "ﾏｳｽ左ﾀﾞﾌﾞﾙｸﾘｯｸで時計表示ON-OFF,右ｸﾘｯｸで終了");
    EXPECT_EQ(icon.id, 1);
    EXPECT_EQ(icon.flags, 7);
    EXPECT_EQ(icon.callbackMessage, 519);
    EXPECT_TRUE(clock.form1.hasNotifyIcon());
    EXPECT_FALSE(clock.form1.ShowInTaskbar);

    EXPECT_EQ(clock.form1.Timer1.Interval, 100);
    EXPECT_EQ(clock.form1.Timer2.Interval, 0);
    EXPECT_TRUE(clock.form1.mouyoi.equals(2));
    EXPECT_FALSE(clock.form2.Visible);
    EXPECT_EQ(clock.form2.Text3.Top, 2640);
    EXPECT_EQ(clock.form1.Border, form::FormBorder::None);
    EXPECT_EQ(clock.services.beeps, 0);
}

} // namespace
} // namespace orbelle::testing
