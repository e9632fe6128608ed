// SPDX-License-Identifier: MIT
#pragma once
// The editor window "オルベルメーカー": the control panel with the picture
// button, the base-shape group, the hands group and the file buttons; the
// design canvas with the face picture, the picture frame, the hands area,
// the preview hands, centre lines and polygon; the status bar. The design
// lives in the controls themselves and in the editor state below. Owns its
// controls; everything outside the window goes through the services.
//
// The handlers are spread over several sources by subject:
//   Form1.cpp         layout, start-up, exit, hand and centre-line placement
//   Form1File.cpp     saving and loading a design
//   Form1Canvas.cpp   the picture, the picture frame, the base shape, the hands area
//   Form1Polygon.cpp  the polygon vertex editor
//   Form1Hands.cpp    visibility, colours and lengths
//   Form1Pan.cpp      panning the canvas
//   Form1Edit.cpp     the menu bar, undo and redo, the keyboard
//   Form1View.cpp     the resizable window: the canvas's viewport, its scroll
//                     bars, the wheel and the middle button, the sizes shown
//   Form1Picture.cpp  choosing a picture by any way, scaled copies, drops

#include <functional>

#include "CheckBox.h"
#include "CommandButton.h"
#include "ControlArray.h"
#include "Form.h"
#include "FaceDesignFile.h"
#include "Frame.h"
#include "History.h"
#include "Image.h"
#include "Label.h"
#include "Line.h"
#include "Menu.h"
#include "OptionButton.h"
#include "PictureBox.h"
#include "ScrollBar.h"
#include "Services.h"
#include "Shape.h"
#include "StatusBar.h"
#include "TextBox.h"
#include "Timer.h"
#include "UpDown.h"
#include "Value.h"

namespace orbelle {
struct FaceDesign;
}

namespace orbelle::maker {

class Form1 : public form::Form {
public:
    explicit Form1(form::Services &services);

    static constexpr const char *kTitle = "オルベルメーカー";
    static constexpr const char *kTitleNormal = "オルベルメーカー (通常ﾓｰﾄﾞ)";
    static constexpr const char *kTitleCreate = "オルベルメーカー (多角形作成モード)";
    static constexpr const char *kTitleCorrect = "オルベルメーカー (修正モード)";
    static constexpr const char *kStatusHint = "ここにファイル名が表示されます";
    static constexpr const char *kDesignFileName = "tokei-set.ini";

    // Colours, red in the lowest byte.
    static constexpr int kWhite = 16777215;
    static constexpr int kRed = 255;
    static constexpr int kGreen = 65280;
    static constexpr int kMagenta = 16711935;
    static constexpr int kPurple = 8388736;
    static constexpr int kCyan = 16776960;

    // ---- The menu bar, above the client area (Form1Edit.cpp).
    form::MenuBar MenuBar1{"MenuBar1"};

    // ---- The control panel.
    form::Frame Frame1{"Frame1"};
    form::CommandButton Command1{"Command1"}; // 画像ファイルの選択
    form::CommandButton Command9{"Command9"}; // ▲
    form::CommandButton Command10{"Command10"}; // ▼
    form::Timer Timer1{"Timer1"};             // panning repeat
    form::Frame Frame2{"Frame2"};             // ベースの形
    form::OptionButton Option1{"Option1"};    // 円
    form::OptionButton Option2{"Option2"};    // 四角
    form::OptionButton Option3{"Option3"};    // 多角形
    form::CommandButton Command13{"Command13"}; // 頂点作成
    form::CommandButton Command14{"Command14"}; // 通常ﾓｰﾄﾞ
    form::CommandButton Command15{"Command15"}; // 頂点修正
    form::CommandButton Command16{"Command16"}; // 消去
    form::TextBox Text4{"Text4"};             // vertex selector
    form::UpDown UpDown1{"UpDown1"};
    form::Frame Frame3{"Frame3"};             // 針・目盛の表示・色・長さ(%)
    form::CheckBox Check1{"Check1"}, Check2{"Check2"}, Check3{"Check3"}, Check4{"Check4"};
    form::Label Label2{"Label2"}, Label3{"Label3"}, Label8{"Label8"}, Label9{"Label9"}; // swatches
    form::CommandButton Command4{"Command4"}, Command5{"Command5"}, Command6{"Command6"}, Command7{"Command7"};
    form::TextBox Text1{"Text1"}, Text2{"Text2"}, Text3{"Text3"}; // lengths, percent
    form::UpDown UpDown3{"UpDown3"}, UpDown4{"UpDown4"}, UpDown5{"UpDown5"};
    form::CommandButton Command8{"Command8"}; // 設定ファイル読込
    form::CommandButton Command2{"Command2"}; // 設定ファイル保存
    form::CommandButton Command3{"Command3"}; // 終了

