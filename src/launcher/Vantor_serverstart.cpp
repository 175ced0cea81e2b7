// The main window's server start: fenster.CFG or a named configuration, the
// Hoard orb count, and the dedicated server's process.
#include "common/CommandLine.h"
#include "common/ConsoleCommand.h"
#include "common/Items.h"
#include "common/Konsolenport.h"
#include "common/MessageBox.h"
#include "common/Numbers.h"
#include "console/Kommunicator.h"
#include "launcher/Counterfenster.h"
#include "launcher/Serverkonfiguration.h"
#include "launcher/Vantor.h"

namespace {

const char* const kFensterCFG = "fenster.CFG";

}  // namespace

void Vantor::verbindeServerstart() {
    Server1start.Click = [this] { Server1start_Click(); };
    Server2start.Click = [this] { Server2start_Click(); };
    Hortsetzten.Tick = [this] { Hortsetzten_Timer(); };
}

void Vantor::Server1start_Click() { Serverstart(1); }
void Vantor::Server2start_Click() { Serverstart(2); }

common::Serverbefehl Vantor::Startzeile(int server, const std::string& spielordner,
                                        const std::string& config,
                                        const std::string& tempordner2,
                                        const std::string& port) {
    return common::Kommandozeile(
        spielordner, config, server == 1 ? common::tempordnerServer1(spielordner) : tempordner2,
        port);
}

void Vantor::Serverstart(int server) {
    platform::Platform& p = program().platform;
    if (Hilfezeigen.Value() == 1) {
        program().load<Kommunicator>();
        Fensterwert = 1;
    }

    std::string config = Configname.Text();
    if (config == "") {
        // The last settings: the server gets them through fenster.CFG, and a
        // file that could not be written must not start a server. Values the
        // game could not use are refused before they are written.
        if (StartwerteVerweigert(server)) return;
        if (!FensterCFGSchreiben(server)) return;
        config = kFensterCFG;
        Hortmodus = 0;
        Antwort = "";
        if (Spieletyp.Text() == "Hoard") Hortmodus = 1;
    } else {
        // A named configuration says itself whether it plays Hoard.
        const std::optional<bool> hoard = HoardConfig(config);
        if (!hoard) return;
        Hortmodus = *hoard ? 1 : 0;
        if (server == 2 && Pfeil2.Visible()) {
            Antwort = std::to_string(common::Meldung(
                p.dialogs, "Zwei Server sind bereits gestartet! Kein weitere ist zur Zeit möglich!!",
                platform::vbInformation));
            return;
        }
    }
    Prozessstart(server, config, Hortmodus == 1, Startserver, false);
}

bool Vantor::Prozessstart(int server, const std::string& config, bool hoard, ui::Frame& rahmen,
                          bool kommunicator) {
    platform::Platform& p = program().platform;
    // A start the game could not take starts nothing, before anything is
    // asked or the countdown begins; the frame stays open.
    if (StartVerweigert(server, config)) return false;
    const common::Serverbefehl befehl = Startzeile(server, Despfad.Text(), config,
                                                   Tempordners2.Text(),
                                                   server == 1 ? port.Text() : port2.Text());

    // Ticked gives the slot's minimized style; a grayed box (only a hand-
    // edited Servertool.ini gives one) starts nothing, and then no orb count
    // may wait for a server that is not there.
    const int minimiert = servermin.Value();
    const bool startet = minimiert == 0 || minimiert == 1;
    const bool hortGestellt = hoard && startet && !Hortsetzten.Enabled();
    if (hoard && startet) {
        Hortfrage();
        Hortsetzten.Enabled = true;
    }
    if (kommunicator && Hilfezeigen.Value() == 1) {
        program().load<Kommunicator>();
        Fensterwert = 1;
    }
    if (VSAutoend.Value() == 1) program().load<Counterfenster>();
    PanelSchliessen(rahmen);

    if (!startet) return false;
    const int stil = minimiert == 0   ? platform::vbNormalFocus
                     : server == 1    ? platform::vbMinimizedNoFocus
                                      : platform::vbMinimizedFocus;
    const std::string& zeile = befehl.zeile;
    if (!p.processes.Start(befehl.wörter, stil, server)) {
        // The answer is not kept in Antwort: that holds the orb count a
        // Hoard start is about to type. A count for a server that did not
        // start must not go to another server's window.
        common::Meldung(p.dialogs, "Der Server konnte nicht gestartet werden:\n" + zeile,
                        platform::vbCritical);
        if (hortGestellt) Hortsetzten.Enabled = false;
        return false;
    }
    return true;
}

