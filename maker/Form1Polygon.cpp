// SPDX-License-Identifier: MIT
#include "Form1.h"

#include <limits>

namespace orbelle::maker {


int Form1::vertexCount() const
{
    try {
        return std::max(0, int(idx.toInt32()));
    } catch (const ConversionError &) {
        return 0;
    }
}

int Form1::selectedVertex() const
{
    // A selector text that names no vertex (0, past the last, not a number)
    // selects nothing.
    try {
        const int s = Value(Text4.Text).toInt16();
        return s >= 1 && s <= vertexCount() ? s : 0;
    } catch (const ConversionError &) {
        return 0;
    }
}

void Form1::editVertexAt(float X, float Y)
{
    // The vertex lies where the frame was pressed, in canvas twips.
    const float x = Image1.Left + X;
    const float y = Image1.Top + Y;
    if (sameNumber(Tflag, kModeCreate))
        appendVertex(x, y);
    else if (sameNumber(Tflag, kModeCorrect))
        moveVertex(x, y);
}

namespace {

// A marker's offset from its vertex: half its size, rounded half to even
// and then cut to a whole number (52 for the 105-twip marker).
float markerHalf(float size)
{
    return float(long(roundHalfEven(double(size))) / 2);
}

} // namespace

void Form1::appendVertex(float x, float y)
{
    // A count no list can go beyond (from a damaged file) takes no more.
    if (vertexCount() == std::numeric_limits<int>::max())
        return;
    const int k = vertexCount() + 1;
    // Elements left behind by an interrupted load are reused, never doubled,
    // and look as a new copy of the template would.
    form::Line &segment = Line17.exists(k) ? Line17[k] : Line17.load(k);
    form::Label &marker = Label17.exists(k) ? Label17[k] : Label17.load(k);
    segment.BorderColor = Line17[0].BorderColor;
    segment.BorderWidth = Line17[0].BorderWidth;
    marker.ForeColor = Label17[0].ForeColor;
    idx = k;
    segment.X1 = x;
    segment.Y1 = y;
    if (k == 1) {
        // Until the third vertex the closing segment is a point on vertex 1.
        segment.X2 = x;
        segment.Y2 = y;
    } else {
        const form::Line &before = Line17[k - 1];
        segment.X2 = before.X1;
        segment.Y2 = before.Y1;
    }
    if (k >= 3) {
        form::Line &closing = Line17[1];
        closing.X1 = Line17[2].X2;
        closing.Y1 = Line17[2].Y2;
        closing.X2 = segment.X1;
        closing.Y2 = segment.Y1;
        closing.Visible = true;
    }
    const form::Label &tmpl = Label17[0];
    marker.Left = segment.X1 - markerHalf(tmpl.Width);
    marker.Top = segment.Y1 - markerHalf(tmpl.Height);
    marker.Visible = true;
    segment.Visible = true;
}

void Form1::moveVertex(float x, float y)
{
    const int n = vertexCount();
    if (n < 3)
        return;
    const int s = selectedVertex();
    if (s == 0)
        return;
    // The segment that ends at vertex s follows it.
    form::Line &incoming = s + 1 > n ? Line17[1] : Line17[s + 1];
    incoming.X2 = x;
    incoming.Y2 = y;
    form::Line &segment = Line17[s];
    segment.X1 = x;
    segment.Y1 = y;
    const form::Label &tmpl = Label17[0];
    Label17[s].Left = segment.X1 - markerHalf(tmpl.Width);
    Label17[s].Top = segment.Y1 - markerHalf(tmpl.Height);
}

void Form1::Command13_Click()
{
    Caption = kTitleCreate;
    Tflag = kModeCreate;
    for (form::Control *c : std::initializer_list<form::Control *>{&Image2, &Shape2, &Label1, &Line1, &Line2, &Line3,
                                                                    &Line4, &Line5, &Label5, &Label6, &Label7})
        c->Visible = false;
    Label4[0].Visible = false;
    selection = Selection::None;
}

void Form1::Command14_Click()
{
    Caption = kTitleNormal;
    Label4[0].Visible = false;
    Label5.Visible = false;
    Label6.Visible = false;
    Label7.Visible = false;
    if (selection == Selection::Frame)
        selection = Selection::None;
    for (form::Control *c : std::initializer_list<form::Control *>{&Shape2, &Line1, &Line2, &Line3, &Line4, &Line5})
        c->Visible = true;
    UpDown1.Enabled = false;
    Text4.Enabled = false;
    Tflag = kModeNormal;
    for (int i : existing(Label17, 0, vertexCount()))
        Label17[i].Visible = false;
    Image2.Visible = true;
}

void Form1::Command15_Click()
{
    Caption = kTitleCorrect;
    for (form::Line *l : {&Line1, &Line2, &Line3, &Line4, &Line5})
        l->Visible = false;
    Tflag = kModeCorrect;
    const int n = vertexCount();
    if (n > 2) {
        UpDown1.Enabled = true;
        Text4.Enabled = true;
    }
    if (n > 0) {
        for (int i : existing(Label17, 1, n)) {
            Label17[i].ForeColor = kWhite;
            Label17[i].Visible = true;
        }
        UpDown1.Max = n;
    }
    Label17[0].Visible = false;
    if (n == 0) {
        Text4.Text = "0";
    } else {
        Text4.Text = "1";
        UpDown1.Value = 1;
        if (Label17.exists(1))
            Label17[1].ForeColor = kCyan;
    }
    Image2.Visible = false;
    Shape2.Visible = false;
    Label1.Visible = false;
    if (selection == Selection::HandsArea)
        selection = Selection::None;
}

void Form1::colourMarkers()
{
    for (int i : existing(Label17, 1, vertexCount()))
        Label17[i].ForeColor = kWhite;
    if (const int s = selectedVertex())
        if (Label17.exists(s))
            Label17[s].ForeColor = kCyan;
}

void Form1::UpDown1_Change()
{
    UpDown1.Max = std::max(UpDown1.Min, vertexCount());
    colourMarkers();
}

void Form1::Command16_Click()
{
    const int n = vertexCount();
    if (n > 1) {
        if (Label17.exists(n))
            Label17.unload(n);
        if (Line17.exists(n))
            Line17.unload(n);
        const int m = n - 1;
        idx = m;
        // The outline closes on the new last vertex.
        Line17[1].X2 = Line17[m].X1;
        Line17[1].Y2 = Line17[m].Y1;
        Text4.Text = std::to_string(m);
    } else if (n == 1) {
        if (Label17.exists(1))
            Label17.unload(1);
        if (Line17.exists(1))
            Line17.unload(1);
        idx = 0;
        UpDown1.Enabled = false;
        Text4.Text = "0";
        Text4.Enabled = false;
    }
}

} // namespace orbelle::maker
