// SPDX-License-Identifier: MIT
#include "RecordWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace orbelle {

std::string formatDecimal(double value, int significantDigits)
{
    if (!std::isfinite(value))
        throw ConversionError("a number that is not finite cannot be written");
    significantDigits = std::clamp(significantDigits, 1, 17);

    // The scientific form rounds correctly to the digits asked for; its
    // mantissa and exponent are then laid out again as plain digits.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::scientific, significantDigits - 1);
    const std::string_view scientific(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = scientific.find('e');

    std::string digits;
    for (char c : scientific.substr(0, e)) {
        if (c >= '0' && c <= '9')
            digits += c;
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    if (digits == "0")
        return "0"; // a zero, negative or not

    const int exponent = std::atoi(std::string(scientific.substr(e + 1)).c_str());
    const int count = static_cast<int>(digits.size());
    std::string text = scientific.front() == '-' ? "-" : "";
    if (exponent < 0) {
        text += "0.";
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += digits;
    } else if (exponent >= count - 1) {
        text += digits;
        text.append(static_cast<std::size_t>(exponent - (count - 1)), '0');
    } else {
        const auto point = static_cast<std::size_t>(exponent + 1);
        text += digits.substr(0, point);
        text += '.';
        text += digits.substr(point);
    }
    return text;
}

void RecordWriter::separate()
{
    if (lineHasField_)
        text_ += ',';
    lineHasField_ = true;
}

RecordWriter &RecordWriter::addString(std::string_view text)
{
    separate();
    text_ += '"';
    text_ += text;
    text_ += '"';
    return *this;
}

RecordWriter &RecordWriter::addBool(bool value)
{
    separate();
    text_ += value ? "#TRUE#" : "#FALSE#";
    return *this;
}

RecordWriter &RecordWriter::addSingle(float value)
{
    const std::string number = formatDecimal(value, 7);
    separate();
    text_ += number;
    return *this;
}

RecordWriter &RecordWriter::addDouble(double value)
{
    const std::string number = formatDecimal(value, 15);
    separate();
    text_ += number;
    return *this;
}

RecordWriter &RecordWriter::addInteger(std::int64_t value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    separate();
    text_.append(buffer, result.ptr);
    return *this;
}

RecordWriter &RecordWriter::addEmpty()
{
    separate();
    return *this;
}

RecordWriter &RecordWriter::addValue(const Value &value)
{
    switch (value.kind()) {
    case Value::Kind::Empty:
        return addEmpty();
    case Value::Kind::Number:
        return addDouble(value.toDouble());
    case Value::Kind::Boolean:
        return addBool(value.toBool());
    case Value::Kind::Text:
        return addString(value.toText());
    }
    return *this;
}

RecordWriter &RecordWriter::endLine()
{
    text_ += "\r\n";
    lineHasField_ = false;
    return *this;
}

} // namespace orbelle
