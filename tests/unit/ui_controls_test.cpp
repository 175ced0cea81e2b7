// The controls' VB semantics that the windows rely on.
#include <gtest/gtest.h>

#include <filesystem>

#include "FakePlatform.h"
#include "TestFolders.h"
#include "ui/Form.h"
#include "ui/ManualLoop.h"
#include "ui/Program.h"

namespace {

struct TestForm : ui::Form {
    explicit TestForm(ui::Program& p) : ui::Form(p, "TestForm") {
        Check.Click = [this] { ++checkClicks; };
        OptA.Click = [this] { ++optAClicks; };
        OptB.Click = [this] { ++optBClicks; };
        Combo.Click = [this] { ++comboClicks; };
        Combo.Change = [this] { ++comboChanges; };
        List.Click = [this] { ++listClicks; };
        Box.Change = [this] { ++boxChanges; };
        Box.KeyPress = [this](int& k) {
            keys.push_back(k);
            if (k == '!') k = 0;
        };
        Box.KeyUp = [this](int&, int) { ++keyUps; };
        Tick.Tick = [this] { ticks.push_back(loop().busy()); };
    }
    void Form_Load() override { ++loads; }
    void Form_Resize() override { sizes.emplace_back(Width(), Height()); }
    std::vector<std::pair<int, int>> sizes;
    void Form_Unload(int& Cancel) override {
        ++unloads;
        Cancel = refuseUnload;
    }

    ui::Frame Rahmen{this, "Rahmen"};
    ui::Frame Andere{this, "Andere"};
    ui::CheckBox Check{&Rahmen, "Check"};
    ui::OptionButton OptA{&Rahmen, "OptA"};
    ui::OptionButton OptB{&Rahmen, "OptB"};
    ui::OptionButton OptC{&Andere, "OptC"};
    ui::ComboBox Combo{this, "Combo"};
    ui::ListBox List{this, "List"};
    ui::TextBox Box{&Rahmen, "Box"};
    ui::FileListBox Files{this, "Files"};
    ui::Timer Tick{this, "Tick", 100, false};
    ui::CommonDialog Dialog{this, "Dialog"};

    int checkClicks = 0, optAClicks = 0, optBClicks = 0, comboClicks = 0, comboChanges = 0,
        listClicks = 0, boxChanges = 0, keyUps = 0, loads = 0, unloads = 0, refuseUnload = 0;
    std::vector<int> keys;
    std::vector<bool> ticks;
};

class Controls : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    ui::ManualLoop loop;
    testing_support::TempDir dir;
    ui::Program program{fake.services(), loop, dir.path()};
    TestForm& f = program.load<TestForm>();
};

TEST_F(Controls, CheckBoxValueChangeRaisesClickOnlyOnChange) {
    f.Check.Value = 1;
    f.Check.Value = 1;
    f.Check.Value = 2;
    EXPECT_EQ(f.checkClicks, 2);
    f.Check.userClick();  // grayed -> ticked
    EXPECT_EQ(f.Check.Value(), 1);
    f.Check.userClick();
    EXPECT_EQ(f.Check.Value(), 0);
    EXPECT_EQ(f.checkClicks, 4);
}

TEST_F(Controls, OptionButtonsClearOnlyTheirContainer) {
    f.OptC.Value = true;
    f.OptA.Value = true;
    f.OptB.Value = true;
    EXPECT_FALSE(f.OptA.Value());
    EXPECT_TRUE(f.OptB.Value());
    EXPECT_TRUE(f.OptC.Value()) << "another frame's option stays";
    EXPECT_EQ(f.optAClicks, 1);
    EXPECT_EQ(f.optBClicks, 1);
    f.OptB.Value = false;  // none selected is a valid state
    EXPECT_FALSE(f.OptA.Value());
    EXPECT_FALSE(f.OptB.Value());
    EXPECT_EQ(f.optBClicks, 1);
}

TEST_F(Controls, DisabledContainerKeepsChildrensOwnProperties) {
    f.Rahmen.Enabled = false;
    EXPECT_TRUE(f.Check.Enabled());
    EXPECT_FALSE(f.Check.EffectiveEnabled());
    f.Check.userClick();
    EXPECT_EQ(f.Check.Value(), 0) << "a click on a disabled frame's child does nothing";
    f.Check.Value = 1;  // code still can
    EXPECT_EQ(f.checkClicks, 1);
    f.Rahmen.Visible = false;
    EXPECT_TRUE(f.Box.Visible());
    EXPECT_FALSE(f.Box.EffectiveVisible());
}

TEST_F(Controls, ComboSelectionSetsTextAndFreeTextClearsSelection) {
    f.Combo.AddItem("Anarchy");
    f.Combo.AddItem("Hoard");
    f.Combo.ListIndex = 1;
    EXPECT_EQ(f.Combo.Text(), "Hoard");
    EXPECT_EQ(f.comboClicks, 1);
    EXPECT_EQ(f.comboChanges, 0);
    f.Combo.Text = "CTF";
    EXPECT_EQ(f.Combo.ListIndex(), -1);
    EXPECT_EQ(f.comboChanges, 1);
    EXPECT_THROW(f.Combo.ListIndex = 5, ui::RuntimeError);
    EXPECT_EQ(f.Combo.ListIndex(), -1);
}

