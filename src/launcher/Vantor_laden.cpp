// The main window's start-up: reading the settings files into the controls,
// the first-run branch, and showing the window.
#include <filesystem>

#include "common/Items.h"
#include "common/MessageBox.h"
#include "common/Paths.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"

namespace {

using Items = std::vector<std::string>;

// A check-box value from a file; values no box can take count as unticked.
int haekchen(long wert) { return wert >= 0 && wert <= 2 ? static_cast<int>(wert) : 0; }

}  // namespace

void Vantor::verbindeLaden() {
    Start.Tick = [this] { Start_Timer(); };
}

void Vantor::Form_Load() {
    Timer1.Enabled = true;
    Timer2.Enabled = true;

    if (Spieler.Text() == "") Spieler.Text = "8";
    if (Zeitlimit.Text() == "") Zeitlimit.Text = "0";
    if (Limit.Text() == "") Limit.Text = "0";
    if (Packete.Text() == "") Packete.Text = "8";
    if (Levelstart.Text() == "") Levelstart.Text = "1";
    if (Wiederholrate.Text() == "") Wiederholrate.Text = "50";

    // Without a usable game folder nothing else can work: ask for it.
    const std::vector<std::string> pfad =
        Einlesen(einstellungen::kSTPfad, einstellungen::kSTPfadZeilen).value_or(Items{});
    if (!pfad.empty()) Despfad.Text = pfad[0];
    if (pfad.size() < einstellungen::kSTPfadZeilen || Despfad.Text() == "") return Erstlauf();
    try {
        Cachtest.setPath(common::pfadImSpielordner(Despfad.Text(), "custom\\cache"));
        Levelboser.setPath(common::pfadImSpielordner(Despfad.Text(), "Missions"));
        // Servers are started with bare configuration names, found here.
        std::filesystem::current_path(Despfad.Text());
    } catch (const ui::RuntimeError&) {
        return Erstlauf();
    } catch (const std::filesystem::filesystem_error&) {
        return Erstlauf();
    }

    LetztesLesen();
    ServertoolLesen();
    if (Fernwalt.Value() == 1) {
        Serverpassw.Enabled = true;
        Serverpassw.BackColor = ui::kWindowBackground;
    }
    if (Server2Beobachtet()) {
        try {
            Cachtest2.setPath(Tempordners2.Text());
            Cache2.Enabled = true;
        } catch (const ui::RuntimeError&) {
            // A folder that is gone: server 2 stays unwatched until the
            // presets name one that exists.
        }
    }
    STSLesen();
    ModLesen();

    for (int i = 0; i < Spieletyp.ListCount(); ++i)
        if (Spieletyp.List(i) == Spieletyp.Text()) Spieletyp.ListIndex = i;
    if (VSAutoend.Value() == 1) Hilfezeigen.Enabled = false;
    if (Logginname.Text() == "" || Paswort.Text() == "") PXO.Enabled = false;

    // Only a file that can be read counts; a folder of that name does not.
    spypic.Visible = common::readFileBytes(GamespyDatei()).has_value();
}

void Vantor::Erstlauf() {
    program().platform.system.Beep();
    Timer1.Enabled = false;
    Timer2.Enabled = false;
    Pfadeinstellung.Visible = true;
    Hauptprog.Enabled = false;
    // A folder that is briefly unusable (an unmounted disk) must not cost
    // the user the last values: only a missing or short file gets the
    // design values. A complete one is taken into the boxes, so that an end
    // from the panel writes it back as it was; one that cannot be read stays.
    const std::optional<Items> letztes =
        Einlesen(einstellungen::kLetztes, einstellungen::kLetztesZeilen);
    if (!letztes) return;
    if (letztes->size() >= einstellungen::kLetztesZeilen)
        LetztesLesen();
    else
        LetztesSpeichern();
}

// Letztes.ini stops quietly where it ends: what it lacks keeps its value.
void Vantor::LetztesLesen() {
    const std::vector<std::string> items =
        Einlesen(einstellungen::kLetztes, einstellungen::kLetztesZeilen).value_or(Items{});
    ui::TextBox* texte[] = {&Spieler, &Limit,         &Zeitlimit, &Packete,  &Levelstart,
                            &Wiederholrate, &Levelname, nullptr, &Spielname, &Begrüssungstext};
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i == 0) {
            PXO.Value = einstellungen::optionGesetzt(items[i]);
        } else if (i == 1) {
            Lan.Value = einstellungen::optionGesetzt(items[i]);
        } else if (texte[i - 2]) {
            texte[i - 2]->Text = items[i];
        } else {
            Spieletyp.Text = items[i];
        }
    }
}

// Setting the boxes and lists runs their click procedures, so the
// dependent controls follow the stored values.
void Vantor::ServertoolLesen() {
    const einstellungen::Voreinstellungen v = einstellungen::voreinstellungenAus(
        Einlesen(einstellungen::kServertool, einstellungen::kServertoolZeilen).value_or(Items{}));
    Logginname.Text = v.Logginname;
    Paswort.Text = v.Paswort;
    port.Text = v.port;
    HostingLobby.Text = v.HostingLobby;
    BelSchiffe.Value = haekchen(v.BelSchiffe);
    Kollisionserkennung.Value = haekchen(v.Kollisionserkennung);
    Schiffsdrehung.Value = haekchen(v.Schiffsdrehung);
    Mouselook.Value = haekchen(v.Mouselook);
    Peer.Value = haekchen(v.Peer);
    const bool stufeGueltig = v.Schwierikkeit >= -1 && v.Schwierikkeit < Schwierikkeit.ListCount();
    Schwierikkeit.ListIndex = stufeGueltig ? static_cast<int>(v.Schwierikkeit) : -1;
    servermin.Value = haekchen(v.servermin);
    Hilfezeigen.Value = haekchen(v.Hilfezeigen);
    Serverpassw.Text = v.Serverpassw;
    Tempordners2.Text = v.Tempordners2;
    port2.Text = v.port2;
    Fernwalt.Value = haekchen(v.Fernwalt);
    Audio.Text = v.Audio;
    VSAutoend.Value = haekchen(v.VSAutoend);
    for (std::size_t i = 0; i < v.Schiffe.size(); ++i)
        if (v.Schiffe[i]) Schiffe.SetSelected(static_cast<int>(i), true);
    for (std::size_t i = 0; i < v.Waffen.size(); ++i)
        if (v.Waffen[i]) Waffen.SetSelected(static_cast<int>(i), true);
}

