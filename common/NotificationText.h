// SPDX-License-Identifier: MIT
#pragma once
// The body of a desktop notification made from text the user typed (the
// memo's first line): notification servers may read the body as markup, so
// it is escaped to show as the very text, and a long line is shortened so
// the bubble stays readable. Owns nothing.

#include <cstddef>
#include <string>
#include <string_view>

namespace orbelle {

// Characters of a notification body before it is shortened.
inline constexpr std::size_t kNotificationCharacters = 200;

// `text` (UTF-8) cut to `characters` characters with an ellipsis where it
// was longer, then with '&', '<' and '>' written as their entities.
std::string notificationBody(std::string_view text, std::size_t characters = kNotificationCharacters);

} // namespace orbelle
