// SPDX-License-Identifier: MIT
#pragma once
// Turning the forms' units into Qt's: twips into pixels, colours held as
// red + 256 green + 65536 blue into QColor, designer font names into fonts
// installed here.

#include <QColor>
#include <QFont>
#include <QString>
#include <cmath>
#include <optional>
#include <string>

#include "Control.h"
#include "Units.h"

namespace orbelle::formqt {

inline int toPixels(double twips) { return int(std::lround(twips / form::kTwipsPerPixel)); }
inline double toTwips(double pixels) { return pixels * form::kTwipsPerPixel; }

inline QColor toQColor(int colour)
{
    return QColor(form::redOf(colour), form::greenOf(colour), form::blueOf(colour));
}

inline QString toQString(const std::string &text) { return QString::fromStdString(text); }
inline std::string toStdString(const QString &text) { return text.toStdString(); }

// Texts keep CR LF line breaks in the forms; Qt's editors use LF.
QString toEditorText(const std::string &text);
std::string fromEditorText(const QString &text);

// The longest text (bytes) a multi-line box lets the user edit; one longer
// is shown as its preview (below) and cannot be typed into.
constexpr std::size_t kLongestEditableText = std::size_t(1) << 20;

// A text a multi-line box can hold and lay out at once, or, for one too
// long for that (megabytes, or a line of tens of thousands of characters),
// what the box shows instead: its beginning, each line cut short, and a
// notice that the whole text is kept. Nothing for a text shown as it is.
std::optional<QString> previewOfLongText(const std::string &text);

// The design font, or the closest face installed: the proportional Gothic
// faces first, so Japanese captions keep their proportions.
QFont toQFont(const form::Font &font);

} // namespace orbelle::formqt
