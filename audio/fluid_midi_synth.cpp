// General MIDI synthesis with FluidSynth: one synthesiser rendered in the device callback,
// a fluid_player per MIDI file played on it, timed by the frames the synthesiser renders.
// Every MIDI channel renders into its own stereo buffer, so each can be given the gain that
// levels the program it plays.
#include "audio_backend.h"

#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

namespace {

// The library's default gain (0.2) is too quiet beside full-scale wave files.
constexpr double kSynthGain = 0.8;
constexpr int kMidiChannels = 16;
constexpr int kOutputs = 2 * kMidiChannels; // a left and a right buffer per channel
constexpr int kDrumChannel = 9;             // zero-based; plays the percussion bank
constexpr int kMelodicBank = 0;
constexpr int kPrograms = 128;
constexpr int kRenderChunkFrames = 512; // frames rendered at a time in the device callback

// Levelling: every melodic program is measured on a reference note, E4 at the note files'
// velocity, by the RMS of both channels over its first 300 ms, and scaled to this loudness.
constexpr double kNoteLevelDbfs = -16.0;
constexpr int kReferenceKey = 64; // E4
constexpr int kReferenceVelocity = 100;
constexpr double kReferenceSeconds = 0.3;
constexpr float kMaxBoost = 16.0f; // +24 dB at most, so a near-silent program is not blown up
constexpr int kFlushFrames = 64;   // one block of the synthesiser

using ProgramGains = std::array<float, kPrograms>;

struct DeleteSettings {
    void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); }
};
struct DeleteSynth {
    void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); }
};
struct DeletePlayer {
    void operator()(fluid_player_t* p) const {
        fluid_player_stop(p);
        delete_fluid_player(p);
    }
};

using SettingsHandle = std::unique_ptr<fluid_settings_t, DeleteSettings>;
using SynthHandle = std::unique_ptr<fluid_synth_t, DeleteSynth>;
using PlayerHandle = std::unique_ptr<fluid_player_t, DeletePlayer>;

// The library reports to stderr by default; the program shows no such text.
void QuietLogs() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
            fluid_set_log_function(level, nullptr, nullptr);
        }
    });
}

// The SoundFont is read through these file functions, so a load can be given up between two
// reads when the program quits. The library hands them only the name given to the load, so
// that name carries the address of the load's state, as the library's documentation shows for
// loading from memory; the library's own loader, tried next, finds no file by that name.
constexpr char kLoadPrefix[] = "&tonvexa-load:";
constexpr fluid_long_long_t kReadPiece = 1 << 20; // bytes read between two looks at the flag

struct Load {
    std::string path;
    const std::atomic<bool>* cancel;
};

struct LoadFile {
    std::FILE* file;
    const std::atomic<bool>* cancel;
};

std::string LoadName(const Load& load) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%p", kLoadPrefix, static_cast<const void*>(&load));
    return name;
}

void* OpenLoad(const char* name) {
    const std::string n(name);
    if (n.rfind(kLoadPrefix, 0) != 0) {
        return nullptr;
    }
    void* address = nullptr;
    if (std::sscanf(n.c_str() + sizeof kLoadPrefix - 1, "%p", &address) != 1 || !address) {
        return nullptr;
    }
    const auto* load = static_cast<const Load*>(address);
    std::FILE* f = std::fopen(load->path.c_str(), "rb");
    return f ? new LoadFile{f, load->cancel} : nullptr;
}

int ReadLoad(void* buffer, fluid_long_long_t count, void* handle) {
    auto* h = static_cast<LoadFile*>(handle);
    auto* at = static_cast<char*>(buffer);
    while (count > 0) {
        if (h->cancel->load(std::memory_order_relaxed)) {
            return FLUID_FAILED;
        }
        const auto piece = static_cast<std::size_t>(std::min(count, kReadPiece));
        if (std::fread(at, 1, piece, h->file) != piece) {
            return FLUID_FAILED;
        }
        at += piece;
        count -= static_cast<fluid_long_long_t>(piece);
    }
    return FLUID_OK;
}

int SeekLoad(void* handle, fluid_long_long_t offset, int origin) {
    return fseeko(static_cast<LoadFile*>(handle)->file, static_cast<off_t>(offset), origin) == 0
               ? FLUID_OK
               : FLUID_FAILED;
}

fluid_long_long_t TellLoad(void* handle) {
    return ftello(static_cast<LoadFile*>(handle)->file);
}

int CloseLoad(void* handle) {
    auto* h = static_cast<LoadFile*>(handle);
    const int result = std::fclose(h->file) == 0 ? FLUID_OK : FLUID_FAILED;
    delete h;
    return result;
}

