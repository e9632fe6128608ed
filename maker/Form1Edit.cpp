// SPDX-License-Identifier: MIT
#include "Form1.h"

namespace orbelle::maker {

namespace {

constexpr const char *kUndoCaption = "元に戻す";
constexpr const char *kRedoCaption = "やり直し";
constexpr const char *kAboutTitle = "バージョン情報";

// The name of the step a drag makes, by the drag code it had.
const char *dragStepName(const Value &code)
{
    if (sameNumber(code, Form1::kDragFrame))
        return "枠の移動";
    if (sameNumber(code, Form1::kDragHandsArea))
        return "手の範囲の移動";
    if (sameNumber(code, Form1::kDragHandsGrip))
        return "手の範囲の大きさ";
    if (sameNumber(code, Form1::kDragGripBottomLeft) || sameNumber(code, Form1::kDragGripBottomRight) ||
        sameNumber(code, Form1::kDragGripTopRight))
        return "枠の大きさ";
    return "枠の移動";
}

// Counts an action as running inside the others for as long as it lives.
struct Nested {
    int &depth;
    explicit Nested(int &d) : depth(d) { ++depth; }
    ~Nested() { --depth; }
    Nested(const Nested &) = delete;
    Nested &operator=(const Nested &) = delete;
};

bool sameCode(const Value &a, const Value &b)
{
    try {
        return a.toDouble() == b.toDouble();
    } catch (const ConversionError &) {
        return a == b;
    }
}

} // namespace

void Form1::layOutMenu()
{
    MenuBar1.Height = 0; // the binding gives it the height of a menu bar
    add(MenuBar1);
    form::MenuItem &file = MenuBar1.addMenu("mnuFile", "ファイル(&F)");
    file.add("mnuFileLoad", "設定ファイル読込...", "Ctrl+O").Click = [this] { Command8.Click(); };
    file.add("mnuFileSave", "設定ファイル保存...", "Ctrl+S").Click = [this] { Command2.Click(); };
    file.add("mnuFilePicture", "画像ファイルの選択...").Click = [this] { Command1.Click(); };
    file.add("mnuFileScale", "画像を縮小...").Click = [this] { asStep("画像の縮小", [this] { ScalePicture_Click(); }); };
    file.add("mnuFileBar", "-");
    file.add("mnuFileExit", "終了", "Ctrl+Q").Click = [this] { Command3.Click(); };
    form::MenuItem &edit = MenuBar1.addMenu("mnuEdit", "編集(&E)");
    edit.add("mnuEditUndo", kUndoCaption, "Ctrl+Z").Click = [this] { mnuEditUndo_Click(); };
    edit.add("mnuEditRedo", kRedoCaption, "Ctrl+Y;Ctrl+Shift+Z").Click = [this] { mnuEditRedo_Click(); };
    form::MenuItem &help = MenuBar1.addMenu("mnuHelp", "ヘルプ(&H)");
    help.add("mnuHelpAbout", "バージョン情報").Click = [this] { mnuHelpAbout_Click(); };
}

void Form1::mnuHelpAbout_Click()
{
    services_.showMessage(*this, kAboutTitle,
                          std::string(kProgramName) + "\nバージョン " + ORBELLE_VERSION + "\n\nMIT License");
}

// ---- Steps.

void Form1::asStep(const char *label, const std::function<void()> &action, const char *mergeKey)
{
    {
        Nested inside(stepDepth_);
        action();
    }
    if (stepDepth_ == 0)
        commit(label, mergeKey);
}

void Form1::asDragEvent(const std::function<void()> &handler)
{
    const Value before = flag;
    const Value mode = Tflag;
    const bool press = sameNumber(before, kDragNone);
    {
        Nested inside(stepDepth_);
        handler();
    }
    if (stepDepth_ != 0)
        return;
    // A press in a vertex mode makes or moves a vertex at once; any other
    // drag is one step when it ends, however it ends.
    if (press && sameNumber(flag, kDragFrame) && sameNumber(mode, kModeCreate))
        commit("頂点の作成");
    else if (press && sameNumber(flag, kDragFrame) && sameNumber(mode, kModeCorrect))
        commit("頂点の修正");
    else if (!sameNumber(before, kDragNone) && !sameCode(before, flag))
        commit(dragStepName(before));
    else if (sameNumber(flag, kDragNone))
        commit("選択");
}

void Form1::commit(const std::string &label, const std::string &mergeKey)
{
    if (restoring_)
        return;
    DesignSnapshot now = DesignSnapshot::of(*this);
    if (now.designText() != history_.current().designText())
        history_.record(label, std::move(now), mergeKey);
    else
        history_.replaceCurrent(std::move(now));
    updateEditMenu();
}

void Form1::restore(const DesignSnapshot &state)
{
    restoring_ = true;
    state.restoreInto(*this, services_);
    restoring_ = false;
    // Whatever was being dragged is let go: the state shown is not the one
    // the drag started from.
    flag = kDragNone;
    // A picture put back may be of another size than the one shown.
    fitScrollBars();
    showSizes();
    updateEditMenu();
}

void Form1::mnuEditUndo_Click()
{
    if (history_.canUndo())
        restore(history_.undo());
}

void Form1::mnuEditRedo_Click()
{
    if (history_.canRedo())
        restore(history_.redo());
}

void Form1::updateEditMenu()
{
    form::MenuItem *undo = MenuBar1.find("mnuEditUndo");
    form::MenuItem *redo = MenuBar1.find("mnuEditRedo");
    if (!undo || !redo)
        return;
    undo->Enabled = history_.canUndo();
    undo->Caption = undo->Enabled ? std::string(kUndoCaption) + ": " + history_.undoLabel() : kUndoCaption;
    undo->StatusTip = undo->Caption;
    redo->Enabled = history_.canRedo();
    redo->Caption = redo->Enabled ? std::string(kRedoCaption) + ": " + history_.redoLabel() : kRedoCaption;
    redo->StatusTip = redo->Caption;
}

// ---- Keys.

void Form1::Form_KeyDown(int &KeyCode, int Shift)
{
    if (KeyCode == form::KeyEscape && (sameNumber(Tflag, kModeCreate) || sameNumber(Tflag, kModeCorrect))) {
        Command14.Click();
        KeyCode = 0;
        return;
    }
    // Arrows alone or with Shift; other modifiers belong to the controls.
    if ((Shift & ~form::ShiftKey) != 0)
        return;
    const float step = (Shift & form::ShiftKey) ? kLongNudge : kNudge;
    float dx = 0, dy = 0;
    switch (KeyCode) {
    case form::KeyLeftArrow: dx = -step; break;
    case form::KeyRightArrow: dx = step; break;
    case form::KeyUpArrow: dy = -step; break;
    case form::KeyDownArrow: dy = step; break;
    default: return;
    }
    bool done = false;
    asStep(selection == Selection::Frame ? "枠の移動" : "手の範囲の移動", [&] { done = nudgeSelection(dx, dy); });
    if (!done)
        return;
    KeyCode = 0;
}

} // namespace orbelle::maker
