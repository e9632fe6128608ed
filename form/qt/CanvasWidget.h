#pragma once
// Shows a picture box: its border, its picture at natural size, and the
// windowless controls it holds (lines, shapes, images, labels) painted in
// their z-order. Repaints only where something changed. Mouse presses,
// moves and releases go to the picture box's callbacks with twips from the
// content area's corner.

#include <QRect>
#include <QWidget>
#include <functional>
#include <unordered_map>

#include "MouseRouting.h"
#include "PictureBox.h"

namespace orbelle::formqt {

class QtBinding;

class CanvasWidget : public QWidget {
    Q_OBJECT
public:
    CanvasWidget(form::PictureBox &box, QtBinding &binding, QWidget *parent);

    // Marks for repainting whatever changed since the last call.
    void syncContents();
    form::PictureBox &box() { return box_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    struct Tracked {
        std::function<bool()> changed; // compares with the look last seen, then keeps the new one
        QRect rect;                    // widget pixels it covered when last painted
    };
    // Widget pixels a control covers, empty when hidden.
    QRect coverage(const form::Control &control) const;
    QPoint contentOrigin() const { return QPoint(box_.BorderPixels, box_.BorderPixels); }
    void paintControl(class QPainter &painter, const form::Control &control);
    // The event's position in twips from the content area's corner.
    QPointF twipsAt(const class QMouseEvent *event) const;

    form::PictureBox &box_;
    QtBinding &binding_;
    std::unordered_map<std::uint64_t, Tracked> tracked_;
    form::PictureBoxState lastLook_;
    form::MouseRouter router_;
};

} // namespace orbelle::formqt
