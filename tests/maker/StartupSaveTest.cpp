// SPDX-License-Identifier: MIT
// The editor window as it opens (controls, canvas overlays, editor state,
// preview hands), hand and centre-line placement, exit, and saving a design
// through the save dialog into tokei-set.ini.

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <ostream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "AsOrdinaryUser.h"
#include "CaseNames.h"
#include "FakeServices.h"
#include "Form1.h"
#include "TextEncoding.h"

namespace {

using orbelle::testing::PrintTo;

namespace fs = std::filesystem;
using orbelle::Value;
using orbelle::maker::Form1;

// Two decimals, as the expected coordinates are given.
constexpr double kTolerance = 0.01;

using orbelle::testing::ScratchFolder;

std::string readBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const fs::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string crlfLines(const std::vector<std::string> &lines)
{
    std::string out;
    for (const auto &l : lines)
        out += l + "\r\n";
    return out;
}

// The file a save right after start-up writes, one entry per line.
const std::vector<std::string> kStartupDesign = {
    "2660,2660",
    "",
    "0,0",
    "#TRUE#,#FALSE#,#FALSE#",
    "1290,1260,2400,2400",
    "1,1,1,1",
    "16777215,255,65280,16711935",
    R"("100","90","70")",
    "",
    "134,206",
    "1950,3015",
};

struct Point {
    double x, y;
};

void expectNear(const orbelle::form::Line &line, Point from, Point to, double tolerance = kTolerance)
{
    EXPECT_NEAR(line.X1, from.x, tolerance) << line.displayName();
    EXPECT_NEAR(line.Y1, from.y, tolerance) << line.displayName();
    EXPECT_NEAR(line.X2, to.x, tolerance) << line.displayName();
    EXPECT_NEAR(line.Y2, to.y, tolerance) << line.displayName();
}

// The save dialog also notes how many directory changes came before it.
class RecordingServices : public orbelle::testing::FakeServices {
public:
    std::vector<size_t> directoryChangesBeforeSaveDialog;
    std::optional<std::string> showSaveDialog(const orbelle::form::FileDialogRequest &request) override
    {
        directoryChangesBeforeSaveDialog.push_back(currentDirectories.size());
        return FakeServices::showSaveDialog(request);
    }
};

class StartupSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        services.folder = folder.path();
        editor = std::make_unique<Form1>(services);
        ASSERT_TRUE(editor->Load);
        editor->Load();
    }

    // Saves through the button with `path` as the dialog's answer.
    void saveTo(const fs::path &path)
    {
        services.saveAnswers.push_back(path.string());
        editor->Command2.Click();
    }
    std::string saveAndRead()
    {
        saveTo(folder / "tokei-set.ini");
        return readBytes(folder / "tokei-set.ini");
    }

    ScratchFolder folder;
    RecordingServices services;
    std::unique_ptr<Form1> editor;
};

// ------------------------------------------------------------ start-up

TEST_F(StartupSave, PreviewHandsStartFromTheCentreOfTheHandsArea)
{
    const Point pivot{1290, 1260};
    expectNear(editor->Line3, pivot, {2329.23, 660});
    expectNear(editor->Line4, pivot, {1271.15, 2339.84});
    expectNear(editor->Line5, pivot, {696.03, 666.03});
}

TEST_F(StartupSave, CentreLinesKeepTheirDesignPlaceAtStartUp)
{
    expectNear(editor->Line1, {1320, 90}, {1320, 2505}, 0);
    expectNear(editor->Line2, {135, 1260}, {2505, 1260}, 0);
}

TEST_F(StartupSave, StartsInTheDesignStateWithNoModeOrSelection)
{
    const Form1 &f = *editor;
    EXPECT_EQ(f.Caption, "オルベルメーカー");
    EXPECT_TRUE(f.Option1.Value);
    EXPECT_FALSE(f.Option2.Value);
    EXPECT_FALSE(f.Option3.Value);
    for (const auto *check : {&f.Check1, &f.Check2, &f.Check3, &f.Check4})
        EXPECT_EQ(check->Value, 1) << check->name();
    for (const orbelle::form::Control *tool : std::initializer_list<const orbelle::form::Control *>{
             &f.Command13, &f.Command14, &f.Command15, &f.Command16, &f.Text4, &f.UpDown1})
        EXPECT_FALSE(tool->Enabled) << tool->name();
    EXPECT_EQ(f.StatusBar1.PanelText, "ここにファイル名が表示されます");
    EXPECT_TRUE(f.Visible);
    EXPECT_EQ(f.Timer1.Interval, 0);
    EXPECT_EQ(f.Picture1.CurrentPicture, nullptr);
}

