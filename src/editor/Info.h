// The readme window: Liesmich.txt of the program folder, read-only, in a
// text box that follows the window's size. Nothing in the tool opens it yet;
// InfoSchliessen closes it.
#pragma once

#include <string>

#include "ui/Form.h"
#include "ui/Program.h"

class Info : public ui::Form {
public:
    explicit Info(ui::Program& program);

    static inline const std::string kDatei = "Liesmich.txt";
    // The text box is this much narrower and lower than the window's outer
    // size.
    static constexpr int kRandRechts = 100;
    static constexpr int kRandUnten = 500;

    ui::TextBox InfoT{this, "InfoT"};

    // The file shown, as a full path.
    std::string Dateipfad;

    void Form_Load() override;
    void Form_Resize() override;
    void InfoSchliessen();
};
