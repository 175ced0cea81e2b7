// The six saved-server buttons and their start frame ASfra: a saved
// configuration started as server 1 or 2, and the level pack, whose first
// configuration starts as server 1 while the rest waits in pack.cfg for the
// communicator to start one after the other.
#include "common/MessageBox.h"
#include "common/Packliste.h"
#include "common/Paths.h"
#include "common/SettingsWriter.h"
#include "console/Kommunicator.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"

void Vantor::verbindeAngelegtstart() {
    for (int slot = 1; slot <= 6; ++slot)
        ServerKnopf()[slot - 1]->Click = [this, slot] { Server_Click(slot); };
    AS1.Click = [this] { AS1_Click(); };
    AS2.Click = [this] { AS2_Click(); };
    ASAbbrechen.Click = [this] { ASAbbrechen_Click(); };
    KreutzAS.Click = [this] { KreutzAS_Click(); };
}

void Vantor::SlotAbweisen() {
    program().platform.system.Beep();
    Antwort = std::to_string(
        common::Meldung(program().platform.dialogs,
                        "Lege zuerst ein Server an um ihn von hir Direckt zu starten !",
                        platform::vbCritical));
}

void Vantor::Server_Click(int slot) {
    const std::string beschriftung = ServerKnopf()[slot - 1]->Caption();
    if (beschriftung == einstellungen::kLeererServer) {
        SlotAbweisen();
        return;
    }
    const bool pack = slot == 6;
    if (pack && beschriftung == einstellungen::kLevelPack &&
        (Gruppe.ListCount() == 0 || Gruppe.List(0).empty())) {
        SlotAbweisen();
        return;
    }
    ASservertext.Text = beschriftung;
    GewaehlteConfig = pack ? std::string() : *ServerConfig()[slot - 1];
    Portangabe3.Text = port.Text();
    Portangabe4.Text = port2.Text();
    ASfra.Visible = true;
    M1.Enabled = false;
    M3.Enabled = false;
    Hauptprog.Enabled = false;
    // A level pack runs as server 1; its steps end whatever runs there.
    if (pack) AS2.Enabled = false;
    if (slot >= 2 && !pack) PackTest(AS2);
}

void Vantor::AS1_Click() { AngelegtStarten(1); }
void Vantor::AS2_Click() { AngelegtStarten(2); }

// A configuration that cannot be read starts nothing and leaves the frame
// open, so the user sees which slot failed and can pick another.
void Vantor::AngelegtStarten(int server) {
    Hortmodus = 0;
    if (ASservertext.Text() == einstellungen::kLevelPack) {
        if (server == 1)
            Levelpack();
        else
            Levelpack2();
        return;
    }
    if (GewaehlteConfig.empty()) {
        common::Meldung(program().platform.dialogs,
                        "Die CFG Datei des Servers \"" + ASservertext.Text() +
                            "\" konnte nicht gelesen werden:\nEs ist keine Datei angegeben.",
                        platform::vbCritical);
        return;
    }
    const std::optional<bool> hoard = HoardConfig(GewaehlteConfig);
    if (!hoard) return;
    Hortmodus = *hoard ? 1 : 0;
    if ((server == 1 ? Pfeil : Pfeil2).Visible()) {
        Antwort = std::to_string(common::Meldung(
            program().platform.dialogs,
            server == 1 ? "Server 1 ist bereits gestartet! Kein weiter möglich!!"
                        : "Server 2 ist bereits gestartet! ",
            platform::vbInformation));
        return;
    }
    Antwort = "";
    Prozessstart(server, GewaehlteConfig, Hortmodus == 1, ASfra, true);
}

// The group's first entry starts now; the rest goes to pack.cfg before the
// communicator opens, which reads it in its load. A queue that cannot be
// written starts nothing: the pack would stop after its first entry. A
// start that did not happen takes its queue back, so that no later end of
// an ordinary server steps on into it.
void Vantor::Levelpack() {
    if (Gruppe.ListCount() == 0) {
        SlotAbweisen();
        return;
    }
    GewaehlteConfig = Gruppe.List(0);
    // A refused start leaves no queue behind that would make a pack seem
    // to run.
    if (StartVerweigert(1, GewaehlteConfig)) return;
    common::LineWriter queue;
    for (Zaehler = 1; Zaehler < Gruppe.ListCount(); ++Zaehler) queue.text(Gruppe.List(Zaehler));
    if (!Speichern(queue, common::kPackliste)) return;
    const bool kommunicatorOffen = program().find<Kommunicator>() != nullptr;
    if (Prozessstart(1, GewaehlteConfig, false, ASfra, true)) return;
    common::packlisteLeeren(program().platform.dialogs, program().Path());
    // A communicator open before keeps the list it read then.
    if (Kommunicator* k = program().find<Kommunicator>(); k && !kommunicatorOffen)
        k->PackVerwerfen();
}

// Only the group's first entry runs as server 2: the communicator steps a
// pack with server 1's folder and port alone, so pack.cfg stays as it is.
void Vantor::Levelpack2() {
    if (Gruppe.ListCount() == 0) {
        SlotAbweisen();
        return;
    }
    GewaehlteConfig = Gruppe.List(0);
    Prozessstart(2, GewaehlteConfig, false, ASfra, true);
}

void Vantor::ASAbbrechen_Click() {
    PanelSchliessen(ASfra);
    AS2.Enabled = true;
}

// The "X" leaves AS2 as it is, for the status poll or the next opening.
void Vantor::KreutzAS_Click() { PanelSchliessen(ASfra); }
