// Form103: playing the file or the selection through the wave player `MMControl1`, the play
// cursor that follows the player's position, and the return to rest when a play ends.
#include "playback_rules.h"
#include "view_state_rules.h"
#include "waveform_view.h"

#include "frame_port.h"

#include "base/numbers.h"
#include "ui/common_dialog.h"

#include <exception>

void Form103::WirePlayback() {
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    Command4.Click = [this] { Command4_Click(); };
    MMControl1.Done = [this] { MMControl1_Done(); };
    MMControl1.StatusUpdate = [this] { MMControl1_StatusUpdate(); };
}

// ---- Buttons ----

void Form103::Command1_Click() {
    if (FileLoaded) {
        PlayMode = 0;
        PrepPlay();
        StartPlay();
    }
    Picture2.SetFocus();
}

void Form103::Command4_Click() {
    if (FileLoaded) {
        PrepPlay();
        // A device that did not open leaves the view at rest, playing once.
        if (MMControl1.IsOpen()) {
            PlayMode = 1;
            StartPlay();
        }
    }
    Picture2.SetFocus();
}

void Form103::Command2_Click() {
    if (FileLoaded && !PlayIdle) {
        MMControl1.SetCommand("Pause");
        SetPlayButtonsEnabled(false);
    }
    Picture2.SetFocus();
}

void Form103::Command3_Click() {
    if (FileLoaded) {
        // The completion that the stopped play raises takes the play-once path.
        PlayMode = 0;
        MMControl1.SetCommand("Stop");
        SetPlayButtonsEnabled(true);
    }
    Picture2.SetFocus();
}

// ---- Preparing and starting a play ----

void Form103::PrepPlay() {
    MMControl1.SetCommand("Close");
    try {
        MMControl1.SetFileName(frame_.CommonDialog1().FileName());
        MMControl1.SetCommand("Open");
        if (MMControl1.Error() != MMControl::kNoError) {
            RestAfterOpenError();
            return;
        }
        if (PlayMode == 1) {
            // A further pass of cyclic play: same range, the cursor from where the first
            // pass started it, the lines keeping the visibility the first pass gave them.
            MMControl1.SetUpdateInterval(kStatusIntervalMs);
            MMControl1.SetFrom(SelIniMs);
            MMControl1.SetTo(SelEndMs);
            PlaceCursor(CursorX);
            return;
        }
        MMControl1.SetFrom(SelIniMs);
        MMControl1.SetTo(SelEndMs);
        MMControl1.SetUpdateInterval(kStatusIntervalMs);
        TwipsPerMs = TwipsPerMsFor(Picture2.ScaleWidth(), num::ParseNumber(ViewSecs().Caption()));
        CursorX = CursorXFor(SelIniMs, WholeNumber(ViewIniMs()), TwipsPerMs);
        PlaceCursor(CursorX);
        ShowCursor(CursorLinesFor(SelEndMs - SelIniMs, Picture3.Width()));
        PlayIdle = false;
    } catch (const std::exception&) {
        // A value that cannot be read ends the preparation quietly; the caller still plays.
    }
}

void Form103::RestAfterOpenError() {
    Surface().Print(num::IntText(MMControl1.Error()));
    StopPlayerForRest();
}

void Form103::StopPlayerForRest() {
    MMControl1.SetUpdateInterval(0);
    MMControl1.SetCommand("Close");
    ShowCursor(CursorLines::None);
    PlayMode = 0;
    PlayIdle = true;
    SetPlayButtonsEnabled(true);
}

void Form103::StartPlay() {
    if (!MMControl1.IsOpen()) {
        return;
    }
    MMControl1.SetCommand("Play");
    SetPlayButtonsEnabled(false);
}

void Form103::SetPlayButtonsEnabled(bool on) {
    Command1.SetEnabled(on);
    Command4.SetEnabled(on);
}

// ---- The cursor ----

void Form103::PlaceCursor(std::int16_t x) {
    const double at = x;
    Line1.SetEnds(at, 0, at, Picture2.ScaleHeight());
    Line2.SetEnds(at, 0, at, Picture5.ScaleHeight());
    Line3.SetEnds(at, 0, at, Picture4.ScaleHeight());
    Line4.SetEnds(at, 0, at, Picture7.ScaleHeight());
}

void Form103::ShowCursor(CursorLines lines) {
    Line1.SetVisible(lines == CursorLines::Graphs);
    Line2.SetVisible(lines == CursorLines::Graphs);
    Line3.SetVisible(lines == CursorLines::Copies);
    Line4.SetVisible(lines == CursorLines::Copies);
}

// ---- Player notifications ----

void Form103::MMControl1_StatusUpdate() {
    try {
        PlaceCursor(CursorXFor(MMControl1.Position(), WholeNumber(ViewIniMs()), TwipsPerMs));
    } catch (const std::exception&) {
        // A position off the 16-bit range leaves the cursor where it was.
    }
}

void Form103::MMControl1_Done() {
    MMControl1.SetUpdateInterval(0);
    if (MMControl1.Error() != MMControl::kNoError) {
        // The file failed while it played: its number is printed as an error after "Open"
        // is, the cause goes on the status line, and a cyclic play ends here.
        Surface().Print(num::IntText(MMControl1.Error()));
        frame_.ShowStatus("Playback stopped: cannot read " +
                          FileNameOf(frame_.CommonDialog1().FileName()) + ": " +
                          MMControl1.ErrorCause());
        PlayMode = 0;
    }
    if (PlayMode == 1) {
        PrepPlay();
        MMControl1.SetCommand("Play");
        return;
    }
    SetPlayButtonsEnabled(true);
    MMControl1.SetCommand("Close");
    ShowCursor(CursorLines::None);
    PlayIdle = true;
    if (CompareArmed) {
        CompareStep();
    }
}
