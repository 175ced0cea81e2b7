// The main window: the first page with the game settings, the status strip,
// the menus and the overlay panels (game folder, start frames, presets, saved
// servers, mod list, master-server panel). Its procedures live in one .cpp per
// area; each area wires its own events in its verbinde...() function, which
// the constructor calls.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <set>
#include <vector>
#include <string>

#include "common/CommandLine.h"
#include "ui/Form.h"
#include "ui/Program.h"

namespace common {
class LineWriter;
}

class Vantor : public ui::Form {
public:
    explicit Vantor(ui::Program& program);

    // The main window's integer window property: a server start that opens
    // the communicator sets it to 1, the communicator sets it back to 0
    // whenever it closes. Nothing else reads it.
    int Fensterwert = 0;

    // ------------------------------------------------------------ controls

    // Menus. "Info" (Infom2) is never disabled.
    ui::Menu M1{this, "M1", "Datei"};
    ui::Menu Opm1a{&M1, "Opm1a", "Optionen"};
    ui::Menu M1mlb{&M1, "M1mlb", "Mod - Liste bearbeiten"};
    ui::Menu m1st1{&M1, "m1st1", "-"};
    ui::Menu Konm1b{&M1, "Konm1b", "Konfiguration Laden"};
    ui::Menu Konm1c{&M1, "Konm1c", "Konfiguration Speichern unter.."};
    ui::Menu m3Keb{&M1, "m3Keb", "Konfigurationsdatei einsehen/bearbeiten"};
    ui::Menu m1st2{&M1, "m1st2", "-"};
    ui::Menu endm1d{&M1, "endm1d", "D3 Vantor-Server beenden"};
    ui::Menu M3{this, "M3", "Extra"};
    ui::Menu Ka{&M3, "Ka", "Kommunicator starten"};
    ui::Menu AnM3b{&M3, "AnM3b", "Angelegte Server bearbeiten"};
    ui::Menu Infom2{this, "Infom2", "Info"};
    ui::Menu zum2c{&Infom2, "zum2c", "Diereckt-Server-Befehle"};
    ui::Menu m2strich{&Infom2, "m2strich", "-"};
    ui::Menu l11{&Infom2, "l11", "Link zu meiner Homepage"};
    ui::Menu l1{&Infom2, "l1"};
    ui::Menu l2{&Infom2, "l2"};
    ui::Menu strich3{&Infom2, "strich3", "-"};
    ui::Menu Im3b{&Infom2, "Im3b", "Zu Gamespy"};
    ui::Menu Im2b{&Infom2, "Im2b", "Info zu D3 Vantor"};
    ui::Menu m4{this, "m4", "Gamespy"};
    ui::Menu m41{&m4, "m41", "Gamespy Konfiguration"};

    // Status strip: on the window itself, so it stays usable while the main
    // area is disabled. Its dark ground keeps every caption on it readable.
    ui::Shape Statusleiste{this, "Statusleiste"};
    ui::Label Label14{this, "Label14"};
    ui::Label Label15{this, "Label15"};
    ui::Label Pfeil{this, "Pfeil"};
    ui::Label Label27{this, "Label27"};
    ui::Label Label26{this, "Label26"};
    ui::Label Pfeil2{this, "Pfeil2"};

