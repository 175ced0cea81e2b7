// The main window's menus clicked with the mouse on the real view: the help
// window and the about box from "Info" show their texts; "Gamespy
// Konfiguration", answered in the real message boxes, creates Gamespy.cfg
// and deletes it again.
#include <QAbstractButton>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>

#include "desktop_fixture.h"
#include "editor/Hilfefenster.h"
#include "editor/InfoBox.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"

namespace {

using desktop_test::waitUntil;
namespace fs = std::filesystem;

class MenusDesktop : public desktop_test::DesktopProgram {
protected:
    MenusDesktop() {
        writeLines(prog(einstellungen::kSTPfad), {gameFolder, "0", "0"});
        fs::copy_file(fs::path(ASSETS_DIR) / "serverbefehle.txt", prog("serverbefehle.txt"));
    }

    // Opens `menu` in the menu bar and clicks `item`, with the mouse.
    void klicke(Vantor& v, ui::Menu& menu, ui::Menu& item) {
        desktop::FormView* f = view.view(v);
        auto* bar = f->window()->findChild<QMenuBar*>();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(f->action(menu)).center());
        QMenu* popup = f->action(menu)->menu();
        ASSERT_TRUE(waitUntil([&] { return popup->isVisible(); }));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(f->action(item)).center());
    }

    // A message box with this text, answered with a click on OK.
    void okIn(const QString& text) {
        expectDialog([text](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), text);
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
    }

    template <class W>
    QWidget* fenster() {
        waitUntil([&] { return program.find<W>() != nullptr; });
        QWidget* w = program.find<W>() ? view.view(*program.find<W>())->window() : nullptr;
        EXPECT_TRUE(w && QTest::qWaitForWindowExposed(w));
        return w;
    }
};

TEST_F(MenusDesktop, HelpAndAboutFromTheInfoMenuShowTheirTexts) {
    Vantor& v = *loadMainWindow<Vantor>();
    klicke(v, v.Infom2, v.zum2c);
    QWidget* hilfe = fenster<Hilfefenster>();
    ASSERT_NE(hilfe, nullptr);
    auto* text = hilfe->findChild<QPlainTextEdit*>("Direckt");
    QString erwartet = QString::fromLatin1(testing_support::readBytes(prog("serverbefehle.txt")));
    EXPECT_EQ(text->toPlainText(), erwartet.replace("\r\n", "\n"));
    EXPECT_TRUE(text->isReadOnly());

    klicke(v, v.Infom2, v.Im2b);
    QWidget* info = fenster<InfoBox>();
    ASSERT_NE(info, nullptr);
    const platform::Version ver = system.AppVersion();
    EXPECT_EQ(info->findChild<QLabel*>("Version")->text(),
              QString("Version %1.%2.%3").arg(ver.Major).arg(ver.Minor).arg(ver.Revision));
    EXPECT_EQ(info->findChild<QLabel*>("Label1")->text(), "Talvir");
}

TEST_F(MenusDesktop, GamespyKonfigurationCreatesAndDeletesTheFile) {
    Vantor& v = *loadMainWindow<Vantor>();
    auto* bild = widget<QWidget>(v, "spypic");
    okIn("Zur Zeit ist keine Gamespy.cfg angelegt ! Soll jetzt eine erstellt werden?");
    okIn("Gamespy.cfg wurde angelegt !");
    klicke(v, v.m4, v.m41);
    ASSERT_TRUE(waitUntil([&] { return fs::exists(game("Gamespy.cfg")) && bild->isVisible(); }));
    EXPECT_EQ(testing_support::readBytes(game("Gamespy.cfg")),
              "0\r\nmaster.gamespy.example.org:27900\r\n");

    okIn("Eine Gamespy.cfg ist bereitz vorhanden ! Soll diese jetzt gelöscht werden?");
    okIn("Gamespy.cfg wurde gelöscht !");
    klicke(v, v.m4, v.m41);
    EXPECT_TRUE(waitUntil([&] { return !fs::exists(game("Gamespy.cfg")) && !bild->isVisible(); }));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
