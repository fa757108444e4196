// The real start-up on the real shipped files: the demonstration loads Demo.wav, selects x 100
// to 500, analyses, marks the peak at x 15160 and compares; the selection is heard once and
// then the note E4 (MIDI 64) on the General MIDI piano.
#include "tests/support/disk_engine.h"

#include "base/file_channel.h"
#include "base/numbers.h"
#include "shell/program.h"
#include "spectrum/spectrum_view.h"
#include "tests/support/doubles.h"
#include "tests/support/program_folder.h"
#include "waveview/waveform_view.h"

#include <gtest/gtest.h>

namespace {

constexpr double kE4 = 329.628;                        // Hz, MIDI note 64
constexpr double kSelectionSeconds = 400.0 / 9980 * 6; // x 100..500 of a 6 s file on 9980 twips

// Largest magnitude of the left channel in [from, from + count).
float Peak(const Capture& c, std::size_t from, std::size_t count) {
    float peak = 0;
    for (std::size_t f = from; f < from + count && f < c.Frames(); ++f) {
        peak = std::max(peak, std::fabs(c.Left(f)));
    }
    return peak;
}

// Where the demonstration tone hands over to the note that follows it at once. Both are E4
// and about as loud, but the tone repeats itself from one period to the next, and across the
// hand-over the waveform does not: the first 0.5 ms whose samples differ from those one period
// earlier by more than 0.1 on average (the tone alone stays under 0.04, the hand-over passes
// 0.2 within half a millisecond).
std::size_t HandOver(const Capture& c, std::size_t onset, int rate) {
    const double period = rate / kE4; // frames, not a whole number
    const auto lag = static_cast<std::size_t>(std::ceil(period));
    const auto window = static_cast<std::size_t>(rate / 2000);
    const auto change = [&](std::size_t f) {
        const double at = static_cast<double>(f) - period;
        const auto k = static_cast<std::size_t>(at);
        const double t = at - static_cast<double>(k);
        return std::fabs(c.Left(f) - (c.Left(k) * (1 - t) + c.Left(k + 1) * t));
    };
    double sum = 0;
    for (std::size_t f = onset + lag; f < c.Frames(); ++f) {
        sum += change(f);
        if (f >= onset + lag + window) {
            sum -= change(f - window);
        }
        if (sum > 0.1 * static_cast<double>(window)) {
            return f - window;
        }
    }
    return c.Frames();
}

} // namespace

TEST(StartUp, TheDemonstrationEndsAsAUserWouldHaveLeftIt) {
    TestServices().Reset();
    DiskEngine engine;
    ASSERT_TRUE(engine.WaitForSoundFont());
    const int rate = engine.Rate();
    ProgramFolder folder;
    {
        Program program(TestServices().services, engine.Engine(),
                        {folder.Path(), folder.UserPath()});
        program.Show(); // as the splash screen's end shows it
        MDIForm1& main = program.Frame();
        Form103& wave = program.WaveView();
        Form101& spectrum = program.SpectrumView();
        int wavePlays = 0;
        const auto waveDone = wave.MMControl1.Done;
        wave.MMControl1.Done = [&] {
            ++wavePlays;
            waveDone();
        };
        // Done when the comparison's note has been stopped by the note timer.
        ASSERT_TRUE(PumpUntil(
            [&] {
                return spectrum.XMark() == 15160 && !wave.CompareArmed && !wave.Timer1.Enabled();
            },
            8000));
        PumpFor(400); // the note's release rings into the capture

        EXPECT_TRUE(TestServices().messages.shown.empty());
        EXPECT_FALSE(main.Timer2.Enabled());
        EXPECT_FALSE(main.Timer3.Enabled());
        EXPECT_EQ(main.CommonDialog1().FileName(), folder.Path() + "/Demo.wav");
        EXPECT_EQ(main.Pointer(), MousePointer::Default);

        // The selection: x 100 to 500 of the whole file.
        ASSERT_TRUE(wave.FileLoaded);
        EXPECT_EQ(wave.ViewPoints().Caption(), wave.TotalPoints().Caption());
        EXPECT_FLOAT_EQ(wave.Picture3.Left(), 100);
        EXPECT_FLOAT_EQ(wave.Picture3.Width(), 400);
        EXPECT_NEAR(num::ParseNumber(wave.SelTime().Caption()), kSelectionSeconds, 0.001);
        EXPECT_EQ(wave.FftPoints().Caption(), "4096");
        EXPECT_EQ(wavePlays, 1);
        EXPECT_TRUE(wave.Command9.Enabled());

        // The spectrum of the selection, the mark at x 15160 naming E4.
        EXPECT_EQ(spectrum.NPontGraf, 4096 / 2); // bins of a 4096-point transform
        EXPECT_TRUE(spectrum.Widget()->isVisible());
        EXPECT_TRUE(wave.Widget()->isVisible());
        EXPECT_TRUE(spectrum.MarkPeak());
        EXPECT_FLOAT_EQ(spectrum.Image2.Left(), 14920);
        EXPECT_FLOAT_EQ(spectrum.Image2.Top(), 400);
        EXPECT_EQ(spectrum.Command2.Caption(), "Erase mark");
        EXPECT_EQ(spectrum.Label3.Caption(), "Mi  (E)");
        EXPECT_EQ(program.Notes().NoteCode(), 64);
        const Bytes piano = ReadFile(folder.UserFile("Pia_do.mid"));
        EXPECT_EQ(piano.at(51), 64);
        EXPECT_EQ(piano.at(56), 64);
    }
    const Capture c = engine.Finish();

    // What was heard: the selection once, then at once the note.
    const auto onset = c.Onset(0.01f);
    ASSERT_TRUE(onset.has_value()) << "nothing was heard";
    const std::size_t handOver = HandOver(c, *onset, rate);
    EXPECT_NEAR(static_cast<double>(handOver - *onset) / rate, kSelectionSeconds, 0.01);
    const double selectionHz = Fundamental(c.LeftChannel(*onset, 4096), rate);
    EXPECT_NEAR(selectionHz, kE4, kE4 * 0.01) << "the demonstration's own tone";
    // The note: heard from the hand-over on, stopped by the note timer after about as long as
    // the selection, then fading.
    const std::size_t noteStart = handOver + static_cast<std::size_t>(rate / 50);
    EXPECT_GT(Peak(c, noteStart, static_cast<std::size_t>(rate / 10)), 0.01f);
    EXPECT_LT(static_cast<double>(c.End(0.01f) - handOver) / rate, 1.0);
    const double noteHz = Fundamental(c.LeftChannel(noteStart, 8192), rate);
    EXPECT_NEAR(noteHz, kE4, kE4 * 0.01) << "MIDI note 64";
}
