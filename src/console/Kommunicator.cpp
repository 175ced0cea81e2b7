// The communicator window: its design, its load and closing, Autotexte.ini
// and the level-pack queue pack.cfg.
#include "console/Kommunicator.h"

#include <filesystem>

#include "common/Items.h"
#include "common/MessageBox.h"
#include "common/Numbers.h"
#include "common/Packliste.h"
#include "common/Paths.h"
#include "common/SettingsWriter.h"
#include "launcher/Vantor.h"
#include "ui/Assets.h"

namespace {

constexpr ui::Colour kDunkelblau = 0x800000;
constexpr ui::Colour kHellgelb = 0xC0FFFF;
constexpr ui::Colour kHinweisfarbe = 0x8080FF;

const char* const kEndtext =
    "Server wird in einer Min automatisch beendet ! Bis zum nächsten mal !";

void label(ui::Label& l, const char* caption, int left, int top, int width, int height) {
    l.Caption = caption;
    l.Move(left, top, width, height);
    l.ForeColor = kHellgelb;
    l.BackStyle = 0;
}

void minutenfeld(ui::TextBox& t, int left, int top) {
    t.Move(left, top, 495, 315);
    t.Alignment = ui::vbCenter;
    t.MaxLength = 3;
    t.ToolTipText = "Minuten bis gesentet wird";
}

void kästchen(ui::CheckBox& c, const char* caption, const char* tip, int left, int top,
              int width) {
    c.Caption = caption;
    c.ToolTipText = tip;
    c.Move(left, top, width, 255);
    c.ForeColor = kHellgelb;
    c.BackColor = kDunkelblau;
}

}  // namespace

Kommunicator::Kommunicator(ui::Program& program)
    : ui::Form(program, "Kommunicator"),
      zeilen_{{{Text1, t1text, aktive1, wtext1, Text1senden, Wiederholzeit1},
               {Text2, t2text, aktive2, wtext2, Text2senden, Wiederholzeit2},
               {Text3, t3text, aktive3, wtext3, Text3senden, Wiederholzeit3},
               {Text4, t4text, aktive4, wtext4, Text4senden, Wiederholzeit4}}} {
    entwurf();
    entwurfAutotexte();
    verdrahten();
}

void Kommunicator::entwurf() {
    Caption = "Kommonicator";
    BorderStyle = ui::vbFixedSingle;
    MaxButton = false;
    ScaleWidth = 7410;
    ScaleHeight = 4440;
    BackColor = kDunkelblau;

    Shape1.ShapeKind = 4;
    Shape1.Move(120, 60, 7170, 780);
    Shape1.BorderColor = kHellgelb;
    Image1.Move(6840, 3960, 450, 420);
    Image1.Picture = ui::assets::kKommunicator;
    Image1.Stretch = true;

    label(Label15, "Server wird automatisch in", 240, 270, 2295, 255);
    Endmin.Move(2580, 180, 615, 420);
    Endmin.Alignment = ui::vbCenter;
    Endmin.MaxLength = 3;
    Endmin.Font = ui::Font{"Arial", 14.25};
    label(Label16, "Min beendet", 3300, 270, 1095, 255);
    kästchen(Endminak, "Aktiv", "", 4440, 270, 855);
    Endminak.Enabled = false;
    Server1.Caption = "Server 1";
    Server1.Move(5520, 150, 1335, 255);
    Server12.Caption = "Server 1+2";
    Server12.Move(5520, 450, 1335, 255);
    for (ui::OptionButton* o : {&Server1, &Server12}) {
        o->ForeColor = kHellgelb;
        o->BackColor = kDunkelblau;
    }
    Server1.Value = true;

    Line1.X1 = kLinieStart;
    Line1.Y1 = 900;
    Line1.X2 = kLinieEnde;
    Line1.Y2 = 900;
    Line1.BorderColor = 255;
    Line1.BorderWidth = 3;
    Line1.Visible = false;

    Sendentext.Move(240, 1020, 6915, 405);
    Sendentext.Font = ui::Font{"Arial", 12, true};
    Sendentext.ToolTipText = "Schreibe ein Text und drücke Enter um ihn abzuschicken";
    label(Label1, "Drücke Enter um den Text abzuschicken .", 240, 1470, 4095, 255);
    label(Label17, "Levelpack gestartet", 240, 1830, 1815, 255);
    Label17.ForeColor = kPackGrau;
    Gruppenliste.Move(240, 2130, 3975, 1425);
    Gruppenliste.Enabled = false;
    label(Hinweis, "", 240, 3600, 3975, 735);
    Hinweis.ForeColor = kHinweisfarbe;
    Hinweis.WordWrap = true;

    lvlneu.Caption = "Level neu starten";
    lvlneu.Move(4440, 1830, 2715, 375);
    lvlq.Caption = "Server beenden";
    lvlq.Move(4440, 2310, 2715, 375);
    atz.Caption = "Autotexte schreiben";
    atz.Move(4440, 2790, 2715, 375);
    beenden.Caption = "Schliessen";
    beenden.Move(4440, 3960, 2295, 375);

    // Tab order of the main area; the rest follows it.
    int tab = 0;
    for (ui::Control* c : std::initializer_list<ui::Control*>{
             &Sendentext, &lvlneu, &lvlq, &atz, &Endmin, &Server1, &Server12, &beenden,
             &Endminak, &Gruppenliste})
        c->TabIndex = tab++;
}

