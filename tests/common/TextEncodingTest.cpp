// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "TextEncoding.h"

using namespace orbelle;

namespace {

// The same texts as UTF-8 and as code page 932 bytes, written out by hand.
const struct { const char *utf8, *cp932; } japanese[] = {
    {"時計", "\x8E\x9E\x8C\x76"},
    {"ﾏｳｽ左ﾀﾞﾌﾞﾙｸﾘｯｸ", "\xCF\xB3\xBD\x8D\xB6\xC0\xDE\xCC\xDE\xD9\xB8\xD8\xAF\xB8"},
    // Trail bytes 0x5E ('^') and 0x5C ('\') must not split a character.
    {"C:\\写真\\時計.jpg", "C:\\\x8E\xCA\x90\x5E\\\x8E\x9E\x8C\x76.jpg"},
    {"C:\\表示\\a.bmp", "C:\\\x95\x5C\x8E\xA6\\a.bmp"},
    {"plain ASCII,\r\n", "plain ASCII,\r\n"},
};

} // namespace

TEST(TextEncodingTest, ValidatesUtf8Strictly)
{
    const struct { const char *bytes; bool valid; } cases[] = {
        {"", true}, {"abc", true}, {"時計", true}, {"\xC3\xA9", true},
        {"\xF0\x9F\x98\x80", true}, {"\xEF\xBB\xBF", true},
        {"\xC0\xAF", false},         // overlong
        {"\xE0\x80\xAF", false},     // overlong
        {"\xED\xA0\x80", false},     // surrogate
        {"\xF4\x90\x80\x80", false}, // beyond U+10FFFF
        {"\xE6\x99", false},         // cut short
        {"\x80", false}, {"\x8E\x9E\x8C\x76", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid);
    }
}

TEST(TextEncodingTest, CodePage932BothWays)
{
    for (const auto &text : japanese) {
        SCOPED_TRACE(text.utf8);
        EXPECT_EQ(cp932ToUtf8(text.cp932), text.utf8);
        EXPECT_EQ(utf8ToCp932(text.utf8), text.cp932);
    }
    EXPECT_EQ(utf8ToCp932("a\xF0\x9F\x98\x80z"), "a?z"); // no such character
    EXPECT_EQ(utf8ToCp932("a\xE6\x99z"), "a??z");         // broken UTF-8
    EXPECT_EQ(cp932ToUtf8("a\xA0z"), "a?z");              // no such byte
    EXPECT_EQ(cp932ToUtf8("a\x8E"), "a?");                // cut-off character
}

#ifndef _WIN32

TEST(TextEncodingTest, UnderUtf8ValidTextStaysAndOtherBytesAreCodePage932)
{
    for (const char *codeSet : {"UTF-8", "utf8", "ANSI_X3.4-1968", ""}) {
        SCOPED_TRACE(codeSet);
        for (const auto &text : japanese) {
            EXPECT_EQ(decodeFileText(text.utf8, codeSet), text.utf8);
            EXPECT_EQ(decodeFileText(text.cp932, codeSet), text.utf8);
            EXPECT_EQ(encodeFileText(text.utf8, codeSet), text.utf8);
        }
    }
    // The tests run under the plain "C" locale or a UTF-8 one.
    EXPECT_EQ(decodeFileText("C:\\\x8E\xCA\x90\x5E"), "C:\\写真");
    EXPECT_EQ(encodeFileText("時計"), "時計");
}

TEST(TextEncodingTest, OtherSystemCodeSetsConvertAndFallBackToCodePage932)
{
    EXPECT_EQ(decodeFileText("\xBB\xFE\xB7\xD7", "EUC-JP"), "時計");
    EXPECT_EQ(decodeFileText("\x8E\x9E\x8C\x76", "EUC-JP"), "時計"); // invalid there
    EXPECT_EQ(encodeFileText("時計", "EUC-JP"), "\xBB\xFE\xB7\xD7");
    EXPECT_EQ(encodeFileText("時計", "CP932"), "\x8E\x9E\x8C\x76");
    EXPECT_EQ(decodeFileText("\xE9t\xE9", "ISO-8859-1"), "été");
}

#endif

TEST(TextEncodingTest, PathsFromUtf8NameTheSameFileTheSystemDoes)
{
    const std::string name = "写真/ﾄｹｲ 時計.ini";
    const std::filesystem::path path = pathFromUtf8(name);
    auto text = [](const std::u8string &s) { return std::string(s.begin(), s.end()); };
    EXPECT_EQ(text(path.u8string()), name);
    EXPECT_EQ(text(path.filename().u8string()), "ﾄｹｲ 時計.ini");
    EXPECT_EQ(text(path.parent_path().u8string()), "写真");
}

#ifdef _WIN32

#include <cstdlib>

#include <windows.h>

// The Windows runs set the ANSI code page through the locale they start
// in; a run that did not get the code page it names tests nothing of it.
TEST(TextEncodingTest, RunsUnderTheCodePageTheRunNames)
{
    const char *expected = std::getenv("ORBELLE_EXPECTED_ACP");
    if (!expected)
        GTEST_SKIP() << "no code page named";
    EXPECT_EQ(std::to_string(GetACP()), expected);
}

TEST(TextEncodingTest, Cp932FilesReadTheSameUnderEveryAnsiCodePage)
{
    for (const auto &text : japanese) {
        SCOPED_TRACE(text.utf8);
        EXPECT_EQ(decodeFileText(text.cp932), text.utf8);
        // Written in the system's code page, or where that cannot hold the
        // text, in code page 932; either way it reads back the same.
        EXPECT_EQ(encodeFileText(text.utf8), text.cp932);
        EXPECT_EQ(decodeFileText(encodeFileText(text.utf8)), text.utf8);
    }
}

TEST(TextEncodingTest, FilesAreInTheAnsiCodePage)
{
    const UINT codePage = GetACP();
    ASSERT_TRUE(codePage == 932 || codePage == 1252) << codePage;
    const bool japanese = codePage == 932;
    const struct { const char *utf8, *on932, *on1252; } cases[] = {
        {"été", "?t?", "\xE9t\xE9"},
        {"Größe 5€", "Gr??e 5?", "Gr\xF6\xDF" "e 5\x80"},
        {"ﾄｹｲ", "\xC4\xB9\xB2", "\xC4\xB9\xB2"},
        // One half-width katakana alone would read back as a 1252 letter.
        {"ｱ", "\xB1", "?"},
        // Neither code page holds both.
        {"é時", "?\x8E\x9E", "\xE9?"},
        {"a\xF0\x9F\x98\x80z", "a?z", "a?z"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(encodeFileText(c.utf8), japanese ? c.on932 : c.on1252);
    }
    // Bytes read as the system's code page unless, on a one-byte system,
    // they are a clean code page 932 text that looks Japanese.
    const struct { const char *bytes, *on932, *on1252; } reads[] = {
        {"\xE9t\xE9", "\xE9\xA8\x81?", "été"},
        {"caf\xE9\r\n", "caf?\r\n", "café\r\n"},
        {"\xC4\xB9\xB2", "ﾄｹｲ", "ﾄｹｲ"},
        {"\xC4rger, 25\xB0" "C", "ﾄrger, 25ｰC", "Ärger, 25°C"},
        {"\x80", "?", "€"},
    };
    for (const auto &r : reads) {
        SCOPED_TRACE(r.bytes);
        EXPECT_EQ(decodeFileText(r.bytes), japanese ? r.on932 : r.on1252);
    }
}

#endif