TEST_F(StartupSave, EditorStateIsEmptyExceptTheDragCodeAndPi)
{
    const Form1 &f = *editor;
    const std::pair<const char *, const Value *> empties[] = {
        {"PPPx", &f.PPPx},   {"PPPy", &f.PPPy},     {"SetX", &f.SetX},
        {"SetY", &f.SetY},   {"SetW", &f.SetW},     {"SetH", &f.SetH},
        {"SetTX", &f.SetTX}, {"SetTY", &f.SetTY},   {"ImageFileName", &f.ImageFileName},
        {"anotherSetIni", &f.anotherSetIni},        {"idx", &f.idx},
        {"Tflag", &f.Tflag}, {"poPic", &f.poPic},
    };
    for (const auto &[name, value] : empties)
        EXPECT_TRUE(value->isEmpty()) << name;
    EXPECT_TRUE(f.flag.isNumber());
    EXPECT_TRUE(f.flag.equals(0));
    EXPECT_EQ(f.pi, 3.14159265358979);
}

TEST_F(StartupSave, StartUpMovesIntoTheProgramFolder)
{
    ASSERT_EQ(services.currentDirectories.size(), 1u);
    EXPECT_EQ(services.currentDirectories[0], folder.path());
    EXPECT_TRUE(services.saveRequests.empty());
    EXPECT_TRUE(services.openRequests.empty());
    EXPECT_EQ(folder.listing(), "");
}

struct CaptionCase {
    const char *control;
    std::function<std::string(const Form1 &)> caption;
    const char *expected;
    friend void PrintTo(const CaptionCase &c, std::ostream *os) { *os << c.control; }
};

class StartupCaptions : public StartupSave, public ::testing::WithParamInterface<CaptionCase> {};

TEST_P(StartupCaptions, ShowTheDesignText)
{
    EXPECT_EQ(GetParam().caption(*editor), GetParam().expected);
}

#define CAPTION(ctl, field, text) CaptionCase{#ctl, [](const Form1 &f) { return f.ctl.field; }, text}
INSTANTIATE_TEST_SUITE_P(
    Panel, StartupCaptions,
    ::testing::Values(CAPTION(Frame1, Caption, ""), CAPTION(Command1, Caption, "画像ファイルの選択"),
                      CAPTION(Frame2, Caption, "ベースの形"), CAPTION(Option1, Caption, "円"),
                      CAPTION(Option2, Caption, "四角"), CAPTION(Option3, Caption, "多角形"),
                      CAPTION(Command13, Caption, "頂点作成"), CAPTION(Command14, Caption, "通常ﾓｰﾄﾞ"),
                      CAPTION(Command15, Caption, "頂点修正"), CAPTION(Command16, Caption, "消去"),
                      CAPTION(Text4, Text, "1"), CAPTION(Frame3, Caption, "針・目盛の表示・色・長さ(%)"),
                      CAPTION(Label2, Caption, "目盛"), CAPTION(Label3, Caption, "秒針"),
                      CAPTION(Label8, Caption, "分針"), CAPTION(Label9, Caption, "時針"),
                      CAPTION(Command4, Caption, "色"), CAPTION(Command5, Caption, "色"),
                      CAPTION(Command6, Caption, "色"), CAPTION(Command7, Caption, "色"),
                      CAPTION(Text1, Text, "100"), CAPTION(Text2, Text, "90"), CAPTION(Text3, Text, "70"),
                      CAPTION(Command9, Caption, "▲"), CAPTION(Command10, Caption, "▼"),
                      CAPTION(Command11, Caption, "＜"), CAPTION(Command12, Caption, "＞"),
                      CAPTION(Command8, Caption, "設定ファイル読込"), CAPTION(Command2, Caption, "設定ファイル保存"),
                      CAPTION(Command2, ToolTipText,
                              "オルベルの設定ファイルtokei-set.iniを作成します。"
                              "必ずオルベルと同じフォルダーに作成してください。"),
                      CAPTION(Command3, Caption, "終了")));
#undef CAPTION

