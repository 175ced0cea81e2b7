// How the windows look on the real view: the communicator's frame over the
// whole window but "Schliessen", a disabled list that looks disabled,
// captions that fit their places and line up with their boxes, the
// countdown window's picture and the start button, the saved-servers
// editor over the whole main area. Screenshots go to
// test-artifacts/ to be looked at.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTest>

#include "FakePlatform.h"
#include "TestFolders.h"
#include "console/Kommunicator.h"
#include "desktop/view/Painted.h"
#include "desktop/view/QtLoop.h"
#include "desktop/view/QtView.h"
#include "launcher/Counterfenster.h"
#include "launcher/Einstellungen.h"
#include "launcher/Vantor.h"
#include "ui/Program.h"

namespace {

void screenshot(QWidget* w, const QString& name) {
    QDir().mkpath(QStringLiteral(ARTIFACT_DIR));
    const QString path = QStringLiteral(ARTIFACT_DIR "/") + name + QStringLiteral(".png");
    EXPECT_TRUE(w->grab().save(path)) << path.toStdString();
}

// The widget's place in its window's client area.
QRect placeIn(QWidget* w, QWidget* window) {
    return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}

// The caption's text stands level with the box's middle.
void expectLevel(QLabel* label, QWidget* box, QWidget* win) {
    const QRect text = label->style()->itemTextRect(label->fontMetrics(), label->contentsRect(),
                                                    label->alignment(), true, label->text());
    const int textMiddle = placeIn(label, win).top() + text.center().y();
    EXPECT_NEAR(textMiddle, placeIn(box, win).center().y(), 1)
        << label->objectName().toStdString() << " beside " << box->objectName().toStdString();
}

class Look : public ::testing::Test {
protected:
    Look() {
        // A game folder is set, so the main window opens on its first page.
        const std::string spiel = testing_support::makeGameFolder(root.path());
        testing_support::writeBytes(programDir / "STPfad.ini",
                                    testing_support::crlf({spiel, "0", "0"}));
        testing_support::writeBytes(programDir / "Servertool.ini",
                                    einstellungen::zeilen(einstellungen::Voreinstellungen{}).bytes());
        testing_support::writeBytes(programDir / "STS.ini", einstellungen::erstlaufSTS().bytes());
        testing_support::writeBytes(
            programDir / "Mod.ini", einstellungen::zeilenMod(einstellungen::standardMods()).bytes());
        for (const QFileInfo& f : QDir(QStringLiteral(ASSETS_DIR)).entryInfoList(QDir::Files))
            QFile::copy(f.filePath(), QString::fromStdString(programDir / f.fileName().toStdString()));
    }

    template <class W>
    W& open() {
        loop.dispatch([this] { program.load<W>(); });
        W* w = program.find<W>();
        EXPECT_NE(w, nullptr);
        w->Show();
        QWidget* win = view.view(*w)->window();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(win));
        return *w;
    }
    QWidget* windowOf(const ui::Form& f) { return view.view(f)->window(); }
    template <class T>
    T* widget(const ui::Form& f, const char* name) {
        T* w = windowOf(f)->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    testing_support::TempDir programDir, root;
    fakes::FakePlatform fake;
    desktop::QtLoop loop;
    ui::Program program{fake.services(), loop, programDir.path()};
    desktop::QtView view{program};
};

TEST_F(Look, AutotexteCoverTheCommunicatorButSchliessen) {
    Kommunicator& k = open<Kommunicator>();
    QWidget* win = windowOf(k);
    screenshot(win, QStringLiteral("kommunicator"));
    // The level-pack list is out of use, and shows it.
    auto* liste = widget<QListWidget>(k, "Gruppenliste");
    EXPECT_FALSE(liste->isEnabled());
    const QImage image = liste->grab().toImage();
    const QColor inside = image.pixelColor(image.width() / 2, image.height() / 2);
    EXPECT_NE(inside, liste->palette().color(QPalette::Active, QPalette::Base))
        << "a disabled list has the ground of a disabled box";

    expectLevel(widget<QLabel>(k, "Label15"), widget<QWidget>(k, "Endmin"), win);

    loop.dispatch([&] { k.atz.userClick(); });
    ASSERT_TRUE(k.autotexte.Visible());
    QTest::qWait(50);
    screenshot(win, QStringLiteral("kommunicator-autotexte"));
    auto* frame = widget<QGroupBox>(k, "autotexte");
    auto* schliessen = widget<QPushButton>(k, "beenden");
    const QRect covered = placeIn(frame, win);
    EXPECT_EQ(covered, QRect(QPoint(0, 0), frame->parentWidget()->size()));
    // Every other control of the main area lies beneath the frame; only
    // "Schliessen" stays in use above it.
    for (QWidget* w : frame->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w == frame || w == schliessen || !w->isVisible()) continue;
        EXPECT_TRUE(covered.contains(placeIn(w, win))) << w->objectName().toStdString();
    }
    expectLevel(widget<QLabel>(k, "Label4"), widget<QWidget>(k, "Text1"), win);
    expectLevel(widget<QLabel>(k, "Label2"), widget<QWidget>(k, "t1text"), win);
    expectLevel(widget<QLabel>(k, "Label3"), widget<QWidget>(k, "t1text"), win);
    const QPoint middle = schliessen->rect().center();
    EXPECT_EQ(win->childAt(schliessen->mapTo(win, middle)), schliessen);
    // Nothing of the frame lies under "Schliessen".
    for (QWidget* w : frame->findChildren<QWidget*>()) {
        if (w->isVisible()) {
            EXPECT_FALSE(placeIn(w, win).intersects(placeIn(schliessen, win)))
                << w->objectName().toStdString();
        }
    }
}

