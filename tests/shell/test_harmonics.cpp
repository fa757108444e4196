// The comb as a measuring instrument and a synthesiser on the real program: the Analysis
// menu's harmonics items, the Harmonics window following the comb, the copied table's
// "# Harmonics" block, "Save harmonics as...", and the resynthesis as the sound device really
// received it between the two plays of the selection.
#include "main_window_fixture.h"
#include "tests/support/disk_engine.h"
#include "tests/support/fixtures.h"

#include "base/numbers.h"
#include "spectrum/analysis_window.h"
#include "spectrum/harmonics_window.h"
#include "spectrum/partials.h"
#include "spectrum/resynthesis.h"
#include "spectrum/spectrum_graph.h"
#include "spectrum/spectrum_view.h"
#include "tests/support/program_folder.h"
#include "waveview/waveform_view.h"

#include <QAction>
#include <QPushButton>

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kF0 = 220.0;
const double kLevelsDb[] = {0, -6, -12, -18, -24};
constexpr double kAmplitude = 0.2; // of the strongest partial, full scale 1

// The test tone: partials n x 220 Hz at the levels above, each at its own phase.
int ToneSample(int frame, int rate) {
    double v = 0;
    for (int i = 0; i < 5; ++i) {
        const int n = i + 1;
        v += kAmplitude * std::pow(10.0, kLevelsDb[i] / 20.0) *
             std::sin(2 * kPi * n * kF0 * frame / rate + 0.7 * n);
    }
    return static_cast<int>(std::lround(v * 32767));
}

std::string WriteTone(const TempDir& dir, int rate, double seconds) {
    const std::string path = dir.File("tone.wav");
    WriteFile(path, MakeWave(1, 16, rate, static_cast<int>(seconds * rate),
                             [rate](int f, int) { return ToneSample(f, rate); }));
    return path;
}

// Opens the file, selects about 0.2 .. 0.7 s of its 2 s, analyses it under Hann and lays the
// comb near 220 Hz.
void OpenSelectAnalyse(Program& program, const std::string& path) {
    TestServices().files.answers.push_back(path);
    program.Frame().mnuOpen_Click();
    Form103& wave = program.WaveView();
    wave.Picture2_MouseDown(1, 0, 1000, 100);
    wave.Picture2_MouseMove(1, 0, 3500, 100);
    wave.Picture2_MouseUp(1, 0, 3500, 100);
    program.Frame().Item("mnuHann")->trigger();
    wave.Command5_Click();
    Form101& spectrum = program.SpectrumView();
    spectrum.Command1_Click(); // "Harmonics on"
    spectrum.Picture2_MouseMove(2, 0, static_cast<float>(PitchX(214.0)), 800);
}

// What the comb reads off `count` frames of the capture's left channel from `from`, Hann.
CombReading HeardComb(const Capture& c, std::size_t from, int rate) {
    constexpr std::int32_t kPoints = 8192;
    std::vector<double> y(kPoints + 1, 0.0);
    for (std::int32_t j = 0; j < kPoints; ++j) {
        y[static_cast<std::size_t>(j) + 1] = c.Left(from + static_cast<std::size_t>(j));
    }
    std::vector<double> work;
    SpectrumArrays ft;
    const AnalysisSettings hann{AnalysisWindow::Hann, 1};
    const std::int32_t n = AnalyseBlock(y, kPoints, hann, work, ft);
    return MeasurePartials({ft.MagFt, n, static_cast<double>(rate), hann}, kF0);
}

} // namespace