TEST_F(StartupSave, SwatchesHoldTheDesignColoursAndChecksShowTheirLines)
{
    const Form1 &f = *editor;
    EXPECT_EQ(f.Label2.BackColor, 16777215);
    EXPECT_EQ(f.Label3.BackColor, 255);
    EXPECT_EQ(f.Label8.BackColor, 65280);
    EXPECT_EQ(f.Label9.BackColor, 16711935);
    EXPECT_EQ(f.Line3.BorderColor, 255);
    EXPECT_EQ(f.Line4.BorderColor, 65280);
    EXPECT_EQ(f.Line5.BorderColor, 16711935);
    for (const orbelle::form::Line *l : {&f.Line1, &f.Line2}) {
        EXPECT_EQ(l->BorderColor, 16777215) << l->name();
        EXPECT_EQ(l->BorderStyle, orbelle::form::PenStyle::Dot) << l->name();
    }
    for (const orbelle::form::Line *l : {&f.Line3, &f.Line4, &f.Line5}) {
        EXPECT_EQ(l->BorderWidth, 3) << l->name();
        EXPECT_TRUE(l->Visible) << l->name();
    }
    EXPECT_TRUE(f.Shape2.Visible);
    EXPECT_EQ(f.Shape2.BorderColor, 16777215);
    EXPECT_EQ(f.Shape2.Figure, orbelle::form::ShapeKind::Oval);
    EXPECT_EQ(f.Shape1.Figure, orbelle::form::ShapeKind::Oval);
}

TEST_F(StartupSave, LengthSpinsAreBoundToTheirBoxes)
{
    const Form1 &f = *editor;
    const std::pair<const orbelle::form::UpDown *, const orbelle::form::TextBox *> pairs[] = {
        {&f.UpDown3, &f.Text1}, {&f.UpDown4, &f.Text2}, {&f.UpDown5, &f.Text3}};
    for (const auto &[spin, box] : pairs) {
        EXPECT_EQ(spin->Buddy, box) << spin->name();
        EXPECT_EQ(spin->Min, -100) << spin->name();
        EXPECT_EQ(spin->Max, 600) << spin->name();
        EXPECT_EQ(spin->Increment, 10) << spin->name();
        EXPECT_FALSE(spin->Wrap) << spin->name();
    }
    EXPECT_EQ(f.UpDown1.Buddy, &f.Text4);
    EXPECT_EQ(f.UpDown1.Min, 1);
    EXPECT_EQ(f.UpDown1.Increment, 1);
}

TEST_F(StartupSave, WindowAndPanelAreLaidOutAsDesigned)
{
    const Form1 &f = *editor;
    EXPECT_EQ(f.Width, 8475);
    EXPECT_EQ(f.Height, 6870);
    EXPECT_EQ(f.Picture1.Width, 4245);
    EXPECT_EQ(f.Picture1.Height, 5670);
    EXPECT_GE(f.Picture1.Left, f.Frame1.Left + f.Frame1.Width) << "canvas right of the panel";
    // The status bar runs along the whole bottom edge.
    EXPECT_EQ(f.StatusBar1.Left, 0);
    EXPECT_EQ(f.StatusBar1.Width, f.Width);
    EXPECT_EQ(f.StatusBar1.Top + f.StatusBar1.Height, f.Height);

    // Top to bottom inside the panel.
    const orbelle::form::Control *column[] = {&f.Command1, &f.Frame2, &f.Frame3, &f.Command8, &f.Command2, &f.Command3};
    for (const auto *c : column)
        EXPECT_EQ(c->container(), &f.Frame1) << c->name();
    for (size_t i = 1; i < std::size(column); ++i)
        EXPECT_GE(column[i]->Top, column[i - 1]->Top + column[i - 1]->Height) << column[i]->name();
    for (const orbelle::form::Control *c : std::initializer_list<const orbelle::form::Control *>{
             &f.Option1, &f.Option2, &f.Option3, &f.Command13, &f.Command14, &f.Command15, &f.Command16, &f.Text4})
        EXPECT_EQ(c->container(), &f.Frame2) << c->name();

    // Each row of the hands group lies inside it, below the row before.
    const orbelle::form::Control *rows[][5] = {
        {&f.Check1, &f.Label2, &f.Command4, nullptr, nullptr},
        {&f.Check2, &f.Label3, &f.Command5, &f.Text1, &f.UpDown3},
        {&f.Check3, &f.Label8, &f.Command6, &f.Text2, &f.UpDown4},
        {&f.Check4, &f.Label9, &f.Command7, &f.Text3, &f.UpDown5},
    };
    for (size_t r = 0; r < std::size(rows); ++r) {
        for (const auto *c : rows[r]) {
            if (!c)
                continue;
            EXPECT_EQ(c->container(), &f.Frame3) << c->name();
            if (r > 0) {
                EXPECT_GT(c->Top, rows[r - 1][0]->Top) << c->name();
            }
        }
    }
}

