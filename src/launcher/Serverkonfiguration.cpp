#include "launcher/Serverkonfiguration.h"

#include <cctype>

#include "common/CommandLine.h"
#include "common/MessageBox.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "launcher/Vantor.h"

namespace serverkonfiguration {

// The game's own names, with their case and blanks; not the list captions.
const std::array<const char*, kSchiffe> kSchiffsnamen = {"Pyro-GL", "Phoenix", "Magnum-AHT",
                                                         "Black Pyro"};
const std::array<const char*, kSchiffe> kSchiffsnamenMps = {"Pyro-GL", "Phoenix",
                                                            "Magnum - AHT", "Black Pyro"};

const std::array<std::array<const char*, 2>, kWaffen> kWaffennamen = {{
    {"Vauss", nullptr},
    {"Napalm", nullptr},
    {"PlasmaCannon", nullptr},
    {"FusionCannon", nullptr},
    {"SuperLaser", nullptr},
    {"MassDriver", nullptr},
    {"Microwave", nullptr},
    {"EMDlauncher", nullptr},
    {"OmegaCannon", nullptr},
    {"Concussion", "4packconc"},
    {"Homing", "4packHoming"},
    {"ImpactMortar", nullptr},
    {"Mega", nullptr},
    {"Frag", "4packFrag"},
    {"Guided", "4packGuided"},
    {"NapalmRocket", nullptr},
    {"Cyclone", nullptr},
    {"BlackShark", nullptr},
    {"Betty", nullptr},
    {"Seeker", nullptr},
    {"Prox", nullptr},
    {"Chaff", nullptr},
    {"Energy", nullptr},
    {"Shield", nullptr},
    {"Invulnerability", nullptr},
    {"Cloak", nullptr},
    {"Afterburner", nullptr},
    {"Converter", nullptr},
    {"Quadlaser", nullptr},
    {"RapidFire", nullptr},
    {"fullmap", nullptr},
    {"Vauss Clip", nullptr},
    {"massdriverammo", nullptr},
    {"Napalmtank", nullptr},
    {"Smart", nullptr},
    {"Gunboy", nullptr},
}};

Werte werteAus(Vantor& v) {
    Werte w;
    w.Spielordner = v.Despfad.Text();
    // The same choice of build as the command line makes.
    w.NativerServer = common::eintragImOrdner(w.Spielordner, common::kNativProgramm).has_value();
    w.Packete = v.Packete.Text();
    w.Zeitlimit = v.Zeitlimit.Text();
    w.Limit = v.Limit.Text();
    w.Wiederholrate = v.Wiederholrate.Text();
    w.Spieler = v.Spieler.Text();
    w.Spielname = v.Spielname.Text();
    w.Levelname = v.Levelname.Text();
    w.Spieletyp = v.Spieletyp.ListIndex() >= 0 ? v.Spieletyp.List(v.Spieletyp.ListIndex())
                                               : v.Spieletyp.Text();
    w.PXO = v.PXO.Value();
    w.Lan = v.Lan.Value();
    w.Fernwalt = v.Fernwalt.Value();
    w.port = v.port.Text();
    w.port2 = v.port2.Text();
    w.Serverpassw = v.Serverpassw.Text();
    w.Levelstart = v.Levelstart.Text();
    w.Schwierikkeit = v.Schwierikkeit.ListIndex();
    w.Kollisionserkennung = v.Kollisionserkennung.Value();
    w.Schiffsdrehung = v.Schiffsdrehung.Value();
    w.BelSchiffe = v.BelSchiffe.Value();
    w.Peer = v.Peer.Value();
    w.Mouselook = v.Mouselook.Value();
    w.Logginname = v.Logginname.Text();
    w.Paswort = v.Paswort.Text();
    w.HostingLobby = v.HostingLobby.Text();
    w.Begrüssungstext = v.Begrüssungstext.Text();
    w.Audio = v.Audio.Text();
    for (std::size_t i = 0; i < kSchiffe; ++i) w.Schiffe[i] = v.Schiffe.Selected(static_cast<int>(i));
    for (std::size_t i = 0; i < kWaffen; ++i) w.Waffen[i] = v.Waffen.Selected(static_cast<int>(i));
    return w;
}

common::LineWriter zeilen(const Werte& w, Art art) {
    common::LineWriter z;
    // The game stops reading a value at "," or ";", and a rest of blanks
    // after a comma ("MOTD=Hallo, ") crashes its parser: only what it reads
    // is written.
    auto zeile = [&z](const std::string& schluessel, const std::string& wert) {
        z.raw(schluessel + "=" + std::string(common::spielwert(wert)));
    };
    auto ziffer = [](int wert) { return std::to_string(wert); };

    z.raw("[server config file]");
    // Server 2's file names no multiplayer settings file: the ship bans in
    // it are server 1's.
    if (art != Art::Server2) {
        const std::string datei = common::pfad(w.Spielordner, "Schiffe.mps");
        const std::string mps = "MultiSettingsFile=" + std::string(common::spielwert(datei));
        if (w.NativerServer)
            z.rawBytes(mps);
        else
            z.raw(mps);
    }
    zeile("PPS", w.Packete);
    zeile("TimeLimit", w.Zeitlimit);
    zeile("KillGoal", w.Limit);
    zeile("RespawnTime", w.Wiederholrate);
    // The box counts the players; the server counts the host as one more.
    zeile("MaxPlayers", common::CStrNum(common::Val(w.Spieler) + 1));
    zeile("GameName", w.Spielname);
    zeile("MissionName", w.Levelname);
    zeile("Scriptname", w.Spieletyp.empty() ? "Anarchy" : w.Spieletyp);
    z.raw(w.PXO ? "ConnectionName=Parallax Online" : "ConnectionName=Direct TCP~IP");
    if (w.Fernwalt == 1) {
        z.raw("AllowRemoteConsole=1");
        zeile("RemoteConsolePort", art == Art::Server2 ? w.port2 : w.port);
        zeile("ConsolePassword", w.Serverpassw);
    }
    zeile("SetLevel", w.Levelstart);
    zeile("SetDifficulty", ziffer(w.Schwierikkeit + 1));
    zeile("AccurateCollisions", ziffer(w.Kollisionserkennung));
    zeile("SendRotVel", ziffer(w.Schiffsdrehung));
    zeile("BrightPlayers", ziffer(w.BelSchiffe));
    zeile("Peer2Peer", ziffer(w.Peer));
    zeile("AllowMouselook", ziffer(w.Mouselook));
    if (!w.Lan) {
        zeile("PXOUsername", w.Logginname);
        zeile("PXOPassword", w.Paswort);
        zeile("PXOHostingLobby", w.HostingLobby);
    }
    zeile("MOTD", w.Begrüssungstext);
    if (!w.Audio.empty()) zeile("AudioTauntDelay", w.Audio);
    // A started server gets its ship bans from Schiffe.mps only.
    if (art == Art::Gespeichert)
        for (std::size_t i = 0; i < kSchiffe; ++i)
            if (w.Schiffe[i]) zeile("DisallowSHIP", kSchiffsnamen[i]);
    for (std::size_t i = 0; i < kWaffen; ++i)
        if (w.Waffen[i])
            for (const char* name : kWaffennamen[i])
                if (name) zeile("DisallowPowerup", name);
    return z;
}

common::LineWriter zeilen(Vantor& v, Art art) { return zeilen(werteAus(v), art); }

bool schreibe(const common::LineWriter& zeilen, const std::string& datei,
              platform::Dialogs& dialoge) {
    std::string grund;
    if (zeilen.writeTo(datei, &grund)) return true;
    common::Meldung(dialoge, common::fileWriteErrorText(datei, grund), platform::vbCritical);
    return false;
}

common::LineWriter schiffsdatei(const std::array<bool, kSchiffe>& gebannt) {
    common::LineWriter z;
    for (std::size_t i = 0; i < kSchiffe; ++i)
        if (gebannt[i]) z.raw(std::string("SHIPBAN ") + kSchiffsnamenMps[i]);
    // The server expects the file to hold at least one line.
    if (z.lineCount() == 0) z.raw("");
    return z;
}

namespace {

// Byte offset of character `n` (counted from 1) in UTF-8 text; the text's
// length when it is shorter.
std::size_t abZeichen(const std::string& text, std::size_t n) {
    std::size_t zeichen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && ++zeichen == n) return i;
    }
    return text.size();
}

