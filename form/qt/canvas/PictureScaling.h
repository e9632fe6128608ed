// SPDX-License-Identifier: MIT
#pragma once
// Scaled copies of pictures: the small dialog that asks for a copy's size
// (its longer side; the other follows the aspect ratio) and the writing of
// the copy, upright and averaged over the pixels each new pixel covers, so
// that a large reduction does not alias. Owns no state between calls.

#include <QImage>
#include <QSize>
#include <optional>
#include <string>

class QWidget;

namespace orbelle::formqt {

// The size of a copy of a width x height picture whose longer side is
// `longSide` pixels; the shorter follows the aspect ratio, at least 1.
QSize scaledSize(int width, int height, int longSide);

// Shows the dialog over `parent`: the picture's size, a box for the longer
// side (from 1 to the picture's own longer side) and the resulting size.
// Nothing when the user cancels.
std::optional<int> askScaledSize(QWidget *parent, int width, int height, int proposed);

// `image` scaled to `size` by area averaging.
QImage scaledByArea(const QImage &image, QSize size);

// Reads `source` upright, scales it and writes it to `target` in the format
// of its suffix (JPEG or PNG), whole or not at all.
bool writeScaledPicture(const std::string &source, const std::string &target, QSize size);

} // namespace orbelle::formqt
