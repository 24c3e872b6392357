// The main window over a sample installation with its mods, shown offscreen, for the window
// tests: menus and dialogs are answered by the test.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <filesystem>
#include <memory>
#include <optional>

#include "core/QSError.h"
#include "tools/sample-game/SampleGame.h"
#include "ui/TBrixSaver.h"
#include "ui/TForm1.h"
#include "ui/TForm3.h"

// One sample installation for the whole suite: writing it is the slow part.
class SampleInstall : public ::testing::Environment {
  public:
    void SetUp() override {
        dir = std::make_unique<TempDir>();
        const ToolRun run =
            RunSampleGame({"--edition", "dsc", "--out", dir->path().string(), "--mods"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    void TearDown() override { dir.reset(); }
    static inline std::unique_ptr<TempDir> dir;
};
inline const auto* const kInstall = ::testing::AddGlobalTestEnvironment(new SampleInstall);

class MainWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(OpenLog(log.path() / "Brix_log.txt"));
        install = SampleInstall::dir->path().string();
        project.SetInstallationPaths(install, install);
        form = std::make_unique<TForm1>(project);
        form->SetSecondaryWindows(&loading, nullptr);
        form->SetInstalledEditions({true, false});
        form->SetPackageChooser([this](const std::string&) { return chosen; });
        form->SetConfirmation([this](const QString& question) {
            questions.push_back(question.toStdString());
            return answer;
        });
        form->SetBuildWindow(&saver);
        form->SetWarning(
            [this](const QString& message) { warnings.push_back(message.toStdString()); });
        form->SetOverwriteConfirmation([this](const QString& question) {
            questions.push_back(question.toStdString());
            return overwrite;
        });
        form->SetSaveChangesQuestion([this](const QString& question) {
            questions.push_back(question.toStdString());
            return saveChanges;
        });
        form->SetHistoryFileChooser([this](const std::string& proposed) {
            proposedHistoryFile = proposed;
            return historyFile;
        });
        form->SetSaveWithErrorsConfirmation([this](const QString& question) {
            questions.push_back(question.toStdString());
            return saveWithErrors;
        });
        form->SetWavFileChooser([this] { return wavFile; });
        form->SetProgramEnd([this] { programEnded = true; });
        form->SetAccessCodeAsker([this](bool readOnlyOffered) {
            askedForCode.push_back(readOnlyOffered);
            shownWhileAsked = form->isVisible();
            return accessCode;
        });
        form->show();
    }
    void TearDown() override {
        form.reset();
        project.Close();
        DisableLog();
    }

    QAction* Action(const char* name) { return form->Action(name); }
    template <typename T = QWidget>
    T* Control(const char* name) {
        T* w = form->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QListWidget* List() { return Control<QListWidget>("UnitListBox"); }
    std::string Text(const char* name) {
        if (auto* e = form->findChild<QLineEdit*>(name)) return e->text().toStdString();
        if (auto* b = form->findChild<QComboBox*>(name)) return b->currentText().toStdString();
        ADD_FAILURE() << name;
        return {};
    }
    QColor TextColor(const char* name) { return Control(name)->palette().color(QPalette::Text); }
    // Releases the left button over a row of a list, as a click does.
    void ClickRow(QListWidget* list, int row) {
        const QRect r = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }
    void OpenIronTide() {
        chosen = (std::filesystem::path(install) / "IronTide.qsx").string();
        Action("load_mod_menu_item")->trigger();
    }
    // IronTide open in the active window: keys reach the focused box, and shortcuts the
    // menus, of the active window only.
    void OpenIronTideInFront() {
        OpenIronTide();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    const QSObjectData* Shown() {
        const QSObjectList& view = project.Catalogue().ViewList();
        const int i = form->CurrentIndex();
        return i >= 0 && i < static_cast<int>(view.Count()) ? view[static_cast<uint32_t>(i)]
                                                            : nullptr;
    }

    TempDir log;
    std::string install;
    ModProject project;
    TForm3 loading;
    TBrixSaver saver;
    std::unique_ptr<TForm1> form;
    std::string chosen;
    bool answer = false;
    // Every question asked, whichever box asked it, and every warning told.
    std::vector<std::string> questions;
    std::vector<std::string> warnings;
    bool overwrite = true;
    bool saveWithErrors = false;  // the answer to "Save anyway?" after a check with errors
    SaveChangesAnswer saveChanges = SaveChangesAnswer::Discard;
    std::string historyFile;          // what the history's save dialog returns
    std::string proposedHistoryFile;  // what it was offered
    std::string wavFile;              // what Browse's open dialog returns
    std::optional<std::string> accessCode;  // what the security check is answered: nothing is Cancel
    std::vector<bool> askedForCode;         // each time it asked: whether read-only was offered
    bool shownWhileAsked = true;
    bool programEnded = false;
};
