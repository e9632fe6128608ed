// SPDX-License-Identifier: MIT
#include "pieces/SpinArrows.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace orbelle::formqt {

SpinArrows::SpinArrows(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    connect(&repeat_, &QTimer::timeout, this, [this] {
        repeat_.setInterval(style()->styleHint(QStyle::SH_SpinBox_ClickAutoRepeatRate, nullptr, this));
        stepPressed();
    });
}

void SpinArrows::stepPressed()
{
    if (!isEnabled())
        return;
    if (pressedHalf_ > 0 && stepUp)
        stepUp();
    else if (pressedHalf_ < 0 && stepDown)
        stepDown();
}

void SpinArrows::release()
{
    repeat_.stop();
    if (pressedHalf_ != 0) {
        pressedHalf_ = 0;
        update();
    }
}

void SpinArrows::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const int half = height() / 2;
    const QRect upper(0, 0, width(), half);
    const QRect lower(0, half, width(), height() - half);
    for (int i = 0; i < 2; ++i) {
        const QRect r = i == 0 ? upper : lower;
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = r;
        button.state |= (pressedHalf_ == (i == 0 ? 1 : -1)) ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawControl(QStyle::CE_PushButtonBevel, &button, &p, this);
        QStyleOption arrow;
        arrow.initFrom(this);
        const int side = std::max(4, std::min(r.width(), r.height()) - 4);
        arrow.rect = QRect(r.center().x() - side / 2 + 1, r.center().y() - side / 2 + 1, side, side);
        style()->drawPrimitive(i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &arrow, &p, this);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
}

void SpinArrows::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    pressedHalf_ = event->position().y() < height() / 2.0 ? 1 : -1;
    update();
    repeat_.start(style()->styleHint(QStyle::SH_SpinBox_ClickAutoRepeatThreshold, nullptr, this));
    stepPressed();
}

void SpinArrows::mouseReleaseEvent(QMouseEvent *)
{
    release();
}

void SpinArrows::hideEvent(QHideEvent *event)
{
    release();
    QWidget::hideEvent(event);
}

// A release that never comes (the arrows disabled, another window or a
// dialog taking over) must not leave the arrow stepping.
void SpinArrows::focusOutEvent(QFocusEvent *event)
{
    release();
    QWidget::focusOutEvent(event);
}

void SpinArrows::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::ActivationChange)
        release();
    QWidget::changeEvent(event);
}

void SpinArrows::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up && stepUp)
        stepUp();
    else if (event->key() == Qt::Key_Down && stepDown)
        stepDown();
    else
        QWidget::keyPressEvent(event);
}

} // namespace orbelle::formqt