TEST_F(Controls, MultiSelectListRaisesClickPerChange) {
    f.List.MultiSelect = 1;
    for (const char* s : {"a", "b", "c"}) f.List.AddItem(s);
    f.List.SetSelected(0, true);
    f.List.SetSelected(2, true);
    f.List.SetSelected(2, true);
    EXPECT_EQ(f.listClicks, 2);
    EXPECT_EQ(f.List.SelCount(), 2);
    f.List.RemoveItem(0);
    EXPECT_FALSE(f.List.Selected(0));
    EXPECT_TRUE(f.List.Selected(1));
    EXPECT_THROW(f.List.Selected(2), ui::RuntimeError);
}

TEST_F(Controls, TextBoxKeysGoThroughKeyPress) {
    f.Box.MaxLength = 3;
    f.Box.userTypes("a!bä");
    EXPECT_EQ(f.Box.Text(), "abä");
    EXPECT_EQ(f.keys, (std::vector<int>{'a', '!', 'b', 228}));
    EXPECT_EQ(f.keyUps, 4);
    f.Box.userTypes("c");
    EXPECT_EQ(f.Box.Text(), "abä") << "MaxLength limits typing";
    f.Box.userKey(8);
    EXPECT_EQ(f.Box.Text(), "ab");
    f.Box.Text = "longer than three";
    EXPECT_EQ(f.Box.Text(), "longer than three") << "but not code";
    f.Box.Locked = true;
    f.Box.userTypes("x");
    EXPECT_EQ(f.Box.Text(), "longer than three");
    EXPECT_EQ(f.boxChanges, 5);
}

TEST_F(Controls, MultiLineEnterAndBackspaceTreatTheLineBreakAsOne) {
    f.Box.MultiLine = true;
    f.Box.userTypes("a");
    f.Box.userKey(13);
    EXPECT_EQ(f.Box.Text(), "a\r\n");
    f.Box.userKey(8);
    EXPECT_EQ(f.Box.Text(), "a");
    EXPECT_EQ(f.Box.SelStart(), 1);
}

TEST_F(Controls, FileListReadsOnlyOnPathAndRefresh) {
    using testing_support::writeBytes;
    writeBytes(dir / "b.mn3", "");
    writeBytes(dir / "A.MN3", "");
    writeBytes(dir / ".hidden.mn3", "");
    writeBytes(dir / "x.txt", "");
    std::filesystem::create_directory(dir / "sub.mn3");
    f.Files.Pattern = "*.mn3";
    f.Files.setPath(dir.path());
    ASSERT_EQ(f.Files.ListCount(), 2);
    EXPECT_EQ(f.Files.List(0), "A.MN3");
    EXPECT_EQ(f.Files.List(1), "b.mn3");
    writeBytes(dir / "c.mn3", "");
    EXPECT_EQ(f.Files.ListCount(), 2) << "no re-read without Refresh";
    f.Files.Refresh();
    EXPECT_EQ(f.Files.ListCount(), 3);
    EXPECT_THROW(f.Files.setPath(dir / "missing"), ui::RuntimeError);
    EXPECT_EQ(f.Files.Path(), dir.path());
    EXPECT_EQ(f.Files.ListCount(), 3);
}

// The status poll re-reads two folders every second: a listing that did not
// change tells the view nothing, one that changed does.
TEST_F(Controls, FileListRefreshReportsOnlyChangedListings) {
    struct Zähler : ui::Observer {
        std::vector<std::string> seen;
        void propertyChanged(ui::Control&, const char* p) override { seen.push_back(p); }
    } zähler;
    using testing_support::writeBytes;
    writeBytes(dir / "b.tmp", "");
    writeBytes(dir / "A.tmp", "");
    f.Files.setPath(dir.path());
    f.Files.ListIndex = 1;
    f.setObserver(&zähler);
    f.Files.Refresh();
    f.Files.Refresh();
    EXPECT_EQ(zähler.seen, std::vector<std::string>{"ListIndex"}) << "only the selection goes";
    EXPECT_EQ(f.Files.ListIndex(), -1);
    writeBytes(dir / "c.tmp", "");
    f.Files.Refresh();
    EXPECT_EQ(zähler.seen.back(), "List");
    ASSERT_EQ(f.Files.ListCount(), 3);
    EXPECT_EQ(f.Files.List(0), "A.tmp");
    EXPECT_EQ(f.Files.List(2), "c.tmp");
    f.setObserver(nullptr);
}

TEST_F(Controls, TimerTicksKeepPhaseAndRestartOnNewInterval) {
    f.Tick.Enabled = true;
    loop.advance(250);
    EXPECT_EQ(f.ticks.size(), 2u);
    f.Tick.Enabled = true;  // already on: phase kept
    loop.advance(50);
    EXPECT_EQ(f.ticks.size(), 3u);
    f.Tick.Interval = 100;  // same value: nothing
    f.Tick.Interval = 40;  // new period from now (t=300)
    loop.advance(39);
    EXPECT_EQ(f.ticks.size(), 3u);
    loop.advance(1);
    EXPECT_EQ(f.ticks.size(), 4u);
    f.Tick.Enabled = false;
    loop.advance(1000);
    EXPECT_EQ(f.ticks.size(), 4u);
    for (bool busy : f.ticks) EXPECT_TRUE(busy) << "a tick runs as a procedure of its own";
}

