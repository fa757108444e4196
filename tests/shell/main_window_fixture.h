// The real program with its windows on the test doubles, made fresh for each test and
// destroyed after it.
#pragma once

#include "audio/audio_engine.h"
#include "shell/program.h"
#include "spectrum/spectrum_graph.h"
#include "spectrum/spectrum_view.h"
#include "tests/support/doubles.h"
#include "tests/support/fixtures.h"
#include "tests/support/music_folder.h"
#include "ui/services.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// Moves the mouse over the spectrum's strongest bin, so the labels name its note as the user
// reads them.
inline void HoverStrongestBin(Form101& spectrum) {
    const auto& mag = spectrum.Arrays().MagFt;
    std::int32_t peak = 1;
    for (std::int32_t k = 1; k < spectrum.NPontGraf; ++k) {
        if (mag[static_cast<std::size_t>(k + 1)] > mag[static_cast<std::size_t>(peak + 1)]) {
            peak = k;
        }
    }
    const double x = BinX(peak, spectrum.NPontGraf, spectrum.FreqGraf());
    spectrum.Picture2_MouseMove(0, 0, static_cast<float>(x), 1000);
}

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
