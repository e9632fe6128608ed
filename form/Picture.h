// SPDX-License-Identifier: MIT
#pragma once
// A decoded picture as the services hand it out: its size and the file it
// came from. The binding keeps the pixels in a subclass of its own, so a
// picture is decoded once and shared by whoever shows it.

#include <algorithm>
#include <string>

namespace orbelle::form {

struct PixelSize {
    int width = 0, height = 0;
    friend bool operator==(const PixelSize &, const PixelSize &) = default;
};

// The size of a copy of a width x height picture whose longer side is
// `longSide` pixels: the shorter side follows the aspect ratio, rounded to
// the nearest pixel and at least 1. Empty for a size or side below 1.
inline PixelSize scaledToLongSide(int width, int height, int longSide)
{
    if (width <= 0 || height <= 0 || longSide <= 0)
        return {};
    const bool wide = width >= height;
    const long long shortSide = wide ? height : width;
    const long long longOld = wide ? width : height;
    // Rounded half up in whole numbers, the same on every system.
    const int other = int(std::max<long long>(1, (2 * longSide * shortSide + longOld) / (2 * longOld)));
    return wide ? PixelSize{longSide, other} : PixelSize{other, longSide};
}

class Picture {
public:
    Picture(std::string path, int widthPixels, int heightPixels)
        : path_(std::move(path)), width_(widthPixels), height_(heightPixels) {}
    virtual ~Picture() = default;

    const std::string &path() const { return path_; }
    int widthPixels() const { return width_; }
    int heightPixels() const { return height_; }

private:
    std::string path_;
    int width_;
    int height_;
};

} // namespace orbelle::form