void Kommunicator::entwurfAutotexte() {
    autotexte.Caption = "Autotexte";
    autotexte.Move(0, 0, ScaleWidth(), ScaleHeight());
    autotexte.ForeColor = kHellgelb;
    autotexte.BackColor = kDunkelblau;
    autotexte.Visible = false;

    ui::Label* nummern[] = {&Label4, &Label7, &Label10, &Label13};
    ui::Label* sätze[] = {&Label2, &Label5, &Label8, &Label11};
    ui::Label* einheiten[] = {&Label3, &Label6, &Label9, &Label12};
    const char* nummerText[] = {"1:", "2:", "3:", "4:"};
    const char* satzText[] = {"Text 1 automatisch senden nach", "Text 2 automatisch senden nach",
                              "Text 3 automatisch senden nach", "Text 4 automatisch senden nach"};
    int tab = 20;
    for (int n = 0; n < 4; ++n) {
        Autotext& z = zeilen_[n];
        const int top = 540 + n * 630;
        label(*nummern[n], nummerText[n], 540, top + 30, 255, 255);
        z.Text.Move(840, top, 5955, 285);
        z.Text.ToolTipText = "Zu sendender Text";
        label(*sätze[n], satzText[n], 840, top + 330, 2415, 255);
        minutenfeld(z.Minuten, 3300, top + 300);
        label(*einheiten[n], "Min", 3840, top + 330, 375, 255);
        kästchen(z.Wiederholen, "Senden wiederholen",
                 "Wiederholt das Senden des Textes nach eingestellter Zeit", 4260, top + 330, 1815);
        kästchen(z.Aktiv, "Aktiv", "Setzt das senden des Textes Aktiv", 6120, top + 330, 735);
        for (ui::Control* c : std::initializer_list<ui::Control*>{&z.Text, &z.Minuten, &z.Wiederholen,
                                                                 &z.Aktiv})
            c->TabIndex = tab++;
    }
    Beendentext.Move(840, 3060, 5175, 285);
    Beendentext.ToolTipText = "Zu sendender Text";
    Beendentext.Text = kEndtext;
    kästchen(aktive5, "Aktiv", "Setzt das senden des Textes Aktiv", 6120, 3075, 735);
    label(Label14, "Wird gesendet 1 Min. bevor Server beendet wird", 840, 3360, 4095, 255);
    atsp.Caption = "Speichern";
    atsp.Move(5580, 3360, 1215, 315);
    Beendentext.TabIndex = tab++;
    aktive5.TabIndex = tab++;
    atsp.TabIndex = tab++;
}

