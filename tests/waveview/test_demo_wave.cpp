// The demonstration wave: what its generator writes, and that the start-up selection
// (x 100 to 500 of the graph) holds enough frames for a 4096-point transform of the tone.
#include "tests/support/fixtures.h"
#include "waveview/wave_reader.h"

#include "base/file_channel.h"
#include "waveview/view_state_rules.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <cstdlib>

TEST(DemoWave, GeneratorReproducesTheCommittedFile) {
    const char* tools = std::getenv("TONVEXA_TOOLS");
    const char* assets = std::getenv("TONVEXA_ASSETS");
    ASSERT_NE(tools, nullptr);
    ASSERT_NE(assets, nullptr);
    TempDir out;
    ASSERT_EQ(QProcess::execute(QString::fromLocal8Bit(tools) + "/make_demo_wav",
                                {QString::fromStdString(out.File("Demo.wav"))}),
              0);
    const Bytes committed = ReadFile(std::string(assets) + "/Demo.wav");
    ASSERT_FALSE(committed.empty());
    EXPECT_EQ(ReadFile(out.File("Demo.wav")), committed) << "regenerate assets/Demo.wav";
}

TEST(DemoWave, StartUpSelectionGivesA4096PointTransform) {
    FileChannel ch;
    ch.Open(std::string(std::getenv("TONVEXA_ASSETS")) + "/Demo.wav",
            FileChannel::Mode::BinaryRead);
    const WaveHeader h = WalkWaveHeader(ch);
    ASSERT_EQ(h.failure, WaveHeader::Failure::None);
    EXPECT_EQ(h.channels, 1);
    EXPECT_EQ(h.bits, 16);
    EXPECT_EQ(h.sampleRate, 22050);
    const std::int32_t frames = FrameCount(h.dataSize, h.blockAlign);
    // The press and the move land at x 100 and 500 of the 9980-twip graph.
    const auto first = static_cast<std::int32_t>((frames - 1) * 100.0 / 9980);
    const auto last = static_cast<std::int32_t>((frames - 1) * 500.0 / 9980);
    EXPECT_GT(last - first + 1, 4096);
    EXPECT_EQ(TransformSize(last - first + 1), 4096);
}
