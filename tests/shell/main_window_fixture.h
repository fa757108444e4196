// The real program with its windows on the test doubles, made fresh for each test and
// destroyed after it.
#pragma once

#include "audio/audio_engine.h"
#include "shell/program.h"
#include "tests/support/doubles.h"
#include "tests/support/fixtures.h"
#include "tests/support/music_folder.h"
#include "ui/services.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

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
