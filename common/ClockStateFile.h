// SPDX-License-Identifier: MIT
#pragma once
// The clock's state file "Pt.ini": window position, memo, alarm time texts
// and opening date texts. Read once at clock start-up, written when the
// clock ends from its notification icon.

#include <filesystem>
#include <string>

#include "Value.h"

namespace orbelle {

struct ClockState {
    Value left, top;           // line 1, twips, screen coordinates
    std::string memo;          // line 2, may hold CR LF line breaks
    Value hour, minute;        // line 3, the texts as typed
    Value month, day;          // line 4, the texts as typed
};

// Fields read until the first read past the end; the rest keep their values.
// Returns the number of fields read (7 for a whole file).
int readClockState(const std::string &text, ClockState &state);
// -1 when the file cannot be opened.
int readClockStateFile(const std::filesystem::path &path, ClockState &state);

// Line 1 two single-precision numbers, then the memo, the two alarm texts and
// the two date texts as quoted texts. A double quote cannot live inside a
// quoted field, so each '"' of a text is written as the full-width '＂'.
// Throws ConversionError for a position that is no finite number (the file
// function then returns false).
std::string writeClockState(float left, float top, const std::string &memo,
                            const std::string &hour, const std::string &minute,
                            const std::string &month, const std::string &day);
bool writeClockStateFile(const std::filesystem::path &path, float left, float top,
                         const std::string &memo, const std::string &hour,
                         const std::string &minute, const std::string &month,
                         const std::string &day);

} // namespace orbelle
