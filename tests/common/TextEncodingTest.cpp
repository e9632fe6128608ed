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

TEST(TextEncodingTest, PathsFromUtf8NameTheSameFileTheSystemDoes)
{
    const std::string name = "写真/ﾄｹｲ 時計.ini";
    const std::filesystem::path path = pathFromUtf8(name);
    auto text = [](const std::u8string &s) { return std::string(s.begin(), s.end()); };
    EXPECT_EQ(text(path.u8string()), name);
    EXPECT_EQ(text(path.filename().u8string()), "ﾄｹｲ 時計.ini");
    EXPECT_EQ(text(path.parent_path().u8string()), "写真");
}