TEST_F(StartupSave, CanvasObjectsStartAtTheirDesignGeometry)
{
    Form1 &f = *editor;
    auto rect = [](const orbelle::form::Control &c) {
        return std::vector<float>{c.Left, c.Top, c.Width, c.Height};
    };
    EXPECT_EQ(rect(f.Image1), (std::vector<float>{0, 0, 2600, 2600}));
    EXPECT_EQ(rect(f.Image2), (std::vector<float>{90, 60, 2400, 2400}));
    EXPECT_EQ(f.Image1.container(), &f.Picture1);
    EXPECT_EQ(f.Image2.container(), &f.Picture1);
    EXPECT_FALSE(f.Image1.SingleBorder);

    // Hands-area grip: shown, white, at its start place.
    EXPECT_EQ(rect(f.Label1), (std::vector<float>{2400, 2340, 180, 180}));
    EXPECT_EQ(f.Label1.Caption, "■");
    EXPECT_EQ(f.Label1.ForeColor, 16777215);
    EXPECT_TRUE(f.Label1.Visible);

    // Frame marker and grips: hidden until the frame is pressed.
    ASSERT_TRUE(f.Label4.exists(0));
    EXPECT_EQ(f.Label4[0].Caption, "□");
    EXPECT_EQ(f.Label4[0].ForeColor, 16711935);
    EXPECT_FALSE(f.Label4[0].Visible);
    for (const orbelle::form::Label *grip : {&f.Label5, &f.Label6, &f.Label7}) {
        EXPECT_EQ(grip->Caption, "■") << grip->name();
        EXPECT_EQ(grip->ForeColor, 255) << grip->name();
        EXPECT_EQ(grip->Width, 180) << grip->name();
        EXPECT_FALSE(grip->Visible) << grip->name();
    }

    // Templates of the polygon: hidden, only element 0.
    ASSERT_TRUE(f.Line17.exists(0));
    EXPECT_EQ(f.Line17.count(), 1);
    expectNear(f.Line17[0], {2010, 3090}, {2010, 4125}, 0);
    EXPECT_FALSE(f.Line17[0].Visible);
    EXPECT_EQ(f.Line17[0].BorderColor, 16711935);
    EXPECT_EQ(f.Line17[0].BorderWidth, 2);
    ASSERT_TRUE(f.Label17.exists(0));
    EXPECT_EQ(f.Label17.count(), 1);
    EXPECT_EQ(rect(f.Label17[0]), (std::vector<float>{1950, 3015, 105, 105}));
    EXPECT_EQ(f.Label17[0].Caption, "●");
    EXPECT_EQ(f.Label17[0].ForeColor, 16711935);
    EXPECT_TRUE(f.Label17[0].Transparent);
    EXPECT_FALSE(f.Label17[0].Visible);
}

// ------------------------------------------------------------ exit

TEST_F(StartupSave, ExitEndsAtOnceWithoutAskingOrWriting)
{
    editor->Text1.Text = "55"; // an unsaved change
    editor->Command3.Click();
    EXPECT_EQ(services.endCalls, 1);
    EXPECT_TRUE(services.saveRequests.empty());
    EXPECT_EQ(folder.listing(), "");
}

// ------------------------------------------------------------ hand placement

TEST_F(StartupSave, HandsFollowAFlatHandsArea)
{
    editor->Image2.Height = 1200;
    editor->placeHands();
    const Point pivot{1290, 660};
    expectNear(editor->Line3, pivot, {2329.23, 360});
    expectNear(editor->Line4, pivot, {1271.15, 1199.92});
    expectNear(editor->Line5, pivot, {696.03, 363.02});
}

struct LengthCase {
    const char *text;
    Point tip; // of the second hand, hands area as designed
    friend void PrintTo(const LengthCase &c, std::ostream *os) { *os << '"' << c.text << '"'; }
};

class SecondHandLength : public StartupSave, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(SecondHandLength, SetsTheTip)
{
    editor->Text1.Text = GetParam().text;
    editor->placeHands();
    expectNear(editor->Line3, {1290, 1260}, GetParam().tip);
}

INSTANTIATE_TEST_SUITE_P(Lengths, SecondHandLength,
                         ::testing::Values(LengthCase{"0", {1290, 1260}},          // a point on the pivot
                                           LengthCase{"-100", {250.77, 1860}},     // turned to 240 degrees
                                           LengthCase{"85.5", {2183.74, 744}},     // rounds to 86
                                           LengthCase{"84.5", {2162.95, 756}},     // rounds to 84
                                           LengthCase{"150", {2848.85, 360}}));     // beyond the area

