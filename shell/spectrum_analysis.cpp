#include "spectrum_analysis.h"

#include "spectrum/spectrum_view.h"

namespace {

// Where a note is named on the spectrum picture and where the keyboard picture is pressed,
// twips. A right press sounds the key last named wherever it lands on the keyboard.
constexpr float kNameY = 1000;
constexpr float kKeyX = 0;
constexpr float kKeyY = 0;

} // namespace

void SpectrumAnalysis::DescribeBlock(const BlockSource& source) {
    spectrum_.DescribeBlock(source);
}

void SpectrumAnalysis::Analyse(std::vector<double>& y, std::int32_t Npont, std::int32_t Freq) {
    spectrum_.FftWave(y, Npont, Freq);
}

void SpectrumAnalysis::BlockUnread(const BlockSource& source, const std::string& cause) {
    spectrum_.BlockUnread(source, cause);
}

bool SpectrumAnalysis::MarkedPeak() const {
    return spectrum_.MarkPeak();
}

float SpectrumAnalysis::XMark() const {
    return spectrum_.XMark();
}

void SpectrumAnalysis::NameNoteAt(float x) {
    spectrum_.Picture2_MouseMove(kNoButton, kNoShift, x, kNameY);
}

void SpectrumAnalysis::SoundNamedNote() {
    spectrum_.Image1_MouseDown(kRightButton, kNoShift, kKeyX, kKeyY);
}

void SpectrumAnalysis::StopNote() {
    spectrum_.Image1_MouseUp(kNoButton, kNoShift, 0, 0);
}
