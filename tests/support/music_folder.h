// While it lives, the desktop's music folder is a fresh folder (named in user-dirs.dirs), so
// what the program writes there lands in a place the test owns.
#pragma once

#include "fixtures.h"

#include <cstdlib>
#include <filesystem>
#include <string>

class MusicFolder {
  public:
    MusicFolder() {
        std::filesystem::create_directory(dir_.File("Music"));
        const std::string line = "XDG_MUSIC_DIR=\"" + dir_.File("Music") + "\"\n";
        WriteFile(dir_.File("user-dirs.dirs"), Bytes(line.begin(), line.end()));
        const char* old = std::getenv("XDG_CONFIG_HOME");
        hadOld_ = old != nullptr;
        old_ = old ? old : "";
        setenv("XDG_CONFIG_HOME", dir_.Path().c_str(), 1);
    }
    ~MusicFolder() {
        if (hadOld_) {
            setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
    }
    MusicFolder(const MusicFolder&) = delete;
    MusicFolder& operator=(const MusicFolder&) = delete;

    std::string Path() const { return dir_.File("Music"); }
    // The program's folder in it.
    std::string Tonvexa() const { return Path() + "/Tonvexa"; }

  private:
    TempDir dir_;
    std::string old_;
    bool hadOld_ = false;
};
