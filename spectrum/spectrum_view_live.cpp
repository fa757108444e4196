// Form101: live analysis. Each block is analysed as "FFT" analyses one (window, padding,
// magnitudes) and drawn over a background of baseline, axis and grid that is drawn once, with
// at most four points a pixel column, so a frame of 32768 points padded x 8 fits in a few
// milliseconds. The spectrum on show before live analysis began is kept and comes back after.
#include "spectrum_view.h"

#include "spectrum_colours.h"

#include "ui/status_line.h"
#include "ui/twips.h"

#include <bit>

namespace {

constexpr std::int32_t kSmallestBlock = 4;
constexpr std::int32_t kLargestBlock = 32768;

} // namespace

void Form101::ShowLiveBlock(std::span<const double> y, std::int32_t Npont, std::int32_t Freq,
                            const std::string& status) {
    const bool sizeOk = Npont >= kSmallestBlock && Npont <= kLargestBlock &&
                        std::has_single_bit(static_cast<std::uint32_t>(Npont));
    if (!sizeOk || y.size() < static_cast<std::size_t>(Npont) + 1 || Freq <= 0) {
        return;
    }
    if (!live_) {
        live_ = true;
        liveBackground_ = QImage();
    }
    if (liveWindow_.size() != static_cast<std::size_t>(Npont) ||
        liveWindowKind_ != settings_.window) {
        liveWindow_ = WindowCoefficients(settings_.window, Npont);
        liveWindowKind_ = settings_.window;
    }
    const std::int32_t n = AnalyseBlock(y, Npont, settings_, liveWindow_, work_, ft_);
    if (n == 0) {
        return;
    }
    livePoints_ = Npont;
    freqGraf_ = Freq;
    NPontGraf = n;
    DrawLive();
    NotifyComb(); // the Harmonics table reads the live spectrum
    const std::string summary = AnalysisSummary(OnShow());
    status_.ShowStatus(summary.empty() ? status : status + "; " + summary);
}

void Form101::DrawLive() {
    baseY_ = Picture2.Height() * 2 / 3 - 500;
    topY_ = Picture2.ScaleHeight() / 8 - 75;
    const QImage& now = Picture2.Image();
    if (liveBackground_.isNull() || liveBackground_.size() != now.size() ||
        liveBackground_.devicePixelRatio() != now.devicePixelRatio()) {
        const std::int32_t shown = NPontGraf;
        Grafmesmo(0, true);
        NPontGraf = shown;
        liveBackground_ = Picture2.Image().copy();
    } else {
        Picture2.PutImage(liveBackground_);
    }
    const double width = Picture2.Width();
    if (!liveColumns_.Fits(NPontGraf, freqGraf_, width)) {
        liveColumns_ = ColumnMap(NPontGraf, freqGraf_, width, kTwipsPerPixel);
    }
    const double scale = MagnitudeScale(baseY_, topY_, ft_.MagMax);
    if (frozen_) {
        // As amplitudes on the live spectrum's scale, as the described drawing does it.
        const FrozenSpectrum& f = *frozen_;
        const double frozenPoints = 2.0 * f.ftnpont / f.settings.padding;
        const double s = scale > 0.0 ? scale * livePoints_ / frozenPoints
                                     : MagnitudeScale(baseY_, topY_, f.ft.MagMax);
        if (!frozenColumns_.Fits(f.ftnpont, f.freqGraf, width)) {
            frozenColumns_ = ColumnMap(f.ftnpont, f.freqGraf, width, kTwipsPerPixel);
        }
        LivePolyline(f.ft, frozenColumns_, baseY_, s, liveLine_);
        DrawLivePolyline(liveLine_, kFrozenGrey, kFrozenGrey);
    }
    LivePolyline(ft_, liveColumns_, baseY_, scale, liveLine_);
    DrawLivePolyline(liveLine_, SpectrumLineColour(), kPointsWhite);
    ColumnPeaks(ft_, liveColumns_, livePeaks_);
}

void Form101::DrawLivePolyline(const std::vector<LivePoint>& line, Colour colour, Colour points) {
    if (line.empty()) {
        return;
    }
    Picture2.PSet(line.front().x, line.front().y, points);
    const bool lineStyle = style_.LineStyleChecked();
    for (std::size_t i = 1; i < line.size(); ++i) {
        if (lineStyle) {
            Picture2.LineTo(line[i].x, line[i].y, colour);
        } else {
            Picture2.PSet(line[i].x, line[i].y, points);
        }
    }
}

void Form101::EndLive() {
    if (!live_) {
        return;
    }
    live_ = false;
    livePoints_ = 0;
    livePeaks_.clear();
    liveBackground_ = QImage();
    freqGraf_ = restingFreq_;
    if (blockPoints_ > 0) {
        TransformBlock();
    } else {
        Grafmesmo(0, true);
        status_.ShowStatus("");
    }
}
