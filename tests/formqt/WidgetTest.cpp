// SPDX-License-Identifier: MIT
// The windowed controls of a form as Qt widgets: where they stand, what they
// show, and how user input reaches the form and comes back after a handler.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextCursor>
#include <QToolTip>

#include "ControlArray.h"
#include "SampleForm.h"
#include "pieces/SpinArrows.h"
#include "TestSupport.h"
#include "Units.h"

namespace orbelle::formqt::testing {
namespace {

QString shownText(QWidget *w)
{
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    if (auto *b = qobject_cast<QPushButton *>(w))
        return b->text();
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *e = qobject_cast<QPlainTextEdit *>(w))
        return e->toPlainText();
    return QStringLiteral("<no text>");
}

QPoint centreOf(const QRect &r) { return r.center(); }

TEST_F(SampleWindowTest, WidgetsStandAtTheirTwipPlacesFifteenTwipsToThePixel)
{
    const struct {
        const form::Control *control;
        QRect expected;
    } rows[] = {
        {&form.Picture1, QRect(0, 0, 100, 80)},   {&form.Text1, QRect(196, 12, 28, 21)},
        {&form.UpDown1, QRect(224, 12, 16, 21)},  {&form.Label1, QRect(196, 100, 100, 20)},
        {&form.Text2, QRect(196, 140, 160, 60)},  {&form.Command1, QRect(260, 40, 100, 25)},
    };
    for (const auto &row : rows)
        EXPECT_EQ(placeOf(*row.control), row.expected) << row.control->displayName();
    EXPECT_EQ(window->size(), QSize(400, 300));
    // Timers and lines have no widget of their own.
    EXPECT_EQ(widgetOf(form.Timer1), nullptr);
    EXPECT_EQ(widgetOf(form.Line1), nullptr);
}

TEST_F(SampleWindowTest, WidgetsShowCaptionsTextsAndNames)
{
    const struct {
        const form::Control *control;
        QString text;
        QString accessibleName;
    } rows[] = {
        {&form.Label1, QStringLiteral("待機中"), QStringLiteral("待機中")},
        {&form.Command1, QStringLiteral("実行"), QStringLiteral("実行")},
        {&form.Text1, QStringLiteral("3"), QStringLiteral("Text1")},
        // The editor shows line breaks as LF; the form keeps CR LF.
        {&form.Text2, QStringLiteral("一行目\n二行目"), QStringLiteral("Text2")},
    };
    for (const auto &row : rows) {
        QWidget *w = widgetOf(*row.control);
        ASSERT_NE(w, nullptr) << row.control->displayName();
        EXPECT_EQ(shownText(w), row.text) << row.control->displayName();
        EXPECT_EQ(w->accessibleName(), row.accessibleName) << row.control->displayName();
    }
    EXPECT_EQ(widgetOf(form.Command1)->toolTip(), QStringLiteral("実行します"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("見本"));
}

TEST_F(SampleWindowTest, ColoursAreRedPlus256GreenPlus65536Blue)
{
    const QImage shot = grabOf(window);
    // A corner of the label away from its text shows its back colour.
    EXPECT_EQ(colourAt(shot, 196 + 98, 100 + 18), form::rgb(255, 0, 0));
    // Bare window.
    EXPECT_EQ(colourAt(shot, 395, 295), form::rgb(0, 128, 255));
    // Inside the memo box, below its two lines and clear of the frame.
    EXPECT_EQ(colourAt(shot, 196 + 150, 140 + 52), form::rgb(255, 255, 192));

    form.Label1.BackColor = form::rgb(0, 0, 255);
    binding.syncAll();
    EXPECT_EQ(colourAt(grabOf(window), 196 + 98, 100 + 18), form::rgb(0, 0, 255));
}

TEST_F(SampleWindowTest, TransparentLabelShowsTheWindowBehindIt)
{
    form.Label1.Transparent = true;
    binding.syncAll();
    EXPECT_EQ(colourAt(grabOf(window), 196 + 98, 100 + 18), form::rgb(0, 128, 255));
}

TEST_F(SampleWindowTest, HiddenControlStaysHiddenUntilAHandlerShowsIt)
{
    QWidget *hidden = widgetOf(form.Label2);
    ASSERT_NE(hidden, nullptr);
    EXPECT_TRUE(hidden->isHidden());
    EXPECT_TRUE(widgetOf(form.Label1)->isVisible());

    form.onClick = [this] {
        form.Label2.Visible = true;
        form.Label1.Visible = false;
    };
    clickAt(window, centreOf(placeOf(form.Command1)));
    EXPECT_TRUE(hidden->isVisible());
    EXPECT_TRUE(widgetOf(form.Label1)->isHidden());
}

TEST_F(SampleWindowTest, TextBoxLiesAboveALabelAddedAfterIt)
{
    const QPoint inLabel3 = centreOf(placeOf(form.Label3));
    EXPECT_TRUE(isWithin(widgetAt(window, inLabel3), widgetOf(form.Text2)));

    // A run-time rebuild keeps that order.
    form::Label late("Late");
    late.Left = form.Label3.Left;
    late.Top = form.Label3.Top;
    late.Width = 600;
    late.Height = 300;
    form.add(late);
    binding.syncAll();
    EXPECT_TRUE(isWithin(widgetAt(window, inLabel3), widgetOf(form.Text2)));
    form.remove(late);
    binding.syncAll();
}

TEST_F(SampleWindowTest, LaterButtonLiesAboveEarlierButton)
{
    form::CommandButton first("First"), second("Second");
    for (form::CommandButton *b : {&first, &second}) {
        b->Left = 150;
        b->Top = 3900;
        b->Width = 900;
        b->Height = 375;
        form.add(*b);
    }
    binding.syncAll();
    EXPECT_EQ(widgetAt(window, QPoint(20, 270)), widgetOf(second));
    form.remove(first);
    form.remove(second);
    binding.syncAll();
}

TEST_F(SampleWindowTest, ButtonClickRunsHandlerAndWidgetsFollowTheModel)
{
    form.onClick = [this] {
        form.Label1.Caption = "完了";
        form.Command1.Caption = "もう一度";
        form.Text1.Text = "1";
    };
    clickAt(window, centreOf(placeOf(form.Command1)));
    EXPECT_EQ(form.clicks, 1);
    // No event loop turn between the click and these checks: the dispatch
    // itself brings the widgets up to date.
    EXPECT_EQ(shownText(widgetOf(form.Label1)), QStringLiteral("完了"));
    EXPECT_EQ(widgetOf(form.Label1)->accessibleName(), QStringLiteral("完了"));
    EXPECT_EQ(shownText(widgetOf(form.Command1)), QStringLiteral("もう一度"));
    EXPECT_EQ(widgetOf(form.Command1)->accessibleName(), QStringLiteral("もう一度"));
    EXPECT_EQ(shownText(widgetOf(form.Text1)), QStringLiteral("1"));
    // Text set by code raises no Change.
    EXPECT_EQ(form.text1Changes, 0);
}

TEST_F(SampleWindowTest, DisabledButtonIgnoresClicks)
{
    form.Command1.Enabled = false;
    binding.syncAll();
    EXPECT_FALSE(widgetOf(form.Command1)->isEnabled());
    clickAt(window, centreOf(placeOf(form.Command1)));
    EXPECT_EQ(form.clicks, 0);
}

TEST_F(SampleWindowTest, TypingIntoSingleLineBoxUpdatesTextAndRaisesChange)
{
    auto *edit = qobject_cast<QLineEdit *>(widgetOf(form.Text1));
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->end(false);
    QTest::keyClicks(edit, QStringLiteral("45"));
    EXPECT_EQ(form.Text1.Text, "345");
    EXPECT_EQ(form.text1Changes, 2);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(form.Text1.Text, "34");
    EXPECT_EQ(form.text1Changes, 3);
}

TEST_F(SampleWindowTest, MultiLineBoxKeepsCrLfBothWays)
{
    auto *edit = qobject_cast<QPlainTextEdit *>(widgetOf(form.Text2));
    ASSERT_NE(edit, nullptr);

    form.Text2.Text = "a\r\nb";
    binding.syncAll();
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("a\nb"));
    EXPECT_EQ(form.text2Changes, 0) << "text set by code came back as a change";

    edit->setFocus();
    edit->moveCursor(QTextCursor::End);
    QTest::keyClicks(edit, QStringLiteral("x"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, QStringLiteral("y"));
    EXPECT_EQ(form.Text2.Text, "a\r\nbx\r\ny");
    EXPECT_EQ(form.text2Changes, 3);
}

TEST_F(SampleWindowTest, MemoWithALongLineKeepsEveryKeyTyped)
{
    auto *edit = qobject_cast<QPlainTextEdit *>(widgetOf(form.Text2));
    ASSERT_NE(edit, nullptr);
    const std::string longLine(20 * 1024, 'm');
    for (const std::string &memo : {longLine, "a\r\n" + longLine + "\r\nb"}) {
        form.Text2.Text = memo;
        binding.syncAll();
        EXPECT_FALSE(edit->isReadOnly());
        edit->setFocus();
        edit->moveCursor(QTextCursor::End);
        QTest::keyClicks(edit, QString(100, QLatin1Char('x')));
        // Compared whole, reported by size: the texts are 20 KiB long.
        EXPECT_TRUE(form.Text2.Text == memo + std::string(100, 'x'))
            << form.Text2.Text.size() - memo.size() << " of 100 characters kept";
    }
}

TEST_F(SampleWindowTest, MemoOverAMebibyteRefusesTypingAndSaysWhy)
{
    auto *edit = qobject_cast<QPlainTextEdit *>(widgetOf(form.Text2));
    ASSERT_NE(edit, nullptr);
    const std::string memo = std::string(1 << 20, 'm') + "\r\nend";
    form.Text2.Text = memo;
    binding.syncAll();
    EXPECT_TRUE(edit->isReadOnly());
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("xyz"));
    EXPECT_TRUE(form.Text2.Text == memo) << "the memo changed by typing";
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("1 MiB を超える"))) << QToolTip::text().toStdString();
    QToolTip::hideText();
}

