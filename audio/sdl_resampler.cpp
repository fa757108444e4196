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
    SdlResampler(SDL_AudioStream* s, int channels, int outChannels)
        : stream_(s), channels_(channels),
          frameBytes_(outChannels * static_cast<int>(sizeof(float))) {}
    bool Put(const float* frames, int count) override {
        const int bytes = count * channels_ * static_cast<int>(sizeof(float));
        return SDL_AudioStreamPut(stream_.get(), frames, bytes) == 0;
    }
    void Flush() override { SDL_AudioStreamFlush(stream_.get()); }
    int Available() const override { return SDL_AudioStreamAvailable(stream_.get()) / frameBytes_; }
    int Get(float* out, int maxFrames) override {
        const int got = SDL_AudioStreamGet(stream_.get(), out, maxFrames * frameBytes_);
        return got > 0 ? got / frameBytes_ : 0;
    }
    void Clear() override { SDL_AudioStreamClear(stream_.get()); }

  private:
    std::unique_ptr<SDL_AudioStream, FreeStream> stream_;
    int channels_;
    int frameBytes_; // of a frame taken out
};

std::unique_ptr<Resampler> MakeStream(int channels, int fromRate, int toRate, int outChannels) {
    if (channels < 1 || channels > 255 || fromRate <= 0 || toRate <= 0) {
        return nullptr;
    }
    SDL_AudioStream* s = SDL_NewAudioStream(AUDIO_F32SYS, static_cast<Uint8>(channels), fromRate,
                                            AUDIO_F32SYS, static_cast<Uint8>(outChannels), toRate);
    if (!s) {
        return nullptr;
    }
    return std::make_unique<SdlResampler>(s, channels, outChannels);
}

} // namespace

std::unique_ptr<Resampler> MakeResampler(int channels, int fromRate, int toRate) {
    return MakeStream(channels, fromRate, toRate, kOutChannels);
}

std::unique_ptr<Resampler> MakeRateConverter(int channels, int fromRate, int toRate) {
    return MakeStream(channels, fromRate, toRate, channels);
}
