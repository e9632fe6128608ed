// SPDX-License-Identifier: MIT
#include "Control.h"

#include "Form.h"

namespace orbelle::form {

namespace {
std::uint64_t nextSerial = 1;
}

Control::Control(Kind kind, std::string name, int index)
    : kind_(kind), name_(std::move(name)), index_(index), serial_(nextSerial++)
{
}

Control::~Control()
{
    if (form_)
        form_->remove(*this);
}

std::string Control::displayName() const
{
    if (index_ < 0)
        return name_;
    return name_ + "(" + std::to_string(index_) + ")";
}

void Control::SetFocus()
{
    if (form_)
        form_->requestFocus(this);
}

bool Control::isWindowless() const
{
    switch (kind_) {
    case Kind::Line:
    case Kind::Shape:
    case Kind::Image:
        return true;
    case Kind::Label:
        return container_ && container_->kind() == Kind::PictureBox;
    default:
        return false;
    }
}

} // namespace orbelle::form
