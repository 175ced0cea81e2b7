// The standard dialogs as the running program shows them: in German, Qt's
// own words and the system's reasons alike, and a file dialog that lists
// only what its filter allows. Screenshots go to test-artifacts/.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <functional>

#include "TestFolders.h"
#include "common/SettingsWriter.h"
#include "desktop/German.h"
#include "desktop/view/QtServices.h"
#include "wait_until.h"

namespace {

using desktop_test::waitUntil;

void screenshot(QWidget* w, const QString& name) {
    QDir().mkpath(QStringLiteral(ARTIFACT_DIR));
    const QString path = QStringLiteral(ARTIFACT_DIR "/") + name + QStringLiteral(".png");
    EXPECT_TRUE(w->grab().save(path)) << path.toStdString();
}

// Runs `handle` on the next modal dialog of type D once it shows; a dialog
// that does not show within 15 s fails the test instead of leaving it
// waiting.
template <class D>
void onNextDialog(std::function<void(D*)> handle, int triesLeft = 750) {
    QTimer::singleShot(20, [handle, triesLeft] {
        auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
        if (d) return handle(d);
        if (triesLeft > 0) return onNextDialog<D>(handle, triesLeft - 1);
        ADD_FAILURE() << "no " << D::staticMetaObject.className() << " showed";
        if (QWidget* other = QApplication::activeModalWidget()) other->close();
    });
}

QStringList buttonTexts(QWidget* dialog) {
    QStringList texts;
    for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
        if (b->isVisible() && !b->text().isEmpty()) texts << b->text().remove(QChar('&'));
    return texts;
}

// The names the dialog's file list shows for its current folder.
QStringList listedNames(QFileDialog* d) {
    QStringList names;
    auto* list = d->findChild<QListView*>(QStringLiteral("listView"));
    if (!list || !list->model()) return names;
    QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(list->rootIndex()); ++row)
        names << model->index(row, 0, list->rootIndex()).data().toString();
    return names;
}

TEST(German, SystemReasonsInMessagesAreGerman) {
    EXPECT_STREQ(std::strerror(EROFS), "Das Dateisystem ist nur lesbar");
    EXPECT_STREQ(std::strerror(ENOSPC), "Auf dem Gerät ist kein Speicherplatz mehr verfügbar");
    // As the core hands them to its messages.
    testing_support::TempDir dir;
    std::string reason;
    EXPECT_FALSE(common::writeFileAtomic(dir / "fehlt/Letztes.ini", "x", &reason));
    EXPECT_EQ(reason, "Datei oder Verzeichnis nicht gefunden");
}

TEST(German, MessageBoxButtonsAreGerman) {
    desktop::QtPrinter printer;
    desktop::QtDialogs dialogs(printer);
    QStringList buttons;
    onNextDialog<QMessageBox>([&](QMessageBox* box) {
        buttons = buttonTexts(box);
        box->reject();
    });
    EXPECT_EQ(dialogs.MsgBox("Wirklich?", platform::vbOKCancel, "Talvir"), platform::vbCancel);
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"Abbrechen", "OK"}));
}

// "Konfiguration Speichern unter.." after the game's program was picked in
// the same shared dialog: the filter names *.CFG once, the list holds the
// configurations and not the program, every word is German, and replacing a
// listed file asks in German.
TEST(SaveDialog, ListsOnlyWhatTheFilterAllowsInGerman) {
    testing_support::TempDir game;
    for (const char* name : {"main", "Descent3", "fenster.CFG", "level2.CFG", "notiz.txt"})
        testing_support::writeBytes(game / name, "x");
    desktop::QtPrinter printer;
    desktop::QtDialogs dialogs(printer);
    platform::FileDialogRequest request;
    request.DialogTitle = "Konfiguration speichern";
    request.Filter = "Alle Dateien (*.CFG)|*.CFG|";
    request.FileName = game / "main";
    request.Flags = platform::cdlOFNOverwritePrompt;

    QStringList listed, filters, buttons, labels;
    onNextDialog<QFileDialog>([&](QFileDialog* d) {
        waitUntil([&] { return listedNames(d).contains("fenster.CFG"); });
        listed = listedNames(d);
        filters = d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))
                      ? QStringList{d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText()}
                      : QStringList{};
        buttons = buttonTexts(d);
        for (QLabel* l : d->findChildren<QLabel*>())
            if (l->isVisible()) labels << l->text().remove(QChar('&'));
        screenshot(d, QStringLiteral("save-dialog"));
        d->reject();
    });
    EXPECT_EQ(dialogs.ShowSave(request), std::nullopt);
    listed.sort();
    EXPECT_EQ(listed.join(", "), "fenster.CFG, level2.CFG");
    EXPECT_EQ(filters.join(", "), "Alle Dateien (*.CFG)");
    EXPECT_TRUE(buttons.contains("Speichern")) << buttons.join(", ").toStdString();
    EXPECT_TRUE(buttons.contains("Abbrechen")) << buttons.join(", ").toStdString();
    EXPECT_TRUE(labels.contains("Dateiname:")) << labels.join(", ").toStdString();
    EXPECT_TRUE(labels.contains("Dateien des Typs:")) << labels.join(", ").toStdString();

    // Choosing a listed configuration asks before it is replaced.
    request.FileName = game / "fenster.CFG";
    QString question;
    onNextDialog<QFileDialog>([&](QFileDialog* d) {
        onNextDialog<QMessageBox>([&](QMessageBox* box) {
            question = box->text();
            screenshot(box, QStringLiteral("overwrite-question"));
            box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes)->click() : box->accept();
        });
        // The dialog fills in the proposed name as it gets to it: accepted
        // before that, it would take nothing and stay open.
        auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        waitUntil([&] { return name && name->text() == "fenster.CFG"; });
        static_cast<QDialog*>(d)->accept();
    });
    EXPECT_EQ(dialogs.ShowSave(request), game / "fenster.CFG");
    EXPECT_TRUE(question.contains("existiert bereits")) << question.toStdString();

    // A name typed without an extension gets the one the request gives.
    // The proposal names no listed file, so the listing, which the dialog
    // reads in the background, cannot select one and overwrite the typed
    // name; it is typed once the listing is in.
    request.DefaultExt = "CFG";
    request.FileName = game / "vorschlag";
    onNextDialog<QFileDialog>([&](QFileDialog* d) {
        waitUntil([&] { return listedNames(d).contains("fenster.CFG"); });
        d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("neu"));
        static_cast<QDialog*>(d)->accept();
    });
    EXPECT_EQ(dialogs.ShowSave(request), game / "neu.CFG");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // As the program starts.
    const bool qtGerman = desktop::germanQt(app);
    const bool systemGerman = desktop::germanSystemMessages();
    ::testing::InitGoogleTest(&argc, argv);
    if (!qtGerman || !systemGerman) {
        ADD_FAILURE() << "German translations or locale missing: run scripts/deps.sh";
    }
    return RUN_ALL_TESTS();
}