    // The main area with the first page.
    ui::Frame Hauptprog{this, "Hauptprog"};
    ui::Label LabelSpielname{&Hauptprog, "LabelSpielname"};
    ui::TextBox Spielname{&Hauptprog, "Spielname"};
    ui::Label LabelSpieletyp{&Hauptprog, "LabelSpieletyp"};
    ui::ComboBox Spieletyp{&Hauptprog, "Spieletyp"};
    ui::Label LabelLevel{&Hauptprog, "LabelLevel"};
    ui::TextBox Levelname{&Hauptprog, "Levelname"};
    ui::Label LabelConfigname{&Hauptprog, "LabelConfigname"};
    ui::TextBox Configname{&Hauptprog, "Configname"};
    ui::Label LabelBegrüssung{&Hauptprog, "LabelBegrüssung"};
    ui::TextBox Begrüssungstext{&Hauptprog, "Begrüssungstext"};
    ui::Label LabelSpieler{&Hauptprog, "LabelSpieler"};
    ui::TextBox Spieler{&Hauptprog, "Spieler"};
    ui::Label LabelLimit{&Hauptprog, "LabelLimit"};
    ui::TextBox Limit{&Hauptprog, "Limit"};
    ui::Label LabelZeitlimit{&Hauptprog, "LabelZeitlimit"};
    ui::TextBox Zeitlimit{&Hauptprog, "Zeitlimit"};
    ui::Label LabelPackete{&Hauptprog, "LabelPackete"};
    ui::TextBox Packete{&Hauptprog, "Packete"};
    ui::Label LabelLevelstart{&Hauptprog, "LabelLevelstart"};
    ui::TextBox Levelstart{&Hauptprog, "Levelstart"};
    ui::Label LabelWiederholrate{&Hauptprog, "LabelWiederholrate"};
    ui::TextBox Wiederholrate{&Hauptprog, "Wiederholrate"};
    ui::OptionButton Lan{&Hauptprog, "Lan"};
    ui::OptionButton PXO{&Hauptprog, "PXO"};
    ui::Label LabelLevelliste{&Hauptprog, "LabelLevelliste"};
    ui::FileListBox Levelboser{&Hauptprog, "Levelboser"};
    ui::CommandButton Leveluber{&Hauptprog, "Leveluber"};
    ui::CommandButton SStart{&Hauptprog, "SStart"};
    ui::Label LabelAngelegte{&Hauptprog, "LabelAngelegte"};
    ui::CommandButton Server1{&Hauptprog, "Server1"};
    ui::CommandButton Server2{&Hauptprog, "Server2"};
    ui::CommandButton Server3{&Hauptprog, "Server3"};
    ui::CommandButton Server4{&Hauptprog, "Server4"};
    ui::CommandButton Server5{&Hauptprog, "Server5"};
    ui::CommandButton Server6{&Hauptprog, "Server6"};
    ui::CommandButton Cachl{&Hauptprog, "Cachl"};
    ui::CommandButton Cache2{&Hauptprog, "Cache2"};
    ui::FileListBox Cachtest{&Hauptprog, "Cachtest"};
    ui::FileListBox Cachtest2{&Hauptprog, "Cachtest2"};
    ui::CommandButton Statik{&Hauptprog, "Statik"};
    ui::Image spypic{&Hauptprog, "spypic"};
    ui::Image Image2{&Hauptprog, "Image2"};
    ui::Image Image1{&Hauptprog, "Image1"};
    ui::Image Image4{&Hauptprog, "Image4"};

    // The saved-server buttons as a family, for loops over the slots.
    std::array<ui::CommandButton*, 6> ServerKnopf() {
        return {&Server1, &Server2, &Server3, &Server4, &Server5, &Server6};
    }

    // Game-folder panel (first run).
    ui::Frame Pfadeinstellung{this, "Pfadeinstellung"};
    ui::Label Label23{&Pfadeinstellung, "Label23"};
    ui::Label Label22{&Pfadeinstellung, "Label22"};
    ui::Label Label16{&Pfadeinstellung, "Label16"};
    ui::TextBox Despfad{&Pfadeinstellung, "Despfad"};
    ui::CommandButton Broserstart{&Pfadeinstellung, "Broserstart"};
    ui::CommandButton Pfadspeichern{&Pfadeinstellung, "Pfadspeichern"};
    ui::CommandButton Pfadabbrechen{&Pfadeinstellung, "Pfadabbrechen"};
    ui::Image Image6{&Pfadeinstellung, "Image6"};

