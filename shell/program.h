// The program: the one object that owns the frame, both child windows, the note player, file
// channel 1 and the About box, and hands each window its collaborators when it is built.
// main() builds it on its stack when the splash screen closes, on the audio engine built before
// the splash showed; tests build their own.
#pragma once

#include "base/file_channel.h"
#include "live_analysis.h"
#include "main_window.h"
#include "notes/note_player.h"
#include "spectrum/spectrogram_strip.h"
#include "spectrum/spectrum_view.h"
#include "spectrum_analysis.h"
#include "waveview/waveform_view.h"

#include <memory>
#include <string>

class AudioEngine;
class QApplication;
class ProgramLauncher;
class Registry;
class frmAbout;
struct Services;

struct ProgramFolders {
    std::string data; // read-only: the demonstration wave and the note-file templates
    std::string user; // writable: the note files that are patched and played
};

class Program {
  public:
    // Builds every window on `services`, with every player on `engine` (which must outlive the
    // program), and runs the frame's load, which places and loads the children and arms the
    // start-up demonstration.
    Program(Services& services, AudioEngine& engine, const ProgramFolders& folders);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Shows the frame and both child windows.
    void Show();

    MDIForm1& Frame() { return frame_; }
    Form103& WaveView() { return wave_; }
    Form101& SpectrumView() { return spectrum_; }
    NotePlayer& Notes() { return notes_; }
    LiveAnalysis& Live() { return live_; }
    frmStrip& Strip() { return strip_; }
    FileChannel& Channel1() { return channel1_; }
    // The About box, built on first use.
    frmAbout& About();

  private:
    Services& services_;
    FileChannel channel1_;
    NotePlayer notes_;
    MDIForm1 frame_;
    Form101 spectrum_;
    SpectrumAnalysis analysis_;
    Form103 wave_;
    frmStrip strip_;
    LiveAnalysis live_;
    std::unique_ptr<Registry> registry_;
    std::unique_ptr<ProgramLauncher> launcher_;
    std::unique_ptr<frmAbout> about_;
};

// The folder of the user's writable note files.
std::string UserNoteFolder();

// Starts the program: the splash screen, then the main window, then the event loop. A
// non-empty `startFile` is loaded once the start-up demonstration has finished.
int RunTonvexa(QApplication& app, const std::string& startFile = {});
