// A stand-in for the game's dedicated server, in its two builds:
//
//   Descent3 -dedicated CFG -tempdir DIR -useport PORT [-useip ADDRESS]
//     the native Linux build: no window, commands arrive only through the
//     remote console (RemoteConsolePort of CFG, a TCP port with a password);
//   main.exe -dedicated CFG -tempdir DIR -useport PORT   (also as `main`)
//     the Windows build as Wine runs it: a window titled "Descent 3" whose
//     console line takes typed commands, and the remote console as well.
//
// It writes a log, one UTF-8 line per event, to $STANDIN_LOG or else to
// "standin.log" beside the program as it was called:
//   PID <id> (again whenever another server wrote to the log in between),
//   CWD <folder>, ARG <word> for every argument,
//   CFG <line> for every line of the configuration file (CFG-MISSING <name>),
//   TEMPDIR-MISSING <dir>, ERROR <text> for a start it refuses,
//   RCON <port> once its remote console listens (RCON-UNAVAILABLE <port>),
//   RCON-LOGIN, RCON-BADPASS, RCON-LOGOUT, RCON-TOOLONG <length>,
//   CMD <line> for every console line taken, typed or remote,
//   END quit or END signal.
//
// As the real server does:
// - option names are case-insensitive, and of an option given twice the
//   first counts; errors go to standard error as
//   "Error: ..." and the exit status is 0 even then; the native build wants
//   an absolute configuration path whose first line is "[server config file]";
// - a level (MissionName) that is neither in its folder nor in its missions
//   folder (names in any case) ends the start with such an error;
// - its configuration is read as the game reads it, by the tool's own reader
//   of it (common::spielkonfigurationAus: commands one after another on a
//   line, a line's reading ended by an unknown key, symbols, 255 bytes a
//   line); the console port is C's atoi of RemoteConsolePort held to
//   1..65535, 2092 without one;
// - the temporary folder holds ".lock" (8 bytes: "LOCK" and the process id
//   as a 4-byte little-endian integer)
//   and the loaded modules, a d3c*.tmp and several d3s*.tmp, mapped into the
//   process; a start deletes leftover d3*.tmp files and refuses a folder
//   whose .lock names a running process; "quit" removes .lock and the
//   d3c*.tmp and leaves the d3s*.tmp files;
// - the remote console listens on every IPv4 interface, or on -useip's
//   address alone, without SO_REUSEADDR,
//   sends "Enter Password:" and a NUL, echoes every byte, takes lines ended
//   by CR or LF (empty ones skipped, 255 characters or more dropped), closes
//   a connection whose first line is not the password, answers a login with
//   CR LF NUL, sends its messages (LF as CR LF, ended by NUL) to every
//   logged-in connection and closes a connection on "logout". SIGPIPE is
//   not ignored: writing to a connection its client dropped ends the server.
//   After "quit" it goes on reading its connections for up to a second, as
//   the game's shutdown takes that long.
//
// Copied as `Descent3` into a folder that holds custom/cache and missions, it
// makes a game folder for trying the tool by hand.
//
// Under the tests, which leave the host's servers their ports, its
// environment changes where the remote console listens:
//   STANDIN_CONSOLE_ADDRESS  the address for a start without -useip;
//   STANDIN_CONSOLE_PORT     the port for a configuration without a
//                            RemoteConsolePort line;
//   STANDIN_UNDER_TEST       when set, a console port of 2092 or 2093 ends
//                            the start with an error.

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/CommandLine.h"
#include "common/Encoding.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kLongestLine = 254;

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

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
    // the server runs and a second server may share the file. The first line
    // is "PID <id>"; when another server wrote in between, that line comes
    // again before the next, so every line belongs to the PID line above it.
    void write(const std::string& kind, const std::string& text) const {
        std::error_code ec;
        const auto size = fs::file_size(path_, ec);
        std::ofstream out(path_, std::ios::app | std::ios::binary);
        if (written_ && size != *written_) out << "PID " << getpid() << '\n';
        out << kind << ' ' << text << '\n';
        out.close();
        written_ = fs::file_size(path_, ec);
    }

