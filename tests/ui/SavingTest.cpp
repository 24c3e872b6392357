// Saving a mod from the main window, driven offscreen with keys and clicks: the checks of the
// mod panel, the overwrite question, the build window and its OK, a failing save that keeps
// the session, the question about unsaved changes, the version box and the history files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>

#include "mods/QSVersionMgr.h"
#include "support/Archives.h"
#include "ui/MainWindowFixture.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);

// Each test saves into an installation of its own, a copy of the suite's, in a folder whose
// name makes the writer's lines longer than the build window is wide.
class Saving : public MainWindow {
  protected:
    void SetUp() override {
        MainWindow::SetUp();
        dir = own / "an-installation-folder-with-a-name-long-enough-to-run-past-the-build-window";
        std::filesystem::copy(install, dir, std::filesystem::copy_options::recursive);
        install = dir.string();
        project.SetInstallationPaths(install, install);
        package = dir / "IronTide.qsx";
        OpenIronTide();
        Activate();
    }
    // Keys reach the focused box, and shortcuts the menus, of the active window only.
    void Activate() {
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void Retype(const char* box, const QString& text) {
        auto* edit = Control<QLineEdit>(box);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    void CtrlS() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier); }
    // Types a new hit point value for the shown unit; returns it.
    QString EditHitPoints() {
        const QString value = Control<QLineEdit>("max_hit_points")->text() == "777" ? "778" : "777";
        Retype("max_hit_points", value);
        EXPECT_EQ(project.Changes().Count(), 1u);
        return value;
    }
    std::vector<std::string> BuildLines() {
        std::vector<std::string> lines;
        for (int i = 0; i < saver.List()->count(); ++i)
            lines.push_back(saver.List()->item(i)->text().toStdString());
        return lines;
    }
    void ClickOk() {
        ASSERT_TRUE(saver.OkButton()->isVisible());
        QTest::mouseClick(saver.OkButton(), Qt::LeftButton);
    }
    std::string OverwriteQuestion(const std::filesystem::path& path) {
        return "Are you sure you want to overwrite " + path.string() + "?";
    }

    TempDir own;
    std::filesystem::path dir;
    std::filesystem::path package;
};

