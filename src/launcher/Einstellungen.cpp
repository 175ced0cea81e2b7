#include "launcher/Einstellungen.h"

#include <filesystem>

#include "common/Items.h"
#include "common/Numbers.h"

namespace einstellungen {

Lesung lese(const std::string& pfad, std::size_t hoechstens) {
    Lesung l;
    std::string grund;
    std::optional<common::ItemReader> leser = common::ItemReader::open(pfad, &grund);
    if (!leser) {
        if (common::unlesbarVorhanden(pfad)) {
            l.vorhanden = true;
            l.fehler = grund;
        }
        return l;
    }
    l.vorhanden = true;
    std::string item;
    while (l.items.size() < hoechstens && leser->next(item)) l.items.push_back(item);
    return l;
}

std::vector<std::string> leseItems(const std::string& pfad, std::size_t hoechstens) {
    return lese(pfad, hoechstens).items;
}

long zahl(const std::string& item) { return common::CLng(common::Val(item)); }

// ---------------------------------------------------------------- STPfad.ini

std::optional<std::string> leseSpielordner(const std::string& pfad) {
    std::vector<std::string> items = leseItems(pfad, kSTPfadZeilen);
    if (items.size() < kSTPfadZeilen) return std::nullopt;
    return items[0];
}

common::LineWriter zeilenSTPfad(const std::string& spielordner) {
    common::LineWriter w;
    w.text(spielordner);
    w.raw("0");
    w.raw("0");
    return w;
}

// ---------------------------------------------------------------- Letztes.ini

common::LineWriter zeilen(const Letztes& l) {
    common::LineWriter w;
    w.raw(l.PXO ? "1" : "0");
    w.raw(l.Lan ? "1" : "0");
    for (const std::string* t : {&l.Spieler, &l.Limit, &l.Zeitlimit, &l.Packete, &l.Levelstart,
                                 &l.Wiederholrate, &l.Levelname, &l.Spieletyp, &l.Spielname,
                                 &l.Begrüssungstext})
        w.text(*t);
    return w;
}

// ---------------------------------------------------------------- Servertool.ini

namespace {

// Lines 1 to 19 in layout order; line 9 is reserved.
struct Zeile {
    std::string Voreinstellungen::*text = nullptr;
    long Voreinstellungen::*nummer = nullptr;
};

const std::array<Zeile, 19>& ersteZeilen() {
    using V = Voreinstellungen;
    static const std::array<Zeile, 19> zeilen = {{
        {&V::Logginname, nullptr},
        {&V::Paswort, nullptr},
        {&V::port, nullptr},
        {&V::HostingLobby, nullptr},
        {nullptr, &V::BelSchiffe},
        {nullptr, &V::Kollisionserkennung},
        {nullptr, &V::Schiffsdrehung},
        {nullptr, &V::Mouselook},
        {nullptr, nullptr},  // reserved
        {nullptr, &V::Peer},
        {nullptr, &V::Schwierikkeit},
        {nullptr, &V::servermin},
        {nullptr, &V::Hilfezeigen},
        {&V::Serverpassw, nullptr},
        {&V::Tempordners2, nullptr},
        {&V::port2, nullptr},
        {nullptr, &V::Fernwalt},
        {&V::Audio, nullptr},
        {nullptr, &V::VSAutoend},
    }};
    return zeilen;
}

constexpr std::size_t kReserviert = 12;  // lines 20 to 31
constexpr std::size_t kErsteFlagge = 19 + kReserviert;

}  // namespace

Voreinstellungen leseServertool(const std::string& pfad) {
    return voreinstellungenAus(leseItems(pfad, kServertoolZeilen));
}

Voreinstellungen voreinstellungenAus(const std::vector<std::string>& items) {
    Voreinstellungen v;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i < ersteZeilen().size()) {
            const Zeile& z = ersteZeilen()[i];
            if (z.text) v.*z.text = items[i];
            if (z.nummer) v.*z.nummer = zahl(items[i]);
        } else if (i >= kErsteFlagge && i < kErsteFlagge + kSchiffe) {
            v.Schiffe[i - kErsteFlagge] = items[i] == "1";
        } else if (i >= kErsteFlagge + kSchiffe && i < kServertoolZeilen) {
            v.Waffen[i - kErsteFlagge - kSchiffe] = items[i] == "1";
        }
    }
    return v;
}