private:
    std::string path_;
    mutable std::optional<std::uintmax_t> written_;
};

// The value after an option; option names are case-insensitive.
std::string argumentAfter(const std::vector<std::string>& args, const std::string& name) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (lower(args[i]) == name) return args[i + 1];
    return {};
}

// Ends the server as the real one ends a start it cannot make.
[[noreturn]] void refuse(const Log& log, const std::string& text) {
    log.write("ERROR", text);
    std::fprintf(stderr, "Error: %s\n", text.c_str());
    std::exit(0);
}

// The configuration's bytes; nullopt when unreadable.
std::optional<std::string> readConfiguration(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    if (name.empty() || !in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Its lines as the log shows them, without line ends.
std::vector<std::string> linesOf(const std::string& bytes) {
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Whether the level a configuration names is there: a file of that name,
// in any case, in the game folder or its missions folder.
bool levelFound(const fs::path& gameFolder, const std::string& level) {
    std::error_code ec;
    std::vector<fs::path> folders{gameFolder};
    for (const auto& entry : fs::directory_iterator(gameFolder, ec))
        if (entry.is_directory() && lower(entry.path().filename().string()) == "missions")
            folders.push_back(entry.path());
    for (const fs::path& folder : folders)
        for (const auto& entry : fs::directory_iterator(folder, ec))
            if (entry.is_regular_file() && lower(entry.path().filename().string()) == lower(level))
                return true;
    return false;
}

bool processRuns(pid_t pid) {
    if (pid <= 0 || kill(pid, 0) != 0) return errno == EPERM;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidField, name, state;
    stat >> pidField >> name >> state;
    return stat && state != "Z";
}

// The game's lock: "LOCK" and the process id, 4 bytes little-endian.
std::string lockOf(pid_t pid) {
    std::string lock = "LOCK";
    for (int shift = 0; shift < 32; shift += 8)
        lock += static_cast<char>((static_cast<uint32_t>(pid) >> shift) & 0xFF);
    return lock;
}

// The process a .lock names.
pid_t lockOwner(const fs::path& lock) {
    std::ifstream in(lock, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.size() != 8 || text.compare(0, 4, "LOCK") != 0) return 0;
    uint32_t id = 0;
    for (int i = 7; i >= 4; --i) id = (id << 8) | static_cast<unsigned char>(text[i]);
    return static_cast<pid_t>(id);
}

// The temporary folder while the server runs: its lock and its modules,
// each mapped into the process as a loaded library is.
class TempFolder {
public:
    TempFolder(const Log& log, const std::string& dir, bool native) : dir_(dir) {
        if (dir.empty() || (native && !fs::path(dir).is_absolute()))
            refuse(log, "The temp directory must be an absolute path: \"" + dir + "\"");
        std::error_code ec;
        fs::create_directories(dir_, ec);
        if (!fs::is_directory(dir_)) {
            log.write("TEMPDIR-MISSING", dir);
            refuse(log, "Unable to create the temp directory \"" + dir + "\"");
        }
        if (processRuns(lockOwner(dir_ / ".lock")) && lockOwner(dir_ / ".lock") != getpid())
            refuse(log, "The temp directory \"" + dir + "\" is in use by another server");
        for (const fs::path& file : matching("d3", ".tmp")) fs::remove(file, ec);

        std::ofstream(dir_ / ".lock", std::ios::binary) << lockOf(getpid());
        const std::string id = std::to_string(getpid());
        map(dir_ / ("d3c" + id + ".tmp"));
        for (const char* module : {"a", "b", "c", "d"}) map(dir_ / ("d3s" + id + module + ".tmp"));
    }

    // A clean end: the lock and the client module go, the server modules stay.
    void quit() {
        std::error_code ec;
        fs::remove(dir_ / ".lock", ec);
        for (const fs::path& file : matching("d3c", ".tmp")) fs::remove(file, ec);
    }
    // Ended by a signal: nothing of this run stays.
    void removeAll() {
        quit();
        std::error_code ec;
        for (const std::string& file : mine_) fs::remove(file, ec);
    }

private:
    std::vector<fs::path> matching(const std::string& prefix, const std::string& suffix) const {
        std::vector<fs::path> files;
        std::error_code ec;
        for (fs::directory_iterator it(dir_, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = lower(it->path().filename().string());
            if (name.starts_with(prefix) && name.ends_with(suffix)) files.push_back(it->path());
        }
        return files;
    }

    void map(const fs::path& file) {
        const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return;
        const std::string body(4096, 'M');
        if (write(fd, body.data(), body.size()) == static_cast<ssize_t>(body.size()))
            mmap(nullptr, body.size(), PROT_READ, MAP_SHARED, fd, 0);
        close(fd);  // the mapping keeps the file in use
        mine_.push_back(file.string());
    }

    fs::path dir_;
    std::vector<std::string> mine_;
};

// The remote console: a TCP listener and its connections, driven by poll.
class RemoteConsole {
public:
    using Command = std::function<void(const std::string& line)>;

    RemoteConsole(const Log& log, const std::string& ip, int port, std::string password,
                  bool allowRemote, Command command)
        : log_(log), password_(std::move(password)), allowRemote_(allowRemote),
          command_(std::move(command)) {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        if (!ip.empty() && inet_pton(AF_INET, ip.c_str(), &address.sin_addr) != 1) {
            log_.write("RCON-UNAVAILABLE", std::to_string(port) + " bad address " + ip);
            if (listener_ >= 0) close(listener_);
            listener_ = -1;
            return;
        }
        // No SO_REUSEADDR, as the real server: after it closed a connection
        // the port stays blocked for a while.
        if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listener_, 4) != 0) {
            log_.write("RCON-UNAVAILABLE", std::to_string(port) + " " + std::strerror(errno));
            if (listener_ >= 0) close(listener_);
            listener_ = -1;
            return;
        }
        log_.write("RCON", std::to_string(port));
    }

    // Every descriptor to watch for input.
    std::vector<int> descriptors() const {
        std::vector<int> fds;
        if (listener_ >= 0) fds.push_back(listener_);
        for (const auto& c : connections_) fds.push_back(c.fd);
        return fds;
    }

    void readable(int fd) {
        if (fd == listener_) return accept();
        for (auto& c : connections_)
            if (c.fd == fd) return receive(c);
    }

    bool connected() const { return !connections_.empty(); }

    // A message of the server to every logged-in connection.
    void broadcast(std::string text) {
        std::string message;
        for (char c : text) {
            if (c == '\n') message += '\r';
            message += c;
        }
        message += '\0';
        for (auto& c : connections_)
            if (c.loggedIn) send(c, message);
        sweep();
    }

private:
    struct Connection {
        int fd = -1;
        bool loggedIn = false;
        bool closing = false;
        std::string line;
    };

    void accept() {
        sockaddr_in peer{};
        socklen_t size = sizeof peer;
        const int fd = accept4(listener_, reinterpret_cast<sockaddr*>(&peer), &size, SOCK_CLOEXEC);
        if (fd < 0) return;
        if (!allowRemote_ && peer.sin_addr.s_addr != htonl(INADDR_LOOPBACK)) {
            close(fd);
            return;
        }
        Connection c;
        c.fd = fd;
        connections_.push_back(c);
        send(connections_.back(), std::string("Enter Password:") + '\0');
    }

    // Plain write(): a connection its client dropped raises SIGPIPE here.
    static void send(Connection& c, const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(c.fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                c.closing = true;
                return;
            }
            done += static_cast<std::size_t>(n);
        }
    }

    void receive(Connection& c) {
        char buffer[512];
        const ssize_t n = read(c.fd, buffer, sizeof buffer);
        if (n <= 0) {
            c.closing = true;
            return sweep();
        }
        send(c, std::string(buffer, static_cast<std::size_t>(n)));  // the echo
        for (ssize_t i = 0; i < n && !c.closing; ++i) {
            const char ch = buffer[i];
            if (ch != '\r' && ch != '\n') {
                c.line += ch;
                continue;
            }
            std::string line;
            line.swap(c.line);
            if (line.empty()) continue;
            if (line.size() > kLongestLine) {
                log_.write("RCON-TOOLONG", std::to_string(line.size()));
                send(c, std::string("Command line too long\r\n") + '\0');
            } else if (!c.loggedIn) {
                login(c, line);
            } else if (line == "logout") {
                log_.write("RCON-LOGOUT", "");
                c.closing = true;
            } else {
                command_(common::ansiToUtf8(line));
            }
        }
        sweep();
    }

    void login(Connection& c, const std::string& line) {
        if (password_.empty() || line != password_) {
            log_.write("RCON-BADPASS", "");
            c.closing = true;
            return;
        }
        c.loggedIn = true;
        log_.write("RCON-LOGIN", "");
        send(c, std::string("\r\n") + '\0');
    }

    void sweep() {
        for (auto it = connections_.begin(); it != connections_.end();) {
            if (!it->closing) {
                ++it;
                continue;
            }
            close(it->fd);
            it = connections_.erase(it);
        }
    }

    const Log& log_;
    std::string password_;
    bool allowRemote_;
    Command command_;
    int listener_ = -1;
    std::vector<Connection> connections_;
};

// Where the remote console listens: the game's choice, unless the tests'
// environment names the address or port left open (see the header).
struct Console {
    std::string address;
    int port = 2092;
};

Console consoleOf(const Log& log, const std::vector<std::string>& args, const std::string& config,
                  const common::Spielkonfiguration& settings) {
    const auto setting = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    Console console{argumentAfter(args, "-useip"),
                    std::clamp(std::atoi(settings.konsolenport.c_str()), 1, 65535)};
    if (console.address.empty()) console.address = setting("STANDIN_CONSOLE_ADDRESS");
    const bool portNamed = lower(config).find("remoteconsoleport") != std::string::npos;
    if (!portNamed && !setting("STANDIN_CONSOLE_PORT").empty())
        console.port = std::atoi(setting("STANDIN_CONSOLE_PORT").c_str());
    if (!setting("STANDIN_UNDER_TEST").empty() && (console.port == 2092 || console.port == 2093))
        refuse(log, "Under the tests the console port " + std::to_string(console.port) +
                        " is left to the host's servers");
    return console;
}

// SIGTERM, SIGINT and SIGHUP end the server cleanly through its loop.
int signalPipe[2] = {-1, -1};
void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] auto n = write(signalPipe[1], &byte, 1);
}

