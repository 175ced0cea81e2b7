// The about box: the program's version, its maker and a mail link.
#pragma once

#include "ui/Form.h"
#include "ui/Program.h"

class InfoBox : public ui::Form {
public:
    explicit InfoBox(ui::Program& program);

    ui::Image Image1{this, "Image1"};
    ui::Label Version{this, "Version"};
    ui::Label Conect1{this, "Conect1"};
    ui::Label Label1{this, "Label1"};
    ui::CommandButton Command1{this, "Command1"};
    ui::CommandButton Schliessen{this, "Schliessen"};

    void Form_Load() override;
    void Command1_Click();
    void Schliessen_Click();
};