// A planar left and right buffer for every MIDI channel, filled by fluid_synth_process.
class ChannelBuffers {
  public:
    explicit ChannelBuffers(int frames)
        : frames_(frames), samples_(static_cast<std::size_t>(kOutputs) * frames) {
        for (int i = 0; i < kOutputs; ++i) {
            buffers_[i] = samples_.data() + static_cast<std::size_t>(i) * frames;
        }
    }
    int Frames() const { return frames_; }
    // Renders `frames` (at most Frames()) frames of every channel.
    void Render(fluid_synth_t* synth, int frames) {
        for (float* b : buffers_) {
            std::fill_n(b, frames, 0.0f);
        }
        fluid_synth_process(synth, frames, 0, nullptr, kOutputs, buffers_.data());
    }
    const float* Left(int channel) const { return buffers_[2 * channel]; }
    const float* Right(int channel) const { return buffers_[2 * channel + 1]; }

  private:
    int frames_;
    std::vector<float> samples_;
    std::array<float*, kOutputs> buffers_{};
};

// The gain that brings each melodic program's reference note to kNoteLevelDbfs; 1 for a
// program the SoundFont lacks or that stays silent. The notes are rendered fifteen at a time,
// one on each channel but the drum channel. Leaves the synthesiser reset. Empty when `cancel`
// is set between two rounds.
std::optional<ProgramGains> LevelPrograms(fluid_synth_t* synth, fluid_sfont_t* sfont, double rate,
                                          const std::atomic<bool>& cancel) {
    ProgramGains gains;
    gains.fill(1.0f);
    std::vector<int> programs;
    for (int p = 0; p < kPrograms; ++p) {
        if (fluid_sfont_get_preset(sfont, kMelodicBank, p)) {
            programs.push_back(p);
        }
    }
    std::vector<int> channels;
    for (int c = 0; c < kMidiChannels; ++c) {
        if (c != kDrumChannel) {
            channels.push_back(c);
        }
    }
    const double target = std::pow(10.0, kNoteLevelDbfs / 20.0);
    ChannelBuffers buffers(static_cast<int>(std::lround(rate * kReferenceSeconds)));
    for (std::size_t first = 0; first < programs.size(); first += channels.size()) {
        if (cancel.load(std::memory_order_relaxed)) {
            return std::nullopt;
        }
        const std::size_t count = std::min(channels.size(), programs.size() - first);
        for (std::size_t k = 0; k < count; ++k) {
            fluid_synth_program_change(synth, channels[k], programs[first + k]);
            fluid_synth_noteon(synth, channels[k], kReferenceKey, kReferenceVelocity);
        }
        buffers.Render(synth, buffers.Frames());
        for (std::size_t k = 0; k < count; ++k) {
            const float* left = buffers.Left(channels[k]);
            const float* right = buffers.Right(channels[k]);
            double sum = 0;
            for (int i = 0; i < buffers.Frames(); ++i) {
                sum += double{left[i]} * left[i] + double{right[i]} * right[i];
            }
            const double rms = std::sqrt(sum / (2.0 * buffers.Frames()));
            if (rms > 0) {
                gains[programs[first + k]] =
                    std::clamp(static_cast<float>(target / rms), 1.0f / kMaxBoost, kMaxBoost);
            }
        }
        // The voices end at the next rendered block, before the next round's notes start.
        fluid_synth_all_sounds_off(synth, -1);
        buffers.Render(synth, kFlushFrames);
    }
    fluid_synth_system_reset(synth);
    buffers.Render(synth, kFlushFrames);
    return gains;
}

class FluidPlayer : public MidiPlayer {
  public:
    explicit FluidPlayer(PlayerHandle p) : player_(std::move(p)) {}
    void Pause() override { fluid_player_stop(player_.get()); }
    void Resume() override { fluid_player_play(player_.get()); }

  private:
    PlayerHandle player_;
};

class FluidMidiSynth : public MidiSynth {
  public:
    FluidMidiSynth(SettingsHandle settings, SynthHandle synth, std::unique_ptr<Load> load,
                   const ProgramGains& gains)
        : settings_(std::move(settings)), synth_(std::move(synth)), load_(std::move(load)),
          gains_(gains), buffers_(kRenderChunkFrames) {}
    ~FluidMidiSynth() override {
        synth_.reset(); // before the settings it was made from
    }

    void Render(float* stereo, int frames) override {
        for (int done = 0; done < frames;) {
            const int n = std::min(frames - done, buffers_.Frames());
            buffers_.Render(synth_.get(), n);
            float* out = stereo + 2 * static_cast<std::ptrdiff_t>(done);
            std::fill_n(out, 2 * n, 0.0f);
            // Read after rendering: a file's program change comes before its note, in the
            // same block, so the gain belongs to the note just rendered.
            for (int c = 0; c < kMidiChannels; ++c) {
                const float gain = ChannelGain(c);
                const float* left = buffers_.Left(c);
                const float* right = buffers_.Right(c);
                for (int i = 0; i < n; ++i) {
                    out[2 * i] += gain * left[i];
                    out[2 * i + 1] += gain * right[i];
                }
            }
            done += n;
        }
    }
    bool Sounding() const override { return fluid_synth_get_active_voice_count(synth_.get()) > 0; }

