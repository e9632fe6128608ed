// SPDX-License-Identifier: MIT
#pragma once
// Parameterised test cases that carry a `name` print as that name in test
// listings and failure messages, instead of as a dump of their bytes. A test
// file brings it in with `using orbelle::testing::PrintTo;` in the namespace
// of its case types.

#include <ostream>
#include <string_view>

namespace orbelle::testing {

template <typename Case>
    requires requires(const Case &c) { std::string_view(c.name); }
void PrintTo(const Case &c, std::ostream *os)
{
    *os << std::string_view(c.name);
}

} // namespace orbelle::testing
