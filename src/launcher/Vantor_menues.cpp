// The main window's menu items that open other windows.
#include "console/Kommunicator.h"
#include "launcher/Vantor.h"

void Vantor::verbindeMenues() {
    Ka.Click = [this] { Ka_Click(); };
}

// Opened from the menu, the communicator leaves Fensterwert as it is: only a
// server start sets it.
void Vantor::Ka_Click() { program().load<Kommunicator>(); }
