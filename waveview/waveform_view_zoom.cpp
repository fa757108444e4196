// Form103: "Zoom", "Normal", "Cancel", the vertical amplification buttons and the graph-style
// options. Each redraw reads the frames on show from the file once, under the hourglass.
#include "selection_rules.h"
#include "waveform_view.h"

#include "frame_port.h"

#include "base/file_channel.h"
#include "base/numbers.h"
#include "ui/common_dialog.h"
#include "ui/services.h"

namespace {

constexpr float kAmpCap = 128; // "x 2" stops once Amp8Mono is above this

// The hourglass over the whole window for the life of a redraw.
class Hourglass {
  public:
    explicit Hourglass(Form& form) : form_(form) { form_.SetPointer(MousePointer::Hourglass); }
    ~Hourglass() { form_.SetPointer(MousePointer::Default); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;

  private:
    Form& form_;
};

} // namespace

void Form103::WireZoom() {
    Command6.Click = [this] { Command6_Click(); };
    Command7.Click = [this] { Command7_Click(); };
    Command8.Click = [this] { Command8_Click(); };
    Command11.Click = [this] { Command11_Click(); };
    Command12.Click = [this] { Command12_Click(); };
    Option3.Click = [this] { Option3_Click(); };
    Option4.Click = [this] { Option4_Click(); };
}

// ---- Shared steps ----

std::int64_t Form103::FilePosition(std::int32_t frame) {
    return static_cast<std::int64_t>(WholeNumber(DataStart())) +
           static_cast<std::int64_t>(WholeNumber(BlockAlign())) * frame;
}

void Form103::HideSelectionWindow() {
    Picture3.SetWidth(0);
    Picture3.SetVisible(false);
    Picture6.SetWidth(0);
    Picture6.SetVisible(false);
}

void Form103::ClearDrawings() {
    Picture2.Cls();
    Picture5.Cls();
    Picture4.Cls();
    Picture7.Cls();
}

void Form103::DrawStretch(std::int64_t Inidad, std::int32_t Lendad) {
    FileChannel& ch = channel1_;
    ch.Open(frame_.CommonDialog1().FileName(), FileChannel::Mode::BinaryRead);
    // A failure on the way leaves the channel to the error rule, which closes it.
    GrafWave8BM(Inidad, Lendad);
    ch.Close();
}

// The stretch "Zoom" shows: the selected frames and one frame more.
void Form103::SelectionStretch(std::int64_t& Inidad, std::int32_t& Lendad) {
    Inidad = FilePosition(WholeNumber(SelIniPoint()));
    Lendad = num::CLng(static_cast<double>(WholeNumber(SelPoints())) + 1);
}

// The view values of a zoom into the selection, `Lendad` frames from the selection's start.
void Form103::TakeZoomedView(std::int32_t Lendad) {
    Label4.SetCaption(num::IntText(SelIniMs));
    Label6[1].SetCaption(num::IntText(Lendad));
    Label15[1].SetCaption(num::DoubleText(static_cast<double>(Lendad) / WholeNumber(SampleRate())));
    Label17.SetCaption(SelIniPoint().Caption());
}

// ---- "Zoom", "Normal", "Cancel" ----

void Form103::Command6_Click() {
    if (SampleRate().Caption().empty() || !PlayIdle) {
        Picture2.SetFocus();
        return;
    }
    if (SelIniPoint().Caption().empty()) {
        services_.messages->Show("You have to select a part of the graph before", AppTitle(),
                                 MsgIcon::None);
        return;
    }
    Hourglass busy(*this);
    Picture2.SetFocus();
    HideSelectionWindow();
    ClearDrawings();
    std::int64_t Inidad = 0;
    std::int32_t Lendad = 0;
    SelectionStretch(Inidad, Lendad);
    DrawStretch(Inidad, Lendad);
    TakeZoomedView(Lendad);
}

void Form103::Command7_Click() {
    if (!PlayIdle || SelIniPoint().Caption().empty()) {
        Picture2.SetFocus();
        return;
    }
    Hourglass busy(*this);
    Picture2.SetFocus();
    SelIniMs = 0;
    Label4.SetCaption("0");
    Label15[1].SetCaption(TotalSecs().Caption());
    Label6[1].SetCaption(TotalPoints().Caption());
    Label17.SetCaption("0");
    PlayMode = 0;
    HideSelectionWindow();
    ClearDrawings();
    DrawStretch(WholeNumber(DataStart()), WholeNumber(TotalPoints()));
    FileLoaded = true;
    Command8_Click();
}

void Form103::Command8_Click() {
    Picture2.SetFocus();
    if (!FileLoaded || !PlayIdle) {
        return;
    }
    HideSelectionWindow();
    // The play range becomes the whole stretch on show.
    const ViewStretch v = CurrentStretch();
    SelIniMs = v.iniMs;
    SelEndMs = num::CLng(v.secs * 1000 + SelIniMs);
    if (SelIniTime().Caption().empty()) {
        return; // nothing selected since the load: the table stays empty
    }
    Label16[1].SetCaption(SecondsText(SelIniMs));
    Label16[2].SetCaption(SecondsText(SelEndMs));
    Label16[3].SetCaption(SecondsText(SelEndMs - SelIniMs));
    Label16[4].SetCaption(ViewIniPoint().Caption());
    Label16[5].SetCaption(num::IntText(StretchLastPoint(v)));
    Label16[6].SetCaption(ViewPoints().Caption());
    PonTransf();
}

// ---- "x 2", "x 1/2" ----

// Redraws the stretch on show with every amplification factor multiplied by `factor`; the
// selection window stays where it is, the renderer redraws the inverse copies under it.
void Form103::RedrawAmplified(float factor) {
    Hourglass busy(*this);
    Picture2.SetFocus();
    ClearDrawings();
    const std::int64_t Inidad = FilePosition(WholeNumber(ViewIniPoint()));
    const std::int32_t Lendad = WholeNumber(ViewPoints());
    Amp8Mono *= factor;
    Amp16Mono *= factor;
    Amp8Stereo *= factor;
    Amp16Stereo *= factor;
    DrawStretch(Inidad, Lendad);
}

void Form103::Command11_Click() {
    // One test on the 8-bit mono factor caps all four, whatever the file's format.
    if (SampleRate().Caption().empty() || !PlayIdle || Amp8Mono > kAmpCap) {
        Picture2.SetFocus();
        return;
    }
    RedrawAmplified(2);
}

void Form103::Command12_Click() {
    if (SampleRate().Caption().empty() || !PlayIdle) {
        Picture2.SetFocus();
        return;
    }
    RedrawAmplified(0.5f);
}

// ---- "Line", "Points" ----

// Redraws in the chosen style; with a selection it zooms into it as "Zoom" does.
void Form103::RedrawStyle() {
    if (SampleRate().Caption().empty() || !PlayIdle) {
        Picture2.SetFocus();
        return;
    }
    std::int64_t Inidad = WholeNumber(DataStart());
    std::int32_t Lendad = WholeNumber(TotalPoints());
    if (!SelIniPoint().Caption().empty()) {
        SelectionStretch(Inidad, Lendad);
        TakeZoomedView(Lendad);
    }
    Hourglass busy(*this);
    Picture2.SetFocus();
    HideSelectionWindow();
    ClearDrawings();
    DrawStretch(Inidad, Lendad);
}

void Form103::Option3_Click() {
    RedrawStyle();
}

void Form103::Option4_Click() {
    RedrawStyle();
}
