// The real Qt view on a small test window: clicks and keys on real widgets
// reach the controls, property changes reach the widgets, and ticks wait
// for a procedure that shows a modal box.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QElapsedTimer>
#include <QTimer>

#include "FakePlatform.h"
#include "TestFolders.h"
#include "desktop/view/Convert.h"
#include "desktop/view/QtLoop.h"
#include "desktop/view/QtServices.h"
#include "desktop/view/QtView.h"
#include "launcher/Vantor.h"
#include "launcher/erster.h"
#include "ui/Program.h"

namespace {

class Testfenster : public ui::Form {
public:
    explicit Testfenster(ui::Program& p) : ui::Form(p, "Testfenster") {
        Caption = "Test";
        BorderStyle = ui::vbFixedSingle;
        ScaleWidth = 6000;
        ScaleHeight = 4500;
        Knopf.Move(120, 120, 1500, 375);
        Knopf.Caption = "Los";
        Knopf.Click = [this] {
            ++klicks;
            if (nachKlick) nachKlick();
        };
        Eingabe.Move(120, 600, 3000, 285);
        Eingabe.KeyPress = [this](int& k) {
            tasten.push_back(k);
            if (k == 'x' || k == 0xB4) k = 0;  // as a filter of special characters
        };
        Eingabe.Change = [this] { ++änderungen; };
        Mehrzeilig.MultiLine = true;
        Mehrzeilig.Move(3300, 120, 2500, 1200);
        Anzeige.Move(120, 1000, 3000, 255);
        Anzeige.Caption = "vorher";
        Rahmen.Move(120, 1400, 4000, 1500);
        Rahmen.Caption = "Rahmen";
        Haken.Move(120, 240, 2000, 255);
        Haken.Caption = "Haken";
        Haken.Click = [this] { ++hakenKlicks; };
        OptionA.Move(120, 600, 1500, 255);
        OptionA.Caption = "A";
        OptionB.Move(1800, 600, 1500, 255);
        OptionB.Caption = "B";
        Liste.Move(120, 3000, 2000, 1200);
        Liste.AddItem("eins");
        Liste.AddItem("zwei");
        Liste.Click = [this] { ++listenKlicks; };
        Uhr.Tick = [this] { ticks.push_back(prozedurLäuft); };
        Öffnen.Click = [this] { ++menüKlicks; };
    }

    void Form_Unload(int& Cancel) override { Cancel = schliessenAbweisen ? 1 : 0; }

    ui::CommandButton Knopf{this, "Knopf"};
    ui::TextBox Eingabe{this, "Eingabe"};
    ui::Label Anzeige{this, "Anzeige"};
    ui::TextBox Mehrzeilig{this, "Mehrzeilig"};
    ui::Frame Rahmen{this, "Rahmen"};
    ui::CheckBox Haken{&Rahmen, "Haken"};
    ui::OptionButton OptionA{&Rahmen, "OptionA"};
    ui::OptionButton OptionB{&Rahmen, "OptionB"};
    ui::ListBox Liste{this, "Liste"};
    ui::Timer Uhr{this, "Uhr", 40, false};
    ui::Menu Datei{this, "Datei", "&Datei"};
    ui::Menu Öffnen{&Datei, "Öffnen", "Öffnen"};
    ui::Menu Strich{&Datei, "Strich", "-"};
    ui::Menu Ende{&Datei, "Ende", "Beenden"};

    int klicks = 0, änderungen = 0, hakenKlicks = 0, listenKlicks = 0, menüKlicks = 0;
    std::vector<int> tasten;
    std::vector<bool> ticks;  // for each tick: whether a procedure was running
    bool prozedurLäuft = false;
    bool schliessenAbweisen = false;
    std::function<void()> nachKlick;
};

// Handles the next modal message box once it shows: by default clicks its
// default button.
void onNextBox(std::function<void(QMessageBox*)> handle, int afterMs = 0) {
    QTimer::singleShot(afterMs, [handle] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            onNextBox(handle, 20);  // not up yet
            return;
        }
        handle(box);
    });
}

