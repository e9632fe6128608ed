// SPDX-License-Identifier: MIT
#include "Form.h"

#include <algorithm>

namespace orbelle::form {

Form::~Form()
{
    for (Control *c : controls_)
        c->form_ = nullptr;
}

void Form::add(Control &control, Control *container)
{
    if (control.form_)
        control.form_->remove(control);
    control.form_ = this;
    control.container_ = container;
    controls_.push_back(&control);
    ++layoutRevision_;
}

void Form::remove(Control &control)
{
    auto it = std::find(controls_.begin(), controls_.end(), &control);
    if (it == controls_.end())
        return;
    controls_.erase(it);
    for (Control *c : controls_)
        if (c->container_ == &control)
            c->container_ = nullptr;
    if (focusRequest_ == &control)
        focusRequest_ = nullptr;
    control.form_ = nullptr;
    control.container_ = nullptr;
    ++layoutRevision_;
}

void Form::requestFocus(Control *control)
{
    focusRequest_ = control;
    ++focusRequests_;
}

} // namespace orbelle::form
