// SPDX-License-Identifier: MIT
// Window shapes: the ellipse region and the masks a form's window gets.

#include <algorithm>
#include <gtest/gtest.h>
#include <QPolygon>
#include <QRegion>
#include <climits>
#include <random>

#include "FormWindow.h"
#include "canvas/PolygonRegion.h"
#include "QtBinding.h"
#include "TestSupport.h"

namespace orbelle::formqt::testing {
namespace {

// Spans of one row of a region, left to right.
std::vector<std::pair<int, int>> rowSpans(const QRegion &region, int y)
{
    std::vector<std::pair<int, int>> spans;
    for (const QRect &r : region)
        if (r.top() <= y && y <= r.bottom())
            spans.emplace_back(r.left(), r.right() + 1);
    std::sort(spans.begin(), spans.end());
    return spans;
}

TEST(EllipseRegionTest, FillsItsBoxExactlyWithRightAndBottomExcluded)
{
    const struct {
        int left, top, right, bottom;
        QRect bounds;
    } rows[] = {
        {2, 2, 164, 164, QRect(2, 2, 162, 162)},
        {0, 0, 10, 6, QRect(0, 0, 10, 6)},
        {5, 7, 206, 108, QRect(5, 7, 201, 101)},
        {-3, -3, 4, 4, QRect(-3, -3, 7, 7)},
    };
    for (const auto &row : rows) {
        const QRegion region = ellipseRegion(row.left, row.top, row.right, row.bottom);
        EXPECT_EQ(region.boundingRect(), row.bounds)
            << row.left << "," << row.top << "," << row.right << "," << row.bottom;
    }
}

TEST(EllipseRegionTest, RowsAreSymmetricAndSingleSpans)
{
    for (const QRect box : {QRect(2, 2, 162, 162), QRect(0, 0, 41, 20), QRect(3, 1, 30, 47)}) {
        const QRegion region = ellipseRegion(box.left(), box.top(), box.left() + box.width(),
                                             box.top() + box.height());
        for (int y = box.top(); y < box.top() + box.height(); ++y) {
            const auto spans = rowSpans(region, y);
            ASSERT_EQ(spans.size(), 1u) << "row " << y << " of " << box.width() << "x" << box.height();
            const int mirrorY = 2 * box.top() + box.height() - 1 - y;
            EXPECT_EQ(rowSpans(region, mirrorY), spans) << "rows " << y << " and " << mirrorY;
            // Left and right ends mirror about the box's middle.
            EXPECT_EQ(spans[0].first - box.left(), box.left() + box.width() - spans[0].second) << "row " << y;
        }
    }
}

TEST(EllipseRegionTest, EmptyBoxGivesNoPixels)
{
    EXPECT_TRUE(ellipseRegion(10, 10, 10, 40).isEmpty());
    EXPECT_TRUE(ellipseRegion(10, 10, 40, 10).isEmpty());
    EXPECT_TRUE(ellipseRegion(40, 40, 10, 10).isEmpty());
}

// Wide enough for products of two coordinate differences; where there is no
// 128-bit integer, the cases near the ends of the integer range may round.
#ifdef __SIZEOF_INT128__
__extension__ typedef __int128 Wide;
#else
typedef long double Wide;
#endif

// Odd-even inside test of a pixel's corner point, one pixel at a time in
// 128-bit arithmetic: an edge counts in rows from its upper end to just
// above its lower end, and when it lies at or left of the point.
bool cornerInside(const std::vector<form::PixelPoint> &points, int x, int y)
{
    bool inside = false;
    for (std::size_t i = 0; i < points.size(); ++i) {
        form::PixelPoint a = points[i], b = points[(i + 1) % points.size()];
        if (a.y == b.y)
            continue;
        if (a.y > b.y)
            std::swap(a, b);
        if (y < a.y || y >= b.y)
            continue;
        // Edge x at row y <= x, multiplied out by the edge's height.
        const Wide lhs = Wide(a.x) * (b.y - std::int64_t(a.y)) +
                         Wide(y - std::int64_t(a.y)) * (std::int64_t(b.x) - a.x);
        if (lhs <= Wide(x) * (b.y - std::int64_t(a.y)))
            inside = !inside;
    }
    return inside;
}

QRegion referenceRegion(const std::vector<form::PixelPoint> &points, const QRect &box)
{
    QRegion region;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (cornerInside(points, x, y))
                region += QRect(x, y, 1, 1);
    return region;
}

QRegion qtRegion(const std::vector<form::PixelPoint> &points)
{
    QPolygon polygon;
    for (const form::PixelPoint &p : points)
        polygon << QPoint(p.x, p.y);
    return QRegion(polygon, Qt::OddEvenFill);
}

std::vector<form::PixelPoint> randomPolygon(std::mt19937 &random, int count, int low, int high)
{
    std::uniform_int_distribution<int> coordinate(low, high);
    std::vector<form::PixelPoint> points;
    for (int i = 0; i < count; ++i)
        points.push_back({coordinate(random), coordinate(random)});
    return points;
}

TEST(PolygonRegionTest, OutlinesWithinTheBoxGiveQtsOwnPolygonRegion)
{
    const QRect box = regionBox(QSize(164, 120));
    EXPECT_EQ(box, QRect(-4, -4, 172, 128));
    std::vector<std::vector<form::PixelPoint>> outlines = {
        {{2, 2}, {2, 162}, {162, 162}, {162, 2}},                // the rectangle design's frame
        {{2, 2}, {2, 118}, {162, 118}, {162, 2}},
        {{82, 2}, {130, 110}, {4, 60}, {160, 60}, {34, 110}},   // a star, crossing itself
        {{0, 0}, {163, 0}, {163, 119}},                          // edges on the window's border
        {{-4, -4}, {167, 50}, {-4, 123}},                        // on the margin's border
        {{10, 10}, {10, 10}, {50, 10}, {50, 10}, {30, 80}},      // repeated vertices
        {{5, 5}, {100, 5}, {100, 60}, {5, 60}, {5, 5}, {60, 30}}, // a closing vertex and a spike
    };
    std::mt19937 random(12);
    for (int i = 0; i < 60; ++i)
        outlines.push_back(randomPolygon(random, 3 + i % 25, -4, 163));
    for (const auto &outline : outlines) {
        const QRegion expected = qtRegion(outline) & box;
        const QRegion region = polygonRegion(outline, box);
        EXPECT_TRUE((region ^ expected).isEmpty()) << "outline of " << outline.size() << " vertices from "
                                                   << outline[0].x << "," << outline[0].y;
        // Bands as Qt keeps them, so a shaped window gets the same rectangles.
        EXPECT_EQ(region.rectCount(), expected.rectCount()) << outline.size() << " vertices";
    }
}

TEST(PolygonRegionTest, OutlinesReachingAnywhereAreCutToTheBoxExactly)
{
    const QRect box = regionBox(QSize(40, 30));
    std::vector<std::vector<form::PixelPoint>> outlines = {
        {{INT_MAX, INT_MAX}, {INT_MIN, 5}, {5, INT_MIN}},
        {{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MAX}},
        {{20, 15}, {100000, 100000}, {-100000, 100000}},
        {{INT_MIN, 0}, {INT_MAX, 1}, {INT_MIN, 29}, {INT_MAX, 30}},
        {{-7, -9}, {1000, 3}, {INT_MAX, INT_MIN}, {19, 44}},
    };
    std::mt19937 random(34);
    for (int i = 0; i < 10; ++i)
        outlines.push_back(randomPolygon(random, 3 + i, INT_MIN, INT_MAX));
    for (int i = 0; i < 10; ++i)
        outlines.push_back(randomPolygon(random, 4 + i, -300, 300));
    for (const auto &outline : outlines) {
        const QRegion region = polygonRegion(outline, box);
        EXPECT_TRUE((region ^ referenceRegion(outline, box)).isEmpty())
            << "outline of " << outline.size() << " vertices from " << outline[0].x << "," << outline[0].y;
        EXPECT_TRUE(box.contains(region.boundingRect()) || region.isEmpty());
    }
    // The corner of the first triangle that the window sees is filled.
    EXPECT_TRUE(polygonRegion(outlines[0], box).contains(QPoint(35, 25)));
}

TEST(PolygonRegionTest, ManyVerticesGiveTheSameRegionAsOnePixelAtATime)
{
    std::mt19937 random(56);
    const auto outline = randomPolygon(random, 20000, -50, 90);
    const QRect box = regionBox(QSize(40, 30));
    EXPECT_TRUE((polygonRegion(outline, box) ^ referenceRegion(outline, box)).isEmpty());
}

TEST(PolygonRegionTest, FewerThanThreeVerticesOrNoBoxGiveNothing)
{
    EXPECT_TRUE(polygonRegion({{0, 0}, {50, 50}}, QRect(0, 0, 60, 60)).isEmpty());
    EXPECT_TRUE(polygonRegion({{0, 0}, {50, 50}, {0, 50}}, QRect()).isEmpty());
    EXPECT_TRUE(polygonRegion({{0, 0}, {50, 0}, {90, 0}}, QRect(0, 0, 60, 60)).isEmpty());
}

class WindowRegionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.Width = 164 * 15;
        form.Height = 164 * 15;
        binding.addForm(form);
        window = binding.windowOf(form);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override { binding.releaseWindows(); }

