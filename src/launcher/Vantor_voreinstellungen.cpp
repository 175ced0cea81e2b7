// The main window's presets panel (Voreinstellungen).
#include "launcher/Vantor.h"

#include "common/MessageBox.h"

void Vantor::verbindeVoreinstellungen() {
    Fernwalt.Click = [this] { Fernwalt_Click(); };
    VSAutoend.Click = [this] { VSAutoend_Click(); };
    Schiffe.Click = [this] { Schiffe_Click(); };
}

// Banning all four ships would leave nobody a ship to fly: the first one
// stays allowed.
void Vantor::Schiffe_Click() {
    for (int i = 0; i < Schiffe.ListCount(); ++i)
        if (!Schiffe.Selected(i)) return;
    Schiffe.SetSelected(0, false);
    program().platform.system.Beep();
    Antwort = std::to_string(common::Meldung(program().platform.dialogs,
                                             "Alle Schiffe ausschließen? Setzte Pyro-GL wieder auf ein!!",
                                             platform::vbCritical));
}

// Ending the tool right after a start leaves no time for the communicator,
// so that option is locked while this one is ticked.
void Vantor::VSAutoend_Click() {
    if (VSAutoend.Value() == 1) {
        Hilfezeigen.Value = 0;
        Hilfezeigen.Enabled = false;
    } else {
        Hilfezeigen.Enabled = true;
    }
}

// The remote-console password only matters with remote control allowed.
void Vantor::Fernwalt_Click() {
    const bool zugelassen = Fernwalt.Value() == 1;
    Serverpassw.Enabled = zugelassen;
    Serverpassw.BackColor = zugelassen ? ui::kWindowBackground : 0xC0C0C0;
}
