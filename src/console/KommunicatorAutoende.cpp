// The automatic end of the server, the second server's end, and the level
// pack's next entry started as a new server 1 after each end.
#include "common/CommandLine.h"
#include "common/ConsoleCommand.h"
#include "common/Konsolenport.h"
#include "common/Paths.h"
#include "console/Kommunicator.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"

void Kommunicator::AutoendeAusloesen() {
    if (packLäuft()) {
        Timer2.Enabled = true;
        linezahler.Enabled = true;
    }
    if (!Serverkonsole()) return;
    Befehsenden2.Enabled = true;
}

void Kommunicator::Befehsenden2_Timer() {
    Befehsenden2.Enabled = false;
    // Without a server window to end, the communicator stays as it is, just
    // as when the window was missing at the minute tick.
    if (!Konsolenbefehl("quit")) return;
    if (Server12.Value()) {
        if (!Serverkonsole()) return;
        Zweiter.Enabled = true;
    } else if (!packLäuft()) {
        Sendentext.SetFocus();
        fensterwertZurücksetzen();
        program().unload(*this);
    }
}

void Kommunicator::Zweiter_Timer() {
    Konsolenbefehl("quit");
    Zweiter.Enabled = false;
    Sendentext.SetFocus();
}

void Kommunicator::Timer2_Timer() {
    Endmin.Text = Endminstart;
    Packeintrag = Gruppenliste.ListCount() > 0 ? Gruppenliste.List(0) : std::string();
    if (Packeintrag.empty()) {
        Timer2.Enabled = false;
        linezahler.Enabled = false;
        return;
    }
    const std::string fehler = packeintragStarten();
    Timer2.Enabled = false;
    linezahler.Enabled = false;
    Hinweis.Caption = fehler;
    // An entry that could not be started stays first in the list, and the
    // pack goes on running: the next end tries it again.
    if (!fehler.empty()) return;
    Gruppenliste.RemoveItem(0);
    Timer1.Enabled = Gruppenliste.ListCount() > 0 && !Gruppenliste.List(0).empty();
    Label17.ForeColor = kPackGrau;
}

// The entry's console must not open on a port a running server holds, such
// as a server 2 that uses the pack's port, or a server 1 that did not end.
bool Kommunicator::konsolenportBelegt() {
    std::vector<common::Serverplatz> plätze{{"Server 1", common::tempordnerServer1(Spielpfad)}};
    if (const Vantor* v = program().find<Vantor>()) plätze.push_back({"Server 2", v->Tempordners2.Text()});
    return common::konsolenportVerweigert(program().platform, Spielpfad, Packeintrag, plätze);
}

std::string Kommunicator::packeintragStarten() {
    const std::string stpfad = common::pfad(program().Path(), einstellungen::kSTPfad);
    const std::optional<std::string> spielordner = einstellungen::leseSpielordner(stpfad);
    if (!spielordner)
        return "Levelpack angehalten: " + stpfad + " konnte nicht gelesen werden. " + Packeintrag +
               " wurde nicht gestartet.";
    Spielpfad = *spielordner;
    // Server 1's port is the third line of the presets.
    const std::string servertool = common::pfad(program().Path(), einstellungen::kServertool);
    const std::vector<std::string> voreinstellungen = einstellungen::leseItems(servertool, 3);
    if (voreinstellungen.size() < 3)
        return "Levelpack angehalten: " + servertool + " konnte nicht gelesen werden. " +
               Packeintrag + " wurde nicht gestartet.";
    Serverport = voreinstellungen[2];
    Line1.Visible = false;
    // Always server 1, in a normal window: whoever started the pack.
    const common::Serverbefehl befehl = common::Kommandozeile(
        Spielpfad, Packeintrag, common::tempordnerServer1(Spielpfad), Serverport);
    // Unlike a passing fault, an entry the game cannot take fails at every
    // end again until its file is mended, so it is said as loudly as at
    // any other start.
    if (common::startVerweigert(program().platform.dialogs, befehl) ||
        konsolenportBelegt())
        return "Levelpack angehalten: " + Packeintrag + " wurde nicht gestartet.";
    const std::string& zeile = befehl.zeile;
    // Server 1's slot: an early end of the step is reported like any other.
    if (!program().platform.processes.Start(befehl.wörter, platform::vbNormalFocus, 1))
        return "Levelpack angehalten: Der Server konnte nicht gestartet werden: " + zeile;
    return {};
}

void Kommunicator::Timer1_Timer() {
    Label17.ForeColor = Label17.ForeColor() != kPackGruen ? kPackGruen : kPackRot;
}

void Kommunicator::linezahler_Timer() {
    Line1.Visible = true;
    Line1.X2 = Line1.X2() + 75;
    if (Line1.X2() >= kLinieEnde) {
        Line1.X2 = kLinieStart;
        linezahler.Enabled = false;
        Line1.Visible = false;
    }
}
