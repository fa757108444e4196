// General MIDI synthesis with FluidSynth: one synthesiser rendered in the device callback,
// a fluid_player per MIDI file played on it, timed by the frames the synthesiser renders.
#include "audio_backend.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
    if (n.rfind(kLoadPrefix, 0) != 0)
        return nullptr;
    void* address = nullptr;
    if (std::sscanf(n.c_str() + sizeof kLoadPrefix - 1, "%p", &address) != 1 || !address)
        return nullptr;
    const auto* load = static_cast<const Load*>(address);
    std::FILE* f = std::fopen(load->path.c_str(), "rb");
    return f ? new LoadFile{f, load->cancel} : nullptr;
}

int ReadLoad(void* buffer, fluid_long_long_t count, void* handle) {
    auto* h = static_cast<LoadFile*>(handle);
    auto* at = static_cast<char*>(buffer);
    while (count > 0) {
        if (h->cancel->load(std::memory_order_relaxed))
            return FLUID_FAILED;
        const auto piece = static_cast<std::size_t>(std::min(count, kReadPiece));
        if (std::fread(at, 1, piece, h->file) != piece)
            return FLUID_FAILED;
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
    FluidMidiSynth(SettingsHandle settings, SynthHandle synth, std::unique_ptr<Load> load)
        : settings_(std::move(settings)), synth_(std::move(synth)), load_(std::move(load)) {}
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
    std::unique_ptr<Load> load_; // the name the SoundFont was loaded by stays valid
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
    if (fluid_synth_sfload(synth.get(), LoadName(*load).c_str(), 1) == FLUID_FAILED) {
        error = cancel.load() ? "the SoundFont load was given up"
                              : "cannot load the SoundFont " + soundFont;
        return nullptr;
    }
    return std::make_unique<FluidMidiSynth>(std::move(settings), std::move(synth), std::move(load));
}
