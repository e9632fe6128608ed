// SPDX-License-Identifier: MIT
#include "ShapeCutter.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

namespace orbelle::formqt {

ShapeCutter::ShapeCutter(QWidget *window) : QWidget(window)
{
    setObjectName(QStringLiteral("shapeCutter"));
    // Presses fall through to the controls beneath; nothing of the window's
    // own background is painted under it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(window->rect());
    window->installEventFilter(this);
    raise();
    show();
}

void ShapeCutter::setShape(const std::optional<QRegion> &shape)
{
    if (shape == shape_)
        return;
    // What the old shape kept and the new one does not is cleared; what the
    // new one keeps is painted again by the widgets beneath. Asked of the
    // cutter, not of the window: Qt repaints a window only within its mask.
    QRegion changed = shape ? *shape : QRegion(rect());
    changed ^= shape_ ? *shape_ : QRegion(rect());
    shape_ = shape;
    update(changed);
}

bool ShapeCutter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void ShapeCutter::paintEvent(QPaintEvent *event)
{
    if (!shape_)
        return;
    const QRegion outside = event->region() - *shape_;
    if (outside.isEmpty())
        return;
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    for (const QRect &r : outside)
        p.fillRect(r, Qt::transparent);
}

} // namespace orbelle::formqt