// The same for any modal dialog of type D.
template <class D>
void onNextDialog(std::function<void(D*)> handle, int afterMs = 0) {
    QTimer::singleShot(afterMs, [handle] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!dialog) {
            onNextDialog<D>(handle, 20);
            return;
        }
        handle(dialog);
    });
}

void answerNextBox(QString* text, int afterMs = 0) {
    onNextBox(
        [text](QMessageBox* box) {
            if (text) *text = box->text();
            box->defaultButton() ? box->defaultButton()->click() : box->accept();
        },
        afterMs);
}

class ViewTest : public ::testing::Test {
protected:
    ViewTest() {
        window = &program.load<Testfenster>();
        window->Show();
        qwin = view.view(*window)->window();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(qwin));
    }

    template <class W>
    W* find(const char* name) {
        W* w = qwin->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    fakes::FakePlatform fake;
    desktop::QtPrinter printer;
    desktop::QtDialogs dialogs{printer};
    platform::Platform services{dialogs, fake, fake, fake, fake};
    desktop::QtLoop loop;
    testing_support::TempDir folder;
    ui::Program program{services, loop, folder.path()};
    desktop::QtView view{program};
    Testfenster* window = nullptr;
    QWidget* qwin = nullptr;
};

TEST_F(ViewTest, ClickOnRealButtonRunsItsProcedure) {
    QTest::mouseClick(find<QPushButton>("Knopf"), Qt::LeftButton);
    EXPECT_EQ(window->klicks, 1);
}

TEST_F(ViewTest, WidgetsCarryTheirControlsNamesAndPlaces) {
    auto* knopf = find<QPushButton>("Knopf");
    EXPECT_EQ(knopf->geometry(), QRect(8, 8, 100, 25));  // twips / 15
    auto* haken = find<QCheckBox>("Haken");
    EXPECT_EQ(haken->parentWidget(), find<QGroupBox>("Rahmen"));
    EXPECT_EQ(qwin->windowTitle(), "Test");
}

TEST_F(ViewTest, PropertyChangesShowOnTheWidgets) {
    window->Anzeige.Caption = "nachher";
    EXPECT_EQ(find<QLabel>("Anzeige")->text(), "nachher");
    window->Eingabe.Text = "Hallo";
    EXPECT_EQ(find<QLineEdit>("Eingabe")->text(), "Hallo");
    window->Caption = "Neuer Titel";
    EXPECT_EQ(qwin->windowTitle(), "Neuer Titel");
    window->Knopf.Enabled = false;
    EXPECT_FALSE(find<QPushButton>("Knopf")->isEnabled());
}

TEST_F(ViewTest, DisabledOrHiddenFrameTakesItsChildrenOutOfUse) {
    auto* haken = find<QCheckBox>("Haken");
    window->Rahmen.Enabled = false;
    EXPECT_FALSE(haken->isEnabled());
    EXPECT_TRUE(window->Haken.Enabled());  // its own property stays
    QTest::mouseClick(haken, Qt::LeftButton);
    EXPECT_EQ(window->hakenKlicks, 0);
    window->Rahmen.Enabled = true;
    EXPECT_TRUE(haken->isEnabled());

    window->Rahmen.Visible = false;
    EXPECT_FALSE(haken->isVisible());
    EXPECT_TRUE(window->Haken.Visible());
    window->Rahmen.Visible = true;
    EXPECT_TRUE(haken->isVisible());
}

TEST_F(ViewTest, FormVisibleFollowsShowAndHide) {
    window->Hide();
    EXPECT_FALSE(qwin->isVisible());
    window->Show();
    EXPECT_TRUE(qwin->isVisible());
}

TEST_F(ViewTest, KeyThatKeyPressDropsNeverReachesTheTextBox) {
    auto* edit = find<QLineEdit>("Eingabe");
    edit->setFocus();
    QTest::keyClicks(edit, "axb");
    EXPECT_EQ(window->tasten, (std::vector<int>{'a', 'x', 'b'}));
    EXPECT_EQ(window->Eingabe.Text(), "ab");
    EXPECT_EQ(edit->text(), "ab");
    EXPECT_EQ(edit->cursorPosition(), 2);
}

