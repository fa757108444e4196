// Form101: naming under the mouse (frequency, note, octave, height), the peak mark, the
// harmonic comb, and the naming of keys under the keyboard picture.
#include "spectrum_view.h"

#include "spectrum_colours.h"

#include "base/numbers.h"
#include "keyboard.h"
#include "note_naming.h"
#include "notes/note_player.h"
#include "ui/services.h"

namespace {

const std::string kHarmonicsOn = "Harmonics on";
const std::string kHarmonicsOff = "Harmonics off";
const std::string kMarkPeak = "Mark peak";
const std::string kEraseMark = "Erase mark";

// Right edge of the frequency readout: where "Hz" begins, twips.
constexpr double kFrequencyRight = 5040;
// The "%" after the height value stands here unless the value is longer.
constexpr double kPercentLeft = 10160;

// The mark's picture hangs above the click: its left 240 and its top 900 twips from it.
constexpr float kMarkDx = 240;
constexpr float kMarkDy = 900;
// Where "Harmonics on" first lays the comb (about 144 Hz).
constexpr float kCombStartX = 13000;
constexpr float kCombStartY = 800;
// The comb hangs 100 twips above the pointer and is 300 twips tall.
constexpr float kCombGap = 100;
constexpr float kCombTop = 400;

} // namespace

void Form101::Picture2_MouseMove(std::int16_t Button, std::int16_t, float X, float Y) {
    if (Button == kLeftButton) {
        return;
    }
    if (harmDrag_ && Button == kRightButton && Command1.Caption() == kHarmonicsOff) {
        Harmouselog2(X, Y);
        return;
    }
    harmDrag_ = true;
    if (fromKeyboard_) {
        fromKeyboard_ = false;
    } else {
        ShowHeight(Y);
    }
    ShowFrequency(X);
    DescribeReadout();
    if (pointerHovered_) {
        ShowBand(X);
    }
    Line1.SetEnds(X, Line1.Y1(), X, Line1.Y2());
    Line1.SetVisible(true);
}

void Form101::DescribeReadout() {
    std::string text = Label2.Caption() + " " + Label5.Caption() + ", " + Label3.Caption() + ", " +
                       Label4.Caption();
    if (Label6.Visible()) {
        text += ", " + Label7.Caption() + Label6.Caption() + " " + Label8.Caption();
    }
    Label2.SetAccessibleDescription(text);
}

std::optional<float> Form101::MarkOnShow() const {
    if (!markPeak_ || !Image2.Visible()) {
        return std::nullopt;
    }
    return static_cast<float>(Image2.Left()) + kMarkDx;
}

void Form101::ShowHeight(float Y) {
    const auto text = HeightText(baseY_, topY_, Y);
    if (!text) {
        Label6.SetVisible(false);
        Label7.SetVisible(false);
        Label8.SetVisible(false);
        return;
    }
    if (Label6.Caption() != *text) {
        Label6.SetCaption(*text);
        Label8.SetLeft(std::max(kPercentLeft, Label6.Left() + Label6.Width()));
    }
    Label6.SetVisible(true);
    Label7.SetVisible(true);
    Label8.SetVisible(true);
}

void Form101::ShowFrequency(float X) {
    const NoteReading r = NameNoteAt(X);
    SetRightAnchored(Label2, r.frequencyText, kFrequencyRight);
    const Colour colour = r.onSemitone ? kSpectrumRed : kSysButtonText;
    if (Label2.ForeColor() != colour) {
        Label2.SetForeColor(colour);
    }
    if (Label3.ForeColor() != colour) {
        Label3.SetForeColor(colour);
    }
    notes_.SetKeyX(r.KeyX);
    if (r.NoteCode) {
        notes_.SetNoteCode(*r.NoteCode);
    }
    if (Label3.Caption() != r.name) {
        Label3.SetCaption(r.name);
    }
    const std::string octave = "Octave: " + num::IntText(r.octave);
    if (Label4.Caption() != octave) {
        Label4.SetCaption(octave);
    }
}

void Form101::Picture2_MouseDown(std::int16_t Button, std::int16_t, float X, float Y) {
    if (Button != kLeftButton || !markPeak_) {
        return;
    }
    Image2.SetVisible(false);
    Image2.SetLeft(X - kMarkDx);
    Image2.SetTop(Y - kMarkDy);
    Image2.SetVisible(true);
    xMark_ = X;
    ReportAnalysis(); // the peak refined near the mark
}

void Form101::Command2_Click() {
    if (Command2.Caption() == kMarkPeak) {
        markPeak_ = true;
        if (FirstRun) {
            FirstRun = false;
        } else {
            services_.messages->Show(
                JoinLines({"Position Mouse Arrow on the desired", "peak and press left button."}),
                "Mark peak", MsgIcon::Information);
        }
        Image2.SetVisible(true);
        Command2.SetCaption(kEraseMark);
    } else {
        markPeak_ = false;
        Command2.SetCaption(kMarkPeak);
        Image2.SetVisible(false);
    }
    ReportAnalysis(); // the refined peak comes and goes with the mark
    Picture2.SetFocus();
}

void Form101::ClearMarkAndReadout() {
    markPeak_ = false;
    Command2.SetCaption(kMarkPeak);
    Image2.SetVisible(false);
    Label2.SetCaption("");
    Label3.SetCaption("");
    Label4.SetCaption("Octave:");
    for (Label* l : {&Label7, &Label6, &Label8}) {
        l->SetVisible(false);
    }
    Line1.SetVisible(false);
    Band1.SetVisible(false);
    DescribeReadout();
}

void Form101::Command1_Click() {
    if (Command1.Caption() == kHarmonicsOn) {
        Command1.SetCaption(kHarmonicsOff);
        Harmouselog2(kCombStartX, kCombStartY);
    } else {
        Command1.SetCaption(kHarmonicsOn);
        for (auto& line : Line2) {
            line->SetVisible(false);
        }
        NotifyComb();
    }
    Picture2.SetFocus();
}

void Form101::Harmlog() {
    harmOffset_ = HarmonicOffsets();
}

void Form101::Harmouselog2(float X, float Y) {
    Line1.SetVisible(false);
    Band1.SetVisible(false);
    Line2[0]->SetEnds(X, Y - kCombGap, X, Y - kCombTop);
    for (std::size_t i = 1; i < Line2.size(); ++i) {
        const double x = X + harmOffset_[i];
        Line2[i]->SetEnds(x, Y - kCombGap, x, Y - kCombTop);
    }
    if (!Line2[0]->Visible()) {
        for (auto& line : Line2) {
            line->SetVisible(true);
        }
    }
    NotifyComb();
}

void Form101::Image1_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    if (Button == kRightButton || Y > kKeyboardPlayableHeight) {
        return;
    }
    fromKeyboard_ = true;
    Picture2_MouseMove(Button, Shift, X + static_cast<float>(kKeyboardLeft), Y);
}
