// Form103: controls and their placement, the clear operation, the transform size, and the
// window's load and unload.
#include "view_state_rules.h"
#include "waveform_view.h"

#include "base/file_channel.h"
#include "base/numbers.h"
#include "ui/services.h"

namespace {

// Colours of the graphs and their inverse copies (system colours of the desktop).
constexpr Colour kGraphBack = kSysWindowBackground;
constexpr Colour kGraphFore = kSysHighlight;
constexpr Colour kRightGraphFore = kSysDesktop;
constexpr Colour kCursorColour = kSysWindowText;
constexpr Colour kFftPointsColour = 0x0000FF; // red

constexpr double kGraphWidth = 10040;       // twips, with its border
constexpr double kMonoGraphHeight = 2480;   // twips
constexpr double kStereoGraphHeight = 1240; // twips

// A value box of the view: thin border, window background, centred text.
void ValueBox(Label& l, double left, double top, double width, double height) {
    l.Move(left, top, width, height);
    l.SetBorder(true);
    l.SetBackColor(kSysWindowBackground);
    l.SetForeColor(kSysWindowText);
    l.SetAlignment(Alignment::Center);
}

} // namespace

Form103::Form103(Services& services, FileChannel& channel1, FramePort& frame,
                 AnalysisPort& analysis, AudioEngine& engine)
    : Label1(Widget(), "", true), Label2(Widget()), Label3(Widget(), "", true), Label4(Widget()),
      Label5(Widget(), "Number of Points:", true), Label6{{Label(Widget()), Label(Widget())}},
      Label7(Widget(), "Frequency:", true), Label8(Widget()), Label9(Widget(), "", true),
      Label10(Widget(), "", true), Label11(Widget()), Label12(Widget()), Label13(Widget()),
      Label14(Widget(), "", true), Label15{{Label(Widget()), Label(Widget())}},
      Label16{{Label(Widget(), "Select", true), Label(Widget()), Label(Widget()), Label(Widget()),
               Label(Widget()), Label(Widget()), Label(Widget()), Label(Widget(), "Beginning"),
               Label(Widget(), "End"), Label(Widget(), "Total"), Label(Widget(), "Points", true),
               Label(Widget(), "Time (sec)", true)}},
      Label17(Widget()), Frame1(Widget(), "Analysis by FFT"), Command5(Frame1.Client(), "FFT"),
      Label18(Frame1.Client(), "Number of points:", true), Label19(Frame1.Client()),
      Frame2(Frame1.Client(), "Channel"), Option1(Frame2.Client(), "Left"),
      Option2(Frame2.Client(), "Right"), Frame3(Widget(), "Graph"),
      Option3(Frame3.Client(), "Line"), Option4(Frame3.Client(), "Points"),
      Command1(Widget(), "Play"), Command2(Widget(), "Pause"), Command3(Widget(), "Stop"),
      Command4(Widget(), "Play Cyclic"), Command9(Widget(), "Compare FFT"),
      Command6(Widget(), "Zoom"), Command7(Widget(), "Normal"), Command8(Widget(), "Cancel"),
      Label20(Widget(), "Vertical", true), Label21(Widget(), "Amplitude", true),
      Command11(Widget(), "x 2"), Command12(Widget(), "x 1/2"), Picture1(Widget(), true),
      Picture2(Picture1.Client(), true), Picture3(Picture2.Client(), false),
      Picture4(Picture3.Client(), false), Picture5(Picture1.Client(), true),
      Picture6(Picture5.Client(), false), Picture7(Picture6.Client(), false),
      Line1(Picture2.Client(), kCursorColour), Line2(Picture5.Client(), kCursorColour),
      Line3(Picture4.Client(), kCursorColour), Line4(Picture7.Client(), kCursorColour),
      Timer1(1500, false, Widget()), MMControl1(engine, Widget()), services_(services),
      channel1_(channel1), frame_(frame), analysis_(analysis) {
    LayOut();
    WireSelection();
    WireZoom();
    Command5.Click = [this] { Command5_Click(); };
    WirePlayback();
    WireCompare();
}

Form103::~Form103() = default;

