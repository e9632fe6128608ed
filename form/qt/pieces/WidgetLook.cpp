// SPDX-License-Identifier: MIT
#include "pieces/WidgetLook.h"

#include <QFontMetrics>
#include <QPalette>
#include <QRect>
#include <algorithm>

#include "Conversions.h"

namespace orbelle::formqt {

void applyPlace(QWidget *w, const form::ControlState &now, const form::ControlState *before)
{
    if (!before || before->Left != now.Left || before->Top != now.Top || before->Width != now.Width ||
        before->Height != now.Height)
        w->setGeometry(toPixels(now.Left), toPixels(now.Top), toPixels(now.Width), toPixels(now.Height));
    if (!before || before->Enabled != now.Enabled)
        w->setEnabled(now.Enabled);
    if (!before || before->ToolTipText != now.ToolTipText)
        w->setToolTip(toQString(now.ToolTipText));
    if (!before || before->Visible != now.Visible)
        w->setVisible(now.Visible);
}

void applyColours(QWidget *w, int fore, int back, bool fillBackground)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, toQColor(fore));
    pal.setColor(QPalette::Text, toQColor(fore));
    pal.setColor(QPalette::Window, toQColor(back));
    pal.setColor(QPalette::Base, toQColor(back));
    w->setPalette(pal);
    w->setAutoFillBackground(fillBackground);
}

Qt::Alignment toQtAlignment(form::Alignment a)
{
    switch (a) {
    case form::Alignment::Center: return Qt::AlignHCenter;
    case form::Alignment::Right: return Qt::AlignRight;
    default: return Qt::AlignLeft;
    }
}

QFont fittingFont(QFont font, QSize box, bool wrap, const QString &text)
{
    if (text.isEmpty() || box.width() <= 0 || box.height() <= 0)
        return font;
    const int flags = wrap ? Qt::TextWordWrap : Qt::TextSingleLine;
    while (font.pointSizeF() > 6) {
        const QFontMetrics metrics(font);
        const QRect need = metrics.boundingRect(QRect(QPoint(0, 0), box), flags, text);
        // A box always holds its first line: one made for a 9-point glyph is
        // 12 pixels tall, less than a line of the installed face.
        const int spacing = std::max(1, metrics.lineSpacing());
        const int lines = std::max(1, (need.height() + metrics.leading()) / spacing);
        const int room = std::max(1, box.height() / spacing);
        if (need.width() <= box.width() && lines <= room)
            break;
        font.setPointSizeF(font.pointSizeF() - 0.25);
    }
    return font;
}

Qt::PenStyle toQtPenStyle(form::PenStyle style)
{
    switch (style) {
    case form::PenStyle::Dash: return Qt::DashLine;
    case form::PenStyle::Dot: return Qt::DotLine;
    case form::PenStyle::DashDot: return Qt::DashDotLine;
    case form::PenStyle::DashDotDot: return Qt::DashDotDotLine;
    case form::PenStyle::Transparent: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

} // namespace orbelle::formqt
