#include "sdl_audio_share.h"

#include <SDL.h>

#include <cstdlib>

namespace {

constexpr const char* kAppName = "Tonvexa";
// The installed icon's name in the icon theme, which is the program's application id.
constexpr const char* kIconName = TONVEXA_APP_ID;

// Read when the subsystem starts (the monitors) and when a device opens (the names). The
// icon and the id have no SDL hint: the PulseAudio client library, which SDL's PulseAudio
// driver uses (also on PipeWire's PulseAudio server), adds PULSE_PROP_<key> from the
// environment to the program's properties, and the server hands them on to every stream. A
// value the user set is kept.
void SetStreamHints() {
    SDL_SetHint(SDL_HINT_AUDIO_INCLUDE_MONITORS, "1");
    SDL_SetHint(SDL_HINT_APP_NAME, kAppName);
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, kAppName);
    setenv("PULSE_PROP_application.icon_name", kIconName, 0);
    setenv("PULSE_PROP_application.id", TONVEXA_APP_ID, 0);
}

} // namespace

SdlAudioShare::SdlAudioShare() : ok_((SetStreamHints(), SDL_InitSubSystem(SDL_INIT_AUDIO) == 0)) {}

SdlAudioShare::~SdlAudioShare() {
    if (ok_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void NameNextStream(const char* name) {
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, name);
}
