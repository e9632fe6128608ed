// SPDX-License-Identifier: MIT
#pragma once
// Lets test failures show a Value by kind and contents instead of its bytes.

#include <ostream>

#include "Value.h"

namespace orbelle {

inline void PrintTo(const Value &value, std::ostream *out)
{
    switch (value.kind()) {
    case Value::Kind::Empty:
        *out << "Empty";
        break;
    case Value::Kind::Number:
        *out << "Number(" << value.toText() << ")";
        break;
    case Value::Kind::Boolean:
        *out << "Boolean(" << value.toText() << ")";
        break;
    case Value::Kind::Text:
        *out << "Text(\"" << value.toText() << "\")";
        break;
    }
}

} // namespace orbelle
