// The waveform view `Form103`: reads, describes and draws the current wave file, holds the
// stretch on show and the mouse selection, and hands selected samples to the analysis.
// Most of its state lives in the captions of its labels (empty caption: not set).
#pragma once

#include "ui/control_widgets.h"
#include "ui/form.h"
#include "ui/mm_control.h"
#include "ui/picture_box.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class AnalysisPort;
class AudioEngine;
class FileChannel;
class FramePort;
struct Services;
struct ViewStretch;
enum class CursorLines;

class Form103 : public Form {
  public:
    // The view reads its files through `channel1`, asks `frame` for the current file, hands
    // its samples to `analysis` and plays them on `engine`.
    Form103(Services& services, FileChannel& channel1, FramePort& frame, AnalysisPort& analysis,
            AudioEngine& engine);
    ~Form103() override;

    // ---- Window events ----
    void Form_Load();
    void Form_Unload();
    // A handler failed: the hourglass goes and file channel 1 closes.
    void HandlerFailed() override;

    // ---- Operations ----
    // Loads and draws the file named by the main window's open dialog.
    void LerFileDad_3();
    // Draws `Lendad` frames from the 1-based file position `Inidad`; file channel 1 is open.
    void GrafWave8BM(std::int64_t Inidad, std::int32_t Lendad);
    // Clears the view: every value text empty, drawings cleared, no file loaded.
    void LimpF();
    // Sets the transform size from the selection size.
    void PonTransf();

    // ---- Selection with the mouse: button set (1 left, 2 right, 4 middle), shift, x and y
    // in twips of the surface (Picture4's origin is the graph's). The pointer shapes of
    // Picture2 and Picture4 are part of the state: the resize arrow means "over an edge". ----
    void Picture2_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Picture2_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Picture2_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Picture4_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Picture4_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Picture4_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Picture5_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Picture5_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
    // Moves the left edge of the selection window to x, keeping the right edge where it was
    // when the drag began; does nothing closer than 50 twips to it.
    void MovEsquerdo(const float& X);

    // ---- Zoom, amplification and graph style ----
    void Command6_Click();  // "Zoom"
    void Command7_Click();  // "Normal"
    void Command8_Click();  // "Cancel"
    void Command11_Click(); // "x 2"
    void Command12_Click(); // "x 1/2"
    void Option3_Click();   // "Line"
    void Option4_Click();   // "Points"

    // Puts the graphs as drawn on the clipboard as a picture (Ctrl+C while the view is active).
    void CopyGraphs();

    // ---- Hand-off to the analysis ----
    // "FFT": reads FftPoints frames of the chosen channel from the first selected frame and
    // hands them to the spectrum view's transform.
    void Command5_Click();

    // ---- Playback through MMControl1, with the play cursor ----
    void Command1_Click(); // "Play": the play range once
    void Command2_Click(); // "Pause": pauses, or resumes when paused
    void Command3_Click(); // "Stop": the completion that follows returns the view to rest
    void Command4_Click(); // "Play Cyclic": the play range again and again until "Stop"
    // Opens the player on the current wave file with the play range and, on a first pass,
    // places the cursor at the range start and marks the view as playing.
    void PrepPlay();
    // Moves the cursor lines to the player's position (every 50 ms while playing).
    void MMControl1_StatusUpdate();
    // A play ended (reached its end or was stopped): plays again or returns to rest.
    void MMControl1_Done();

    // ---- Compare FFT (waveform_view_compare.cpp) ----
    // "Compare FFT": plays the selection, after which the note of the spectrum's marked peak
    // sounds for about the selection's duration; without a mark it says so.
    void Command9_Click();
    // The note timer: stops the note on the spectrum's keyboard and enables "Compare FFT".
    void Timer1_Timer();

    // ---- Play harmonics (waveform_view_harmonics.cpp) ----
    // Seconds of the play range; 0 without a file.
    double PlayRangeSeconds() const;
    // RMS of the play range's samples as the wave player sounds them (every channel, full
    // scale 1); none without a file or range, or when the file cannot be read.
    std::optional<double> PlayRangeRms();
    // Plays the range, then `insert` (mono, at the file's rate), then the range again, without
    // a gap, through MMControl1, the cursor running over the range as in a play; whatever
    // plays stops first. False when no file is loaded or the player could not open.
    bool PlaySpliced(std::vector<float> insert);

    // ---- What the frame asks of the view ----
    // Whether "Compare FFT" is still under way: its selection playing or its note sounding.
    bool Comparing() const { return CompareArmed || Timer1.Enabled(); }
    // Silences the view for a recording: a pending comparison is dropped (no note follows),
    // a play stops and the comparison's note ends.
    void StopForRecording();

    // ---- State held as label text, read-only outside the view (it writes the labels) ----
    const Label& SampleRate() const { return Label8; }
    const Label& ChannelsText() const { return Label9; }
    const Label& BitsText() const { return Label10; }
    const Label& DataStart() const { return Label11; }
    const Label& BlockAlign() const { return Label12; }
    const Label& DataSize() const { return Label13; }
    const Label& TotalPoints() const { return Label6[0]; }
    const Label& DurationText() const { return Label14; }
    const Label& TotalSecs() const { return Label15[0]; }
    const Label& ViewSecs() const { return Label15[1]; }
    const Label& ViewPoints() const { return Label6[1]; }
    const Label& ViewIniMs() const { return Label4; }
    const Label& ViewIniPoint() const { return Label17; }
    const Label& SelIniTime() const { return Label16[1]; }
    const Label& SelEndTime() const { return Label16[2]; }
    const Label& SelTime() const { return Label16[3]; }
    const Label& SelIniPoint() const { return Label16[4]; }
    const Label& SelEndPoint() const { return Label16[5]; }
    const Label& SelPoints() const { return Label16[6]; }
    const Label& FftPoints() const { return Label19; }

