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