// Texts that hold no 16-bit number leave their hand where it was; the other
// hands still follow the hands area.
class UnusableLength : public StartupSave, public ::testing::WithParamInterface<const char *> {};

TEST_P(UnusableLength, LeavesThatHandAlone)
{
    const orbelle::form::LineState before = editor->Line4;
    editor->Text2.Text = GetParam();
    editor->Image2.Left = 390; // pivot moves to (1590, 1260)
    editor->placeHands();
    EXPECT_EQ(static_cast<const orbelle::form::LineState &>(editor->Line4), before);
    EXPECT_FLOAT_EQ(editor->Line3.X1, 1590);
    EXPECT_FLOAT_EQ(editor->Line5.X1, 1590);
}

INSTANTIATE_TEST_SUITE_P(Texts, UnusableLength, ::testing::Values("", "abc", "9x", "32768", "-32769", "1e9"));

TEST_F(StartupSave, LengthsAtTheEdgesOfTheRangeAreUsed)
{
    // The minute hand's tip lies p × 1200 × cos(1°) below the pivot.
    const std::pair<const char *, double> edges[] = {{"32767", 393144.1}, {"-32768", -393156.1}};
    for (const auto &[text, below] : edges) {
        editor->Image2.Left += 100;
        editor->Text2.Text = text;
        editor->placeHands();
        EXPECT_FLOAT_EQ(editor->Line4.X1, editor->Image2.Left + 1200) << text;
        EXPECT_NEAR(editor->Line4.Y2 - 1260, below, 1.0) << text;
    }
}

TEST_F(StartupSave, HiddenHandsArePlacedAndKeepTheirLook)
{
    editor->Check2.setValue(0);
    ASSERT_FALSE(editor->Line3.Visible);
    editor->Image2.Top = 360;
    editor->placeHands();
    expectNear(editor->Line3, {1290, 1560}, {2329.23, 960});
    EXPECT_FALSE(editor->Line3.Visible);
    EXPECT_EQ(editor->Line3.BorderColor, 255);
    // The centre lines are not hand placement's business.
    expectNear(editor->Line1, {1320, 90}, {1320, 2505}, 0);
}

// ------------------------------------------------------------ centre lines

TEST_F(StartupSave, CentreLinesRunThroughTheOutlineFromTheStoredCorner)
{
    Form1 &f = *editor;
    f.SetTX = 300.0;
    f.SetTY = 200.0;
    // The outline's size counts, not the hands area's.
    f.Shape2.Width = 2400;
    f.Shape2.Height = 1201;
    f.Image2.Width = 999;
    f.Image2.Height = 777;
    f.placeCentreLines();
    expectNear(f.Line1, {1500, 200}, {1500, 1401}, 0);
    expectNear(f.Line2, {300, 800.5}, {2700, 800.5}, 0);
    // Hand placement is not centre-line placement's business.
    expectNear(f.Line3, {1290, 1260}, {2329.23, 660});
}

TEST_F(StartupSave, CentreLinesWithoutAStoredCornerStartAtTheCanvasOrigin)
{
    // The hands area was never moved: an empty corner counts as 0.
    editor->placeCentreLines();
    expectNear(editor->Line1, {1185, 0}, {1185, 2415}, 0);
    expectNear(editor->Line2, {0, 1207.5}, {2370, 1207.5}, 0);
}

TEST_F(StartupSave, CentreLinesStayWhenTheCornerHoldsNoNumber)
{
    editor->SetTX = "left";
    editor->SetTY = 10.0;
    editor->placeCentreLines();
    expectNear(editor->Line1, {1320, 90}, {1320, 2505}, 0);
    expectNear(editor->Line2, {135, 1260}, {2505, 1260}, 0);
}

// ------------------------------------------------------------ saving

TEST_F(StartupSave, SaveRightAfterStartUpWritesTheShortestDesign)
{
    EXPECT_EQ(saveAndRead(), crlfLines(kStartupDesign));
    EXPECT_EQ(folder.listing(), "tokei-set.ini");
}

