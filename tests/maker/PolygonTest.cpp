// SPDX-License-Identifier: MIT
// The polygon vertex editor: placing vertices, the closed outline, moving a
// vertex by its number, deleting the last one, the three editing modes and
// their titles, marker colours, and how the vertices live on when the frame
// moves and the design is saved.

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "CaseNames.h"
#include "FakeServices.h"
#include "Form1.h"
#include "MouseRouting.h"

namespace {

using orbelle::testing::PrintTo;

namespace fs = std::filesystem;
namespace form = orbelle::form;
using orbelle::Value;
using orbelle::maker::Form1;
using orbelle::testing::FakeServices;

using Point = std::pair<double, double>; // canvas twips

std::string text(const char *format, double a, double b, double c = 0, double d = 0)
{
    char out[96];
    std::snprintf(out, sizeof out, format, a, b, c, d);
    return out;
}

std::string at(Point p)
{
    return text("%g,%g", p.first, p.second);
}

std::string startOf(const form::Line &l)
{
    return text("%g,%g", l.X1, l.Y1);
}

std::string endOf(const form::Line &l)
{
    return text("%g,%g", l.X2, l.Y2);
}

std::string numberIn(const Value &v)
{
    return v.isEmpty() ? "empty" : text("%g", v.toDouble(), 0);
}

// The frame stands at 300, 150 so that a vertex's canvas place and its place
// on the frame differ; every press below is given as a canvas point.
class Polygon : public ::testing::Test {
protected:
    Polygon()
    {
        fake.folder = "/opt/orbelle";
        editor.Form_Load();
        editor.Image1_MouseDown(form::LeftButton, 0, 1000, 1000);
        editor.Image1_MouseMove(form::LeftButton, 0, 1300, 1150);
        editor.Image1_MouseUp(form::LeftButton, 0, 1000, 1000);
        editor.Option3.setValue(true);
        editor.Command13_Click();
    }

    // A press and release on the frame with the pointer at canvas point p.
    void press(Point p)
    {
        const float x = float(p.first - editor.Image1.Left), y = float(p.second - editor.Image1.Top);
        editor.Image1_MouseDown(form::LeftButton, 0, x, y);
        editor.Image1_MouseUp(form::LeftButton, 0, x, y);
    }

    void place(const std::vector<Point> &vertices)
    {
        for (const Point &p : vertices)
            press(p);
    }

    // Segment i runs from vertex i to vertex i - 1, segment 1 from vertex 1
    // to the last; each marker's corner is 52 twips up and left of its vertex.
    void expectOutline(const std::vector<Point> &v)
    {
        const int n = int(v.size());
        ASSERT_EQ(numberIn(editor.idx), text("%g", n, 0));
        for (int i = 1; i <= n; ++i) {
            ASSERT_TRUE(editor.Line17.exists(i) && editor.Label17.exists(i)) << "vertex " << i;
            const Point &from = v[size_t(i - 1)];
            const Point &to = v[size_t(i == 1 ? n - 1 : i - 2)];
            EXPECT_EQ(startOf(editor.Line17[i]), at(from)) << "segment " << i;
            EXPECT_EQ(endOf(editor.Line17[i]), at(to)) << "segment " << i;
            EXPECT_EQ(text("%g,%g", editor.Label17[i].Left, editor.Label17[i].Top),
                      at({from.first - 52, from.second - 52}))
                << "marker " << i;
        }
        EXPECT_FALSE(editor.Line17.exists(n + 1));
        EXPECT_FALSE(editor.Label17.exists(n + 1));
    }

    std::vector<int> markerColours()
    {
        std::vector<int> colours;
        for (int i = 1; i <= editor.vertexCount(); ++i)
            colours.push_back(editor.Label17[i].ForeColor);
        return colours;
    }

