// SPDX-License-Identifier: MIT
#pragma once
// Shows a picture box: its border, its picture at natural size, and the
// windowless controls it holds (lines, shapes, images, labels) painted in
// their z-order. Repaints only where something changed: a line's old and new
// places, piece by piece along it. Mouse presses, moves and releases go to
// the picture box's callbacks with twips from the content area's corner.
//
// The picture is prepared once for the screen it is shown on (scaled
// smoothly to the device pixel ratio, laid over the back colour, in the
// backing store's pixel format) and copied row by row into the backing store
// where a repaint exposes it, so that a repaint costs the same at any picture
// size and never hands work to the painter's thread pool.
//
// On an X server a repaint that only lines and the picture make up is sent
// as requests for the server to draw (ServerDrawing) rather than painted:
// the program then touches none of the face's pixels at a tick. What was
// drawn so is painted again, from the model, before Qt next shows its own
// copy of the window (when the window is exposed, or Qt flushes a repaint
// or a move).

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

#include "pieces/ControlPiece.h"
#include "MouseRouting.h"
#include "PictureBox.h"

namespace orbelle::formqt {

class QtBinding;
class ServerDrawing;

class CanvasWidget : public QWidget {
    Q_OBJECT
public:
    CanvasWidget(form::PictureBox &box, QtBinding &binding, QWidget *parent);
    ~CanvasWidget() override;

    // Marks for repainting whatever changed since the last call.
    void syncContents();
    form::PictureBox &box() { return box_; }

signals:
    // After every repaint, by the painter or by the X server: the canvas
    // pixels repainted.
    void drawn(const QRegion &region);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    struct Tracked {
        std::function<bool()> changed; // compares with the look last seen, then keeps the new one
        QRegion region;                // widget pixels it covered when last painted
        std::uint64_t seenAt = 0;      // the sync that last found it in the box
    };
    // Widget pixels a control covers, empty when hidden.
    QRect coverage(const form::Control &control) const;
    // The same, tighter: a line's pixels as a run in each band of rows, so
    // a slanting hand does not repaint the square it spans.
    QRegion damage(const form::Control &control) const;
    // The picture (or the back colour where there is none) in `region`.
    void paintBackdrop(class QPainter &painter, const QRegion &region);
    // The picture ready to copy: `dpr` device pixels to a widget pixel, its
    // bytes those of `format`, over the back colour. Made again only when
    // one of them changes.
    const QImage &backdrop(qreal dpr, QImage::Format format);
    QPoint contentOrigin() const { return QPoint(box_.BorderPixels, box_.BorderPixels); }
    // Has the X server draw `dirty`; false where it cannot, and the
    // canvas is to be repainted as usual.
    bool drawByServer(const QRegion &dirty);
    // The steps of that drawing. Whether the top-level window can be drawn
    // on by the server now (made the first time for each window), watching
    // it for the moments Qt shows its own copy.
    bool attachServer(QWidget &top);
    void watchShowing(QWidget &top, QWindow &handle);
    // The part of `dirty` the server may draw: empty where the scale, the
    // border or a widget above the canvas leaves it to the painter.
    QRegion serverClip(const QRegion &dirty) const;
    // Fills serverRows_ with the rows of the controls `clip` touches and
    // gives how many are used; none where one of them cannot tell its rows.
    std::optional<std::size_t> collectServerRows(const QRegion &clip);
    // Hands the clip, the picture and the rows to the server.
    bool sendToServer(const QWidget &top, const QRegion &clip, std::size_t used);
    // Whether a widget above the canvas covers part of `region` (the
    // visible region leaves out only those that paint all their pixels).
    bool coveredWithin(const QRegion &region) const;
    void paintControl(class QPainter &painter, const form::Control &control, const QRegion &repainting);
    // The event's position in twips from the content area's corner.
    QPointF twipsAt(const class QMouseEvent *event) const;

    form::PictureBox &box_;
    QtBinding &binding_;
    std::unordered_map<std::uint64_t, Tracked> tracked_;
    std::uint64_t syncs_ = 0;
    form::PictureBoxState lastLook_;
    form::MouseRouter router_;
    QImage backdrop_;
    std::uint32_t backPixel_ = 0; // the back colour as one pixel of the backdrop's format
    struct BackdropKey {
        std::shared_ptr<const form::Picture> picture; // held, so its address names it
        qreal dpr = 0;
        QImage::Format format = QImage::Format_Invalid;
        int backColor = -1;
        bool operator==(const BackdropKey &) const = default;
    } backdropKey_;
    std::unique_ptr<ServerDrawing> server_;
    QPointer<QWidget> serverFor_; // the top-level window server_ was made for (null in it: not drawable)
    // The top-level widget and its window, watched for the moments Qt shows
    // its backing store's copy of the window.
    QPointer<QWidget> watchedTop_;
    QPointer<class QWindow> watchedWindow_;
    // Canvas pixels the server drew since the canvas last painted them: the
    // backing store holds older pixels there.
    QRegion drawnByServer_;
    std::vector<PaintedRows> serverRows_; // the controls' rows for the server, kept for their memory
};

} // namespace orbelle::formqt
