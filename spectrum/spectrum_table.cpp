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

std::string FileTitle(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
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

} // namespace

std::string SpectrumTable(const SpectrumOnShow& s) {
    std::string out = "# Tonvexa spectrum\n";
    const bool analysed = Analysed(s);
    if (analysed) {
        HeaderLine(out, "File", s.source.file);
        HeaderLine(out, "Channel", s.source.channel);
        HeaderLine(out, "Selection start (s)", num::DoubleText(s.source.startSecs));
        HeaderLine(out, "Selection end (s)", num::DoubleText(s.source.endSecs));
        HeaderLine(out, "Points", num::IntText(2 * static_cast<std::int64_t>(s.ftnpont)));
        HeaderLine(out, "Sample rate (Hz)", num::IntText(s.freqGraf));
    } else {
        out.append("# No analysis yet\n");
    }
    if (s.markX) {
        const NoteReading mark = NameNoteAt(*s.markX);
        HeaderLine(out, "Marked peak (Hz)",
                   mark.frequencyText + "\t" + NoteLetters(mark.row) + "\t" +
                       num::IntText(mark.octave));
    }
    out.append("# Bin\tFrequency (Hz)\tMagnitude\tNote\tOctave\n");
    if (!analysed) {
        return out;
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
    return out;
}

std::string SpectrumDescription(const SpectrumOnShow& s) {
    if (!Analysed(s)) {
        return "No analysis yet";
    }
    const double blockSecs = 2.0 * s.ftnpont / s.freqGraf;
    std::string text = FileTitle(s.source.file) + ", " + ChannelWords(s.source.channel) + ", " +
                       Rounded(s.source.startSecs, 1000) + " s to " +
                       Rounded(s.source.startSecs + blockSecs, 1000) + " s analysed (" +
                       num::IntText(2 * static_cast<std::int64_t>(s.ftnpont)) + " points at " +
                       num::IntText(s.freqGraf) + " Hz); ";
    std::int32_t strongest = 0; // none while every bin is 0
    double largest = 0.0;
    for (std::int32_t k = 1; k < s.ftnpont; ++k) {
        if (s.ft.MagFt[static_cast<std::size_t>(k) + 1] > largest) {
            largest = s.ft.MagFt[static_cast<std::size_t>(k) + 1];
            strongest = k;
        }
    }
    if (strongest == 0) {
        return text + "no peak: the block is silent or constant";
    }
    const NoteReading note = BinNote(s, strongest);
    return text + "strongest peak " + Rounded(BinHz(s, strongest), 100) + " Hz, note " +
           NoteLetters(note.row) + ", octave " + num::IntText(note.octave);
}