    // Start frame.
    ui::Frame Startserver{this, "Startserver"};
    ui::Label Label30{&Startserver, "Label30"};
    ui::Label Label29{&Startserver, "Label29"};
    ui::Label Label31{&Startserver, "Label31"};
    ui::TextBox Conserverstart{&Startserver, "Conserverstart"};
    ui::CommandButton ConLöschen{&Startserver, "ConLöschen"};
    ui::Label Label25{&Startserver, "Label25"};
    ui::TextBox Portangabe1{&Startserver, "Portangabe1"};
    ui::TextBox Portangabe2{&Startserver, "Portangabe2"};
    ui::CommandButton Server1start{&Startserver, "Server1start"};
    ui::CommandButton Server2start{&Startserver, "Server2start"};
    ui::CommandButton Serverstartabbrechen{&Startserver, "Serverstartabbrechen"};

    // Saved-server start frame.
    ui::Frame ASfra{this, "ASfra"};
    ui::Label Label35{&ASfra, "Label35"};
    ui::Label KreutzAS{&ASfra, "KreutzAS"};
    ui::Label Label32{&ASfra, "Label32"};
    ui::TextBox ASservertext{&ASfra, "ASservertext"};
    ui::Label Label33{&ASfra, "Label33"};
    ui::TextBox Portangabe3{&ASfra, "Portangabe3"};
    ui::TextBox Portangabe4{&ASfra, "Portangabe4"};
    ui::CommandButton AS1{&ASfra, "AS1"};
    ui::CommandButton AS2{&ASfra, "AS2"};
    ui::CommandButton ASAbbrechen{&ASfra, "ASAbbrechen"};

    // Presets panel (Voreinstellungen).
    ui::Frame VorstellFrame{this, "VorstellFrame"};
    ui::Label Label18{&VorstellFrame, "Label18"};
    ui::Label Label20{&VorstellFrame, "Label20"};
    ui::Label LabelLoggin{&VorstellFrame, "LabelLoggin"};
    ui::TextBox Logginname{&VorstellFrame, "Logginname"};
    ui::Label LabelPaswort{&VorstellFrame, "LabelPaswort"};
    ui::TextBox Paswort{&VorstellFrame, "Paswort"};
    ui::Label LabelHostingLobby{&VorstellFrame, "LabelHostingLobby"};
    ui::TextBox HostingLobby{&VorstellFrame, "HostingLobby"};
    ui::Label LabelPort{&VorstellFrame, "LabelPort"};
    ui::TextBox port{&VorstellFrame, "port"};
    ui::Label LabelPort2{&VorstellFrame, "LabelPort2"};
    ui::TextBox port2{&VorstellFrame, "port2"};
    ui::Label LabelTempordner{&VorstellFrame, "LabelTempordner"};
    ui::TextBox Tempordners2{&VorstellFrame, "Tempordners2"};
    ui::CommandButton Poardstandart{&VorstellFrame, "Poardstandart"};
    ui::CheckBox Fernwalt{&VorstellFrame, "Fernwalt"};
    ui::Label LabelServerpassw{&VorstellFrame, "LabelServerpassw"};
    ui::TextBox Serverpassw{&VorstellFrame, "Serverpassw"};
    ui::Label LabelZusatz{&VorstellFrame, "LabelZusatz"};
    ui::CheckBox BelSchiffe{&VorstellFrame, "BelSchiffe"};
    ui::CheckBox Kollisionserkennung{&VorstellFrame, "Kollisionserkennung"};
    ui::CheckBox Schiffsdrehung{&VorstellFrame, "Schiffsdrehung"};
    ui::CheckBox Mouselook{&VorstellFrame, "Mouselook"};
    ui::CheckBox Peer{&VorstellFrame, "Peer"};
    ui::CheckBox servermin{&VorstellFrame, "servermin"};
    ui::CheckBox Hilfezeigen{&VorstellFrame, "Hilfezeigen"};
    ui::CheckBox VSAutoend{&VorstellFrame, "VSAutoend"};
    ui::Label LabelSchwierikkeit{&VorstellFrame, "LabelSchwierikkeit"};
    ui::ComboBox Schwierikkeit{&VorstellFrame, "Schwierikkeit"};
    ui::Label LabelAudio{&VorstellFrame, "LabelAudio"};
    ui::TextBox Audio{&VorstellFrame, "Audio"};
    ui::Label LabelSchiffe{&VorstellFrame, "LabelSchiffe"};
    ui::ListBox Schiffe{&VorstellFrame, "Schiffe"};
    ui::Label LabelWaffen{&VorstellFrame, "LabelWaffen"};
    ui::ListBox Waffen{&VorstellFrame, "Waffen"};
    ui::CommandButton VorOK{&VorstellFrame, "VorOK"};
    ui::CommandButton Vorabbruch{&VorstellFrame, "Vorabbruch"};
    ui::Image Image3{&VorstellFrame, "Image3"};

