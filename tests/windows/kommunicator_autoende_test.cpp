// The automatic end and the level-pack steps, to the millisecond.
#include <filesystem>

#include "kommunicator_fixture.h"

using Strings = std::vector<std::string>;

class KommunicatorAutoende : public KommunicatorTest {
protected:
    // The end armed for one minute from now (virtual time 0).
    Kommunicator& endeInEinerMinute() {
        Kommunicator& k = öffnen();
        tippen(k.Endmin, "1");
        klicken(k.Endminak);
        return k;
    }
};

TEST_F(KommunicatorAutoende, EinServerOhnePack) {
    autotexte({});
    serverLäuft();
    Vantor& v = hauptfenster();
    endeInEinerMinute();
    EXPECT_EQ(zeitplan(70000), (Strings{"60000 aktiviert Descent 3",
                                        "60200 getippt quit⏎ in Descent 3", "60200 geschlossen"}));
    EXPECT_EQ(v.Fensterwert, 0);
}

TEST_F(KommunicatorAutoende, ServerEinsUndZwei) {
    autotexte({});
    serverLäuft();
    Vantor& v = hauptfenster();
    Kommunicator& k = endeInEinerMinute();
    klicken(k.Server12);
    EXPECT_EQ(zeitplan(70000),
              (Strings{"60000 aktiviert Descent 3", "60200 getippt quit⏎ in Descent 3",
                       "60200 aktiviert Descent 3", "61700 getippt quit⏎ in Descent 3"}));
    EXPECT_EQ(offen(), &k);
    EXPECT_EQ(v.Fensterwert, 1);
    EXPECT_EQ(fokus.an, (Strings{"Sendentext"}));
}

TEST_F(KommunicatorAutoende, OhneServerfensterBleibtDasFensterOffen) {
    autotexte({});
    Kommunicator& k = endeInEinerMinute();
    EXPECT_EQ(zeitplan(70000), (Strings{"60000 aktiviert Descent 3"}));
    EXPECT_EQ(offen(), &k);
    EXPECT_FALSE(loop.isRunning(k.Befehsenden2));
    // Still armed, the end comes again every two minutes.
    serverLäuft();
    bis(120000);
    EXPECT_EQ(k.Endmin.Text(), "1");
    EXPECT_EQ(zeitplan(190000), (Strings{"180000 aktiviert Descent 3",
                                         "180200 getippt quit⏎ in Descent 3", "180200 geschlossen"}));
}

TEST_F(KommunicatorAutoende, AnderesFensterVorneBekommtKeinQuit) {
    autotexte({});
    serverLäuft();
    fake.windows.insert("Browser");
    endeInEinerMinute();
    bis(60100);
    fake.activeWindow = "Browser";
    EXPECT_EQ(zeitplan(61000),
              (Strings{"60000 aktiviert Descent 3", "60200 aktiviert Descent 3",
                       "60200 getippt quit⏎ in Descent 3", "60200 geschlossen"}));
}

TEST_F(KommunicatorAutoende, ServerfensterWegVorDemQuitLässtDasFensterOffen) {
    autotexte({});
    serverLäuft();
    Kommunicator& k = endeInEinerMinute();
    bis(60100);
    fake.windows.clear();
    fake.activeWindow = "Browser";
    EXPECT_EQ(zeitplan(61000), (Strings{"60000 aktiviert Descent 3", "60200 aktiviert Descent 3"}));
    EXPECT_EQ(offen(), &k);
}

TEST_F(KommunicatorAutoende, PackMitZweiEinträgen) {
    autotexte({});
    serverdateien();
    datei("pack.cfg", {"level2.cfg", "level3.cfg"});
    serverLäuft();
    Vantor& v = hauptfenster();
    Kommunicator& k = endeInEinerMinute();

    EXPECT_EQ(zeitplan(65000),
              (Strings{"60000 aktiviert Descent 3", "60200 getippt quit⏎ in Descent 3",
                       "65000 gestartet " + kommandozeile("level2.cfg") + " Stil 1"}));
    EXPECT_EQ(k.Gruppenliste.items(), Strings{"level3.cfg"});
    EXPECT_EQ(k.Endmin.Text(), "1") << "restored for the next level";
    EXPECT_FALSE(k.Line1.Visible());
    EXPECT_FALSE(loop.isRunning(k.Timer2));
    EXPECT_FALSE(loop.isRunning(k.linezahler));
    EXPECT_EQ(k.Spielpfad, gameFolder);
    EXPECT_EQ(k.Serverport, "2092");
    EXPECT_EQ(k.Packeintrag, "level2.cfg");
    bis(65200);
    EXPECT_EQ(k.Label17.ForeColor(), Kommunicator::kPackGruen) << "the pack still runs";

    // The minute countdown was not restarted: the next end comes 55 s later.
    EXPECT_EQ(zeitplan(125000),
              (Strings{"120000 aktiviert Descent 3", "120200 getippt quit⏎ in Descent 3",
                       "125000 gestartet " + kommandozeile("level3.cfg") + " Stil 1"}));
    EXPECT_EQ(k.Gruppenliste.ListCount(), 0);
    EXPECT_FALSE(loop.isRunning(k.Timer1));
    bis(126000);
    EXPECT_EQ(k.Label17.ForeColor(), Kommunicator::kPackGrau);
    EXPECT_EQ(v.Fensterwert, 1);

    EXPECT_EQ(zeitplan(190000), (Strings{"180000 aktiviert Descent 3",
                                         "180200 getippt quit⏎ in Descent 3", "180200 geschlossen"}));
    EXPECT_EQ(v.Fensterwert, 0);
    EXPECT_EQ(inhalt("pack.cfg"), "");
}