    // ---- The window outside the panel.
    form::CommandButton Command11{"Command11"}; // ＜
    form::CommandButton Command12{"Command12"}; // ＞
    form::StatusBar StatusBar1{"StatusBar1"};
    // The canvas's scroll bars, along the viewport's bottom and right edges.
    form::ScrollBar HScroll1{"HScroll1"};
    form::ScrollBar VScroll1{"VScroll1"};

    // ---- The design canvas and what lies on it, bottom to top.
    form::PictureBox Picture1{"Picture1"};
    form::Shape Shape1{"Shape1"};   // frame outline
    form::Image Image1{"Image1"};   // picture frame
    form::Shape Shape2{"Shape2"};   // hands-area outline
    form::Line Line1{"Line1"};      // vertical centre line
    form::Line Line2{"Line2"};      // horizontal centre line
    form::Line Line3{"Line3"};      // preview second hand
    form::Line Line4{"Line4"};      // preview minute hand
    form::Line Line5{"Line5"};      // preview hour hand
    form::Image Image2{"Image2"};   // hands area
    form::ControlArray<form::Line> Line17{"Line17"};   // polygon outline segments
    form::ControlArray<form::Label> Label17{"Label17"}; // polygon vertex markers
    form::ControlArray<form::Label> Label4{"Label4"};   // frame's top-left marker (element 0)
    form::Label Label5{"Label5"};   // frame grip, bottom-right
    form::Label Label6{"Label6"};   // frame grip, bottom-left
    form::Label Label7{"Label7"};   // frame grip, top-right
    form::Label Label1{"Label1"};   // hands-area grip

    // ---- Editor state.
    // What the pressed mouse button is dragging, held in `flag`.
    static constexpr int kDragNone = 0;
    static constexpr int kDragFrame = 1;             // the picture frame, Image1
    static constexpr int kDragHandsArea = 2;         // the hands area, Image2
    static constexpr int kDragHandsGrip = 31;        // the hands-area grip, Label1
    static constexpr int kDragGripBottomLeft = 41;   // the frame grips Label6,
    static constexpr int kDragGripBottomRight = 42;  //  Label5
    static constexpr int kDragGripTopRight = 43;     //  and Label7
    // The editing mode, held in `Tflag`.
    static constexpr int kModeNormal = 0;
    static constexpr int kModeCreate = 1;            // a click appends a vertex
    static constexpr int kModeCorrect = 2;           // a click moves the named vertex
    Value PPPx, PPPy;       // drag anchor, twips relative to the pressed control
    Value flag;             // drag code, one of the kDrag... codes below
    Value SetX, SetY;       // frame left and top after the last move, twips
    Value SetW, SetH;       // size reached by the last grip drag, twips
    Value SetTX, SetTY;     // hands-area left and top, twips
    Value ImageFileName;    // full path of the face picture
    Value anotherSetIni;    // settings file last chosen for loading
    double pi = 0;
    Value poPic;            // direction of the panning button last pressed
    Value idx;              // number of polygon vertices
    Value Tflag;            // editing mode: kModeCreate, kModeCorrect, or normal (empty or kModeNormal)
    // The colour the colour dialog returned last; it opens on it.
    int CommonDialog1Color = 0;
    // What a press on the canvas selected last: the frame shows its grips,
    // the hands area its grip; the arrow keys move it.
    enum class Selection { None, Frame, HandsArea };
    Selection selection = Selection::None;

    // ---- Start-up and exit (Form1.cpp).
    void Form_Load();
    void Command3_Click();
    // ---- Hand and centre-line placement (Form1.cpp).
    void placeHands();
    void placeCentreLines();

    // ---- Saving and loading (Form1File.cpp).
    void Command2_Click();
    void Command8_Click();
    // The design as a save writes it, read from the controls and state.
    FaceDesign designToSave() const;
    // The save after its dialog: writes the design shown to `path` (UTF-8)
    // and says in the status bar how it went.
    void saveDesign(const std::string &path);
    // The load after its dialog: remembers `path` (UTF-8) as the file last
    // chosen, then reads it and rebuilds the editor from it, step by step;
    // a step that fails ends the load with the steps before it applied.
    void loadDesign(const std::string &path);

