// SPDX-License-Identifier: MIT
#include "ClockIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>

namespace orbelle::clock {

namespace {

// One size of the icon, drawn on a 64-unit square scaled to the side.
QPixmap drawIcon(int side)
{
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = side / 64.0;
    QRadialGradient dial(QPointF(26 * s, 24 * s), 34 * s);
    dial.setColorAt(0, QColor(255, 250, 238));
    dial.setColorAt(1, QColor(240, 196, 120));
    p.setBrush(dial);
    p.setPen(QPen(QColor(120, 72, 40), 4 * s));
    p.drawEllipse(QPointF(32 * s, 32 * s), 28 * s, 28 * s);
    p.setPen(QPen(QColor(70, 40, 30), 5 * s, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(32 * s, 32 * s), QPointF(32 * s, 15 * s));
    p.drawLine(QPointF(32 * s, 32 * s), QPointF(44 * s, 38 * s));
    p.setPen(QPen(QColor(220, 40, 40), 2.5 * s, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(32 * s, 32 * s), QPointF(20 * s, 46 * s));
    return pm;
}

} // namespace

QIcon clockIcon()
{
    static const QIcon icon = [] {
        QIcon result;
        for (int side : {16, 22, 24, 32, 48, 64})
            result.addPixmap(drawIcon(side));
        return result;
    }();
    return icon;
}

} // namespace orbelle::clock
