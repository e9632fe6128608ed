// SPDX-License-Identifier: MIT
#pragma once
// Builds the record text of the two settings files line by line: fields
// separated by commas, CR LF after every line. Produces UTF-8 text; the
// caller turns it into the file's code page (TextEncoding) and writes it.

#include <cstdint>
#include <string>
#include <string_view>

#include "Value.h"

namespace orbelle {

class RecordWriter {
public:
    // A string in double quotes, as it stands (the format has no escape).
    RecordWriter &addString(std::string_view text);
    // #TRUE# or #FALSE#.
    RecordWriter &addBool(bool value);
    // A single-precision number: at most 7 significant digits.
    RecordWriter &addSingle(float value);
    // A double-precision number: at most 15 significant digits.
    RecordWriter &addDouble(double value);
    RecordWriter &addInteger(std::int64_t value);
    // Nothing between the separators.
    RecordWriter &addEmpty();
    // By kind: empty, number (double), boolean, text (quoted).
    RecordWriter &addValue(const Value &value);
    // Ends the line with CR LF.
    RecordWriter &endLine();

    const std::string &text() const { return text_; }

private:
    void separate();
    std::string text_;
    bool lineHasField_ = false;
};

// Plain decimal with a period whatever the locale, no exponent, no decimal
// point for whole values, never "-0"; significantDigits (1 to 17) bounds the
// digits. A value below 1 gets a leading "0". Throws ConversionError for an
// infinity or NaN, which the format cannot hold (so do addSingle and
// addDouble, before anything is added).
std::string formatDecimal(double value, int significantDigits);

} // namespace orbelle
