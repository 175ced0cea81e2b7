#include "editor/Info.h"

#include <algorithm>

#include "editor/Textfenster.h"

Info::Info(ui::Program& program) : ui::Form(program, "Info") {
    Caption = "Info zu D3 Vantor-Server";
    BorderStyle = ui::vbSizable;
    // Wide enough for the shipped text's lines of up to 75 characters, as
    // the help window is: a narrower box breaks every long line in two.
    ScaleWidth = 9960;
    ScaleHeight = 5400;
    // The outer size: the client area with the title bar and borders.
    Width = 10080;
    Height = 5910;

    InfoT.Move(0, 0, Width() - kRandRechts, Height() - kRandUnten);
    textfenster::gestalte(InfoT, 2);
    InfoT.BackColor = 0xE0E0E0;
}

void Info::Form_Load() {
    Show();
    textfenster::zeige(program(), InfoT, kDatei, &Dateipfad);
}

// A window made smaller than the margins leaves an empty box, not a
// negative one.
void Info::Form_Resize() {
    InfoT.Height = std::max(Height() - kRandUnten, 0);
    InfoT.Width = std::max(Width() - kRandRechts, 0);
}

void Info::InfoSchliessen() { program().unload(*this); }
