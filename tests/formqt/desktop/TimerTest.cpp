// SPDX-License-Identifier: MIT
// Form timers on QTimers: the aim point of timers that wake once a second,
// and how interval changes start, keep or stop the countdown.

#include <gtest/gtest.h>
#include <QDateTime>

#include "QtBinding.h"
#include "TestSupport.h"
#include "Timer.h"
#include "desktop/TimerDriver.h"

namespace orbelle::formqt::testing {
namespace {

TEST(MsToNextSecondTest, AimsTwoMillisecondsPastTheNextBoundary)
{
    const struct {
        qint64 epochMs;
        int expected;
    } rows[] = {
        {1000, 2},    // on the boundary: its own margin is still ahead
        {1001, 1},    // inside the margin of the boundary just passed
        {1002, 1000}, // at the aim point: the next one is a second away
        {1003, 999},
        {1500, 502},
        {1998, 4},
        {1999, 3},
        {0, 2},
        {1'700'000'000'123, 879},
        {-1, 3}, // before 1970 the seconds still run forward
    };
    for (const auto &row : rows)
        EXPECT_EQ(TimerDriver::msToNextSecond(row.epochMs), row.expected) << row.epochMs;
}

TEST(MsToNextSecondTest, StaysWithinOneSecondAndLandsOnTheMargin)
{
    for (qint64 ms = 5000; ms < 7000; ++ms) {
        const int wait = TimerDriver::msToNextSecond(ms);
        ASSERT_GE(wait, 1) << ms;
        ASSERT_LE(wait, 1000) << ms;
        ASSERT_EQ((ms + wait) % 1000, TimerDriver::kBoundaryMarginMs) << ms;
    }
}

class TimerForm : public form::Form {
public:
    TimerForm() : form::Form("Timers")
    {
        add(Timer1);
        add(Timer2);
        Timer1.Tick = [this] {
            stamps1.push_back(QDateTime::currentMSecsSinceEpoch());
            if (onTick1)
                onTick1();
        };
        Timer2.Tick = [this] { stamps2.push_back(QDateTime::currentMSecsSinceEpoch()); };
    }
    form::Timer Timer1{"Timer1"};
    form::Timer Timer2{"Timer2"};
    std::vector<qint64> stamps1, stamps2;
    std::function<void()> onTick1;
};

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        binding.addForm(form);
        binding.load(form); // the form stays hidden; its timers run all the same
    }
    void TearDown() override { binding.releaseWindows(); }

    QtBinding binding;
    TimerForm form;
};

TEST_F(TimerTest, IntervalStartsTheTimer)
{
    pump(150);
    EXPECT_TRUE(form.stamps1.empty()) << "interval 0 ticked";
    form.Timer1.Interval = 100;
    binding.syncAll();
    EXPECT_TRUE(waitFor([&] { return form.stamps1.size() >= 3; }, 3000));
}

TEST_F(TimerTest, IntervalZeroFromTheHandlerStopsIt)
{
    form.Timer1.Interval = 50;
    form.onTick1 = [this] {
        if (form.stamps1.size() == 2)
            form.Timer1.Interval = 0;
    };
    binding.syncAll();
    ASSERT_TRUE(waitFor([&] { return form.stamps1.size() >= 2; }, 3000));
    pump(300);
    EXPECT_EQ(form.stamps1.size(), 2u);
}

TEST_F(TimerTest, SwitchedOffTimerDoesNotTick)
{
    form.Timer1.Interval = 50;
    form.Timer1.TimerEnabled = false;
    binding.syncAll();
    pump(250);
    EXPECT_TRUE(form.stamps1.empty());
    form.Timer1.TimerEnabled = true;
    binding.syncAll();
    EXPECT_TRUE(waitFor([&] { return !form.stamps1.empty(); }, 3000));
}

TEST_F(TimerTest, SettingTheSameIntervalAgainKeepsTheCountdown)
{
    // A fast timer re-sets the slow one's interval on every tick, as the
    // clock's tick does with the blink timer; the slow one must still fire.
    form.Timer2.Interval = 300;
    form.Timer1.Interval = 40;
    form.onTick1 = [this] { form.Timer2.Interval = 300; };
    binding.syncAll();
    EXPECT_TRUE(waitFor([&] { return form.stamps2.size() >= 3; }, 3000))
        << "slow timer ticked " << form.stamps2.size() << " times";
    ASSERT_GE(form.stamps2.size(), 2u);
    const qint64 gap = form.stamps2[1] - form.stamps2[0];
    EXPECT_GE(gap, 250);
    EXPECT_LE(gap, 700);
}

TEST_F(TimerTest, TimerThatSetsItsOwnIntervalAgainKeepsFiring)
{
    form.Timer1.Interval = 300;
    form.onTick1 = [this] { form.Timer1.Interval = 300; };
    binding.syncAll();
    EXPECT_TRUE(waitFor([&] { return form.stamps1.size() >= 3; }, 3000));
}

TEST_F(TimerTest, NewIntervalRestartsWithTheNewLength)
{
    form.Timer1.Interval = 5000;
    binding.syncAll();
    pump(100);
    form.Timer1.Interval = 60;
    binding.syncAll();
    EXPECT_TRUE(waitFor([&] { return form.stamps1.size() >= 2; }, 2000));
}

TEST_F(TimerTest, PollingTimerWakesOnceASecondJustPastTheBoundary)
{
    form.Timer1.Interval = 100;
    form.Timer1.PollsForNewSecond = true;
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    binding.syncAll();
    pump(2500);
    const auto &ticks = form.stamps1;
    ASSERT_FALSE(ticks.empty());
    // The first look comes within one interval, or sooner at a boundary.
    EXPECT_LE(ticks[0] - started, 300);
    // An every-interval timer would have ticked about 25 times.
    EXPECT_GE(ticks.size(), 2u);
    EXPECT_LE(ticks.size(), 4u);
    // From the second tick on, each is aimed at the next boundary; the
    // first may lie just before one, so only later gaps are whole seconds.
    for (size_t i = 1; i < ticks.size(); ++i) {
        EXPECT_LT(ticks[i] % 1000, 250) << "tick " << i << " far from a second boundary";
        if (i >= 2) {
            EXPECT_GE(ticks[i] - ticks[i - 1], 600) << "tick " << i;
        }
    }
}

TEST_F(TimerTest, RemovedTimerStopsTicking)
{
    form.Timer2.Interval = 30;
    binding.syncAll();
    ASSERT_TRUE(waitFor([&] { return !form.stamps2.empty(); }, 2000));
    form.remove(form.Timer2);
    binding.syncAll();
    const size_t count = form.stamps2.size();
    pump(200);
    EXPECT_EQ(form.stamps2.size(), count);
}

} // namespace
} // namespace orbelle::formqt::testing
