// The playback decoder opens regular files only.
#include "audio/audio_backend.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <chrono>

TEST(SoundFile, NoDecoderWaitsOnAFifoSocketOrDevice) {
    const TempDir dir;
    const SpecialFiles special(dir);
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& path : special.Paths()) {
        SoundFileError error = SoundFileError::None;
        EXPECT_EQ(OpenSoundFile(path, error), nullptr) << path;
        EXPECT_EQ(error, SoundFileError::Unplayable) << path;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2))
        << "the decoder waited for a writer";
}
