// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Form.h"
#include "Image.h"
#include "Label.h"
#include "Line.h"
#include "MouseRouting.h"
#include "PictureBox.h"

using namespace orbelle::form;

namespace {

// A canvas with a frame-like image, a grip-like label above it and a line
// above both, recording which handler saw what.
struct Canvas : Form {
    PictureBox box{"Picture1"};
    Image frame{"Image1"};
    Label grip{"Label5"};
    Line line{"Line1"};
    std::vector<std::string> log;

    Canvas() : Form("Form1")
    {
        add(box);
        frame.Left = 300;
        frame.Top = 150;
        frame.Width = 1500;
        frame.Height = 1500;
        add(frame, &box);
        grip.Left = 1710;
        grip.Top = 1560;
        grip.Width = 180;
        grip.Height = 180;
        add(grip, &box);
        line.X1 = 0;
        line.Y1 = 0;
        line.X2 = 3000;
        line.Y2 = 3000;
        add(line, &box);
        record(box.MouseDown, "box down");
        record(box.MouseMove, "box move");
        record(box.MouseUp, "box up");
        record(frame.MouseDown, "frame down");
        record(frame.MouseMove, "frame move");
        record(frame.MouseUp, "frame up");
        record(grip.MouseDown, "grip down");
        record(grip.MouseMove, "grip move");
        record(grip.MouseUp, "grip up");
        box.Click = [this] { log.push_back("box click"); };
        frame.Click = [this] { log.push_back("frame click"); };
        grip.Click = [this] { log.push_back("grip click"); };
    }

    void record(std::function<void(int, int, float, float)> &handler, std::string what)
    {
        handler = [this, what](int button, int, float x, float y) {
            log.push_back(what + " " + std::to_string(button) + " " + std::to_string(int(x)) + "," +
                          std::to_string(int(y)));
        };
    }
};

} // namespace

TEST(MouseRouting, TopmostImageOrLabelUnderThePointerTakesItInItsOwnTwips)
{
    Canvas c;
    struct Case {
        float x, y;
        Control *expected;
        float rx, ry;
    } cases[] = {
        {100, 100, nullptr, 100, 100},  // bare canvas (the line takes nothing)
        {300, 150, &c.frame, 0, 0},     // the frame's corner is inside it
        {1799, 1649, &c.grip, 89, 89},  // the grip lies above the frame
        {1800, 1650, &c.grip, 90, 90},
        {1890, 1740, nullptr, 1890, 1740}, // right and bottom edges are outside
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(std::to_string(k.x) + "," + std::to_string(k.y));
        const MouseTarget t = routeMouse(c.box, k.x, k.y);
        EXPECT_EQ(t.control, k.expected);
        EXPECT_FLOAT_EQ(t.x, k.rx);
        EXPECT_FLOAT_EQ(t.y, k.ry);
    }
    c.grip.Visible = false;
    EXPECT_EQ(routeMouse(c.box, 1750, 1600).control, &c.frame);
}

TEST(MouseRouting, PressedControlKeepsMovesAndReleaseUntilTheButtonIsUp)
{
    Canvas c;
    MouseRouter router(c.box);
    router.press(LeftButton, 0, 600, 450);
    // Over the grip and then over the bare canvas: still the frame's, in
    // twips from its corner, negative where the pointer is left of it.
    router.move(LeftButton, 0, 1800, 1650);
    router.move(LeftButton, 0, 0, 3000);
    router.release(LeftButton, 0, 0, 3000);
    EXPECT_EQ(c.log, (std::vector<std::string>{"frame down 1 300,300", "frame move 1 1500,1500",
                                                "frame move 1 -300,2850", "frame up 1 -300,2850"}));
}

TEST(MouseRouting, MovesWithoutAButtonGoWhereThePointerIs)
{
    Canvas c;
    MouseRouter router(c.box);
    router.press(LeftButton, 0, 600, 450);
    router.release(LeftButton, 0, 600, 450);
    c.log.clear();
    router.move(0, 0, 1800, 1650);
    router.move(0, 0, 100, 100);
    EXPECT_EQ(c.log, (std::vector<std::string>{"grip move 0 90,90", "box move 0 100,100"}));
}

TEST(MouseRouting, ClickOnlyWhereThePressAndTheReleaseMeet)
{
    struct Case {
        float pressX, pressY, releaseX, releaseY;
        const char *click; // nullptr: none
    } cases[] = {
        {100, 100, 120, 90, "box click"},
        {600, 450, 700, 500, "frame click"},
        {600, 450, 100, 100, nullptr},   // pressed on the frame, released on the canvas
        {100, 100, 600, 450, nullptr},   // pressed on the canvas, released on the frame
        {1800, 1650, 1801, 1651, "grip click"},
    };
    for (const Case &k : cases) {
        Canvas c;
        MouseRouter router(c.box);
        router.press(LeftButton, 0, k.pressX, k.pressY);
        router.release(LeftButton, 0, k.releaseX, k.releaseY);
        const std::string last = c.log.back();
        if (k.click)
            EXPECT_EQ(last, k.click);
        else
            EXPECT_EQ(last.find("click"), std::string::npos) << last;
    }
}

TEST(MouseRouting, ReleaseOfAControlRemovedDuringThePressGoesWhereItFalls)
{
    Canvas c;
    MouseRouter router(c.box);
    c.grip.MouseDown = [&c](int, int, float, float) { c.remove(c.grip); };
    router.press(LeftButton, 0, 1750, 1600);
    router.move(LeftButton, 0, 1750, 1600);
    router.release(LeftButton, 0, 1750, 1600);
    EXPECT_EQ(c.log, (std::vector<std::string>{"frame move 1 1450,1450", "frame up 1 1450,1450"}));
}

TEST(MouseRouting, APressTheBoxTakesIsTheBoxsAloneUntilItsRelease)
{
    Canvas c;
    // The box takes middle presses only, as the editor's panning does.
    c.box.MouseDragDown = [&c](int button, int, float x, float y) {
        if (button != MiddleButton)
            return false;
        c.log.push_back("box drag down " + std::to_string(int(x)) + "," + std::to_string(int(y)));
        return true;
    };
    c.record(c.box.MouseDragMove, "box drag move");
    c.record(c.box.MouseDragUp, "box drag up");
    MouseRouter router(c.box);
    // Pressed over the frame, moved over the grip, let go over the frame
    // again: neither sees any of it, and no click follows.
    router.press(MiddleButton, 0, 600, 450);
    router.move(MiddleButton, 0, 1800, 1650);
    router.release(MiddleButton, 0, 600, 450);
    EXPECT_EQ(c.log, (std::vector<std::string>{"box drag down 600,450", "box drag move 4 1800,1650",
                                                "box drag up 4 600,450"}));
    // A press it leaves goes to the control beneath, as always.
    c.log.clear();
    router.press(LeftButton, 0, 600, 450);
    router.release(LeftButton, 0, 600, 450);
    EXPECT_EQ(c.log, (std::vector<std::string>{"frame down 1 300,300", "frame up 1 300,300", "frame click"}));
}
