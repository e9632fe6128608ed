// SPDX-License-Identifier: MIT
// The clock's two real forms shown through the binding, started from a
// design and a state file in a program folder of the test's own.

#include <gtest/gtest.h>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <fstream>
#include <iterator>

#include "Form1.h"
#include "Form2.h"
#include "FormWindow.h"
#include "QtBinding.h"
#include "TestSupport.h"

namespace orbelle::formqt::testing {
namespace {

// The binding with the test's folder as the program folder.
class FolderBinding : public QtBinding {
public:
    explicit FolderBinding(std::filesystem::path folder) : folder_(std::move(folder)) {}
    std::filesystem::path programFolder() override { return folder_; }

private:
    std::filesystem::path folder_;
};

struct Clock {
    explicit Clock(form::Services &services) : form1(services, form2), form2(form1) {}
    clock::Form1 form1;
    clock::Form2 form2;
};

constexpr const char *kEllipse = "#TRUE#,#FALSE#,#FALSE#";
constexpr const char *kRectangle = "#FALSE#,#TRUE#,#FALSE#";

class ClockWindowTest : public ::testing::Test {
protected:
    ~ClockWindowTest() override { binding.releaseWindows(); }

    // A 2460 x 2460 twip window over a 200 x 200 pixel face placed at
    // (-150, -150) twips; the window at (1500, 1200) twips; an alarm that
    // never matches a time and no opening date.
    void start(const char *shape = kEllipse)
    {
        const std::string picture = savePng(folder, "face.png", whiteThenBlack(200, 200, 100));
        const std::string design = std::string("2460,2460\r\n") + "\"" + picture + "\"\r\n" + "-150,-150\r\n" + shape +
                                   "\r\n1290,1260,2400,2400\r\n1,1,1,1\r\n16777215,255,65280,16711935\r\n"
                                   "\"100\",\"90\",\"70\"\r\n0\r\n0,0\r\n0,0\r\n";
        folder.write("tokei-set.ini", design);
        folder.write("Pt.ini", "1500,1200\r\n\"メモ\"\r\n\"99\",\"99\"\r\n\"0\",\"0\"\r\n");
        binding.addForm(clock.form1);
        binding.addForm(clock.form2);
        binding.load(clock.form1);
        face = binding.windowOf(clock.form1);
        dialog = binding.windowOf(clock.form2);
        ASSERT_NE(face, nullptr);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(face));
    }

    void showDialog()
    {
        clock.form2.Show();
        binding.syncAll();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    }

    QRect placeOf(FormWindow *window, const form::Control &control) const
    {
        QWidget *w = window->widgetOf(control);
        return w ? QRect(w->mapTo(window, QPoint(0, 0)), w->size()) : QRect();
    }

