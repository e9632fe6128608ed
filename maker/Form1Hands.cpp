// SPDX-License-Identifier: MIT
#include "Form1.h"

namespace orbelle::maker {

namespace {

void showFor(const form::CheckBox &check, form::Control &element)
{
    element.Visible = check.Value != 0;
}

} // namespace

// The tick-mark box governs only the outline of the hands area: the editor
// draws no tick marks of its own.
void Form1::Check1_Click() { showFor(Check1, Shape2); }
void Form1::Check2_Click() { showFor(Check2, Line3); }
void Form1::Check3_Click() { showFor(Check3, Line4); }
void Form1::Check4_Click() { showFor(Check4, Line5); }

namespace {

// The colour dialog opens on the colour it gave last, whichever row asked,
// and gives nothing on cancel.
std::optional<int> askColour(form::Services &services, int &lastChosen)
{
    const auto chosen = services.chooseColor(lastChosen);
    if (chosen)
        lastChosen = *chosen;
    return chosen;
}

} // namespace

void Form1::Command4_Click()
{
    const auto colour = askColour(services_, CommonDialog1Color);
    if (!colour)
        return;
    Label2.BackColor = *colour;
    Shape2.BorderColor = *colour;
    Line1.BorderColor = *colour;
    Line2.BorderColor = *colour;
    Label1.ForeColor = *colour;
}

void Form1::Command5_Click()
{
    if (const auto colour = askColour(services_, CommonDialog1Color)) {
        Label3.BackColor = *colour;
        Line3.BorderColor = *colour;
    }
}

void Form1::Command6_Click()
{
    if (const auto colour = askColour(services_, CommonDialog1Color)) {
        Label8.BackColor = *colour;
        Line4.BorderColor = *colour;
    }
}

void Form1::Command7_Click()
{
    if (const auto colour = askColour(services_, CommonDialog1Color)) {
        Label9.BackColor = *colour;
        Line5.BorderColor = *colour;
    }
}

// Any length spin re-places all three hands.
void Form1::UpDown3_Change() { placeHands(); }
void Form1::UpDown4_Change() { placeHands(); }
void Form1::UpDown5_Change() { placeHands(); }

} // namespace orbelle::maker
