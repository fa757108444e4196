// A loaded spectrum view with a fake main window that answers the spectrum style check mark.
#pragma once

#include "audio/audio_engine.h"
#include "notes/note_player.h"
#include "spectrum/graph_style_port.h"
#include "spectrum/spectrum_view.h"
#include "tests/support/doubles.h"
#include "tests/support/fixtures.h"
#include "ui/status_line.h"

#include <gtest/gtest.h>

#include <QColor>

#include <memory>

// The frame's "Line" check mark and status line as the spectrum view sees them.
class TestShell : public GraphStylePort, public StatusLine {
  public:
    bool LineStyleChecked() const override { return lineStyle; }
    void ShowStatus(const std::string& text) override { status.push_back(text); }
    std::string StatusText() const override { return status.empty() ? "" : status.back(); }
    bool lineStyle = true;
    std::vector<std::string> status; // every text the status line was given
};

class SpectrumViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestServices().Reset();
        view = std::make_unique<Form101>(TestServices().services, shell, notes, shell);
        view->Form_Load();
    }

    // The colour of the picture at a point, twips.
    QColor At(double x, double y) { return view->Picture2.PixelAt(x, y); }
    // True when the colour is found at the point or within one pixel of it.
    bool Near(double x, double y, const QColor& c) {
        for (double dx : {0.0, -15.0, 15.0}) {
            for (double dy : {0.0, -15.0, 15.0}) {
                if (At(x + dx, y + dy) == c) {
                    return true;
                }
            }
        }
        return false;
    }

    TestShell shell;
    TempDir userDir;
    AudioEngine engine;
    NotePlayer notes{engine, ".", userDir.Path()};
    std::unique_ptr<Form101> view;
};

inline QColor Rgb24(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}