TEST_F(MainWindowTest, HarmonicsItemsActAndTheCopiedTableGainsTheirBlockOnlyWithTheComb) {
    MDIForm1& main = Frame();
    main.Timer2.SetEnabled(false);
    const struct {
        const char* item;
        const char* keys;
    } items[] = {{"mnuHarmonicsTable", "Ctrl+H"},
                 {"mnuFitComb", "Ctrl+G"},
                 {"mnuPlayHarmonics", "Ctrl+Shift+P"}};
    for (const auto& i : items) {
        EXPECT_TRUE(main.Item(i.item)->isEnabled()) << i.item;
        EXPECT_EQ(main.Item(i.item)->shortcut(), QKeySequence(i.keys)) << i.item;
    }
    // No file, no analysis, no comb: each command says why and plays nothing.
    main.Item("mnuPlayHarmonics")->trigger();
    EXPECT_EQ(main.StatusText(), "Play harmonics: open a wave file first.");
    main.Item("mnuFitComb")->trigger();
    EXPECT_EQ(main.StatusText(), "Fit comb: transform a selection with FFT first.");

    TempDir dir;
    const std::string path = WriteTone(dir, 44100, 2.0);
    OpenSelectAnalyse(*program, path);
    Form101& spectrum = Spectrum();
    spectrum.Command1_Click(); // the comb hidden again
    const std::string withoutComb = spectrum.CopiedTable();
    EXPECT_EQ(withoutComb, SpectrumTable(spectrum.OnShow()));
    EXPECT_EQ(withoutComb.find("# Harmonics"), std::string::npos);
    main.Item("mnuFitComb")->trigger();
    EXPECT_EQ(main.StatusText(), "Fit comb: show the comb with Harmonics on first.");
    main.Item("mnuPlayHarmonics")->trigger();
    EXPECT_EQ(main.StatusText(), "Play harmonics: show the comb with Harmonics on first.");

    // The window follows the comb as it is dragged, in the same event.
    spectrum.Command1_Click();
    spectrum.Picture2_MouseMove(2, 0, static_cast<float>(PitchX(214.0)), 800);
    main.Item("mnuHarmonicsTable")->trigger();
    frmHarmonics* window = main.Harmonics();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Cell(0, frmHarmonics::ColLine), "214");
    const int readings = window->Readings();
    spectrum.Picture2_MouseMove(2, 0, static_cast<float>(PitchX(230.0)), 800);
    EXPECT_EQ(window->Readings(), readings + 1);
    EXPECT_EQ(window->Cell(0, frmHarmonics::ColLine), "230");

    // Ctrl+G puts the fundamental on the peak; the table then reads the five partials.
    main.Item("mnuFitComb")->trigger();
    EXPECT_NEAR(spectrum.CombFundamentalHz(), kF0, 0.3);
    EXPECT_EQ(main.StatusText().rfind("Comb fitted: fundamental 2", 0), 0u) << main.StatusText();
    for (int r = 0; r < 5; ++r) {
        SCOPED_TRACE(r + 1);
        EXPECT_NEAR(num::ParseNumber(window->Cell(r, frmHarmonics::ColMeasured)), kF0 * (r + 1),
                    0.3);
        EXPECT_NEAR(num::ParseNumber(window->Cell(r, frmHarmonics::ColLevel)), kLevelsDb[r], 1.0);
    }
    EXPECT_EQ(window->Cell(5, frmHarmonics::ColMeasured), "absent");
    EXPECT_EQ(window->CurvePoints().size(), 5u);

    // A play under way stops first, as "Play" would stop it: one play, the spliced one.
    Form103& wave = Wave();
    wave.Command4_Click(); // "Play Cyclic"
    ASSERT_FALSE(wave.PlayIdle);
    ASSERT_FALSE(wave.MMControl1.Spliced());
    main.Item("mnuPlayHarmonics")->trigger();
    EXPECT_TRUE(wave.MMControl1.Spliced());
    EXPECT_EQ(wave.PlayMode, 0);
    EXPECT_EQ(main.StatusText(),
              "Playing the selection, its 5 partials resynthesised, and the selection again");
    wave.Command3_Click(); // "Stop"
    ASSERT_TRUE(PumpUntil([&] { return wave.PlayIdle; }, 5000));
    EXPECT_FALSE(wave.MMControl1.Spliced());

    // With the comb the copy is the same table followed by the window's rows.
    const std::string withComb = spectrum.CopiedTable();
    ASSERT_EQ(withComb.rfind(withoutComb, 0), 0u);
    const std::string block = withComb.substr(withoutComb.size());
    EXPECT_EQ(block.rfind("# Harmonics\n", 0), 0u);
    EXPECT_NE(block.find("# n\tLine (Hz)\tMeasured (Hz)\tCents\tLevel (dB)\n"), std::string::npos);
    EXPECT_NE(block.find("\n1\t" + window->Cell(0, frmHarmonics::ColLine) + "\t" +
                         window->Cell(0, frmHarmonics::ColMeasured) + "\t"),
              std::string::npos);
    EXPECT_NE(block.find("\n6\t" + window->Cell(5, frmHarmonics::ColLine) + "\tabsent\t\t\n"),
              std::string::npos);

    // Save harmonics as...: a 16-bit mono file of the resynthesis, or the reason and no file.
    MusicFolder music;
    const std::string saved = dir.File("harmonics.wav");
    TestServices().files.saveAnswers.push_back(saved);
    window->SaveButton().click();
    ASSERT_TRUE(std::filesystem::exists(saved)) << main.StatusText();
    EXPECT_EQ(main.StatusText(), "Harmonics saved as " + saved);
    ASSERT_FALSE(TestServices().files.saves.empty());
    EXPECT_EQ(TestServices().files.saves.back().folder, music.Tonvexa());
    EXPECT_EQ(TestServices().files.saves.back().suggestedName,
              "Harmonics " + window->Cell(0, frmHarmonics::ColLine) + " Hz.wav");
    const Bytes wav = ReadFile(saved);
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav[22] | (wav[23] << 8), 1);  // mono
    EXPECT_EQ(wav[34] | (wav[35] << 8), 16); // bits
    const double selectionSecs = Wave().PlayRangeSeconds();
    EXPECT_EQ(wav.size() - 44, 2u * static_cast<std::size_t>(std::lround(selectionSecs * 44100)));
    const std::string nowhere = dir.File("gone/harmonics.wav");
    TestServices().files.saveAnswers.push_back(nowhere);
    window->SaveButton().click();
    EXPECT_NE(main.StatusText().find("Save harmonics: "), std::string::npos);
    EXPECT_NE(main.StatusText().find("No such file or directory"), std::string::npos)
        << main.StatusText();
    EXPECT_EQ(window->Message(), main.StatusText());
    EXPECT_FALSE(std::filesystem::exists(dir.File("gone")));

    // A comb below the first bin measures nothing and says so.
    spectrum.Picture2_MouseMove(2, 0, static_cast<float>(PitchX(2.0)), 800);
    EXPECT_NE(window->Heading().find("below the first bin"), std::string::npos);
    main.Item("mnuPlayHarmonics")->trigger();
    EXPECT_NE(main.StatusText().find("below the first bin"), std::string::npos);
    EXPECT_TRUE(Wave().PlayIdle);

    // Another file opened: the partials on show are the earlier file's, and are not sounded
    // between the new file's samples.
    spectrum.Picture2_MouseMove(2, 0, static_cast<float>(PitchX(214.0)), 800);
    TestServices().files.answers.push_back(WriteTone(dir, 22050, 1.0));
    main.mnuOpen_Click();
    main.Item("mnuPlayHarmonics")->trigger();
    EXPECT_EQ(main.StatusText(),
              "Play harmonics: the spectrum on show is an earlier file's: press FFT first.");
    EXPECT_TRUE(Wave().PlayIdle);
}