    // ---- Fields ----
    bool FileLoaded = false;
    bool PlayIdle = true;
    std::int16_t PlayMode = 0;
    std::int32_t SelIniMs = 0;
    std::int32_t SelEndMs = 0;
    std::int16_t CursorX = 0;
    bool CompareArmed = false;
    std::int16_t LastMouseX = 0;
    std::int32_t DragWidth0 = 0;
    std::int32_t DragLeft0 = 0;
    bool DragLeftEdge = false;
    bool DragRightEdge = false;
    float Amp8Mono = 15.0f;
    float Amp16Mono = 1.0f / 17;
    float Amp8Stereo = 7.0f;
    float Amp16Stereo = 1.0f / 35;

    // ---- Controls ----
    // Declared in placement order (containers before what they hold; the order is also the
    // widgets' stacking and reading order), so the access changes follow it. Public are the
    // controls that another window or a test drives or reads; the value labels are read
    // through the accessors above.

    Label Label1, Label2, Label3;

  private:
    Label Label4, Label5;
    std::array<Label, 2> Label6;
    Label Label7, Label8, Label9, Label10, Label11, Label12, Label13, Label14;
    std::array<Label, 2> Label15;

  public:
    // 1..6 hold the selection values; 0 and 7..11 are the "Select" table's fixed captions.
    std::array<Label, 12> Label16;

  private:
    Label Label17;

  public:
    Frame Frame1;           // "Analysis by FFT"
    CommandButton Command5; // "FFT"

  private:
    Label Label18, Label19;

  public:
    Frame Frame2; // "Channel"
    OptionButton Option1, Option2;

    Frame Frame3; // "Graph"
    OptionButton Option3, Option4;

    CommandButton Command1, Command2, Command3, Command4; // Play, Pause, Stop, Play Cyclic
    CommandButton Command9;                               // Compare FFT
    CommandButton Command6, Command7, Command8;           // Zoom, Normal, Cancel

  private:
    Label Label20, Label21; // "Vertical" "Amplitude"

  public:
    CommandButton Command11, Command12; // x 2, x 1/2

    PictureBox Picture1;                    // holds the graphs
    PictureBox Picture2;                    // left (or only) channel
    PictureBox Picture3;                    // selection window over Picture2
    PictureBox Picture4;                    // inverse copy of Picture2, inside Picture3
    PictureBox Picture5;                    // right channel
    PictureBox Picture6;                    // selection window over Picture5
    PictureBox Picture7;                    // inverse copy of Picture5, inside Picture6
    LineControl Line1, Line2, Line3, Line4; // play cursors

    Timer Timer1; // the comparison note timer

    MMControl MMControl1; // the wave player

  private:
    double TwipsPerMs = 0;
    Services& services_;
    FileChannel& channel1_;
    FramePort& frame_;
    AnalysisPort& analysis_;

    void LayOut();
    // The failure path of a load, once channel 1 is closed: the cause on the status line, the
    // one message, view cleared, dialog again.
    void LoadFailed(const std::string& cause);

    // Selection and zoom internals (waveform_view_selection.cpp, waveform_view_zoom.cpp).
    void WireSelection();
    void WireZoom();
    double GraphWidth() const;
    ViewStretch CurrentStretch();
    void StartSelectionAt(float X);
    void SetEndAt(float X);
    void SetStartFromWindow();
    void EdgeDragStep(float X);
    void GrabLeftEdge();
    void SetSelectionWidth(float X);
    // The file position of a frame of the loaded file: DataStart + BlockAlign * frame, in 64
    // bits, since a file of up to 2^31 frames of four bytes reaches 8 GiB.
    std::int64_t FilePosition(std::int32_t frame);
    void HideSelectionWindow();
    void ClearDrawings();
    void DrawStretch(std::int64_t Inidad, std::int32_t Lendad);
    void SelectionStretch(std::int64_t& Inidad, std::int32_t& Lendad);
    void TakeZoomedView(std::int32_t Lendad);
    void RedrawAmplified(float factor);
    void RedrawStyle();

    // Playback internals (waveform_view_playback.cpp).
    void WirePlayback();
    // The player could not open the file: its error number printed, the view at rest.
    void RestAfterOpenError();
    // Silences the player and returns the view to rest without a completion notification.
    void StopPlayerForRest();
    // Sends "Play" and disables the play buttons, if the player is open.
    void StartPlay();
    void SetPlayButtonsEnabled(bool on);
    // Puts all four cursor lines at x, each spanning its picture's height.
    void PlaceCursor(std::int16_t x);
    void ShowCursor(CursorLines lines);
    // After a play armed by "Compare FFT" has ended: sounds the marked note and arms Timer1
    // (waveform_view_compare.cpp).
    void CompareStep();
    void WireCompare();
};

// The whole number a value label holds: its caption read back, rounded half to even.
std::int32_t WholeNumber(const Label& l);
