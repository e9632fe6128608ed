// SPDX-License-Identifier: MIT
#include "FaceDesignFile.h"

#include <algorithm>
#include <optional>

#include "AtomicFile.h"
#include "RecordReader.h"
#include "RecordWriter.h"
#include "TextEncoding.h"

namespace orbelle {

namespace {

enum class Order { Clock, Editor };
enum class PairType { Int16, Int32 };

// Walks one reading order over the text, field by field, and keeps the
// status: a read past the end stops everything; a failed conversion stops
// the editor's order and is passed over in the clock's.
class FieldSequence {
public:
    FieldSequence(const std::string &text, Order order, DesignReadStatus &status)
        : reader_(text), order_(order), status_(status)
    {
        status_ = DesignReadStatus{};
        status_.opened = true;
    }

    // Runs one read of the reader; false when it failed or the sequence had
    // already stopped.
    template <typename Read>
    bool read(Read &&readOne)
    {
        if (stopped_)
            return false;
        const int index = next_++;
        try {
            readOne(reader_);
            ++status_.fieldsRead;
            return true;
        } catch (const EndOfRecords &) {
            status_.pastEnd = true;
            fail(index, true);
        } catch (const ConversionError &) {
            fail(index, order_ == Order::Editor);
        }
        return false;
    }

    bool value(Value &target)
    {
        return read([&](RecordReader &reader) { target = reader.readValue(); });
    }

    // A value that was read but cannot serve as what it stands for.
    void failConversion(int index) { fail(index, order_ == Order::Editor); }

    // Marks the end of the reading order.
    void finish() { status_.complete = !stopped_; }

    bool stopped() const { return stopped_; }
    int nextIndex() const { return next_; }
    std::size_t remaining() const { return reader_.remaining(); }

private:
    void fail(int index, bool stop)
    {
        if (status_.failedField < 0)
            status_.failedField = index;
        if (stop)
            stopped_ = true;
    }

