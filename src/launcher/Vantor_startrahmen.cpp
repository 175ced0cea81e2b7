// The main window's start frame.
#include "launcher/Vantor.h"

void Vantor::verbindeStartrahmen() {
    // The procedures of this area are wired here.
}