    FakeServices fake;
    Form1 editor{fake};
};

const Point P1{900, 600}, P2{2100, 750}, P3{1500, 2100}, P4{600, 1800};
constexpr int W = Form1::kWhite, C = Form1::kCyan;

// ---- Placing vertices.

TEST_F(Polygon, ThreePressesCloseTheOutline)
{
    place({P1, P2, P3});
    EXPECT_EQ(numberIn(editor.idx), "3");
    EXPECT_EQ(startOf(editor.Line17[2]) + "->" + endOf(editor.Line17[2]), "2100,750->900,600");
    EXPECT_EQ(startOf(editor.Line17[3]) + "->" + endOf(editor.Line17[3]), "1500,2100->2100,750");
    EXPECT_EQ(startOf(editor.Line17[1]) + "->" + endOf(editor.Line17[1]), "900,600->1500,2100");
    for (int i = 1; i <= 3; ++i) {
        const form::Label &marker = editor.Label17[i];
        EXPECT_TRUE(marker.Visible) << i;
        EXPECT_EQ(marker.ForeColor, Form1::kMagenta) << i;
        EXPECT_EQ(marker.Caption, "●") << i;
        EXPECT_EQ(marker.Width, 105) << i;
        const form::Line &segment = editor.Line17[i];
        EXPECT_TRUE(segment.Visible) << i;
        EXPECT_EQ(segment.BorderColor, Form1::kMagenta) << i;
        EXPECT_EQ(segment.BorderWidth, 2) << i;
    }
    EXPECT_EQ(text("%g,%g", editor.Label17[2].Left, editor.Label17[2].Top), "2048,698");
    expectOutline({P1, P2, P3});
    // Presses place vertices; the frame stays.
    EXPECT_EQ(text("%g,%g", editor.Image1.Left, editor.Image1.Top), "300,150");
    EXPECT_FALSE(editor.Line17[0].Visible);
    EXPECT_FALSE(editor.Label17[0].Visible);
}

TEST_F(Polygon, OutlineStaysAPointOnTheFirstVertexUntilTheThird)
{
    press(P1);
    EXPECT_EQ(numberIn(editor.idx), "1");
    EXPECT_EQ(startOf(editor.Line17[1]) + "->" + endOf(editor.Line17[1]), "900,600->900,600");
    EXPECT_TRUE(editor.Line17[1].Visible);
    EXPECT_TRUE(editor.Label17[1].Visible);

    press(P2);
    EXPECT_EQ(startOf(editor.Line17[1]) + "->" + endOf(editor.Line17[1]), "900,600->900,600");
    EXPECT_EQ(startOf(editor.Line17[2]) + "->" + endOf(editor.Line17[2]), "2100,750->900,600");

    press(P3);
    press(P4);
    expectOutline({P1, P2, P3, P4});
}

TEST_F(Polygon, PressOnAMarkerPlacesNoVertex)
{
    place({P1, P2, P3});
    // The marker of vertex 2 lies over the frame there and takes the press.
    const auto inside = form::deliverMouse(editor.Picture1, form::MouseAction::Down, form::LeftButton, 0,
                                           float(P2.first + 10), float(P2.second + 10));
    EXPECT_EQ(inside.control, &editor.Label17[2]);
    EXPECT_EQ(numberIn(editor.idx), "3");

    // Beside it the frame takes the press and a fourth vertex appears.
    const auto beside = form::deliverMouse(editor.Picture1, form::MouseAction::Down, form::LeftButton, 0,
                                           float(P2.first + 60), float(P2.second));
    EXPECT_EQ(beside.control, &editor.Image1);
    expectOutline({P1, P2, P3, {P2.first + 60, P2.second}});
}

// ---- Moving a vertex.

struct Correction {
    const char *name;
    const char *selector;
    int moved; // the vertex that goes to Q
};

class VertexCorrection : public Polygon, public ::testing::WithParamInterface<Correction> {};

TEST_P(VertexCorrection, MovesTheNamedVertexWithBothItsSegments)
{
    place({P1, P2, P3, P4});
    editor.Command15_Click();
    editor.Text4.Text = GetParam().selector;
    const Point q{1950, 1650};
    press(q);

    std::vector<Point> expected{P1, P2, P3, P4};
    expected[size_t(GetParam().moved - 1)] = q;
    expectOutline(expected);
    // The frame and the mode stay as they were.
    EXPECT_EQ(text("%g,%g", editor.Image1.Left, editor.Image1.Top), "300,150");
    EXPECT_EQ(numberIn(editor.Tflag), "2");
    EXPECT_EQ(numberIn(editor.flag), "0");
}

INSTANTIATE_TEST_SUITE_P(Selectors, VertexCorrection,
                         ::testing::Values(Correction{"Last", "4", 4}, Correction{"Second", "2", 2},
                                           Correction{"First", "1", 1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Polygon, CorrectionFollowsTheSpinControl)
{
    place({P1, P2, P3, P4});
    editor.Command15_Click();
    editor.UpDown1.stepUp();
    editor.UpDown1.stepUp();
    ASSERT_EQ(editor.Text4.Text, "3");
    press({450, 450});
    press({480, 420});
    expectOutline({P1, P2, {480, 420}, P4});
}

TEST_F(Polygon, TwoVerticesCannotBeCorrected)
{
    place({P1, P2});
    editor.Command15_Click();
    EXPECT_FALSE(editor.Text4.Enabled);
    EXPECT_FALSE(editor.UpDown1.Enabled);
    EXPECT_EQ(editor.Text4.Text, "1");
    editor.Text4.Text = "2";
    press({1800, 1800});
    press({1900, 1900});
    EXPECT_EQ(numberIn(editor.idx), "2");
    EXPECT_EQ(startOf(editor.Line17[1]) + "->" + endOf(editor.Line17[1]), "900,600->900,600");
    EXPECT_EQ(startOf(editor.Line17[2]) + "->" + endOf(editor.Line17[2]), "2100,750->900,600");
    EXPECT_EQ(numberIn(editor.flag), "0");
}

TEST_F(Polygon, ThreeVerticesEnableTheSelector)
{
    place({P1, P2, P3});
    editor.Command15_Click();
    EXPECT_TRUE(editor.Text4.Enabled);
    EXPECT_TRUE(editor.UpDown1.Enabled);
    EXPECT_EQ(editor.UpDown1.Max, 3);
}

class SelectorNamingNoVertex : public Polygon, public ::testing::WithParamInterface<const char *> {};

TEST_P(SelectorNamingNoVertex, LeavesThePolygonAlone)
{
    place({P1, P2, P3, P4});
    editor.Command15_Click();
    editor.Text4.Text = GetParam();
    EXPECT_NO_THROW(press({1950, 1650}));
    EXPECT_NO_THROW(editor.UpDown1_Change());
    expectOutline({P1, P2, P3, P4});
    EXPECT_EQ(numberIn(editor.flag), "0");
}

INSTANTIATE_TEST_SUITE_P(Texts, SelectorNamingNoVertex, ::testing::Values("0", "5", "-1", "abc", "", "70000"),
                         [](const auto &info) {
                             std::string name = "Text";
                             for (const char *c = info.param; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name + std::to_string(info.index);
                         });

// ---- Marker colours in the correction mode.

TEST_F(Polygon, CorrectionModeColoursTheSelectedMarkerCyanAndTheRestWhite)
{
    place({P1, P2, P3, P4});
    editor.Label17[0].Visible = true;
    editor.Command15_Click();
    EXPECT_EQ(markerColours(), (std::vector<int>{C, W, W, W}));
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(editor.Label17[i].Visible) << i;
    EXPECT_FALSE(editor.Label17[0].Visible);
    EXPECT_EQ(editor.Text4.Text, "1");
    EXPECT_EQ(editor.UpDown1.Max, 4);

    editor.UpDown1.stepUp();
    editor.UpDown1.stepUp();
    EXPECT_EQ(editor.Text4.Text, "3");
    EXPECT_EQ(markerColours(), (std::vector<int>{W, W, C, W}));

    // Up to the last vertex and no further.
    editor.UpDown1.stepUp();
    editor.UpDown1.stepUp();
    EXPECT_EQ(editor.Text4.Text, "4");
    EXPECT_EQ(markerColours(), (std::vector<int>{W, W, W, C}));
}

TEST_F(Polygon, VerticesAddedAfterEnteringCorrectionAreReachedByTheSpin)
{
    place({P1, P2, P3});
    editor.Command15_Click();
    editor.Command13_Click();
    place({P4, {400, 400}});
    editor.Command15_Click();
    for (int i = 0; i < 4; ++i)
        editor.UpDown1.stepUp();
    EXPECT_EQ(editor.Text4.Text, "5");
    EXPECT_EQ(markerColours(), (std::vector<int>{W, W, W, W, C}));
}

TEST_F(Polygon, CorrectionWithoutVerticesShowsZero)
{
    editor.Command15_Click();
    EXPECT_EQ(editor.Text4.Text, "0");
    EXPECT_FALSE(editor.Text4.Enabled);
    EXPECT_EQ(editor.Caption, Form1::kTitleCorrect);
}

// ---- Deleting the last vertex.

TEST_F(Polygon, DeletingFromFourClosesTheOutlineOnTheThird)
{
    place({P1, P2, P3, P4});
    editor.Command15_Click();
    editor.UpDown1.stepUp();
    editor.Command16_Click();
    expectOutline({P1, P2, P3});
    EXPECT_EQ(editor.Text4.Text, "3");
    // Deleting leaves the selector's state and the colours alone.
    EXPECT_TRUE(editor.Text4.Enabled);
    EXPECT_EQ(editor.UpDown1.Max, 4);
    EXPECT_EQ(markerColours(), (std::vector<int>{W, C, W}));
    EXPECT_EQ(numberIn(editor.Tflag), "2");
}

TEST_F(Polygon, DeletingDownToNothingDisablesTheSelectorAndCountsZero)
{
    place({P1, P2, P3});
    editor.Command15_Click();
    editor.Command16_Click();
    // Deleting closes the outline on the new last vertex even with two
    // left, where placing two leaves it a point on vertex 1.
    expectOutline({P1, P2});
    EXPECT_EQ(endOf(editor.Line17[1]), at(P2));
    EXPECT_EQ(editor.Text4.Text, "2");
    editor.Command16_Click();
    EXPECT_EQ(editor.Text4.Text, "1");
    EXPECT_TRUE(editor.Text4.Enabled);

    editor.Command16_Click();
    EXPECT_EQ(numberIn(editor.idx), "0");
    EXPECT_EQ(editor.Text4.Text, "0");
    EXPECT_FALSE(editor.Text4.Enabled);
    EXPECT_FALSE(editor.UpDown1.Enabled);
    EXPECT_FALSE(editor.Line17.exists(1));
    EXPECT_FALSE(editor.Label17.exists(1));
    EXPECT_TRUE(editor.Line17.exists(0));
    EXPECT_TRUE(editor.Label17.exists(0));

    EXPECT_NO_THROW(editor.Command16_Click());
    EXPECT_EQ(numberIn(editor.idx), "0");
}

TEST_F(Polygon, DeletingWithNoVertexYetDoesNothing)
{
    EXPECT_NO_THROW(editor.Command16_Click());
    EXPECT_EQ(numberIn(editor.idx), "empty");
    EXPECT_EQ(editor.Text4.Text, "1");
}

TEST_F(Polygon, VerticesPlacedAfterADeletionTakeItsPlace)
{
    place({P1, P2, P3, P4});
    editor.Command16_Click();
    editor.Command16_Click();
    press({1200, 1200});
    expectOutline({P1, P2, {1200, 1200}});
}

// ---- The modes.

struct Mode {
    const char *name;
    void (Form1::*button)();
    const char *title;
    const char *tflag;
};

class ModeButton : public Polygon, public ::testing::WithParamInterface<Mode> {};

TEST_P(ModeButton, SetsTitleAndMode)
{
    (editor.*GetParam().button)();
    EXPECT_EQ(editor.Caption, GetParam().title);
    EXPECT_EQ(numberIn(editor.Tflag), GetParam().tflag);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, ModeButton,
    ::testing::Values(Mode{"Creation", &Form1::Command13_Click, "オルベルメーカー (多角形作成モード)", "1"},
                      Mode{"Normal", &Form1::Command14_Click, "オルベルメーカー (通常ﾓｰﾄﾞ)", "0"},
                      Mode{"Correction", &Form1::Command15_Click, "オルベルメーカー (修正モード)", "2"}),
    [](const auto &info) { return std::string(info.param.name); });

std::vector<bool> visibility(std::initializer_list<const form::Control *> controls)
{
    std::vector<bool> shown;
    for (const form::Control *c : controls)
        shown.push_back(c->Visible);
    return shown;
}

TEST_F(Polygon, CreationHidesTheHandsAreaAndTheFrameGripsButNoVertex)
{
    place({P1, P2, P3});
    editor.Command14_Click();
    editor.Image1_MouseDown(form::LeftButton, 0, 100, 100);
    editor.Image1_MouseUp(form::LeftButton, 0, 100, 100);
    editor.Command15_Click();
    ASSERT_TRUE(editor.Label5.Visible);
    ASSERT_TRUE(editor.Label17[2].Visible);

    editor.Command13_Click();

    for (const form::Control *c : std::initializer_list<const form::Control *>{
             &editor.Image2, &editor.Shape2, &editor.Label1, &editor.Line1, &editor.Line2, &editor.Line3,
             &editor.Line4, &editor.Line5, &editor.Label4[0], &editor.Label5, &editor.Label6, &editor.Label7})
        EXPECT_FALSE(c->Visible) << c->displayName();
    for (int i = 1; i <= 3; ++i) {
        EXPECT_TRUE(editor.Label17[i].Visible) << i;
        EXPECT_TRUE(editor.Line17[i].Visible) << i;
    }
    // The correction colours stay until the next correction.
    EXPECT_EQ(markerColours(), (std::vector<int>{C, W, W}));
    press(P4);
    expectOutline({P1, P2, P3, P4});
    EXPECT_EQ(editor.Label17[4].ForeColor, Form1::kMagenta);
}

TEST_F(Polygon, CorrectionHidesLinesAndHandsAreaButNotTheFrameGrips)
{
    editor.Command14_Click();
    editor.Image1_MouseDown(form::LeftButton, 0, 100, 100);
    editor.Image1_MouseUp(form::LeftButton, 0, 100, 100);
    ASSERT_TRUE(editor.Label5.Visible);
    editor.Command15_Click();
    EXPECT_EQ(visibility({&editor.Line1, &editor.Line2, &editor.Line3, &editor.Line4, &editor.Line5,
                          &editor.Image2, &editor.Shape2, &editor.Label1}),
              std::vector<bool>(8, false));
    EXPECT_EQ(visibility({&editor.Label4[0], &editor.Label5, &editor.Label6, &editor.Label7}),
              std::vector<bool>(4, true));
}

TEST_F(Polygon, NormalModeHidesMarkersKeepsTheOutlineAndLetsTheFrameMove)
{
    place({P1, P2, P3, P4});
    editor.Command15_Click();
    ASSERT_TRUE(editor.Text4.Enabled);
    editor.Command14_Click();

    EXPECT_FALSE(editor.Text4.Enabled);
    EXPECT_FALSE(editor.UpDown1.Enabled);
    for (int i = 0; i <= 4; ++i)
        EXPECT_FALSE(editor.Label17[i].Visible) << i;
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(editor.Line17[i].Visible) << i;
    EXPECT_EQ(visibility({&editor.Shape2, &editor.Line1, &editor.Line2, &editor.Line3, &editor.Line4,
                          &editor.Line5, &editor.Image2}),
              std::vector<bool>(7, true));
    EXPECT_EQ(visibility({&editor.Label4[0], &editor.Label5, &editor.Label6, &editor.Label7}),
              std::vector<bool>(4, false));

    editor.Image1_MouseDown(form::LeftButton, 0, 100, 100);
    editor.Image1_MouseMove(form::LeftButton, 0, 400, 250);
    editor.Image1_MouseUp(form::LeftButton, 0, 100, 100);
    EXPECT_EQ(text("%g,%g", editor.Image1.Left, editor.Image1.Top), "600,300");
    EXPECT_EQ(numberIn(editor.idx), "4");
    expectOutline({P1, P2, P3, P4});
}

// ---- The polygon on the picture and in the saved design.

using orbelle::testing::ScratchFolder;

std::vector<std::string> linesOf(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t end; (end = bytes.find("\r\n", from)) != std::string::npos; from = end + 2)
        lines.push_back(bytes.substr(from, end - from));
    return lines;
}

std::pair<double, double> pairOn(const std::string &line)
{
    const size_t comma = line.find(',');
    return {std::stod(line.substr(0, comma)), std::stod(line.substr(comma + 1))};
}

TEST_F(Polygon, MovingTheFrameKeepsThePolygonOnThePictureAndShiftsTheSavedVertices)
{
    ScratchFolder folder;
    place({P1, P2, P3});
    editor.Command14_Click();
    fake.saveAnswers.push_back((folder / "before.ini").string());
    editor.Command2_Click();

    editor.Image1_MouseDown(form::LeftButton, 0, 100, 100);
    editor.Image1_MouseMove(form::LeftButton, 0, 400, 250);
    editor.Image1_MouseUp(form::LeftButton, 0, 400, 250);
    ASSERT_EQ(text("%g,%g", editor.Image1.Left, editor.Image1.Top), "600,300");
    expectOutline({P1, P2, P3});
    fake.saveAnswers.push_back((folder / "after.ini").string());
    editor.Command2_Click();

    const std::vector<std::string> before = linesOf(folder / "before.ini");
    const std::vector<std::string> after = linesOf(folder / "after.ini");
    // Eight lines of settings, the count, n + 1 vertex rows, n + 1 marker rows.
    ASSERT_EQ(before.size(), 9u + 4 + 4);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(before[2], "-300,-150");
    EXPECT_EQ(after[2], "-600,-300");
    EXPECT_EQ(after[8], "3");
    // Vertex rows 1 to 3, in pixels from the frame's corner.
    const Point vertices[] = {P1, P2, P3};
    for (int i = 1; i <= 3; ++i) {
        const auto [bx, by] = pairOn(before[size_t(9 + i)]);
        const auto [ax, ay] = pairOn(after[size_t(9 + i)]);
        EXPECT_DOUBLE_EQ(bx, (vertices[i - 1].first - 300) / 15) << i;
        EXPECT_DOUBLE_EQ(by, (vertices[i - 1].second - 150) / 15) << i;
        EXPECT_DOUBLE_EQ(ax - bx, -20) << i;
        EXPECT_DOUBLE_EQ(ay - by, -10) << i;
        // The marker rows are canvas twips and do not move.
        EXPECT_EQ(after[size_t(13 + i)], before[size_t(13 + i)]) << i;
    }
}

} // namespace
