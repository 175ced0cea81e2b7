#include "desktop/view/QtServices.h"

#include <QApplication>
#include <QDate>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QRegularExpression>
#include <QUrl>
#include <cstdio>
#include <unistd.h>

#include "desktop/GameServers.h"
#include "desktop/view/Convert.h"

#ifndef VANTOR_VERSION_MAJOR
#error "the build passes the program's version"
#endif

namespace desktop {

// ------------------------------------------------------------------ dialogs

int QtDialogs::MsgBox(const std::string& text, int flags, const std::string& title) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title.empty() ? kAppTitle : qs(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(displayText(text));
    switch (flags & 0x70) {
        case platform::vbCritical: box.setIcon(QMessageBox::Critical); break;
        case platform::vbQuestion: box.setIcon(QMessageBox::Question); break;
        case platform::vbExclamation: box.setIcon(QMessageBox::Warning); break;
        case platform::vbInformation: box.setIcon(QMessageBox::Information); break;
        default: box.setIcon(QMessageBox::NoIcon);
    }
    struct Choice {
        QMessageBox::StandardButton button;
        int answer;
    };
    std::vector<Choice> choices;
    switch (flags & 0x7) {
        case platform::vbOKCancel:
            choices = {{QMessageBox::Ok, platform::vbOK}, {QMessageBox::Cancel, platform::vbCancel}};
            break;
        case 3:  // vbYesNoCancel
            choices = {{QMessageBox::Yes, platform::vbYes},
                       {QMessageBox::No, platform::vbNo},
                       {QMessageBox::Cancel, platform::vbCancel}};
            break;
        case platform::vbYesNo:
            choices = {{QMessageBox::Yes, platform::vbYes}, {QMessageBox::No, platform::vbNo}};
            break;
        default: choices = {{QMessageBox::Ok, platform::vbOK}};
    }
    QMessageBox::StandardButtons buttons;
    for (const Choice& c : choices) buttons |= c.button;
    box.setStandardButtons(buttons);
    box.setDefaultButton(choices.front().button);
    // Escape or the close box means Cancel where there is one, else OK.
    if (choices.back().button == QMessageBox::Cancel || choices.size() == 1)
        box.setEscapeButton(choices.back().button);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const Choice& c : choices)
        if (c.button == clicked) return c.answer;
    return choices.back().answer;
}

std::string QtDialogs::InputBox(const std::string& prompt, const std::string& title,
                                const std::string& defaultText) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title.empty() ? kAppTitle : qs(title));
    dialog.setLabelText(displayText(prompt));
    dialog.setTextValue(qs(defaultText));
    if (dialog.exec() != QDialog::Accepted) return {};
    return ss(dialog.textValue());
}

namespace {

// Whether the name matches one of the patterns, as the dialog's file list
// matches them (case-sensitive here); no pattern allows everything.
bool allows(const QStringList& patterns, const QString& name) {
    if (patterns.isEmpty()) return true;
    for (const QString& p : patterns) {
        const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(p));
        if (re.match(name).hasMatch()) return true;
    }
    return false;
}

}  // namespace

std::optional<std::string> QtDialogs::fileDialog(const platform::FileDialogRequest& r, bool save) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!r.DialogTitle.empty()) dialog.setWindowTitle(qs(r.DialogTitle));
    const QStringList filters = nameFilters(r.Filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = r.FilterIndex >= 1 && r.FilterIndex <= filters.size() ? r.FilterIndex : 1;
        dialog.selectNameFilter(filters[index - 1]);
    }
    if (!r.InitDir.empty()) dialog.setDirectory(qs(r.InitDir));
    if (!r.FileName.empty()) {
        const QFileInfo proposed(qs(r.FileName));
        if (r.FileName.find('/') != std::string::npos) dialog.setDirectory(proposed.absolutePath());
        // The name left from another use of the shared dialog (the game's
        // program, picked as "all files") is proposed only where the filter
        // allows it: Qt would list a selected file whatever the filter says,
        // and Enter would take it.
        if (allows(filterPatterns(r.Filter, r.FilterIndex), proposed.fileName()))
            dialog.selectFile(proposed.fileName());
    }
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!(r.Flags & platform::cdlOFNOverwritePrompt))
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
        // Only a save: an open dialog would add it to an existing file's
        // name that has no extension, such as the game's program.
        QString endung = qs(r.DefaultExt);
        if (endung.startsWith(QLatin1Char('.'))) endung.remove(0, 1);
        dialog.setDefaultSuffix(endung);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return ss(dialog.selectedFiles().first());
}

std::optional<std::string> QtDialogs::ShowOpen(const platform::FileDialogRequest& r) {
    return fileDialog(r, false);
}

std::optional<std::string> QtDialogs::ShowSave(const platform::FileDialogRequest& r) {
    return fileDialog(r, true);
}

std::optional<int> QtDialogs::ShowPrinter(int copies) {
    QPrinter& printer = printer_.printer();
    printer.setCopyCount(std::max(1, copies));
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const int chosen = printer.copyCount();
    // The window prints every copy itself: the printer makes one of each page.
    printer.setCopyCount(1);
    return chosen;
}

// ------------------------------------------------------------------ printer