    TempFolder folder;
    FolderBinding binding{folder.path()};
    Clock clock{binding};
    FormWindow *face = nullptr;
    FormWindow *dialog = nullptr;
};

TEST_F(ClockWindowTest, FaceWindowIsFramelessSizedPlacedAndCutToTheEllipse)
{
    start();
    EXPECT_TRUE(face->isVisible());
    EXPECT_TRUE(face->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(face->size(), QSize(164, 164));
    EXPECT_EQ(face->pos(), QPoint(100, 80));
    EXPECT_EQ(face->mask().boundingRect(), QRect(2, 2, 162, 162));
    EXPECT_FALSE(face->mask().contains(QPoint(4, 4)));
    // The box takes the picture's size plus its border, at the face offset.
    EXPECT_EQ(placeOf(face, clock.form1.Picture1), QRect(-10, -10, 204, 204));
}

TEST_F(ClockWindowTest, RectangleDesignGivesTheFrameAsMask)
{
    start(kRectangle);
    EXPECT_EQ(face->mask().boundingRect(), QRect(2, 2, 160, 160));
}

TEST_F(ClockWindowTest, WithoutNotificationAreaTheClockKeepsATaskbarEntry)
{
    start();
    if (clock.form1.hasNotifyIcon())
        GTEST_SKIP() << "this session has a notification area";
    EXPECT_TRUE(clock.form1.ShowInTaskbar);
    EXPECT_EQ(face->windowType(), Qt::Window) << "a tool window has no taskbar entry to close the clock with";
}

TEST_F(ClockWindowTest, DialogIsLoadedHiddenAndBuiltWithItsTitleSizeAndTextsWhenShown)
{
    start();
    EXPECT_TRUE(dialog->isHidden());
    EXPECT_FALSE(clock.form2.Visible);
    // Nothing of it is made until it is first shown.
    EXPECT_EQ(dialog->widgetOf(clock.form2.Text1), nullptr);

    ASSERT_NO_FATAL_FAILURE(showDialog());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("アラーム設定"));
    EXPECT_EQ(dialog->size(), QSize(328, 277));
    EXPECT_EQ(qobject_cast<QLineEdit *>(dialog->widgetOf(clock.form2.Text1))->text(), QStringLiteral("99"));
    EXPECT_EQ(qobject_cast<QPlainTextEdit *>(dialog->widgetOf(clock.form2.Text3))->toPlainText(),
              QStringLiteral("メモ"));

    const struct {
        const form::Control *control;
        QRect expected;
    } rows[] = {
        {&clock.form2.Text4, QRect(196, 12, 28, 21)},   {&clock.form2.UpDown3, QRect(222, 12, 16, 21)},
        {&clock.form2.Command4, QRect(103, 147, 129, 25)}, {&clock.form2.Text3, QRect(2, 176, 325, 102)},
        {&clock.form2.Label4, QRect(12, 201, 305, 32)},
    };
    for (const auto &row : rows)
        EXPECT_EQ(placeOf(dialog, *row.control), row.expected) << row.control->displayName();
}

TEST_F(ClockWindowTest, MemoTooLongToEditIsShownInPartAndKeptWhole)
{
    start();
    std::string memo = "はじめ\r\n" + std::string(10 << 20, 'm') + "\r\nおわり";
    clock.form2.Text3.Text = memo;
    ASSERT_NO_FATAL_FAILURE(showDialog());
    auto *box = qobject_cast<QPlainTextEdit *>(dialog->widgetOf(clock.form2.Text3));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_TRUE(box->toPlainText().startsWith(QStringLiteral("はじめ\nmmm")));
    EXPECT_LT(box->toPlainText().size(), 300 * 1024);
    QTest::keyClick(box, Qt::Key_X);
    clock.form2.Command4.Click();
    binding.syncAll();
    EXPECT_EQ(clock.form2.Text3.Text, memo);

    // A memo of a usual size is editable again.
    clock.form2.Text3.Text = "短いメモ";
    ASSERT_NO_FATAL_FAILURE(showDialog());
    EXPECT_FALSE(box->isReadOnly());
    EXPECT_EQ(box->toPlainText(), QStringLiteral("短いメモ"));
    box->moveCursor(QTextCursor::End);
    QTest::keyClicks(box, "x");
    EXPECT_EQ(clock.form2.Text3.Text, "短いメモx");
}

TEST_F(ClockWindowTest, DialogOpensCentredOnTheScreen)
{
    start();
    ASSERT_NO_FATAL_FAILURE(showDialog());
    // The window frame shifts the client area by its margins, a few pixels.
    const QPoint centre = dialog->screen()->availableGeometry().center();
    EXPECT_LE((dialog->geometry().center() - centre).manhattanLength(), 8)
        << "client area at " << dialog->geometry().x() << "," << dialog->geometry().y();
}

TEST_F(ClockWindowTest, MemoBoxCoversTheNoticeInMemoModeOnly)
{
    start();
    ASSERT_NO_FATAL_FAILURE(showDialog());
    const QPoint notice = placeOf(dialog, clock.form2.Label4).center();
    EXPECT_TRUE(isWithin(widgetAt(dialog, notice), dialog->widgetOf(clock.form2.Text3)));

    clock.form2.Text3.Top = clock::Form2::kAlarmModeTop;
    binding.syncAll();
    EXPECT_EQ(widgetAt(dialog, notice), dialog->widgetOf(clock.form2.Label4));
    const QPoint instruction = placeOf(dialog, clock.form2.Label1).center();
    EXPECT_TRUE(isWithin(widgetAt(dialog, instruction), dialog->widgetOf(clock.form2.Text3)));
}

TEST_F(ClockWindowTest, CloseBoxHidesTheDialogAsItsCloseButtonWould)
{
    start();
    const struct {
        float memoTop;
        int mouyoi;
    } rows[] = {
        {clock::Form2::kMemoModeTop, 0},
        {clock::Form2::kAlarmModeTop, 1},
    };
    for (const auto &row : rows) {
        clock.form2.Text3.Top = row.memoTop;
        ASSERT_NO_FATAL_FAILURE(showDialog());
        clock.form1.mouyoi = 2;
        dialog->close();
        EXPECT_TRUE(dialog->isHidden()) << row.memoTop;
        EXPECT_FALSE(clock.form2.Visible) << row.memoTop;
        EXPECT_TRUE(clock.form1.mouyoi.equals(row.mouyoi)) << row.memoTop;
        // The window lives on and opens again with its texts.
        EXPECT_EQ(binding.windowOf(clock.form2), dialog);
        EXPECT_FALSE(binding.ended());
    }
    ASSERT_NO_FATAL_FAILURE(showDialog());
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(ClockWindowTest, RightPressOnTheFaceOpensTheDialogInMemoMode)
{
    start();
    clock.form2.Text3.Top = clock::Form2::kAlarmModeTop;
    binding.syncAll();
    pressAt(face, QPoint(80, 80), Qt::RightButton);
    releaseAt(face, QPoint(80, 80), Qt::RightButton);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(clock.form2.Text3.Top, clock::Form2::kMemoModeTop);
    EXPECT_EQ(placeOf(dialog, clock.form2.Text3).top(), 176);
}

TEST_F(ClockWindowTest, LeftDragOnTheFaceMovesTheWindow)
{
    start();
    QWidget *target = widgetAt(face, QPoint(50, 50));
    ASSERT_EQ(target, face->widgetOf(clock.form1.Picture1));
    const QPoint local = target->mapFrom(face, QPoint(50, 50));
    QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, local);
    QTest::mouseMove(target, local + QPoint(20, 30));
    // Released where the pointer now is, which the moved window sees at the
    // press point again.
    QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, local);
    EXPECT_EQ(face->pos(), QPoint(120, 110));
    EXPECT_EQ(clock.form1.Left, 1800);
    EXPECT_EQ(clock.form1.Top, 1650);
}