// Waits up to `timeoutMs` for input on the console's descriptors and the
// signal pipe and hands it on. False once a signal came.
bool pollOnce(RemoteConsole* console, int timeoutMs) {
    std::vector<pollfd> fds{{signalPipe[0], POLLIN, 0}};
    if (console)
        for (int fd : console->descriptors()) fds.push_back({fd, POLLIN, 0});
    if (poll(fds.data(), fds.size(), timeoutMs) <= 0) return true;
    if (fds[0].revents) return false;
    for (std::size_t i = 1; i < fds.size(); ++i)
        if (fds[i].revents) console->readable(fds[i].fd);
    return true;
}

// The Windows build's console window; its line takes typed commands.
class Window {
public:
    Window(const std::string& port, std::function<void(const std::string&)> command) {
        window_.setWindowTitle("Descent 3");
        auto* layout = new QVBoxLayout(&window_);
        output_ = new QPlainTextEdit;
        output_->setReadOnly(true);
        output_->setFocusPolicy(Qt::NoFocus);
        output_->appendPlainText(QString("Dedicated server, port %1").arg(QString::fromStdString(port)));
        auto* console = new QLineEdit;
        console->setObjectName("console");
        layout->addWidget(new QLabel("Stand-in dedicated server"));
        layout->addWidget(output_);
        layout->addWidget(console);
        QObject::connect(console, &QLineEdit::returnPressed, [console, command] {
            const QString line = console->text();
            console->clear();
            command(line.toStdString());
        });
        window_.resize(480, 300);
        window_.show();
        console->setFocus();
    }
    void show(const std::string& text) { output_->appendPlainText(QString::fromStdString(text)); }

private:
    QWidget window_;
    QPlainTextEdit* output_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    const Log log(logPath(argv[0]));
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::string self = lower(fs::path(argv[0]).filename().string());
    const bool windowed = self == "main.exe" || self == "main";

