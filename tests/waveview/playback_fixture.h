// A waveform view that plays: the selection fixture plus a count of the player's completions
// and a wait for the view's return to rest, with the user-interface loop running meanwhile.
#pragma once

#include "selection_fixture.h"
#include "tests/support/pump.h"

#include <vector>

class PlaybackTest : public ViewTest {
  protected:
    // Loads a file and counts every completion the view's player raises.
    Form103& LoadCounted(
        int channels, int bits, int rate, int frames,
        const std::function<int(int, int)>& sample = [](int, int) { return 0; }) {
        Form103& f = Load(channels, bits, rate, frames, sample);
        CountCompletions(f);
        return f;
    }

    void CountCompletions(Form103& f) {
        auto handler = f.MMControl1.Done;
        f.MMControl1.Done = [this, handler] {
            ++completions;
            handler();
        };
    }

    // Runs the loop until the view is at rest again (a play ended on its play-once path).
    static bool WaitForRest(Form103& f, int timeoutMs = 4000) {
        return PumpUntil([&] { return f.PlayIdle; }, timeoutMs);
    }

    // The visibility of Line1..Line4.
    static std::vector<bool> Cursors(const Form103& f) {
        return {f.Line1.Visible(), f.Line2.Visible(), f.Line3.Visible(), f.Line4.Visible()};
    }

    int completions = 0;
};
