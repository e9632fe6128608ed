// SPDX-License-Identifier: MIT
#include "DesktopEntry.h"

namespace orbelle {

std::string escapeDesktopValue(std::string_view value)
{
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case ' ': out += i == 0 ? "\\s" : " "; break;
        default: out += c;
        }
    }
    return out;
}

std::string quoteExecArgument(std::string_view argument)
{
    static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string body;
    bool quote = argument.empty();
    for (const char c : argument) {
        if (kReserved.find(c) != std::string_view::npos)
            quote = true;
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            body += '\\';
        body += c;
        if (c == '%')
            body += '%';
    }
    return quote ? '"' + body + '"' : body;
}

std::string desktopEntry(const std::vector<std::string> &execArguments,
                         const std::vector<std::pair<std::string, std::string>> &keys)
{
    std::string exec;
    for (const std::string &argument : execArguments)
        exec += (exec.empty() ? "" : " ") + quoteExecArgument(argument);
    std::string out = "[Desktop Entry]\nType=Application\nExec=" + escapeDesktopValue(exec) + "\n";
    for (const auto &[key, value] : keys)
        out += key + "=" + escapeDesktopValue(value) + "\n";
    return out;
}

} // namespace orbelle
