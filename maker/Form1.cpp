#include "Form1.h"

#include <cmath>
#include <exception>

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

void lengthRow(form::TextBox &box, const char *text, form::UpDown &spin)
{
    box.Text = text;
    spin.Buddy = &box;
    spin.Min = -100;
    spin.Max = 600;
    spin.Increment = 10;
    spin.Wrap = false;
    spin.Value = std::atoi(text);
}

} // namespace

Form1::Form1(form::Services &services)
    : form::Form("Form1"), services_(services)
{
    layOut();
    wire();
}

void Form1::layOut()
{
    Caption = kTitle;
    Width = 8475;
    Height = 6870;
    Border = form::FormBorder::Fixed;
    AutoPlace = true;
    Visible = true;

    // The canvas lies beneath the panel: what slides under it is hidden.
    Picture1.Move(2850, 45, 4245, 5670);
    // A mid grey, so that the white outlines and centre lines show before a
    // picture is chosen.
    Picture1.BackColor = 0x808080;
    add(Picture1);

    Frame1.Move(60, 300, 2700, 6210);
    add(Frame1);
    Command1.Move(135, 285, 2040, 1120);
    Command1.Caption = "画像ファイルの選択";
    Command9.Move(2265, 285, 240, 550);
    Command9.Caption = "▲";
    Command10.Move(2265, 855, 240, 550);
    Command10.Caption = "▼";
    for (form::CommandButton *b : {&Command9, &Command10})
        b->TextFont.Size = 6;
    add(Command1, &Frame1);
    add(Command9, &Frame1);
    add(Command10, &Frame1);
    Timer1.Interval = 0;
    add(Timer1, &Frame1);

    Frame2.Move(135, 1470, 2460, 1620);
    Frame2.Caption = "ベースの形";
    add(Frame2, &Frame1);
    Option1.Move(150, 300, 600, 255);
    Option1.Caption = "円";
    Option1.Value = true;
    Option2.Move(780, 300, 720, 255);
    Option2.Caption = "四角";
    Option3.Move(1530, 300, 870, 255);
    Option3.Caption = "多角形";
    Command13.Move(150, 660, 1080, 375);
    Command13.Caption = "頂点作成";
    Command15.Move(1260, 660, 1080, 375);
    Command15.Caption = "頂点修正";
    Command14.Move(150, 1110, 1080, 375);
    Command14.Caption = "通常ﾓｰﾄﾞ";
    Command16.Move(1260, 1110, 540, 375);
    Command16.Caption = "消去";
    Text4.Move(1830, 1110, 330, 315);
    Text4.Text = "1";
    Text4.TextAlign = form::Alignment::Center;
    UpDown1.Move(2160, 1110, 240, 315);
    UpDown1.Buddy = &Text4;
    UpDown1.Min = 1;
    UpDown1.Max = 1;
    UpDown1.Increment = 1;
    UpDown1.Value = 1;
    for (form::Control *c : std::initializer_list<form::Control *>{&Option1, &Option2, &Option3, &Command13,
                                                                    &Command15, &Command14, &Command16, &Text4,
                                                                    &UpDown1})
        add(*c, &Frame2);
    for (form::Control *c : std::initializer_list<form::Control *>{&Command13, &Command14, &Command15, &Command16,
                                                                    &Text4, &UpDown1})
        c->Enabled = false;

    Frame3.Move(135, 3195, 2460, 1605);
    Frame3.Caption = "針・目盛の表示・色・長さ(%)";
    add(Frame3, &Frame1);
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
        r.check.Move(120, r.checkTop, 210, 210);
        r.check.Value = 1;
        r.swatch.Move(r.swatchLeft, r.swatchTop, 810, 180);
        r.swatch.Caption = r.caption;
        r.swatch.BackColor = r.colour;
        r.swatch.TextAlign = form::Alignment::Center;
        r.button.Move(1170, r.buttonTop, 330, 315);
        r.button.Caption = "色";
        add(r.check, &Frame3);
        add(r.swatch, &Frame3);
        add(r.button, &Frame3);
    }
    Text1.Move(1545, 585, 525, 285);
    UpDown3.Move(2070, 585, 240, 285);
    Text2.Move(1545, 915, 525, 285);
    UpDown4.Move(2070, 900, 240, 285);
    Text3.Move(1545, 1230, 525, 285);
    UpDown5.Move(2070, 1230, 240, 285);
    lengthRow(Text1, "100", UpDown3);
    lengthRow(Text2, "90", UpDown4);
    lengthRow(Text3, "70", UpDown5);
    for (form::Control *c : std::initializer_list<form::Control *>{&Text1, &UpDown3, &Text2, &UpDown4, &Text3,
                                                                    &UpDown5})
        add(*c, &Frame3);

    Command8.Move(135, 4905, 2460, 375);
    Command8.Caption = "設定ファイル読込";
    Command2.Move(135, 5325, 2460, 375);
    Command2.Caption = "設定ファイル保存";
    Command2.ToolTipText =
        "オルベルの設定ファイルtokei-set.iniを作成します。必ずオルベルと同じフォルダーに作成してください。";
    Command3.Move(135, 5745, 2460, 375);
    Command3.Caption = "終了";
    add(Command8, &Frame1);
    add(Command2, &Frame1);
    add(Command3, &Frame1);

    // "＜" and "＞" lie over the panel's top edge, in front of it.
    Command11.Move(345, 210, 900, 240);
    Command11.Caption = "＜";
    Command12.Move(1245, 210, 900, 240);
    Command12.Caption = "＞";
    add(Command11);
    add(Command12);

    StatusBar1.Move(0, 6540, 8475, 330);
    StatusBar1.PanelText = kStatusHint;
    add(StatusBar1);

    // The canvas overlays, bottom to top. The hands area lies above the
    // frame, so a press inside it takes the hands area; markers and grips
    // lie above both.
    Shape1.Move(0, 0, 2600, 2600);
    Shape1.Figure = form::ShapeKind::Oval;
    Shape1.BorderColor = kPurple;
    Shape1.BorderStyle = form::PenStyle::Dash;
    add(Shape1, &Picture1);
    Image1.Move(0, 0, 2600, 2600);
    add(Image1, &Picture1);
    Shape2.Move(135, 90, 2370, 2415);
    Shape2.Figure = form::ShapeKind::Oval;
    Shape2.BorderColor = kWhite;
    Shape2.BorderStyle = form::PenStyle::Dash;
    add(Shape2, &Picture1);
    setLine(Line1, 1320, 90, 1320, 2505, kWhite, 1, form::PenStyle::Dot);
    setLine(Line2, 135, 1260, 2505, 1260, kWhite, 1, form::PenStyle::Dot);
    setLine(Line3, 1320, 1260, 2070, 525, kRed, 3, form::PenStyle::Solid);
    setLine(Line4, 1320, 1290, 1320, 2250, kGreen, 3, form::PenStyle::Solid);
    setLine(Line5, 1320, 1260, 570, 630, kMagenta, 3, form::PenStyle::Solid);
    for (form::Line *l : {&Line1, &Line2, &Line3, &Line4, &Line5})
        add(*l, &Picture1);
    Image2.Move(90, 60, 2400, 2400);
    add(Image2, &Picture1);

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
    Command3.Click = [this] { Command3_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command8.Click = [this] { Command8_Click(); };
    Command1.Click = [this] { Command1_Click(); };

    Image1.MouseDown = [this](int b, int s, float x, float y) { Image1_MouseDown(b, s, x, y); };
    Image1.MouseMove = [this](int b, int s, float x, float y) { Image1_MouseMove(b, s, x, y); };
    Image1.MouseUp = [this](int b, int s, float x, float y) { Image1_MouseUp(b, s, x, y); };
    Label5.MouseDown = [this](int b, int s, float x, float y) { Label5_MouseDown(b, s, x, y); };
    Label5.MouseMove = [this](int b, int s, float x, float y) { Label5_MouseMove(b, s, x, y); };
    Label5.MouseUp = [this](int b, int s, float x, float y) { Label5_MouseUp(b, s, x, y); };
    Label6.MouseDown = [this](int b, int s, float x, float y) { Label6_MouseDown(b, s, x, y); };
    Label6.MouseMove = [this](int b, int s, float x, float y) { Label6_MouseMove(b, s, x, y); };
    Label6.MouseUp = [this](int b, int s, float x, float y) { Label6_MouseUp(b, s, x, y); };
    Label7.MouseDown = [this](int b, int s, float x, float y) { Label7_MouseDown(b, s, x, y); };
    Label7.MouseMove = [this](int b, int s, float x, float y) { Label7_MouseMove(b, s, x, y); };
    Label7.MouseUp = [this](int b, int s, float x, float y) { Label7_MouseUp(b, s, x, y); };
    Picture1.Click = [this] { Picture1_Click(); };
    Picture1.LostFocus = [this] { Picture1_LostFocus(); };
    Picture1.MouseMove = [this](int b, int s, float x, float y) { Picture1_MouseMove(b, s, x, y); };
    Picture1.MouseUp = [this](int b, int s, float x, float y) { Picture1_MouseUp(b, s, x, y); };
    Option1.Click = [this] { Option1_Click(); };
    Option2.Click = [this] { Option2_Click(); };
    Option3.Click = [this] { Option3_Click(); };
    Image2.MouseDown = [this](int b, int s, float x, float y) { Image2_MouseDown(b, s, x, y); };
    Image2.MouseMove = [this](int b, int s, float x, float y) { Image2_MouseMove(b, s, x, y); };
    Image2.MouseUp = [this](int b, int s, float x, float y) { Image2_MouseUp(b, s, x, y); };
    Label1.MouseDown = [this](int b, int s, float x, float y) { Label1_MouseDown(b, s, x, y); };
    Label1.MouseMove = [this](int b, int s, float x, float y) { Label1_MouseMove(b, s, x, y); };
    Label1.MouseUp = [this](int b, int s, float x, float y) { Label1_MouseUp(b, s, x, y); };

    Command13.Click = [this] { Command13_Click(); };
    Command14.Click = [this] { Command14_Click(); };
    Command15.Click = [this] { Command15_Click(); };
    Command16.Click = [this] { Command16_Click(); };
    UpDown1.Change = [this] { UpDown1_Change(); };

    Check1.Click = [this] { Check1_Click(); };
    Check2.Click = [this] { Check2_Click(); };
    Check3.Click = [this] { Check3_Click(); };
    Check4.Click = [this] { Check4_Click(); };
    Command4.Click = [this] { Command4_Click(); };
    Command5.Click = [this] { Command5_Click(); };
    Command6.Click = [this] { Command6_Click(); };
    Command7.Click = [this] { Command7_Click(); };
    UpDown3.Change = [this] { UpDown3_Change(); };
    UpDown4.Change = [this] { UpDown4_Change(); };
    UpDown5.Change = [this] { UpDown5_Change(); };

    Command9.MouseDown = [this](int b, int s, float x, float y) { Command9_MouseDown(b, s, x, y); };
    Command9.MouseUp = [this](int b, int s, float x, float y) { Command9_MouseUp(b, s, x, y); };
    Command9.Click = [this] { Command9_Click(); };
    Command10.MouseDown = [this](int b, int s, float x, float y) { Command10_MouseDown(b, s, x, y); };
    Command10.MouseUp = [this](int b, int s, float x, float y) { Command10_MouseUp(b, s, x, y); };
    Command10.Click = [this] { Command10_Click(); };
    Command11.MouseDown = [this](int b, int s, float x, float y) { Command11_MouseDown(b, s, x, y); };
    Command11.MouseUp = [this](int b, int s, float x, float y) { Command11_MouseUp(b, s, x, y); };
    Command11.Click = [this] { Command11_Click(); };
    Command12.MouseDown = [this](int b, int s, float x, float y) { Command12_MouseDown(b, s, x, y); };
    Command12.MouseUp = [this](int b, int s, float x, float y) { Command12_MouseUp(b, s, x, y); };
    Command12.Click = [this] { Command12_Click(); };
    Timer1.Tick = [this] { Timer1_Timer(); };
}

void Form1::Form_Load()
{
    flag = kDragNone;
    pi = 3.14159265358979;
    services_.setCurrentDirectory(services_.programFolder());
    // Left-overs of a save of the design that was cut short.
    recoverInterruptedWrites(services_.programFolder() / kDesignFileName);
    placeHands();
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
