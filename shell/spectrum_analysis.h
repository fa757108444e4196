// The waveform view's analysis, answered by the spectrum view: each request runs the handler
// the user's own mouse runs (the comparison and the demonstration send those events on purpose).
#pragma once

#include "waveview/analysis_port.h"

class Form101;

class SpectrumAnalysis : public AnalysisPort {
  public:
    explicit SpectrumAnalysis(Form101& spectrum) : spectrum_(spectrum) {}

    void DescribeBlock(const BlockSource& source) override;
    void Analyse(std::vector<double>& y, std::int32_t Npont, std::int32_t Freq) override;
    void BlockUnread(const BlockSource& source, const std::string& cause) override;
    bool MarkedPeak() const override;
    float XMark() const override;
    void NameNoteAt(float x) override;
    void SoundNamedNote() override;
    void StopNote() override;

  private:
    Form101& spectrum_;
};
