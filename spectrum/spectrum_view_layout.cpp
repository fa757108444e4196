// Form101: its controls and their placement, the window's load and unload, and scrolling.
#include "spectrum_view.h"

#include "spectrum_colours.h"

#include <algorithm>

#include "base/numbers.h"
#include "keyboard.h"
#include "notes/note_player.h"
#include "peak_mark.h"

#include <QImage>

namespace {

// Colours, &H00BBGGRR.

// The scroll bar's range and the value shown at load (x 9600 .. 21500, about 39 Hz .. 3.7 kHz).
constexpr int kScrollMin = -60;
constexpr int kScrollMax = 17700;
constexpr int kScrollSmall = 90;
constexpr int kScrollLarge = 600;
constexpr int kScrollAtLoad = 9600;

// The top row's readouts.
const char* const kTopRowFont = "Arial";
constexpr double kTopRowPoints = 8;

// The keyboard bitmap, compiled into the program as the window's design data.
const char* const kKeyboardResource = ":/spectrum/keyboard.bmp";

} // namespace

Form101::Form101(Services& services, const GraphStylePort& style, NotePlayer& notes,
                 StatusLine& status)
    : Command1(Surface().Client(), "Harmonics on"), Command2(Surface().Client(), "Mark peak"),
      Label2(Surface().Client(), {}, true), Label5(Surface().Client(), "Hz", true),
      Label3(Surface().Client(), {}, true), Label4(Surface().Client(), "Octave:", true),
      Label7(Surface().Client(), "Height: ", true), Label6(Surface().Client(), {}, true),
      Label8(Surface().Client(), "%", true), Picture1(Surface().Client(), false),
      Picture2(Picture1.Client(), true), Label1(Picture2.Client(), "Musical Analysis"),
      Image1(Picture2.Client()), Band1(Picture2.Client(), kBandColour),
      Line1(Picture2.Client(), kCursorGreen), Image2(Picture2.Client()), Label13(Picture2.Client()),
      Label14(Picture2.Client()), Label15(Picture2.Client()), Label16(Picture2.Client()),
      HScroll1(Picture1.Client()), services_(services), style_(style), notes_(notes),
      status_(status) {
    for (auto& line : Line2) {
        line = std::make_unique<LineControl>(Picture2.Client(), kGridYellow);
    }
    PlaceControls();
    WireEvents();
}

Form101::~Form101() = default;

void Form101::PlaceControls() {
    SetCaption("");
    Command1.Move(0, 0, 1455, 255);
    Command2.Move(1440, 0, 1455, 255);

    // Top row. The frequency is right-justified against "Hz"; the height value is followed by
    // its "%" (moved right when a long value would run into it).
    Label2.SetAlignment(Alignment::Right);
    Label5.Move(5040, 0, 0, 0);
    Label3.Move(5760, 0, 0, 0);
    Label4.Move(8000, 0, 0, 0);
    Label7.Move(9300, 0, 0, 0);
    Label6.Move(9840, 0, 0, 0);
    Label8.Move(10160, 0, 0, 0);
    for (Label* l : {&Label2, &Label5, &Label3, &Label4, &Label7, &Label6, &Label8}) {
        l->SetFont(kTopRowFont, kTopRowPoints);
    }
    Label2.Move(4920, 0, 120, Label5.Height());
    // The value never starts inside "Height: " when the font is wider than the design's.
    Label6.SetLeft(std::max(9840.0, Label7.Left() + Label7.Width()));
    for (Label* l : {&Label7, &Label6, &Label8}) {
        l->SetVisible(false);
    }

    Picture1.Move(0, 240, 11895, 3795);
    Picture2.Move(-600, 0, 29500, 3540);
    Picture2.SetBackColor(kSpectrumBack);
    Picture2.SetForeColor(kSysHighlightText);
    QFont axisFont(QStringLiteral("Arial"));
    axisFont.setPointSizeF(8);
    Picture2.Font() = axisFont;
    Picture2.SetAccessibleName("Spectrum");
    Label2.SetAccessibleName("Readout");
    HScroll1.Move(0, 3520, 11775, 240);
    HScroll1.SetRange(kScrollMin, kScrollMax, kScrollSmall, kScrollLarge);

    Label1.Move(10200, 0, 1725, 285);
    Label1.SetFont("Times New Roman", 12);
    Label1.SetForeColor(kSpectrumRed);
    Label1.SetBackColor(kSpectrumBack);
    Label1.SetAlignment(Alignment::Center);

    Image1.Move(kKeyboardLeft, kKeyboardTop, kKeyboardWidth, kKeyboardHeight);
    Image1.SetPicture(QImage(QString::fromLatin1(kKeyboardResource)));
    Image1.SetAccessibleName("Keyboard: right button plays a key");

    Line1.SetEnds(7080, 0, 7080, 3480);
    Band1.SetVisible(false);
    for (auto& line : Line2) {
        line->SetVisible(false);
    }

    Image2.Move(5640, 720, 480, 480);
    Image2.SetPicture(PeakMarkImage());
    Image2.SetVisible(false);

    Label13.SetBackColor(kLinePink);
    Label14.SetBackColor(kLineLightBlue);
    Label15.SetBackColor(kLineYellow);
    Label16.SetBackColor(kLineGreen);
    for (Label* l : {&Label13, &Label14, &Label15, &Label16}) {
        l->SetVisible(false);
    }
}

void Form101::WireEvents() {
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    HScroll1.Change = [this] { HScroll1_Change(); };
    // The resolution band follows the user's own pointer: the moves the program sends on
    // purpose (the demonstration, the comparison) leave the picture as it always was.
    Picture2.MouseMove = [this](std::int16_t b, std::int16_t s, float x, float y) {
        pointerHovered_ = true;
        Picture2_MouseMove(b, s, x, y);
    };
    Picture2.MouseDown = [this](std::int16_t b, std::int16_t s, float x, float y) {
        Picture2_MouseDown(b, s, x, y);
    };
    Image1.MouseMove = [this](std::int16_t b, std::int16_t s, float x, float y) {
        Image1_MouseMove(b, s, x, y);
    };
    Image1.MouseDown = [this](std::int16_t b, std::int16_t s, float x, float y) {
        Image1_MouseDown(b, s, x, y);
    };
    Image1.MouseUp = [this](std::int16_t b, std::int16_t s, float x, float y) {
        Image1_MouseUp(b, s, x, y);
    };
}

void Form101::Form_Load() {
    ColLine = num::IntText(Label14.BackColor());
    Picture2.Cls();
    FirstRun = true;
    HScroll1.SetValue(kScrollAtLoad);
    harmDrag_ = true;
    Grafmesmo(0, true);
    DescribeGraph();
    Harmlog();
    notes_.Open();
}

void Form101::Form_Unload() {
    notes_.Close();
}

void Form101::HScroll1_Change() {
    Picture2.SetLeft(-HScroll1.Value());
    if (Scrolled) {
        Scrolled(HScroll1.Value());
    }
}

void Form101::SetRightAnchored(Label& label, const std::string& text, double right) {
    if (label.Caption() == text) {
        return;
    }
    label.SetCaption(text);
    label.SetLeft(right - label.Width());
}
