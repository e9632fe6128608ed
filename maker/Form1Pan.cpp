// SPDX-License-Identifier: MIT
#include "Form1.h"

namespace orbelle::maker {

namespace {

enum Direction { Up = 1, Down = 2, Leftward = 3, Rightward = 4 };

constexpr int kRepeatMs = 100;

// Steps in twips: a click moves the canvas a little, each repeat while a
// button is held a little more.
void step(form::PictureBox &canvas, int direction, bool repeat)
{
    switch (direction) {
    case Up: canvas.Top += repeat ? 50 : 35; break;
    case Down: canvas.Top -= repeat ? 50 : 35; break;
    case Leftward: canvas.Left += repeat ? 40 : 25; break;
    default: canvas.Left -= repeat ? 40 : 25; break;
    }
}

} // namespace

void Form1::panStep(int direction, bool repeat)
{
    step(Picture1, direction, repeat);
    fitScrollBars();
}

void Form1::Command9_MouseDown(int, int, float, float)
{
    poPic = int(Up);
    Timer1.Interval = kRepeatMs;
    panStep(Up, false);
}

void Form1::Command10_MouseDown(int, int, float, float)
{
    poPic = int(Down);
    Timer1.Interval = kRepeatMs;
    panStep(Down, false);
}

void Form1::Command11_MouseDown(int, int, float, float)
{
    poPic = int(Leftward);
    Timer1.Interval = kRepeatMs;
    panStep(Leftward, false);
}

void Form1::Command12_MouseDown(int, int, float, float)
{
    poPic = int(Rightward);
    Timer1.Interval = kRepeatMs;
    panStep(Rightward, false);
}

void Form1::Command9_MouseUp(int, int, float, float) { Timer1.Interval = 0; }
void Form1::Command10_MouseUp(int, int, float, float) { Timer1.Interval = 0; }
void Form1::Command11_MouseUp(int, int, float, float) { Timer1.Interval = 0; }
void Form1::Command12_MouseUp(int, int, float, float) { Timer1.Interval = 0; }

void Form1::Command9_Click() { panStep(Up, false); }
void Form1::Command10_Click() { panStep(Down, false); }
void Form1::Command11_Click() { panStep(Leftward, false); }
void Form1::Command12_Click() { panStep(Rightward, false); }

void Form1::Timer1_Timer()
{
    int direction = Rightward;
    try {
        if (poPic.equals(Up))
            direction = Up;
        else if (poPic.equals(Down))
            direction = Down;
        else if (poPic.equals(Leftward))
            direction = Leftward;
    } catch (const ConversionError &) {
    }
    panStep(direction, true);
}

} // namespace orbelle::maker
