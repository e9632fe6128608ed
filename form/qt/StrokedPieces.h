#pragma once
// Wide lines at the design's own scale, drawn from the rows of pixels their
// stroking covered the last time the same piece was drawn. A clock's second
// hand comes back to the same sixty places every minute, and stroking a
// wide line with round ends (building its outline of curves, flattening and
// filling it) is most of what a tick costs; copying the rows it covered
// gives the very same pixels for a small part of that.

#include <QColor>
#include <QPoint>
#include <cstdint>
#include <unordered_map>
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
    // moved by whole pixels only, or it has a clip of its own.
    bool draw(QPainter &p, QPoint from, QPoint to, int width, QColor colour, bool maskNotPen);

    // The one the canvases share.
    static StrokedPieces &shared();

private:
    struct Key {
        int x1, y1, x2, y2, width;
        bool operator==(const Key &) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key &k) const;
    };
    struct Run {
        std::int16_t y, x, length; // from the piece's corner
    };
    struct Rows {
        QPoint corner; // top left of the box the runs are counted from
        std::vector<Run> runs;
    };
    const Rows &rowsOf(const Key &key);

    // Pieces a face's hands take in a minute and then some; when full the
    // store starts afresh rather than tracking which piece was used last.
    static constexpr std::size_t kMostPieces = 1024;
    std::unordered_map<Key, Rows, KeyHash> pieces_;
};

} // namespace orbelle::formqt