// Ctrl+S checks the panel first: each failing check tells its message and writes nothing;
// a version that was not raised is raised, and the box shows the version the save goes on
// with (here the overwrite question is then declined).
TEST_F(Saving, CtrlSChecksTheModPanelFirst) {
    const std::string before = ReadFile(package);
    const struct {
        const char* name;
        const char* identifier;
        const char* version;
        const char* message;  // null: the checks pass
        const char* versionShown;
    } cases[] = {
        {"", "IT", "1.3", kNoModNameMessage, "1.3"},
        {"Iron*Tide", "IT", "1.3", kBadModNameMessage, "1.3"},
        {"Iron:Tide", "IT", "1.3", kBadModNameMessage, "1.3"},
        {"IronTide", "I", "1.3", kNoIdentifierMessage, "1.3"},
        {"IronTide", "AT", "1.3", kReservedIdentifierMessage, "1.3"},
        {"IronTide", "IT", "1.3.x", kVersionFormatMessage, "1.3.x"},
        {"IronTide", "IT", "1", kVersionFormatMessage, "1"},
        {"IronTide", "IT", "1.2", nullptr, "1.2.0.1"},
        {"IronTide", "IT", "1.0", nullptr, "1.2.0.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.identifier + " " + c.version);
        warnings.clear();
        questions.clear();
        overwrite = false;
        // A valid version first, so that leaving the box before typing tells nothing.
        Control<QLineEdit>("version")->setText("1.3");
        Retype("mod_name", c.name);
        Retype("two_character_identifier", c.identifier);
        Retype("version", c.version);
        CtrlS();
        if (c.message) {
            EXPECT_THAT(warnings, ElementsAre(c.message));
            EXPECT_TRUE(questions.empty());
        } else {
            EXPECT_TRUE(warnings.empty());
            EXPECT_THAT(questions, ElementsAre(OverwriteQuestion(package)));
        }
        EXPECT_EQ(Text("version"), c.versionShown);
        EXPECT_FALSE(saver.isVisible());
        EXPECT_TRUE(form->isEnabled());
        EXPECT_EQ(project.Identity().savedVersion, "1.2");
    }
    EXPECT_EQ(ReadFile(package), before);
}

// Comments typed over several lines go into ModInfo.ini with Windows line breaks.
TEST_F(Saving, CommentLinesAreSavedWithWindowsLineBreaks) {
    auto* comments = Control<QPlainTextEdit>("author_comments");
    comments->setFocus();
    comments->selectAll();
    QTest::keyClicks(comments, "First line.");
    QTest::keyClick(comments, Qt::Key_Return);
    QTest::keyClicks(comments, "Second line.");
    Retype("version", "1.3");
    CtrlS();
    ClickOk();
    EXPECT_THAT(ArchiveContents(package)["Data\\ModInfo.ini"], ::testing::EndsWith("\r\nComments=First line.\r\nSecond line.\r\n"));
}

TEST_F(Saving, ReadOnlyModsAreNotSaved) {
    const std::string before = ReadFile(package);
    EditHitPoints();
    Retype("version", "1.3");
    project.SetReadOnly(true);
    CtrlS();
    Action("save_mod_menu_item")->trigger();
    EXPECT_TRUE(questions.empty());
    EXPECT_TRUE(warnings.empty());
    EXPECT_FALSE(saver.isVisible());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(project.Identity().savedVersion, "1.2");
    EXPECT_EQ(ReadFile(package), before);
}

// A good save over the opened package: the build window lists the writer's lines while the
// main window waits, and OK opens the saved package, whose version and edit are now the mod's.
TEST_F(Saving, AGoodSaveShowsTheWritersLinesAndOkOpensTheSavedMod) {
    const std::string before = ReadFile(package);
    const std::string unit = Shown()->UniqueName();
    const std::string loaded = Text("max_hit_points");
    const QString value = EditHitPoints();
    Retype("author", "Someone Else");
    auto* comments = Control<QPlainTextEdit>("author_comments");
    comments->setFocus();
    QTest::keyClick(comments, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(comments, " More.");
    const QString commentsTyped = comments->toPlainText();
    Retype("version", "1.3");
    CtrlS();
    EXPECT_THAT(questions, ElementsAre(OverwriteQuestion(package)));
    EXPECT_TRUE(warnings.empty());
    ASSERT_TRUE(saver.isVisible());
    EXPECT_FALSE(form->isEnabled());
    const std::vector<std::string> lines = BuildLines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines.front(), "Building Mod");
    EXPECT_THAT(lines, ::testing::Contains(StartsWith("Adding 'Data\\ModInfo.ini'")));
    EXPECT_THAT(std::vector<std::string>(lines.end() - 4, lines.end()),
                ElementsAre(" ", "Mod built with no errors.", " ", "Click OK to continue."));
    // Every line can be read whole: a line wider than the list scrolls rather than being cut.
    QListWidget* list = saver.List();
    const int room = list->viewport()->width() + list->horizontalScrollBar()->maximum();
    int widest = 0;
    for (int i = 0; i < list->count(); ++i) {
        const int width = list->fontMetrics().horizontalAdvance(list->item(i)->text());
        widest = std::max(widest, width);
        EXPECT_LE(width, room) << list->item(i)->text().toStdString();
    }
    EXPECT_GT(widest, list->viewport()->width()) << "no line runs past the edge";
    EXPECT_NE(ReadFile(package), before);

    ClickOk();
    EXPECT_FALSE(saver.isVisible());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(project.OpenedPackagePath(), package.string());
    EXPECT_EQ(project.Changes().Count(), 0u);
    EXPECT_EQ(Text("version"), "1.3");
    EXPECT_EQ(project.Identity().savedVersion, "1.3");
    EXPECT_EQ(project.Identity().versionAtLoad, "1.3");
    EXPECT_EQ(Text("author"), "Someone Else");
    EXPECT_EQ(TextColor("author"), QColor(Qt::black));
    EXPECT_EQ(comments->toPlainText(), commentsTyped);
    EXPECT_THAT(project.VersionHistory(), StartsWith("Version 1.3:\r\nChanged " + unit + "("));
    EXPECT_THAT(project.VersionHistory(), HasSubstr("Max hit points: from " + loaded + " to " +
                                                    value.toStdString() + ".\r\n"));
    ASSERT_EQ(Shown()->UniqueName(), unit);
    EXPECT_EQ(Control<QLineEdit>("max_hit_points")->text(), value);
    EXPECT_EQ(TextColor("max_hit_points"), kGreen);
    EXPECT_FALSE(form->UnsavedChanges());
}

TEST_F(Saving, DecliningTheOverwriteLeavesThePackageAndTheSession) {
    const std::string before = ReadFile(package);
    const QString value = EditHitPoints();
    Retype("version", "1.3");
    overwrite = false;
    CtrlS();
    EXPECT_THAT(questions, ElementsAre(OverwriteQuestion(package)));
    EXPECT_FALSE(saver.isVisible());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(ReadFile(package), before);
    EXPECT_EQ(project.Identity().savedVersion, "1.2");
    EXPECT_EQ(project.Changes().Count(), 1u);
    EXPECT_EQ(Control<QLineEdit>("max_hit_points")->text(), value);
    // A name with no package yet is written without a question.
    questions.clear();
    Retype("mod_name", "IronTideCopy");
    CtrlS();
    EXPECT_TRUE(questions.empty());
    EXPECT_TRUE(saver.isVisible());
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "IronTideCopy.qsx"));
    EXPECT_EQ(ReadFile(package), before);
}

