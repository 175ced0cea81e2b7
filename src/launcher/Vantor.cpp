// The main window's form: every control with its design values, then the
// wiring of each area's events.
#include "launcher/Vantor.h"

#include "common/Adressen.h"
#include "launcher/Einstellungen.h"
#include "ui/Assets.h"

namespace {

template <class C>
C& at(C& c, int left, int top, int width, int height) {
    c.Move(left, top, width, height);
    return c;
}

void label(ui::Label& l, const char* caption, int left, int top, int width, int height = 255) {
    at(l, left, top, width, height).Caption = caption;
}

void button(ui::CommandButton& b, const char* caption, int left, int top, int width,
            int height = 375) {
    at(b, left, top, width, height).Caption = caption;
}

void check(ui::CheckBox& c, const char* caption, int left, int top, int width = 2415) {
    at(c, left, top, width, 255).Caption = caption;
}

// A text box the user cannot type into, as the start frames' copies are.
void readOnly(ui::TextBox& t, const char* text, int left, int top, int width) {
    at(t, left, top, width, 285).Text = text;
    t.Locked = true;
}

// A closing "X" in a panel's corner.
void kreuz(ui::Label& l, int left, int top) {
    label(l, "X", left, top, 255);
    l.ToolTipText = "Abbrechen";
    l.Alignment = ui::vbCenter;
}

constexpr ui::Colour kHellblau = 0xFFC0C0;
constexpr ui::Colour kRot = 0xFF;
constexpr ui::Colour kGrün = 0xFF00;
constexpr ui::Colour kGrau = 0xC0C0C0;
constexpr ui::Colour kDunkelrot = 0xC0;
constexpr ui::Colour kWeiß = 0xFFFFFF;
constexpr ui::Colour kStatusgrund = 0x400000;  // dark blue

const char* const kSchiffe[] = {"Pyro - GL", "Phoenix", "Magnum - AHT", "Black Pyro"};

const char* const kWaffen[] = {
    "Vausskanone",       "Napalmkanone",          "Plasmakanone",       "Fusionskanone",
    "Superlaser",        "Massetreiber",          "Mikrowellenkanone",  "EMD-Kanone",
    "Omega-Kanone",      "Erschütterungsgeschoß", "Zielpeilgeschoß",    "Granatwerfer-Geschoß",
    "Mega-Geschoß",      "Fragmentgeschoß",       "Fernlenkgeschoß",    "Napalmrakete",
    "Zyklon-Geschoß",    "Black Shark-Geschoß",   "Hüpfende Betty",     "Suchermine",
    "Annäherungsmine",   "Störspreu",             "Energie",            "Schutzschild",
    "Unverwundbarkeit",  "Unsichtbarkeit",        "Nachbrenner Kühler", "Energie Umformer",
    "Quadro Laser",      "Schnellfeuer",          "Komplette Karte",    "Vauss Monition",
    "Massetreiber Monition", "Napalm-Treibstoff", "Smart - Geschoß",    "Gunboy",
};

}  // namespace