    // Saved-servers editor: caption, tool tip and configuration of slots 1
    // to 5, the tool tip and the group of the level-pack slot 6.
    ui::Frame Angelegte{this, "Angelegte"};
    ui::Label AngelegteTitel{&Angelegte, "AngelegteTitel"};
    ui::Label ASKreutz{&Angelegte, "ASKreutz"};
    ui::TextBox ab1{&Angelegte, "ab1"};
    ui::TextBox tt1{&Angelegte, "tt1"};
    ui::TextBox cn1{&Angelegte, "cn1"};
    ui::CommandButton bb1{&Angelegte, "bb1"};
    ui::CommandButton ee1{&Angelegte, "ee1"};
    ui::TextBox ab2{&Angelegte, "ab2"};
    ui::TextBox tt2{&Angelegte, "tt2"};
    ui::TextBox cn2{&Angelegte, "cn2"};
    ui::CommandButton bb2{&Angelegte, "bb2"};
    ui::CommandButton ee2{&Angelegte, "ee2"};
    ui::TextBox ab3{&Angelegte, "ab3"};
    ui::TextBox tt3{&Angelegte, "tt3"};
    ui::TextBox cn3{&Angelegte, "cn3"};
    ui::CommandButton bb3{&Angelegte, "bb3"};
    ui::CommandButton ee3{&Angelegte, "ee3"};
    ui::TextBox ab4{&Angelegte, "ab4"};
    ui::TextBox tt4{&Angelegte, "tt4"};
    ui::TextBox cn4{&Angelegte, "cn4"};
    ui::CommandButton bb4{&Angelegte, "bb4"};
    ui::CommandButton ee4{&Angelegte, "ee4"};
    ui::TextBox ab5{&Angelegte, "ab5"};
    ui::TextBox tt5{&Angelegte, "tt5"};
    ui::TextBox cn5{&Angelegte, "cn5"};
    ui::CommandButton bb5{&Angelegte, "bb5"};
    ui::CommandButton ee5{&Angelegte, "ee5"};
    ui::Label LevelPackName{&Angelegte, "LevelPackName"};
    ui::TextBox tt6{&Angelegte, "tt6"};
    ui::ListBox Gruppe{&Angelegte, "Gruppe"};
    ui::CommandButton bb6{&Angelegte, "bb6"};
    ui::CommandButton GruppeLoschen{&Angelegte, "GruppeLoschen"};
    ui::CommandButton ASSpeichern{&Angelegte, "ASSpeichern"};
    ui::CommandButton ASBAbbrechen{&Angelegte, "ASBAbbrechen"};
    // The slot and row labels of the panel, which no procedure touches.
    std::vector<std::unique_ptr<ui::Label>> AngelegteTexte;

    // The panel's slots 1 to 5 as families.
    std::array<ui::TextBox*, 5> ab() { return {&ab1, &ab2, &ab3, &ab4, &ab5}; }
    std::array<ui::TextBox*, 6> tt() { return {&tt1, &tt2, &tt3, &tt4, &tt5, &tt6}; }
    std::array<ui::TextBox*, 5> cn() { return {&cn1, &cn2, &cn3, &cn4, &cn5}; }
    std::array<ui::CommandButton*, 6> bb() { return {&bb1, &bb2, &bb3, &bb4, &bb5, &bb6}; }
    std::array<ui::CommandButton*, 5> ee() { return {&ee1, &ee2, &ee3, &ee4, &ee5}; }