TEST(HarmonicsPlay, TheResynthesisIsHeardAtTheMeasuredLevelsAndTheSelectionsLoudness) {
    TestServices().Reset();
    ProgramFolder folder;
    DiskEngine engine;
    const int rate = engine.Rate();
    const int buffer = engine.Engine().Info().bufferFrames;
    TempDir dir;
    // At the device's rate, so the capture holds the file's samples as they are.
    const std::string path = WriteTone(dir, rate, 2.0);
    struct Play {
        PartialPreset preset;
        Resynthesis expected;
        std::size_t first = 0; // the selection's first frame in the file
        std::size_t frames = 0;
    } plays[] = {{PartialPreset::All, {}}, {PartialPreset::WithoutFundamental, {}}};
    {
        Program program(TestServices().services, engine.Engine(),
                        {folder.Path(), folder.UserPath()});
        program.Frame().Timer2.SetEnabled(false);
        OpenSelectAnalyse(program, path);
        program.Frame().Item("mnuFitComb")->trigger();
        program.Frame().Item("mnuHarmonicsTable")->trigger();
        frmHarmonics& window = *program.Frame().Harmonics();
        Form103& wave = program.WaveView();
        for (Play& p : plays) {
            window.PresetButton(p.preset).click();
            p.expected = Resynthesise(
                *program.SpectrumView().ReadComb(),
                {wave.PlayRangeSeconds(), *wave.PlayRangeRms(), rate, window.Audible()});
            p.first = static_cast<std::size_t>(std::llround(wave.SelIniMs * rate / 1000.0));
            p.frames = static_cast<std::size_t>(std::llround(wave.SelEndMs * rate / 1000.0) -
                                                static_cast<long long>(p.first));
            window.PlayButton().click();
            EXPECT_FALSE(wave.PlayIdle);
            ASSERT_TRUE(PumpUntil([&] { return wave.PlayIdle; }, 15000));
        }
    }
    const Capture c = engine.Finish();
    std::size_t from = 0;
    for (const Play& p : plays) {
        SCOPED_TRACE(PresetCaption(p.preset));
        // The first frame of the selection, as the file holds it, starts the play.
        const auto onset = c.Onset(0.0f, from);
        ASSERT_TRUE(onset.has_value());
        const std::size_t start = *onset;
        ASSERT_GE(c.Frames(), start + 2 * p.frames + p.expected.samples.size());
        EXPECT_NEAR(c.Left(start), ToneSample(static_cast<int>(p.first), rate) / 32768.0, 1e-6);

        // The resynthesis follows the selection's last frame within two buffer periods.
        const std::size_t selectionEnd = start + p.frames;
        std::optional<std::size_t> gap;
        for (std::size_t d = 0; d <= 2u * static_cast<std::size_t>(buffer) && !gap; ++d) {
            bool same = true;
            for (std::size_t i = 0; i < p.expected.samples.size() && same; i += 7) {
                same = std::abs(c.Left(selectionEnd + d + i) - p.expected.samples[i]) < 1e-5f;
            }
            if (same) {
                gap = d;
            }
        }
        ASSERT_TRUE(gap.has_value()) << "no resynthesis within two buffer periods";
        const std::size_t resynthesis = selectionEnd + *gap;
        const std::size_t length = p.expected.samples.size();

        // As loud as the selection as it was played, and at the levels measured.
        const double rms = c.RmsDbfs(resynthesis, length);
        const double selectionRms = c.RmsDbfs(start, p.frames);
        std::printf("%-24s resynthesis starts %zu frames after the selection ends (buffer "
                    "period %d frames); RMS %.2f dBFS, selection as played %.2f dBFS\n",
                    PresetCaption(p.preset).c_str(), *gap, buffer, rms, selectionRms);
        EXPECT_NEAR(rms, selectionRms, 1.5);
        const CombReading heard = HeardComb(c, resynthesis + length / 2 - 4096, rate);
        for (int n = 1; n <= 5; ++n) {
            SCOPED_TRACE(n);
            const PartialReading& line = heard.lines[static_cast<std::size_t>(n - 1)];
            if (p.preset == PartialPreset::WithoutFundamental && n == 1) {
                EXPECT_TRUE(line.status == PartialStatus::Absent || line.levelDb <= -40.0)
                    << line.levelDb;
                continue;
            }
            ASSERT_EQ(line.status, PartialStatus::Measured);
            const double strongest = p.preset == PartialPreset::WithoutFundamental ? -6.0 : 0.0;
            EXPECT_NEAR(line.levelDb, kLevelsDb[n - 1] - strongest, 1.5);
        }
        // Then the selection again.
        EXPECT_NEAR(c.Left(resynthesis + length),
                    ToneSample(static_cast<int>(p.first), rate) / 32768.0, 1e-6);
        from = resynthesis + length + p.frames;
    }
}
