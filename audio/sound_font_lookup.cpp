#include "sound_font_lookup.h"

#include "audio_backend.h"

#include <QStandardPaths>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

bool IsFile(const fs::path& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec); // follows links; a broken one fails
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// default-GM.<kind> in the folder, else its first *.<kind> file by name; empty when none.
std::string FindInFolder(const fs::path& folder, const std::string& kind) {
    const fs::path preferred = folder / ("default-GM." + kind);
    if (IsFile(preferred)) {
        return preferred.string();
    }
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (Lower(entry.path().extension().string()) == "." + kind && IsFile(entry.path())) {
            found.push_back(entry.path().string());
        }
    }
    return found.empty() ? std::string() : *std::min_element(found.begin(), found.end());
}

} // namespace

std::string FindSoundFont(const SoundFontPlaces& places) {
    for (const std::string& file : {places.named, places.synthDefault}) {
        if (IsFile(file)) {
            return file;
        }
    }
    for (const std::string& data : places.dataFolders) {
        if (data.empty()) {
            continue;
        }
        for (const char* kind : {"sf2", "sf3"}) {
            const std::string found = FindInFolder(fs::path(data) / "sounds" / kind, kind);
            if (!found.empty()) {
                return found;
            }
        }
    }
    return {};
}

std::string SystemSoundFont() {
    SoundFontPlaces places;
    if (const char* named = std::getenv("TONVEXA_SOUNDFONT")) {
        places.named = named;
    }
    places.synthDefault = SynthDefaultSoundFont();
    for (const QString& folder :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        places.dataFolders.push_back(folder.toStdString());
    }
    return FindSoundFont(places);
}
