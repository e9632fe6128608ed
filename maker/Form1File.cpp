// SPDX-License-Identifier: MIT
#include "Form1.h"

#include <exception>

#include "AtomicFile.h"
#include "FaceDesignFile.h"
#include "FilesFolder.h"
#include "TextEncoding.h"
#include "WriteFailure.h"

namespace orbelle::maker {

namespace {

// Fields of lines 1 to 8, before the vertex count.
constexpr int kFieldsBeforeCount = 23;

form::FileDialogRequest designDialog(std::string proposedName)
{
    form::FileDialogRequest request;
    request.filters = {{"設定ファイル", "tokei-set.ini"}, {"すべてのファイル(*.*)", "*.*"}};
    request.filterIndex = 1;
    request.fileName = std::move(proposedName);
    return request;
}

// A number stored into a single-precision property: one beyond its range
// does not fit, and the load stops there as for any other failed conversion.
float single(double number)
{
    return Value(number).toSingle();
}

} // namespace

void Form1::Command2_Click()
{
    services_.setCurrentDirectory(services_.programFolder());
    const std::string previous = anotherSetIni.toText();
    const auto path = services_.showSaveDialog(designDialog(previous.empty() ? kDesignFileName : previous));
    if (!path)
        return;
    saveDesign(*path);
}

void Form1::saveDesign(const std::string &path)
{
    try {
        FaceDesign design = designShown();
        const int claimed = idx.toInt32();
        const int written = addVertexLists(design);
        // Written whole or not at all: the file that was there stays intact.
        const std::filesystem::path target = pathFromUtf8(path);
        if (!writeDesignFile(target, design))
            StatusBar1.PanelText = "保存できませんでした（" + writeFailureReason(target) + "）: " + path;
        else if (written < claimed)
            // A damaged load left fewer vertices than its count: say so.
            StatusBar1.PanelText = "保存しました（頂点 " + std::to_string(claimed) + " 個のうち " +
                                   std::to_string(written) + " 個）: " + path;
        else
            StatusBar1.PanelText = "保存しました: " + path;
    } catch (const std::exception &) {
        StatusBar1.PanelText = "保存できませんでした（頂点の記録が壊れています）: " + path;
    }
}

FaceDesign Form1::designToSave() const
{
    FaceDesign design = designShown();
    addVertexLists(design);
    return design;
}

FaceDesign Form1::designShown() const
{
    FaceDesign design;
    design.windowWidth = double(Image1.Width + 60.0f);
    design.windowHeight = double(Image1.Height + 60.0f);
    // An editor that never had a picture writes nothing on line 2; a path
    // taken from a file, even an empty one, is written quoted.
    design.picturePath = ImageFileName.toText();
    design.picturePathEmptyField = ImageFileName.isEmpty();
    design.pictureLeft = double(-Image1.Left);
    design.pictureTop = double(-Image1.Top);
    design.circle = Option1.Value;
    design.rectangle = Option2.Value;
    design.polygon = Option3.Value;
    design.tokeiX = double(Image2.Left + Image2.Width / 2.0f);
    design.tokeiY = double(Image2.Top + Image2.Height / 2.0f);
    design.tokeiHaba = double(Image2.Width);
    design.tokeiTakasa = double(Image2.Height);
    design.memoriChk = Check1.Value;
    design.hariSChk = Check2.Value;
    design.hariMChk = Check3.Value;
    design.hariHChk = Check4.Value;
    design.memoricolor = Label2.BackColor;
    design.hariScolor = Label3.BackColor;
    design.hariMcolor = Label8.BackColor;
    design.hariHcolor = Label9.BackColor;
    design.hariSlength = Text1.Text;
    design.hariMlength = Text2.Text;
    design.hariHlength = Text3.Text;
    return design;
}

int Form1::addVertexLists(FaceDesign &design) const
{
    // Both lists always run from element 0, the template, to n. A count that
    // a damaged load left beyond the vertices that were made is written as
    // the vertices there are, so the file stays whole.
    int n = idx.toInt32();
    for (int i = 1; i <= n; ++i) {
        if (!Line17.exists(i) || !Label17.exists(i)) {
            n = i - 1;
            design.idx = n;
            break;
        }
    }
    if (n == idx.toInt32())
        design.idx = idx;
    for (int i = 0; i <= n; ++i) {
        const form::Line &segment = Line17[i];
        design.vertexList.push_back(
            {double((segment.X1 - Image1.Left) / 15.0f), double((segment.Y1 - Image1.Top) / 15.0f)});
    }
    for (int i = 0; i <= n; ++i) {
        const form::Label &marker = Label17[i];
        design.handleList.push_back({double(marker.Left), double(marker.Top)});
    }
    return n;
}

void Form1::Command8_Click()
{
    services_.setCurrentDirectory(services_.programFolder());
    const auto path = services_.showOpenDialog(designDialog(kDesignFileName));
    if (!path)
        return;
    loadDesign(*path);
}

void Form1::loadDesign(const std::string &path)
{
    readDesign(path);
    // The picture and the frame may have changed size.
    fitScrollBars();
    showSizes();
}

// Each step may end the load; what the steps before it applied stays.
void Form1::readDesign(const std::string &path)
{
    anotherSetIni = path;
    FaceDesign d;
    if (!readDesignToLoad(path, d))
        return;
    try {
        if (sameNumber(d.polygon, -1) && !loadPolygon(d))
            return;
        loadFrameSize(d);
        if (!loadPicture(d, path))
            return;
        loadFramePlace(d);
        loadShape(d);
        loadLengthsAndHandsArea(d);
        loadSwitches(d);
        loadColours(d);
    } catch (const std::exception &) {
        // The load ends where it failed; what was applied stays.
    }
}

bool Form1::readDesignToLoad(const std::string &path, FaceDesign &d)
{
    recoverInterruptedWrites(pathFromUtf8(path));
    const DesignReadStatus status = readDesignFileForEditor(pathFromUtf8(path), d);
    if (!status.opened)
        return false;
    if (status.fieldsRead > kFieldsBeforeCount)
        idx = d.idx;
    return status.complete;
}

bool Form1::loadPolygon(const FaceDesign &d)
{
    const int n = d.idx.toInt32();
    // Lists from 0 to n + 1 cannot be made for a count below -1.
    if (n < -1)
        return false;
    // A polygon loads over whatever polygon the editor held.
    for (int i : Line17.indices())
        if (i >= 1)
            Line17.unload(i);
    for (int i : Label17.indices())
        if (i >= 1)
            Label17.unload(i);
    // The offset is converted where a vertex first needs it: a bad one stops
    // the load after the first segment was made.
    auto canvasX = [&](int i) {
        return double(Value(d.vertexList.at(size_t(i)).x * 15).toInt32()) - d.pictureLeft.toDouble();
    };
    auto canvasY = [&](int i) {
        return double(Value(d.vertexList.at(size_t(i)).y * 15).toInt32()) - d.pictureTop.toDouble();
    };
    for (int i = 1; i <= n; ++i) {
        form::Line &segment = Line17.load(i);
        segment.X1 = single(canvasX(i));
        segment.Y1 = single(canvasY(i));
        const int previous = i == 1 ? n : i - 1;
        segment.X2 = single(canvasX(previous));
        segment.Y2 = single(canvasY(previous));
        segment.Visible = true;
        Label17.load(i).Visible = true;
    }
    for (int i = 1; i <= n; ++i) {
        Label17[i].Left = single(d.handleList.at(size_t(i)).x);
        Label17[i].Top = single(d.handleList.at(size_t(i)).y);
    }
    return true;
}

void Form1::loadFrameSize(const FaceDesign &d)
{
    Image1.Width = single(d.windowWidth.toDouble() - 60);
    Image1.Height = single(d.windowHeight.toDouble() - 60);
    Shape1.Width = Image1.Width;
    Shape1.Height = Image1.Height;
}

bool Form1::loadPicture(const FaceDesign &d, const std::string &designPath)
{
    if (d.picturePath.empty()) {
        Picture1.setPicture(nullptr);
    } else {
        auto picture = services_.loadPicture(locatePicture(d.picturePath, pathFromUtf8(designPath).parent_path()));
        if (!picture)
            return false;
        Picture1.setPicture(std::move(picture));
    }
    ImageFileName = d.picturePath;
    StatusBar1.PanelText = d.picturePath;
    return true;
}

void Form1::loadFramePlace(const FaceDesign &d)
{
    Image1.Left = single(-d.pictureLeft.toDouble());
    Image1.Top = single(-d.pictureTop.toDouble());
    Shape1.Left = Image1.Left;
    Shape1.Top = Image1.Top;
}

void Form1::loadShape(const FaceDesign &d)
{
    Option1.setValue(d.circle.toBool());
    Option2.setValue(d.rectangle.toBool());
    Option3.setValue(d.polygon.toBool());
    if (Option1.Value) {
        Shape1.Figure = form::ShapeKind::Oval;
    } else if (Option2.Value) {
        Shape1.Figure = form::ShapeKind::Rectangle;
    } else if (Option3.Value) {
        Shape1.Visible = false;
    }
}

void Form1::loadLengthsAndHandsArea(const FaceDesign &d)
{
    Text1.Text = d.hariSlength.toText();
    Text2.Text = d.hariMlength.toText();
    Text3.Text = d.hariHlength.toText();

    // Each value is converted where it is used, so a bad one stops the load
    // with the assignments before it made.
    Image2.Left = single(d.tokeiX.toDouble() - d.tokeiHaba.toDouble() / 2);
    Image2.Top = single(d.tokeiY.toDouble() - d.tokeiTakasa.toDouble() / 2);
    Image2.Width = single(d.tokeiHaba.toDouble());
    Image2.Height = single(d.tokeiTakasa.toDouble());
    Shape2.Width = Image2.Width;
    Shape2.Height = Image2.Height;
    SetTX = double(Image2.Left);
    SetTY = double(Image2.Top);
    Shape2.Left = Image2.Left;
    Shape2.Top = Image2.Top;

    Label1.Left = single(SetTX.toDouble() + Image2.Width - Label1.Width * 0.5);
    Label1.Top = single(SetTY.toDouble() + Image2.Height - Label1.Height * 0.5);

    placeCentreLines();
    placeHands();
}

void Form1::loadSwitches(const FaceDesign &d)
{
    Check1.setValue(d.memoriChk.toInt16());
    Check2.setValue(d.hariSChk.toInt16());
    Check3.setValue(d.hariMChk.toInt16());
    Check4.setValue(d.hariHChk.toInt16());
}

void Form1::loadColours(const FaceDesign &d)
{
    const int k1 = d.memoricolor.toInt32();
    Label2.BackColor = k1;
    const int k2 = d.hariScolor.toInt32();
    Label3.BackColor = k2;
    const int k3 = d.hariMcolor.toInt32();
    Label8.BackColor = k3;
    const int k4 = d.hariHcolor.toInt32();
    Label9.BackColor = k4;
    Shape2.BorderColor = k1;
    Line1.BorderColor = k1;
    Line2.BorderColor = k1;
    Label1.ForeColor = k1;
    Line3.BorderColor = k2;
    Line4.BorderColor = k3;
    Line5.BorderColor = k4;
}

} // namespace orbelle::maker