// A save that cannot write its package (a folder stands where it goes) tells why, in the
// build window and in a warning, and OK leaves everything as it was: the edits, the boxes and
// the shown object, so that the cause can be mended and the save tried again.
TEST_F(Saving, AFailedSaveKeepsTheSessionForAnotherTry) {
    const std::string before = ReadFile(package);
    ClickRow(List(), 2);
    const std::string unit = Shown()->UniqueName();
    const QString value = EditHitPoints();
    const std::filesystem::path blocked = dir / "Blocked.qsx";
    std::filesystem::create_directory(blocked);
    Retype("mod_name", "Blocked");
    Retype("version", "1.3");
    CtrlS();
    EXPECT_THAT(questions, ElementsAre(OverwriteQuestion(blocked)));
    ASSERT_TRUE(saver.isVisible());
    ASSERT_EQ(warnings.size(), 1u);
    const std::string prefix = "Couldn't save the mod to " + blocked.string() + ": ";
    ASSERT_THAT(warnings[0], StartsWith(prefix));
    const std::string reason = warnings[0].substr(prefix.size());
    EXPECT_THAT(reason, HasSubstr(blocked.string()));
    const std::vector<std::string> lines = BuildLines();
    EXPECT_EQ(lines.front(), "Building Mod");
    EXPECT_EQ(lines.back(), reason);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), reason), 1);
    EXPECT_THAT(lines, ::testing::Not(::testing::Contains("Mod built with no errors.")));

    ClickOk();
    EXPECT_FALSE(saver.isVisible());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_TRUE(std::filesystem::is_directory(blocked));
    EXPECT_EQ(ReadFile(package), before);
    EXPECT_EQ(project.OpenedPackagePath(), package.string());
    EXPECT_EQ(project.Identity().savedVersion, "1.2");
    EXPECT_EQ(project.Changes().Count(), 1u);
    EXPECT_EQ(Shown()->UniqueName(), unit);
    EXPECT_EQ(form->CurrentIndex(), 2);
    EXPECT_EQ(Control<QLineEdit>("max_hit_points")->text(), value);
    EXPECT_EQ(TextColor("max_hit_points"), kRed);
    EXPECT_EQ(Text("mod_name"), "Blocked");
    EXPECT_EQ(TextColor("mod_name"), kRed);
    EXPECT_EQ(Text("version"), "1.3");

    // Mended, the same save goes through.
    std::filesystem::remove(blocked);
    questions.clear();
    warnings.clear();
    CtrlS();
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(BuildLines().back(), "Click OK to continue.");
    ClickOk();
    EXPECT_EQ(project.OpenedPackagePath(), blocked.string());
    EXPECT_EQ(Text("mod_name"), "Blocked");
    EXPECT_EQ(Text("version"), "1.3");
}

