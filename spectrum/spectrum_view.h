// The spectrum view Form101: the magnitude spectrum of the last analysed block on a picture
// much wider than the window, on the pitch scale (440 Hz at x 15900, 150 twips a semitone),
// with the note naming under the mouse, the peak mark, the harmonic comb and the keyboard.
// Procedures are spread by concern: spectrum_view_layout.cpp (controls, load, scrolling),
// spectrum_view_graph.cpp (transform and drawing), spectrum_view_naming.cpp (mouse, mark,
// harmonics, keyboard naming), spectrum_view_analysis.cpp (the window, the padding, the frozen
// reference, the resolution band and the status line), spectrum_view_harmonics.cpp (what the
// comb reads, and its fit to a peak).
#pragma once

#include "analysis_window.h"
#include "band_control.h"
#include "graph_style_port.h"
#include "live_columns.h"
#include "partials.h"
#include "spectrum_graph.h"
#include "spectrum_table.h"
#include "ui/control_widgets.h"
#include "ui/form.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class NotePlayer;
class StatusLine;
struct Services;

class Form101 : public Form {
  public:
    // The view draws in the style `style` answers, sounds its keyboard through `notes` and
    // reports what it adds to the described analysis on `status`.
    Form101(Services& services, const GraphStylePort& style, NotePlayer& notes, StatusLine& status);
    ~Form101() override;

    // ---- Lifecycle (called by the main window) ----
    void Form_Load();
    void Form_Unload();

    // ---- Analysis and drawing ----
    // Transforms y[1 .. Npont] (y[0] unused) with the chosen window and padding and draws its
    // spectrum; Freq in Hz. The samples are kept, so a change of window or padding transforms
    // them again; y is left holding the packed spectrum drawn (grown to padding x Npont + 1).
    void FftWave(std::vector<double>& y, std::int32_t Npont, std::int32_t Freq);
    // Names the source of the next block FftWave receives; it stays with that spectrum.
    void DescribeBlock(const BlockSource& source) { nextSource_ = source; }
    // The block of `source` could not be read (`cause`, errno's text or the like): the
    // spectrum on show, the peak mark and the readout go, so that nothing of an earlier block
    // looks current, and the status line says why. Until the next analysis a change of window
    // or padding has no block to transform again, and says so.
    void BlockUnread(const BlockSource& source, const std::string& cause);
    // Why the last "FFT" could not read its block, while no analysis has followed; else empty.
    const std::string& Unread() const { return unread_; }
    // Unpacks the packed spectrum y[1 .. 2 ftnpont] and draws it.
    void GrafFt(const std::vector<double>& y, std::int32_t ftnpont);
    // Redraws the whole picture: baseline, the spectrum of ftnpont bins unless SoEsc, the axis
    // and the semitone grid.
    void Grafmesmo(std::int32_t ftnpont, bool SoEsc);
    void Escmus2();
    void HScroll1_Change();