TEST_F(ViewTest, EnterAndBackspaceGoThroughKeyPress) {
    auto* edit = find<QLineEdit>("Eingabe");
    QTest::keyClicks(edit, "abc");
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(window->tasten, (std::vector<int>{'a', 'b', 'c', 8, 13}));
    EXPECT_EQ(window->Eingabe.Text(), "ac");  // the caret stood after "b"
    EXPECT_EQ(edit->text(), "ac");
}

TEST_F(ViewTest, MultiLineBoxHoldsCrLfAndShowsOneLineBreak) {
    auto* edit = find<QPlainTextEdit>("Mehrzeilig");
    QTest::keyClicks(edit, "ab");
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, "c");
    EXPECT_EQ(window->Mehrzeilig.Text(), "ab\r\nc");
    EXPECT_EQ(edit->toPlainText(), "ab\nc");
    EXPECT_EQ(edit->textCursor().position(), 4);
    EXPECT_EQ(window->Mehrzeilig.SelStart(), 5);
    window->Mehrzeilig.Text = "x\r\ny\r\nz";
    EXPECT_EQ(edit->toPlainText(), "x\ny\nz");
}

TEST_F(ViewTest, PasteReachesTheTextBoxAsAWholeWithoutKeyPress) {
    auto* edit = find<QLineEdit>("Eingabe");
    QApplication::clipboard()->setText("eingefügt");
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(window->tasten.empty());
    EXPECT_EQ(window->Eingabe.Text(), "eingefügt");
    EXPECT_EQ(window->änderungen, 1);
}

struct Typed {
    QString character;
    std::vector<int> codes;  // as KeyPress gets them
    std::string text;        // in the text box afterwards
};

class TypedCharacter : public ViewTest, public ::testing::WithParamInterface<Typed> {};

TEST_P(TypedCharacter, ArrivesAsItsAnsiCode) {
    auto* edit = find<QLineEdit>("Eingabe");
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, GetParam().character, Qt::NoModifier);
    EXPECT_EQ(window->tasten, GetParam().codes);
    EXPECT_EQ(window->Eingabe.Text(), GetParam().text);
    EXPECT_EQ(edit->text().toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Umlauts, TypedCharacter,
    ::testing::Values(Typed{QStringLiteral("ä"), {0xE4}, "ä"}, Typed{QStringLiteral("Ö"), {0xD6}, "Ö"},
                      Typed{QStringLiteral("ß"), {0xDF}, "ß"}, Typed{QStringLiteral("€"), {0x80}, "€"},
                      // Outside the code page: no key at all.
                      Typed{QStringLiteral("Ω"), {}, ""}));

// QTest::keyClicks stops at the first character outside ASCII (Qt 6.4's
// testlib asserts), so umlauts are typed as key events that carry their text,
// as the X11 keyboard delivers them.
void typeText(QWidget* w, const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, static_cast<Qt::Key>(c.toUpper().unicode()), QString(c),
                            Qt::NoModifier);
}

TEST_F(ViewTest, UmlautsTypedAmongOtherKeysArriveAsTheirAnsiCodes) {
    typeText(find<QLineEdit>("Eingabe"), QStringLiteral("Grüße"));
    EXPECT_EQ(window->tasten, (std::vector<int>{'G', 'r', 0xFC, 0xDF, 'e'}));
    EXPECT_EQ(window->Eingabe.Text(), "Grüße");
}

// A dead key or an input method hands over the composed text in one event.
TEST_F(ViewTest, ComposedTextGoesThroughKeyPressCharacterByCharacter) {
    auto* edit = find<QLineEdit>("Eingabe");
    edit->setFocus();
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("´éΩ"));
    QCoreApplication::sendEvent(edit, &composed);
    EXPECT_EQ(window->tasten, (std::vector<int>{0xB4, 0xE9}));  // Ω is not in the code page
    EXPECT_EQ(window->Eingabe.Text(), "é");
    EXPECT_EQ(edit->text(), QStringLiteral("é"));
    EXPECT_EQ(window->änderungen, 1);
}

