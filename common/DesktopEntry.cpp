// SPDX-License-Identifier: MIT
#include "DesktopEntry.h"

#include "TextEncoding.h"

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

std::optional<std::string> programPathProblem(std::string_view path)
{
    if (!isValidUtf8(path))
        return "the program's path is not valid UTF-8, which a desktop entry cannot hold";
    if (path.find('%') != std::string_view::npos)
        return "the program's path holds '%', which desktop launchers do not accept in a command";
    for (const char c : path)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return "the program's path holds a control character, which a desktop entry cannot hold";
    return std::nullopt;
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
