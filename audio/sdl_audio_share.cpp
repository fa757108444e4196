#include "sdl_audio_share.h"

#include <SDL.h>

SdlAudioShare::SdlAudioShare() : ok_(SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {}

SdlAudioShare::~SdlAudioShare() {
    if (ok_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}
