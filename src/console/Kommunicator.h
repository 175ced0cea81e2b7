// The communicator: types console commands into a running dedicated server's
// window (chat lines, level restart, server end), says four prepared texts
// and an end text at set minutes, ends the server on time and steps through
// a level pack. It reads nothing of the main window; it takes what it needs
// from Autotexte.ini, pack.cfg, STPfad.ini and Servertool.ini.
#pragma once

#include <array>
#include <string>

#include "ui/Form.h"
#include "ui/Program.h"

class Kommunicator : public ui::Form {
public:
    explicit Kommunicator(ui::Program& program);

    void Form_Load() override;
    void Form_Unload(int& Cancel) override;

    // The level pack this window read at its opening did not start: it
    // shows no pack and steps none.
    void PackVerwerfen();

    // The text colour of Label17 is the flag that a level pack runs: grey
    // while none runs, blinking green and red while one does.
    static constexpr ui::Colour kPackGrau = 0x808080;
    static constexpr ui::Colour kPackGruen = 0x80FF80;
    static constexpr ui::Colour kPackRot = 255;
    // The progress line of a level-pack step runs between these x positions.
    static constexpr int kLinieStart = 960;
    static constexpr int kLinieEnde = 6600;

    // ---- main area
    ui::Shape Shape1{this, "Shape1"};
    ui::Image Image1{this, "Image1"};
    ui::Label Label15{this, "Label15"};
    ui::TextBox Endmin{this, "Endmin"};
    ui::Label Label16{this, "Label16"};
    ui::CheckBox Endminak{this, "Endminak"};
    ui::OptionButton Server1{this, "Server1"};
    ui::OptionButton Server12{this, "Server12"};
    ui::Line Line1{this, "Line1"};
    ui::TextBox Sendentext{this, "Sendentext"};
    ui::Label Label1{this, "Label1"};
    ui::Label Label17{this, "Label17"};
    ui::ListBox Gruppenliste{this, "Gruppenliste"};
    // What went wrong without anybody watching: a level-pack step that could
    // not start its server, an Autotexte.ini that could not be written, a
    // command that reached no server console.
    ui::Label Hinweis{this, "Hinweis"};
    ui::CommandButton lvlneu{this, "lvlneu"};
    ui::CommandButton lvlq{this, "lvlq"};
    ui::CommandButton atz{this, "atz"};

    // ---- the frame in which the automatic texts are written
    ui::Frame autotexte{this, "autotexte"};
    ui::Label Label4{&autotexte, "Label4"};
    ui::TextBox Text1{&autotexte, "Text1"};
    ui::Label Label2{&autotexte, "Label2"};
    ui::TextBox t1text{&autotexte, "t1text"};
    ui::Label Label3{&autotexte, "Label3"};
    ui::CheckBox wtext1{&autotexte, "wtext1"};
    ui::CheckBox aktive1{&autotexte, "aktive1"};
    ui::Label Label7{&autotexte, "Label7"};
    ui::TextBox Text2{&autotexte, "Text2"};
    ui::Label Label5{&autotexte, "Label5"};
    ui::TextBox t2text{&autotexte, "t2text"};
    ui::Label Label6{&autotexte, "Label6"};
    ui::CheckBox wtext2{&autotexte, "wtext2"};
    ui::CheckBox aktive2{&autotexte, "aktive2"};
    ui::Label Label10{&autotexte, "Label10"};
    ui::TextBox Text3{&autotexte, "Text3"};
    ui::Label Label8{&autotexte, "Label8"};
    ui::TextBox t3text{&autotexte, "t3text"};
    ui::Label Label9{&autotexte, "Label9"};
    ui::CheckBox wtext3{&autotexte, "wtext3"};
    ui::CheckBox aktive3{&autotexte, "aktive3"};
    ui::Label Label13{&autotexte, "Label13"};
    ui::TextBox Text4{&autotexte, "Text4"};
    ui::Label Label11{&autotexte, "Label11"};
    ui::TextBox t4text{&autotexte, "t4text"};
    ui::Label Label12{&autotexte, "Label12"};
    ui::CheckBox wtext4{&autotexte, "wtext4"};
    ui::CheckBox aktive4{&autotexte, "aktive4"};
    ui::TextBox Beendentext{&autotexte, "Beendentext"};
    ui::CheckBox aktive5{&autotexte, "aktive5"};
    ui::Label Label14{&autotexte, "Label14"};
    ui::CommandButton atsp{&autotexte, "atsp"};
    // After the frame: it stays in use above the frame, which covers the
    // rest of the window.
    ui::CommandButton beenden{this, "beenden"};

