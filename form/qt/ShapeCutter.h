// SPDX-License-Identifier: MIT
#pragma once
// Cuts a see-through top-level window to its region where the window system
// cannot: a child that covers the whole window, lies above every other
// child and takes no input, and clears to full transparency every pixel
// outside the region after everything beneath it has painted there. The
// compositor then shows the window's region and nothing of its box around
// it. Owns the region it keeps to; the window keeps it on top and tells it
// the region.

#include <QRegion>
#include <QWidget>
#include <optional>

namespace orbelle::formqt {

class ShapeCutter : public QWidget {
    Q_OBJECT
public:
    // Covers `window` from now on, following its size.
    explicit ShapeCutter(QWidget *window);

    // The window's pixels to keep (window pixels); none: the whole window.
    void setShape(const std::optional<QRegion> &shape);
    const std::optional<QRegion> &shape() const { return shape_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    std::optional<QRegion> shape_;
};

} // namespace orbelle::formqt
