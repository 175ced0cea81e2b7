// The main window's start frame: opening it from the first page, clearing
// the configuration name, and closing it again.
#include "common/Items.h"
#include "common/Packliste.h"
#include "common/MessageBox.h"
#include "common/Paths.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"

void Vantor::verbindeStartrahmen() {
    SStart.Click = [this] { SStart_Click(); };
    ConLöschen.Click = [this] { ConLöschen_Click(); };
    Serverstartabbrechen.Click = [this] { Serverstartabbrechen_Click(); };
    Label29.Click = [this] { Label29_Click(); };
}

void Vantor::SStart_Click() {
    Conserverstart.Text = Configname.Text();
    ConLöschen.Enabled = Conserverstart.Text() != "";

    // Without server 1's port no server can be reached: send the user to the
    // presets first.
    if (port.Text() == "") {
        program().platform.system.Beep();
        Antwort = std::to_string(common::Meldung(
            program().platform.dialogs,
            "Kein Port angegeben!! Du mußt zuerst Voreinstellungen treffen um den Server zu "
            "starten! ",
            platform::vbCritical));
        return;
    }

    Startserver.Visible = true;
    M1.Enabled = false;
    M3.Enabled = false;
    Hauptprog.Enabled = false;
    Portangabe1.Text = port.Text();
    Portangabe2.Text = port2.Text();

    PackTest(Server2start);
}

// A queued level pack runs as server 1 and its steps end whatever runs
// there, so a second server is not offered beside it. No queue at all (no
// file, no item) frees server 2; an empty first line leaves it as it is.
void Vantor::PackTest(ui::CommandButton& server2) {
    // A queue that cannot be read is named; the communicator cannot read it
    // either, so no pack of it will run.
    const std::string datei = common::packlistenPfad(program().Path());
    const einstellungen::Lesung queue = einstellungen::lese(datei, 1);
    if (queue.fehler) common::lesefehlerMelden(program().platform.dialogs, datei, *queue.fehler);
    if (queue.items.empty()) {
        server2.Enabled = true;
        return;
    }
    Eingabezeile = queue.items[0];
    if (Eingabezeile != "") server2.Enabled = false;
}

void Vantor::ConLöschen_Click() {
    Conserverstart.Text = "";
    Configname.Text = "";
    ConLöschen.Enabled = false;
}

// Closing leaves the frame's copies and buttons as they are; the next
// opening refreshes them.
void Vantor::Serverstartabbrechen_Click() { PanelSchliessen(Startserver); }

void Vantor::Label29_Click() { Serverstartabbrechen_Click(); }