TEST_F(StartupSave, SaveDialogOffersTheDesignFileInTheProgramFolder)
{
    editor->Command2.Click(); // cancelled: no answer scripted
    ASSERT_EQ(services.saveRequests.size(), 1u);
    const auto &request = services.saveRequests[0];
    const std::vector<std::pair<std::string, std::string>> filters = {
        {"設定ファイル", "tokei-set.ini"}, {"すべてのファイル(*.*)", "*.*"}};
    EXPECT_EQ(request.filters, filters);
    EXPECT_EQ(request.filterIndex, 1);
    EXPECT_EQ(request.fileName, "tokei-set.ini");
    // Start-up went to the program folder once, the save again before its dialog.
    ASSERT_EQ(services.currentDirectories.size(), 2u);
    EXPECT_EQ(services.currentDirectories[1], folder.path());
    EXPECT_EQ(services.directoryChangesBeforeSaveDialog, std::vector<size_t>{2});
    EXPECT_EQ(folder.listing(), "");
}

TEST_F(StartupSave, SaveDialogProposesTheFileLastLoaded)
{
    const std::string loaded = (folder / "other" / "a.ini").string();
    editor->anotherSetIni = loaded;
    saveTo(folder / "tokei-set.ini");
    editor->Command2.Click();
    ASSERT_EQ(services.saveRequests.size(), 2u);
    EXPECT_EQ(services.saveRequests[0].fileName, loaded);
    EXPECT_EQ(services.saveRequests[1].fileName, loaded);
    EXPECT_EQ(editor->anotherSetIni, Value(loaded));

    editor->anotherSetIni = std::string();
    editor->Command2.Click();
    EXPECT_EQ(services.saveRequests.back().fileName, "tokei-set.ini");
}

TEST_F(StartupSave, SaveDoesNotRememberTheFileItWrote)
{
    saveTo(folder / "mine.ini");
    editor->Command2.Click();
    ASSERT_EQ(services.saveRequests.size(), 2u);
    EXPECT_EQ(services.saveRequests[1].fileName, "tokei-set.ini");
    EXPECT_TRUE(editor->anotherSetIni.isEmpty());
    EXPECT_TRUE(editor->idx.isEmpty());
}

TEST_F(StartupSave, CancelledSaveLeavesTheOldFile)
{
    writeBytes(folder / "tokei-set.ini", "old design\r\n");
    services.saveAnswers.push_back(std::nullopt);
    editor->Command2.Click();
    EXPECT_EQ(readBytes(folder / "tokei-set.ini"), "old design\r\n");
    EXPECT_EQ(folder.listing(), "tokei-set.ini");
}

TEST_F(StartupSave, SaveReplacesAnExistingFileWhole)
{
    writeBytes(folder / "tokei-set.ini", std::string(4000, 'x'));
    EXPECT_EQ(saveAndRead(), crlfLines(kStartupDesign));
}

TEST_F(StartupSave, StatusBarTellsWhereTheDesignWentOrWhyItDidNot)
{
    writeBytes(folder / "tokei-set.ini", "old design\r\n");
    fs::create_directory(folder / "taken");
    const struct {
        const char *name;
        fs::path target;
        std::string expected;
    } cases[] = {
        {"saved", folder / "tokei-set.ini", "保存しました: " + (folder / "tokei-set.ini").string()},
        {"folder missing", folder / "gone" / "tokei-set.ini",
         "保存できませんでした（保存先のフォルダーがありません）: " + (folder / "gone" / "tokei-set.ini").string()},
        {"a folder by that name", folder / "taken",
         "保存できませんでした（同じ名前のフォルダーがあります）: " + (folder / "taken").string()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        editor->StatusBar1.PanelText = "";
        saveTo(c.target);
        EXPECT_EQ(editor->StatusBar1.PanelText, c.expected);
    }
    EXPECT_EQ(folder.listing(), "taken tokei-set.ini");
    EXPECT_TRUE(fs::is_empty(folder / "taken"));
}

#ifndef _WIN32
TEST_F(StartupSave, ASaveThroughAnotherUsersLinkIsRefusedAndSaysWhy)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the superuser can make a link that belongs to another user";
    writeBytes(folder / "mine.ini", "my own file\r\n");
    fs::create_symlink(folder / "mine.ini", folder / "planted.ini");
    ASSERT_EQ(::lchown((folder / "planted.ini").c_str(), 65533, 65533), 0);
    saveTo(folder / "planted.ini");
    EXPECT_EQ(editor->StatusBar1.PanelText,
              "保存できませんでした（他のユーザーが作ったリンクには保存しません）: " + (folder / "planted.ini").string());
    EXPECT_EQ(readBytes(folder / "mine.ini"), "my own file\r\n");
}

