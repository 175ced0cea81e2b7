#include "FakePlatform.h"

#include <utility>

#include <gtest/gtest.h>

#include "ui/Control.h"

namespace fakes {

namespace {
const char* kindName(int kind) {
    static const char* names[] = {"message box", "input box", "open dialog", "save dialog",
                                  "printer dialog"};
    return names[kind];
}
}  // namespace

FakePlatform::FakePlatform() : services_{*this, *this, *this, *this, *this} {}

void FakePlatform::answerMsgBox(int answer, std::string textContains) {
    script_.push_back({0, answer, {}, {}, {}, std::move(textContains)});
}
void FakePlatform::answerInputBox(std::string answer, std::string promptContains) {
    script_.push_back({1, 0, std::move(answer), {}, {}, std::move(promptContains)});
}
void FakePlatform::answerOpen(std::optional<std::string> path) {
    script_.push_back({2, 0, {}, std::move(path), {}, {}});
}
void FakePlatform::answerSave(std::optional<std::string> path) {
    script_.push_back({3, 0, {}, std::move(path), {}, {}});
}
void FakePlatform::answerPrinter(std::optional<int> copies) {
    script_.push_back({4, 0, {}, {}, copies, {}});
}

void FakePlatform::expectScriptUsed() {
    for (const Scripted& s : script_)
        ADD_FAILURE() << "scripted " << kindName(s.kind) << " answer was never asked for";
    script_.clear();
}

std::optional<FakePlatform::Scripted> FakePlatform::next(int kind, const std::string& shownText) {
    if (script_.empty() || script_.front().kind != kind) {
        ADD_FAILURE() << "unexpected " << kindName(kind) << ": \"" << shownText << "\"";
        throw UnexpectedDialog{};
    }
    Scripted s = script_.front();
    script_.pop_front();
    if (!s.contains.empty() && shownText.find(s.contains) == std::string::npos)
        ADD_FAILURE() << kindName(kind) << " \"" << shownText << "\" does not contain \""
                      << s.contains << "\"";
    return s;
}

int FakePlatform::MsgBox(const std::string& text, int flags, const std::string& title) {
    msgBoxes.push_back({text, flags, title});
    auto s = next(0, text);
    return s ? s->answer : platform::vbOK;
}

std::string FakePlatform::InputBox(const std::string& prompt, const std::string& title,
                                   const std::string& defaultText) {
    inputBoxes.push_back({prompt, title, defaultText});
    auto s = next(1, prompt);
    return s ? s->text : std::string();
}

std::optional<std::string> FakePlatform::ShowOpen(const platform::FileDialogRequest& r) {
    openRequests.push_back(r);
    auto s = next(2, r.DialogTitle);
    return s ? s->path : std::nullopt;
}

std::optional<std::string> FakePlatform::ShowSave(const platform::FileDialogRequest& r) {
    saveRequests.push_back(r);
    auto s = next(3, r.DialogTitle);
    return s ? s->path : std::nullopt;
}

std::optional<int> FakePlatform::ShowPrinter(int copies) {
    auto s = next(4, "printer");
    return s ? s->copies : std::nullopt;
}

void FakePlatform::PrintLine(const std::string& text) { printed.push_back({"line", text, 0, 0, 0}); }
void FakePlatform::DrawPicture(const std::string& path, int x, int y) {
    printed.push_back({"picture", path, x, y, 0});
}
void FakePlatform::SetFontSize(double points) { printed.push_back({"font", {}, 0, 0, points}); }
void FakePlatform::NewPage() { printed.push_back({"page", {}, 0, 0, 0}); }
bool FakePlatform::EndDoc() {
    printed.push_back({"end", {}, 0, 0, 0});
    return true;
}

bool FakePlatform::Start(const std::vector<std::string>& words, int windowStyle, int slot) {
    processes.push_back({words, windowStyle, slot});
    return startSucceeds;
}

std::vector<platform::EarlyEnd> FakePlatform::EndedAfterStart() {
    return std::exchange(earlyEnds, {});
}

bool FakePlatform::AppActivate(const std::string& title) {
    activations.push_back(title);
    consoleProblem = platform::ConsoleProblem::NoProblem;
    if (!windows.count(title)) {
        consoleProblem = serverRuns ? platform::ConsoleProblem::NoConsole
                                    : platform::ConsoleProblem::NoServer;
        return false;
    }
    activeWindow = title;
    return true;
}

bool FakePlatform::IsActive(const std::string& title) { return activeWindow == title; }

bool FakePlatform::SendKeys(const std::string& text, bool wait) {
    consoleProblem = platform::ConsoleProblem::NoProblem;
    if (longestLine && text.size() > *longestLine + 1) {
        consoleProblem = platform::ConsoleProblem::LineTooLong;
        return false;
    }
    keys.push_back({text, wait, activeWindow});
    return true;
}

std::vector<std::string> FakePlatform::typedTexts() const {
    std::vector<std::string> result;
    for (const TypedKeys& k : keys) result.push_back(k.text);
    return result;
}

bool FakePlatform::OpenLink(const std::string& address) {
    links.push_back(address);
    return true;
}

void FakePlatform::End() {
    ended = true;
    throw ui::ProgramEnded{};
}

std::optional<platform::RunningServer> FakePlatform::ConsolePortHolder(int port) {
    const auto it = consolePorts.find(port);
    if (it == consolePorts.end()) return std::nullopt;
    return it->second;
}

}  // namespace fakes
