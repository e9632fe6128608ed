// SPDX-License-Identifier: MIT
// The control pieces' table and the binding's icon.

#include <gtest/gtest.h>
#include <QIcon>
#include <QPixmap>

#include "pieces/ControlPiece.h"
#include "FormWindow.h"
#include "QtBinding.h"
#include "SampleForm.h"

namespace orbelle::formqt::testing {
namespace {

using Kind = form::Control::Kind;

// A kind missing from the table builds nothing and paints nothing: a
// windowless control of it would never be seen.
TEST(ControlPieceTest, EveryKindHasThePieceItsShowingNeeds)
{
    const struct {
        Kind kind;
        bool painted;    // windowless, at least inside a picture box
        bool runsHidden; // brought up to date while the window is hidden
        bool liesBelow;
    } rows[] = {
        {Kind::PictureBox, false, false, false}, {Kind::Line, true, false, false},
        {Kind::Label, true, false, true},        {Kind::TextBox, false, false, false},
        {Kind::UpDown, false, false, false},     {Kind::CommandButton, false, false, false},
        {Kind::Timer, false, true, false},       {Kind::Frame, false, false, false},
        {Kind::OptionButton, false, false, false}, {Kind::CheckBox, false, false, false},
        {Kind::Image, true, false, false},       {Kind::Shape, true, false, false},
        {Kind::StatusBar, false, false, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(int(row.kind));
        const ControlPiece &piece = pieceOf(row.kind);
        EXPECT_NE(piece.make, nullptr);
        EXPECT_EQ(piece.paint != nullptr, row.painted);
        EXPECT_EQ(piece.watchLook != nullptr, row.painted);
        EXPECT_EQ(piece.runsHidden, row.runsHidden);
        EXPECT_EQ(piece.liesBelow, row.liesBelow);
    }
}

TEST_F(SampleWindowTest, WindowsShowTheBindingsIconAndFollowANewOne)
{
    EXPECT_FALSE(binding.icon().isNull());
    EXPECT_EQ(window->windowIcon().cacheKey(), binding.icon().cacheKey());
    QPixmap blue(16, 16);
    blue.fill(Qt::blue);
    const QIcon own(blue);
    binding.setIcon(own);
    EXPECT_EQ(binding.icon().cacheKey(), own.cacheKey());
    EXPECT_EQ(window->windowIcon().cacheKey(), own.cacheKey());
}

} // namespace
} // namespace orbelle::formqt::testing
