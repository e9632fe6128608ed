// SPDX-License-Identifier: MIT
// Undo and redo in the editor's model: every kind of step, driven through
// the controls' events as the window delivers them, taken back and made
// again, with the saved file as the judge; the step names the edit menu
// shows; the limit on steps; the keyboard's moves and Escape; the menus.

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeServices.h"
#include "Form1.h"

namespace {

namespace fs = std::filesystem;
namespace form = orbelle::form;
using orbelle::Value;
using orbelle::maker::Form1;
using orbelle::testing::FakeServices;
using orbelle::testing::ScratchFolder;

std::string readBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Scaling answers with `scaleAnswer` and writes a copy that loads as a
// picture of the size asked.
struct UndoServices : FakeServices {
    std::optional<int> scaleAnswer;
    std::optional<int> askScaledSize(int, int, int) override { return scaleAnswer; }
    bool writeScaledPicture(const std::string &, const std::string &target, int width, int height) override
    {
        registeredPictures[target] = {width, height};
        return true;
    }
};

class Undo : public ::testing::Test {
public:
    Undo()
    {
        fake.folder = folder.path();
        fake.registeredPictures["/pictures/face.png"] = {400, 300};
        editor.Load();
    }

    // What a save through "設定ファイル保存" writes now.
    std::string save()
    {
        const fs::path file = folder / ("save" + std::to_string(++saves) + ".ini");
        fake.saveAnswers.push_back(file.string());
        editor.Command2.Click();
        return readBytes(file);
    }

    // The pointer at canvas point (x, y) over `target`, as the canvas reports it.
    void press(form::Control &target, std::function<void(int, int, float, float)> &event, float x, float y)
    {
        event(form::LeftButton, 0, x - target.Left, y - target.Top);
    }
    template <class C>
    void drag(C &target, float x, float y, float dx, float dy)
    {
        press(target, target.MouseDown, x, y);
        press(target, target.MouseMove, x + dx, y + dy);
        press(target, target.MouseUp, x + dx, y + dy);
    }
    template <class C>
    void click(C &target, float x, float y)
    {
        press(target, target.MouseDown, x, y);
        press(target, target.MouseUp, x, y);
    }
    void key(int code, int shift = 0) { editor.KeyDown(code, shift); }
    void polygon()
    {
        editor.Option3.setValue(true);
        editor.Command13.Click();
        click(editor.Image1, 300, 2550);
        click(editor.Image1, 2300, 2550);
        click(editor.Image1, 1300, 2580);
    }
    void loadDesign()
    {
        const fs::path file = folder / "other.ini";
        std::ofstream(file, std::ios::binary)
            << "2060,2060\r\n\r\n-150,-300\r\n#FALSE#,#TRUE#,#FALSE#\r\n1000,1100,1500,1600\r\n"
               "0,1,0,1\r\n255,65280,16711680,0\r\n\"80\",\"60\",\"40\"\r\n\r\n134,206\r\n1950,3015\r\n";
        fake.openAnswers.push_back(file.string());
        editor.Command8.Click();
    }

    form::MenuItem &item(const char *name) { return editor.MenuBar1[name]; }

