// The spliced sound "Play harmonics" plays: the file's range, the inserted samples on every
// channel, the range again, read in any chunks; and the place in the file the cursor shows.
#include "audio/spliced_sound.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A stereo file of 1000 frames at 1000 Hz whose frame k holds k on the left, -k on the right.
class CountingFile : public SoundFile {
  public:
    int Rate() const override { return 1000; }
    int Channels() const override { return 2; }
    std::int64_t Frames() const override { return 1000; }
    bool Seek(std::int64_t frame) override {
        pos_ = frame;
        return frame >= 0 && frame <= Frames();
    }
    std::int64_t Read(float* frames, std::int64_t count) override {
        std::int64_t n = 0;
        for (; n < count && pos_ < Frames(); ++n, ++pos_) {
            frames[2 * n] = static_cast<float>(pos_);
            frames[2 * n + 1] = -static_cast<float>(pos_);
        }
        return n;
    }

  private:
    std::int64_t pos_ = 0;
};

} // namespace

TEST(SplicedSound, TheRangeTheInsertAndTheRangeAgainInAnyChunks) {
    const WaveSplice splice{100, 110, {0.5f, 0.25f, 0.125f}, 1000};
    // range frames 100 .. 109, then the insert, then 100 .. 109 again.
    std::vector<float> expected;
    for (int k = 100; k < 110; ++k) {
        expected.insert(expected.end(), {float(k), -float(k)});
    }
    for (const float v : splice.insert) {
        expected.insert(expected.end(), {v, v});
    }
    for (int k = 100; k < 110; ++k) {
        expected.insert(expected.end(), {float(k), -float(k)});
    }
    for (const std::int64_t chunk : {1, 4, 9, 23, 100}) {
        SCOPED_TRACE(chunk);
        auto sound = SpliceSound(std::make_unique<CountingFile>(), splice);
        ASSERT_NE(sound, nullptr);
        EXPECT_EQ(sound->Frames(), 23);
        std::vector<float> got;
        std::vector<float> buffer(static_cast<std::size_t>(2 * chunk));
        for (std::int64_t n; (n = sound->Read(buffer.data(), chunk)) > 0;) {
            got.insert(got.end(), buffer.begin(), buffer.begin() + 2 * n);
        }
        EXPECT_EQ(got, expected);
        // A seek into the insert reads on from there.
        ASSERT_TRUE(sound->Seek(11));
        float two[4];
        ASSERT_EQ(sound->Read(two, 2), 2);
        EXPECT_EQ(std::vector<float>(two, two + 4),
                  std::vector<float>({0.25f, 0.25f, 0.125f, 0.125f}));
    }
    // An insert at another rate than the file's is refused.
    EXPECT_EQ(SpliceSound(std::make_unique<CountingFile>(), {100, 110, {0.5f}, 48000}), nullptr);

    // Where in the file each place of the spliced sound lies: the cursor's position.
    const WaveSplice half{2000, 2500, std::vector<float>(300, 0.0f), 1000};
    const struct {
        std::int32_t playedMs, fileMs;
    } places[] = {{0, 2000},   {499, 2499},  {500, 2500},  {799, 2500},
                  {800, 2000}, {1299, 2499}, {1300, 2500}, {5000, 2500}};
    for (const auto& p : places) {
        EXPECT_EQ(half.FileMs(p.playedMs), p.fileMs) << p.playedMs;
    }
}