    // ---- Mouse, mark and harmonics ----
    void Picture2_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Picture2_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Command1_Click(); // "Harmonics on" / "Harmonics off"
    void Command2_Click(); // "Mark peak" / "Erase mark"
    void Harmlog();
    void Harmouselog2(float X, float Y);
    void Image1_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Image1_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Image1_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y);

    // ---- The comb as a measuring instrument (spectrum_view_harmonics.cpp) ----
    // The comb is on show ("Harmonics off" on the button).
    bool CombOnShow() const;
    // The frequency under the comb's first line, Hz.
    double CombFundamentalHz() const;
    // What the comb reads off the spectrum on show; none before any analysis or while the
    // comb is hidden.
    std::optional<CombReading> ReadComb() const;
    // "Fit comb to nearest peak": moves the comb so that its fundamental lies on the peak its
    // first line reads. False, with the reason on the status line, when there is none.
    bool FitComb();
    // Runs after the comb moved, showed or hid, and after the spectrum under it changed.
    std::function<void()> CombChanged;

    // ---- Copy (Ctrl+C while the view is active; spectrum_view_copy.cpp) ----
    // Puts the picture as drawn (image/png) and the spectrum's table (text/plain) on the
    // clipboard.
    void CopySpectrum();
    // What the copy puts on the clipboard, for File > Export spectrum...: the picture as drawn
    // and the table.
    QImage CopiedPicture();
    std::string CopiedTable() const;
    // The spectrum on show with where it came from, for the table and the description.
    SpectrumOnShow OnShow() const;
    // A new file, `path`, was loaded while a spectrum shows: until the next analysis the status
    // line says which file and block the spectrum on show belongs to.
    void NoteNewFile(const std::string& path);
    // The spectrum on show belongs to a file loaded before the one open now.
    bool ShowsEarlierFile() const { return !earlierFileNote_.empty(); }

    // ---- The Analysis menu's window, padding and frozen reference ----
    // The window and padding of every later analysis; the block on show is transformed again
    // at once, from the same samples. Settings the transform cannot take are ignored.
    void SetAnalysis(const AnalysisSettings& settings);
    const AnalysisSettings& Analysis() const { return settings_; }
    // Keeps the spectrum on show as the grey reference under every later one, replacing any
    // reference kept before; false (with a word on the status line) before any analysis.
    bool FreezeSpectrum();
    // Removes the reference; nothing happens when none is kept.
    void ClearFrozen();
    bool Frozen() const { return frozen_.has_value(); }
    // Samples of the block on show (FftPoints), 0 before the first analysis.
    std::int32_t BlockPoints() const { return blockPoints_; }
    bool MarkPeak() const { return markPeak_; }
    float XMark() const { return xMark_; }

    // ---- Live analysis: playback followed, or the microphone (spectrum_view_live.cpp) ----
    // Shows the spectrum of the live block y[1 .. Npont] (y[0] unused) with the chosen window
    // and padding, redrawn in one frame's time; `status` (the block's time, a level) leads the
    // analysis on the status line. The block on show before live analysis began is kept, and
    // every other command (mark, comb, hover, freeze, style) works on the live spectrum.
    void ShowLiveBlock(std::span<const double> y, std::int32_t Npont, std::int32_t Freq,
                       const std::string& status);
    // Live analysis ended: the spectrum on show before it (the selection's) comes back.
    void EndLive();
    bool Live() const { return live_; }
    // The largest magnitude in each pixel column of the live spectrum on show, for the strip.
    const std::vector<float>& LiveColumns() const { return livePeaks_; }
    // Runs with the scroll bar's value whenever the picture scrolls.
    std::function<void(double)> Scrolled;

    // ---- Public fields ----
    std::int32_t NPontGraf = 0; // N of the spectrum on show, 0 before the first analysis
    std::string ColLine;        // colour of the spectrum line, decimal text of a colour value
    bool FirstRun = false;      // until the first "Mark peak": no instruction box

    // ---- Read-only state for the views and tests ----
    std::int32_t FreqGraf() const { return freqGraf_; }
    const SpectrumArrays& Arrays() const { return ft_; }
    double BaseY() const { return baseY_; }
    double TopY() const { return topY_; }
    float KeyX() const;
    double HarmOffset(int i) const { return harmOffset_.at(static_cast<std::size_t>(i)); }

    // ---- Controls ----
    CommandButton Command1;
    CommandButton Command2;
    Label Label2;        // frequency at the mouse
    Label Label5;        // "Hz"
    Label Label3;        // note name
    Label Label4;        // "Octave: " and the octave
    Label Label7;        // "Height: "
    Label Label6;        // height value
    Label Label8;        // "%"
    PictureBox Picture1; // clips the spectrum picture
    PictureBox Picture2; // the spectrum picture
    Label Label1;        // "Musical Analysis"
    ImageBox Image1;     // the keyboard
    BandControl Band1;   // on the cursor: as wide as the resolution at the pointer's frequency
    LineControl Line1;   // frequency cursor
    std::array<std::unique_ptr<LineControl>, 17> Line2; // harmonic comb
    ImageBox Image2;                                    // peak mark
    Label Label13, Label14, Label15, Label16; // hidden colour holders of the line colour menu
    HScrollBar HScroll1;

  private:
    void PlaceControls();
    void WireEvents();
    void DrawSpectrum(std::int32_t ftnpont);
    // The frozen reference in grey, on the current spectrum's magnitude scale (twips per unit).
    void DrawFrozen(double scale);
    // One spectrum's bins 1 .. ftnpont-1 from x 0 and bin 0's height, bin by bin as described,
    // or (thin) one short stroke per pixel column where several bins share it.
    void DrawBins(const SpectrumArrays& a, std::int32_t ftnpont, std::int32_t freqGraf,
                  double scale, Colour line, Colour points, bool thin);
    // Transforms the kept block with the chosen settings and draws it.
    void TransformBlock();
    // Places the resolution band on the cursor at X, or hides it before any analysis.
    void ShowBand(float X);
    bool pointerHovered_ = false; // the user's pointer has moved over the picture
    // The analysis line on the status bar and the graph's description.
    void ReportAnalysis();
    void DrawAxis();
    void ShowHeight(float Y);
    void ShowFrequency(float X);
    void SetRightAnchored(Label& label, const std::string& text, double right);
    // x of the mark's tip while it is on show.
    std::optional<float> MarkOnShow() const;
    // The accessible descriptions of the graph and of the readout, from what they show.
    void DescribeGraph();
    void DescribeReadout();
    // An analysis replaced the spectrum of the earlier file: its note leaves the status line.
    void ForgetEarlierFile();
    // No peak marked, "Mark peak" on its button, the readout and the cursor as before any
    // pointer move.
    void ClearMarkAndReadout();
    void NotifyComb() const;

    Services& services_;
    const GraphStylePort& style_;
    NotePlayer& notes_;
    StatusLine& status_;
    SpectrumArrays ft_;
    AnalysisSettings settings_;    // chosen in the Analysis menu
    std::vector<double> block_;    // the samples of the block on show, 1-based
    std::int32_t blockPoints_ = 0; // their count, 0 before the first analysis
    std::vector<double> work_;     // the padded, windowed block and its transform
    std::optional<FrozenSpectrum> frozen_;
    BlockSource nextSource_; // named before the next block
    BlockSource source_;     // the source of the spectrum on show
    std::int32_t freqGraf_ = 0;
    double baseY_ = 0.0, topY_ = 0.0;
    bool markPeak_ = false;
    float xMark_ = 0.0f;
    bool harmDrag_ = false;
    bool fromKeyboard_ = false;
    std::array<double, 17> harmOffset_{};
    std::string earlierFileNote_; // on the status line since a new file loaded; empty: none
    std::string unread_;          // see Unread()

    // Live analysis (spectrum_view_live.cpp).
    Colour SpectrumLineColour() const;
    // Draws the live spectrum on the saved background: the frozen reference, then the bins.
    void DrawLive();
    void DrawLivePolyline(const std::vector<LivePoint>& line, Colour colour, Colour points);
    bool live_ = false;
    std::int32_t livePoints_ = 0;  // samples of the live block on show
    std::int32_t restingFreq_ = 0; // FreqGraf of the block on show before live began
    QImage liveBackground_;        // baseline, axis and grid, drawn once
    ColumnMap liveColumns_, frozenColumns_;
    std::vector<LivePoint> liveLine_;
    std::vector<float> livePeaks_;
    std::vector<double> liveWindow_; // the window's coefficients for the live blocks' size
    AnalysisWindow liveWindowKind_ = AnalysisWindow::Rectangular;
};