TEST_F(KommunicatorAutoende, PackUndServerEinsUndZweiWirkenZusammen) {
    autotexte({});
    serverdateien("2100");
    datei("pack.cfg", {"level2.cfg"});
    serverLäuft();
    Kommunicator& k = endeInEinerMinute();
    klicken(k.Server12);
    EXPECT_EQ(zeitplan(66000),
              (Strings{"60000 aktiviert Descent 3", "60200 getippt quit⏎ in Descent 3",
                       "60200 aktiviert Descent 3", "61700 getippt quit⏎ in Descent 3",
                       "65000 gestartet " + kommandozeile("level2.cfg", "2100") + " Stil 1"}));
    EXPECT_EQ(offen(), &k);
}

TEST_F(KommunicatorAutoende, PackMitLeeremLetztenEintragEndetNachDemEintrag) {
    autotexte({});
    serverdateien();
    testing_support::writeBytes(prog("pack.cfg"), "level2.cfg\r\n\r\n");
    serverLäuft();
    Kommunicator& k = endeInEinerMinute();
    bis(65000);
    EXPECT_EQ(k.Gruppenliste.items(), Strings{""});
    EXPECT_FALSE(loop.isRunning(k.Timer1));
    EXPECT_EQ(k.Label17.ForeColor(), Kommunicator::kPackGrau);
    EXPECT_EQ(zeitplan(121000),
              (Strings{"60000 aktiviert Descent 3", "60200 getippt quit⏎ in Descent 3",
                       "65000 gestartet " + kommandozeile("level2.cfg") + " Stil 1",
                       "120000 aktiviert Descent 3", "120200 getippt quit⏎ in Descent 3",
                       "120200 geschlossen"}));
}

TEST_F(KommunicatorAutoende, PackSchrittOhneServerfensterKommtTrotzdem) {
    autotexte({});
    serverdateien();
    datei("pack.cfg", {"level2.cfg"});
    endeInEinerMinute();
    EXPECT_EQ(zeitplan(66000), (Strings{"60000 aktiviert Descent 3",
                                        "65000 gestartet " + kommandozeile("level2.cfg") + " Stil 1"}));
}

TEST_F(KommunicatorAutoende, FortschrittslinieEndetBeimSechsundsiebzigstenTick) {
    autotexte({});
    serverdateien();
    datei("pack.cfg", {"level2.cfg"});
    Kommunicator& k = öffnen();
    bis(200);
    klicken(k.lvlq);
    bis(250);
    EXPECT_TRUE(k.Line1.Visible());
    EXPECT_EQ(k.Line1.X2(), 1035);
    bis(200 + 75 * 50);
    EXPECT_TRUE(k.Line1.Visible());
    EXPECT_EQ(k.Line1.X2(), 6585);
    bis(200 + 76 * 50 - 1);
    EXPECT_TRUE(loop.isRunning(k.linezahler));
    bis(200 + 76 * 50);
    EXPECT_FALSE(k.Line1.Visible());
    EXPECT_EQ(k.Line1.X2(), Kommunicator::kLinieStart);
    EXPECT_FALSE(loop.isRunning(k.linezahler));
    EXPECT_TRUE(loop.isRunning(k.Timer2)) << "the step comes later, at 5 s";
    EXPECT_EQ(loop.nextDue(k.Timer2), 5200);
}

// A step that cannot start its entry keeps it, stops, and says why in the
// window: nobody may be watching to answer a box.
struct Schrittfehler {
    const char* name;
    std::vector<std::string> stpfad;  // empty: the file is missing
    bool servertool;
    bool startet;
    const char* grund;
};

class KommunicatorSchrittfehler : public KommunicatorAutoende,
                                  public ::testing::WithParamInterface<Schrittfehler> {};

