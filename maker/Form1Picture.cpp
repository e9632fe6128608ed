// SPDX-License-Identifier: MIT
#include "Form1.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "TextEncoding.h"
#include "Units.h"
#include "WriteFailure.h"

namespace orbelle::maker {

namespace {

// The path as the UTF-8 text the forms hold paths in.
std::string pathToUtf8(const std::filesystem::path &path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

} // namespace

bool Form1::applyPicture(const std::string &path)
{
    // A file that holds no readable picture changes nothing.
    auto picture = services_.loadPicture(path);
    if (!picture)
        return false;
    Picture1.setPicture(std::move(picture));
    StatusBar1.PanelText = path;
    ImageFileName = path;
    // The frame, the hands area and the vertices keep their places.
    fitScrollBars();
    showSizes();
    return true;
}

std::string Form1::scaledName(const std::string &source, int longSide)
{
    const std::filesystem::path from = pathFromUtf8(source);
    const std::string suffix = pathToUtf8(from.extension());
    const std::string kind = lower(suffix);
    const bool kept = kind == ".jpg" || kind == ".jpeg" || kind == ".png";
    return pathToUtf8(from.stem()) + "-" + std::to_string(longSide) + "px" + (kept ? suffix : ".png");
}

void Form1::ScalePicture_Click()
{
    const auto picture = Picture1.CurrentPicture;
    if (!picture)
        return;
    const int width = picture->widthPixels();
    const int height = picture->heightPixels();
    const int longest = std::max(width, height);
    // Proposed: the size at which the whole picture fits the viewport, at
    // most the limit and never larger than the picture.
    const double viewW = double(ScaleWidth - kCanvasHomeLeft) / form::kTwipsPerPixel - 2.0 * Picture1.BorderPixels;
    const double viewH = double(ScaleHeight - kStatusHeight - kCanvasHomeTop) / form::kTwipsPerPixel -
                         2.0 * Picture1.BorderPixels;
    const double fit = std::min(viewW / width, viewH / height) * longest;
    const int proposed = std::clamp(int(std::floor(fit)), 1, std::min(kScaleLimit, longest));
    const auto side = services_.askScaledSize(width, height, proposed);
    if (!side || *side < 1)
        return;
    const form::PixelSize size = form::scaledToLongSide(width, height, *side);
    const std::filesystem::path target = services_.programFolder() / pathFromUtf8(scaledName(picture->path(), *side));
    const std::string targetText = pathToUtf8(target);
    // The copy is written whole or not at all, and the original is only read.
    if (!services_.writeScaledPicture(picture->path(), targetText, size.width, size.height)) {
        StatusBar1.PanelText = "縮小した画像を保存できませんでした（" + writeFailureReason(target) + "）: " + targetText;
        return;
    }
    if (!applyPicture(targetText))
        StatusBar1.PanelText = "縮小した画像を読み込めませんでした: " + targetText;
}

const char *Form1::droppedStepLabel(const std::vector<std::string> &files)
{
    const bool design = !files.empty() && lower(pathToUtf8(pathFromUtf8(files.front()).extension())) == ".ini";
    return design ? "設定ファイル読込" : "画像の選択";
}

void Form1::Form_OLEDragDrop(const std::vector<std::string> &files)
{
    // One file is taken: the first dropped.
    if (files.empty())
        return;
    const std::string &path = files.front();
    if (lower(pathToUtf8(pathFromUtf8(path).extension())) == ".ini")
        loadDesign(path);
    else
        applyPicture(path);
}

} // namespace orbelle::maker
