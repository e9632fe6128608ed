// SPDX-License-Identifier: MIT
#pragma once
// The face design file "tokei-set.ini" that the editor writes and both
// programs read: its fields in order, read the clock's way or the editor's
// way, and written whole. Owns no file handle; paths are opened, read or
// written and closed within one call.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "Value.h"

namespace orbelle {

struct DesignPoint {
    double x = 0;
    double y = 0;
    friend bool operator==(const DesignPoint &, const DesignPoint &) = default;
};

// One design, field by field. Lines 1 and 3 to 9 are untyped, as the
// programs receive them; line 2 is a text.
struct FaceDesign {
    Value windowWidth, windowHeight;                        // line 1, twips
    std::string picturePath;                                // line 2
    // An editor that never chose a picture writes line 2 as an empty field
    // (an empty line), while a path that was loaded as "" is written as "".
    // True: an empty picturePath is written as an empty field; false: as "".
    // Readers set it from what line 2 held. Has no effect on a non-empty path.
    bool picturePathEmptyField = true;
    Value pictureLeft, pictureTop;                          // line 3, twips
    Value circle, rectangle, polygon;                       // line 4
    Value tokeiX, tokeiY, tokeiHaba, tokeiTakasa;           // line 5, twips
    Value memoriChk, hariSChk, hariMChk, hariHChk;          // line 6
    Value memoricolor, hariScolor, hariMcolor, hariHcolor;  // line 7
    Value hariSlength, hariMlength, hariHlength;            // line 8, percent texts
    Value idx;                                              // line 9, vertex count n
    // Entry 0 is the template entry, entries 1..n the polygon vertices in
    // pixels from the picture frame's top-left corner.
    std::vector<DesignPoint> vertexList;
    // Left and top (twips, editor canvas) of vertex markers 0..n.
    std::vector<DesignPoint> handleList;
};

// How far a read got. A reader keeps whatever it read before it stopped.
struct DesignReadStatus {
    bool opened = false;     // the file could be opened and read
    // The reading order ran to its end without reading past the end of the
    // text (the clock's order may still have skipped a failed conversion).
    bool complete = false;
    int fieldsRead = 0;      // fields read successfully
    // Index (0-based, in reading order) of the first field that failed, or
    // -1. A vertex count that is no number fails at its own index.
    int failedField = -1;
    bool pastEnd = false;    // the failure was a read past the end of the file
};

// The clock's reading order: lines 1 to 8; line 9 and the vertex list (into
// 32-bit integers) only when line 4, field 3 is boolean true; the handle list
// never. A field that cannot be converted is skipped and reading goes on; a
// read past the end ends it. Never allocates for more vertices than the text
// could hold. The vertex count is line 9 rounded to a 32-bit integer; the
// vertex list then gets the template entry and that many vertices, as far
// as the text holds them (a negative or non-numeric count reads no list).
// A pair cut off by the end of the text keeps 0 for its missing coordinate.
DesignReadStatus readDesignForClock(const std::string &text, FaceDesign &design);
// The editor's reading order: lines 1 to 8; when line 4, field 3 is true,
// line 9, the vertex list (32-bit integers) and the handle list (16-bit
// integers), n + 1 pairs each. The first failing field ends the read; idx
// is set once line 9 was read, the lists get the pairs read before the stop.
DesignReadStatus readDesignForEditor(const std::string &text, FaceDesign &design);

// The same, from a file on disk (decoded per TextEncoding). A file that
// cannot be opened gives opened = false and leaves the design untouched.
DesignReadStatus readDesignFileForClock(const std::filesystem::path &path, FaceDesign &design);
DesignReadStatus readDesignFileForEditor(const std::filesystem::path &path, FaceDesign &design);

// The whole layout as the editor writes it: lines 1, 3 and 5 and both lists
// single precision, line 4 booleans, line 6 16-bit and line 7 32-bit
// integers, line 8 quoted texts as they stand, line 9 a whole number or an
// empty field, then both lists line by line as they are (the editor puts
// the template entry first; an empty list writes no line). Throws
// ConversionError when a field cannot take its type.
std::string writeDesign(const FaceDesign &design);
// Writes atomically; false when the file could not be written (the old file
// then stays whole) or a field could not be converted.
bool writeDesignFile(const std::filesystem::path &path, const FaceDesign &design);

} // namespace orbelle
