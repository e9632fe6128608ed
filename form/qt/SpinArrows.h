#pragma once
// The two stacked arrow buttons of a spin control. Clicking an arrow, or the
// Up and Down keys while it has the focus, steps the control.

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

private:
    int pressedHalf_ = 0; // 1 upper arrow, -1 lower arrow, 0 none
};

} // namespace orbelle::formqt
