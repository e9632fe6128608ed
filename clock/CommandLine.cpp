// SPDX-License-Identifier: MIT
#include "CommandLine.h"

#include <algorithm>

namespace orbelle::clock {

namespace {

CommandLine wrong(std::string problem)
{
    return {CommandLine::Action::Wrong, std::move(problem)};
}

CommandLine autostart(const std::string &value)
{
    if (value == "on")
        return {CommandLine::Action::AutostartOn, {}};
    if (value == "off")
        return {CommandLine::Action::AutostartOff, {}};
    return wrong("--autostart takes on or off, not \"" + value + "\"");
}

} // namespace

CommandLine readCommandLine(const std::vector<std::string> &arguments)
{
    CommandLine result;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &a = arguments[i];
        CommandLine one;
        if (a == "--help" || a == "-h") {
            one.action = CommandLine::Action::Help;
        } else if (a == "--version") {
            one.action = CommandLine::Action::Version;
        } else if (a == "--autostart") {
            if (i + 1 == arguments.size())
                return wrong("--autostart needs on or off");
            one = autostart(arguments[++i]);
        } else if (a.rfind("--autostart=", 0) == 0) {
            one = autostart(a.substr(12));
        } else {
            return wrong("unknown argument \"" + a + "\"");
        }
        if (one.action == CommandLine::Action::Wrong)
            return one;
        if (result.action != CommandLine::Action::Run)
            return wrong("give one option at a time");
        result = one;
    }
    return result;
}

bool plainlyWrong(const std::vector<std::string> &arguments)
{
    const auto isToolkitOption = [](const std::string &a) {
        return a.size() > 1 && a[0] == '-' && a[1] != '-' && a != "-h";
    };
    if (std::none_of(arguments.begin(), arguments.end(), isToolkitOption))
        return readCommandLine(arguments).action == CommandLine::Action::Wrong;
    // Toolkit options may carry a value (-display :1), so until the toolkit
    // has taken its own only the double-dash options can be judged.
    std::vector<std::string> doubleDash;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i].rfind("--", 0) != 0)
            continue;
        doubleDash.push_back(arguments[i]);
        if (arguments[i] == "--autostart" && i + 1 < arguments.size())
            doubleDash.push_back(arguments[++i]);
    }
    return readCommandLine(doubleDash).action == CommandLine::Action::Wrong;
}

std::string usageText(const std::string &program)
{
    return "Usage: " + program + " [--autostart on|off | --help | --version]\n"
           "\n"
           "The desktop clock. With no arguments it shows the clock; a second start\n"
           "brings the running clock to the front.\n"
           "\n"
           "  --autostart on    start the clock at every login (writes an entry into\n"
           "                    the desktop's autostart folder) and end\n"
           "  --autostart off   no longer start it at login, and end\n"
           "  -h, --help        show this text and end\n"
           "  --version         show the version and end\n";
}

} // namespace orbelle::clock
