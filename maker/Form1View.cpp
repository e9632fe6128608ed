// SPDX-License-Identifier: MIT
#include "Form1.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "Units.h"

namespace orbelle::maker {

namespace {

// The end of a scroll range: how far a canvas of `canvas` twips can be
// panned in a view of `view` twips before its far edge comes into view.
int rangeEnd(float canvas, float view)
{
    return std::max(0, int(std::lround(double(canvas) - double(view))));
}

// `wanted` kept between 0 and `end`, but never pulled back past `from`: a
// canvas the buttons pushed beyond the range stays reachable and does not
// jump.
double within(double wanted, int from, int end)
{
    return std::clamp(wanted, double(std::min(0, from)), double(std::max(end, from)));
}

} // namespace

float Form1::viewportWidth() const
{
    return ScaleWidth - kCanvasHomeLeft - (VScroll1.Visible ? kScrollBarSize : 0);
}

float Form1::viewportHeight() const
{
    return ScaleHeight - kStatusHeight - kCanvasHomeTop - (HScroll1.Visible ? kScrollBarSize : 0);
}

int Form1::panX() const
{
    return int(std::lround(double(kCanvasHomeLeft) - double(Picture1.Left)));
}

int Form1::panY() const
{
    return int(std::lround(double(kCanvasHomeTop) - double(Picture1.Top)));
}

void Form1::Form_Resize()
{
    // The status bar runs along the bottom of whatever size the window has;
    // the panel keeps its place and size.
    StatusBar1.Move(0, ScaleHeight - kStatusHeight, ScaleWidth, kStatusHeight);
    fitScrollBars();
    // A view grown past the picture's far edge takes that edge back to the
    // viewport's, as far as the picture allows, so no bare strip is left
    // where the picture could still be shown.
    const int endX = rangeEnd(Picture1.Width, viewportWidth());
    const int endY = rangeEnd(Picture1.Height, viewportHeight());
    if (panX() > endX || panY() > endY)
        panTo(std::min(panX(), endX), std::min(panY(), endY));
}

void Form1::fitScrollBars()
{
    // A scroll bar is shown where the picture is larger than the viewport;
    // one bar narrows the view for the other, so it is asked twice.
    const bool picture = Picture1.CurrentPicture != nullptr;
    for (int pass = 0; pass < 2; ++pass) {
        HScroll1.Visible = picture && Picture1.Width > viewportWidth();
        VScroll1.Visible = picture && Picture1.Height > viewportHeight();
    }
    const float statusTop = ScaleHeight - kStatusHeight;
    const float hBar = HScroll1.Visible ? kScrollBarSize : 0;
    const float vBar = VScroll1.Visible ? kScrollBarSize : 0;
    HScroll1.Move(kPanelRight, statusTop - kScrollBarSize, std::max(0.0f, ScaleWidth - kPanelRight - vBar),
                  kScrollBarSize);
    VScroll1.Move(ScaleWidth - kScrollBarSize, 0, kScrollBarSize, std::max(0.0f, statusTop - hBar));

    struct Axis {
        form::ScrollBar &bar;
        int value;
        float canvas, view;
    };
    for (const Axis &a : {Axis{HScroll1, panX(), Picture1.Width, viewportWidth()},
                          Axis{VScroll1, panY(), Picture1.Height, viewportHeight()}}) {
        const int end = rangeEnd(a.canvas, a.view);
        a.bar.Min = std::min(0, a.value);
        a.bar.Max = std::max(end, a.value);
        a.bar.Value = a.value;
        a.bar.LargeChange = std::max(1, int(a.view));
    }
}

void Form1::panTo(double x, double y)
{
    const int endX = rangeEnd(Picture1.Width, viewportWidth());
    const int endY = rangeEnd(Picture1.Height, viewportHeight());
    Picture1.Left = float(double(kCanvasHomeLeft) - std::round(within(x, panX(), endX)));
    Picture1.Top = float(double(kCanvasHomeTop) - std::round(within(y, panY(), endY)));
    fitScrollBars();
}

void Form1::HScroll1_Change()
{
    Picture1.Left = kCanvasHomeLeft - float(HScroll1.Value);
    fitScrollBars();
}

void Form1::VScroll1_Change()
{
    Picture1.Top = kCanvasHomeTop - float(VScroll1.Value);
    fitScrollBars();
}

void Form1::Picture1_MouseWheel(int Shift, int deltaX, int deltaY)
{
    // Shift turns the wheel's vertical turn sideways; a wheel that tilts
    // scrolls sideways by itself.
    const bool sideways = (Shift & 1) != 0;
    const int across = sideways && deltaY != 0 ? deltaY : deltaX;
    const int down = sideways ? 0 : deltaY;
    // A positive turn asks to see more of the top or the left.
    panTo(panX() - double(across) * kWheelStep / 120.0, panY() - double(down) * kWheelStep / 120.0);
}

bool Form1::Picture1_MouseDragDown(int Button, int, float X, float Y)
{
    // The middle button pans; the others keep the design's drag protocol.
    if (Button != form::MiddleButton)
        return false;
    panDrag_.active = true;
    panDrag_.fromX = double(Picture1.Left) + double(X);
    panDrag_.fromY = double(Picture1.Top) + double(Y);
    panDrag_.panX = panX();
    panDrag_.panY = panY();
    return true;
}

void Form1::Picture1_MouseDragMove(int, int, float X, float Y)
{
    if (!panDrag_.active)
        return;
    // The pointer's place in the window, wherever the canvas lies now: the
    // point first pressed stays under the pointer.
    const double dx = double(Picture1.Left) + double(X) - panDrag_.fromX;
    const double dy = double(Picture1.Top) + double(Y) - panDrag_.fromY;
    const int endX = rangeEnd(Picture1.Width, viewportWidth());
    const int endY = rangeEnd(Picture1.Height, viewportHeight());
    Picture1.Left = float(double(kCanvasHomeLeft) - std::round(within(panDrag_.panX - dx, panDrag_.panX, endX)));
    Picture1.Top = float(double(kCanvasHomeTop) - std::round(within(panDrag_.panY - dy, panDrag_.panY, endY)));
    fitScrollBars();
}

void Form1::Picture1_MouseDragUp(int Button, int Shift, float X, float Y)
{
    Picture1_MouseDragMove(Button, Shift, X, Y);
    panDrag_.active = false;
}

void Form1::showSizes()
{
    std::string text;
    if (const auto &picture = Picture1.CurrentPicture) {
        const auto pixels = [](float twips) { return std::to_string(std::lround(double(twips) / form::kTwipsPerPixel)); };
        text = "画像 " + std::to_string(picture->widthPixels()) + " × " + std::to_string(picture->heightPixels()) +
               " ・ 枠 " + pixels(Image1.Width) + " × " + pixels(Image1.Height) + " ピクセル";
    }
    if (StatusBar1.MorePanels.empty() && text.empty())
        return;
    StatusBar1.MorePanels = {text};
}

} // namespace orbelle::maker
