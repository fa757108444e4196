// A stand-in for the spectrum view as the waveform view sees it: a settable peak mark, and a
// record of the moves, key presses and releases sent to it.
#pragma once

#include "platform/ports.h"

#include <cstdint>
#include <string>
#include <vector>

class TestSpectrum : public SpectrumPort {
  public:
    struct Mouse {
        std::string what; // "move", "key down", "key up"
        std::int16_t button;
        std::int16_t shift;
        float x;
        float y;
    };
    void DescribeBlock(const BlockSource& s) override { source = s; }
    void FftWave(std::vector<double>&, std::int32_t, std::int32_t) override { ++transforms; }
    bool MarkPeak() const override { return markPeak; }
    float XMark() const override { return xMark; }
    void Picture2_MouseMove(std::int16_t b, std::int16_t s, float x, float y) override {
        mouse.push_back({"move", b, s, x, y});
    }
    void Image1_MouseDown(std::int16_t b, std::int16_t s, float x, float y) override {
        mouse.push_back({"key down", b, s, x, y});
    }
    void Image1_MouseUp(std::int16_t b, std::int16_t s, float x, float y) override {
        mouse.push_back({"key up", b, s, x, y});
    }

    bool markPeak = false;
    float xMark = 0;
    int transforms = 0;
    BlockSource source;
    std::vector<Mouse> mouse;
};