TEST_F(SampleWindowTest, SpinArrowsStepTheBoundBoxWithinItsRange)
{
    const QRect arrows = placeOf(form.UpDown1);
    const QPoint upper(arrows.center().x(), arrows.top() + 3);
    const QPoint lower(arrows.center().x(), arrows.bottom() - 3);
    const struct {
        const char *what;
        QPoint at;
        int clicks;
        const char *expected;
        int changes; // an arrow at its limit changes nothing and raises nothing
    } rows[] = {
        {"one up", upper, 1, "4", 1},
        {"up stops at the maximum", upper, 4, "5", 2},
        {"one down", lower, 1, "2", 1},
        {"down stops at the minimum", lower, 6, "0", 3},
    };
    for (const auto &row : rows) {
        form.Text1.Text = "3";
        form.text1Changes = 0;
        binding.syncAll();
        for (int i = 0; i < row.clicks; ++i)
            clickAt(window, row.at);
        EXPECT_EQ(form.Text1.Text, row.expected) << row.what;
        EXPECT_EQ(shownText(widgetOf(form.Text1)), QString::fromUtf8(row.expected)) << row.what;
        EXPECT_EQ(form.text1Changes, row.changes) << row.what;
    }
}

TEST_F(SampleWindowTest, SpinArrowsStepWithUpAndDownKeys)
{
    QWidget *arrows = widgetOf(form.UpDown1);
    ASSERT_NE(qobject_cast<SpinArrows *>(arrows), nullptr);
    EXPECT_EQ(arrows->accessibleName(), QStringLiteral("UpDown1"));
    QTest::keyClick(arrows, Qt::Key_Up);
    EXPECT_EQ(form.Text1.Text, "4");
    QTest::keyClick(arrows, Qt::Key_Down);
    QTest::keyClick(arrows, Qt::Key_Down);
    EXPECT_EQ(form.Text1.Text, "2");
}

