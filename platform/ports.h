// What the windows ask of each other. The waveform and spectrum views reach the main window
// and each other only through these ports; the main window installs itself and the views.
#pragma once

#include "twips.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CommonDialog;

// The main window as the views see it.
class ShellPort {
  public:
    virtual ~ShellPort() = default;
    virtual CommonDialog& CommonDialog1() = 0;
    virtual void mnuOpen_Click() = 0;
    virtual void SetCaption(const std::string& text) = 0;
    virtual std::string Caption() const = 0;
    virtual void SetPointer(MousePointer p) = 0;
    virtual std::string ProgAdd() const = 0;
    // The check mark of the spectrum style menu's "Line" item.
    virtual bool LineStyleChecked() const = 0;
};

// Where a block handed to the analysis comes from, as the waveform view describes it.
struct BlockSource {
    std::string file;     // the wave file's path
    std::string channel;  // "Left", "Right" or "Mono"
    double startSecs = 0; // the selection's start, seconds
    double endSecs = 0;   // the selection's end, seconds
};

// The spectrum view as the waveform view sees it.
class SpectrumPort {
  public:
    virtual ~SpectrumPort() = default;
    // Names the source of the next block FftWave receives; the view keeps it with the spectrum.
    virtual void DescribeBlock(const BlockSource& source) = 0;
    // Transforms y(1..Npont) in place (y[0] unused) and draws the spectrum.
    virtual void FftWave(std::vector<double>& y, std::int32_t Npont, std::int32_t Freq) = 0;
    virtual bool MarkPeak() const = 0;
    virtual float XMark() const = 0;
    virtual void Picture2_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y) = 0;
    virtual void Image1_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) = 0;
    virtual void Image1_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y) = 0;
};

// Accessors that create the window on first use; installed by the program (or a test).
ShellPort& Shell();
SpectrumPort& Spectrum();
void InstallShell(std::function<ShellPort&()> accessor);
void InstallSpectrum(std::function<SpectrumPort&()> accessor);