TEST_P(KommunicatorSchrittfehler, EintragBleibtVorneUndDerGrundStehtImFenster) {
    const Schrittfehler& f = GetParam();
    autotexte({});
    serverdateien();
    if (f.stpfad.empty())
        std::filesystem::remove(prog("STPfad.ini"));
    else
        datei("STPfad.ini", f.stpfad);
    if (!f.servertool) datei("Servertool.ini", {"login", "pw"});
    fake.startSucceeds = f.startet;
    datei("pack.cfg", {"level2.cfg", "level3.cfg"});
    Kommunicator& k = öffnen();
    bis(200);
    klicken(k.lvlq);
    bis(5200);

    EXPECT_FALSE(loop.isRunning(k.Timer2));
    EXPECT_FALSE(loop.isRunning(k.linezahler));
    EXPECT_EQ(k.Gruppenliste.items(), (Strings{"level2.cfg", "level3.cfg"}));
    EXPECT_NE(k.Hinweis.Caption().find(f.grund), std::string::npos) << k.Hinweis.Caption();
    EXPECT_TRUE(fake.msgBoxes.empty());
    EXPECT_TRUE(loop.isRunning(k.Timer1)) << "the pack still runs";
    bis(10000);
    EXPECT_EQ(fake.processes.size(), f.startet ? 0u : 1u) << "no second attempt by itself";

    // Mended, the next end starts the same entry and clears the note.
    serverdateien();
    fake.startSucceeds = true;
    klicken(k.lvlq);
    bis(15000);
    ASSERT_FALSE(fake.processes.empty());
    EXPECT_EQ(verbunden(fake.processes.back().words), kommandozeile("level2.cfg"));
    EXPECT_EQ(fake.processes.back().slot, 1);
    EXPECT_EQ(k.Gruppenliste.items(), Strings{"level3.cfg"});
    EXPECT_EQ(k.Hinweis.Caption(), "");
}

INSTANTIATE_TEST_SUITE_P(
    , KommunicatorSchrittfehler,
    ::testing::Values(Schrittfehler{"STPfadFehlt", {}, true, true, "STPfad.ini"},
                      Schrittfehler{"STPfadZuKurz", {"/spiel", "0"}, true, true, "STPfad.ini"},
                      Schrittfehler{"ServertoolZuKurz", {"/spiel", "0", "0"}, false, true,
                                    "Servertool.ini"},
                      Schrittfehler{"StartScheitert", {"/spiel", "0", "0"}, true, false,
                                    "/spiel/Descent3 -dedicated /spiel/level2.cfg"}),
    [](const auto& info) { return std::string(info.param.name); });

// An entry the game could not load, a port the server could not use, or a
// console port a running server holds (here a server 2 on the pack's port)
// is refused with a message naming it; nothing starts, and the entry stays
// first with the pack stopped.
struct Schritteinwand {
    const char* name;
    std::string port;    // the third line of Servertool.ini
    std::string zeile;   // a line of the entry's configuration
    bool belegt;         // a running server holds console port 2092
    std::string genannt;  // what the message holds
};

class KommunicatorSchritteinwand : public KommunicatorAutoende,
                                   public ::testing::WithParamInterface<Schritteinwand> {};

TEST_P(KommunicatorSchritteinwand, StartetNichts) {
    const Schritteinwand& f = GetParam();
    autotexte({});
    serverdateien(f.port);
    testing_support::writeBytes(gameFolder + "/level2.cfg",
                                "[server config file]\r\n" + f.zeile + "\r\n");
    datei("pack.cfg", {"level2.cfg", "level3.cfg"});
    if (f.belegt) fake.consolePorts[2092] = {4711, gameFolder + "/zwei.cfg", "/tmp2"};
    fake.answerMsgBox(platform::vbOK, "Der Server wird nicht gestartet");
    Kommunicator& k = öffnen();
    bis(200);
    klicken(k.lvlq);
    bis(5200);

    ASSERT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_NE(fake.msgBoxes[0].text.find(f.genannt), std::string::npos) << fake.msgBoxes[0].text;
    EXPECT_EQ(fake.msgBoxes[0].flags, platform::vbCritical);
    EXPECT_EQ(fake.msgBoxes[0].title, "Talvir");
    EXPECT_TRUE(fake.processes.empty());
    EXPECT_EQ(k.Gruppenliste.items(), (Strings{"level2.cfg", "level3.cfg"}));
    EXPECT_EQ(k.Hinweis.Caption(), "Levelpack angehalten: level2.cfg wurde nicht gestartet.");
    EXPECT_FALSE(loop.isRunning(k.Timer2));
}

INSTANTIATE_TEST_SUITE_P(
    , KommunicatorSchritteinwand,
    ::testing::Values(
        Schritteinwand{"ZuLangerLevelname", "2092", "MissionName=" + std::string(28, 'L') + ".mn3",
                       false, ":\n" + std::string(28, 'L') + ".mn3"},
        Schritteinwand{"PasswortAlsSymbol", "2092", "ConsolePassword=#geheim", false,
                       "Der Wert \"#geheim\" (ConsolePassword) der Konfiguration beginnt mit \"#\": "
                       "Das Spiel liest ihn als Namen eines Symbols, das die Konfiguration davor "
                       "nicht festlegt, und verliert die Einstellung:\n"},
        Schritteinwand{"PortKeineZahl", "abc", "MissionName=ok.mn3", false,
                       "Der Port \"abc\" ist keine ganze Zahl von 1 bis 65535."},
        Schritteinwand{"KonsolenportBelegt", "2092", "AllowRemoteConsole=1", true,
                       "Den Konsolenport 2092 seiner Konfiguration hält schon ein laufender Server"}),
    [](const auto& info) { return std::string(info.param.name); });

