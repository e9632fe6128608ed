// SPDX-License-Identifier: MIT
// The editor's menu bar and keys through the Qt binding: the bar above the
// client area, its items in the accessibility tree, shortcuts reaching the
// same handlers as the buttons, undo after a real drag, arrow keys on the
// canvas.

#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "FakeServices.h"
#include "Form1.h"
#include "FormWindow.h"
#include "QtBinding.h"

namespace {

using orbelle::maker::Form1;
namespace form = orbelle::form;
namespace formqt = orbelle::formqt;
namespace fs = std::filesystem;

// The real binding, with the save dialog answered by the test.
class AnsweringBinding : public formqt::QtBinding {
public:
    std::deque<std::string> saveAnswers;
    std::optional<std::string> showSaveDialog(const form::FileDialogRequest &) override
    {
        if (saveAnswers.empty())
            return std::nullopt;
        std::string answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }
};

std::string readBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class EditorMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        binding.addForm(editor);
        binding.load(editor);
        window = binding.windowOf(editor);
        ASSERT_NE(window, nullptr);
        canvas = window->widgetOf(editor.Picture1);
        bar = qobject_cast<QMenuBar *>(window->widgetOf(editor.MenuBar1));
        ASSERT_NE(canvas, nullptr);
        ASSERT_NE(bar, nullptr);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    void TearDown() override { binding.releaseWindows(); }

    // A point of the canvas in twips, in the canvas widget's pixels (inside
    // its 2-pixel border).
    QPoint pixelOf(int x, int y) { return {2 + x / 15, 2 + y / 15}; }
    void send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent event(type, QPointF(at), QPointF(canvas->mapToGlobal(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(canvas, &event);
    }
    void drag(QPoint from, QPoint to)
    {
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }

    orbelle::testing::ScratchFolder folder;
    AnsweringBinding binding;
    Form1 editor{binding};
    formqt::FormWindow *window = nullptr;
    QWidget *canvas = nullptr;
    QMenuBar *bar = nullptr;
};

// The frame's bottom strip, below the hands area that lies over the rest.
const QPoint kFrameStrip(2 + 1305 / 15, 2 + 2535 / 15);

TEST_F(EditorMenu, TheMenuBarLiesAboveTheClientAreaWhichKeepsItsPlaces)
{
    ASSERT_GT(bar->height(), 0);
    EXPECT_EQ(bar->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(window->width(), 565);
    EXPECT_EQ(window->height(), 458 + bar->height());
    // The canvas stands where it was designed, counted from the client area.
    EXPECT_EQ(canvas->geometry(), QRect(190, 3, 283, 378));
    EXPECT_EQ(canvas->mapTo(window, QPoint(0, 0)), QPoint(190, 3 + bar->height()));
}

TEST_F(EditorMenu, TheAccessibilityTreeShowsTheMenuBarAndItsItems)
{
    QAccessibleInterface *top = QAccessible::queryAccessibleInterface(window);
    ASSERT_NE(top, nullptr);
    QAccessibleInterface *menuBar = nullptr;
    for (int i = 0; i < top->childCount(); ++i)
        if (QAccessibleInterface *child = top->child(i); child && child->role() == QAccessible::MenuBar)
            menuBar = child;
    ASSERT_NE(menuBar, nullptr);
    QStringList menus;
    for (int i = 0; i < menuBar->childCount(); ++i)
        menus << menuBar->child(i)->text(QAccessible::Name);
    EXPECT_EQ(menus, (QStringList{"ファイル(F)", "編集(E)", "ヘルプ(H)"}));

    const struct {
        const char *menu;
        QStringList items;
    } expected[] = {
        {"mnuFile", {"設定ファイル読込...", "設定ファイル保存...", "画像ファイルの選択...", "画像を縮小...", "", "終了"}},
        {"mnuEdit", {"元に戻す", "やり直し"}},
        {"mnuHelp", {"バージョン情報"}},
    };
    for (const auto &e : expected) {
        SCOPED_TRACE(e.menu);
        auto *menu = bar->findChild<QMenu *>(QString::fromLatin1(e.menu));
        ASSERT_NE(menu, nullptr);
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(menu);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->role(), QAccessible::PopupMenu);
        QStringList names;
        for (int i = 0; i < list->childCount(); ++i)
            names << list->child(i)->text(QAccessible::Name);
        EXPECT_EQ(names, e.items);
    }
    // With nothing to undo, the two edit items are greyed.
    auto *edit = bar->findChild<QMenu *>(QStringLiteral("mnuEdit"));
    for (QAction *a : edit->actions())
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
}

TEST_F(EditorMenu, CtrlZAfterARealDragPutsTheFrameBackAndCtrlYMovesItAgain)
{
    drag(kFrameStrip, kFrameStrip + QPoint(10, 4));
    ASSERT_EQ(editor.Image1.Left, 150);
    ASSERT_EQ(editor.Image1.Top, 60);
    auto *undo = bar->findChild<QAction *>(QStringLiteral("mnuEditUndo"));
    ASSERT_NE(undo, nullptr);
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_EQ(undo->text(), QStringLiteral("元に戻す: 枠の移動"));

    QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor.Image1.Left, 0);
    EXPECT_EQ(editor.Image1.Top, 0);
    EXPECT_EQ(editor.Shape1.Left, 0);
    EXPECT_TRUE(editor.SetX.isEmpty());
    EXPECT_FALSE(undo->isEnabled());

    QTest::keyClick(canvas, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(editor.Image1.Left, 150);
    QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(editor.Image1.Left, 150);
}

TEST_F(EditorMenu, CtrlSWritesTheBytesTheSaveButtonWrites)
{
    drag(kFrameStrip, kFrameStrip + QPoint(3, 2));
    editor.Check3.setValue(0);
    binding.saveAnswers = {(folder / "button.ini").string(), (folder / "keys.ini").string()};
    QTest::mouseClick(window->widgetOf(editor.Command2), Qt::LeftButton);
    QTest::keyClick(canvas, Qt::Key_S, Qt::ControlModifier);
    const std::string byButton = readBytes(folder / "button.ini");
    ASSERT_FALSE(byButton.empty());
    EXPECT_EQ(readBytes(folder / "keys.ini"), byButton);
    EXPECT_TRUE(binding.saveAnswers.empty());
}

TEST_F(EditorMenu, ArrowKeysMoveTheSelectedFrameFifteenTwipsAPress)
{
    // Pressing the frame selects it and the canvas takes the focus.
    send(QEvent::MouseButtonPress, kFrameStrip, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, kFrameStrip, Qt::LeftButton, Qt::NoButton);
    canvas->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(editor.Label5.Visible);
    QTest::keyClick(canvas, Qt::Key_Right);
    QTest::keyClick(canvas, Qt::Key_Right);
    QTest::keyClick(canvas, Qt::Key_Down);
    EXPECT_EQ(editor.Image1.Left, 30);
    EXPECT_EQ(editor.Image1.Top, 15);
    QTest::keyClick(canvas, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(editor.Image1.Left, -120);
    EXPECT_EQ(editor.SetX.toDouble(), -120);
    // Each press was a step of its own.
    QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor.Image1.Left, 30);
    EXPECT_EQ(editor.Image1.Top, 15);
}

} // namespace
