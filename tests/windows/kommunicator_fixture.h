// Shared fixture of the communicator's window tests: files in the program
// folder, user actions as events, and a timetable of what reached the
// platform at which virtual millisecond.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "WindowTest.h"
#include "console/Kommunicator.h"
#include "launcher/Vantor.h"

// A start's words joined by blanks: the test folders hold none.
inline std::string verbunden(const std::vector<std::string>& wörter) {
    std::string zeile;
    for (const std::string& wort : wörter) zeile += (zeile.empty() ? "" : " ") + wort;
    return zeile;
}

class KommunicatorTest : public WindowTest {
public:
    // Stands between the window and the fake's processes and console, and
    // writes down each call with its virtual time.
    struct Protokoll : platform::Processes, platform::Console {
        Protokoll(fakes::FakePlatform& f, ui::ManualLoop& l) : fake(f), loop(l) {}
        void notiere(const std::string& was) {
            ereignisse.push_back(std::to_string(loop.now()) + " " + was);
        }
        bool Start(const std::vector<std::string>& wörter, int stil, int platz) override {
            notiere("gestartet " + verbunden(wörter) + " Stil " + std::to_string(stil));
            return fake.Start(wörter, stil, platz);
        }
        std::vector<platform::EarlyEnd> EndedAfterStart() override { return fake.EndedAfterStart(); }
        bool AppActivate(const std::string& titel) override {
            notiere("aktiviert " + titel);
            // A window manager that takes the request but leaves the window
            // where it was.
            if (aktivierungVerweigert) return fake.windows.count(titel) > 0;
            return fake.AppActivate(titel);
        }
        bool IsActive(const std::string& titel) override { return fake.IsActive(titel); }
        bool SendKeys(const std::string& text, bool wait) override {
            std::string t = text;
            if (!t.empty() && t.back() == '\r') t.replace(t.size() - 1, 1, "⏎");
            notiere("getippt " + t + " in " + fake.activeWindow + (wait ? "" : " ohne Warten"));
            return fake.SendKeys(text, wait);
        }
        platform::ConsoleProblem Problem() const override { return fake.Problem(); }
        fakes::FakePlatform& fake;
        ui::ManualLoop& loop;
        std::vector<std::string> ereignisse;
        bool aktivierungVerweigert = false;
    };

    KommunicatorTest() {
        program.reset();  // its destructor unhooks the loop: first the old one goes
        program = std::make_unique<ui::Program>(dienste, loop, programDir.path());
        program->formDestroyed = [this](ui::Form& f) {
            if (f.Name() == "Kommunicator") protokoll.notiere("geschlossen");
        };
        // A window brought to the front is the one the user's keys reach.
        program->formActivated = [this](ui::Form& f) { fake.activeWindow = f.Caption(); };
    }
    // The program uses the services below: it goes before they do.
    ~KommunicatorTest() override { program.reset(); }

    static constexpr const char* kEndtext =
        "Server wird in einer Min automatisch beendet ! Bis zum nächsten mal !";

protected:

    // Counts how often a control asked for the keyboard focus.
    struct Fokus : ui::Observer {
        std::vector<std::string> an;
        void propertyChanged(ui::Control& c, const char* property) override {
            if (std::string(property) == "Focus") an.push_back(c.Name());
        }
    };

    void datei(const std::string& name, const std::vector<std::string>& zeilen) {
        testing_support::writeBytes(prog(name), testing_support::crlf(zeilen));
    }
    std::string inhalt(const std::string& name) { return testing_support::readBytes(prog(name)); }

    // Autotexte.ini with 18 lines, rows given as {text, aktiv, wiederholen, minuten}.
    struct Zeile {
        std::string text, aktiv = " 0 ", wiederholen = " 0 ", minuten;
    };
    void autotexte(std::vector<Zeile> zeilen, std::string endtext = kEndtext,
                   std::string aktive5 = " 0 ") {
        zeilen.resize(4);
        std::vector<std::string> lines;
        for (const Zeile& z : zeilen) lines.insert(lines.end(), {z.text, z.aktiv, z.wiederholen, z.minuten});
        lines.push_back(endtext);
        lines.push_back(aktive5);
        datei("Autotexte.ini", lines);
    }

    // The files a level-pack step reads: the game folder and server 1's
    // port, with "Server minimiert starten" ticked (line 12).
    void serverdateien(const std::string& port = "2092") {
        datei("STPfad.ini", {gameFolder, "0", "0"});
        std::vector<std::string> servertool(71, " 0 ");
        servertool[0] = "login";
        servertool[1] = "pw";
        servertool[2] = port;
        servertool[3] = "global";
        servertool[11] = " 1 ";
        datei("Servertool.ini", servertool);
    }
    std::string kommandozeile(const std::string& config, const std::string& port = "2092") {
        const std::string cfg = config[0] == '/' ? config : gameFolder + "/" + config;
        return gameFolder + "/Descent3 -dedicated " + cfg + " -tempdir " + gameFolder +
               "/custom/cache -useport " + port;
    }

    void serverLäuft() { fake.windows.insert("Descent 3"); }

    Kommunicator& öffnen() {
        Kommunicator& k = program->load<Kommunicator>();
        k.setObserver(&fokus);
        return k;
    }
    Kommunicator* offen() { return program->find<Kommunicator>(); }

    // The main window with its window property set, as a start with the
    // communicator option leaves it.
    Vantor& hauptfenster() {
        Vantor& v = program->load<Vantor>();
        v.Fensterwert = 1;
        return v;
    }

    // A user action, delivered as one event.
    template <class F>
    void benutzer(F f) {
        loop.dispatch(f);
    }
    void tippen(ui::TextBox& box, const std::string& text) {
        benutzer([&] { box.userTypes(text); });
    }
    void klicken(ui::CommandButton& b) {
        benutzer([&] { b.userClick(); });
    }
    void klicken(ui::CheckBox& b) {
        benutzer([&] { b.userClick(); });
    }
    void klicken(ui::OptionButton& b) {
        benutzer([&] { b.userClick(); });
    }

    // Runs virtual time up to `bis` (absolute) and lists what reached the
    // platform since the last call, in the order it happened, each with its
    // virtual time: "60000 aktiviert Descent 3", "60200 getippt quit⏎ in
    // Descent 3", "65000 gestartet <Kommandozeile> Stil 1", "60200 geschlossen".
    std::vector<std::string> zeitplan(std::int64_t bis) {
        this->bis(bis);
        std::vector<std::string> neu(protokoll.ereignisse.begin() + gelesen_,
                                     protokoll.ereignisse.end());
        gelesen_ = protokoll.ereignisse.size();
        return neu;
    }
    void bis(std::int64_t t) { loop.advance(t - loop.now()); }

    Fokus fokus;
    Protokoll protokoll{fake, loop};
    platform::Platform dienste{fake, fake, protokoll, protokoll, fake};

private:
    std::size_t gelesen_ = 0;
};
