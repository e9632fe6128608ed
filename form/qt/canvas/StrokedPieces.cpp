// SPDX-License-Identifier: MIT
#include "canvas/StrokedPieces.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orbelle::formqt {

std::size_t StrokedPieces::KeyHash::operator()(const Key &k) const
{
    std::size_t h = 0;
    for (const int v : {k.x1, k.y1, k.x2, k.y2, k.width, k.scale * 2 + int(k.firstPiece)})
        h = h * 1000003u ^ std::size_t(std::uint32_t(v));
    return h;
}

StrokedPieces &StrokedPieces::shared()
{
    static StrokedPieces pieces;
    return pieces;
}

QRect StrokedPieces::boxOf(const Key &key)
{
    // Half the pen's width, and a pixel for the rounding of its edges and
    // one for its round ends' flattening.
    const int reach = key.width / 2 + 2;
    return QRect(QPoint(key.x1, key.y1), QPoint(key.x2, key.y2)).normalized().adjusted(-reach, -reach, reach, reach);
}

const StrokedPieces::Rows *StrokedPieces::known(const Key &key)
{
    if (const auto found = newer_.find(key); found != newer_.end())
        return &found->second;
    const auto old = older_.find(key);
    if (old == older_.end())
        return nullptr;
    return &keep(key, std::move(old->second));
}

const StrokedPieces::Rows &StrokedPieces::keep(const Key &key, Rows rows)
{
    older_.erase(key);
    if (newerRuns_ + rows.runs.size() > kMostRuns) {
        older_ = std::move(newer_);
        newer_.clear();
        newerRuns_ = 0;
    }
    newerRuns_ += rows.runs.size();
    return newer_.insert_or_assign(key, std::move(rows)).first->second;
}

const StrokedPieces::Rows &StrokedPieces::rowsOf(const Key &key)
{
    if (const Rows *found = known(key))
        return *found;
    return keep(key, rasterise(key));
}

void StrokedPieces::fill(QPainter &p, QPointF a, QPointF b, double half, bool firstPiece)
{
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    if (length > 0) {
        const QPointF n(-d.y() / length * half, d.x() / length * half);
        const QPointF band[4] = {a + n, b + n, b - n, a - n};
        p.drawPolygon(band, 4);
    }
    if (firstPiece)
        p.drawEllipse(a, half, half);
    if (length > 0 || !firstPiece)
        p.drawEllipse(b, half, half);
}

