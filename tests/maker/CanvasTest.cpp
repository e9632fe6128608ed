// SPDX-License-Identifier: MIT
// The face picture, the picture frame with its grips, the base shape and the
// hands area of the editor: choosing a picture, the drag codes, moving and
// resizing both rectangles, deselecting, drags that reach the bare canvas.
//
// Mouse handlers take positions relative to the control under the pointer at
// its current place; the helpers below turn a canvas point into that, so a
// test speaks of where the pointer is on the canvas.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CaseNames.h"
#include "FakeServices.h"
#include "Form1.h"

namespace {

using orbelle::testing::PrintTo;

using orbelle::Value;
using orbelle::maker::Form1;
using orbelle::testing::FakeServices;
namespace form = orbelle::form;

using MouseHandler = void (Form1::*)(int, int, float, float);
using ClickHandler = void (Form1::*)();

std::string num(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

std::string point(double x, double y)
{
    return num(x) + "," + num(y);
}

// "left,top widthxheight", twips.
std::string rect(double left, double top, double width, double height)
{
    return point(left, top) + " " + num(width) + "x" + num(height);
}

std::string rectOf(const form::Control &c)
{
    return rect(c.Left, c.Top, c.Width, c.Height);
}

std::string cornerOf(const form::Control &c)
{
    return point(c.Left, c.Top);
}

std::string endsOf(double x1, double y1, double x2, double y2)
{
    return point(x1, y1) + "->" + point(x2, y2);
}

std::string endsOf(const form::LineState &l)
{
    return endsOf(l.X1, l.Y1, l.X2, l.Y2);
}

// A variable as a number; an empty one shows as "empty".
std::string numberIn(const Value &v)
{
    return v.isEmpty() ? "empty" : num(v.toDouble());
}

class Canvas : public ::testing::Test {
protected:
    Canvas()
    {
        fake.folder = "/opt/orbelle";
        editor.Form_Load();
    }

    // The pointer at canvas point (x, y) over `target`, as the canvas reports it.
    void at(MouseHandler handler, const form::Control &target, double x, double y)
    {
        (editor.*handler)(form::LeftButton, 0, float(x - target.Left), float(y - target.Top));
    }

    // Drags the frame in the normal mode from (x, y) by (dx, dy), pointer on it throughout.
    void dragFrame(double x, double y, double dx, double dy)
    {
        at(&Form1::Image1_MouseDown, editor.Image1, x, y);
        at(&Form1::Image1_MouseMove, editor.Image1, x + dx, y + dy);
        at(&Form1::Image1_MouseUp, editor.Image1, x + dx, y + dy);
    }

    // Where the four frame grips must stand for the frame as it is now.
    void expectGripsOnFrameCorners()
    {
        const double l = editor.Image1.Left, t = editor.Image1.Top;
        const double r = l + editor.Image1.Width, b = t + editor.Image1.Height;
        EXPECT_EQ(cornerOf(editor.Label4[0]), point(l - 90, t - 90)) << "top-left marker";
        EXPECT_EQ(cornerOf(editor.Label6), point(l - 90, b - 90)) << "bottom-left grip";
        EXPECT_EQ(cornerOf(editor.Label5), point(r - 90, b - 90)) << "bottom-right grip";
        EXPECT_EQ(cornerOf(editor.Label7), point(r - 90, t - 90)) << "top-right grip";
    }

    std::vector<bool> gripVisibility()
    {
        return {editor.Label4[0].Visible, editor.Label5.Visible, editor.Label6.Visible, editor.Label7.Visible,
                editor.Label1.Visible};
    }

    // Places vertices in the creation mode at the canvas points given.
    void drawPolygon(const std::vector<std::pair<double, double>> &vertices)
    {
        editor.Option3.setValue(true);
        editor.Command13_Click();
        for (auto [x, y] : vertices) {
            at(&Form1::Image1_MouseDown, editor.Image1, x, y);
            at(&Form1::Image1_MouseUp, editor.Image1, x, y);
        }
    }

    FakeServices fake;
    Form1 editor{fake};
};

// ---- Choosing the face picture.

TEST_F(Canvas, ChosenPictureFillsTheCanvasAndItsPathIsShownAndKept)
{
    fake.registeredPictures["/faces/sea.jpg"] = {300, 200};
    fake.openAnswers.push_back("/faces/sea.jpg");
    const std::string frame = rectOf(editor.Image1);
    const std::string hands = rectOf(editor.Image2);

    editor.Command1_Click();

    ASSERT_EQ(fake.openRequests.size(), 1u);
    const form::FileDialogRequest &asked = fake.openRequests[0];
    const std::vector<std::pair<std::string, std::string>> filters = {
        {"画像ファイル", "*.jpg;*jpeg;*.gif;*.bmp;*.png"}, {"すべてのファイル(*.*)", "*.*"}};
    EXPECT_EQ(asked.filters, filters);
    EXPECT_EQ(asked.filterIndex, 1);
    ASSERT_TRUE(editor.Picture1.CurrentPicture);
    EXPECT_EQ(editor.Picture1.CurrentPicture->path(), "/faces/sea.jpg");
    // The canvas shows the whole picture inside its 2-pixel border.
    EXPECT_EQ(editor.Picture1.Width, (300 + 4) * 15);
    EXPECT_EQ(editor.Picture1.Height, (200 + 4) * 15);
    EXPECT_EQ(editor.StatusBar1.PanelText, "/faces/sea.jpg");
    EXPECT_EQ(editor.ImageFileName.toText(), "/faces/sea.jpg");
    EXPECT_EQ(rectOf(editor.Image1), frame);
    EXPECT_EQ(rectOf(editor.Image2), hands);

    fake.registeredPictures["/faces/hill.bmp"] = {640, 480};
    fake.openAnswers.push_back("/faces/hill.bmp");
    editor.Command1_Click();
    ASSERT_TRUE(editor.Picture1.CurrentPicture);
    EXPECT_EQ(editor.Picture1.CurrentPicture->path(), "/faces/hill.bmp");
    EXPECT_EQ(editor.Picture1.Width, (640 + 4) * 15);
    EXPECT_EQ(editor.StatusBar1.PanelText, "/faces/hill.bmp");
    EXPECT_EQ(editor.ImageFileName.toText(), "/faces/hill.bmp");
}

struct FailedChoice {
    const char *name;
    std::optional<std::string> answer; // nullopt: the dialog is cancelled
};

class FailedPictureChoice : public Canvas, public ::testing::WithParamInterface<FailedChoice> {};

TEST_P(FailedPictureChoice, LeavesPictureStatusAndPathAsTheyWere)
{
    fake.registeredPictures["/faces/sea.jpg"] = {300, 200};
    fake.unreadablePictures.push_back("/faces/notes.txt");
    fake.openAnswers.push_back("/faces/sea.jpg");
    editor.Command1_Click();
    const auto before = editor.Picture1.CurrentPicture;
    ASSERT_TRUE(before);

    fake.openAnswers.push_back(GetParam().answer);
    editor.Command1_Click();

    EXPECT_EQ(fake.openRequests.size(), 2u);
    EXPECT_EQ(editor.Picture1.CurrentPicture, before);
    EXPECT_EQ(editor.Picture1.Width, (300 + 4) * 15);
    EXPECT_EQ(editor.StatusBar1.PanelText, "/faces/sea.jpg");
    EXPECT_EQ(editor.ImageFileName.toText(), "/faces/sea.jpg");
}

INSTANTIATE_TEST_SUITE_P(Choices, FailedPictureChoice,
                         ::testing::Values(FailedChoice{"Cancel", std::nullopt},
                                           FailedChoice{"TextFile", "/faces/notes.txt"},
                                           FailedChoice{"MissingFile", "/faces/gone.png"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Canvas, FailedFirstChoiceKeepsTheHintAndNoPath)
{
    fake.unreadablePictures.push_back("/faces/notes.txt");
    fake.openAnswers.push_back("/faces/notes.txt");
    editor.Command1_Click();
    EXPECT_FALSE(editor.Picture1.CurrentPicture);
    EXPECT_EQ(editor.StatusBar1.PanelText, Form1::kStatusHint);
    EXPECT_TRUE(editor.ImageFileName.isEmpty());
}

// ---- Selecting and moving the frame.

TEST_F(Canvas, PressOnTheFrameAlignsItsOutlineShowsItsGripsAndHidesTheHandsGrip)
{
    editor.Image1.Left = 300;
    editor.Image1.Top = 150;
    editor.Image1.Width = 2000;
    editor.Image1.Height = 1500;
    ASSERT_TRUE(editor.Label1.Visible);

    at(&Form1::Image1_MouseDown, editor.Image1, 800, 550);

    EXPECT_EQ(numberIn(editor.flag), "1");
    EXPECT_EQ(numberIn(editor.PPPx), "500");
    EXPECT_EQ(numberIn(editor.PPPy), "400");
    EXPECT_EQ(rectOf(editor.Shape1), rect(300, 150, 2000, 1500));
    expectGripsOnFrameCorners();
    EXPECT_EQ(gripVisibility(), (std::vector<bool>{true, true, true, true, false}));
    // A press only selects: nothing is remembered as moved yet.
    EXPECT_EQ(numberIn(editor.SetX), "empty");
}

TEST_F(Canvas, DraggedFrameKeepsThePressedPointUnderThePointer)
{
    at(&Form1::Image1_MouseDown, editor.Image1, 1300, 1300);
    at(&Form1::Image1_MouseMove, editor.Image1, 1450, 1300);
    EXPECT_EQ(rectOf(editor.Image1), rect(150, 0, 2600, 2600));

    // The next position arrives relative to the frame where it now is.
    at(&Form1::Image1_MouseMove, editor.Image1, 1600, 1360);
    EXPECT_EQ(rectOf(editor.Image1), rect(300, 60, 2600, 2600));
    EXPECT_EQ(numberIn(editor.SetX), "300");
    EXPECT_EQ(numberIn(editor.SetY), "60");
    EXPECT_EQ(rectOf(editor.Shape1), rect(300, 60, 2600, 2600));
    expectGripsOnFrameCorners();
    EXPECT_EQ(numberIn(editor.flag), "1");

    at(&Form1::Image1_MouseUp, editor.Image1, 1600, 1360);
    EXPECT_EQ(numberIn(editor.flag), "0");
    EXPECT_EQ(numberIn(editor.SetX), "300");
    EXPECT_EQ(numberIn(editor.SetY), "60");

    // Once released, the pointer passes over the frame without moving it.
    at(&Form1::Image1_MouseMove, editor.Image1, 2000, 2000);
    EXPECT_EQ(rectOf(editor.Image1), rect(300, 60, 2600, 2600));
}

TEST_F(Canvas, MovesOverTheFrameDuringAnotherDragLeaveItAlone)
{
    at(&Form1::Image2_MouseDown, editor.Image2, 1000, 1000);
    ASSERT_EQ(numberIn(editor.flag), "2");
    editor.Image1_MouseMove(form::LeftButton, 0, 1500, 1500);
    editor.Image1_MouseUp(form::LeftButton, 0, 1500, 1500);
    EXPECT_EQ(rectOf(editor.Image1), rect(0, 0, 2600, 2600));
    EXPECT_EQ(numberIn(editor.SetX), "empty");
    EXPECT_EQ(numberIn(editor.flag), "2");
}

struct VertexMode {
    const char *name;
    ClickHandler enter;
};

class FrameInVertexMode : public Canvas, public ::testing::WithParamInterface<VertexMode> {};

TEST_P(FrameInVertexMode, StaysWhereItIsButTheReleaseStillRecordsIt)
{
    dragFrame(1300, 1300, 450, 300);
    editor.Option3.setValue(true);
    (editor.*GetParam().enter)();
    editor.SetX = Value();
    editor.SetY = Value();

    at(&Form1::Image1_MouseDown, editor.Image1, 1500, 1500);
    EXPECT_EQ(numberIn(editor.flag), "1");
    at(&Form1::Image1_MouseMove, editor.Image1, 1650, 1600);
    EXPECT_EQ(rectOf(editor.Image1), rect(450, 300, 2600, 2600));
    at(&Form1::Image1_MouseUp, editor.Image1, 1650, 1600);

    EXPECT_EQ(numberIn(editor.flag), "0");
    EXPECT_EQ(numberIn(editor.SetX), "450");
    EXPECT_EQ(numberIn(editor.SetY), "300");
}

INSTANTIATE_TEST_SUITE_P(Modes, FrameInVertexMode,
                         ::testing::Values(VertexMode{"Creation", &Form1::Command13_Click},
                                           VertexMode{"Correction", &Form1::Command15_Click}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- Resizing the frame with its grips.

struct Grip {
    const char *name;
    form::Label Form1::*label;
    MouseHandler down, move, up;
    int code;
};

const Grip kBottomRight{"BottomRight", &Form1::Label5, &Form1::Label5_MouseDown, &Form1::Label5_MouseMove,
                        &Form1::Label5_MouseUp, 42};
const Grip kBottomLeft{"BottomLeft", &Form1::Label6, &Form1::Label6_MouseDown, &Form1::Label6_MouseMove,
                       &Form1::Label6_MouseUp, 41};
const Grip kTopRight{"TopRight", &Form1::Label7, &Form1::Label7_MouseDown, &Form1::Label7_MouseMove,
                     &Form1::Label7_MouseUp, 43};

struct GripDrag {
    Grip grip;
    double dx, dy;         // pointer movement, twips
    const char *frameAfter; // the frame once moved, "left,top widthxheight"
};

void PrintTo(const GripDrag &c, std::ostream *os)
{
    *os << c.grip.name;
}

class FrameGripDrag : public Canvas, public ::testing::WithParamInterface<GripDrag> {
protected:
    // The frame at 600, 450, moved there by a drag, so SetX and SetY hold it.
    void SetUp() override { dragFrame(1300, 1300, 600, 450); }

    form::Label &grip() { return editor.*(GetParam().grip.label); }
};

TEST_P(FrameGripDrag, ResizesFromTheOppositeCornerAndMovesTheGripsAlong)
{
    const GripDrag &c = GetParam();
    // The pointer goes down on the grip's centre.
    const double x = grip().Left + 90, y = grip().Top + 90;
    at(c.grip.down, grip(), x, y);
    EXPECT_EQ(numberIn(editor.flag), std::to_string(c.grip.code));
    at(c.grip.move, grip(), x + c.dx, y + c.dy);

    EXPECT_EQ(rectOf(editor.Image1), c.frameAfter);
    EXPECT_EQ(rectOf(editor.Shape1), c.frameAfter);
    EXPECT_EQ(numberIn(editor.SetW), "2900");
    EXPECT_EQ(numberIn(editor.SetH), "2750");
    expectGripsOnFrameCorners();
    // Only a move of the whole frame updates its remembered corner.
    EXPECT_EQ(numberIn(editor.SetX), "600");
    EXPECT_EQ(numberIn(editor.SetY), "450");
    EXPECT_EQ(numberIn(editor.flag), std::to_string(c.grip.code));

    at(c.grip.up, grip(), x + c.dx, y + c.dy);
    EXPECT_EQ(numberIn(editor.flag), "0");
    EXPECT_EQ(rectOf(editor.Image1), c.frameAfter);
    EXPECT_EQ(rectOf(editor.Shape1), c.frameAfter);
    expectGripsOnFrameCorners();
    EXPECT_EQ(numberIn(editor.SetX), "600");
    EXPECT_EQ(numberIn(editor.SetW), "2900");
}

INSTANTIATE_TEST_SUITE_P(Grips, FrameGripDrag,
                         ::testing::Values(
                             // Right and bottom edges follow; the top-left corner stays.
                             GripDrag{kBottomRight, 300, 150, "600,450 2900x2750"},
                             // 300 to the left widens by 300, the right edge (3200) stays.
                             GripDrag{kBottomLeft, -300, 150, "300,450 2900x2750"},
                             // 150 up heightens by 150, the bottom edge (3050) stays.
                             GripDrag{kTopRight, 300, -150, "600,300 2900x2750"}),
                         [](const auto &info) { return std::string(info.param.grip.name); });

TEST_F(Canvas, GripPositionsArriveRelativeToTheGripWhereItNowIs)
{
    at(&Form1::Image1_MouseDown, editor.Image1, 1300, 1300);
    at(&Form1::Image1_MouseUp, editor.Image1, 1300, 1300);
    // The pointer goes down on the grip and right in three steps of 100.
    double x = editor.Label5.Left + 40;
    const double y = editor.Label5.Top + 40;
    at(&Form1::Label5_MouseDown, editor.Label5, x, y);
    for (int step = 0; step < 3; ++step) {
        x += 100;
        at(&Form1::Label5_MouseMove, editor.Label5, x, y);
    }
    EXPECT_EQ(rectOf(editor.Image1), rect(0, 0, 2900, 2600));
}

struct TooSmall {
    const char *name;
    Grip grip;
    double dx, dy;
    const char *frameAfter;
    double setW, setH;
};

class FrameGripTooSmall : public Canvas, public ::testing::WithParamInterface<TooSmall> {};

TEST_P(FrameGripTooSmall, SnapsTo510AndEndsTheDrag)
{
    const TooSmall &c = GetParam();
    dragFrame(1300, 1300, 600, 450);
    form::Label &grip = editor.*(c.grip.label);
    const double x = grip.Left + 90, y = grip.Top + 90;
    at(c.grip.down, grip, x, y);
    at(c.grip.move, grip, x + c.dx, y + c.dy);

    EXPECT_EQ(rectOf(editor.Image1), c.frameAfter);
    EXPECT_EQ(numberIn(editor.flag), "0");
    EXPECT_EQ(numberIn(editor.SetW), num(c.setW));
    EXPECT_EQ(numberIn(editor.SetH), num(c.setH));
    expectGripsOnFrameCorners();

    // The drag has ended: the pointer moving on leaves the frame alone.
    at(c.grip.move, grip, x + c.dx - 200, y + c.dy - 200);
    at(c.grip.move, grip, x, y);
    EXPECT_EQ(rectOf(editor.Image1), c.frameAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Grips, FrameGripTooSmall,
    ::testing::Values(TooSmall{"BottomRightWidth400", kBottomRight, -2200, 0, "600,450 510x2600", 510, 2600},
                      TooSmall{"BottomRightHeight450", kBottomRight, 0, -2150, "600,450 2600x510", 2600, 510},
                      // The forced release snaps the grips to the frame's left
                      // edge before the left edge is worked out from them, so
                      // the frame shrinks towards its left edge.
                      TooSmall{"BottomLeftWidth400", kBottomLeft, 2200, 0, "600,450 510x2600", 510, 2600},
                      TooSmall{"TopRightHeight400", kTopRight, 0, 2200, "600,450 2600x510", 2600, 510},
                      // 499 is too small, 500 is not.
                      TooSmall{"TopRightWidth499", kTopRight, -2101, 0, "600,450 510x2600", 510, 2600}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Canvas, FrameOf500TwipsIsNotTooSmall)
{
    at(&Form1::Label5_MouseDown, editor.Label5, 2600, 2600);
    at(&Form1::Label5_MouseMove, editor.Label5, 500, 2600);
    EXPECT_EQ(rectOf(editor.Image1), rect(0, 0, 500, 2600));
    EXPECT_EQ(numberIn(editor.flag), "42");
}

class FrameGripPress : public Canvas, public ::testing::WithParamInterface<Grip> {};

TEST_P(FrameGripPress, SetsSidesBelow500To510AtOnce)
{
    editor.Image1.Left = 300;
    editor.Image1.Top = 200;
    editor.Image1.Width = 480;
    editor.Image1.Height = 500;
    (editor.*GetParam().down)(form::LeftButton, 0, 90, 90);
    EXPECT_EQ(rectOf(editor.Image1), rect(300, 200, 510, 500));
    EXPECT_EQ(numberIn(editor.flag), std::to_string(GetParam().code));
    EXPECT_EQ(numberIn(editor.PPPx), "90");

    editor.Image1.Height = 499;
    (editor.*GetParam().down)(form::LeftButton, 0, 90, 90);
    EXPECT_EQ(rectOf(editor.Image1), rect(300, 200, 510, 510));
}

INSTANTIATE_TEST_SUITE_P(Grips, FrameGripPress, ::testing::Values(kBottomRight, kBottomLeft, kTopRight),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Canvas, GripMovesAndReleasesActOnlyForTheirOwnCode)
{
    at(&Form1::Label5_MouseDown, editor.Label5, 2600, 2600);
    editor.Label6_MouseMove(form::LeftButton, 0, -500, 300);
    editor.Label7_MouseMove(form::LeftButton, 0, 500, -300);
    editor.Label6_MouseUp(form::LeftButton, 0, 0, 0);
    editor.Label7_MouseUp(form::LeftButton, 0, 0, 0);
    editor.Image1_MouseUp(form::LeftButton, 0, 0, 0);
    editor.Label1_MouseUp(form::LeftButton, 0, 0, 0);
    EXPECT_EQ(rectOf(editor.Image1), rect(0, 0, 2600, 2600));
    EXPECT_EQ(numberIn(editor.flag), "42");
}

// ---- Deselecting.

struct Deselect {
    const char *name;
    ClickHandler event;
};

class CanvasDeselect : public Canvas, public ::testing::WithParamInterface<Deselect> {};

TEST_P(CanvasDeselect, HidesAllFiveGripsAndMovesNothing)
{
    dragFrame(1300, 1300, 300, 150);
    // The frame's press hid the hands grip; a load shows it again.
    editor.Label1.Visible = true;
    ASSERT_EQ(gripVisibility(), (std::vector<bool>{true, true, true, true, true}));
    const std::string frame = rectOf(editor.Image1), outline = rectOf(editor.Shape1);
    const std::string hands = rectOf(editor.Image2), handsOutline = rectOf(editor.Shape2);
    const std::string handsGrip = rectOf(editor.Label1);

    (editor.*GetParam().event)();

    EXPECT_EQ(gripVisibility(), (std::vector<bool>{false, false, false, false, false}));
    EXPECT_EQ(rectOf(editor.Image1), frame);
    EXPECT_EQ(rectOf(editor.Shape1), outline);
    EXPECT_EQ(rectOf(editor.Image2), hands);
    EXPECT_EQ(rectOf(editor.Shape2), handsOutline);
    EXPECT_EQ(rectOf(editor.Label1), handsGrip);
    EXPECT_TRUE(editor.Image1.Visible);
    EXPECT_TRUE(editor.Shape1.Visible);
    EXPECT_TRUE(editor.Image2.Visible);
    EXPECT_TRUE(editor.Shape2.Visible);
}

INSTANTIATE_TEST_SUITE_P(Events, CanvasDeselect,
                         ::testing::Values(Deselect{"Click", &Form1::Picture1_Click},
                                           Deselect{"LostFocus", &Form1::Picture1_LostFocus}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- Drags that reach the bare canvas.

struct BareCanvasDrag {
    const char *name;
    int code;
    ClickHandler mode; // null: the normal mode
};

class DragOverBareCanvas : public Canvas, public ::testing::WithParamInterface<BareCanvasDrag> {
protected:
    form::Image &dragged() { return GetParam().code == 1 ? editor.Image1 : editor.Image2; }
    const Value &remembered(bool x) { return GetParam().code == 1 ? (x ? editor.SetX : editor.SetY)
                                                                   : (x ? editor.SetTX : editor.SetTY); }
};

TEST_P(DragOverBareCanvas, KeepsTheObjectUnderThePointerUntilTheRelease)
{
    if (GetParam().mode) {
        editor.Option3.setValue(true);
        (editor.*GetParam().mode)();
    }
    form::Image &object = dragged();
    const double width = object.Width, height = object.Height;
    // Pressed 40 twips in from its left edge and 30 from its top edge.
    const double x = object.Left + 40, y = object.Top + 30;
    at(GetParam().code == 1 ? &Form1::Image1_MouseDown : &Form1::Image2_MouseDown, object, x, y);
    ASSERT_EQ(numberIn(editor.flag), std::to_string(GetParam().code));

    std::vector<std::string> lines;
    for (const form::Line *l : {&editor.Line1, &editor.Line2, &editor.Line3, &editor.Line4, &editor.Line5})
        lines.push_back(endsOf(*l));

    editor.Picture1_MouseMove(form::LeftButton, 0, 3000, 2800);
    EXPECT_EQ(rectOf(object), rect(3000 - 40, 2800 - 30, width, height));
    // Centre lines and preview hands wait for the next move over the hands area.
    EXPECT_EQ(endsOf(editor.Line1), lines[0]);
    EXPECT_EQ(endsOf(editor.Line2), lines[1]);
    EXPECT_EQ(endsOf(editor.Line3), lines[2]);
    EXPECT_EQ(endsOf(editor.Line4), lines[3]);
    EXPECT_EQ(endsOf(editor.Line5), lines[4]);
    EXPECT_EQ(numberIn(remembered(true)), "2960");
    EXPECT_EQ(numberIn(remembered(false)), "2770");

    editor.Picture1_MouseMove(form::LeftButton, 0, 3300, 2500);
    editor.Picture1_MouseUp(form::LeftButton, 0, 3300, 2500);
    EXPECT_EQ(rectOf(object), rect(3300 - 40, 2500 - 30, width, height));
    EXPECT_EQ(numberIn(remembered(true)), "3260");
    EXPECT_EQ(numberIn(remembered(false)), "2470");
    EXPECT_EQ(numberIn(editor.flag), "0");

    editor.Picture1_MouseMove(form::LeftButton, 0, 100, 100);
    EXPECT_EQ(rectOf(object), rect(3300 - 40, 2500 - 30, width, height));
}

INSTANTIATE_TEST_SUITE_P(Drags, DragOverBareCanvas,
                         ::testing::Values(BareCanvasDrag{"Frame", 1, nullptr},
                                           BareCanvasDrag{"HandsArea", 2, nullptr},
                                           // The canvas does not look at the editing mode.
                                           BareCanvasDrag{"FrameInCreationMode", 1, &Form1::Command13_Click}),
                         [](const auto &info) { return std::string(info.param.name); });

struct Press {
    const char *name;
    MouseHandler down;
    int code;
};

class BareCanvasIgnores : public Canvas, public ::testing::WithParamInterface<Press> {};

TEST_P(BareCanvasIgnores, ResizeDrags)
{
    (editor.*GetParam().down)(form::LeftButton, 0, 90, 90);
    const std::string frame = rectOf(editor.Image1), hands = rectOf(editor.Image2);
    editor.Picture1_MouseMove(form::LeftButton, 0, 3500, 3500);
    editor.Picture1_MouseUp(form::LeftButton, 0, 3500, 3500);
    EXPECT_EQ(rectOf(editor.Image1), frame);
    EXPECT_EQ(rectOf(editor.Image2), hands);
    EXPECT_EQ(numberIn(editor.flag), std::to_string(GetParam().code));
    EXPECT_EQ(numberIn(editor.SetX), "empty");
    EXPECT_EQ(numberIn(editor.SetTX), "empty");
}

INSTANTIATE_TEST_SUITE_P(Drags, BareCanvasIgnores,
                         ::testing::Values(Press{"FrameGrip", &Form1::Label6_MouseDown, 41},
                                           Press{"HandsGrip", &Form1::Label1_MouseDown, 31}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- The base shape.

struct RoundOrSquare {
    const char *name;
    form::OptionButton Form1::*option;
    form::ShapeKind figure;
};

class BaseShape : public Canvas, public ::testing::WithParamInterface<RoundOrSquare> {};

TEST_P(BaseShape, EndsTheVertexModeHidesThePolygonAndKeepsIt)
{
    drawPolygon({{600, 600}, {2000, 700}, {1800, 2000}, {500, 1800}});
    editor.Command15_Click();
    editor.UpDown1.stepUp();
    editor.Shape1.Left = 45;
    editor.Shape1.Top = 30;
    editor.Shape1.Width = 1000;
    editor.Shape1.Height = 800;

    (editor.*GetParam().option).setValue(true);

    EXPECT_EQ(editor.Caption, Form1::kTitle);
    EXPECT_FALSE(editor.Image1.SingleBorder);
    for (const form::Control *c : std::initializer_list<const form::Control *>{
             &editor.Shape2, &editor.Line1, &editor.Line2, &editor.Line3, &editor.Line4, &editor.Line5,
             &editor.Image2, &editor.Shape1})
        EXPECT_TRUE(c->Visible) << c->displayName();
    EXPECT_FALSE(editor.UpDown1.Enabled);
    EXPECT_FALSE(editor.Text4.Enabled);
    EXPECT_EQ(numberIn(editor.Tflag), "0");
    for (const form::Control *c : std::initializer_list<const form::Control *>{
             &editor.Command13, &editor.Command14, &editor.Command15, &editor.Command16})
        EXPECT_FALSE(c->Enabled) << c->displayName();
    EXPECT_EQ(numberIn(editor.idx), "4");
    for (int i = 0; i <= 4; ++i) {
        ASSERT_TRUE(editor.Line17.exists(i) && editor.Label17.exists(i)) << i;
        EXPECT_FALSE(editor.Line17[i].Visible) << i;
        EXPECT_FALSE(editor.Label17[i].Visible) << i;
    }
    EXPECT_EQ(editor.Shape1.Figure, GetParam().figure);
    EXPECT_EQ(rectOf(editor.Shape1), rect(45, 30, 1000, 800));

    // The frame moves with the pointer again.
    dragFrame(1300, 1300, 150, 0);
    EXPECT_EQ(rectOf(editor.Image1), rect(150, 0, 2600, 2600));
    EXPECT_EQ(numberIn(editor.idx), "4");
}

INSTANTIATE_TEST_SUITE_P(Options, BaseShape,
                         ::testing::Values(RoundOrSquare{"Ellipse", &Form1::Option1, form::ShapeKind::Oval},
                                           RoundOrSquare{"Rectangle", &Form1::Option2, form::ShapeKind::Rectangle}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Canvas, PolygonShowsTheFrameBorderAndEnablesTheToolsOnly)
{
    editor.Option3.setValue(true);
    EXPECT_FALSE(editor.Shape1.Visible);
    EXPECT_TRUE(editor.Image1.SingleBorder);
    for (const form::Control *c : std::initializer_list<const form::Control *>{
             &editor.Command13, &editor.Command14, &editor.Command15, &editor.Command16})
        EXPECT_TRUE(c->Enabled) << c->displayName();
    EXPECT_FALSE(editor.Text4.Enabled);
    EXPECT_EQ(editor.Caption, Form1::kTitle);
    EXPECT_EQ(numberIn(editor.Tflag), "empty");
    EXPECT_TRUE(editor.Image2.Visible);
    EXPECT_TRUE(editor.Line3.Visible);
    EXPECT_FALSE(editor.Line17.exists(1));
}

TEST_F(Canvas, PolygonChosenAgainShowsItsSegmentsButNoMarkers)
{
    drawPolygon({{600, 600}, {2000, 700}, {1800, 2000}, {500, 1800}});
    editor.Option1.setValue(true);
    editor.Option3.setValue(true);
    EXPECT_EQ(numberIn(editor.idx), "4");
    EXPECT_FALSE(editor.Line17[0].Visible);
    EXPECT_FALSE(editor.Label17[0].Visible);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_TRUE(editor.Line17[i].Visible) << i;
        EXPECT_FALSE(editor.Label17[i].Visible) << i;
    }
    // The mode was ended by the ellipse and stays ended.
    EXPECT_EQ(numberIn(editor.Tflag), "0");
}

TEST_F(Canvas, EllipseAndRectangleSetTheOutlineOnlyWhenTheirButtonIsSelected)
{
    ASSERT_TRUE(editor.Option1.Value);
    editor.Option2_Click();
    EXPECT_EQ(editor.Shape1.Figure, form::ShapeKind::Oval);
    editor.Option2.setValue(true);
    EXPECT_EQ(editor.Shape1.Figure, form::ShapeKind::Rectangle);
    EXPECT_FALSE(editor.Option1.Value);
    editor.Option1.setValue(true);
    EXPECT_EQ(editor.Shape1.Figure, form::ShapeKind::Oval);
}

// ---- The hands area.

TEST_F(Canvas, HandsAreaPressSelectsItInsteadOfTheFrame)
{
    dragFrame(1300, 1300, 0, 0);
    at(&Form1::Image2_MouseDown, editor.Image2, 700, 500);
    EXPECT_EQ(numberIn(editor.flag), "2");
    EXPECT_EQ(numberIn(editor.PPPx), "610");
    EXPECT_EQ(numberIn(editor.PPPy), "440");
    EXPECT_EQ(gripVisibility(), (std::vector<bool>{false, false, false, false, true}));
    // The grip shows where it last was.
    EXPECT_EQ(cornerOf(editor.Label1), "2400,2340");
}

TEST_F(Canvas, HandsAreaDragMovesOutlineGripCentreLinesAndHandsAlike)
{
    at(&Form1::Image2_MouseDown, editor.Image2, 1200, 1200);
    // A first move that goes nowhere lines the centre lines up with the outline.
    at(&Form1::Image2_MouseMove, editor.Image2, 1200, 1200);
    const form::Line *lines[] = {&editor.Line1, &editor.Line2, &editor.Line3, &editor.Line4, &editor.Line5};
    std::vector<form::LineState> before;
    for (const form::Line *l : lines)
        before.push_back(*l);
    const form::ControlState outline = editor.Shape2, grip = editor.Label1;

    at(&Form1::Image2_MouseMove, editor.Image2, 1500, 1050);

    EXPECT_EQ(rectOf(editor.Image2), rect(390, -90, 2400, 2400));
    EXPECT_EQ(numberIn(editor.SetTX), "390");
    EXPECT_EQ(numberIn(editor.SetTY), "-90");
    EXPECT_EQ(editor.Shape2.Left, outline.Left + 300);
    EXPECT_EQ(editor.Shape2.Top, outline.Top - 150);
    EXPECT_EQ(cornerOf(editor.Label1), point(grip.Left + 300, grip.Top - 150));
    EXPECT_EQ(cornerOf(editor.Label1), point(390 + 2400 - 90, -90 + 2400 - 90));
    for (size_t i = 0; i < std::size(lines); ++i) {
        const form::LineState &b = before[i];
        EXPECT_EQ(endsOf(*lines[i]), endsOf(b.X1 + 300, b.Y1 - 150, b.X2 + 300, b.Y2 - 150))
            << lines[i]->displayName();
    }
    EXPECT_EQ(point(editor.Line3.X1, editor.Line3.Y1), point(390 + 1200, -90 + 1200));

    at(&Form1::Image2_MouseUp, editor.Image2, 1500, 1050);
    EXPECT_EQ(numberIn(editor.flag), "0");
    EXPECT_EQ(numberIn(editor.SetTX), "390");
    at(&Form1::Image2_MouseMove, editor.Image2, 1800, 1800);
    EXPECT_EQ(rectOf(editor.Image2), rect(390, -90, 2400, 2400));
}

struct HandsResize {
    const char *name;
    double dx, dy;
    const char *areaAfter;
    bool ends;
};

class HandsGripDrag : public Canvas, public ::testing::WithParamInterface<HandsResize> {};

TEST_P(HandsGripDrag, ResizesFromTheTopLeftCorner)
{
    const HandsResize &c = GetParam();
    const double x = editor.Label1.Left + 90, y = editor.Label1.Top + 90;
    at(&Form1::Label1_MouseDown, editor.Label1, x, y);
    EXPECT_EQ(numberIn(editor.flag), "31");
    at(&Form1::Label1_MouseMove, editor.Label1, x + c.dx, y + c.dy);

    EXPECT_EQ(rectOf(editor.Image2), c.areaAfter);
    const double width = editor.Image2.Width, height = editor.Image2.Height;
    EXPECT_EQ(numberIn(editor.SetW), num(width));
    EXPECT_EQ(numberIn(editor.SetH), num(height));
    EXPECT_EQ(editor.Shape2.Width, width);
    EXPECT_EQ(editor.Shape2.Height, height);
    EXPECT_EQ(cornerOf(editor.Label1), point(90 + width - 90, 60 + height - 90));
    // Centre lines and hands follow the new size.
    EXPECT_EQ(point(editor.Line3.X1, editor.Line3.Y1), point(90 + width / 2, 60 + height / 2));
    EXPECT_EQ(editor.Line1.Y2 - editor.Line1.Y1, float(height));
    EXPECT_EQ(numberIn(editor.flag), c.ends ? "0" : "31");

    at(&Form1::Label1_MouseMove, editor.Label1, x + c.dx + 200, y + c.dy + 200);
    if (c.ends) {
        EXPECT_EQ(rectOf(editor.Image2), c.areaAfter);
    } else {
        at(&Form1::Label1_MouseUp, editor.Label1, x, y);
        EXPECT_EQ(numberIn(editor.flag), "0");
    }
}

INSTANTIATE_TEST_SUITE_P(Drags, HandsGripDrag,
                         ::testing::Values(HandsResize{"Larger", 300, 150, "90,60 2700x2550", false},
                                           HandsResize{"Height450", 0, -1950, "90,60 2400x510", true},
                                           HandsResize{"Width499", -1901, 0, "90,60 510x2400", true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Canvas, HandsGripPressAndReleaseKeepTheAreaAt510AtLeast)
{
    editor.Image2.Width = 300;
    editor.Image2.Height = 500;
    editor.Label1_MouseDown(form::LeftButton, 0, 90, 90);
    EXPECT_EQ(rectOf(editor.Image2), rect(90, 60, 510, 500));

    editor.Image2.Left = 700;
    editor.Image2.Height = 20;
    editor.Label1_MouseUp(form::LeftButton, 0, 90, 90);
    EXPECT_EQ(rectOf(editor.Image2), rect(700, 60, 510, 510));
    EXPECT_EQ(cornerOf(editor.Shape2), "700,60");
    EXPECT_EQ(numberIn(editor.flag), "0");
}

TEST_F(Canvas, FrameAndHandsGripsShareTheRememberedSize)
{
    double x = editor.Label1.Left + 90, y = editor.Label1.Top + 90;
    at(&Form1::Label1_MouseDown, editor.Label1, x, y);
    at(&Form1::Label1_MouseMove, editor.Label1, x - 600, y - 300);
    at(&Form1::Label1_MouseUp, editor.Label1, x - 600, y - 300);
    ASSERT_EQ(numberIn(editor.SetW), "1800");
    ASSERT_EQ(numberIn(editor.SetH), "2100");

    at(&Form1::Image1_MouseDown, editor.Image1, 1300, 2550);
    at(&Form1::Image1_MouseUp, editor.Image1, 1300, 2550);
    x = editor.Label5.Left + 90;
    y = editor.Label5.Top + 90;
    at(&Form1::Label5_MouseDown, editor.Label5, x, y);
    at(&Form1::Label5_MouseMove, editor.Label5, x + 150, y + 300);
    at(&Form1::Label5_MouseUp, editor.Label5, x + 150, y + 300);
    EXPECT_EQ(numberIn(editor.SetW), "2750");
    EXPECT_EQ(numberIn(editor.SetH), "2900");

    x = editor.Label1.Left + 90;
    y = editor.Label1.Top + 90;
    at(&Form1::Label1_MouseDown, editor.Label1, x, y);
    at(&Form1::Label1_MouseMove, editor.Label1, x + 15, y + 30);
    EXPECT_EQ(numberIn(editor.SetW), "1815");
    EXPECT_EQ(numberIn(editor.SetH), "2130");
}

} // namespace
