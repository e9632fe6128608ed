// SPDX-License-Identifier: MIT
#include "pieces/ControlPiece.h"

#include <map>

namespace orbelle::formqt {

// Every kind with a piece of its own, one line each; the piece of kind K
// is given by `ControlPiece KPiece()` in KPiece.cpp (the menu bar's in
// MenuPiece.cpp).
#define ORBELLE_CONTROL_PIECES(PIECE)                                                                    \
    PIECE(PictureBox)                                                                                    \
    PIECE(Label)                                                                                         \
    PIECE(TextBox)                                                                                       \
    PIECE(UpDown)                                                                                        \
    PIECE(CommandButton)                                                                                 \
    PIECE(Frame)                                                                                         \
    PIECE(OptionButton)                                                                                  \
    PIECE(CheckBox)                                                                                      \
    PIECE(StatusBar)                                                                                     \
    PIECE(ScrollBar)                                                                                     \
    PIECE(Timer)                                                                                         \
    PIECE(Line)                                                                                          \
    PIECE(Shape)                                                                                         \
    PIECE(Image)                                                                                         \
    PIECE(MenuBar)

#define ORBELLE_DECLARE_PIECE(K) ControlPiece K##Piece();
ORBELLE_CONTROL_PIECES(ORBELLE_DECLARE_PIECE)
#undef ORBELLE_DECLARE_PIECE

PieceItem noWidget()
{
    PieceItem item;
    item.sync = [] {};
    return item;
}

namespace {

PieceItem makeNothing(form::Control &, const PieceContext &)
{
    return noWidget();
}

} // namespace

const ControlPiece &pieceOf(form::Control::Kind kind)
{
#define ORBELLE_LIST_PIECE(K) {form::Control::Kind::K, K##Piece()},
    static const std::map<form::Control::Kind, ControlPiece> pieces{ORBELLE_CONTROL_PIECES(ORBELLE_LIST_PIECE)};
#undef ORBELLE_LIST_PIECE
    static const ControlPiece nothing{&makeNothing, nullptr, nullptr};
    const auto it = pieces.find(kind);
    return it == pieces.end() ? nothing : it->second;
}

} // namespace orbelle::formqt
