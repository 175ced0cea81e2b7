// The server-commands help window: serverbefehle.txt of the program folder,
// shown read-only. The main window's "Info" menu opens it.
#pragma once

#include <string>

#include "ui/Form.h"
#include "ui/Program.h"

class Hilfefenster : public ui::Form {
public:
    explicit Hilfefenster(ui::Program& program);

    static inline const std::string kDatei = "serverbefehle.txt";

    ui::TextBox Direckt{this, "Direckt"};
    ui::CommandButton Schliessen{this, "Schliessen"};

    // The file shown, as a full path.
    std::string Dateipfad;

    void Form_Load() override;
    void Schliessen_Click();
};
