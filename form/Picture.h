// SPDX-License-Identifier: MIT
#pragma once
// A decoded picture as the services hand it out: its size and the file it
// came from. The binding keeps the pixels in a subclass of its own, so a
// picture is decoded once and shared by whoever shows it.

#include <string>

namespace orbelle::form {

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
