// SPDX-License-Identifier: MIT
#include "SampleForm.h"

#include <QTest>

#include "Units.h"

namespace orbelle::formqt::testing {

namespace {
} // namespace

SampleForm::SampleForm() : form::Form("Sample")
{
    Caption = "見本";
    Width = 6000;
    Height = 4500;
    BackColor = form::rgb(0, 128, 255);
    Border = form::FormBorder::Fixed;
    Visible = true;

    Picture1.Move(0, 0, 1500, 1200);
    Picture1.BackColor = form::rgb(200, 200, 200);
    Line1.X1 = 150;
    Line1.Y1 = 150;
    Line1.X2 = 600;
    Line1.Y2 = 150;
    Line1.BorderWidth = 3;
    Line1.BorderColor = 255;
    Line2.X1 = 150;
    Line2.Y1 = 600;
    Line2.X2 = 1650;
    Line2.Y2 = 600;
    Line2.BorderWidth = 3;
    Line2.BorderColor = 0x404040;
    Line2.Mode = form::DrawMode::MaskNotPen;

    Label1.Move(2940, 1500, 1500, 300);
    Label1.Caption = "待機中";
    Label1.ForeColor = form::rgb(255, 255, 255);
    Label1.BackColor = form::rgb(255, 0, 0);

    Text1.Move(2940, 180, 420, 315);
    Text1.Text = "3";
    UpDown1.Move(3360, 180, 240, 315);
    UpDown1.Min = 0;
    UpDown1.Max = 5;
    UpDown1.Buddy = &Text1;

    Text2.Move(2940, 2100, 2400, 900);
    Text2.MultiLine = true;
    Text2.Text = "一行目\r\n二行目";
    Text2.BackColor = 12648447;

    Command1.Move(3900, 600, 1500, 375);
    Command1.Caption = "実行";
    Command1.ToolTipText = "実行します";

    Label2.Move(3900, 1050, 1500, 300);
    Label2.Caption = "隠れています";
    Label2.Visible = false;

    Label3.Move(3000, 2250, 900, 300);
    Label3.Caption = "下";

    add(Picture1);
    add(Line1, &Picture1);
    add(Line2, &Picture1);
    for (form::Control *c : std::initializer_list<form::Control *>{
             &Label1, &Text1, &UpDown1, &Text2, &Command1, &Label2, &Timer1, &Label3})
        add(*c);

    Command1.Click = [this] {
        ++clicks;
        if (onClick)
            onClick();
    };
    Text1.Change = [this] { ++text1Changes; };
    Text2.Change = [this] { ++text2Changes; };
    Picture1.MouseDown = [this](int b, int s, float x, float y) { pictureDowns.push_back({b, s, x, y}); };
    Picture1.MouseUp = [this](int b, int s, float x, float y) { pictureUps.push_back({b, s, x, y}); };
    Picture1.Click = [this] { ++pictureClicks; };
    MouseDown = [this](int b, int s, float x, float y) { formDowns.push_back({b, s, x, y}); };
    Click = [this] { ++formClicks; };
}

void SampleWindowTest::SetUp()
{
    binding.addForm(form);
    binding.load(form);
    window = binding.windowOf(form);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
}

void SampleWindowTest::TearDown()
{
    // The windows go before the form they show.
    binding.releaseWindows();
}

QRect SampleWindowTest::placeOf(const form::Control &control) const
{
    QWidget *w = widgetOf(control);
    if (!w)
        return {};
    return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}

} // namespace orbelle::formqt::testing
