// The addresses and names the tool shows or opens: its maker, the web pages
// of the "Info" menu and of the clan picture, the mail link of the about
// box, and the master server written into Gamespy.cfg. They stand here, and
// only here, so that changing one is a change of one line (the README lists
// them).
#pragma once

namespace adressen {

// The maker, as the about box names him.
inline constexpr const char* kMacher = "Talvir";
// The about box's "Mail" link goes to this address.
inline constexpr const char* kMail = "talvir@vantor.example.org";

// "Link zu meiner Homepage": the maker's home page.
inline constexpr const char* kHomepage = "https://vantor.example.org";
// The two web sites of the "Info" menu; their names follow "Link zu " in
// the items' captions.
inline constexpr const char* kSeite1Name = "Descent-Fanseite";
inline constexpr const char* kSeite1 = "https://descent-fans.example.org";
inline constexpr const char* kSeite2Name = "Descent-Levelarchiv";
inline constexpr const char* kSeite2 = "https://descent-levels.example.org";
// The clan web site behind the picture Image2; its address follows
// "Link zu " in the picture's tool tip.
inline constexpr const char* kClanSeite = "https://clan.vantor.example.org";

// The master server of the game-listing service, as the second line of
// Gamespy.cfg names it with the fixed port.
inline constexpr const char* kMasterserver = "master.gamespy.example.org";
inline constexpr const char* kMasterserverPort = "27900";

}  // namespace adressen
