// The pictures the tool ships beside its executable. A window names its
// pictures by these file names; the view looks them up in the program folder.
#pragma once

namespace ui::assets {

inline constexpr const char* kLogo = "logo.png";                      // splash
inline constexpr const char* kVantorBild1 = "vantor_bild1.png";       // main area, top right
inline constexpr const char* kVantorBild2 = "vantor_bild2.png";       // main area, below it
inline constexpr const char* kStart = "start.png";                    // the start button
inline constexpr const char* kGamespyKlein = "gamespy_klein.png";     // Gamespy.cfg is active
inline constexpr const char* kClan = "clan.png";                      // link to the clan site
inline constexpr const char* kOrdner = "ordner.png";                  // game-folder panel
inline constexpr const char* kVoreinstellungen = "voreinstellungen.png";  // presets panel
inline constexpr const char* kKommunicator = "kommunicator.png";      // communicator decoration
inline constexpr const char* kEditor = "editor.png";                  // editor picture, printed too
inline constexpr const char* kInfo = "info.png";                      // about box
inline constexpr const char* kOeffnen = "oeffnen.png";                // editor: open
inline constexpr const char* kSpeichern = "speichern.png";            // editor: save as
inline constexpr const char* kDrucken = "drucken.png";                // editor: print

}  // namespace ui::assets
