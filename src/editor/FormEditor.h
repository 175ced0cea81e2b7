// The configuration-file editor: shows a server configuration file (or any
// text file) as plain text, saves the text under a name of the user's choice
// and prints the file as it was loaded, with a small header. The main window
// names the file through Edit.ini, the one line it writes before opening the
// editor.
#pragma once

#include <string>

#include "ui/Form.h"
#include "ui/Program.h"

class FormEditor : public ui::Form {
public:
    explicit FormEditor(ui::Program& program);

    // The hand-off file in the program folder.
    static constexpr const char* kEditIni = "Edit.ini";

    ui::CommandButton laden{this, "laden"};
    ui::CommandButton SchaltflSpeichern{this, "SchaltflSpeichern"};
    ui::CommandButton Drucken{this, "Drucken"};
    ui::PictureBox Picture1{this, "Picture1"};
    ui::TextBox TextfeldEditor{this, "TextfeldEditor"};
    ui::CommonDialog CommonDialog1{this, "CommonDialog1"};

    // Path of the file last loaded or tried; the printout's header names it.
    std::string Pfad;
    // Path last named: by Edit.ini or by the last open or save dialog.
    std::string Datei;
    // The file's text as last loaded: what a printout shows.
    std::string Inhalt;

    void Form_Load() override;
    void Form_Resize() override;
    void laden_Click();
    void SchaltflSpeichern_Click();
    void Drucken_Click();

private:
    // Loads Datei into the box. A file that cannot be read gives a message
    // with the reason and leaves Inhalt as it was; false then.
    bool DateiLaden();
    // The path Edit.ini names; nullopt, after a message, when it names none.
    std::optional<std::string> UebergabeLesen();
    void Meldung(const std::string& text);
};
