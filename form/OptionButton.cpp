// SPDX-License-Identifier: MIT
#include "OptionButton.h"

#include "Form.h"

namespace orbelle::form {

void OptionButton::setValue(bool value)
{
    if (!value) {
        Value = false;
        return;
    }
    if (Form *f = form()) {
        for (Control *c : f->controls())
            if (c != this && c->kind() == Kind::OptionButton && c->container() == container())
                static_cast<OptionButton *>(c)->Value = false;
    }
    Value = true;
    if (Click)
        Click();
}

} // namespace orbelle::form
