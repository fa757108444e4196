// Live analysis: Analysis > Follow playback and Analysis > Listen. Once a display frame the
// spectrum view shows the last block of sound: the block just heard from the wave player (read
// from the file through file channel 1, ending where the device's latency says the sound is),
// or the block just captured from the microphone (the Record window's capture, 48 kHz mono).
// The spectrogram strip shows the last 5 s of them. Everything runs on the user-interface
// thread; the audio threads only copy sound, as they do without it.
#pragma once

#include "dialogs/record_take.h"

#include <QElapsedTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class AudioEngine;
class CaptureDevice;
class FileChannel;
class Form101;
class Form103;
class MDIForm1;
class QAction;
class QTimer;
class frmStrip;
struct Services;

// The blocks' size when the waveform view has no selection (so no FftPoints).
constexpr std::int32_t kLivePointsWithoutSelection = 4096;
// The longest take "Keep the last seconds" makes, and so the sound Listen keeps.
constexpr std::int32_t kKeptSeconds = 60;
// Listening stops when the device delivers nothing for this long, ms.
constexpr int kListenStallMs = 3000;

// "at 2.35 s": the time of the block on show, to the hundredth, with the user's separator.
std::string BlockTimeText(double seconds);
// "Listening: level ██████░░░░ -23.4 dBFS": the RMS level as a bar of ten cells from -60 dBFS.
std::string ListenLevelText(double rmsDbfs, const std::string& word);

class LiveAnalysis {
  public:
    LiveAnalysis(MDIForm1& frame, Form103& wave, Form101& spectrum, frmStrip& strip,
                 AudioEngine& engine, FileChannel& channel1, Services& services);
    ~LiveAnalysis();
    LiveAnalysis(const LiveAnalysis&) = delete;
    LiveAnalysis& operator=(const LiveAnalysis&) = delete;

    // Analysis > Follow playback: while on, every play of the wave player is followed.
    void SetFollow(bool on);
    bool Following() const { return follow_; }
    // Analysis > Listen (Ctrl+L): starts listening, or stops when listening. Escape stops too.
    void Listen_Click();
    // Stops listening; `message` (when not empty) tells the user why, in a message box.
    void StopListening(const std::string& message = {});
    bool Listening() const { return device_ != nullptr; }
    // Analysis > Keep the last seconds: the sound heard in the last 60 s (or since Listen
    // started) becomes a take, saved and opened as a recording is. Listening stops.
    void Keep_Click();

    // One display frame; the timer runs it. Public for tests and benchmarks.
    void Frame();
    // A follow frame's work: the block of the loaded file's chosen channel that ends at
    // `heardMs` (ms from the file's start, none of it before the play's start) read, analysed
    // and drawn with the strip's row. Public for benchmarks.
    void ShowHeardBlock(double heardMs);
    // The frame interval: the display's refresh period, at least 30 frames a second, ms.
    int FrameIntervalMs() const;
    // The output device's latency as the engine reports it: one buffer period, ms.
    double LatencyMs() const;

    // ---- Probes for tests and benchmarks ----
    // Runs after every live block drawn, with the block's end (seconds of its source).
    std::function<void(double seconds)> BlockShown;
    // Runs when Listen starts or stops (the frame enables "Keep the last seconds").
    std::function<void(bool listening)> ListeningChanged;
    std::int64_t BlocksShown() const { return blocks_; }

  private:
    void Arm();
    void FollowFrame();
    void ListenFrame();
    // A live block is on show: the strip shows beneath the spectrum, the waveform view moves
    // down to make room. Off: both as they were.
    void ShowStrip(bool on);
    void Rest();
    std::int32_t LivePoints() const;
    void Shown(const std::vector<float>& peaks, double fullScale, double seconds);

    MDIForm1& frame_;
    Form103& wave_;
    Form101& spectrum_;
    frmStrip& strip_;
    AudioEngine& engine_;
    FileChannel& channel1_;
    Services& services_;
    std::unique_ptr<QTimer> timer_;
    QAction* escape_ = nullptr;
    bool follow_ = false;
    bool stripShown_ = false;
    int grown_ = 0; // pixels the frame grew to show the strip
    std::int64_t blocks_ = 0;
    std::vector<double> block_; // the live block, 1-based

    // Listening.
    std::unique_ptr<CaptureDevice> device_;
    LevelMeter meter_;
    std::vector<float> drained_;
    std::vector<float> heard_;    // the last kKeptSeconds of sound, circular
    std::int64_t heardTotal_ = 0; // frames captured since Listen started
    QElapsedTimer sinceSound_;    // since the device last delivered
};
