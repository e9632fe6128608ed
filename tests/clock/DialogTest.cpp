// SPDX-License-Identifier: MIT
// The alarm and memo dialog: its layout, its spin controls, setting the
// alarm and closing in either mode.

#include <algorithm>
#include <iterator>

#include "ClockFixture.h"

namespace orbelle::testing {
namespace {

TEST_F(ClockTest, DialogControlsStandWhereDesigned)
{
    Form2 &d = clock.form2;
    EXPECT_EQ(d.Caption, "アラーム設定");
    EXPECT_EQ(d.BackColor, 16744703);
    EXPECT_EQ(d.Width, 4920);
    EXPECT_EQ(d.Height, 4155);
    EXPECT_FALSE(d.Visible);
    EXPECT_NE(d.Border, form::FormBorder::None);

    const struct {
        form::Control &control;
        float left, top, width, height;
    } cases[] = {
        {d.Label7, 105, 45, 2685, 570},     {d.Text4, 2940, 180, 420, 315},
        {d.UpDown3, 3330, 180, 240, 315},   {d.Label5, 3570, 225, 180, 180},
        {d.Text5, 3840, 180, 465, 315},     {d.UpDown4, 4290, 180, 240, 315},
        {d.Label6, 4560, 255, 180, 180},    {d.Label1, 75, 975, 4815, 315},
        {d.Text1, 345, 1275, 690, 540},     {d.UpDown1, 1020, 1275, 240, 570},
        {d.Label2, 1335, 1395, 360, 360},   {d.Text2, 1830, 1275, 660, 540},
        {d.UpDown2, 2475, 1260, 240, 570},  {d.Label3, 2775, 1395, 360, 360},
        {d.Command1, 3255, 1290, 1575, 540}, {d.Command4, 1545, 2205, 1935, 375},
        {d.Text3, 30, 2640, 4875, 1530},    {d.Label4, 180, 3015, 4575, 480},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.control.displayName());
        EXPECT_EQ(c.control.Left, c.left);
        EXPECT_EQ(c.control.Top, c.top);
        EXPECT_EQ(c.control.Width, c.width);
        EXPECT_EQ(c.control.Height, c.height);
        EXPECT_EQ(c.control.form(), &d);
    }
    EXPECT_EQ(d.controls().size(), std::size(cases));

    // Every text box lies above every label, so the memo box hides the notice.
    std::size_t lastLabel = 0, firstTextBox = d.controls().size();
    for (std::size_t i = 0; i < d.controls().size(); ++i) {
        if (d.controls()[i]->kind() == form::Control::Kind::Label)
            lastLabel = i;
        if (d.controls()[i]->kind() == form::Control::Kind::TextBox)
            firstTextBox = std::min(firstTextBox, i);
    }
    EXPECT_LT(lastLabel, firstTextBox);
}

TEST_F(ClockTest, DialogTextsFontsAndColours)
{
    Form2 &d = clock.form2;
    const struct {
        form::Label &label;
        const char *caption;
        double points;
    } labels[] = {
        {d.Label7, "日付を指定しておくと、その日に起動したときに、このダイアログが開きます。", 9},
        {d.Label5, "月", 9},
        {d.Label6, "日", 9},
        {d.Label1, "予定時刻を24時間表記で、半角で入力してください", 11.25},
        {d.Label2, "時", 18},
        {d.Label3, "分", 18},
        {d.Label4, "設定時刻に なりました", 24},
    };
    for (const auto &l : labels) {
        EXPECT_EQ(l.label.Caption, l.caption) << l.label.displayName();
        EXPECT_EQ(l.label.TextFont, (form::Font{"ＭＳ Ｐゴシック", l.points, false})) << l.label.displayName();
    }
    EXPECT_TRUE(d.Label7.WordWrap);
    EXPECT_EQ(d.Label4.ForeColor, 16777215);
    EXPECT_EQ(d.Label4.BackColor, 255);
    EXPECT_FALSE(d.Label4.Transparent);

    const struct {
        form::TextBox &box;
        const char *text;
        double points;
    } boxes[] = {{d.Text4, "0", 9}, {d.Text5, "0", 9}, {d.Text1, "", 20.25}, {d.Text2, "", 20.25}};
    for (const auto &b : boxes) {
        EXPECT_EQ(b.box.Text, b.text) << b.box.displayName();
        EXPECT_EQ(b.box.TextFont, (form::Font{"ＭＳ Ｐゴシック", b.points, false})) << b.box.displayName();
        EXPECT_EQ(b.box.TextAlign, form::Alignment::Center) << b.box.displayName();
    }

    EXPECT_EQ(d.Text3.Text, "ここに\r\nメモを書いておくことができます。\r\n");
    EXPECT_TRUE(d.Text3.MultiLine);
    EXPECT_TRUE(d.Text3.VerticalScrollBar);
    EXPECT_EQ(d.Text3.BackColor, 12648447);
    EXPECT_EQ(d.Command1.Caption, "アラーム時刻設定");
    EXPECT_EQ(d.Command4.Caption, "閉じる");
}

TEST_F(ClockTest, DialogSpinsStepTheirBoxesWithinTheirRanges)
{
    Form2 &d = clock.form2;
    const struct {
        form::UpDown &spin;
        form::TextBox &box;
        int max;
    } cases[] = {{d.UpDown1, d.Text1, 23}, {d.UpDown2, d.Text2, 59}, {d.UpDown3, d.Text4, 12}, {d.UpDown4, d.Text5, 31}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.spin.displayName());
        EXPECT_EQ(c.spin.Buddy, &c.box);
        c.box.Text = std::to_string(c.max - 1);
        c.spin.stepUp();
        EXPECT_EQ(c.box.Text, std::to_string(c.max));
        c.spin.stepUp();
        EXPECT_EQ(c.box.Text, std::to_string(c.max));
        c.box.Text = "1";
        c.spin.stepDown();
        c.spin.stepDown();
        EXPECT_EQ(c.box.Text, "0");
    }
}

