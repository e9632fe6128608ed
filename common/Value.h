// SPDX-License-Identifier: MIT
#pragma once
// The untyped value both programs keep most of their state in: it holds
// nothing (empty), a number, a boolean or a text, and converts on use.
// Owns only its own contents; it knows nothing of files or forms.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orbelle {

// Raised when a conversion cannot be made: a text that holds no number used
// as a number, or a number outside the range of the integer it goes into.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Value {
public:
    enum class Kind { Empty, Number, Boolean, Text };

    Value() = default;
    Value(double number) : kind_(Kind::Number), number_(number) {}
    Value(int number) : kind_(Kind::Number), number_(number) {}
    Value(bool boolean) : kind_(Kind::Boolean), number_(boolean ? -1 : 0) {}
    Value(std::string text) : kind_(Kind::Text), text_(std::move(text)) {}
    Value(const char *text) : kind_(Kind::Text), text_(text) {}

    Kind kind() const { return kind_; }
    bool isEmpty() const { return kind_ == Kind::Empty; }
    bool isNumber() const { return kind_ == Kind::Number; }
    bool isBoolean() const { return kind_ == Kind::Boolean; }
    bool isText() const { return kind_ == Kind::Text; }

    // True when the value can be used as a number: empty, number, boolean
    // (true is -1), or a text that holds a decimal number.
    bool isNumeric() const;

    // The value as a number: empty is 0, true is -1, false 0, a text must hold
    // a decimal number (spaces around it allowed). Throws ConversionError.
    double toDouble() const;
    // Rounded to the nearest whole number, halves to the even neighbour.
    // Throws ConversionError outside the type's range or for a non-number.
    std::int16_t toInt16() const;
    std::int32_t toInt32() const;
    // Single precision, as a variable declared single would hold it.
    float toSingle() const;

    // The value as a text: empty is "", a number in plain decimal
    // (the shortest form that reads back, no exponent), a boolean "True"/"False".
    std::string toText() const;
    // The boolean value: empty and 0 are false, other numbers true; a text
    // "True"/"False" or a number. Throws ConversionError otherwise.
    bool toBool() const;

    // Compares with a number as the programs do: an empty value is 0, a text
    // holding a number compares by its number, any other text throws.
    bool equals(double number) const;
    // -1, 0 or 1. Throws ConversionError where the value is no number.
    int compare(double number) const;

    // Same kind and same contents.
    friend bool operator==(const Value &a, const Value &b);

private:
    Kind kind_ = Kind::Empty;
    double number_ = 0;
    std::string text_;
};

// Parses a decimal number as the record reader and the conversions accept it:
// optional spaces, optional sign, digits with an optional period and
// fraction (".5" and "0.5" alike), optional exponent, optional spaces.
// Returns false for anything else, including the empty text.
bool parseDecimal(std::string_view text, double &out);

// Rounds to the nearest whole number, halves to the even neighbour.
double roundHalfEven(double value);

// Whether the value compares equal to the number; a value that cannot be
// compared with a number (a text holding none) is not equal.
bool sameNumber(const Value &value, double number);
// The value as a number, or `fallback` where it holds none.
double numberOr(const Value &value, double fallback);

} // namespace orbelle