    // Mod list panel.
    ui::Frame Modfenster{this, "Modfenster"};
    ui::Label Label64{&Modfenster, "Label64"};
    ui::Label Xmod{&Modfenster, "Xmod"};
    ui::ListBox Modliste{&Modfenster, "Modliste"};
    ui::CommandButton Moddazu{&Modfenster, "Moddazu"};
    ui::CommandButton Modloschen{&Modfenster, "Modloschen"};
    ui::CommandButton Standartzuruck{&Modfenster, "Standartzuruck"};
    ui::CommandButton Modabbrechen{&Modfenster, "Modabbrechen"};

    // Master-server information panel: on the window itself, so it can be
    // shown while the main area is out of use.
    ui::Frame spy{this, "spy"};
    ui::Image Image5{&spy, "Image5"};
    ui::Label Label19{&spy, "Label19"};
    ui::CommandButton Spyok{&spy, "Spyok"};

    // The window's one common file dialog, shared by all its file choices.
    ui::CommonDialog CommonDialog1{this, "CommonDialog1"};

    // Timers (interval, enabled at design).
    ui::Timer Start{this, "Start", 2500, true};
    ui::Timer Timer2{this, "Timer2", 1000, false};
    ui::Timer Timer1{this, "Timer1", 25, false};
    ui::Timer Timer3{this, "Timer3", 25, true};
    ui::Timer Hortsetzten{this, "Hortsetzten", 15000, false};

    // ---------------------------------------------------- window variables

    // Result of the last message box or input box of this window, as text;
    // after the Hoard question the orb count exactly as typed.
    std::string Antwort;
    // Receives each item read from a file.
    std::string Eingabezeile;
    // Configuration paths of the saved slots 1 to 5.
    std::string ServerConfig1, ServerConfig2, ServerConfig3, ServerConfig4, ServerConfig5;
    std::array<std::string*, 5> ServerConfig() {
        return {&ServerConfig1, &ServerConfig2, &ServerConfig3, &ServerConfig4, &ServerConfig5};
    }
    // 1 when the server being started plays Hoard.
    int Hortmodus = 0;
    // The configuration the saved-server start frame will start.
    std::string GewaehlteConfig;
    // Loop counter while the level-pack queue is written.
    int Zaehler = 0;
    // Items of a configuration file being loaded (positions 0 to 70 used).
    std::array<std::string, 151> Ladezeile;

    // Opens an overlay panel that takes the menus "Datei", "Extra" and
    // "Gamespy" and the main area while it is open, placed at left, top.
    void PanelOeffnen(ui::Frame& panel, int left, int top);
    // Closes an overlay panel: hides it and gives the main area and the menus
    // back, whichever of them the panel's opening took.
    void PanelSchliessen(ui::Frame& panel);

    // ================================================= start-up (Vantor_laden.cpp)
    void Form_Load() override;
    void Start_Timer();
    // Writes Letztes.ini from the first page as it stands. A file that
    // cannot be written gives a message naming it; false then.
    bool LetztesSpeichern();
    // Writes Servertool.ini from the presets panel as it stands (integer
    // items, flags "1"/"0"). A failure gives a message; false then.
    bool ServertoolSpeichern();
    // Writes a settings file of the program folder whole. One that cannot be
    // written gives a message naming it and the system's reason; false then.
    // So does one that is there but could not be read (Unlesbar): it is not
    // replaced with values that never came from it.
    bool Speichern(const common::LineWriter& inhalt, const std::string& dateiname);
    // Reads the items of a settings file of the program folder, at most
    // `hoechstens`; none when it is missing (*vorhanden tells which). One
    // that is there and cannot be read is named with the reason in a
    // critical message and joins Unlesbar until a read of it succeeds;
    // nullopt then.
    std::optional<std::vector<std::string>> Einlesen(const std::string& dateiname,
                                                     std::size_t hoechstens = std::string::npos,
                                                     bool* vorhanden = nullptr);
    // Settings files (by name) that are there but could not be read.
    std::set<std::string> Unlesbar;