TEST_F(SampleWindowTest, SpinArrowHeldDownRepeatsUntilReleased)
{
    const QRect arrows = placeOf(form.UpDown1);
    const QPoint lower(arrows.center().x(), arrows.bottom() - 3);
    form.Text1.Text = "3";
    binding.syncAll();

    pressAt(window, lower, Qt::LeftButton);
    EXPECT_EQ(form.Text1.Text, "2"); // the press itself steps once
    EXPECT_TRUE(waitFor([&] { return form.Text1.Text == "0"; }, 3000)) << "held at " << form.Text1.Text;
    releaseAt(window, lower, Qt::LeftButton);

    form.Text1.Text = "3";
    binding.syncAll();
    pump(800);
    EXPECT_EQ(form.Text1.Text, "3") << "the arrow went on after its release";

    // Disabled while held, the arrow stops although no release comes.
    pressAt(window, lower, Qt::LeftButton);
    EXPECT_EQ(form.Text1.Text, "2");
    widgetOf(form.UpDown1)->setEnabled(false);
    pump(1200);
    EXPECT_EQ(form.Text1.Text, "2") << "a disabled arrow went on stepping";
    widgetOf(form.UpDown1)->setEnabled(true);
}

TEST_F(SampleWindowTest, PressOnBareWindowReachesFormInTwips)
{
    const struct {
        Qt::MouseButton button;
        std::optional<MouseRecord> expected;
    } rows[] = {
        {Qt::LeftButton, MouseRecord{1, 0, 390 * 15, 290 * 15}},
        {Qt::RightButton, MouseRecord{2, 0, 390 * 15, 290 * 15}},
        // The middle button of the window carries icon messages only.
        {Qt::MiddleButton, std::nullopt},
    };
    for (const auto &row : rows) {
        form.formDowns.clear();
        pressAt(window, QPoint(390, 290), row.button);
        releaseAt(window, QPoint(390, 290), row.button);
        if (row.expected) {
            ASSERT_EQ(form.formDowns.size(), 1u) << row.button;
            EXPECT_EQ(form.formDowns[0], *row.expected) << row.button;
        } else {
            EXPECT_TRUE(form.formDowns.empty()) << row.button;
        }
    }
    // Left and right presses released over the window are clicks.
    EXPECT_GE(form.formClicks, 2);
}