// Started with the alarm at 9:45.
class DialogTest : public ClockTest {
protected:
    void SetUp() override
    {
        ClockTest::SetUp();
        writeDesign();
        writeState("0,0\r\n\"m\"\r\n\"9\",\"45\"\r\n\"0\",\"0\"\r\n");
        start();
    }
};

TEST_F(DialogTest, SettingTheAlarmTakesWholeNumbersAndKeepsTheOldTimeOtherwise)
{
    const struct {
        const char *hour, *minute;
        bool accepted;
        double alarmH, alarmM;
    } cases[] = {
        {"7", "30", true, 7, 30},
        {"7.5", "30", true, 8, 30},   // halves to even
        {"6.5", "0.5", true, 6, 0},
        {"25", "75", true, 25, 75},   // accepted, never matches
        {"abc", "30", false, 9, 45},
        {"7", "", false, 9, 45},
        {"７", "30", false, 9, 45},   // full-width digit
        {"40000", "0", false, 9, 45}, // beyond a 16-bit integer
    };
    Form1 &f = clock.form1;
    Form2 &d = clock.form2;
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << c.hour << "\" \"" << c.minute << '"');
        f.AlarmH = 9;
        f.AlarmM = 45;
        f.mouyoi = 1; // acknowledged and still blinking
        f.Timer2.Interval = 3000;
        d.Show();
        d.Text1.Text = c.hour;
        d.Text2.Text = c.minute;

        d.Command1_Click();

        EXPECT_TRUE(f.AlarmH.equals(c.alarmH)) << f.AlarmH.toText();
        EXPECT_TRUE(f.AlarmM.equals(c.alarmM)) << f.AlarmM.toText();
        EXPECT_TRUE(f.mouyoi.equals(c.accepted ? 0 : 1));
        EXPECT_EQ(f.Timer2.Interval, c.accepted ? 0 : 3000);
        EXPECT_TRUE(d.Visible);
        EXPECT_EQ(d.Text1.Text, c.hour);
    }
}

TEST_F(DialogTest, ClosingArmsInMemoModeAndAcknowledgesInAlarmMode)
{
    const struct {
        float memoTop;
        int mouyoi;
    } cases[] = {{2640, 0}, {3000, 0}, {645, 1}, {2639, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.memoTop);
        clock.form1.mouyoi = 2;
        clock.form1.Timer2.Interval = 3000;
        clock.form2.Show();
        clock.form2.Text3.Top = c.memoTop;

        clock.form2.Command4_Click();

        EXPECT_TRUE(clock.form1.mouyoi.equals(c.mouyoi));
        EXPECT_FALSE(clock.form2.Visible);
        EXPECT_EQ(clock.form1.Timer2.Interval, 3000); // the tick stops the blinking
    }
}

TEST_F(DialogTest, CloseBoxHidesInsteadOfClosing)
{
    clock.form2.Show();
    bool cancel = false;
    clock.form2.Form_QueryUnload(cancel);
    EXPECT_TRUE(cancel);
    EXPECT_FALSE(clock.form2.Visible);
}

TEST_F(DialogTest, CtrlEnterSetsTheAlarmAndEscapeClosesFromAnywhere)
{
    const struct {
        const char *what;
        int key, shift;
        bool taken;     // kept from the control with the focus
        bool alarmSet;
        bool stillShown;
    } cases[] = {
        {"Ctrl+Enter", form::KeyReturn, form::CtrlKey, true, true, true},
        {"Escape", form::KeyEscape, 0, true, false, false},
        {"Enter alone", form::KeyReturn, 0, false, false, true},
        {"Shift+Escape", form::KeyEscape, form::ShiftKey, false, false, true},
        {"a letter", 'A', form::CtrlKey, false, false, true},
    };
    Form1 &f = clock.form1;
    Form2 &d = clock.form2;
    ASSERT_TRUE(d.KeyPreview);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        f.AlarmH = 9;
        f.AlarmM = 45;
        d.Show();
        d.Text1.Text = "7";
        d.Text2.Text = "30";
        int code = c.key;
        d.KeyDown(code, c.shift);
        EXPECT_EQ(code == 0, c.taken);
        EXPECT_TRUE(f.AlarmH.equals(c.alarmSet ? 7 : 9));
        EXPECT_TRUE(f.AlarmM.equals(c.alarmSet ? 30 : 45));
        EXPECT_EQ(d.Visible, c.stillShown);
    }
}

} // namespace
} // namespace orbelle::testing
