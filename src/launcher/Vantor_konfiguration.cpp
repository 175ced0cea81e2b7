// The main window's configuration-file commands.
#include "launcher/Vantor.h"

void Vantor::verbindeKonfiguration() {
    // The procedures of this area are wired here.
}
