// Form101: what the Analysis menu adds to the described analysis: the window and padding of
// the transform, the frozen reference, the resolution band on the cursor, and the analysis line
// on the status bar.
#include "spectrum_view.h"

#include "ui/status_line.h"

#include <algorithm>
#include <cstddef>

namespace {

const char* const kNothingToFreeze = "Nothing to freeze yet: transform a selection with FFT first.";

} // namespace

void Form101::SetAnalysis(const AnalysisSettings& settings) {
    const bool known = static_cast<std::size_t>(settings.window) < kAnalysisWindowCount &&
                       IsPaddingFactor(settings.padding);
    if (!known) {
        return;
    }
    settings_ = settings;
    // A live spectrum takes the new settings with its next block.
    if (blockPoints_ > 0 && !live_) {
        TransformBlock();
    } else if (!unread_.empty()) {
        status_.ShowStatus(unread_ + "; nothing to transform again until FFT reads a block");
    }
}

void Form101::BlockUnread(const BlockSource& source, const std::string& cause) {
    unread_ = "FFT could not read its block of " + FileTitleOf(source.file) + ": " + cause;
    ForgetEarlierFile();
    block_.clear();
    blockPoints_ = 0;
    ft_ = {};
    source_ = {};
    nextSource_ = {};
    ClearMarkAndReadout(); // they belonged to the spectrum that goes
    Grafmesmo(0, false);
    DescribeGraph();
    status_.ShowStatus(unread_);
}

bool Form101::FreezeSpectrum() {
    if ((blockPoints_ == 0 && !live_) || NPontGraf < 1) {
        status_.ShowStatus(kNothingToFreeze);
        return false;
    }
    FrozenSpectrum f;
    const auto bins = static_cast<std::ptrdiff_t>(NPontGraf) + 1;
    f.ft.ReFt.assign(ft_.ReFt.begin(), ft_.ReFt.begin() + bins);
    f.ft.ImFt.assign(ft_.ImFt.begin(), ft_.ImFt.begin() + bins);
    f.ft.MagFt.assign(ft_.MagFt.begin(), ft_.MagFt.begin() + bins);
    f.ft.MagMax = ft_.MagMax;
    f.ftnpont = NPontGraf;
    f.freqGraf = freqGraf_;
    f.source = source_;
    f.settings = settings_;
    frozen_ = std::move(f);
    if (live_) {
        DrawLive();
        return true;
    }
    Grafmesmo(NPontGraf, false);
    ReportAnalysis();
    return true;
}

void Form101::ClearFrozen() {
    if (!frozen_) {
        return;
    }
    frozen_.reset();
    if (live_) {
        DrawLive();
        return;
    }
    Grafmesmo(NPontGraf, false);
    ReportAnalysis();
}

void Form101::ShowBand(float X) {
    const std::int32_t points = live_ ? livePoints_ : blockPoints_;
    if (points == 0 || freqGraf_ <= 0) {
        Band1.SetVisible(false);
        return;
    }
    const BandEdges edges = ResolutionBand(X, settings_.window, points, freqGraf_);
    const double width = Picture2.ScaleWidth();
    const double left = std::clamp(edges.left, 0.0, width);
    const double right = std::clamp(edges.right, left, width);
    Band1.SetSpan(left, right, Line1.Y1(), Line1.Y2());
    Band1.SetVisible(true);
}

void Form101::ReportAnalysis() {
    DescribeGraph();
    const std::string summary = AnalysisSummary(OnShow());
    if (!summary.empty()) {
        status_.ShowStatus(summary);
    }
}
