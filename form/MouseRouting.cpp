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

MouseTarget deliverMouse(PictureBox &box, MouseAction action, int button, int shift, float x, float y)
{
    const MouseTarget t = routeMouse(box, x, y);
    const std::function<void(int, int, float, float)> *handler = nullptr;
    if (!t.control) {
        handler = action == MouseAction::Down ? &box.MouseDown : action == MouseAction::Move ? &box.MouseMove : &box.MouseUp;
    } else if (t.control->kind() == Control::Kind::Image) {
        auto *image = static_cast<Image *>(t.control);
        handler = action == MouseAction::Down ? &image->MouseDown : action == MouseAction::Move ? &image->MouseMove : &image->MouseUp;
    } else {
        auto *label = static_cast<Label *>(t.control);
        handler = action == MouseAction::Down ? &label->MouseDown : action == MouseAction::Move ? &label->MouseMove : &label->MouseUp;
    }
    if (handler && *handler)
        (*handler)(button, shift, t.x, t.y);
    return t;
}

} // namespace orbelle::form
