// The main window's two ways to end the tool: the menu item and closing the
// window. Both keep the first page's values for the next start and take the
// level-pack queue with them.
#include "common/Packliste.h"
#include "console/Kommunicator.h"
#include "editor/Hilfefenster.h"
#include "editor/InfoBox.h"
#include "launcher/Vantor.h"

void Vantor::verbindeEnde() {
    endm1d.Click = [this] { endm1d_Click(); };
}

// The communicator is closed properly first, so that its own closing steps
// run; the help and about windows go the same way. Every other window just
// goes with the program.
void Vantor::endm1d_Click() {
    // An open communicator empties the queue as it closes; a queue that
    // could not be emptied there is named once, not twice.
    const bool kommunicatorOffen = program().find<Kommunicator>() != nullptr;
    program().unload<Kommunicator>();
    program().unload<Hilfefenster>();
    program().unload<InfoBox>();
    Beenden(!kommunicatorOffen);
}

// The close cannot be refused, and no other window's unload runs: the tool
// ends in here.
void Vantor::Form_Unload(int& Cancel) { Beenden(); }

// Letztes.ini or a queue that cannot be written has told the user why; the
// tool still ends, as the user asked.
void Vantor::Beenden(bool packlisteLeeren) {
    LetztesSpeichern();
    if (packlisteLeeren) common::packlisteLeeren(program().platform.dialogs, program().Path());
    program().End();
}
