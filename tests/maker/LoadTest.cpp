// SPDX-License-Identifier: MIT
// Loading a design file into the editor: the dialog, what each line sets and
// in which order, where a failing load stops, polygons, and designs that go
// through save, load and save again unchanged.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "CaseNames.h"
#include "FakeServices.h"
#include "Form1.h"
#include "TextEncoding.h"

namespace orbelle::maker {
namespace {

using orbelle::testing::PrintTo;

using testing::FakeServices;

// ---- Files.

void writeBytes(const std::filesystem::path &p, const std::string &bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string bytesOf(const std::filesystem::path &p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Lines joined the way the file has them: CR LF after each, the last too.
std::string fileText(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "\r\n";
    return text;
}

// A path as the dialogs give it: UTF-8 on every system.
std::string utf8Of(const std::filesystem::path &p)
{
    const std::u8string text = p.u8string();
    return std::string(text.begin(), text.end());
}

std::vector<std::string> linesOf(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// What a save right after start-up writes.
const std::vector<std::string> kStartupSave = {
    "2660,2660", "", "0,0", "#TRUE#,#FALSE#,#FALSE#", "1290,1260,2400,2400", "1,1,1,1",
    "16777215,255,65280,16711935", "\"100\",\"90\",\"70\"", "", "134,206", "1950,3015",
};

// A rectangle design in which every value differs from the editor's start:
// frame 300, 150, 3000 x 2000; hands area 500, 300, 2000 x 1800.
const std::vector<std::string> kRectangleDesign = {
    "3060,2060", "", "-300,-150", "#FALSE#,#TRUE#,#FALSE#", "1500,1200,2000,1800", "1,0,1,0",
    "1,2,3,4", "\"80\",\"70\",\"60\"", "", "114,196", "1950,3015",
};

struct Pixel {
    int x, y;
};

// A polygon design on the frame of kRectangleDesign; vertices in pixels from
// the frame's corner, handles in canvas twips.
std::vector<std::string> polygonDesign(const std::vector<Pixel> &vertices, const std::vector<Pixel> &handles)
{
    std::vector<std::string> lines(kRectangleDesign.begin(), kRectangleDesign.begin() + 8);
    lines[3] = "#FALSE#,#FALSE#,#TRUE#";
    lines.push_back(std::to_string(vertices.size()));
    lines.push_back("114,196");
    for (const Pixel &v : vertices)
        lines.push_back(std::to_string(v.x) + "," + std::to_string(v.y));
    lines.push_back("1950,3015");
    for (const Pixel &h : handles)
        lines.push_back(std::to_string(h.x) + "," + std::to_string(h.y));
    return lines;
}

// A square of four vertices; on the canvas at (1800, 900), (3300, 900),
// (3300, 2400), (1800, 2400), each marker 52 twips up and left of its vertex.
std::vector<std::string> squarePolygon()
{
    return polygonDesign({{100, 50}, {200, 50}, {200, 150}, {100, 150}},
                         {{1748, 848}, {3248, 848}, {3248, 2348}, {1748, 2348}});
}

// ---- The editor and what it shows.

struct Editor {
    testing::ScratchFolder folder{"orbelle-load-"};
    FakeServices fake;
    Form1 form{fake};

    Editor()
    {
        fake.folder = folder.path();
        form.Load();
    }

    std::filesystem::path file(const std::string &name) const { return folder.path() / name; }

    std::filesystem::path put(const std::string &name, const std::vector<std::string> &lines)
    {
        writeBytes(file(name), fileText(lines));
        return file(name);
    }

    void load(const std::filesystem::path &path)
    {
        fake.openAnswers.push_back(utf8Of(path));
        form.Command8.Click();
    }

    std::string save(const std::string &name)
    {
        fake.saveAnswers.push_back(utf8Of(file(name)));
        form.Command2.Click();
        return bytesOf(file(name));
    }
};

std::string show(const Value &v)
{
    switch (v.kind()) {
    case Value::Kind::Empty: return "<empty>";
    case Value::Kind::Text: return "\"" + v.toText() + "\"";
    default: return v.toText();
    }
}

std::string show(double v)
{
    std::ostringstream s;
    s << std::setprecision(9) << v;
    return s.str();
}

using State = std::map<std::string, std::string>;
using Names = std::set<std::string>;

// The editor's design as name -> value: every control property and editor
// variable a load may set, and some it must not.
State stateOf(const Form1 &f)
{
    State s;
    auto box = [&](const std::string &n, const form::Control &c) {
        s[n + ".Left"] = show(c.Left);
        s[n + ".Top"] = show(c.Top);
        s[n + ".Width"] = show(c.Width);
        s[n + ".Height"] = show(c.Height);
        s[n + ".Visible"] = show(c.Visible);
    };
    auto line = [&](const std::string &n, const form::Line &l) {
        s[n + ".X1"] = show(l.X1);
        s[n + ".Y1"] = show(l.Y1);
        s[n + ".X2"] = show(l.X2);
        s[n + ".Y2"] = show(l.Y2);
        s[n + ".BorderColor"] = show(l.BorderColor);
        s[n + ".Visible"] = show(l.Visible);
    };
    box("Image1", f.Image1);
    box("Shape1", f.Shape1);
    box("Image2", f.Image2);
    box("Shape2", f.Shape2);
    box("Label1", f.Label1);
    s["Image1.SingleBorder"] = show(f.Image1.SingleBorder);
    s["Shape1.Figure"] = show(int(f.Shape1.Figure));
    s["Shape2.BorderColor"] = show(f.Shape2.BorderColor);
    s["Label1.ForeColor"] = show(f.Label1.ForeColor);
    line("Line1", f.Line1);
    line("Line2", f.Line2);
    line("Line3", f.Line3);
    line("Line4", f.Line4);
    line("Line5", f.Line5);
    for (const form::Label *swatch : {&f.Label2, &f.Label3, &f.Label8, &f.Label9})
        s[swatch->name() + ".BackColor"] = show(swatch->BackColor);
    for (const form::CheckBox *check : {&f.Check1, &f.Check2, &f.Check3, &f.Check4})
        s[check->name() + ".Value"] = show(check->Value);
    for (const form::OptionButton *option : {&f.Option1, &f.Option2, &f.Option3})
        s[option->name() + ".Value"] = show(option->Value);
    for (const form::TextBox *text : {&f.Text1, &f.Text2, &f.Text3})
        s[text->name() + ".Text"] = text->Text;
    s["Command13.Enabled"] = show(f.Command13.Enabled);
    s["Caption"] = f.Caption;
    s["StatusBar1"] = f.StatusBar1.PanelText;
    s["Picture1"] = f.Picture1.CurrentPicture ? f.Picture1.CurrentPicture->path() : "<none>";
    s["Picture1.Left"] = show(f.Picture1.Left);
    const std::pair<const char *, const Value *> variables[] = {
        {"ImageFileName", &f.ImageFileName}, {"anotherSetIni", &f.anotherSetIni}, {"idx", &f.idx},
        {"SetTX", &f.SetTX}, {"SetTY", &f.SetTY}, {"SetX", &f.SetX}, {"SetY", &f.SetY}, {"SetW", &f.SetW},
        {"SetH", &f.SetH}, {"PPPx", &f.PPPx}, {"PPPy", &f.PPPy}, {"flag", &f.flag}, {"poPic", &f.poPic},
        {"Tflag", &f.Tflag},
    };
    for (const auto &[name, value] : variables)
        s[name] = show(*value);
    for (int i = 0; i < 16; ++i) {
        if (f.Line17.exists(i))
            line("Line17(" + std::to_string(i) + ")", f.Line17[i]);
        if (f.Label17.exists(i))
            box("Label17(" + std::to_string(i) + ")", f.Label17[i]);
    }
    return s;
}

std::vector<float> rect(const form::Control &c) { return {c.Left, c.Top, c.Width, c.Height}; }

// The names whose values differ, or that only one of the two has.
Names changes(const State &before, const State &after)
{
    Names names;
    for (const auto &[name, value] : before)
        if (auto it = after.find(name); it == after.end() || it->second != value)
            names.insert(name);
    for (const auto &[name, value] : after)
        if (!before.count(name))
            names.insert(name);
    return names;
}

Names props(const std::string &control, std::initializer_list<const char *> names)
{
    Names out;
    for (const char *n : names)
        out.insert(control + "." + n);
    return out;
}

Names operator+(Names a, const Names &b)
{
    a.insert(b.begin(), b.end());
    return a;
}

// What each step of a load of kRectangleDesign changes in a fresh editor, in
// the order the load applies them.
enum Step { FrameSize, Picture, FramePlace, Shape, Lengths, HandsArea, Grip, CentreLines, Hands, Switches, Colours };

Names changedBy(Step step)
{
    const char *ends[] = {"X1", "Y1", "X2", "Y2"};
    auto endsOf = [&](const std::string &line) {
        Names out;
        for (const char *e : ends)
            out.insert(line + "." + e);
        return out;
    };
    switch (step) {
    case FrameSize: return props("Image1", {"Width", "Height"}) + props("Shape1", {"Width", "Height"});
    case Picture: return {"ImageFileName", "StatusBar1"};
    case FramePlace: return props("Image1", {"Left", "Top"}) + props("Shape1", {"Left", "Top"});
    case Shape: return {"Option1.Value", "Option2.Value", "Shape1.Figure", "Tflag"};
    case Lengths: return {"Text1.Text", "Text2.Text", "Text3.Text"};
    case HandsArea:
        return props("Image2", {"Left", "Top", "Width", "Height"}) + props("Shape2", {"Left", "Top", "Width", "Height"}) +
               Names{"SetTX", "SetTY"};
    case Grip: return props("Label1", {"Left", "Top"});
    case CentreLines: return endsOf("Line1") + endsOf("Line2");
    case Hands: return endsOf("Line3") + endsOf("Line4") + endsOf("Line5");
    case Switches: return {"Check2.Value", "Check4.Value", "Line3.Visible", "Line5.Visible"};
    case Colours:
        return Names{"Label2.BackColor", "Label3.BackColor", "Label8.BackColor", "Label9.BackColor",
                     "Shape2.BorderColor", "Label1.ForeColor", "Line1.BorderColor", "Line2.BorderColor",
                     "Line3.BorderColor", "Line4.BorderColor", "Line5.BorderColor"};
    }
    return {};
}

Names changedBefore(Step stop)
{
    Names out{"anotherSetIni"};
    for (int s = FrameSize; s < stop; ++s)
        out = out + changedBy(Step(s));
    return out;
}

// ---- The dialog.

TEST(LoadDialog, AsksForTheDesignFileInTheProgramFolder)
{
    Editor e;
    const auto path = e.put("a.ini", kStartupSave);
    e.load(path);
    e.load(path);

    ASSERT_EQ(e.fake.openRequests.size(), 2u);
    for (const form::FileDialogRequest &r : e.fake.openRequests) {
        EXPECT_EQ(r.filters, (std::vector<std::pair<std::string, std::string>>{
                                 {"設定ファイル", "tokei-set.ini"}, {"すべてのファイル(*.*)", "*.*"}}));
        EXPECT_EQ(r.filterIndex, 1);
        // Always the plain name, even once a file was chosen.
        EXPECT_EQ(r.fileName, "tokei-set.ini");
    }
    // Start-up and each load go to the program folder.
    EXPECT_EQ(e.fake.currentDirectories, std::vector<std::filesystem::path>(3, e.folder.path()));
    EXPECT_EQ(e.form.anotherSetIni.toText(), path.string());
}

TEST(LoadDialog, CancelChangesNothingNotEvenTheRememberedFile)
{
    Editor e;
    const auto path = e.put("a.ini", kRectangleDesign);
    e.load(path);
    const State before = stateOf(e.form);

    e.fake.openAnswers.push_back(std::nullopt);
    e.form.Command8.Click();

    EXPECT_EQ(changes(before, stateOf(e.form)), Names{});
    // Saving still proposes the file loaded before.
    e.form.Command2.Click();
    ASSERT_EQ(e.fake.saveRequests.size(), 1u);
    EXPECT_EQ(e.fake.saveRequests[0].fileName, path.string());
}

// ---- A complete load.

TEST(Load, StartupSaveAlignsOutlinesGripAndCentreLinesWithTheirBoxes)
{
    Editor e;
    Form1 &f = e.form;
    // The hands area somewhere else first: line 5 brings it back.
    f.Image2.Left = 700;
    f.Image2.Top = 400;
    f.Image2.Width = 1000;
    f.Image2.Height = 800;

    e.load(e.put("tokei-set.ini", kStartupSave));

    EXPECT_EQ(rect(f.Image1), (std::vector<float>{0, 0, 2600, 2600}));
    EXPECT_EQ(rect(f.Shape1), (std::vector<float>{0, 0, 2600, 2600}));
    EXPECT_EQ(rect(f.Image2), (std::vector<float>{90, 60, 2400, 2400}));
    EXPECT_EQ(rect(f.Shape2), (std::vector<float>{90, 60, 2400, 2400}));
    EXPECT_EQ(f.Label1.Left, 2400);
    EXPECT_EQ(f.Label1.Top, 2370);
    EXPECT_EQ((std::vector<float>{f.Line1.X1, f.Line1.Y1, f.Line1.X2, f.Line1.Y2}),
              (std::vector<float>{1290, 60, 1290, 2460}));
    EXPECT_EQ((std::vector<float>{f.Line2.X1, f.Line2.Y1, f.Line2.X2, f.Line2.Y2}),
              (std::vector<float>{90, 1260, 2490, 1260}));
    EXPECT_NEAR(f.Line3.X2, 2329.23, 0.01);
    EXPECT_NEAR(f.Line3.Y2, 660, 0.01);
    EXPECT_EQ(f.SetTX.toDouble(), 90);
    EXPECT_EQ(f.SetTY.toDouble(), 60);
    EXPECT_EQ(f.StatusBar1.PanelText, "");
    EXPECT_TRUE(f.ImageFileName.isText());
    EXPECT_EQ(f.Picture1.CurrentPicture, nullptr);
    EXPECT_TRUE(f.Option1.Value);
    EXPECT_EQ(f.Shape1.Figure, form::ShapeKind::Oval);
    EXPECT_TRUE(f.idx.isEmpty());
}

TEST(Load, AppliesEveryLineAndNothingElse)
{
    Editor e;
    Form1 &f = e.form;
    const State before = stateOf(f);

    e.load(e.put("a.ini", kRectangleDesign));

    EXPECT_EQ(changes(before, stateOf(f)), changedBefore(Step(Colours + 1)));
    EXPECT_EQ(f.anotherSetIni.toText(), e.file("a.ini").string());
    EXPECT_EQ(rect(f.Shape1), (std::vector<float>{300, 150, 3000, 2000}));
    EXPECT_EQ(rect(f.Image2), (std::vector<float>{500, 300, 2000, 1800}));
    EXPECT_EQ(f.Shape1.Figure, form::ShapeKind::Rectangle);
    EXPECT_EQ(f.Label1.Left, 2410);
    EXPECT_EQ(f.Label1.Top, 2010);
    EXPECT_EQ(f.Line2.Y1, 1200);
    EXPECT_EQ(f.Line3.X1, 1500);
    EXPECT_NEAR(f.Line3.X2, 1500 + 0.8 * 1000 * 0.8660254, 0.01);
    EXPECT_NEAR(f.Line3.Y2, 1200 - 0.8 * 900 * 0.5, 0.01);
    EXPECT_FALSE(f.Line3.Visible);
    EXPECT_FALSE(f.Line5.Visible);
    // The tick colour goes to the hands-area outline, centre lines and grip.
    for (int colour : {f.Shape2.BorderColor, f.Line1.BorderColor, f.Line2.BorderColor, f.Label1.ForeColor})
        EXPECT_EQ(colour, 1);
    EXPECT_EQ((std::vector<int>{f.Line3.BorderColor, f.Line4.BorderColor, f.Line5.BorderColor}),
              (std::vector<int>{2, 3, 4}));
}

TEST(Load, ColourFromAFileDoesNotReachTheColourDialog)
{
    Editor e;
    e.fake.colourAnswers = {0x00C000, std::nullopt};
    e.form.Command5.Click();
    e.load(e.put("a.ini", kRectangleDesign));

    e.form.Command4.Click();

    EXPECT_EQ(e.fake.colourRequests, (std::vector<int>{0, 0x00C000}));
}

TEST(Load, FileInCodePage932KeepsItsJapanesePath)
{
    Editor e;
    Form1 &f = e.form;
    // 表 has a backslash as its second byte in code page 932.
    const std::string path = "C:\\写真\\表示\\時計.jpg";
    e.fake.registeredPictures[path] = {200, 100};
    auto lines = kStartupSave;
    lines[1] = "\"" + path + "\"";
    const std::string bytes = utf8ToCp932(fileText(lines));
    ASSERT_NE(bytes, fileText(lines));
    writeBytes(e.file("sjis.ini"), bytes);

    e.load(e.file("sjis.ini"));

    EXPECT_EQ(f.ImageFileName.toText(), path);
    EXPECT_EQ(f.StatusBar1.PanelText, path);
    ASSERT_NE(f.Picture1.CurrentPicture, nullptr);
    EXPECT_EQ(f.Label1.Top, 2370);
    // Written back in the system's code page.
    EXPECT_EQ(e.save("again.ini"), encodeFileText(fileText(lines)));
}

// Designs and pictures in folders with Japanese names, chosen in the
// dialogs: saved where chosen, and opened with the picture they name.
TEST(Load, FoldersWithJapaneseNamesHoldDesignsAndPictures)
{
    // 0x5C, the path separator, is a trail byte in the code page 932 forms
    // of the second and third names.
    for (const char *name : {"時計の顔", "表示", "ソフト", "ﾄｹｲ"}) {
        SCOPED_TRACE(name);
        Editor e;
        const auto folder = e.folder.path() / pathFromUtf8(name);
        ASSERT_TRUE(std::filesystem::create_directory(folder));
        const auto picture = folder / pathFromUtf8(std::string(name) + ".jpg");
        writeBytes(picture, "picture");
        auto lines = kRectangleDesign;
        lines[1] = "\"" + utf8Of(picture) + "\"";
        const auto design = folder / pathFromUtf8(std::string(name) + ".ini");
        writeBytes(design, utf8ToCp932(fileText(lines)));

        e.load(design);
        ASSERT_NE(e.form.Picture1.CurrentPicture, nullptr);
        EXPECT_EQ(e.form.ImageFileName.toText(), utf8Of(picture));

        const auto copy = folder / pathFromUtf8(std::string(name) + "の写し.ini");
        e.fake.saveAnswers.push_back(utf8Of(copy));
        e.form.Command2.Click();
        EXPECT_EQ(bytesOf(copy), encodeFileText(fileText(lines)));
    }
}

TEST(Load, EllipseFileEndsAfterLineEight)
{
    // Nothing after line 8 is read unless the polygon is chosen.
    for (const auto &tail : {std::vector<std::string>{}, std::vector<std::string>{"not", "\"read\"", "at,all"}}) {
        Editor e;
        auto lines = kStartupSave;
        lines.resize(8);
        lines.insert(lines.end(), tail.begin(), tail.end());
        const State before = stateOf(e.form);

        e.load(e.put("a.ini", lines));

        EXPECT_EQ(e.form.Label1.Top, 2370) << tail.size();
        EXPECT_TRUE(e.form.idx.isEmpty());
        EXPECT_TRUE(changes(before, stateOf(e.form)).count("Line1.Y1"));
    }
}

// ---- Failing loads.

struct Failure {
    const char *name;
    int line; // 1-based line of kRectangleDesign to replace
    const char *text;
    Names changed;
    friend void PrintTo(const Failure &f, std::ostream *os) { *os << f.name; }
};

class FailingLoad : public ::testing::TestWithParam<Failure> {};

TEST_P(FailingLoad, StopsAtTheStepThatUsesTheBadField)
{
    Editor e;
    auto lines = kRectangleDesign;
    lines[size_t(GetParam().line - 1)] = GetParam().text;
    const State before = stateOf(e.form);

    e.load(e.put("a.ini", lines));

    EXPECT_EQ(changes(before, stateOf(e.form)), GetParam().changed);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FailingLoad,
    ::testing::Values(
        Failure{"WidthNoNumber", 1, "wide,2060", changedBefore(FrameSize)},
        Failure{"PictureUnreadable", 2, "\"/no/such/picture.jpg\"", changedBefore(Picture)},
        Failure{"OffsetLeftNoNumber", 3, "left,-150", changedBefore(FramePlace)},
        // What a step applied before its bad field stays.
        Failure{"OffsetTopNoNumber", 3, "-300,up", changedBefore(FramePlace) + Names{"Image1.Left"}},
        Failure{"ShapeFlagNoBoolean", 4, "round,#TRUE#,#FALSE#", changedBefore(Shape)},
        Failure{"HandsCentreNoNumber", 5, "middle,1200,2000,1800", changedBefore(HandsArea)},
        Failure{"HandsHeightNoNumber", 5, "1500,1200,2000,tall", changedBefore(HandsArea) + Names{"Image2.Left"}},
        Failure{"SwitchNoNumber", 6, "1,on,1,0", changedBefore(Switches)},
        Failure{"ColourNoNumber", 7, "1,2,green,4",
                changedBefore(Colours) + Names{"Label2.BackColor", "Label3.BackColor"}},
        // A number that does not fit in single precision stops the load as
        // a text would, also where only a sum made from it overflows.
        Failure{"WidthBeyondSingle", 1, "1e39,2060", changedBefore(FrameSize)},
        Failure{"HeightBeyondSingle", 1, "3060,-1e39", changedBefore(FrameSize) + Names{"Image1.Width"}},
        Failure{"OffsetTopBeyondSingle", 3, "-300,1e39", changedBefore(FramePlace) + Names{"Image1.Left"}},
        Failure{"HandsLeftBeyondSingle", 5, "3e38,1200,-1e38,1800", changedBefore(HandsArea)},
        Failure{"HandsCentreBeyondDouble", 5, "1.7e308,1200,-1.7e308,1800", changedBefore(HandsArea)}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LoadFailure, MissingFileChangesOnlyTheRememberedFile)
{
    Editor e;
    const State before = stateOf(e.form);
    e.load(e.file("missing.ini"));
    EXPECT_EQ(changes(before, stateOf(e.form)), Names{"anotherSetIni"});
    EXPECT_EQ(e.form.anotherSetIni.toText(), e.file("missing.ini").string());
}

TEST(LoadFailure, ShortFileChangesOnlyTheRememberedFileAndAReadCount)
{
    auto cut = [](std::vector<std::string> lines, size_t keep) {
        lines.resize(keep);
        return lines;
    };
    auto withoutLast = [](std::vector<std::string> lines) {
        lines.pop_back();
        return lines;
    };
    struct Case {
        const char *name;
        std::vector<std::string> lines;
        bool countRead;
    };
    const Case cases[] = {
        {"empty", {}, false},
        {"fiveLines", cut(kRectangleDesign, 5), false},
        {"lengthsCut", cut(kRectangleDesign, 7), false},
        {"polygonWithoutCount", cut(squarePolygon(), 8), false},
        {"polygonWithoutLists", cut(squarePolygon(), 9), true},
        {"polygonWithoutHandles", cut(squarePolygon(), 14), true},
        {"polygonOneHandleShort", withoutLast(squarePolygon()), true},
        {"emptyPolygonWithoutHandle", withoutLast(polygonDesign({}, {})), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Editor e;
        const State before = stateOf(e.form);
        e.load(e.put("a.ini", c.lines));
        Names expected{"anotherSetIni"};
        if (c.countRead)
            expected.insert("idx");
        EXPECT_EQ(changes(before, stateOf(e.form)), expected);
    }
}

TEST(LoadFailure, HandleBeyondSixteenBitsStopsBeforeAnyVertexIsMade)
{
    Editor e;
    auto lines = squarePolygon();
    lines.back() = "1748,40000";
    const State before = stateOf(e.form);
    e.load(e.put("a.ini", lines));
    EXPECT_EQ(changes(before, stateOf(e.form)), (Names{"anotherSetIni", "idx"}));
}

TEST(LoadFailure, PolygonOffsetIsConvertedWhereAVertexFirstNeedsIt)
{
    // Without vertices the offset is first used to place the frame, after
    // the frame size and the picture were applied.
    {
        Editor e;
        auto lines = polygonDesign({}, {});
        lines[2] = "left,-150";
        const State before = stateOf(e.form);
        e.load(e.put("a.ini", lines));
        EXPECT_EQ(changes(before, stateOf(e.form)), changedBefore(FramePlace) + Names{"idx"});
    }
    // With vertices the first segment is made, still hidden, and the load
    // ends there.
    {
        Editor e;
        auto lines = squarePolygon();
        lines[2] = "left,-150";
        e.load(e.put("a.ini", lines));
        EXPECT_TRUE(e.form.idx.equals(4));
        ASSERT_TRUE(e.form.Line17.exists(1));
        EXPECT_FALSE(e.form.Line17[1].Visible);
        EXPECT_FALSE(e.form.Line17.exists(2));
        EXPECT_FALSE(e.form.Label17.exists(1));
        EXPECT_EQ(e.form.Image1.Width, 2600);
    }
}

TEST(LoadFailure, CountBelowMinusOneStopsAfterTheCount)
{
    for (const char *count : {"-1", "-2", "-7"}) {
        SCOPED_TRACE(count);
        Editor e;
        auto lines = polygonDesign({}, {});
        lines[8] = count;
        // A count of -1 makes lists of one entry each; read nothing of them.
        lines.resize(9);
        const State before = stateOf(e.form);
        e.load(e.put("a.ini", lines));
        const Names applied = changes(before, stateOf(e.form));
        EXPECT_TRUE(e.form.idx.equals(std::stoi(count)));
        if (std::string(count) == "-1")
            EXPECT_TRUE(applied.count("Image1.Left"));
        else
            EXPECT_EQ(applied, (Names{"anotherSetIni", "idx"}));
    }
}

TEST(LoadFailure, HugeCountFromACutFileDoesNotHangTheEditingTools)
{
    Editor e;
    Form1 &f = e.form;
    auto lines = polygonDesign({}, {});
    lines[8] = "2147483647";
    lines.resize(9);
    e.load(e.put("a.ini", lines));
    ASSERT_TRUE(f.idx.equals(2147483647));

    // Each of these walks the vertex elements; only those that exist count.
    f.Option3.setValue(true);
    f.Command13.Click();
    f.Command15.Click();
    f.Command14.Click();
    f.Option1.setValue(true);
    f.Option2.setValue(true);
    EXPECT_TRUE(f.Option2.Value);
    EXPECT_FALSE(f.Line17.exists(1));
}

TEST(LoadFailure, SaveAfterADamagedPolygonLoadWritesTheVerticesThereAre)
{
    // A count far past the vertices the file holds, and a handle beyond 16
    // bits: each load stops with the file's count in idx.
    auto hugeCount = squarePolygon();
    hugeCount[8] = "2147483646";
    auto badHandle = polygonDesign({{100, 50}, {200, 50}, {200, 150}, {100, 150}, {150, 200}, {120, 180}},
                                   {{1748, 848}, {3248, 848}, {3248, 2348}, {1748, 2348}, {2000, 2000},
                                    {1800, 40000}});
    for (const auto *damaged : {&hugeCount, &badHandle}) {
        SCOPED_TRACE(damaged == &hugeCount ? "hugeCount" : "badHandle");
        {
            // Into a fresh editor: no vertex exists, so the count is 0.
            Editor e;
            e.load(e.put("damaged.ini", *damaged));
            auto expected = kStartupSave;
            expected[8] = "0";
            EXPECT_EQ(linesOf(e.save("out.ini")), expected);
        }
        {
            // Over a polygon: the four vertices the editor holds, as before.
            Editor e;
            e.load(e.put("square.ini", squarePolygon()));
            const std::string whole = e.save("before.ini");
            e.load(e.put("damaged.ini", *damaged));
            EXPECT_FALSE(e.form.idx.equals(4));
            EXPECT_EQ(e.save("after.ini"), whole);
            EXPECT_EQ(linesOf(whole).size(), 9u + 5 + 5);
        }
    }
}

TEST(LoadFailure, SaveAfterADamagedLoadSaysHowManyVerticesItWrote)
{
    auto hugeCount = squarePolygon();
    hugeCount[8] = "2147483646";
    auto badHandle = polygonDesign({{100, 50}, {200, 50}, {200, 150}}, {{1748, 848}, {3248, 848}, {3248, 40000}});
    const struct {
        const char *name;
        std::vector<std::vector<std::string>> loads;
        std::string said;
    } cases[] = {
        {"whole", {squarePolygon()}, "保存しました: "},
        {"handleBeyondSixteenBits", {badHandle}, "保存しました（頂点 3 個のうち 0 個）: "},
        {"hugeCount", {hugeCount}, "保存しました（頂点 2147483646 個のうち 0 個）: "},
        {"hugeCountOverASquare", {squarePolygon(), hugeCount}, "保存しました（頂点 2147483646 個のうち 4 個）: "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Editor e;
        for (const auto &lines : c.loads)
            e.load(e.put("a.ini", lines));
        e.save("out.ini");
        EXPECT_EQ(e.form.StatusBar1.PanelText, c.said + utf8Of(e.file("out.ini")));
    }
}

// ---- Polygons.

struct Segment {
    float x1, y1, x2, y2;
    friend bool operator==(const Segment &, const Segment &) = default;
    friend std::ostream &operator<<(std::ostream &o, const Segment &s)
    {
        return o << "(" << s.x1 << ", " << s.y1 << ")-(" << s.x2 << ", " << s.y2 << ")";
    }
};

Segment segment(const Form1 &f, int i)
{
    const form::Line &l = f.Line17[i];
    return {l.X1, l.Y1, l.X2, l.Y2};
}

TEST(LoadPolygon, BuildsTheOutlineAndMarkersFromBothLists)
{
    Editor e;
    Form1 &f = e.form;
    e.load(e.put("a.ini", squarePolygon()));

    EXPECT_TRUE(f.idx.equals(4));
    // Segment i starts on vertex i and ends on vertex i - 1; segment 1 closes
    // the outline from vertex 1 back to vertex 4.
    EXPECT_EQ(segment(f, 1), (Segment{1800, 900, 1800, 2400}));
    EXPECT_EQ(segment(f, 2), (Segment{3300, 900, 1800, 900}));
    EXPECT_EQ(segment(f, 3), (Segment{3300, 2400, 3300, 900}));
    EXPECT_EQ(segment(f, 4), (Segment{1800, 2400, 3300, 2400}));
    const float markers[][2] = {{1748, 848}, {3248, 848}, {3248, 2348}, {1748, 2348}};
    for (int i = 1; i <= 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(f.Line17[i].Visible);
        EXPECT_EQ(f.Line17[i].BorderColor, Form1::kMagenta);
        EXPECT_EQ(f.Line17[i].BorderWidth, 2);
        EXPECT_TRUE(f.Label17[i].Visible);
        EXPECT_EQ(f.Label17[i].Caption, "●");
        EXPECT_EQ(f.Label17[i].Left, markers[i - 1][0]);
        EXPECT_EQ(f.Label17[i].Top, markers[i - 1][1]);
    }
    EXPECT_FALSE(f.Line17.exists(5));
    EXPECT_FALSE(f.Label17.exists(5));
    // The template entries are read and ignored.
    EXPECT_EQ(segment(f, 0), (Segment{2010, 3090, 2010, 4125}));
    EXPECT_FALSE(f.Line17[0].Visible);
    EXPECT_TRUE(f.Option3.Value);
    EXPECT_FALSE(f.Shape1.Visible);
    EXPECT_TRUE(f.Image1.SingleBorder);
    EXPECT_TRUE(f.Command13.Enabled);
    EXPECT_EQ(f.Image2.Left, 500); // the rest of the design follows
}

TEST(LoadPolygon, VertexPixelsRoundHalfToEvenAndGoBackToTheCanvas)
{
    Editor e;
    auto lines = polygonDesign({{0, 0}}, {{0, 0}});
    lines[10] = "93.5,92.5"; // the vertex, after the count and the template entry
    lines[2] = "0,0";
    e.load(e.put("a.ini", lines));
    EXPECT_EQ(segment(e.form, 1), (Segment{1410, 1380, 1410, 1380}));

    Editor e2;
    auto offset = polygonDesign({{100, 50}}, {{0, 0}});
    e2.load(e2.put("a.ini", offset));
    EXPECT_EQ(segment(e2.form, 1), (Segment{1800, 900, 1800, 900}));
}

TEST(LoadPolygon, NoVerticesReadsOnePairOfEachListAndMakesNothing)
{
    Editor e;
    e.load(e.put("a.ini", polygonDesign({}, {})));
    EXPECT_TRUE(e.form.idx.equals(0));
    EXPECT_FALSE(e.form.Line17.exists(1));
    EXPECT_FALSE(e.form.Label17.exists(1));
    EXPECT_TRUE(e.form.Option3.Value);
    EXPECT_EQ(e.form.Line5.BorderColor, 4); // loaded to the end
}

TEST(LoadPolygon, EllipseFileLeavesTheVerticesOfTheEditorAlone)
{
    Editor e;
    Form1 &f = e.form;
    e.load(e.put("poly.ini", polygonDesign({{10, 10}, {90, 10}, {90, 90}, {10, 90}, {50, 120}},
                                           {{400, 400}, {1600, 400}, {1600, 1600}, {400, 1600}, {1000, 2050}})));
    ASSERT_TRUE(f.idx.equals(5));
    const Segment third = segment(f, 3);

    e.load(e.put("round.ini", kStartupSave));

    EXPECT_TRUE(f.idx.equals(5));
    EXPECT_EQ(segment(f, 3), third);
    EXPECT_EQ(f.Label17[5].Left, 1000);
    EXPECT_FALSE(f.Line17.exists(6));
    // The ellipse hides the polygon without deleting it.
    EXPECT_FALSE(f.Line17[3].Visible);
    EXPECT_TRUE(f.Option1.Value);
    EXPECT_EQ(f.Label1.Top, 2370); // and the load completed
}

TEST(LoadPolygon, PolygonReplacesAPolygonTheEditorAlreadyHeld)
{
    Editor e;
    Form1 &f = e.form;
    e.load(e.put("square.ini", squarePolygon()));
    auto triangle = polygonDesign({{0, 0}, {60, 0}, {30, 40}}, {{248, 98}, {1148, 98}, {698, 698}});
    triangle[7] = "\"55\",\"44\",\"33\"";

    e.load(e.put("triangle.ini", triangle));

    EXPECT_TRUE(f.idx.equals(3));
    EXPECT_EQ(segment(f, 1), (Segment{300, 150, 750, 750}));
    EXPECT_EQ(segment(f, 2), (Segment{1200, 150, 300, 150}));
    EXPECT_EQ(segment(f, 3), (Segment{750, 750, 1200, 150}));
    EXPECT_EQ(f.Label17[3].Left, 698);
    EXPECT_FALSE(f.Line17.exists(4));
    EXPECT_FALSE(f.Label17.exists(4));
    EXPECT_EQ(f.Text3.Text, "33");
}

// A "true" given as a number in text form counts as true when the file is
// read; it must count as true when the polygon is built too.
TEST(LoadPolygon, PolygonFlagWrittenAsQuotedNumberBuildsThePolygon)
{
    Editor e;
    Form1 &f = e.form;
    auto lines = squarePolygon();
    lines[3] = "#FALSE#,#FALSE#,\"-1\"";

    e.load(e.put("a.ini", lines));

    EXPECT_TRUE(f.idx.equals(4));
    EXPECT_TRUE(f.Line17.exists(4));
    EXPECT_TRUE(f.Option3.Value);
}

// ---- Save, load, save.

class RoundTrip : public ::testing::Test {
protected:
    // Saves `a`, loads that file into a fresh editor and saves again.
    std::pair<std::string, std::string> roundTrip(Editor &a)
    {
        const std::string first = a.save("first.ini");
        b.fake.registeredPictures = a.fake.registeredPictures;
        b.load(a.file("first.ini"));
        return {first, b.save("second.ini")};
    }

    // A design that differs from the start in everything but the base shape.
    static void design(Editor &a)
    {
        Form1 &f = a.form;
        const std::string picture = "/home/ユーザー/写真/時計の文字盤.jpg";
        a.fake.registeredPictures[picture] = {400, 300};
        a.fake.openAnswers.push_back(picture);
        f.Command1.Click();
        f.Image1.Left = 300;
        f.Image1.Top = 150;
        f.Image1.Width = 3000;
        f.Image1.Height = 2000;
        f.Image2.Left = 333;
        f.Image2.Top = 222;
        f.Image2.Width = 1777;
        f.Image2.Height = 1333;
        f.Check1.setValue(0);
        f.Check3.setValue(0);
        a.fake.colourAnswers = {0x102030, 0x405060, 0x708090, 0xA0B0C0};
        for (form::CommandButton *b : {&f.Command4, &f.Command5, &f.Command6, &f.Command7})
            b->Click();
        // Lengths go as typed.
        f.Text1.Text = "95.5";
        f.Text2.Text = "abc";
        f.Text3.Text = "-100";
    }

    Editor b;
};

TEST_F(RoundTrip, Ellipse)
{
    Editor a;
    design(a);
    const auto [first, second] = roundTrip(a);
    EXPECT_NE(first.find("#TRUE#,#FALSE#,#FALSE#"), std::string::npos);
    EXPECT_NE(first.find(encodeFileText("時計の文字盤")), std::string::npos);
    EXPECT_EQ(second, first);
}

TEST_F(RoundTrip, Rectangle)
{
    Editor a;
    design(a);
    a.form.Option2.setValue(true);
    const auto [first, second] = roundTrip(a);
    EXPECT_NE(first.find("#FALSE#,#TRUE#,#FALSE#"), std::string::npos);
    EXPECT_EQ(second, first);
}

TEST_F(RoundTrip, Polygon)
{
    Editor a;
    design(a);
    Form1 &f = a.form;
    f.Option3.setValue(true);
    f.Command13.Click();
    // Presses on whole pixels of the frame: vertices come back where they were.
    for (const auto &[x, y] : {std::pair{150.0f, 75.0f}, {1500.0f, 30.0f}, {2700.0f, 1800.0f}, {600.0f, 1950.0f}})
        f.Image1.MouseDown(form::LeftButton, 0, x, y);
    f.Image1.MouseUp(form::LeftButton, 0, 0, 0);
    f.Command14.Click();
    ASSERT_TRUE(f.idx.equals(4));

    const auto [first, second] = roundTrip(a);
    EXPECT_EQ(linesOf(first).size(), 9u + 2 * 5);
    EXPECT_EQ(second, first);
}

TEST_F(RoundTrip, WithoutPictureTheEmptyPathComesBackAsAnEmptyText)
{
    Editor a;
    const auto [first, second] = roundTrip(a);
    ASSERT_EQ(first, fileText(kStartupSave));
    // The loaded path is a text, and a text is written in quotes.
    auto expected = kStartupSave;
    expected[1] = "\"\"";
    EXPECT_EQ(second, fileText(expected));

    Editor c;
    c.load(b.file("second.ini"));
    EXPECT_EQ(c.save("third.ini"), second);
}

TEST_F(RoundTrip, VerticesOfANonPolygonDesignAreNotLoadedBack)
{
    Editor a;
    Form1 &f = a.form;
    f.Option3.setValue(true);
    f.Command13.Click();
    for (float x : {150.0f, 900.0f, 1500.0f})
        f.Image1.MouseDown(form::LeftButton, 0, x, x);
    f.Option2.setValue(true);

    const auto [first, second] = roundTrip(a);

    EXPECT_EQ(linesOf(first)[8], "3");
    EXPECT_EQ(linesOf(second)[8], "");
    EXPECT_EQ(linesOf(second).size(), 11u);
    EXPECT_TRUE(b.form.idx.isEmpty());
}

// A count below zero (only a hand-edited file has one) makes both lists
// empty: the loops from 0 to n do not run.
TEST_F(RoundTrip, NegativeVertexCountWritesNoLists)
{
    Editor a;
    auto lines = kStartupSave;
    lines[3] = "#FALSE#,#FALSE#,#TRUE#";
    lines[8] = "-1";
    lines.resize(9);
    a.load(a.put("negative.ini", lines));
    ASSERT_TRUE(a.form.idx.equals(-1));

    auto expected = lines;
    expected[1] = "\"\"";
    EXPECT_EQ(a.save("again.ini"), fileText(expected));
}

} // namespace
} // namespace orbelle::maker
