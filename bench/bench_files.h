// Large wave files made at benchmark time in the temporary folder, and silent stand-ins for
// the desktop and the frame, so the views can be benchmarked on their own.
#pragma once

#include "audio/audio_backend.h"
#include "audio/audio_engine.h"
#include "base/file_channel.h"
#include "notes/note_player.h"
#include "spectrum/graph_style_port.h"
#include "ui/common_dialog.h"
#include "ui/services.h"
#include "waveview/analysis_port.h"
#include "waveview/frame_port.h"

#include <atomic>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

// A 60-minute 44.1 kHz 16-bit stereo wave (about 635 MB), made once per run and removed
// when the benchmark program ends.
const std::string& SixtyMinuteStereo16();
// The same signal for two seconds (88200 frames), made once per run.
const std::string& TwoSecondStereo16();
// A header up to its format fields followed by 512 MiB of "d" bytes: the data search's worst
// case, made once per run.
const std::string& HalfGibOfD();

// Little-endian sample and field writers, and the 44-byte header of a 16-bit PCM wave of
// `channels` channels and `frames` frames at `rate`, for the files a benchmark makes itself.
void Put16(std::ofstream& out, int v);
void Put32(std::ofstream& out, std::uint32_t v);
void PutWaveHeader16(std::ofstream& out, int channels, int rate, std::uint32_t frames);

// Every completed drawing ends with one beep: counting beeps counts renderer runs.
class CountingBeep : public BeepService {
  public:
    void Beep() override { ++count; }
    std::int64_t count = 0;
};

class SilentMessages : public MessageBoxService {
  public:
    void Show(const std::string&, const std::string&, MsgIcon) override { ++shown; }
    bool Confirm(const std::string&, const std::string&, const std::string&,
                 const std::string&) override {
        return false;
    }
    int shown = 0;
};

class CancelledDialog : public FileDialogService {
  public:
    std::optional<std::string> GetOpenFileName(const std::string&, const std::string&) override {
        return {};
    }
    std::optional<std::string> GetSaveFileName(const std::string&, const std::string&,
                                               const std::string&) override {
        return {};
    }
};

class StillPointer : public ScreenPointerService {
  public:
    void Set(MousePointer p) override { current = p; }
    MousePointer Get() const override { return current; }
    MousePointer current = MousePointer::Default;
};

// The system's audio libraries without an output device: an engine on it plays nothing and
// starts no device thread. The views benchmarked never play; a device thread beside them
// (SDL raises it to nice -20) would make their wall times hang on the machine's other work.
class NoDeviceBackend : public AudioBackend {
  public:
    std::unique_ptr<OutputDevice> OpenOutputDevice(int, int, RenderFunction, void*,
                                                   std::string& error) override {
        error = "no output device in the benchmarks of the views";
        return nullptr;
    }
    std::string DefaultOutputName() override { return {}; }
    std::unique_ptr<SoundFile> OpenSoundFile(const std::string& path,
                                             SoundFileError& error) override {
        return system_->OpenSoundFile(path, error);
    }
    std::unique_ptr<Resampler> MakeResampler(int channels, int fromRate, int toRate) override {
        return system_->MakeResampler(channels, fromRate, toRate);
    }
    std::unique_ptr<MidiSynth> MakeMidiSynth(double rate, const std::string& soundFont,
                                             const std::atomic<bool>& cancel,
                                             std::string& error) override {
        return system_->MakeMidiSynth(rate, soundFont, cancel, error);
    }

  private:
    std::unique_ptr<AudioBackend> system_ = MakeSystemAudioBackend();
};

// The desktop and the frame as a view sees them, silent: the open dialog names the file.
class BenchShell : public FramePort, public GraphStylePort {
  public:
    BenchShell()
        : dialog(files),
          engine(AudioSettings{{}, kDefaultBufferFrames, std::make_shared<NoDeviceBackend>()}),
          notes(engine, ".", ".") {}
    CommonDialog& CommonDialog1() override { return dialog; }
    void mnuOpen_Click() override {}
    void SetCaption(const std::string&) override {}
    std::string Caption() const override { return {}; }
    void SetPointer(MousePointer) override {}
    std::string ProgAdd() const override { return "."; }
    bool LineStyleChecked() const override { return true; }
    void ShowStatus(const std::string&) override {}
    std::string StatusText() const override { return {}; }

    SilentMessages messages;
    CancelledDialog files;
    CountingBeep beep;
    StillPointer screen;
    Services services{&messages, &files, &beep, &screen};
    FileChannel channel1;
    CommonDialog dialog;
    AudioEngine engine;
    NotePlayer notes;
};

// An analysis that is never asked for, for the waveform view benchmarked alone.
class NoAnalysis : public AnalysisPort {
  public:
    void DescribeBlock(const BlockSource&) override {}
    void Analyse(std::vector<double>&, std::int32_t, std::int32_t) override {}
    void BlockUnread(const BlockSource&, const std::string&) override {}
    bool MarkedPeak() const override { return false; }
    float XMark() const override { return 0; }
    void NameNoteAt(float) override {}
    void SoundNamedNote() override {}
    void StopNote() override {}
};
