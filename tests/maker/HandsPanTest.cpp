// SPDX-License-Identifier: MIT
// The hands group of the editor (visibility switches, colour buttons, length
// spin controls) and the four panning buttons with their repeat timer.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "CaseNames.h"
#include "FakeServices.h"
#include "Form1.h"
#include "Units.h"

namespace orbelle::maker {
namespace {

using orbelle::testing::PrintTo;

using testing::FakeServices;

constexpr double kPi = 3.14159265358979;

// An editor after start-up.
struct Editor {
    FakeServices fake;
    Form1 form{fake};
    Editor() { form.Load(); }
};

// ---- Colours.

// Every colour the hands group drives, by the control and property that holds it.
std::map<std::string, int> colours(const Form1 &f)
{
    return {
        {"Label2.BackColor", f.Label2.BackColor}, {"Label3.BackColor", f.Label3.BackColor},
        {"Label8.BackColor", f.Label8.BackColor}, {"Label9.BackColor", f.Label9.BackColor},
        {"Shape2.BorderColor", f.Shape2.BorderColor}, {"Line1.BorderColor", f.Line1.BorderColor},
        {"Line2.BorderColor", f.Line2.BorderColor}, {"Line3.BorderColor", f.Line3.BorderColor},
        {"Line4.BorderColor", f.Line4.BorderColor}, {"Line5.BorderColor", f.Line5.BorderColor},
        {"Label1.ForeColor", f.Label1.ForeColor},
        // Neither the frame outline nor the grips of the frame belong to a row.
        {"Shape1.BorderColor", f.Shape1.BorderColor}, {"Label5.ForeColor", f.Label5.ForeColor},
    };
}

struct ColourRow {
    const char *name;
    form::CommandButton Form1::*button;
    std::vector<std::string> recoloured;
    friend void PrintTo(const ColourRow &r, std::ostream *os) { *os << r.name; }
};

const ColourRow kColourRows[] = {
    {"Ticks", &Form1::Command4,
     {"Label2.BackColor", "Shape2.BorderColor", "Line1.BorderColor", "Line2.BorderColor", "Label1.ForeColor"}},
    {"SecondHand", &Form1::Command5, {"Label3.BackColor", "Line3.BorderColor"}},
    {"MinuteHand", &Form1::Command6, {"Label8.BackColor", "Line4.BorderColor"}},
    {"HourHand", &Form1::Command7, {"Label9.BackColor", "Line5.BorderColor"}},
};

class ColourButton : public ::testing::TestWithParam<ColourRow> {};

TEST_P(ColourButton, RecoloursItsSwatchAndItsCanvasElementsOnly)
{
    Editor e;
    const int chosen = 0x123456;
    e.fake.colourAnswers = {chosen};
    auto expected = colours(e.form);
    for (const std::string &key : GetParam().recoloured)
        expected[key] = chosen;

    (e.form.*GetParam().button).Click();

    EXPECT_EQ(colours(e.form), expected);
}

TEST_P(ColourButton, CancelChangesNothingAndForgetsNothing)
{
    Editor e;
    // A colour chosen in another row before: the dialog keeps offering it.
    e.fake.colourAnswers = {0x00FFFF, std::nullopt};
    e.form.Command7.Click();
    const auto before = colours(e.form);

    (e.form.*GetParam().button).Click();
    e.form.Command7.Click(); // no answer left: cancelled again

    EXPECT_EQ(colours(e.form), before);
    EXPECT_EQ(e.fake.colourRequests, (std::vector<int>{0, 0x00FFFF, 0x00FFFF}));
}

INSTANTIATE_TEST_SUITE_P(Rows, ColourButton, ::testing::ValuesIn(kColourRows),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ColourDialog, OpensOnTheColourItGaveLastWhicheverRowAsked)
{
    Editor e;
    e.fake.colourAnswers = {form::rgb(0, 255, 0), std::nullopt, 0x0000C0, 0x0000C0};

    e.form.Command5.Click(); // second hand: green
    e.form.Command6.Click(); // minute hand: cancelled
    e.form.Command4.Click(); // ticks
    e.form.Command7.Click(); // hour hand

    // Black before the first choice; the row's own colour never primes it.
    EXPECT_EQ(e.fake.colourRequests,
              (std::vector<int>{0, form::rgb(0, 255, 0), form::rgb(0, 255, 0), 0x0000C0}));
    EXPECT_EQ(e.form.Label3.BackColor, form::rgb(0, 255, 0));
    EXPECT_EQ(e.form.Label8.BackColor, Form1::kGreen);
}

// ---- Visibility switches.

std::map<std::string, bool> shown(const Form1 &f)
{
    return {{"Shape2", f.Shape2.Visible}, {"Line1", f.Line1.Visible}, {"Line2", f.Line2.Visible},
            {"Line3", f.Line3.Visible},   {"Line4", f.Line4.Visible}, {"Line5", f.Line5.Visible},
            {"Label1", f.Label1.Visible}, {"Image2", f.Image2.Visible}, {"Shape1", f.Shape1.Visible}};
}

struct Switch {
    const char *name;
    form::CheckBox Form1::*box;
    const char *element;
    friend void PrintTo(const Switch &s, std::ostream *os) { *os << s.name; }
};

class VisibilitySwitch : public ::testing::TestWithParam<Switch> {};

TEST_P(VisibilitySwitch, HidesAndShowsItsOwnElementOnly)
{
    Editor e;
    form::CheckBox &box = e.form.*GetParam().box;
    auto expected = shown(e.form);

    box.setValue(0);
    expected[GetParam().element] = false;
    EXPECT_EQ(shown(e.form), expected);

    box.setValue(1);
    expected[GetParam().element] = true;
    EXPECT_EQ(shown(e.form), expected);

    // A greyed box counts as ticked.
    box.setValue(0);
    box.setValue(2);
    EXPECT_EQ(shown(e.form), expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, VisibilitySwitch,
                         ::testing::Values(Switch{"Ticks", &Form1::Check1, "Shape2"},
                                           Switch{"SecondHand", &Form1::Check2, "Line3"},
                                           Switch{"MinuteHand", &Form1::Check3, "Line4"},
                                           Switch{"HourHand", &Form1::Check4, "Line5"}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- Lengths and hand placement.

struct Point {
    double x, y;
};

// Where a hand of the given length and angle ends on a hands area.
Point tip(const form::Image &area, double percent, double degrees)
{
    const double cx = area.Left + area.Width / 2.0;
    const double cy = area.Top + area.Height / 2.0;
    const double a = degrees * kPi / 180;
    return {cx + percent / 100 * area.Width / 2 * std::sin(a), cy - percent / 100 * area.Height / 2 * std::cos(a)};
}

void expectHand(const form::Line &line, const form::Image &area, double percent, double degrees)
{
    SCOPED_TRACE(line.name() + " at " + std::to_string(percent) + "%");
    const Point end = tip(area, percent, degrees);
    EXPECT_NEAR(line.X1, area.Left + area.Width / 2.0, 0.01);
    EXPECT_NEAR(line.Y1, area.Top + area.Height / 2.0, 0.01);
    EXPECT_NEAR(line.X2, end.x, 0.01);
    EXPECT_NEAR(line.Y2, end.y, 0.01);
}

struct Ends {
    float x1, y1, x2, y2;
    friend bool operator==(const Ends &, const Ends &) = default;
};

Ends ends(const form::Line &l) { return {l.X1, l.Y1, l.X2, l.Y2}; }

TEST(LengthSpin, UpArrowOnSecondHandWritesTheNumberAndReplacesAllThreeHands)
{
    Editor e;
    Form1 &f = e.form;
    // Typed lengths and a moved hands area reach the preview only at the
    // next placement.
    f.Text2.Text = "50";
    f.Text3.Text = "-100";
    f.Image2.Left = 390;
    f.Image2.Top = 210;
    f.Image2.Width = 2000;
    f.Image2.Height = 1000;

    f.UpDown3.stepUp();

    EXPECT_EQ(f.Text1.Text, "110");
    expectHand(f.Line3, f.Image2, 110, 60);
    expectHand(f.Line4, f.Image2, 50, 181);
    expectHand(f.Line5, f.Image2, -100, 315);
}

TEST(LengthSpin, MinuteSpinReplacesTheOtherHandsOnTheSameEndPoints)
{
    Editor e;
    Form1 &f = e.form;
    const Ends second = ends(f.Line3), minute = ends(f.Line4), hour = ends(f.Line5);
    // Start-up places the hands at about 10:30:10.
    EXPECT_NEAR(second.x2, 2329.23, 0.01);
    EXPECT_NEAR(second.y2, 660, 0.01);
    EXPECT_NEAR(minute.x2, 1271.15, 0.01);
    EXPECT_NEAR(minute.y2, 2339.84, 0.01);
    EXPECT_NEAR(hour.x2, 696.03, 0.01);
    EXPECT_NEAR(hour.y2, 666.03, 0.01);

    f.UpDown4.stepUp();
    EXPECT_EQ(f.Text2.Text, "100");
    EXPECT_EQ(ends(f.Line3), second);
    EXPECT_EQ(ends(f.Line5), hour);
    expectHand(f.Line4, f.Image2, 100, 181);

    f.UpDown4.stepDown();
    EXPECT_EQ(f.Text2.Text, "90");
    EXPECT_EQ(ends(f.Line4), minute);
}

struct SpinCase {
    const char *name;
    const char *typed;
    bool up;
    const char *shows;
    bool replaces; // whether the hands are placed again
    friend void PrintTo(const SpinCase &c, std::ostream *os) { *os << c.name; }
};

class LengthSpinStep : public ::testing::TestWithParam<SpinCase> {};

TEST_P(LengthSpinStep, WritesTheNumberItReaches)
{
    const SpinCase &c = GetParam();
    struct Row {
        form::UpDown Form1::*spin;
        form::TextBox Form1::*box;
    };
    for (const Row row : {Row{&Form1::UpDown3, &Form1::Text1}, Row{&Form1::UpDown4, &Form1::Text2},
                          Row{&Form1::UpDown5, &Form1::Text3}}) {
        Editor e;
        Form1 &f = e.form;
        SCOPED_TRACE((f.*row.spin).name());
        (f.*row.box).Text = c.typed;
        // Marks that show whether the hands were placed again.
        f.Line4.X2 = f.Line3.X2 = f.Line5.X2 = -1;

        c.up ? (f.*row.spin).stepUp() : (f.*row.spin).stepDown();

        EXPECT_EQ((f.*row.box).Text, c.shows);
        for (const form::Line *hand : {&f.Line3, &f.Line4, &f.Line5})
            EXPECT_EQ(hand->X2 != -1, c.replaces) << hand->name();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LengthSpinStep,
    ::testing::Values(SpinCase{"Up", "100", true, "110", true}, SpinCase{"Down", "100", false, "90", true},
                      SpinCase{"UpToTheTop", "595", true, "600", true},
                      SpinCase{"UpAtTheTop", "600", true, "600", false},
                      SpinCase{"DownToTheBottom", "-95", false, "-100", true},
                      SpinCase{"DownAtTheBottom", "-100", false, "-100", false},
                      SpinCase{"DownAtTheTop", "600", false, "590", true},
                      SpinCase{"OffTheGridUp", "85", true, "95", true},
                      SpinCase{"OffTheGridDown", "85", false, "75", true},
                      SpinCase{"NoNumberCountsFromZeroUp", "abc", true, "10", true},
                      SpinCase{"NoNumberCountsFromZeroDown", "abc", false, "-10", true},
                      SpinCase{"EmptyCountsFromZero", "", true, "10", true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LengthSpin, HiddenSecondHandIsStillPlacedAndReappearsThere)
{
    Editor e;
    Form1 &f = e.form;
    f.Check2.setValue(0);

    f.UpDown3.stepUp();
    ASSERT_FALSE(f.Line3.Visible);
    expectHand(f.Line3, f.Image2, 110, 60);
    const Ends placed = ends(f.Line3);

    f.Check2.setValue(1);
    EXPECT_TRUE(f.Line3.Visible);
    EXPECT_EQ(ends(f.Line3), placed);
}

TEST(LengthSpin, ALengthThatIsNoNumberLeavesOnlyItsOwnHand)
{
    Editor e;
    Form1 &f = e.form;
    const Ends second = ends(f.Line3);
    f.Text1.Text = "abc";
    f.Text3.Text = "84.5"; // halves go to the even neighbour: 84
    f.Image2.Left = 0;

    f.UpDown4.stepUp();

    EXPECT_EQ(ends(f.Line3), second);
    expectHand(f.Line4, f.Image2, 100, 181);
    expectHand(f.Line5, f.Image2, 84, 315);
}

// ---- Panning.

struct PanButton {
    const char *name;
    form::CommandButton Form1::*button;
    int code;
    float clickDx, clickDy;   // one click step
    float repeatDx, repeatDy; // one repeat step
    friend void PrintTo(const PanButton &b, std::ostream *os) { *os << b.name; }
};

const PanButton kPanButtons[] = {
    {"Up", &Form1::Command9, 1, 0, 35, 0, 50},
    {"Down", &Form1::Command10, 2, 0, -35, 0, -50},
    {"Left", &Form1::Command11, 3, 25, 0, 40, 0},
    {"Right", &Form1::Command12, 4, -25, 0, -40, 0},
};

class Panning : public ::testing::TestWithParam<PanButton> {};

TEST_P(Panning, KeyboardClickMovesTheCanvasOneClickStep)
{
    Editor e;
    Form1 &f = e.form;
    const PanButton &b = GetParam();

    (f.*b.button).Click();

    EXPECT_EQ(f.Picture1.Left, 2850 + b.clickDx);
    EXPECT_EQ(f.Picture1.Top, 45 + b.clickDy);
    EXPECT_EQ(f.Timer1.Interval, 0);
    EXPECT_TRUE(f.poPic.isEmpty());
}

TEST_P(Panning, MouseClickMovesTwoClickStepsAndLeavesTheRepeatStopped)
{
    Editor e;
    Form1 &f = e.form;
    const PanButton &b = GetParam();
    form::CommandButton &button = f.*b.button;

    button.MouseDown(form::LeftButton, 0, 100, 100);
    EXPECT_EQ(f.Timer1.Interval, 100);
    EXPECT_TRUE(f.poPic.equals(b.code));
    button.MouseUp(form::LeftButton, 0, 100, 100);
    EXPECT_EQ(f.Timer1.Interval, 0);
    button.Click();

    EXPECT_EQ(f.Picture1.Left, 2850 + 2 * b.clickDx);
    EXPECT_EQ(f.Picture1.Top, 45 + 2 * b.clickDy);
    EXPECT_TRUE(f.poPic.equals(b.code)); // the release keeps it
}

TEST_P(Panning, HeldButtonRepeatsUntilReleased)
{
    Editor e;
    Form1 &f = e.form;
    const PanButton &b = GetParam();
    form::CommandButton &button = f.*b.button;

    // The right button gives no click after the release.
    button.MouseDown(form::RightButton, 0, 5, 5);
    EXPECT_EQ(f.Picture1.Left, 2850 + b.clickDx);
    EXPECT_EQ(f.Picture1.Top, 45 + b.clickDy);
    ASSERT_EQ(f.Timer1.Interval, 100);
    f.Timer1.Tick();
    f.Timer1.Tick();
    button.MouseUp(form::RightButton, 0, 5, 5);

    EXPECT_EQ(f.Timer1.Interval, 0);
    EXPECT_EQ(f.Picture1.Left, 2850 + b.clickDx + 2 * b.repeatDx);
    EXPECT_EQ(f.Picture1.Top, 45 + b.clickDy + 2 * b.repeatDy);
}

INSTANTIATE_TEST_SUITE_P(Buttons, Panning, ::testing::ValuesIn(kPanButtons),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(PanningTimer, StepsByTheLastDirectionAnythingElseGoesRight)
{
    struct Case {
        Value poPic;
        float dx, dy;
    };
    const Case cases[] = {
        {1, 0, 50},  {2, 0, -50}, {3, 40, 0},  {4, -40, 0},
        {Value(), -40, 0}, {0, -40, 0}, {7, -40, 0}, {Value("left"), -40, 0},
    };
    for (const Case &c : cases) {
        Editor e;
        SCOPED_TRACE("poPic " + c.poPic.toText());
        e.form.poPic = c.poPic;
        e.form.Timer1.Tick();
        EXPECT_EQ(e.form.Picture1.Left, 2850 + c.dx);
        EXPECT_EQ(e.form.Picture1.Top, 45 + c.dy);
    }
}

// ---- Panning and saving.

std::string bytesOf(const std::filesystem::path &p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(PanningSave, SavedFileIsTheSameBeforeAndAfterPanning)
{
    testing::ScratchFolder folder("orbelle-hands-");
    Editor e;
    Form1 &f = e.form;
    e.fake.folder = folder.path();
    f.Image1.Left = 300;
    f.Image1.Top = 150;
    const auto before = folder.path() / "before.ini";
    const auto after = folder.path() / "after.ini";
    e.fake.saveAnswers = {before.string(), after.string()};

    f.Command2.Click();
    f.Command12.MouseDown(form::LeftButton, 0, 1, 1);
    f.Timer1.Tick();
    f.Command12.MouseUp(form::LeftButton, 0, 1, 1);
    f.Command12.Click();
    f.Command10.Click();
    f.Command2.Click();

    ASSERT_NE(f.Picture1.Left, 2850);
    ASSERT_FALSE(bytesOf(before).empty());
    EXPECT_EQ(bytesOf(after), bytesOf(before));
}

} // namespace
} // namespace orbelle::maker
