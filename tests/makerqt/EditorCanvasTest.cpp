// SPDX-License-Identifier: MIT
// The editor shown through the Qt binding, driven with mouse events on its
// real canvas widget: presses, moves and releases go through the canvas's
// routing to the editor's handlers, and the model must change as it does
// when the handlers are called directly.

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QRadioButton>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <QWidget>

#include <gtest/gtest.h>

#include "canvas/CanvasWidget.h"
#include "Form1.h"
#include "FormWindow.h"
#include "QtBinding.h"

namespace {

using orbelle::Value;
using orbelle::maker::Form1;
namespace form = orbelle::form;
namespace formqt = orbelle::formqt;

// The canvas's content area starts inside its 2-pixel border; 15 twips make a pixel.
QPoint pixelOf(int twipsX, int twipsY)
{
    return {2 + twipsX / 15, 2 + twipsY / 15};
}

double number(const Value &v)
{
    return v.isEmpty() ? -99999 : v.toDouble();
}

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        binding.addForm(editor);
        binding.load(editor);
        window = binding.windowOf(editor);
        ASSERT_NE(window, nullptr);
        canvas = qobject_cast<formqt::CanvasWidget *>(window->widgetOf(editor.Picture1));
        ASSERT_NE(canvas, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        // Where the end-to-end tests expect the canvas in the window.
        ASSERT_EQ(canvas->geometry(), QRect(190, 3, 283, 378));
    }

    void TearDown() override { binding.releaseWindows(); }

