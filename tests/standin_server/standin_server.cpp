// A stand-in for the game's dedicated server.
//
//   main -dedicated CFG -tempdir DIR -useport PORT
//
// It writes a log, one UTF-8 line per event, to $STANDIN_LOG or else to
// "standin.log" beside the program as it was called:
//   PID <id>, CWD <folder>, ARG <word> for every argument,
//   CFG <line> for every line of the configuration file (CFG-MISSING <name>),
//   TEMPDIR-MISSING <dir>, CMD <line> for every console line entered,
//   END quit or END signal.
// While it runs it keeps two files open in the temporary folder, as the real
// server does, and removes them when it ends. Its window is titled "Descent 3"
// and has a console line that takes typed commands; "quit" ends it.
//
// Copied into a folder that holds custom/cache and Missions, it makes a game
// folder for trying the tool by hand.

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QTextStream>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string logPath(const char* argv0) {
    if (const char* path = std::getenv("STANDIN_LOG"); path && *path) return path;
    const std::string self = argv0;
    const auto slash = self.rfind('/');
    return slash == std::string::npos ? "standin.log" : self.substr(0, slash + 1) + "standin.log";
}

class Log {
public:
    explicit Log(std::string path) : path_(std::move(path)) {}
    // Each line is appended and flushed at once, so that a reader sees it while
    // the server runs and a second server may share the file.
    void write(const std::string& kind, const std::string& text) const {
        std::ofstream out(path_, std::ios::app | std::ios::binary);
        out << kind << ' ' << text << '\n';
    }

private:
    std::string path_;
};

std::string argumentAfter(const std::vector<std::string>& args, const std::string& name) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == name) return args[i + 1];
    return {};
}

void logConfiguration(const Log& log, const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    if (name.empty() || !in) {
        log.write("CFG-MISSING", name);
        return;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        log.write("CFG", line);
    }
}

// The files a running server keeps in its temporary folder.
std::vector<std::unique_ptr<QFile>> openTempFiles(const Log& log, const std::string& dir) {
    std::vector<std::unique_ptr<QFile>> files;
    if (dir.empty() || !QDir(QString::fromStdString(dir)).exists()) {
        log.write("TEMPDIR-MISSING", dir);
        return files;
    }
    const QString prefix = QString::fromStdString(dir) + "/standin" +
                           QString::number(QCoreApplication::applicationPid());
    for (const char* suffix : {".lock", ".tmp"}) {
        auto file = std::make_unique<QFile>(prefix + suffix);
        if (file->open(QIODevice::WriteOnly)) files.push_back(std::move(file));
    }
    return files;
}

// SIGTERM, SIGINT and SIGHUP end the server cleanly through the event loop.
int signalPipe[2] = {-1, -1};
void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] auto n = write(signalPipe[1], &byte, 1);
}

}  // namespace

int main(int argc, char** argv) {
    const Log log(logPath(argv[0]));
    std::vector<std::string> args(argv + 1, argv + argc);

    log.write("PID", std::to_string(getpid()));
    log.write("CWD", QDir::currentPath().toStdString());
    for (const std::string& arg : args) log.write("ARG", arg);
    logConfiguration(log, argumentAfter(args, "-dedicated"));

    QApplication app(argc, argv);
    auto tempFiles = openTempFiles(log, argumentAfter(args, "-tempdir"));

    socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe);
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    std::string endReason = "quit";
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, [&] {
        endReason = "signal";
        app.quit();
    });
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) signal(sig, onSignal);

    QWidget window;
    window.setWindowTitle("Descent 3");
    auto* layout = new QVBoxLayout(&window);
    auto* output = new QPlainTextEdit;
    output->setReadOnly(true);
    output->setFocusPolicy(Qt::NoFocus);
    output->appendPlainText(QString("Dedicated server, port %1")
                                .arg(QString::fromStdString(argumentAfter(args, "-useport"))));
    auto* console = new QLineEdit;
    console->setObjectName("console");
    layout->addWidget(new QLabel("Stand-in dedicated server"));
    layout->addWidget(output);
    layout->addWidget(console);
    QObject::connect(console, &QLineEdit::returnPressed, [&] {
        const QString line = console->text();
        console->clear();
        log.write("CMD", line.toStdString());
        output->appendPlainText(line);
        if (line == "quit") app.quit();
    });
    window.resize(480, 300);
    window.show();
    console->setFocus();

    app.exec();

    for (auto& file : tempFiles) file->remove();
    log.write("END", endReason);
    return 0;
}