TEST_F(ClockWindowTest, ClickOrJitterOnTheFaceLeavesTheWindowWhereItIs)
{
    start();
    QWidget *target = widgetAt(face, QPoint(50, 50));
    ASSERT_EQ(target, face->widgetOf(clock.form1.Picture1));
    const QPoint local = target->mapFrom(face, QPoint(50, 50));
    const QPoint before = face->pos();
    // Less than the drag distance between press and release, then the
    // pointer goes its way with no button held.
    const QPoint within(QApplication::startDragDistance() / 2, 0);
    for (const QPoint moved : {QPoint(0, 0), within}) {
        QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, local);
        QTest::mouseMove(target, local + moved);
        QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, local + moved);
        QMouseEvent away(QEvent::MouseMove, QPointF(local + QPoint(40, 30)), target->mapToGlobal(QPointF(local + QPoint(40, 30))),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &away);
        EXPECT_EQ(face->pos(), before) << moved.x();
    }
    EXPECT_EQ(clock.form1.Left, 1500);
}

TEST_F(ClockWindowTest, ClosingTheFaceWithoutNotificationAreaSavesAndEnds)
{
    start();
    if (clock.form1.hasNotifyIcon())
        GTEST_SKIP() << "this session has a notification area";
    face->close();
    EXPECT_TRUE(binding.ended());
    EXPECT_TRUE(face->isHidden());
    std::ifstream in(folder.file("Pt.ini"), std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved.substr(0, 11), "1500,1200\r\n");
}

// The clock on a window system that neither cuts windows nor lets a program
// place them, as a Wayland compositor.
class ClockWindowOnCompositorTest : public ClockWindowTest {
protected:
    ClockWindowOnCompositorTest() { binding.setWindowAbilities(WindowAbilities{false, false}); }

    // What the face window hands the compositor: its painting over nothing,
    // one entry a device pixel.
    QImage painted() const
    {
        const qreal dpr = face->devicePixelRatio();
        QImage image(face->size() * dpr, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        // Qt's own rendering would keep to the mask; the compositor does not.
        face->render(&image, QPoint(), QRegion(), QWidget::DrawChildren | QWidget::IgnoreMask);
        return image.convertToFormat(QImage::Format_ARGB32);
    }

    // The window's backing store as it stands after its repaints (the
    // offscreen platform's store has no alpha: cleared pixels are black).
    QImage stored()
    {
        pump(30);
        return face->screen()->grabWindow(face->winId()).toImage().convertToFormat(QImage::Format_ARGB32);
    }

    struct Coverage {
        int insideNotOpaque = 0; // pixels of the region the compositor would not show whole
        int outsideNotClear = 0; // pixels outside it that would show at all
        int white = 0;           // the face picture's white half, inside
        int whiteOutside = 0;    // and outside
    };
    // Every device pixel of a picture of the window against the region's
    // window pixels.
    Coverage coverage(const QImage &image, const QRegion &kept) const
    {
        Coverage c;
        const qreal dpr = face->devicePixelRatio();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb px = image.pixel(x, y);
                const bool white = px == 0xFFFFFFFF;
                if (!kept.contains(QPoint(int(x / dpr), int(y / dpr)))) {
                    c.outsideNotClear += qAlpha(px) != 0;
                    c.whiteOutside += white;
                    continue;
                }
                c.insideNotOpaque += qAlpha(px) != 255;
                c.white += white;
            }
        return c;
    }

