// SPDX-License-Identifier: MIT
#pragma once
// What the clock's command line asks for. With no arguments the clock runs;
// the few options it knows ask for a single thing and end. Window-system
// options (single dash, such as -display) belong to the toolkit, which takes
// them before the rest is read here. Owns nothing.

#include <string>
#include <vector>

namespace orbelle::clock {

struct CommandLine {
    enum class Action { Run, Help, Version, AutostartOn, AutostartOff, Wrong };
    Action action = Action::Run;
    std::string problem;  // for Wrong: what was not understood
};

// `arguments` without the program's name.
CommandLine readCommandLine(const std::vector<std::string> &arguments);

// True when the arguments hold something that is certainly not the clock's
// nor the toolkit's, so it can be refused before a window system is needed.
bool plainlyWrong(const std::vector<std::string> &arguments);

// The help text, naming the program as `program`.
std::string usageText(const std::string &program);

} // namespace orbelle::clock
