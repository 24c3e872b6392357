// The sound panel of the main window, driven offscreen: Browse with its checks and warnings,
// typing and choosing a sample, Ctrl+Z, and Play through SDL's dummy audio driver, which
// must leave the window free while the sample plays.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <fstream>

#include "support/Wavs.h"
#include "ui/MainWindowFixture.h"
#include "ui/SamplePlayer.h"

namespace {

const QColor kRed(255, 0, 0);

class SoundPanel : public MainWindow {
  protected:
    void SetUp() override {
        MainWindow::SetUp();
        OpenIronTide();
        QTest::mouseClick(Control<QPushButton>("audio_data_toggle"), Qt::LeftButton);
        ASSERT_TRUE(form->SoundPanelMode());
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    std::filesystem::path WriteWav(const char* name, const std::string& bytes) {
        const std::filesystem::path path = files.path() / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // The session's value of a slot of the shown object, or nothing without a change.
    std::optional<std::string> Recorded(const char* key) {
        const QSChange* change =
            project.Changes().FindChange(Shown()->UniqueName(), "ObjectData", key);
        return change ? std::optional<std::string>(change->value) : std::nullopt;
    }
    void Click(const char* button) { QTest::mouseClick(Control<QPushButton>(button), Qt::LeftButton); }

    TempDir files;
};

// Browse checks the chosen file and warns about what the game may not like, but assigns the
// file whatever the check says; a cancelled dialog changes nothing.
TEST_F(SoundPanel, BrowseWarnsAndAssignsTheFile) {
    const struct {
        const char* file;
        std::string bytes;
        const char* warning;  // after the path; null: none
    } cases[] = {
        {"good.wav", wavs::PlainWav(1, 22050, 16, 4000), nullptr},
        {"cd.wav", wavs::PlainWav(1, 44100, 16, 4000),
         " is not 22 Khz, 16-bit mono. Performance may be impacted. Recommend resampling to 22 Khz "
         "16-bit mono."},
        {"big.wav", wavs::PlainWav(1, 22050, 16, 200001),
         " is too large, new samples must be less than 200K."},
        {"tiny.wav", std::string(99, 'x'), " is too small, header possibly incorrect?"},
    };
    auto* box = Control<QComboBox>("death_sound_1");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        warnings.clear();
        wavFile = WriteWav(c.file, c.bytes).string();
        Click("death_sound_1_browse");
        if (c.warning)
            EXPECT_EQ(warnings, std::vector<std::string>{"Warning \"" + wavFile + "\"" + c.warning});
        else
            EXPECT_TRUE(warnings.empty());
        EXPECT_EQ(box->currentText().toStdString(), wavFile);
        EXPECT_EQ(Recorded("DeathSound1"), wavFile);
        EXPECT_EQ(TextColor("death_sound_1"), kRed);
    }
    warnings.clear();
    wavFile = (files.path() / "gone.wav").string();
    Click("select_sound_2_browse");
    EXPECT_EQ(warnings, std::vector<std::string>{"Warning \"" + wavFile + "\" not found."});
    EXPECT_EQ(Recorded("SelectionSound2"), wavFile);

    const QString before = Control<QComboBox>("command_sound_1")->currentText();
    wavFile.clear();  // cancelled
    Click("command_sound_1_browse");
    EXPECT_EQ(Control<QComboBox>("command_sound_1")->currentText(), before);
    EXPECT_FALSE(Recorded("CommandSound1"));
}

// Typing records the text as it stands; a key that changes nothing (an arrow) records nothing;
// a choice from the list records the sample; Ctrl+Z takes the slot's change back.
TEST_F(SoundPanel, TypingChoosingAndCtrlZ) {
    auto* box = Control<QComboBox>("attack_1_sound_1");
    const QString loaded = box->currentText();
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Right);
    EXPECT_EQ(project.Changes().Count(), 0u);

    box->lineEdit()->selectAll();
    QTest::keyClicks(box, "Mod\\clash.wav");  // attack sounds live in [Attack1]
    const QSChange* typed = project.Changes().FindChange(Shown()->UniqueName(), "Attack1", "Sound1");
    ASSERT_NE(typed, nullptr);
    EXPECT_EQ(typed->value, "Mod\\clash.wav");
    EXPECT_EQ(TextColor("attack_1_sound_1"), kRed);

    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(project.Changes().FindChange(Shown()->UniqueName(), "Attack1", "Sound1"), nullptr);
    EXPECT_EQ(box->currentText(), loaded);

    // Down takes the next sample of the list, as a click on it would.
    auto* death = Control<QComboBox>("death_sound_2");
    death->setFocus();
    QTest::keyClick(death, Qt::Key_Down);
    ASSERT_GE(death->currentIndex(), 0);
    EXPECT_EQ(Recorded("DeathSound2"), death->currentText().toStdString());
    EXPECT_EQ(project.Catalogue().FindSampleName(death->currentText().toStdString()),
              death->currentIndex());
}

// Play hands the sample to the sound device and returns at once: the window goes on while
// it plays, a new Play takes over, and closing the window silences it. What cannot be
// played is said, and nothing is sent to the device.
TEST_F(SoundPanel, PlayDoesNotBlockTheWindow) {
    // Two seconds of audio, far longer than the checks below take.
    const std::filesystem::path longFile = WriteWav("long.wav", wavs::PlainWav(1, 22050, 16, 44 + 88200));
    auto* box = Control<QComboBox>("select_sound_1");
    box->setEditText(QString::fromStdString(longFile.string()));
    QElapsedTimer clock;
    clock.start();
    Click("select_sound_1_play");
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(warnings.empty()) << (warnings.empty() ? "" : warnings[0]);
    EXPECT_TRUE(form->Player().Playing());
    bool ticked = false;
    QTimer::singleShot(20, [&] { ticked = true; });
    QTest::qWait(100);
    EXPECT_TRUE(ticked);
    EXPECT_TRUE(form->Player().Playing());

    // A game sample, chosen from the list, read out of the archives.
    box->setCurrentIndex(0);
    Click("select_sound_1_play");
    EXPECT_TRUE(warnings.empty()) << (warnings.empty() ? "" : warnings[0]);
    EXPECT_TRUE(form->Player().Playing());

    form->close();
    EXPECT_FALSE(form->Player().Playing());
}

TEST_F(SoundPanel, WhatCannotBePlayedIsSaid) {
    auto* silent = new SilentSamplePlayer;
    form->SetSamplePlayer(std::unique_ptr<SamplePlayer>(silent));
    const std::string missing = (files.path() / "missing.wav").string();
    const std::string notWav = WriteWav("notes.wav", std::string(400, 'n')).string();
    auto* box = Control<QComboBox>("command_sound_2");
    for (const auto& [text, message] :
         {std::pair{missing, "Can't play: \"" + missing + "\" is neither a sample of the game nor a file."},
          {notWav, "Can't play: \"" + notWav + "\" is not a WAV file that can be played: "}}) {
        warnings.clear();
        box->setEditText(QString::fromStdString(text));
        Click("command_sound_2_play");
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_EQ(warnings[0].substr(0, message.size()), message);
    }
    EXPECT_EQ(silent->plays, 0);

    box->setCurrentIndex(1);
    Click("command_sound_2_play");
    EXPECT_EQ(silent->plays, 1);
    EXPECT_EQ(silent->last.sampleRate, 22050u);
    EXPECT_FALSE(silent->last.pcm.empty());
}

}  // namespace