    // ---- Picture, frame, base shape, hands area (Form1Canvas.cpp).
    void Command1_Click();
    void Image1_MouseDown(int Button, int Shift, float X, float Y);
    void Image1_MouseMove(int Button, int Shift, float X, float Y);
    void Image1_MouseUp(int Button, int Shift, float X, float Y);
    void Label5_MouseDown(int Button, int Shift, float X, float Y);
    void Label5_MouseMove(int Button, int Shift, float X, float Y);
    void Label5_MouseUp(int Button, int Shift, float X, float Y);
    void Label6_MouseDown(int Button, int Shift, float X, float Y);
    void Label6_MouseMove(int Button, int Shift, float X, float Y);
    void Label6_MouseUp(int Button, int Shift, float X, float Y);
    void Label7_MouseDown(int Button, int Shift, float X, float Y);
    void Label7_MouseMove(int Button, int Shift, float X, float Y);
    void Label7_MouseUp(int Button, int Shift, float X, float Y);
    void Picture1_Click();
    void Picture1_LostFocus();
    void Picture1_MouseMove(int Button, int Shift, float X, float Y);
    void Picture1_MouseUp(int Button, int Shift, float X, float Y);
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Image2_MouseDown(int Button, int Shift, float X, float Y);
    void Image2_MouseMove(int Button, int Shift, float X, float Y);
    void Image2_MouseUp(int Button, int Shift, float X, float Y);
    void Label1_MouseDown(int Button, int Shift, float X, float Y);
    void Label1_MouseMove(int Button, int Shift, float X, float Y);
    void Label1_MouseUp(int Button, int Shift, float X, float Y);

    // ---- Polygon vertex editor (Form1Polygon.cpp).
    void Command13_Click();
    void Command14_Click();
    void Command15_Click();
    void Command16_Click();
    void UpDown1_Change();

    // ---- Visibility, colours, lengths (Form1Hands.cpp).
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void UpDown3_Change();
    void UpDown4_Change();
    void UpDown5_Change();

    // ---- Panning (Form1Pan.cpp).
    void Command9_MouseDown(int Button, int Shift, float X, float Y);
    void Command9_MouseUp(int Button, int Shift, float X, float Y);
    void Command9_Click();
    void Command10_MouseDown(int Button, int Shift, float X, float Y);
    void Command10_MouseUp(int Button, int Shift, float X, float Y);
    void Command10_Click();
    void Command11_MouseDown(int Button, int Shift, float X, float Y);
    void Command11_MouseUp(int Button, int Shift, float X, float Y);
    void Command11_Click();
    void Command12_MouseDown(int Button, int Shift, float X, float Y);
    void Command12_MouseUp(int Button, int Shift, float X, float Y);
    void Command12_Click();
    void Timer1_Timer();

    // ---- Menu, undo and redo, keys (Form1Edit.cpp).
    void mnuEditUndo_Click();
    void mnuEditRedo_Click();
    void mnuHelpAbout_Click();
    // Arrow keys move the selected frame or hands area; Escape ends a
    // vertex mode.
    void Form_KeyDown(int &KeyCode, int Shift);
    const History &history() const { return history_; }
    static constexpr const char *kProgramName = "オルベルメーカー";
    static constexpr int kNudge = 15;       // twips an arrow key moves, one pixel
    static constexpr int kLongNudge = 150;  // with Shift held
    // ---- The viewport of the canvas (Form1View.cpp).
    // The canvas's place when it is not panned, twips in the window; the
    // scroll bars' values are how far it is panned from there.
    static constexpr float kCanvasHomeLeft = 2850;
    static constexpr float kCanvasHomeTop = 45;
    static constexpr float kPanelRight = 2760;      // right edge of Frame1, twips
    static constexpr float kStatusHeight = 330;     // twips
    static constexpr float kScrollBarSize = 255;    // thickness of a scroll bar, twips
    static constexpr int kWheelStep = 900;          // twips the canvas moves for one notch of the wheel
    static constexpr int kScrollSmallChange = 300;  // twips, a scroll bar's arrow
    void Form_Resize();
    void HScroll1_Change();
    void VScroll1_Change();
    void Picture1_MouseWheel(int Shift, int deltaX, int deltaY);
    bool Picture1_MouseDragDown(int Button, int Shift, float X, float Y);
    void Picture1_MouseDragMove(int Button, int Shift, float X, float Y);
    void Picture1_MouseDragUp(int Button, int Shift, float X, float Y);
    // Brings the scroll bars (place, range, value, whether shown) up to
    // date with the window's size and the canvas's size and place.
    void fitScrollBars();
    // Shows the picture's and the frame's pixel sizes in the second panel.
    void showSizes();
    // The visible part of the window beside the panel, twips, scroll bars
    // left out: where the canvas is shown at home.
    float viewportWidth() const;
    float viewportHeight() const;

