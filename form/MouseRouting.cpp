// SPDX-License-Identifier: MIT
#include "MouseRouting.h"

#include "Form.h"
#include "Image.h"
#include "Label.h"

namespace orbelle::form {

MouseTarget routeMouse(PictureBox &box, float x, float y)
{
    MouseTarget target{nullptr, x, y};
    Form *form = box.form();
    if (!form)
        return target;
    const auto &controls = form->controls();
    for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
        Control *c = *it;
        if (c->container() != &box || !c->Visible)
            continue;
        if (c->kind() != Control::Kind::Image && c->kind() != Control::Kind::Label)
            continue;
        if (x >= c->Left && x < c->Left + c->Width && y >= c->Top && y < c->Top + c->Height)
            return MouseTarget{c, x - c->Left, y - c->Top};
    }
    return target;
}

namespace {

using MouseHandler = std::function<void(int, int, float, float)>;

const MouseHandler *handlerOf(PictureBox &box, Control *control, MouseAction action)
{
    auto pick = [action](auto &c) -> const MouseHandler * {
        return action == MouseAction::Down ? &c.MouseDown : action == MouseAction::Move ? &c.MouseMove : &c.MouseUp;
    };
    if (!control)
        return pick(box);
    if (control->kind() == Control::Kind::Image)
        return pick(*static_cast<Image *>(control));
    if (control->kind() == Control::Kind::Label)
        return pick(*static_cast<Label *>(control));
    return nullptr;
}

void raise(const MouseHandler *handler, int button, int shift, float x, float y)
{
    if (handler && *handler)
        (*handler)(button, shift, x, y);
}

void raiseClick(PictureBox &box, Control *control)
{
    const std::function<void()> *click = &box.Click;
    if (control && control->kind() == Control::Kind::Image)
        click = &static_cast<Image *>(control)->Click;
    else if (control && control->kind() == Control::Kind::Label)
        click = &static_cast<Label *>(control)->Click;
    if (*click)
        (*click)();
}

} // namespace

MouseTarget deliverMouse(PictureBox &box, MouseAction action, int button, int shift, float x, float y)
{
    const MouseTarget t = routeMouse(box, x, y);
    raise(handlerOf(box, t.control, action), button, shift, t.x, t.y);
    return t;
}

void MouseRouter::press(int button, int shift, float x, float y)
{
    if (!pressed_ && box_.MouseDragDown && box_.MouseDragDown(button, shift, x, y)) {
        pressed_ = true;
        takenByBox_ = true;
        return;
    }
    const MouseTarget t = routeMouse(box_, x, y);
    pressed_ = true;
    pressSerial_ = t.control ? t.control->serial() : 0;
    raise(handlerOf(box_, t.control, MouseAction::Down), button, shift, t.x, t.y);
}

bool MouseRouter::captured(Control *&target) const
{
    target = nullptr;
    if (!pressed_)
        return false;
    if (pressSerial_ == 0)
        return true;
    if (Form *form = box_.form())
        for (Control *c : form->controls())
            if (c->serial() == pressSerial_ && c->container() == &box_) {
                target = c;
                return true;
            }
    return false;
}

void MouseRouter::move(int buttons, int shift, float x, float y)
{
    if (takenByBox_) {
        if (box_.MouseDragMove)
            box_.MouseDragMove(buttons, shift, x, y);
        return;
    }
    Control *target = nullptr;
    if (buttons != 0 && captured(target)) {
        const float rx = target ? x - target->Left : x;
        const float ry = target ? y - target->Top : y;
        raise(handlerOf(box_, target, MouseAction::Move), buttons, shift, rx, ry);
        return;
    }
    deliverMouse(box_, MouseAction::Move, buttons, shift, x, y);
}

void MouseRouter::release(int button, int shift, float x, float y)
{
    if (takenByBox_) {
        pressed_ = false;
        takenByBox_ = false;
        if (box_.MouseDragUp)
            box_.MouseDragUp(button, shift, x, y);
        return;
    }
    Control *target = nullptr;
    if (!captured(target)) {
        // The pressed control has gone: the release goes where it falls.
        pressed_ = false;
        deliverMouse(box_, MouseAction::Up, button, shift, x, y);
        return;
    }
    pressed_ = false;
    const std::uint64_t serial = pressSerial_;
    const float rx = target ? x - target->Left : x;
    const float ry = target ? y - target->Top : y;
    raise(handlerOf(box_, target, MouseAction::Up), button, shift, rx, ry);
    // The release handler may have moved or removed things: look again.
    const MouseTarget over = routeMouse(box_, x, y);
    const std::uint64_t overSerial = over.control ? over.control->serial() : 0;
    if (overSerial == serial)
        raiseClick(box_, over.control);
}

} // namespace orbelle::form
