#include "spectrum_table.h"

#include "base/numbers.h"
#include "note_naming.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

// Sentences round hertz to hundredths and seconds to milliseconds: enough to hear.
std::string Rounded(double v, double unitsPerOne) {
    return num::DoubleText(std::round(v * unitsPerOne) / unitsPerOne);
}

// "mono", "left channel", "right channel" from the table's channel names.
std::string ChannelWords(const std::string& channel) {
    if (channel == "Mono") {
        return "mono";
    }
    std::string words = channel + " channel";
    if (!words.empty()) {
        words[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(words[0])));
    }
    return words;
}

double BinHz(const SpectrumOnShow& s, std::int32_t k) {
    return static_cast<double>(k) * s.freqGraf / (2.0 * s.ftnpont);
}

// The readout's naming of the pitch where bin k is drawn.
NoteReading BinNote(const SpectrumOnShow& s, std::int32_t k) {
    return NameNoteAt(num::CSng(BinX(k, s.ftnpont, s.freqGraf)));
}

bool Analysed(const SpectrumOnShow& s) {
    return s.ftnpont > 0 && s.freqGraf > 0 &&
           s.ft.MagFt.size() > static_cast<std::size_t>(s.ftnpont) && !s.ft.ImFt.empty();
}

// |F_k| for bin k = 1 .. ftnpont; the last one, half the sample rate, is packed beside F_0.
double Magnitude(const SpectrumOnShow& s, std::int32_t k) {
    return k < s.ftnpont ? s.ft.MagFt[static_cast<std::size_t>(k) + 1] : std::abs(s.ft.ImFt[1]);
}

void HeaderLine(std::string& out, const char* what, const std::string& value) {
    out.append("# ").append(what).append("\t").append(value).append("\n");
}

// Width of a bin of the unpadded transform, Hz: what padding leaves as it is.
double BinWidthHz(const SpectrumOnShow& s) {
    return static_cast<double>(s.freqGraf) / s.Points();
}

std::string PaddingWords(const AnalysisSettings& settings) {
    return settings.padding == 1 ? "no zero padding"
                                 : "zero padding x " + num::IntText(settings.padding);
}

// "+1.2", "-12", "0": an offset in cents with its sign.
std::string Signed(const std::string& text) {
    return text.starts_with('-') || text == "0" ? text : "+" + text;
}

// "A4", "C#/Db5": the note letters with the octave.
std::string NoteAndOctave(const NoteReading& r) {
    return NoteLetters(r.row) + num::IntText(r.octave);
}

// The header lines and rows of one spectrum, under its first line `title`.
void AppendSpectrum(std::string& out, const SpectrumOnShow& s, const char* title) {
    out.append(title).append("\n");
    const bool analysed = Analysed(s);
    if (analysed) {
        HeaderLine(out, "File", s.source.file);
        HeaderLine(out, "Channel", s.source.channel);
        HeaderLine(out, "Selection start (s)", num::DoubleText(s.source.startSecs));
        HeaderLine(out, "Selection end (s)", num::DoubleText(s.source.endSecs));
        HeaderLine(out, "Points", num::IntText(s.Points()));
        HeaderLine(out, "Sample rate (Hz)", num::IntText(s.freqGraf));
        HeaderLine(out, "Window", WindowCaption(s.settings.window));
        HeaderLine(out, "Zero padding", num::IntText(s.settings.padding));
        HeaderLine(out, "Bin width (Hz)", num::DoubleText(BinWidthHz(s)));
    } else {
        out.append("# No analysis yet\n");
    }
    if (s.markX) {
        const NoteReading mark = NameNoteAt(*s.markX);
        HeaderLine(out, "Marked peak (Hz)",
                   mark.frequencyText + "\t" + NoteLetters(mark.row) + "\t" +
                       num::IntText(mark.octave));
    }
    if (const auto marked = RefinedMarkedPeak(s)) {
        const UncertainTexts hz =
            WithUncertainty(marked->peak.frequencyHz, marked->peak.uncertaintyHz);
        const UncertainTexts cents =
            WithUncertainty(marked->note.cents, marked->note.uncertaintyCents);
        HeaderLine(out, "Refined peak (Hz)", hz.value + "\t" + hz.uncertainty);
        HeaderLine(out, "Refined peak (cents)",
                   NoteLetters(marked->note.reading.row) + "\t" +
                       num::IntText(marked->note.reading.octave) + "\t" + cents.value + "\t" +
                       cents.uncertainty);
    }
    out.append("# Bin\tFrequency (Hz)\tMagnitude\tNote\tOctave\n");
    if (!analysed) {
        return;
    }
    for (std::int32_t k = 1; k <= s.ftnpont; ++k) {
        const NoteReading note = BinNote(s, k);
        out.append(num::IntText(k))
            .append("\t")
            .append(num::DoubleText(BinHz(s, k)))
            .append("\t")
            .append(num::DoubleText(Magnitude(s, k)))
            .append("\t")
            .append(NoteLetters(note.row))
            .append("\t")
            .append(num::IntText(note.octave))
            .append("\n");
    }
}

SpectrumOnShow FrozenOnShow(const FrozenSpectrum& f, std::optional<float> markX) {
    return SpectrumOnShow{f.ft, f.ftnpont, f.freqGraf, f.source, markX, f.settings, nullptr};
}