    // ================================================= game folder (Vantor_pfad.cpp)
    void Broserstart_Click();
    void Pfadspeichern_Click();
    void Pfadabbrechen_Click();
    void Label22_DblClick();

    // ================================================= configuration file (Vantor_konfiguration.cpp)
    void Konm1c_Click();
    void Konm1b_Click();
    // Shows the open dialog of CommonDialog1 for configuration files; the
    // choice is in its FileName. False when it was cancelled.
    bool KonfigurationWaehlen();

    // ================================================= start frame (Vantor_startrahmen.cpp)
    void SStart_Click();
    void ConLöschen_Click();
    void Serverstartabbrechen_Click();
    void Label29_Click();
    // The queue test of both start frames: a level pack waiting in pack.cfg
    // disables the frame's server-2 button.
    void PackTest(ui::CommandButton& server2);

    // ================================================= server start (Vantor_serverstart.cpp)
    void Server1start_Click();
    void Server2start_Click();
    void Hortsetzten_Timer();
    // The command line of server 1 or 2: the game's program in `spielordner`
    // with the configuration, the server's temporary folder (server 1's
    // cache in the game folder, server 2's `tempordner2`) and its port;
    // or why the game could not run it.
    static common::Serverbefehl Startzeile(int server, const std::string& spielordner,
                                           const std::string& config,
                                           const std::string& tempordner2,
                                           const std::string& port);
    // The start both buttons share; the refusal while server 2 runs belongs
    // to server 2 alone.
    void Serverstart(int server);
    // Refusals of a start, each with its critical message; true when the
    // start is refused. Nothing has been asked or started then.
    // The temporary folder and port of server 1 or 2 as the presets give
    // them: checked before fenster.CFG is written from them.
    bool StartwerteVerweigert(int server);
    // Everything the game could not take in the start of `config`.
    bool StartVerweigert(int server, const std::string& config);
    // Each server that ended right after its start gets a critical message
    // with the last lines of its log. The status poll asks every second.
    void FrühesEndeMelden();
    // The steps every server start shares once its configuration is settled:
    // the Hoard question and its count when `hoard`, the communicator when
    // `kommunicator` and its option ask for it, `rahmen` closed, the
    // countdown window, and the process with the style "Server minimiert
    // starten" gives. A grayed box starts nothing and arms no count; a
    // program that cannot be started is reported and disarms the count.
    // True when the server's process was started.
    bool Prozessstart(int server, const std::string& config, bool hoard, ui::Frame& rahmen,
                      bool kommunicator);
    // Asks for the Hoard orb count until it lies between 1 and 12; the
    // answer stays in Antwort as typed.
    void Hortfrage();
    // Writes fenster.CFG in the game folder for server 1 or 2. A file that
    // cannot be written gives a message naming it; false then.
    bool FensterCFGSchreiben(int server);
    // Whether a named configuration plays Hoard. A file that cannot be read
    // gives a message naming it; nullopt then.
    std::optional<bool> HoardConfig(const std::string& datei);

    // ================================================= saved servers (Vantor_angelegte.cpp)
    void AnM3b_Click();
    // "..." of slot 1 to 5 (`slot` from 1) and "Hinzufügen.." of the group.
    void bb_Click(int slot);
    void bb6_Click();
    void GruppeLoschen_Click();
    // "Experten" of slot 1 to 5 (`slot` from 1).
    void ee_Click(int slot);
    // Names `datei` in Edit.ini and opens the configuration-file editor,
    // which reads it there. An Edit.ini that cannot be written gives a
    // message and opens nothing; an editor already open keeps its file.
    void EditorÖffnen(const std::string& datei);
    void ASSpeichern_Click();
    void ASBAbbrechen_Click();
    void ASKreutz_Click();
    // Every slot with a configuration path gets its "Experten" button; none
    // loses it.
    void ExpertenFreigeben();
    // The file dialog of the browse buttons; nullopt when cancelled.
    std::optional<std::string> CFGWählen();