    // ---- timers
    ui::Timer Text{this, "Text", 200};
    ui::Timer Befehsenden{this, "Befehsenden", 200};
    ui::Timer Befehsenden1{this, "Befehsenden1", 200};
    ui::Timer Text1senden{this, "Text1senden", 200};
    ui::Timer Text2senden{this, "Text2senden", 200};
    ui::Timer Text3senden{this, "Text3senden", 200};
    ui::Timer Text4senden{this, "Text4senden", 200};
    ui::Timer Text5senden{this, "Text5senden", 200};
    ui::Timer Minabzähler{this, "Minabzähler", 60000};
    ui::Timer Befehsenden2{this, "Befehsenden2", 200};
    ui::Timer Zweiter{this, "Zweiter", 1500};
    ui::Timer Timer1{this, "Timer1", 200};
    ui::Timer Timer2{this, "Timer2", 5000};
    ui::Timer linezahler{this, "linezahler", 50};

    // ---- window-level variables
    std::string Eingabezeile;
    int Antwort = 0;
    double Wiederholzeit1 = 0, Wiederholzeit2 = 0, Wiederholzeit3 = 0, Wiederholzeit4 = 0;
    std::string Endminstart;
    std::string Spielpfad;
    std::string Serverport;
    std::string Packeintrag;

private:
    // One row of the automatic texts: the members of a family that belong
    // to text N.
    struct Autotext {
        ui::TextBox& Text;
        ui::TextBox& Minuten;
        ui::CheckBox& Aktiv;
        ui::CheckBox& Wiederholen;
        ui::Timer& Senden;
        double& Wiederholzeit;
    };
    std::array<Autotext, 4> zeilen_;
    // Autotexte.ini is there but could not be read at the opening: it is
    // not written over with texts that never came from it.
    bool autotexteUnlesbar_ = false;

    void entwurf();
    void entwurfAutotexte();
    void verdrahten();

    // Window and file.
    bool autotexteLesen();
    bool autotexteSchreiben(std::string* reason);
    // The file's full path, as every message names it.
    std::string autotextePfad() const;
    void packlisteLesen();
    void packlisteLeeren();
    void fensterwertZurücksetzen();
    void atz_Click();
    void atsp_Click();
    void beenden_Click();

    // Manual commands.
    bool packLäuft() const;
    // Types a command and Enter into the server window, and only there.
    bool Konsolenbefehl(const std::string& befehl);
    // Brings the server's console to the front: its window, or the remote
    // console of a server without one.
    bool Serverkonsole();
    // Hinweis says why the last console call failed, and loses that again
    // once one went through.
    void Konsolenhinweis();
    static const std::string kKeineKonsole;
    static const std::string kKeinServer;
    static const std::string kZeileZuLang;
    void Sonderzeichenfilter(int& KeyAscii);
    void Sendentext_KeyPress(int& KeyAscii);
    void Text_Timer();
    void lvlneu_Click();
    void Befehsenden_Timer();
    void lvlq_Click();
    void Befehsenden1_Timer();

    // Automatic texts and the minute countdown.
    void Minabzähler_Timer();
    void TextAusloesen(Autotext& z);
    void EndtextAusloesen();
    void TextSenden_Timer(Autotext& z);
    void Text5senden_Timer();
    void tText_KeyUp(Autotext& z);
    void Beendentext_Change();
    void Endmin_Change();
    void Endminak_Click();

    // Automatic end and the level pack.
    void AutoendeAusloesen();
    void Befehsenden2_Timer();
    void Zweiter_Timer();
    void Timer2_Timer();
    void Timer1_Timer();
    void linezahler_Timer();
    // Why the next entry cannot be started, or "" when it was.
    std::string packeintragStarten();
    bool konsolenportBelegt();
};

// The minute step of a box: the number at the start of the text less one,
// written as a number printer writes it, from its second character on and at
// most as long as the old text. "10" gives "9", "1" gives "0", "0" gives "1",
// "" stays "".
std::string Minutenschritt(const std::string& alt);