TEST_F(StartupSave, StatusBarNamesAReadOnlyFileOrFolder)
{
    writeBytes(folder / "locked.ini", "old design\r\n");
    const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(folder / "locked.ini", readOnly);
    fs::create_directory(folder / "shut");
    fs::permissions(folder / "shut", readOnly | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec);
    // One bit for each expectation missed.
    auto failures = [&] {
        int missed = 0;
        saveTo(folder / "locked.ini");
        if (editor->StatusBar1.PanelText !=
            "保存できませんでした（ファイルが読み取り専用です）: " + (folder / "locked.ini").string())
            missed |= 1;
        if (readBytes(folder / "locked.ini") != "old design\r\n")
            missed |= 2;
        saveTo(folder / "shut" / "tokei-set.ini");
        if (editor->StatusBar1.PanelText !=
            "保存できませんでした（フォルダーが読み取り専用です）: " + (folder / "shut" / "tokei-set.ini").string())
            missed |= 4;
        if (!fs::is_empty(folder / "shut"))
            missed |= 8;
        return missed;
    };
    // The superuser writes anything: the save is tried as an ordinary user.
    const auto missed = orbelle::testing::missedAsOrdinaryUser(failures);
    if (!missed)
        GTEST_SKIP() << "this system lets the superuser become no ordinary user";
    EXPECT_EQ(*missed, 0) << "bits of the expectations missed";
}
#endif

#ifndef _WIN32
TEST_F(StartupSave, StatusBarJudgesASaveThroughALinkAtItsTarget)
{
    // A link in a folder anyone may write, to a new file in a folder nobody
    // may write: the reason lies with the target's folder.
    fs::create_directory(folder / "open");
    fs::permissions(folder / "open", fs::perms::all);
    fs::create_directory(folder / "shut");
    fs::permissions(folder / "shut", fs::perms::all & ~(fs::perms::owner_write | fs::perms::group_write |
                                                       fs::perms::others_write));
    fs::create_symlink("../shut/tokei-set.ini", folder / "open" / "link.ini");
    auto failures = [&] {
        int missed = 0;
        saveTo(folder / "open" / "link.ini");
        if (editor->StatusBar1.PanelText !=
            "保存できませんでした（フォルダーが読み取り専用です）: " + (folder / "open" / "link.ini").string())
            missed |= 1;
        if (!fs::is_empty(folder / "shut"))
            missed |= 2;
        return missed;
    };
    const auto missed = orbelle::testing::missedAsOrdinaryUser(failures);
    if (!missed)
        GTEST_SKIP() << "this system lets the superuser become no ordinary user";
    EXPECT_EQ(*missed, 0) << "bits of the expectations missed";
}
#endif

TEST_F(StartupSave, SaveUsesTheChosenNameAsItStands)
{
    saveTo(folder / "design");
    EXPECT_EQ(folder.listing(), "design");
    EXPECT_EQ(readBytes(folder / "design"), crlfLines(kStartupDesign));
}

struct SaveCase {
    const char *name;
    std::function<void(Form1 &)> change;
    size_t line; // 1-based
    const char *expected;
    friend void PrintTo(const SaveCase &c, std::ostream *os) { *os << c.name; }
};

class SavedField : public StartupSave, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SavedField, ComesFromTheControls)
{
    GetParam().change(*editor);
    std::vector<std::string> expected = kStartupDesign;
    expected.at(GetParam().line - 1) = GetParam().expected;
    EXPECT_EQ(saveAndRead(), orbelle::encodeFileText(crlfLines(expected)));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, SavedField,
    ::testing::Values(
        SaveCase{"frame_size", [](Form1 &f) { f.Image1.Width = 3000; f.Image1.Height = 1500.5f; }, 1, "3060,1560.5"},
        SaveCase{"picture_path", [](Form1 &f) { f.ImageFileName = "/home/u/写真/face.jpg"; }, 2,
                 R"("/home/u/写真/face.jpg")"},
        SaveCase{"picture_path_loaded_empty", [](Form1 &f) { f.ImageFileName = std::string(); }, 2, R"("")"},
        SaveCase{"rectangle", [](Form1 &f) { f.Option2.setValue(true); }, 4, "#FALSE#,#TRUE#,#FALSE#"},
        SaveCase{"polygon", [](Form1 &f) { f.Option3.setValue(true); }, 4, "#FALSE#,#FALSE#,#TRUE#"},
        SaveCase{"hands_area",
                 [](Form1 &f) {
                     f.Image2.Left = 100;
                     f.Image2.Top = 50;
                     f.Image2.Width = 2001;
                     f.Image2.Height = 1000;
                 },
                 5, "1100.5,550,2001,1000"},
        SaveCase{"second_hand_hidden", [](Form1 &f) { f.Check2.setValue(0); }, 6, "1,0,1,1"},
        SaveCase{"ticks_hidden", [](Form1 &f) { f.Check1.setValue(0); }, 6, "0,1,1,1"},
        // The swatch is the colour of record, not the line it paints.
        SaveCase{"swatch_colour", [](Form1 &f) { f.Label8.BackColor = 0x123456; }, 7, "16777215,255,1193046,16711935"},
        SaveCase{"fractional_length", [](Form1 &f) { f.Text1.Text = "95.5"; }, 8, R"("95.5","90","70")"},
        SaveCase{"letters_as_length", [](Form1 &f) { f.Text2.Text = "abc"; }, 8, R"("100","abc","70")"},
        SaveCase{"empty_length", [](Form1 &f) { f.Text3.Text = ""; }, 8, R"("100","90","")"}));

