// Window shapes: the ellipse region and the masks a form's window gets.

#include <algorithm>
#include <gtest/gtest.h>
#include <QRegion>

#include "FormWindow.h"
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