void Form103::LayOut() {
    Surface().SetBackColor(kSysButtonFace);
    Move(0, 0, 11920, 4180);

    // File description: format at the top left, counts below, file line along the bottom.
    Label10.Move(120, 60, 0, 0);
    Label9.Move(1100, 60, 0, 0);
    Label14.Move(120, 300, 0, 0);
    Label5.Move(120, 600, 0, 0);
    ValueBox(Label6[0], 1560, 570, 1320, 255);
    Label7.Move(120, 900, 0, 0);
    ValueBox(Label8, 1560, 870, 1320, 255);
    Label1.Move(120, 4560, 0, 0);
    Label3.Move(2000, 4560, 0, 0);
    Label2.Move(7800, 4560, 3960, 255);
    Label2.SetAlignment(Alignment::Right);
    for (Label* hidden :
         {&Label4, &Label6[1], &Label11, &Label12, &Label13, &Label15[0], &Label15[1], &Label17}) {
        hidden->SetVisible(false);
    }

    // Playback and comparison buttons above the analysis frame.
    Command1.Move(3000, 40, 735, 345);
    Command2.Move(3780, 40, 735, 345);
    Command3.Move(4560, 40, 735, 345);
    Command4.Move(5340, 40, 1050, 345);
    Command9.Move(6435, 40, 1260, 345);

    // "Analysis by FFT" with the transform size and the channel choice.
    Frame1.Move(3000, 440, 4695, 795);
    Command5.Move(120, 300, 855, 375);
    Label18.Move(985, 200, 0, 0);
    ValueBox(Label19, 985, 440, 1160, 255);
    Label19.SetForeColor(kFftPointsColour);
    Frame2.Move(2280, 120, 2295, 615);
    Option1.Move(120, 240, 975, 195);
    Option2.Move(1320, 240, 855, 195);
    Frame2.SetEnabled(false);
    Option1.SetEnabled(false);
    Option2.SetEnabled(false);

    // The "Select" table: Cancel in its top left corner, columns Beginning/End/Total, rows
    // Points and Time (sec).
    Label16[0].SetFont("Arial", 8, true);
    Label16[0].Move(9800, 280, 0, 0);
    Command8.Move(7800, 520, 1095, 255);
    const double columns[] = {8940, 9920, 10900};
    for (int c = 0; c < 3; ++c) {
        Label16[7 + c].Move(columns[c], 540, 940, 240);
        Label16[7 + c].SetAlignment(Alignment::Center);
        ValueBox(Label16[4 + c], columns[c], 800, 940, 240);
        ValueBox(Label16[1 + c], columns[c], 1060, 940, 240);
    }
    Label16[10].Move(7800, 830, 0, 0);
    Label16[11].Move(7800, 1090, 0, 0);

    // Right-hand column: graph style, zoom, amplification.
    Frame3.Move(10560, 1320, 1215, 735);
    Option3.Move(120, 240, 855, 195);
    Option4.Move(120, 480, 855, 195);
    Option3.SetValue(true);
    Command6.Move(10680, 2280, 855, 375);
    Command7.Move(10680, 2760, 855, 375);
    Label20.Move(10800, 3240, 525, 195);
    Label21.Move(10710, 3480, 690, 195);
    Command11.Move(10485, 3720, 615, 255);
    Command12.Move(11115, 3720, 615, 255);

    // The graphs. The inverse copies draw without a border so that their origin coincides
    // with the graph's: what shows through a selection window lies exactly over the graph.
    Picture1.Move(360, 1320, 10100, 2680);
    Picture2.Move(0, 60, kGraphWidth, kMonoGraphHeight);
    Picture2.SetBackColor(kGraphBack);
    Picture2.SetForeColor(kGraphFore);
    Picture5.Move(0, 1335, kGraphWidth, kStereoGraphHeight);
    Picture5.SetBackColor(kGraphBack);
    Picture5.SetForeColor(kRightGraphFore);
    Picture5.SetVisible(false);
    Picture3.Move(0, 0, 0, kMonoGraphHeight);
    Picture4.Move(0, 0, kGraphWidth, kMonoGraphHeight);
    Picture4.SetBackColor(kGraphFore);
    Picture4.SetForeColor(kSysCaptionText);
    Picture6.Move(0, 0, 0, kStereoGraphHeight);
    Picture7.Move(0, 0, kGraphWidth, kStereoGraphHeight);
    Picture7.SetBackColor(kRightGraphFore);
    Picture7.SetForeColor(kGraphBack);
    Picture3.SetVisible(false);
    Picture6.SetVisible(false);
    for (LineControl* cursor : {&Line1, &Line2, &Line3, &Line4}) {
        cursor->SetVisible(false);
    }
}

void Form103::LimpF() {
    SetCaption("");
    Surface().Cls();
    SelIniMs = 0;
    PlayMode = 0;
    FileLoaded = false;
    PlayIdle = true;
    Picture3.SetWidth(0);
    Picture3.SetVisible(false);
    Picture6.SetWidth(0);
    Picture6.SetVisible(false);
    Picture2.Cls();
    Picture5.Cls();
    Picture4.Cls();
    Picture7.Cls();
    for (Label* l : {&Label1, &Label2, &Label3, &Label6[0], &Label6[1], &Label8, &Label9, &Label10,
                     &Label11, &Label12, &Label13, &Label14, &Label19}) {
        l->SetCaption("");
    }
    for (int i = 1; i <= 6; ++i) {
        Label16[i].SetCaption("");
    }
}

void Form103::PonTransf() {
    Label19.SetCaption(TransformSizeText(SelPoints().Caption()));
}

void Form103::Form_Load() {
    LimpF();
    Picture4.SetWidth(Picture2.Width());
    Picture7.SetWidth(Picture2.Width());
    MMControl1.SetNotify(false);
    MMControl1.SetWait(true);
    MMControl1.SetShareable(false);
    MMControl1.SetDeviceType("WaveAudio");
    MMControl1.SetTimeFormat(0); // milliseconds
    Timer1.SetEnabled(true);     // the note timer is enabled in the window's design
    Option1.SetValue(true);
}

void Form103::HandlerFailed() {
    Form::HandlerFailed();
    services_.screen->Set(MousePointer::Default);
    channel1_.Close();
}

void Form103::Form_Unload() {
    MMControl1.SetCommand("Close");
    channel1_.Close();
}

std::int32_t WholeNumber(const Label& l) {
    return num::CLng(num::ParseNumber(l.Caption()));
}
