// SPDX-License-Identifier: MIT
// The picture box canvas: pictures loaded from files, lines painted over
// them (plain and darkening), and mouse presses turned into twips.

#include <QImage>
#include <cmath>
#include <optional>
#include <random>
#include <QScreen>
#include <QTest>
#include <QWindow>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "canvas/CanvasWidget.h"
#include "canvas/LineClip.h"
#include "SampleForm.h"
#include "TestSupport.h"
#include "Units.h"

namespace orbelle::formqt::testing {
namespace {

constexpr int kWhite = 0xFFFFFF;
constexpr int kRed = 255;

class CanvasTest : public SampleWindowTest {
protected:
    void SetUp() override
    {
        SampleWindowTest::SetUp();
        // 120 x 80 pixels, white left of x = 60, black from there on.
        picturePath = savePng(folder, "face.png", whiteThenBlack(120, 80, 60));
        form.Picture1.setPicture(binding.loadPicture(picturePath));
        binding.syncAll();
        canvas = widgetOf(form.Picture1);
        ASSERT_NE(canvas, nullptr);
    }

    TempFolder folder;
    std::string picturePath;
    QWidget *canvas = nullptr;
};

TEST(PictureLoadingTest, GivesSizeOfReadablePicturesAndNullOtherwise)
{
    QtBinding binding;
    TempFolder folder;
    const std::string png = savePng(folder, "p.png", whiteThenBlack(37, 21, 10));
    folder.write("notes.txt", "not a picture\r\n");
    folder.write("empty.png", "");

    const auto picture = binding.loadPicture(png);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->widthPixels(), 37);
    EXPECT_EQ(picture->heightPixels(), 21);
    EXPECT_EQ(picture->path(), png);

