// SPDX-License-Identifier: MIT
#include "NotificationText.h"

namespace orbelle {

namespace {

// Where the character after the first `characters` ones begins (the size
// of the text when it has no more); continuation bytes never start one.
std::size_t cutAfter(std::string_view text, std::size_t characters)
{
    std::size_t seen = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            continue;
        if (seen == characters)
            return at;
        ++seen;
    }
    return text.size();
}

} // namespace

std::string notificationBody(std::string_view text, std::size_t characters)
{
    const std::size_t cut = cutAfter(text, characters);
    std::string body;
    body.reserve(cut + 16);
    for (const char c : text.substr(0, cut)) {
        switch (c) {
        case '&': body += "&amp;"; break;
        case '<': body += "&lt;"; break;
        case '>': body += "&gt;"; break;
        default: body += c;
        }
    }
    if (cut < text.size())
        body += "…";
    return body;
}

} // namespace orbelle
