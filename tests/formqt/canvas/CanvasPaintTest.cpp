// SPDX-License-Identifier: MIT
// How the canvas repaints: what reaches the window's backing store matches
// what the canvas's own paint code draws into a pixmap, a slanting line
// repaints only a band along it and only when its pixels change, a repaint
// of a large face keeps to the calling thread, and under a screen scale the
// face is smooth and the lines sharp. The same tests run at scale 1 and at
// QT_SCALE_FACTOR=2.

#include <QDir>
#include <QGuiApplication>
#include <QPalette>
#include <QFile>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <cmath>
#include <functional>
#include <optional>
#include <string>

#include "canvas/CanvasWidget.h"
#include "SampleForm.h"
#include "TestSupport.h"

namespace orbelle::formqt::testing {
namespace {

constexpr int kRed = 255;

// Records the region of each repaint of a canvas, painted or drawn by the
// X server, while it lives.
class PaintRegions {
public:
    explicit PaintRegions(QWidget *canvas)
        : connection_(QObject::connect(qobject_cast<CanvasWidget *>(canvas), &CanvasWidget::drawn,
                                       [this](const QRegion &region) { regions.push_back(region); }))
    {
    }
    ~PaintRegions() { QObject::disconnect(connection_); }
    PaintRegions(const PaintRegions &) = delete;
    PaintRegions &operator=(const PaintRegions &) = delete;

    std::vector<QRegion> regions;

private:
    QMetaObject::Connection connection_;
};

long long areaOf(const QRegion &region)
{
    long long area = 0;
    for (const QRect &r : region)
        area += (long long)r.width() * r.height();
    return area;
}

class CanvasPaintTest : public SampleWindowTest {
protected:
    void SetUp() override
    {
        SampleWindowTest::SetUp();
        canvas = widgetOf(form.Picture1);
        ASSERT_NE(canvas, nullptr);
        dpr = window->devicePixelRatio();
    }

    void show(const QImage &picture, const char *name = "face.png")
    {
        form.Picture1.setPicture(binding.loadPicture(savePng(folder, name, picture)));
        binding.syncAll();
    }

    // The window's backing store as it stands, in device pixels.
    QImage screen()
    {
        pump(30);
        return window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    }

    // The canvas's part of a screen picture.
    QImage canvasPart(const QImage &shot) const
    {
        const QPoint at = canvas->mapTo(window, QPoint(0, 0));
        return shot.copy(QRect(QPoint(int(at.x() * dpr), int(at.y() * dpr)),
                               QSize(int(canvas->width() * dpr), int(canvas->height() * dpr))));
    }

    // Device pixel of a canvas pixel's centre, in a picture of the canvas.
    QPoint device(int x, int y) const { return QPoint(int((x + 0.5) * dpr), int((y + 0.5) * dpr)); }

    void placeLine1(int x1, int y1, int x2, int y2)
    {
        form.Line1.X1 = float(x1 * 15);
        form.Line1.Y1 = float(y1 * 15);
        form.Line1.X2 = float(x2 * 15);
        form.Line1.Y2 = float(y2 * 15);
        binding.syncAll();
    }

    // What the canvas repaints after `change`, once it has repainted; empty
    // when it did not within two seconds.
    QRegion repaintedAfter(const std::function<void()> &change)
    {
        PaintRegions watch(canvas);
        change();
        const bool painted = waitFor([&] { return !watch.regions.empty(); }, 2000);
        QRegion all;
        for (const QRegion &r : watch.regions)
            all += r;
        EXPECT_TRUE(painted) << "no repaint";
        return all;
    }

