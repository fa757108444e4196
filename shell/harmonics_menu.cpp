// MDIForm1: the harmonics items of the Analysis menu. "Harmonics table..." shows what the comb
// reads, "Fit comb to nearest peak" snaps it, "Play harmonics" sounds the selection, the comb's
// partials resynthesised, and the selection again through the wave player; the Harmonics
// window's "Save harmonics as..." writes the resynthesis as a 16-bit mono wave file.
#include "main_window.h"

#include "base/atomic_file.h"
#include "base/wave_writer.h"
#include "dialogs/record_dialog.h"
#include "dialogs/record_take.h"
#include "spectrum/harmonics_table.h"
#include "spectrum/harmonics_window.h"
#include "spectrum/resynthesis.h"
#include "spectrum/spectrum_view.h"
#include "ui/services.h"
#include "waveview/waveform_view.h"

#include <QAction>
#include <QFileInfo>
#include <QMainWindow>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

constexpr const char* kWaveFilter = "Sound Wave Files (*.wav)|*.wav";
constexpr double kSampleFullScale = 32767.0;

// A number of partials: "1 partial", "5 partials".
std::string Partials(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " partial" : " partials");
}

std::size_t Sounding(const CombReading& comb, const PartialMask& play) {
    return static_cast<std::size_t>(
        std::count_if(comb.lines.begin(), comb.lines.end(), [&](const PartialReading& line) {
            return line.status == PartialStatus::Measured &&
                   play.test(static_cast<std::size_t>(line.n - 1));
        }));
}

// A word on the status line, and in the Harmonics window while there is one.
void Tell(MDIForm1& frame, frmHarmonics* window, const std::string& text) {
    frame.ShowStatus(text);
    if (window) {
        window->ShowMessage(text);
    }
}

std::vector<std::int16_t> Sixteen(const std::vector<float>& x) {
    std::vector<std::int16_t> out(x.size());
    std::transform(x.begin(), x.end(), out.begin(), [](float v) {
        return static_cast<std::int16_t>(
            std::lround(std::clamp(static_cast<double>(v), -1.0, 1.0) * kSampleFullScale));
    });
    return out;
}

} // namespace

void MDIForm1::WireHarmonicsMenu() {
    OnMenu("mnuHarmonicsTable", [this] { mnuHarmonicsTable_Click(); });
    OnMenu("mnuFitComb", [this] { mnuFitComb_Click(); });
    OnMenu("mnuPlayHarmonics", [this] { mnuPlayHarmonics_Click(); });
    for (const char* name : {"mnuHarmonicsTable", "mnuFitComb", "mnuPlayHarmonics"}) {
        Item(name)->setEnabled(true);
        // Also from the Harmonics window.
        Item(name)->setShortcutContext(Qt::ApplicationShortcut);
    }
}

void MDIForm1::mnuHarmonicsTable_Click() {
    if (!spectrum_) {
        return;
    }
    if (!harmonics_) {
        harmonics_ = std::make_unique<frmHarmonics>(*spectrum_, window_.get());
        harmonics_->PlayRequested = [this] {
            Dispatch(window_.get(), [this] { mnuPlayHarmonics_Click(); });
        };
        harmonics_->SaveRequested = [this] {
            Dispatch(window_.get(), [this] { SaveHarmonics_Click(); });
        };
        spectrum_->CombChanged = [this] { harmonics_->Refresh(); };
    }
    harmonics_->ShowWindow();
}

void MDIForm1::mnuFitComb_Click() {
    if (spectrum_) {
        spectrum_->FitComb();
    }
}

std::optional<Resynthesis> MDIForm1::HarmonicsSound(const std::string& command) {
    const auto refuse = [&](const std::string& why) {
        Tell(*this, harmonics_.get(), command + ": " + why);
        return std::nullopt;
    };
    if (!wave_ || !spectrum_ || !wave_->FileLoaded) {
        return refuse("open a wave file first.");
    }
    if (spectrum_->NPontGraf < 1) {
        return refuse("transform a selection with FFT first.");
    }
    // The partials of an earlier file's spectrum would be sounded between this file's samples.
    if (spectrum_->ShowsEarlierFile()) {
        return refuse("the spectrum on show is an earlier file's: press FFT first.");
    }
    const std::optional<CombReading> comb = spectrum_->ReadComb();
    if (!comb) {
        return refuse("show the comb with Harmonics on first.");
    }
    if (comb->fundamentalBelowFirstBin) {
        return refuse(CombBelowFirstBinText(*comb, spectrum_->CombFundamentalHz()) + ".");
    }
    const PartialMask play = harmonics_ ? harmonics_->Audible() : PartialMask().set();
    if (Sounding(*comb, play) == 0) {
        return refuse("the comb finds no partial to sound.");
    }
    const std::optional<double> rms = wave_->PlayRangeRms();
    std::int32_t rate = 0;
    try {
        rate = WholeNumber(wave_->SampleRate());
    } catch (const std::exception&) {
    }
    if (!rms || rate <= 0) {
        return refuse("the selection cannot be read.");
    }
    if (!(*rms > 0.0)) {
        return refuse("the selection is silent.");
    }
    return Resynthesise(*comb, {wave_->PlayRangeSeconds(), *rms, rate, play});
}

void MDIForm1::mnuPlayHarmonics_Click() {
    const char* command = "Play harmonics";
    std::optional<Resynthesis> sound = HarmonicsSound(command);
    if (!sound) {
        return;
    }
    const std::size_t partials =
        Sounding(*spectrum_->ReadComb(), harmonics_ ? harmonics_->Audible() : PartialMask().set());
    const bool limited = sound->peakLimited;
    if (!wave_->PlaySpliced(std::move(sound->samples))) {
        Tell(*this, harmonics_.get(),
             std::string(command) + ": the wave player could not open the file.");
        return;
    }
    std::string text = "Playing the selection, its " + Partials(partials) +
                       " resynthesised, and the selection again";
    if (limited) {
        text += " (the partials quieter than the selection, to stay below full scale)";
    }
    Tell(*this, harmonics_.get(), text);
}

void MDIForm1::SaveHarmonics_Click() {
    const std::string command = "Save harmonics";
    std::optional<Resynthesis> sound = HarmonicsSound(command);
    if (!sound) {
        return;
    }
    const std::string folder = RecordingsFolder().path;
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    const std::string name =
        "Harmonics " + HarmonicsRows(*spectrum_->ReadComb())[0].lineHz + " Hz.wav";
    const std::string suggested =
        QFileInfo(QString::fromStdString(FreeFilePath(folder, name))).fileName().toStdString();
    const std::optional<std::string> chosen =
        services_.files->GetSaveFileName(kWaveFilter, made ? std::string() : folder, suggested);
    if (!chosen) {
        return;
    }
    std::string path = *chosen;
    if (QFileInfo(QString::fromStdString(path)).suffix().isEmpty()) {
        path += ".wav";
    }
    // The dialog leaves an existing file to the caller.
    if (QFileInfo::exists(QString::fromStdString(path)) &&
        !services_.messages->Confirm(
            "\u201C" + QFileInfo(QString::fromStdString(path)).fileName().toStdString() +
                "\u201D already exists. Replace it?",
            "Save harmonics", "&Replace", "&Cancel")) {
        return;
    }
    const std::int32_t rate = WholeNumber(wave_->SampleRate());
    const std::string why = WriteWave16Mono(path, Sixteen(sound->samples), rate);
    Tell(*this, harmonics_.get(),
         why.empty() ? "Harmonics saved as " + path : command + ": " + why);
}
