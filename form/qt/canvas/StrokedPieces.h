// SPDX-License-Identifier: MIT
#pragma once
// Wide lines at the design's own scale, drawn from the rows of pixels their
// stroking covered the last time the same piece was drawn. A clock's second
// hand comes back to the same sixty places every minute, and stroking a
// wide line with round ends (building its outline of curves, flattening and
// filling it) is most of what a tick costs; copying the rows it covered
// gives the very same pixels for a small part of that. The same rows, at
// any whole-number screen scale, are what the X server is asked to fill
// where it draws a canvas's ticks.

#include <QColor>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class QPainter;

namespace orbelle::formqt {

class StrokedPieces {
public:
    // Draws the piece from `from` to `to` (canvas pixels) as a solid pen of
    // `width` pixels with round ends would, in `colour` (opaque) replacing
    // the pixels or, with `maskNotPen`, clearing from them the bits the
    // colour has. Returns false, having drawn nothing, where it cannot: the
    // painter does not paint straight into a picture of 32-bit pixels
    // moved by whole pixels only, or it has a clip of its own, or the piece
    // is new to it (it is kept from its second drawing on).
    bool draw(QPainter &p, QPoint from, QPoint to, int width, QColor colour, bool maskNotPen);

    // The one the canvases share.
    static StrokedPieces &shared();

    struct Run {
        std::int16_t y, x, length; // from the piece's corner
    };
    struct Rows {
        QPoint corner; // top left of the box the runs are counted from
        std::vector<Run> runs;
    };
    // On a denser screen a wide line's piece is filled instead: a band
    // `half` canvas pixels either side of its path and a round end at `to`,
    // and at `from` as well on a line's first piece. The painter's pen is
    // left off and its brush used.
    static void fill(QPainter &p, QPointF from, QPointF to, double half, bool firstPiece);

    // The rows of device pixels a solid line's piece covers on a canvas
    // drawn at `scale` device pixels to a canvas pixel (a whole number from
    // 1 to 4): stroked at 1 with a solid pen of `width` and round ends,
    // filled above, each as the canvas paints it. At most 4096 canvas pixels
    // from `from` to `to` each way. The corner is in device pixels. Kept as
    // drawn pieces are; the answer holds until the next call.
    const Rows &rows(QPoint from, QPoint to, int width, int scale, bool firstPiece);

private:
    struct Key {
        int x1, y1, x2, y2, width;
        int scale = 1;           // device pixels to a canvas pixel
        bool firstPiece = false; // filled with a round end at its start too; stroked pieces always have both
        bool operator==(const Key &) const = default;
    };
    static Rows rasterise(const Key &key);
    // The rows of a piece not seen before are worked out and kept only
    // from its second drawing on; until then they are here.
    Rows once_;
    struct KeyHash {
        std::size_t operator()(const Key &k) const;
    };
    // The canvas pixels a piece's stroking may cover.
    static QRect boxOf(const Key &key);
    const Rows &rowsOf(const Key &key);
    // Whether the piece is known, or seen before and worth keeping from now.
    bool worthKeeping(const Key &key);
    const Rows *known(const Key &key);
    const Rows &keep(const Key &key, Rows rows);

    // Two generations: pieces drawn since the store last filled, and those
    // drawn before. A piece found among the older comes over to the newer;
    // when the newer fills, the older (pieces not drawn for as long) go. A
    // second hand's pieces come back every minute and stay; a minute hand's
    // old places go. The runs of the newer are counted against a bound that
    // holds a minute of a second hand and its shadow on a face of about
    // 1500 pixels.
    static constexpr std::size_t kMostRuns = 120000;
    std::unordered_map<Key, Rows, KeyHash> newer_;
    std::unordered_map<Key, Rows, KeyHash> older_;
    std::size_t newerRuns_ = 0;
    // Pieces drawn once, by their hash: a piece is kept only when it comes
    // back, as a second hand's do every minute. A minute hand that moved a
    // pixel is drawn at that place once and is not worth keeping.
    std::unordered_set<std::size_t> drawnOnce_;
    static constexpr std::size_t kMostDrawnOnce = 4096;
};

} // namespace orbelle::formqt