// While a composition is under way the widget shows it, and the text box
// gets nothing until it is committed.
TEST_F(ViewTest, CompositionUnderWayStaysInTheWidget) {
    auto* edit = find<QLineEdit>("Eingabe");
    edit->setFocus();
    QInputMethodEvent pending(QStringLiteral("´"), {});
    QCoreApplication::sendEvent(edit, &pending);
    EXPECT_TRUE(window->tasten.empty());
    EXPECT_EQ(window->Eingabe.Text(), "");

    // Committed together with the start of the next composition.
    QInputMethodEvent next(QStringLiteral("`"), {});
    next.setCommitString(QStringLiteral("a"));
    QCoreApplication::sendEvent(edit, &next);
    EXPECT_EQ(window->tasten, std::vector<int>{'a'});
    EXPECT_EQ(window->Eingabe.Text(), "a");
    EXPECT_EQ(edit->text(), QStringLiteral("a"));
}

TEST_F(ViewTest, OptionButtonsFollowTheControlsNotQt) {
    auto* a = find<QRadioButton>("OptionA");
    auto* b = find<QRadioButton>("OptionB");
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_TRUE(window->OptionB.Value());
    EXPECT_TRUE(b->isChecked());
    QTest::mouseClick(a, Qt::LeftButton);
    EXPECT_FALSE(window->OptionB.Value());
    EXPECT_FALSE(b->isChecked());
    EXPECT_TRUE(a->isChecked());
    // A click on the selected option leaves it selected.
    QTest::mouseClick(a, Qt::LeftButton);
    EXPECT_TRUE(a->isChecked());
    EXPECT_TRUE(window->OptionA.Value());
}

TEST_F(ViewTest, GrayedCheckBoxShowsPartlyAndAClickTicksIt) {
    auto* haken = find<QCheckBox>("Haken");
    window->Haken.Value = 2;
    EXPECT_EQ(haken->checkState(), Qt::PartiallyChecked);
    QTest::mouseClick(haken, Qt::LeftButton);
    EXPECT_EQ(window->Haken.Value(), 1);
    EXPECT_EQ(haken->checkState(), Qt::Checked);
}

TEST_F(ViewTest, ClickInListSelectsThroughTheControl) {
    auto* liste = find<QListWidget>("Liste");
    const QRect zwei = liste->visualItemRect(liste->item(1));
    QTest::mouseClick(liste->viewport(), Qt::LeftButton, {}, zwei.center());
    EXPECT_EQ(window->Liste.ListIndex(), 1);
    EXPECT_EQ(window->listenKlicks, 1);
    window->Liste.ListIndex = 0;
    EXPECT_TRUE(liste->item(0)->isSelected());
    EXPECT_FALSE(liste->item(1)->isSelected());
}

TEST_F(ViewTest, MenuItemsFollowTheirControlsAndRaiseClick) {
    auto* öffnen = qwin->findChild<QAction*>("Öffnen");
    ASSERT_NE(öffnen, nullptr);
    EXPECT_TRUE(qwin->findChild<QAction*>("Strich")->isSeparator());
    öffnen->trigger();
    EXPECT_EQ(window->menüKlicks, 1);
    window->Öffnen.Enabled = false;
    EXPECT_FALSE(öffnen->isEnabled());
    window->Ende.Visible = false;
    EXPECT_FALSE(qwin->findChild<QAction*>("Ende")->isVisible());
}

TEST_F(ViewTest, TickDueWhileModalBoxIsOpenComesOnlyAfterItCloses) {
    window->Uhr.Enabled = true;
    window->nachKlick = [this] {
        window->prozedurLäuft = true;
        answerNextBox(nullptr, 300);  // several intervals of the timer
        program.platform.dialogs.MsgBox("Warte", platform::vbOKOnly, "");
        window->prozedurLäuft = false;
    };
    QTest::mouseClick(find<QPushButton>("Knopf"), Qt::LeftButton);
    // The held tick came right after the procedure, once.
    ASSERT_EQ(window->ticks.size(), 1u);
    EXPECT_FALSE(window->ticks[0]);
    QTest::qWait(200);
    EXPECT_GT(window->ticks.size(), 1u);  // and the timer runs on
    for (bool during : window->ticks) EXPECT_FALSE(during);
}

