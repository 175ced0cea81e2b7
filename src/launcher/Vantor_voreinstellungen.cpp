// The main window's presets panel (Voreinstellungen).
#include <filesystem>
#include <system_error>

#include "common/MessageBox.h"
#include "common/Paths.h"
#include "launcher/Serverkonfiguration.h"
#include "launcher/Vantor.h"

void Vantor::verbindeVoreinstellungen() {
    Opm1a.Click = [this] { Opm1a_Click(); };
    Poardstandart.Click = [this] { Poardstandart_Click(); };
    Fernwalt.Click = [this] { Fernwalt_Click(); };
    VSAutoend.Click = [this] { VSAutoend_Click(); };
    Schiffe.Click = [this] { Schiffe_Click(); };
    VorOK.Click = [this] { VorOK_Click(); };
    Vorabbruch.Click = [this] { Vorabbruch_Click(); };
    Label20.Click = [this] { Label20_Click(); };
}


void Vantor::Opm1a_Click() { PanelOeffnen(VorstellFrame, 1, 1); }

// Only fills in the boxes; nothing is saved or created. Server 2's
// temporary folder must be absolute and outlive a reboot: D3Temp in the
// user's home folder.
void Vantor::Poardstandart_Click() {
    Tempordners2.Text = common::pfad(common::heimordner(), "D3Temp");
    port.Text = "2092";
    port2.Text = "2093";
    HostingLobby.Text = "global";
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

// Server 2 is watched through its temporary folder, so a folder that is not
// there is offered to be made before anything is saved. False when the user
// declines or the folder cannot be made: then nothing is saved.
bool Vantor::Tempordner2Pruefen() {
    if (!Server2Beobachtet()) return true;
    for (;;) {
        try {
            Cachtest2.setPath(Tempordners2.Text());
            Cache2.Enabled = true;
            return true;
        } catch (const ui::RuntimeError&) {
        }
        Antwort = std::to_string(program().platform.dialogs.MsgBox(
            "Tempordner für Server 2 nicht vorhanden ! Soll er jetzt erstellt werden?",
            platform::vbOKCancel + platform::vbQuestion, ""));
        if (Antwort != std::to_string(platform::vbOK)) return false;
        // Only the last level is made: a missing parent is more likely a
        // typing error than a wish for a new tree of folders.
        std::error_code fehler;
        if (!std::filesystem::create_directory(Tempordners2.Text(), fehler) && !fehler)
            fehler = std::make_error_code(std::errc::file_exists);
        if (fehler) {
            Antwort = std::to_string(common::Meldung(
                program().platform.dialogs,
                "Der Ordner " + Tempordners2.Text() + " konnte nicht erstellt werden:\n" +
                    fehler.message(),
                platform::vbCritical));
            return false;
        }
    }
}

void Vantor::VorOK_Click() {
    if (!Tempordner2Pruefen()) return;

    std::array<bool, serverkonfiguration::kSchiffe> gebannt{};
    for (std::size_t i = 0; i < gebannt.size(); ++i)
        gebannt[i] = Schiffe.Selected(static_cast<int>(i));
    // Without a game folder (the first-run panel is still open) the path
    // would name the root folder: nothing is written there.
    bool schiffeGeschrieben = false;
    if (Despfad.Text() == "")
        common::Meldung(program().platform.dialogs,
                        "Schiffe.mps wurde nicht geschrieben: Es ist noch kein Spielordner "
                        "eingestellt.",
                        platform::vbCritical);
    else
        schiffeGeschrieben =
            serverkonfiguration::schreibe(serverkonfiguration::schiffsdatei(gebannt),
                                          common::pfad(Despfad.Text(), "Schiffe.mps"),
                                          program().platform.dialogs);
    // The presets are kept even when the game folder cannot take
    // Schiffe.mps; the panel stays open so the failure is not mistaken for
    // a save.
    const bool voreinstellungenGeschrieben = ServertoolSpeichern();
    if (!schiffeGeschrieben || !voreinstellungenGeschrieben) return;

    if (Logginname.Text() != "" && Paswort.Text() != "") PXO.Enabled = true;
    Antwort = std::to_string(
        program().platform.dialogs.MsgBox("Voreinstellung gespeichert !", platform::vbOKOnly, ""));
    // Saved: the panel closes as it does without saving.
    Vorabbruch_Click();
}

// Closing without saving keeps the edits in the boxes; only VorOK stores them.
void Vantor::Vorabbruch_Click() { PanelSchliessen(VorstellFrame); }

void Vantor::Label20_Click() { Vorabbruch_Click(); }
