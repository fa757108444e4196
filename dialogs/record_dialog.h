// The "Record" window: a small modal dialog that records a take from a capture source of the
// user's choice (a microphone, or the monitor of an output, which records what the computer
// plays), shows its level and length while it runs, and saves it as a wave file on Stop. The
// save runs off the user-interface thread, and a take is never thrown away without a question.
#pragma once

#include "audio/audio_capture.h"
#include "record_take.h"

#include <QDialog>

#include <cstdint>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTimer;
class LevelBar;
struct Services;

// What the Record window asks of the program around a take.
class RecordPort {
  public:
    virtual ~RecordPort() = default;
    // Silences the wave player and the note players before the take starts, so the take
    // does not record them and nothing starts while it runs.
    virtual void StopAllSound() = 0;
};

// Writes a take as a wave file, whole or not at all.
class TakeWriter {
  public:
    virtual ~TakeWriter() = default;
    // Runs on the saving thread, one call at a time. Empty on success, else why not, with
    // errno's text ("Cannot write ...: No space left on device").
    virtual std::string Write(const std::string& path, const std::vector<std::int16_t>& samples,
                              std::int32_t rate) = 0;
};

// The program's writer: WriteWave16Mono.
class WaveTakeWriter : public TakeWriter {
  public:
    std::string Write(const std::string& path, const std::vector<std::int16_t>& samples,
                      std::int32_t rate) override;
};

// Where takes go: the user's music folder's "Tonvexa" subfolder, or, when there is no music
// folder, the program's data folder (`fallback`).
struct TakeFolder {
    std::string path;
    bool fallback = false;
};
TakeFolder RecordingsFolder();

// The redraw interval of the meter and the elapsed time, ms (40 times a second).
constexpr int kRecordTickMs = 25;

class RecordDialog : public QDialog {
  public:
    // Lists the capture sources and opens the default one at once, so the meter shows the
    // level before a take starts. Takes are saved into `folder` (made when missing) through
    // `writer` (null: the program's wave writer); `limitFrames` ends a take. The save dialog
    // and the question come from `services`.
    RecordDialog(RecordPort& port, const Services& services, TakeFolder folder,
                 QWidget* parent = nullptr,
                 std::int64_t limitFrames = std::int64_t{kMaxTakeSeconds} * kRecordRate,
                 TakeWriter* writer = nullptr);
    // The window for a take made elsewhere (the last seconds Listen heard): no source is
    // opened; the take is saved at once as a recording is, and offered to open.
    RecordDialog(RecordPort& port, const Services& services, TakeFolder folder, Take kept,
                 QWidget* parent = nullptr, TakeWriter* writer = nullptr);
    // Waits for a save in progress, so no file is left half-written.
    ~RecordDialog() override;

    // Shows the window modally; the path of the saved take when the user chose to open it,
    // else nothing.
    std::optional<std::string> Run();

    // "Record" starts a take, "Stop" ends and saves it, "Save" retries a save that failed,
    // "Open" closes the window on the saved take.
    void Record_Click();
    // "Save as..." (offered after a failed save): the take goes where the save dialog says.
    void SaveAs_Click();
    // Records from the source at `index` of the list from now on.
    void Source_Click(int index);
    // Cancel, Escape and closing the window: an unsaved take (recording, or after a failed
    // save) is discarded only if the user says so; during a save the window closes once the
    // file is complete (or, if the save fails, once the user lets the take go).
    void reject() override;
    // One redraw: takes in the sound captured since the last one.
    void Tick();

    bool HasDevice() const { return device_ != nullptr; }
    bool Recording() const { return state_ == State::Recording; }
    bool Saving() const { return state_ == State::Saving; }
    // A take that is recorded and not yet saved (the save failed).
    bool Unsaved() const { return state_ == State::Unsaved; }
    bool Saved() const { return state_ == State::Saved; }
    const Take& CurrentTake() const { return take_; }
    const std::string& WrittenPath() const { return written_; }
    QPushButton& RecordButton() const { return *record_; }
    QPushButton& SaveAsButton() const { return *saveAs_; }
    QPushButton& CancelButton() const { return *cancel_; }
    QComboBox& SourceList() const { return *source_; }
    // The sources offered, in the list's order.
    const std::vector<CaptureSource>& Sources() const { return sources_; }
    std::string Message() const;   // the lines under the meter
    std::string LevelWord() const; // "Clipping", "Too quiet" or empty
    std::string Elapsed() const;

  private:
    enum class State { Monitoring, Recording, Saving, Unsaved, Saved };

    void BuildWindow();
    void OpenSource(int index);
    void Show(State s, const std::string& message);
    void Save();
    void StartSave(const std::string& path, bool makeFolder);
    void SaveFinished();
    bool DiscardAsked();
    std::string SourceName() const;

    RecordPort& port_;
    const Services& services_;
    TakeFolder folder_;
    WaveTakeWriter waveWriter_;
    TakeWriter& writer_;
    std::vector<CaptureSource> sources_;
    std::unique_ptr<CaptureDevice> device_;
    LevelMeter meter_;
    Take take_;
    std::vector<float> drained_;
    std::uint64_t droppedAtStart_ = 0;
    State state_ = State::Monitoring;
    std::string takeName_; // the file name for the take, from the time it ended
    std::string savingPath_;
    std::future<std::string> saving_; // the save in progress; the take is not touched meanwhile
    bool closeAfterSave_ = false;
    bool asking_ = false;
    std::string written_;

    LevelBar* bar_ = nullptr;
    QComboBox* source_ = nullptr;
    QLabel* levels_ = nullptr;
    QLabel* word_ = nullptr;
    QLabel* elapsed_ = nullptr;
    QLabel* message_ = nullptr;
    QPushButton* saveAs_ = nullptr;
    QPushButton* record_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer* timer_ = nullptr;
};
