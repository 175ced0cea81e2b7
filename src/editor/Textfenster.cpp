#include "editor/Textfenster.h"

#include "common/Encoding.h"
#include "common/Items.h"
#include "common/MessageBox.h"
#include "common/Paths.h"

namespace textfenster {

bool zeige(ui::Program& program, ui::TextBox& box, const std::string& datei, std::string* pfad) {
    *pfad = common::pfad(program.Path(), datei);
    std::string grund;
    const std::optional<std::string> bytes = common::readFileBytes(*pfad, &grund);
    if (!bytes) {
        // No icon and the application's title: the window only tells what
        // the system said. A pipe or a device has been named by the read.
        if (grund != common::kKeineDatei)
            program.platform.dialogs.MsgBox(common::fileReadErrorText(*pfad, grund),
                                            platform::vbOKOnly, "");
        return false;
    }
    box.Text = common::ansiToUtf8(*bytes);
    box.SetFocus();
    return true;
}

void gestalte(ui::TextBox& box, int scrollBars) {
    box.MultiLine = true;
    box.Locked = true;
    box.ScrollBars = scrollBars;
    box.Font = ui::Font{"Courier New", 9.75};
    box.Text = kKeineHilfe;
}

}  // namespace textfenster
