// SPDX-License-Identifier: MIT
#pragma once
// A small form with one control of each kind the binding shows, wired to
// handlers that record what reached them, and a fixture that shows it
// through a QtBinding. Pixel places below are the twips divided by 15.

#include <QPointer>
#include <memory>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "CommandButton.h"
#include "Form.h"
#include "FormWindow.h"
#include "Label.h"
#include "Line.h"
#include "PictureBox.h"
#include "QtBinding.h"
#include "TextBox.h"
#include "Timer.h"
#include "UpDown.h"

namespace orbelle::formqt::testing {

struct MouseRecord {
    int button = 0, shift = 0;
    float x = 0, y = 0;
    friend bool operator==(const MouseRecord &, const MouseRecord &) = default;
};

class SampleForm : public form::Form {
public:
    SampleForm();

    form::PictureBox Picture1{"Picture1"}; // 0, 0; 100 x 80 px until a picture sizes it
    form::Line Line1{"Line1"};             // red, 3 px, (10, 10)-(40, 10) px in the box
    form::Line Line2{"Line2"};             // 0x404040 shadow, 3 px, (10, 40)-(110, 40) px
    form::Label Label1{"Label1"};          // 196, 100, 100 x 20 px, white on red
    form::TextBox Text1{"Text1"};          // 196, 12, 28 x 21 px, "3"
    form::UpDown UpDown1{"UpDown1"};       // 224, 12, 16 x 21 px, 0 to 5, bound to Text1
    form::TextBox Text2{"Text2"};          // 196, 140, 160 x 60 px, multi-line, light yellow
    form::CommandButton Command1{"Command1"}; // 260, 40, 100 x 25 px
    form::Label Label2{"Label2"};          // hidden, 260, 70, 100 x 20 px
    form::Label Label3{"Label3"};          // added last, inside Text2's area
    form::Timer Timer1{"Timer1"};

    int clicks = 0;
    int text1Changes = 0;
    int text2Changes = 0;
    std::vector<MouseRecord> pictureDowns, pictureUps, formDowns;
    int pictureClicks = 0, formClicks = 0;
    // Run by Command1's click after it counts it.
    std::function<void()> onClick;
};

class SampleWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QWidget *widgetOf(const form::Control &control) const { return window->widgetOf(control); }
    // The control's widget rectangle in window pixels.
    QRect placeOf(const form::Control &control) const;

    QtBinding binding;
    SampleForm form;
    FormWindow *window = nullptr;
};

} // namespace orbelle::formqt::testing
