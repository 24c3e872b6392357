// SamplePlayer: how the editor's Play buttons sound a sample.
//
// Playing never blocks the window: Play hands the audio to the sound device and returns, the
// device plays it on its own thread, a new Play stops the sample before it, and Stop (the
// window's closing) silences everything. The SDL player opens the sound system on the first
// Play; where there is no sound device it says so instead of playing. SilentSamplePlayer
// plays nothing and remembers what it was given, for tests and for machines without sound.
#pragma once

#include <memory>
#include <string>

#include "core/WavFile.h"

class SamplePlayer {
  public:
    virtual ~SamplePlayer() = default;
    // Starts playing audio, stopping whatever was playing; false with *error when the sound
    // device refuses it.
    virtual bool Play(const WavAudio& audio, std::string* error) = 0;
    virtual void Stop() = 0;
    // Whether audio is still being played.
    virtual bool Playing() const = 0;
};

// Plays through SDL's audio (its driver chosen as SDL chooses; SDL_AUDIODRIVER=dummy plays
// into nothing, in real time).
std::unique_ptr<SamplePlayer> MakeSdlSamplePlayer();

class SilentSamplePlayer : public SamplePlayer {
  public:
    bool Play(const WavAudio& audio, std::string*) override {
        last = audio;
        ++plays;
        return true;
    }
    void Stop() override { ++stops; }
    bool Playing() const override { return false; }

    WavAudio last;
    int plays = 0;
    int stops = 0;
};
