// SPDX-License-Identifier: MIT
#pragma once
// Reads the comma-separated record text of the two settings files field by
// field. Owns a copy of the file's bytes, already turned into UTF-8; knows
// nothing of which field means what (see FaceDesignFile and ClockStateFile).

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "Value.h"

namespace orbelle {

// Raised by a read past the last field of the file.
class EndOfRecords : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class RecordReader {
public:
    // text: the whole file as UTF-8 (see TextEncoding for bytes from disk).
    explicit RecordReader(std::string text);

    // The next field as an untyped value: a quoted field gives a text,
    // #TRUE#/#FALSE# a boolean, an empty field an empty value, a decimal
    // number a number, anything else the text as it stands.
    // Throws EndOfRecords when no field is left.
    Value readValue();
    // The next field as a text (a number field gives its characters).
    std::string readString();
    // The next field converted to the integer type, rounded half to even.
    // Throws EndOfRecords, or ConversionError when the field is no number or
    // out of range (the field is consumed either way).
    std::int16_t readInt16();
    std::int32_t readInt32();
    float readSingle();

    bool atEnd() const;
    // Bytes not yet consumed; a reader uses it to bound what it allocates.
    std::size_t remaining() const { return text_.size() - pos_; }
    // How many fields were read so far (a field whose conversion failed
    // counts: it was consumed).
    int fieldsRead() const { return fields_; }
    // True when the field last read had nothing between its separators, as
    // opposed to a quoted empty text "". Lets a caller write back an unset
    // value as it found it.
    bool lastFieldEmpty() const { return lastFieldEmpty_; }

private:
    struct Field {
        bool quoted = false;
        std::string text;
    };
    Field next();
    static Value toValue(const Field &field);
    void skipBlanks();
    // Moves past one comma or line end (CR LF, LF or CR) at pos_, if any.
    void skipSeparator();

    std::string text_;
    std::size_t pos_ = 0; // bytes of text_ consumed
    int fields_ = 0;
    bool lastFieldEmpty_ = false;
};

} // namespace orbelle
