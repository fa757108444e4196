// The spectrogram strip `frmStrip`: while the spectrum follows playback or the microphone, the
// last 5 s of spectra as a picture on the spectrum's pitch scale, one pixel column per column
// of the spectrum picture, the newest at the top and older ones running down. It scrolls with
// the spectrum's scroll bar, so each column stands under its pitch.
#pragma once

#include "ui/form.h"

#include <QImage>

#include <cstdint>
#include <vector>

class StripWidget;

constexpr double kStripSeconds = 5.0;      // the time the strip spans, top to bottom
constexpr double kStripHeightTwips = 1800; // the strip window's height
constexpr double kStripFloorDb = -96.0;    // a magnitude this far below full scale is black

class frmStrip : public Form {
  public:
    frmStrip();
    ~frmStrip() override;

    // Adds the row of `peaks` (a magnitude per pixel column of the spectrum picture) for the
    // block that ends at `seconds`, if a row's time has passed since the last row (5 s over
    // the strip's height) or time went back. `fullScale` is the magnitude of a full-scale sine.
    void AddRow(const std::vector<float>& peaks, double fullScale, double seconds);
    // Empties the strip (a new live run).
    void Clear();
    // The spectrum picture scrolled to `value` (its scroll bar's value, twips).
    void Scroll(double value);

    // Rows drawn since the last Clear, and the picture as it stands (newest row at the top).
    std::int64_t RowsAdded() const { return rowsAdded_; }
    QImage Picture() const;
    int Rows() const;

  private:
    StripWidget* widget_ = nullptr;
    std::int64_t rowsAdded_ = 0;
    double lastSeconds_ = 0;
};