bool Vantor::StartwerteVerweigert(int server) {
    const std::string tempordner =
        server == 1 ? common::tempordnerServer1(Despfad.Text()) : Tempordners2.Text();
    return common::startVerweigert(
        program().platform.dialogs,
        common::werteEinwand(tempordner, server == 1 ? port.Text() : port2.Text()));
}

bool Vantor::StartVerweigert(int server, const std::string& config) {
    platform::Platform& p = program().platform;
    if (common::startVerweigert(p.dialogs, Startzeile(server, Despfad.Text(), config,
                                                      Tempordners2.Text(),
                                                      server == 1 ? port.Text() : port2.Text())))
        return true;
    const std::vector<common::Serverplatz> plätze{
        {"Server 1", common::tempordnerServer1(Despfad.Text())}, {"Server 2", Tempordners2.Text()}};
    return common::konsolenportVerweigert(p, Despfad.Text(), config, plätze);
}

// Not kept in Antwort, which may hold the orb count of a start under way.
void Vantor::FrühesEndeMelden() {
    for (const platform::EarlyEnd& ende : program().platform.processes.EndedAfterStart()) {
        std::string text =
            "Server " + std::to_string(ende.slot) + " hat sich gleich nach dem Start beendet. ";
        const bool leer = ende.lastLines.empty();
        if (!ende.logWritten)
            text += "Sein Protokoll " + ende.log + " konnte nicht angelegt werden.";
        else if (ende.logReplaced)  // what now has the log's name is not what the server wrote
            text += "Sein Protokoll " + ende.log +
                    " wurde nach dem Start durch eine andere Datei ersetzt oder gelöscht; " +
                    (leer ? "der Server schrieb nichts hinein."
                          : "die letzten Zeilen, die der Server schrieb:");
        else
            text += leer ? "Sein Protokoll (" + ende.log + ") ist leer."
                         : "Die letzten Zeilen seines Protokolls (" + ende.log + "):";
        for (const std::string& zeile : ende.lastLines) text += "\n" + zeile;
        common::Meldung(program().platform.dialogs, text, platform::vbCritical);
    }
}

void Vantor::Hortfrage() {
    while (true) {
        Antwort = program().platform.dialogs.InputBox(
            "Wieviele Hortkugeln sollen die Spieler zum ablegen benötigen ? Du kannst zwischen 1 "
            "und 12 wählen !",
            "Hortspiel...", "4");
        const double kugeln = common::Val(Antwort);
        if (kugeln >= 1 && kugeln <= 12) return;
        program().platform.system.Beep();
    }
}

// The server needs a moment to open its console; the count goes out once,
// into whichever server window answers to the title.
void Vantor::Hortsetzten_Timer() {
    Hortsetzten.Enabled = false;
    common::sendConsoleCommand(program().platform.console, "$mincount " + Antwort, false);
}

bool Vantor::FensterCFGSchreiben(int server) {
    const auto art =
        server == 1 ? serverkonfiguration::Art::Server1 : serverkonfiguration::Art::Server2;
    return serverkonfiguration::schreibe(serverkonfiguration::zeilen(*this, art),
                                         common::pfad(Despfad.Text(), kFensterCFG),
                                         program().platform.dialogs);
}

std::optional<bool> Vantor::HoardConfig(const std::string& datei) {
    std::string grund;
    std::optional<common::ItemReader> items = common::ItemReader::open(datei, &grund);
    if (!items) {
        // Not kept in Antwort, which may hold a pending Hoard orb count.
        common::lesefehlerMelden(program().platform.dialogs, datei, grund);
        return std::nullopt;
    }
    bool hoard = false;
    while (items->next(Eingabezeile))
        if (Eingabezeile == "Scriptname=Hoard") hoard = true;
    return hoard;
}
