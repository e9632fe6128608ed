// SPDX-License-Identifier: MIT
#include "Value.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace orbelle {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Range checks happen on the rounded value, so 32767.4 still fits a 16-bit
// integer while 32767.5 (rounding to 32768) does not.
template <typename Int>
Int toInteger(double number)
{
    if (std::isnan(number))
        throw ConversionError("not a number");
    const double rounded = roundHalfEven(number);
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min())
        || rounded > static_cast<double>(std::numeric_limits<Int>::max()))
        throw ConversionError("number out of the integer's range");
    return static_cast<Int>(rounded);
}

} // namespace

bool parseDecimal(std::string_view text, double &out)
{
    text = trimBlanks(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t numberStart = i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const std::size_t exponentDigits = j;
        while (j < text.size() && isDigit(text[j]))
            ++j;
        if (j == exponentDigits)
            return false;
        i = j;
    }
    if (i != text.size())
        return false;

    // from_chars takes neither a leading '+' nor blanks, both already gone.
    double value = 0;
    const char *first = text.data() + numberStart;
    const char *last = text.data() + text.size();
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != last)
        return false;
    out = negative ? -value : value;
    return true;
}

double roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5)
        return below;
    if (fraction > 0.5)
        return below + 1;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

bool Value::isNumeric() const
{
    if (kind_ != Kind::Text)
        return true;
    double ignored = 0;
    return parseDecimal(text_, ignored);
}

double Value::toDouble() const
{
    switch (kind_) {
    case Kind::Empty:
        return 0;
    case Kind::Number:
    case Kind::Boolean:
        return number_;
    case Kind::Text:
        break;
    }
    double number = 0;
    if (!parseDecimal(text_, number))
        throw ConversionError("text holds no number: " + text_);
    return number;
}

std::int16_t Value::toInt16() const { return toInteger<std::int16_t>(toDouble()); }

std::int32_t Value::toInt32() const { return toInteger<std::int32_t>(toDouble()); }

float Value::toSingle() const
{
    const double number = toDouble();
    if (std::isnan(number))
        return std::numeric_limits<float>::quiet_NaN();
    // Beyond the largest single the value would become infinity, which a
    // single variable cannot be assigned; nor can a sum that overflowed.
    if (std::isinf(number) || std::fabs(number) > std::numeric_limits<float>::max())
        throw ConversionError("number out of single precision range");
    return static_cast<float>(number);
}

std::string Value::toText() const
{
    switch (kind_) {
    case Kind::Empty:
        return {};
    case Kind::Boolean:
        return number_ != 0 ? "True" : "False";
    case Kind::Text:
        return text_;
    case Kind::Number:
        break;
    }
    if (number_ == 0)
        return "0"; // also for -0
    if (std::isnan(number_))
        return "NaN";
    if (std::isinf(number_))
        return number_ > 0 ? "Infinity" : "-Infinity";
    // The longest fixed form of a double is a 309-digit whole number or a
    // fraction with about 340 places.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number_, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

bool Value::toBool() const
{
    switch (kind_) {
    case Kind::Empty:
        return false;
    case Kind::Number:
    case Kind::Boolean:
        return number_ != 0;
    case Kind::Text:
        break;
    }
    const std::string_view text = trimBlanks(text_);
    if (equalsIgnoringCase(text, "true"))
        return true;
    if (equalsIgnoringCase(text, "false"))
        return false;
    double number = 0;
    if (parseDecimal(text, number))
        return number != 0;
    throw ConversionError("text is no boolean: " + text_);
}

bool Value::equals(double number) const { return toDouble() == number; }

int Value::compare(double number) const
{
    const double own = toDouble();
    if (own < number)
        return -1;
    if (own > number)
        return 1;
    if (own == number)
        return 0;
    throw ConversionError("comparison with a value that is not a number");
}

bool operator==(const Value &a, const Value &b)
{
    if (a.kind_ != b.kind_)
        return false;
    switch (a.kind_) {
    case Value::Kind::Empty:
        return true;
    case Value::Kind::Number:
    case Value::Kind::Boolean:
        return a.number_ == b.number_;
    case Value::Kind::Text:
        return a.text_ == b.text_;
    }
    return false;
}

bool sameNumber(const Value &value, double number)
{
    try {
        return value.equals(number);
    } catch (const ConversionError &) {
        return false;
    }
}

double numberOr(const Value &value, double fallback)
{
    try {
        return value.toDouble();
    } catch (const ConversionError &) {
        return fallback;
    }
}

} // namespace orbelle