void Vantor::STSLesen() {
    const einstellungen::AngelegteServer s = einstellungen::angelegteAus(
        Einlesen(einstellungen::kSTS, einstellungen::kSTSZeilen).value_or(Items{}));
    auto knoepfe = ServerKnopf();
    auto pfade = ServerConfig();
    for (std::size_t i = 0; i < s.Slots.size(); ++i) {
        knoepfe[i]->Caption = s.Slots[i].Beschriftung;
        knoepfe[i]->ToolTipText = s.Slots[i].Tooltip;
        *pfade[i] = s.Slots[i].Config;
    }
    Server6.Caption = s.PackBeschriftung == einstellungen::kLeererServer
                          ? einstellungen::kLevelPack
                          : s.PackBeschriftung;
    Server6.ToolTipText = s.PackTooltip;
    for (const std::string& eintrag : s.Gruppe)
        if (!eintrag.empty()) Gruppe.AddItem(eintrag);
}

// A Mod.ini that cannot be read offers the first-run game types; it is not
// written over with them.
void Vantor::ModLesen() {
    bool vorhanden = false;
    const std::optional<Items> gelesen =
        Einlesen(einstellungen::kMod, std::string::npos, &vorhanden);
    const Items& mods = gelesen && vorhanden ? *gelesen : einstellungen::standardMods();
    for (const std::string& mod : mods) {
        Spieletyp.AddItem(mod);
        Modliste.AddItem(mod);
    }
}

void Vantor::Start_Timer() {
    Show();
    Start.Enabled = false;
}

bool Vantor::Speichern(const common::LineWriter& inhalt, const std::string& dateiname) {
    const std::string datei = common::pfad(program().Path(), dateiname);
    if (Unlesbar.count(dateiname) > 0) {
        Antwort = std::to_string(common::Meldung(program().platform.dialogs,
                                                 common::nichtUeberschriebenText(datei),
                                                 platform::vbCritical));
        return false;
    }
    std::string grund;
    if (inhalt.writeTo(datei, &grund)) return true;
    Antwort = std::to_string(common::Meldung(program().platform.dialogs,
                                             common::fileWriteErrorText(datei, grund),
                                             platform::vbCritical));
    return false;
}

std::optional<std::vector<std::string>> Vantor::Einlesen(const std::string& dateiname,
                                                         std::size_t hoechstens,
                                                         bool* vorhanden) {
    const std::string datei = common::pfad(program().Path(), dateiname);
    einstellungen::Lesung l = einstellungen::lese(datei, hoechstens);
    if (vorhanden) *vorhanden = l.vorhanden;
    if (!l.fehler) {
        Unlesbar.erase(dateiname);
        return std::move(l.items);
    }
    Unlesbar.insert(dateiname);
    common::lesefehlerMelden(program().platform.dialogs, datei, *l.fehler);
    return std::nullopt;
}

bool Vantor::LetztesSpeichern() {
    einstellungen::Letztes l;
    l.PXO = PXO.Value();
    l.Lan = Lan.Value();
    l.Spieler = Spieler.Text();
    l.Limit = Limit.Text();
    l.Zeitlimit = Zeitlimit.Text();
    l.Packete = Packete.Text();
    l.Levelstart = Levelstart.Text();
    l.Wiederholrate = Wiederholrate.Text();
    l.Levelname = Levelname.Text();
    l.Spieletyp = Spieletyp.Text();
    l.Spielname = Spielname.Text();
    l.Begrüssungstext = Begrüssungstext.Text();
    return Speichern(einstellungen::zeilen(l), einstellungen::kLetztes);
}

bool Vantor::ServertoolSpeichern() {
    einstellungen::Voreinstellungen v;
    v.Logginname = Logginname.Text();
    v.Paswort = Paswort.Text();
    v.port = port.Text();
    v.HostingLobby = HostingLobby.Text();
    v.BelSchiffe = BelSchiffe.Value();
    v.Kollisionserkennung = Kollisionserkennung.Value();
    v.Schiffsdrehung = Schiffsdrehung.Value();
    v.Mouselook = Mouselook.Value();
    v.Peer = Peer.Value();
    v.Schwierikkeit = Schwierikkeit.ListIndex();
    v.servermin = servermin.Value();
    v.Hilfezeigen = Hilfezeigen.Value();
    v.Serverpassw = Serverpassw.Text();
    v.Tempordners2 = Tempordners2.Text();
    v.port2 = port2.Text();
    v.Fernwalt = Fernwalt.Value();
    v.Audio = Audio.Text();
    v.VSAutoend = VSAutoend.Value();
    for (std::size_t i = 0; i < v.Schiffe.size(); ++i)
        v.Schiffe[i] = Schiffe.Selected(static_cast<int>(i));
    for (std::size_t i = 0; i < v.Waffen.size(); ++i)
        v.Waffen[i] = Waffen.Selected(static_cast<int>(i));
    return Speichern(einstellungen::zeilen(v), einstellungen::kServertool);
}