// New, Load and closing the window ask about unsaved changes, and only then: Cancel keeps
// everything, Discard goes on.
TEST_F(Saving, UnsavedChangesAreAskedAboutBeforeTheyAreLost) {
    const struct {
        const char* command;
        std::function<void(TForm1&)> run;
    } commands[] = {
        {"New", [](TForm1& f) { f.Action("new_dsc_mod_menu_item")->trigger(); }},
        {"Load", [](TForm1& f) { f.Action("load_mod_menu_item")->trigger(); }},
        {"Close", [](TForm1& f) { f.close(); }},
    };
    // Whether the command went on: a new or reopened mod shows its first object afresh, and
    // a closed window is gone.
    auto wentOn = [this](const std::string& command) {
        if (command == "Close") return !form->isVisible();
        return form->CurrentIndex() == 0 && project.Changes().Count() == 0 &&
               !form->UnsavedChanges();
    };
    const std::function<void()> changes[] = {
        [this] { EditHitPoints(); },
        [this] { Retype("author", "Someone Else"); },
        [this] {
            auto* comments = Control<QPlainTextEdit>("author_comments");
            comments->setFocus();
            QTest::keyClicks(comments, "More.");
        },
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.command);
        for (size_t change = 0; change <= std::size(changes); ++change) {
            SCOPED_TRACE(change);
            form->show();
            Activate();
            OpenIronTide();
            ClickRow(List(), 3);
            questions.clear();
            const bool changed = change < std::size(changes);
            if (changed) changes[change]();
            ASSERT_EQ(form->UnsavedChanges(), changed);

            saveChanges = SaveChangesAnswer::Cancel;
            c.run(*form);
            if (!changed) {
                EXPECT_TRUE(questions.empty());
                EXPECT_TRUE(wentOn(c.command));
                continue;
            }
            EXPECT_THAT(questions, ElementsAre("Save changes to IronTide before closing it?"));
            EXPECT_TRUE(form->isVisible());
            EXPECT_EQ(form->CurrentIndex(), 3);
            EXPECT_TRUE(form->UnsavedChanges());

            saveChanges = SaveChangesAnswer::Discard;
            c.run(*form);
            EXPECT_EQ(questions.size(), 2u);
            EXPECT_TRUE(wentOn(c.command));
        }
    }
    EXPECT_TRUE(saver.isHidden());
}

