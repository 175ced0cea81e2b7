// The platform services that Qt provides: message, input, file and printer
// dialogs, printing, and the small system services.
#pragma once

#include <QPrinter>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Platform.h"

namespace desktop {

class QtPrinter;

class QtDialogs : public platform::Dialogs {
public:
    // The printer dialog chooses the printer that `printer` prints on.
    explicit QtDialogs(QtPrinter& printer) : printer_(printer) {}

    int MsgBox(const std::string& text, int flags, const std::string& title) override;
    std::string InputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    std::optional<std::string> ShowOpen(const platform::FileDialogRequest& request) override;
    std::optional<std::string> ShowSave(const platform::FileDialogRequest& request) override;
    std::optional<int> ShowPrinter(int copies) override;

private:
    std::optional<std::string> fileDialog(const platform::FileDialogRequest& request, bool save);
    QtPrinter& printer_;
};

// Collects the page's lines and pictures and puts the document on paper (or
// into the PDF file that VANTOR_PRINT_PDF names) at EndDoc.
class QtPrinter : public platform::Printer {
public:
    QtPrinter();
    void PrintLine(const std::string& text) override;
    void DrawPicture(const std::string& picturePath, int xTwips, int yTwips) override;
    void SetFontSize(double points) override;
    void NewPage() override;
    bool EndDoc() override;

    QPrinter& printer() { return printer_; }

private:
    struct Op {
        enum Kind { Line, Picture, FontSize, Page } kind;
        std::string text;
        int x = 0, y = 0;
        double size = 0;
    };
    QPrinter printer_;
    std::vector<Op> ops_;
};

class QtSystem : public platform::System {
public:
    void Beep() override;
    bool OpenLink(const std::string& address) override;
    std::string AppTitle() override;
    platform::Version AppVersion() override;
    platform::Date Today() override;
    std::optional<bool> FileInUse(const std::string& path) override;
    std::optional<bool> FolderInUse(const std::string& folder) override;
    std::optional<platform::RunningServer> ConsolePortHolder(int port) override;
    [[noreturn]] void End() override;

    // Runs first when the program ends by End(): what must not be cut off,
    // such as the logout of a server's remote console.
    std::function<void()> atEnd;
};

}  // namespace desktop
