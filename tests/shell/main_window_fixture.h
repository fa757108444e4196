// The real program with its windows on the test doubles, made fresh for each test and
// destroyed after it.
#pragma once

#include "audio/audio_engine.h"
#include "shell/program.h"
#include "tests/support/doubles.h"
#include "tests/support/fixtures.h"
#include "ui/services.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

// While it lives, the desktop's music folder is a fresh folder (named in user-dirs.dirs).
class MusicFolder {
  public:
    MusicFolder() {
        std::filesystem::create_directory(dir_.File("Music"));
        WriteFile(dir_.File("user-dirs.dirs"),
                  ToBytes("XDG_MUSIC_DIR=\"" + dir_.File("Music") + "\"\n"));
        const char* old = std::getenv("XDG_CONFIG_HOME");
        old_ = old ? old : "";
        setenv("XDG_CONFIG_HOME", dir_.Path().c_str(), 1);
    }
    ~MusicFolder() {
        if (old_.empty()) {
            unsetenv("XDG_CONFIG_HOME");
        } else {
            setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
        }
    }
    std::string Path() const { return dir_.File("Music"); }

  private:
    static Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }
    TempDir dir_;
    std::string old_;
};

class ProgramTest : public ::testing::Test {
  protected:
    // Builds the program on folders of its own: `data` read-only, `user` writable, and on an
    // audio engine of its own, opened on the sound driver the environment names now (a
    // program already built is ended first, with its engine).
    void Start(const std::string& data, const std::string& user) {
        TearDown();
        TestServices().Reset();
        engine.emplace();
        program =
            std::make_unique<Program>(TestServices().services, *engine, ProgramFolders{data, user});
    }
    void TearDown() override {
        program.reset();
        engine.reset();
    }

    MDIForm1& Frame() { return program->Frame(); }
    Form103& Wave() { return program->WaveView(); }
    Form101& Spectrum() { return program->SpectrumView(); }

    std::optional<AudioEngine> engine;
    std::unique_ptr<Program> program;
};

class MainWindowTest : public ProgramTest {
  protected:
    void SetUp() override { Start(AppPath(), userDir.Path()); }

    TempDir userDir;
};