    ScratchFolder folder;
    UndoServices fake;
    Form1 editor{fake};
    int saves = 0;
};

TEST_F(Undo, EveryKindOfStepUndoesToTheStartAndRedoesToTheEnd)
{
    const struct {
        const char *what;
        std::function<void(Undo &)> act;
        std::vector<std::string> steps; // as the undo caption names them, first to last
    } cases[] = {
        {"frame drag", [](Undo &t) { t.drag(t.editor.Image1, 1300, 2550, 150, -30); }, {"枠の移動"}},
        {"frame grip", [](Undo &t) {
             t.click(t.editor.Image1, 1300, 2550);
             t.drag(t.editor.Label5, 2600, 2600, 300, 150);
         }, {"枠の大きさ"}},
        {"frame grip to its floor", [](Undo &t) {
             t.click(t.editor.Image1, 1300, 2550);
             t.drag(t.editor.Label6, 0, 2600, 2400, 0);
         }, {"枠の大きさ"}},
        {"hands area drag", [](Undo &t) { t.drag(t.editor.Image2, 1000, 1000, 300, -150); }, {"手の範囲の移動"}},
        {"hands-area grip", [](Undo &t) { t.drag(t.editor.Label1, 2490, 2430, -600, 90); }, {"手の範囲の大きさ"}},
        {"base shape", [](Undo &t) { t.editor.Option2.setValue(true); }, {"ベースの形"}},
        {"vertices", [](Undo &t) { t.polygon(); },
         {"ベースの形", "頂点の作成", "頂点の作成", "頂点の作成"}},
        {"vertex correction and deletion", [](Undo &t) {
             t.polygon();
             t.editor.Command15.Click();
             t.click(t.editor.Image1, 1500, 2400);
             t.editor.Command16.Click();
         }, {"ベースの形", "頂点の作成", "頂点の作成", "頂点の作成", "頂点の修正", "頂点の消去"}},
        {"colours", [](Undo &t) {
             t.fake.colourAnswers = {123456, std::nullopt, 42};
             t.editor.Command4.Click();
             t.editor.Command6.Click(); // cancelled: no step
             t.editor.Command7.Click();
         }, {"色の変更", "色の変更"}},
        {"lengths stepped and typed", [](Undo &t) {
             t.editor.UpDown3.stepUp();
             t.editor.Text2.Text = "8";
             t.editor.Text2.Change();
             t.editor.Text2.Text = "85";
             t.editor.Text2.Change();
         }, {"長さの変更", "長さの変更"}},
        {"shown ticks", [](Undo &t) {
             t.editor.Check2.setValue(0);
             t.editor.Check1.setValue(0);
         }, {"表示の切り替え", "表示の切り替え"}},
        {"picture", [](Undo &t) {
             t.fake.openAnswers.push_back("/pictures/face.png");
             t.editor.Command1.Click();
         }, {"画像の選択"}},
        {"loaded design", [](Undo &t) { t.loadDesign(); }, {"設定ファイル読込"}},
        {"scaled picture", [](Undo &t) {
             t.fake.openAnswers.push_back("/pictures/face.png");
             t.editor.Command1.Click();
             t.fake.scaleAnswer = 200;
             t.editor.MenuBar1["mnuFileScale"].Click();
         }, {"画像の選択", "画像の縮小"}},
        {"dropped picture and design", [](Undo &t) {
             t.editor.OLEDragDrop({"/pictures/face.png"});
             const fs::path file = t.folder / "dropped.ini";
             fs::copy_file(t.folder / "save1.ini", file, fs::copy_options::overwrite_existing);
             t.editor.Option2.setValue(true);
             t.editor.OLEDragDrop({file.string()});
         }, {"画像の選択", "ベースの形", "設定ファイル読込"}},
        {"arrow keys", [](Undo &t) {
             t.click(t.editor.Image1, 1300, 2550);
             t.key(form::KeyRightArrow);
             t.key(form::KeyDownArrow, form::ShiftKey);
             t.click(t.editor.Image2, 1000, 1000);
             t.key(form::KeyLeftArrow);
         }, {"枠の移動", "枠の移動", "手の範囲の移動"}},
        {"nothing that changes the design", [](Undo &t) {
             t.click(t.editor.Image1, 1300, 2550);
             t.editor.Picture1.Click();
             t.editor.Option3.setValue(true);
             t.editor.Command13.Click();
             t.editor.Command14.Click();
             t.key(form::KeyRightArrow); // nothing selected
         }, {"ベースの形"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Undo &t = *this;
        while (editor.history().canUndo())
            editor.mnuEditUndo_Click();
        const std::string start = save();
        // Nothing but the steps of this case can be undone from here.
        const size_t before = editor.history().undoSteps();

        c.act(t);
        const std::string edited = save();
        ASSERT_EQ(editor.history().undoSteps() - before, c.steps.size());
        EXPECT_FALSE(editor.history().canRedo());
        EXPECT_NE(edited, start);

        for (size_t i = c.steps.size(); i-- > 0;) {
            EXPECT_EQ(item("mnuEditUndo").Caption, "元に戻す: " + c.steps[i]);
            editor.mnuEditUndo_Click();
            EXPECT_EQ(item("mnuEditRedo").Caption, "やり直し: " + c.steps[i]);
        }
        EXPECT_EQ(save(), start);
        while (editor.history().canRedo())
            editor.mnuEditRedo_Click();
        EXPECT_EQ(save(), edited);
    }
}

TEST_F(Undo, UndoPutsBackTheEditorStateAndTheCanvasNotOnlyTheFile)
{
    drag(editor.Image1, 1300, 2550, 150, -30);
    drag(editor.Image2, 1000, 1000, 300, -150);
    ASSERT_EQ(editor.SetX.toDouble(), 150);
    editor.mnuEditUndo_Click();
    editor.mnuEditUndo_Click();
    EXPECT_TRUE(editor.SetX.isEmpty());
    EXPECT_TRUE(editor.SetY.isEmpty());
    EXPECT_TRUE(editor.SetTX.isEmpty());
    EXPECT_EQ(editor.Image1.Left, 0);
    EXPECT_EQ(editor.Image2.Left, 90);
    // The preview hands and centre lines are back where they started.
    EXPECT_EQ(editor.Line3.X1, 1290);
    EXPECT_EQ(editor.Line1.X1, 1320);
    EXPECT_EQ(editor.Line1.Y2, 2505);
    EXPECT_FALSE(item("mnuEditUndo").Enabled);
    EXPECT_EQ(item("mnuEditUndo").Caption, "元に戻す");
    EXPECT_TRUE(item("mnuEditRedo").Enabled);
}

TEST_F(Undo, UndoingVerticesRemovesAndRedoingRemakesTheirElements)
{
    polygon();
    ASSERT_EQ(editor.Line17.count(), 4);
    editor.mnuEditUndo_Click();
    editor.mnuEditUndo_Click();
    EXPECT_EQ(editor.Line17.count(), 2);
    EXPECT_EQ(editor.Label17.count(), 2);
    EXPECT_EQ(editor.idx.toDouble(), 1);
    editor.mnuEditRedo_Click();
    editor.mnuEditRedo_Click();
    EXPECT_EQ(editor.Line17.count(), 4);
    EXPECT_EQ(editor.Line17[1].X2, 1300);
    EXPECT_EQ(editor.Line17[1].Y2, 2580);
    EXPECT_TRUE(editor.Label17[3].Visible);
    EXPECT_EQ(editor.Caption, Form1::kTitleCreate);
}

TEST_F(Undo, ANewStepAfterUndoingClearsTheRedoSteps)
{
    editor.Check2.setValue(0);
    editor.Check3.setValue(0);
    editor.mnuEditUndo_Click();
    ASSERT_TRUE(item("mnuEditRedo").Enabled);
    // A selection is no step: the redo stays.
    click(editor.Image1, 1300, 2550);
    EXPECT_TRUE(editor.history().canRedo());
    editor.Check4.setValue(0);
    EXPECT_FALSE(editor.history().canRedo());
    EXPECT_FALSE(item("mnuEditRedo").Enabled);
    EXPECT_EQ(item("mnuEditRedo").Caption, "やり直し");
    editor.mnuEditRedo_Click(); // nothing to redo: nothing changes
    EXPECT_EQ(editor.Check3.Value, 1);
    EXPECT_EQ(editor.Check4.Value, 0);
}

TEST_F(Undo, LettersTypedInARowAreOneStepUntilSomethingElseHappens)
{
    const auto type = [&](form::TextBox &box, const char *text) {
        box.Text = text;
        box.Change();
    };
    type(editor.Text1, "1");
    type(editor.Text1, "12");
    type(editor.Text1, "120");
    EXPECT_EQ(editor.history().undoSteps(), 1u);
    type(editor.Text2, "5");
    EXPECT_EQ(editor.history().undoSteps(), 2u);
    editor.Check1.setValue(0);
    editor.mnuEditUndo_Click();
    // Back on the typing step: new letters make a step of their own.
    type(editor.Text2, "55");
    EXPECT_EQ(editor.history().undoSteps(), 3u);
    editor.mnuEditUndo_Click();
    EXPECT_EQ(editor.Text2.Text, "5");
    editor.mnuEditUndo_Click();
    editor.mnuEditUndo_Click();
    EXPECT_EQ(editor.Text1.Text, "100");
}

TEST_F(Undo, AChosenPictureIsReadAgainOnlyWhenNobodyHoldsIt)
{
    fake.openAnswers.push_back("/pictures/face.png");
    editor.Command1.Click();
    ASSERT_TRUE(editor.Picture1.CurrentPicture);
    editor.mnuEditUndo_Click();
    EXPECT_FALSE(editor.Picture1.CurrentPicture);
    EXPECT_EQ(editor.StatusBar1.PanelText, Form1::kStatusHint);
    EXPECT_TRUE(editor.ImageFileName.isEmpty());
    const size_t requests = fake.pictureRequests.size();
    // The history holds no picture: redo reads it from its file again.
    editor.mnuEditRedo_Click();
    ASSERT_TRUE(editor.Picture1.CurrentPicture);
    EXPECT_EQ(editor.Picture1.CurrentPicture->path(), "/pictures/face.png");
    EXPECT_EQ(fake.pictureRequests.size(), requests + 1);
    EXPECT_EQ(editor.ImageFileName.toText(), "/pictures/face.png");
    // While the canvas shows it, an undo of another step reuses it.
    editor.Check1.setValue(0);
    editor.mnuEditUndo_Click();
    EXPECT_EQ(fake.pictureRequests.size(), requests + 1);
}

TEST_F(Undo, TheHistoryKeepsTheLastHundredSteps)
{
    click(editor.Image1, 1300, 2550);
    for (int i = 0; i < 105; ++i)
        key(form::KeyRightArrow);
    EXPECT_EQ(editor.Image1.Left, 105 * 15);
    EXPECT_EQ(editor.history().undoSteps(), 100u);
    while (editor.history().canUndo())
        editor.mnuEditUndo_Click();
    EXPECT_EQ(editor.Image1.Left, 5 * 15);
}

TEST_F(Undo, ArrowKeysMoveTheSelectionAsADragWould)
{
    const struct {
        const char *what;
        int key, shift;
        float dx, dy;
    } cases[] = {
        {"right", form::KeyRightArrow, 0, 15, 0},       {"left", form::KeyLeftArrow, 0, -15, 0},
        {"up", form::KeyUpArrow, 0, 0, -15},            {"down", form::KeyDownArrow, 0, 0, 15},
        {"Shift+right", form::KeyRightArrow, form::ShiftKey, 150, 0},
        {"Shift+up", form::KeyUpArrow, form::ShiftKey, 0, -150},
        {"Ctrl+right: not ours", form::KeyRightArrow, form::CtrlKey, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        click(editor.Image1, editor.Image1.Left + 1300, editor.Image1.Top + 2550);
        const float left = editor.Image1.Left, top = editor.Image1.Top;
        int code = c.key;
        editor.KeyDown(code, c.shift);
        EXPECT_EQ(code == 0, c.dx != 0 || c.dy != 0);
        EXPECT_EQ(editor.Image1.Left, left + c.dx);
        EXPECT_EQ(editor.Image1.Top, top + c.dy);
        EXPECT_EQ(editor.SetX.toDouble(), editor.Image1.Left);
        EXPECT_EQ(editor.Label5.Left, editor.Image1.Left + 2600 - 90);

        click(editor.Image2, editor.Image2.Left + 100, editor.Image2.Top + 100);
        const float handsLeft = editor.Image2.Left, handsTop = editor.Image2.Top;
        code = c.key;
        editor.KeyDown(code, c.shift);
        EXPECT_EQ(editor.Image2.Left, handsLeft + c.dx);
        EXPECT_EQ(editor.SetTY.toDouble(), editor.Image2.Top);
        EXPECT_EQ(editor.Image2.Top, handsTop + c.dy);
        // The pivot of the preview hands and the centre lines follow.
        EXPECT_EQ(editor.Line3.X1, editor.Image2.Left + editor.Image2.Width / 2);
        EXPECT_EQ(editor.Line2.Y1, editor.Image2.Top + editor.Shape2.Height / 2);
    }
    // Deselected: the keys belong to the controls again.
    editor.Picture1.Click();
    int code = form::KeyRightArrow;
    editor.KeyDown(code, 0);
    EXPECT_EQ(code, form::KeyRightArrow);
}

TEST_F(Undo, EscapeEndsAVertexModeAsTheNormalModeButtonDoes)
{
    for (form::CommandButton *mode : {&editor.Command13, &editor.Command15}) {
        editor.Option3.setValue(true);
        mode->Click();
        int code = form::KeyEscape;
        editor.KeyDown(code, 0);
        EXPECT_EQ(code, 0);
        EXPECT_EQ(editor.Caption, Form1::kTitleNormal);
        EXPECT_TRUE(editor.Tflag.equals(Form1::kModeNormal));
        EXPECT_TRUE(editor.Image2.Visible);
    }
    // In the normal mode Escape is left to the controls.
    int code = form::KeyEscape;
    editor.KeyDown(code, 0);
    EXPECT_EQ(code, form::KeyEscape);
}

TEST_F(Undo, TheMenusRunTheButtonsHandlersAndNameTheProgram)
{
    const struct {
        const char *name, *caption, *shortcut;
    } items[] = {
        {"mnuFile", "ファイル(&F)", ""},
        {"mnuFileLoad", "設定ファイル読込...", "Ctrl+O"},
        {"mnuFileSave", "設定ファイル保存...", "Ctrl+S"},
        {"mnuFilePicture", "画像ファイルの選択...", ""},
        {"mnuFileScale", "画像を縮小...", ""},
        {"mnuFileExit", "終了", "Ctrl+Q"},
        {"mnuEdit", "編集(&E)", ""},
        {"mnuEditUndo", "元に戻す", "Ctrl+Z"},
        {"mnuEditRedo", "やり直し", "Ctrl+Y;Ctrl+Shift+Z"},
        {"mnuHelp", "ヘルプ(&H)", ""},
        {"mnuHelpAbout", "バージョン情報", ""},
    };
    for (const auto &i : items) {
        SCOPED_TRACE(i.name);
        EXPECT_EQ(item(i.name).Caption, i.caption);
        EXPECT_EQ(item(i.name).Shortcut, i.shortcut);
    }
    fake.openAnswers.push_back("/pictures/face.png");
    item("mnuFilePicture").Click();
    EXPECT_EQ(editor.ImageFileName.toText(), "/pictures/face.png");
    EXPECT_EQ(item("mnuEditUndo").Caption, "元に戻す: 画像の選択");
    item("mnuEditUndo").Click();
    EXPECT_TRUE(editor.ImageFileName.isEmpty());
    item("mnuEditRedo").Click();
    EXPECT_EQ(editor.ImageFileName.toText(), "/pictures/face.png");
    item("mnuFileExit").Click();
    EXPECT_EQ(fake.endCalls, 1);
    item("mnuHelpAbout").Click();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].first, "バージョン情報");
    EXPECT_NE(fake.messages[0].second.find("オルベルメーカー"), std::string::npos);
    EXPECT_NE(fake.messages[0].second.find("1.0"), std::string::npos);
    EXPECT_NE(fake.messages[0].second.find("MIT License"), std::string::npos);
}

} // namespace
