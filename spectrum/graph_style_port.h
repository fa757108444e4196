// What the spectrum view asks of the menu that chooses its style: whether the spectrum is drawn
// as a line (checked) or as points.
#pragma once

class GraphStylePort {
  public:
    virtual ~GraphStylePort() = default;
    virtual bool LineStyleChecked() const = 0;
};
