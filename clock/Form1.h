// SPDX-License-Identifier: MIT
#pragma once
// The clock window: a borderless window cut to the face's shape, showing the
// face picture with twelve tick marks and three hands with their shadows,
// ticking once a second, with a notification icon. Reads the face design and
// its own state at start-up, takes a new face design saved into its folder
// while it runs, and writes its state shortly after it changes and whenever
// the clock ends. Owns the window state and the timers; the dialog (Form2)
// owns the alarm and memo texts.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "ControlArray.h"
#include "Form.h"
#include "Line.h"
#include "PictureBox.h"
#include "Services.h"
#include "Timer.h"
#include "Value.h"

namespace orbelle {
struct FaceDesign;
}

namespace orbelle::clock {

class Form2;

class Form1 : public form::Form {
public:
    Form1(form::Services &services, Form2 &dialog);

    static constexpr const char *kTip = "ﾏｳｽ左ﾀﾞﾌﾞﾙｸﾘｯｸで時計表示ON-OFF,右ｸﾘｯｸで終了";
    static constexpr const char *kDesignFileName = "tokei-set.ini";
    static constexpr const char *kStateFileName = "Pt.ini";
    static constexpr const char *kAlarmNotice = "設定時刻に なりました";

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

    // Writes Pt.ini, removes the icon and ends the program: the icon's right
    // click, and the end of the session or a request to end from outside.
    void saveAndEnd();
    // Something Pt.ini keeps may have changed (a text of the dialog): the
    // next tick writes the file if what it would hold differs.
    void noteStateChange();
    // Writes Pt.ini now when what it would hold differs from what was last
    // written; true when the file holds the clock's state afterwards.
    bool saveStateIfChanged();
    // Something in the folder changed: a new tokei-set.ini that reads whole
    // becomes the face, as start-up would have made it.
    void designFolderChanged();

    const form::NotifyIcon &notifyIcon() const { return nid_; }
    // Whether the icon went into a notification area at start-up.
    bool hasNotifyIcon() const { return iconAdded_; }

private:
    void placeHand(form::ControlArray<form::Line> &hand, const Value &length, double degrees,
                   double k1, double k2);
    void showHand(form::ControlArray<form::Line> &hand, const Value &shown, const Value &colour);
    // The state Pt.ini holds, as the clock would write it now.
    struct SavedState {
        float left = 0, top = 0;
        std::string memo, hour, minute, month, day;
        bool operator==(const SavedState &) const = default;
    };
    SavedState currentState() const;
    bool writeState(const SavedState &state);
    // Run by each working tick: writes a noted change, or a position that
    // has stood still for a tick since it changed (a drag has ended).
    void saveSettledState();
    // The design values, lengths and looks of a design as start-up takes
    // them, and the window size, picture and shape it gives.
    void takeDesignValues(const FaceDesign &design);
    void applyLengthDefaults();
    void applyFace(const FaceDesign &design);
    void applyLineLooks();
    // The alarm minute is over while nobody pressed 閉じる: the dialog stays
    // in front with its notice.
    void endUnattendedRing(bool wasBlinking, const form::LocalTime &t);
    void notifyRing();
    void placeTicksAndHands(const form::LocalTime &t);

    form::Services &services_;
    Form2 &dialog_;
    form::NotifyIcon nid_;
    bool iconAdded_ = false;
    Value lastSecond_; // second drawn by the last working tick
    Value lastDay_;    // day seen by the last working tick

    std::optional<SavedState> written_; // what Pt.ini was last written (or read) with
    bool writeFailed_ = false;          // the last write did not reach the disk
    bool changeNoted_ = false;
    std::optional<std::pair<float, float>> positionAtLastTick_; // twips
    bool ringNotified_ = false;          // this alarm minute's notification went out
    std::optional<std::string> designBytes_; // tokei-set.ini as the face was last made from it

    // The face picture as the design names it, and the file watched for it,
    // whether or not it exists yet; its size and time of change when last
    // looked at, so that its arrival or a new version is seen.
    struct FileStamp {
        std::uintmax_t bytes = 0;
        std::filesystem::file_time_type changed;
        bool operator==(const FileStamp &) const = default;
    };
    static std::optional<FileStamp> stampOf(const std::filesystem::path &file);
    void loadFacePicture(const std::string &picturePath);
    // The folder changed but the design did not: takes a picture that has
    // come or changed since.
    void pictureMayHaveChanged();
    std::string picturePath_;
    std::filesystem::path pictureFile_;
    std::optional<FileStamp> pictureStamp_;
};

} // namespace orbelle::clock
