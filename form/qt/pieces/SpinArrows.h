// SPDX-License-Identifier: MIT
#pragma once
// The two stacked arrow buttons of a spin control. Clicking an arrow, or the
// Up and Down keys while it has the focus, steps the control; an arrow held
// down steps again and again after a moment, at the style's repeat rate.

#include <QTimer>
#include <QWidget>
#include <functional>

namespace orbelle::formqt {

class SpinArrows : public QWidget {
    Q_OBJECT
public:
    explicit SpinArrows(QWidget *parent = nullptr);

    std::function<void()> stepUp;
    std::function<void()> stepDown;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void stepPressed();
    void release();

    int pressedHalf_ = 0; // 1 upper arrow, -1 lower arrow, 0 none
    QTimer repeat_;
};

} // namespace orbelle::formqt