    TempFolder folder;
    QWidget *canvas = nullptr;
    qreal dpr = 1;
};

QImage halfClearRed(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(QColor(255, 0, 0, 128));
    return image;
}

TEST_F(CanvasPaintTest, ScreenShowsWhatThePaintCodeDrawsWhereverTheBoxStands)
{
    const QImage shot0 = screen();
    if (shot0.isNull())
        GTEST_SKIP() << "this platform gives no window contents";
    const struct {
        const char *what;
        QImage picture;
        bool autoSize;
        QRect boxTwips;  // where the box stands when it does not size itself
        QPoint backAt;   // a canvas pixel showing the back colour, or (-1, -1)
    } rows[] = {
        {"opaque picture at the window's corner", whiteThenBlack(120, 80, 60), true, {}, {-1, -1}},
        {"translucent picture over the back colour", halfClearRed(120, 80), true, {}, {-1, -1}},
        {"box larger than its picture, away from the corner", whiteThenBlack(60, 40, 30), false,
         QRect(450, 300, 2400, 1800), {100, 100}},
    };
    int n = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        form.Picture1.AutoSize = row.autoSize;
        if (!row.autoSize)
            form.Picture1.Move(float(row.boxTwips.x()), float(row.boxTwips.y()), float(row.boxTwips.width()),
                               float(row.boxTwips.height()));
        show(row.picture, ("face" + std::to_string(n++) + ".png").c_str());
        // Repaints of part of the box, the line's old and new places, as it
        // turns round a point of the picture: nothing of it is left behind.
        for (int step = 0; step < 16; ++step) {
            const double a = step * 22.5 * 3.14159265358979 / 180;
            placeLine1(30, 25, 30 + int(std::lround(28 * std::sin(a))), 25 - int(std::lround(22 * std::cos(a))));
            screen();
        }
        placeLine1(20, 15, 70, 60);
        const QImage onScreen = canvasPart(screen());
        const QImage painted = grabOf(canvas);
        ASSERT_EQ(onScreen.size(), painted.size());
        EXPECT_TRUE(onScreen == painted) << "the backing store differs from the canvas's own painting";
        EXPECT_EQ(colourAt(onScreen, device(2 + 20, 2 + 15)), kRed);
        EXPECT_NE(colourAt(onScreen, device(2 + 25, 2 + 10)), kRed) << "old place not repainted";
        if (row.backAt.x() >= 0) {
            EXPECT_EQ(colourAt(onScreen, device(row.backAt.x(), row.backAt.y())), form.Picture1.BackColor);
        }
    }
}

TEST_F(CanvasPaintTest, TranslucentPictureIsBlendedOverTheBackColour)
{
    if (screen().isNull())
        GTEST_SKIP() << "this platform gives no window contents";
    show(halfClearRed(120, 80));
    placeLine1(20, 15, 70, 60);
    // Half-clear red over the grey back colour (200), where the picture is
    // flat (smoothing under a screen scale keeps it so).
    const QImage onScreen = canvasPart(screen());
    const QRgb c = onScreen.pixel(device(2 + 100, 2 + 70));
    EXPECT_NEAR(qRed(c), 255 * 128 / 255 + 200 * 127 / 255, 1);
    EXPECT_NEAR(qGreen(c), 200 * 127 / 255, 1);
    EXPECT_EQ(qGreen(c), qBlue(c));
}

TEST_F(CanvasPaintTest, SlantingLineRepaintsABandAlongItsOldAndNewPlaces)
{
    show(whiteThenBlack(300, 240, 150));
    placeLine1(10, 10, 110, 210);
    pump(30);
    const QRegion painted = repaintedAfter([&] { placeLine1(110, 10, 210, 210); });
    // Both lines, with the content area's 2-pixel offset.
    for (const QPoint p : {QPoint(12, 12), QPoint(62, 112), QPoint(112, 212), QPoint(112, 12), QPoint(162, 112),
                           QPoint(212, 212)})
        EXPECT_TRUE(painted.contains(p)) << p.x() << "," << p.y();
    // The two boxes the lines span hold 2 x 100 x 200 pixels and more; the
    // bands along them far less.
    const long long spanned = 2LL * 110 * 210;
    EXPECT_LT(areaOf(painted), spanned / 2) << "repainted " << areaOf(painted) << " pixels";
    EXPECT_FALSE(painted.contains(QPoint(12, 200))) << "the corner of the old line's box was repainted";
}

TEST_F(CanvasPaintTest, TurningLineRepaintsAFewDozenRectanglesAtMost)
{
    // A hand and its shadow on a large face: whatever their slant, the old
    // and the new places together stay a few rectangles a band of rows, so
    // the repaint's clipping and sending keep to a fixed cost.
    show(whiteThenBlack(600, 600, 300));
    form.Line2.BorderWidth = 3;
    const QPoint centre(300, 300);
    const auto place = [&](form::Line &line, QPoint shift, double degrees) {
        const double a = degrees * 3.14159265358979 / 180;
        line.X1 = float((centre.x() + shift.x()) * 15);
        line.Y1 = float((centre.y() + shift.y()) * 15);
        line.X2 = float((centre.x() + shift.x() + 280 * std::sin(a)) * 15);
        line.Y2 = float((centre.y() + shift.y() - 280 * std::cos(a)) * 15);
    };
    for (const double degrees : {0.0, 12.0, 33.0, 45.0, 60.0, 84.0, 117.0, 150.0, 201.0, 246.0, 303.0}) {
        SCOPED_TRACE(degrees);
        place(form.Line1, {0, 0}, degrees - 6);
        place(form.Line2, {4, 4}, degrees - 6);
        binding.syncAll();
        pump(30);
        const QRegion painted = repaintedAfter([&] {
            place(form.Line1, {0, 0}, degrees);
            place(form.Line2, {4, 4}, degrees);
            binding.syncAll();
        });
        // 290 rows of canvas pixels: 19 bands of 16 screen rows for each
        // place at most, twice as many at a screen scale of 2.
        EXPECT_LE(painted.rectCount(), int(40 * dpr));
        EXPECT_LT(areaOf(painted), 600LL * 600 / 6);
    }
}

TEST_F(CanvasPaintTest, LongLineStaysWholeWhereATurningLineCrossesIt)
{
    if (screen().isNull())
        GTEST_SKIP() << "this platform gives no window contents";
    // A steep line of more than a hundred rows is drawn in pieces, and a repaint
    // draws only the pieces that reach into it; each repaint of a line that
    // turns across it must still leave it whole.
    show(whiteThenBlack(120, 140, 60));
    form.Line2.X1 = 40 * 15;
    form.Line2.Y1 = 3 * 15;
    form.Line2.X2 = 62 * 15;
    form.Line2.Y2 = 137 * 15;
    form.Line2.Mode = form::DrawMode::CopyPen;
    for (int step = 0; step < 12; ++step) {
        SCOPED_TRACE(step);
        const double a = step * 30 * 3.14159265358979 / 180;
        placeLine1(60, 70, 60 + int(std::lround(50 * std::sin(a))), 70 - int(std::lround(62 * std::cos(a))));
        const QImage onScreen = canvasPart(screen());
        const QImage painted = grabOf(canvas);
        ASSERT_EQ(onScreen.size(), painted.size());
        EXPECT_TRUE(onScreen == painted) << "the backing store differs from the canvas's own painting";
    }
}

TEST_F(CanvasPaintTest, EndlessLineRepaintsOnlyWhatLiesOnTheCanvas)
{
    show(whiteThenBlack(300, 240, 150));
    placeLine1(10, 10, 110, 210);
    pump(30);
    // A hand 1e30 twips long, as a damaged design gives, turning.
    for (const float end : {1e30f, -1e30f}) {
        const QRegion painted = repaintedAfter([&] {
            form.Line1.X2 = end;
            form.Line1.Y2 = end / 2;
            binding.syncAll();
        });
        EXPECT_TRUE(canvas->rect().contains(painted.boundingRect())) << end;
        EXPECT_LT(painted.rectCount(), 200) << end;
    }
}

TEST_F(CanvasPaintTest, LineRepaintsOnlyWhenItsPixelsChange)
{
    show(whiteThenBlack(300, 240, 150));
    placeLine1(10, 10, 200, 150);
    pump(30);
    PaintRegions watch(canvas);
    const struct {
        const char *what;
        float dx2, dy2; // twips added to the line's end
        bool repaints;
    } rows[] = {
        {"a few twips within the same pixel", 5, -5, false},
        {"back again", -5, 5, false},
        {"a whole pixel", 15, 0, true},
        {"half a pixel more, rounding to the next", 8, 0, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        watch.regions.clear();
        form.Line1.X2 += row.dx2;
        form.Line1.Y2 += row.dy2;
        binding.syncAll();
        if (row.repaints) {
            EXPECT_TRUE(waitFor([&] { return !watch.regions.empty(); }, 2000));
        } else {
            pump(50);
            EXPECT_TRUE(watch.regions.empty());
        }
    }
}

// Voluntary context switches of the threads of the painter's pool so far:
// each is a wake-up of the pool. Empty when the system does not tell.
std::optional<long long> pooledThreadWakeUps()
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    if (!tasks.exists())
        return std::nullopt;
    long long total = 0;
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        if (!comm.open(QIODevice::ReadOnly) || !comm.readAll().startsWith("Thread (pooled)"))
            continue;
        QFile status(tasks.filePath(task + QStringLiteral("/status")));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:"))
                total += line.mid(int(sizeof "voluntary_ctxt_switches:") - 1).trimmed().toLongLong();
    }
    return total;
}

