// What a sound slot's Play button gets to play: samples of the game and of the opened package
// read out of the archives, WAV files read from disk, and clear reasons for everything else.
#include <gtest/gtest.h>

#include <fstream>

#include "core/QSError.h"
#include "mods/ModProject.h"
#include "mods/SamplePreview.h"
#include "support/Archives.h"
#include "support/TempDir.h"
#include "support/Wavs.h"

namespace {

class SamplePreview : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(OpenLog(dir / "Brix_log.txt"));
        std::filesystem::create_directories(dir / "dsc");
        WriteArchive(dir / "dsc" / "Dravik.qsw",
                     {{"Data\\ObjectData\\units\\Bow.ini", IniText({"[ObjectData]", "ProperName=Bowman"}), ""},
                      {"Audio\\Game\\bow_death_01.wav", game, ""},
                      {"Audio\\Game\\broken.wav", "RIFF\x10\0\0\0WAVEfmt ", ""}},
                     "DV", "1.0.3");
        const std::string package = (dir / "dsc" / "Mine.qsx").string();
        WriteArchive(package, {{"Audio\\Mod\\mine.wav", mine, ""}}, "MI", "1.0.0.0");
        project.SetInstallationPaths((dir / "dsc").string(), "");
        project.OpenMod((dir / "dsc").string(), package);
    }
    void TearDown() override {
        project.Close();
        DisableLog();
    }

    TempDir dir;
    ModProject project;
    const std::string game = wavs::PlainWav(1, 22050, 16, 44 + 400);
    const std::string mine = wavs::PlainWav(2, 11025, 8, 44 + 300);
};

TEST_F(SamplePreview, ReadsSamplesFromTheArchivesAndFiles) {
    const std::filesystem::path file = dir.path() / "local.wav";
    std::ofstream(file, std::ios::binary) << wavs::PlainWav(1, 44100, 16, 44 + 1000);
    const struct {
        std::string text;
        uint16_t channels;
        uint32_t rate;
        size_t pcmBytes;
    } cases[] = {
        {"Game\\bow_death_01.wav", 1, 22050, 400},
        {"GAME\\BOW_DEATH_01.WAV", 1, 22050, 400},  // the list's names compare without case
        {"Mod\\mine.wav", 2, 11025, 300},          // packed by an earlier save
        {file.string(), 1, 44100, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WavAudio audio;
        std::string error;
        ASSERT_TRUE(LoadSampleAudio(project.Resources(), project.Catalogue(), c.text, audio, error))
            << error;
        EXPECT_EQ(audio.channels, c.channels);
        EXPECT_EQ(audio.sampleRate, c.rate);
        EXPECT_EQ(audio.pcm.size(), c.pcmBytes);
    }
}

TEST_F(SamplePreview, SaysWhyNothingCanBePlayed) {
    const std::filesystem::path notes = dir.path() / "notes.wav";
    std::ofstream(notes, std::ios::binary) << std::string(300, 'n');
    const std::string missing = (dir.path() / "missing.wav").string();
    const struct {
        std::string text;
        std::string error;  // its beginning
    } cases[] = {
        {"", "\"\" is neither a sample of the game nor a file."},
        {missing, "\"" + missing + "\" is neither a sample of the game nor a file."},
        {dir.path().string(), "\"" + dir.path().string() + "\" is neither a sample of the game nor a file."},
        {notes.string(), "\"" + notes.string() + "\" is not a WAV file that can be played: "},
        {"Game\\broken.wav", "\"Game\\broken.wav\" is not a WAV file that can be played: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WavAudio audio;
        std::string error;
        EXPECT_FALSE(LoadSampleAudio(project.Resources(), project.Catalogue(), c.text, audio, error));
        EXPECT_EQ(error.substr(0, c.error.size()), c.error);
        EXPECT_TRUE(audio.pcm.empty());
    }
}

}  // namespace
