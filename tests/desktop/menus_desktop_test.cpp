// The main window's menus on the real view, clicked as the user clicks them:
// the help window and the about box from the "Info" menu show their texts,
// and "Gamespy Konfiguration", answered in the real message boxes, creates
// Gamespy.cfg and deletes it again.
#include <QAbstractButton>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "common/Adressen.h"
#include "desktop_fixture.h"
#include "editor/Hilfefenster.h"
#include "editor/InfoBox.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"

namespace {

using desktop_test::DesktopProgram;
using desktop_test::waitUntil;
namespace fs = std::filesystem;

class MenusDesktop : public DesktopProgram {
protected:
    MenusDesktop() {
        writeLines(prog(einstellungen::kSTPfad), {gameFolder, "0", "0"});
        testing_support::writeBytes(prog("Servertool.ini"),
                                    einstellungen::erstlaufServertool().bytes());
        testing_support::writeBytes(prog("STS.ini"), einstellungen::erstlaufSTS().bytes());
        // The help text as the tool ships it.
        fs::copy_file(fs::path(ASSETS_DIR) / "serverbefehle.txt", prog("serverbefehle.txt"));
    }

    // Opens `menu` in the window's menu bar and clicks `item` in it, with
    // the mouse, as the user does.
    void klicke(Vantor& v, ui::Menu& menu, ui::Menu& item) {
        desktop::FormView* f = view.view(v);
        auto* bar = f->window()->findChild<QMenuBar*>();
        ASSERT_NE(bar, nullptr);
        QAction* titel = f->action(menu);
        ASSERT_NE(titel, nullptr);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(titel).center());
        QMenu* popup = titel->menu();
        ASSERT_NE(popup, nullptr);
        ASSERT_TRUE(waitUntil([&] { return popup->isVisible(); }));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
        QAction* eintrag = f->action(item);
        ASSERT_NE(eintrag, nullptr);
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(eintrag).center());
    }

    // A message box with this text, answered by clicking its OK button.
    void okIn(const std::string& text) {
        expectDialog([text](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text().toStdString(), text);
            EXPECT_EQ(box->windowTitle(), "Talvir");
            QAbstractButton* ok = box->button(QMessageBox::Ok);
            ASSERT_NE(ok, nullptr);
            QTest::mouseClick(ok, Qt::LeftButton);
        });
    }
};

TEST_F(MenusDesktop, HelpAndAboutFromTheInfoMenuShowTheirTexts) {
    Vantor& v = *loadMainWindow<Vantor>();

    klicke(v, v.Infom2, v.zum2c);
    ASSERT_TRUE(waitUntil([&] { return program.find<Hilfefenster>() != nullptr; }));
    Hilfefenster& h = *program.find<Hilfefenster>();
    QWidget* hilfe = view.view(h)->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(hilfe));
    EXPECT_EQ(hilfe->windowTitle(), "Server Direcktbefehle");
    auto* text = widget<QPlainTextEdit>(h, "Direckt");
    ASSERT_NE(text, nullptr);
    QString erwartet = QString::fromLatin1(
        testing_support::readBytes(prog("serverbefehle.txt")).c_str());
    erwartet.replace("\r\n", "\n");
    EXPECT_EQ(text->toPlainText(), erwartet);
    EXPECT_TRUE(text->toPlainText().contains("$mincount"));
    EXPECT_TRUE(text->isReadOnly());

    klicke(v, v.Infom2, v.Im2b);
    ASSERT_TRUE(waitUntil([&] { return program.find<InfoBox>() != nullptr; }));
    InfoBox& i = *program.find<InfoBox>();
    QWidget* info = view.view(i)->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(info));
    EXPECT_EQ(info->windowTitle(), "D3 Server-Infobox");
    const platform::Version ver = system.AppVersion();
    auto* version = widget<QLabel>(i, "Version");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text().toStdString(), "Version " + std::to_string(ver.Major) + "." +
                                                 std::to_string(ver.Minor) + "." +
                                                 std::to_string(ver.Revision));
    EXPECT_EQ(widget<QLabel>(i, "Label1")->text().toStdString(), adressen::kMacher);

    // Both stay open beside the main window until their own buttons close them.
    EXPECT_TRUE(hilfe->isVisible());
    QTest::mouseClick(widget<QPushButton>(i, "Schliessen"), Qt::LeftButton);
    EXPECT_EQ(program.find<InfoBox>(), nullptr);
    QTest::mouseClick(widget<QPushButton>(h, "Schliessen"), Qt::LeftButton);
    EXPECT_EQ(program.find<Hilfefenster>(), nullptr);
}

TEST_F(MenusDesktop, GamespyKonfigurationCreatesAndDeletesTheFile) {
    Vantor& v = *loadMainWindow<Vantor>();
    auto* bild = widget<QWidget>(v, "spypic");
    ASSERT_NE(bild, nullptr);
    EXPECT_FALSE(bild->isVisible());

    okIn("Zur Zeit ist keine Gamespy.cfg angelegt ! Soll jetzt eine erstellt werden?");
    okIn("Gamespy.cfg wurde angelegt !");
    klicke(v, v.m4, v.m41);
    ASSERT_TRUE(waitUntil([&] { return fs::exists(game("Gamespy.cfg")) && bild->isVisible(); }));
    EXPECT_EQ(testing_support::readBytes(game("Gamespy.cfg")),
              std::string("0\r\n") + adressen::kMasterserver + ":27900\r\n");

    okIn("Eine Gamespy.cfg ist bereitz vorhanden ! Soll diese jetzt gelöscht werden?");
    okIn("Gamespy.cfg wurde gelöscht !");
    klicke(v, v.m4, v.m41);
    ASSERT_TRUE(waitUntil([&] { return !fs::exists(game("Gamespy.cfg")) && !bild->isVisible(); }));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