    log.write("PID", std::to_string(getpid()));
    log.write("CWD", fs::current_path().string());
    for (const std::string& arg : args) log.write("ARG", arg);

    // The Windows build takes a configuration relative to its current folder;
    // the native one looks a bare name up elsewhere, so the tool passes it
    // absolute, and the stand-in takes nothing else.
    const std::string configName = argumentAfter(args, "-dedicated");
    if (!windowed && !fs::path(configName).is_absolute())
        refuse(log, "The server config file must be given with an absolute path: \"" + configName + "\"");
    const auto config = readConfiguration(configName);
    if (!config) {
        log.write("CFG-MISSING", configName);
        if (!windowed) refuse(log, "Unable to open the server config file \"" + configName + "\"");
    }
    const std::vector<std::string> lines = linesOf(config.value_or(""));
    for (const std::string& line : lines) log.write("CFG", common::ansiToUtf8(line));
    if (config && (lines.empty() || lines.front() != "[server config file]"))
        refuse(log, "\"" + configName + "\" is not a server config file");
    const common::Spielkonfiguration settings = common::spielkonfigurationAus(config.value_or(""));
    // What the game says on its standard output while it starts; a level it
    // cannot find ends the start.
    std::printf("Starting the dedicated server with %s\n", configName.c_str());
    std::fflush(stdout);
    const std::string level = settings.levelname.value_or("");
    const fs::path gameFolder = fs::absolute(fs::path(argv[0])).parent_path();
    if (!level.empty() && !levelFound(gameFolder, level))
        refuse(log, "Unable to load the level \"" + level + "\"");