TEST_F(SampleWindowTest, FixedBorderWindowHasFixedSizeAndTakesBorderChanges)
{
    EXPECT_EQ(window->minimumSize(), QSize(400, 300));
    EXPECT_EQ(window->maximumSize(), QSize(400, 300));
    EXPECT_FALSE(window->windowFlags() & Qt::FramelessWindowHint);

    form.Border = form::FormBorder::None;
    binding.syncAll();
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window->isVisible()) << "changing the border lost the window";
}

TEST_F(SampleWindowTest, WindowStandsAtFormPositionAndUserMovesComeBack)
{
    form.Left = 1500;
    form.Top = 1200;
    binding.syncAll();
    EXPECT_EQ(window->pos(), QPoint(100, 80));

    window->move(QPoint(50, 60));
    EXPECT_EQ(form.Left, 750);
    EXPECT_EQ(form.Top, 900);
}

TEST_F(SampleWindowTest, WindowWhollyOffEveryScreenComesBackWhenShown)
{
    form.Visible = false;
    binding.syncAll();
    form.Left = -300000;
    form.Top = -300000;
    form.Visible = true;
    binding.syncAll();
    const QPoint home = window->screen()->availableGeometry().topLeft();
    EXPECT_EQ(window->pos(), home);
    EXPECT_EQ(form.Left, home.x() * 15);
    EXPECT_EQ(form.Top, home.y() * 15);
}

