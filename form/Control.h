// SPDX-License-Identifier: MIT
#pragma once
// The common part of every control a form holds: where it stands (twips,
// relative to its container), whether it is shown and enabled, and which
// form and container it belongs to. Owns none of the behaviour: the form
// wires the event callbacks of the concrete controls to its handlers.

#include <cstdint>
#include <string>

namespace orbelle::form {

class Form;

// Mouse button codes as the handlers receive them.
enum MouseButton : int { LeftButton = 1, RightButton = 2, MiddleButton = 4 };

// The shift argument of mouse and key events: the modifier keys held.
enum ShiftMask : int { ShiftKey = 1, CtrlKey = 2, AltKey = 4 };

// Key codes as the key handlers receive them (the keys' virtual-key numbers).
enum KeyCode : int {
    KeyBack = 8, KeyTab = 9, KeyReturn = 13, KeyEscape = 27, KeySpace = 32,
    KeyLeftArrow = 37, KeyUpArrow = 38, KeyRightArrow = 39, KeyDownArrow = 40, KeyDelete = 46,
};

// A font as a form designer names it; the binding maps the name to an
// installed face.
struct Font {
    std::string Name = "ＭＳ Ｐゴシック";
    double Size = 9; // points
    bool Bold = false;
    friend bool operator==(const Font &, const Font &) = default;
};

// Alignment of the text inside a label or text box.
enum class Alignment { Left, Right, Center };

struct ControlState {
    float Left = 0, Top = 0, Width = 0, Height = 0; // twips, in the container
    bool Visible = true;
    bool Enabled = true;
    std::string ToolTipText;
    friend bool operator==(const ControlState &, const ControlState &) = default;
};

class Control : public ControlState {
public:
    enum class Kind {
        PictureBox, Line, Label, TextBox, UpDown, CommandButton, Timer,
        Frame, OptionButton, CheckBox, Image, Shape, StatusBar, MenuBar, ScrollBar
    };

    Control(Kind kind, std::string name, int index = -1);
    virtual ~Control();
    Control(const Control &) = delete;
    Control &operator=(const Control &) = delete;

    Kind kind() const { return kind_; }
    const std::string &name() const { return name_; }
    // Index inside its control array, -1 for a control that is no element.
    int index() const { return index_; }
    // "Line4(3)" or "Text1": how the form designer would name it.
    std::string displayName() const;

    Form *form() const { return form_; }
    // The picture box or frame that holds it; null when the form does.
    Control *container() const { return container_; }
    // Unique for the program's run; the binding keys its widgets on it.
    std::uint64_t serial() const { return serial_; }

    // Asks for the keyboard focus; the binding gives it when it next updates.
    void SetFocus();
    // Places the control: twips in its container.
    void Move(float left, float top, float width, float height)
    {
        Left = left;
        Top = top;
        Width = width;
        Height = height;
    }

    // Drawn by its container rather than being a window of its own
    // (lines, shapes, images, and labels inside a picture box).
    bool isWindowless() const;

private:
    friend class Form;
    Kind kind_;
    std::string name_;
    int index_;
    Form *form_ = nullptr;
    Control *container_ = nullptr;
    std::uint64_t serial_;
};

} // namespace orbelle::form
