#pragma once
// The clock window: a borderless window cut to the face's shape, showing the
// face picture with twelve tick marks and three hands with their shadows,
// ticking once a second, with a notification icon. Reads the face design and
// its own state at start-up and writes its state when the user ends it from
// the icon. Owns the window state and both timers; the dialog (Form2) owns
// the alarm and memo texts.

#include "ControlArray.h"
#include "Form.h"
#include "Line.h"
#include "PictureBox.h"
#include "Services.h"
#include "Timer.h"
#include "Value.h"

namespace orbelle::clock {

class Form2;

class Form1 : public form::Form {
public:
    Form1(form::Services &services, Form2 &dialog);

    static constexpr const char *kTip = "ﾏｳｽ左ﾀﾞﾌﾞﾙｸﾘｯｸで時計表示ON-OFF,右ｸﾘｯｸで終了";
    static constexpr const char *kDesignFileName = "tokei-set.ini";
    static constexpr const char *kStateFileName = "Pt.ini";

    // Controls, drawn inside Picture1 in this z-order: tick marks, shadows, hands.
    form::PictureBox Picture1{"Picture1"};
    form::ControlArray<form::Line> Line4{"Line4"}; // tick marks 0-11
    form::ControlArray<form::Line> Line1{"Line1"}; // second hand: 0 shadow, 1 hand
    form::ControlArray<form::Line> Line2{"Line2"}; // minute hand
    form::ControlArray<form::Line> Line3{"Line3"}; // hour hand
    form::Timer Timer1{"Timer1"};                  // the tick
    form::Timer Timer2{"Timer2"};                  // the alarm's blinking

    // Window state.
    Value HTCAPTION, WM_NCLBUTTONDOWN;
    double pi = 0;
    Value TokeiX, TokeiY, TokeiHaba, TokeiTakasa; // twips, picture coordinates
    Value MemoriChk, HariSChk, HariMChk, HariHChk;
    Value Memoricolor, HariScolor, HariMcolor, HariHcolor;
    Value HariSlength, HariMlength, HariHlength;  // percent
    Value idx;
    Value AlarmH, AlarmM;
    Value Akifilenumber;
    Value mouyoi; // 2 date check due, 0 alarm armed, 1 alarm acknowledged

    void Form_Load();
    void Timer1_Timer();
    void Timer2_Timer();
    void Picture1_MouseDown(int Button, int Shift, float X, float Y);
    void Form_MouseDown(int Button, int Shift, float X, float Y);
    void Form_Click();
    void Form_Unload();
    void Form_QueryUnload(bool &cancel);

    const form::NotifyIcon &notifyIcon() const { return nid_; }
    // Whether the icon went into a notification area at start-up.
    bool hasNotifyIcon() const { return iconAdded_; }

private:
    void placeHand(form::ControlArray<form::Line> &hand, const Value &length, double degrees,
                   double k1, double k2);
    void showHand(form::ControlArray<form::Line> &hand, const Value &shown, const Value &colour);
    // Writes Pt.ini, removes the icon and ends the program.
    void saveAndEnd();

    form::Services &services_;
    Form2 &dialog_;
    form::NotifyIcon nid_;
    bool iconAdded_ = false;
    Value lastSecond_; // second drawn by the last working tick
    Value lastDay_;    // day seen by the last working tick
};

} // namespace orbelle::clock
