// SPDX-License-Identifier: MIT
// Feeds arbitrary file bytes through everything that reads the two settings
// files. Besides crashes and sanitizer reports it checks a few promises:
// decoded text is valid UTF-8, every read consumes at least one byte, and
// numbers written back are plain decimals that read as numbers again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ClockStateFile.h"
#include "FaceDesignFile.h"
#include "RecordReader.h"
#include "RecordWriter.h"
#include "TextEncoding.h"

namespace {

using namespace orbelle;

void require(bool condition)
{
    if (!condition)
        std::abort();
}

void checkNumberText(double number)
{
    for (int digits : {7, 15}) {
        const std::string text = formatDecimal(number, digits);
        require(text.find_first_of("eE") == std::string::npos);
        require(text != "-0");
        double back = 0;
        require(parseDecimal(text, back));
    }
}

std::string fullWidthQuotes(const std::string &text)
{
    std::string result;
    for (char c : text)
        result += c == '"' ? std::string("\xEF\xBC\x82") : std::string(1, c);
    return result;
}

// Reads every field, cycling through the kinds of read a program makes.
void readAllFields(const std::string &text, unsigned kindSeed)
{
    RecordReader reader(text);
    const std::size_t limit = text.size() + 1;
    for (std::size_t i = 0;; ++i) {
        require(i <= limit);
        const std::size_t before = reader.remaining();
        const bool atEnd = reader.atEnd();
        try {
            switch ((kindSeed + i) % 5) {
            case 0: {
                const Value value = reader.readValue();
                if (value.isNumber())
                    checkNumberText(value.toDouble());
                break;
            }
            case 1:
                reader.readString();
                break;
            case 2:
                reader.readInt16();
                break;
            case 3:
                reader.readInt32();
                break;
            default:
                reader.readSingle();
                break;
            }
        } catch (const EndOfRecords &) {
            require(atEnd);
            return;
        } catch (const ConversionError &) {
        }
        require(!atEnd);
        require(reader.remaining() < before);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const std::string text = decodeFileText(bytes);
    require(isValidUtf8(text));
    require(isValidUtf8(cp932ToUtf8(bytes)));
    utf8ToCp932(text);

    readAllFields(text, size > 0 ? data[0] : 0);

    FaceDesign clockDesign;
    readDesignForClock(text, clockDesign);
    FaceDesign editorDesign;
    readDesignForEditor(text, editorDesign);
    try {
        const std::string written = writeDesign(editorDesign);
        FaceDesign again;
        require(readDesignForEditor(written, again).fieldsRead >= 23);
    } catch (const ConversionError &) {
    }

    ClockState state;
    readClockState(text, state);
    try {
        ClockState again;
        readClockState(writeClockState(state.left.toSingle(), state.top.toSingle(), state.memo,
                                       state.hour.toText(), state.minute.toText(),
                                       state.month.toText(), state.day.toText()),
                       again);
        // Quotes come back full-width; everything else as it was.
        require(again.memo == fullWidthQuotes(state.memo));
        require(again.hour == Value(fullWidthQuotes(state.hour.toText())));
        require(again.day == Value(fullWidthQuotes(state.day.toText())));
    } catch (const ConversionError &) {
    }
    return 0;
}
