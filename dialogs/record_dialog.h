// The "Record" window: a small modal dialog that records a take from the microphone, shows
// its level and length while it runs, and writes it as a wave file on Stop.
#pragma once

#include "record_take.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class CaptureDevice;
class QLabel;
class QPushButton;
class QTimer;
class LevelBar;

// What the Record window asks of the program around a take.
class RecordPort {
  public:
    virtual ~RecordPort() = default;
    // Silences the wave player and the note players before the take starts, so the take
    // does not record them and nothing starts while it runs.
    virtual void StopAllSound() = 0;
};

// Where takes go: the user's music folder's "Tonvexa" subfolder, or the program's data folder
// when there is no music folder.
std::string RecordingsFolder();

// The redraw interval of the meter and the elapsed time, ms (40 times a second).
constexpr int kRecordTickMs = 25;

class RecordDialog : public QDialog {
  public:
    // Opens the capture device at once, so the meter shows the level before a take starts.
    // Takes are written into `folder` (made when missing); `limitFrames` ends a take.
    RecordDialog(RecordPort& port, std::string folder, QWidget* parent = nullptr,
                 std::int64_t limitFrames = std::int64_t{kMaxTakeSeconds} * kRecordRate);
    ~RecordDialog() override;

    // Shows the window modally; the path of the written take, or nothing when cancelled.
    std::optional<std::string> Run();

    // "Record" starts a take, "Stop" ends and saves it, "Save" retries a save that failed.
    void Record_Click();
    // One redraw: takes in the sound captured since the last one.
    void Tick();

    bool HasDevice() const { return device_ != nullptr; }
    bool Recording() const { return state_ == State::Recording; }
    const Take& CurrentTake() const { return take_; }
    const std::string& WrittenPath() const { return written_; }
    QPushButton& RecordButton() const { return *record_; }
    QPushButton& CancelButton() const { return *cancel_; }
    std::string Message() const;   // the line under the meter
    std::string LevelWord() const; // "Clipping", "Too quiet" or empty
    std::string Elapsed() const;

  private:
    enum class State { Monitoring, Recording, Unsaved };

    void BuildWindow();
    void Show(State s, const std::string& message);
    void Save();

    RecordPort& port_;
    std::string folder_;
    std::unique_ptr<CaptureDevice> device_;
    LevelMeter meter_;
    Take take_;
    std::vector<float> drained_;
    std::uint64_t droppedAtStart_ = 0;
    State state_ = State::Monitoring;
    std::string written_;

    LevelBar* bar_ = nullptr;
    QLabel* levels_ = nullptr;
    QLabel* word_ = nullptr;
    QLabel* elapsed_ = nullptr;
    QLabel* message_ = nullptr;
    QPushButton* record_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer* timer_ = nullptr;
};