    QtBinding binding;
    form::Form form{"Shaped"};
    FormWindow *window = nullptr;
};

TEST_F(WindowRegionTest, PolygonLeavesOutItsRightAndBottomEdges)
{
    form::WindowRegion region;
    region.shape = form::WindowRegion::Shape::Polygon;
    region.points = {{2, 2}, {2, 162}, {162, 162}, {162, 2}};
    binding.setWindowRegion(form, region);
    const QRegion mask = window->mask();
    EXPECT_EQ(mask.boundingRect(), QRect(2, 2, 160, 160));
    EXPECT_TRUE(mask.contains(QPoint(161, 161)));
    EXPECT_FALSE(mask.contains(QPoint(162, 100)));
    EXPECT_FALSE(mask.contains(QPoint(100, 162)));
}

TEST_F(WindowRegionTest, CrossedPolygonIsFilledOddEven)
{
    // A five-pointed star drawn in one stroke: its centre is enclosed twice
    // and stays out under alternate filling.
    form::WindowRegion region;
    region.shape = form::WindowRegion::Shape::Polygon;
    region.points = {{82, 2}, {130, 150}, {4, 60}, {160, 60}, {34, 150}};
    binding.setWindowRegion(form, region);
    const QRegion mask = window->mask();
    EXPECT_FALSE(mask.contains(QPoint(82, 90)));
    EXPECT_TRUE(mask.contains(QPoint(82, 20)));
}

TEST_F(WindowRegionTest, FarVerticesCutTheWindowWithinItsOwnArea)
{
    form::WindowRegion region;
    region.shape = form::WindowRegion::Shape::Polygon;
    region.points = {{INT_MAX, INT_MAX}, {INT_MIN, 5}, {5, INT_MIN}};
    binding.setWindowRegion(form, region);
    const QRegion mask = window->mask();
    EXPECT_TRUE(regionBox(QSize(164, 164)).contains(mask.boundingRect()));
    EXPECT_TRUE(mask.contains(QPoint(100, 100)));
}

TEST_F(WindowRegionTest, EllipseMaskIsTheEllipseRegionAndNulloptRemovesIt)
{
    form::WindowRegion region;
    region.left = 2;
    region.top = 2;
    region.right = 164;
    region.bottom = 164;
    binding.setWindowRegion(form, region);
    EXPECT_EQ(window->mask(), ellipseRegion(2, 2, 164, 164));
    EXPECT_FALSE(window->mask().contains(QPoint(3, 3)));

    binding.setWindowRegion(form, std::nullopt);
    EXPECT_TRUE(window->mask().isEmpty());
}

} // namespace
} // namespace orbelle::formqt::testing