    std::vector<std::string> unreadable = {"notes.txt", "empty.png", "missing.png"};
#ifndef _WIN32
    // The reader is never handed a FIFO (it would wait for a writer), even
    // one named like a picture.
    ASSERT_EQ(::mkfifo(folder.file("fifo.png").c_str(), 0644), 0);
    unreadable.push_back("fifo.png");
#endif
    for (const std::string &name : unreadable)
        EXPECT_EQ(binding.loadPicture(folder.file(name).string()), nullptr) << name;
    EXPECT_EQ(binding.loadPicture(""), nullptr);
}

TEST_F(CanvasTest, PictureSizesTheBoxWithItsBorder)
{
    EXPECT_EQ(canvas->geometry(), QRect(0, 0, 124, 84));
    const QImage shot = grabOf(canvas);
    // The picture starts inside the 2-pixel border.
    EXPECT_EQ(colourAt(shot, 2, 70), kWhite);
    EXPECT_EQ(colourAt(shot, 61, 70), kWhite);
    EXPECT_EQ(colourAt(shot, 62, 70), 0);
    EXPECT_EQ(colourAt(shot, 121, 81), 0);
    EXPECT_NE(colourAt(shot, 0, 40), kWhite) << "no border drawn";
}

TEST_F(CanvasTest, WideLineIsPaintedInItsColourAtTwipPlace)
{
    // (150, 150)-(600, 150) twips is (10, 10)-(40, 10) in the content area,
    // which starts at (2, 2); 3 pixels wide around y = 12.
    const QImage shot = grabOf(canvas);
    for (int y : {11, 12, 13})
        for (int x : {14, 27, 40})
            EXPECT_EQ(colourAt(shot, x, y), kRed) << x << "," << y;
    for (int y : {9, 15})
        EXPECT_EQ(colourAt(shot, 27, y), kWhite) << y;
    EXPECT_EQ(colourAt(shot, 50, 12), kWhite) << "line runs past its end";
}

TEST_F(CanvasTest, ShadowLineClearsThePenBitsOfWhatLiesBeneath)
{
    // Line2: 0x404040, MaskNotPen, (10, 40)-(110, 40) in the content area,
    // across the white and the black half.
    const QImage shot = grabOf(canvas);
    EXPECT_EQ(colourAt(shot, 2 + 30, 42), 0xBFBFBF);
    EXPECT_EQ(colourAt(shot, 2 + 30, 41), 0xBFBFBF);
    EXPECT_EQ(colourAt(shot, 2 + 90, 42), 0x000000);
    EXPECT_EQ(colourAt(shot, 2 + 30, 46), kWhite) << "shadow wider than its pen";

    // Over a coloured line: red 0xFF keeps 0xBF, the other channels stay 0.
    form.Line2.X1 = form.Line2.X2 = 375; // x = 25 in the content area
    form.Line2.Y1 = 0;
    form.Line2.Y2 = 600;
    binding.syncAll();
    EXPECT_EQ(colourAt(grabOf(canvas), 2 + 25, 12), 0xBF);
}

TEST_F(CanvasTest, EndlessLinesShowWhatTheirPartOverTheBoxShows)
{
    // A hand and a shadow from inside the box out past its side: once ending
    // a little beyond the box, once ten to the thirty twips away (a length
    // no integer holds), and for each direction the picture is the same.
    const struct {
        float x, y;   // start, twips in the content area
        float dx, dy; // direction
    } rows[] = {
        {300, 300, 1, 0}, {300, 300, 0, 1}, {300, 300, 1, 1}, {1500, 1000, -1, -1}, {1500, 300, -1, 0},
    };
    for (const auto &row : rows) {
        for (form::Line *line : {&form.Line1, &form.Line2}) {
            line->X1 = row.x;
            line->Y1 = row.y;
            line->X2 = row.x + row.dx * 1800;
            line->Y2 = row.y + row.dy * 1800;
        }
        form.Line2.X1 += 30; // the shadow beside the hand
        form.Line2.X2 += 30;
        binding.syncAll();
        const QImage near = grabOf(canvas);
        for (form::Line *line : {&form.Line1, &form.Line2}) {
            line->X2 = line->X1 + row.dx * 1e30f;
            line->Y2 = line->Y1 + row.dy * 1e30f;
        }
        binding.syncAll();
        EXPECT_EQ(grabOf(canvas), near) << row.x << "," << row.y << " towards " << row.dx << "," << row.dy;
    }
}

TEST(LineClipTest, EndsWithinTheLimitStayAndOthersAreCutOnTheLine)
{
    const QRect limit(-100, -80, 300, 240); // x -100..199, y -80..159
    const struct {
        double ax, ay, bx, by;
        std::optional<PixelSegment> expected;
    } rows[] = {
        {10, 20, 30, 40, PixelSegment({10, 20}, {30, 40})},
        {-100, -80, 199, 159, PixelSegment({-100, -80}, {199, 159})},
        {50, 50, 1e30, 50, PixelSegment({50, 50}, {199, 50})},
        {50, 50, 50, -1e30, PixelSegment({50, 50}, {50, -80})},
        {10, 10, 1e30, 1e30, PixelSegment({10, 10}, {159, 159})},
        {-1e30, 0, 1e30, 0, PixelSegment({-100, 0}, {199, 0})},
        {4294967296.0, -3, -4294967296.0, -3, PixelSegment({199, -3}, {-100, -3})},
        {300, 0, 1e30, 0, std::nullopt},          // wholly beyond the right side
        {-1e30, 1e30, -1e29, 1e29, std::nullopt}, // passes by the corner
        {0, 0, NAN, 5, std::nullopt},
        {0, 0, INFINITY, 0, std::nullopt},
    };
    for (const auto &row : rows)
        EXPECT_EQ(clipSegment(row.ax, row.ay, row.bx, row.by, limit), row.expected)
            << row.ax << "," << row.ay << " to " << row.bx << "," << row.by;
    // Any cut end lies within the limit and on the line, to the pixel.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> far(-1e7, 1e7);
    for (int i = 0; i < 500; ++i) {
        const double ax = far(random), ay = far(random), bx = far(random), by = far(random);
        if (const auto cut = clipSegment(ax, ay, bx, by, limit)) {
            for (const QPoint p : {cut->first, cut->second}) {
                EXPECT_TRUE(limit.contains(p));
                const double cross = (bx - ax) * (p.y() - ay) - (by - ay) * (p.x() - ax);
                EXPECT_LE(std::abs(cross) / std::hypot(bx - ax, by - ay), 1.0);
            }
        }
    }
    EXPECT_EQ(lineLimit(QRect(0, 0, 124, 84)), QRect(-124, -84, 372, 252));
}

TEST_F(CanvasTest, HiddenAndTransparentLinesAreNotPainted)
{
    form.Line1.Visible = false;
    form.Line2.BorderStyle = form::PenStyle::Transparent;
    binding.syncAll();
    const QImage shot = grabOf(canvas);
    EXPECT_EQ(colourAt(shot, 27, 12), kWhite);
    EXPECT_EQ(colourAt(shot, 2 + 30, 42), kWhite);
}

TEST_F(CanvasTest, PressGivesButtonCodeAndTwipsFromContentCorner)
{
    const struct {
        Qt::MouseButton button;
        Qt::KeyboardModifiers modifiers;
        MouseRecord expected;
    } rows[] = {
        {Qt::LeftButton, Qt::NoModifier, {1, 0, 150, 75}},
        {Qt::RightButton, Qt::NoModifier, {2, 0, 150, 75}},
        {Qt::MiddleButton, Qt::NoModifier, {4, 0, 150, 75}},
        {Qt::LeftButton, Qt::ShiftModifier, {1, 1, 150, 75}},
        {Qt::LeftButton, Qt::ControlModifier, {1, 2, 150, 75}},
    };
    for (const auto &row : rows) {
        form.pictureDowns.clear();
        pressAt(window, QPoint(12, 7), row.button, row.modifiers);
        releaseAt(window, QPoint(12, 7), row.button);
        ASSERT_EQ(form.pictureDowns.size(), 1u) << row.button;
        EXPECT_EQ(form.pictureDowns[0], row.expected) << row.button << " " << row.modifiers;
    }
    EXPECT_TRUE(form.formDowns.empty()) << "the window got the canvas's press";
}

TEST_F(CanvasTest, ReleaseInsideGivesMouseUpAndClick)
{
    pressAt(window, QPoint(32, 22), Qt::LeftButton);
    releaseAt(window, QPoint(32, 22), Qt::LeftButton);
    ASSERT_EQ(form.pictureUps.size(), 1u);
    EXPECT_EQ(form.pictureUps[0], (MouseRecord{1, 0, 450, 300}));
    EXPECT_EQ(form.pictureClicks, 1);
}

TEST_F(CanvasTest, LineMovedByHandlerIsRepaintedOnScreen)
{
    // Read back what reached the window's backing store, so that a repaint
    // that misses the old or the new place shows.
    auto screenShot = [&] {
        pump(30);
        return window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QImage before = screenShot();
    if (before.isNull())
        GTEST_SKIP() << "this platform gives no window contents";
    ASSERT_EQ(colourAt(before, 27, 12), kRed);

    form.onClick = [this] {
        form.Line1.Y1 = 900; // y = 60 in the content area
        form.Line1.Y2 = 900;
    };
    clickAt(window, placeOf(form.Command1).center());
    const QImage after = screenShot();
    EXPECT_EQ(colourAt(after, 27, 12), kWhite) << "old place not repainted";
    EXPECT_EQ(colourAt(after, 27, 62), kRed) << "new place not painted";

    // Hiding it from a handler clears it as well.
    form.onClick = [this] { form.Line1.Visible = false; };
    clickAt(window, placeOf(form.Command1).center());
    EXPECT_EQ(colourAt(screenShot(), 27, 62), kWhite);
}

TEST_F(CanvasTest, NewPictureRepaintsTheWholeBox)
{
    auto screenShot = [&] {
        pump(30);
        return window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    };
    if (screenShot().isNull())
        GTEST_SKIP() << "this platform gives no window contents";
    const std::string black = savePng(folder, "black.png", whiteThenBlack(120, 80, 0));
    form.onClick = [&] { form.Picture1.setPicture(binding.loadPicture(black)); };
    clickAt(window, placeOf(form.Command1).center());
    const QImage after = screenShot();
    EXPECT_EQ(colourAt(after, 2 + 5, 70), 0);
    EXPECT_EQ(colourAt(after, 2 + 58, 2 + 58), 0);
}

// A label inside a picture box is drawn by the box in the z-order of the
// form: a line added after it lies on top of it, and a press on it goes to
// the label with twips from its own corner.
class CanvasLabelForm : public form::Form {
public:
    CanvasLabelForm() : form::Form("CanvasLabel")
    {
        Width = 3000;
        Height = 2250;
        Visible = true;
        Picture1.Width = 1800;
        Picture1.Height = 1500;
        Picture1.BackColor = 0xFFFFFF;
        Label1.Left = 300;
        Label1.Top = 300;
        Label1.Width = 900;
        Label1.Height = 450;
        Label1.BackColor = form::rgb(0, 0, 255);
        Line1.X1 = 150;
        Line1.Y1 = 600;
        Line1.X2 = 1500;
        Line1.Y2 = 600;
        Line1.BorderWidth = 3;
        Line1.BorderColor = kRed;
        add(Picture1);
        add(Label1, &Picture1);
        add(Line1, &Picture1);
        Label1.MouseDown = [this](int b, int s, float x, float y) { labelDowns.push_back({b, s, x, y}); };
        Picture1.MouseDown = [this](int b, int s, float x, float y) { boxDowns.push_back({b, s, x, y}); };
    }
    form::PictureBox Picture1{"Picture1"};
    form::Label Label1{"Label1"}; // (20, 20), 60 x 30 px in the content area
    form::Line Line1{"Line1"};    // y = 40, across the label
    std::vector<MouseRecord> labelDowns, boxDowns;
};

class CanvasLabelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        binding.addForm(form);
        binding.load(form);
        window = binding.windowOf(form);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    void TearDown() override { binding.releaseWindows(); }

    QtBinding binding;
    CanvasLabelForm form;
    FormWindow *window = nullptr;
};

TEST_F(CanvasLabelTest, LineAddedAfterLabelIsPaintedOverIt)
{
    const QImage shot = grabOf(window->widgetOf(form.Picture1));
    EXPECT_EQ(colourAt(shot, 2 + 30, 2 + 25), form::rgb(0, 0, 255)) << "label not painted";
    EXPECT_EQ(colourAt(shot, 2 + 50, 2 + 40), kRed) << "label covers the line drawn after it";
    EXPECT_EQ(colourAt(shot, 2 + 10, 2 + 40), kRed);
}

TEST_F(CanvasLabelTest, PressOnLabelGoesToTheLabelInItsOwnTwips)
{
    pressAt(window, QPoint(2 + 25, 2 + 24), Qt::LeftButton);
    releaseAt(window, QPoint(2 + 25, 2 + 24), Qt::LeftButton);
    ASSERT_EQ(form.labelDowns.size(), 1u);
    EXPECT_EQ(form.labelDowns[0], (MouseRecord{1, 0, 75, 60}));
    EXPECT_TRUE(form.boxDowns.empty());

    // Beside the label the box itself gets it.
    pressAt(window, QPoint(2 + 100, 2 + 90), Qt::LeftButton);
    releaseAt(window, QPoint(2 + 100, 2 + 90), Qt::LeftButton);
    ASSERT_EQ(form.boxDowns.size(), 1u);
    EXPECT_EQ(form.boxDowns[0], (MouseRecord{1, 0, 1500, 1350}));
}

} // namespace
} // namespace orbelle::formqt::testing
