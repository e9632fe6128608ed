// SPDX-License-Identifier: MIT
// The mouse on the face and the window, the notification icon's events,
// saving Pt.ini on the way out, and the other ways the window goes away.

#include "ClockFixture.h"
#include "TextEncoding.h"

namespace orbelle::testing {
namespace {

class InteractionTest : public ClockTest {
protected:
    void SetUp() override
    {
        ClockTest::SetUp();
        writeDesign();
        writeState();
        start();
    }
};

// ------------------------------------------------------- mouse on the face

TEST_F(InteractionTest, RightButtonOnTheFaceOpensTheMemoOthersDragTheWindow)
{
    for (int button : {form::LeftButton, form::MiddleButton})
        clock.form1.Picture1_MouseDown(button, 0, 1200, 900);
    EXPECT_EQ(clock.services.drags, 2);
    EXPECT_FALSE(clock.form2.Visible);

    clock.form2.Text3.Left = 500;
    clock.form2.Text3.Top = 645;
    clock.form1.Picture1_MouseDown(form::RightButton, 0, 1200, 900);
    EXPECT_EQ(clock.form2.Text3.Left, 30);
    EXPECT_EQ(clock.form2.Text3.Top, 2640);
    EXPECT_TRUE(clock.form2.Visible);
    EXPECT_EQ(clock.services.drags, 2);
}

TEST_F(InteractionTest, ClickOnTheBareWindowShowsTheDialogInItsMode)
{
    clock.form2.Text3.Top = 645;
    clock.form1.Form_Click();
    EXPECT_TRUE(clock.form2.Visible);
    EXPECT_EQ(clock.form2.Text3.Top, 645);
}

// ------------------------------------------------------------ icon events

TEST_F(InteractionTest, IconEventsDoWhatTheirMessageAsks)
{
    constexpr int M = form::MiddleButton;
    const struct {
        const char *what;
        int button;
        float x; // twips
        int twipsPerPixel;
        bool startVisible;
        int beeps;
        bool endVisible, focusRequested;
    } cases[] = {
        {"left down beeps", M, 513 * 15, 15, true, 1, true, false},
        {"double-click hides", M, 515 * 15, 15, true, 0, false, false},
        {"double-click shows", M, 515 * 15, 15, false, 0, true, true},
        {"mouse move", M, 512 * 15, 15, true, 0, true, false},
        {"left up", M, 514 * 15, 15, true, 0, true, false},
        {"right up", M, 517 * 15, 15, true, 0, true, false},
        {"left button on the window", form::LeftButton, 513 * 15, 15, true, 0, true, false},
        {"middle with left", M | form::LeftButton, 513 * 15, 15, true, 1, true, false},
        {"remainder dropped: 512", M, 513 * 15 - 1, 15, true, 0, true, false},
        {"rounded up to 513", M, 7694.6f, 15, true, 1, true, false},
        {"12 twips to the pixel", M, 513 * 12, 12, true, 1, true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        clock.services.twipsPerPixel = c.twipsPerPixel;
        clock.form1.Visible = c.startVisible;
        const int beeps = clock.services.beeps;
        const auto focusRequests = clock.form1.focusRequestCount();

        clock.form1.Form_MouseDown(c.button, 0, c.x, 0);

        EXPECT_EQ(clock.services.beeps - beeps, c.beeps);
        EXPECT_EQ(clock.form1.Visible, c.endVisible);
        EXPECT_EQ(clock.form1.focusRequestCount() > focusRequests, c.focusRequested);
        if (c.focusRequested) {
            EXPECT_EQ(clock.form1.focusRequest(), nullptr); // the window itself
        }
    }
    // None of these ends the clock.
    EXPECT_EQ(clock.services.endCalls, 0);
    EXPECT_TRUE(clock.services.deletedIcons.empty());
    EXPECT_EQ(readFile("Pt.ini"), kPlainState);
    EXPECT_FALSE(clock.form2.Visible);
}

TEST_F(InteractionTest, HiddenClockKeepsTickingAndTheAlarmShowsIt)
{
    iconEvent(form::IconLeftDoubleClick);
    ASSERT_FALSE(clock.form1.Visible);
    tick(at(7, 15, 1));
    EXPECT_TRUE(clock.form1.Visible);
}

// ----------------------------------------------------- saving on the way out

TEST_F(InteractionTest, RightClickOnTheIconWritesTheStateAndEnds)
{
    const struct {
        float left, top;
        const char *memo, *hour, *minute, *month, *day;
        const char *expected;
    } cases[] = {
        {7155, 1320, "ここに\r\nメモを書いておくことができます。\r\n", "7", "30", "12", "24",
         "7155,1320\r\n\"ここに\r\nメモを書いておくことができます。\r\n\"\r\n\"7\",\"30\"\r\n\"12\",\"24\"\r\n"},
        {-45.5f, -30, "", "", "", "0", "0", "-45.5,-30\r\n\"\"\r\n\"\",\"\"\r\n\"0\",\"0\"\r\n"},
        // Texts go out as typed, not as numbers.
        {0, 15, "a,b", "07", "5.5", "03", "x", "0,15\r\n\"a,b\"\r\n\"07\",\"5.5\"\r\n\"03\",\"x\"\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected);
        auto fresh = startFresh();
        fresh->form1.Left = c.left;
        fresh->form1.Top = c.top;
        fresh->form2.Text3.Text = c.memo;
        fresh->form2.Text1.Text = c.hour;
        fresh->form2.Text2.Text = c.minute;
        fresh->form2.Text4.Text = c.month;
        fresh->form2.Text5.Text = c.day;

        fresh->form1.Form_MouseDown(form::MiddleButton, 0, form::IconRightDown * 15, 0);

        EXPECT_EQ(readFile("Pt.ini"), encodeFileText(c.expected));
        ASSERT_EQ(fresh->services.deletedIcons.size(), 1u);
        EXPECT_EQ(fresh->services.deletedIcons[0].id, 1);
        EXPECT_EQ(fresh->services.endCalls, 1);
    }
}

TEST_F(InteractionTest, SavedStateReopensTheClockWhereItWas)
{
    clock.form1.Left = 7155;
    clock.form1.Top = 1320;
    clock.form2.Text3.Text = "ここに\r\nメモ, です\r\n";
    clock.form2.Text1.Text = "07";
    clock.form2.Text4.Text = "12";
    iconEvent(form::IconRightDown);

    auto next = startFresh();
    EXPECT_EQ(next->form1.Left, 7155);
    EXPECT_EQ(next->form1.Top, 1320);
    EXPECT_EQ(next->form2.Text3.Text, "ここに\r\nメモ, です\r\n");
    EXPECT_EQ(next->form2.Text1.Text, "07");
    EXPECT_EQ(next->form2.Text4.Text, "12");
    EXPECT_TRUE(next->form1.AlarmH.equals(7));
}

TEST_F(InteractionTest, FolderThatCannotBeWrittenStillEndsTheClock)
{
    writeFile("plain-file", "x");
    clock.services.folder = folder / "plain-file" / "sub";

    iconEvent(form::IconRightDown);

    EXPECT_EQ(clock.services.deletedIcons.size(), 1u);
    EXPECT_EQ(clock.services.endCalls, 1);
    EXPECT_EQ(readFile("Pt.ini"), kPlainState);
}

TEST_F(InteractionTest, ClosingTheWindowOtherwiseRemovesTheIconAndKeepsTheState)
{
    clock.form1.Left = 7155;
    bool cancel = false;
    clock.form1.Form_QueryUnload(cancel);
    EXPECT_FALSE(cancel); // left to the system
    clock.form1.Form_Unload();

    ASSERT_EQ(clock.services.deletedIcons.size(), 1u);
    EXPECT_EQ(clock.services.deletedIcons[0].id, 1);
    EXPECT_EQ(readFile("Pt.ini"), "7155,0\r\n\"memo\"\r\n\"7\",\"15\"\r\n\"0\",\"0\"\r\n");
    EXPECT_EQ(clock.services.endCalls, 0);
}

// Without a notification area the taskbar entry takes the icon's place: its
// closing saves the state and ends the clock.
TEST_F(ClockTest, WithoutNotificationAreaClosingTheWindowSavesAndEnds)
{
    writeDesign();
    writeState();
    clock.services.addIconResult = false;
    start();

    EXPECT_TRUE(clock.form1.ShowInTaskbar);
    EXPECT_FALSE(clock.form1.hasNotifyIcon());

    clock.form1.Left = 300;
    clock.form1.Top = 450;
    bool cancel = false;
    clock.form1.Form_QueryUnload(cancel);

    EXPECT_TRUE(cancel);
    EXPECT_EQ(readFile("Pt.ini"), "300,450\r\n\"memo\"\r\n\"7\",\"15\"\r\n\"0\",\"0\"\r\n");
    EXPECT_EQ(clock.services.endCalls, 1);
    EXPECT_TRUE(clock.services.deletedIcons.empty());
}

// A notification area that appears after the start gets the icon at the
// next second, and the taskbar entry goes; the icon is added once only.
TEST_F(ClockTest, NotificationAreaThatComesLateGetsTheIconAndTheTaskbarEntryGoes)
{
    writeDesign();
    writeState();
    clock.services.addIconResult = false;
    start();
    ASSERT_TRUE(clock.form1.ShowInTaskbar);

    tick({2024, 5, 1, 10, 0, 5});
    EXPECT_TRUE(clock.form1.ShowInTaskbar);
    EXPECT_FALSE(clock.form1.hasNotifyIcon());
    const std::size_t tries = clock.services.addedIcons.size();
    EXPECT_EQ(tries, 2u);

    clock.services.addIconResult = true;
    tick({2024, 5, 1, 10, 0, 6});
    EXPECT_FALSE(clock.form1.ShowInTaskbar);
    EXPECT_TRUE(clock.form1.hasNotifyIcon());
    EXPECT_EQ(clock.services.addedIcons.back().tip, clock.services.addedIcons.front().tip);
    tick({2024, 5, 1, 10, 0, 7});
    tick({2024, 5, 1, 10, 0, 8});
    EXPECT_EQ(clock.services.addedIcons.size(), tries + 1);

    // With the icon there, closing the window no longer ends the clock.
    bool cancel = false;
    clock.form1.Form_QueryUnload(cancel);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(clock.services.endCalls, 0);
}

// ----------------------------------------------------------------- wiring

TEST_F(InteractionTest, EventsReachTheirHandlers)
{
    Form1 &f = clock.form1;
    Form2 &d = clock.form2;

    f.Picture1.MouseDown(form::LeftButton, 0, 10, 10);
    EXPECT_EQ(clock.services.drags, 1);

    f.MouseDown(form::MiddleButton, 0, 513 * 15, 0);
    EXPECT_EQ(clock.services.beeps, 1);

    clock.services.time = at(7, 15, 3);
    f.Timer1.Tick();
    EXPECT_EQ(clock.services.beeps, 4);

    f.Timer2.Tick();
    EXPECT_FALSE(d.Visible);

    f.Click();
    EXPECT_TRUE(d.Visible);

    d.Activate();
    EXPECT_EQ(d.focusRequest(), &d.UpDown1);

    d.Command4.Click();
    EXPECT_FALSE(d.Visible);
    EXPECT_TRUE(f.mouyoi.equals(1));

    d.Text1.Text = "8";
    d.Text2.Text = "5";
    d.Command1.Click();
    EXPECT_TRUE(f.AlarmH.equals(8));

    f.Unload();
    EXPECT_EQ(clock.services.deletedIcons.size(), 1u);
}

} // namespace
} // namespace orbelle::testing