Vantor::Vantor(ui::Program& program) : ui::Form(program, "Vantor") {
    Caption = "D3 Vantor Server";
    BorderStyle = ui::vbSizable;
    ScaleWidth = 9000;
    ScaleHeight = 6870;

    // ---- status strip: the captions' colours (red "Aus", green "Ein" and
    // arrow, light blue titles) all read on a dark ground, none on grey.
    at(Statusleiste, 0, 0, 9060, 600);
    Statusleiste.FillStyle = 0;
    Statusleiste.FillColor = kStatusgrund;
    Statusleiste.BorderColor = kStatusgrund;
    label(Label14, "1:Server Status:", 120, 150, 1335);
    Label14.ForeColor = kHellblau;
    label(Label15, "Aus", 1500, 150, 495);
    Label15.ForeColor = kRot;
    label(Pfeil, "-", 2040, 150, 2175);
    label(Label27, "2:Server Status:", 4560, 150, 1335);
    Label27.ForeColor = kHellblau;
    label(Label26, "Aus", 5940, 150, 495);
    Label26.ForeColor = kRot;
    label(Pfeil2, "-", 6480, 150, 2175);
    for (ui::Label* p : {&Pfeil, &Pfeil2}) {
        p->ForeColor = kGrün;
        p->Visible = false;
        p->changesOften = true;  // 40 times a second while its server runs
    }
    for (ui::Label* l : {&Label14, &Label15, &Pfeil, &Label27, &Label26, &Pfeil2})
        l->BackColor = kStatusgrund;

    // ---- main area, first page
    at(Hauptprog, 0, 600, 9060, 6375);
    // The boxes start where the longest caption, "Konfigurationsname", ends.
    label(LabelSpielname, "Spielname", 120, 270, 1335);
    at(Spielname, 1680, 240, 2895, 285).Text = "D3 Vantor Spiel";
    label(LabelSpieletyp, "Spieletyp", 120, 630, 1335);
    at(Spieletyp, 1680, 600, 2895, 315).Text = "Anarchy";
    label(LabelLevel, "Level", 120, 990, 1335);
    at(Levelname, 1680, 960, 2895, 285).Text = "ProFight2.mn3";
    label(LabelConfigname, "Konfigurationsname", 120, 1350, 1530);
    at(Configname, 1680, 1320, 2895, 285);
    Configname.Locked = true;
    label(LabelBegrüssung, "Begrüßungstext", 120, 1710, 1335);
    at(Begrüssungstext, 1680, 1680, 2895, 285).Text = "Hallo";
    Begrüssungstext.ToolTipText = "Der text der zu sehen ist wenn man im Level Eintritt!";

    struct Zahlenfeld {
        ui::Label& label;
        const char* caption;
        ui::TextBox& box;
        const char* tip;
    };
    const Zahlenfeld felder[] = {
        {LabelSpieler, "Spieler Anzahl :", Spieler,
         "Die Anzahl Spieler die am Spiel teilnehmen können ."},
        {LabelLimit, "Abschuss Limmit:", Limit,
         "Anzahl der Abschüsse  nach dem der Server neu gestartet wird."},
        {LabelZeitlimit, "Zeit Limmit :", Zeitlimit,
         "Nach eingegebenne Min. wird der Server neu gestartet ."},
        {LabelPackete, "Packete Pro Sec:", Packete,
         "Der wert gibt an wie schnell/oft zwischen Server und Spieler komuniziert wird . der "
         "Wert sollte zwischen 6-10 liegen"},
        {LabelLevelstart, "Startet Level :", Levelstart,
         "Wenn ein Levelpacket gewählt wurde gibst du hir an welchen level du startest ."},
        {LabelWiederholrate, "Wiederholrate :", Wiederholrate,
         "In Sec. wie Schnell die Waffen wiedererscheinen."},
    };
    for (int i = 0; i < 6; ++i) {
        const int left = i < 3 ? 120 : 2400;
        const int top = 2160 + (i % 3) * 360;
        label(felder[i].label, felder[i].caption, left, top + 30, 1335);
        at(felder[i].box, left + 1455, top, 615, 285);
        felder[i].box.MaxLength = 3;
        felder[i].box.ToolTipText = felder[i].tip;
    }

    at(Lan, 120, 3360, 1455, 255).Caption = "Lan Config";
    Lan.Value = true;
    at(PXO, 1560, 3360, 1455, 255).Caption = "PXO Config";

    label(LabelLevelliste, "Levelliste", 4800, 270, 2175);
    at(Levelboser, 4800, 540, 2175, 1980).Pattern = "*.mn3";
    Levelboser.ToolTipText = "Mache Doppelclick um den Level zu Übernehmen";
    button(Leveluber, "Übernehmen", 4800, 2580, 2175);

    at(Image1, 7200, 240, 1695, 1695).Picture = "vantor_bild1.png";
    at(Image4, 7200, 2040, 1695, 1335).Picture = "vantor_bild2.png";

    label(LabelAngelegte, "Angelegte Server CFG's", 120, 3840, 2775);
    int slot = 0;
    for (ui::CommandButton* knopf : ServerKnopf()) {
        button(*knopf, "-----", 120 + (slot % 3) * 2280, 4080 + (slot / 3) * 480, 2175);
        knopf->ToolTipText = "Kein server gewählt";
        ++slot;
    }
    Server6.Caption = "Level" + std::string(22, ' ') + "Pack";

    button(Cachl, "Cache 1 leeren", 7080, 4080, 1815);
    Cachl.ToolTipText =
        "Server 1 !! Nach einem Absturzt startet der Server nicht weil Tempdateien ihn davon "
        "abhalten . Hir kanst du nun die Tempdateien löschen !";
    button(Cache2, "Cache 2  leeren", 7080, 4560, 1815);
    Cache2.ToolTipText =
        "Server 2 !! Nach einem Absturzt startet der Server nicht weil Tempdateien ihn davon "
        "abhalten . Hir kanst du nun die Tempdateien löschen !";
    Cache2.Enabled = false;

    at(SStart, 3480, 5160, 2055, 975).Picture = "start.png";
    SStart.Style = 1;
    SStart.ToolTipText = "Startet die oben eingestellte Konfiguration";

    at(Cachtest, 120, 5160, 1215, 420).Visible = false;
    at(Cachtest2, 1440, 5160, 1215, 420).Visible = false;
    button(Statik, "Statistik anzeigen", 5760, 5400, 1815);
    Statik.Visible = false;
    at(spypic, 120, 5640, 495, 495).Picture = "gamespy_klein.png";
    spypic.ToolTipText = "Gamespy.cfg ist Aktive";
    spypic.Visible = false;
    at(Image2, 7920, 5640, 945, 495).Picture = "clan.png";
    Image2.ToolTipText = std::string("Link zu ") + adressen::kClanSeite;

    // ---- game-folder panel
    at(Pfadeinstellung, 2040, 2040, 5535, 3015).Visible = false;
    Pfadeinstellung.BackColor = kDunkelrot;
    label(Label23, "Pfadeinstellung", 120, 120, 3015);
    label(Label16, "Suche Main.exe", 240, 840, 3015);
    kreuz(Label22, 5160, 120);
    for (ui::Label* l : {&Label23, &Label16, &Label22}) {
        l->BackColor = kDunkelrot;
        l->ForeColor = kWeiß;
    }
    at(Despfad, 240, 1200, 4335, 285);
    Despfad.ToolTipText = "Ohne Pfadangebe kann kein Server gestartet werden !";
    button(Broserstart, "...", 4680, 1200, 495, 285);
    Broserstart.ToolTipText = "Broser";
    button(Pfadspeichern, "Speichern", 1080, 2280, 1455);
    button(Pfadabbrechen, "Abbrechen", 2880, 2280, 1455);
    at(Image6, 240, 2160, 480, 480).Picture = "ordner.png";

    // ---- start frame
    at(Startserver, 2040, 2040, 5655, 3135).Visible = false;
    label(Label30, "Serverwahl", 120, 120, 3015);
    kreuz(Label29, 5280, 120);
    label(Label31, "Configurationsname", 240, 600, 3015);
    readOnly(Conserverstart, "", 240, 900, 4095);
    Conserverstart.ToolTipText =
        "Aktueller Configurationsname der gestartet wird . Ist keiner gewählt wird die letzte "
        "Einstellung verwendet !";
    button(ConLöschen, "Löschen", 4440, 900, 1095, 285);
    ConLöschen.ToolTipText =
        "Löscht du den Configurationsname wird die letzte Einstellung als Server gestartet ";
    label(Label25, "Port", 240, 1440, 1335);
    readOnly(Portangabe1, "2092", 240, 1740, 1335);
    Portangabe1.ToolTipText = "Port Server 1";
    readOnly(Portangabe2, "2092", 1680, 1740, 1335);
    Portangabe2.ToolTipText = "Port Server 2";
    button(Server1start, "Server 1 starten", 240, 2400, 1695, 495);
    Server1start.ToolTipText = "Startet Serverconfiguration Server 1";
    button(Server2start, "Server 2 starten", 2040, 2400, 1695, 495);
    Server2start.ToolTipText = "Startet Serverconfiguration Server 2";
    Server2start.Enabled = false;
    button(Serverstartabbrechen, "Abbrechen", 3840, 2400, 1575, 495);

    // ---- saved-server start frame
    at(ASfra, 2400, 2040, 5655, 3135).Visible = false;
    label(Label35, "Serverwahl für Angelegten Server", 120, 120, 4095);
    kreuz(KreutzAS, 5280, 120);
    label(Label32, "Angelegter Server", 240, 600, 3015);
    readOnly(ASservertext, "", 240, 900, 5175);
    ASservertext.ToolTipText = "Gewählte 'Angelegter Server' Configuration";
    label(Label33, "Port", 240, 1440, 1335);
    readOnly(Portangabe3, "2092", 240, 1740, 1335);
    Portangabe3.ToolTipText = "Port Server 1";
    readOnly(Portangabe4, "2092", 1680, 1740, 1335);
    Portangabe4.ToolTipText = "Port Server 2";
    button(AS1, "Server 1 starten", 240, 2400, 1695, 495);
    AS1.ToolTipText = "Startet Serverconfiguration Server 1";
    button(AS2, "Server 2 starten", 2040, 2400, 1695, 495);
    AS2.ToolTipText = "Startet Serverconfiguration Server 2";
    button(ASAbbrechen, "Abbrechen", 3840, 2400, 1575, 495);

    // ---- presets panel (opening moves it into the client area)
    at(VorstellFrame, 8640, 120, 9015, 6855).Visible = false;
    VorstellFrame.Caption = "Voreinstellungen";
    label(Label18, "Voreinstellungen konfigurieren", 240, 240, 4215);
    kreuz(Label20, 8640, 120);

    const char* const pxoTip = "Wird von PXO vergeben (Anmeldung)";
    label(LabelLoggin, "Loogin-Name", 240, 750, 1455);
    at(Logginname, 1800, 720, 2175, 285).ToolTipText = pxoTip;
    label(LabelPaswort, "Passwort", 240, 1110, 1455);
    at(Paswort, 1800, 1080, 2175, 285).ToolTipText = pxoTip;
    label(LabelHostingLobby, "HostingLobby", 240, 1470, 1455);
    at(HostingLobby, 1800, 1440, 2175, 285).Text = "global";
    HostingLobby.ToolTipText = "Standart ist Global";
    label(LabelPort, "Port Server 1", 240, 1830, 1455);
    at(port, 1800, 1800, 975, 285).Text = "2092";
    port.ToolTipText = "Standart ist 2092";
    label(LabelPort2, "Port Server 2", 240, 2190, 1455);
    at(port2, 1800, 2160, 975, 285).Text = "2093";
    port2.ToolTipText = "Standart ist 2093";
    button(Poardstandart, "Standart", 2880, 1800, 1095, 645);
    label(LabelTempordner, "Temp Ordner für Server 2", 240, 2550, 1935);
    at(Tempordners2, 1800, 2880, 2175, 285);
    Tempordners2.ToolTipText =
        "Gebe den Temp-Ordner an für den zweiten Server! Vorsicht erstelle einen neuen leeren da "
        "sonst dateien verlohrengehen können!!";

    check(Fernwalt, "Fernwaltung zulassen", 240, 3360);
    label(LabelServerpassw, "Serverpasswort", 240, 3750, 1455);
    at(Serverpassw, 1800, 3720, 2175, 285);
    Serverpassw.BackColor = kGrau;
    Serverpassw.Enabled = false;

    label(LabelZusatz, "Zusatz-Befehle", 240, 4140, 2175);
    check(BelSchiffe, "Beleuchtete Schiffe", 240, 4440);
    check(Kollisionserkennung, "Kollisionserkennung", 240, 4725);
    check(Schiffsdrehung, "Genaue Schiffsdrehung", 240, 5010);
    check(Mouselook, "Mouselook-Steuerung", 240, 5295);
    check(Peer, "Peer to Peer", 240, 5580);
    check(servermin, "Server minimiert starten", 240, 5865, 3495);
    check(Hilfezeigen, "Kommunicator bei Serverstart Anzeigen", 240, 6150, 3495);
    check(VSAutoend, "D3VS Tool nach Serverstart beenden", 240, 6435, 3495);

    label(LabelSchwierikkeit, "Schwierikkeitsgrad :", 4560, 750, 1575);
    at(Schwierikkeit, 6240, 720, 2535, 315);
    for (const char* stufe : {"Anfänger", "Naja", "Schon gut", "Halbgötter"})
        Schwierikkeit.AddItem(stufe);
    Schwierikkeit.Text = "Anfänger";
    Schwierikkeit.ToolTipText = "Bestimmt die Größe der Schildzunahme im Spiel ";
    label(LabelAudio, "Wiedergabe der Audiotöne in Sec.", 4560, 1110, 2895);
    at(Audio, 7560, 1080, 1215, 285);
    Audio.ToolTipText = "In Sec. wie Schnell die Audiohörner wiederergegeben werden.";

    label(LabelSchiffe, "Nicht Zugelassenne Schiffe", 4560, 1500, 4215);
    at(Schiffe, 4560, 1740, 4215, 1035).MultiSelect = 1;
    for (const char* schiff : kSchiffe) Schiffe.AddItem(schiff);
    label(LabelWaffen, "Nicht Zugelassenne Waffen", 4560, 2880, 4215);
    at(Waffen, 4560, 3120, 4215, 2535).MultiSelect = 1;
    for (const char* waffe : kWaffen) Waffen.AddItem(waffe);

    button(VorOK, "OK-Speichern", 4560, 6120, 1935, 495);
    button(Vorabbruch, "Abbrechen", 6840, 6120, 1935, 495);
    at(Image3, 3960, 4320, 495, 495).Picture = "voreinstellungen.png";

    // ---- saved-servers editor (opening moves it into the client area, to
    // left 40, top 120): high and wide enough to reach the window's edges
    // from there, so nothing of the main area shows below or beside it.
    at(Angelegte, 8520, 480, 8960, 6750).Visible = false;
    Angelegte.BorderStyle = 0;
    label(AngelegteTitel, "Angelegte Server bearbeiten", 120, 60, 4095);
    kreuz(ASKreutz, 8520, 60);
    auto text = [this](const std::string& caption, int left, int top, int width) {
        AngelegteTexte.push_back(std::make_unique<ui::Label>(&Angelegte, "AngelegteText"));
        label(*AngelegteTexte.back(), caption.c_str(), left, top, width);
    };
    const char* const abTip = "Der Name der Später auf dem Botton (Schalter) steht .";
    const char* const ttTip = "Wird eingeblendet wenn du mit der Maus über den Botton fährst .";
    const char* const cnTip = "Die CFG Datei in dem deine Einstellungen zum Server geschrieben sind";
    for (int i = 0; i < 6; ++i) {
        const int top = 420 + i * 810;
        text("Botton " + std::to_string(i + 1), 120, top, 855);
        text("Bottonname  :", 1080, top, 1215);
        text("Tooltiptext :", 1080, top + 255, 1215);
        text(i < 5 ? "CFG Name    :" : "CFG Namen der Gruppe", 1080, top + 510, 1215);
        if (i == 5) {
            AngelegteTexte.back()->WordWrap = true;
            AngelegteTexte.back()->Height = 435;
        }
        text("max 22 Zeichen", 5280, top, 1455);
        at(*tt()[i], 2340, top + 255, 6375, 255).ToolTipText = ttTip;
        if (i == 5) break;
        at(*ab()[i], 2340, top, 2775, 255).ToolTipText = abTip;
        ab()[i]->MaxLength = 22;
        at(*cn()[i], 2340, top + 510, 4815, 255).ToolTipText = cnTip;
        button(*bb()[i], "...", 7200, top + 510, 375, 255);
        bb()[i]->ToolTipText = "Broser";
        button(*ee()[i], "Experten", 7620, top + 510, 1095, 255);
        ee()[i]->ToolTipText =
            "Öffnet die CFG zum bearbeiten und hinzufügen von zusätzlichen Befehlen .";
        ee()[i]->Enabled = false;
    }
    label(LevelPackName, "LevelPack", 2340, 4470, 2775);
    at(Gruppe, 2340, 4980, 4815, 435);
    button(bb6, "Hinzufügen..", 7200, 4980, 1515, 255);
    bb6.ToolTipText = "Broser";
    button(GruppeLoschen, "Neu", 7200, 5250, 1515, 255);
    button(ASSpeichern, "Speichern", 2340, 5760, 1695);
    button(ASBAbbrechen, "Abbrechen", 4320, 5760, 1695);

    // ---- mod list panel
    // No frame caption: "Aktuelle Mod's" is the panel's title, and a caption
    // would push the frame's edge down through it.
    at(Modfenster, 2040, 2040, 5655, 3135).Visible = false;
    label(Label64, "Aktuelle Mod's", 240, 270, 3015);
    kreuz(Xmod, 5280, 120);
    at(Modliste, 240, 540, 3255, 2415);
    button(Moddazu, "Hinzufügen", 3720, 480, 1695);
    Moddazu.ToolTipText = "Schreibe ein neuen Eintrag";
    button(Modloschen, "Löschen", 3720, 960, 1695);
    Modloschen.ToolTipText = "Löscht den gewählten Mod";
    button(Standartzuruck, "Auf Standart zurück", 3720, 1440, 1695);
    Standartzuruck.ToolTipText = "Setzt auf den letzten gespeicherten Stand zurück .";
    button(Modabbrechen, "Beenden", 3720, 2520, 1695);
    Modabbrechen.ToolTipText = "Beendet die Eingabe und speichert es .";

    // ---- master-server panel
    at(spy, 2520, 1680, 4095, 3735).Visible = false;
    spy.Caption = "Gamespy";
    at(Image5, 1800, 300, 495, 495).Picture = ui::assets::kGamespyKlein;
    label(Label19,
          "Um ein Spiel auf Gamespy Sichbar zu machen muß eine Gamespy.cfg im Descentordner sein "
          "! Diese kannst du mit dem Gamespy Botton schreiben oder löschen . Da die cfg die "
          "Angewohnheit hat nach einer Verbindung zu fragen solltest du sie löschen wenn's "
          "stört! Um nun den Server zu starten Wähle 'Lan Config' ! Ist eine Gamespy.cfg "
          "vorhanden und du startest eine PXO Config ist der Server auf beiden Platformen zu "
          "sehen !",
          120, 960, 3855, 2160);
    Label19.WordWrap = true;
    button(Spyok, "OK", 1320, 3180, 1455);

    l1.Caption = std::string("Link zu ") + adressen::kSeite1Name;
    l2.Caption = std::string("Link zu ") + adressen::kSeite2Name;

    verbindeLaden();
    verbindePfad();
    verbindeKonfiguration();
    verbindeStartrahmen();
    verbindeServerstart();
    verbindeStatus();
    verbindeVoreinstellungen();
    verbindeMenues();
    verbindeModliste();
    verbindeEnde();
    verbindeAngelegte();
    verbindeAngelegtstart();
}

void Vantor::PanelOeffnen(ui::Frame& panel, int left, int top) {
    M1.Enabled = false;
    M3.Enabled = false;
    m4.Enabled = false;
    Hauptprog.Enabled = false;
    panel.Top = top;
    panel.Left = left;
    panel.Visible = true;
}

void Vantor::PanelSchliessen(ui::Frame& panel) {
    panel.Visible = false;
    // While the game-folder panel asks for the game folder the main area
    // stays out of use: without one no server can start.
    if (!Pfadeinstellung.Visible()) Hauptprog.Enabled = true;
    M1.Enabled = true;
    M3.Enabled = true;
    m4.Enabled = true;
}