TEST_F(StartupSave, SaveWritesVerticesRelativeToTheMovedFrame)
{
    Form1 &f = *editor;
    f.Image1.Left = 300;
    f.Image1.Top = 150;
    f.Option3.setValue(true);
    f.Command13_Click();
    f.Image1_MouseDown(1, 0, 1500, 750); // the vertex lands on (1800, 900)
    ASSERT_TRUE(f.Line17.exists(1));
    ASSERT_FLOAT_EQ(f.Line17[1].X1, 1800);
    EXPECT_EQ(saveAndRead(), crlfLines({
                                 "2660,2660",
                                 "",
                                 "-300,-150",
                                 "#FALSE#,#FALSE#,#TRUE#",
                                 "1290,1260,2400,2400",
                                 "1,1,1,1",
                                 "16777215,255,65280,16711935",
                                 R"("100","90","70")",
                                 "1",
                                 "114,196", // the template segment, relative to the frame as well
                                 "100,50",
                                 "1950,3015",
                                 "1748,848",
                             }));
}

TEST_F(StartupSave, SaveKeepsFractionsOfAPixel)
{
    Form1 &f = *editor;
    f.Option3.setValue(true);
    f.Command13_Click();
    f.Image1_MouseDown(1, 0, 1807, 908);
    f.Image1_MouseDown(1, 0, 30, 45);
    f.Option1.setValue(true); // the polygon is written whatever the shape
    const std::string text = saveAndRead();
    EXPECT_NE(text.find("\r\n2\r\n134,206\r\n120.4667,60.53333\r\n2,3\r\n1950,3015\r\n1755,856\r\n-22,-7\r\n"),
              std::string::npos)
        << text;
}

TEST_F(StartupSave, SaveAfterDeletingTheLastVertexWritesACountOfZero)
{
    Form1 &f = *editor;
    f.Option3.setValue(true);
    f.Command13_Click();
    f.Image1_MouseDown(1, 0, 600, 600);
    f.Command16_Click();
    std::vector<std::string> expected = kStartupDesign;
    expected[3] = "#FALSE#,#FALSE#,#TRUE#";
    expected[8] = "0";
    EXPECT_EQ(saveAndRead(), crlfLines(expected));
}

TEST_F(StartupSave, FailedSaveLeavesNoTrace)
{
    writeBytes(folder / "plain", "a plain file");
    const fs::path targets[] = {folder / "missing" / "tokei-set.ini", folder / "plain" / "tokei-set.ini"};
    for (const fs::path &target : targets) {
        services.saveAnswers.push_back(target.string());
        EXPECT_NO_THROW(editor->Command2.Click()) << target;
    }
    EXPECT_EQ(folder.listing(), "plain");
    EXPECT_EQ(readBytes(folder / "plain"), "a plain file");
}

TEST_F(StartupSave, SaveWithMissingOutlineSegmentsWritesTheVerticesThatExist)
{
    Form1 &f = *editor;
    f.Option3.setValue(true);
    f.Command13_Click();
    f.Image1_MouseDown(1, 0, 100, 100);
    f.Image1_MouseDown(1, 0, 200, 100);
    ASSERT_TRUE(f.idx.equals(2));
    const std::string whole = saveAndRead();
    f.idx = 5; // elements 3 to 5 do not exist
    writeBytes(folder / "tokei-set.ini", "old design\r\n");
    EXPECT_NO_THROW(saveTo(folder / "tokei-set.ini"));
    EXPECT_EQ(readBytes(folder / "tokei-set.ini"), whole);
    EXPECT_TRUE(f.idx.equals(5)); // the save changes nothing in the editor
    EXPECT_EQ(folder.listing(), "tokei-set.ini");
}

} // namespace
