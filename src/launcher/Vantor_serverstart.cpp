// The main window's server start.
#include "launcher/Vantor.h"

void Vantor::verbindeServerstart() {
    // The procedures of this area are wired here.
}
