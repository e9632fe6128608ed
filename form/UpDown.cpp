// SPDX-License-Identifier: MIT
#include "UpDown.h"

#include <algorithm>
#include <cmath>

#include "TextBox.h"
#include "Value.h"

namespace orbelle::form {

void UpDown::step(int direction)
{
    long long current = 0;
    if (Buddy) {
        double typed = 0;
        if (orbelle::parseDecimal(Buddy->Text, typed) && std::isfinite(typed))
            current = (long long)orbelle::roundHalfEven(std::clamp(typed, -1e15, 1e15));
    } else {
        current = Value;
    }
    const long long lo = std::min(Min, Max);
    const long long hi = std::max(Min, Max);
    // A control whose minimum lies above its maximum counts the other way.
    const int sign = Min <= Max ? 1 : -1;
    long long next = current + (long long)direction * sign * Increment;
    // An arrow that points further out from a limit (or from a number typed
    // beyond it) leaves the number alone; one that points back brings it
    // into the range.
    if (next > hi) {
        if (next > current && current >= hi)
            next = Wrap ? lo : current;
        else
            next = hi;
    } else if (next < lo) {
        if (next < current && current <= lo)
            next = Wrap ? hi : current;
        else
            next = lo;
    }
    // At a limit the arrow changes nothing and raises nothing.
    if (next == current && (!Buddy || Buddy->Text == std::to_string(current) || current < lo || current > hi)) {
        Value = int(std::clamp(current, lo, hi));
        return;
    }
    Value = int(next);
    if (Buddy) {
        Buddy->Text = std::to_string(Value);
        if (Buddy->Change)
            Buddy->Change();
    }
    if (Change)
        Change();
}

} // namespace orbelle::form