void Kommunicator::verdrahten() {
    atz.Click = [this] { atz_Click(); };
    atsp.Click = [this] { atsp_Click(); };
    beenden.Click = [this] { beenden_Click(); };

    Sendentext.KeyPress = [this](int& k) { Sendentext_KeyPress(k); };
    for (ui::TextBox* t : {&Text1, &Text2, &Text3, &Text4, &Beendentext})
        t->KeyPress = [this](int& k) { Sonderzeichenfilter(k); };
    Text.Tick = [this] { Text_Timer(); };
    lvlneu.Click = [this] { lvlneu_Click(); };
    Befehsenden.Tick = [this] { Befehsenden_Timer(); };
    lvlq.Click = [this] { lvlq_Click(); };
    Befehsenden1.Tick = [this] { Befehsenden1_Timer(); };

    Minabzähler.Tick = [this] { Minabzähler_Timer(); };
    for (Autotext& z : zeilen_) {
        z.Senden.Tick = [this, &z] { TextSenden_Timer(z); };
        z.Minuten.KeyUp = [this, &z](int&, int) { tText_KeyUp(z); };
    }
    Text5senden.Tick = [this] { Text5senden_Timer(); };
    Beendentext.Change = [this] { Beendentext_Change(); };
    Endmin.Change = [this] { Endmin_Change(); };
    Endminak.Click = [this] { Endminak_Click(); };

    Befehsenden2.Tick = [this] { Befehsenden2_Timer(); };
    Zweiter.Tick = [this] { Zweiter_Timer(); };
    Timer2.Tick = [this] { Timer2_Timer(); };
    Timer1.Tick = [this] { Timer1_Timer(); };
    linezahler.Tick = [this] { linezahler_Timer(); };
}

// ---------------------------------------------------------------- opening

void Kommunicator::Form_Load() {
    Show();
    Line1.X2 = kLinieStart;
    Sendentext.SetFocus();

    // The queue is read whatever became of the texts: a pack started from a
    // fresh program folder would otherwise be emptied unseen at the close.
    if (autotexteLesen()) {
        for (Autotext& z : zeilen_) {
            if (common::Val(z.Minuten.Text()) < 1) {
                z.Aktiv.Enabled = false;
            } else {
                z.Aktiv.Enabled = true;
                Minabzähler.Enabled = true;
            }
        }
    } else if (!autotexteUnlesbar_) {
        // A missing or damaged file is laid down anew from what the boxes
        // hold now, so the next opening finds all 18 lines.
        std::string reason;
        if (!autotexteSchreiben(&reason))
            Hinweis.Caption = common::fileWriteErrorText(autotextePfad(), reason);
    }
    packlisteLesen();
}

// Reads the 18 lines into the boxes, each as soon as it is read. False when
// the file is missing, ends early or holds a check-box value no box can take.
bool Kommunicator::autotexteLesen() {
    std::string grund;
    auto reader = common::ItemReader::open(autotextePfad(), &grund);
    if (!reader) {
        // One that is there and cannot be read keeps the texts the user
        // wrote: it is named, and not written over with the design values.
        autotexteUnlesbar_ = common::unlesbarVorhanden(autotextePfad());
        if (autotexteUnlesbar_)
            common::lesefehlerMelden(program().platform.dialogs, autotextePfad(), grund);
        return false;
    }
    auto text = [&](ui::TextBox& box) {
        if (!reader->next(Eingabezeile)) return false;
        box.Text = Eingabezeile;
        return true;
    };
    auto wert = [&](ui::CheckBox& box) {
        if (!reader->next(Eingabezeile)) return false;
        const long v = common::CLng(common::Val(Eingabezeile));
        if (v < 0 || v > 2) return false;
        box.Value = static_cast<int>(v);
        return true;
    };
    for (Autotext& z : zeilen_) {
        if (!text(z.Text) || !wert(z.Aktiv) || !wert(z.Wiederholen) || !text(z.Minuten))
            return false;
        z.Wiederholzeit = common::Val(Eingabezeile);
    }
    return text(Beendentext) && wert(aktive5);
}

