// The program's folders for a test: a private copy of the shipped read-only files
// (demonstration wave and note-file templates), and an empty private folder for the user's
// note files.
#pragma once

#include "fixtures.h"

#include <cstdlib>
#include <initializer_list>
#include <string>

class ProgramFolder {
  public:
    // Copies the named assets (TONVEXA_ASSETS names their folder).
    explicit ProgramFolder(std::initializer_list<const char*> files = {"Demo.wav", "Pia_do.mid",
                                                                       "Pis_do.mid"}) {
        for (const char* f : files) {
            WriteFile(dir_.File(f), Asset(f));
        }
    }

    const std::string& Path() const { return dir_.Path(); }
    std::string File(const std::string& name) const { return dir_.File(name); }
    // The user's data folder, where the note files are patched and played.
    const std::string& UserPath() const { return user_.Path(); }
    std::string UserFile(const std::string& name) const { return user_.File(name); }
    // The original bytes of a shipped file.
    static Bytes Asset(const std::string& name) {
        const char* assets = std::getenv("TONVEXA_ASSETS");
        return ReadFile(std::string(assets ? assets : ".") + "/" + name);
    }

  private:
    TempDir dir_;
    TempDir user_;
};
