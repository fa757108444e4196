// The Harmonics window (Analysis > Harmonics table...): one row per line of the comb with what
// it reads off the spectrum on show (the line's frequency, the measured one, the deviation in
// cents, the level), a small curve of the deviations against n, mute and solo per row and the
// presets of the resynthesis. It follows the comb as it is dragged. Modeless, one of it.
#pragma once

#include "resynthesis.h"

#include <QDialog>

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class CentsCurve;
class Form101;
class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

class frmHarmonics : public QDialog {
  public:
    // The columns of the table, in order.
    enum Column { ColN, ColLine, ColMeasured, ColCents, ColLevel, ColMute, ColSolo, kColumns };

    // The window reads the comb of `spectrum`, which must outlive it.
    explicit frmHarmonics(Form101& spectrum, QWidget* parent = nullptr);
    ~frmHarmonics() override;

    // Shows the window without blocking the others, or brings it to the front, and reads the
    // comb.
    void ShowWindow();
    // Reads the comb again and shows what it found; nothing while the window is hidden.
    void Refresh();

    // The lines the resynthesis sounds under the rows' mute and solo switches.
    PartialMask Audible() const;
    // A preset sets the mute switches to sound its lines and clears every solo switch.
    void ChoosePreset(PartialPreset p);
    // Harmonic n's switches (n = 1 .. 17).
    void SetMuted(int n, bool on);
    void SetSoloed(int n, bool on);
    bool Muted(int n) const { return muted_.test(static_cast<std::size_t>(n - 1)); }
    bool Soloed(int n) const { return soloed_.test(static_cast<std::size_t>(n - 1)); }

    // A word under the table (the fate of a play or a save).
    void ShowMessage(const std::string& text);
    std::string Message() const;
    // The line above the table: the comb's fundamental, or why nothing is measured.
    std::string Heading() const;
    // The text of a cell; row 0 is harmonic 1.
    std::string Cell(int row, Column column) const;
    // The points of the curve: (n, cents) of each measured line.
    const std::vector<std::pair<int, double>>& CurvePoints() const;
    // How many times the comb was read since the window was built.
    int Readings() const { return readings_; }

    QPushButton& PlayButton() const { return *play_; }
    QPushButton& SaveButton() const { return *save_; }
    QPushButton& PresetButton(PartialPreset p) const;
    QTableWidget& Table() const { return *table_; }

    // "Play harmonics" and "Save harmonics as..." in the window.
    std::function<void()> PlayRequested;
    std::function<void()> SaveRequested;

  private:
    void BuildWindow();
    void SetText(int row, Column column, const std::string& text);
    void SwitchChanged(QTableWidgetItem* item);
    void ShowSwitches();

    Form101& spectrum_;
    PartialMask muted_;
    PartialMask soloed_;
    int readings_ = 0;
    bool showingSwitches_ = false;
    QLabel* heading_ = nullptr;
    QTableWidget* table_ = nullptr;
    CentsCurve* curve_ = nullptr;
    std::array<QPushButton*, kPartialPresetCount> presets_{};
    QPushButton* play_ = nullptr;
    QPushButton* save_ = nullptr;
    QLabel* message_ = nullptr;
};
