// SPDX-License-Identifier: MIT
// Control arrays: elements created at design time and loaded at run time,
// their place on the form, and the errors for elements that do or do not exist.

#include <gtest/gtest.h>

#include "ControlArray.h"
#include "Form.h"
#include "Line.h"
#include "PictureBox.h"

namespace orbelle::form {
namespace {

class ControlArrayTest : public ::testing::Test {
protected:
    ControlArrayTest()
    {
        form.add(box);
        lines.place(form, &box);
        lines.Wire = [this](Line &l) { wired.push_back(l.index()); };
    }

    // The template as a designer would leave it.
    Line &makeTemplate()
    {
        Line &t = lines.create(0);
        t.Left = 15;
        t.ToolTipText = "tip";
        t.X1 = 1;
        t.Y2 = 400;
        t.BorderColor = 0x123456;
        t.BorderWidth = 3;
        t.BorderStyle = PenStyle::Dot;
        t.Mode = DrawMode::MaskNotPen;
        return t;
    }

    Form form{"Form1"};
    PictureBox box{"Picture1"};
    ControlArray<Line> lines{"Line4"};
    std::vector<int> wired;
};

TEST_F(ControlArrayTest, LoadCopiesTheTemplateLookAndStartsHidden)
{
    const Line &t = makeTemplate();
    Line &e = lines.load(5);

    EXPECT_TRUE(t.Visible);
    EXPECT_FALSE(e.Visible);
    EXPECT_EQ(static_cast<const LineState &>(e), static_cast<const LineState &>(t));
    EXPECT_EQ(e.Left, 15);
    EXPECT_EQ(e.ToolTipText, "tip");
    EXPECT_EQ(e.displayName(), "Line4(5)");
    EXPECT_EQ(&lines[5], &e);
    EXPECT_EQ(wired, (std::vector<int>{0, 5}));
}

TEST_F(ControlArrayTest, ExistingAndMissingElementsThrow)
{
    EXPECT_THROW(lines.load(1), ControlArrayError); // no template yet
    makeTemplate();
    lines.load(1);
    EXPECT_THROW(lines.create(0), ControlArrayError);
    EXPECT_THROW(lines.load(1), ControlArrayError);
    EXPECT_EQ(lines.count(), 2);
    EXPECT_EQ(form.controls().size(), 3u);

    lines.unload(1);
    EXPECT_FALSE(lines.exists(1));
    EXPECT_THROW(lines[1], ControlArrayError);
    EXPECT_THROW(lines.unload(1), ControlArrayError);
    const ControlArray<Line> &constLines = lines;
    EXPECT_THROW(constLines[7], ControlArrayError);
}

TEST_F(ControlArrayTest, ElementsJoinTheFormInZOrderAndLeaveItWhenUnloaded)
{
    makeTemplate();
    lines.load(2);
    lines.load(1);
    EXPECT_EQ(form.controls(), (std::vector<Control *>{&box, &lines[0], &lines[2], &lines[1]}));
    for (int i : {0, 1, 2})
        EXPECT_EQ(lines[i].container(), &box) << i;

    const auto before = form.layoutRevision();
    lines.unload(2);
    EXPECT_EQ(form.controls(), (std::vector<Control *>{&box, &lines[0], &lines[1]}));
    EXPECT_GT(form.layoutRevision(), before);

    // The index is free again, and the new element goes on top.
    lines.load(2);
    EXPECT_EQ(form.controls().back(), &lines[2]);
}

} // namespace
} // namespace orbelle::form