    void send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent event(type, QPointF(at), QPointF(canvas->mapToGlobal(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(canvas, &event);
    }
    void press(QPoint at) { send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void moveTo(QPoint at) { send(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); }
    void release(QPoint at) { send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }
    // The pointer passing over the canvas with no button held.
    void hover(QPoint at) { send(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton); }
    void click(QPoint at)
    {
        press(at);
        release(at);
    }
    // Presses at `from`, moves to `to` in `steps` equal steps and lets go there.
    void drag(QPoint from, QPoint to, int steps = 1)
    {
        press(from);
        for (int i = 1; i <= steps; ++i)
            moveTo(from + (to - from) * i / steps);
        release(to);
    }

    void clickWidgetOf(const form::Control &control)
    {
        QWidget *w = window->widgetOf(control);
        ASSERT_NE(w, nullptr) << control.displayName();
        QTest::mouseClick(w, Qt::LeftButton);
    }

    formqt::QtBinding binding;
    Form1 editor{binding};
    formqt::FormWindow *window = nullptr;
    formqt::CanvasWidget *canvas = nullptr;
};

// The frame is pressed on its bottom strip, below the hands area that lies
// over the rest of it.
const QPoint kFrameStrip = pixelOf(1305, 2535);

TEST_F(EditorWindow, DraggingTheFrameTenPixelsMovesItBy150Twips)
{
    drag(kFrameStrip, kFrameStrip + QPoint(10, 0));
    EXPECT_EQ(editor.Image1.Left, 150);
    EXPECT_EQ(editor.Image1.Top, 0);
    EXPECT_EQ(number(editor.SetX), 150);
    EXPECT_EQ(number(editor.SetY), 0);
    EXPECT_EQ(number(editor.flag), 0);
    EXPECT_EQ(editor.Shape1.Left, 150);
    EXPECT_TRUE(editor.Label5.Visible);
    EXPECT_EQ(editor.Label5.Left, 150 + 2600 - 90);

    // Down and left in three steps: the frame follows the pointer.
    drag(kFrameStrip + QPoint(10, 0), kFrameStrip + QPoint(4, 6), 3);
    EXPECT_EQ(editor.Image1.Left, 60);
    EXPECT_EQ(editor.Image1.Top, 90);
}

TEST_F(EditorWindow, GripDraggedInSmallStepsWidensTheFrame)
{
    click(kFrameStrip);
    ASSERT_TRUE(editor.Label5.Visible);
    // The grip is centred on the frame's corner (2600, 2600).
    const QPoint grip = pixelOf(2600, 2600);
    drag(grip, grip + QPoint(20, 10), 10);
    EXPECT_EQ(editor.Image1.Width, 2900);
    EXPECT_EQ(editor.Image1.Height, 2750);
    EXPECT_EQ(editor.Image1.Left, 0);
    EXPECT_EQ(number(editor.SetW), 2900);
    EXPECT_EQ(number(editor.flag), 0);
    EXPECT_EQ(editor.Label5.Left, 2900 - 90);
}

TEST_F(EditorWindow, GripDraggedBelowTheLimitStopsAt510)
{
    click(kFrameStrip);
    const QPoint grip = pixelOf(2600, 2600);
    // Steps of 5 pixels keep the pointer on the grip, which follows it; the
    // 29th step takes the width to 425.
    press(grip);
    for (int x = 5; x <= 150; x += 5)
        moveTo(grip - QPoint(x, 0));
    EXPECT_EQ(editor.Image1.Width, 510);
    EXPECT_EQ(number(editor.flag), 0);
    release(grip - QPoint(150, 0));
    EXPECT_EQ(editor.Image1.Width, 510);
}

TEST_F(EditorWindow, ClickOnTheBareCanvasHidesTheGrips)
{
    click(kFrameStrip);
    ASSERT_TRUE(editor.Label4[0].Visible);
    click(pixelOf(3600, 4500));
    EXPECT_FALSE(editor.Label4[0].Visible);
    EXPECT_FALSE(editor.Label5.Visible);
    EXPECT_FALSE(editor.Label6.Visible);
    EXPECT_FALSE(editor.Label7.Visible);
    EXPECT_FALSE(editor.Label1.Visible);
    EXPECT_EQ(editor.Image1.Left, 0);
}

TEST_F(EditorWindow, GripsStayWhenAnotherWindowTakesOverAndGoWhenAButtonTakesTheFocus)
{
    click(kFrameStrip);
    ASSERT_TRUE(editor.Label5.Visible);
    const struct {
        Qt::FocusReason reason;
        bool gripsStay;
    } rows[] = {{Qt::ActiveWindowFocusReason, true}, {Qt::PopupFocusReason, true}, {Qt::MouseFocusReason, false}};
    for (const auto &row : rows) {
        editor.Label5.Visible = true;
        QFocusEvent out(QEvent::FocusOut, row.reason);
        QApplication::sendEvent(canvas, &out);
        EXPECT_EQ(editor.Label5.Visible, row.gripsStay) << "focus reason " << int(row.reason);
    }
}

TEST_F(EditorWindow, PanButtonMovesTheCanvasByMouseAndByKey)
{
    QWidget *right = window->widgetOf(editor.Command12);
    ASSERT_NE(right, nullptr);
    ASSERT_EQ(qobject_cast<QPushButton *>(right)->text(), QStringLiteral("＞"));
    const struct {
        const char *what;
        std::function<void()> act;
        float moved; // twips to the left
    } rows[] = {
        // The press steps once and the click once more.
        {"left click", [&] { QTest::mouseClick(right, Qt::LeftButton); }, 50},
        // A right press steps without a click.
        {"right click", [&] { QTest::mouseClick(right, Qt::RightButton); }, 25},
        {"space bar", [&] { QTest::keyClick(right, Qt::Key_Space); }, 25},
        {"Enter", [&] { QTest::keyClick(right, Qt::Key_Return); }, 25},
    };
    right->setFocus();
    for (const auto &row : rows) {
        const float before = editor.Picture1.Left;
        row.act();
        EXPECT_EQ(before - editor.Picture1.Left, row.moved) << row.what;
        EXPECT_EQ(editor.Timer1.Interval, 0) << row.what << ": the repeat goes on after the release";
    }
}

TEST_F(EditorWindow, PanButtonHeldDownRepeatsEveryTenthOfASecond)
{
    QWidget *down = window->widgetOf(editor.Command10);
    ASSERT_NE(down, nullptr);
    QElapsedTimer held;
    held.start();
    QTest::mousePress(down, Qt::LeftButton);
    // One press step of 35, then repeats of 50 every 100 ms: three of them
    // come well within a second.
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor.Picture1.Top <= 45 - 35 - 3 * 50; }, 3000));
    EXPECT_LT(held.elapsed(), 1000) << "the repeat is slower than ten steps a second";
    QTest::mouseRelease(down, Qt::LeftButton);
    QTest::qWait(300);
    const float stopped = editor.Picture1.Top;
    QTest::qWait(300);
    EXPECT_EQ(editor.Picture1.Top, stopped) << "the repeat went on after the release";
    EXPECT_EQ(editor.Timer1.Interval, 0);
}

