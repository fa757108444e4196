// A waveform view of its own, loaded through a stand-in main window, for tests that do not
// need the rest of the program.
#pragma once

#include "tests/support/doubles.h"
#include "tests/support/fixtures.h"
#include "tests/waveview/test_shell.h"
#include "tests/waveview/test_spectrum.h"
#include "waveview/waveform_view.h"

#include "audio/audio_engine.h"
#include "base/file_channel.h"

#include <gtest/gtest.h>

#include <memory>

class StandaloneView : public ::testing::Test {
  protected:
    void SetUp() override {
        TestServices().Reset();
        view =
            std::make_unique<Form103>(TestServices().services, channel1, shell, spectrum, engine);
        view->Form_Load();
    }

    // Loads the file at `path` as the open dialog would name it.
    void LoadPath(const std::string& path) {
        shell.dialog.SetFileName(path);
        view->LerFileDad_3();
    }

    TempDir dir;
    TestShell shell;
    TestSpectrum spectrum;
    FileChannel channel1;
    AudioEngine engine;
    std::unique_ptr<Form103> view;
};
