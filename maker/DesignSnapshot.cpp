// SPDX-License-Identifier: MIT
#include "DesignSnapshot.h"

#include <array>
#include <exception>

#include "FaceDesignFile.h"
#include "Form1.h"

namespace orbelle::maker {

namespace {

// The controls a state covers, kind by kind, in one fixed order: taking
// and putting back walk the same lists.
template <class F>
auto linesOf(F &f)
{
    return std::array{&f.Line1, &f.Line2, &f.Line3, &f.Line4, &f.Line5};
}
template <class F>
auto labelsOf(F &f)
{
    return std::array{&f.Label1, &f.Label2, &f.Label3, &f.Label8, &f.Label9,
                      &f.Label5, &f.Label6, &f.Label7, &f.Label4[0]};
}
template <class F>
auto shapesOf(F &f)
{
    return std::array{&f.Shape1, &f.Shape2};
}
template <class F>
auto imagesOf(F &f)
{
    return std::array{&f.Image1, &f.Image2};
}
template <class F>
auto checksOf(F &f)
{
    return std::array{&f.Check1, &f.Check2, &f.Check3, &f.Check4};
}
template <class F>
auto optionsOf(F &f)
{
    return std::array{&f.Option1, &f.Option2, &f.Option3};
}
template <class F>
auto textsOf(F &f)
{
    return std::array{&f.Text1, &f.Text2, &f.Text3, &f.Text4};
}
template <class F>
auto spinsOf(F &f)
{
    return std::array{&f.UpDown1, &f.UpDown3, &f.UpDown4, &f.UpDown5};
}
template <class F>
auto toolsOf(F &f)
{
    return std::array{&f.Command13, &f.Command14, &f.Command15, &f.Command16};
}

// Every state that cannot be saved (a vertex count a damaged load left)
// counts as a design of its own.
std::string unsavableText()
{
    static unsigned long long count = 0;
    return "\x01unsavable " + std::to_string(++count);
}

} // namespace

DesignSnapshot DesignSnapshot::of(const Form1 &f)
{
    DesignSnapshot s;
    try {
        s.designText_ = writeDesign(f.designToSave());
    } catch (const std::exception &) {
        s.designText_ = unsavableText();
    }
    s.caption_ = f.Caption;
    s.statusText_ = f.StatusBar1.PanelText;
    s.selection_ = int(f.selection);
    s.SetX_ = f.SetX, s.SetY_ = f.SetY, s.SetW_ = f.SetW, s.SetH_ = f.SetH;
    s.SetTX_ = f.SetTX, s.SetTY_ = f.SetTY;
    s.idx_ = f.idx, s.Tflag_ = f.Tflag, s.ImageFileName_ = f.ImageFileName;
    for (const auto *c : linesOf(f)) s.lines_.push_back(save(*c));
    for (const auto *c : labelsOf(f)) s.labels_.push_back(save(*c));
    for (const auto *c : shapesOf(f)) s.shapes_.push_back(save(*c));
    for (const auto *c : imagesOf(f)) s.images_.push_back(save(*c));
    for (const auto *c : checksOf(f)) s.checks_.push_back(save(*c));
    for (const auto *c : optionsOf(f)) s.options_.push_back(save(*c));
    for (const auto *c : textsOf(f)) s.texts_.push_back(save(*c));
    for (const auto *c : spinsOf(f)) s.spins_.push_back(save(*c));
    for (const auto *c : toolsOf(f)) s.tools_.push_back(static_cast<const form::ControlState &>(*c));
    for (int i : f.Line17.indices()) s.segments_.emplace(i, save(f.Line17[i]));
    for (int i : f.Label17.indices()) s.markers_.emplace(i, save(f.Label17[i]));
    if (const auto &picture = f.Picture1.CurrentPicture) {
        s.hasPicture_ = true;
        s.picture_ = picture;
        s.picturePath_ = picture->path();
    }
    return s;
}

template <class T>
void DesignSnapshot::putArray(form::ControlArray<T> &array, const std::map<int, Saved<T>> &saved)
{
    for (int i : array.indices())
        if (!saved.count(i))
            array.unload(i);
    for (const auto &[i, state] : saved)
        put(array.exists(i) ? array[i] : array.load(i), state);
}

void DesignSnapshot::restoreInto(Form1 &f, form::Services &services) const
{
    f.Caption = caption_;
    f.StatusBar1.PanelText = statusText_;
    f.selection = Form1::Selection(selection_);
    f.SetX = SetX_, f.SetY = SetY_, f.SetW = SetW_, f.SetH = SetH_;
    f.SetTX = SetTX_, f.SetTY = SetTY_;
    f.idx = idx_, f.Tflag = Tflag_, f.ImageFileName = ImageFileName_;
    // Element 0 of each array (the template) stays; the others are made or
    // removed to match.
    putArray(f.Line17, segments_);
    putArray(f.Label17, markers_);
    const auto restoreAll = [](auto controls, const auto &saved) {
        for (size_t i = 0; i < controls.size(); ++i)
            put(*controls[i], saved[i]);
    };
    restoreAll(linesOf(f), lines_);
    restoreAll(labelsOf(f), labels_);
    restoreAll(shapesOf(f), shapes_);
    restoreAll(imagesOf(f), images_);
    restoreAll(checksOf(f), checks_);
    restoreAll(optionsOf(f), options_);
    restoreAll(textsOf(f), texts_);
    restoreAll(spinsOf(f), spins_);
    const auto tools = toolsOf(f);
    for (size_t i = 0; i < tools.size(); ++i)
        static_cast<form::ControlState &>(*tools[i]) = tools_[i];
    restorePicture(f, services);
}

void DesignSnapshot::restorePicture(Form1 &f, form::Services &services) const
{
    const auto &shown = f.Picture1.CurrentPicture;
    if (!hasPicture_) {
        if (shown)
            f.Picture1.setPicture(nullptr);
        return;
    }
    if (auto held = picture_.lock()) {
        if (held != shown)
            f.Picture1.setPicture(std::move(held));
        return;
    }
    // The canvas shows that file already (read again by an earlier undo).
    if (shown && shown->path() == picturePath_)
        return;
    // Nobody holds that picture any more: it is read again from its file,
    // as choosing it did. A file gone since leaves the canvas bare.
    f.Picture1.setPicture(services.loadPicture(picturePath_));
}

} // namespace orbelle::maker
