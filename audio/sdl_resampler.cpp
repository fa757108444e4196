// Rate and channel conversion of decoded wave frames with SDL_AudioStream.
#include "audio_backend.h"

#include <SDL.h>

namespace {

constexpr int kOutChannels = 2;

struct FreeStream {
    void operator()(SDL_AudioStream* s) const { SDL_FreeAudioStream(s); }
};

class SdlResampler : public Resampler {
  public:
    SdlResampler(SDL_AudioStream* s, int channels) : stream_(s), channels_(channels) {}
    bool Put(const float* frames, int count) override {
        const int bytes = count * channels_ * static_cast<int>(sizeof(float));
        return SDL_AudioStreamPut(stream_.get(), frames, bytes) == 0;
    }
    void Flush() override { SDL_AudioStreamFlush(stream_.get()); }
    int Available() const override { return SDL_AudioStreamAvailable(stream_.get()) / kFrameBytes; }
    int Get(float* stereo, int maxFrames) override {
        const int got = SDL_AudioStreamGet(stream_.get(), stereo, maxFrames * kFrameBytes);
        return got > 0 ? got / kFrameBytes : 0;
    }
    void Clear() override { SDL_AudioStreamClear(stream_.get()); }

  private:
    static constexpr int kFrameBytes = kOutChannels * static_cast<int>(sizeof(float));
    std::unique_ptr<SDL_AudioStream, FreeStream> stream_;
    int channels_;
};

} // namespace

std::unique_ptr<Resampler> MakeResampler(int channels, int fromRate, int toRate) {
    if (channels < 1 || channels > 255 || fromRate <= 0 || toRate <= 0) {
        return nullptr;
    }
    SDL_AudioStream* s = SDL_NewAudioStream(AUDIO_F32SYS, static_cast<Uint8>(channels), fromRate,
                                            AUDIO_F32SYS, kOutChannels, toRate);
    if (!s) {
        return nullptr;
    }
    return std::make_unique<SdlResampler>(s, channels);
}
