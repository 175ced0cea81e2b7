// What the help window and the readme window share: a text file of the
// program folder shown whole, as it stands, in a read-only text box.
#pragma once

#include <string>

#include "ui/Controls.h"
#include "ui/Program.h"

namespace textfenster {

// The initial text of both windows' text boxes: what stays when the file
// cannot be read.
inline const std::string kKeineHilfe = "Keine Hilfe gefunden\r\n";

// Reads `datei` of the program folder into `box` (the path goes to *pfad)
// and gives the box the focus. A file that cannot be read is reported under
// the application's title, naming the file and the system's reason, and the
// box keeps its text; false then.
bool zeige(ui::Program& program, ui::TextBox& box, const std::string& datei, std::string* pfad);

// The design of such a box: multi-line, read-only, fixed pitch.
void gestalte(ui::TextBox& box, int scrollBars);

}  // namespace textfenster
