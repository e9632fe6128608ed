// SPDX-License-Identifier: MIT
#include "RecordReader.h"

#include <utility>

namespace orbelle {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

constexpr std::string_view separators = ",\r\n";

} // namespace

RecordReader::RecordReader(std::string text) : text_(std::move(text)) {}

void RecordReader::skipBlanks()
{
    while (pos_ < text_.size() && isBlank(text_[pos_]))
        ++pos_;
}

void RecordReader::skipSeparator()
{
    if (pos_ >= text_.size())
        return;
    const char c = text_[pos_];
    if (c == ',' || c == '\n') {
        ++pos_;
    } else if (c == '\r') {
        ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n')
            ++pos_;
    }
}

// A line end that closes the last line is a separator, not the start of one
// more field, so "1,2\r\n" holds two fields; "1,\r\n" holds two as well,
// the second one empty, because the comma promises a field after it.
bool RecordReader::atEnd() const
{
    std::size_t p = pos_;
    while (p < text_.size() && isBlank(text_[p]))
        ++p;
    return p >= text_.size();
}

RecordReader::Field RecordReader::next()
{
    skipBlanks();
    if (pos_ >= text_.size())
        throw EndOfRecords("read past the last field");

    Field field;
    if (text_[pos_] == '"') {
        field.quoted = true;
        const std::size_t close = text_.find('"', pos_ + 1);
        if (close == std::string::npos) {
            field.text = text_.substr(pos_ + 1);
            pos_ = text_.size();
        } else {
            field.text = text_.substr(pos_ + 1, close - pos_ - 1);
            // Whatever stands between the closing quote and the separator
            // belongs to no field and is dropped.
            const std::size_t separator = text_.find_first_of(separators, close + 1);
            pos_ = separator == std::string::npos ? text_.size() : separator;
            skipSeparator();
        }
    } else {
        const std::size_t separator = text_.find_first_of(separators, pos_);
        const std::size_t end = separator == std::string::npos ? text_.size() : separator;
        std::size_t last = end;
        while (last > pos_ && isBlank(text_[last - 1]))
            --last;
        field.text = text_.substr(pos_, last - pos_);
        pos_ = end;
        skipSeparator();
    }
    ++fields_;
    lastFieldEmpty_ = !field.quoted && field.text.empty();
    return field;
}

Value RecordReader::toValue(const Field &field)
{
    if (field.quoted)
        return Value(field.text);
    if (field.text.empty())
        return Value();
    if (field.text == "#TRUE#")
        return Value(true);
    if (field.text == "#FALSE#")
        return Value(false);
    double number = 0;
    if (parseDecimal(field.text, number))
        return Value(number);
    return Value(field.text);
}

Value RecordReader::readValue() { return toValue(next()); }

std::string RecordReader::readString() { return next().text; }

std::int16_t RecordReader::readInt16() { return toValue(next()).toInt16(); }

std::int32_t RecordReader::readInt32() { return toValue(next()).toInt32(); }

float RecordReader::readSingle() { return toValue(next()).toSingle(); }

} // namespace orbelle
