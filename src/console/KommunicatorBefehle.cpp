// Console commands given by hand: a chat line, the level restart and the
// server end, and the filter of characters a chat line cannot carry.
#include <algorithm>

#include "common/ConsoleCommand.h"
#include "common/MessageBox.h"
#include "console/Kommunicator.h"

namespace {

// Characters the server's chat or the keystroke path cannot carry:
// " % ' ( ) + @ `
constexpr int kSonderzeichen[] = {34, 37, 39, 40, 41, 43, 64, 96};

}  // namespace

bool Kommunicator::packLäuft() const { return Label17.ForeColor() != kPackGrau; }

// The server window was activated when the command was asked for. Since
// then the user may have brought another window to the front; the keys must
// not land there, so the server window is activated again, and nothing is
// typed when it is gone. An activation only asks the window manager, which
// may refuse or be late: the keys go out only once the server window is seen
// in front.
bool Kommunicator::Konsolenbefehl(const std::string& befehl) {
    platform::Console& konsole = program().platform.console;
    const bool gesendet = common::serverFensterVorn(konsole) && konsole.SendKeys(befehl + "\r", true);
    Konsolenhinweis();
    return gesendet;
}

const std::string Kommunicator::kKeineKonsole =
    "Keine Serverkonsole erreichbar. Mit \"Fernwaltung zulassen\" und einem Passwort erreicht "
    "das Tool auch einen Server ohne Konsolenfenster.";
const std::string Kommunicator::kKeinServer = "Kein Server läuft.";
const std::string Kommunicator::kZeileZuLang =
    "Nicht gesendet: Die Zeile ist zu lang für die Serverkonsole (ab 255 Zeichen).";

bool Kommunicator::Serverkonsole() {
    const bool da = program().platform.console.AppActivate(common::kServerFenster);
    Konsolenhinweis();
    return da;
}

void Kommunicator::Konsolenhinweis() {
    switch (program().platform.console.Problem()) {
    case platform::ConsoleProblem::NoConsole:
        Hinweis.Caption = kKeineKonsole;
        break;
    case platform::ConsoleProblem::NoServer:
        Hinweis.Caption = kKeinServer;
        break;
    case platform::ConsoleProblem::LineTooLong:
        Hinweis.Caption = kZeileZuLang;
        break;
    case platform::ConsoleProblem::NoProblem:
        // Other notes (a level-pack step that failed) stay.
        if (Hinweis.Caption() == kKeineKonsole || Hinweis.Caption() == kKeinServer ||
            Hinweis.Caption() == kZeileZuLang)
            Hinweis.Caption = "";
        break;
    }
}

void Kommunicator::Sonderzeichenfilter(int& KeyAscii) {
    if (std::find(std::begin(kSonderzeichen), std::end(kSonderzeichen), KeyAscii) ==
        std::end(kSonderzeichen))
        return;
    program().platform.system.Beep();
    Antwort = common::Meldung(program().platform.dialogs,
                              "Sonderzeichen können nicht gesendet werden ! Zb. § % ( ) ` ´ + €",
                              platform::vbInformation);
    KeyAscii = 0;
}

void Kommunicator::Sendentext_KeyPress(int& KeyAscii) {
    Sonderzeichenfilter(KeyAscii);
    if (KeyAscii != 13) return;
    program().platform.system.Beep();
    if (!Serverkonsole()) return;
    Text.Enabled = true;
}

void Kommunicator::Text_Timer() {
    Text.Enabled = false;
    // A line that could not be typed stays in the box to be sent again.
    if (Konsolenbefehl("Say " + Sendentext.Text())) Sendentext.Text = "";
    Sendentext.SetFocus();
}

void Kommunicator::lvlneu_Click() {
    if (!Serverkonsole()) return;
    Befehsenden.Enabled = true;
}

void Kommunicator::Befehsenden_Timer() {
    Befehsenden.Enabled = false;
    Konsolenbefehl("endlevel");
    Sendentext.SetFocus();
}

void Kommunicator::lvlq_Click() {
    // The pack's next entry follows the end even when no server window is
    // there to be ended.
    if (packLäuft()) {
        Timer2.Enabled = true;
        linezahler.Enabled = true;
    }
    if (!Serverkonsole()) return;
    Befehsenden1.Enabled = true;
}

void Kommunicator::Befehsenden1_Timer() {
    Befehsenden1.Enabled = false;
    Konsolenbefehl("quit");
    Sendentext.SetFocus();
}