    const Console console = consoleOf(log, args, config.value_or(""), settings);

    // Only the Windows build's window survives without an X display here.
    std::unique_ptr<QApplication> app;
    if (windowed) app = std::make_unique<QApplication>(argc, argv);

    TempFolder temp(log, argumentAfter(args, "-tempdir"), !windowed);

    socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) signal(sig, onSignal);

    bool running = true;
    std::function<void(const std::string&)> show;
    std::unique_ptr<RemoteConsole> remote;
    auto command = [&](const std::string& line) {
        log.write("CMD", line);
        if (show) show(line);
        if (lower(line) == "quit") {
            running = false;
            if (app) app->quit();
        } else if (lower(line).starts_with("say ")) {
            if (remote) remote->broadcast("Server: " + common::utf8ToAnsi(line.substr(4)) + "\n");
        } else if (remote) {
            remote->broadcast("Executing " + common::utf8ToAnsi(line) + "\n");
        }
    };
    remote = std::make_unique<RemoteConsole>(log, console.address, console.port,
                                             settings.konsolenpasswort, settings.konsoleErlaubt,
                                             command);

    std::string endReason = "quit";
    if (app) {
        Window window(argumentAfter(args, "-useport"), command);
        show = [&window](const std::string& line) { window.show(line); };
        QTimer poller;
        QObject::connect(&poller, &QTimer::timeout, [&] {
            if (!pollOnce(remote.get(), 0)) {
                endReason = "signal";
                app->quit();
            }
        });
        poller.start(20);
        app->exec();
        show = nullptr;
    } else {
        while (running)
            if (!pollOnce(remote.get(), -1)) {
                endReason = "signal";
                break;
            }
    }

    // Shutting down takes the game a while, during which it still reads its
    // connections: a client that closes right after the echo of "quit"
    // closes first, and the port is free for the next server at once.
    if (endReason == "quit") {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (remote->connected() && std::chrono::steady_clock::now() < until)
            if (!pollOnce(remote.get(), 50)) break;
    }
    if (endReason == "quit")
        temp.quit();
    else
        temp.removeAll();
    log.write("END", endReason);
    return 0;
}
