// SPDX-License-Identifier: MIT
// Spin control stepping: limits, wrapping, what it takes from its text box
// and the change events it raises.

#include <ostream>

#include <gtest/gtest.h>

#include "TextBox.h"
#include "UpDown.h"

namespace orbelle::form {
namespace {

struct StepCase {
    const char *name;
    int min, max;
    bool wrap;
    const char *typed; // text in the bound box before the click
    bool up;
    const char *expected;
    friend void PrintTo(const StepCase &c, std::ostream *os) { *os << c.name; }
};

class UpDownStep : public ::testing::TestWithParam<StepCase> {};

TEST_P(UpDownStep, WritesTheNextNumberIntoItsBox)
{
    const StepCase &c = GetParam();
    TextBox box;
    UpDown spin;
    spin.Min = c.min;
    spin.Max = c.max;
    spin.Wrap = c.wrap;
    spin.Buddy = &box;
    box.Text = c.typed;

    c.up ? spin.stepUp() : spin.stepDown();

    EXPECT_EQ(box.Text, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UpDownStep,
    ::testing::Values(
        StepCase{"UpInside", 0, 23, false, "7", true, "8"},
        StepCase{"StopsAtMax", 0, 23, false, "23", true, "23"},
        StepCase{"StopsAtMin", 0, 23, false, "0", false, "0"},
        StepCase{"WrapsPastMax", 0, 23, true, "23", true, "0"},
        StepCase{"WrapsPastMin", 0, 23, true, "0", false, "23"},
        StepCase{"WrapInsideDoesNotWrap", 0, 23, true, "12", true, "13"},
        StepCase{"TypedAboveMaxStaysOnTheWayOut", 0, 23, false, "40", true, "40"},
        StepCase{"TypedAboveMaxComesBackToMax", 0, 23, false, "40", false, "23"},
        StepCase{"TypedBelowMinStaysOnTheWayOut", 5, 23, false, "-3", false, "-3"},
        StepCase{"TypedBelowMinComesBackToMin", 5, 23, false, "-3", true, "5"},
        StepCase{"NonNumberCountsFromZero", 0, 59, false, "abc", true, "1"},
        StepCase{"EmptyCountsFromZero", 0, 59, false, "", true, "1"}),
    [](const ::testing::TestParamInfo<StepCase> &info) { return std::string(info.param.name); });

TEST(UpDown, RaisesBothChangesOncePerStepAndNoneAtALimit)
{
    TextBox box;
    UpDown spin;
    spin.Max = 5;
    spin.Buddy = &box;
    box.Text = "4";
    std::string textSeenByBox;
    int boxChanges = 0;
    int spinChanges = 0;
    box.Change = [&] {
        ++boxChanges;
        textSeenByBox = box.Text;
    };
    spin.Change = [&] { ++spinChanges; };

    spin.stepUp();
    EXPECT_EQ(boxChanges, 1);
    EXPECT_EQ(spinChanges, 1);
    EXPECT_EQ(textSeenByBox, "5"); // the box's handler sees the new number

    spin.stepUp();
    EXPECT_EQ(boxChanges, 1);
    EXPECT_EQ(spinChanges, 1);
}

// The control's own value follows the number it took over from its box,
// also when that number already stands at a limit.
TEST(UpDown, ValueFollowsTheNumberTakenFromTheBox)
{
    struct {
        const char *typed;
        bool up;
        int expected;
    } cases[] = {{"7", true, 8}, {"40", true, 23}, {"23", true, 23}, {"0", false, 0}, {"12", false, 11}};
    for (const auto &c : cases) {
        TextBox box;
        UpDown spin;
        spin.Max = 23;
        spin.Value = 5;
        spin.Buddy = &box;
        box.Text = c.typed;
        c.up ? spin.stepUp() : spin.stepDown();
        EXPECT_EQ(spin.Value, c.expected) << "typed " << c.typed << (c.up ? " up" : " down");
    }
}

} // namespace
} // namespace orbelle::form
