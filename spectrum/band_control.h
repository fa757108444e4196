// A light, translucent band placed over a picture's drawing, between two x positions; it
// ignores the mouse, so the picture under it keeps its events. The spectrum view's cursor
// carries one as wide as the resolution at the pointer's frequency.
#pragma once

#include "ui/colours.h"
#include "ui/twip_control.h"

class BandControl : public Control {
  public:
    // A band in `colour`, drawn at kBandOpacity over what lies under it.
    BandControl(QWidget* parent, Colour colour);
    // Spans the band from left to right (twips, left <= right), top to bottom; at least one
    // pixel wide.
    void SetSpan(double left, double right, double top, double bottom);
    Colour BandColour() const { return colour_; }

    static constexpr int kBandOpacity = 72; // of 255

  private:
    Colour colour_;
};
