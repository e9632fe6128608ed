// SPDX-License-Identifier: MIT
// Wide lines drawn from the rows their stroking covered give the very pixels
// the painter's own stroking gives, wherever the painter stands and however
// often the same piece comes back, in both draw modes.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <string>

#include "canvas/StrokedPieces.h"

namespace orbelle::formqt::testing {
namespace {

QImage noise(QImage::Format format)
{
    QImage image(160, 140, format);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, 0xff000000u | (random.generate() & 0xffffffu));
    return image;
}

QImage painted(const QImage &under, QPoint shift, QPoint a, QPoint b, int width, QColor colour, bool maskNotPen,
               StrokedPieces *pieces)
{
    QImage image = under.copy();
    QPainter p(&image);
    p.translate(shift);
    p.setCompositionMode(maskNotPen ? QPainter::RasterOp_NotSourceAndDestination
                                    : QPainter::CompositionMode_SourceOver);
    // A piece new to the store is left to the painter once; the store keeps
    // it from its second drawing on.
    if (pieces && pieces->draw(p, a, b, width, colour, maskNotPen)) {
    } else {
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        if (a == b)
            p.drawPoint(a);
        else
            p.drawLine(a, b);
    }
    return image;
}

TEST(StrokedPiecesTest, RowsGiveThePaintersOwnPixels)
{
    const struct {
        QPoint a, b;
        int width;
    } pieces[] = {
        {{20, 20}, {120, 100}, 3}, {{120, 10}, {30, 90}, 2}, {{70, 5}, {74, 85}, 3},  {{10, 60}, {150, 62}, 4},
        {{60, 60}, {60, 60}, 3},   {{40, 80}, {41, 2}, 5},   {{0, 0}, {159, 139}, 2}, {{-30, 50}, {60, 170}, 3},
    };
    const QPoint shifts[] = {{0, 0}, {7, -3}, {-11, 13}};
    const QColor colours[] = {QColor(200, 30, 40), QColor(64, 64, 64)};
    StrokedPieces store;
    for (const QImage::Format format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32}) {
        const QImage under = noise(format);
        for (const bool maskNotPen : {false, true})
            for (const auto &piece : pieces)
                for (const QPoint shift : shifts)
                    for (const QColor &colour : colours) {
                        SCOPED_TRACE(std::to_string(piece.a.x()) + "," + std::to_string(piece.a.y()) + " to " +
                                     std::to_string(piece.b.x()) + "," + std::to_string(piece.b.y()) + " width " +
                                     std::to_string(piece.width) + " moved " + std::to_string(shift.x()) + "," +
                                     std::to_string(shift.y()) + (maskNotPen ? " masking" : " copying"));
                        const QImage want =
                            painted(under, shift, piece.a, piece.b, piece.width, colour, maskNotPen, nullptr);
                        // The first draw is the painter's; the second
                        // strokes the piece and keeps its rows; the later
                        // ones are drawn from them.
                        EXPECT_EQ(painted(under, shift, piece.a, piece.b, piece.width, colour, maskNotPen, &store),
                                  want);
                        QImage direct = under.copy();
                        {
                            QPainter p(&direct);
                            p.translate(shift);
                            EXPECT_TRUE(store.draw(p, piece.a, piece.b, piece.width, colour, maskNotPen));
                        }
                        EXPECT_EQ(direct, want);
                        EXPECT_NE(want, under);
                    }
    }
}

TEST(StrokedPiecesTest, RowsAtAScaleAreThoseTheCanvasPaints)
{
    // Stroked at the design's scale, filled above it; the rows, laid at
    // the same place, cover exactly the device pixels the painter covers.
    const struct {
        QPoint a, b;
        int width;
    } pieces[] = {{{10, 12}, {50, 40}, 3}, {{40, 5}, {12, 30}, 2}, {{25, 25}, {25, 25}, 3}, {{5, 20}, {55, 21}, 4}};
    StrokedPieces store;
    for (const int scale : {1, 2, 3})
        for (const bool first : {true, false})
            for (const auto &piece : pieces) {
                SCOPED_TRACE("scale " + std::to_string(scale) + (first ? " first piece " : " later piece ") +
                             std::to_string(piece.a.x()) + "," + std::to_string(piece.a.y()));
                QImage want(64 * scale, 48 * scale, QImage::Format_RGB32);
                want.fill(Qt::black);
                {
                    QPainter p(&want);
                    p.scale(scale, scale);
                    if (scale == 1) {
                        p.setPen(QPen(Qt::white, piece.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                        if (piece.a == piece.b)
                            p.drawPoint(piece.a);
                        else
                            p.drawLine(piece.a, piece.b);
                    } else {
                        p.setPen(Qt::NoPen);
                        p.setBrush(Qt::white);
                        StrokedPieces::fill(p, piece.a, piece.b, piece.width / 2.0, first);
                    }
                }
                // Asked three times: worked out, kept, then found.
                for (int ask = 0; ask < 3; ++ask) {
                    QImage got(want.size(), QImage::Format_RGB32);
                    got.fill(Qt::black);
                    const StrokedPieces::Rows &rows = store.rows(piece.a, piece.b, piece.width, scale, first);
                    for (const StrokedPieces::Run &run : rows.runs)
                        for (int x = 0; x < run.length; ++x)
                            got.setPixel(rows.corner + QPoint(run.x + x, run.y), 0xffffffffu);
                    EXPECT_EQ(got, want) << "ask " << ask;
                }
            }
}

TEST(StrokedPiecesTest, LeavesToThePainterWhatItCannotDrawTheSame)
{
    QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    StrokedPieces store;
    // A new piece is left to the painter the first time and kept from the
    // second on.
    {
        QPainter p(&image);
        EXPECT_FALSE(store.draw(p, {5, 5}, {30, 30}, 3, Qt::black, false));
        EXPECT_TRUE(store.draw(p, {5, 5}, {30, 30}, 3, Qt::black, false));
        EXPECT_TRUE(store.draw(p, {5, 5}, {30, 30}, 3, Qt::black, false));
    }
    // Known as it is, the piece is still left to the painter where its
    // pixels could come out otherwise.
    const auto refuses = [&](auto &&setUp, QColor colour = Qt::black, int width = 3) {
        QPainter p(&image);
        setUp(p);
        return !store.draw(p, {5, 5}, {30, 30}, width, colour, false);
    };
    EXPECT_TRUE(refuses([](QPainter &p) { p.scale(2, 2); }));
    EXPECT_TRUE(refuses([](QPainter &p) { p.translate(0.5, 0); }));
    EXPECT_TRUE(refuses([](QPainter &p) { p.setClipRect(0, 0, 10, 10); }));
    EXPECT_TRUE(refuses([](QPainter &) {}, QColor(0, 0, 0, 128)));
    EXPECT_TRUE(refuses([](QPainter &) {}, Qt::black, 1));
    QImage narrow(40, 40, QImage::Format_RGB16);
    QPainter p(&narrow);
    EXPECT_FALSE(store.draw(p, {5, 5}, {30, 30}, 3, Qt::black, false));
}

} // namespace
} // namespace orbelle::formqt::testing
