// SPDX-License-Identifier: MIT
#include "Form1.h"

#include <exception>

namespace orbelle::maker {

namespace {

// Below this a frame or hands-area side is too small; it is then set to
// kFloorSize, not to the limit itself.
constexpr float kMinSize = 500;
constexpr float kFloorSize = 510;



void atLeastFloor(form::Control &c)
{
    if (c.Width < kMinSize)
        c.Width = kFloorSize;
    if (c.Height < kMinSize)
        c.Height = kFloorSize;
}

// Half a grip's size, rounded half to even: 90 for the 180-twip grips.
float halfOf(float size)
{
    return float(roundHalfEven(double(size) / 2));
}

} // namespace

// ---- The face picture.

void Form1::Command1_Click()
{
    form::FileDialogRequest request;
    request.filters = {{"画像ファイル", "*.jpg;*jpeg;*.gif;*.bmp;*.png"}, {"すべてのファイル(*.*)", "*.*"}};
    request.filterIndex = 1;
    const auto path = services_.showOpenDialog(request);
    if (!path)
        return;
    applyPicture(*path);
}

// ---- The picture frame.

namespace {

void placeFrameGrips(Form1 &f)
{
    const float left = f.Image1.Left;
    const float top = f.Image1.Top;
    const float right = f.Image1.Left + f.Image1.Width;
    const float bottom = f.Image1.Top + f.Image1.Height;
    form::Label &corner = f.Label4[0];
    corner.Left = left - 90;
    corner.Top = top - 90;
    f.Label6.Left = left - 90;
    f.Label6.Top = bottom - 90;
    f.Label5.Left = right - 90;
    f.Label5.Top = bottom - 90;
    f.Label7.Left = right - 90;
    f.Label7.Top = top - 90;
    for (form::Label *grip : {&corner, &f.Label5, &f.Label6, &f.Label7})
        grip->Visible = true;
}

void hideFrameGrips(Form1 &f)
{
    f.Label4[0].Visible = false;
    f.Label5.Visible = false;
    f.Label6.Visible = false;
    f.Label7.Visible = false;
}

// Puts the frame at (left, top), its outline and grips with it.
void moveFrame(Form1 &f, double left, double top)
{
    f.Image1.Left = float(left);
    f.Image1.Top = float(top);
    f.SetX = double(f.Image1.Left);
    f.SetY = double(f.Image1.Top);
    f.Shape1.Left = f.Image1.Left;
    f.Shape1.Top = f.Image1.Top;
    placeFrameGrips(f);
}

// Puts the hands area at (left, top) with its outline and grip.
void moveHandsArea(Form1 &f, double left, double top)
{
    f.Image2.Left = float(left);
    f.Image2.Top = float(top);
    f.SetTX = double(f.Image2.Left);
    f.SetTY = double(f.Image2.Top);
    f.Shape2.Left = f.Image2.Left;
    f.Shape2.Top = f.Image2.Top;
    f.Label1.Left = float(double(f.Image2.Left) + f.Image2.Width - f.Label1.Width / 2.0);
    f.Label1.Top = float(double(f.Image2.Top) + f.Image2.Height - f.Label1.Height / 2.0);
}

bool normalMode(const Value &mode)
{
    return !sameNumber(mode, Form1::kModeCreate) && !sameNumber(mode, Form1::kModeCorrect);
}

} // namespace

void Form1::Image1_MouseDown(int, int, float X, float Y)
{
    PPPx = double(X);
    PPPy = double(Y);
    flag = kDragFrame;
    if (!normalMode(Tflag)) {
        editVertexAt(X, Y);
        return;
    }
    Shape1.Left = Image1.Left;
    Shape1.Top = Image1.Top;
    Shape1.Width = Image1.Width;
    Shape1.Height = Image1.Height;
    placeFrameGrips(*this);
    Label1.Visible = false;
    selection = Selection::Frame;
}

void Form1::Image1_MouseMove(int, int, float X, float Y)
{
    if (!sameNumber(flag, kDragFrame) || !normalMode(Tflag))
        return;
    // X and Y are measured from the frame's current place, so the point
    // first pressed stays under the pointer.
    moveFrame(*this, double(Image1.Left) + (double(X) - numberOr(PPPx, 0)), double(Image1.Top) + (double(Y) - numberOr(PPPy, 0)));
}

void Form1::Image1_MouseUp(int, int, float, float)
{
    if (!sameNumber(flag, kDragFrame))
        return;
    SetX = double(Image1.Left);
    SetY = double(Image1.Top);
    flag = kDragNone;
}

namespace {

void pressGrip(Form1 &f, float X, float Y, int code)
{
    f.PPPx = double(X);
    f.PPPy = double(Y);
    atLeastFloor(f.Image1);
    f.flag = code;
}

} // namespace

// One release for all three frame grips: the frame keeps at least the
// floor size and the grips snap to its corners.
static void releaseFrameGrip(Form1 &f)
{
    atLeastFloor(f.Image1);
    form::Label &corner = f.Label4[0];
    corner.Left = f.Image1.Left - 90;
    corner.Top = f.Image1.Top - 90;
    f.Label6.Left = corner.Left;
    f.Label6.Top = f.Image1.Top + f.Image1.Height - 90;
    f.Label7.Left = f.Image1.Left + f.Image1.Width - 90;
    f.Label7.Top = corner.Top;
    f.Label5.Left = f.Label7.Left;
    f.Label5.Top = f.Label6.Top;
    f.Shape1.Left = f.Image1.Left;
    f.Shape1.Top = f.Image1.Top;
    f.flag = Form1::kDragNone;
}

namespace {

enum class Grip {
    BottomRight = Form1::kDragGripBottomRight,
    BottomLeft = Form1::kDragGripBottomLeft,
    TopRight = Form1::kDragGripTopRight,
};

void dragGrip(Form1 &f, Grip grip, float X, float Y)
{
    if (!sameNumber(f.flag, int(grip)))
        return;
    const double dx = double(X) - numberOr(f.PPPx, 0);
    const double dy = double(Y) - numberOr(f.PPPy, 0);
    form::Image &frame = f.Image1;
    switch (grip) {
    case Grip::BottomRight:
        frame.Width = float(frame.Width + dx);
        frame.Height = float(frame.Height + dy);
        break;
    case Grip::BottomLeft:
        frame.Width = float(frame.Width - dx);
        frame.Height = float(frame.Height + dy);
        break;
    case Grip::TopRight:
        frame.Width = float(frame.Width + dx);
        frame.Height = float(frame.Height - dy);
        break;
    }
    // Too small: the resize ends here, and later moves do nothing until the
    // grip is pressed again.
    if (frame.Width < kMinSize || frame.Height < kMinSize)
        releaseFrameGrip(f);
    atLeastFloor(frame);
    if (grip == Grip::BottomLeft)
        frame.Left = f.Label7.Left + halfOf(f.Label7.Width) - frame.Width;
    if (grip == Grip::TopRight)
        frame.Top = f.Label6.Top + halfOf(f.Label6.Height) - frame.Height;
    f.SetW = double(frame.Width);
    f.SetH = double(frame.Height);
    f.Shape1.Width = frame.Width;
    f.Shape1.Height = frame.Height;
    if (grip != Grip::BottomRight) {
        f.Shape1.Left = frame.Left;
        f.Shape1.Top = frame.Top;
    }
    placeFrameGrips(f);
}

} // namespace

void Form1::Label5_MouseDown(int, int, float X, float Y) { pressGrip(*this, X, Y, kDragGripBottomRight); }
void Form1::Label6_MouseDown(int, int, float X, float Y) { pressGrip(*this, X, Y, kDragGripBottomLeft); }
void Form1::Label7_MouseDown(int, int, float X, float Y) { pressGrip(*this, X, Y, kDragGripTopRight); }
void Form1::Label5_MouseMove(int, int, float X, float Y) { dragGrip(*this, Grip::BottomRight, X, Y); }
void Form1::Label6_MouseMove(int, int, float X, float Y) { dragGrip(*this, Grip::BottomLeft, X, Y); }
void Form1::Label7_MouseMove(int, int, float X, float Y) { dragGrip(*this, Grip::TopRight, X, Y); }

void Form1::Label5_MouseUp(int, int, float, float)
{
    if (sameNumber(flag, kDragGripBottomRight))
        releaseFrameGrip(*this);
}

void Form1::Label6_MouseUp(int, int, float, float)
{
    if (sameNumber(flag, kDragGripBottomLeft))
        releaseFrameGrip(*this);
}

void Form1::Label7_MouseUp(int, int, float, float)
{
    if (sameNumber(flag, kDragGripTopRight))
        releaseFrameGrip(*this);
}

// ---- The bare canvas.

void Form1::Picture1_Click()
{
    hideFrameGrips(*this);
    Label1.Visible = false;
    selection = Selection::None;
}

void Form1::Picture1_LostFocus()
{
    hideFrameGrips(*this);
    Label1.Visible = false;
    selection = Selection::None;
}

void Form1::Picture1_MouseMove(int, int, float X, float Y)
{
    // The pointer has left the dragged object; X and Y are canvas twips, so
    // the object is put back under it with the anchor it was pressed at.
    if (sameNumber(flag, kDragFrame)) {
        moveFrame(*this, double(X) - numberOr(PPPx, 0), double(Y) - numberOr(PPPy, 0));
    } else if (sameNumber(flag, kDragHandsArea)) {
        moveHandsArea(*this, double(X) - numberOr(PPPx, 0), double(Y) - numberOr(PPPy, 0));
    }
}

void Form1::Picture1_MouseUp(int, int, float, float)
{
    if (sameNumber(flag, kDragFrame)) {
        SetX = double(Image1.Left);
        SetY = double(Image1.Top);
        flag = kDragNone;
    } else if (sameNumber(flag, kDragHandsArea)) {
        SetTX = double(Image2.Left);
        SetTY = double(Image2.Top);
        flag = kDragNone;
    }
}

// ---- The base shape.

void Form1::chooseRoundOrSquare(form::OptionButton &own, form::ShapeKind figure)
{
    Caption = kTitle;
    Image1.SingleBorder = false;
    for (form::Control *c : std::initializer_list<form::Control *>{&Shape2, &Line1, &Line2, &Line3, &Line4, &Line5})
        c->Visible = true;
    UpDown1.Enabled = false;
    Text4.Enabled = false;
    Tflag = kModeNormal;
    // The polygon is hidden, not deleted.
    const int n = vertexCount();
    for (int i : existing(Line17, 0, n))
        Line17[i].Visible = false;
    for (int i : existing(Label17, 0, n))
        Label17[i].Visible = false;
    Image2.Visible = true;
    for (form::CommandButton *b : {&Command13, &Command14, &Command15, &Command16})
        b->Enabled = false;
    Shape1.Visible = true;
    if (own.Value)
        Shape1.Figure = figure;
}

void Form1::Option1_Click()
{
    chooseRoundOrSquare(Option1, form::ShapeKind::Oval);
}

void Form1::Option2_Click()
{
    chooseRoundOrSquare(Option2, form::ShapeKind::Rectangle);
}

void Form1::Option3_Click()
{
    for (form::CommandButton *b : {&Command13, &Command14, &Command15, &Command16})
        b->Enabled = true;
    Shape1.Visible = false;
    Image1.SingleBorder = true;
    for (int i : existing(Line17, 1, vertexCount()))
        Line17[i].Visible = true;
}

// ---- The hands area.

void Form1::Image2_MouseDown(int, int, float X, float Y)
{
    PPPx = double(X);
    PPPy = double(Y);
    flag = kDragHandsArea;
    hideFrameGrips(*this);
    Label1.Visible = true;
    selection = Selection::HandsArea;
}

void Form1::Image2_MouseMove(int, int, float X, float Y)
{
    if (!sameNumber(flag, kDragHandsArea))
        return;
    moveHandsArea(*this, double(Image2.Left) + (double(X) - numberOr(PPPx, 0)), double(Image2.Top) + (double(Y) - numberOr(PPPy, 0)));
    placeCentreLines();
    placeHands();
}

void Form1::Image2_MouseUp(int, int, float, float)
{
    if (!sameNumber(flag, kDragHandsArea))
        return;
    SetTX = double(Image2.Left);
    SetTY = double(Image2.Top);
    flag = kDragNone;
}

void Form1::Label1_MouseDown(int, int, float X, float Y)
{
    PPPx = double(X);
    PPPy = double(Y);
    atLeastFloor(Image2);
    flag = kDragHandsGrip;
}

void Form1::Label1_MouseMove(int Button, int Shift, float X, float Y)
{
    if (!sameNumber(flag, kDragHandsGrip))
        return;
    const float a = Image2.Left;
    const float b = Image2.Top;
    const float half = halfOf(Label1.Width);
    Image2.Width = float(Image2.Width + (double(X) - numberOr(PPPx, 0)));
    Image2.Height = float(Image2.Height + (double(Y) - numberOr(PPPy, 0)));
    if (Image2.Width < kMinSize || Image2.Height < kMinSize)
        Label1_MouseUp(Button, Shift, X, Y);
    atLeastFloor(Image2);
    SetW = double(Image2.Width);
    SetH = double(Image2.Height);
    Shape2.Width = Image2.Width;
    Shape2.Height = Image2.Height;
    Label1.Left = a + Image2.Width - half;
    Label1.Top = b + Image2.Height - half;
    placeCentreLines();
    placeHands();
}

void Form1::Label1_MouseUp(int, int, float, float)
{
    if (!sameNumber(flag, kDragHandsGrip))
        return;
    atLeastFloor(Image2);
    Shape2.Left = Image2.Left;
    Shape2.Top = Image2.Top;
    flag = kDragNone;
}

// ---- The keyboard.

bool Form1::nudgeSelection(float dx, float dy)
{
    // Not while the mouse drags something: the key would fight the pointer.
    if (!sameNumber(flag, kDragNone))
        return false;
    if (selection == Selection::Frame && normalMode(Tflag) && Image1.Visible) {
        moveFrame(*this, double(Image1.Left) + dx, double(Image1.Top) + dy);
        return true;
    }
    if (selection == Selection::HandsArea && Image2.Visible) {
        moveHandsArea(*this, double(Image2.Left) + dx, double(Image2.Top) + dy);
        Label1.Visible = true;
        placeCentreLines();
        placeHands();
        return true;
    }
    return false;
}

} // namespace orbelle::maker