common::LineWriter zeilen(const Voreinstellungen& v) {
    common::LineWriter w;
    for (const Zeile& z : ersteZeilen()) {
        if (z.text)
            w.text(v.*z.text);
        else if (z.nummer)
            w.integer(v.*z.nummer);
        else
            w.raw("");
    }
    for (std::size_t i = 0; i < kReserviert; ++i) w.raw("");
    for (bool gebannt : v.Schiffe) w.raw(gebannt ? "1" : "0");
    for (bool gebannt : v.Waffen) w.raw(gebannt ? "1" : "0");
    return w;
}

common::LineWriter erstlaufServertool() {
    const Voreinstellungen v;
    common::LineWriter w;
    for (const Zeile& z : ersteZeilen()) {
        if (z.text)
            w.text(v.*z.text);
        else
            w.raw("0");
    }
    for (std::size_t i = ersteZeilen().size(); i < kServertoolZeilen; ++i) w.raw("0");
    return w;
}

// ---------------------------------------------------------------- STS.ini

AngelegteServer leseSTS(const std::string& pfad) { return angelegteAus(leseItems(pfad, kSTSZeilen)); }

AngelegteServer angelegteAus(const std::vector<std::string>& items) {
    AngelegteServer s;
    std::vector<std::string*> ziele;
    for (AngelegterServer& slot : s.Slots) {
        ziele.push_back(&slot.Beschriftung);
        ziele.push_back(&slot.Tooltip);
        ziele.push_back(&slot.Config);
    }
    ziele.push_back(&s.PackBeschriftung);
    ziele.push_back(&s.PackTooltip);
    for (std::string& eintrag : s.Gruppe) ziele.push_back(&eintrag);
    for (std::size_t i = 0; i < items.size() && i < ziele.size(); ++i) *ziele[i] = items[i];
    return s;
}

common::LineWriter zeilen(const AngelegteServer& s) {
    common::LineWriter w;
    for (const AngelegterServer& slot : s.Slots) {
        w.text(slot.Beschriftung);
        w.text(slot.Tooltip);
        w.text(slot.Config);
    }
    w.text(s.PackBeschriftung);
    w.text(s.PackTooltip);
    for (const std::string& eintrag : s.Gruppe) w.text(eintrag);
    return w;
}

common::LineWriter erstlaufSTS() {
    common::LineWriter w;
    for (int i = 0; i < 6; ++i) {
        w.raw(kLeererServer);
        w.raw("");
        w.raw("");
    }
    for (std::size_t i = 0; i < kGruppenplaetze; ++i) w.raw("");
    return w;
}

// ---------------------------------------------------------------- Mod.ini

const std::vector<std::string>& standardMods() {
    static const std::vector<std::string> mods = {
        "Anarchy", "Hyper-Anarchy", "Team Anarchy", "Robo-Anarchy", "Co-op",
        "Hoard",   "CTF",           "MonsterBall",  "Entropy"};
    return mods;
}

std::vector<std::string> leseMod(const std::string& pfad) {
    std::optional<std::vector<std::string>> mods = leseModGeprueft(pfad, nullptr);
    return mods ? *mods : standardMods();
}

std::optional<std::vector<std::string>> leseModGeprueft(const std::string& pfad,
                                                        std::string* grund) {
    std::error_code ec;
    if (!std::filesystem::exists(pfad, ec)) return standardMods();
    std::optional<common::ItemReader> leser = common::ItemReader::open(pfad, grund);
    if (!leser) return std::nullopt;
    std::vector<std::string> mods;
    for (std::string item; leser->next(item);) mods.push_back(item);
    return mods;
}

common::LineWriter zeilenMod(const std::vector<std::string>& mods) {
    common::LineWriter w;
    for (const std::string& mod : mods) w.text(mod);
    return w;
}

}  // namespace einstellungen
