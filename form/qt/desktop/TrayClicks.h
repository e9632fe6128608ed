// SPDX-License-Identifier: MIT
#pragma once
// Turns the notification icon's activations into the mouse messages the
// forms expect. Icon hosts that speak the XEmbed protocol report a double
// click of their own; hosts of the D-Bus status-notifier protocol report
// every click as a plain activation, so there two activations within the
// double-click time make the double click. Owns no icon and no clock: the
// caller passes each activation with its time.

#include <cstdint>
#include <optional>

#include "Services.h"

namespace orbelle::formqt {

class TrayClicks {
public:
    enum class Activation { Click, DoubleClick, Context, Other };

    explicit TrayClicks(int doubleClickMs) : doubleClickMs_(doubleClickMs) {}

    // The message for an activation at `atMs` (any steady clock, in
    // milliseconds), or nothing for activations the forms do not hear of.
    std::optional<int> message(Activation activation, std::int64_t atMs)
    {
        switch (activation) {
        case Activation::DoubleClick:
            hostReportsDoubleClicks_ = true;
            pending_ = false;
            return form::IconLeftDoubleClick;
        case Activation::Click:
            if (!hostReportsDoubleClicks_ && pending_ && atMs >= lastClickMs_ &&
                atMs - lastClickMs_ <= doubleClickMs_) {
                // A third quick click starts over as a single click.
                pending_ = false;
                return form::IconLeftDoubleClick;
            }
            pending_ = true;
            lastClickMs_ = atMs;
            return form::IconLeftDown;
        case Activation::Context:
            pending_ = false;
            return form::IconRightDown;
        case Activation::Other:
            break;
        }
        return std::nullopt;
    }

private:
    int doubleClickMs_;
    bool hostReportsDoubleClicks_ = false;
    // A single click that a second one may still make a double click of.
    bool pending_ = false;
    std::int64_t lastClickMs_ = 0;
};

} // namespace orbelle::formqt
