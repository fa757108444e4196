// The spectrum view `Form101` (an empty child window for now; its analysis comes next).
#pragma once

#include "form.h"
#include "ports.h"

class Form101 : public Form, public SpectrumPort {
  public:
    Form101() = default;
    void Form_Load() {}
    void Form_Unload() {}

    void FftWave(std::vector<double>&, std::int32_t, std::int32_t) override {}
    bool MarkPeak() const override { return false; }
    float XMark() const override { return 0; }
    void Picture2_MouseMove(std::int16_t, std::int16_t, float, float) override {}
    void Image1_MouseDown(std::int16_t, std::int16_t, float, float) override {}
    void Image1_MouseUp(std::int16_t, std::int16_t, float, float) override {}
};
