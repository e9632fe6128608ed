// SPDX-License-Identifier: MIT
#pragma once
// One state of the editor's design, as undo and redo bring it back: the
// canvas overlays (frame, hands area, outlines, grips, centre lines, preview
// hands, polygon segments and markers, with their places, colours and
// visibility), the panel's values (base shape, shown ticks, colours, lengths,
// vertex selector and tools), the title, the status text, the editor state
// (SetX, SetY, SetW, SetH, SetTX, SetTY, idx, Tflag, ImageFileName) and the
// selection. The face picture is held by its path and a weak handle: a
// state keeps no picture alive, and one that is gone is loaded again.
// Owns copies of values only; takes them from and puts them back into a
// Form1 it does not own.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "CheckBox.h"
#include "ControlArray.h"
#include "Control.h"
#include "Image.h"
#include "Label.h"
#include "Line.h"
#include "OptionButton.h"
#include "Picture.h"
#include "Shape.h"
#include "TextBox.h"
#include "UpDown.h"
#include "Value.h"

namespace orbelle::form {
class Services;
}

namespace orbelle::maker {

class Form1;

class DesignSnapshot {
public:
    // The state the editor shows now.
    static DesignSnapshot of(const Form1 &f);
    // Puts the state back into the editor, without running any handler.
    // The picture comes back through `services` when no one holds it any more.
    void restoreInto(Form1 &f, form::Services &services) const;

    // What a save of this state writes, byte for byte: two states with the
    // same text are the same design.
    const std::string &designText() const { return designText_; }

private:
    template <class T>
    struct Saved {
        form::ControlState place;
        typename T::State own;
    };
    template <class T>
    static Saved<T> save(const T &control)
    {
        return {static_cast<const form::ControlState &>(control), static_cast<const typename T::State &>(control)};
    }
    template <class T>
    static void put(T &control, const Saved<T> &saved)
    {
        static_cast<form::ControlState &>(control) = saved.place;
        static_cast<typename T::State &>(control) = saved.own;
    }
    template <class T>
    static void putArray(form::ControlArray<T> &array, const std::map<int, Saved<T>> &saved);
    void restorePicture(Form1 &f, form::Services &services) const;

    std::string designText_;
    std::string caption_;
    std::string statusText_;
    int selection_ = 0;
    Value SetX_, SetY_, SetW_, SetH_, SetTX_, SetTY_, idx_, Tflag_, ImageFileName_;
    std::vector<Saved<form::Line>> lines_;
    std::vector<Saved<form::Label>> labels_;
    std::vector<Saved<form::Shape>> shapes_;
    std::vector<Saved<form::Image>> images_;
    std::vector<Saved<form::CheckBox>> checks_;
    std::vector<Saved<form::OptionButton>> options_;
    std::vector<Saved<form::TextBox>> texts_;
    std::vector<Saved<form::UpDown>> spins_;
    std::vector<form::ControlState> tools_;
    std::map<int, Saved<form::Line>> segments_;
    std::map<int, Saved<form::Label>> markers_;
    std::string picturePath_;
    std::weak_ptr<const form::Picture> picture_;
    bool hasPicture_ = false;
};

} // namespace orbelle::maker
