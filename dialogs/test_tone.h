// File > "New test tone...": what the dialog's fields say, checked and turned into a tone, and
// the tone itself as 16-bit mono samples. No window: the dialog feeds it its texts and shows
// the message it returns. The tone is a lesson's specimen: a fundamental with a waveform whose
// harmonics all lie below the Nyquist frequency (so nothing aliases), an optional second tone
// and optional noise, deterministic from run to run.
//
// Levels. Every level is in dB against a sine of unit amplitude: the standard waveforms have
// their fundamental at 0 dB (a square's third harmonic is then at -9.5 dB, a sawtooth's second
// at -6 dB); typed harmonic levels are the levels of harmonics 1, 2, 3 ...; the second tone is
// a sine at its level; the noise is white, its RMS that of a sine at its level. The whole tone
// is then scaled so that its highest sample lies at -1 dBFS.
#pragma once

#include "base/numbers.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class ToneWaveform {
    Sine,
    Square,         // odd harmonics at 1/n
    Sawtooth,       // every harmonic at 1/n, alternating in sign
    Triangle,       // odd harmonics at 1/n^2, alternating in sign
    HarmonicLevels, // harmonics 1, 2, 3 ... at the levels typed
};

constexpr std::array<std::int32_t, 3> kTestToneRates{22050, 44100, 48000}; // Hz
constexpr double kShortestToneSeconds = 0.1;
constexpr double kLongestToneSeconds = 60.0;
constexpr double kLowestToneLevelDb = -120.0;
constexpr double kHighestToneLevelDb = 0.0;
constexpr double kTonePeakDbfs = -1.0; // the tone's highest sample
// Harmonics beyond this one are left out (only below rate / 8192 Hz does a waveform have more
// below the Nyquist frequency; they lie 72 dB or more below the fundamental).
constexpr std::size_t kMostToneHarmonics = 4096;

// The dialog's fields as the user typed them.
struct TestToneForm {
    std::string fundamentalHz;
    ToneWaveform waveform = ToneWaveform::Sine;
    std::string harmonicLevels; // "0 -6 -12": used with HarmonicLevels
    bool secondTone = false;
    std::string secondHz, secondLevelDb;
    bool noise = false;
    std::string noiseLevelDb;
    std::string seconds;
    std::int32_t rate = 44100;
};

struct SecondTone {
    double hz = 0.0;
    double levelDb = 0.0;
};

// A tone whose values are all valid.
struct TestTone {
    double fundamentalHz = 440.0;
    ToneWaveform waveform = ToneWaveform::Sine;
    std::vector<double> harmonicLevelsDb; // HarmonicLevels only
    std::optional<SecondTone> second;
    std::optional<double> noiseLevelDb;
    double seconds = 1.0;
    std::int32_t rate = 44100;
};

// Either the tone or the message that says what is wrong with the first bad field.
struct TestToneCheck {
    std::optional<TestTone> tone;
    std::string message;
};

// Checks the fields in the dialog's order (sample rate, fundamental, harmonic levels, second
// tone, noise, duration); numbers are read with the program's number rules and `separator`.
// A frequency must lie above 0 and below half the sample rate; a level from -120 to 0 dB; the
// duration from 0.1 to 60 s; the rate 22050, 44100 or 48000.
TestToneCheck CheckTestTone(const TestToneForm& form, char separator = num::DecimalSeparator());

// The levels of a text of harmonic levels: numbers separated by blanks (spaces or tabs). None
// (a bad text) when it holds no number, a word that is not a number, a level outside -120 .. 0
// dB, or more than kMostToneHarmonics levels.
std::optional<std::vector<double>> ParseHarmonicLevels(std::string_view text,
                                                       char separator = num::DecimalSeparator());

// The tone's samples: seconds x rate of them, rounded; the highest at -1 dBFS, none clipped.
// The same tone gives the same samples every time. About 0.2 s for a minute at 48 kHz, so the
// dialog shows the hourglass while it works.
std::vector<std::int16_t> MakeTestTone(const TestTone& tone);

// The frequency of the bin nearest to f (Hz) for a transform of FftPoints at rate: k x rate /
// FftPoints, k kept within 1 .. FftPoints/2 - 1. f itself when FftPoints < 8 or rate <= 0.
double OntoNearestBin(double f, std::int32_t FftPoints, std::int32_t rate);
// The frequency halfway between the two bins nearest to f: (k + 1/2) x rate / FftPoints, k kept
// within 1 .. FftPoints/2 - 2. f itself when FftPoints < 8 or rate <= 0.
double HalfwayBetweenBins(double f, std::int32_t FftPoints, std::int32_t rate);

// "Test tone 441.431 Hz 2026-12-08 18-55-01.wav": the fundamental to thousandths of a hertz and
// the local time `when` the tone was made.
std::string TestToneFileName(const TestTone& tone, const std::tm& when);
