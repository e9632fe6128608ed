// SPDX-License-Identifier: MIT
#include "Form1.h"

#include <cmath>
#include <exception>
#include <functional>

#include "AtomicFile.h"

namespace orbelle::maker {

namespace {


void setLine(form::Line &line, float x1, float y1, float x2, float y2, int colour, int width, form::PenStyle style)
{
    line.X1 = x1;
    line.Y1 = y1;
    line.X2 = x2;
    line.Y2 = y2;
    line.BorderColor = colour;
    line.BorderWidth = width;
    line.BorderStyle = style;
}

// A glyph on the canvas: a marker or a grip.
void setGlyph(form::Label &label, const char *glyph, int colour, float size, double points)
{
    label.Caption = glyph;
    label.ForeColor = colour;
    label.Transparent = true;
    label.TextAlign = form::Alignment::Center;
    label.WordWrap = false;
    label.Width = size;
    label.Height = size;
    label.TextFont.Size = points;
}

// Where a control goes (twips, in its container or the form) and its
// caption, where it has one; added on top of what is there.
struct Place {
    float left, top, width, height;
};

template <typename C>
void put(Form1 &f, C &control, form::Control *container, Place at, const char *caption = nullptr)
{
    control.Move(at.left, at.top, at.width, at.height);
    if constexpr (requires { control.Caption; }) {
        if (caption)
            control.Caption = caption;
    }
    f.add(control, container);
}

// A hand's length box with its spin control, in the hands frame.
void lengthRow(Form1 &f, form::TextBox &box, Place boxAt, const char *text, form::UpDown &spin, Place spinAt)
{
    box.Move(boxAt.left, boxAt.top, boxAt.width, boxAt.height);
    spin.Move(spinAt.left, spinAt.top, spinAt.width, spinAt.height);
    box.Text = text;
    spin.Buddy = &box;
    spin.Min = -100;
    spin.Max = 600;
    spin.Increment = 10;
    spin.Wrap = false;
    spin.Value = std::atoi(text);
    f.add(box, &f.Frame3);
    f.add(spin, &f.Frame3);
}

using MouseHandler = void (Form1::*)(int, int, float, float);

// Sends a control's mouse events to the form's handlers named after them;
// a null handler leaves that event unanswered.
template <typename C>
void mouse(Form1 &f, C &control, MouseHandler down, MouseHandler move, MouseHandler up)
{
    const auto to = [&f](MouseHandler handler) -> std::function<void(int, int, float, float)> {
        if (!handler)
            return {};
        return [&f, handler](int b, int s, float x, float y) { (f.*handler)(b, s, x, y); };
    };
    control.MouseDown = to(down);
    if constexpr (requires { control.MouseMove; })
        control.MouseMove = to(move);
    control.MouseUp = to(up);
}

} // namespace

Form1::Form1(form::Services &services)
    : form::Form("Form1"), services_(services)
{
    layOut();
    wire();
    history_.reset(DesignSnapshot::of(*this));
    updateEditMenu();
}

void Form1::layOut()
{
    Caption = kTitle;
    Width = 8475;
    Height = 6870;
    ScaleWidth = Width;
    ScaleHeight = Height;
    // Resizable down to the designed height, which every panel control
    // needs, and to a strip of canvas beside the panel.
    Border = form::FormBorder::Sizable;
    MinWidth = kPanelRight + 1500;
    MinHeight = Height;
    OLEDropMode = true;
    AutoPlace = true;
    Visible = true;

    // The canvas lies beneath the panel: what slides under it is hidden.
    put(*this, Picture1, nullptr, {2850, 45, 4245, 5670});
    // A mid grey, so that the white outlines and centre lines show before a
    // picture is chosen.
    Picture1.BackColor = 0x808080;
    layOutPanel();
    layOutShapeFrame();
    layOutHandsFrame();
    put(*this, Command8, &Frame1, {135, 4905, 2460, 375}, "設定ファイル読込");
    put(*this, Command2, &Frame1, {135, 5325, 2460, 375}, "設定ファイル保存");
    Command2.ToolTipText =
        "オルベルの設定ファイルtokei-set.iniを作成します。必ずオルベルと同じフォルダーに作成してください。";
    put(*this, Command3, &Frame1, {135, 5745, 2460, 375}, "終了");
    // "＜" and "＞" lie over the panel's top edge, in front of it.
    put(*this, Command11, nullptr, {345, 210, 900, 240}, "＜");
    put(*this, Command12, nullptr, {1245, 210, 900, 240}, "＞");
    put(*this, StatusBar1, nullptr, {0, 6540, 8475, 330});
    StatusBar1.PanelText = kStatusHint;
    // Above the canvas, shown when the picture is larger than the viewport.
    HScroll1.Horizontal = true;
    VScroll1.Horizontal = false;
    for (form::ScrollBar *bar : {&HScroll1, &VScroll1}) {
        bar->Visible = false;
        bar->SmallChange = kScrollSmallChange;
        add(*bar);
    }
    layOutCanvas();
    layOutMenu();
    fitScrollBars();
}

void Form1::layOutPanel()
{
    put(*this, Frame1, nullptr, {60, 300, 2700, 6210});
    put(*this, Command1, &Frame1, {135, 285, 2040, 1120}, "画像ファイルの選択");
    put(*this, Command9, &Frame1, {2265, 285, 240, 550}, "▲");
    put(*this, Command10, &Frame1, {2265, 855, 240, 550}, "▼");
    for (form::CommandButton *b : {&Command9, &Command10})
        b->TextFont.Size = 6;
    Timer1.Interval = 0;
    add(Timer1, &Frame1);
}

void Form1::layOutShapeFrame()
{
    put(*this, Frame2, &Frame1, {135, 1470, 2460, 1620}, "ベースの形");
    put(*this, Option1, &Frame2, {150, 300, 600, 255}, "円");
    put(*this, Option2, &Frame2, {780, 300, 720, 255}, "四角");
    put(*this, Option3, &Frame2, {1530, 300, 870, 255}, "多角形");
    put(*this, Command13, &Frame2, {150, 660, 1080, 375}, "頂点作成");
    put(*this, Command15, &Frame2, {1260, 660, 1080, 375}, "頂点修正");
    put(*this, Command14, &Frame2, {150, 1110, 1080, 375}, "通常ﾓｰﾄﾞ");
    put(*this, Command16, &Frame2, {1260, 1110, 540, 375}, "消去");
    put(*this, Text4, &Frame2, {1830, 1110, 330, 315});
    put(*this, UpDown1, &Frame2, {2160, 1110, 240, 315});
    Option1.Value = true;
    Text4.Text = "1";
    Text4.TextAlign = form::Alignment::Center;
    UpDown1.Buddy = &Text4;
    UpDown1.Min = 1;
    UpDown1.Max = 1;
    UpDown1.Increment = 1;
    UpDown1.Value = 1;
    for (form::Control *c : std::initializer_list<form::Control *>{&Command13, &Command14, &Command15, &Command16,
                                                                    &Text4, &UpDown1})
        c->Enabled = false;
}

void Form1::layOutHandsFrame()
{
    put(*this, Frame3, &Frame1, {135, 3195, 2460, 1605}, "針・目盛の表示・色・長さ(%)");
    struct Row {
        form::CheckBox &check;
        float checkTop;
        form::Label &swatch;
        float swatchLeft, swatchTop;
        const char *caption;
        int colour;
        form::CommandButton &button;
        float buttonTop;
    };
    const Row rows[] = {
        {Check1, 285, Label2, 375, 300, "目盛", kWhite, Command4, 240},
        {Check2, 615, Label3, 375, 630, "秒針", kRed, Command5, 570},
        {Check3, 930, Label8, 390, 945, "分針", kGreen, Command6, 900},
        {Check4, 1260, Label9, 375, 1275, "時針", kMagenta, Command7, 1230},
    };
    for (const Row &r : rows) {
        put(*this, r.check, &Frame3, {120, r.checkTop, 210, 210});
        r.check.Value = 1;
        put(*this, r.swatch, &Frame3, {r.swatchLeft, r.swatchTop, 810, 180}, r.caption);
        r.swatch.BackColor = r.colour;
        r.swatch.TextAlign = form::Alignment::Center;
        put(*this, r.button, &Frame3, {1170, r.buttonTop, 330, 315}, "色");
    }
    lengthRow(*this, Text1, {1545, 585, 525, 285}, "100", UpDown3, {2070, 585, 240, 285});
    lengthRow(*this, Text2, {1545, 915, 525, 285}, "90", UpDown4, {2070, 900, 240, 285});
    lengthRow(*this, Text3, {1545, 1230, 525, 285}, "70", UpDown5, {2070, 1230, 240, 285});
}

// The canvas overlays, bottom to top. The hands area lies above the frame,
// so a press inside it takes the hands area; markers and grips lie above
// both.
void Form1::layOutCanvas()
{
    put(*this, Shape1, &Picture1, {0, 0, 2600, 2600});
    Shape1.Figure = form::ShapeKind::Oval;
    Shape1.BorderColor = kPurple;
    Shape1.BorderStyle = form::PenStyle::Dash;
    put(*this, Image1, &Picture1, {0, 0, 2600, 2600});
    put(*this, Shape2, &Picture1, {135, 90, 2370, 2415});
    Shape2.Figure = form::ShapeKind::Oval;
    Shape2.BorderColor = kWhite;
    Shape2.BorderStyle = form::PenStyle::Dash;
    setLine(Line1, 1320, 90, 1320, 2505, kWhite, 1, form::PenStyle::Dot);
    setLine(Line2, 135, 1260, 2505, 1260, kWhite, 1, form::PenStyle::Dot);
    setLine(Line3, 1320, 1260, 2070, 525, kRed, 3, form::PenStyle::Solid);
    setLine(Line4, 1320, 1290, 1320, 2250, kGreen, 3, form::PenStyle::Solid);
    setLine(Line5, 1320, 1260, 570, 630, kMagenta, 3, form::PenStyle::Solid);
    for (form::Line *l : {&Line1, &Line2, &Line3, &Line4, &Line5})
        add(*l, &Picture1);
    put(*this, Image2, &Picture1, {90, 60, 2400, 2400});

    Line17.place(*this, &Picture1);
    setLine(Line17.create(0), 2010, 3090, 2010, 4125, kMagenta, 2, form::PenStyle::Solid);
    Line17[0].Visible = false;
    Label17.place(*this, &Picture1);
    form::Label &marker = Label17.create(0);
    setGlyph(marker, "●", kMagenta, 105, 5);
    marker.Left = 1950;
    marker.Top = 3015;
    marker.Visible = false;

    Label4.place(*this, &Picture1);
    form::Label &corner = Label4.create(0);
    setGlyph(corner, "□", kMagenta, 180, 8);
    corner.Visible = false;
    for (form::Label *grip : {&Label5, &Label6, &Label7}) {
        setGlyph(*grip, "■", kRed, 180, 8);
        grip->Visible = false;
        add(*grip, &Picture1);
    }
    setGlyph(Label1, "■", kWhite, 180, 8);
    Label1.Left = 2400;
    Label1.Top = 2340;
    add(Label1, &Picture1);
}

void Form1::wire()
{
    Load = [this] { Form_Load(); };
    KeyPreview = true;
    KeyDown = [this](int &code, int shift) { Form_KeyDown(code, shift); };
    Command3.Click = [this] { Command3_Click(); };
    Command2.Click = [this] { asStep("保存", [this] { Command2_Click(); }); };
    Command8.Click = [this] { asStep("設定ファイル読込", [this] { Command8_Click(); }); };
    Command1.Click = [this] { asStep("画像の選択", [this] { Command1_Click(); }); };
    wireCanvas();
    wireSteps();

    // The panning buttons: pressed and released as well as clicked. Panning
    // only moves the view, which undo leaves alone.
    mouse(*this, Command9, &Form1::Command9_MouseDown, nullptr, &Form1::Command9_MouseUp);
    Command9.Click = [this] { Command9_Click(); };
    mouse(*this, Command10, &Form1::Command10_MouseDown, nullptr, &Form1::Command10_MouseUp);
    Command10.Click = [this] { Command10_Click(); };
    mouse(*this, Command11, &Form1::Command11_MouseDown, nullptr, &Form1::Command11_MouseUp);
    Command11.Click = [this] { Command11_Click(); };
    mouse(*this, Command12, &Form1::Command12_MouseDown, nullptr, &Form1::Command12_MouseUp);
    Command12.Click = [this] { Command12_Click(); };
    Timer1.Tick = [this] { Timer1_Timer(); };
    wireView();
}

void Form1::wireView()
{
    Resize = [this] { Form_Resize(); };
    // A drop loads a design or chooses a picture: one step either way.
    OLEDragDrop = [this](const std::vector<std::string> &files) {
        asStep(droppedStepLabel(files), [&] { Form_OLEDragDrop(files); });
    };
    HScroll1.Change = [this] { HScroll1_Change(); };
    VScroll1.Change = [this] { VScroll1_Change(); };
    Picture1.MouseWheel = [this](int shift, int dx, int dy) { Picture1_MouseWheel(shift, dx, dy); };
    Picture1.MouseDragDown = [this](int b, int s, float x, float y) { return Picture1_MouseDragDown(b, s, x, y); };
    Picture1.MouseDragMove = [this](int b, int s, float x, float y) { Picture1_MouseDragMove(b, s, x, y); };
    Picture1.MouseDragUp = [this](int b, int s, float x, float y) { Picture1_MouseDragUp(b, s, x, y); };
}

// The canvas's mouse events: every one goes through the drag protocol's
// step keeping, so a whole drag is one step.
void Form1::wireCanvas()
{
    const auto viaSteps = [this](MouseHandler handler, bool move) -> std::function<void(int, int, float, float)> {
        if (!handler)
            return {};
        return [this, handler, move](int b, int s, float x, float y) {
            // The pointer passing over the canvas with no drag going on
            // changes neither the design nor the selection.
            if (move && sameNumber(flag, kDragNone)) {
                (this->*handler)(b, s, x, y);
                return;
            }
            asDragEvent([&] { (this->*handler)(b, s, x, y); });
            // A drag may have resized the frame: its size is shown.
            showSizes();
        };
    };
    const auto wireMouse = [&](auto &control, MouseHandler down, MouseHandler move, MouseHandler up) {
        control.MouseDown = viaSteps(down, false);
        control.MouseMove = viaSteps(move, true);
        control.MouseUp = viaSteps(up, false);
    };
    wireMouse(Image1, &Form1::Image1_MouseDown, &Form1::Image1_MouseMove, &Form1::Image1_MouseUp);
    wireMouse(Label5, &Form1::Label5_MouseDown, &Form1::Label5_MouseMove, &Form1::Label5_MouseUp);
    wireMouse(Label6, &Form1::Label6_MouseDown, &Form1::Label6_MouseMove, &Form1::Label6_MouseUp);
    wireMouse(Label7, &Form1::Label7_MouseDown, &Form1::Label7_MouseMove, &Form1::Label7_MouseUp);
    wireMouse(Picture1, nullptr, &Form1::Picture1_MouseMove, &Form1::Picture1_MouseUp);
    wireMouse(Image2, &Form1::Image2_MouseDown, &Form1::Image2_MouseMove, &Form1::Image2_MouseUp);
    wireMouse(Label1, &Form1::Label1_MouseDown, &Form1::Label1_MouseMove, &Form1::Label1_MouseUp);
    Picture1.Click = [this] { asStep("選択", [this] { Picture1_Click(); }); };
    Picture1.LostFocus = [this] { asStep("選択", [this] { Picture1_LostFocus(); }); };
}

// The panel's handlers, each one step named after what it changes. A
// handler that another one runs (a load setting the options and check
// boxes) is part of the outer step.
void Form1::wireSteps()
{
    Option1.Click = [this] { asStep("ベースの形", [this] { Option1_Click(); }); };
    Option2.Click = [this] { asStep("ベースの形", [this] { Option2_Click(); }); };
    Option3.Click = [this] { asStep("ベースの形", [this] { Option3_Click(); }); };
    Command13.Click = [this] { asStep("モードの切り替え", [this] { Command13_Click(); }); };
    Command14.Click = [this] { asStep("モードの切り替え", [this] { Command14_Click(); }); };
    Command15.Click = [this] { asStep("モードの切り替え", [this] { Command15_Click(); }); };
    Command16.Click = [this] { asStep("頂点の消去", [this] { Command16_Click(); }); };
    UpDown1.Change = [this] { asStep("頂点の選択", [this] { UpDown1_Change(); }); };

    Check1.Click = [this] { asStep("表示の切り替え", [this] { Check1_Click(); }); };
    Check2.Click = [this] { asStep("表示の切り替え", [this] { Check2_Click(); }); };
    Check3.Click = [this] { asStep("表示の切り替え", [this] { Check3_Click(); }); };
    Check4.Click = [this] { asStep("表示の切り替え", [this] { Check4_Click(); }); };
    Command4.Click = [this] { asStep("色の変更", [this] { Command4_Click(); }); };
    Command5.Click = [this] { asStep("色の変更", [this] { Command5_Click(); }); };
    Command6.Click = [this] { asStep("色の変更", [this] { Command6_Click(); }); };
    Command7.Click = [this] { asStep("色の変更", [this] { Command7_Click(); }); };
    UpDown3.Change = [this] { asStep("長さの変更", [this] { UpDown3_Change(); }); };
    UpDown4.Change = [this] { asStep("長さの変更", [this] { UpDown4_Change(); }); };
    UpDown5.Change = [this] { asStep("長さの変更", [this] { UpDown5_Change(); }); };
    // Typing into a length box: the letters typed one after another are
    // one step.
    Text1.Change = [this] { asStep("長さの変更", [] {}, "Text1"); };
    Text2.Change = [this] { asStep("長さの変更", [] {}, "Text2"); };
    Text3.Change = [this] { asStep("長さの変更", [] {}, "Text3"); };
}

void Form1::Form_Load()
{
    flag = kDragNone;
    pi = 3.14159265358979;
    services_.setCurrentDirectory(services_.programFolder());
    // Left-overs of a save of the design that was cut short.
    recoverInterruptedWrites(services_.programFolder() / kDesignFileName);
    placeHands();
    // Nothing before the window opened can be undone.
    history_.reset(DesignSnapshot::of(*this));
    updateEditMenu();
}

void Form1::Command3_Click()
{
    services_.endProgram();
}

void Form1::placeHands()
{
    struct Hand {
        form::Line &line;
        double degrees;
        const form::TextBox &length;
    };
    const Hand hands[] = {{Line3, 60, Text1}, {Line4, 181, Text2}, {Line5, 315, Text3}};
    for (const Hand &h : hands) {
        // A length box that holds no number within the 16-bit range leaves
        // its hand where it was.
        std::int16_t percent = 0;
        try {
            percent = Value(h.length.Text).toInt16();
        } catch (const ConversionError &) {
            continue;
        }
        const float p = float(percent) / 100.0f;
        h.line.X1 = float(double(Image2.Left) + double(Image2.Width) / 2);
        h.line.Y1 = float(double(Image2.Top) + double(Image2.Height) / 2);
        const double a = pi * h.degrees / 180;
        h.line.X2 = float(double(h.line.X1) + double(p) * (double(Image2.Width) / 2) * std::sin(a));
        h.line.Y2 = float(double(h.line.Y1) - double(p) * (double(Image2.Height) / 2) * std::cos(a));
    }
}

void Form1::placeCentreLines()
{
    // The position variables may hold anything a load put there; a value
    // that is no number leaves the lines as they are.
    try {
        const double left = SetTX.toDouble();
        const double top = SetTY.toDouble();
        Line1.X1 = float(double(Shape2.Width) / 2 + left);
        Line1.Y1 = float(top);
        Line1.X2 = Line1.X1;
        Line1.Y2 = float(double(Shape2.Height) + top);
        Line2.X1 = float(left);
        Line2.Y1 = float(double(Shape2.Height) / 2 + top);
        Line2.X2 = float(double(Shape2.Width) + left);
        Line2.Y2 = Line2.Y1;
    } catch (const ConversionError &) {
    }
}

} // namespace orbelle::maker
