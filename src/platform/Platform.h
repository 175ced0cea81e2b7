// Services the windows need beyond their controls. The desktop program
// implements them on Qt and X11; the tests implement them as fakes.
// Standard library only.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Message box flags as the window code writes them (vbOKCancel + vbCritical ...).
enum MsgBoxFlags : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};
// Answers of a message box.
enum MsgBoxAnswer : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

// Window styles of a started process.
enum WindowStyle : int {
    vbHide = 0,
    vbNormalFocus = 1,
    vbMinimizedFocus = 2,
    vbMaximizedFocus = 3,
    vbNormalNoFocus = 4,
    vbMinimizedNoFocus = 6,
};

// What a file dialog is asked to show: the persisting properties of a
// window's common dialog control at the moment it is shown.
struct FileDialogRequest {
    std::string DialogTitle;
    std::string Filter;  // "Beschreibung|Muster|Beschreibung|Muster"
    int FilterIndex = 1;
    int Flags = 0;
    std::string FileName;  // proposed name or path
    std::string InitDir;
    // Save dialogs: the extension (without its dot) given to a name typed
    // without one.
    std::string DefaultExt;
};

// Common dialog flags used by the windows.
enum DialogFlags : int {
    cdlOFNOverwritePrompt = 0x2,
    cdlOFNHideReadOnly = 0x4,
    cdlOFNFileMustExist = 0x1000,
    cdlOFNPathMustExist = 0x800,
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Returns the answer (vbOK, vbCancel, ...). An empty title means the
    // application's title.
    virtual int MsgBox(const std::string& text, int flags, const std::string& title) = 0;
    // Returns the text entered, "" when cancelled.
    virtual std::string InputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;
    // Return the chosen path, or nullopt when cancelled.
    virtual std::optional<std::string> ShowOpen(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> ShowSave(const FileDialogRequest& request) = 0;
    // Printer choice; returns the number of copies, or nullopt when cancelled.
    virtual std::optional<int> ShowPrinter(int copies) = 0;
};

class Printer {
public:
    virtual ~Printer() = default;
    virtual void PrintLine(const std::string& text) = 0;
    // Draws a picture file at a page position given in twips.
    virtual void DrawPicture(const std::string& picturePath, int xTwips, int yTwips) = 0;
    virtual void SetFontSize(double points) = 0;
    virtual void NewPage() = 0;
    // Ends and sends the document. False when it could not be printed.
    virtual bool EndDoc() = 0;
};

// A dedicated server that ended right after its start, with what it said.
struct EarlyEnd {
    int slot = 0;                        // the server slot it was started for
    std::string log;                     // the log of that slot
    bool logWritten = true;              // false: the log could not be created
    std::vector<std::string> lastLines;  // the log's last lines, at most 10
    // true: the log's name no longer holds the file the server wrote; the
    // lines are still the server's own
    bool logReplaced = false;
};

class Processes {
public:
    virtual ~Processes() = default;
    // Starts the program words[0] with each further word as exactly one of
    // its arguments, whatever it holds; nothing is split or handed to a
    // shell. `slot` 1 or 2: a dedicated server of that server slot, whose
    // output goes to the slot's log; 0: any other program. True when the
    // program started.
    virtual bool Start(const std::vector<std::string>& words, int windowStyle, int slot) = 0;
    // The servers started for slot 1 or 2 that have ended within 30 seconds
    // of their start and were not reported yet; each is reported once.
    virtual std::vector<EarlyEnd> EndedAfterStart() = 0;
};

// Why the last AppActivate or SendKeys of a console failed.
enum class ConsoleProblem {
    NoProblem,
    NoConsole,    // neither a window of that title nor a reachable remote console
    NoServer,     // no window of that title, and no game server of the game folder runs
    LineTooLong,  // a line the server would drop (255 characters or more): not sent
};

// A console that takes commands: a window of the given title that gets
// keystrokes, or, for a dedicated server without a window, its remote console.
class Console {
public:
    virtual ~Console() = default;
    // Brings the console titled exactly `title` to the front: true when it
    // can take commands now.
    virtual bool AppActivate(const std::string& title) = 0;
    // Whether the active console is titled exactly `title`.
    virtual bool IsActive(const std::string& title) = 0;
    // Delivers `text` literally to the active console; character 13 is Enter.
    // With wait, returns once the text is processed. False when nothing could
    // be delivered.
    virtual bool SendKeys(const std::string& text, bool wait) = 0;
    // Why the last AppActivate or SendKeys failed.
    virtual ConsoleProblem Problem() const { return ConsoleProblem::NoProblem; }
};

struct Version {
    int Major = 0;
    int Minor = 0;
    int Revision = 0;
};

// A game server that runs on this machine, as its process shows it.
struct RunningServer {
    int pid = 0;
    std::string config;   // its configuration file
    std::string tempdir;  // its temporary folder
};

struct Date {
    int Year = 2000;
    int Month = 1;
    int Day = 1;
};

class System {
public:
    virtual ~System() = default;
    virtual void Beep() = 0;
    // Opens a web or mailto address with the desktop's default program.
    virtual bool OpenLink(const std::string& address) = 0;
    virtual std::string AppTitle() = 0;
    virtual Version AppVersion() = 0;
    virtual Date Today() = 0;
    // Whether a running process holds this file open; nothing when that
    // cannot be told now (the running processes cannot be looked at).
    virtual std::optional<bool> FileInUse(const std::string& path) = 0;
    // Whether a running process holds a server's temporary folder: a file
    // there open or mapped, or the ".lock" there naming a running process.
    // Files a server left behind when it ended do not count. Nothing when
    // that cannot be told now.
    virtual std::optional<bool> FolderInUse(const std::string& folder) = 0;
    // The running game server whose remote console listens on `port`.
    virtual std::optional<RunningServer> ConsolePortHolder(int port) = 0;
    // Ends the program at once. No unload procedure runs.
    [[noreturn]] virtual void End() = 0;
};

// The services bundled, as the program hands them to its windows.
struct Platform {
    Dialogs& dialogs;
    Printer& printer;
    Processes& processes;
    Console& console;
    System& system;
};

}  // namespace platform
