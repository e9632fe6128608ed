// SPDX-License-Identifier: MIT
// Units, colours, texts and fonts as the binding turns them into Qt's, and
// the beep that must never hold up its caller.

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFontInfo>

#include "Conversions.h"
#include "QtBinding.h"
#include "TestSupport.h"

namespace orbelle::formqt::testing {
namespace {

TEST(ConversionsTest, ColourNumbersHoldRedInTheLowestByte)
{
    const struct {
        int colour;
        QColor expected;
    } rows[] = {
        {255, QColor(255, 0, 0)},          {65280, QColor(0, 255, 0)},
        {16711935, QColor(255, 0, 255)},   {16744703, QColor(255, 128, 255)},
        {12648447, QColor(255, 255, 192)}, {0x404040, QColor(64, 64, 64)},
    };
    for (const auto &row : rows)
        EXPECT_EQ(toQColor(row.colour), row.expected) << row.colour;
}

TEST(ConversionsTest, TextsTooLongToLayOutAreShownAsTheirBeginningWithANotice)
{
    const std::string shortLines = [] {
        std::string s;
        while (s.size() + 12 <= (1u << 20))
            s += "メモの行\r\n"; // 12 bytes
        return s;
    }();
    const struct {
        std::string text;
        bool whole;
    } rows[] = {
        {"", true},
        {"ここに\r\nメモ", true},
        {shortLines, true},                                      // a mebibyte of short lines
        {shortLines + std::string(20, 'x'), false},              // a little more than that
        {std::string(16 * 1024, 'a'), true},                     // the longest line shown as it is
        {std::string(16 * 1024 + 1, 'a'), false},
        {"a\r\n" + std::string(16 * 1024, 'b') + "\r\nc", true},
        {"a\r\n" + std::string(40000, 'b') + "\r\nc", false},
        {std::string(10 << 20, 'z'), false},                     // ten megabytes on one line
    };
    for (const auto &row : rows) {
        const auto preview = previewOfLongText(row.text);
        EXPECT_EQ(!preview, row.whole) << row.text.size() << " bytes";
        if (!preview)
            continue;
        EXPECT_TRUE(preview->endsWith(QStringLiteral("全文はそのまま保たれます。）")));
        EXPECT_LE(preview->size(), 220 * 1024);
        const QStringList lines = preview->split(QLatin1Char('\n'));
        EXPECT_LE(lines.size(), 103);
        for (const QString &line : lines)
            EXPECT_LE(line.size(), 2 * 1024 + 1);
        // It starts as the text starts.
        const QString begin = toEditorText(row.text.substr(0, 1000));
        EXPECT_TRUE(preview->startsWith(lines[0])) << row.text.size();
        EXPECT_TRUE(begin.startsWith(lines[0].left(lines[0].endsWith(QStringLiteral("…")) ? lines[0].size() - 1
                                                                                           : lines[0].size())
                                         .left(1000)));
    }
    // A character cut in two where the beginning ends is left out.
    std::string wide;
    while (wide.size() < (1u << 20) + 10)
        wide += "あ";
    const auto preview = previewOfLongText(wide);
    ASSERT_TRUE(preview);
    EXPECT_FALSE(preview->contains(QChar::ReplacementCharacter));
}

TEST(ConversionsTest, EditorTextUsesLfWhereFormsKeepCrLf)
{
    const struct {
        const char *form;
        const char *editor;
    } rows[] = {
        {"", ""},
        {"ここに\r\nメモ\r\n", "ここに\nメモ\n"},
        {"a\r\n\r\nb", "a\n\nb"},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(toEditorText(row.form), QString::fromUtf8(row.editor)) << row.form;
        EXPECT_EQ(fromEditorText(QString::fromUtf8(row.editor)), row.form) << row.form;
    }
    // A lone CR from an old file still breaks the line in the editor.
    EXPECT_EQ(toEditorText("a\rb"), QStringLiteral("a\nb"));
}

TEST(ConversionsTest, DesignGothicNamesFindTheInstalledGothicFaces)
{
    const struct {
        const char *designName;
        const char *installed;
    } rows[] = {
        {"ＭＳ Ｐゴシック", "IPAPGothic"},
        {"ＭＳ ゴシック", "IPAGothic"},
    };
    const QStringList families = QFontDatabase::families();
    if (!families.contains(QStringLiteral("IPAPGothic")))
        GTEST_SKIP() << "IPAPGothic is not installed (package fonts-ipafont-gothic)";
    for (const auto &row : rows) {
        if (!families.contains(QString::fromUtf8(row.installed)))
            continue;
        form::Font font;
        font.Name = row.designName;
        EXPECT_EQ(QFontInfo(toQFont(font)).family(), QString::fromUtf8(row.installed)) << row.designName;
    }
}

TEST(ConversionsTest, FontKeepsSizeAndWeight)
{
    form::Font font;
    font.Size = 20.25;
    font.Bold = true;
    const QFont f = toQFont(font);
    EXPECT_DOUBLE_EQ(f.pointSizeF(), 20.25);
    EXPECT_TRUE(f.bold());
    font.Size = 0;
    EXPECT_DOUBLE_EQ(toQFont(font).pointSizeF(), 9) << "a font of no size falls back to the default";
}

TEST(SystemBeepTest, BeepsReturnAtOnce)
{
    QtBinding binding;
    QElapsedTimer elapsed;
    elapsed.start();
    for (int i = 0; i < 3; ++i)
        binding.beep();
    // Three beeps are spaced apart on their own thread; the caller does not wait.
    EXPECT_LT(elapsed.elapsed(), 150);
    pump(50);
}

} // namespace
} // namespace orbelle::formqt::testing