    std::string savedState() const
    {
        std::ifstream in(folder.file("Pt.ini"), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
};

TEST_F(ClockWindowOnCompositorTest, FaceIsSeeThroughOutsideItsRegionAndWholeInside)
{
    start();
    EXPECT_TRUE(face->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(face->windowHandle()->requestedFormat().hasAlpha());
    // The region still says where the window takes input.
    const QRegion input = face->windowHandle()->mask();
    EXPECT_EQ(input, ellipseRegion(2, 2, 164, 164));
    // The framed dialog keeps its background.
    EXPECT_FALSE(dialog->testAttribute(Qt::WA_TranslucentBackground));

    const QImage image = painted();
    const qreal dpr = face->devicePixelRatio();
    ASSERT_EQ(image.size(), QSize(int(164 * dpr), int(164 * dpr)));
    const Coverage c = coverage(image, input);
    EXPECT_EQ(c.outsideNotClear, 0);
    EXPECT_EQ(c.insideNotOpaque, 0) << "a hand's shadow or the border left a hole";
    // The picture is white left of its middle.
    EXPECT_GT(c.white, int(8000 * dpr * dpr));
}

TEST_F(ClockWindowOnCompositorTest, ANewRegionShowsWhatItKeepsAndClearsWhatItDrops)
{
    start();
    // The picture's white half shows in the corners of the box only while
    // no region cuts them off.
    const QRegion ellipse = ellipseRegion(2, 2, 164, 164);
    EXPECT_EQ(coverage(stored(), ellipse).whiteOutside, 0);
    binding.setWindowRegion(clock.form1, std::nullopt);
    EXPECT_TRUE(face->windowHandle()->mask().isEmpty());
    EXPECT_GT(coverage(stored(), ellipse).whiteOutside, 0) << "the corners were not painted again";

    form::WindowRegion square;
    square.shape = form::WindowRegion::Shape::Polygon;
    square.points = {{40, 40}, {40, 120}, {120, 120}, {120, 40}};
    binding.setWindowRegion(clock.form1, square);
    EXPECT_EQ(face->windowHandle()->mask(), QRegion(40, 40, 80, 80));
    const Coverage cut = coverage(stored(), QRegion(40, 40, 80, 80));
    EXPECT_EQ(cut.whiteOutside, 0);
    EXPECT_GT(cut.white, 0);
    EXPECT_EQ(coverage(painted(), QRegion(40, 40, 80, 80)).outsideNotClear, 0);
}

TEST_F(ClockWindowOnCompositorTest, PositionReadAtStartIsSavedWhateverTheWindowReports)
{
    start();
    // The compositor put the window somewhere and reports the origin.
    face->move(0, 0);
    pump(30);
    EXPECT_EQ(clock.form1.Left, 1500);
    EXPECT_EQ(clock.form1.Top, 1200);
    clock.form2.Text3.Text = "新しいメモ";
    ASSERT_TRUE(clock.form1.saveStateIfChanged());
    EXPECT_EQ(savedState().substr(0, 11), "1500,1200\r\n");
}

TEST_F(ClockWindowOnCompositorTest, DragLeavesThePlacingToTheCompositor)
{
    start();
    QWidget *target = widgetAt(face, QPoint(50, 50));
    ASSERT_EQ(target, face->widgetOf(clock.form1.Picture1));
    const QPoint before = face->pos();
    const QPoint local = target->mapFrom(face, QPoint(50, 50));
    QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, local);
    QTest::mouseMove(target, local + QPoint(20, 30));
    QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, local + QPoint(20, 30));
    // The program does not move the window where it cannot know it lies.
    EXPECT_EQ(face->pos(), before);
    EXPECT_EQ(clock.form1.Left, 1500);
    EXPECT_EQ(clock.form1.Top, 1200);
}

} // namespace
} // namespace orbelle::formqt::testing