namespace {

// A line wider than the page goes on in further lines, broken after a blank
// where there is one, and indented as far as the line itself is, so nothing
// is cut off at the page's edge.
QStringList wrapped(const QString& line, const QFontMetricsF& m, double width) {
    if (m.horizontalAdvance(line) <= width) return {line};
    int indentLength = 0;
    while (indentLength < line.size() && line[indentLength] == QChar(' ')) ++indentLength;
    QString indent = line.left(indentLength);
    if (m.horizontalAdvance(indent) > width / 2) indent.clear();
    QStringList parts;
    QString rest = line;
    QString prefix;
    while (!rest.isEmpty()) {
        const QString candidate = prefix + rest;
        if (m.horizontalAdvance(candidate) <= width) {
            parts << candidate;
            break;
        }
        // The most characters that fit, at least one.
        int fit = prefix.size() + 1;
        while (fit < candidate.size() && m.horizontalAdvance(candidate.left(fit + 1)) <= width) ++fit;
        int cut = fit;
        const int blank = candidate.lastIndexOf(QChar(' '), fit - 1);
        if (blank > prefix.size() + indentLength && blank < fit) cut = blank + 1;
        parts << candidate.left(cut);
        rest = candidate.mid(cut);
        prefix = indent;
        indentLength = 0;
    }
    return parts;
}

}  // namespace

QtPrinter::QtPrinter() : printer_(QPrinter::HighResolution) {}

void QtPrinter::PrintLine(const std::string& text) { ops_.push_back({Op::Line, text}); }

void QtPrinter::DrawPicture(const std::string& path, int xTwips, int yTwips) {
    ops_.push_back({Op::Picture, path, xTwips, yTwips});
}

void QtPrinter::SetFontSize(double points) { ops_.push_back({Op::FontSize, {}, 0, 0, points}); }

void QtPrinter::NewPage() { ops_.push_back({Op::Page, {}}); }

bool QtPrinter::EndDoc() {
    std::vector<Op> ops;
    ops.swap(ops_);
    if (const QByteArray pdf = qgetenv("VANTOR_PRINT_PDF"); !pdf.isEmpty()) {
        printer_.setOutputFormat(QPrinter::PdfFormat);
        printer_.setOutputFileName(QString::fromLocal8Bit(pdf));
    }
    QPainter painter;
    if (!painter.begin(&printer_)) return false;
    const double dpi = printer_.resolution();
    auto fromTwips = [dpi](int t) { return t * dpi / 1440.0; };
    const QRectF page = printer_.pageLayout().paintRectPixels(printer_.resolution());
    // Configuration files print in a typewriter face, as the editor shows
    // them: columns stay aligned, and no ligature turns "fi" into one sign.
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPointSizeF(10);
    painter.setFont(f);
    double y = 0;  // top of the next line, from the page's printable top
    bool ok = true;
    for (const Op& op : ops) {
        switch (op.kind) {
            case Op::Line: {
                const QFontMetricsF m(painter.font(), &printer_);
                for (const QString& part : wrapped(qs(op.text), m, page.width())) {
                    // A line that does not fit any more goes to a new page.
                    if (y + m.height() > page.height() && y > 0) {
                        ok = printer_.newPage() && ok;
                        y = 0;
                    }
                    painter.drawText(QPointF(0, y + m.ascent()), part);
                    y += m.height();
                }
                break;
            }
            case Op::Picture: {
                const QImage image(qs(op.text));
                if (!image.isNull()) {
                    // Pictures keep their size at 96 dpi.
                    const QSizeF size(image.width() * dpi / 96.0, image.height() * dpi / 96.0);
                    painter.drawImage(QRectF(QPointF(fromTwips(op.x), fromTwips(op.y)), size), image);
                }
                break;
            }
            case Op::FontSize:
                f.setPointSizeF(op.size > 0 ? op.size : 10);
                painter.setFont(f);
                break;
            case Op::Page:
                ok = printer_.newPage() && ok;
                y = 0;
                break;
        }
    }
    return painter.end() && ok;
}

// ------------------------------------------------------------------ system

void QtSystem::Beep() { QApplication::beep(); }

bool QtSystem::OpenLink(const std::string& address) {
    return QDesktopServices::openUrl(QUrl(qs(address)));
}

std::string QtSystem::AppTitle() { return ss(kAppTitle); }

platform::Version QtSystem::AppVersion() {
    return {VANTOR_VERSION_MAJOR, VANTOR_VERSION_MINOR, VANTOR_VERSION_PATCH};
}

platform::Date QtSystem::Today() {
    const QDate d = QDate::currentDate();
    return {d.year(), d.month(), d.day()};
}

std::optional<bool> QtSystem::FileInUse(const std::string& path) { return fileInUse(path); }

std::optional<bool> QtSystem::FolderInUse(const std::string& folder) { return folderInUse(folder); }

std::optional<platform::RunningServer> QtSystem::ConsolePortHolder(int port) {
    const std::optional<GameServer> server = consolePortHolder(port);
    if (!server) return std::nullopt;
    return platform::RunningServer{server->pid, server->config, server->tempdir};
}

void QtSystem::End() {
    // At once: no window's unload runs, no destructor; the files the
    // windows wrote are closed already.
    if (atEnd) atEnd();
    std::fflush(nullptr);
    _exit(0);
}

}  // namespace desktop
