#include "editor/Hilfefenster.h"

#include "editor/Textfenster.h"

Hilfefenster::Hilfefenster(ui::Program& program) : ui::Form(program, "Hilfefenster") {
    Caption = "Server Direcktbefehle";
    BorderStyle = ui::vbFixedSingle;
    MaxButton = false;
    // Wide enough for the shipped text's lines of up to 75 characters.
    ScaleWidth = 9960;
    ScaleHeight = 6360;

    Direckt.Move(0, 0, 9960, 5760);
    textfenster::gestalte(Direckt, 3);
    Direckt.TabIndex = 0;
    Schliessen.Move(4260, 5880, 1455, 375);
    Schliessen.Caption = "Schließen";
    Schliessen.TabIndex = 1;

    Schliessen.Click = [this] { Schliessen_Click(); };
}

// The window stays open when the file cannot be read: it then shows its
// initial text.
void Hilfefenster::Form_Load() {
    Show();
    textfenster::zeige(program(), Direckt, kDatei, &Dateipfad);
}

void Hilfefenster::Schliessen_Click() { program().unload(*this); }
