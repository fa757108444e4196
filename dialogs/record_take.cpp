#include "record_take.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>

namespace {

constexpr double kFullScale16 = 32767.0;

double Dbfs(double amplitude) {
    return amplitude > 0 ? 20.0 * std::log10(amplitude) : -std::numeric_limits<double>::infinity();
}

const double kQuietAmplitude = std::pow(10.0, kQuietDbfs / 20.0);

} // namespace

LevelMeter::LevelMeter(std::int32_t rate)
    : window_(static_cast<std::size_t>(rate) * kLevelWindowMs / 1000),
      holdFrames_(std::int64_t{rate} * kLevelWordHoldMs / 1000), sinceClip_(holdFrames_) {}

void LevelMeter::Feed(const float* samples, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const float s = samples[i];
        window_[next_] = s;
        next_ = (next_ + 1) % window_.size();
        filled_ = std::min(filled_ + 1, window_.size());
        const float a = std::fabs(s);
        sinceClip_ = a >= kClipLevel ? 0 : sinceClip_ + 1;
        sinceAudible_ = a >= kQuietAmplitude ? 0 : sinceAudible_ + 1;
    }
}

double LevelMeter::PeakDbfs() const {
    float peak = 0;
    for (std::size_t i = 0; i < filled_; ++i) {
        peak = std::max(peak, std::fabs(window_[i]));
    }
    return Dbfs(peak);
}

double LevelMeter::RmsDbfs() const {
    if (filled_ == 0) {
        return Dbfs(0);
    }
    double sum = 0;
    for (std::size_t i = 0; i < filled_; ++i) {
        sum += double{window_[i]} * window_[i];
    }
    return Dbfs(std::sqrt(sum / static_cast<double>(filled_)));
}

LevelMeter::Word LevelMeter::Status() const {
    if (sinceClip_ < holdFrames_) {
        return Word::Clipping;
    }
    if (sinceAudible_ >= holdFrames_) {
        return Word::TooQuiet;
    }
    return Word::None;
}

Take::Take(std::int64_t limitFrames) : limit_(limitFrames) {
    samples_.reserve(static_cast<std::size_t>(limit_));
}

std::size_t Take::Append(const float* samples, std::size_t n) {
    const auto room = static_cast<std::size_t>(std::max<std::int64_t>(0, limit_ - Frames()));
    const std::size_t kept = std::min(n, room);
    for (std::size_t i = 0; i < kept; ++i) {
        // A sample that is no number becomes silence; beyond full scale it is clipped.
        const double s = std::isnan(samples[i]) ? 0.0 : std::clamp(double{samples[i]}, -1.0, 1.0);
        // Half to even, like every conversion to an integer in the program.
        samples_.push_back(static_cast<std::int16_t>(std::nearbyint(s * kFullScale16)));
    }
    return kept;
}

std::string ElapsedText(std::int64_t frames, std::int32_t rate) {
    const std::int64_t tenths = frames * 10 / rate;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%lld", static_cast<long long>(tenths / 600),
                  static_cast<long long>(tenths / 10 % 60), static_cast<long long>(tenths % 10));
    return text;
}

std::string RecordingFileName(const std::tm& when) {
    char text[64];
    std::strftime(text, sizeof text, "Recording %Y-%m-%d %H-%M-%S.wav", &when);
    return text;
}

std::string FreeFilePath(const std::string& folder, const std::string& name) {
    const auto taken = [](const std::string& path) {
        std::error_code ignored;
        return std::filesystem::exists(path, ignored);
    };
    std::string path = folder + "/" + name;
    const std::string stem = name.size() >= 4 ? name.substr(0, name.size() - 4) : name;
    for (int n = 2; taken(path); ++n) {
        path = folder + "/" + stem + " (" + std::to_string(n) + ").wav";
    }
    return path;
}