TEST_F(EditorWindow, HandsAreaDragMovesItWithItsPreviewHands)
{
    const float pivotX = editor.Line3.X1, pivotY = editor.Line3.Y1;
    const QPoint inside = pixelOf(1200, 1500);
    drag(inside, inside + QPoint(20, -10));
    EXPECT_EQ(editor.Image2.Left, 90 + 300);
    EXPECT_EQ(editor.Image2.Top, 60 - 150);
    EXPECT_EQ(number(editor.SetTX), 390);
    EXPECT_EQ(number(editor.SetTY), -90);
    EXPECT_EQ(editor.Line3.X1, pivotX + 300);
    EXPECT_EQ(editor.Line3.Y1, pivotY - 150);
    EXPECT_EQ(editor.Shape2.Left, 390);
    EXPECT_TRUE(editor.Label1.Visible);
    EXPECT_FALSE(editor.Label5.Visible);
    EXPECT_EQ(number(editor.flag), 0);
}

TEST_F(EditorWindow, ThreeClicksInCreationModeDrawAClosedTriangle)
{
    clickWidgetOf(editor.Option3);
    ASSERT_TRUE(editor.Option3.Value);
    ASSERT_TRUE(editor.Command13.Enabled);
    ASSERT_TRUE(window->widgetOf(editor.Command13)->isEnabled());
    clickWidgetOf(editor.Command13);
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("オルベルメーカー (多角形作成モード)"));

    const QPoint p1 = pixelOf(450, 450), p2 = pixelOf(1950, 450), p3 = pixelOf(1200, 2100);
    click(p1);
    click(p2);
    click(p3);

    ASSERT_EQ(number(editor.idx), 3);
    auto ends = [](const form::Line &l) { return QLineF(l.X1, l.Y1, l.X2, l.Y2); };
    EXPECT_EQ(ends(editor.Line17[2]), QLineF(1950, 450, 450, 450));
    EXPECT_EQ(ends(editor.Line17[3]), QLineF(1200, 2100, 1950, 450));
    EXPECT_EQ(ends(editor.Line17[1]), QLineF(450, 450, 1200, 2100));
    EXPECT_EQ(editor.Label17[3].Left, 1200 - 52);
    EXPECT_EQ(editor.Image1.Left, 0) << "a vertex press must not move the frame";

    // The top edge is painted in magenta between its markers.
    const QImage shot = canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb magenta = qRgb(255, 0, 255);
    bool painted = false;
    for (int y = p1.y() - 1; y <= p1.y() + 1; ++y)
        painted = painted || shot.pixel((p1.x() + p2.x()) / 2, y) == magenta;
    EXPECT_TRUE(painted);
}

// A vertex press puts a marker under the pointer; the release that follows
// must still end the press on the frame, or the drag code stays set and the
// frame follows the pointer later with no button held.
TEST_F(EditorWindow, VertexClicksEndTheirPressSoHoveringMovesNothing)
{
    clickWidgetOf(editor.Option3);
    clickWidgetOf(editor.Command13);
    click(pixelOf(450, 450));
    EXPECT_EQ(number(editor.flag), 0) << "after a click in the creation mode";
    click(pixelOf(1950, 450));
    click(pixelOf(1200, 2100));
    clickWidgetOf(editor.Command15);
    click(pixelOf(600, 600));
    ASSERT_EQ(editor.Line17[1].X1, 600);
    EXPECT_EQ(number(editor.flag), 0) << "after a click in the correction mode";

    hover(pixelOf(3600, 4500));
    EXPECT_EQ(editor.Image1.Left, 0) << "hovering over the bare canvas moved the frame";
    EXPECT_EQ(editor.Image1.Top, 0);
    clickWidgetOf(editor.Command14);
    hover(kFrameStrip);
    hover(kFrameStrip + QPoint(5, 0));
    EXPECT_EQ(editor.Image1.Left, 0) << "hovering over the frame moved it";
    EXPECT_EQ(editor.Image1.Top, 0);
}

TEST_F(EditorWindow, NormalModeButtonLetsTheFrameMoveAgainAndTheVerticesStay)
{
    clickWidgetOf(editor.Option3);
    clickWidgetOf(editor.Command13);
    click(pixelOf(450, 450));
    click(pixelOf(1950, 450));
    click(pixelOf(1200, 2100));
    clickWidgetOf(editor.Command14);
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("オルベルメーカー (通常ﾓｰﾄﾞ)"));
    EXPECT_FALSE(editor.Label17[1].Visible);

    drag(kFrameStrip, kFrameStrip + QPoint(20, 10));
    EXPECT_EQ(editor.Image1.Left, 300);
    EXPECT_EQ(editor.Image1.Top, 150);
    EXPECT_EQ(editor.Line17[1].X1, 450);
    EXPECT_EQ(editor.Line17[1].Y1, 450);
}

} // namespace