bool Kommunicator::autotexteSchreiben(std::string* reason) {
    common::LineWriter w;
    for (const Autotext& z : zeilen_) {
        w.text(z.Text.Text());
        w.integer(z.Aktiv.Value());
        w.integer(z.Wiederholen.Value());
        w.text(z.Minuten.Text());
    }
    w.text(Beendentext.Text());
    w.integer(aktive5.Value());
    return w.writeTo(autotextePfad(), reason);
}

std::string Kommunicator::autotextePfad() const {
    return common::pfad(program().Path(), "Autotexte.ini");
}

void Kommunicator::packlisteLesen() {
    const std::string datei = common::packlistenPfad(program().Path());
    std::string grund;
    auto reader = common::ItemReader::open(datei, &grund);
    if (!reader) {
        if (common::unlesbarVorhanden(datei))
            common::lesefehlerMelden(program().platform.dialogs, datei, grund);
        return;
    }
    while (reader->next(Eingabezeile)) Gruppenliste.AddItem(Eingabezeile);
    if (Gruppenliste.ListCount() > 0 && !Gruppenliste.List(0).empty()) Timer1.Enabled = true;
}

void Kommunicator::PackVerwerfen() {
    Gruppenliste.Clear();
    Timer1.Enabled = false;
    Label17.ForeColor = kPackGrau;
}

// ---------------------------------------------------------------- the frame

// The frame covers the whole window: at the place 720, 600 the controls of
// the main area would show round its edges. "Schliessen" lies above it.
void Kommunicator::atz_Click() {
    autotexte.Move(0, 0, ScaleWidth(), ScaleHeight());
    autotexte.Visible = true;
}

void Kommunicator::atsp_Click() {
    std::string reason;
    if (autotexteUnlesbar_) {
        common::Meldung(program().platform.dialogs,
                        common::nichtUeberschriebenText(autotextePfad()), platform::vbCritical);
        return;
    }
    if (!autotexteSchreiben(&reason)) {
        // The frame stays open, so nothing typed into it is lost.
        common::Meldung(program().platform.dialogs,
                        common::fileWriteErrorText(autotextePfad(), reason), platform::vbCritical);
        return;
    }
    autotexte.Visible = false;
}

// ---------------------------------------------------------------- closing

void Kommunicator::beenden_Click() {
    if (autotexte.Visible()) {
        autotexte.Visible = false;
        return;
    }
    if (Endminak.Value() == 1) {
        Antwort = common::Meldung(
            program().platform.dialogs,
            "Soll der Kommunicator wirklich geschlossen werden? Die Automatik wird dadurch "
            "abgeschaltet!",
            platform::vbOKCancel + platform::vbInformation);
        if (Antwort == platform::vbCancel) return;
    }
    // The unload stops the timers, empties the queue and resets the main
    // window's property; emptying it here as well would report a queue
    // that cannot be emptied twice.
    program().unload(*this);
}

void Kommunicator::Form_Unload(int& Cancel) {
    if (autotexte.Visible()) autotexte.Visible = false;
    Timer2.Enabled = false;
    linezahler.Enabled = false;
    packlisteLeeren();
    fensterwertZurücksetzen();
}

// A closed communicator steps no pack any more: its queue goes with it. A
// queue that cannot be emptied has been named to the user; the window
// closes all the same.
void Kommunicator::packlisteLeeren() {
    common::packlisteLeeren(program().platform.dialogs, program().Path());
}

void Kommunicator::fensterwertZurücksetzen() {
    if (Vantor* v = program().find<Vantor>()) v->Fensterwert = 0;
}
