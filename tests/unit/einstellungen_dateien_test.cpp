// The settings files line by line: writers' bytes and readers' values.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestFolders.h"
#include "launcher/Einstellungen.h"

using namespace einstellungen;
using testing_support::crlf;

namespace {

class EinstellungenTest : public ::testing::Test {
protected:
    std::string datei(const std::string& name) { return dir / name; }
    std::string schreibe(const std::string& name, const std::string& bytes) {
        testing_support::writeBytes(datei(name), bytes);
        return datei(name);
    }
    testing_support::TempDir dir;
};

std::vector<std::string> zeilenVon(const common::LineWriter& w) {
    std::vector<std::string> z;
    const std::string b = w.bytes();
    std::size_t start = 0;
    for (std::size_t p; (p = b.find("\r\n", start)) != std::string::npos; start = p + 2)
        z.push_back(b.substr(start, p - start));
    return z;
}

}  // namespace

TEST_F(EinstellungenTest, PresetsPanelWritesIntegerItemsAndEmptyReservedLines) {
    Voreinstellungen v;
    v.Logginname = "ich";
    v.Peer = 2;
    v.Schwierikkeit = -1;
    v.Fernwalt = 1;
    v.Schiffe[3] = true;
    v.Waffen[0] = true;
    const auto z = zeilenVon(zeilen(v));
    ASSERT_EQ(z.size(), 71u);
    EXPECT_EQ(z[0], "ich");
    EXPECT_EQ(z[4], " 0 ");
    EXPECT_EQ(z[8], "");      // reserved
    EXPECT_EQ(z[9], " 2 ");   // Peer grayed
    EXPECT_EQ(z[10], "-1 ");  // no difficulty
    EXPECT_EQ(z[16], " 1 ");  // Fernwalt
    for (int i = 19; i < 31; ++i) EXPECT_EQ(z[i], "") << "line " << i + 1;
    EXPECT_EQ(z[31], "0");
    EXPECT_EQ(z[34], "1");    // Black Pyro
    EXPECT_EQ(z[35], "1");    // Vausskanone
    EXPECT_EQ(z[70], "0");
}

TEST_F(EinstellungenTest, PanelFormAndFirstRunFormReadBackAlike) {
    const Voreinstellungen ausErstlauf =
        leseServertool(schreibe("a.ini", erstlaufServertool().bytes()));
    const Voreinstellungen ausPanel = leseServertool(schreibe("b.ini", zeilen(Voreinstellungen{}).bytes()));
    EXPECT_EQ(ausErstlauf, Voreinstellungen{});
    EXPECT_EQ(ausPanel, Voreinstellungen{});
}

TEST_F(EinstellungenTest, PresetsRoundTripWithCommasAndGrayedBoxes) {
    Voreinstellungen v;
    v.Paswort = "\"geheim\", sagt er";
    v.Tempordners2 = " /tmp/D3 Temp";
    v.Kollisionserkennung = 2;
    v.Schwierikkeit = 3;
    v.Waffen[35] = true;
    EXPECT_EQ(leseServertool(schreibe("s.ini", zeilen(v).bytes())), v);
}

TEST_F(EinstellungenTest, MissingServertoolGivesTheFirstRunValues) {
    EXPECT_EQ(leseServertool(datei("fehlt.ini")), Voreinstellungen{});
    EXPECT_EQ(Voreinstellungen{}.port, "2092");
    EXPECT_EQ(Voreinstellungen{}.port2, "");
}

TEST_F(EinstellungenTest, FirstRunSTSHas29LinesAndReadsAsTheEmptySlots) {
    const auto z = zeilenVon(erstlaufSTS());
    ASSERT_EQ(z.size(), 29u);
    EXPECT_EQ(z[15], "-----");
    const AngelegteServer s = leseSTS(schreibe("STS.ini", erstlaufSTS().bytes()));
    EXPECT_EQ(s, AngelegteServer{});
    EXPECT_EQ(s.PackBeschriftung, "-----");
}

TEST_F(EinstellungenTest, STSEditorLayoutHas28LinesAndRoundTrips) {
    AngelegteServer s;
    s.Slots[0] = {"Mein, Server", "Tipp", "/cfg/a.CFG"};
    s.PackBeschriftung = kLevelPack;
    s.Gruppe[0] = "/p/1.CFG";
    s.Gruppe[10] = "/p/11.CFG";
    const auto z = zeilenVon(zeilen(s));
    ASSERT_EQ(z.size(), 28u);
    EXPECT_EQ(z[0], "\"Mein, Server\"");
    EXPECT_EQ(z[15], kLevelPack);
    EXPECT_EQ(z[27], "/p/11.CFG");
    EXPECT_EQ(leseSTS(schreibe("STS.ini", zeilen(s).bytes())), s);
}

TEST_F(EinstellungenTest, LetztesWritesFlagsAndTexts) {
    Letztes l;
    l.PXO = true;
    l.Lan = false;
    l.Spieler = "8";
    l.Begrüssungstext = "Hallo, Leute";
    const auto z = zeilenVon(zeilen(l));
    ASSERT_EQ(z.size(), 12u);
    EXPECT_EQ(z[0], "1");
    EXPECT_EQ(z[1], "0");
    EXPECT_EQ(z[2], "8");
    EXPECT_EQ(z[11], "\"Hallo, Leute\"");
}

TEST_F(EinstellungenTest, GameFolderNeedsAllThreeLines) {
    EXPECT_EQ(leseSpielordner(schreibe("a.ini", crlf({"/spiele/D3", "0"}))), std::nullopt);
    EXPECT_EQ(leseSpielordner(datei("fehlt.ini")), std::nullopt);
    EXPECT_EQ(leseSpielordner(schreibe("b.ini", zeilenSTPfad("/spiele/D3, alt").bytes())),
              "/spiele/D3, alt");
    EXPECT_EQ(zeilenSTPfad("/g").bytes(), crlf({"/g", "0", "0"}));
}

struct ModFall {
    const char* name;
    std::optional<std::string> bytes;  // nullopt: no file
    std::vector<std::string> mods;
};

class ModDatei : public EinstellungenTest, public ::testing::WithParamInterface<ModFall> {};

TEST_P(ModDatei, ReadsEveryEntry) {
    const std::string pfad =
        GetParam().bytes ? schreibe("Mod.ini", *GetParam().bytes) : datei("Mod.ini");
    EXPECT_EQ(leseMod(pfad), GetParam().mods);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModDatei,
    ::testing::Values(ModFall{"Missing", std::nullopt, standardMods()},
                      ModFall{"Empty", "", {}},
                      ModFall{"EmptyLineInside", "A\r\n\r\nB\r\n", {"A", "", "B"}},
                      ModFall{"OldComma", "Team, Anarchy\r\n", {"Team", "Anarchy"}},
                      ModFall{"Quoted", "\"Team, Anarchy\"\r\n", {"Team, Anarchy"}}),
    [](const ::testing::TestParamInfo<ModFall>& i) { return std::string(i.param.name); });

TEST_F(EinstellungenTest, ModListRoundTripsEmptyAndCommaEntries) {
    const std::vector<std::string> mods = {"Anarchy", "", "Capture, the Flag"};
    EXPECT_EQ(leseMod(schreibe("Mod.ini", zeilenMod(mods).bytes())), mods);
}
