// SPDX-License-Identifier: MIT
// A form's list of controls, its layout revision and focus requests, and how
// controls and forms let go of each other.

#include <memory>

#include <gtest/gtest.h>

#include "Form.h"
#include "Label.h"
#include "PictureBox.h"
#include "TextBox.h"

namespace orbelle::form {
namespace {

TEST(Form, KeepsControlsInZOrderAndCountsLayoutChanges)
{
    Form form{"Form1"}, other{"Form2"};
    PictureBox box{"Picture1"};
    Label a{"Label1"}, b{"Label2"};
    const auto start = form.layoutRevision();

    form.add(box);
    form.add(a, &box);
    form.add(b);
    EXPECT_EQ(form.controls(), (std::vector<Control *>{&box, &a, &b}));
    EXPECT_EQ(a.form(), &form);
    EXPECT_EQ(a.container(), &box);
    EXPECT_EQ(form.layoutRevision(), start + 3);

    // Adding again moves a control to the top; adding to another form moves it there.
    form.add(a, &box);
    EXPECT_EQ(form.controls(), (std::vector<Control *>{&box, &b, &a}));
    other.add(b);
    EXPECT_EQ(form.controls(), (std::vector<Control *>{&box, &a}));
    EXPECT_EQ(b.form(), &other);

    // Removing a container frees what it held.
    const auto beforeRemove = form.layoutRevision();
    form.remove(box);
    EXPECT_EQ(box.form(), nullptr);
    EXPECT_EQ(a.container(), nullptr);
    EXPECT_EQ(form.layoutRevision(), beforeRemove + 1);

    // Removing what is not there changes nothing.
    form.remove(box);
    EXPECT_EQ(form.layoutRevision(), beforeRemove + 1);
}

TEST(Form, ControlsAndFormsLetGoOfEachOtherWhenDestroyed)
{
    Form form{"Form1"};
    auto box = std::make_unique<TextBox>("Text1");
    form.add(*box);
    box->SetFocus();
    const auto before = form.layoutRevision();

    box.reset();
    EXPECT_TRUE(form.controls().empty());
    EXPECT_EQ(form.focusRequest(), nullptr);
    EXPECT_GT(form.layoutRevision(), before);

    TextBox survivor{"Text2"};
    {
        Form shortLived{"Form2"};
        shortLived.add(survivor);
    }
    EXPECT_EQ(survivor.form(), nullptr);
    survivor.SetFocus(); // no form to ask
}

TEST(Form, FocusRequestsNameTheControlAndAreCounted)
{
    Form form{"Form1"};
    TextBox a{"Text1"}, b{"Text2"}, loose{"Text3"};
    form.add(a);
    form.add(b);
    const auto start = form.focusRequestCount();

    a.SetFocus();
    EXPECT_EQ(form.focusRequest(), &a);
    a.SetFocus(); // asking again is a new request
    EXPECT_EQ(form.focusRequestCount(), start + 2);

    form.SetFocus();
    EXPECT_EQ(form.focusRequest(), nullptr);
    EXPECT_EQ(form.focusRequestCount(), start + 3);

    loose.SetFocus();
    EXPECT_EQ(form.focusRequestCount(), start + 3);

    b.SetFocus();
    form.remove(b);
    EXPECT_EQ(form.focusRequest(), nullptr);
}

} // namespace
} // namespace orbelle::form
