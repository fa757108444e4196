// General MIDI synthesis with FluidSynth: one synthesiser rendered in the device callback,
// a fluid_player per MIDI file played on it, timed by the frames the synthesiser renders.
#include "audio_backend.h"

#include <fluidsynth.h>

#include <mutex>

namespace {

// The library's default gain (0.2) is too quiet beside full-scale wave files.
constexpr double kSynthGain = 0.8;
constexpr int kMidiChannels = 16;

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
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, nullptr, nullptr);
    });
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
    FluidMidiSynth(SettingsHandle settings, SynthHandle synth)
        : settings_(std::move(settings)), synth_(std::move(synth)) {}
    ~FluidMidiSynth() override {
        synth_.reset(); // before the settings it was made from
    }

    void Render(float* stereo, int frames) override {
        fluid_synth_write_float(synth_.get(), frames, stereo, 0, 2, stereo, 1, 2);
    }
    bool Sounding() const override { return fluid_synth_get_active_voice_count(synth_.get()) > 0; }

    std::unique_ptr<MidiPlayer> Play(const MidiBytes& file) override {
        PlayerHandle p(new_fluid_player(synth_.get()));
        if (!p || fluid_player_add_mem(p.get(), file.data(), file.size()) != FLUID_OK ||
            fluid_player_play(p.get()) != FLUID_OK)
            return nullptr;
        return std::make_unique<FluidPlayer>(std::move(p));
    }

    void NotesOff(std::uint16_t channelMask) override {
        for (int c = 0; c < kMidiChannels; ++c)
            if (channelMask & (1u << c))
                fluid_synth_all_notes_off(synth_.get(), c);
    }

  private:
    SettingsHandle settings_;
    SynthHandle synth_;
};

} // namespace

std::unique_ptr<MidiSynth> MakeMidiSynth(double rate, const std::string& soundFont,
                                         std::string& error) {
    QuietLogs();
    SettingsHandle settings(new_fluid_settings());
    if (!settings) {
        error = "no synthesiser settings";
        return nullptr;
    }
    fluid_settings_setnum(settings.get(), "synth.sample-rate", rate);
    fluid_settings_setnum(settings.get(), "synth.gain", kSynthGain);
    // Players are timed by the frames the synthesiser renders in the device callback.
    fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
    // Two players share this synthesiser: starting one must not reset the other's channels.
    fluid_settings_setint(settings.get(), "player.reset-synth", 0);
    SynthHandle synth(new_fluid_synth(settings.get()));
    if (!synth) {
        error = "no synthesiser";
        return nullptr;
    }
    if (fluid_synth_sfload(synth.get(), soundFont.c_str(), 1) == FLUID_FAILED) {
        error = "cannot load the SoundFont " + soundFont;
        return nullptr;
    }
    return std::make_unique<FluidMidiSynth>(std::move(settings), std::move(synth));
}
