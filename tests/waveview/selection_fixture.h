// A waveform view on a real wave file, for the selection and zoom tests: a stand-in main
// window whose open dialog names the file, and helpers to drive the mouse as the platform does.
#pragma once

#include "audio/audio_engine.h"
#include "base/file_channel.h"
#include "base/numbers.h"
#include "tests/support/doubles.h"
#include "tests/support/fixtures.h"
#include "ui/common_dialog.h"
#include "waveview/waveform_view.h"

#include "tests/waveview/test_shell.h"
#include "tests/waveview/test_spectrum.h"
#include <QApplication>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <memory>
#include <string>

// A saw-toothed wave that crosses the whole graph, so every column has graph pixels.
inline int Wave(int frame, int channel) {
    return ((frame / 37) % 2 ? 1 : -1) * (channel ? 9000 : 20000) * ((frame % 37) - 18) / 18;
}

// The grabbed client of a graph, compared pixel by pixel: inside the columns [from, to) with
// the inverse copy's drawing, elsewhere with the graph's own.
inline void ExpectHighlight(PictureBox& graph, PictureBox& copy, int from, int to) {
    graph.Client()->repaint();
    const QImage shown = graph.Client()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage own = graph.Image().convertToFormat(QImage::Format_RGB32);
    const QImage inverse = copy.Image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), own.size());
    int mismatches = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const bool inside = x >= from && x < to;
            const QRgb want = inside ? inverse.pixel(x, y) : own.pixel(x, y);
            mismatches += shown.pixel(x, y) != want;
        }
    }
    EXPECT_EQ(mismatches, 0) << "selection columns " << from << ".." << to;
}

class ViewTest : public ::testing::Test {
  protected:
    void SetUp() override { TestServices().Reset(); }

    // The view, built and loaded on first use. The note timer ticks once after the view's load
    // and speaks to the analysis double.
    Form103& ViewWindow() {
        if (!view) {
            if (!audio) {
                ownAudio = std::make_unique<AudioEngine>();
                audio = ownAudio.get();
            }
            view = std::make_unique<Form103>(TestServices().services, channel1, shell, *analysis,
                                             *audio);
            view->Form_Load();
        }
        return *view;
    }

    // Writes a wave file, names it in the dialog and loads it into a fresh view.
    Form103& Load(
        int channels, int bits, int rate, int frames,
        const std::function<int(int, int)>& sample = [](int, int) { return 0; }) {
        const std::string path = dir.File("view.wav");
        WriteFile(path, MakeWave(channels, bits, rate, frames, sample));
        shell.dialog.SetFileName(path);
        Form103& f = ViewWindow();
        f.LerFileDad_3();
        EXPECT_TRUE(f.FileLoaded);
        return f;
    }

    static void Press(Form103& f, float x, std::int16_t button = kLeftButton) {
        f.Picture2_MouseDown(button, 0, x, 100);
    }
    static void Drag(Form103& f, float x, std::int16_t button = kLeftButton) {
        f.Picture2_MouseMove(button, 0, x, 100);
    }
    static void Hover(Form103& f, float x) { f.Picture2_MouseMove(0, 0, x, 100); }
    static void Release(Form103& f, float x) { f.Picture2_MouseUp(kLeftButton, 0, x, 100); }

    // A plain selection from x0 to x1, released.
    static void Select(Form103& f, float x0, float x1) {
        Press(f, x0);
        Drag(f, x1);
        Release(f, x1);
    }

    static std::int32_t Whole(const Label& l) { return num::CLng(num::ParseNumber(l.Caption())); }

    TempDir dir;
    TestShell shell;
    TestSpectrum spectrumDouble;
    AnalysisPort* analysis = &spectrumDouble; // what the view is built with
    AudioEngine* audio = nullptr; // what the view plays on; a silent engine of its own if null
    std::unique_ptr<AudioEngine> ownAudio;
    FileChannel channel1;
    std::unique_ptr<Form103> view;
};
