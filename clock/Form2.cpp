// SPDX-License-Identifier: MIT
#include "Form2.h"

#include "Form1.h"
#include "Units.h"

namespace orbelle::clock {

namespace {


// The dialog's pink shows through every label but the red notice.
void plainLabel(form::Label &label, const char *caption, double points = 9)
{
    label.Caption = caption;
    label.Transparent = true;
    label.TextFont.Size = points;
}

void numberBox(form::TextBox &box, const char *text, double points = 9)
{
    box.Text = text;
    box.TextAlign = form::Alignment::Center;
    box.TextFont.Size = points;
}

void spin(form::UpDown &spin, form::TextBox &buddy, int max)
{
    spin.Min = 0;
    spin.Max = max;
    spin.Increment = 1;
    spin.Wrap = false;
    spin.Buddy = &buddy;
}

} // namespace

Form2::Form2(Form1 &clockWindow) : form::Form("Form2"), clock_(clockWindow)
{
    Caption = "アラーム設定";
    BackColor = 16744703;
    Width = 4920;
    Height = 4155;
    Border = form::FormBorder::Fixed;
    AutoPlace = true;
    layOutDate();
    layOutAlarm();
    layOutMemo();
    addControls();
    wire();
}

// The opening date: month and day, each a number box with its spin control.
void Form2::layOutDate()
{
    Label7.Move(105, 45, 2685, 570);
    plainLabel(Label7, "日付を指定しておくと、その日に起動したときに、このダイアログが開きます。");
    Text4.Move(2940, 180, 420, 315);
    numberBox(Text4, "0");
    UpDown3.Move(3330, 180, 240, 315);
    spin(UpDown3, Text4, 12);
    Label5.Move(3570, 225, 180, 180);
    plainLabel(Label5, "月");
    Text5.Move(3840, 180, 465, 315);
    numberBox(Text5, "0");
    UpDown4.Move(4290, 180, 240, 315);
    spin(UpDown4, Text5, 31);
    Label6.Move(4560, 255, 180, 180);
    plainLabel(Label6, "日");
}

// The alarm time, hour and minute, and the two buttons.
void Form2::layOutAlarm()
{
    Label1.Move(75, 975, 4815, 315);
    plainLabel(Label1, "予定時刻を24時間表記で、半角で入力してください", 11.25);
    Text1.Move(345, 1275, 690, 540);
    numberBox(Text1, "", 20.25);
    UpDown1.Move(1020, 1275, 240, 570);
    spin(UpDown1, Text1, 23);
    Label2.Move(1335, 1395, 360, 360);
    plainLabel(Label2, "時", 18);
    Text2.Move(1830, 1275, 660, 540);
    numberBox(Text2, "", 20.25);
    UpDown2.Move(2475, 1260, 240, 570);
    spin(UpDown2, Text2, 59);
    Label3.Move(2775, 1395, 360, 360);
    plainLabel(Label3, "分", 18);

    Command1.Move(3255, 1290, 1575, 540);
    Command1.Caption = "アラーム時刻設定";
    Command4.Move(1545, 2205, 1935, 375);
    Command4.Caption = "閉じる";
}

// The alarm notice and the memo box over it.
void Form2::layOutMemo()
{
    Label4.Move(180, 3015, 4575, 480);
    Label4.Caption = "設定時刻に なりました";
    Label4.ForeColor = 16777215;
    Label4.BackColor = 255;
    Label4.TextFont.Size = 24;

    Text3.Move(30, kMemoModeTop, 4875, 1530);
    Text3.Text = "ここに\r\nメモを書いておくことができます。\r\n";
    Text3.MultiLine = true;
    Text3.VerticalScrollBar = true;
    Text3.BackColor = 12648447;
}

void Form2::addControls()
{
    // Labels first: every text box lies above them, so the memo box hides
    // the label it overlaps.
    for (form::Label *l : {&Label7, &Label5, &Label6, &Label1, &Label2, &Label3, &Label4})
        add(*l);
    for (form::Control *c : std::initializer_list<form::Control *>{
             &Text4, &UpDown3, &Text5, &UpDown4, &Text1, &UpDown1, &Text2, &UpDown2,
             &Command1, &Command4, &Text3})
        add(*c);
}

void Form2::wire()
{
    Activate = [this] { Form_Activate(); };
    Deactivate = [this] { Form_Deactivate(); };
    QueryUnload = [this](bool &cancel) { Form_QueryUnload(cancel); };
    Command1.Click = [this] { Command1_Click(); };
    Command4.Click = [this] { Command4_Click(); };
    KeyPreview = true;
    KeyDown = [this](int &code, int shift) { Form_KeyDown(code, shift); };
}

void Form2::Form_KeyDown(int &KeyCode, int Shift)
{
    // Ctrl+Enter sets the alarm from wherever the focus is, even the memo
    // (where Enter alone starts a new line); Escape closes as "閉じる".
    if (KeyCode == form::KeyReturn && Shift == form::CtrlKey) {
        KeyCode = 0;
        if (Command1.Enabled && Command1.Visible)
            Command1.Click();
    } else if (KeyCode == form::KeyEscape && Shift == 0) {
        KeyCode = 0;
        Command4.Click();
    }
}

void Form2::Form_Activate()
{
    UpDown1.SetFocus();
}

void Form2::Form_Deactivate()
{
    // The user went elsewhere: what was typed is kept even if the clock
    // never ends the usual way.
    clock_.noteStateChange();
}

void Form2::Command1_Click()
{
    clock_.noteStateChange();
    // Both texts must be numbers before either takes effect: a half-typed
    // time keeps the alarm that was set and the clock runs on.
    std::int16_t hour = 0;
    std::int16_t minute = 0;
    try {
        hour = Value(Text1.Text).toInt16();
        minute = Value(Text2.Text).toInt16();
    } catch (const ConversionError &) {
        return;
    }
    clock_.AlarmH = int(hour);
    clock_.AlarmM = int(minute);
    clock_.mouyoi = 0;
    clock_.Timer2.Interval = 0;
}

void Form2::Command4_Click()
{
    clock_.mouyoi = Text3.Top >= kMemoModeTop ? 0 : 1;
    Hide();
    clock_.noteStateChange();
}

void Form2::Form_QueryUnload(bool &cancel)
{
    cancel = true;
    Command4_Click();
}

} // namespace orbelle::clock
