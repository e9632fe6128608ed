// SPDX-License-Identifier: MIT
#pragma once
// The clock's two forms joined as the program joins them, on a fake of the
// outside world, with a program folder of the test's own into which a test
// writes tokei-set.ini and Pt.ini as raw bytes before start-up.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeServices.h"
#include "Form1.h"
#include "Form2.h"

namespace orbelle::testing {

using clock::Form1;
using clock::Form2;

// Form1 keeps a reference to the dialog constructed after it; its
// constructor does not touch the dialog.
struct Clock {
    FakeServices services;
    Form1 form1{services, form2};
    Form2 form2{form1};
};

// tokei-set.ini line by line, as the editor would write it for a 2460 x 2460
// ellipse with the hands area at 1290, 1260, 2400 x 2400.
struct DesignLines {
    std::string size = "2460,2460";
    std::string picture = "\"\"";
    std::string offset = "0,0";
    std::string shape = "#TRUE#,#FALSE#,#FALSE#";
    std::string hands = "1290,1260,2400,2400";
    std::string shown = "1,1,1,1";
    std::string colours = "16777215,255,65280,16711935";
    std::string lengths = "\"100\",\"90\",\"70\"";
    std::string count = "0";
    std::vector<std::string> vertices{"0,0"};
    std::vector<std::string> handles{"0,0"};

    // Every line ended by CR LF.
    std::string bytes() const;
};

// Pt.ini with the window at 0, 0, a short memo, an alarm at 7:15 and no date.
inline const std::string kPlainState = "0,0\r\n\"memo\"\r\n\"7\",\"15\"\r\n\"0\",\"0\"\r\n";

form::LocalTime at(int hour, int minute, int second, int month = 6, int day = 15);

class ClockTest : public ::testing::Test {
protected:
    ClockTest() { clock.services.folder = folder; }

    void writeFile(const std::string &name, const std::string &bytes) const;
    // The whole file, or nothing when it does not exist.
    std::optional<std::string> readFile(const std::string &name) const;
    void writeDesign(const DesignLines &design = {}) const { writeFile("tokei-set.ini", design.bytes()); }
    void writeState(const std::string &bytes = kPlainState) const { writeFile("Pt.ini", bytes); }

    // Runs start-up with whatever files the folder holds.
    void start() { clock.form1.Form_Load(); }
    // A second clock started on the same folder, for cases run in a loop.
    std::unique_ptr<Clock> startFresh() const
    {
        auto fresh = std::make_unique<Clock>();
        fresh->services.folder = folder;
        fresh->form1.Form_Load();
        return fresh;
    }
    // One timer event at the given time.
    void tick(const form::LocalTime &time)
    {
        clock.services.time = time;
        clock.form1.Timer1_Timer();
    }
    // An icon event as the window receives it: a middle-button press whose x
    // is the message number in pixels.
    void iconEvent(int message)
    {
        clock.form1.Form_MouseDown(form::MiddleButton, 0, float(message * clock.services.twipsPerPixel), 0);
    }

    ScratchFolder scratch{"orbelle-clock-test-"};
    const std::filesystem::path folder = scratch.path();
    Clock clock;
};

} // namespace orbelle::testing
