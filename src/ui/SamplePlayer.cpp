#include "ui/SamplePlayer.h"

#include <SDL.h>

#include <climits>

namespace {

class SdlSamplePlayer : public SamplePlayer {
  public:
    ~SdlSamplePlayer() override {
        Stop();
        if (started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool Play(const WavAudio& audio, std::string* error) override {
        Stop();
        if (!Start(error)) return false;
        if (audio.pcm.size() > static_cast<size_t>(UINT32_MAX)) {
            if (error) *error = "the sample is too long to play";
            return false;
        }
        SDL_AudioSpec wanted{};
        wanted.freq = static_cast<int>(audio.sampleRate);
        wanted.format = audio.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
        wanted.channels = static_cast<Uint8>(audio.channels);
        wanted.samples = 2048;
        wanted.callback = nullptr;  // queued: SDL converts to whatever the device takes
        device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
        if (device_ == 0) {
            if (error) *error = std::string("the sound device cannot be opened: ") + SDL_GetError();
            return false;
        }
        if (SDL_QueueAudio(device_, audio.pcm.data(), static_cast<Uint32>(audio.pcm.size())) != 0) {
            if (error) *error = std::string("the sound device refused the sample: ") + SDL_GetError();
            Stop();
            return false;
        }
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    void Stop() override {
        if (device_ == 0) return;
        SDL_CloseAudioDevice(device_);
        device_ = 0;
    }

    bool Playing() const override {
        return device_ != 0 && SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_PLAYING &&
               SDL_GetQueuedAudioSize(device_) > 0;
    }

  private:
    // The sound system is started on the first Play, not with the window: most sessions
    // never play a sample.
    bool Start(std::string* error) {
        if (started_) return true;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            if (error) *error = std::string("there is no sound: ") + SDL_GetError();
            return false;
        }
        started_ = true;
        return true;
    }

    bool started_ = false;
    SDL_AudioDeviceID device_ = 0;
};

}  // namespace

std::unique_ptr<SamplePlayer> MakeSdlSamplePlayer() {
    return std::make_unique<SdlSamplePlayer>();
}