TEST_F(ViewTest, ErrorEscapingAProcedureIsShownAndTheToolGoesOn) {
    window->nachKlick = [] { throw ui::RuntimeError(76, "Path not found"); };
    QString shown;
    answerNextBox(&shown);
    QTest::mouseClick(find<QPushButton>("Knopf"), Qt::LeftButton);
    EXPECT_TRUE(shown.contains("Path not found")) << shown.toStdString();
    window->nachKlick = nullptr;
    QTest::mouseClick(find<QPushButton>("Knopf"), Qt::LeftButton);
    EXPECT_EQ(window->klicks, 2);
}

TEST_F(ViewTest, CloseBoxAsksTheWindowWhichMayRefuse) {
    window->schliessenAbweisen = true;
    qwin->close();
    EXPECT_EQ(program.find<Testfenster>(), window);
    EXPECT_TRUE(qwin->isVisible());

    window->schliessenAbweisen = false;
    QPointer<QWidget> weg(qwin);
    qwin->close();
    EXPECT_EQ(program.find<Testfenster>(), nullptr);
    QTest::qWait(50);  // the widgets go once Qt is done with the event
    EXPECT_TRUE(weg.isNull());
}

TEST(MessageBox, TitleIsTheGivenOneOrTheApplications) {
    desktop::QtPrinter printer;
    desktop::QtDialogs dialogs(printer);
    QString title;
    QMessageBox::Icon icon{};
    onNextBox([&](QMessageBox* box) {
        title = box->windowTitle();
        icon = box->icon();
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(dialogs.MsgBox("Frage?", platform::vbOKCancel | platform::vbQuestion, ""), platform::vbCancel);
    EXPECT_EQ(title, "D3Vantor");
    EXPECT_EQ(icon, QMessageBox::Question);

    onNextBox([&](QMessageBox* box) {
        title = box->windowTitle();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(dialogs.MsgBox("Gespeichert", platform::vbOKOnly, "Talvir"), platform::vbOK);
    EXPECT_EQ(title, "Talvir");
    EXPECT_EQ(icon, QMessageBox::NoIcon);
}

TEST(InputBox, GivesTheTextOrEmptyOnCancel) {
    desktop::QtPrinter printer;
    desktop::QtDialogs dialogs(printer);
    QString label;
    onNextDialog<QInputDialog>([&](QInputDialog* d) {
        label = d->labelText();
        EXPECT_EQ(d->textValue(), "4");
        d->setTextValue("7");
        d->accept();
    });
    EXPECT_EQ(dialogs.InputBox("Wie viele Orbs?", "Hoard", "4"), "7");
    EXPECT_EQ(label, "Wie viele Orbs?");
    onNextDialog<QInputDialog>([](QInputDialog* d) { d->reject(); });
    EXPECT_EQ(dialogs.InputBox("Wie viele Orbs?", "Hoard", "4"), "");
}

TEST(SaveDialog, TakesFilterIndexProposedNameAndOverwriteFlag) {
    desktop::QtPrinter printer;
    desktop::QtDialogs dialogs(printer);
    testing_support::TempDir folder;
    platform::FileDialogRequest request;
    request.DialogTitle = "Speichern unter";
    request.Filter = "Konfiguration|*.cfg|Alle Dateien|*.*|";
    request.FilterIndex = 2;
    request.FileName = folder / "neu.cfg";
    for (int flags : {0, int(platform::cdlOFNOverwritePrompt)}) {
        request.Flags = flags;
        onNextDialog<QFileDialog>([&](QFileDialog* d) {
            EXPECT_EQ(d->windowTitle(), "Speichern unter");
            EXPECT_EQ(d->selectedNameFilter(), "Alle Dateien (*.*)");
            EXPECT_EQ(d->testOption(QFileDialog::DontConfirmOverwrite), flags == 0);
            static_cast<QDialog*>(d)->accept();
        });
        EXPECT_EQ(dialogs.ShowSave(request), folder / "neu.cfg");
    }
    onNextDialog<QFileDialog>([](QFileDialog* d) { d->reject(); });
    EXPECT_EQ(dialogs.ShowOpen(request), std::nullopt);
}

TEST(Printer, PrintsPagesIntoThePdfFileTheEnvironmentNames) {
    testing_support::TempDir folder;
    const std::string pdf = folder / "ausdruck.pdf";
    qputenv("VANTOR_PRINT_PDF", QByteArray::fromStdString(pdf));
    desktop::QtPrinter printer;
    printer.PrintLine("");
    printer.DrawPicture(ASSETS_DIR "/editor.png", 4900, 500);
    printer.SetFontSize(12);
    printer.PrintLine("                     /spiele/d3/fenster.CFG");
    printer.NewPage();
    printer.PrintLine("zweite Seite");
    EXPECT_TRUE(printer.EndDoc());
    qunsetenv("VANTOR_PRINT_PDF");
    const std::string bytes = testing_support::readBytes(pdf);
    ASSERT_EQ(bytes.rfind("%PDF", 0), 0u);
    std::size_t pages = 0;
    for (std::size_t at = bytes.find("/Type /Page\n"); at != std::string::npos;
         at = bytes.find("/Type /Page\n", at + 1))
        ++pages;
    EXPECT_EQ(pages, 2u);
}

TEST(FileDialogFilter, VbFilterBecomesQtNameFilters) {
    EXPECT_EQ(desktop::nameFilters("Konfiguration|*.cfg|Alle Dateien|*.*|"),
              (QStringList{"Konfiguration (*.cfg)", "Alle Dateien (*.*)"}));
    EXPECT_EQ(desktop::nameFilters("Text|*.txt;*.ini"), (QStringList{"Text (*.txt *.ini)"}));
    // A description that names its patterns shows them once.
    EXPECT_EQ(desktop::nameFilters("Alle Dateien (*.CFG)|*.CFG|"),
              (QStringList{"Alle Dateien (*.CFG)"}));
    EXPECT_EQ(desktop::nameFilters("Text (*.txt;*.ini)|*.txt;*.ini|Alle (*.cfg)|*.*|"),
              (QStringList{"Text (*.txt *.ini)", "Alle (*.cfg) (*.*)"}));
    EXPECT_TRUE(desktop::nameFilters("").isEmpty());
}

TEST(TextPositions, CrLfIsOnePlaceInTheWidget) {
    const std::string text = "ab\r\ncd";
    EXPECT_EQ(desktop::widgetPosition(text, 2), 2);
    EXPECT_EQ(desktop::widgetPosition(text, 4), 3);
    EXPECT_EQ(desktop::modelPosition(text, 3), 4);
    EXPECT_EQ(desktop::modelPosition(text, 2), 2);
    EXPECT_EQ(desktop::displayText(text), "ab\ncd");
}

// The real start-up in an empty program folder: the splash loads the main
// window hidden, which opens the game-folder panel over its disabled main area.
TEST(StartUp, EmptyProgramFolderOpensTheGameFolderPanel) {
    fakes::FakePlatform fake;
    desktop::QtLoop loop;
    testing_support::TempDir folder;
    ui::Program program(fake.services(), loop, folder.path());
    desktop::QtView view(program);
    loop.dispatch([&] { program.load<erster>(); });
    Vantor* main = program.find<Vantor>();
    ASSERT_NE(main, nullptr);
    QWidget* win = view.view(*main)->window();
    EXPECT_EQ(win->windowTitle(), "D3 Vantor Server");
    EXPECT_FALSE(win->isVisible());  // shown by its Start timer
    QWidget* panel = win->findChild<QWidget*>("Pfadeinstellung");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisibleTo(win));
    EXPECT_FALSE(win->findChild<QWidget*>("Hauptprog")->isEnabled());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// A check box or option button on a coloured window keeps the colours the
// window gives it, so its caption stays readable.
TEST_F(ViewTest, CheckAndOptionButtonsShowTheirBackColor) {
    window->OptionA.BackColor = 0x800000;  // dark blue (&HBBGGRR)
    window->OptionA.ForeColor = 0xC0FFFF;
    window->Haken.BackColor = 0x800000;
    for (const char* name : {"OptionA", "Haken"}) {
        QWidget* w = find<QWidget>(name);
        const QImage img = w->grab().toImage();
        const QColor corner = img.pixelColor(img.width() - 2, img.height() / 2);
        EXPECT_EQ(corner, QColor(0, 0, 0x80)) << name;
    }
}

// A window on Qt's own loop, for the short timers' shared clocks.
class QtLoopBeat : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    desktop::QtLoop loop;
    testing_support::TempDir folder;
    ui::Program program{fake.services(), loop, folder.path()};
    Testfenster& w = program.load<Testfenster>();
};

// Two short timers started apart tick together, so the running arrows share
// one repaint; each ticks first at least one interval after its start.
TEST_F(QtLoopBeat, ShortTimersStartedApartTickInTheSamePass) {
    ui::Timer a{&w, "A", 25, false}, b{&w, "B", 25, false};
    QElapsedTimer clock;
    std::vector<std::pair<char, qint64>> ticks;
    a.Tick = [&] { ticks.push_back({'a', clock.elapsed()}); };
    b.Tick = [&] { ticks.push_back({'b', clock.elapsed()}); };
    clock.start();
    a.Enabled = true;
    QTest::qWait(10);
    const qint64 bStarted = clock.elapsed();
    b.Enabled = true;
    QTest::qWait(300);
    a.Enabled = false;
    b.Enabled = false;
    std::vector<qint64> aTimes, bTimes;
    for (auto [which, at] : ticks) (which == 'a' ? aTimes : bTimes).push_back(at);
    ASSERT_GE(aTimes.size(), 5u);
    ASSERT_GE(bTimes.size(), 5u);
    EXPECT_GE(aTimes.front(), 25 - 2);
    EXPECT_GE(bTimes.front() - bStarted, 25 - 2);
    // From b's first tick on, every b tick comes right after an a tick.
    int together = 0;
    for (std::size_t i = 1; i < ticks.size(); ++i)
        if (ticks[i].first == 'b' && ticks[i - 1].first == 'a' && ticks[i].second - ticks[i - 1].second <= 1)
            ++together;
    EXPECT_GE(together, static_cast<int>(bTimes.size()) - 1);
}

// A tick that stops every timer of its clock while another is due in the
// same pass (as a window that unloads does) leaves no clock behind to trip
// over; a timer whose short interval changes ticks on its new clock alone;
// and a stopped timer never ticks.
TEST_F(QtLoopBeat, ATimerLeavesEveryClockAndAStoppedOneNeverTicks) {
    ui::Timer a{&w, "A", 20, false}, b{&w, "B", 20, false}, other{&w, "C", 500, false};
    int aTicks = 0, bTicks = 0;
    a.Tick = [&] {
        ++aTicks;
        a.Enabled = false;
        b.Enabled = false;
    };
    b.Tick = [&] { ++bTicks; };
    a.Enabled = true;
    b.Enabled = true;
    QTest::qWait(150);
    other.Enabled = true;  // a start and a stop after the clock went
    other.Enabled = false;
    EXPECT_EQ(aTicks + bTicks, 1);

    bTicks = 0;
    b.Enabled = true;
    b.Interval = 40;
    QTest::qWait(400);
    EXPECT_GE(bTicks, 3);
    EXPECT_LE(bTicks, 11) << "it ticks on its old clock too";
    b.Enabled = false;
    const int stoppedAt = bTicks;
    QTest::qWait(100);
    EXPECT_EQ(bTicks, stoppedAt);
}
