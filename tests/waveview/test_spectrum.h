// A stand-in for the analysis as the waveform view sees it: a settable peak mark, and a record
// of the transforms, the notes named and sounded and the stops asked of it.
#pragma once

#include "waveview/analysis_port.h"

#include <cstdint>
#include <string>
#include <vector>

class TestSpectrum : public AnalysisPort {
  public:
    struct Request {
        std::string what; // "name", "sound", "stop"
        float x;          // where the note was named; 0 for the others
    };
    void DescribeBlock(const BlockSource& s) override { source = s; }
    void Analyse(std::vector<double>& y, std::int32_t, std::int32_t) override {
        ++transforms;
        block = y;
    }
    void BlockUnread(const BlockSource& s, const std::string& why) override {
        source = s;
        cause = why;
    }
    bool MarkedPeak() const override { return markPeak; }
    float XMark() const override { return xMark; }
    void NameNoteAt(float x) override { requests.push_back({"name", x}); }
    void SoundNamedNote() override { requests.push_back({"sound", 0}); }
    void StopNote() override { requests.push_back({"stop", 0}); }

    bool markPeak = false;
    float xMark = 0;
    int transforms = 0;
    std::vector<double> block; // the samples of the last transform, 1-based
    BlockSource source;
    std::string cause; // why the last block could not be read
    std::vector<Request> requests;
};
