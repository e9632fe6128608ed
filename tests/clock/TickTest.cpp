// SPDX-License-Identifier: MIT
// The once-a-second tick: tick marks and hands to the twip, one drawing per
// second, the date check and the alarm with its blinking.

#include <cmath>

#include "ClockFixture.h"

namespace orbelle::testing {
namespace {

struct Segment {
    double x1, y1, x2, y2;
};

void expectSegment(const form::Line &line, const Segment &s)
{
    constexpr double tolerance = 0.01; // twips
    EXPECT_NEAR(line.X1, s.x1, tolerance) << line.displayName();
    EXPECT_NEAR(line.Y1, s.y1, tolerance) << line.displayName();
    EXPECT_NEAR(line.X2, s.x2, tolerance) << line.displayName();
    EXPECT_NEAR(line.Y2, s.y2, tolerance) << line.displayName();
}

// How far a point lies from the ellipse of the given radii around (cx, cy): 1 on it.
double ellipseMeasure(double x, double y, double cx, double cy, double rx, double ry)
{
    return std::pow((x - cx) / rx, 2) + std::pow((y - cy) / ry, 2);
}

class TickTest : public ClockTest {
protected:
    void startWith(const DesignLines &design = {}, const std::string &state = kPlainState)
    {
        writeDesign(design);
        writeState(state);
        start();
    }
    // Draws the face at t: a tick in the second before, then one at t, so
    // that t is drawn whatever second the previous tick saw.
    void drawAt(const form::LocalTime &t)
    {
        form::LocalTime before = t;
        before.second = (t.second + 59) % 60;
        tick(before);
        tick(t);
    }
};

// ------------------------------------------------------ hands and marks

// Hands area centred on 1290, 1260, 2400 x 2400; lengths 100, 90 and 70 %.
TEST_F(TickTest, HandsEndWhereTheirAngleAndLengthPutThem)
{
    startWith();
    Form1 &f = clock.form1;
    const struct {
        int h, m, s;
        form::ControlArray<form::Line> &hand;
        double x2, y2;
    } cases[] = {
        {3, 0, 0, f.Line3, 2130, 1260},
        {12, 30, 0, f.Line3, 1507.40800, 448.62231}, // 375 degrees
        {12, 30, 0, f.Line2, 1290, 2340},            // 180 degrees
        {13, 0, 0, f.Line3, 1710, 532.53866},        // 390 degrees, as 1 o'clock
        // The minute hand moves on with the seconds, the hour hand with the minutes.
        {10, 20, 30, f.Line2, 2195.76421, 1848.21016},
        {10, 20, 30, f.Line3, 646.52267, 720.05841},
        {6, 45, 50, f.Line1, 250.76952, 660},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.h << ':' << c.m << ':' << c.s);
        drawAt(at(c.h, c.m, c.s));
        expectSegment(c.hand[1], {1290, 1260, c.x2, c.y2});
    }
}

TEST_F(TickTest, ShadowsLieOffsetToTheLowerRight)
{
    startWith();
    drawAt(at(3, 0, 0));

    expectSegment(clock.form1.Line3[1], {1290, 1260, 2130, 1260});
    expectSegment(clock.form1.Line3[0], {1320, 1290, 2190, 1320});
    expectSegment(clock.form1.Line2[0], {1310, 1280, 1340, 230});
    expectSegment(clock.form1.Line1[0], {1300, 1270, 1320, 90});
}

TEST_F(TickTest, LengthTextsScaleTheHands)
{
    DesignLines design;
    design.lengths = "\"50\",\"0\",\"150\"";
    startWith(design);
    drawAt(at(3, 15, 15));

    // Second at 90 degrees, 50 %; minute at 91.5 degrees, the default 90 %;
    // hour at 97.5 degrees, 150 %.
    expectSegment(clock.form1.Line1[1], {1290, 1260, 1890, 1260});
    expectSegment(clock.form1.Line2[1], {1290, 1260, 2369.62991, 1288.27110});
    expectSegment(clock.form1.Line3[1], {1290, 1260, 3074.60075, 1494.94715});
}

// Hands area 3000 x 2000 centred on 1600, 1100: marks and hands follow an ellipse.
TEST_F(TickTest, OnAnEllipticFaceMarksAndFullLengthHandsLieOnTheEllipse)
{
    DesignLines design;
    design.hands = "1600,1100,3000,2000";
    startWith(design);
    drawAt(at(10, 0, 10));

    expectSegment(clock.form1.Line4[0], {1600, 100, 1600, 85});
    expectSegment(clock.form1.Line4[1], {2350, 233.97460, 2357.5, 220.98422});
    expectSegment(clock.form1.Line4[3], {3100, 1100, 3115, 1100});
    expectSegment(clock.form1.Line4[10], {300.96189, 600, 287.97151, 592.5});
    for (int i = 0; i < 12; ++i) {
        const form::Line &mark = clock.form1.Line4[i];
        EXPECT_NEAR(ellipseMeasure(mark.X1, mark.Y1, 1600, 1100, 1500, 1000), 1, 1e-5) << i;
        EXPECT_NEAR(ellipseMeasure(mark.X2, mark.Y2, 1600, 1100, 1515, 1015), 1, 1e-5) << i;
    }

    expectSegment(clock.form1.Line1[1], {1600, 1100, 2899.03811, 600}); // 60 degrees
    for (int s : {11, 23, 30, 44, 59}) {
        tick(at(10, 0, s));
        const form::Line &hand = clock.form1.Line1[1];
        EXPECT_NEAR(ellipseMeasure(hand.X2, hand.Y2, 1600, 1100, 1500, 1000), 1, 1e-5) << s;
    }
}

TEST_F(TickTest, TimerEventsWithinOneSecondWorkOnce)
{
    startWith();
    tick(at(7, 15, 5));
    ASSERT_EQ(clock.services.beeps, 3);
    const float minuteX = clock.form1.Line2[1].X2;

    // Same second, though the minute has moved on: nothing is drawn or rung.
    tick(at(7, 15, 5));
    tick(at(7, 45, 5));
    EXPECT_EQ(clock.form1.Line2[1].X2, minuteX);
    EXPECT_EQ(clock.services.beeps, 3);

    tick(at(7, 45, 6));
    expectSegment(clock.form1.Line2[1], {1290, 1260, 210.05922, 1248.69047}); // 270.6 degrees
}

// ------------------------------------------------------------ date check

TEST_F(TickTest, DateCheckOpensTheDialogOnlyOnTheChosenDate)
{
    const struct {
        const char *dateLine; // line 4 of Pt.ini
        int month, day;
        bool opens;
    } cases[] = {{"\"12\",\"24\"", 12, 24, true}, {"\"12\",\"24\"", 12, 23, false},
                 {"\"12\",\"24\"", 11, 24, false}, {"\"3\",\"5\"", 3, 5, true},
                 {"\"03\",\"5\"", 3, 5, false},    {"12,24", 12, 24, true},
                 {"\"0\",\"0\"", 1, 1, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.dateLine << " on " << c.month << '/' << c.day);
        writeDesign();
        writeState(std::string("0,0\r\n\"m\"\r\n\"7\",\"15\"\r\n") + c.dateLine + "\r\n");
        auto fresh = startFresh();
        fresh->services.time = at(10, 0, 1, c.month, c.day);
        fresh->form1.Timer1_Timer();
        EXPECT_EQ(fresh->form2.Visible, c.opens);
        EXPECT_EQ(fresh->form2.Text3.Top, 2640); // the dialog keeps its layout
        EXPECT_TRUE(fresh->form1.mouyoi.equals(0));
    }
}

TEST_F(TickTest, DateCheckRunsOnceAtTheFirstTickOfANewDay)
{
    startWith({}, "0,0\r\n\"m\"\r\n\"7\",\"15\"\r\n\"12\",\"24\"\r\n");
    tick(at(23, 59, 59, 12, 23));
    EXPECT_FALSE(clock.form2.Visible);

    tick(at(0, 0, 0, 12, 24));
    EXPECT_TRUE(clock.form2.Visible);

    clock.form2.Command4_Click();
    tick(at(0, 0, 1, 12, 24));
    tick(at(9, 0, 0, 12, 24));
    EXPECT_FALSE(clock.form2.Visible);
}

// ----------------------------------------------------------------- alarm

// Pt.ini of the fixture sets the alarm to 7:15.
TEST_F(TickTest, AlarmRingsOnEveryWorkingTickOfItsMinute)
{
    startWith();
    clock.form1.Visible = false;
    for (const form::LocalTime &t : {at(7, 14, 59), at(8, 15, 0), at(19, 15, 1), at(0, 0, 3)})
        tick(t);
    EXPECT_EQ(clock.services.beeps, 0);
    EXPECT_FALSE(clock.form2.Visible);

    tick(at(7, 15, 0));
    EXPECT_EQ(clock.services.beeps, 3);
    EXPECT_TRUE(clock.form1.Visible);
    EXPECT_TRUE(clock.form2.Visible);
    EXPECT_EQ(clock.form2.Text3.Top, 645); // alarm mode: the notice shows
    EXPECT_EQ(clock.form1.Timer2.Interval, 3000);

    clock.form2.Hide();
    tick(at(7, 15, 1));
    EXPECT_EQ(clock.services.beeps, 6);
    EXPECT_TRUE(clock.form2.Visible);

    // The next minute of the alarm hour stops the blinking.
    tick(at(7, 16, 0));
    EXPECT_EQ(clock.form1.Timer2.Interval, 0);
    EXPECT_EQ(clock.services.beeps, 6);
}

TEST_F(TickTest, ClosingDuringTheRingSilencesTheMinuteUntilTheNextDay)
{
    startWith();
    tick(at(7, 15, 1));
    clock.form2.Command4_Click();
    EXPECT_TRUE(clock.form1.mouyoi.equals(1));
    EXPECT_FALSE(clock.form2.Visible);

    tick(at(7, 15, 2));
    tick(at(7, 15, 59));
    EXPECT_EQ(clock.services.beeps, 3);
    EXPECT_FALSE(clock.form2.Visible);
    EXPECT_EQ(clock.form1.Timer2.Interval, 0);

    tick(at(7, 15, 2, 6, 16));
    EXPECT_EQ(clock.services.beeps, 6);
}

TEST_F(TickTest, ClosingInMemoModeReArmsAtOnce)
{
    startWith();
    tick(at(7, 15, 1));
    clock.form2.Command4_Click(); // alarm mode: acknowledged
    clock.form1.Picture1_MouseDown(form::RightButton, 0, 300, 300);
    clock.form2.Command4_Click(); // memo mode: armed again
    EXPECT_TRUE(clock.form1.mouyoi.equals(0));

    tick(at(7, 15, 2));
    EXPECT_EQ(clock.services.beeps, 6);
    EXPECT_EQ(clock.form2.Text3.Top, 645);
}

TEST_F(TickTest, AlarmAtTheLastMinuteOfAnHourStopsBlinkingInTheNextHour)
{
    startWith({}, "0,0\r\n\"m\"\r\n\"7\",\"59\"\r\n\"0\",\"0\"\r\n");
    tick(at(7, 59, 30));
    EXPECT_EQ(clock.form1.Timer2.Interval, 3000);
    tick(at(8, 0, 0));
    EXPECT_EQ(clock.form1.Timer2.Interval, 0);
    EXPECT_TRUE(clock.form2.Visible);
    tick(at(8, 1, 1));
    EXPECT_EQ(clock.form1.Timer2.Interval, 0);
}

TEST_F(TickTest, WithoutAnAlarmTimeTheAlarmRingsAtMidnight)
{
    for (const char *state : {"", "0,0\r\n\"\"\r\n\"\",\"\"\r\n\"\",\"\"\r\n"}) {
        SCOPED_TRACE(*state ? "empty texts" : "no Pt.ini");
        writeDesign();
        std::filesystem::remove(folder / "Pt.ini");
        if (*state)
            writeState(state);
        auto fresh = startFresh();
        fresh->services.time = at(23, 59, 59, 6, 14);
        fresh->form1.Timer1_Timer();
        fresh->services.time = at(0, 0, 0, 6, 15);
        fresh->form1.Timer1_Timer();
        EXPECT_EQ(fresh->services.beeps, 3);
    }
}

TEST_F(TickTest, AlarmSetInTheDialogRingsAtItsTime)
{
    startWith({}, "0,0\r\n\"m\"\r\n\"\",\"\"\r\n\"0\",\"0\"\r\n");
    clock.form1.Picture1_MouseDown(form::RightButton, 0, 300, 300);
    clock.form2.Text1.Text = "7";
    clock.form2.Text2.Text = "30";
    clock.form2.Command1_Click();
    clock.form2.Command4_Click();

    tick(at(7, 29, 59));
    EXPECT_EQ(clock.services.beeps, 0);
    tick(at(7, 30, 0));
    EXPECT_EQ(clock.services.beeps, 3);
    EXPECT_TRUE(clock.form2.Visible);
    EXPECT_EQ(clock.form2.Text3.Top, 645);
}

TEST_F(TickTest, BlinkTogglesTheDialogAndBeepsWhenShowing)
{
    startWith();
    tick(at(7, 15, 1));
    ASSERT_TRUE(clock.form2.Visible);

    clock.form1.Timer2_Timer();
    EXPECT_FALSE(clock.form2.Visible);
    EXPECT_EQ(clock.services.beeps, 3);

    clock.form1.Timer2_Timer();
    EXPECT_TRUE(clock.form2.Visible);
    EXPECT_EQ(clock.services.beeps, 4);
}

} // namespace
} // namespace orbelle::testing
