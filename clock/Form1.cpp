// SPDX-License-Identifier: MIT
#include "Form1.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>

#include "AtomicFile.h"
#include "ClockStateFile.h"
#include "FaceDesignFile.h"
#include "FilesFolder.h"
#include "TextEncoding.h"
#include "Form2.h"
#include "Units.h"

namespace orbelle::clock {

namespace {

// Runs one step of a handler; a step that fails is skipped and the handler
// goes on with the next, as the clock never reports a failure.
template <class Step>
void attempt(Step &&step)
{
    try {
        step();
    } catch (const std::exception &) {
    }
}

// A comparison with a number that fails (a text that holds no number) counts
// as a match, so the step guarded by it still runs.
bool equalsOrFails(const Value &value, double number)
{
    try {
        return value.equals(number);
    } catch (const ConversionError &) {
        return true;
    }
}

bool isTrue(const Value &value)
{
    try {
        return value.toBool();
    } catch (const ConversionError &) {
        return false;
    }
}

constexpr double kShadowColour = 4210752; // 0x404040

void setupLine(form::Line &line, int widthPixels, int colour, form::DrawMode mode)
{
    line.BorderWidth = widthPixels;
    line.BorderColor = colour;
    line.Mode = mode;
}

} // namespace

Form1::Form1(form::Services &services, Form2 &dialog)
    : form::Form("Form1"), services_(services), dialog_(dialog)
{
    Border = form::FormBorder::None;
    ShowInTaskbar = false;
    Visible = true;

    add(Picture1);
    for (auto *array : {&Line4, &Line1, &Line2, &Line3})
        array->place(*this, &Picture1);
    for (int i = 0; i < 12; ++i)
        setupLine(Line4.create(i), 3, 0xFFFFFF, form::DrawMode::CopyPen);
    // Shadows first, so that every hand lies on top of every shadow.
    setupLine(Line1.create(0), 2, int(kShadowColour), form::DrawMode::MaskNotPen);
    setupLine(Line2.create(0), 3, int(kShadowColour), form::DrawMode::MaskNotPen);
    setupLine(Line3.create(0), 3, int(kShadowColour), form::DrawMode::MaskNotPen);
    setupLine(Line3.create(1), 3, 16711935, form::DrawMode::CopyPen);
    setupLine(Line2.create(1), 3, 65280, form::DrawMode::CopyPen);
    setupLine(Line1.create(1), 2, 255, form::DrawMode::CopyPen);

    Timer1.PollsForNewSecond = true;
    add(Timer1);
    add(Timer2);

    Load = [this] { Form_Load(); };
    Unload = [this] { Form_Unload(); };
    QueryUnload = [this](bool &cancel) { Form_QueryUnload(cancel); };
    MouseDown = [this](int b, int s, float x, float y) { Form_MouseDown(b, s, x, y); };
    Click = [this] { Form_Click(); };
    Picture1.MouseDown = [this](int b, int s, float x, float y) { Picture1_MouseDown(b, s, x, y); };
    Timer1.Tick = [this] { Timer1_Timer(); };
    Timer2.Tick = [this] { Timer2_Timer(); };
}

void Form1::Form_Load()
{
    HTCAPTION = 2;
    WM_NCLBUTTONDOWN = 161;
    pi = 3.14159265358979;

    const std::filesystem::path folder = services_.programFolder();
    // A save that was cut short is finished, or its left-overs cleared,
    // before either file is read.
    attempt([&] { recoverInterruptedWrites(folder / kDesignFileName); });
    attempt([&] { recoverInterruptedWrites(folder / kStateFileName); });

    FaceDesign design;
    attempt([&] {
        designBytes_ = readWholeFile(folder / kDesignFileName);
        if (designBytes_)
            readDesignForClock(decodeFileText(*designBytes_), design);
    });
    takeDesignValues(design);

    ClockState state;
    attempt([&] { readClockStateFile(folder / kStateFileName, state); });

    attempt([&] { Left = state.left.toSingle(); });
    attempt([&] { Top = state.top.toSingle(); });

    dialog_.Text3.Text = state.memo;
    dialog_.Text1.Text = state.hour.toText();
    dialog_.Text2.Text = state.minute.toText();
    dialog_.Text4.Text = state.month.toText();
    dialog_.Text5.Text = state.day.toText();

    attempt([&] { AlarmH = int(state.hour.toInt16()); });
    attempt([&] { AlarmM = int(state.minute.toInt16()); });

    nid_ = form::NotifyIcon{};
    nid_.tip = kTip;
    iconAdded_ = services_.addNotifyIcon(*this, nid_);
    // Without a notification area the window itself must offer a way out:
    // a taskbar entry whose closing ends the clock as the icon would.
    if (!iconAdded_)
        ShowInTaskbar = true;

    applyLengthDefaults();
    applyFace(design);

    Timer1.Interval = 100;
    mouyoi = 2;

    applyLineLooks();

    // Pt.ini holds what the clock now shows: nothing to write until it changes.
    written_ = currentState();
    // The editor saves by renaming a new file over the old one: the watch
    // takes in the folder, not only the file it replaces.
    services_.watchFile(folder / kDesignFileName, [this] { designFolderChanged(); });
}

void Form1::takeDesignValues(const FaceDesign &design)
{
    TokeiX = design.tokeiX;
    TokeiY = design.tokeiY;
    TokeiHaba = design.tokeiHaba;
    TokeiTakasa = design.tokeiTakasa;
    MemoriChk = design.memoriChk;
    HariSChk = design.hariSChk;
    HariMChk = design.hariMChk;
    HariHChk = design.hariHChk;
    Memoricolor = design.memoricolor;
    HariScolor = design.hariScolor;
    HariMcolor = design.hariMcolor;
    HariHcolor = design.hariHcolor;
    // A design file that gave no length keeps zero, which becomes the default.
    HariSlength = design.hariSlength.isEmpty() ? Value(0) : design.hariSlength;
    HariMlength = design.hariMlength.isEmpty() ? Value(0) : design.hariMlength;
    HariHlength = design.hariHlength.isEmpty() ? Value(0) : design.hariHlength;
    idx = design.idx;
}

void Form1::applyLengthDefaults()
{
    if (equalsOrFails(HariSlength, 0)) HariSlength = 100;
    if (equalsOrFails(HariMlength, 0)) HariMlength = 90;
    if (equalsOrFails(HariHlength, 0)) HariHlength = 70;
}

void Form1::applyFace(const FaceDesign &design)
{
    attempt([&] { Width = design.windowWidth.toInt16(); });
    attempt([&] { Height = design.windowHeight.toInt16(); });

    loadFacePicture(design.picturePath);
    attempt([&] { Picture1.Left = design.pictureLeft.toInt16(); });
    attempt([&] { Picture1.Top = design.pictureTop.toInt16(); });
    // Without a picture the face is blank, but its tick marks and hands
    // still need a box that reaches across the window.
    if (!Picture1.CurrentPicture) {
        Picture1.Width = std::max(0.0f, Width - Picture1.Left);
        Picture1.Height = std::max(0.0f, Height - Picture1.Top);
    }

    std::optional<form::WindowRegion> region;
    attempt([&] {
        const double w = design.windowWidth.toInt16();
        const double h = design.windowHeight.toInt16();
        auto px = [](double v) { return int(Value(v).toInt32()); };
        if (isTrue(design.circle)) {
            form::WindowRegion r;
            r.shape = form::WindowRegion::Shape::Ellipse;
            r.left = 2;
            r.top = 2;
            r.right = px(w / 15);
            r.bottom = px(h / 15);
            region = r;
        } else if (isTrue(design.rectangle)) {
            form::WindowRegion r;
            r.shape = form::WindowRegion::Shape::Polygon;
            r.points = {{2, 2}, {2, px(h / 15 - 2)}, {px(w / 15 - 2), px(h / 15 - 2)}, {px(w / 15 - 2), 2}};
            region = r;
        } else {
            // The polygon branch: the first idx vertices as window pixels.
            // Only vertices the file really held are used, and fewer than
            // three enclose nothing, so such a window keeps its rectangle.
            const long long n = idx.toInt32();
            form::WindowRegion r;
            r.shape = form::WindowRegion::Shape::Polygon;
            for (long long i = 1; i <= n && i < (long long)design.vertexList.size(); ++i) {
                const DesignPoint &p = design.vertexList[size_t(i)];
                r.points.push_back({int(p.x), int(p.y)});
            }
            if (r.points.size() >= 3)
                region = r;
        }
    });
    services_.setWindowRegion(*this, region);
}

void Form1::applyLineLooks()
{
    if (equalsOrFails(MemoriChk, 0)) {
        for (int i = 0; i < 12; ++i)
            Line4[i].Visible = false;
    } else {
        for (int i = 0; i < 12; ++i)
            attempt([&] { Line4[i].BorderColor = Memoricolor.toInt32(); });
    }
    showHand(Line1, HariSChk, HariScolor);
    showHand(Line2, HariMChk, HariMcolor);
    showHand(Line3, HariHChk, HariHcolor);
}

std::optional<Form1::FileStamp> Form1::stampOf(const std::filesystem::path &file)
{
    std::error_code ec;
    FileStamp stamp;
    if (!std::filesystem::is_regular_file(file, ec))
        return std::nullopt;
    stamp.bytes = std::filesystem::file_size(file, ec);
    stamp.changed = std::filesystem::last_write_time(file, ec);
    if (ec)
        return std::nullopt;
    return stamp;
}

void Form1::loadFacePicture(const std::string &picturePath)
{
    picturePath_ = picturePath;
    pictureFile_.clear();
    attempt([&] {
        if (picturePath.empty()) {
            Picture1.setPicture(nullptr);
            return;
        }
        const std::string located = locatePicture(picturePath, services_.programFolder());
        // A picture that is not there yet is looked for beside the design,
        // where a copied face folder brings it.
        std::filesystem::path file = pathFromUtf8(located);
        std::error_code ec;
        if (file.is_relative())
            file = std::filesystem::exists(file, ec) ? std::filesystem::absolute(file, ec)
                                                     : services_.programFolder() / file;
        pictureFile_ = file;
        pictureStamp_ = stampOf(file);
        Picture1.setPicture(services_.loadPicture(located));
    });
    services_.watchAlso(pictureFile_);
}

void Form1::pictureMayHaveChanged()
{
    if (pictureFile_.empty())
        return;
    const std::optional<FileStamp> stamp = stampOf(pictureFile_);
    if (stamp == pictureStamp_)
        return;
    pictureStamp_ = stamp;
    // A picture caught half written may not read; the end of its writing
    // brings another look. One that went away leaves the face as it is.
    attempt([&] {
        if (auto picture = services_.loadPicture(locatePicture(picturePath_, services_.programFolder())))
            Picture1.setPicture(std::move(picture));
    });
}

void Form1::designFolderChanged()
{
    const std::filesystem::path path = services_.programFolder() / kDesignFileName;
    const std::optional<std::string> bytes = readWholeFile(path);
    // Our own Pt.ini writes and other files change the folder too.
    if (!bytes || bytes == designBytes_) {
        pictureMayHaveChanged();
        return;
    }
    FaceDesign design;
    const DesignReadStatus status = readDesignForClock(decodeFileText(*bytes), design);
    // Only a whole, sound design replaces the face: a file caught half
    // written, or damaged, leaves the clock as it is until the next save.
    if (!status.opened || !status.complete || status.failedField >= 0)
        return;
    const int shapes = int(isTrue(design.circle)) + int(isTrue(design.rectangle)) + int(isTrue(design.polygon));
    if (shapes != 1)
        return;
    if (isTrue(design.polygon)) {
        long long n = 0;
        try {
            n = design.idx.toInt32();
        } catch (const ConversionError &) {
            return;
        }
        if (n < 3 || (long long)design.vertexList.size() <= n)
            return;
    }
    designBytes_ = bytes;

    takeDesignValues(design);
    applyLengthDefaults();
    applyFace(design);
    // Start-up's looks, from a face that shows everything in its design colours.
    for (int i = 0; i < 12; ++i) {
        Line4[i].Visible = true;
        Line4[i].BorderColor = 0xFFFFFF;
    }
    const int handColours[] = {255, 65280, 16711935};
    form::ControlArray<form::Line> *hands[] = {&Line1, &Line2, &Line3};
    for (int h = 0; h < 3; ++h) {
        (*hands[h])[0].Visible = true;
        (*hands[h])[1].Visible = true;
        (*hands[h])[1].BorderColor = handColours[h];
    }
    applyLineLooks();
    // The hands move to the new hands area now, not at the next second.
    placeTicksAndHands(services_.now());
}

void Form1::showHand(form::ControlArray<form::Line> &hand, const Value &shown, const Value &colour)
{
    if (equalsOrFails(shown, 0)) {
        hand[0].Visible = false;
        hand[1].Visible = false;
    } else {
        attempt([&] { hand[1].BorderColor = colour.toInt32(); });
    }
}

void Form1::Timer1_Timer()
{
    if (lastSecond_.equals(services_.now().second))
        return;
    const form::LocalTime t0 = services_.now();
    lastSecond_ = t0.second;
    const form::LocalTime t = services_.now();

    if (!lastDay_.equals(t.day))
        mouyoi = 2;

    // A notification area that comes after the clock (a panel that starts
    // later at login) gets the icon then, once a second until it does, and
    // the taskbar entry that stood in for the icon goes.
    if (!iconAdded_ && services_.addNotifyIcon(*this, nid_)) {
        iconAdded_ = true;
        ShowInTaskbar = false;
    }

    if (equalsOrFails(mouyoi, 2)) {
        mouyoi = 0;
        // A text comparison: "3" matches March, "03" never does.
        if (dialog_.Text4.Text == std::to_string(t.month) && dialog_.Text5.Text == std::to_string(t.day))
            dialog_.Show();
    }
    lastDay_ = t.day;

    const bool wasBlinking = Timer2.Interval != 0;
    attempt([&] {
        if (!AlarmH.equals(t.hour))
            return;
        if (AlarmM.equals(t.minute)) {
            if (mouyoi.equals(0)) {
                services_.beep(form::BeepSound::Alarm);
                services_.beep(form::BeepSound::Alarm);
                services_.beep(form::BeepSound::Alarm);
                Visible = true;
                dialog_.Show();
                dialog_.Text3.Top = Form2::kAlarmModeTop;
                Timer2.Interval = 3000;
                notifyRing();
            } else {
                Timer2.Interval = 0;
            }
        } else if (AlarmM.compare(t.minute) < 0) {
            Timer2.Interval = 0;
        }
    });
    endUnattendedRing(wasBlinking, t);

    placeTicksAndHands(t);
    saveSettledState();
}

void Form1::placeTicksAndHands(const form::LocalTime &t)
{
    if (equalsOrFails(MemoriChk, 1)) {
        for (int i = 0; i < 12; ++i) {
            attempt([&] {
                const double a = 30.0 * i * pi / 180;
                const double cx = TokeiX.toDouble();
                const double cy = TokeiY.toDouble();
                const double rx = TokeiHaba.toDouble() / 2;
                const double ry = TokeiTakasa.toDouble() / 2;
                form::Line &tick = Line4[i];
                tick.X1 = float(cx + rx * std::sin(a));
                tick.Y1 = float(cy - ry * std::cos(a));
                tick.X2 = float(cx + (rx + 15) * std::sin(a));
                tick.Y2 = float(cy - (ry + 15) * std::cos(a));
            });
        }
    }

    placeHand(Line1, HariSlength, 6.0 * t.second, 10, 30);
    placeHand(Line2, HariMlength, 6.0 * t.minute + 0.1 * t.second, 20, 50);
    placeHand(Line3, HariHlength, 30.0 * t.hour + 0.5 * t.minute, 30, 60);
}

void Form1::placeHand(form::ControlArray<form::Line> &hand, const Value &length, double degrees,
                      double k1, double k2)
{
    attempt([&] {
        const double p = length.toDouble() / 100;
        const double cx = TokeiX.toDouble();
        const double cy = TokeiY.toDouble();
        const double rx = TokeiHaba.toDouble() / 2;
        const double ry = TokeiTakasa.toDouble() / 2;
        const double a = degrees * pi / 180;
        const double x2 = cx + p * rx * std::sin(a);
        const double y2 = cy - p * ry * std::cos(a);
        form::Line &line = hand[1];
        line.X1 = float(cx);
        line.Y1 = float(cy);
        line.X2 = float(x2);
        line.Y2 = float(y2);
        form::Line &shadow = hand[0];
        shadow.X1 = float(cx + k1);
        shadow.Y1 = float(cy + k1);
        shadow.X2 = float(x2 + k2);
        shadow.Y2 = float(y2 + k2);
    });
}

void Form1::endUnattendedRing(bool wasBlinking, const form::LocalTime &t)
{
    bool alarmMinute = false;
    attempt([&] { alarmMinute = AlarmH.equals(t.hour) && AlarmM.equals(t.minute); });
    if (!alarmMinute)
        ringNotified_ = false;
    // Blinking with the alarm still armed means nobody pressed 閉じる. The
    // minute may also end in the next hour (an alarm at 7:59), where the
    // tick's own check does not look.
    if (!wasBlinking || !equalsOrFails(mouyoi, 0) || alarmMinute)
        return;
    Timer2.Interval = 0;
    Visible = true;
    dialog_.Text3.Top = Form2::kAlarmModeTop;
    dialog_.Show();
}

void Form1::notifyRing()
{
    if (ringNotified_)
        return;
    ringNotified_ = true;
    std::string text;
    attempt([&] {
        char time[32];
        std::snprintf(time, sizeof time, "%d:%02d", int(AlarmH.toInt32()), int(AlarmM.toInt32()));
        text = time;
    });
    const std::string &memo = dialog_.Text3.Text;
    const std::string firstLine = memo.substr(0, memo.find_first_of("\r\n"));
    if (!firstLine.empty())
        text += (text.empty() ? "" : "\n") + firstLine;
    services_.showNotification(*this, kAlarmNotice, text);
}

void Form1::Timer2_Timer()
{
    if (dialog_.Visible) {
        dialog_.Hide();
    } else {
        dialog_.Show();
        services_.beep(form::BeepSound::Alarm);
    }
}

void Form1::Picture1_MouseDown(int Button, int, float, float)
{
    if (Button == form::RightButton) {
        dialog_.Text3.Left = 30;
        dialog_.Text3.Top = Form2::kMemoModeTop;
        dialog_.Show();
        return;
    }
    // The window follows the mouse as if its title bar had been grabbed.
    services_.beginWindowDrag(*this);
}

void Form1::Form_MouseDown(int Button, int, float X, float)
{
    if ((Button & form::MiddleButton) == 0)
        return;
    const long long perPixel = (long long)roundHalfEven(services_.twipsPerPixelX());
    if (perPixel == 0)
        return;
    const long long n = (long long)roundHalfEven(X) / perPixel;
    switch (n) {
    case form::IconLeftDown:
        services_.beep();
        break;
    case form::IconLeftDoubleClick:
        if (Visible) {
            Hide();
        } else {
            Show();
            SetFocus();
        }
        break;
    case form::IconRightDown:
        saveAndEnd();
        break;
    default:
        break;
    }
}

Form1::SavedState Form1::currentState() const
{
    return {Left, Top, dialog_.Text3.Text, dialog_.Text1.Text, dialog_.Text2.Text, dialog_.Text4.Text,
            dialog_.Text5.Text};
}

bool Form1::writeState(const SavedState &state)
{
    bool ok = false;
    attempt([&] {
        ok = writeClockStateFile(services_.programFolder() / kStateFileName, state.left, state.top, state.memo,
                                 state.hour, state.minute, state.month, state.day);
    });
    // A failed write is not tried again until something changes or the
    // clock ends: a folder that takes no file would be tried every second.
    written_ = state;
    writeFailed_ = !ok;
    return ok;
}

void Form1::noteStateChange()
{
    changeNoted_ = true;
}

bool Form1::saveStateIfChanged()
{
    const SavedState now = currentState();
    if (written_ && *written_ == now && !writeFailed_)
        return true;
    return writeState(now);
}

void Form1::saveSettledState()
{
    const std::pair<float, float> position{Left, Top};
    const bool settled = positionAtLastTick_ == position;
    positionAtLastTick_ = position;
    // Only a noted change or a settled move is worth a look at the texts:
    // a memo may be megabytes, and the tick must not copy it every second.
    const bool moved = !written_ || written_->left != Left || written_->top != Top;
    if (!changeNoted_ && !(moved && settled))
        return;
    changeNoted_ = false;
    const SavedState now = currentState();
    if (written_ && *written_ == now)
        return;
    writeState(now);
}

void Form1::saveAndEnd()
{
    Akifilenumber = 1;
    // A folder that cannot be written loses the state; the clock ends anyway.
    writeState(currentState());
    if (iconAdded_) {
        services_.deleteNotifyIcon(*this, nid_);
        iconAdded_ = false;
    }
    services_.endProgram();
}

void Form1::Form_Click()
{
    dialog_.Show();
}

void Form1::Form_Unload()
{
    // Closed by the system (the session ends, the window manager closes
    // it): what the user typed and where the clock stood are kept.
    saveStateIfChanged();
    if (iconAdded_) {
        services_.deleteNotifyIcon(*this, nid_);
        iconAdded_ = false;
    }
}

void Form1::Form_QueryUnload(bool &cancel)
{
    // With an icon the window is closed only by the system; without one, its
    // taskbar entry is the user's way to end the clock with its state saved.
    if (!iconAdded_ && ShowInTaskbar) {
        cancel = true;
        saveAndEnd();
    }
}

} // namespace orbelle::clock
