// The program on a private copy of its folder, with the start-up demonstration held back, for
// the tests of the Instrument menu, the keyboard and the comparison.
#pragma once

#include "platform/audio_engine.h"
#include "platform/file_channel.h"
#include "shell/main_window.h"
#include "shell/note_state.h"
#include "spectrum/spectrum_view.h"
#include "tests/support/doubles.h"
#include "tests/support/program_folder.h"
#include "tests/support/pump.h"

#include <gtest/gtest.h>

class NotesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestServices().Reset();
        TheMDIForm1().Timer2.SetEnabled(false);
        // The sequencer opens its files on a synthesiser that has its instruments.
        ASSERT_TRUE(
            PumpUntil([] { return CurrentAudio().soundFont != SoundFontState::Loading; }, 10000));
    }
    void TearDown() override {
        Channel1().Close();
        DestroyWindows();
    }

    std::uint8_t PianoByte(int position) const { return Byte("Pia_do.mid", position); }
    std::uint8_t InstrumentByte(int position) const { return Byte("Pis_do.mid", position); }
    std::uint8_t Byte(const std::string& file, int position) const {
        return ReadFile(folder.File(file)).at(static_cast<std::size_t>(position - 1));
    }

    ProgramFolder folder;
};