    std::unique_ptr<MidiPlayer> Play(const MidiBytes& file) override {
        PlayerHandle p(new_fluid_player(synth_.get()));
        if (!p || fluid_player_add_mem(p.get(), file.data(), file.size()) != FLUID_OK ||
            fluid_player_play(p.get()) != FLUID_OK) {
            return nullptr;
        }
        return std::make_unique<FluidPlayer>(std::move(p));
    }

    void NotesOff(std::uint16_t channelMask) override {
        for (int c = 0; c < kMidiChannels; ++c) {
            if (channelMask & (1u << c)) {
                fluid_synth_all_notes_off(synth_.get(), c);
            }
        }
    }

  private:
    // The levelling gain of the melodic program the channel plays; 1 for any other bank.
    float ChannelGain(int channel) const {
        int sfont = 0, bank = 0, program = 0;
        if (fluid_synth_get_program(synth_.get(), channel, &sfont, &bank, &program) != FLUID_OK ||
            bank != kMelodicBank || program < 0 || program >= kPrograms) {
            return 1.0f;
        }
        return gains_[static_cast<std::size_t>(program)];
    }

    SettingsHandle settings_;
    SynthHandle synth_;
    std::unique_ptr<Load> load_; // the name the SoundFont was loaded by stays valid
    ProgramGains gains_;
    ChannelBuffers buffers_; // device thread only
};

} // namespace

std::unique_ptr<MidiSynth> MakeMidiSynth(double rate, const std::string& soundFont,
                                         const std::atomic<bool>& cancel, std::string& error) {
    QuietLogs();
    SettingsHandle settings(new_fluid_settings());
    if (!settings) {
        error = "no synthesiser settings";
        return nullptr;
    }
    fluid_settings_setnum(settings.get(), "synth.sample-rate", rate);
    fluid_settings_setnum(settings.get(), "synth.gain", kSynthGain);
    // Each MIDI channel renders into its own stereo buffer, to be levelled on its own.
    fluid_settings_setint(settings.get(), "synth.audio-channels", kMidiChannels);
    fluid_settings_setint(settings.get(), "synth.audio-groups", kMidiChannels);
    // Dry notes: chorus detunes copies of the note against each other and reverb smears its
    // start and end, both in the way of hearing whether two pitches are the same.
    fluid_settings_setint(settings.get(), "synth.reverb.active", 0);
    fluid_settings_setint(settings.get(), "synth.chorus.active", 0);
    // Players are timed by the frames the synthesiser renders in the device callback.
    fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
    // Two players share this synthesiser: starting one must not reset the other's channels.
    fluid_settings_setint(settings.get(), "player.reset-synth", 0);
    SynthHandle synth(new_fluid_synth(settings.get()));
    if (!synth) {
        error = "no synthesiser";
        return nullptr;
    }
    if (cancel.load()) {
        error = "the SoundFont load was given up";
        return nullptr;
    }
    // The synthesiser owns a loader once it is added, and tries it before its own.
    fluid_sfloader_t* loader = new_fluid_defsfloader(settings.get());
    if (!loader) {
        error = "no SoundFont loader";
        return nullptr;
    }
    fluid_sfloader_set_callbacks(loader, OpenLoad, ReadLoad, SeekLoad, TellLoad, CloseLoad);
    fluid_synth_add_sfloader(synth.get(), loader);
    auto load = std::make_unique<Load>(Load{soundFont, &cancel});
    const int id = fluid_synth_sfload(synth.get(), LoadName(*load).c_str(), 1);
    fluid_sfont_t* sfont =
        id == FLUID_FAILED ? nullptr : fluid_synth_get_sfont_by_id(synth.get(), id);
    if (!sfont) {
        error = cancel.load() ? "the SoundFont load was given up"
                              : "cannot load the SoundFont " + soundFont;
        return nullptr;
    }
    const std::optional<ProgramGains> gains = LevelPrograms(synth.get(), sfont, rate, cancel);
    if (!gains) {
        error = "the SoundFont load was given up";
        return nullptr;
    }
    return std::make_unique<FluidMidiSynth>(std::move(settings), std::move(synth), std::move(load),
                                            *gains);
}

std::string SynthDefaultSoundFont() {
    QuietLogs();
    SettingsHandle settings(new_fluid_settings());
    char* file = nullptr;
    if (!settings ||
        fluid_settings_dupstr(settings.get(), "synth.default-soundfont", &file) != FLUID_OK ||
        !file) {
        return {};
    }
    std::string out = file;
    fluid_free(file);
    return out;
}