// The item's value when it starts with `schluessel`: everything after the
// key and the one character that separates it ("=" in a good file).
std::optional<std::string> wert(const std::string& item, const std::string& schluessel) {
    if (item.compare(0, schluessel.size(), schluessel) != 0) return std::nullopt;
    return item.substr(abZeichen(item, schluessel.size() + 2));
}

// Whether a text starts with a number that Val would read.
bool beginntMitZahl(const std::string& text) {
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) return false;
    if (text[i] == '+' || text[i] == '-') ++i;
    if (i < text.size() && text[i] == '.') ++i;
    return i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
}

}  // namespace

ErsteSeite ersteSeite(const std::vector<std::string>& items) {
    ErsteSeite s;
    struct Regel {
        const char* schluessel;
        std::optional<std::string> ErsteSeite::*feld;
    };
    static const Regel texte[] = {
        {"PPS", &ErsteSeite::Packete},         {"KillGoal", &ErsteSeite::Limit},
        {"RespawnTime", &ErsteSeite::Wiederholrate}, {"TimeLimit", &ErsteSeite::Zeitlimit},
        {"GameName", &ErsteSeite::Spielname},  {"MissionName", &ErsteSeite::Levelname},
    };
    for (std::size_t i = 1; i < items.size(); ++i) {
        const std::string& item = items[i];
        for (const Regel& r : texte)
            if (auto w = wert(item, r.schluessel)) s.*r.feld = *w;
        if (item == "ConnectionName=Direct TCP~IP") s.Lan = true;
        if (item == "ConnectionName=Parallax Online") s.Lan = false;
        // A player count that is no number would come back as nonsense, so
        // such an item leaves the box as it is.
        if (auto w = wert(item, "MaxPlayers"); w && beginntMitZahl(*w))
            s.Spieler = common::CStrNum(common::Val(*w) - 1);
        if (auto w = wert(item, "SetLevel")) s.Levelstart = *w;
        if (auto w = wert(item, "MOTD")) s.Begrüssungstext = *w;
    }
    return s;
}

}  // namespace serverkonfiguration