TEST_F(Look, MainWindowCaptionsFitAndLineUpWithTheirBoxes) {
    Vantor& v = open<Vantor>();
    QWidget* win = windowOf(v);
    QTest::qWait(50);
    screenshot(win, QStringLiteral("vantor"));
    const std::pair<const char*, const char*> pairs[] = {
        {"LabelSpielname", "Spielname"},   {"LabelSpieletyp", "Spieletyp"},
        {"LabelLevel", "Levelname"},       {"LabelConfigname", "Configname"},
        {"LabelBegrüssung", "Begrüssungstext"}};
    for (const auto& [labelName, boxName] : pairs) {
        auto* label = widget<QLabel>(v, labelName);
        QWidget* box = widget<QWidget>(v, boxName);
        if (!label || !box) continue;
        // Not clipped: the text fits the label, and the label ends before its box.
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
            << labelName;
        EXPECT_LE(placeIn(label, win).right(), placeIn(box, win).left()) << labelName;
        expectLevel(label, box, win);
    }
    // "START" (white on the green picture) keeps away from the button's edges.
    auto* start = widget<QPushButton>(v, "SStart");
    ASSERT_NE(start, nullptr);
    const QImage button = start->grab().toImage();
    QRect green, letters;
    for (int y = 0; y < button.height(); ++y)
        for (int x = 0; x < button.width(); ++x) {
            const QColor c = button.pixelColor(x, y);
            if (c.green() > c.red() + 60) green |= QRect(x, y, 1, 1);
        }
    for (int y = green.top(); y <= green.bottom(); ++y)
        for (int x = green.left(); x <= green.right(); ++x) {
            const QColor c = button.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 200 && c.blue() > 200) letters |= QRect(x, y, 1, 1);
        }
    screenshot(start, QStringLiteral("start-button"));
    ASSERT_FALSE(letters.isEmpty());
    EXPECT_GE(green.right() - letters.right(), 6) << "START touches the picture's edge";
    EXPECT_GE(start->width() - 1 - green.right(), 3) << "the picture touches the button's edge";
}

TEST_F(Look, SavedServersEditorCoversTheMainArea) {
    Vantor& v = open<Vantor>();
    QWidget* win = windowOf(v);
    loop.dispatch([&] { v.AnM3b.userClick(); });
    ASSERT_TRUE(v.Angelegte.Visible());
    QTest::qWait(50);
    screenshot(win, QStringLiteral("vantor-angelegte"));
    const QRect covered = placeIn(widget<QWidget>(v, "Angelegte"), win);
    // Nothing of the main area, the start button included, shows below or
    // beside the panel.
    auto* hauptprog = widget<QWidget>(v, "Hauptprog");
    for (QWidget* w : hauptprog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!w->isVisible()) continue;
        const QRect place = placeIn(w, win) & win->rect();
        EXPECT_TRUE(covered.contains(place)) << w->objectName().toStdString();
    }
}

TEST_F(Look, CountdownPictureIsDrawnSharp) {
    Counterfenster& c = open<Counterfenster>();
    loop.dispatch([&] { c.Timer4.Enabled = false; });  // it would end the program
    QWidget* win = windowOf(c);
    QTest::qWait(50);
    screenshot(win, QStringLiteral("counterfenster"));
    auto* bild = widget<desktop::PictureWidget>(c, "Bild");
    ASSERT_NE(bild, nullptr);
    const QSize picture = bild->picture().size();
    const QImage shown = bild->grab().toImage();
    // Every pixel of the picture shows as whole pixels: no blending of
    // neighbours, which an enlargement by a fraction would bring.
    const QImage original = bild->picture().toImage().convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> originalColours;
    for (int y = 0; y < original.height(); ++y)
        for (int x = 0; x < original.width(); ++x) originalColours.insert(original.pixel(x, y));
    int foreign = 0, drawn = 0;
    const QImage s = shown.convertToFormat(QImage::Format_RGB32);
    const QRect area = bild->pictureRect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            ++drawn;
            if (!originalColours.contains(s.pixel(x, y))) ++foreign;
        }
    EXPECT_GT(drawn, picture.width() * picture.height() / 2);
    EXPECT_EQ(foreign, 0) << "colours the picture does not hold";
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
