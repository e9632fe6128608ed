// SPDX-License-Identifier: MIT
#pragma once
// The alarm and memo dialog "アラーム設定": the daily alarm time, the date on
// which it opens by itself, and the memo. Its text boxes are the only copy of
// those texts. Writes the clock window's alarm state (AlarmH, AlarmM,
// mouyoi) and its blink timer, and tells it when its texts may have changed
// (set, close, focus lost); owns nothing of the clock window.

#include "CommandButton.h"
#include "Form.h"
#include "Label.h"
#include "TextBox.h"
#include "UpDown.h"

namespace orbelle::clock {

class Form1;

class Form2 : public form::Form {
public:
    explicit Form2(Form1 &clockWindow);

    // Tops of the memo box in its two layouts, twips.
    static constexpr float kMemoModeTop = 2640;
    static constexpr float kAlarmModeTop = 645;

    form::Label Label7{"Label7"};
    form::TextBox Text4{"Text4"};
    form::UpDown UpDown3{"UpDown3"};
    form::Label Label5{"Label5"};
    form::TextBox Text5{"Text5"};
    form::UpDown UpDown4{"UpDown4"};
    form::Label Label6{"Label6"};
    form::Label Label1{"Label1"};
    form::TextBox Text1{"Text1"};
    form::UpDown UpDown1{"UpDown1"};
    form::Label Label2{"Label2"};
    form::TextBox Text2{"Text2"};
    form::UpDown UpDown2{"UpDown2"};
    form::Label Label3{"Label3"};
    form::CommandButton Command1{"Command1"};
    form::CommandButton Command4{"Command4"};
    form::Label Label4{"Label4"};
    form::TextBox Text3{"Text3"};

    void Form_Activate();
    void Form_Deactivate();
    void Command1_Click();
    void Command4_Click();
    // The title bar's close box closes the dialog as "閉じる" does.
    void Form_QueryUnload(bool &cancel);
    // Ctrl+Enter: "アラーム時刻設定"; Escape: "閉じる".
    void Form_KeyDown(int &KeyCode, int Shift);

private:
    // The constructor's steps: the controls' places and looks by group,
    // their z-order, the events.
    void layOutDate();
    void layOutAlarm();
    void layOutMemo();
    void addControls();
    void wire();

    Form1 &clock_;
};

} // namespace orbelle::clock
