// The program's folder for a test: a private copy of the shipped files (demonstration wave and
// note files), made the folder the program runs from for the test's lifetime.
#pragma once

#include "fixtures.h"
#include "platform/services.h"

#include <cstdlib>
#include <initializer_list>
#include <string>

class ProgramFolder {
  public:
    // Copies the named assets (TONVEXA_ASSETS names their folder) and points AppPath here.
    explicit ProgramFolder(std::initializer_list<const char*> files = {"Demo.wav", "Pia_do.mid",
                                                                       "Pis_do.mid"}) {
        const char* assets = std::getenv("TONVEXA_ASSETS");
        for (const char* f : files) {
            WriteFile(dir_.File(f), ReadFile(std::string(assets ? assets : ".") + "/" + f));
        }
        SetAppPath(dir_.Path());
    }
    ~ProgramFolder() { SetAppPath(""); }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::string& Path() const { return dir_.Path(); }
    std::string File(const std::string& name) const { return dir_.File(name); }
    // The original bytes of a shipped file.
    static Bytes Asset(const std::string& name) {
        const char* assets = std::getenv("TONVEXA_ASSETS");
        return ReadFile(std::string(assets ? assets : ".") + "/" + name);
    }

  private:
    TempDir dir_;
};