    RecordReader reader_;
    Order order_;
    DesignReadStatus &status_;
    int next_ = 0;
    bool stopped_ = false;
};

void readLinesOneToEight(FieldSequence &fields, FaceDesign &design)
{
    fields.value(design.windowWidth);
    fields.value(design.windowHeight);
    fields.read([&](RecordReader &reader) {
        design.picturePath = reader.readString();
        design.picturePathEmptyField = reader.lastFieldEmpty();
    });
    for (Value *target : {&design.pictureLeft, &design.pictureTop, &design.circle,
                          &design.rectangle, &design.polygon, &design.tokeiX, &design.tokeiY,
                          &design.tokeiHaba, &design.tokeiTakasa, &design.memoriChk,
                          &design.hariSChk, &design.hariMChk, &design.hariHChk,
                          &design.memoricolor, &design.hariScolor, &design.hariMcolor,
                          &design.hariHcolor, &design.hariSlength, &design.hariMlength,
                          &design.hariHlength})
        fields.value(*target);
}

// Both programs test the flag against boolean true, which is -1 as a number.
bool isTrue(const Value &flag)
{
    try {
        return flag.equals(-1);
    } catch (const ConversionError &) {
        return false;
    }
}

// Reads up to count pairs into list, stopping where the sequence stops, so a
// huge count in a short text costs only what the text holds.
void readPairs(FieldSequence &fields, std::vector<DesignPoint> &list, std::int64_t count,
               PairType type)
{
    list.clear();
    // A pair takes at least two bytes (two separators).
    const auto room = static_cast<std::int64_t>(fields.remaining() / 2 + 1);
    list.reserve(static_cast<std::size_t>(std::max<std::int64_t>(0, std::min(count, room))));
    auto readInto = [type](double &target) {
        return [&target, type](RecordReader &reader) {
            target = type == PairType::Int32 ? reader.readInt32() : reader.readInt16();
        };
    };
    for (std::int64_t i = 0; i < count; ++i) {
        DesignPoint point;
        // A failed conversion that the sequence passes over still took its
        // field, so the pair goes on with 0 in that place.
        const bool tookX = fields.read(readInto(point.x)) || !fields.stopped();
        if (!tookX)
            return;
        fields.read(readInto(point.y));
        list.push_back(point);
        if (fields.stopped())
            return;
    }
}

// The vertex count from line 9, or nothing when it is no number or does not
// fit a 32-bit integer.
std::optional<std::int32_t> vertexCount(const Value &idx)
{
    try {
        return idx.toInt32();
    } catch (const ConversionError &) {
        return std::nullopt;
    }
}

void writeList(RecordWriter &writer, const std::vector<DesignPoint> &list)
{
    for (const DesignPoint &point : list)
        writer.addSingle(Value(point.x).toSingle()).addSingle(Value(point.y).toSingle()).endLine();
}

} // namespace

DesignReadStatus readDesignForClock(const std::string &text, FaceDesign &design)
{
    DesignReadStatus status;
    FieldSequence fields(text, Order::Clock, status);
    readLinesOneToEight(fields, design);
    if (fields.stopped() || !isTrue(design.polygon)) {
        fields.finish();
        return status;
    }
    const int idxField = fields.nextIndex();
    if (!fields.value(design.idx))
        return status;
    const std::optional<std::int32_t> count = vertexCount(design.idx);
    if (!count)
        fields.failConversion(idxField);
    // The template entry comes first and is overwritten by the first vertex
    // in the clock's own array; keeping it at [0] leaves the vertices at
    // 1..idx, as the editor numbers them.
    if (count && *count >= 0)
        readPairs(fields, design.vertexList, std::int64_t{*count} + 1, PairType::Int32);
    fields.finish();
    return status;
}

DesignReadStatus readDesignForEditor(const std::string &text, FaceDesign &design)
{
    DesignReadStatus status;
    FieldSequence fields(text, Order::Editor, status);
    readLinesOneToEight(fields, design);
    if (fields.stopped() || !isTrue(design.polygon)) {
        fields.finish();
        return status;
    }
    const int idxField = fields.nextIndex();
    if (!fields.value(design.idx))
        return status;
    const std::optional<std::int32_t> count = vertexCount(design.idx);
    if (!count) {
        fields.failConversion(idxField);
        return status;
    }
    if (*count >= 0) {
        readPairs(fields, design.vertexList, std::int64_t{*count} + 1, PairType::Int32);
        if (!fields.stopped())
            readPairs(fields, design.handleList, std::int64_t{*count} + 1, PairType::Int16);
    }
    fields.finish();
    return status;
}

DesignReadStatus readDesignFileForClock(const std::filesystem::path &path, FaceDesign &design)
{
    const auto bytes = readWholeFile(path);
    if (!bytes)
        return {};
    return readDesignForClock(decodeFileText(*bytes), design);
}

DesignReadStatus readDesignFileForEditor(const std::filesystem::path &path, FaceDesign &design)
{
    const auto bytes = readWholeFile(path);
    if (!bytes)
        return {};
    return readDesignForEditor(decodeFileText(*bytes), design);
}

std::string writeDesign(const FaceDesign &design)
{
    RecordWriter writer;
    writer.addSingle(design.windowWidth.toSingle()).addSingle(design.windowHeight.toSingle()).endLine();
    if (design.picturePath.empty() && design.picturePathEmptyField)
        writer.addEmpty();
    else
        writer.addString(design.picturePath);
    writer.endLine();
    writer.addSingle(design.pictureLeft.toSingle()).addSingle(design.pictureTop.toSingle()).endLine();
    writer.addBool(design.circle.toBool())
        .addBool(design.rectangle.toBool())
        .addBool(design.polygon.toBool())
        .endLine();
    for (const Value *single : {&design.tokeiX, &design.tokeiY, &design.tokeiHaba, &design.tokeiTakasa})
        writer.addSingle(single->toSingle());
    writer.endLine();
    for (const Value *flag : {&design.memoriChk, &design.hariSChk, &design.hariMChk, &design.hariHChk})
        writer.addInteger(flag->toInt16());
    writer.endLine();
    for (const Value *colour : {&design.memoricolor, &design.hariScolor, &design.hariMcolor, &design.hariHcolor})
        writer.addInteger(colour->toInt32());
    writer.endLine();
    for (const Value *length : {&design.hariSlength, &design.hariMlength, &design.hariHlength})
        writer.addString(length->toText());
    writer.endLine();
    if (design.idx.isEmpty())
        writer.addEmpty();
    else
        writer.addInteger(design.idx.toInt32());
    writer.endLine();
    writeList(writer, design.vertexList);
    writeList(writer, design.handleList);
    return writer.text();
}

bool writeDesignFile(const std::filesystem::path &path, const FaceDesign &design)
{
    std::string text;
    try {
        text = writeDesign(design);
    } catch (const ConversionError &) {
        return false;
    }
    return writeFileAtomically(path, encodeFileText(text));
}

} // namespace orbelle
