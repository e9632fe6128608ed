// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <vector>

#include "RecordReader.h"
#include "ValuePrinter.h"

using namespace orbelle;

namespace {

std::vector<Value> readAll(const std::string &text)
{
    RecordReader reader(text);
    std::vector<Value> values;
    for (;;) {
        const bool atEnd = reader.atEnd();
        try {
            values.push_back(reader.readValue());
        } catch (const EndOfRecords &) {
            EXPECT_TRUE(atEnd) << "atEnd() said more was left";
            return values;
        }
        EXPECT_FALSE(atEnd) << "atEnd() said nothing was left";
        if (values.size() > text.size() + 1) {
            ADD_FAILURE() << "reader does not advance";
            return values;
        }
    }
}

} // namespace

TEST(RecordReaderTest, LineEndsSeparateLikeCommas)
{
    const struct { const char *text; std::vector<Value> values; } cases[] = {
        {"", {}},
        {"1,2\r\n", {1, 2}},     // the last line end starts no field
        {"1,\r\n", {1, Value()}}, // but a comma promises one
        {"1,2", {1, 2}},
        {"1,", {1}},
        {"\r\n", {Value()}},      // an empty line is one empty field
        {"1\r\n\r\n2\r\n", {1, Value(), 2}},
        {"1\n2\n", {1, 2}},
        {"1\r2\r", {1, 2}},
        {"1\n\r2", {1, Value(), 2}},
        {"  \r\n", {Value()}},
        {"1,2\r\n  \t", {1, 2}},
        {",,", {Value(), Value()}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        EXPECT_EQ(readAll(c.text), c.values);
    }
}

TEST(RecordReaderTest, FieldKinds)
{
    const std::string text = "#TRUE#,#FALSE#,,\"\",\"12\",12,.5,-0.25,abc,  7  ,ab cd  ,\"  x \",1e3\r\n";
    const std::vector<Value> expected = {
        true, false, Value(), "", "12", 12, 0.5, -0.25, "abc", 7, "ab cd", "  x ", 1000,
    };
    EXPECT_EQ(readAll(text), expected);
}

TEST(RecordReaderTest, QuotedFieldKeepsLineEndsAndDropsWhatFollowsItsQuote)
{
    RecordReader reader("\"a,b\r\nc\" junk\"x,2\r\n\"open");
    EXPECT_EQ(reader.readString(), "a,b\r\nc");
    EXPECT_EQ(reader.readValue(), Value(2));
    EXPECT_EQ(reader.readString(), "open"); // an unclosed quote runs to the end
    EXPECT_THROW(reader.readValue(), EndOfRecords);
    EXPECT_EQ(reader.fieldsRead(), 3);
}

TEST(RecordReaderTest, IntegerFieldsRoundAndFailButAreConsumed)
{
    RecordReader reader("92.5,93.5,40000,abc,\"-2.5\",,#TRUE#,2147483648\r\n7");
    EXPECT_EQ(reader.readInt16(), 92);
    EXPECT_EQ(reader.readInt16(), 94);
    EXPECT_THROW(reader.readInt16(), ConversionError);
    EXPECT_THROW(reader.readInt32(), ConversionError);
    EXPECT_EQ(reader.readInt16(), -2);
    EXPECT_EQ(reader.readInt32(), 0);
    EXPECT_EQ(reader.readInt16(), -1);
    EXPECT_THROW(reader.readInt32(), ConversionError);
    EXPECT_EQ(reader.readSingle(), 7.0f);
    EXPECT_TRUE(reader.atEnd());
    EXPECT_EQ(reader.remaining(), 0u);
}

TEST(RecordReaderTest, StringsKeepTheCharactersAndTellEmptyFieldsFromEmptyTexts)
{
    RecordReader reader("0.50,,\"\",#TRUE#");
    EXPECT_EQ(reader.readString(), "0.50");
    EXPECT_EQ(reader.readString(), "");
    EXPECT_TRUE(reader.lastFieldEmpty());
    EXPECT_EQ(reader.readString(), "");
    EXPECT_FALSE(reader.lastFieldEmpty());
    EXPECT_EQ(reader.readString(), "#TRUE#");
}
