// The program on a private copy of its folder, with the start-up demonstration held back, for
// the tests of the Instrument menu, the keyboard and the comparison.
#pragma once

#include "audio/audio_engine.h"
#include "tests/shell/main_window_fixture.h"
#include "tests/support/program_folder.h"
#include "tests/support/pump.h"

class NotesTest : public ProgramTest {
  protected:
    void SetUp() override {
        Start(folder.Path(), folder.UserPath());
        Frame().Timer2.SetEnabled(false);
        // The sequencer opens its files on a synthesiser that has its instruments.
        ASSERT_TRUE(PumpUntil(
            [this] { return engine->Info().soundFont != SoundFontState::Loading; }, 10000));
    }

    NotePlayer& Notes() { return program->Notes(); }
    std::uint8_t PianoByte(int position) const { return Byte("Pia_do.mid", position); }
    std::uint8_t InstrumentByte(int position) const { return Byte("Pis_do.mid", position); }
    // A byte of the user's copy of a note file.
    std::uint8_t Byte(const std::string& file, int position) const {
        return ReadFile(folder.UserFile(file)).at(static_cast<std::size_t>(position - 1));
    }

    ProgramFolder folder;
};