TEST_F(CanvasPaintTest, RepaintsOfALargeFaceKeepToTheCallingThread)
{
    if (!pooledThreadWakeUps())
        GTEST_SKIP() << "this system does not tell threads' context switches";
    form.Width = form.Height = 1100 * 15;
    // The form's other controls would lie over the face.
    for (form::Control *c : std::initializer_list<form::Control *>{&form.Label1, &form.Text1, &form.UpDown1, &form.Text2,
                                                                     &form.Command1, &form.Label3})
        c->Visible = false;
    QImage picture(1000, 1000, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.fillRect(picture.rect(), QColor(240, 230, 200));
    painter.setPen(QPen(Qt::darkGray, 5));
    for (int i = 0; i < 1000; i += 50)
        painter.drawEllipse(QPoint(500, 500), i / 2, i / 2);
    painter.end();
    show(picture);
    form.Line2.BorderWidth = 3;
    // A long hand and its shadow sweep round: each repaint covers hundreds
    // of rows, in many boxes.
    auto sweep = [&](int step) {
        const double a = step * 6 * 3.14159265358979 / 180;
        const int x = 500 + int(450 * std::sin(a));
        const int y = 500 - int(450 * std::cos(a));
        form.Line2.X1 = 500 * 15 + 10;
        form.Line2.Y1 = 500 * 15 + 10;
        form.Line2.X2 = float(x * 15 + 30);
        form.Line2.Y2 = float(y * 15 + 30);
        placeLine1(500, 500, x, y);
        canvas->repaint();
    };
    sweep(0);
    pump(50);
    const long long before = *pooledThreadWakeUps();
    for (int step = 1; step <= 12; ++step)
        sweep(step * 5);
    pump(50);
    EXPECT_EQ(*pooledThreadWakeUps(), before) << "a repaint woke the painter's thread pool";
}

TEST_F(CanvasPaintTest, UnderAScreenScaleTheFaceIsSmoothAndTheLinesSharp)
{
    if (dpr < 2)
        GTEST_SKIP() << "runs under a screen scale of 2 or more (QT_SCALE_FACTOR=2)";
    const QImage shot0 = screen();
    if (shot0.isNull())
        GTEST_SKIP() << "this platform gives no window contents";
    // Columns alternately black and white: scaled smoothly, they blend.
    QImage stripes(120, 80, QImage::Format_RGB32);
    for (int y = 0; y < stripes.height(); ++y)
        for (int x = 0; x < stripes.width(); ++x)
            stripes.setPixel(x, y, x % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    show(stripes);
    placeLine1(10, 30, 40, 30);
    const QImage onScreen = canvasPart(screen());
    int blended = 0;
    for (int x = int(10 * dpr); x < int(60 * dpr); ++x) {
        const int r = qRed(onScreen.pixel(x, int(60 * dpr)));
        if (r > 20 && r < 235)
            ++blended;
    }
    EXPECT_GT(blended, int(25 * dpr)) << "the picture was not scaled smoothly";
    // The 3-pixel line at y = 32 in the window covers y = 30.5 to 33.5:
    // 3 x dpr device rows of pure red, and nothing red on the rows beside.
    const int top = int(30.5 * dpr), rows = int(3 * dpr);
    for (int y = top - 1; y <= top + rows; ++y) {
        const bool inside = y >= top && y < top + rows;
        EXPECT_EQ(colourAt(onScreen, int(27 * dpr), y) == kRed, inside) << "device row " << y;
    }
}

class OnXServerTest : public CanvasPaintTest {
protected:
    void SetUp() override
    {
        CanvasPaintTest::SetUp();
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "runs on an X server (QT_QPA_PLATFORM=xcb)";
        show(whiteThenBlack(120, 80, 60));
        placeLine1(30, 25, 58, 25);
        ASSERT_TRUE(waitFor([&] { return shows(window->grab()); }, 2000));
    }

    // Whether the screen holds what the window's own painting draws.
    bool shows(const QPixmap &painted) { return screen() == painted.toImage().convertToFormat(QImage::Format_RGB32); }

    // Moves Line1's end and tells whether the canvas painted (rather than
    // had the server draw) the move.
    bool paintedMoving(int x2, int y2)
    {
        struct PaintCount : QObject {
            int paints = 0;
            bool eventFilter(QObject *, QEvent *event) override
            {
                paints += event->type() == QEvent::Paint;
                return false;
            }
        } count;
        canvas->installEventFilter(&count);
        placeLine1(30, 25, x2, y2);
        pump(30);
        canvas->removeEventFilter(&count);
        return count.paints > 0;
    }
};

TEST_F(OnXServerTest, LeavesToThePainterOnlyWhatTheServerCannotDraw)
{
    const struct {
        const char *what;
        std::function<void(SampleForm &)> setUp;
        bool painted;
    } rows[] = {
        {"a hand over the picture and a line", [](SampleForm &) {}, false},
        {"a hand crossing a dotted line", [](SampleForm &f) { f.Line2.BorderStyle = form::PenStyle::Dot; }, true},
        {"a hand under a button", [](SampleForm &f) { f.Command1.Move(300, 300, 900, 375); }, true},
        {"a hand beside a button", [](SampleForm &f) { f.Command1.Move(300, 900, 900, 300); }, false},
        {"a hand crossing a wide shadow",
         [](SampleForm &f) {
             f.Line2.BorderWidth = 4;
             f.Line2.Mode = form::DrawMode::MaskNotPen;
         },
         false},
        // Last: the picture stays.
        {"a hand over a picture too wide to keep a copy of in the server",
         [this](SampleForm &f) {
             f.Picture1.AutoSize = false;
             show(whiteThenBlack(4100, 80, 60), "wide.png");
         },
         true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        form.Line2.X1 = 45 * 15;
        form.Line2.Y1 = 5 * 15;
        form.Line2.X2 = 45 * 15;
        form.Line2.Y2 = 45 * 15;
        row.setUp(form);
        binding.syncAll();
        pump(30);
        for (const int y : {20, 28, 23}) {
            EXPECT_EQ(paintedMoving(58, y), row.painted);
            const QPixmap painted = window->grab();
            EXPECT_TRUE(waitFor([&] { return shows(painted); }, 2000)) << "the screen differs from the painting";
        }
        form.Line2.BorderStyle = form::PenStyle::Solid;
        form.Line2.BorderWidth = 3;
        form.Command1.Move(3900, 600, 1500, 375);
    }
}

TEST_F(OnXServerTest, ScreenStaysTrueWhenTheCanvasMovesOrGetsAWindowOfItsOwn)
{
    const struct {
        const char *what;
        std::function<void(QWidget *canvas)> change;
    } rows[] = {
        // Qt moves the canvas's pixels within its backing store, which
        // still holds the hand where Qt last painted it.
        {"moved within the window", [](QWidget *c) { c->move(c->pos() + QPoint(7, 5)); }},
        {"scrolled with its parent", [](QWidget *c) { c->parentWidget()->scroll(3, 2); }},
        // Drawn on the top-level window, the hand would be hidden under
        // the canvas's own.
        {"given an X window of its own", [](QWidget *c) { c->winId(); }},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        paintedMoving(58, 40);
        paintedMoving(50, 60);
        row.change(canvas);
        pump(30);
        paintedMoving(40, 10);
        const QPixmap painted = window->grab();
        EXPECT_TRUE(waitFor([&] { return shows(painted); }, 2000)) << "the screen differs from the painting";
    }
}

TEST_F(OnXServerTest, WhatTheServerDrewStaysWhenTheWindowIsUncovered)
{
    // The backing store still holds the hand's old place; once another
    // window has lain over the canvas, the screen must show the new one.
    ASSERT_FALSE(paintedMoving(58, 40)) << "the move was painted, not drawn by the server";
    const QPixmap moved = window->grab();
    ASSERT_TRUE(waitFor([&] { return shows(moved); }, 2000));
    QWidget cover;
    cover.setWindowFlags(Qt::FramelessWindowHint);
    cover.setAutoFillBackground(true);
    cover.setPalette(QPalette(Qt::darkGreen));
    cover.setGeometry(QRect(window->mapToGlobal(QPoint(0, 0)), window->size()));
    cover.show();
    ASSERT_TRUE(waitFor([&] { return !shows(moved); }, 2000)) << "the cover did not show";
    cover.hide();
    EXPECT_TRUE(waitFor([&] { return shows(moved); }, 2000)) << "the uncovered window shows the old place";
}

} // namespace
} // namespace orbelle::formqt::testing