// Save goes on once the package is written and OK is clicked; a save that does not happen
// stops the command.
TEST_F(Saving, SaveBeforeGoingOnGoesOnOnlyAfterAGoodSave) {
    const std::string unit = Shown()->UniqueName();
    const QString value = EditHitPoints();
    saveChanges = SaveChangesAnswer::Save;

    // A new mod with no name yet cannot be saved: nothing goes on.
    Retype("mod_name", "");
    Action("new_dsc_mod_menu_item")->trigger();
    EXPECT_THAT(questions, ElementsAre("Save changes to the new mod before closing it?"));
    EXPECT_THAT(warnings, ElementsAre(kNoModNameMessage));
    EXPECT_FALSE(saver.isVisible());
    EXPECT_EQ(project.Changes().Count(), 1u);
    EXPECT_EQ(project.OpenedPackagePath(), package.string());

    // Named, it is saved (over its package, the version raised); Load goes on after OK.
    Retype("mod_name", "IronTide");
    questions.clear();
    warnings.clear();
    Action("load_mod_menu_item")->trigger();
    EXPECT_THAT(questions, ElementsAre("Save changes to IronTide before closing it?",
                                       OverwriteQuestion(package)));
    EXPECT_TRUE(warnings.empty());
    ASSERT_TRUE(saver.isVisible());
    EXPECT_EQ(project.Changes().Count(), 1u) << "loaded before OK";
    ClickOk();
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(questions.size(), 2u) << "asked again after saving";
    EXPECT_EQ(project.Changes().Count(), 0u);
    EXPECT_EQ(project.Identity().savedVersion, "1.2.0.1");
    EXPECT_EQ(Text("version"), "1.2.0.1");
    ASSERT_EQ(Shown()->UniqueName(), unit);
    EXPECT_EQ(Control<QLineEdit>("max_hit_points")->text(), value);

    // Closing: saved, then closed after OK.
    Retype("author", "Someone Else");
    questions.clear();
    EXPECT_FALSE(form->close());
    ASSERT_TRUE(saver.isVisible());
    EXPECT_TRUE(form->isVisible());
    ClickOk();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(questions.size(), 2u);
}

TEST_F(Saving, LeavingTheVersionBoxWithNoVersionPutsTheSavedOneBack) {
    const struct {
        const char* typed;
        const char* kept;
    } cases[] = {{"1.x", "1.2"}, {"", "1.2"}, {"100.1", "1.2"}, {"1.5", "1.5"}, {"1.0", "1.0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        warnings.clear();
        Control<QLineEdit>("version")->setText("1.2");
        Retype("version", c.typed);
        EXPECT_EQ(TextColor("version"), kRed);
        QTest::keyClick(Control("version"), Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), Control("version"));
        EXPECT_EQ(Text("version"), c.kept);
        if (std::string(c.kept) == c.typed)
            EXPECT_TRUE(warnings.empty());
        else
            EXPECT_THAT(warnings, ElementsAre(kVersionFormatMessage));
    }
}

// A history is written as the core holds it, CR LF and all, under the name the dialog
// returns; the dialog proposes "<mod name>_..._history.txt" in the installation directory.
TEST_F(Saving, HistoriesAreWrittenAsTheCoreHoldsThem) {
    ASSERT_THAT(project.VersionHistory(), HasSubstr("\r\n"));
    ASSERT_THAT(project.GlobalHistory(), HasSubstr("\r\n"));
    const struct {
        const char* item;
        const char* proposed;
        const std::string& text;
    } histories[] = {
        {"SaveVersionHistory1", "IronTide_version_history.txt", project.VersionHistory()},
        {"SaveGlobalHistory1", "IronTide_global_history.txt", project.GlobalHistory()},
    };
    for (const auto& h : histories) {
        SCOPED_TRACE(h.item);
        EXPECT_TRUE(Action(h.item)->isEnabled());
        const std::filesystem::path file = dir / (std::string(h.item) + ".txt");
        historyFile = file.string();
        Action(h.item)->trigger();
        EXPECT_EQ(proposedHistoryFile, (dir / h.proposed).string());
        EXPECT_EQ(ReadFile(file), h.text);
        // Cancelled, nothing is written, not even where the dialog started.
        historyFile.clear();
        Action(h.item)->trigger();
        EXPECT_FALSE(std::filesystem::exists(dir / h.proposed));
    }
    // Without a mod name, or with an empty memo, no dialog is offered.
    historyFile = (dir / "unnamed.txt").string();
    proposedHistoryFile.clear();
    Retype("mod_name", "");
    Action("SaveVersionHistory1")->trigger();
    EXPECT_EQ(proposedHistoryFile, "");
    Action("new_dsc_mod_menu_item")->trigger();
    Retype("mod_name", "Fresh");
    ASSERT_EQ(project.VersionHistory(), "");
    Action("SaveVersionHistory1")->trigger();
    EXPECT_EQ(proposedHistoryFile, "");
    EXPECT_FALSE(std::filesystem::exists(dir / "unnamed.txt"));
}

}  // namespace