    // ================================================= saved-server start (Vantor_angelegtstart.cpp)
    // Click on saved-server button 1 to 6 (`slot` from 1).
    void Server_Click(int slot);
    void AS1_Click();
    void AS2_Click();
    void ASAbbrechen_Click();
    void KreutzAS_Click();
    void Levelpack();
    void Levelpack2();
    // The beep and the message of a slot that cannot be started.
    void SlotAbweisen();
    // The start as server 1 or 2 of the frame's configuration.
    void AngelegtStarten(int server);

    // ================================================= status and cache (Vantor_status.cpp)
    void Timer2_Timer();
    void Timer1_Timer();
    void Timer3_Timer();
    void Cachl_Click();
    void Cache2_Click();
    // Server 2 is watched only while Tempordners2 holds at least 3 characters.
    bool Server2Beobachtet() const;
    // Puts server 1 or 2 into the running or the stopped state: arrow timer,
    // arrow, state label, start-frame button, saved-server button.
    void Serveranzeige(int server, bool läuft);
    // Whether server 1 or 2 runs: a running process holds the temporary
    // folder its listing watches (a file there open or mapped, or a .lock
    // naming it). Module files a server left behind do not count. Nothing
    // when that cannot be told now.
    std::optional<bool> ServerLäuft(int server);
    // Shows whether server 1 or 2 runs; keeps what it shows when that cannot
    // be told now.
    void ServerstatusZeigen(int server);
    // One step of a running arrow.
    void Pfeilschritt(ui::Label& pfeil);

    // ================================================= presets (Vantor_voreinstellungen.cpp)
    void Opm1a_Click();
    void Poardstandart_Click();
    void Schiffe_Click();
    void VSAutoend_Click();
    void Fernwalt_Click();
    void VorOK_Click();
    void Vorabbruch_Click();
    void Label20_Click();
    // Step one of the save: server 2's temporary folder, made on request.
    // False when nothing may be saved.
    bool Tempordner2Pruefen();

    // ================================================= menus, links, Gamespy.cfg (Vantor_menues.cpp)
    void Ka_Click();
    void zum2c_Click();
    void Im2b_Click();
    void Im3b_Click();
    void Spyok_Click();
    void l11_Click();
    void l1_Click();
    void l2_Click();
    void Image2_Click();
    void Statik_Click();
    void m41_Click();
    void m3Keb_Click();
    // Opens the communicator as "Kommunicator starten" does.
    void KommunicatorLaden();
    // Gamespy.cfg in the game folder.
    std::string GamespyDatei() const;

    // ================================================= mod list and levels (Vantor_modliste.cpp)
    void M1mlb_Click();
    void Moddazu_Click();
    void Modloschen_Click();
    void Standartzuruck_Click();
    void Modabbrechen_Click();
    void Xmod_Click();
    void Levelboser_DblClick();
    void Leveluber_Click();

    // ================================================= program end (Vantor_ende.cpp)
    void endm1d_Click();
    void Form_Unload(int& Cancel) override;

private:
    // Wiring of each area's events, called by the constructor.
    void verbindeLaden();
    void verbindePfad();
    void verbindeKonfiguration();
    void verbindeStartrahmen();
    void verbindeServerstart();
    void verbindeStatus();
    void verbindeVoreinstellungen();
    void verbindeMenues();
    void verbindeModliste();
    void verbindeEnde();
    void verbindeAngelegte();
    void verbindeAngelegtstart();

    // The first-run branch of the load: the game-folder panel over the
    // disabled main area.
    void Erstlauf();
    // Load steps that read the settings files into the controls.
    void LetztesLesen();
    void ServertoolLesen();
    void STSLesen();
    void ModLesen();

    // Saves Letztes.ini, empties pack.cfg (unless the communicator's close
    // has just done so) and ends the program.
    [[noreturn]] void Beenden(bool packlisteLeeren = true);
};
