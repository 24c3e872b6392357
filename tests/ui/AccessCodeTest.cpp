// Protected mods in the main window: the security check asked while the window is hidden,
// and the three ways it ends (in full, read-only, the program ends); the read-only flag's life
// across openings; and the "Security check" window itself, driven with keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "ui/Art.h"
#include "ui/MainWindowFixture.h"
#include "ui/TForm5.h"
#include "ui/WindowChecks.h"

namespace {

class AccessCode : public MainWindow {
  protected:
    void Open(const char* mod) {
        chosen = (std::filesystem::path(install) / mod).string();
        Action("load_mod_menu_item")->trigger();
    }
    bool SaveEnabled() { return Action("save_mod_menu_item")->isEnabled(); }
};

// Each sample mod opens as its code says.
TEST_F(AccessCode, SampleModsOpenAsTheirCodesSay) {
    const struct {
        const char* mod;
        std::optional<std::string> entered;
        std::vector<bool> asked;  // the prompt's calls, by whether read-only was offered
        bool open;                // the window stays, showing the mod
        bool readOnly;
        const char* codeShown;
    } cases[] = {
        {"IronTide.qsx", std::nullopt, {}, true, false, ""},
        {"Oathsworn.qsx", "#Oth", {true}, true, false, "#Oth"},
        {"Oathsworn.qsx", "#oth", {true}, true, true, ""},
        {"Oathsworn.qsx", std::nullopt, {true}, false, false, ""},
        {"VeylSecrets.qsx", "V3yl", {false}, true, false, "V3yl"},
        {"VeylSecrets.qsx", "v3yl", {false}, false, false, ""},
        {"VeylSecrets.qsx", std::nullopt, {false}, false, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mod) + " " + c.entered.value_or("(cancel)"));
        form->show();
        askedForCode.clear();
        shownWhileAsked = true;
        accessCode = c.entered;
        programEnded = false;
        Open(c.mod);
        EXPECT_EQ(askedForCode, c.asked);
        if (!c.asked.empty()) {
            EXPECT_FALSE(shownWhileAsked);
        }
        EXPECT_EQ(form->isVisible(), c.open);
        EXPECT_EQ(programEnded, !c.open);
        if (!c.open) continue;
        EXPECT_EQ(project.ReadOnly(), c.readOnly);
        EXPECT_EQ(SaveEnabled(), !c.readOnly);
        EXPECT_EQ(Text("access_code"), c.codeShown);
        EXPECT_EQ(Text("mod_name"), std::filesystem::path(c.mod).stem().string());
    }
}

// A read-only mod cannot be saved, not even by Ctrl+S, and is not asked about on leaving;
// a new mod, or any opening that does not end read-only, can be saved again.
TEST_F(AccessCode, ReadOnlyLastsUntilTheNextOpening) {
    accessCode = "";
    Open("Oathsworn.qsx");
    ASSERT_TRUE(project.ReadOnly());
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    auto* hp = Control<QLineEdit>("max_hit_points");
    hp->setFocus();
    hp->selectAll();
    QTest::keyClicks(hp, "150");
    ASSERT_EQ(project.Changes().Count(), 1u);
    QTest::keyClick(hp, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(saver.isVisible());
    EXPECT_FALSE(form->UnsavedChanges());

    questions.clear();
    Action("new_dsc_mod_menu_item")->trigger();
    EXPECT_TRUE(questions.empty());
    EXPECT_FALSE(project.ReadOnly());
    EXPECT_TRUE(SaveEnabled());

    Open("Oathsworn.qsx");
    ASSERT_TRUE(project.ReadOnly());
    Open("IronTide.qsx");
    EXPECT_FALSE(project.ReadOnly());
    EXPECT_TRUE(SaveEnabled());
}

// The window: its texts, the read-only line only for codes that allow reading, the entry
// masked and four characters long, Enter as OK, Cancel giving nothing, the entry kept.
TEST(SecurityCheck, AsksForTheCode) {
    TForm5 window;
    EXPECT_EQ(window.windowTitle(), "Security check");
    EXPECT_EQ(window.size(), QSize(497, 308));
    auto* line = window.findChild<QLabel*>("read_only");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(window.findChild<QLabel*>("Label4")->text(), "Enter this access code to continue:");
    EXPECT_EQ(window.findChild<QLabel*>("Label2")->text(),
              "The purpose of this code is to prevent people from making small changes ");
    QLineEdit* entry = window.Entry();
    EXPECT_EQ(entry->objectName(), "special_identifier");
    EXPECT_EQ(entry->echoMode(), QLineEdit::Password);
    EXPECT_EQ(entry->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, entry), '#');

    bool lineShown = false;
    QTimer::singleShot(0, [&] {
        lineShown = line->isVisible();
        QTest::keyClicks(window.Entry(), "#Oth5");
        QTest::keyClick(window.Entry(), Qt::Key_Return);
    });
    EXPECT_EQ(window.Ask(true), std::optional<std::string>("#Oth"));
    EXPECT_TRUE(lineShown);

    QTimer::singleShot(0, [&] {
        lineShown = line->isVisible();
        QTest::mouseClick(window.findChild<QPushButton*>("Button2"), Qt::LeftButton);
    });
    EXPECT_EQ(window.Ask(false), std::nullopt);
    EXPECT_FALSE(lineShown);

    // The entry keeps what was typed last; OK hands it over.
    QTimer::singleShot(0, [&] {
        QTest::mouseClick(window.findChild<QPushButton*>("Button1"), Qt::LeftButton);
    });
    EXPECT_EQ(window.Ask(false), std::optional<std::string>("#Oth"));
}

// Every text whole, in yellow over the stone, and no control over another, with and without
// the read-only line.
TEST(SecurityCheck, ReadableOverTheStone) {
    TForm5 window;
    const QImage tile = BackgroundTile().toImage().convertToFormat(QImage::Format_RGB32);
    for (const bool readOnlyOffered : {true, false}) {
        SCOPED_TRACE(readOnlyOffered);
        window.FormShow(readOnlyOffered);
        window.show();
        const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shot.size(), QSize(497, 308));
        if (readOnlyOffered) {
            EXPECT_TRUE(shot.save(ScreenshotPath("TForm5.png")));
        }
        ExpectChildrenApart(window);
        for (const QLabel* label : window.findChildren<QLabel*>()) {
            if (label->isHidden()) continue;
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->objectName().toStdString();
            ExpectYellowTextOverTiles(shot, *label, tile);
        }
        window.hide();
    }
}

}  // namespace