StrokedPieces::Rows StrokedPieces::rasterise(const Key &key)
{
    // Drawn once into a picture of its own, at the same canvas places and
    // moved by whole device pixels only, so the rasteriser covers the same
    // pixels. The picture is kept for the next piece (painting on a new one
    // sets up a paint engine each time), up to a megabyte.
    const QPoint a(key.x1, key.y1), b(key.x2, key.y2);
    const QRect box = boxOf(key);
    const QSize size = box.size() * key.scale;
    constexpr qint64 kMostKept = 1 << 18; // pixels
    thread_local QImage kept;
    QImage once;
    QImage &picture = qint64(size.width()) * size.height() > kMostKept ? once : kept;
    if (picture.width() < size.width() || picture.height() < size.height()) {
        const QSize grown = picture.size().expandedTo(size);
        picture = QImage(qint64(grown.width()) * grown.height() > kMostKept ? size : grown,
                         QImage::Format_ARGB32_Premultiplied);
    }
    // Only the box is cleared and read: the pen keeps within it.
    for (int y = 0; y < size.height(); ++y)
        std::fill_n(reinterpret_cast<QRgb *>(picture.scanLine(y)), size.width(), 0u);
    {
        QPainter q(&picture);
        q.scale(key.scale, key.scale);
        q.translate(-box.topLeft());
        if (key.scale == 1) {
            q.setPen(QPen(Qt::white, key.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            if (a == b)
                q.drawPoint(a);
            else
                q.drawLine(a, b);
        } else {
            q.setPen(Qt::NoPen);
            q.setBrush(Qt::white);
            fill(q, a, b, key.width / 2.0, key.firstPiece);
        }
    }
    Rows rows{box.topLeft() * key.scale, {}};
    const int width = size.width();
    for (int y = 0; y < size.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        for (int x = 0; x < width;) {
            if (line[x] == 0) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && line[x] != 0)
                ++x;
            rows.runs.push_back({std::int16_t(y), std::int16_t(start), std::int16_t(x - start)});
        }
    }
    rows.runs.shrink_to_fit();
    return rows;
}

bool StrokedPieces::worthKeeping(const Key &key)
{
    if (known(key))
        return true;
    if (drawnOnce_.size() >= kMostDrawnOnce)
        drawnOnce_.clear();
    return !drawnOnce_.insert(KeyHash()(key)).second;
}

const StrokedPieces::Rows &StrokedPieces::rows(QPoint from, QPoint to, int width, int scale, bool firstPiece)
{
    const Key key{from.x(), from.y(), to.x(), to.y(), width, scale, scale > 1 && firstPiece};
    if (worthKeeping(key))
        return rowsOf(key);
    once_ = rasterise(key);
    return once_;
}

bool StrokedPieces::draw(QPainter &p, QPoint from, QPoint to, int width, QColor colour, bool maskNotPen)
{
    if (colour.alpha() != 255 || width < 2 || width > 64 || p.hasClipping())
        return false;
    const QTransform t = p.deviceTransform();
    if (t.type() > QTransform::TxTranslate || t.dx() != std::floor(t.dx()) || t.dy() != std::floor(t.dy()))
        return false;
    // Pieces whose box would not fit the runs' 16-bit places are stroked.
    constexpr int kLongest = 4096;
    if (std::abs(to.x() - from.x()) > kLongest || std::abs(to.y() - from.y()) > kLongest)
        return false;
    QPaintEngine *engine = p.paintEngine();
    auto *store = engine ? dynamic_cast<QImage *>(engine->paintDevice()) : nullptr;
    if (!store || store->isNull() || store->depth() != 32 ||
        (store->format() != QImage::Format_ARGB32_Premultiplied && store->format() != QImage::Format_RGB32))
        return false;

    const Key key{from.x(), from.y(), to.x(), to.y(), width};
    if (!worthKeeping(key))
        return false;
    const Rows &rows = rowsOf(key);
    const QPoint shift = rows.corner + QPoint(int(t.dx()), int(t.dy()));
    // The part of the device the painter may paint: its system clip (what
    // is repainted, less what covers it), or the whole picture.
    const QRect box = boxOf(key).translated(int(t.dx()), int(t.dy())) & store->rect();
    if (box.isEmpty())
        return true;
    const QRegion systemClip = engine->systemClip();
    const QRegion open = systemClip.isEmpty() ? QRegion(box) : systemClip.intersected(box);
    if (open.isEmpty())
        return true;

    // The pixel as the painter stores an opaque colour, and the mask a
    // "not pen and destination" draw keeps of what lies beneath.
    const QRgb pixel = colour.rgba();
    const QRgb keep = ~pixel | 0xff000000u;
    auto *bits = const_cast<uchar *>(store->constBits());
    const qsizetype stride = store->bytesPerLine();
    for (const QRect &r : open) {
        for (const Run &run : rows.runs) {
            const int y = run.y + shift.y();
            if (y < r.top() || y > r.bottom())
                continue;
            const int left = std::max(r.left(), run.x + shift.x());
            const int right = std::min(r.right(), run.x + shift.x() + run.length - 1);
            if (left > right)
                continue;
            auto *row = reinterpret_cast<QRgb *>(bits + y * stride);
            if (maskNotPen)
                for (int x = left; x <= right; ++x)
                    row[x] &= keep;
            else
                std::fill(row + left, row + right + 1, pixel);
        }
    }
    return true;
}

} // namespace orbelle::formqt