TEST_F(Controls, TicksDueDuringAProcedureAreHeldAndDeliveredOnce) {
    f.Tick.Enabled = true;
    loop.dispatch([&] {
        loop.advance(350);  // three ticks fall due while the procedure runs
        EXPECT_TRUE(f.ticks.empty());
    });
    EXPECT_EQ(f.ticks.size(), 1u);
    loop.dispatch([&] {
        loop.advance(100);
        f.Tick.Enabled = false;  // a held tick of a stopped timer is dropped
    });
    EXPECT_EQ(f.ticks.size(), 1u);
}

TEST_F(Controls, LoadRunsOnceAndUnloadCanBeRefused) {
    EXPECT_EQ(&program.load<TestForm>(), &f);
    EXPECT_EQ(f.loads, 1);
    f.refuseUnload = 1;
    EXPECT_FALSE(program.unload(f));
    EXPECT_NE(program.find<TestForm>(), nullptr);
    f.refuseUnload = 0;
    f.Tick.Enabled = true;
    EXPECT_TRUE(program.unload(f));
    EXPECT_EQ(program.find<TestForm>(), nullptr);
    EXPECT_FALSE(loop.isRunning(f.Tick)) << "an unloaded window ticks no more";
    TestForm& again = program.load<TestForm>();
    EXPECT_EQ(again.loads, 1) << "a new instance from its design values";
    EXPECT_FALSE(again.Tick.Enabled());
}

TEST_F(Controls, EndThrowsInTheFakes) {
    EXPECT_THROW(program.End(), ui::ProgramEnded);
    EXPECT_TRUE(fake.ended);
}

TEST_F(Controls, CommonDialogPropertiesPersistAndCancelIsReported) {
    f.Dialog.Filter = "Konfiguration|*.cfg|";
    f.Dialog.DialogTitle = "Laden";
    fake.answerOpen(std::string("/x/a.cfg"));
    EXPECT_TRUE(f.Dialog.ShowOpen());
    EXPECT_EQ(f.Dialog.FileName(), "/x/a.cfg");
    EXPECT_EQ(f.Dialog.FileTitle(), "a.cfg");
    fake.answerOpen(std::nullopt);
    EXPECT_FALSE(f.Dialog.ShowOpen());
    EXPECT_EQ(f.Dialog.FileName(), "/x/a.cfg");
    ASSERT_EQ(fake.openRequests.size(), 2u);
    EXPECT_EQ(fake.openRequests[1].Filter, "Konfiguration|*.cfg|");
    EXPECT_EQ(fake.openRequests[1].FileName, "/x/a.cfg");
    f.Dialog.CancelError = true;
    fake.answerSave(std::nullopt);
    try {
        f.Dialog.ShowSave();
        ADD_FAILURE() << "cancel must raise";
    } catch (const ui::RuntimeError& e) {
        EXPECT_EQ(e.Number, 32755);
    }
}

}  // namespace

namespace {

struct FailingForm : ui::Form {
    explicit FailingForm(ui::Program& p) : ui::Form(p, "FailingForm") {
        Tick.Tick = [this] { ++ticks; };
    }
    ui::Timer Tick{this, "Tick", 50, true};
    int ticks = 0;
};

TEST(EventLoopErrors, NoTickRunsWhileTheErrorIsShown) {
    fakes::FakePlatform fake;
    ui::ManualLoop loop;
    testing_support::TempDir dir;
    ui::Program program{fake.services(), loop, dir.path()};
    FailingForm& f = program.load<FailingForm>();
    int ticksWhileShown = -1;
    loop.unhandledError = [&](std::exception_ptr) {
        loop.advance(500);  // the user reads the message for a while
        ticksWhileShown = f.ticks;
    };
    loop.dispatch([] { throw ui::RuntimeError(5, "kaputt"); });
    EXPECT_EQ(ticksWhileShown, 0);
    EXPECT_EQ(f.ticks, 1) << "the held tick comes once, after the message";
}

}  // namespace

TEST(FormResize, RaisedOnceAtTheFirstShowAndThenOnlyWhenTheSizeChanges) {
    fakes::FakePlatform fake;
    ui::ManualLoop loop;
    ui::Program program(fake.services(), loop, ".");
    TestForm& f = program.load<TestForm>();
    f.Width = 6000;
    f.Height = 4000;
    EXPECT_TRUE(f.sizes.empty());
    f.Show();
    f.Hide();
    f.Show();
    f.userResize(6000, 4000);
    f.userResize(5000, 4000);
    f.userResize(5000, 100);
    using P = std::pair<int, int>;
    EXPECT_EQ(f.sizes, (std::vector<P>{P{6000, 4000}, P{5000, 4000}, P{5000, 100}}));
}
