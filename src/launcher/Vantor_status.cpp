// The main window's server status and cache clearing.
#include "launcher/Vantor.h"

void Vantor::verbindeStatus() {
    // The procedures of this area are wired here.
}
