#include "launcher/erster.h"

#include "launcher/Vantor.h"

erster::erster(ui::Program& program) : ui::Form(program, "erster") {
    Caption = "";
    BorderStyle = ui::vbFixedDialog;
    ControlBox = false;
    MinButton = false;
    MaxButton = false;
    ScaleWidth = 6060;
    ScaleHeight = 3630;

    imgLogo.Move(0, 0, 6060, 3090);
    imgLogo.Picture = "logo.png";
    imgLogo.Stretch = true;
    lblVersion.Move(0, 3150, 6060, 375);
    lblVersion.Caption = "Version";
    lblVersion.Alignment = ui::vbCenter;
    lblVersion.ForeColor = 0x80FFFF;
    lblVersion.BackColor = 0xC00000;

    Timer1.Tick = [this] { Timer1_Timer(); };
}

void erster::Form_Load() {
    const platform::Version v = program().platform.system.AppVersion();
    lblVersion.Caption = "Version " + std::to_string(v.Major) + "." + std::to_string(v.Minor) +
                         "." + std::to_string(v.Revision);
    program().load<Vantor>();
    Show();
}

void erster::Timer1_Timer() { program().unload(*this); }
