// The tool speaks German, also where the words are not its own: Qt's
// standard dialogs and buttons, and the system's reasons in error messages.
#pragma once

class QCoreApplication;

namespace desktop {

// The C library's messages (strerror, the reasons the tool's messages quote)
// in German, through a German locale for messages only: numbers, sorting and
// the like stay as the user's locale has them. False when the system has no
// German locale (scripts/deps.sh generates de_DE.UTF-8).
bool germanSystemMessages();

// Qt's own translations (Debian's qt6-translations-l10n) for every standard
// dialog and button, and German as Qt's default locale. False when the
// translations are not installed: then Qt speaks English.
bool germanQt(QCoreApplication& app);

}  // namespace desktop
