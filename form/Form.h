// SPDX-License-Identifier: MIT
#pragma once
// A top-level window as a form designer sees it: caption, place and size in
// twips, colour, visibility, the controls it holds in their z-order (later
// ones on top) and its own events. Owns none of its controls: the concrete
// form keeps them as members and adds them here; a control removes itself
// when it is destroyed.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Control.h"

namespace orbelle::form {

enum class FormBorder { None, Fixed, Sizable };

struct FormState {
    std::string Caption;
    float Left = 0, Top = 0;     // twips, screen coordinates of the window
    float Width = 0, Height = 0; // twips, the client area
    int BackColor = 0xF0F0F0;
    bool Visible = false;
    FormBorder Border = FormBorder::Sizable;
    bool ShowInTaskbar = true;
    // Left and Top are not set by the program: the window system places the
    // window (centred on the screen when it is first shown).
    bool AutoPlace = false;
    // The client area the controls lie in, twips: the binding keeps it up to
    // date as the window is resized (below any menu bar the window has).
    float ScaleWidth = 0, ScaleHeight = 0;
    // The smallest client area, twips, a sizable window may be resized to;
    // 0 for no limit.
    float MinWidth = 0, MinHeight = 0;
    // Whether files dropped on the window are taken (OLEDragDrop).
    bool OLEDropMode = false;
    friend bool operator==(const FormState &, const FormState &) = default;
};

class Form : public FormState {
public:
    explicit Form(std::string name) : name_(std::move(name)) {}
    virtual ~Form();
    Form(const Form &) = delete;
    Form &operator=(const Form &) = delete;

    const std::string &name() const { return name_; }

    // Puts a control on the form (container null) or into a picture box or
    // frame, on top of the z-order.
    void add(Control &control, Control *container = nullptr);
    void remove(Control &control);
    const std::vector<Control *> &controls() const { return controls_; }
    // Bumped whenever a control is added or removed.
    std::uint64_t layoutRevision() const { return layoutRevision_; }

    // Showing a window that is already shown brings it to the front again.
    void Show()
    {
        Visible = true;
        ++showRequests_;
    }
    std::uint64_t showRequestCount() const { return showRequests_; }
    void Hide() { Visible = false; }
    // Brings the window to the front with the keyboard focus.
    void SetFocus() { requestFocus(nullptr); }

    // The control the last focus request named (null: the window itself)
    // and a count the binding compares to see a new request.
    void requestFocus(Control *control);
    Control *focusRequest() const { return focusRequest_; }
    std::uint64_t focusRequestCount() const { return focusRequests_; }

    std::function<void()> Load;
    std::function<void()> Activate;
    // The window stopped being the active one (the user went elsewhere).
    std::function<void()> Deactivate;
    std::function<void()> Unload;
    // The user or the system asks to close the window; setting the flag keeps it.
    std::function<void(bool &cancel)> QueryUnload;
    // button, shift, x and y in twips of the client area
    std::function<void(int, int, float, float)> MouseDown;
    std::function<void()> Click;
    // A key pressed while the window is active: the key's code and the
    // modifiers held (ShiftMask). With KeyPreview the form hears every key
    // before the control with the focus does; a handler that sets the code
    // to 0 keeps the key from that control.
    std::function<void(int &keyCode, int shift)> KeyDown;
    bool KeyPreview = false;
    // The client area changed size (ScaleWidth, ScaleHeight), including the
    // first time the window is shown.
    std::function<void()> Resize;
    // Files dropped on the window, as UTF-8 paths, when OLEDropMode is set.
    std::function<void(const std::vector<std::string> &)> OLEDragDrop;

private:
    std::string name_;
    std::vector<Control *> controls_;
    std::uint64_t layoutRevision_ = 0;
    Control *focusRequest_ = nullptr;
    std::uint64_t focusRequests_ = 0;
    std::uint64_t showRequests_ = 0;
};

} // namespace orbelle::form
