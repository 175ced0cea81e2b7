// The start-up splash: shows the version, loads the main window hidden and
// closes itself after three seconds.
#pragma once

#include "ui/Form.h"
#include "ui/Program.h"

class erster : public ui::Form {
public:
    explicit erster(ui::Program& program);

    ui::Image imgLogo{this, "imgLogo"};
    ui::Label lblVersion{this, "lblVersion"};
    ui::Timer Timer1{this, "Timer1", 3000, true};

    void Form_Load() override;
    void Timer1_Timer();
};
