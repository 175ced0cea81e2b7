#include "editor/InfoBox.h"

#include <string>

#include "common/Adressen.h"
#include "ui/Assets.h"

InfoBox::InfoBox(ui::Program& program) : ui::Form(program, "InfoBox") {
    Caption = "D3 Server-Infobox";
    BorderStyle = ui::vbFixedDialog;
    MinButton = false;
    MaxButton = false;
    ScaleWidth = 5400;
    ScaleHeight = 2640;

    Image1.Move(240, 240, 960, 960);
    Image1.Picture = ui::assets::kInfo;
    Image1.Stretch = true;
    Version.Move(1440, 300, 3735, 255);
    Version.Font = ui::Font{"MS Sans Serif", 8.25, true};
    // Right-aligned, so that the maker's name follows "by" in any font.
    Conect1.Move(1440, 780, 1800, 255);
    Conect1.Alignment = ui::vbRightJustify;
    Conect1.Caption = "D3 Vantor Server by ";
    Label1.Move(3240, 780, 1935, 255);
    Label1.Caption = adressen::kMacher;
    Command1.Move(1440, 1920, 1455, 375);
    Command1.Caption = "Mail";
    Command1.ToolTipText = std::string("Mail an ") + adressen::kMail;
    Schliessen.Move(3720, 1920, 1455, 375);
    Schliessen.Caption = "OK";
    Schliessen.Default = true;

    Command1.Click = [this] { Command1_Click(); };
    Schliessen.Click = [this] { Schliessen_Click(); };
}

void InfoBox::Form_Load() {
    Show();
    const platform::Version v = program().platform.system.AppVersion();
    Version.Caption = "Version " + std::to_string(v.Major) + "." + std::to_string(v.Minor) + "." +
                      std::to_string(v.Revision);
}

// Without a mail program nothing happens; the box says nothing about it.
void InfoBox::Command1_Click() {
    program().platform.system.OpenLink(std::string("mailto:") + adressen::kMail);
}

void InfoBox::Schliessen_Click() { program().unload(*this); }
