// SPDX-License-Identifier: MIT
// The menu bar piece and the window's keys: a bar added to a shown form
// takes its place above the client area, its items follow the model and
// their clicks and shortcuts reach the form; keys reach a form that
// previews them before its controls, and one that does not after them.

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Menu.h"
#include "SampleForm.h"

namespace orbelle::formqt::testing {
namespace {

class MenuAndKeys : public SampleWindowTest {
protected:
    QAction *actionNamed(const char *name) { return window->findChild<QAction *>(QString::fromLatin1(name)); }
    void activate()
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }

    form::MenuBar bar{"MenuBar1"};
    std::vector<std::string> heard;
};

TEST_F(MenuAndKeys, ABarAddedLaterLiesAboveTheClientAreaAndRunsItsItems)
{
    const QRect textBefore = placeOf(form.Text1);
    const int heightBefore = window->height();
    form::MenuItem &file = bar.addMenu("mnuFile", "ファイル(&F)");
    file.add("mnuOpen", "開く...", "Ctrl+K").Click = [&] { heard.push_back("open"); };
    file.add("mnuLast", "終了").Click = [&] { heard.push_back("last"); };
    form.add(bar);
    binding.syncAll();
    activate();

    auto *qbar = qobject_cast<QMenuBar *>(widgetOf(bar));
    ASSERT_NE(qbar, nullptr);
    const int barHeight = qbar->height();
    ASSERT_GT(barHeight, 0);
    EXPECT_EQ(window->height(), heightBefore + barHeight);
    // The controls keep their places in the client area, below the bar.
    EXPECT_EQ(placeOf(form.Text1), textBefore.translated(0, barHeight));
    EXPECT_EQ(widgetOf(form.Text1)->geometry(), textBefore);

    // An item put in between shows in its place; states follow the model.
    file.insertAfter("mnuOpen", "mnuMiddle", "中").Click = [&] { heard.push_back("middle"); };
    bar["mnuLast"].Enabled = false;
    bar["mnuOpen"].Checked = true;
    binding.syncAll();
    auto *menu = qbar->findChild<QMenu *>(QStringLiteral("mnuFile"));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 3);
    EXPECT_EQ(menu->actions()[1]->text(), QStringLiteral("中"));
    EXPECT_FALSE(actionNamed("mnuLast")->isEnabled());
    EXPECT_TRUE(actionNamed("mnuOpen")->isChecked());
    EXPECT_EQ(actionNamed("mnuOpen")->shortcut(), QKeySequence(QStringLiteral("Ctrl+K")));

    actionNamed("mnuMiddle")->trigger();
    actionNamed("mnuLast")->trigger(); // disabled: nothing
    QTest::keyClick(widgetOf(form.Command1), Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(heard, (std::vector<std::string>{"middle", "open"}));
}

TEST_F(MenuAndKeys, APreviewingFormHearsKeysFirstAndMayKeepThem)
{
    form.KeyPreview = true;
    form.KeyDown = [&](int &code, int shift) {
        heard.push_back(std::to_string(code) + "/" + std::to_string(shift));
        if (code == 'X')
            code = 0; // kept from the text box
    };
    activate();
    auto *edit = qobject_cast<QLineEdit *>(widgetOf(form.Text1));
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->setText(QString());
    QTest::keyClick(edit, Qt::Key_A);
    QTest::keyClick(edit, Qt::Key_X, Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(edit->text(), QStringLiteral("a"));
    // Each key heard once, however far it climbed afterwards.
    EXPECT_EQ(heard, (std::vector<std::string>{"65/0", "88/1", "27/0"}));
}

TEST_F(MenuAndKeys, WithoutPreviewTheFormHearsOnlyWhatNoControlTook)
{
    form.KeyDown = [&](int &code, int shift) { heard.push_back(std::to_string(code) + "/" + std::to_string(shift)); };
    activate();
    auto *edit = qobject_cast<QLineEdit *>(widgetOf(form.Text1));
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_B);
    QTest::keyClick(edit, Qt::Key_F5, Qt::ControlModifier);
    EXPECT_EQ(heard, (std::vector<std::string>{"116/2"}));
}

} // namespace
} // namespace orbelle::formqt::testing
