// Where the General MIDI SoundFont for the notes is found. The search itself is pure (the file
// system only); SystemSoundFont gathers the places from the user's environment.
#pragma once

#include <string>
#include <vector>

// The places searched, in the order they are tried.
struct SoundFontPlaces {
    std::string named;                    // TONVEXA_SOUNDFONT; empty when unset
    std::string synthDefault;             // the synthesiser's own default SoundFont setting
    std::vector<std::string> dataFolders; // the XDG data folders, the user's own first
};

// The first SoundFont that exists as a file: the named one, then the synthesiser's default,
// then for each data folder in turn its sounds/sf2 and then its sounds/sf3 folder, where
// default-GM.sf2 (.sf3) comes first and otherwise the first *.sf2 (*.sf3) by name. Empty when
// there is none.
std::string FindSoundFont(const SoundFontPlaces& places);

// FindSoundFont on this user's places: TONVEXA_SOUNDFONT, FluidSynth's default setting and
// the generic data folders (XDG_DATA_HOME, then XDG_DATA_DIRS).
std::string SystemSoundFont();
