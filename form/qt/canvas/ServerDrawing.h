// SPDX-License-Identifier: MIT
#pragma once
// Draws a canvas's repaint with requests to the X server instead of into
// the window's backing store. The canvas's backdrop goes once into a pixmap
// of the server's; a repaint copies it back where the repaint lies, fills
// the back colour beside it and fills the controls' rows of pixels over it.
// The program then touches none of the face's pixels at a tick: on machines
// whose memory is slow to come back after a second's sleep, copying those
// pixels was most of what a tick cost, and an X clock leaves the same work
// to the server.
//
// Only where the program is an X client, the window is 24 bits deep with
// red, green and blue a byte each, and the server takes pixels of 32 bits
// in this machine's byte order; elsewhere `on` gives nothing and the canvas
// paints as usual. The backing store is not told: the canvas keeps account
// of the pixels drawn here and has them painted again before Qt shows its
// own copy of them.

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <memory>
#include <span>

#include "pieces/ControlPiece.h"

namespace orbelle::formqt {

class ServerDrawing {
public:
    // For the top-level `window`, or nothing where it cannot be drawn on
    // this way.
    static std::unique_ptr<ServerDrawing> on(QWidget &window);
    ~ServerDrawing();
    ServerDrawing(const ServerDrawing &) = delete;
    ServerDrawing &operator=(const ServerDrawing &) = delete;

    struct Repaint {
        QRegion clip;          // device pixels of the window: all that may change
        QRect canvas;          // the canvas, in the same pixels
        const QImage *backdrop = nullptr; // 32-bit pixels; null or empty where there is no picture
        QPoint backdropAt;     // its top left, in the same pixels
        QRgb back = 0;         // shown where the backdrop is not
        QPoint rowsAt;         // where the canvas's device pixel 0,0 of the rows lies in the window
        std::span<const PaintedRows> controls; // bottom first
    };
    // Sends the repaint. False, having sent nothing, where the window has
    // been made again as one this cannot draw on, or the backdrop is more
    // than 4096 pixels wide or high.
    bool draw(const Repaint &repaint);

private:
    struct X;
    explicit ServerDrawing(QWidget &window, std::unique_ptr<X> x);
    QPointer<QWidget> window_;
    std::unique_ptr<X> x_;
};

} // namespace orbelle::formqt
