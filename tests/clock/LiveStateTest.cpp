// SPDX-License-Identifier: MIT
// What the clock keeps while it runs: Pt.ini written shortly after a change
// and never while idle, an alarm minute that nobody answered ending with
// the notice in front and one notification, and a face saved into the
// clock's folder taking the place of the old one.

#include <filesystem>
#include <functional>

#include "ClockFixture.h"
#include "TextEncoding.h"

namespace orbelle::testing {
namespace {

class LiveStateTest : public ClockTest {
protected:
    void SetUp() override
    {
        writeDesign();
        writeState();
        start();
        tick(at(8, 59, 59));
        ASSERT_EQ(readFile("Pt.ini"), kPlainState);
    }
    // Ticks `count` working seconds from 9:00:01 on.
    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            tick(at(9, 0, ++second_));
    }
    int second_ = 0;
};

// ---------------------------------------------------------- Pt.ini

TEST_F(LiveStateTest, IdleClockNeverWritesItsState)
{
    const auto before = std::filesystem::last_write_time(folder / "Pt.ini");
    ticks(30);
    clock.form1.Timer2_Timer();
    EXPECT_EQ(readFile("Pt.ini"), kPlainState);
    EXPECT_EQ(std::filesystem::last_write_time(folder / "Pt.ini"), before);
    EXPECT_EQ(scratch.listing(), "Pt.ini tokei-set.ini");
    // Asked at the end of the session with nothing changed, it writes nothing either.
    std::filesystem::remove(folder / "Pt.ini");
    EXPECT_TRUE(clock.form1.saveStateIfChanged());
    EXPECT_FALSE(readFile("Pt.ini"));
}

TEST_F(LiveStateTest, DialogTextsAreWrittenAtTheNextTickAfterTheDialogIsDoneWith)
{
    Form2 &d = clock.form2;
    const struct {
        const char *name;
        std::function<void()> change;
        std::function<void()> trigger; // null: the change alone
        std::string expected;          // empty: the file is left as it was
    } cases[] = {
        {"set button", [&] { d.Text1.Text = "8"; d.Text2.Text = "05"; }, [&] { d.Command1.Click(); },
         "0,0\r\n\"memo\"\r\n\"8\",\"05\"\r\n\"0\",\"0\"\r\n"},
        {"set button with a half-typed time", [&] { d.Text2.Text = "x"; }, [&] { d.Command1.Click(); },
         "0,0\r\n\"memo\"\r\n\"7\",\"x\"\r\n\"0\",\"0\"\r\n"},
        {"close button", [&] { d.Text3.Text = "買い物\r\n牛乳"; }, [&] { d.Command4.Click(); },
         "0,0\r\n\"買い物\r\n牛乳\"\r\n\"7\",\"15\"\r\n\"0\",\"0\"\r\n"},
        {"focus lost", [&] { d.Text4.Text = "12"; d.Text5.Text = "24"; }, [&] { d.Deactivate(); },
         "0,0\r\n\"memo\"\r\n\"7\",\"15\"\r\n\"12\",\"24\"\r\n"},
        {"title bar close", [&] { d.Text5.Text = "3"; }, [&] { bool cancel = false; d.QueryUnload(cancel); },
         "0,0\r\n\"memo\"\r\n\"7\",\"15\"\r\n\"0\",\"3\"\r\n"},
        {"typing alone", [&] { d.Text3.Text = "half"; }, nullptr, ""},
        {"nothing changed", [] {}, [&] { d.Command4.Click(); }, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        writeState();
        // Every case starts from the state the file holds.
        d.Text1.Text = "7";
        d.Text2.Text = "15";
        d.Text3.Text = "memo";
        d.Text4.Text = "0";
        d.Text5.Text = "0";
        ASSERT_TRUE(clock.form1.saveStateIfChanged());
        writeState();

        c.change();
        if (c.trigger)
            c.trigger();
        EXPECT_EQ(readFile("Pt.ini"), kPlainState) << "written before the tick";
        ticks(1);
        // Written in the system's code page.
        const std::string expected = c.expected.empty() ? kPlainState : encodeFileText(c.expected);
        EXPECT_EQ(readFile("Pt.ini"), expected);
        ticks(3);
        EXPECT_EQ(readFile("Pt.ini"), expected) << "written again";
    }
}

TEST_F(LiveStateTest, PositionIsWrittenOnceTheWindowHasStoodStillForATick)
{
    const std::string moved = "1500,-300\r\n\"memo\"\r\n\"7\",\"15\"\r\n\"0\",\"0\"\r\n";
    // A drag: the window moves between ticks for a while.
    for (float left : {300.0f, 900.0f, 1500.0f}) {
        clock.form1.Left = left;
        clock.form1.Top = -300;
        ticks(1);
        EXPECT_EQ(readFile("Pt.ini"), kPlainState) << "written while moving, at " << left;
    }
    ticks(1);
    EXPECT_EQ(readFile("Pt.ini"), moved);
    std::filesystem::remove(folder / "Pt.ini");
    ticks(5);
    EXPECT_FALSE(readFile("Pt.ini")) << "written again without a change";
}

TEST_F(LiveStateTest, EveryEndOfTheClockKeepsItsState)
{
    const std::string changed = "150,30\r\n\"note\"\r\n\"7\",\"15\"\r\n\"0\",\"0\"\r\n";
    const struct {
        const char *name;
        std::function<void(Clock &)> end;
        int endCalls;
    } cases[] = {
        {"icon right click", [](Clock &k) { k.form1.Form_MouseDown(form::MiddleButton, 0, 516 * 15, 0); }, 1},
        {"signal or session end", [](Clock &k) { k.form1.saveAndEnd(); }, 1},
        {"closed by the system", [](Clock &k) { k.form1.Form_Unload(); }, 0},
        {"quit from outside", [](Clock &k) { k.form1.saveStateIfChanged(); }, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        writeState();
        auto k = startFresh();
        k->form1.Left = 150;
        k->form1.Top = 30;
        k->form2.Text3.Text = "note";
        c.end(*k);
        EXPECT_EQ(readFile("Pt.ini"), changed);
        EXPECT_EQ(k->services.endCalls, c.endCalls);
    }
}

TEST_F(LiveStateTest, FailedWriteLeavesTheFileAndIsNotRepeatedEveryTick)
{
    // Pt.ini as a folder: no write can replace it.
    std::filesystem::remove(folder / "Pt.ini");
    std::filesystem::create_directory(folder / "Pt.ini");
    clock.form2.Text3.Text = "lost";
    clock.form2.Command4.Click();
    ticks(1);
    EXPECT_FALSE(clock.form1.saveStateIfChanged());
    EXPECT_TRUE(std::filesystem::is_directory(folder / "Pt.ini"));
    // Once the way is free, the next end writes what was not written.
    std::filesystem::remove(folder / "Pt.ini");
    ticks(3);
    EXPECT_FALSE(readFile("Pt.ini")) << "retried every tick";
    EXPECT_TRUE(clock.form1.saveStateIfChanged());
    EXPECT_EQ(readFile("Pt.ini"), "0,0\r\n\"lost\"\r\n\"7\",\"15\"\r\n\"0\",\"0\"\r\n");
}

// ---------------------------------------------------------- the alarm

class AlarmEndTest : public ClockTest {
protected:
    void SetUp() override
    {
        writeDesign();
        // In the system's code page, as the clock writes it.
        writeState(encodeFileText("0,0\r\n\"牛乳を買う\r\n八百屋にも\"\r\n\"7\",\"59\"\r\n\"0\",\"0\"\r\n"));
        start();
    }
};

TEST_F(AlarmEndTest, UnansweredAlarmMinuteEndsWithTheNoticeInFront)
{
    const struct {
        const char *name;
        int alarmMinute;
        form::LocalTime after; // the first tick after the alarm minute
    } cases[] = {
        {"within the hour", 58, at(7, 59, 0)},
        {"into the next hour", 59, at(8, 0, 0)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto k = startFresh();
        auto tickK = [&](const form::LocalTime &t) {
            k->services.time = t;
            k->form1.Timer1_Timer();
        };
        k->form1.AlarmM = c.alarmMinute;
        tickK(at(7, c.alarmMinute, 1));
        ASSERT_EQ(k->form1.Timer2.Interval, 3000);
        // The blink hides the dialog; nobody is there to press 閉じる.
        k->form1.Timer2_Timer();
        ASSERT_FALSE(k->form2.Visible);
        tickK(c.after);
        EXPECT_EQ(k->form1.Timer2.Interval, 0);
        EXPECT_TRUE(k->form2.Visible);
        EXPECT_EQ(k->form2.Text3.Top, Form2::kAlarmModeTop);
        EXPECT_TRUE(k->form1.Visible);
    }
}

TEST_F(AlarmEndTest, AnsweredAlarmStaysClosed)
{
    tick(at(7, 59, 1));
    clock.form2.Command4.Click(); // 閉じる in alarm mode
    tick(at(7, 59, 2));
    tick(at(8, 0, 0));
    EXPECT_FALSE(clock.form2.Visible);
    EXPECT_EQ(clock.form1.Timer2.Interval, 0);
}

TEST_F(AlarmEndTest, EachRingSendsOneNotificationWithTimeAndMemo)
{
    for (int s = 0; s < 60; ++s)
        tick(at(7, 59, s));
    clock.form1.Timer2_Timer();
    clock.form1.Timer2_Timer();
    tick(at(8, 0, 0));
    ASSERT_EQ(clock.services.notifications.size(), 1u);
    EXPECT_EQ(clock.services.notifications[0].first, "設定時刻に なりました");
    EXPECT_EQ(clock.services.notifications[0].second, "7:59\n牛乳を買う");

    // The next day's ring is a new one; an empty memo leaves the time alone.
    clock.form2.Text3.Text = "";
    tick(at(7, 59, 1, 6, 16));
    ASSERT_EQ(clock.services.notifications.size(), 2u);
    EXPECT_EQ(clock.services.notifications[1].second, "7:59");
}

TEST_F(AlarmEndTest, RingPlaysTheAlarmSoundAndTheIconTheBell)
{
    tick(at(7, 59, 1));
    clock.form1.Timer2_Timer();
    clock.form1.Timer2_Timer(); // shows again, with a beep
    iconEvent(form::IconLeftDown);
    using S = form::BeepSound;
    EXPECT_EQ(clock.services.beepSounds, (std::vector<S>{S::Alarm, S::Alarm, S::Alarm, S::Alarm, S::Bell}));
}

// ---------------------------------------------------------- a new face

class FaceReloadTest : public ClockTest {
protected:
    void SetUp() override
    {
        writeDesign();
        writeState("4500,600\r\n\"memo\"\r\n\"7\",\"15\"\r\n\"1\",\"2\"\r\n");
        start();
        tick(at(8, 59, 59));
        ASSERT_TRUE(clock.services.folderChanged);
    }
    void changed() { clock.services.folderChanged(); }
};

class LatePictureTest : public ClockTest {};

TEST_F(LatePictureTest, APictureThatComesAfterItsDesignIsTakenAndFollowed)
{
    // A copied face folder: the design first, its picture a moment later.
    DesignLines design;
    design.picture = "\"face.png\"";
    writeDesign(design);
    start();
    Form1 &f = clock.form1;
    EXPECT_EQ(clock.services.alsoWatched, folder / "face.png");
    EXPECT_FALSE(f.Picture1.CurrentPicture);

    clock.services.pictureWidth = 120;
    writeFile("face.png", "half");
    clock.services.folderChanged();
    ASSERT_TRUE(f.Picture1.CurrentPicture);
    EXPECT_EQ(f.Picture1.CurrentPicture->widthPixels(), 120);

    // Written again (another size): the new picture is taken.
    clock.services.pictureWidth = 160;
    writeFile("face.png", "the whole picture");
    clock.services.folderChanged();
    EXPECT_EQ(f.Picture1.CurrentPicture->widthPixels(), 160);

    // Nothing changed: nothing is read again.
    const size_t requests = clock.services.pictureRequests.size();
    clock.services.folderChanged();
    EXPECT_EQ(clock.services.pictureRequests.size(), requests);
}

DesignLines polygonDesign()
{
    DesignLines d;
    d.size = "3060,1560";
    d.shape = "#FALSE#,#FALSE#,#TRUE#";
    d.hands = "1500,750,1200,1200";
    d.shown = "0,1,1,1";
    d.colours = "16777215,16776960,65280,16711935";
    d.lengths = "\"50\",\"\",\"70\"";
    d.count = "3";
    d.vertices = {"0,0", "0,0", "200,0", "100,100"};
    d.handles = {"0,0", "0,0", "0,0", "0,0"};
    return d;
}

TEST_F(FaceReloadTest, SavedFaceIsTakenKeepingPlaceTextsAndAlarm)
{
    EXPECT_EQ(clock.services.watchedFile, folder / "tokei-set.ini");
    clock.form1.mouyoi = 1;
    clock.form2.Text3.Text = "typed";
    writeDesign(polygonDesign());
    clock.services.time = at(9, 0, 0); // the second hand points up
    changed();

    Form1 &f = clock.form1;
    form::WindowRegion triangle;
    triangle.shape = form::WindowRegion::Shape::Polygon;
    triangle.points = {{0, 0}, {200, 0}, {100, 100}};
    ASSERT_EQ(clock.services.regions.size(), 2u);
    EXPECT_EQ(clock.services.regions.back(), triangle);
    EXPECT_EQ(f.Width, 3060);
    EXPECT_EQ(f.Height, 1560);
    EXPECT_EQ(f.Left, 4500);
    EXPECT_EQ(f.Top, 600);
    EXPECT_EQ(clock.form2.Text3.Text, "typed");
    EXPECT_EQ(clock.form2.Text4.Text, "1");
    EXPECT_EQ(f.mouyoi, Value(1));
    EXPECT_EQ(f.AlarmM, Value(15));
    // Looks and lengths as start-up would give them, the hands at once.
    EXPECT_FALSE(f.Line4[0].Visible);
    EXPECT_EQ(f.Line1[1].BorderColor, 16776960);
    EXPECT_EQ(f.HariSlength, Value("50"));
    EXPECT_EQ(f.HariMlength, Value(90));
    EXPECT_FLOAT_EQ(f.Line1[1].X1, 1500);
    EXPECT_FLOAT_EQ(f.Line1[1].Y2, 750 - 0.5f * 600);

    // And back: what the new face hid shows again.
    writeDesign();
    changed();
    EXPECT_TRUE(f.Line4[0].Visible);
    EXPECT_EQ(f.Line1[1].BorderColor, 255);
    EXPECT_EQ(clock.services.regions.back()->shape, form::WindowRegion::Shape::Ellipse);
    EXPECT_EQ(f.Left, 4500);
}

TEST_F(FaceReloadTest, FileThatDoesNotReadWholeLeavesTheFace)
{
    const std::string whole = polygonDesign().bytes();
    DesignLines twoShapes;
    twoShapes.shape = "#TRUE#,#TRUE#,#FALSE#";
    DesignLines fewVertices = polygonDesign();
    fewVertices.vertices = {"0,0", "0,0", "200,0"};
    fewVertices.handles = {};
    const struct {
        const char *name;
        std::string bytes;
    } cases[] = {
        {"half written", whole.substr(0, whole.size() / 3)},
        {"garbage", "\x01\x02 not a design\r\n"},
        {"empty", ""},
        {"two shapes", twoShapes.bytes()},
        {"vertices missing", fewVertices.bytes()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("tokei-set.ini", c.bytes);
        changed();
        EXPECT_EQ(clock.services.regions.size(), 1u);
        EXPECT_EQ(clock.form1.Width, 2460);
        EXPECT_TRUE(clock.form1.Line4[0].Visible);
    }
    // The next good save is taken.
    writeFile("tokei-set.ini", whole);
    changed();
    EXPECT_EQ(clock.form1.Width, 3060);
    EXPECT_EQ(clock.services.regions.size(), 2u);
}

TEST_F(FaceReloadTest, OtherChangesInTheFolderLeaveTheFaceAlone)
{
    writeFile("Pt.ini", "0,0\r\n");
    writeFile("face.png", "x");
    changed();
    std::filesystem::remove(folder / "tokei-set.ini");
    changed();
    EXPECT_EQ(clock.services.regions.size(), 1u);
    EXPECT_EQ(clock.form1.Width, 2460);
}

} // namespace
} // namespace orbelle::testing
