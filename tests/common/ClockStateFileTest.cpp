// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "ClockStateFile.h"
#include "TemporaryFolder.h"
#include "TextEncoding.h"
#include "ValuePrinter.h"

using namespace orbelle;

namespace {

const std::string defaultMemo = "ここに\r\nメモを書いておくことができます。\r\n";

} // namespace

TEST(ClockStateFileTest, WritesTheFourLines)
{
    const std::string text = writeClockState(7155, 1320, defaultMemo, "7", "05", "0", "0");
    EXPECT_EQ(text, "7155,1320\r\n"
                    "\"ここに\r\nメモを書いておくことができます。\r\n\"\r\n"
                    "\"7\",\"05\"\r\n"
                    "\"0\",\"0\"\r\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6); // the memo spans three lines

    EXPECT_EQ(writeClockState(-300.5f, 0, "", "", "", "", ""),
              "-300.5,0\r\n\"\"\r\n\"\",\"\"\r\n\"\",\"\"\r\n");
}

TEST(ClockStateFileTest, ReadsBackWhatWasWritten)
{
    const struct { const char *memo, *readBack; } cases[] = {
        {"ここに\r\nメモを書いておくことができます。\r\n", nullptr},
        {"buy milk, eggs,\r\n,,", nullptr},
        {"  leading and trailing  ", nullptr},
        {"\r\n\r\n", nullptr},
        {"", nullptr},
        {"say \"hi\"", "say ＂hi＂"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.memo);
        ClockState state;
        EXPECT_EQ(readClockState(writeClockState(-15, 1320.5f, c.memo, "07", "3\"", "12", ""), state), 7);
        EXPECT_EQ(state.left, Value(-15));
        EXPECT_EQ(state.top, Value(1320.5));
        EXPECT_EQ(state.memo, c.readBack ? c.readBack : c.memo);
        EXPECT_EQ(state.hour, Value("07")); // the text as typed, not a number
        EXPECT_EQ(state.minute, Value("3＂"));
        EXPECT_EQ(state.month, Value("12"));
        EXPECT_EQ(state.day, Value(""));
    }
}

TEST(ClockStateFileTest, ShortFilesKeepWhatWasNotRead)
{
    ClockState state;
    state.memo = "before";
    state.hour = "9";
    EXPECT_EQ(readClockState("100,200\r\n", state), 2);
    EXPECT_EQ(state.left, Value(100));
    EXPECT_EQ(state.memo, "before");
    EXPECT_EQ(state.hour, Value("9"));

    EXPECT_EQ(readClockState("1,2\r\n\"unclosed memo\r\n", state), 3);
    EXPECT_EQ(state.memo, "unclosed memo\r\n");
    EXPECT_EQ(readClockState("", state), 0);
}

TEST(ClockStateFileTest, FilesOnDisk)
{
    TemporaryFolder folder;
    const auto path = folder.file("Pt.ini");
    ClockState state;
    EXPECT_EQ(readClockStateFile(path, state), -1);
    ASSERT_TRUE(writeClockStateFile(path, 7155, 1320, defaultMemo, "23", "59", "2", "29"));
    ASSERT_EQ(readClockStateFile(path, state), 7);
    EXPECT_EQ(state.memo, defaultMemo);
    EXPECT_EQ(state.day, Value("29"));
    EXPECT_FALSE(writeClockStateFile(folder.file("missing") / "Pt.ini", 0, 0, "", "", "", "", ""));

    // A file left by a system that writes code page 932.
    std::ofstream(path, std::ios::binary) << utf8ToCp932(writeClockState(1, 2, defaultMemo, "", "", "", ""));
    ASSERT_EQ(readClockStateFile(path, state), 7);
    EXPECT_EQ(state.memo, defaultMemo);
}

TEST(ClockStateFileTest, WritesCrLfAndReadsEitherLineEndFromDisk)
{
    TemporaryFolder folder;
    const auto path = folder.file("Pt.ini");
    ASSERT_TRUE(writeClockStateFile(path, 15, 30, "a\r\nb", "7", "5", "12", "24"));
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              "15,30\r\n\"a\r\nb\"\r\n\"7\",\"5\"\r\n\"12\",\"24\"\r\n");

    const struct { const char *bytes, *memo; } files[] = {
        {"15,30\r\n\"a\r\nb\"\r\n\"7\",\"5\"\r\n\"12\",\"24\"\r\n", "a\r\nb"},
        {"15,30\n\"a\nb\"\n\"7\",\"5\"\n\"12\",\"24\"\n", "a\nb"},
        {"15,30\n\"a\"\r\n\"7\",\"5\"\n\"12\",\"24\"", "a"},
    };
    for (const auto &f : files) {
        SCOPED_TRACE(f.bytes);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << f.bytes;
        ClockState state;
        ASSERT_EQ(readClockStateFile(path, state), 7);
        EXPECT_EQ(state.top, Value(30));
        EXPECT_EQ(state.memo, f.memo);
        EXPECT_EQ(state.minute, Value("5"));
        EXPECT_EQ(state.day, Value("24"));
    }
}
