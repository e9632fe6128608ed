// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <locale>

#include "RecordReader.h"
#include "RecordWriter.h"

using namespace orbelle;

TEST(RecordWriterTest, FormatsPlainDecimals)
{
    const struct { double value; int digits; const char *text; } cases[] = {
        {2660.0f, 7, "2660"},
        {0.1f, 7, "0.1"},
        {1 / 3.f, 7, "0.3333333"},
        {1234.5678, 7, "1234.568"},
        {9999999.5, 7, "10000000"},
        {123456789, 7, "123456800"},
        {16777215, 7, "16777220"},
        {0.000012345678, 7, "0.00001234568"},
        {-0.25, 7, "-0.25"},
        {-7155, 7, "-7155"},
        {-0.0, 7, "0"},
        {0, 15, "0"},
        {1e-7, 15, "0.0000001"},
        {1e20, 15, "100000000000000000000"},
        {2 / 3.0, 15, "0.666666666666667"},
        {0.1 + 0.2, 15, "0.3"},
        {1e15 + 0.25, 15, "1000000000000000"},
        {-1e-5, 1, "-0.00001"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(formatDecimal(c.value, c.digits), c.text);
    }
    EXPECT_THROW(formatDecimal(INFINITY, 7), ConversionError);
}

namespace {

struct CommaDecimals : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

} // namespace

TEST(RecordWriterTest, IgnoresTheLocale)
{
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
    RecordWriter writer;
    writer.addSingle(0.5f).addDouble(-1234.75);
    std::locale::global(previous);
    EXPECT_EQ(writer.text(), "0.5,-1234.75");
}

TEST(RecordWriterTest, LinesOfTypedFields)
{
    RecordWriter writer;
    writer.addSingle(2660).addSingle(2660).endLine();
    writer.addEmpty().endLine();
    writer.endLine();
    writer.addBool(true).addBool(false).addInteger(-5).addString("a b").addString("").endLine();
    writer.addValue(Value()).addValue(1.5).addValue(true).addValue("x").addEmpty().endLine();
    EXPECT_EQ(writer.text(), "2660,2660\r\n\r\n\r\n#TRUE#,#FALSE#,-5,\"a b\",\"\"\r\n,1.5,#TRUE#,\"x\",\r\n");
    EXPECT_THROW(writer.addSingle(NAN), ConversionError);
    EXPECT_THROW(writer.addValue(std::nan("")), ConversionError);
    EXPECT_EQ(writer.text().back(), '\n'); // the failed fields added nothing
}

TEST(RecordWriterTest, WhatIsWrittenReadsBack)
{
    RecordWriter writer;
    std::vector<float> singles;
    std::vector<double> doubles;
    // Values of the kind the files carry: twips, halves and quarters of a
    // pixel, negative offsets, and doubles of up to 15 digits.
    for (int i = -3000; i <= 3000; i += 7) {
        singles.push_back(static_cast<float>(i) / 4);
        doubles.push_back(i * 1234.567891 / 1000);
        writer.addSingle(singles.back()).addDouble(doubles.back());
        if (i % 5 == 0)
            writer.endLine();
    }
    writer.addString("last").endLine();
    RecordReader reader(writer.text());
    for (std::size_t i = 0; i < singles.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(reader.readSingle(), singles[i]);
        EXPECT_NEAR(reader.readValue().toDouble(), doubles[i], std::fabs(doubles[i]) * 1e-14);
    }
    EXPECT_EQ(reader.readString(), "last");
    EXPECT_TRUE(reader.atEnd());
}