TEST_F(SampleWindowTest, RunTimeElementsGetAndLoseWidgets)
{
    form::ControlArray<form::CommandButton> extra("Extra");
    extra.place(form, nullptr);
    form::CommandButton &first = extra.create(0);
    first.Left = 150;
    first.Top = 3900;
    first.Width = 900;
    first.Height = 375;
    first.Caption = "追加";
    binding.syncAll();
    ASSERT_NE(widgetOf(first), nullptr);
    EXPECT_EQ(placeOf(first), QRect(10, 260, 60, 25));

    form::CommandButton &copy = extra.load(1);
    binding.syncAll();
    QPointer<QWidget> copyWidget = widgetOf(copy);
    ASSERT_FALSE(copyWidget.isNull());
    EXPECT_TRUE(copyWidget->isHidden()) << "a loaded element starts hidden";
    EXPECT_EQ(shownText(copyWidget), QStringLiteral("追加"));

    extra.unload(1);
    binding.syncAll();
    // Gone from sight at once, from memory once the event loop has it.
    EXPECT_TRUE(copyWidget.isNull() || copyWidget->isHidden());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(copyWidget.isNull());
    EXPECT_NE(widgetOf(first), nullptr);
}

TEST_F(SampleWindowTest, FocusRequestGivesTheWidgetTheFocus)
{
    form.Text2.SetFocus();
    binding.syncAll();
    EXPECT_TRUE(waitFor([&] { return QApplication::focusWidget() &&
                                     isWithin(QApplication::focusWidget(), widgetOf(form.Text2)); },
                        2000));
}

TEST_F(SampleWindowTest, NothingIsDispatchedOnceWindowsAreReleased)
{
    binding.releaseWindows();
    bool ran = false;
    binding.dispatch([&] { ran = true; });
    EXPECT_FALSE(ran);
    EXPECT_EQ(binding.windowOf(form), nullptr);
}

TEST_F(SampleWindowTest, AHandlerThatFailsIsLoggedOnlyWhenAskedFor)
{
    const QByteArray before = qgetenv("ORBELLE_DEBUG");
    auto failingHandler = [&] {
        ::testing::internal::CaptureStderr();
        binding.dispatch([] { throw form::ControlArrayError("Line17(5) does not exist"); });
        return ::testing::internal::GetCapturedStderr();
    };
    for (const char *setting : {"", "0"}) {
        qputenv("ORBELLE_DEBUG", setting);
        EXPECT_EQ(failingHandler(), "") << "ORBELLE_DEBUG=" << setting;
    }
    qunsetenv("ORBELLE_DEBUG");
    EXPECT_EQ(failingHandler(), "");
    qputenv("ORBELLE_DEBUG", "1");
    EXPECT_NE(failingHandler().find("Line17(5) does not exist"), std::string::npos);
    if (before.isNull())
        qunsetenv("ORBELLE_DEBUG");
    else
        qputenv("ORBELLE_DEBUG", before);
}

TEST(WindowFlagsTest, TaskbarChoiceGivesOrdinaryOrToolWindow)
{
    // The choice counts as it stands once the form has loaded, whether the
    // form made it before its window existed or in its start-up handler
    // (the clock turns its taskbar entry on there when it finds no
    // notification area).
    const struct {
        bool atConstruction, afterLoad;
        Qt::WindowType expected;
    } rows[] = {
        {true, true, Qt::Window},
        {false, false, Qt::Tool},
        {false, true, Qt::Window},
        {true, false, Qt::Tool},
    };
    for (const auto &row : rows) {
        QtBinding binding;
        SampleForm form;
        form.ShowInTaskbar = row.atConstruction;
        binding.addForm(form);
        form.Load = [&] { form.ShowInTaskbar = row.afterLoad; };
        binding.load(form);
        FormWindow *window = binding.windowOf(form);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowType(), row.expected)
            << "taskbar " << row.atConstruction << " at construction, " << row.afterLoad << " after load";
        // A later change reaches the window as well.
        form.ShowInTaskbar = !row.afterLoad;
        binding.syncAll();
        EXPECT_EQ(window->windowType(), row.afterLoad ? Qt::Tool : Qt::Window);
        binding.releaseWindows();
    }
}

} // namespace
} // namespace orbelle::formqt::testing
