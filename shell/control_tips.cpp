// MDIForm1: the tooltips of the two views' main controls, short plain help for a newcomer. The
// controls' own captions stay as they are.
#include "main_window.h"

#include "spectrum/spectrum_view.h"
#include "waveview/waveform_view.h"

#include <utility>

void MDIForm1::GiveToolTips(Form103& wave, Form101& spectrum) {
    const std::pair<Control*, const char*> tips[] = {
        // The waveform view.
        {&wave.Picture2, "The sound wave, time from left to right.\nDrag with the left button to "
                         "select a part; drag an edge of the selection to move it."},
        {&wave.Picture5, "The right channel. Drag with the left button to select a part."},
        {&wave.Command1, "Play the selected part (or the whole stretch on show)"},
        {&wave.Command2, "Pause playing; press again to go on"},
        {&wave.Command3, "Stop playing"},
        {&wave.Command4, "Play the selected part again and again until Stop"},
        {&wave.Command9, "Play the selected part, then the note of the marked peak, to compare "
                         "them by ear"},
        {&wave.Frame1, "The Fourier transform of the selected part: which frequencies it holds"},
        {&wave.Command5, "Analyse the selected part: its spectrum appears above.\n\"Number of "
                         "points\" samples are used: N points give N/2 frequency bins."},
        {&wave.Frame2, "Which channel of a stereo file is analysed"},
        {&wave.Frame3, "Draw the wave as a line or as separate points"},
        {&wave.Command6, "Show only the selected part, across the whole graph"},
        {&wave.Command7, "Show the whole file again"},
        {&wave.Command8, "Forget the selection"},
        {&wave.Command11, "Draw the wave twice as tall"},
        {&wave.Command12, "Draw the wave half as tall"},
        // The spectrum view.
        {&spectrum.Picture2, "The spectrum: how strong each frequency is, laid out like the "
                             "keyboard.\nPoint at a peak to read its frequency and note."},
        {&spectrum.Image1, "Press a key with the RIGHT mouse button to hear it"},
        {&spectrum.Command1, "Show or hide a comb of harmonic markers; drag it with the right "
                             "button over the spectrum"},
        {&spectrum.Command2, "Mark a peak (then click it with the left button), or erase the "
                             "mark; Compare FFT plays the marked note"},
        {&spectrum.HScroll1, "Scroll to lower or higher notes"},
    };
    for (const auto& [control, tip] : tips) {
        control->SetToolTip(tip);
    }
}
