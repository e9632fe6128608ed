// SPDX-License-Identifier: MIT
#include "ClockStateFile.h"

#include "AtomicFile.h"
#include "RecordReader.h"
#include "RecordWriter.h"
#include "TextEncoding.h"

namespace orbelle {

namespace {

// A quote would end the quoted field early and shift every field after it;
// the full-width form looks alike and reads back.
std::string withoutQuotes(const std::string &text)
{
    static constexpr std::string_view fullWidthQuote = "\xEF\xBC\x82"; // U+FF02
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c == '"')
            result += fullWidthQuote;
        else
            result += c;
    }
    return result;
}

} // namespace

int readClockState(const std::string &text, ClockState &state)
{
    RecordReader reader(text);
    try {
        state.left = reader.readValue();
        state.top = reader.readValue();
        state.memo = reader.readString();
        state.hour = reader.readValue();
        state.minute = reader.readValue();
        state.month = reader.readValue();
        state.day = reader.readValue();
    } catch (const EndOfRecords &) {
        // What was read stays; the rest keeps the caller's values.
    }
    return reader.fieldsRead();
}

int readClockStateFile(const std::filesystem::path &path, ClockState &state)
{
    const auto bytes = readWholeFile(path);
    if (!bytes)
        return -1;
    return readClockState(decodeFileText(*bytes), state);
}

std::string writeClockState(float left, float top, const std::string &memo,
                            const std::string &hour, const std::string &minute,
                            const std::string &month, const std::string &day)
{
    RecordWriter writer;
    writer.addSingle(left).addSingle(top).endLine();
    writer.addString(withoutQuotes(memo)).endLine();
    writer.addString(withoutQuotes(hour)).addString(withoutQuotes(minute)).endLine();
    writer.addString(withoutQuotes(month)).addString(withoutQuotes(day)).endLine();
    return writer.text();
}

bool writeClockStateFile(const std::filesystem::path &path, float left, float top,
                         const std::string &memo, const std::string &hour,
                         const std::string &minute, const std::string &month,
                         const std::string &day)
{
    std::string text;
    try {
        text = writeClockState(left, top, memo, hour, minute, month, day);
    } catch (const ConversionError &) {
        return false; // a position that is no finite number
    }
    return writeFileAtomically(path, encodeFileText(text));
}

} // namespace orbelle
