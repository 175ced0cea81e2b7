#include "launcher/Counterfenster.h"

#include "common/Numbers.h"
#include "launcher/Vantor.h"
#include "ui/Assets.h"

namespace {

constexpr ui::Colour kSchwarz = 0x0;
constexpr ui::Colour kWeiß = 0xFFFFFF;
constexpr ui::Colour kGelb = 0x80FFFF;
constexpr ui::Colour kRot = 0xFF;

// Every text of the window stands centred, light on the dark frame.
void label(ui::Label& l, const char* caption, int left, int top, int width, int height) {
    l.Move(left, top, width, height);
    l.Caption = caption;
    l.Alignment = ui::vbCenter;
    l.BackColor = kSchwarz;
    l.ForeColor = kWeiß;
}

}  // namespace

Counterfenster::Counterfenster(ui::Program& program) : ui::Form(program, "Counterfenster") {
    Caption = "";
    BorderStyle = ui::vbBSNone;
    ControlBox = false;
    MinButton = false;
    MaxButton = false;
    ScaleWidth = 5400;
    ScaleHeight = 3000;
    StartUpPosition = 2;

    Autoendfenster.Move(0, 0, 5400, 3000);
    Autoendfenster.BorderStyle = 0;
    Autoendfenster.BackColor = kSchwarz;

    Bild.Move(0, 0, 2520, 3000);
    Bild.Picture = ui::assets::kVantorBild1;
    Bild.Stretch = true;
    Symbol.Move(3720, 420, 480, 480);
    Symbol.Picture = ui::assets::kInfo;
    Symbol.Stretch = true;

    label(Titel, "Automatisch beendennde", 0, 60, 5400, 255);
    Titel.ForeColor = kGelb;
    label(Label13, "X", 5100, 30, 255, 255);
    Label13.ForeColor = kRot;
    Label13.ToolTipText = "Abbrechen";
    label(Text, "D3 Vantor Server wird automatisch Beendet in", 2640, 1020, 2640, 450);
    Text.WordWrap = true;
    label(Counter, "8", 3480, 1500, 960, 720);
    Counter.ForeColor = kRot;
    Counter.Font = ui::Font{"Arial", 36, true};
    label(Sekunden, "sec.", 3480, 2220, 960, 255);

    Countabbrechen.Move(4080, 2520, 1215, 375);
    Countabbrechen.Caption = "Abbrechen";
    Countabbrechen.ToolTipText = "Bricht den Countdown ab";

    Timer4.Tick = [this] { Timer4_Timer(); };
    Countabbrechen.Click = [this] { Countabbrechen_Click(); };
    Label13.Click = [this] { Label13_Click(); };
}

// The timer runs from its design state on: the count starts as the window
// opens.
void Counterfenster::Form_Load() { Show(); }

void Counterfenster::Timer4_Timer() {
    // A Hoard orb count the user gave goes to its server 15 s after the
    // start, when the server has had time to open its console; typed at 8 s
    // it would most likely reach no one. The count holds at "1" until it
    // went out, so the end comes right after it.
    Vantor* vantor = program().find<Vantor>();
    if (Counter.Caption() == "1" && vantor && vantor->Hortsetzten.Enabled()) return;
    // The number printer puts a blank in the sign place: its second
    // character is the digit.
    Counter.Caption = common::Str(common::Val(Counter.Caption()) - 1).substr(1, 1);
    if (Counter.Caption() == "0") {
        program().unload(*this);
        // The first page's values are kept for the next start, as the
        // menu's end keeps them; a level pack's queue stays for the next run.
        // A Letztes.ini that cannot be written has said so; the tool still
        // ends, as the user asked.
        if (vantor) vantor->LetztesSpeichern();
        program().End();
    }
}

// The tool and the server it started go on running.
void Counterfenster::Countabbrechen_Click() {
    Timer4.Enabled = false;
    program().unload(*this);
}

void Counterfenster::Label13_Click() { Countabbrechen_Click(); }
