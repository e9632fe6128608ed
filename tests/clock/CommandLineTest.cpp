// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "CommandLine.h"

using namespace orbelle::clock;
using Action = CommandLine::Action;

TEST(CommandLineTest, ReadsTheClocksOwnOptions)
{
    struct Case {
        std::vector<std::string> arguments;
        Action action;
    };
    const Case cases[] = {
        {{}, Action::Run},
        {{"--help"}, Action::Help},
        {{"-h"}, Action::Help},
        {{"--version"}, Action::Version},
        {{"--autostart", "on"}, Action::AutostartOn},
        {{"--autostart", "off"}, Action::AutostartOff},
        {{"--autostart=on"}, Action::AutostartOn},
        {{"--autostart=off"}, Action::AutostartOff},
        {{"--autostart"}, Action::Wrong},
        {{"--autostart", "yes"}, Action::Wrong},
        {{"--autostart="}, Action::Wrong},
        {{"--autostart", "on", "--help"}, Action::Wrong},
        {{"--help", "--help"}, Action::Wrong},
        {{"--frobnicate"}, Action::Wrong},
        {{"tokei-set.ini"}, Action::Wrong},
        {{"-"}, Action::Wrong},
    };
    for (const Case &c : cases) {
        const CommandLine read = readCommandLine(c.arguments);
        std::string shown;
        for (const auto &a : c.arguments)
            shown += a + " ";
        EXPECT_EQ(read.action, c.action) << shown;
        EXPECT_EQ(read.problem.empty(), c.action != Action::Wrong) << shown;
    }
}

TEST(CommandLineTest, LeavesSingleDashOptionsToTheToolkitBeforeJudging)
{
    struct Case {
        std::vector<std::string> arguments;
        bool wrong;
    };
    const Case cases[] = {
        {{}, false},
        {{"--bogus"}, true},
        {{"stray"}, true},
        {{"-display", ":1"}, false},               // the toolkit's, with its value
        {{"-platform", "offscreen", "--autostart", "on"}, false},
        {{"-display", ":1", "--bogus"}, true},
        {{"-display", ":1", "--autostart", "maybe"}, true},
        {{"-h"}, false},
    };
    for (const Case &c : cases) {
        std::string shown;
        for (const auto &a : c.arguments)
            shown += a + " ";
        EXPECT_EQ(plainlyWrong(c.arguments), c.wrong) << shown;
    }
}

TEST(CommandLineTest, HelpNamesEveryOption)
{
    const std::string help = usageText("OrbelleDo");
    EXPECT_EQ(help.rfind("Usage: OrbelleDo ", 0), 0u);
    for (const char *option : {"--autostart on", "--autostart off", "--help", "--version"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}