    // ---- Choosing a picture, scaled copies, drops (Form1Picture.cpp).
    // Makes the picture in the file the canvas picture, as choosing it with
    // "画像ファイルの選択" does; false (and nothing changed) when the file
    // holds no readable picture.
    bool applyPicture(const std::string &path);
    // "画像を縮小...": asks for a size, writes a scaled copy of the canvas
    // picture into the files folder and chooses the copy.
    void ScalePicture_Click();
    static constexpr int kScaleLimit = 600; // pixels: the longest proposed side of a scaled copy
    // The name of the scaled copy of `source` with the longer side
    // `longSide` pixels: IMG_0001.jpg gives IMG_0001-600px.jpg; JPEG and PNG
    // keep their format, others become PNG.
    static std::string scaledName(const std::string &source, int longSide);
    // Files dropped on the window: a design file (*.ini) is loaded, any
    // other file chosen as the picture.
    void Form_OLEDragDrop(const std::vector<std::string> &files);
    // The name of the undo step a drop of `files` makes.
    static const char *droppedStepLabel(const std::vector<std::string> &files);

    // The number of polygon vertices: idx, with empty (or anything that is
    // no number) counting as 0.
    int vertexCount() const;

private:
    // ---- Steps of saving and loading (Form1File.cpp).
    // The load from reading the file to applying what it holds.
    void readDesign(const std::string &path);
    FaceDesign designShown() const;
    // Both lists, from the template to the last vertex that exists; returns
    // how many vertices that is.
    int addVertexLists(FaceDesign &design) const;
    // Reads the file; false when the load ends here (`idx` may be set).
    bool readDesignToLoad(const std::string &path, FaceDesign &d);
    // The steps of the load in their order. The ones returning false end the
    // load there; a conversion that fails throws, which ends it too.
    bool loadPolygon(const FaceDesign &d);
    void loadFrameSize(const FaceDesign &d);
    bool loadPicture(const FaceDesign &d, const std::string &designPath);
    void loadFramePlace(const FaceDesign &d);
    void loadShape(const FaceDesign &d);
    void loadLengthsAndHandsArea(const FaceDesign &d);
    void loadSwitches(const FaceDesign &d);
    void loadColours(const FaceDesign &d);

    void layOut();
    void layOutPanel();
    void layOutShapeFrame();
    void layOutHandsFrame();
    void layOutCanvas();
    void wire();
    void wireCanvas();
    void wireSteps();
    // ---- Steps of undo (Form1Edit.cpp).
    void layOutMenu();
    // Runs a user's action; once the outermost one ends, what it changed in
    // the design becomes one step named `label` (see commit).
    void asStep(const char *label, const std::function<void()> &action, const char *mergeKey = "");
    // A handler of the drag protocol: a step is made once the drag it
    // belongs to has ended (by this handler or before it).
    void asDragEvent(const std::function<void()> &handler);
    // A step named `label` when the design differs from the one of the
    // current step; otherwise the current step takes in what else changed.
    void commit(const std::string &label, const std::string &mergeKey = {});
    void restore(const DesignSnapshot &state);
    void updateEditMenu();
    // Moves the selected frame or hands area by (dx, dy) twips as a drag
    // would (Form1Canvas.cpp); false when nothing is selected.
    bool nudgeSelection(float dx, float dy);
    void wireView();
    // Ellipse or rectangle chosen with `own`.
    void chooseRoundOrSquare(form::OptionButton &own, form::ShapeKind figure);
    // A press on the frame at (X, Y) in a vertex mode: append or move a vertex.
    void editVertexAt(float X, float Y);
    void appendVertex(float x, float y);
    void moveVertex(float x, float y);
    // The vertex the selector names, or 0 when it names none.
    int selectedVertex() const;
    void colourMarkers();
    // The elements from..to that exist, in ascending order. A count read
    // from a damaged file may be huge; only what exists is visited.
    template <typename Array>
    static std::vector<int> existing(const Array &array, int from, int to)
    {
        std::vector<int> out;
        for (int i : array.indices())
            if (i >= from && i <= to)
                out.push_back(i);
        return out;
    }

    // Scroll bar values: how far the canvas is panned from home, twips.
    int panX() const;
    int panY() const;
    // Pans the canvas to (x, y) from home, each kept between 0 and the end
    // of its range, or where it already lay beyond them.
    void panTo(double x, double y);
    // One step of a panning button, with the scroll bars following.
    void panStep(int direction, bool repeat);

    form::Services &services_;
    History history_;
    int stepDepth_ = 0;      // actions running inside one another
    bool restoring_ = false; // undo or redo putting a state back
    // A middle-button drag: where it began (twips in the window) and the
    // pan then.
    struct PanDrag {
        bool active = false;
        double fromX = 0, fromY = 0;
        int panX = 0, panY = 0;
    } panDrag_;
};

} // namespace orbelle::maker
