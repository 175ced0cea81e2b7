// The configuration-file editor on the real view, opened as the user opens
// it: "Experten" in the saved-servers panel of the main window. It shows the
// slot's file, follows the window's size, saves the edited text through the
// real save dialog and prints the file as loaded into a PDF.
#include <QDate>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "desktop/view/Convert.h"
#include "desktop_fixture.h"
#include "editor/FormEditor.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"

namespace {

using desktop_test::DesktopProgram;
using desktop_test::waitUntil;
namespace fs = std::filesystem;

const std::vector<std::string> kZeilen = {
    "[server config file]", "ConnectionName=Nacht, Spiel", "MOTD=\"Hallo\", Welt",
    "  PPS=8", "Scriptname=Anarchy",
    // Wider than the page: it wraps, and its end is printed too.
    "Zusatz=" + [] {
        std::string w;
        for (int i = 1; i <= 40; ++i) w += "wort" + std::to_string(i) + " ";
        return w + "ENDE";
    }()};

class EditorDesktop : public DesktopProgram {
protected:
    EditorDesktop() {
        // The picture the printout carries lies beside the program.
        fs::copy_file(ASSETS_DIR "/editor.png", programDir / "editor.png");
        config = game("server eins.CFG");
        writeLines(config, kZeilen);
        writeLines(prog(einstellungen::kSTPfad), {gameFolder, "0", "0"});
        testing_support::writeBytes(prog("Servertool.ini"),
                                    einstellungen::erstlaufServertool().bytes());
        einstellungen::AngelegteServer s;
        s.Slots[0] = {"Eins", "Erster Server", config};
        testing_support::writeBytes(prog("STS.ini"), einstellungen::zeilen(s).bytes());
    }

    std::string config;
};

TEST_F(EditorDesktop, ExpertenShowsTheFileSavesTheEditAndPrintsIt) {
    Vantor& v = *loadMainWindow<Vantor>();
    QAction* menu = view.view(v)->action(v.AnM3b);
    ASSERT_NE(menu, nullptr);
    menu->trigger();
    ASSERT_TRUE(v.Angelegte.Visible());
    auto* experten = widget<QPushButton>(v, "ee1");
    ASSERT_NE(experten, nullptr);
    ASSERT_TRUE(experten->isEnabled());
    QTest::mouseClick(experten, Qt::LeftButton);

    FormEditor* e = program.find<FormEditor>();
    ASSERT_NE(e, nullptr);
    QWidget* fenster = view.view(*e)->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fenster));
    EXPECT_EQ(fenster->windowTitle().toStdString(), "CFG-Editor - " + config);
    auto* box = widget<QPlainTextEdit>(*e, "TextfeldEditor");
    ASSERT_NE(box, nullptr);
    std::string gezeigt;
    for (const std::string& z : kZeilen) gezeigt += z + "\n";
    EXPECT_EQ(box->toPlainText().toStdString(), gezeigt);
    EXPECT_TRUE(box->font().fixedPitch() || QFontInfo(box->font()).fixedPitch());

    // The window manager's frame, title bar included, counts from the start.
    EXPECT_TRUE(waitUntil([&] {
        return fenster->frameGeometry().height() > fenster->height() &&
               e->Height() == desktop::twips(fenster->frameGeometry().height());
    }));

    // The window's size reaches the layout.
    fenster->resize(700, 500);
    EXPECT_TRUE(waitUntil([&] {
        return e->Width() == desktop::twips(fenster->frameGeometry().width()) &&
               e->Height() == desktop::twips(fenster->frameGeometry().height()) &&
               e->TextfeldEditor.Width() == e->Width() - 350 &&
               box->width() == desktop::px(e->TextfeldEditor.Width());
    }));

    // An edit at the end, saved under a new name through the save dialog.
    box->setFocus();
    box->moveCursor(QTextCursor::End);
    QTest::keyClicks(box, "Level=2");
    ASSERT_TRUE(waitUntil([&] { return e->TextfeldEditor.Text().ends_with("Level=2"); }));
    const std::string neu = game("neu.CFG");
    expectDialog([&](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->windowTitle().toStdString(), "Speichern unter " + config);
        // The user types the name into the dialog's name box and saves.
        d->setDirectory(QString::fromStdString(gameFolder));
        auto* name = d->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText("neu.CFG");
        static_cast<QDialog*>(d)->accept();
    });
    expectDialog([](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text().toStdString(), "Datei wurde gespeichert!");
        box->accept();
    });
    QTest::mouseClick(widget<QPushButton>(*e, "SchaltflSpeichern"), Qt::LeftButton);
    EXPECT_EQ(testing_support::readBytes(neu), testing_support::crlf(kZeilen) + "Level=2");

    // The printout goes into a PDF and shows the file as loaded.
    const std::string pdf = programDir / "ausdruck.pdf";
    qputenv("VANTOR_PRINT_PDF", QByteArray::fromStdString(pdf));
    expectDialog([](QWidget* w) {
        auto* d = qobject_cast<QPrintDialog*>(w);
        ASSERT_NE(d, nullptr);
        d->accept();
    });
    QTest::mouseClick(widget<QPushButton>(*e, "Drucken"), Qt::LeftButton);
    qunsetenv("VANTOR_PRINT_PDF");
    ASSERT_TRUE(waitUntil([&] { return fs::exists(pdf) && fs::file_size(pdf) > 0; }));
    QProcess text;
    text.start("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
    ASSERT_TRUE(text.waitForFinished(15000));
    const QString gedruckt = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(gedruckt.contains(QString::fromStdString(config))) << gedruckt.toStdString();
    EXPECT_TRUE(gedruckt.contains("Ausdruck vom " + QDate::currentDate().toString("MM-dd-yyyy")));
    EXPECT_TRUE(gedruckt.contains(QString(40, '-')));
    for (std::size_t i = 0; i + 1 < kZeilen.size(); ++i)
        EXPECT_TRUE(gedruckt.contains(QString::fromStdString(kZeilen[i]))) << kZeilen[i];
    EXPECT_TRUE(gedruckt.contains("Zusatz=wort1 "));
    EXPECT_TRUE(gedruckt.contains("wort40")) << gedruckt.toStdString();
    EXPECT_TRUE(gedruckt.contains("ENDE"));
    EXPECT_FALSE(gedruckt.contains("Level=2"));
    QProcess bilder;
    bilder.start("pdfimages", {"-list", QString::fromStdString(pdf)});
    ASSERT_TRUE(bilder.waitForFinished(15000));
    // A header of two lines, then one line per picture: the editor's.
    EXPECT_EQ(QString::fromUtf8(bilder.readAllStandardOutput()).trimmed().split('\n').size(), 3);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
