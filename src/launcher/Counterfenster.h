// The countdown after a server start with "D3VS Tool nach Serverstart
// beenden": eight seconds, then the whole tool ends unless the user cancels;
// a Hoard orb count still to be typed is waited for. The end keeps the first
// page's values. The caption of Counter is the count itself; nothing else
// keeps it.
#pragma once

#include "ui/Form.h"
#include "ui/Program.h"

class Counterfenster : public ui::Form {
public:
    explicit Counterfenster(ui::Program& program);

    ui::Frame Autoendfenster{this, "Autoendfenster"};
    ui::Image Bild{&Autoendfenster, "Bild"};
    ui::Image Symbol{&Autoendfenster, "Symbol"};
    ui::Label Titel{&Autoendfenster, "Titel"};
    ui::Label Label13{&Autoendfenster, "Label13"};
    ui::Label Text{&Autoendfenster, "Text"};
    ui::Label Counter{&Autoendfenster, "Counter"};
    ui::Label Sekunden{&Autoendfenster, "Sekunden"};
    ui::CommandButton Countabbrechen{&Autoendfenster, "Countabbrechen"};
    ui::Timer Timer4{this, "Timer4", 1000, true};

    void Form_Load() override;
    void Timer4_Timer();
    void Countabbrechen_Click();
    void Label13_Click();
};
