// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "FaceDesignFile.h"
#include "TemporaryFolder.h"
#include "ValuePrinter.h"

using namespace orbelle;

namespace {

// What the editor saves right after it starts.
const std::string defaultSave = "2660,2660\r\n"
                                "\r\n"
                                "0,0\r\n"
                                "#TRUE#,#FALSE#,#FALSE#\r\n"
                                "1290,1260,2400,2400\r\n"
                                "1,1,1,1\r\n"
                                "16777215,255,65280,16711935\r\n"
                                "\"100\",\"90\",\"70\"\r\n"
                                "\r\n"
                                "134,206\r\n"
                                "1950,3015\r\n";

const std::string polygonHead = "2460,2460\r\n"
                                "\"C:\\写真\\時計.jpg\"\r\n"
                                "-300,-150\r\n"
                                "#FALSE#,#FALSE#,#TRUE#\r\n"
                                "1290,1260,2400,2400\r\n"
                                "1,0,1,1\r\n"
                                "16777215,255,65280,16711935\r\n"
                                "\"100\",\"95.5\",\"abc\"\r\n";
const std::string polygonTail = "4\r\n"
                                "134,206\r\n100,50\r\n150,20\r\n-7,0\r\n10,140\r\n"
                                "1950,3015\r\n1748,848\r\n2498,548\r\n1543,-53\r\n448,2348\r\n";
const std::string polygonFile = polygonHead + polygonTail;
const int fieldsToLineEight = 23;

FaceDesign defaultDesign()
{
    FaceDesign d;
    d.windowWidth = d.windowHeight = 2660;
    d.pictureLeft = d.pictureTop = -0.0;
    d.circle = true;
    d.rectangle = d.polygon = false;
    d.tokeiX = 1290;
    d.tokeiY = 1260;
    d.tokeiHaba = d.tokeiTakasa = 2400;
    d.memoriChk = d.hariSChk = d.hariMChk = d.hariHChk = 1;
    d.memoricolor = 16777215;
    d.hariScolor = 255;
    d.hariMcolor = 65280;
    d.hariHcolor = 16711935;
    d.hariSlength = "100";
    d.hariMlength = "90";
    d.hariHlength = "70";
    d.vertexList = {{134, 206}};
    d.handleList = {{1950, 3015}};
    return d;
}

std::string replaced(std::string text, const std::string &from, const std::string &to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

void expectSameDesign(const FaceDesign &a, const FaceDesign &b)
{
    const Value FaceDesign::*values[] = {
        &FaceDesign::windowWidth, &FaceDesign::windowHeight, &FaceDesign::pictureLeft,
        &FaceDesign::pictureTop, &FaceDesign::circle, &FaceDesign::rectangle, &FaceDesign::polygon,
        &FaceDesign::tokeiX, &FaceDesign::tokeiY, &FaceDesign::tokeiHaba, &FaceDesign::tokeiTakasa,
        &FaceDesign::memoriChk, &FaceDesign::hariSChk, &FaceDesign::hariMChk, &FaceDesign::hariHChk,
        &FaceDesign::memoricolor, &FaceDesign::hariScolor, &FaceDesign::hariMcolor,
        &FaceDesign::hariHcolor, &FaceDesign::hariSlength, &FaceDesign::hariMlength,
        &FaceDesign::hariHlength, &FaceDesign::idx,
    };
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(a.*values[i], b.*values[i]) << "value field " << i;
    EXPECT_EQ(a.picturePath, b.picturePath);
    EXPECT_EQ(a.picturePathEmptyField, b.picturePathEmptyField);
    EXPECT_EQ(a.vertexList, b.vertexList);
    EXPECT_EQ(a.handleList, b.handleList);
}

} // namespace

TEST(FaceDesignFileTest, WritesTheDefaultSave)
{
    EXPECT_EQ(writeDesign(defaultDesign()), defaultSave);
    FaceDesign fromFile;
    const DesignReadStatus status = readDesignForEditor(defaultSave, fromFile);
    EXPECT_TRUE(status.complete);
    EXPECT_EQ(status.fieldsRead, fieldsToLineEight);
    EXPECT_TRUE(fromFile.picturePathEmptyField);
    EXPECT_EQ(fromFile.windowWidth, Value(2660));
    EXPECT_EQ(fromFile.circle, Value(true));
    EXPECT_EQ(fromFile.hariMlength, Value("90"));
}

TEST(FaceDesignFileTest, EditorReadThenWriteGivesTheSameBytes)
{
    const std::string files[] = {
        polygonFile,
        replaced(polygonFile, "\"C:\\写真\\時計.jpg\"", "\"\""),
        replaced(polygonFile, "\"C:\\写真\\時計.jpg\"", ""),
        polygonHead + "\r\n134,206\r\n1950,3015\r\n", // empty count: one pair each
        polygonHead + "0\r\n0,0\r\n0,0\r\n",
    };
    for (const std::string &file : files) {
        SCOPED_TRACE(file);
        FaceDesign design;
        const DesignReadStatus status = readDesignForEditor(file, design);
        EXPECT_TRUE(status.complete);
        EXPECT_EQ(status.failedField, -1);
        EXPECT_EQ(writeDesign(design), file);
    }
}

TEST(FaceDesignFileTest, ClockReadsUntypedFieldsAndTheVertexListOnly)
{
    FaceDesign design;
    design.handleList = {{7, 7}};
    const DesignReadStatus status = readDesignForClock(polygonFile, design);
    EXPECT_TRUE(status.complete);
    EXPECT_EQ(status.fieldsRead, fieldsToLineEight + 1 + 10);
    EXPECT_EQ(design.picturePath, "C:\\写真\\時計.jpg");
    EXPECT_FALSE(design.picturePathEmptyField);
    EXPECT_EQ(design.pictureTop, Value(-150));
    EXPECT_EQ(design.polygon, Value(true));
    EXPECT_EQ(design.hariSChk, Value(0));
    EXPECT_EQ(design.hariHlength, Value("abc"));
    EXPECT_EQ(design.idx, Value(4));
    const std::vector<DesignPoint> vertices = {{134, 206}, {100, 50}, {150, 20}, {-7, 0}, {10, 140}};
    EXPECT_EQ(design.vertexList, vertices);
    EXPECT_EQ(design.handleList, (std::vector<DesignPoint>{{7, 7}}));
}

TEST(FaceDesignFileTest, FieldsOnOneLineReadLikeTheLineLayout)
{
    for (const std::string &separator : {std::string(","), std::string("\n"), std::string("\r")}) {
        SCOPED_TRACE(separator);
        std::string oneLine = replaced(polygonFile, "\r\n", separator);
        FaceDesign fromLines, fromOneLine;
        readDesignForEditor(polygonFile, fromLines);
        EXPECT_TRUE(readDesignForEditor(oneLine, fromOneLine).complete);
        expectSameDesign(fromOneLine, fromLines);
        readDesignForClock(polygonFile, fromLines);
        readDesignForClock(oneLine, fromOneLine);
        expectSameDesign(fromOneLine, fromLines);
    }
}

TEST(FaceDesignFileTest, ClockRoundsVerticesHalfToEven)
{
    FaceDesign design;
    readDesignForClock(replaced(polygonFile, "150,20\r\n-7,0", "93.5,92.5\r\n-0.5,2.5"), design);
    ASSERT_EQ(design.vertexList.size(), 5u);
    EXPECT_EQ(design.vertexList[2], (DesignPoint{94, 92}));
    EXPECT_EQ(design.vertexList[3], (DesignPoint{0, 2}));
}

TEST(FaceDesignFileTest, NoPolygonFlagReadsNothingAfterLineEight)
{
    const std::string ellipse = replaced(polygonFile, "#FALSE#,#FALSE#,#TRUE#", "#TRUE#,#FALSE#,#FALSE#");
    for (auto read : {readDesignForClock, readDesignForEditor}) {
        FaceDesign design;
        design.idx = 5;
        design.vertexList = {{1, 2}};
        const DesignReadStatus status = read(ellipse, design);
        EXPECT_TRUE(status.complete);
        EXPECT_EQ(status.fieldsRead, fieldsToLineEight);
        EXPECT_EQ(design.idx, Value(5));
        EXPECT_EQ(design.vertexList, (std::vector<DesignPoint>{{1, 2}}));
    }
}

TEST(FaceDesignFileTest, FileEndingAfterLineThree)
{
    const std::string shortFile = polygonFile.substr(0, polygonFile.find("#FALSE#"));
    for (auto read : {readDesignForClock, readDesignForEditor}) {
        FaceDesign design;
        const DesignReadStatus status = read(shortFile, design);
        EXPECT_TRUE(status.opened);
        EXPECT_FALSE(status.complete);
        EXPECT_TRUE(status.pastEnd);
        EXPECT_EQ(status.fieldsRead, 5);
        EXPECT_EQ(status.failedField, 5);
        EXPECT_EQ(design.windowHeight, Value(2460));
        EXPECT_EQ(design.pictureLeft, Value(-300));
        EXPECT_TRUE(design.circle.isEmpty());
        EXPECT_TRUE(design.polygon.isEmpty());
    }
}

TEST(FaceDesignFileTest, HugeVertexCountAllocatesOnlyWhatTheTextHolds)
{
    const std::string file = polygonHead + "2000000000\r\n1,2\r\n3,4\r\n5";
    for (auto read : {readDesignForClock, readDesignForEditor}) {
        FaceDesign design;
        const DesignReadStatus status = read(file, design);
        EXPECT_TRUE(status.pastEnd);
        EXPECT_EQ(design.idx, Value(2000000000));
        EXPECT_EQ(design.vertexList, (std::vector<DesignPoint>{{1, 2}, {3, 4}, {5, 0}}));
        EXPECT_LT(design.vertexList.capacity(), 100u);
        EXPECT_TRUE(design.handleList.empty());
    }
}

TEST(FaceDesignFileTest, ClockPassesOverFailedConversions)
{
    FaceDesign design;
    const DesignReadStatus status = readDesignForClock(polygonHead + "2\r\nabc,5\r\n3e9,7\r\n8,9\r\n", design);
    EXPECT_TRUE(status.complete);
    EXPECT_EQ(status.failedField, fieldsToLineEight + 1);
    EXPECT_EQ(status.fieldsRead, fieldsToLineEight + 1 + 4);
    EXPECT_EQ(design.vertexList, (std::vector<DesignPoint>{{0, 5}, {0, 7}, {8, 9}}));

    for (const char *count : {"-1", "abc", "3e9"}) {
        SCOPED_TRACE(count);
        FaceDesign noList;
        EXPECT_TRUE(readDesignForClock(polygonHead + count + "\r\n1,2\r\n", noList).complete);
        EXPECT_TRUE(noList.vertexList.empty());
    }
}

TEST(FaceDesignFileTest, EditorStopsAtTheFirstFailure)
{
    FaceDesign design;
    DesignReadStatus status =
        readDesignForEditor(polygonHead + "1\r\n0,0\r\n100,50\r\n1,2\r\n40000,5\r\n", design);
    EXPECT_FALSE(status.complete);
    EXPECT_FALSE(status.pastEnd);
    EXPECT_EQ(status.failedField, fieldsToLineEight + 1 + 4 + 2);
    EXPECT_EQ(design.idx, Value(1));
    EXPECT_EQ(design.vertexList, (std::vector<DesignPoint>{{0, 0}, {100, 50}}));
    EXPECT_EQ(design.handleList, (std::vector<DesignPoint>{{1, 2}}));

    FaceDesign badCount;
    status = readDesignForEditor(polygonHead + "abc\r\n0,0\r\n0,0\r\n", badCount);
    EXPECT_FALSE(status.complete);
    EXPECT_EQ(status.failedField, fieldsToLineEight);
    EXPECT_EQ(badCount.idx, Value("abc"));

    FaceDesign cutShort;
    status = readDesignForEditor(polygonHead + "2\r\n0,0\r\n1.5,2.5\r\n", cutShort);
    EXPECT_TRUE(status.pastEnd);
    EXPECT_EQ(cutShort.idx, Value(2));
    EXPECT_EQ(cutShort.vertexList, (std::vector<DesignPoint>{{0, 0}, {2, 2}}));
}

TEST(FaceDesignFileTest, WritesFieldsInTheirTypes)
{
    FaceDesign design = defaultDesign();
    design.picturePathEmptyField = false;
    design.tokeiX = "1290.25";
    design.hariSlength = 95.5;
    design.hariMlength = "abc";
    design.hariHlength = Value();
    design.idx = "2";
    design.vertexList = {{0, 0}, {100.5, 1.0 / 3}, {-20, 0}};
    design.handleList.clear();
    EXPECT_EQ(writeDesign(design), "2660,2660\r\n"
                                   "\"\"\r\n"
                                   "0,0\r\n"
                                   "#TRUE#,#FALSE#,#FALSE#\r\n"
                                   "1290.25,1260,2400,2400\r\n"
                                   "1,1,1,1\r\n"
                                   "16777215,255,65280,16711935\r\n"
                                   "\"95.5\",\"abc\",\"\"\r\n"
                                   "2\r\n"
                                   "0,0\r\n100.5,0.3333333\r\n-20,0\r\n");
    design.hariHChk = 32768;
    EXPECT_THROW(writeDesign(design), ConversionError);
    design.hariHChk = 1;
    design.memoricolor = "white";
    EXPECT_THROW(writeDesign(design), ConversionError);
}

TEST(FaceDesignFileTest, FilesOnDisk)
{
    TemporaryFolder folder;
    const auto path = folder.file("tokei-set.ini");
    FaceDesign design;
    design.idx = 3;
    EXPECT_FALSE(readDesignFileForEditor(path, design).opened);
    EXPECT_EQ(design.idx, Value(3));

    ASSERT_TRUE(writeDesignFile(path, defaultDesign()));
    FaceDesign bad = defaultDesign();
    bad.hariSChk = "on";
    EXPECT_FALSE(writeDesignFile(path, bad));
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), defaultSave);

    // A file from a system that writes code page 932, with a trail byte
    // 0x5C inside the path.
    std::ofstream(path, std::ios::binary)
        << replaced(polygonFile, "\"C:\\写真\\時計.jpg\"", "\"C:\\\x95\x5C\x8E\xA6\\\x8E\x9E\x8C\x76.jpg\"");
    const DesignReadStatus status = readDesignFileForClock(path, design);
    EXPECT_TRUE(status.opened && status.complete);
    EXPECT_EQ(design.picturePath, "C:\\表示\\時計.jpg");
    EXPECT_EQ(design.vertexList.size(), 5u);
}
