// The minute countdown: four automatic texts, the end text one minute
// before the automatic end, and the rules that enable their "Aktiv" boxes.
#include "common/ConsoleCommand.h"
#include "common/Encoding.h"
#include "common/Numbers.h"
#include "console/Kommunicator.h"

std::string Minutenschritt(const std::string& alt) {
    const std::string neu = common::Str(common::Val(alt) - 1);
    // The printer's sign place goes; a box never grows longer than it was.
    return neu.substr(1, common::zeichenzahl(alt));
}

void Kommunicator::Minabzähler_Timer() {
    if (Endminak.Value() == 1) Endmin.Text = Minutenschritt(Endmin.Text());
    for (Autotext& z : zeilen_)
        if (z.Aktiv.Value() == 1) z.Minuten.Text = Minutenschritt(z.Minuten.Text());

    if (Endmin.Text() == "0") AutoendeAusloesen();
    if (aktive5.Value() == 1 && Endmin.Text() == "1") {
        // The last minute belongs to the end text alone.
        EndtextAusloesen();
        return;
    }
    for (Autotext& z : zeilen_)
        if (z.Minuten.Text() == "0" && z.Aktiv.Value() == 1) TextAusloesen(z);
}

void Kommunicator::TextAusloesen(Autotext& z) {
    if (!Serverkonsole()) return;
    z.Senden.Enabled = true;
}

void Kommunicator::EndtextAusloesen() {
    if (!Serverkonsole()) return;
    Text5senden.Enabled = true;
}

void Kommunicator::TextSenden_Timer(Autotext& z) {
    z.Senden.Enabled = false;
    const bool gesendet = Konsolenbefehl("Say " + z.Text.Text());
    Sendentext.SetFocus();
    // A text that could not be typed stays due, as when the server window
    // was missing at the minute tick: it is tried again two minutes later.
    if (!gesendet) return;
    if (z.Wiederholen.Value() == 1) {
        z.Minuten.Text = common::Str(z.Wiederholzeit);
    } else if (z.Wiederholen.Value() == 0) {
        z.Aktiv.Enabled = false;
        z.Aktiv.Value = 0;
    }
}

void Kommunicator::Text5senden_Timer() {
    Text5senden.Enabled = false;
    Konsolenbefehl("Say " + Beendentext.Text());
    Sendentext.SetFocus();
}

void Kommunicator::tText_KeyUp(Autotext& z) {
    const double minuten = common::Val(z.Minuten.Text());
    z.Aktiv.Enabled = minuten > 0;
    z.Wiederholzeit = minuten;
}

void Kommunicator::Beendentext_Change() { aktive5.Enabled = !Beendentext.Text().empty(); }

void Kommunicator::Endmin_Change() { Endminak.Enabled = common::Val(Endmin.Text()) > 0; }

void Kommunicator::Endminak_Click() {
    Endminstart = Endmin.Text();
    // Unticking leaves the countdown running for the automatic texts.
    if (Endminak.Value() == 1) Minabzähler.Enabled = true;
}
