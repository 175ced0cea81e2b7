// Fakes of the platform services: dialogs answer from a script (an
// unexpected dialog fails the test), everything else is recorded.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace fakes {

// Thrown after an unexpected dialog has failed the test, so a procedure that
// would ask again and again (a range question re-asked on "") cannot hang
// the test. Not a std::exception: no handler of the window code takes it.
struct UnexpectedDialog {};

struct ShownMsgBox {
    std::string text;
    int flags;
    std::string title;
};

struct ShownInputBox {
    std::string prompt;
    std::string title;
    std::string defaultText;
};

struct StartedProcess {
    std::vector<std::string> words;  // the program, then each argument
    int windowStyle;
    int slot;
};

struct TypedKeys {
    std::string text;
    bool wait;
    std::string activeWindow;  // the window that had the focus when typed
};

struct PrintOp {
    std::string op;  // "line", "picture", "font", "page", "end"
    std::string text;
    int x = 0, y = 0;
    double size = 0;
};

class FakePlatform : public platform::Dialogs,
                     public platform::Printer,
                     public platform::Processes,
                     public platform::Console,
                     public platform::System {
public:
    FakePlatform();
    platform::Platform& services() { return services_; }

    // ---- scripted dialogs
    // The next message box is answered with `answer`. When `textContains`
    // is not empty, the box's text must contain it.
    void answerMsgBox(int answer, std::string textContains = {});
    void answerInputBox(std::string answer, std::string promptContains = {});
    void answerOpen(std::optional<std::string> path);
    void answerSave(std::optional<std::string> path);
    void answerPrinter(std::optional<int> copies);
    // Fails the test if a scripted answer was not used.
    void expectScriptUsed();

    std::vector<ShownMsgBox> msgBoxes;
    std::vector<ShownInputBox> inputBoxes;
    std::vector<platform::FileDialogRequest> openRequests, saveRequests;

    // ---- records
    std::vector<StartedProcess> processes;
    bool startSucceeds = true;
    // What the next EndedAfterStart reports, once.
    std::vector<platform::EarlyEnd> earlyEnds;
    std::set<std::string> windows{};  // titles of the top-level windows
    std::string activeWindow = "D3 Vantor Server";
    std::vector<std::string> activations;
    std::vector<TypedKeys> keys;
    // Why the last activation or typing failed: no window of the title, or
    // a text longer than `longestLine` and its Enter (as a remote console
    // refuses it), when that is set.
    platform::ConsoleProblem consoleProblem = platform::ConsoleProblem::NoProblem;
    // Whether a game server runs: when none does, an activation that finds
    // no window finds no server either.
    bool serverRuns = true;
    std::optional<std::size_t> longestLine;
    int beeps = 0;
    std::vector<std::string> links;
    std::vector<PrintOp> printed;
    std::set<std::string> filesInUse;
    std::set<std::string> foldersInUse;          // temporary folders of running servers
    bool processesUnreadable = false;            // no answer whether anything is held
    std::map<int, platform::RunningServer> consolePorts;  // listening console ports
    bool ended = false;
    platform::Version version{1, 0, 1};
    platform::Date today{2026, 12, 7};

    // The typed texts only.
    std::vector<std::string> typedTexts() const;

    // platform::Dialogs
    int MsgBox(const std::string& text, int flags, const std::string& title) override;
    std::string InputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    std::optional<std::string> ShowOpen(const platform::FileDialogRequest& r) override;
    std::optional<std::string> ShowSave(const platform::FileDialogRequest& r) override;
    std::optional<int> ShowPrinter(int copies) override;
    // platform::Printer
    void PrintLine(const std::string& text) override;
    void DrawPicture(const std::string& path, int x, int y) override;
    void SetFontSize(double points) override;
    void NewPage() override;
    bool EndDoc() override;
    // platform::Processes
    bool Start(const std::vector<std::string>& words, int windowStyle, int slot) override;
    std::vector<platform::EarlyEnd> EndedAfterStart() override;
    // platform::Console
    bool AppActivate(const std::string& title) override;
    bool IsActive(const std::string& title) override;
    bool SendKeys(const std::string& text, bool wait) override;
    platform::ConsoleProblem Problem() const override { return consoleProblem; }
    // platform::System
    void Beep() override { ++beeps; }
    bool OpenLink(const std::string& address) override;
    std::string AppTitle() override { return "D3Vantor"; }
    platform::Version AppVersion() override { return version; }
    platform::Date Today() override { return today; }
    std::optional<bool> FileInUse(const std::string& path) override { return held(filesInUse, path); }
    std::optional<bool> FolderInUse(const std::string& f) override { return held(foldersInUse, f); }
    std::optional<platform::RunningServer> ConsolePortHolder(int port) override;
    [[noreturn]] void End() override;

private:
    std::optional<bool> held(const std::set<std::string>& in, const std::string& path) const {
        return processesUnreadable ? std::nullopt : std::optional<bool>(in.count(path) > 0);
    }
    struct Scripted {
        int kind;  // 0 msg, 1 input, 2 open, 3 save, 4 printer
        int answer = 0;
        std::string text;
        std::optional<std::string> path;
        std::optional<int> copies;
        std::string contains;
    };
    std::optional<Scripted> next(int kind, const std::string& shownText);
    std::deque<Scripted> script_;
    platform::Platform services_;
};

}  // namespace fakes
