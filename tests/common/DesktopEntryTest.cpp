// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "DesktopEntry.h"

using namespace orbelle;

TEST(DesktopEntryTest, QuotesExecArgumentsTheDesktopWouldSplitOrExpand)
{
    const std::pair<std::string, std::string> cases[] = {
        {"/usr/bin/OrbelleDo", "/usr/bin/OrbelleDo"},
        {"/home/a b/OrbelleDo", "\"/home/a b/OrbelleDo\""},
        {"/home/$HOME/x", "\"/home/\\$HOME/x\""},
        {"/tmp/say\"hi\"", "\"/tmp/say\\\"hi\\\"\""},
        {"/tmp/back`tick`", "\"/tmp/back\\`tick\\`\""},
        {"/tmp/a\\b", "\"/tmp/a\\\\b\""},
        {"/tmp/100%", "/tmp/100%%"},
        {"/tmp/it's", "\"/tmp/it's\""},
        {"/home/時計/OrbelleDo", "/home/時計/OrbelleDo"},
        {"", "\"\""},
    };
    for (const auto &[argument, quoted] : cases)
        EXPECT_EQ(quoteExecArgument(argument), quoted) << argument;
}

TEST(DesktopEntryTest, EscapesValuesSoTheyReadBackWhole)
{
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "plain"},
        {"two\nlines", "two\\nlines"},
        {"tab\there", "tab\\there"},
        {" leading", "\\sleading"},
        {"in between", "in between"},
        {"C:\\x", "C:\\\\x"},
        {"オルベル", "オルベル"},
    };
    for (const auto &[value, escaped] : cases)
        EXPECT_EQ(escapeDesktopValue(value), escaped) << value;
}

TEST(DesktopEntryTest, WritesTheEntryWithItsCommandFirst)
{
    EXPECT_EQ(desktopEntry({"/opt/my clock/OrbelleDo", "--x"}, {{"Name", "Orbelle"}, {"Name[ja]", "オルベル"}}),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Exec=\"/opt/my clock/OrbelleDo\" --x\n"
              "Name=Orbelle\n"
              "Name[ja]=オルベル\n");
    // A backslash in a quoted argument is escaped once for the argument and
    // once more for the value.
    EXPECT_EQ(desktopEntry({"/a\\b"}, {}), "[Desktop Entry]\nType=Application\nExec=\"/a\\\\\\\\b\"\n");
}

TEST(DesktopEntryTest, RefusesProgramPathsNoEntryCanStart)
{
    const std::pair<std::string, bool> cases[] = {
        {"/usr/bin/OrbelleDo", true},
        {"/home/a b/時計/OrbelleDo", true},
        {"/home/\xff\xfe/OrbelleDo", false},      // not UTF-8: the entry would name another path
        {"/home/\xe6\x99/OrbelleDo", false},      // a character cut short
        {"/home/100%/OrbelleDo", false},
        {"/home/a b/50%off/OrbelleDo", false},
        {"/home/two\nlines/OrbelleDo", false},
    };
    for (const auto &[path, startable] : cases)
        EXPECT_EQ(!programPathProblem(path).has_value(), startable) << path;
}