// "Hann window, 4096 points, zero padding x 4 (bins drawn 2.69 Hz apart)".
std::string SettingsWords(const SpectrumOnShow& s) {
    std::string text = WindowCaption(s.settings.window) + " window, " + num::IntText(s.Points()) +
                       " points, " + PaddingWords(s.settings);
    if (s.settings.padding > 1) {
        text += " (bins drawn " + Rounded(BinHz(s, 1), 100) + " Hz apart)";
    }
    return text;
}

} // namespace

std::optional<MarkedPeak> RefinedMarkedPeak(const SpectrumOnShow& s) {
    if (!s.markX || !Analysed(s)) {
        return std::nullopt;
    }
    const MagnitudeSpectrum spectrum{s.ft.MagFt, s.ftnpont, static_cast<double>(s.freqGraf),
                                     s.settings};
    const auto peak = RefinedPeakNear(spectrum, PitchFrequency(*s.markX));
    if (!peak) {
        return std::nullopt;
    }
    const auto note = NearestTemperedNote(peak->frequencyHz, peak->uncertaintyHz);
    if (!note) {
        return std::nullopt;
    }
    return MarkedPeak{*peak, *note};
}

UncertainTexts WithUncertainty(double value, double u) {
    if (!std::isfinite(value) || !std::isfinite(u) || !(u > 0.0)) {
        return {num::DoubleText(value), std::isfinite(u) ? num::DoubleText(u) : "inf"};
    }
    // The place of u's second significant digit: 10^-decimals.
    const int decimals = 1 - static_cast<int>(std::floor(std::log10(u)));
    const double scale = std::pow(10.0, std::abs(decimals));
    const auto round = [&](double v) {
        // Dividing by a power of ten gives the nearest double to the decimal; multiplying by
        // its inverse would not.
        const double r =
            decimals >= 0 ? std::round(v * scale) / scale : std::round(v / scale) * scale;
        return num::DoubleText(r == 0.0 ? 0.0 : r);
    };
    return {round(value), round(u)};
}

std::string SpectrumTable(const SpectrumOnShow& s) {
    std::string out;
    AppendSpectrum(out, s, "# Tonvexa spectrum");
    if (s.frozen && Analysed(s)) {
        AppendSpectrum(out, FrozenOnShow(*s.frozen, s.markX), "# Frozen spectrum");
    }
    return out;
}

std::string FileTitleOf(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

// "Demo.wav, mono, 0.002 s to 0.095 s<seconds> (4096 points at 44100 Hz)"
std::string BlockWords(const SpectrumOnShow& s, const char* afterSeconds) {
    const double blockSecs = static_cast<double>(s.Points()) / s.freqGraf;
    return FileTitleOf(s.source.file) + ", " + ChannelWords(s.source.channel) + ", " +
           Rounded(s.source.startSecs, 1000) + " s to " +
           Rounded(s.source.startSecs + blockSecs, 1000) + " s" + afterSeconds + " (" +
           num::IntText(s.Points()) + " points at " + num::IntText(s.freqGraf) + " Hz)";
}

} // namespace

std::string SpectrumBlockText(const SpectrumOnShow& s) {
    return Analysed(s) ? BlockWords(s, "") : std::string();
}

std::string SpectrumDescription(const SpectrumOnShow& s) {
    if (!Analysed(s)) {
        return "No analysis yet";
    }
    std::string text = BlockWords(s, " analysed") + "; ";
    std::int32_t strongest = 0; // none while every bin is 0
    double largest = 0.0;
    for (std::int32_t k = 1; k < s.ftnpont; ++k) {
        if (s.ft.MagFt[static_cast<std::size_t>(k) + 1] > largest) {
            largest = s.ft.MagFt[static_cast<std::size_t>(k) + 1];
            strongest = k;
        }
    }
    if (strongest == 0) {
        text += "no peak: the block is silent or constant";
    } else {
        const NoteReading note = BinNote(s, strongest);
        text += "strongest peak " + Rounded(BinHz(s, strongest), 100) + " Hz, note " +
                NoteLetters(note.row) + ", octave " + num::IntText(note.octave);
    }
    return text + "; " + AnalysisSummary(s);
}

std::string AnalysisSummary(const SpectrumOnShow& s) {
    if (!Analysed(s)) {
        return {};
    }
    std::string text = SettingsWords(s) + ", bin width " + Rounded(BinWidthHz(s), 100) + " Hz";
    if (s.markX) {
        if (const auto marked = RefinedMarkedPeak(s)) {
            const UncertainTexts hz =
                WithUncertainty(marked->peak.frequencyHz, marked->peak.uncertaintyHz);
            const UncertainTexts cents =
                WithUncertainty(marked->note.cents, marked->note.uncertaintyCents);
            text += "; refined peak " + hz.value + " \u00B1 " + hz.uncertainty + " Hz, " +
                    NoteAndOctave(marked->note.reading) + " " + Signed(cents.value) + " \u00B1 " +
                    cents.uncertainty + " cents";
        } else {
            text += "; no peak near the mark";
        }
    }
    if (s.frozen) {
        // Short, so the line fits the frame: what differs is read off the table.
        const SpectrumOnShow frozen = FrozenOnShow(*s.frozen, std::nullopt);
        text += "; grey: " + WindowCaption(frozen.settings.window) + ", " +
                num::IntText(frozen.Points()) + " points";
        if (frozen.settings.padding > 1) {
            text += ", " + PaddingWords(frozen.settings);
        }
        text += ", " + FileTitleOf(frozen.source.file);
    }
    return text;
}
